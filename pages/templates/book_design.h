// What the book design refuses before any work: answer counts it does not have, and counts
// whose digits would print under 7 pt on the paper.
#pragma once

#include <string>

#include "pages/options.h"
#include "pages/sheet.h"
#include "puzzle/samurai.h"

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
// A Samurai puzzle (or its solution) `side` wide from (x, y).
void SamuraiField(const Sheet& sheet, const puzzle::SamuraiGrids& samurai, bool answers, double x,
                  double y, double side, int style = 0);

}  // namespace quorvel::pages
