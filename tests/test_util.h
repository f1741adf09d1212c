// Shared helpers for the tests: a known puzzle, Sudoku validity checks, and seed searches that
// drive the random source into a chosen draw.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "puzzle/banks.h"

namespace quorvel::testing {

// A well-known puzzle with a unique solution (30 givens) and that solution.
inline const std::string kPuzzle =
    "530070000600195000098000060800060003400803001700020006060000280000419005000080079";
inline const std::string kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

// The bank line of a puzzle and its solution: digits for givens, letters for empty cells.
inline std::string BankLine(const std::string& puzzle, const std::string& solution) {
  std::string line(81, '?');
  for (int i = 0; i < 81; ++i) {
    line[i] = puzzle[i] != '0' ? puzzle[i] : static_cast<char>('A' + (solution[i] - '1'));
  }
  return line;
}

// The same puzzle with its digits relabelled d -> map[d-1]; still a valid, unique puzzle.
inline std::string Relabel(const std::string& s, const std::string& map) {
  std::string out = s;
  for (char& ch : out) {
    if (ch >= '1' && ch <= '9') ch = map[ch - '1'];
  }
  return out;
}

// True when s is 81 digits 1..9 forming a valid Sudoku solution.
inline bool IsValidSolution(const std::string& s) {
  if (s.size() != 81) return false;
  for (int unit = 0; unit < 27; ++unit) {
    int seen = 0;
    for (int k = 0; k < 9; ++k) {
      int r, c;
      if (unit < 9) {
        r = unit, c = k;
      } else if (unit < 18) {
        r = k, c = unit - 9;
      } else {
        int b = unit - 18;
        r = 3 * (b / 3) + k / 3, c = 3 * (b % 3) + k % 3;
      }
      char ch = s[r * 9 + c];
      if (ch < '1' || ch > '9') return false;
      seen |= 1 << (ch - '1');
    }
    if (seen != 0x1FF) return false;
  }
  return true;
}

// A bank set whose every bank holds three relabellings of kPuzzle.
inline puzzle::BankSet FixtureBanks() {
  std::vector<std::string> lines = {
      BankLine(kPuzzle, kSolution),
      BankLine(Relabel(kPuzzle, "234567891"), Relabel(kSolution, "234567891")),
      BankLine(Relabel(kPuzzle, "987654321"), Relabel(kSolution, "987654321")),
  };
  return puzzle::BankSet({lines, lines, lines, lines, lines});
}

// The generator's step, written out from its definition, so the tests can search for seeds.
struct Lcg {
  uint32_t seed;
  uint32_t Below(uint32_t n) {
    seed = seed * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed) * n) >> 32);
  }
};

// The first seed from 1 on for which `draws` accepts the generator that starts there.
inline uint32_t FindSeed(const std::function<bool(Lcg&)>& draws) {
  for (uint32_t s = 1;; ++s) {
    Lcg lcg{s};
    if (draws(lcg)) return s;
  }
}

}  // namespace quorvel::testing
