// The words a book prints besides its puzzles: the title and the footer of every page, in the
// fonts' encoding and at a size that fits their place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
};

// The words of a book with these options, or a problem: a text that does not fit its place at
// 7 pt (saying how wide it is and how much room there is), or has characters the pages cannot
// print. The defaults give the classic book's words at their classic sizes.
BookWords WordsOf(const BookOptions& options);
std::string WordsProblem(const BookOptions& options);

}  // namespace quorvel::pages
