#include "pages/paper.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace quorvel::pages {
namespace {

// The part of a Letter page that the design draws on, every layout included (the two-puzzle
// footer reaches lowest, the title and the four-puzzle grids furthest right), with room for
// the rules' width.
constexpr double kDesignLeft = 0.45, kDesignTop = 0.55, kDesignRight = 8.15, kDesignBottom = 10.9;
constexpr double kDesignWidth = kDesignRight - kDesignLeft;
constexpr double kDesignHeight = kDesignBottom - kDesignTop;
// The smallest text of every layout: the title, the footer and printed candidates.
constexpr double kDesignSmallestText = 12;

std::optional<double> Number(std::string_view s) {
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

double Scale(const puzzle::RunOptions& o, int total_pages = 0) {
  double inside = InsideMargin(total_pages > 0 ? total_pages : BookPageCount(o));
  double live_width = o.paper_width - inside - kPrintMargin;
  double live_height = o.paper_height - 2 * kPrintMargin;
  return std::min(live_width / kDesignWidth, live_height / kDesignHeight);
}

}  // namespace

std::optional<Paper> ParsePaper(std::string_view name) {
  std::string key;
  for (char c : name) key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  Paper paper{};
  if (key == "letter") {
    paper = {kLetterWidth, kLetterHeight};
  } else if (key == "a4") {
    paper = {8.27, 11.69};
  } else if (key == "a5") {
    paper = {5.83, 8.27};
  } else {
    size_t x = key.find('x');
    if (x == std::string::npos) return std::nullopt;
    std::optional<double> w = Number(std::string_view(key).substr(0, x));
    std::optional<double> h = Number(std::string_view(key).substr(x + 1));
    if (!w || !h) return std::nullopt;
    paper = {*w, *h};
  }
  if (paper.width < kMinPaperWidth || paper.width > kMaxPaperWidth ||
      paper.height < kMinPaperHeight || paper.height > kMaxPaperHeight) {
    return std::nullopt;
  }
  return paper;
}

int BookPageCount(const puzzle::RunOptions& o) {
  if (o.samurai) return 2 * o.pages;
  int puzzles = o.pages * puzzle::GetPuzzlesPerPage(o.per_page_item);
  return o.pages + (puzzles + 3) / 4;
}

bool IsClassicBook(const puzzle::RunOptions& o) {
  return !o.print_ready && o.paper_width == kLetterWidth && o.paper_height == kLetterHeight;
}

double InsideMargin(int total_pages) {
  if (total_pages <= 150) return 0.375;
  if (total_pages <= 300) return 0.5;
  return 0.625;
}

LiveArea LiveAreaOf(const puzzle::RunOptions& o, int number, int total_pages) {
  double inside = InsideMargin(total_pages > 0 ? total_pages : BookPageCount(o));
  bool right_hand = number % 2 == 1;  // bound on its left edge
  double left = right_hand ? inside : kPrintMargin;
  double right = o.paper_width - (right_hand ? kPrintMargin : inside);
  return {left, kPrintMargin, right, o.paper_height - kPrintMargin};
}

Placement PlacementOf(const puzzle::RunOptions& o, int number, int total_pages) {
  if (IsClassicBook(o)) return {};
  LiveArea live = LiveAreaOf(o, number, total_pages);
  double s = Scale(o, total_pages);
  Placement p;
  p.scale = s;
  p.left = live.left + (live.right - live.left - s * kDesignWidth) / 2 - s * kDesignLeft;
  p.top = live.top + (live.bottom - live.top - s * kDesignHeight) / 2 - s * kDesignTop;
  return p;
}

std::string LayoutName(const puzzle::RunOptions& o) {
  if (o.samurai) return "the Samurai layout";
  int per_page = puzzle::GetPuzzlesPerPage(o.per_page_item);
  if (per_page == 1) {
    return o.candidates ? "the 1-puzzle-a-page layout with candidates"
                        : "the 1-puzzle-a-page layout";
  }
  return "the " + std::to_string(per_page) + "-puzzles-a-page layout";
}

std::string PaperProblem(const puzzle::RunOptions& o) {
  if (IsClassicBook(o)) return std::string();
  const double smallest_scale = kSmallestTextPoints / kDesignSmallestText;
  if (Scale(o) >= smallest_scale - 1e-9) return std::string();
  // The smallest paper of this shape on which the scale reaches the smallest text size.
  double inside = InsideMargin(BookPageCount(o));
  double k = std::max((smallest_scale * kDesignWidth + inside + kPrintMargin) / o.paper_width,
                      (smallest_scale * kDesignHeight + 2 * kPrintMargin) / o.paper_height);
  auto inches = [](double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, std::ceil(v * 100 - 1e-6) / 100,
                           std::chars_format::general, 6);
    return std::string(buf, r.ptr);
  };
  const std::string problem = "the paper is too small for " + LayoutName(o) +
                              ": its text would be under " + inches(kSmallestTextPoints) + " pt";
  // Only a paper that the program takes and that fits is offered.
  const std::string suggestion = inches(k * o.paper_width) + "x" + inches(k * o.paper_height);
  if (std::optional<Paper> larger = ParsePaper(suggestion)) {
    puzzle::RunOptions fits = o;
    fits.paper_width = larger->width;
    fits.paper_height = larger->height;
    if (Scale(fits) >= smallest_scale - 1e-9) {
      return problem + "; the smallest paper of this shape is " + suggestion + " in";
    }
  }
  return problem + "; no paper of this shape up to " + inches(kMaxPaperWidth) + "x" +
         inches(kMaxPaperHeight) + " in is large enough";
}

}  // namespace quorvel::pages
