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
  }
  return DrawStandardPuzzles;
}

}  // namespace quorvel::pages
