// Samurai assembly: five independently picked grids, the four corner grids relabelled so that
// each shared box carries the centre grid's digits, kept per page in the Samurai store.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "puzzle/supply.h"

namespace quorvel::puzzle {

// Grids in store order: 1 centre, 2 top-left, 3 top-right, 4 bottom-left, 5 bottom-right.
using SamuraiGrids = std::array<std::string, 5>;

// Every occurrence of `search` replaced by `replacement`, scanning left to right; replaced text
// is never scanned again. An empty search text leaves the text unchanged.
std::string ReplaceAllText(std::string_view text, std::string_view search,
                           std::string_view replacement);

// "A".."I" to "1".."9" and back; any other text is returned unchanged.
std::string SwapLetterDigit(std::string_view ch);

// Five level picks of `bank_level`, relabelled and encoded as grid strings (digits for givens,
// letters for empty cells). Throws when a picked grid has no solution.
SamuraiGrids AssembleSamurai(PuzzleSupply& supply, int bank_level);

// The grid strings of up to 200 pages, page-major: page k grid g is entry (k-1)*5 + (g-1).
class SamuraiBatch {
 public:
  static constexpr int kPages = 200;

  void Store(int page, const SamuraiGrids& grids);
  const std::string& Entry(int page, int grid) const;

 private:
  std::array<std::string, kPages * 5> entries_;
};

// Cell text on a puzzle page: the given digit, or "" for an empty cell (a letter).
std::string SamuraiPuzzleCell(const SamuraiBatch& batch, int page, int grid, int col, int row);
// Cell text on an answer page: the solution digit.
std::string SamuraiAnswerCell(const SamuraiBatch& batch, int page, int grid, int col, int row);
// The same of one Samurai puzzle's grids.
std::string SamuraiPuzzleCell(const SamuraiGrids& grids, int grid, int col, int row);
std::string SamuraiAnswerCell(const SamuraiGrids& grids, int grid, int col, int row);

}  // namespace quorvel::puzzle
