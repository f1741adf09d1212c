// The book design's front matter (title, copyright, contents and how-to-play pages), the
// openers of a book's sections, and its blank pages. None carries a page number or a running
// head; the contents name the pages the others are numbered by.
#include "pages/templates/front_matter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "pages/templates/book_design.h"
#include "pages/templates/templates.h"
#include "puzzle/canonical.h"
#include "puzzle/random.h"
#include "puzzle/variant.h"

namespace quorvel::pages {
namespace {

using report::pjCenter;
using report::pjLeft;
using report::pjRight;

constexpr int kSmallest = static_cast<int>(kSmallestTextPoints);

double LineHeight(int size) { return size / 72.0 * 1.3; }

struct Column {
  double left, width;
};

Column ColumnOf(const LiveArea& live) { return {live.left, live.right - live.left}; }

LiveArea Live(const TemplateContext& context, const PageSpec& spec) {
  return LiveAreaOf(context.options, spec.number, context.layout_pages);
}

// `text` in lines of at most `width` inches at `size`.
std::vector<std::string> Wrap(const std::string& text, int size, double width) {
  return WrapText(text, width, [size](std::string_view line) { return TextWidth(line, size); });
}

// Lines of `text` at the largest size from `largest` down to `smallest` at which it takes at
// most `most` lines of `width`; else one line at the size that fits.
struct Lines {
  std::vector<std::string> lines;
  int size;
};
Lines Display(const std::string& text, double width, int largest, int smallest, int most) {
  for (int size = largest; size >= smallest; --size) {
    std::vector<std::string> lines = Wrap(text, size, width);
    const bool fits = std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return TextWidth(line, size) <= width + 1e-9;
    });
    if (fits && static_cast<int>(lines.size()) <= most) return {lines, size};
  }
  return {{text}, std::max(kSmallest, FitPoints(text, width, largest))};
}

// Centred lines from `top`; the top of what follows them.
double CentredLines(const Sheet& sheet, const Column& column, const Lines& text, double top) {
  for (const std::string& line : text.lines) {
    sheet.TextIn(line, column.left, top, column.width, text.size, pjCenter);
    top += LineHeight(text.size);
  }
  return top;
}

// A paragraph in `size` from `top`; the top of what follows it.
double Paragraph(const Sheet& sheet, const Column& column, const std::string& text, int size,
                 double top) {
  for (const std::string& line : Wrap(text, size, column.width)) {
    sheet.TextIn(line, column.left, top, column.width, size, pjLeft);
    top += LineHeight(size);
  }
  return top + LineHeight(size) / 2;
}

// An example puzzle and its solution.
using Example = puzzle::LineStrings;

}  // namespace

std::string ContentsLine(const std::string& name, int page, int size, double width) {
  const std::string number = std::to_string(page);
  // A space stands between the dots and each end.
  const double room =
      width - TextWidth(name, size) - TextWidth(number, size) - 3 * TextWidth(" ", size);
  const int dots = std::max(0, static_cast<int>(room / TextWidth(".", size)));
  return name + " " + std::string(static_cast<size_t>(dots), '.');
}

std::vector<ContentsEntry> ContentsOf(const BookPlan& plan) {
  std::vector<ContentsEntry> entries;
  for (const PageSpec& spec : plan.pages) {
    if (spec.kind == PageKind::kRules) entries.push_back({"How to Play", spec.number});
  }
  for (const PlannedSection& s : plan.sections) {
    entries.push_back({PageEncoding(s.name).value_or(std::string()), s.first_page});
  }
  entries.push_back({"Answers", plan.first_answer_page});
  return entries;
}

int ContentsSize(int entries, double height) {
  for (int size = kContentsSize; size >= kSmallest; --size) {
    if (entries * LineHeight(size) * 1.5 <= height) return size;
  }
  return 0;
}

void DrawTitlePage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  const BookWords& words = context.words;
  const double height = live.bottom - live.top;
  double top = live.top + 0.28 * height;
  top = CentredLines(sheet, column, Display(words.title.text, column.width, 30, 14, 3), top);
  if (!words.subtitle.empty()) {
    top += 0.15;
    CentredLines(sheet, column, Display(words.subtitle, column.width, 16, 10, 2), top);
  }
  if (!words.author.empty()) {
    CentredLines(sheet, column, Display(words.author, column.width, 14, kSmallest, 2),
                 live.top + 0.6 * height);
  }
  if (!words.publisher.empty()) {
    CentredLines(sheet, column, Display(words.publisher, column.width, 11, kSmallest, 1),
                 live.bottom - 0.4);
  }
}

std::string CopyrightLine(const BookWords& words, int year) {
  std::string line = "Copyright \xA9 " + std::to_string(year);
  if (!words.holder.empty()) line += " " + words.holder;
  return line;
}

void DrawCopyrightPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  const BookWords& words = context.words;
  std::vector<std::string> lines = {CopyrightLine(words, context.options.publication.year),
                                    "All rights reserved."};
  if (!words.edition.empty()) lines.push_back(words.edition);
  if (!words.isbn.empty()) lines.push_back("ISBN " + words.isbn);
  if (!words.publisher.empty()) lines.push_back("Published by " + words.publisher);
  constexpr int kSize = 9;
  double top = live.bottom - 0.3 - static_cast<double>(lines.size()) * LineHeight(kSize);
  for (const std::string& line : lines) {
    const int size = std::max(kSmallest, FitPoints(line, column.width, kSize));
    sheet.TextIn(line, column.left, top, column.width, size, pjLeft);
    top += LineHeight(kSize);
  }
}

void DrawContentsPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  double top = live.top + 0.3;
  sheet.TextIn("Contents", column.left, top, column.width, 18, pjCenter);
  top += 0.75;
  const std::vector<ContentsEntry> entries = ContentsOf(context.plan);
  const int size =
      std::max(kSmallest, ContentsSize(static_cast<int>(entries.size()), live.bottom - top));
  for (const ContentsEntry& entry : entries) {
    sheet.TextIn(ContentsLine(entry.name, entry.page, size, column.width), column.left, top,
                 column.width, size, pjLeft);
    sheet.TextIn(std::to_string(entry.page), column.left, top, column.width, size, pjRight);
    top += LineHeight(size) * 1.5;
  }
}

namespace {

constexpr int kRulesSize = 10;

// A page's heading and the top of what follows it.
double PageHeading(const Sheet& sheet, const Column& column, const std::string& text, double top) {
  const int size = std::max(kSmallest, FitPoints(text, column.width, 16));
  sheet.TextIn(text, column.left, top, column.width, size, pjCenter);
  return top + LineHeight(size) + 0.2;
}

// The cell of `e` that a first step fills: one whose row, column and box leave one digit.
std::string FirstStep(const Example& e) {
  for (int row = 0; row < 9; ++row) {
    for (int col = 0; col < 9; ++col) {
      // The string runs down the page column by column: cell (i, j) is page column i, row j.
      const int at = col * 9 + row;
      if (e.puzzle[static_cast<size_t>(at)] != '0') continue;
      bool seen[10] = {};
      for (int k = 0; k < 9; ++k) {
        seen[e.puzzle[static_cast<size_t>(col * 9 + k)] - '0'] = true;
        seen[e.puzzle[static_cast<size_t>(k * 9 + row)] - '0'] = true;
        const int bc = col / 3 * 3 + k / 3, br = row / 3 * 3 + k % 3;
        seen[e.puzzle[static_cast<size_t>(bc * 9 + br)] - '0'] = true;
      }
      int left = 0, digit = 0;
      for (int d = 1; d <= 9; ++d) {
        if (!seen[d]) ++left, digit = d;
      }
      if (left != 1) continue;
      return "A first step: look at the empty cell in row " + std::to_string(row + 1) +
             ", column " + std::to_string(col + 1) + " of the example. Every digit but " +
             std::to_string(digit) + " already stands in its row, its column or its box, so " +
             std::to_string(digit) +
             " goes there. Each digit you place gives the next cells fewer choices.";
    }
  }
  return std::string();
}

// Two grids side by side under their captions, the example and its solution; the top of what
// follows them.
template <class Draw>
double SideBySide(const Sheet& sheet, const Column& column, double top, double bottom,
                  double most_side, Draw&& draw) {
  constexpr double kGap = 0.3, kCaption = 0.22;
  const double side = std::min({(column.width - kGap) / 2, bottom - top - kCaption, most_side});
  const double left = column.left + (column.width - 2 * side - kGap) / 2;
  for (int k = 0; k < 2; ++k) {
    const double x = left + k * (side + kGap);
    sheet.TextIn(k == 0 ? "Example" : "Solution", x, top, side, 9, pjCenter);
    draw(k == 1, x, top + kCaption, side);
  }
  return top + kCaption + side + 0.25;
}

}  // namespace

void DrawRulesPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  double top = PageHeading(sheet, column, "How to Play", live.top + 0.2);
  top = Paragraph(sheet, column,
                  "Sudoku is played on a grid of nine rows, nine columns and nine boxes of 3 x 3 "
                  "cells. Some cells hold given digits. Fill every empty cell with a digit from 1 "
                  "to 9 so that each row, each column and each box holds every digit exactly "
                  "once.",
                  kRulesSize, top);
  top = Paragraph(sheet, column,
                  "Every puzzle in this book has exactly one solution, and logic alone finds it: "
                  "there is no need to guess. The answers are at the back of the book; under each "
                  "puzzle's number is the page of its answer.",
                  kRulesSize, top);
  const Example e = puzzle::SplitLine(context.supply.Banks().Bank(0).front());
  const std::string step = FirstStep(e);
  const double step_height =
      static_cast<double>(Wrap(step, kRulesSize, column.width).size() + 1) * LineHeight(kRulesSize);
  top = SideBySide(sheet, column, top, live.bottom - step_height, 2.6,
                   [&](bool solution, double x, double y, double side) {
                     StandardGrid(sheet, x, y, side, solution ? e.solution : e.puzzle);
                   });
  if (!step.empty()) Paragraph(sheet, column, step, kRulesSize, top);
}

void DrawSamuraiRulesPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  double top = PageHeading(sheet, column, "How to Play Samurai Sudoku", live.top + 0.2);
  top = Paragraph(sheet, column,
                  "A Samurai Sudoku is five Sudoku grids that overlap: the centre grid shares each "
                  "of its corner boxes with one of the four outer grids. Each grid follows the "
                  "rules of Sudoku: every row, column and box of it holds each digit from 1 to 9 "
                  "exactly once. A digit in a shared box counts in both of its grids, so what you "
                  "find in one grid helps with the next.",
                  kRulesSize, top);
  // The example is the same in every book: a Samurai puzzle of the easiest bank.
  puzzle::RandomSource random;
  random.SetSeedCounter(puzzle::MakeSequenceCounter(1));
  puzzle::PuzzleSupply supply(context.supply.Banks(), random);
  const puzzle::SamuraiGrids example = puzzle::AssembleSamurai(supply, 1);
  const double room = (live.bottom - top - 2 * 0.22 - 0.2) / 2;
  const double side = std::min(column.width, room);
  const double x = column.left + (column.width - side) / 2;
  for (int k = 0; k < 2; ++k) {
    sheet.TextIn(k == 0 ? "Example" : "Solution", column.left, top, column.width, 9, pjCenter);
    SamuraiField(sheet, example, k == 1, x, top + 0.22, side);
    top += 0.22 + side + 0.2;
  }
}

namespace {

// The rules of a variant, in the words of its how-to-play page.
std::string VariantRules(puzzle::PuzzleKind kind) {
  switch (kind) {
    case puzzle::PuzzleKind::kX:
      return "X-Sudoku is Sudoku with one rule more. Fill every empty cell with a digit from 1 "
             "to 9 so that each row, each column and each box of 3 x 3 cells holds every digit "
             "exactly once, and so does each of the two long diagonals: the grey cells from "
             "corner to corner.";
    case puzzle::PuzzleKind::kJigsaw:
      return "Jigsaw Sudoku has nine rows and nine columns, and in place of boxes nine regions "
             "of nine cells each, outlined by heavy lines, whose shapes change from puzzle to "
             "puzzle. Fill every empty cell with a digit from 1 to 9 so that each row, each "
             "column and each region holds every digit exactly once.";
    case puzzle::PuzzleKind::kFour:
      return "A 4x4 Sudoku has four rows, four columns and four boxes of 2 x 2 cells. Fill "
             "every empty cell with a digit from 1 to 4 so that each row, each column and each "
             "box holds every digit exactly once.";
    default:
      return "A 6x6 Sudoku has six rows, six columns and six boxes of two rows and three "
             "columns. Fill every empty cell with a digit from 1 to 6 so that each row, each "
             "column and each box holds every digit exactly once.";
  }
}

// A first step of a variant's example: an empty cell whose houses leave it one digit.
std::string VariantFirstStep(puzzle::PuzzleKind kind, const puzzle::VariantPuzzle& e) {
  const puzzle::GridGeometry geometry = puzzle::VariantGeometry(kind, e.layout);
  const int n = geometry.Size();
  std::vector<std::vector<int>> houses_of(static_cast<size_t>(n * n));
  const std::vector<std::vector<int>>& houses = geometry.Houses();
  for (size_t h = 0; h < houses.size(); ++h) {
    for (int cell : houses[h]) houses_of[static_cast<size_t>(cell)].push_back(static_cast<int>(h));
  }
  for (int cell = 0; cell < n * n; ++cell) {
    if (e.puzzle[static_cast<size_t>(cell)] != '0') continue;
    std::vector<bool> seen(static_cast<size_t>(n + 1));
    for (int h : houses_of[static_cast<size_t>(cell)]) {
      for (int other : houses[static_cast<size_t>(h)]) {
        seen[static_cast<size_t>(e.puzzle[static_cast<size_t>(other)] - '0')] = true;
      }
    }
    int left = 0, digit = 0;
    for (int d = 1; d <= n; ++d) {
      if (!seen[static_cast<size_t>(d)]) ++left, digit = d;
    }
    if (left != 1) continue;
    const std::string houses = kind == puzzle::PuzzleKind::kJigsaw
                                   ? "its row, its column or its region"
                               : houses_of[static_cast<size_t>(cell)].size() > 3
                                   ? "its row, its column, its box or its diagonal"
                                   : "its row, its column or its box";
    return "A first step: look at the empty cell in row " + std::to_string(cell / n + 1) +
           ", column " + std::to_string(cell % n + 1) + " of the example. Every digit but " +
           std::to_string(digit) + " already stands in " + houses + ", so " +
           std::to_string(digit) + " goes there.";
  }
  return std::string();
}

}  // namespace

void DrawVariantRulesPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const auto kind = static_cast<puzzle::PuzzleKind>(spec.first);
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  double top = PageHeading(sheet, column, "How to Play " + puzzle::KindTitle(kind), live.top + 0.2);
  top = Paragraph(sheet, column, VariantRules(kind), kRulesSize, top);
  top = Paragraph(sheet, column,
                  "Every puzzle has exactly one solution under these rules, and logic alone "
                  "finds it. The answers are at the back of the book.",
                  kRulesSize, top);
  // The example is the same in every book: the first line of the variant's easiest bank.
  const int bank = puzzle::BankSet::IndexOf(kind, 0);
  const puzzle::VariantPuzzle e =
      puzzle::ParseVariantLine(kind, context.supply.Banks().Bank(bank).front());
  const std::string step = VariantFirstStep(kind, e);
  const double step_height =
      static_cast<double>(Wrap(step, kRulesSize, column.width).size() + 1) * LineHeight(kRulesSize);
  top =
      SideBySide(sheet, column, top, live.bottom - step_height, 2.6,
                 [&](bool solution, double x, double y, double side) {
                   VariantGrid(sheet, kind, e.layout, x, y, side, solution ? e.solution : e.puzzle);
                 });
  if (!step.empty()) Paragraph(sheet, column, step, kRulesSize, top);
}

void DrawSectionOpener(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  const LiveArea live = Live(context, spec);
  const Column column = ColumnOf(live);
  const PlannedSection& s = context.plan.sections.at(static_cast<size_t>(spec.section));
  double top = live.top + 0.35 * (live.bottom - live.top);
  const std::string name = PageEncoding(s.name).value_or(std::string());
  top = CentredLines(sheet, column, Display(name, column.width, 28, 14, 3), top) + 0.2;
  const std::string caption = LevelCaption(s.section.level);
  sheet.TextIn("Level: " + caption.substr(0, caption.size() - 7), column.left, top, column.width,
               14, pjCenter);
  top += LineHeight(14) + 0.1;
  const std::string range = s.section.count == 1 ? "Puzzle " + std::to_string(s.first)
                                                 : "Puzzles " + std::to_string(s.first) + " to " +
                                                       std::to_string(s.Last());
  sheet.TextIn(range, column.left, top, column.width, 12, pjCenter);
}

void DrawBlankPage(const Sheet&, const PageSpec&, TemplateContext&) {}

std::string FrontMatterProblem(const BookOptions& options, const BookPlan& plan,
                               const BookWords& words) {
  const LiveArea live = LiveAreaOf(options, 1, plan.TotalPages());
  const double width = live.right - live.left;
  for (const PlannedSection& s : plan.sections) {
    std::optional<std::string> name = PageEncoding(s.name);
    if (!name) return "the section name \"" + s.name + "\" has a character the pages cannot print";
    if (FitPoints("Answers: " + *name, width, kSmallest) == 0) {
      return "the section name \"" + s.name + "\" is too long for its answers' header";
    }
  }
  const FrontMatter& front = options.front;
  if (front.contents) {
    const int entries = static_cast<int>(ContentsOf(plan).size());
    if (ContentsSize(entries, live.bottom - live.top - 1.05) == 0) {
      return "the contents page holds too many entries (" + std::to_string(entries) + ")";
    }
    for (const ContentsEntry& entry : ContentsOf(plan)) {
      if (FitPoints(entry.name + " 000", width, kSmallest) == 0) {
        return "the section name \"" + entry.name + "\" is too long for the contents page";
      }
    }
  }
  if (front.copyright &&
      FitPoints(CopyrightLine(words, options.publication.year), width, kSmallest) == 0) {
    return "the copyright holder's name is too long for the copyright page";
  }
  if (front.title) {
    for (auto [what, text] :
         {std::pair{"subtitle", &words.subtitle}, std::pair{"publisher", &words.publisher}}) {
      if (FitPoints(*text, width, kSmallest) == 0 && Wrap(*text, kSmallest, width).size() > 2) {
        return std::string("the ") + what + " is too long for the title page";
      }
    }
  }
  return std::string();
}

}  // namespace quorvel::pages
