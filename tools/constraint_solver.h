// The solver of any grid geometry: an n x n grid (n up to 9) of digits 1..n whose houses (rows,
// columns, regions of any shape, extra houses such as diagonals) each hold every digit once.
// It counts solutions up to a limit, which proves a puzzle unique; the classic 9 x 9 solver is
// the fast path for Standard and Samurai grids and agrees with it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/geometry.h"

namespace quorvel::tools {

class ConstraintSolver {
 public:
  explicit ConstraintSolver(const puzzle::GridGeometry& geometry);

  // The solutions of `puzzle` (n x n characters in reading order, "1".."n" a given, "0" or "."
  // an empty cell), counted up to `limit`; the first found goes to `solution`. A puzzle that
  // is not n x n such characters, or whose givens break a house, has none.
  int CountSolutions(std::string_view puzzle, int limit, std::string* solution = nullptr) const;

  // A complete grid drawn from `rng`: a search that tries the digits in random order, given up
  // (an empty string) after `node_limit` steps or when the geometry has no solution.
  std::string RandomSolution(std::mt19937_64& rng, long node_limit = 20000) const;

  int Size() const { return n_; }

 private:
  struct State;
  bool Assign(State& s, int cell, int digit) const;
  bool Eliminate(State& s, int cell, uint16_t bit) const;
  bool HiddenSingles(State& s) const;
  void Search(State& s, int limit, int& found, std::string* solution) const;
  bool Fill(State& s, std::mt19937_64& rng, long& nodes) const;
  static std::string Digits(const State& s);

  int n_, cells_;
  uint16_t all_;
  std::vector<std::vector<int>> houses_;
  std::vector<std::vector<int>> houses_of_;  // by cell
  std::vector<std::vector<int>> peers_;      // by cell: every other cell of its houses
};

}  // namespace quorvel::tools
