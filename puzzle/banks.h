// The five puzzle banks, tk0 (bank level 1, easiest) to tk4 (bank level 5, hardest): ordered
// lists of bank lines. The program's own banks are compiled in (banks/builtin_banks.h); tests
// may build their own.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::puzzle {

class BankSet {
 public:
  BankSet() = default;
  explicit BankSet(std::array<std::vector<std::string>, 5> banks) : banks_(std::move(banks)) {}
  // Banks from the texts of bank files (which must outlive the set), each split into lines when
  // it is first asked for: a book uses one bank, and a small book need not read all five.
  explicit BankSet(std::array<std::string_view, 5> texts);

  // Splits the text of a bank file into its lines (blank lines and a trailing CR are dropped).
  static std::vector<std::string> SplitLines(std::string_view text);

  // Bank of index 0..4 (`tk0`..`tk4`).
  const std::vector<std::string>& Bank(int index) const;
  static std::string Name(int index) { return "tk" + std::to_string(index); }

 private:
  struct Texts;
  std::array<std::vector<std::string>, 5> banks_;
  std::shared_ptr<Texts> texts_;  // set for banks split on first use
};

}  // namespace quorvel::puzzle
