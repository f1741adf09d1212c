// The puzzle supply: level picks from the banks through the working grid, and the run batch of
// a Standard book (puzzle and solution strings in 2000 slots).
#pragma once

#include <array>
#include <string>

#include "puzzle/banks.h"
#include "puzzle/grid.h"
#include "puzzle/options.h"

namespace quorvel::puzzle {

class PuzzleSupply {
 public:
  static constexpr int kBatchSlots = 2000;

  explicit PuzzleSupply(const BankSet& banks) : banks_(banks) {}

  // Draws a line of bank `bank_index` (0..4) and loads it, scrambled, into the grid. The draw
  // reseeds; a draw of the last line takes the one before it. Throws when the bank is empty.
  void PickPuzzle(int bank_index);
  // One complete level pick for bank level 1..5: Clear, then PickPuzzle(level - 1).
  void LevelPick(int bank_level);

  void ClearBatch();
  // Fills slots 1..pages x puzzles-per-page with fresh picks of the options' level.
  void FillBatch(const RunOptions& options);

  // Slot k (1..2000) of the batch.
  const std::string& Puzzle(int k) const { return puzzles_.at(k - 1); }
  const std::string& Solution(int k) const { return solutions_.at(k - 1); }

  // The current puzzle text and a cell of it: "" for "0" or past the end, else the character.
  std::string tm;
  std::string GetCellText(int row, int col) const;

  TQJ& Grid() { return grid_; }

 private:
  const BankSet& banks_;
  TQJ grid_;
  std::array<std::string, kBatchSlots> puzzles_;
  std::array<std::string, kBatchSlots> solutions_;
};

}  // namespace quorvel::puzzle
