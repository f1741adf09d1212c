// What a book is made from: the puzzle choices and the page choices, as plain domain values.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "puzzle/banks.h"
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

// One part of a book-design book: puzzles of one kind and level in one layout, numbered on from
// the part before, with its answers under its own header.
struct Section {
  puzzle::PuzzleKind kind = puzzle::PuzzleKind::kStandard;
  int level = 0;            // 0..5
  int count = 1;            // puzzles, 1 or more (at most 200 pages of them)
  int per_page = 1;         // 1, 2 or 4 (Samurai 1)
  bool candidates = false;  // 1 a page
  std::string name;         // UTF-8; empty: its level caption, "Hard Sudoku"
  bool Samurai() const { return kind == puzzle::PuzzleKind::kSamurai; }
  int Pages() const { return (count + per_page - 1) / per_page; }
};

// The pages before the puzzles, and the openers of the sections (book design).
struct FrontMatter {
  bool title = false, copyright = false, rules = false, contents = false;
  bool section_pages = false;  // a right-hand page naming each section before its puzzles
  bool Any() const { return title || copyright || rules || contents || section_pages; }
};

// What the title and copyright pages say besides the title and author, in UTF-8.
struct Publication {
  std::string subtitle, publisher;
  std::string copyright;  // the copyright holder; empty: the author
  std::string isbn, edition;
  int year = 0;  // of the copyright line; 0: the year the book is made
};

// The canonical forms of puzzles a book must not use (those of earlier volumes), and how many
// distinct ones came from each bank (the classic banks 0..4, then the variants' banks). A
// variant's forms are its kind's key, ":" and its canonical form.
struct ExcludedPuzzles {
  std::unordered_set<std::string> forms;
  int per_bank[puzzle::BankSet::kAllBanks] = {};
};

// The paper a printed book is on, which sets its spine's width.
enum class PaperStock { kWhite, kCream, kColor };

// A book's full-wrap cover, made with it.
struct CoverOptions {
  std::string file;  // the cover's PDF; empty: no cover
  PaperStock stock = PaperStock::kWhite;
  std::optional<double> spine_width;  // inches, for other services' papers
  std::string blurb;                  // UTF-8, on the back
  std::string theme = "midnight";
  bool guides = false;  // trim, folds, safe areas and the barcode area drawn and labelled
};

struct BookOptions {
  puzzle::PuzzleOptions puzzles;
  PageOptions layout;
  // Book design: the book's parts in order; empty, one part made of `puzzles` and `layout`.
  std::vector<Section> sections;
  FrontMatter front;
  Publication publication;
  // Puzzles no draw may take; when set, every draw is without repeats.
  std::shared_ptr<const ExcludedPuzzles> excluded;

  // The parts the book is made of: its sections, or the one part its puzzle and page choices
  // give.
  std::vector<Section> Parts() const;
  // Sections or front matter: a book only the book design makes.
  bool WholeBook() const { return !sections.empty() || front.Any(); }
  bool Unique() const { return puzzles.unique || excluded != nullptr; }
  bool Samurai() const { return puzzles.kind == puzzle::PuzzleKind::kSamurai; }
  bool BoldGivens() const { return BookDesign() && (layout.bold_givens || layout.large_print); }
  // The classic book: Letter paper, not print-ready.
  bool ClassicBook() const {
    return !layout.print_ready && layout.paper.width == 8.5 && layout.paper.height == 11.0;
  }
  bool BookDesign() const {
    if (layout.design != Design::kByPaper) return layout.design == Design::kBook;
    return !ClassicBook() || WholeBook();
  }
  // The answers a page: four in the classic design, one for its Samurai pages.
  int AnswersPerPage() const { return AnswersPerPage(Samurai()); }
  // The answers a page of a Standard or a Samurai part. A chosen count is the Standard parts';
  // it is the Samurai parts' only in a book without Standard parts.
  int AnswersPerPage(bool samurai) const;
};

}  // namespace quorvel::pages
