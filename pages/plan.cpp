#include "pages/plan.h"

#include <algorithm>

namespace quorvel::pages {

BookPlan PlanBook(const BookOptions& options) {
  BookPlan plan;
  const int P = options.layout.pages;
  auto add = [&plan](PageSpec spec) {
    spec.number = plan.TotalPages() + 1;
    plan.pages.push_back(spec);
  };
  if (options.Samurai()) {
    plan.puzzles = P;
    for (int k = 1; k <= P; ++k) add({PageKind::kSamuraiPuzzle, 0, k, 1, 1, false, k, P});
    for (int k = 1; k <= P; ++k) add({PageKind::kSamuraiAnswer, 0, k, 1, 1, false, k, P});
    return plan;
  }
  const int U = options.layout.per_page;
  const bool candidates = options.layout.candidates && U == 1;
  plan.puzzles = U * P;
  for (int q = 1; q <= P; ++q) {
    add({PageKind::kStandardPuzzles, 0, U * (q - 1) + 1, U, U, candidates, q, P});
  }
  const int A = (plan.puzzles + 3) / 4;
  for (int a = 1; a <= A; ++a) {
    const int first = 4 * (a - 1) + 1;
    add({PageKind::kStandardAnswers, 0, first, std::min(4, plan.puzzles - first + 1), 4, false, a,
         A});
  }
  return plan;
}

}  // namespace quorvel::pages
