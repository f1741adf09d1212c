// An exact Sudoku solver on candidate bitmasks: singles propagation and branching on the cell
// with the fewest candidates. No input validation beyond what the contract states.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace quorvel::tools {

// Counts the solutions of an 81-character puzzle ("1".."9" givens, "0" or "." empty), stopping
// at `limit`. The first solution found goes to `solution` when given. A puzzle whose givens
// clash has 0 solutions.
int CountSolutions(std::string_view puzzle, int limit, std::string* solution = nullptr);

// A random complete grid, drawn by filling with shuffled digit orders.
std::string RandomSolution(std::mt19937_64& rng);

// A plain backtracking counter, cell by cell in order: slow, simple, for cross-checks.
int CountSolutionsPlain(std::string_view puzzle, int limit);

}  // namespace quorvel::tools
