#include "pages/templates/templates.h"

namespace quorvel::pages {

PageTemplate TemplateFor(PageKind kind) {
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
