// The canonical form of a puzzle under every Sudoku symmetry: transposition, band and stack
// permutations, row permutations inside bands, column permutations inside stacks and digit
// relabelling. Two puzzles are the same puzzle exactly when their forms are equal.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::puzzle {

// The canonical form of a bank line (81 characters: "1".."9" a given cell, "A".."I" an empty
// cell with its solution digit), itself a bank line. The solution grid is brought to its
// minimal form first (rows read as digit strings, in order), then among the symmetries that
// give that grid (the grid's automorphisms) the one giving the smallest line is taken. Throws
// std::invalid_argument for a line that is not 81 such characters.
std::string CanonicalForm(std::string_view bank_line);

// A bank line (or a Samurai store's grid: digits the givens, letters the empty cells with their
// solution digits) as a puzzle string ("0" for an empty cell) and its solution string.
struct LineStrings {
  std::string puzzle, solution;
};
LineStrings SplitLine(std::string_view line);

// The same for a puzzle string ("0" for an empty cell) and its solution string.
std::string CanonicalForm(std::string_view puzzle, std::string_view solution);

}  // namespace quorvel::puzzle
