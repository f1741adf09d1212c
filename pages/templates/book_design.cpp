// The book design: every page laid out for its own live area (not scaled from Letter), with a
// running head, the page number at the outside corner, grids as large as the page allows,
// print-grade rules (cell rules 0.84 pt, region borders and the outer border 2.16 pt), digits
// centred in their cells with a cap height of about half the cell, candidates at their own
// places, and under every puzzle's heading the page of its answer.
#include "pages/templates/book_design.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>

#include "pages/paper.h"
#include "pages/templates/templates.h"
#include "report/font_metrics.h"

namespace quorvel::pages {
namespace {

using report::pjCenter;
using report::pjLeft;
using report::pjRight;

// Rules in dots of the recording's 600 dpi.
constexpr Sheet::Rules kRules{7, 18};
constexpr double kDots = 600;
// The font's cap height (and digit height), in ems.
constexpr double kCapHeight = 1409.0 / 2048;
constexpr int kSmallest = static_cast<int>(kSmallestTextPoints);
// Blocks stand apart by this gap, inches.
constexpr double kGap = 0.18;

// The type of a book's pages, in points, and the bands in inches they take: the running head
// (whose size the book's words fit) and the page number one each, a puzzle's heading line one
// of its own, an answer's heading a smaller one. Large print has larger type.
struct Type {
  int folio, heading, link, answer_heading;
  double band, heading_band, answer_heading_band;
};
constexpr Type kRegularType{9, 12, 8, 8, 0.25, 0.26, 0.17};
constexpr Type kLargeType{12, 16, 11, 9, 0.32, 0.34, 0.19};

const Type& TypeOf(const BookOptions& o) {
  return o.layout.large_print ? kLargeType : kRegularType;
}

const puzzle::GridGeometry& Classic() { return puzzle::GridGeometry::Classic(); }

double Ascent(int size) { return report::FontMetrics().AscentDots(size * kDots / 72) / kDots; }

}  // namespace

// Digits about 52% of their cell high.
int DigitSize(double cell) {
  return std::max(1, static_cast<int>(std::lround(0.52 * cell * 72 / kCapHeight)));
}

double CentredTop(double top, double height, int size) {
  return top + height / 2 + kCapHeight * size / 72 / 2 - Ascent(size);
}

namespace {

// The top of a text line of `size` sharing its baseline with a line of `with` from `top`.
double SameBaseline(double top, int with, int size) { return top + Ascent(with) - Ascent(size); }

struct Box {
  double left, top, width, height;
};

// The part of page `number` below the running head and above the page number.
Box ContentOf(const BookOptions& o, int number, int total_pages) {
  const double band = TypeOf(o).band;
  LiveArea live = LiveAreaOf(o, number, total_pages);
  return {live.left, live.top + band, live.right - live.left, live.bottom - live.top - 2 * band};
}
Box ContentOf(const TemplateContext& context, int number) {
  return ContentOf(context.options, number, context.layout_pages);
}

// The running head, the footer and the page number at the outside corner.
void Frame(const Sheet& sheet, const PageSpec& spec, const TemplateContext& context) {
  const Type& type = TypeOf(context.options);
  LiveArea live = LiveAreaOf(context.options, spec.number, context.layout_pages);
  const double width = live.right - live.left;
  const PlacedText& title = context.words.title;
  sheet.TextIn(title.text, live.left, live.top, width, title.size, pjCenter);
  const double foot = live.bottom - type.folio / 72.0 * 1.15;
  if (!context.words.footer.text.empty()) {
    const PlacedText& footer = context.words.footer;
    sheet.TextIn(footer.text, live.left, SameBaseline(foot, type.folio, footer.size), width,
                 footer.size, pjCenter);
  }
  sheet.TextIn(std::to_string(spec.number), live.left, foot, width, type.folio,
               spec.RightHand() ? pjRight : pjLeft);
}

// A cell of a puzzle or solution string: "" for "0", else its digit.
std::string CellText(const std::string& grid, int row, int column) {
  const size_t at = static_cast<size_t>(9 * (row - 1) + column - 1);
  if (at >= grid.size() || grid[at] == '0') return std::string();
  return grid.substr(at, 1);
}

}  // namespace

void StandardGrid(const Sheet& sheet, double x, double y, double side, const std::string& grid,
                  int style) {
  const double c = side / 9;
  const int size = DigitSize(c);
  // Sheet cells are centred in an inch from their left.
  Block b{c, x, y, x + c / 2 - 0.5, CentredTop(y, c, size), size};
  Sheet styled = sheet;
  styled.cell_style = style;
  styled.Grid(
      Classic(), b,
      [&](int i, int j) { return std::pair<int, std::string>(size, CellText(grid, i, j)); },
      kRules);
}

void VariantGrid(const Sheet& sheet, puzzle::PuzzleKind kind, const std::string& layout, double x,
                 double y, double side, const std::string& grid, int style) {
  const puzzle::GridGeometry geometry = puzzle::VariantGeometry(kind, layout);
  const int n = geometry.Size();
  const double c = side / n;
  // The shading first, under the rules and digits.
  if (kind == puzzle::PuzzleKind::kX) {
    for (int r = 0; r < n; ++r) {
      sheet.Shade(x + r * c, y + r * c, c, c, kDiagonalShade);
      if (n - 1 - r != r) sheet.Shade(x + (n - 1 - r) * c, y + r * c, c, c, kDiagonalShade);
    }
  }
  // Every rule light, then the region borders heavy over them, each run of border in one piece.
  for (int k = 0; k <= n; ++k) {
    sheet.HLine(x, n * c, kRules.light, y + k * c);
    sheet.VLine(y, n * c, kRules.light, x + k * c);
  }
  for (const puzzle::GridGeometry::BorderRun& run : geometry.BorderRuns()) {
    if (run.across) {
      sheet.HLine(x + run.from * c, (run.to - run.from) * c, kRules.heavy, y + run.line * c);
    } else {
      sheet.VLine(y + run.from * c, (run.to - run.from) * c, kRules.heavy, x + run.line * c);
    }
  }
  const int size = DigitSize(c);
  Sheet styled = sheet;
  styled.cell_style = style;
  for (int r = 0; r < n; ++r) {
    for (int col = 0; col < n; ++col) {
      const char digit = grid.at(static_cast<size_t>(r * n + col));
      if (digit == '0') continue;
      // Sheet cells are centred in an inch from their left.
      styled.Cell(x + col * c + c / 2 - 0.5, CentredTop(y + r * c, c, size), size,
                  std::string(1, digit));
    }
  }
}

namespace {

// A puzzle's grid, or its solution's, as its kind draws it.
void PuzzleGrid(const Sheet& sheet, const PickedPuzzle& p, bool solution, double x, double y,
                double side, int style = 0) {
  const std::string& grid = solution ? p.solution : p.puzzle;
  if (puzzle::IsVariant(p.kind)) {
    VariantGrid(sheet, p.kind, p.layout, x, y, side, grid, style);
  } else {
    StandardGrid(sheet, x, y, side, grid, style);
  }
}

// A puzzle's heading, the page of its answer beside it, and its grid below.
void PuzzleBlock(const Sheet& sheet, const TemplateContext& context, int number, double x, double y,
                 double side, bool candidates) {
  const Type& type = TypeOf(context.options);
  sheet.TextIn(Heading(number), x, y, side, type.heading, pjLeft);
  sheet.TextIn("Answer on page " + std::to_string(context.plan.AnswerPage(number)), x,
               SameBaseline(y, type.heading, type.link), side, type.link, pjRight);
  const std::string& puzzle = context.Puzzle(number).puzzle;
  const double grid_top = y + type.heading_band;
  PuzzleGrid(sheet, context.Puzzle(number), false, x, grid_top, side,
             context.options.BoldGivens() ? report::fsBold : 0);
  if (!candidates) return;
  // Each candidate d of an empty cell at its own place: row (d - 1) / 3, column (d - 1) % 3.
  const double c = side / 9, sub = c / 3;
  const int small = std::max(kSmallest, DigitSize(sub));
  puzzle::TQJ& grid = context.supply.Grid();
  grid.LoadPuzzle(puzzle);
  for (int i = 1; i <= 9; ++i) {
    for (int j = 1; j <= 9; ++j) {
      if (!CellText(puzzle, i, j).empty()) continue;
      // The string's row i runs down the page as column i, as in the classic design.
      const double cx = x + (i - 1) * c, cy = grid_top + (j - 1) * c;
      for (char d : grid.GetCandidates(i, j)) {
        const int k = d - '1';
        sheet.TextIn(std::string(1, d), cx + (k % 3) * sub,
                     CentredTop(cy + (k / 3) * sub, sub, small), sub, small, pjCenter);
      }
    }
  }
}

// Blocks of `rows` x `columns` grids filling `area`, each under a heading band `band` tall:
// the side of each grid.
double BlockSide(const Box& area, int rows, int columns, double band) {
  const double across = (area.width - (columns - 1) * kGap) / columns;
  const double down = (area.height - (rows - 1) * kGap) / rows - band;
  return std::max(0.0, std::min(across, down));
}

struct Arrangement {
  int rows, columns;
};

Arrangement ArrangementOf(int count) {
  switch (count) {
    case 1:
      return {1, 1};
    case 2:
      return {2, 1};
    case 4:
      return {2, 2};
    case 6:
      return {3, 2};
    case 9:
      return {3, 3};
    default:
      return {4, 3};
  }
}

// The top-left corner of block `k` of an arrangement of blocks `side` wide in `area`, centred.
std::pair<double, double> Place(const Box& area, Arrangement a, int k, double side, double band) {
  const double block_w = side, block_h = side + band;
  const double total_w = a.columns * block_w + (a.columns - 1) * kGap;
  const double total_h = a.rows * block_h + (a.rows - 1) * kGap;
  const double x0 = area.left + (area.width - total_w) / 2;
  const double y0 = area.top + (area.height - total_h) / 2;
  return {x0 + (k % a.columns) * (block_w + kGap), y0 + (k / a.columns) * (block_h + kGap)};
}

// The answers' area of a page: below its "Answers" heading.
Box AnswerArea(const Box& content, const Type& type) {
  return {content.left, content.top + type.heading_band, content.width,
          content.height - type.heading_band};
}

// Samurai: cell side, and the grid offsets in cells (column, row) by grid number 1..5.
struct Offset {
  int co, ro;
};
constexpr Offset kGridOffset[6] = {{0, 0}, {6, 6}, {0, 0}, {12, 0}, {0, 12}, {12, 12}};

}  // namespace

void SamuraiField(const Sheet& sheet, const puzzle::SamuraiGrids& samurai, bool answers, double x,
                  double y, double side, int style) {
  const double u = side / 21;
  const puzzle::GridGeometry& grid = Classic();
  for (int g = 1; g <= 5; ++g) {
    const Offset& o = kGridOffset[g];
    for (int i = 0; i <= 9; ++i) {
      sheet.HLine(x + o.co * u, 9 * u, kRules.Width(grid.HeavyRow(i)), y + (o.ro + i) * u);
      sheet.VLine(y + o.ro * u, 9 * u, kRules.Width(grid.HeavyColumn(i)), x + (o.co + i) * u);
    }
  }
  // The how-to-play page's small example keeps its digits at the smallest printed size.
  const int size = std::max(kSmallest, DigitSize(u));
  Sheet styled = sheet;
  styled.cell_style = style;
  auto cell = [&](int g, int c, int p) {
    return answers ? puzzle::SamuraiAnswerCell(samurai, g, c, p)
                   : puzzle::SamuraiPuzzleCell(samurai, g, c, p);
  };
  for (int g : {2, 3, 4, 5, 1}) {
    const Offset& o = kGridOffset[g];
    for (int p = 1; p <= 9; ++p) {
      for (int c = 1; c <= 9; ++c) {
        // Each shared box shows what the classic page shows there, once: the centre grid's
        // top-left and bottom-right boxes, the top-right grid's box, and in the bottom-left box
        // the givens of both grids.
        bool skip = (g == 2 && p >= 7 && c >= 7) || (g == 5 && p <= 3 && c <= 3) ||
                    (g == 1 && p <= 3 && c >= 7);
        if (g == 4 && p <= 3 && c >= 7) skip = !cell(1, c - 6, p + 6).empty();
        if (skip) continue;
        std::string text = cell(g, c, p);
        if (text.empty()) continue;
        styled.TextIn(text, x + (o.co + c - 1) * u, CentredTop(y + (o.ro + p - 1) * u, u, size), u,
                      size, pjCenter);
      }
    }
  }
}

namespace {

void Announce(const char* caption, int from, int span, const PageSpec& spec,
              TemplateContext& context) {
  context.progress.SetCaption(caption + std::to_string(spec.step) + "/" + std::to_string(spec.of));
  context.progress.SetPosition(from + spec.step * span / spec.of);
  context.progress.ProcessEvents();
}

}  // namespace

void DrawBookPuzzles(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  Announce("Create Sudoku Puzzles - ", 0, 40, spec, context);
  Frame(sheet, spec, context);
  const Type& type = TypeOf(context.options);
  const Box area = ContentOf(context, spec.number);
  const Arrangement a = ArrangementOf(spec.per_page);
  const double side = BlockSide(area, a.rows, a.columns, type.heading_band);
  for (int s = 0; s < spec.count; ++s) {
    auto [x, y] = Place(area, a, s, side, type.heading_band);
    PuzzleBlock(sheet, context, spec.first + s, x, y, side, spec.candidates);
  }
}

namespace {

// An answer page: its frame, its "Answers" heading, and draw(number, x, y, side) for each of
// its answers in their arrangement, each under its own heading.
template <class Draw>
void AnswerPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context, Draw&& draw) {
  Frame(sheet, spec, context);
  const Type& type = TypeOf(context.options);
  const Box content = ContentOf(context, spec.number);
  // A book of several parts names the part whose answers these are.
  std::string heading = "Answers";
  if (context.plan.sections.size() > 1 || !context.options.sections.empty()) {
    heading += ": " + PageEncoding(context.plan.sections.at(static_cast<size_t>(spec.section)).name)
                          .value_or(std::string());
  }
  sheet.TextIn(heading, content.left, content.top, content.width, type.heading, pjCenter);
  const Box area = AnswerArea(content, type);
  const Arrangement a = ArrangementOf(spec.per_page);
  const double side = BlockSide(area, a.rows, a.columns, type.answer_heading_band);
  for (int s = 0; s < spec.count; ++s) {
    const int number = spec.first + s;
    auto [x, y] = Place(area, a, s, side, type.answer_heading_band);
    sheet.TextIn(Heading(number), x, y, side, type.answer_heading, pjLeft);
    draw(number, x, y + type.answer_heading_band, side);
  }
}

}  // namespace

void DrawBookAnswers(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  Announce("Create Answers - ", 40, 40, spec, context);
  AnswerPage(sheet, spec, context, [&](int number, double x, double y, double side) {
    PuzzleGrid(sheet, context.Puzzle(number), true, x, y, side);
  });
}

void DrawBookSamurai(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  Announce("Create Sudoku Pages - ", 10, 30, spec, context);
  Frame(sheet, spec, context);
  const Type& type = TypeOf(context.options);
  const Box area = ContentOf(context, spec.number);
  const double side = BlockSide(area, 1, 1, type.heading_band);
  auto [x, y] = Place(area, {1, 1}, 0, side, type.heading_band);
  sheet.TextIn(Heading(spec.first), x, y, side, type.heading, pjLeft);
  sheet.TextIn("Answer on page " + std::to_string(context.plan.AnswerPage(spec.first)), x,
               SameBaseline(y, type.heading, type.link), side, type.link, pjRight);
  SamuraiField(sheet, context.Puzzle(spec.first).grids, false, x, y + type.heading_band, side,
               context.options.BoldGivens() ? report::fsBold : 0);
}

void DrawBookSamuraiAnswers(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  Announce("Create Answers - ", 40, 30, spec, context);
  AnswerPage(sheet, spec, context, [&](int number, double x, double y, double side) {
    SamuraiField(sheet, context.Puzzle(number).grids, true, x, y, side);
  });
}

namespace {

// The size of a book's given digits in a part of this kind and layout: its puzzle grid's on
// the book's first page.
int GivenDigits(const BookOptions& o, int total_pages, const Section& part) {
  const Type& type = TypeOf(o);
  const Box area = ContentOf(o, 1, total_pages);
  const Arrangement a = ArrangementOf(part.Samurai() ? 1 : part.per_page);
  const double side = BlockSide(area, a.rows, a.columns, type.heading_band);
  return DigitSize(side / (part.Samurai() ? 21 : puzzle::GridSize(part.kind)));
}

// The smallest given digits of the book's parts.
int GivenDigits(const BookOptions& o, int total_pages) {
  int smallest = 1000;
  for (const Section& part : o.Parts()) {
    smallest = std::min(smallest, GivenDigits(o, total_pages, part));
  }
  return smallest;
}

// Children's grids need large digits: 16 pt or more on any trim (4 a page gives 23 pt on 6 x 9
// and 34 pt on Letter).
constexpr int kChildrenDigits = 16;

std::string ChildrenProblem(const BookOptions& o, int total_pages) {
  for (const Section& part : o.Parts()) {
    if (puzzle::GridSize(part.kind) == 9) continue;
    const int digits = GivenDigits(o, total_pages, part);
    if (digits >= kChildrenDigits) continue;
    return puzzle::KindTitle(part.kind) + " puzzles " + std::to_string(part.per_page) +
           " a page would print their digits at " + std::to_string(digits) +
           " pt on this paper; children's grids need " + std::to_string(kChildrenDigits) +
           " pt or more";
  }
  return std::string();
}

// The trims large print is offered on, smallest first.
constexpr Paper kTrims[] = {{5, 8}, {5.5, 8.5}, {6, 9}, {7, 10}, {8, 10}, {8.5, 11}};
constexpr int kLargeDigits = 16;

std::string LargePrintProblem(const BookOptions& o, int total_pages) {
  for (const Section& part : o.Parts()) {
    if (!part.Samurai() && (part.per_page != 1 || part.candidates)) {
      return "large print has one puzzle a page, without candidates";
    }
  }
  // A book of one part asks for its layout in the page options, which large print overrides.
  if (o.sections.empty() && !o.Samurai() && (o.layout.per_page != 1 || o.layout.candidates)) {
    return "large print has one puzzle a page, without candidates";
  }
  if (GivenDigits(o, total_pages) >= kLargeDigits) return std::string();
  std::string fits;
  for (const Paper& trim : kTrims) {
    BookOptions larger = o;
    larger.layout.paper = trim;
    if (trim.width >= o.layout.paper.width && trim.height >= o.layout.paper.height &&
        GivenDigits(larger, total_pages) >= kLargeDigits) {
      char name[32];
      std::snprintf(name, sizeof name, "%gx%g", trim.width, trim.height);
      fits = name;
      break;
    }
  }
  return "large print needs given digits of 16 pt or more, and this paper gives " +
         std::to_string(GivenDigits(o, total_pages)) + " pt" +
         (fits.empty() ? std::string() : "; the smallest paper that fits is " + fits + " in");
}

// Why the answers of this kind's parts cannot be printed as many a page as chosen, or "".
std::string AnswersProblem(const BookOptions& o, int total_pages, bool samurai) {
  const int per = o.AnswersPerPage(samurai);
  const bool counted = samurai ? (per == 1 || per == 2 || per == 4)
                               : (per == 4 || per == 6 || per == 9 || per == 12);
  if (!counted) {
    return std::string("answers a page are ") + (samurai ? "1, 2 or 4" : "4, 6, 9 or 12") +
           " in a " + (samurai ? "Samurai" : "Standard") + " book, not " + std::to_string(per);
  }
  // The smallest digits of the book: its answers' (on the page that leaves them least room).
  const Type& type = TypeOf(o);
  auto digits = [&](int count) {
    Box content = ContentOf(o, 2, total_pages);
    Arrangement a = ArrangementOf(count);
    double side = BlockSide(AnswerArea(content, type), a.rows, a.columns, type.answer_heading_band);
    return DigitSize(side / (samurai ? 21 : 9));
  };
  if (digits(per) >= kSmallest) return std::string();
  static constexpr int kSamuraiCounts[] = {1, 2, 4}, kStandardCounts[] = {4, 6, 9, 12};
  int largest = 0;
  for (int count :
       samurai ? std::span<const int>(kSamuraiCounts) : std::span<const int>(kStandardCounts)) {
    if (digits(count) >= kSmallest) largest = count;
  }
  return std::to_string(per) + " answers a page would print their digits under 7 pt on this " +
         "paper" +
         (largest > 0 ? "; at most " + std::to_string(largest) + " fit"
                      : std::string("; no count fits"));
}

}  // namespace

std::string BookDesignProblem(const BookOptions& o, int total_pages) {
  if (!o.BookDesign()) {
    if (o.layout.answers_per_page != 0) return "answers a page need the book design";
    if (o.layout.bold_givens) return "bold givens need the book design";
    if (o.layout.large_print) return "large print needs the book design";
    return std::string();
  }
  if (o.layout.large_print) {
    if (std::string problem = LargePrintProblem(o, total_pages); !problem.empty()) return problem;
  }
  if (std::string problem = ChildrenProblem(o, total_pages); !problem.empty()) return problem;
  bool standard = false, samurai = false;
  for (const Section& part : o.Parts()) (part.Samurai() ? samurai : standard) = true;
  for (bool kind : {false, true}) {
    if (!(kind ? samurai : standard)) continue;
    if (std::string problem = AnswersProblem(o, total_pages, kind); !problem.empty()) {
      return problem;
    }
  }
  return std::string();
}

}  // namespace quorvel::pages
