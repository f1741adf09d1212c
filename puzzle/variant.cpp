#include "puzzle/variant.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <stdexcept>

#include "puzzle/options.h"

namespace quorvel::puzzle {
namespace {

// A move of a grid: the new grid's cell i is the old grid's cell move[i].
using Move = std::vector<int>;

// The eight turns and mirrors of an n x n square.
std::vector<Move> Square(int n) {
  std::vector<Move> moves;
  for (int t = 0; t < 8; ++t) {
    Move m(static_cast<size_t>(n * n));
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        int a = (t & 1) ? c : r, b = (t & 1) ? r : c;
        if (t & 2) a = n - 1 - a;
        if (t & 4) b = n - 1 - b;
        m[static_cast<size_t>(r * n + c)] = a * n + b;
      }
    }
    moves.push_back(m);
  }
  return moves;
}

// Every order of the lines of a grid that keeps its bands of `band` lines together: the bands
// in any order and the lines of each band in any order. line[new] = old.
std::vector<std::vector<int>> LineOrders(int n, int band) {
  const int bands = n / band;
  std::vector<int> band_order(static_cast<size_t>(bands));
  std::iota(band_order.begin(), band_order.end(), 0);
  std::vector<std::vector<int>> inner;
  std::vector<int> one(static_cast<size_t>(band));
  std::iota(one.begin(), one.end(), 0);
  do inner.push_back(one);
  while (std::next_permutation(one.begin(), one.end()));
  std::vector<std::vector<int>> orders;
  do {
    // Each band picks one of the inner orders: count them in base inner.size().
    size_t combos = 1;
    for (int b = 0; b < bands; ++b) combos *= inner.size();
    for (size_t k = 0; k < combos; ++k) {
      std::vector<int> order;
      size_t rest = k;
      for (int b = 0; b < bands; ++b) {
        const std::vector<int>& in = inner[rest % inner.size()];
        rest /= inner.size();
        for (int i : in) order.push_back(band_order[static_cast<size_t>(b)] * band + i);
      }
      orders.push_back(order);
    }
  } while (std::next_permutation(band_order.begin(), band_order.end()));
  return orders;
}

std::vector<Move> BoxMoves(int n, int box_rows, int box_columns) {
  const std::vector<std::vector<int>> rows = LineOrders(n, box_rows);
  const std::vector<std::vector<int>> columns = LineOrders(n, box_columns);
  std::vector<Move> moves;
  for (int transpose = 0; transpose < (box_rows == box_columns ? 2 : 1); ++transpose) {
    for (const auto& ro : rows) {
      for (const auto& co : columns) {
        Move m(static_cast<size_t>(n * n));
        for (int r = 0; r < n; ++r) {
          for (int c = 0; c < n; ++c) {
            const int a = ro[static_cast<size_t>(r)], b = co[static_cast<size_t>(c)];
            m[static_cast<size_t>(r * n + c)] = transpose ? b * n + a : a * n + b;
          }
        }
        moves.push_back(m);
      }
    }
  }
  return moves;
}

// The moves of a 9 x 9 grid that keep its boxes and both diagonals: the same line order for
// rows and columns, one that commutes with reading the lines backwards, then a turn or mirror.
// Reading the lines backwards is itself such an order, and on rows and columns at once it is
// the half turn, so each of the 96 moves comes up twice: it is kept once.
std::vector<Move> XMoves() {
  std::vector<Move> moves;
  std::set<Move> seen;
  for (const std::vector<int>& p : LineOrders(9, 3)) {
    bool keeps = true;
    for (int r = 0; r < 9; ++r)
      keeps &= p[static_cast<size_t>(8 - r)] == 8 - p[static_cast<size_t>(r)];
    if (!keeps) continue;
    for (const Move& turn : Square(9)) {
      Move m(81);
      for (int i = 0; i < 81; ++i) {
        const int old = turn[static_cast<size_t>(i)];
        m[static_cast<size_t>(i)] =
            p[static_cast<size_t>(old / 9)] * 9 + p[static_cast<size_t>(old % 9)];
      }
      if (seen.insert(m).second) moves.push_back(m);
    }
  }
  return moves;
}

const std::vector<Move>& Moves(PuzzleKind kind) {
  static const std::vector<Move> x = XMoves(), jigsaw = Square(9), four = BoxMoves(4, 2, 2),
                                 six = BoxMoves(6, 2, 3);
  switch (kind) {
    case PuzzleKind::kX:
      return x;
    case PuzzleKind::kJigsaw:
      return jigsaw;
    case PuzzleKind::kFour:
      return four;
    case PuzzleKind::kSix:
      return six;
    default:
      throw std::invalid_argument("not a variant");
  }
}

// The layout's regions renumbered "1".."9" in order of first appearance.
std::string Renumbered(const std::string& layout) {
  std::string to(10, 0), out;
  char next = '1';
  for (char c : layout) {
    char& t = to[static_cast<size_t>(c - '0')];
    if (!t) t = next++;
    out.push_back(t);
  }
  return out;
}

VariantPuzzle Apply(const VariantPuzzle& p, const Move& m, const std::vector<int>& digits) {
  VariantPuzzle out;
  for (int old : m) {
    const char given = p.puzzle[static_cast<size_t>(old)];
    const char solved = p.solution[static_cast<size_t>(old)];
    out.puzzle.push_back(
        given == '0' ? '0' : static_cast<char>('0' + digits[static_cast<size_t>(given - '1')]));
    out.solution.push_back(static_cast<char>('0' + digits[static_cast<size_t>(solved - '1')]));
    if (!p.layout.empty()) out.layout.push_back(p.layout[static_cast<size_t>(old)]);
  }
  if (!out.layout.empty()) out.layout = Renumbered(out.layout);
  return out;
}

}  // namespace

bool IsVariant(PuzzleKind kind) {
  return kind != PuzzleKind::kStandard && kind != PuzzleKind::kSamurai;
}

const std::vector<PuzzleKind>& VariantKinds() {
  static const std::vector<PuzzleKind> kinds = {PuzzleKind::kX, PuzzleKind::kJigsaw,
                                                PuzzleKind::kSix, PuzzleKind::kFour};
  return kinds;
}

int GridSize(PuzzleKind kind) {
  return kind == PuzzleKind::kFour ? 4 : kind == PuzzleKind::kSix ? 6 : 9;
}

std::string KindKey(PuzzleKind kind) {
  switch (kind) {
    case PuzzleKind::kStandard:
      return "standard";
    case PuzzleKind::kSamurai:
      return "samurai";
    case PuzzleKind::kX:
      return "x";
    case PuzzleKind::kJigsaw:
      return "jigsaw";
    case PuzzleKind::kFour:
      return "4x4";
    case PuzzleKind::kSix:
      return "6x6";
  }
  return "?";
}

std::optional<PuzzleKind> KindFromKey(std::string_view key) {
  for (PuzzleKind k : {PuzzleKind::kStandard, PuzzleKind::kSamurai, PuzzleKind::kX,
                       PuzzleKind::kJigsaw, PuzzleKind::kFour, PuzzleKind::kSix}) {
    if (KindKey(k) == key) return k;
  }
  return std::nullopt;
}

std::string KindTitle(PuzzleKind kind) {
  switch (kind) {
    case PuzzleKind::kStandard:
      return "Sudoku";
    case PuzzleKind::kSamurai:
      return "Samurai Sudoku";
    case PuzzleKind::kX:
      return "X-Sudoku";
    case PuzzleKind::kJigsaw:
      return "Jigsaw Sudoku";
    case PuzzleKind::kFour:
      return "4x4 Sudoku";
    case PuzzleKind::kSix:
      return "6x6 Sudoku";
  }
  return "?";
}

bool HasLevel(PuzzleKind kind, int level) {
  if (level < 0 || level > 5) return false;
  if (kind == PuzzleKind::kFour) return level <= 1;
  if (kind == PuzzleKind::kSix) return level <= 3;
  return true;
}

std::vector<int> Levels(PuzzleKind kind) {
  std::vector<int> levels;
  for (int level = 0; level <= 5; ++level) {
    if (HasLevel(kind, level)) levels.push_back(level);
  }
  return levels;
}

int BankCount(PuzzleKind kind) {
  return kind == PuzzleKind::kFour ? 2 : kind == PuzzleKind::kSix ? 4 : 5;
}

int BankOf(PuzzleKind kind, int level) {
  if (kind == PuzzleKind::kFour || kind == PuzzleKind::kSix) return level;
  return GetBankLevel(level) - 1;
}

std::string BankName(PuzzleKind kind, int bank) {
  const std::string key = KindKey(kind);
  return GridSize(kind) == 9 ? key + std::to_string(bank) : key + "-" + std::to_string(bank);
}

VariantPuzzle ParseVariantLine(PuzzleKind kind, std::string_view line) {
  const int n = GridSize(kind), cells = n * n;
  const bool jigsaw = kind == PuzzleKind::kJigsaw;
  const size_t length = static_cast<size_t>(jigsaw ? 2 * cells + 1 : cells);
  if (line.size() != length) {
    throw std::invalid_argument("a " + KindTitle(kind) + " line has " + std::to_string(length) +
                                " characters, not " + std::to_string(line.size()));
  }
  VariantPuzzle p;
  for (int i = 0; i < cells; ++i) {
    const char c = line[static_cast<size_t>(i)];
    if (c >= '1' && c < '1' + n) {
      p.puzzle.push_back(c);
      p.solution.push_back(c);
    } else if (c >= 'A' && c < 'A' + n) {
      p.puzzle.push_back('0');
      p.solution.push_back(static_cast<char>('1' + (c - 'A')));
    } else {
      throw std::invalid_argument("character " + std::to_string(i + 1) + " '" + std::string(1, c) +
                                  "' is neither a digit 1.." + std::to_string(n) +
                                  " nor a letter A.." +
                                  std::string(1, static_cast<char>('A' + n - 1)));
    }
  }
  if (jigsaw) {
    if (line[static_cast<size_t>(cells)] != ' ') {
      throw std::invalid_argument("a Jigsaw line's puzzle and layout are parted by a space");
    }
    p.layout = std::string(line.substr(static_cast<size_t>(cells) + 1));
    for (char c : p.layout) {
      if (c < '1' || c > '9') {
        throw std::invalid_argument("a Jigsaw layout names regions 1..9, not '" +
                                    std::string(1, c) + "'");
      }
    }
    VariantGeometry(kind, p.layout);  // nine regions of nine cells
  }
  return p;
}

std::string VariantLine(PuzzleKind kind, const VariantPuzzle& p) {
  std::string line;
  for (size_t i = 0; i < p.puzzle.size(); ++i) {
    line.push_back(p.puzzle[i] != '0' ? p.puzzle[i]
                                      : static_cast<char>('A' + (p.solution[i] - '1')));
  }
  if (kind == PuzzleKind::kJigsaw) line += " " + p.layout;
  return line;
}

GridGeometry VariantGeometry(PuzzleKind kind, std::string_view layout) {
  switch (kind) {
    case PuzzleKind::kX:
      return GridGeometry(GridGeometry::Classic()).AddDiagonals();
    case PuzzleKind::kJigsaw: {
      if (layout.size() != 81) throw std::invalid_argument("a Jigsaw layout has 81 cells");
      std::vector<int> regions;
      for (char c : layout) regions.push_back(c - '1');
      return GridGeometry::Regions(9, std::move(regions));
    }
    case PuzzleKind::kFour:
      return GridGeometry::Boxes(4, 2, 2);
    case PuzzleKind::kSix:
      return GridGeometry::Boxes(6, 2, 3);
    default:
      return GridGeometry::Classic();
  }
}

int VariantBankIndex(PuzzleKind kind, int bank) {
  int index = 0;
  for (PuzzleKind k : VariantKinds()) {
    if (k == kind) {
      if (bank < 0 || bank >= BankCount(kind)) break;
      return index + bank;
    }
    index += BankCount(k);
  }
  throw std::out_of_range(KindKey(kind) + " has no bank " + std::to_string(bank));
}

VariantBank VariantBankAt(int index) {
  int first = 0;
  for (PuzzleKind k : VariantKinds()) {
    if (index >= first && index < first + BankCount(k)) return {k, index - first};
    first += BankCount(k);
  }
  throw std::out_of_range("no variant bank " + std::to_string(index));
}

int MoveCount(PuzzleKind kind) { return static_cast<int>(Moves(kind).size()); }

VariantPuzzle Transform(PuzzleKind kind, const VariantPuzzle& p, int move,
                        const std::vector<int>& digits) {
  return Apply(p, Moves(kind).at(static_cast<size_t>(move)), digits);
}

VariantPuzzle Scramble(PuzzleKind kind, const VariantPuzzle& p, RandomSource& random) {
  const int n = GridSize(kind);
  std::vector<int> digits(static_cast<size_t>(n));
  std::iota(digits.begin(), digits.end(), 1);
  for (int i = n - 1; i > 0; --i) {
    std::swap(digits[static_cast<size_t>(i)], digits[random.Below(static_cast<uint32_t>(i + 1))]);
  }
  const int move = static_cast<int>(random.Below(static_cast<uint32_t>(MoveCount(kind))));
  return Transform(kind, p, move, digits);
}

std::string VariantForm(PuzzleKind kind, std::string_view line) {
  const VariantPuzzle p = ParseVariantLine(kind, line);
  const int n = GridSize(kind);
  std::string best;
  std::vector<int> digits(static_cast<size_t>(n));
  for (const Move& m : Moves(kind)) {
    // Relabelled so that the moved solution's digits first appear in the order 1, 2, 3, ...
    std::fill(digits.begin(), digits.end(), 0);
    int next = 1;
    for (int old : m) {
      int& d = digits[static_cast<size_t>(p.solution[static_cast<size_t>(old)] - '1')];
      if (!d) d = next++;
    }
    const std::string candidate = VariantLine(kind, Apply(p, m, digits));
    if (best.empty() || candidate < best) best = candidate;
  }
  return best;
}

}  // namespace quorvel::puzzle
