#include "pages/paper.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "pages/plan.h"

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

double Scale(const BookOptions& o, int total_pages = 0) {
  double inside = InsideMargin(total_pages > 0 ? total_pages : BookPageCount(o));
  double live_width = o.layout.paper.width - inside - kPrintMargin;
  double live_height = o.layout.paper.height - 2 * kPrintMargin;
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

int BookPageCount(const BookOptions& o) { return PlanBook(o).TotalPages(); }

bool IsClassicBook(const BookOptions& o) { return o.ClassicBook(); }

double InsideMargin(int total_pages) {
  if (total_pages <= 150) return 0.375;
  if (total_pages <= 300) return 0.5;
  if (total_pages <= 500) return 0.625;
  if (total_pages <= 700) return 0.75;
  return 0.875;
}

LiveArea LiveAreaOf(const BookOptions& o, int number, int total_pages) {
  double inside = InsideMargin(total_pages > 0 ? total_pages : BookPageCount(o));
  bool right_hand = number % 2 == 1;  // bound on its left edge
  double left = right_hand ? inside : kPrintMargin;
  double right = o.layout.paper.width - (right_hand ? kPrintMargin : inside);
  return {left, kPrintMargin, right, o.layout.paper.height - kPrintMargin};
}

Placement PlacementOf(const BookOptions& o, int number, int total_pages) {
  if (IsClassicBook(o)) return {};
  LiveArea live = LiveAreaOf(o, number, total_pages);
  double s = Scale(o, total_pages);
  Placement p;
  p.scale = s;
  p.left = live.left + (live.right - live.left - s * kDesignWidth) / 2 - s * kDesignLeft;
  p.top = live.top + (live.bottom - live.top - s * kDesignHeight) / 2 - s * kDesignTop;
  return p;
}

std::string LayoutName(const BookOptions& o) {
  if (o.Samurai()) return "the Samurai layout";
  const int per_page = o.layout.per_page;
  if (per_page == 1) {
    return o.layout.candidates ? "the 1-puzzle-a-page layout with candidates"
                               : "the 1-puzzle-a-page layout";
  }
  return "the " + std::to_string(per_page) + "-puzzles-a-page layout";
}

std::string PaperProblem(const BookOptions& o) {
  if (IsClassicBook(o)) return std::string();
  const double smallest_scale = kSmallestTextPoints / kDesignSmallestText;
  if (Scale(o) >= smallest_scale - 1e-9) return std::string();
  // The smallest paper of this shape on which the scale reaches the smallest text size.
  double inside = InsideMargin(BookPageCount(o));
  double k =
      std::max((smallest_scale * kDesignWidth + inside + kPrintMargin) / o.layout.paper.width,
               (smallest_scale * kDesignHeight + 2 * kPrintMargin) / o.layout.paper.height);
  auto inches = [](double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, std::ceil(v * 100 - 1e-6) / 100,
                           std::chars_format::general, 6);
    return std::string(buf, r.ptr);
  };
  const std::string problem = "the paper is too small for " + LayoutName(o) +
                              ": its text would be under " + inches(kSmallestTextPoints) + " pt";
  // Only a paper that the program takes and that fits is offered.
  const std::string suggestion =
      inches(k * o.layout.paper.width) + "x" + inches(k * o.layout.paper.height);
  if (std::optional<Paper> larger = ParsePaper(suggestion)) {
    BookOptions fits = o;
    fits.layout.paper = *larger;
    if (Scale(fits) >= smallest_scale - 1e-9) {
      return problem + "; the smallest paper of this shape is " + suggestion + " in";
    }
  }
  return problem + "; no paper of this shape up to " + inches(kMaxPaperWidth) + "x" +
         inches(kMaxPaperHeight) + " in is large enough";
}

}  // namespace quorvel::pages
