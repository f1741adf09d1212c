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
  const bool samurai = options.Samurai();
  const int U =
      samurai || (options.BookDesign() && options.layout.large_print) ? 1 : options.layout.per_page;
  const bool candidates = !samurai && options.layout.candidates && U == 1;
  plan.puzzles = U * P;
  plan.answers_per_page = options.AnswersPerPage();
  plan.first_answer_page = P + 1;
  const PageKind puzzles = samurai ? PageKind::kSamuraiPuzzle : PageKind::kStandardPuzzles;
  const PageKind answers = samurai ? PageKind::kSamuraiAnswer : PageKind::kStandardAnswers;
  for (int q = 1; q <= P; ++q) add({puzzles, 0, U * (q - 1) + 1, U, U, candidates, q, P});
  const int per = plan.answers_per_page;
  const int A = (plan.puzzles + per - 1) / per;
  for (int a = 1; a <= A; ++a) {
    const int first = per * (a - 1) + 1;
    add({answers, 0, first, std::min(per, plan.puzzles - first + 1), per, false, a, A});
  }
  return plan;
}

}  // namespace quorvel::pages
