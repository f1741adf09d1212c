// End-to-end: the largest books with every puzzle different, read back from their PDFs; no two
// printed puzzles are the same puzzle under any symmetry. Slow: six 400-page books.
#include <gtest/gtest.h>

#include <map>

#include "e2e_util.h"
#include "puzzle/canonical.h"

namespace quorvel {
namespace {

TEST_F(E2E, LargestUniqueBooksHoldDifferentPuzzlesAtEveryLevel) {
  const int P = 200, U = 4;
  for (const char* level : {"very-easy", "easy", "standard", "hard", "expert", "extreme"}) {
    std::string pdf = Path(std::string(level) + ".pdf");
    Result r =
        Book(std::string("--unique --pages 200 --per-page 4 --level ") + level + " -o " + pdf);
    ASSERT_EQ(r.status, 0) << level << "\n" << r.out;
    std::vector<PageWords> pages = Words(pdf);
    ASSERT_EQ(static_cast<int>(pages.size()), P + P * U / 4);
    ASSERT_EQ(CheckAnswers(pages, P, U), 800);
    std::map<std::string, int> forms;
    for (int k = 1; k <= P * U; ++k) {
      const Origin& at = kSlots[(k - 1) % 4];
      std::string puzzle = Field(pages[(k - 1) / 4], at.x0, at.y0, at.c);
      std::string answer = Field(pages[P + (k - 1) / 4], at.x0, at.y0, at.c);
      auto [it, added] = forms.emplace(puzzle::CanonicalForm(puzzle, answer), k);
      EXPECT_TRUE(added) << level << ": puzzle " << k << " is puzzle " << it->second;
    }
  }
}

}  // namespace
}  // namespace quorvel
