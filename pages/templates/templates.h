// The page templates: one for each kind of page, each drawing a page spec of the book plan onto
// its sheet and moving the progress display as that page begins.
#pragma once

#include <string>

#include "pages/book.h"
#include "pages/plan.h"
#include "pages/sheet.h"
#include "pages/words.h"
#include "puzzle/samurai.h"
#include "puzzle/supply.h"
#include "report/writer.h"

namespace quorvel::pages {

// What every template reads: the run's puzzles, the title and footer of its pages, the
// progress display.
struct TemplateContext {
  puzzle::PuzzleSupply& supply;
  const puzzle::SamuraiBatch& samurai;
  const BookWords& words;
  report::Progress& progress;
  const BookOptions& options;
  const BookPlan& plan;
  int layout_pages;  // the page count the margins are worked out for
  // The book design's puzzles, puzzle k at k - 1.
  const std::vector<PickedPuzzle>& picked;
  const PickedPuzzle& Puzzle(int number) const {
    return picked.at(static_cast<size_t>(number - 1));
  }
};

// "Sudoku #7".
std::string Heading(int number);

// 1, 2 or 4 Standard puzzles (1 with candidates).
void DrawStandardPuzzles(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
// Four Standard solutions.
void DrawStandardAnswers(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
// One Samurai puzzle, or its solution.
void DrawSamuraiPuzzle(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawSamuraiAnswer(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);

// The template of a page kind in a design (kByPaper must be resolved first: it gives the
// classic templates).
using PageTemplate = void (*)(const Sheet&, const PageSpec&, TemplateContext&);
PageTemplate TemplateFor(PageKind kind, Design design = Design::kClassic);

// The book design's templates (templates/book_design.cpp).
void DrawBookPuzzles(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawBookAnswers(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawBookSamurai(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawBookSamuraiAnswers(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
// Its front matter, section openers and blank pages (templates/front_matter.cpp).
void DrawTitlePage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawCopyrightPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawContentsPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawRulesPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawSamuraiRulesPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
// The rules of the variant `spec.first` names (a puzzle::PuzzleKind) with a worked example.
void DrawVariantRulesPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawSectionOpener(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);
void DrawBlankPage(const Sheet& sheet, const PageSpec& spec, TemplateContext& context);

}  // namespace quorvel::pages
