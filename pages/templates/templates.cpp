#include "pages/templates/templates.h"

namespace quorvel::pages {

PageTemplate TemplateFor(PageKind kind, Design design) {
  if (design == Design::kBook) {
    switch (kind) {
      case PageKind::kStandardPuzzles:
        return DrawBookPuzzles;
      case PageKind::kStandardAnswers:
        return DrawBookAnswers;
      case PageKind::kSamuraiPuzzle:
        return DrawBookSamurai;
      case PageKind::kSamuraiAnswer:
        return DrawBookSamuraiAnswers;
      case PageKind::kTitle:
        return DrawTitlePage;
      case PageKind::kCopyright:
        return DrawCopyrightPage;
      case PageKind::kContents:
        return DrawContentsPage;
      case PageKind::kRules:
        return DrawRulesPage;
      case PageKind::kSamuraiRules:
        return DrawSamuraiRulesPage;
      case PageKind::kVariantRules:
        return DrawVariantRulesPage;
      case PageKind::kSectionOpener:
        return DrawSectionOpener;
      case PageKind::kBlank:
        return DrawBlankPage;
    }
  }
  switch (kind) {
    case PageKind::kStandardPuzzles:
      return DrawStandardPuzzles;
    case PageKind::kStandardAnswers:
      return DrawStandardAnswers;
    case PageKind::kSamuraiPuzzle:
      return DrawSamuraiPuzzle;
    case PageKind::kSamuraiAnswer:
      return DrawSamuraiAnswer;
    default:
      // The classic design has no other pages.
      break;
  }
  return DrawStandardPuzzles;
}

}  // namespace quorvel::pages
