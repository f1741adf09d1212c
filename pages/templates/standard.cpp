// The Standard pages: 1 puzzle a page (with or without candidates), 2 or 4 a page, and the
// answer pages of four solutions. Each keeps the Letter design's items, in their order.
#include <utility>

#include "pages/templates/templates.h"

namespace quorvel::pages {
namespace {

using CellContent = std::pair<int, std::string>;

// The four slots of the four-puzzle and answer layouts: heading (left, top) and block.
struct Slot {
  double heading_left, heading_top;
  Block block;
};
constexpr Slot kSlots[4] = {
    {0.5, 1.2, {0.4, 0.5, 1.59, 0.2, 1.62, 18}},
    {4.5, 1.2, {0.4, 4.5, 1.59, 4.2, 1.62, 18}},
    {0.5, 5.6, {0.4, 0.5, 5.99, 0.2, 6.02, 18}},
    {4.5, 5.6, {0.4, 4.5, 5.99, 4.2, 6.02, 18}},
};

const puzzle::GridGeometry& Classic() { return puzzle::GridGeometry::Classic(); }

// The cell (i, j) of an 81-character string: character 9(i - 1) + j; "" for "0" or past the end.
std::string CellOf(const std::string& s, int i, int j) {
  size_t pos = static_cast<size_t>(9 * (i - 1) + j - 1);
  if (pos >= s.size() || s[pos] == '0') return std::string();
  return std::string(1, s[pos]);
}

// The digits of the current puzzle text.
auto PuzzleCells(puzzle::PuzzleSupply& supply, int size) {
  return [&supply, size](int i, int j) { return CellContent(size, supply.GetCellText(i, j)); };
}

void PuzzlePageBegins(const PageSpec& spec, TemplateContext& context) {
  context.progress.SetPosition(spec.step * 40 / spec.of);
  context.progress.SetCaption("Create Sudoku Puzzles,Please wait");
  context.progress.ProcessEvents();
}

void OnePuzzle(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  puzzle::PuzzleSupply& supply = context.supply;
  sheet.Text(context.words.title.text, 5.1, 0.6, context.words.title.size);
  sheet.Text(Heading(spec.first), 3.18, 1.4, 28);
  supply.tm = supply.Puzzle(spec.first);
  sheet.Grid(Classic(), {0.84, 0.5, 1.99, 0.46, 2.19, 25}, [&](int i, int j) {
    std::string text = supply.GetCellText(i, j);
    if (!spec.candidates || !text.empty()) return CellContent(25, text);
    puzzle::TQJ& grid = supply.Grid();
    grid.LoadPuzzle(supply.tm);
    return CellContent(12, grid.GetCandidates(i, j));
  });
  sheet.Text(context.words.footer.text, 6.24, 9.56, context.words.footer.size);
}

void TwoPuzzles(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  puzzle::PuzzleSupply& supply = context.supply;
  supply.tm = supply.Puzzle(spec.first);
  sheet.Text(context.words.title.text, 5.1, 0.6, context.words.title.size);
  sheet.Text(Heading(spec.first), 3.5, 1.0, 18);
  sheet.Grid(Classic(), {0.48, 2.0, 1.39, 1.75, 1.42, 20}, PuzzleCells(supply, 20));
  supply.tm = supply.Puzzle(spec.first + 1);
  sheet.Text(Heading(spec.first + 1), 3.5, 5.9, 18);
  sheet.Grid(Classic(), {0.48, 2.0, 6.29, 1.75, 6.35, 20}, PuzzleCells(supply, 20));
  sheet.TextPlacedFirst(context.words.footer.text, 3.3, 10.62, context.words.footer.size);
}

void FourPuzzles(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  puzzle::PuzzleSupply& supply = context.supply;
  sheet.Text(context.words.title.text, 5.1, 0.6, context.words.title.size);
  for (int s = 0; s < 4; ++s) {
    const Slot& slot = kSlots[s];
    const int number = spec.first + s;
    sheet.Text(Heading(number), slot.heading_left, slot.heading_top, 18);
    supply.tm = supply.Puzzle(number);
    sheet.Grid(Classic(), slot.block, PuzzleCells(supply, 18));
  }
  sheet.Text(context.words.footer.text, 6.3, 9.7, context.words.footer.size);
}

}  // namespace

std::string Heading(int number) { return "Sudoku #" + std::to_string(number); }

void DrawStandardPuzzles(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  PuzzlePageBegins(spec, context);
  switch (spec.per_page) {
    case 1:
      return OnePuzzle(sheet, spec, context);
    case 2:
      return TwoPuzzles(sheet, spec, context);
    default:
      return FourPuzzles(sheet, spec, context);
  }
}

void DrawStandardAnswers(const Sheet& sheet, const PageSpec& spec, TemplateContext& context) {
  context.progress.SetCaption("Create Answers - " + std::to_string(spec.step) + "/" +
                              std::to_string(spec.of));
  context.progress.SetPosition(40 + spec.step * 40 / spec.of);
  context.progress.ProcessEvents();
  sheet.Text(context.words.title.text, 5.1, 0.6, context.words.title.size);
  sheet.Text("Answers", 0.5, 0.6, 18);
  // Every slot is drawn; a slot past the book's last puzzle has an empty solution.
  for (int s = 0; s < 4; ++s) {
    const Slot& slot = kSlots[s];
    const int number = spec.first + s;
    sheet.Text(Heading(number), slot.heading_left, slot.heading_top, 18);
    const std::string& solution = number <= puzzle::PuzzleSupply::kBatchSlots
                                      ? context.supply.Solution(number)
                                      : std::string();
    sheet.Grid(Classic(), slot.block,
               [&](int i, int j) { return CellContent(18, CellOf(solution, i, j)); });
  }
  sheet.Text(context.words.footer.text, 6.3, 9.7, context.words.footer.size);
}

}  // namespace quorvel::pages
