// The puzzle variants beside Standard and Samurai: X-Sudoku (both main diagonals hold every digit
// once), Jigsaw Sudoku (nine irregular regions), and the children's 4 x 4 and 6 x 6 grids. Each
// has its own banks and its own bank line format, its grid geometry, the symmetry moves that keep
// its rules (for scrambling) and a canonical form under them (for books without repeats).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/geometry.h"
#include "puzzle/options.h"
#include "puzzle/random.h"

namespace quorvel::puzzle {

bool IsVariant(PuzzleKind kind);
// Every variant kind, in the order the front ends list them.
const std::vector<PuzzleKind>& VariantKinds();
// The grid's size: 9, or 4 and 6 for the children's grids.
int GridSize(PuzzleKind kind);
// The word a section names the kind by on the command line and in plan files: "standard",
// "samurai", "x", "jigsaw", "4x4", "6x6".
std::string KindKey(PuzzleKind kind);
std::optional<PuzzleKind> KindFromKey(std::string_view key);
// Its name in print: "X-Sudoku", "Jigsaw Sudoku", "4x4 Sudoku", "6x6 Sudoku".
std::string KindTitle(PuzzleKind kind);

// Whether a variant offers level 0..5 ("very-easy" .. "extreme"): the 9 x 9 variants all six,
// 4 x 4 very-easy and easy, 6 x 6 very-easy to hard.
bool HasLevel(PuzzleKind kind, int level);
// The levels a variant offers, 0..5 in order.
std::vector<int> Levels(PuzzleKind kind);
// The banks of a variant, and the bank of a level it offers: the 9 x 9 variants share the
// classic mapping (five banks, easy and standard in one); each children's level has its own.
int BankCount(PuzzleKind kind);
int BankOf(PuzzleKind kind, int level);
// The bank's file name in banks/: "x0".."x4", "jigsaw0".."jigsaw4", "4x4-0", "6x6-3", ...
std::string BankName(PuzzleKind kind, int bank);
// Every variant bank has a place 0..15 among them (X-Sudoku's five, Jigsaw's five, 6 x 6's four,
// 4 x 4's two), in the order they are compiled in.
inline constexpr int kVariantBankCount = 16;
int VariantBankIndex(PuzzleKind kind, int bank);
struct VariantBank {
  PuzzleKind kind;
  int bank;
};
VariantBank VariantBankAt(int index);

// A variant puzzle: puzzle and solution strings of n x n characters ("0" an empty cell of the
// puzzle) and, for Jigsaw, the region layout: 81 characters "1".."9", the region of each cell.
struct VariantPuzzle {
  std::string puzzle, solution, layout;
};

// A bank line of a variant: n x n characters, "1".."n" a given and "A".. an empty cell with its
// solution digit; a Jigsaw line then has a space and its layout. Throws std::invalid_argument
// naming what is wrong.
VariantPuzzle ParseVariantLine(PuzzleKind kind, std::string_view line);
std::string VariantLine(PuzzleKind kind, const VariantPuzzle& p);

// The geometry a puzzle of the variant is solved on (a Jigsaw's from its layout).
GridGeometry VariantGeometry(PuzzleKind kind, std::string_view layout = {});

// A random move of the variant's symmetry group with a random relabelling of the digits, drawn
// from `random`: the same puzzle to a solver, fresh to the eye.
VariantPuzzle Scramble(PuzzleKind kind, const VariantPuzzle& p, RandomSource& random);
// The same move for a given group element and relabelling (digits[d - 1] the new digit of d);
// for tests.
VariantPuzzle Transform(PuzzleKind kind, const VariantPuzzle& p, int move,
                        const std::vector<int>& digits);
// The number of moves in the variant's group (without relabelling).
int MoveCount(PuzzleKind kind);

// The canonical form of a bank line under the variant's moves and relabelling, itself a bank
// line of the variant: two lines are the same puzzle exactly when their forms are equal.
std::string VariantForm(PuzzleKind kind, std::string_view line);

}  // namespace quorvel::puzzle
