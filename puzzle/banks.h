// The five puzzle banks, tk0 (bank level 1, easiest) to tk4 (bank level 5, hardest): ordered
// lists of bank lines. The program's own banks are compiled in (banks/builtin_banks.h); tests
// may build their own.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::puzzle {

class BankSet {
 public:
  BankSet() = default;
  explicit BankSet(std::array<std::vector<std::string>, 5> banks) : banks_(std::move(banks)) {}

  // Splits the text of a bank file into its lines (blank lines and a trailing CR are dropped).
  static std::vector<std::string> SplitLines(std::string_view text);

  // Bank of index 0..4 (`tk0`..`tk4`).
  const std::vector<std::string>& Bank(int index) const { return banks_.at(index); }
  static std::string Name(int index) { return "tk" + std::to_string(index); }

 private:
  std::array<std::vector<std::string>, 5> banks_;
};

}  // namespace quorvel::puzzle
