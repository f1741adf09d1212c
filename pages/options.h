// What a book is made from: the puzzle choices and the page choices, as plain domain values.
#pragma once

#include <string>

#include "puzzle/options.h"

namespace quorvel::pages {

struct Paper {
  double width, height;  // inches
};

// The page design: the classic Letter design (scaled inside margins on other papers), or the
// book design, laid out for its trim with print-grade lines and type, page numbers and answer
// links. By the paper: the classic design for the classic book (Letter, not print-ready), the
// book design for every other.
enum class Design { kByPaper, kClassic, kBook };

struct PageOptions {
  int pages = 20;           // puzzle pages, 1..200
  int per_page = 1;         // puzzles a page: 1, 2 or 4 (a Samurai page holds one)
  bool candidates = false;  // the candidates of every empty cell printed (1 a page)
  // 8.5 x 11 (US Letter) is the classic book.
  Paper paper{8.5, 11.0};
  // A book for print-on-demand services: the font embedded, grey colours, PDF/X-1a markers, and
  // the layout inside margins with a gutter (as on any paper other than the classic Letter).
  bool print_ready = false;
  // The publisher's words, in UTF-8: the title on every page (empty: the level caption and the
  // program's name), the footer on every page (empty: the maker's address), and the author,
  // which the PDF's information names.
  std::string title, footer, author;
  Design design = Design::kByPaper;
  // Answers a page in the book design: 4, 6, 9 or 12 (Standard), 1, 2 or 4 (Samurai); 0 for the
  // design's choice, 6 and 2.
  int answers_per_page = 0;
  // Book design: given digits in Liberation Sans Bold.
  bool bold_givens = false;
  // Book design: one puzzle a page in large type (bold givens, a larger running head and page
  // numbers), four answers a page.
  bool large_print = false;
};

struct BookOptions {
  puzzle::PuzzleOptions puzzles;
  PageOptions layout;
  bool Samurai() const { return puzzles.kind == puzzle::PuzzleKind::kSamurai; }
  bool BoldGivens() const { return BookDesign() && (layout.bold_givens || layout.large_print); }
  // The classic book: Letter paper, not print-ready.
  bool ClassicBook() const {
    return !layout.print_ready && layout.paper.width == 8.5 && layout.paper.height == 11.0;
  }
  bool BookDesign() const {
    if (layout.design != Design::kByPaper) return layout.design == Design::kBook;
    return !ClassicBook();
  }
  // The answers a page: four in the classic design, one for its Samurai pages.
  int AnswersPerPage() const {
    if (!BookDesign()) return Samurai() ? 1 : 4;
    if (layout.answers_per_page > 0) return layout.answers_per_page;
    if (layout.large_print) return 4;
    return Samurai() ? 2 : 6;
  }
};

}  // namespace quorvel::pages
