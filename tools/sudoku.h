// Shared Sudoku geometry for the bank tools: units, peers and candidate bit tricks.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace quorvel::tools {

// Candidate masks use bit d - 1 for digit d.
constexpr uint16_t kAllDigits = 0x1FF;
inline int PopCount(uint16_t m) { return std::popcount(m); }
inline int LowestDigit(uint16_t m) { return std::countr_zero(m) + 1; }
inline uint16_t Bit(int digit) { return static_cast<uint16_t>(1u << (digit - 1)); }

inline int RowOf(int cell) { return cell / 9; }
inline int ColOf(int cell) { return cell % 9; }
inline int BoxIndexOf(int cell) { return 3 * (cell / 27) + (cell % 9) / 3; }

struct Geometry {
  // Units 0..8 rows, 9..17 columns, 18..26 boxes; each lists its nine cells in order.
  std::array<std::array<int, 9>, 27> units;
  // The three units of a cell: row, column, box.
  std::array<std::array<int, 3>, 81> units_of;
  // The 20 peers of a cell.
  std::array<std::array<int, 20>, 81> peers;
  std::array<std::array<bool, 81>, 81> sees;  // peers, not the cell itself
};

const Geometry& Geo();

}  // namespace quorvel::tools
