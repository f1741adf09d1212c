// The puzzle supply: level picks from the banks through the working grid, and the run batch of
// a Standard book (puzzle and solution strings in 2000 slots).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "puzzle/banks.h"
#include "puzzle/grid.h"
#include "puzzle/options.h"
#include "puzzle/random.h"
#include "puzzle/variant.h"

namespace quorvel::puzzle {

class PuzzleSupply {
 public:
  static constexpr int kBatchSlots = 2000;
  // Independent draws take the first this many lines of a bank (all of a smaller bank); the
  // lines after them serve draws without repeats only.
  static constexpr uint32_t kDrawnLines = 500;

  // Picks and scrambles draw from `random`.
  explicit PuzzleSupply(const BankSet& banks, RandomSource& random = DefaultRandomSource())
      : banks_(banks), random_(random) {
    grid_.SetRandom(random);
  }

  // Draws a line of bank `bank_index` (0..4) and loads it, scrambled, into the grid. The draw
  // reseeds; a draw of the last drawn line takes the one before it. Without repeats, the draw
  // takes one of the bank's lines that no draw since SetUniqueDraws has taken. Throws when the
  // bank is empty or has no such line left.
  void PickPuzzle(int bank_index);
  // Switches draws without repeats on or off; either way every bank starts afresh, so that a
  // book's draws never depend on an earlier book's.
  void SetUniqueDraws(bool unique);
  // Draws without repeats pass over the bank lines whose canonical forms are in `forms` (which
  // must outlive the draws); nullptr lets them take any line.
  void SetExcluded(const std::unordered_set<std::string>* forms) { excluded_ = forms; }
  // One complete level pick for bank level 1..5: Clear, then PickPuzzle(level - 1).
  void LevelPick(int bank_level);
  // A puzzle of a variant at one of its levels, drawn from its bank as PickPuzzle draws (the
  // draw recorded with bank 5 + the bank's VariantBankIndex) and scrambled by the variant's
  // own moves. Excluded forms are the variant's key, ":" and the form ("x:...").
  VariantPuzzle PickVariant(PuzzleKind kind, int level);

  // Every bank line drawn since the last ClearDraws, in draw order: its bank and its index.
  struct Draw {
    int bank;
    uint32_t line;
  };
  const std::vector<Draw>& Draws() const { return draws_; }
  void ClearDraws() { draws_.clear(); }

  void ClearBatch();
  // Fills slots 1..count with fresh picks of `level` (0..5), drawn without repeats when
  // `unique`.
  void FillBatch(int level, int count, bool unique);

  // Slot k (1..2000) of the batch.
  const std::string& Puzzle(int k) const { return puzzles_.at(k - 1); }
  const std::string& Solution(int k) const { return solutions_.at(k - 1); }

  // The current puzzle text and a cell of it: "" for "0" or past the end, else the character.
  std::string tm;
  std::string GetCellText(int row, int col) const;

  TQJ& Grid() { return grid_; }
  const BankSet& Banks() const { return banks_; }

 private:
  const BankSet& banks_;
  RandomSource& random_;
  TQJ grid_;
  std::array<std::string, kBatchSlots> puzzles_;
  std::array<std::string, kBatchSlots> solutions_;
  std::vector<Draw> draws_;
  bool unique_ = false;
  const std::unordered_set<std::string>* excluded_ = nullptr;
  // Per bank, the line indexes not drawn yet; filled on a bank's first draw without repeats.
  std::array<std::vector<uint32_t>, BankSet::kAllBanks> left_;
  std::array<bool, BankSet::kAllBanks> left_filled_{};
  // The index of the line a draw from bank `bank_index` takes (see PickPuzzle).
  uint32_t DrawLine(int bank_index);
};

}  // namespace quorvel::puzzle
