// The drawing vocabulary of the page templates: a page being built, where the Letter design
// goes on it, and the few things a page is made of (texts, rules, grids). Positions, lengths,
// line widths and font sizes of the design pass through here.
#pragma once

#include <cmath>
#include <string>
#include <utility>

#include "pages/paper.h"
#include "puzzle/geometry.h"
#include "report/document.h"

namespace quorvel::pages {

// Where a grid's rules and digits go, in the design's inches: cell side `c`, the top-left
// corner (x0, y0) of its rules, and the corner (text_x0, text_y0) of its first cell's text;
// `size` is its digits' font size.
struct Block {
  double c, x0, y0, text_x0, text_y0;
  int size;
};

struct Sheet {
  report::TReportPage& page;
  Placement at;
  // The font style of Cell texts (report::fsBold ...); 0 leaves the item's as it is.
  int cell_style = 0;

  double X(double x) const { return at.Identity() ? x : at.left + at.scale * x; }
  double Y(double y) const { return at.Identity() ? y : at.top + at.scale * y; }
  double Length(double v) const { return at.Identity() ? v : at.scale * v; }
  // Sizes stay whole points.
  int Size(int points) const {
    return at.Identity() ? points : static_cast<int>(std::lround(points * at.scale));
  }

  // A left-justified text in the program's font.
  void Text(const std::string& text, double left, double top, int size) const;
  // The same, its position and size set before its text.
  void TextPlacedFirst(const std::string& text, double left, double top, int size) const;
  // A text centred in a cell one inch wide from `left`.
  void Cell(double left, double top, int size, const std::string& text) const;
  // A text `justify`-ed (report::pjLeft, pjCenter, pjRight) within `width` from `left`.
  void TextIn(const std::string& text, double left, double top, double width, int size,
              report::TPrintJustify justify) const;
  // Rules `width` long (or `height` tall) and `line_width` hundredths of an inch thick.
  void HLine(double left, double width, int line_width, double top) const;
  void VLine(double top, double height, int line_width, double left) const;

  // A rectangle `width` by `height` (width at least half the height) filled with `color`
  // (0x00BBGGRR), as two rules of half its height whose square ends reach its edges.
  void Shade(double left, double top, double width, double height, report::TColor color) const;

  // The widths of a grid's rules in the design's units: cell rules and region borders.
  struct Rules {
    int light = 5, heavy = 10;
    int Width(bool border) const { return border ? heavy : light; }
  };

  // A grid of `geometry`: its horizontal rules from the top, its vertical rules from the left
  // (heavy where regions meet along the whole rule), then its cells column by column, each with
  // the (size, text) that cell_text(row, column) gives, both counted from 1.
  template <class CellText>
  void Grid(const puzzle::GridGeometry& geometry, const Block& b, CellText&& cell_text,
            Rules rules = {}) const {
    const int n = geometry.Size();
    for (int k = 0; k <= n; ++k) {
      HLine(b.x0, n * b.c, rules.Width(geometry.HeavyRow(k)), b.y0 + k * b.c);
    }
    for (int k = 0; k <= n; ++k) {
      VLine(b.y0, n * b.c, rules.Width(geometry.HeavyColumn(k)), b.x0 + k * b.c);
    }
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        auto [size, text] = cell_text(i, j);
        Cell((i - 1) * b.c + b.text_x0, (j - 1) * b.c + b.text_y0, size, text);
      }
    }
  }
  // The width of a rule of the Letter design: region borders are heavy.
  static int RuleWidth(bool heavy) { return Rules{}.Width(heavy); }
};

}  // namespace quorvel::pages
