#include "puzzle/grid.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <utility>

#include "puzzle/geometry.h"
#include "puzzle/random.h"

namespace quorvel::puzzle {
namespace {

[[noreturn]] void ThrowConversion(std::string_view text, size_t index) {
  if (index >= text.size()) {
    throw ConversionError("missing character at position " + std::to_string(index + 1),
                          static_cast<int>(index + 1));
  }
  unsigned char ch = static_cast<unsigned char>(text[index]);
  std::string shown = (ch >= 0x20 && ch < 0x7F) ? std::string("'") + static_cast<char>(ch) + "'"
                                                : "byte " + std::to_string(ch);
  throw ConversionError(
      shown + " at position " + std::to_string(index + 1) + " is not a valid digit",
      static_cast<int>(index + 1));
}

bool IsBlankOrControl(char ch) { return static_cast<unsigned char>(ch) <= 0x20; }

}  // namespace

int BoxOf(int row, int col) { return GridGeometry::Classic().RegionOf(row - 1, col - 1) + 1; }

void TQJ::LoadBankLine(std::string_view line) {
  for (int r = 1; r <= 9; ++r) {
    for (int c = 1; c <= 9; ++c) {
      TNode& cell = Cell(r, c);
      cell.Row = r;
      cell.Col = c;
      size_t index = static_cast<size_t>(9 * (r - 1) + c - 1);
      if (index >= line.size()) ThrowConversion(line, index);
      char ch = line[index];
      if (ch >= 'A' && ch <= 'I') {
        cell.Given = false;
        cell.Value = ch - 'A' + 1;
      } else if (ch >= '0' && ch <= '9') {
        cell.Given = true;
        cell.Value = ch - '0';
      } else {
        ThrowConversion(line, index);
      }
    }
  }
  Scramble(200);
}

void TQJ::Scramble(int count) {
  random_->Reseed();
  // Row swaps, column swaps and digit relabellings commute with one another, so each kind is
  // gathered into one permutation and the grid is rewritten once at the end.
  Moves moves;
  std::iota(moves.row_from.begin(), moves.row_from.end(), 0);
  std::iota(moves.col_from.begin(), moves.col_from.end(), 0);
  std::iota(moves.label.begin(), moves.label.end(), 0);
  for (int i = 0; i < count; ++i) ApplyMove(moves);
  TNode before[9][9];
  std::copy(&cells_[0][0], &cells_[0][0] + 81, &before[0][0]);
  for (size_t r = 0; r < 9; ++r) {
    for (size_t c = 0; c < 9; ++c) {
      const TNode& from = before[moves.row_from[r]][moves.col_from[c]];
      TNode& cell = cells_[r][c];
      cell.Value = from.Value >= 1 && from.Value <= 9 ? moves.label[static_cast<size_t>(from.Value)]
                                                      : from.Value;
      cell.Given = from.Given;
    }
  }
}

void TQJ::ApplyMove(Moves& moves) {
  int kind = static_cast<int>(random_->Below(7)) + 1;
  int a = static_cast<int>(random_->Below(3)) + 1;
  int t = static_cast<int>(random_->Below(2)) + 1;
  // The t-th smallest of the two positions of {1, 2, 3} other than a.
  int b = (a == 1) ? t + 1 : (a == 2 ? (t == 1 ? 1 : 3) : t);
  if (kind <= 3) {
    // Columns x and y change places.
    std::swap(moves.col_from[static_cast<size_t>(3 * (kind - 1) + a - 1)],
              moves.col_from[static_cast<size_t>(3 * (kind - 1) + b - 1)]);
  } else if (kind <= 6) {
    // Rows x and y change places.
    std::swap(moves.row_from[static_cast<size_t>(3 * (kind - 4) + a - 1)],
              moves.row_from[static_cast<size_t>(3 * (kind - 4) + b - 1)]);
  } else {
    int d1 = static_cast<int>(random_->Below(9)) + 1;
    int d2 = static_cast<int>(random_->Below(9)) + 1;
    if (d2 == d1) d2 = (d1 == 9) ? 1 : d1 + 1;
    // Every cell showing d1 shows d2 and the other way round.
    for (int& shown : moves.label) {
      if (shown == d1) {
        shown = d2;
      } else if (shown == d2) {
        shown = d1;
      }
    }
  }
}

std::string TQJ::GetSolution() const {
  std::string out;
  out.reserve(81);
  for (const auto& row : cells_) {
    for (const TNode& cell : row) {
      if (cell.Value < 1 || cell.Value > 9) return std::string();
      out.push_back(static_cast<char>('0' + cell.Value));
    }
  }
  return out;
}

void TQJ::Clear() {
  for (auto& row : cells_) {
    for (TNode& cell : row) cell.Value = 0;
  }
}

void TQJ::LoadPuzzle(std::string_view text) {
  Clear();
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  std::string_view body = text.substr(begin, end - begin);
  if (body.size() != 81) return;
  for (int r = 1; r <= 9; ++r) {
    for (int c = 1; c <= 9; ++c) {
      size_t index = static_cast<size_t>(9 * (r - 1) + c - 1);
      char ch = body[index];
      if (ch < '0' || ch > '9') ThrowConversion(body, index);
      TNode& cell = Cell(r, c);
      int v = ch - '0';
      cell.Given = v >= 1;
      cell.Value = v;
    }
  }
}

std::string TQJ::GetCandidates(int row, int col) const {
  const TNode& self = Cell(row, col);
  std::string working;
  if (self.Given) {
    working = std::to_string(self.Value);
  } else {
    int box = BoxOf(row, col);
    for (int i = 1; i <= 9; ++i) {
      for (int j = 1; j <= 9; ++j) {
        if (i == row && j == col) continue;
        if (i != row && j != col && BoxOf(i, j) != box) continue;
        const TNode& other = Cell(i, j);
        if (other.Given) working += std::to_string(other.Value);
      }
    }
  }
  std::string out;
  for (char d = '1'; d <= '9'; ++d) {
    if (working.find(d) == std::string::npos) out.push_back(d);
  }
  return out;
}

std::string TQJ::PuzzleString() const {
  std::string out;
  out.reserve(81);
  for (const auto& row : cells_) {
    for (const TNode& cell : row) {
      out.push_back(cell.Given ? static_cast<char>('0' + cell.Value) : '0');
    }
  }
  return out;
}

}  // namespace quorvel::puzzle
