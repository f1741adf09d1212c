// The book plan: before anything is drawn, a book is expanded into a flat list of page specs,
// each saying what the page shows, from which the page count, the gutter and the progress
// follow.
#pragma once

#include <vector>

#include "pages/options.h"

namespace quorvel::pages {

enum class PageKind {
  kStandardPuzzles,  // 1, 2 or 4 Standard puzzles, 1 with candidates
  kStandardAnswers,  // up to 4 solutions
  kSamuraiPuzzle,
  kSamuraiAnswer,
};

struct PageSpec {
  PageKind kind;
  int number;    // the page's place in the book, 1 for the first page
  int first;     // the number of the first puzzle (or answer) on the page, from 1
  int count;     // the puzzles (or answers) it holds
  int per_page;  // the layout's puzzles a page: 1, 2 or 4
  bool candidates = false;
  // The page's place among the pages of its kind (1..of), which the progress shows.
  int step = 1, of = 1;
  // Odd pages are right-hand pages, bound on their left edge.
  bool RightHand() const { return number % 2 == 1; }
};

struct BookPlan {
  std::vector<PageSpec> pages;
  int puzzles = 0;  // in the whole book
  int answers_per_page = 4;
  int first_answer_page = 0;
  int TotalPages() const { return static_cast<int>(pages.size()); }
  // The page that holds the answer of puzzle `number`.
  int AnswerPage(int number) const { return first_answer_page + (number - 1) / answers_per_page; }
};

// The plan of a book with these options: the puzzle pages in order, then the answer pages (four
// Standard solutions or one Samurai solution a page in the classic design, as many as chosen in
// the book design).
BookPlan PlanBook(const BookOptions& options);

}  // namespace quorvel::pages
