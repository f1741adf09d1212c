#include "tools/constraint_solver.h"

#include <algorithm>
#include <bit>

namespace quorvel::tools {

struct ConstraintSolver::State {
  std::vector<uint16_t> candidates;  // bit d - 1 for digit d
  std::vector<uint8_t> digit;        // 0 while open
};

ConstraintSolver::ConstraintSolver(const puzzle::GridGeometry& geometry)
    : n_(geometry.Size()),
      cells_(geometry.Cells()),
      all_(static_cast<uint16_t>((1u << geometry.Size()) - 1)),
      houses_(geometry.Houses()),
      houses_of_(static_cast<size_t>(geometry.Cells())),
      peers_(static_cast<size_t>(geometry.Cells())) {
  for (size_t h = 0; h < houses_.size(); ++h) {
    for (int cell : houses_[h])
      houses_of_[static_cast<size_t>(cell)].push_back(static_cast<int>(h));
  }
  for (int cell = 0; cell < cells_; ++cell) {
    std::vector<int>& peers = peers_[static_cast<size_t>(cell)];
    for (int h : houses_of_[static_cast<size_t>(cell)]) {
      for (int other : houses_[static_cast<size_t>(h)]) {
        if (other != cell) peers.push_back(other);
      }
    }
    std::sort(peers.begin(), peers.end());
    peers.erase(std::unique(peers.begin(), peers.end()), peers.end());
  }
}

bool ConstraintSolver::Eliminate(State& s, int cell, uint16_t bit) const {
  uint16_t& c = s.candidates[static_cast<size_t>(cell)];
  if (!(c & bit)) return true;
  c = static_cast<uint16_t>(c & ~bit);
  if (c == 0) return false;
  // A cell left with one digit takes it.
  if (std::has_single_bit(c) && s.digit[static_cast<size_t>(cell)] == 0) {
    return Assign(s, cell, std::countr_zero(c) + 1);
  }
  return true;
}

bool ConstraintSolver::Assign(State& s, int cell, int digit) const {
  const auto bit = static_cast<uint16_t>(1u << (digit - 1));
  if (!(s.candidates[static_cast<size_t>(cell)] & bit)) return false;
  s.candidates[static_cast<size_t>(cell)] = bit;
  s.digit[static_cast<size_t>(cell)] = static_cast<uint8_t>(digit);
  for (int peer : peers_[static_cast<size_t>(cell)]) {
    if (!Eliminate(s, peer, bit)) return false;
  }
  return true;
}

bool ConstraintSolver::HiddenSingles(State& s) const {
  // A digit with one place left in a house goes there; one with none breaks the grid.
  for (bool changed = true; changed;) {
    changed = false;
    for (const std::vector<int>& house : houses_) {
      for (int d = 1; d <= n_; ++d) {
        const auto bit = static_cast<uint16_t>(1u << (d - 1));
        int places = 0, at = -1;
        bool placed = false;
        for (int cell : house) {
          if (s.digit[static_cast<size_t>(cell)] == d) placed = true;
          if (s.candidates[static_cast<size_t>(cell)] & bit) ++places, at = cell;
        }
        if (placed) continue;
        if (places == 0) return false;
        if (places == 1) {
          if (!Assign(s, at, d)) return false;
          changed = true;
        }
      }
    }
  }
  return true;
}

void ConstraintSolver::Search(State& s, int limit, int& found, std::string* solution) const {
  if (!HiddenSingles(s)) return;
  // The open cell with the fewest candidates.
  int best = -1, fewest = 99;
  for (int cell = 0; cell < cells_; ++cell) {
    if (s.digit[static_cast<size_t>(cell)] != 0) continue;
    const int count = std::popcount(s.candidates[static_cast<size_t>(cell)]);
    if (count < fewest) fewest = count, best = cell;
  }
  if (best < 0) {
    if (found++ == 0 && solution) *solution = Digits(s);
    return;
  }
  for (uint16_t c = s.candidates[static_cast<size_t>(best)]; c != 0 && found < limit;
       c = static_cast<uint16_t>(c & (c - 1))) {
    State next = s;
    if (Assign(next, best, std::countr_zero(c) + 1)) Search(next, limit, found, solution);
  }
}

std::string ConstraintSolver::Digits(const State& s) {
  std::string out;
  for (uint8_t d : s.digit) out.push_back(static_cast<char>('0' + d));
  return out;
}

bool ConstraintSolver::Fill(State& s, std::mt19937_64& rng, long& nodes) const {
  if (--nodes < 0 || !HiddenSingles(s)) return false;
  int best = -1, fewest = 99;
  for (int cell = 0; cell < cells_; ++cell) {
    if (s.digit[static_cast<size_t>(cell)] != 0) continue;
    const int count = std::popcount(s.candidates[static_cast<size_t>(cell)]);
    if (count < fewest) fewest = count, best = cell;
  }
  if (best < 0) return true;
  std::vector<int> digits;
  for (uint16_t c = s.candidates[static_cast<size_t>(best)]; c; c = static_cast<uint16_t>(c & (c - 1))) {
    digits.push_back(std::countr_zero(c) + 1);
  }
  std::shuffle(digits.begin(), digits.end(), rng);
  for (int d : digits) {
    State next = s;
    if (Assign(next, best, d) && Fill(next, rng, nodes)) {
      s = std::move(next);
      return true;
    }
    if (nodes < 0) return false;
  }
  return false;
}

std::string ConstraintSolver::RandomSolution(std::mt19937_64& rng, long node_limit) const {
  State s{std::vector<uint16_t>(static_cast<size_t>(cells_), all_),
          std::vector<uint8_t>(static_cast<size_t>(cells_), 0)};
  long nodes = node_limit;
  return Fill(s, rng, nodes) ? Digits(s) : std::string();
}

int ConstraintSolver::CountSolutions(std::string_view puzzle, int limit,
                                     std::string* solution) const {
  if (static_cast<int>(puzzle.size()) != cells_ || limit < 1) return 0;
  State s{std::vector<uint16_t>(static_cast<size_t>(cells_), all_),
          std::vector<uint8_t>(static_cast<size_t>(cells_), 0)};
  for (int cell = 0; cell < cells_; ++cell) {
    const char ch = puzzle[static_cast<size_t>(cell)];
    if (ch == '0' || ch == '.') continue;
    const int d = ch - '0';
    if (d < 1 || d > n_) return 0;
    if (s.digit[static_cast<size_t>(cell)] == d) continue;
    if (!Assign(s, cell, d)) return 0;
  }
  int found = 0;
  Search(s, limit, found, solution);
  return found;
}

}  // namespace quorvel::tools
