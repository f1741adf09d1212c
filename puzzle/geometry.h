// The one grid geometry: an n x n grid of digits 1..n and the houses that must each hold every
// digit once. Rows and columns always; regions of any shape (the boxes of a classic grid, the
// irregular regions of a jigsaw); extra houses such as the two diagonals. The page templates
// draw a grid from it (heavy rules where regions meet), and the tools build their fast tables
// from it.
#pragma once

#include <string>
#include <vector>

namespace quorvel::puzzle {

class GridGeometry {
 public:
  // The classic 9 x 9 grid with 3 x 3 boxes.
  static const GridGeometry& Classic();
  // An n x n grid of boxes `box_rows` tall and `box_columns` wide (4 x 4 of 2 x 2, 6 x 6 of
  // 2 x 3, ...).
  static GridGeometry Boxes(int n, int box_rows, int box_columns);
  // An n x n grid whose cell (row, column) belongs to region regions[row * n + column], the
  // regions numbered 0..n-1. Throws std::invalid_argument when that is not n regions of n cells.
  static GridGeometry Regions(int n, std::vector<int> regions);

  // Adds a house beyond the rows, columns and regions (cell indexes row * n + column).
  GridGeometry& AddHouse(std::vector<int> cells);
  // Adds both main diagonals.
  GridGeometry& AddDiagonals();

  int Size() const { return n_; }
  int Cells() const { return n_ * n_; }
  int RegionOf(int row, int column) const {
    return regions_[static_cast<size_t>(row * n_ + column)];
  }
  // Whether the rule between rows row - 1 and row (0..n; 0 and n are the grid's edges) is a
  // region border at `column`; and the same for the rule between columns.
  bool BorderAbove(int row, int column) const;
  bool BorderLeftOf(int row, int column) const;
  // Whether horizontal rule `row` (0..n) is a region border along the grid's whole width, and
  // vertical rule `column` along its whole height: such a rule is drawn heavy in one piece.
  bool HeavyRow(int row) const;
  bool HeavyColumn(int column) const;
  // The region borders (the grid's edges among them) as straight runs, each drawn in one piece:
  // along horizontal rule `line` (0..n) from column `from` to column `to` (exclusive) when
  // `across`, else along vertical rule `line` from row `from` to row `to`; rule by rule, the
  // horizontal runs of each before its vertical ones.
  struct BorderRun {
    bool across;
    int line, from, to;
  };
  std::vector<BorderRun> BorderRuns() const;

  // Every house: the rows, then the columns, then the regions, then the extra houses; each a
  // list of cell indexes in reading order.
  const std::vector<std::vector<int>>& Houses() const { return houses_; }

 private:
  GridGeometry(int n, std::vector<int> regions);

  int n_;
  std::vector<int> regions_;
  std::vector<std::vector<int>> houses_;
};

}  // namespace quorvel::puzzle
