// The book plan: before anything is drawn, a book is expanded into a flat list of page specs,
// each saying what the page shows, from which the page count, the gutter and the progress
// follow.
#pragma once

#include <string>
#include <vector>

#include "pages/options.h"

namespace quorvel::pages {

enum class PageKind {
  kStandardPuzzles,  // 1, 2 or 4 Standard puzzles, 1 with candidates
  kStandardAnswers,  // up to 4 solutions
  kSamuraiPuzzle,
  kSamuraiAnswer,
  // The book design's other pages: its front matter, a section's opener, a blank page.
  kTitle,
  kCopyright,
  kContents,
  kRules,         // the rules of Standard Sudoku with a worked example
  kSamuraiRules,  // the same for Samurai
  kVariantRules,  // the same for a variant, the puzzle::PuzzleKind its `first` holds
  kSectionOpener,
  kBlank,
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
  int section = 0;  // the part of the book it belongs to, from 0
  // Odd pages are right-hand pages, bound on their left edge.
  bool RightHand() const { return number % 2 == 1; }
};

// Where a part of the book lies: its puzzles' numbers and its pages.
struct PlannedSection {
  Section section;
  std::string name;  // as the contents and the answers' header name it (UTF-8)
  int first = 1;     // the number of its first puzzle
  int first_page = 0, first_answer_page = 0;
  int answers_per_page = 4;
  int Last() const { return first + section.count - 1; }
};

struct BookPlan {
  std::vector<PageSpec> pages;
  std::vector<PlannedSection> sections;
  int puzzles = 0;  // in the whole book
  int answers_per_page = 4;
  int first_answer_page = 0;
  int TotalPages() const { return static_cast<int>(pages.size()); }
  // The part puzzle `number` belongs to.
  const PlannedSection& SectionOf(int number) const;
  // The page that holds the answer of puzzle `number`.
  int AnswerPage(int number) const;
  // The page puzzle `number` is printed on.
  int PuzzlePage(int number) const;
};

// A part's name as the book prints it: its own, or its level caption and kind ("Hard Sudoku",
// "Hard Samurai Sudoku").
std::string SectionName(const Section& section);

// The most pages a book has, and a part's most puzzle pages.
inline constexpr int kMostBookPages = 828;
inline constexpr int kMostSectionPages = 200;

// The plan of a book with these options: its front matter, the puzzle pages of each part in
// order, then the answer pages of each part (four Standard solutions or one Samurai solution a
// page in the classic design, as many as chosen in the book design).
BookPlan PlanBook(const BookOptions& options);

}  // namespace quorvel::pages
