// Paper sizes and the print layout: on any paper but the classic Letter book, and in every
// print-ready book, each page is the Letter design scaled by one factor and centred inside
// margins, with a wider inside margin (the gutter) on the binding side.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pages/options.h"

namespace quorvel::pages {

inline constexpr double kLetterWidth = 8.5, kLetterHeight = 11.0;
// The paper sizes a book can have, inches.
inline constexpr double kMinPaperWidth = 4, kMaxPaperWidth = 8.5;
inline constexpr double kMinPaperHeight = 6, kMaxPaperHeight = 11.69;
// The top, bottom and outside margin of the print layout.
inline constexpr double kPrintMargin = 0.375;
// No printed text is smaller.
inline constexpr double kSmallestTextPoints = 7;

// "letter", "a4", "a5" (any case) or "WxH" in inches ("6x9", "5.5x8.5"), within the sizes above;
// nothing for anything else.
std::optional<Paper> ParsePaper(std::string_view name);
// The accepted forms, for messages.
inline constexpr const char* kPaperForms =
    "letter, a4, a5 or WxH in inches (for example 6x9), 4 to 8.5 wide and 6 to 11.69 tall";

// The number of PDF pages of a book: the puzzle pages and the answer pages.
int BookPageCount(const BookOptions& options);

// Whether the book is the classic one: Letter paper, not print-ready. Its pages are the Letter
// design as it is.
bool IsClassicBook(const BookOptions& options);

// The inside margin of a book of `total_pages` pages: 0.375 in up to 150 pages, 0.5 in up to
// 300, 0.625 in up to 500, 0.75 in up to 700, 0.875 in beyond.
double InsideMargin(int total_pages);

// Where the Letter design goes on a page: a point (x, y) of the design lands on
// (left + scale x, top + scale y), and a size s becomes scale s.
struct Placement {
  double scale = 1, left = 0, top = 0;
  bool Identity() const { return scale == 1 && left == 0 && top == 0; }
};

// The placement on page `number` (1-based; odd pages are right-hand pages, bound on the left) of
// a book with these options, of `total_pages` pages (0: the book's own count). The identity for
// the classic book.
Placement PlacementOf(const BookOptions& options, int number, int total_pages = 0);

// The area of page `number` that the layout may use: left, top, right, bottom in inches.
struct LiveArea {
  double left, top, right, bottom;
};
LiveArea LiveAreaOf(const BookOptions& options, int number, int total_pages = 0);

// "" when the layout's text stays at 7 pt or more on the paper, else a message naming the
// layout and the smallest paper of the same shape that fits.
std::string PaperProblem(const BookOptions& options);

// The layout's name in messages: "1 puzzle a page", "4 puzzles a page", "Samurai", ...
std::string LayoutName(const BookOptions& options);

}  // namespace quorvel::pages
