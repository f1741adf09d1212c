#include "pages/cover.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>

#include "pages/words.h"
#include "puzzle/canonical.h"
#include "puzzle/variant.h"
#include "report/embedded_font.h"

namespace quorvel::pages {
namespace {

using report::Cmyk;
using report::Rect;

constexpr int kRegular = 0, kBold = 1;
constexpr int kSmallestTitle = 14;

// The cover's two fonts, read once.
const report::EmbeddedFont& Font(int which) {
  static std::once_flag once;
  static std::unique_ptr<report::EmbeddedFont> fonts[2];
  std::call_once(once, [] {
    fonts[0] =
        std::make_unique<report::EmbeddedFont>(report::EmbeddedFont::Load(report::FindPrintFont()));
    fonts[1] = std::make_unique<report::EmbeddedFont>(
        report::EmbeddedFont::Load(report::FindPrintBoldFont()));
  });
  return *fonts[which];
}

double Width(std::string_view text, int font, double points) {
  double units = 0;
  for (char c : text) units += Font(font).widths[static_cast<unsigned char>(c)];
  return units / 1000 * points / 72;
}
double Ascent(int font, double points) { return Font(font).ascent / 1000.0 * points / 72; }
double Descent(int font, double points) { return -Font(font).descent / 1000.0 * points / 72; }

// `text` in lines of at most `width` at `points`.
std::vector<std::string> Wrap(const std::string& text, int font, double points, double width) {
  return WrapText(text, width,
                  [font, points](std::string_view line) { return Width(line, font, points); });
}

struct Lines {
  std::vector<std::string> lines;
  double points = 0;
  double leading = 1.2;
  double Height() const { return static_cast<double>(lines.size()) * points * leading / 72; }
};

// The largest size from `largest` down to `smallest` at which `text` takes at most `most`
// lines of `width` and `height`; nothing when none does.
std::optional<Lines> Fit(const std::string& text, int font, double width, double height,
                         double largest, double smallest, size_t most, double leading = 1.2) {
  for (double points = largest; points >= smallest - 1e-9; points -= 0.5) {
    Lines l{Wrap(text, font, points, width), points, leading};
    const bool fits = std::all_of(l.lines.begin(), l.lines.end(), [&](const std::string& s) {
      return Width(s, font, points) <= width + 1e-9;
    });
    if (fits && l.lines.size() <= most && l.Height() <= height + 1e-9) return l;
  }
  return std::nullopt;
}

std::string LevelRange(const BookOptions& book) {
  int low = 5, high = 0;
  for (const Section& s : book.Parts())
    low = std::min(low, s.level), high = std::max(high, s.level);
  auto name = [](int level) {
    const std::string caption = LevelCaption(level);
    return caption.substr(0, caption.size() - 7);
  };
  const std::string variant = OneVariantTitle(book);
  if (!variant.empty()) {
    return (low == high ? name(low) : name(low) + " to " + name(high)) + " " + variant;
  }
  return low == high ? name(low) + " Sudoku" : name(low) + " to " + name(high);
}

// The parts of a cover laid out for its words: everything but the drawing itself.
struct CoverLayout {
  CoverGeometry g;
  Rect band;  // the accent behind the front's title
  Lines title, subtitle, blurb;
  double title_top = 0;
  Rect grid, sample;  // the front's artwork and the back's sample puzzle
  double sample_caption = 0;
  std::string problem;
};

constexpr double kSampleSmallest = 1.6;

CoverLayout LayOut(const BookOptions& book, const CoverOptions& cover, int pages,
                   const BookWords& words, const std::string& blurb) {
  CoverLayout l;
  l.g = CoverGeometryOf(book, cover, pages);
  const CoverGeometry& g = l.g;
  const Rect front = g.FrontSafe(), back = g.BackSafe();
  l.band = {g.Front().left, 0, g.Width() - g.Front().left,
            CoverGeometry::kBleed + 0.36 * g.trim_height};
  // The title (and subtitle) in the band's safe part.
  const double room = l.band.Bottom() - 0.15 - front.top;
  std::optional<Lines> subtitle;
  if (!words.subtitle.empty()) {
    subtitle = Fit(words.subtitle, kRegular, front.width, room / 3, 18, 9, 2);
    if (!subtitle) subtitle = Lines{{words.subtitle}, 9, 1.2};
  }
  const double subtitle_height = subtitle ? subtitle->Height() + 0.12 : 0;
  std::optional<Lines> title = Fit(words.title.text, kBold, front.width, room - subtitle_height, 44,
                                   kSmallestTitle, 3, 1.12);
  if (!title) {
    l.problem = "the title does not fit the front cover at " + std::to_string(kSmallestTitle) +
                " pt or more";
    return l;
  }
  l.title = *title;
  if (subtitle) l.subtitle = *subtitle;
  l.title_top = front.top + (room - l.title.Height() - subtitle_height) / 2;
  // The artwork below the band, the levels and the count under it, the author at the foot.
  const double lines_below = 2 * 0.32;
  const double author_room = words.author.empty() ? 0 : 0.45;
  const double grid_top = l.band.Bottom() + 0.3;
  const double side =
      std::max(0.0, std::min({front.width * 0.78, g.trim_height * 0.42,
                              front.Bottom() - author_room - lines_below - 0.1 - grid_top}));
  l.grid = {front.left + (front.width - side) / 2, grid_top, side, side};
  // The back: the blurb, then a sample puzzle above the barcode area.
  const Rect barcode = g.Barcode();
  const double caption = 0.28;
  const double blurb_room = barcode.top - 0.3 - kSampleSmallest - caption - 0.3 - back.top;
  if (!blurb.empty()) {
    std::optional<Lines> fitted = Fit(blurb, kRegular, back.width, blurb_room, 11, 9, 100, 1.35);
    if (!fitted) {
      const Lines at9{Wrap(blurb, kRegular, 9, back.width), 9, 1.35};
      char buf[200];
      std::snprintf(buf, sizeof buf,
                    "the blurb (%zu characters) does not fit the back cover: it takes %.2f in at "
                    "9 pt and the room is %.2f in",
                    blurb.size(), at9.Height(), std::max(blurb_room, 0.0));
      l.problem = buf;
      return l;
    }
    l.blurb = *fitted;
  }
  const double sample_top = back.top + (blurb.empty() ? 0 : l.blurb.Height() + 0.3);
  l.sample_caption = sample_top;
  const double sample_side =
      std::min(back.width * 0.62, barcode.top - 0.3 - (sample_top + caption));
  l.sample = {back.left + (back.width - sample_side) / 2, sample_top + caption, sample_side,
              sample_side};
  return l;
}

double Lightness(const Cmyk& c) {
  // The inks as screen light, then the relative luminance of that colour.
  auto channel = [&](double ink) {
    const double v = (1 - ink) * (1 - c.k);
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.c) + 0.7152 * channel(c.m) + 0.0722 * channel(c.y);
}

// A puzzle of the book as the book prints it: 81 characters, "0" an empty cell.
std::string PuzzleOf(const PickedPuzzle& p) {
  if (p.kind != puzzle::PuzzleKind::kSamurai) return p.puzzle;
  // The centre grid of a Samurai puzzle.
  return puzzle::SplitLine(p.grids[0]).puzzle;
}

// A variant's grid as its pages draw it: X-Sudoku's diagonal cells grey, every cell rule thin,
// the region borders (a Jigsaw's own) heavy, the givens row by row.
void DrawVariantGrid(report::SinglePagePdf& pdf, const Rect& at, const PickedPuzzle& p) {
  pdf.FillRect(at, Cmyk::White());
  const puzzle::GridGeometry geometry = puzzle::VariantGeometry(p.kind, p.layout);
  const int n = geometry.Size();
  const double c = at.width / n;
  if (p.kind == puzzle::PuzzleKind::kX) {
    constexpr Cmyk kShade{0, 0, 0, 0.15};
    for (int r = 0; r < n; ++r) {
      pdf.FillRect({at.left + r * c, at.top + r * c, c, c}, kShade);
      if (n - 1 - r != r) pdf.FillRect({at.left + (n - 1 - r) * c, at.top + r * c, c, c}, kShade);
    }
  }
  for (int k = 0; k <= n; ++k) {
    pdf.Rule(at.left, at.top + k * c, at.Right(), at.top + k * c, 0.75, Cmyk::Black());
    pdf.Rule(at.left + k * c, at.top, at.left + k * c, at.Bottom(), 0.75, Cmyk::Black());
  }
  for (const puzzle::GridGeometry::BorderRun& run : geometry.BorderRuns()) {
    const double line = run.line * c, from = run.from * c, to = run.to * c;
    if (run.across) {
      pdf.Rule(at.left + from, at.top + line, at.left + to, at.top + line, 2.0, Cmyk::Black());
    } else {
      pdf.Rule(at.left + line, at.top + from, at.left + line, at.top + to, 2.0, Cmyk::Black());
    }
  }
  const double size = std::max(7.0, std::round(0.52 * c * 72 / 0.688));
  const double cap = 0.688 * size / 72;
  for (int r = 0; r < n; ++r) {
    for (int col = 0; col < n; ++col) {
      const char d = p.puzzle.at(static_cast<size_t>(r * n + col));
      if (d == '0') continue;
      const std::string text(1, d);
      const double x = at.left + col * c + (c - pdf.TextWidth(text, kRegular, size)) / 2;
      const double y = at.top + r * c + (c + cap) / 2;
      pdf.Text(text, kRegular, size, x, y, Cmyk::Black());
    }
  }
}

// A grid on a white square: thin cell rules, heavy box rules, the givens in black.
void DrawGrid(report::SinglePagePdf& pdf, const Rect& at, const PickedPuzzle& p) {
  if (puzzle::IsVariant(p.kind)) return DrawVariantGrid(pdf, at, p);
  const std::string puzzle = PuzzleOf(p);
  pdf.FillRect(at, Cmyk::White());
  const double c = at.width / 9;
  for (int k = 0; k <= 9; ++k) {
    const double points = k % 3 == 0 ? 2.0 : 0.75;
    pdf.Rule(at.left, at.top + k * c, at.Right(), at.top + k * c, points, Cmyk::Black());
    pdf.Rule(at.left + k * c, at.top, at.left + k * c, at.Bottom(), points, Cmyk::Black());
  }
  const double size = std::max(7.0, std::round(0.52 * c * 72 / 0.688));
  const double cap = 0.688 * size / 72;
  for (int i = 0; i < 9; ++i) {
    for (int j = 0; j < 9; ++j) {
      const char d = puzzle.size() == 81 ? puzzle[static_cast<size_t>(i * 9 + j)] : '0';
      if (d < '1' || d > '9') continue;
      const std::string text(1, d);
      // The string runs down the page column by column.
      const double x = at.left + i * c + (c - pdf.TextWidth(text, kRegular, size)) / 2;
      const double y = at.top + j * c + (c + cap) / 2;
      pdf.Text(text, kRegular, size, x, y, Cmyk::Black());
    }
  }
}

void Centred(report::SinglePagePdf& pdf, const Lines& lines, int font, const Rect& column,
             double top, const Cmyk& colour) {
  double y = top;
  for (const std::string& line : lines.lines) {
    const double baseline = y + Ascent(font, lines.points);
    pdf.Text(line, font, lines.points,
             column.left + (column.width - Width(line, font, lines.points)) / 2, baseline, colour);
    y += lines.points * lines.leading / 72;
  }
}

}  // namespace

double SpinePerPage(PaperStock stock) {
  switch (stock) {
    case PaperStock::kCream:
      return 0.0025;
    case PaperStock::kColor:
      return 0.002347;
    default:
      return 0.002252;
  }
}

std::optional<PaperStock> ParsePaperStock(std::string_view name) {
  if (name == "white") return PaperStock::kWhite;
  if (name == "cream") return PaperStock::kCream;
  if (name == "color" || name == "colour") return PaperStock::kColor;
  return std::nullopt;
}

std::string PaperStockName(PaperStock stock) {
  return stock == PaperStock::kCream ? "cream" : stock == PaperStock::kColor ? "color" : "white";
}

const std::vector<CoverTheme>& CoverThemes() {
  static const std::vector<CoverTheme> themes = {
      {"midnight", {1, 0.75, 0.2, 0.55}, {0, 0.2, 0.9, 0}, true, false},
      {"sunrise", {0, 0.12, 0.45, 0}, {0.05, 0.95, 0.9, 0.25}, false, true},
      {"forest", {0.85, 0.25, 0.9, 0.45}, {0.25, 0, 0.55, 0}, true, false},
      {"paper", {0, 0.03, 0.12, 0}, {0, 0, 0, 0.85}, false, true},
      {"ocean", {0.25, 0, 0.05, 0}, {1, 0.45, 0, 0.3}, false, true},
  };
  return themes;
}

std::string CoverThemeNames() {
  std::string names;
  for (const CoverTheme& t : CoverThemes())
    names += (names.empty() ? "" : ", ") + std::string(t.name);
  return names;
}

double Contrast(const Cmyk& text, const Cmyk& ground) {
  const double a = Lightness(text), b = Lightness(ground);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

CoverGeometry CoverGeometryOf(const BookOptions& book, const CoverOptions& cover, int pages) {
  CoverGeometry g;
  g.trim_width = book.layout.paper.width;
  g.trim_height = book.layout.paper.height;
  g.pages = pages;
  g.spine = cover.spine_width ? *cover.spine_width : pages * SpinePerPage(cover.stock);
  return g;
}

std::string CoverProblem(const BookOptions& book, const CoverOptions& cover, int pages) {
  const auto theme = std::find_if(CoverThemes().begin(), CoverThemes().end(),
                                  [&](const CoverTheme& t) { return cover.theme == t.name; });
  if (theme == CoverThemes().end()) {
    return "unknown cover theme \"" + cover.theme + "\"; use " + CoverThemeNames();
  }
  if (cover.spine_width && !(*cover.spine_width >= 0 && *cover.spine_width <= 2)) {
    return "the spine width must be from 0 to 2 in";
  }
  std::optional<std::string> blurb = PageEncoding(cover.blurb);
  if (!blurb) return "the blurb has a character the cover cannot print (it prints Latin-1)";
  return LayOut(book, cover, pages, WordsOf(book), *blurb).problem;
}

CoverBook CoverBookOf(const BookMaker& maker) {
  return {maker.Plan().TotalPages(), maker.Plan().puzzles, &maker.Picked()};
}

std::string MakeCover(const BookOptions& book, const CoverOptions& cover, const CoverBook& made,
                      CoverFacts* facts, std::vector<report::SinglePagePdf::Op>* drawing) {
  const BookWords words = WordsOf(book);
  const std::string blurb = PageEncoding(cover.blurb).value_or(std::string());
  const CoverLayout l = LayOut(book, cover, made.pages, words, blurb);
  if (!l.problem.empty()) throw std::invalid_argument(l.problem);
  const CoverGeometry& g = l.g;
  const CoverTheme& theme =
      *std::find_if(CoverThemes().begin(), CoverThemes().end(),
                    [&](const CoverTheme& t) { return cover.theme == t.name; });
  const Cmyk on_ground = theme.white_on_ground ? Cmyk::White() : Cmyk::Black();
  const Cmyk on_accent = theme.white_on_accent ? Cmyk::White() : Cmyk::Black();
  report::SinglePagePdf pdf(g.Width(), g.Height(), g.Trim(), {&Font(kRegular), &Font(kBold)});
  // The ground and the accents run into the bleed.
  pdf.FillRect(g.Page(), theme.ground);
  pdf.FillRect(l.band, theme.accent);
  if (g.spine > 0) pdf.FillRect({g.Spine().left, 0, g.spine, g.Height()}, theme.accent);

  // Front: title, subtitle, artwork, levels and count, author.
  const Rect front = g.FrontSafe();
  Centred(pdf, l.title, kBold, front, l.title_top, on_accent);
  if (!l.subtitle.lines.empty()) {
    Centred(pdf, l.subtitle, kRegular, front, l.title_top + l.title.Height() + 0.12, on_accent);
  }
  static const std::vector<PickedPuzzle> kNone;
  const std::vector<PickedPuzzle>& picked = made.picked ? *made.picked : kNone;
  if (!picked.empty() && l.grid.width > 0.5) DrawGrid(pdf, l.grid, picked.front());
  const int count = made.puzzles;
  const Lines levels{{LevelRange(book)}, 14, 1.2};
  const Lines puzzles{{std::to_string(count) +
                       (count == 1 ? " puzzle with its solution" : " puzzles with solutions")},
                      12,
                      1.2};
  Centred(pdf, levels, kBold, front, l.grid.Bottom() + 0.15, on_ground);
  Centred(pdf, puzzles, kRegular, front, l.grid.Bottom() + 0.15 + 0.32, on_ground);
  if (!words.author.empty()) {
    std::optional<Lines> author = Fit(words.author, kRegular, front.width, 0.4, 16, 8, 1);
    const Lines shown = author ? *author : Lines{{words.author}, 8, 1.2};
    Centred(pdf, shown, kRegular, front, front.Bottom() - shown.Height(), on_ground);
  }

  // Spine: the title and the author running down it, from 79 pages on.
  bool spine_text = false;
  if (g.SpineText()) {
    const Rect safe = g.SpineSafe();
    const std::string text = words.title.text + (words.author.empty() ? "" : "   " + words.author);
    const double per_point = Width(text, kBold, 1);
    const double across = (Ascent(kBold, 1) + Descent(kBold, 1));
    const double points = std::min({18.0, safe.width / across, safe.height / per_point});
    if (points > 0) {
      const double length = Width(text, kBold, points);
      const double centre = safe.left + safe.width / 2;
      const double x = centre - (Ascent(kBold, points) - Descent(kBold, points)) / 2;
      pdf.Text(text, kBold, points, x, safe.top + (safe.height - length) / 2, on_accent, 1);
      spine_text = true;
    }
  }

  // Back: the blurb and a sample puzzle; the barcode area stays empty.
  const Rect back = g.BackSafe();
  if (!l.blurb.lines.empty()) {
    double y = back.top;
    for (const std::string& line : l.blurb.lines) {
      pdf.Text(line, kRegular, l.blurb.points, back.left, y + Ascent(kRegular, l.blurb.points),
               on_ground);
      y += l.blurb.points * l.blurb.leading / 72;
    }
  }
  if (l.sample.width >= 1.0 && !picked.empty()) {
    Centred(pdf, Lines{{"A puzzle from this book"}, 10, 1.2}, kRegular, back, l.sample_caption,
            on_ground);
    DrawGrid(pdf, l.sample, picked.size() > 1 ? picked[1] : picked.front());
  }

  // What was drawn, before any guide: the barcode area and the safe areas.
  if (facts) {
    *facts = CoverFacts{};
    facts->width = g.Width(), facts->height = g.Height(), facts->spine = g.spine;
    facts->spine_text = spine_text;
    facts->barcode_clear = true, facts->text_safe = true;
    for (const auto& mark : pdf.Marks()) {
      const bool ground = mark.fills_page;
      if (!ground && mark.box.Meets(g.Barcode())) facts->barcode_clear = false;
      if (!mark.text) continue;
      const double x = mark.box.left + mark.box.width / 2;
      const Rect& safe = x < g.Spine().left ? back : x > g.Spine().Right() ? front : g.SpineSafe();
      if (!mark.box.Inside(safe, 0.005)) facts->text_safe = false;
    }
    facts->thinnest_line = pdf.ThinnestRule();
    facts->smallest_text = pdf.SmallestText();
    facts->cmyk = pdf.UsedCmyk();
  }
  std::string title = words.title.text + " - cover";
  if (cover.guides) {
    title += " (guides, not for printing)";
    const Cmyk trim{0, 1, 0, 0}, safe{1, 0, 0, 0};
    auto outline = [&](const Rect& r, const Cmyk& colour) {
      pdf.Rule(r.left, r.top, r.Right(), r.top, 0.5, colour);
      pdf.Rule(r.left, r.Bottom(), r.Right(), r.Bottom(), 0.5, colour);
      pdf.Rule(r.left, r.top, r.left, r.Bottom(), 0.5, colour);
      pdf.Rule(r.Right(), r.top, r.Right(), r.Bottom(), 0.5, colour);
    };
    outline(g.Trim(), trim);
    pdf.Rule(g.Spine().left, 0, g.Spine().left, g.Height(), 0.5, trim);
    pdf.Rule(g.Spine().Right(), 0, g.Spine().Right(), g.Height(), 0.5, trim);
    outline(back, safe);
    outline(front, safe);
    if (g.spine > 2 * CoverGeometry::kSpineSafe) outline(g.SpineSafe(), safe);
    outline(g.Barcode(), trim);
    const Cmyk label = on_ground;
    pdf.Text("BARCODE AREA", kBold, 7, g.Barcode().left + 0.08, g.Barcode().top + 0.15, label);
    pdf.Text("TRIM", kBold, 7, g.Trim().left + 0.03, g.Trim().top + 0.1, label);
    pdf.Text("SAFE AREA", kBold, 7, back.left + 0.03, back.Bottom() - 0.04, label);
    pdf.Text("SAFE AREA", kBold, 7, front.left + 0.03, front.Bottom() - 0.04, label);
    char spine[64];
    std::snprintf(spine, sizeof spine, "SPINE %.3f in", g.spine);
    pdf.Text(spine, kBold, 7, g.Spine().Right() + 0.04, g.Trim().top + 0.2, label, 1);
  }
  if (drawing) *drawing = pdf.Ops();
  return pdf.File(title, words.author);
}

}  // namespace quorvel::pages
