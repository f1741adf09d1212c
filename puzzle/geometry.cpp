#include "puzzle/geometry.h"

#include <algorithm>
#include <stdexcept>

namespace quorvel::puzzle {

GridGeometry::GridGeometry(int n, std::vector<int> regions) : n_(n), regions_(std::move(regions)) {
  if (n < 1 || static_cast<int>(regions_.size()) != n * n) {
    throw std::invalid_argument("a grid of " + std::to_string(n) + " needs " +
                                std::to_string(n * n) + " region numbers");
  }
  std::vector<std::vector<int>> by_region(static_cast<size_t>(n));
  for (int cell = 0; cell < n * n; ++cell) {
    int r = regions_[static_cast<size_t>(cell)];
    if (r < 0 || r >= n)
      throw std::invalid_argument("region " + std::to_string(r) + " is not 0..n-1");
    by_region[static_cast<size_t>(r)].push_back(cell);
  }
  for (int i = 0; i < n; ++i) {
    std::vector<int> row;
    for (int k = 0; k < n; ++k) row.push_back(i * n + k);
    houses_.push_back(std::move(row));
  }
  for (int i = 0; i < n; ++i) {
    std::vector<int> column;
    for (int k = 0; k < n; ++k) column.push_back(k * n + i);
    houses_.push_back(std::move(column));
  }
  for (std::vector<int>& region : by_region) {
    if (static_cast<int>(region.size()) != n) {
      throw std::invalid_argument("every region of a grid of " + std::to_string(n) + " holds " +
                                  std::to_string(n) + " cells");
    }
    houses_.push_back(std::move(region));
  }
}

const GridGeometry& GridGeometry::Classic() {
  static const GridGeometry classic = Boxes(9, 3, 3);
  return classic;
}

GridGeometry GridGeometry::Boxes(int n, int box_rows, int box_columns) {
  if (box_rows < 1 || box_columns < 1 || box_rows * box_columns != n) {
    throw std::invalid_argument("boxes of " + std::to_string(box_rows) + " x " +
                                std::to_string(box_columns) + " do not tile a grid of " +
                                std::to_string(n));
  }
  std::vector<int> regions(static_cast<size_t>(n * n));
  const int across = n / box_columns;  // boxes side by side
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      regions[static_cast<size_t>(row * n + column)] =
          (row / box_rows) * across + column / box_columns;
    }
  }
  return GridGeometry(n, std::move(regions));
}

GridGeometry GridGeometry::Regions(int n, std::vector<int> regions) {
  return GridGeometry(n, std::move(regions));
}

GridGeometry& GridGeometry::AddHouse(std::vector<int> cells) {
  for (int cell : cells) {
    if (cell < 0 || cell >= Cells()) throw std::invalid_argument("a house cell is off the grid");
  }
  houses_.push_back(std::move(cells));
  return *this;
}

GridGeometry& GridGeometry::AddDiagonals() {
  std::vector<int> down, up;
  for (int i = 0; i < n_; ++i) {
    down.push_back(i * n_ + i);
    up.push_back(i * n_ + (n_ - 1 - i));
  }
  AddHouse(std::move(down));
  return AddHouse(std::move(up));
}

bool GridGeometry::BorderAbove(int row, int column) const {
  if (row <= 0 || row >= n_) return true;
  return RegionOf(row - 1, column) != RegionOf(row, column);
}

bool GridGeometry::BorderLeftOf(int row, int column) const {
  if (column <= 0 || column >= n_) return true;
  return RegionOf(row, column - 1) != RegionOf(row, column);
}

bool GridGeometry::HeavyRow(int row) const {
  for (int column = 0; column < n_; ++column) {
    if (!BorderAbove(row, column)) return false;
  }
  return true;
}

bool GridGeometry::HeavyColumn(int column) const {
  for (int row = 0; row < n_; ++row) {
    if (!BorderLeftOf(row, column)) return false;
  }
  return true;
}

std::vector<GridGeometry::BorderRun> GridGeometry::BorderRuns() const {
  std::vector<BorderRun> runs;
  for (int line = 0; line <= n_; ++line) {
    for (const bool across : {true, false}) {
      auto border = [&](int k) { return across ? BorderAbove(line, k) : BorderLeftOf(k, line); };
      for (int from = 0; from < n_;) {
        int to = from;
        while (to < n_ && border(to)) ++to;
        if (to > from) runs.push_back({across, line, from, to});
        from = std::max(to, from + 1);
      }
    }
  }
  return runs;
}

}  // namespace quorvel::puzzle
