// The puzzle choices a book is made from, as domain values: what puzzles, how hard, whether any
// may repeat. The front ends map their controls to them at their edge.
#pragma once

#include <string>

namespace quorvel::puzzle {

// Standard and Samurai, then the variants: X-Sudoku, Jigsaw, and the 4 x 4 and 6 x 6 grids.
enum class PuzzleKind { kStandard, kSamurai, kX, kJigsaw, kFour, kSix };

struct PuzzleOptions {
  PuzzleKind kind = PuzzleKind::kStandard;
  int level = 0;        // 0..5: "Very Easy Sudoku" .. "Extreme Sudoku"
  bool unique = false;  // every puzzle of the book from a different bank line
};

// Bank level 1..5 of a level 0..5; "Easy Sudoku" and "Standard Sudoku" share level 2.
int GetBankLevel(int level_item);
// Puzzles per page 1, 2 or 4 of the window's puzzles-per-page choice 0..2.
int GetPuzzlesPerPage(int per_page_item);

}  // namespace quorvel::puzzle
