// The solver of any grid geometry: it agrees with the classic solver on every classic bank
// line, and small hand-made grids of the variants show what the houses decide.
#include <gtest/gtest.h>

#include <algorithm>

#include "banks/builtin_banks.h"
#include "tools/constraint_grader.h"
#include "tools/constraint_solver.h"
#include "tools/grader.h"
#include "tools/solver.h"

namespace quorvel {
namespace {

using puzzle::GridGeometry;
using tools::ConstraintSolver;

TEST(ConstraintSolver, AgreesWithTheClassicSolverOnEveryBankLine) {
  const ConstraintSolver general(GridGeometry::Classic());
  for (int bank = 0; bank < 5; ++bank) {
    for (std::string_view line : banks::BuiltInBanks().Bank(bank)) {
      std::string puzzle(line);
      for (char& c : puzzle) {
        if (c >= 'A' && c <= 'I') c = '0';
      }
      std::string classic, found;
      ASSERT_EQ(tools::CountSolutions(puzzle, 2, &classic), 1) << line;
      ASSERT_EQ(general.CountSolutions(puzzle, 2, &found), 1) << line;
      ASSERT_EQ(found, classic) << line;
    }
  }
}

TEST(ConstraintGrader, AgreesWithTheClassicGraderOnEveryBankLine) {
  // Every line gets the classic grader's tier and solution.
  for (int bank = 0; bank < 5; ++bank) {
    for (std::string_view line : banks::BuiltInBanks().Bank(bank)) {
      std::string puzzle(line);
      for (char& c : puzzle) {
        if (c >= 'A' && c <= 'I') c = '0';
      }
      const tools::GradeResult classic = tools::Grade(puzzle);
      const tools::ConstraintGrade general = tools::GradeOn(GridGeometry::Classic(), puzzle);
      ASSERT_TRUE(general.solved) << line;
      ASSERT_EQ(general.tier, classic.tier) << line;
      ASSERT_EQ(general.solution, classic.solution) << line;
    }
  }
}

TEST(ConstraintSolver, HandMadeGridsOfTheVariants) {
  GridGeometry x4 = GridGeometry::Boxes(4, 2, 2);
  x4.AddDiagonals();
  // A jigsaw layout of six connected regions that no grid can fill.
  const GridGeometry dead =
      GridGeometry::Regions(6, {1, 1, 1, 0, 0, 0, 1, 4, 4, 0, 0, 0, 1, 1, 4, 4, 4, 2,
                                3, 3, 5, 5, 4, 2, 3, 3, 5, 5, 2, 2, 3, 3, 5, 5, 2, 2});
  struct Case {
    const char* what;
    GridGeometry geometry;
    std::string puzzle;
    int solutions;  // counted up to 2
    std::string solution = std::string();
  };
  const std::vector<Case> cases = {
      {"4x4 with two solutions", GridGeometry::Boxes(4, 2, 2), "1200340000000000", 2},
      {"4x4, unique", GridGeometry::Boxes(4, 2, 2), "1000002003000004", 1, "1243342143122134"},
      {"X 4x4, unique by its diagonals", x4, "0200000040210100", 1, "1234341243212143"},
      {"the same without the diagonals", GridGeometry::Boxes(4, 2, 2), "0200000040210100", 2},
      {"6x6 boxes, empty", GridGeometry::Boxes(6, 2, 3), std::string(36, '0'), 2},
      {"a jigsaw layout with no solution", dead, std::string(36, '0'), 0},
      {"givens that break a column", GridGeometry::Boxes(4, 2, 2), "1000100000000000", 0},
      {"a digit the grid does not have", GridGeometry::Boxes(4, 2, 2), "5000000000000000", 0},
      {"the wrong length", GridGeometry::Boxes(4, 2, 2), "123", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ConstraintSolver solver(c.geometry);
    std::string solution;
    EXPECT_EQ(solver.CountSolutions(c.puzzle, 2, &solution), c.solutions);
    if (!c.solution.empty()) {
      EXPECT_EQ(solution, c.solution);
    }
    if (c.solutions > 0) {
      // Whatever it finds fills every house with every digit and keeps the givens.
      ASSERT_EQ(solution.size(), c.puzzle.size());
      for (const std::vector<int>& house : c.geometry.Houses()) {
        std::string digits;
        for (int cell : house) digits += solution[static_cast<size_t>(cell)];
        std::sort(digits.begin(), digits.end());
        EXPECT_EQ(digits, std::string("123456789").substr(0, house.size()));
      }
      for (size_t i = 0; i < c.puzzle.size(); ++i) {
        if (c.puzzle[i] != '0') {
          EXPECT_EQ(solution[i], c.puzzle[i]);
        }
      }
    }
  }
}

}  // namespace
}  // namespace quorvel
