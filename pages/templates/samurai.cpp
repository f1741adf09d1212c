// The Samurai pages: five overlapping grids on a 21 x 21 field, the puzzle or its solution.
#include "pages/templates/templates.h"

namespace quorvel::pages {
namespace {

// Cell side, and the grid offsets in cells (column, row) by grid number 1..5.
constexpr double kU = 0.35;
struct Offset {
  int co, ro;
};
constexpr Offset kGridOffset[6] = {{0, 0}, {6, 6}, {0, 0}, {12, 0}, {0, 12}, {12, 12}};

void GridLines(const Sheet& sheet) {
  const puzzle::GridGeometry& grid = puzzle::GridGeometry::Classic();
  // Horizontal lines: top-left, top-right, centre, bottom-left, bottom-right.
  static constexpr int kHOrder[5] = {2, 3, 1, 4, 5};
  // Vertical lines: top-left, bottom-left, centre, top-right, bottom-right.
  static constexpr int kVOrder[5] = {2, 4, 1, 3, 5};
  for (int i = 0; i <= 9; ++i) {
    for (int g : kHOrder) {
      const Offset& o = kGridOffset[g];
      sheet.HLine(0.5 + o.co * kU, 9 * kU, Sheet::RuleWidth(grid.HeavyRow(i)),
                  2.29 + (o.ro + i) * kU);
    }
  }
  for (int j = 0; j <= 9; ++j) {
    for (int g : kVOrder) {
      const Offset& o = kGridOffset[g];
      sheet.VLine(2.29 + o.ro * kU, 9 * kU, Sheet::RuleWidth(grid.HeavyColumn(j)),
                  0.5 + (o.co + j) * kU);
    }
  }
}

void Digits(const Sheet& sheet, const puzzle::SamuraiBatch& samurai, int k, bool answers) {
  // Grids top-left, top-right, bottom-left, bottom-right, centre; shared boxes print once
  // from the grid named in the exclusions (the bottom-left box from both).
  static constexpr int kOrder[5] = {2, 3, 4, 5, 1};
  for (int p = 1; p <= 9; ++p) {
    for (int c = 1; c <= 9; ++c) {
      for (int g : kOrder) {
        bool skip = (g == 2 && p >= 7 && c >= 7) || (g == 5 && p <= 3 && c <= 3) ||
                    (g == 1 && p <= 3 && c >= 7);
        if (skip) continue;
        const Offset& o = kGridOffset[g];
        std::string text = answers ? puzzle::SamuraiAnswerCell(samurai, k, g, c, p)
                                   : puzzle::SamuraiPuzzleCell(samurai, k, g, c, p);
        sheet.Cell((o.co + c - 1) * kU + 0.19, (o.ro + p - 1) * kU + 2.28, 20, text);
      }
    }
  }
}

void PageBegins(const char* caption, int base, const PageSpec& spec, TemplateContext& context) {
  context.progress.ProcessEvents();
  context.progress.SetCaption(caption + std::to_string(spec.step) + "/" + std::to_string(spec.of));
  context.progress.SetPosition(spec.step * 30 / spec.of + base);
  context.progress.Repaint();
}

}  // namespace

void DrawSamuraiPuzzle(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  PageBegins("Create Sudoku Pages - ", 10, spec, context);
  sheet.Text(context.words.title.text, 5.1, 0.6, context.words.title.size);
  sheet.Text(Heading(spec.first), 3.25, 1.4, 28);
  GridLines(sheet);
  Digits(sheet, context.samurai, spec.first, false);
  sheet.Text(context.words.footer.text, 6.2, 9.65, context.words.footer.size);
}

void DrawSamuraiAnswer(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  PageBegins("Create Answers - ", 40, spec, context);
  sheet.Text(context.words.title.text, 5.1, 0.6, context.words.title.size);
  sheet.Text("Answers", 0.5, 0.6, 18);
  sheet.Text(Heading(spec.first), 3.25, 1.4, 28);
  GridLines(sheet);
  Digits(sheet, context.samurai, spec.first, true);
  sheet.Text(context.words.footer.text, 6.2, 9.65, context.words.footer.size);
}

}  // namespace quorvel::pages
