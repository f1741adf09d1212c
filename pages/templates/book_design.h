// What the book design refuses before any work: answer counts it does not have, and counts
// whose digits would print under 7 pt on the paper.
#pragma once

#include <string>

#include "pages/options.h"
#include "pages/sheet.h"
#include "puzzle/samurai.h"
#include "puzzle/variant.h"

namespace quorvel::pages {

// "" when a book of `total_pages` pages can be made with these options in its design.
std::string BookDesignProblem(const BookOptions& options, int total_pages);

// Pieces of the book design's pages that its other pages share.
// The font size whose digits are about half of a cell `cell` inches high.
int DigitSize(double cell);
// The top of a text line of `size` whose digits stand centred in a band `height` tall from `top`.
double CentredTop(double top, double height, int size);
// A Standard grid of side `side` from (x, y) with the digits of `grid` (81 characters, "0" an
// empty cell), in `style`.
void StandardGrid(const Sheet& sheet, double x, double y, double side, const std::string& grid,
                  int style = 0);
// A variant's grid (X-Sudoku, Jigsaw, 4 x 4, 6 x 6) of side `side` from (x, y) with the digits
// of `grid` (n x n characters row by row, "0" an empty cell): region borders as heavy as box
// rules, a Jigsaw's from its `layout`, and X-Sudoku's diagonal cells shaded light grey.
void VariantGrid(const Sheet& sheet, puzzle::PuzzleKind kind, const std::string& layout, double x,
                 double y, double side, const std::string& grid, int style = 0);
// The light grey of X-Sudoku's diagonal cells: 15% black, which prints reliably and leaves the
// digits on it as readable as the others.
inline constexpr report::TColor kDiagonalShade = 0xD9D9D9;
// A Samurai puzzle (or its solution) `side` wide from (x, y).
void SamuraiField(const Sheet& sheet, const puzzle::SamuraiGrids& samurai, bool answers, double x,
                  double y, double side, int style = 0);

}  // namespace quorvel::pages
