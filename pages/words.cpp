#include "pages/words.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "pages/book.h"
#include "pages/paper.h"
#include "report/font_metrics.h"
#include "report/page_stream_writer.h"

namespace quorvel::pages {
namespace {

constexpr int kWordsSize = 12;         // the title and footer of the Letter design
constexpr int kBookWordsSize = 9;      // the running head and footer of the book design
constexpr int kLargeWordsSize = 12;    // in large print
constexpr double kDesignRight = 8.15;  // the right edge of what the design draws on
constexpr double kTitleLeft = 5.1;

double Width(std::string_view text, int points) { return TextWidth(text, points); }

// Where the footer starts on the page of this book that leaves it the least room: a Samurai
// page, or a Standard answer page (every Standard book has them).
double FooterLeft(const BookOptions& o) { return o.Samurai() ? 6.2 : 6.3; }

struct Fit {
  PlacedText placed;
  std::string problem;
};

// The largest size up to `largest` at which `utf8` fits `room` inches, printing at 7 pt or more
// after the page's scale.
Fit FitText(const std::string& what, const std::string& utf8, double room, double scale,
            int largest = kWordsSize) {
  Fit fit;
  std::optional<std::string> text = PageEncoding(utf8);
  if (!text) {
    fit.problem = "the " + what + " has a character the pages cannot print (they print Latin-1)";
    return fit;
  }
  fit.placed.text = *text;
  for (int size = largest; size >= 1; --size) {
    if (static_cast<int>(std::lround(size * scale)) < static_cast<int>(kSmallestTextPoints)) break;
    if (Width(*text, size) <= room + 1e-9) {
      fit.placed.size = size;
      return fit;
    }
  }
  const int smallest = static_cast<int>(std::ceil(kSmallestTextPoints / scale - 1e-9));
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "the %s is too long for its place: %.2f in at the smallest size, and the page "
                "has room for %.2f in",
                what.c_str(), Width(*text, smallest) * scale, room * scale);
  fit.problem = buf;
  return fit;
}

}  // namespace

double TextWidth(std::string_view text, int points) {
  constexpr double kDots = report::TPageStreamWriter::kDeviceResolution;
  return report::FontMetrics().TextWidthDots(text, points * kDots / 72.0) / kDots;
}

int FitPoints(std::string_view text, double room, int largest) {
  for (int size = largest; size >= static_cast<int>(kSmallestTextPoints); --size) {
    if (TextWidth(text, size) <= room + 1e-9) return size;
  }
  return 0;
}

std::vector<std::string> WrapText(const std::string& text, double width,
                                  const std::function<double(std::string_view)>& measure) {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && measure(longer) > width + 1e-9) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string IsbnProblem(std::string_view isbn) {
  std::string digits;
  for (size_t i = 0; i < isbn.size(); ++i) {
    const char c = isbn[i];
    if (c == '-' || c == ' ') continue;
    const bool last_x = (c == 'X' || c == 'x') && i + 1 == isbn.size();
    if (!std::isdigit(static_cast<unsigned char>(c)) && !last_x) {
      return "the ISBN \"" + std::string(isbn) + "\" may hold only digits and hyphens";
    }
    digits.push_back(last_x ? 'X' : c);
  }
  if (digits.size() != 10 && digits.size() != 13) {
    return "the ISBN \"" + std::string(isbn) + "\" has " + std::to_string(digits.size()) +
           " digits; an ISBN has 10 or 13";
  }
  auto value = [&](size_t i) { return digits[i] == 'X' ? 10 : digits[i] - '0'; };
  char expected;
  if (digits.size() == 10) {
    if (digits.find('X') < 9) return "the ISBN \"" + std::string(isbn) + "\" has an X inside";
    int sum = 0;
    for (size_t i = 0; i < 9; ++i) sum += static_cast<int>(10 - i) * value(i);
    const int check = (11 - sum % 11) % 11;
    expected = check == 10 ? 'X' : static_cast<char>('0' + check);
  } else {
    if (digits.back() == 'X') return "the ISBN \"" + std::string(isbn) + "\" ends in X";
    int sum = 0;
    for (size_t i = 0; i < 12; ++i) sum += (i % 2 == 0 ? 1 : 3) * value(i);
    expected = static_cast<char>('0' + (10 - sum % 10) % 10);
  }
  if (digits.back() != expected) {
    return "the ISBN \"" + std::string(isbn) + "\" has the check digit " +
           std::string(1, digits.back()) + " where " + std::string(1, expected) + " belongs";
  }
  return std::string();
}

std::optional<std::string> PageEncoding(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    unsigned code = c;
    if (c >= 0x80) {
      // Two-byte sequences reach U+00FF; anything longer has no place in Latin-1.
      if ((c & 0xE0) != 0xC0 || i + 1 >= utf8.size()) return std::nullopt;
      const auto next = static_cast<unsigned char>(utf8[i + 1]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = ((c & 0x1Fu) << 6) | (next & 0x3Fu);
      ++i;
      if (code < 0xA0 || code > 0xFF) return std::nullopt;
    } else if (c < 0x20 || c == 0x7F) {
      return std::nullopt;
    }
    out.push_back(static_cast<char>(code));
  }
  return out;
}

namespace {

// Where each text goes in the book's design: its room and its largest size.
struct Places {
  double scale, title_room, footer_room;
  int largest;
};

Places PlacesOf(const BookOptions& o) {
  if (o.BookDesign()) {
    // The running head spans the live area; the footer leaves the page number its corner.
    LiveArea live = LiveAreaOf(o, 1);
    const double width = live.right - live.left;
    return {1.0, width, width - 1.0, o.layout.large_print ? kLargeWordsSize : kBookWordsSize};
  }
  return {PlacementOf(o, 1).scale, kDesignRight - kTitleLeft, kDesignRight - FooterLeft(o),
          kWordsSize};
}

}  // namespace

namespace {

// The book design's title: the level caption, or for parts of several levels the easiest and
// the hardest, "Easy to Hard Sudoku"; a book of one variant names it, "Easy to Hard X-Sudoku".
std::string DefaultBookTitle(const BookOptions& o) {
  const std::vector<Section> parts = o.Parts();
  int low = 5, high = 0;
  for (const Section& s : parts) low = std::min(low, s.level), high = std::max(high, s.level);
  const std::string easiest = LevelCaption(low), hardest = LevelCaption(high);
  auto bare = [](const std::string& caption) { return caption.substr(0, caption.size() - 7); };
  if (const std::string variant = OneVariantTitle(o); !variant.empty()) {
    return (low == high ? bare(easiest) : bare(easiest) + " to " + bare(hardest)) + " " + variant;
  }
  if (low == high) return easiest;
  return bare(easiest) + " to " + hardest;
}

// The words of a book and, when one of them cannot be printed, why.
struct Measured {
  BookWords words;
  std::string problem;
};

Measured Measure(const BookOptions& o) {
  Measured m;
  const Places at = PlacesOf(o);
  if (o.BookDesign()) {
    m.words.title = {DefaultBookTitle(o), at.largest};
  } else {
    m.words.title.text = BookTitle(o.puzzles.level);
    m.words.footer.text = kMakerAddress;
  }
  auto fit = [&](const char* what, const std::string& utf8, double room, PlacedText& placed) {
    if (utf8.empty()) return;
    Fit f = FitText(what, utf8, room, at.scale, at.largest);
    placed = f.placed;
    if (m.problem.empty()) m.problem = f.problem;
  };
  fit("title", o.layout.title, at.title_room, m.words.title);
  fit("footer", o.layout.footer, at.footer_room, m.words.footer);
  if (std::optional<std::string> author = PageEncoding(o.layout.author)) {
    m.words.author = *author;
  } else if (m.problem.empty()) {
    m.problem = "the author has a character the PDF cannot hold (it holds Latin-1)";
  }
  const Publication& p = o.publication;
  for (auto [what, utf8, latin1] : {std::tuple{"subtitle", &p.subtitle, &m.words.subtitle},
                                    std::tuple{"publisher", &p.publisher, &m.words.publisher},
                                    std::tuple{"copyright holder", &p.copyright, &m.words.holder},
                                    std::tuple{"ISBN", &p.isbn, &m.words.isbn},
                                    std::tuple{"edition", &p.edition, &m.words.edition}}) {
    if (std::optional<std::string> text = PageEncoding(*utf8)) {
      *latin1 = *text;
    } else if (m.problem.empty()) {
      m.problem = std::string("the ") + what +
                  " has a character the pages cannot print (they print Latin-1)";
    }
  }
  if (m.words.holder.empty()) m.words.holder = m.words.author;
  if (!p.isbn.empty() && m.problem.empty()) m.problem = IsbnProblem(p.isbn);
  return m;
}

}  // namespace

BookWords WordsOf(const BookOptions& o) { return Measure(o).words; }

std::string WordsProblem(const BookOptions& o) { return Measure(o).problem; }

}  // namespace quorvel::pages
