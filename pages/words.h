// The words a book prints besides its puzzles: the title and the footer of every page, in the
// fonts' encoding and at a size that fits their place.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/options.h"

namespace quorvel::pages {

// The footer printed on every page unless the publisher gives one.
inline constexpr const char* kMakerAddress = "www.tessaly.example";

// `utf8` in the fonts' encoding (Latin-1, which the pages' fonts and the PDF's information share
// for these characters): nothing when it holds a character without a place there, or a control
// character, or is not UTF-8.
std::optional<std::string> PageEncoding(std::string_view utf8);

// A text placed on the page, and its size in whole points of the Letter design.
struct PlacedText {
  std::string text;
  int size = 12;
};

struct BookWords {
  PlacedText title, footer;
  std::string author;  // in the fonts' encoding
  // The title and copyright pages' words, in the fonts' encoding; the copyright holder is the
  // author unless the publisher names another.
  std::string subtitle, publisher, holder, isbn, edition;
};

// The width of `text` (in the fonts' encoding) in inches at `points`, as the recording measures
// it.
double TextWidth(std::string_view text, int points);
// The largest size from `largest` down to 7 pt at which `text` fits `room` inches; 0 when it
// does not fit at 7 pt.
int FitPoints(std::string_view text, double room, int largest);

// `text` broken at its spaces into lines at most `width` wide by `measure` (the width of a
// line); a word wider than a line has a line of its own.
std::vector<std::string> WrapText(const std::string& text, double width,
                                  const std::function<double(std::string_view)>& measure);

// Why `isbn` is not an ISBN (10 or 13 digits, an ISBN-10 ending in X allowed, hyphens and
// spaces between them, and a valid check digit), or "".
std::string IsbnProblem(std::string_view isbn);

// The words of a book with these options, or a problem: a text that does not fit its place at
// 7 pt (saying how wide it is and how much room there is), or has characters the pages cannot
// print. The defaults give the classic book's words at their classic sizes.
BookWords WordsOf(const BookOptions& options);
std::string WordsProblem(const BookOptions& options);

}  // namespace quorvel::pages
