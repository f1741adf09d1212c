// The run options a book is made from, as plain values: what the window's controls or the
// command line chose.
#pragma once

#include <string>

namespace quorvel::puzzle {

struct RunOptions {
  bool samurai = false;   // puzzle kind: false Standard, true Samurai
  int pages = 20;         // page count 1..200
  int level_item = 0;     // level choice 0..5 ("Very Easy Sudoku" .. "Extreme Sudoku")
  int per_page_item = 0;  // puzzles per page choice 0..2 (1, 2 or 4)
  bool candidates = false;
  bool unique = false;  // every puzzle of the book from a different bank line
  // The paper in inches; 8.5 x 11 (US Letter) is the classic book.
  double paper_width = 8.5;
  double paper_height = 11.0;
  // A book for print-on-demand services: the font embedded, grey colours, PDF/X-1a markers, and
  // the layout inside margins with a gutter (as on any paper other than the classic Letter).
  bool print_ready = false;
};

// Bank level 1..5 of a level choice 0..5; "Easy Sudoku" and "Standard Sudoku" share level 2.
int GetBankLevel(int level_item);
// Puzzles per page 1, 2 or 4 of a puzzles-per-page choice 0..2.
int GetPuzzlesPerPage(int per_page_item);

}  // namespace quorvel::puzzle
