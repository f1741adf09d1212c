// The built-in banks, line by line: format, a valid and unique solution, the level's grade and
// given range, and no puzzle twice in a level under any symmetry. Slow: it grades 12,500 classic
// lines and 16,000 of the variants.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

#include "banks/builtin_banks.h"
#include "puzzle/banks.h"
#include "puzzle/canonical.h"
#include "puzzle/variant.h"
#include "test_util.h"
#include "tools/constraint_grader.h"
#include "tools/constraint_solver.h"
#include "tools/generator.h"
#include "tools/grader.h"
#include "tools/solver.h"
#include "tools/variant_generator.h"

namespace quorvel::tools {
namespace {

// Every line of every level, the 500 that independent draws take and the 2000 after them.
TEST(Banks, EveryLineIsAValidGradedPuzzleNoPuzzleRepeatsAndItsFormIsKnown) {
  const puzzle::BankSet& banks = banks::BuiltInBanks();
  for (int level = 1; level <= 5; ++level) {
    BankSpec spec = SpecFor(level);
    const std::vector<std::string_view>& bank = banks.Bank(level - 1);
    ASSERT_EQ(bank.size(), 2500u) << "tk" << level - 1;
    std::set<std::string> patterns;
    std::map<std::string, size_t> forms;
    for (size_t i = 0; i < bank.size(); ++i) {
      const std::string line(bank[i]);
      std::string where = "tk" + std::to_string(level - 1) + " line " + std::to_string(i + 1);
      ASSERT_EQ(line.size(), 81u) << where;
      std::string puzzle = line, solution = line, pattern = line;
      int givens = 0;
      for (int c = 0; c < 81; ++c) {
        char ch = line[c];
        ASSERT_TRUE((ch >= '1' && ch <= '9') || (ch >= 'A' && ch <= 'I')) << where;
        bool given = ch <= '9';
        givens += given;
        puzzle[c] = given ? ch : '0';
        solution[c] = given ? ch : static_cast<char>('1' + (ch - 'A'));
        pattern[c] = given ? 'x' : '.';
      }
      ASSERT_TRUE(testing::IsValidSolution(solution)) << where;
      std::string found;
      ASSERT_EQ(CountSolutions(puzzle, 2, &found), 1) << where;
      ASSERT_EQ(found, solution) << where;
      EXPECT_GE(givens, spec.min_givens) << where;
      EXPECT_LE(givens, spec.max_givens) << where;
      GradeResult grade = Grade(puzzle);
      EXPECT_TRUE(grade.solved) << where;
      EXPECT_EQ(grade.tier, spec.tier) << where;
      EXPECT_EQ(grade.solution, solution) << where;
      EXPECT_TRUE(patterns.insert(pattern).second) << where << ": given pattern repeats";
      const std::string form = puzzle::CanonicalForm(line);
      // The program looks the form up in the table the build worked out.
      EXPECT_EQ(banks.Form(level - 1, static_cast<uint32_t>(i)), form) << where;
      auto [at, added] = forms.emplace(form, i + 1);
      EXPECT_TRUE(added) << where << " is line " << at->second << " under a symmetry";
    }
  }
}

// Every line of every variant bank, proven on its own houses: a Jigsaw line on its own layout.
TEST(Banks, EveryVariantLineIsUniqueGradedInRangeAndNoPuzzleRepeats) {
  const puzzle::BankSet& banks = banks::BuiltInBanks();
  for (int v = 0; v < puzzle::kVariantBankCount; ++v) {
    const auto [kind, b] = puzzle::VariantBankAt(v);
    const VariantSpec spec = VariantSpecFor(kind, b);
    const std::string name = puzzle::BankName(kind, b);
    const int index = puzzle::BankSet::kClassicBanks + v;
    const std::vector<std::string_view>& bank = banks.Bank(index);
    ASSERT_EQ(bank.size(), 1000u) << name;
    std::map<std::string, size_t> forms;
    std::set<std::string> layouts;
    for (size_t i = 0; i < bank.size(); ++i) {
      const std::string where = name + " line " + std::to_string(i + 1);
      const puzzle::VariantPuzzle p = puzzle::ParseVariantLine(kind, bank[i]);
      if (kind == puzzle::PuzzleKind::kJigsaw) {
        ASSERT_TRUE(LayoutIsSound(p.layout)) << where;
        layouts.insert(p.layout);
      }
      const puzzle::GridGeometry geometry = puzzle::VariantGeometry(kind, p.layout);
      std::string found;
      ASSERT_EQ(ConstraintSolver(geometry).CountSolutions(p.puzzle, 2, &found), 1) << where;
      ASSERT_EQ(found, p.solution) << where;
      const int givens = static_cast<int>(p.puzzle.size()) -
                         static_cast<int>(std::count(p.puzzle.begin(), p.puzzle.end(), '0'));
      EXPECT_GE(givens, spec.min_givens) << where;
      EXPECT_LE(givens, spec.max_givens) << where;
      const ConstraintGrade grade = GradeOn(geometry, p.puzzle);
      EXPECT_TRUE(grade.solved) << where;
      EXPECT_EQ(grade.tier, spec.tier) << where;
      EXPECT_EQ(grade.solution, p.solution) << where;
      const std::string form = puzzle::VariantForm(kind, bank[i]);
      EXPECT_EQ(banks.Form(index, static_cast<uint32_t>(i)), form) << where;
      auto [at, added] = forms.emplace(form, i + 1);
      EXPECT_TRUE(added) << where << " is line " << at->second << " under a symmetry";
    }
    if (kind == puzzle::PuzzleKind::kJigsaw) {
      EXPECT_GE(layouts.size(), 200u) << name;
      std::cout << name << ": " << layouts.size() << " different layouts\n";
    }
  }
}

}  // namespace
}  // namespace quorvel::tools
