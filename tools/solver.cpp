#include "tools/solver.h"

#include <algorithm>
#include <array>

#include "tools/sudoku.h"

namespace quorvel::tools {
namespace {

struct State {
  std::array<uint16_t, 81> cand;
  std::array<uint8_t, 81> value;
  int filled = 0;
};

// Places d in cell c and removes it from the peers; false on a contradiction.
bool Assign(State& s, int c, int d);

bool Eliminate(State& s, int c, uint16_t bit) {
  if (!(s.cand[c] & bit)) return true;
  s.cand[c] &= static_cast<uint16_t>(~bit);
  if (s.value[c]) return true;
  if (s.cand[c] == 0) return false;
  if (PopCount(s.cand[c]) == 1) return Assign(s, c, LowestDigit(s.cand[c]));
  return true;
}

bool Assign(State& s, int c, int d) {
  if (s.value[c]) return s.value[c] == d;
  uint16_t bit = Bit(d);
  if (!(s.cand[c] & bit)) return false;
  s.value[c] = static_cast<uint8_t>(d);
  s.cand[c] = bit;
  ++s.filled;
  for (int p : Geo().peers[c]) {
    if (s.value[p] == d) return false;
    if (!Eliminate(s, p, bit)) return false;
  }
  return true;
}

// Hidden singles over all units until nothing changes; false on a contradiction.
bool HiddenSingles(State& s) {
  const Geometry& g = Geo();
  bool changed = true;
  while (changed) {
    changed = false;
    for (const auto& unit : g.units) {
      uint16_t once = 0, twice = 0, placed = 0;
      for (int c : unit) {
        if (s.value[c]) {
          placed |= Bit(s.value[c]);
          continue;
        }
        twice |= once & s.cand[c];
        once |= s.cand[c];
      }
      if ((once | placed) != kAllDigits) return false;
      uint16_t singles = once & static_cast<uint16_t>(~twice) & static_cast<uint16_t>(~placed);
      while (singles) {
        int d = LowestDigit(singles);
        singles &= static_cast<uint16_t>(singles - 1);
        for (int c : unit) {
          if (!s.value[c] && (s.cand[c] & Bit(d))) {
            if (!Assign(s, c, d)) return false;
            changed = true;
            break;
          }
        }
      }
    }
  }
  return true;
}

template <class Order>
void Search(State& s, int limit, int& count, std::string* solution, Order&& order) {
  if (!HiddenSingles(s)) return;
  if (s.filled == 81) {
    if (count == 0 && solution) {
      solution->resize(81);
      for (int c = 0; c < 81; ++c) (*solution)[c] = static_cast<char>('0' + s.value[c]);
    }
    ++count;
    return;
  }
  int best = -1, best_n = 10;
  for (int c = 0; c < 81; ++c) {
    if (s.value[c]) continue;
    int n = PopCount(s.cand[c]);
    if (n < best_n) {
      best_n = n, best = c;
      if (n == 2) break;
    }
  }
  std::array<int, 9> digits{};
  int nd = 0;
  for (uint16_t m = s.cand[best]; m; m &= static_cast<uint16_t>(m - 1))
    digits[nd++] = LowestDigit(m);
  order(digits.data(), nd);
  for (int i = 0; i < nd && count < limit; ++i) {
    State next = s;
    if (Assign(next, best, digits[i])) Search(next, limit, count, solution, order);
  }
}

bool Load(std::string_view puzzle, State& s) {
  s.cand.fill(kAllDigits);
  s.value.fill(0);
  s.filled = 0;
  if (puzzle.size() < 81) return false;
  for (int c = 0; c < 81; ++c) {
    char ch = puzzle[c];
    if (ch >= '1' && ch <= '9' && !Assign(s, c, ch - '0')) return false;
  }
  return true;
}

}  // namespace

int CountSolutions(std::string_view puzzle, int limit, std::string* solution) {
  State s;
  if (!Load(puzzle, s)) return 0;
  int count = 0;
  Search(s, limit, count, solution, [](int*, int) {});
  return count;
}

std::string RandomSolution(std::mt19937_64& rng) {
  State s;
  Load(std::string(81, '0'), s);
  int count = 0;
  std::string solution;
  Search(s, 1, count, &solution, [&](int* d, int n) { std::shuffle(d, d + n, rng); });
  return solution;
}

int CountSolutionsPlain(std::string_view puzzle, int limit) {
  std::array<int, 81> g{};
  for (int c = 0; c < 81; ++c) g[c] = (puzzle[c] >= '1' && puzzle[c] <= '9') ? puzzle[c] - '0' : 0;
  auto ok = [&](int c, int d) {
    for (int p : Geo().peers[c]) {
      if (g[p] == d) return false;
    }
    return true;
  };
  for (int c = 0; c < 81; ++c) {
    if (g[c] && !ok(c, g[c])) return 0;
  }
  int count = 0;
  auto rec = [&](auto& self, int c) -> void {
    while (c < 81 && g[c]) ++c;
    if (c == 81) {
      ++count;
      return;
    }
    for (int d = 1; d <= 9 && count < limit; ++d) {
      if (ok(c, d)) {
        g[c] = d;
        self(self, c + 1);
        g[c] = 0;
      }
    }
  };
  rec(rec, 0);
  return count;
}

}  // namespace quorvel::tools
