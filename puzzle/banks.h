// The five puzzle banks, tk0 (bank level 1, easiest) to tk4 (bank level 5, hardest): ordered
// lists of bank lines. The program's own banks are compiled in (banks/builtin_banks.h); tests
// may build their own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/options.h"
#include "puzzle/variant.h"

namespace quorvel::puzzle {

class BankSet {
 public:
  BankSet() = default;
  // Banks of the given lines.
  explicit BankSet(std::array<std::vector<std::string>, 5> banks);
  // Banks from the texts of bank files (which must outlive the set), each split into lines when
  // it is first asked for: a book uses one bank, and a small book need not read all five. The
  // lines are views into the texts, not copies.
  explicit BankSet(std::array<std::string_view, 5> texts);
  // The same with the canonical forms of their lines, one a line in the same order.
  BankSet(std::array<std::string_view, 5> texts, std::array<std::string_view, 5> forms);

  // Splits the text of a bank file into its lines (blank lines and a trailing CR are dropped);
  // the lines are views into `text`.
  static std::vector<std::string_view> SplitLines(std::string_view text);

  // The variants' banks beside them, from the texts of their files and their lines' forms in
  // the order of VariantBankIndex (which must outlive the set).
  void SetVariantTexts(std::vector<std::string_view> texts, std::vector<std::string_view> forms);

  // The bank of index 0..4 (`tk0`..`tk4`), or 5 + the place of a variant's bank.
  const std::vector<std::string_view>& Bank(int index) const;
  static constexpr int kClassicBanks = 5;
  static constexpr int kAllBanks = kClassicBanks + kVariantBankCount;
  // The bank the puzzles of a kind and level 0..5 are drawn from: the classic bank of the level
  // for Standard and Samurai, a variant's own after them.
  static int IndexOf(PuzzleKind kind, int level);
  // "tk0", or a variant bank's file name ("x2", "4x4-1").
  static std::string Name(int index);
  // The canonical form of line `line` of bank `index`: looked up when the set was given the
  // forms, worked out otherwise.
  std::string Form(int index, uint32_t line) const;

 private:
  struct Texts;
  // Shared, so that copies of the set keep the texts their lines point into.
  std::shared_ptr<Texts> texts_;
};

}  // namespace quorvel::puzzle
