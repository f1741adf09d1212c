#include "puzzle/samurai.h"

#include <stdexcept>

namespace quorvel::puzzle {
namespace {

// Row and column offsets of a corner grid's shared box cells onto the centre grid, and the
// first row and column of that box, for grids 2..5.
struct Corner {
  int dr, dc, row0, col0;
};
constexpr Corner kCorners[5] = {
    {0, 0, 0, 0}, {-6, -6, 7, 7}, {-6, 6, 7, 1}, {6, -6, 1, 7}, {6, 6, 1, 1}};

char SwapChar(char ch) {
  if (ch >= 'A' && ch <= 'I') return static_cast<char>('1' + (ch - 'A'));
  if (ch >= '1' && ch <= '9') return static_cast<char>('A' + (ch - '1'));
  return ch;
}

char CellChar(const std::string& s, int col, int row) {
  size_t pos = static_cast<size_t>((row - 1) * 9 + col - 1);
  return pos < s.size() ? s[pos] : '\0';
}

}  // namespace

std::string ReplaceAllText(std::string_view text, std::string_view search,
                           std::string_view replacement) {
  if (search.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = text.find(search, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + search.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string SwapLetterDigit(std::string_view ch) {
  if (ch.size() != 1) return std::string(ch);
  return std::string(1, SwapChar(ch[0]));
}

SamuraiGrids AssembleSamurai(PuzzleSupply& supply, int bank_level) {
  SamuraiGrids digits;
  std::array<std::array<bool, 81>, 5> given{};
  for (int g = 0; g < 5; ++g) {
    supply.LevelPick(bank_level);
    TQJ& grid = supply.Grid();
    digits[g] = grid.GetSolution();
    if (digits[g].empty()) {
      throw std::runtime_error("Samurai grid " + std::to_string(g + 1) +
                               " has no complete solution");
    }
    for (int r = 1; r <= 9; ++r) {
      for (int c = 1; c <= 9; ++c) given[g][(r - 1) * 9 + c - 1] = grid.Cell(r, c).Given;
    }
  }
  // Relabel each corner so that its shared box equals the centre's box cell for cell.
  for (int g = 1; g < 5; ++g) {
    const Corner& k = kCorners[g];
    for (int r = k.row0; r < k.row0 + 3; ++r) {
      for (int c = k.col0; c < k.col0 + 3; ++c) {
        char d = digits[g][(r - 1) * 9 + c - 1];
        char e = digits[0][(r + k.dr - 1) * 9 + (c + k.dc) - 1];
        digits[g] = ReplaceAllText(digits[g], std::string(1, d), std::string(1, SwapChar(e)));
      }
    }
  }
  // Givens as digits, empty cells as letters.
  for (int g = 0; g < 5; ++g) {
    for (int i = 0; i < 81; ++i) {
      bool keep = (g == 0) == given[g][i];
      if (!keep) digits[g][i] = SwapChar(digits[g][i]);
    }
  }
  return digits;
}

void SamuraiBatch::Store(int page, const SamuraiGrids& grids) {
  if (page < 1 || page > kPages) {
    throw std::out_of_range("Samurai page " + std::to_string(page) + " is not 1..200");
  }
  for (int g = 0; g < 5; ++g) entries_[(page - 1) * 5 + g] = grids[g];
}

const std::string& SamuraiBatch::Entry(int page, int grid) const {
  return entries_.at(static_cast<size_t>((page - 1) * 5 + (grid - 1)));
}

namespace {

std::string PuzzleCell(char ch) {
  if (ch == '\0' || (ch >= 'A' && ch <= 'I')) return std::string();
  return std::string(1, ch);
}

std::string AnswerCell(char ch) {
  if (ch == '\0') return std::string();
  return std::string(1, (ch >= 'A' && ch <= 'I') ? SwapChar(ch) : ch);
}

}  // namespace

std::string SamuraiPuzzleCell(const SamuraiBatch& batch, int page, int grid, int col, int row) {
  return PuzzleCell(CellChar(batch.Entry(page, grid), col, row));
}

std::string SamuraiAnswerCell(const SamuraiBatch& batch, int page, int grid, int col, int row) {
  return AnswerCell(CellChar(batch.Entry(page, grid), col, row));
}

std::string SamuraiPuzzleCell(const SamuraiGrids& grids, int grid, int col, int row) {
  return PuzzleCell(CellChar(grids.at(static_cast<size_t>(grid - 1)), col, row));
}

std::string SamuraiAnswerCell(const SamuraiGrids& grids, int grid, int col, int row) {
  return AnswerCell(CellChar(grids.at(static_cast<size_t>(grid - 1)), col, row));
}

}  // namespace quorvel::puzzle
