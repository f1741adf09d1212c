#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "puzzle/banks.h"
#include "test_util.h"
#include "tools/generator.h"
#include "tools/grader.h"
#include "tools/solver.h"
#include "tools/sudoku.h"

namespace quorvel::tools {
namespace {

using testing::kPuzzle;
using testing::kSolution;

TEST(Solver, AgreesWithPlainBacktracking) {
  std::string two = kPuzzle;
  two[0] = '0', two[1] = '0', two[4] = '0';  // fewer clues: several solutions
  std::string clash = kPuzzle;
  clash[2] = '5';  // a second 5 in row 1
  std::string dead = kPuzzle;
  dead[2] = '1';  // no clash among the givens, but no solution either
  struct Case {
    const char* what;
    std::string puzzle;
    int limit;
    int count;
  };
  for (const Case& k :
       {Case{"unique", kPuzzle, 2, 1}, Case{"several", two, 2, 2}, Case{"clash", clash, 2, 0},
        Case{"dead", dead, 2, 0}, Case{"empty", std::string(81, '0'), 5, 5},
        Case{"dots", std::string(81, '.'), 1, 1}, Case{"solved", kSolution, 2, 1}}) {
    EXPECT_EQ(CountSolutions(k.puzzle, k.limit), k.count) << k.what;
    EXPECT_EQ(CountSolutionsPlain(k.puzzle, k.limit), k.count) << k.what;
  }
  std::string solution;
  EXPECT_EQ(CountSolutions(kPuzzle, 2, &solution), 1);
  EXPECT_EQ(solution, kSolution);
  // Generated minimal puzzles: the two solvers agree on every one and on every clue removed.
  std::mt19937_64 rng(3);
  for (int i = 0; i < 5; ++i) {
    std::string s = RandomSolution(rng);
    ASSERT_TRUE(testing::IsValidSolution(s));
    std::string line =
        Attempt(2 + i % 4, 99, static_cast<uint64_t>(i)).value_or(BankLine(kPuzzle, kSolution));
    std::string p = line;
    for (char& ch : p) {
      if (ch >= 'A') ch = '0';
    }
    EXPECT_EQ(CountSolutionsPlain(p, 2), 1);
    for (int c = 0; c < 81; c += 7) {
      if (p[c] == '0') continue;
      std::string q = p;
      q[c] = '0';
      EXPECT_EQ(CountSolutions(q, 2), CountSolutionsPlain(q, 2));
    }
  }
}

// A candidate state where a technique is the next step: the puzzle, how many grader steps
// lead to it, and what the step removes ("r1c4-8") or places ("r1c9=8").
struct StepCase {
  const char* technique;
  const char* puzzle;
  int steps_before;
  const char* changes;
};

const StepCase kStepCases[] = {
    {"naked single",
     "034009170010030006080000020002000609000000080000906435000000000600048000003010940", 0,
     "r1c4-8 r1c5-8 r1c9=8 r2c7-8 r7c9-8 r9c9-8"},
    {"full house",
     "034009170010030006080000020002000609000000080000906435000000000600048000003010940", 7,
     "r2c4=8 r4c4-8"},
    {"hidden single",
     "034009170010030006080000020002000609000000080000906435000000000600048000003010940", 16,
     "r5c2=6"},
    {"pointing",
     "000200085000310040500400730000000004100030000002800000001500060600040010025001007", 27,
     "r1c1-7 r1c2-7 r1c3-7"},
    {"skyscraper",
     "080000020200000600460230007020008954030040700900060000000087500000000300010000068", 8,
     "r1c1-7 r1c3-7 r2c5-7"},
    {"2-string kite",
     "080000020200000600460230007020008954030040700900060000000087500000000300010000068", 9,
     "r8c6-5"},
    {"x-chain", "080000020200000600460230007020008954030040700900060000000087500000000300010000068",
     10, "r8c4-5"},
    {"aic", "080000020200000600460230007020008954030040700900060000000087500000000300010000068", 11,
     "r1c6-5"},
    {"hidden pair",
     "080000020200000600460230007020008954030040700900060000000087500000000300010000068", 17,
     "r1c9-1 r1c9-9 r2c9-1 r2c9-9"},
    {"xy-chain",
     "080000020200000600460230007020008954030040700900060000000087500000000300010000068", 35,
     "r1c1=1 r1c3-1 r1c5-1 r1c7-1 r2c3-1 r4c1-1"},
    {"claiming",
     "000300020010020040006901073930060000700800006061003000400000510000000002002050090", 12,
     "r1c1-5 r1c2-5 r1c3-5 r2c3-5"},
    {"naked pair",
     "000000030008000500601002004000620000030090460000004080000000178100086000004300200", 19,
     "r6c1-5 r6c1-7 r6c7-7 r6c9-5"},
    {"xyz-wing",
     "803000200000020090020900006000000001700301000000406058000103900019700500005000037", 31,
     "r7c3-2"},
    {"xy-wing", "803000200000020090020900006000000001700301000000406058000103900019700500005000037",
     36, "r9c2-4"},
    {"w-wing", "000498500100005000004301002040900003603000080702003004000000200906000010000502490",
     24, "r2c4-7"},
    {"x-wing", "000000900000800032506000800790000000000027050010349000400010078050600000007000004",
     31, "r1c6-3 r9c2-3 r9c6-3"},
    {"naked triple",
     "000000900000800032506000800790000000000027050010349000400010078050600000007000004", 32,
     "r9c1-9 r9c7-2 r9c7-6"},
    {"hidden triple",
     "893006500701002000000030700040050000300060007000208005007104200005000000000000610", 19,
     "r1c9-4 r3c9-8 r3c9-9 r4c9-8 r4c9-9"},
    {"simple colouring",
     "893006500701002000000030700040050000300060007000208005007104200005000000000000610", 30,
     "r9c9-9"},
    {"swordfish",
     "040005800600000004003000001309600010204090000000508000105200060000000000006001087", 33,
     "r3c7-7"},
    {"naked quad",
     "003007000000000040165000890400200070050090000390004010000786350000002900006000000", 34,
     "r8c2-1"},
    {"jellyfish",
     "000000020762000900000080600070000200200003001000071008085040700106000090020100000", 32,
     "r1c9-3 r6c1-3 r6c8-3 r8c9-3 r9c8-3"},
    {"hidden quad",
     "007046010000052086000080200300000000002000104070000300004068020018000090206001000", 12,
     "r4c4-5 r4c4-7 r4c4-9 r5c4-3 r5c4-5 r5c4-7 r5c4-9 r6c4-5 r6c4-9 r8c4-3 r8c4-5 r8c4-7"},
};

std::string Changes(const CandidateGrid& before, const CandidateGrid& after) {
  std::ostringstream out;
  const char* sep = "";
  for (int c = 0; c < 81; ++c) {
    // Appended piece by piece: GCC 12 warns falsely about "r" + std::to_string(...).
    std::string at = "r";
    at += std::to_string(c / 9 + 1);
    at += 'c';
    at += std::to_string(c % 9 + 1);
    if (!before.Value(c) && after.Value(c)) {
      out << sep << at << "=" << after.Value(c);
      sep = " ";
      continue;
    }
    uint16_t gone = before.Candidates(c) & static_cast<uint16_t>(~after.Candidates(c));
    for (int d = 1; d <= 9; ++d) {
      if (gone & Bit(d)) out << sep << at << "-" << d, sep = " ";
    }
  }
  return out.str();
}

TEST(Grader, EveryTechniqueIsTheNextStepOfAStateThatNeedsIt) {
  std::set<std::string> covered;
  for (const StepCase& k : kStepCases) {
    CandidateGrid g;
    ASSERT_TRUE(g.Load(k.puzzle));
    for (int i = 0; i < k.steps_before; ++i) ASSERT_NE(Step(g), nullptr) << k.technique;
    // Every easier technique finds nothing here; this one finds exactly the expected step.
    for (const TechniqueInfo& t : Techniques()) {
      CandidateGrid copy = g;
      if (std::string(t.name) == k.technique) {
        ASSERT_TRUE(t.apply(copy)) << k.technique;
        EXPECT_EQ(Changes(g, copy), k.changes) << k.technique;
        break;
      }
      EXPECT_FALSE(t.apply(copy)) << t.name << " fires before " << k.technique;
    }
    // The step is sound: no candidate of the solution goes, placements are the solution's.
    std::string solution;
    ASSERT_EQ(CountSolutions(k.puzzle, 2, &solution), 1);
    CandidateGrid after = g;
    FindTechnique(k.technique)(after);
    for (int c = 0; c < 81; ++c) {
      EXPECT_TRUE(after.Candidates(c) & Bit(solution[c] - '0')) << k.technique << " cell " << c;
    }
    covered.insert(k.technique);
  }
  EXPECT_EQ(covered.size(), Techniques().size());
}

// A hand-made state: every cell empty with all candidates, then digits struck from cells.
struct Fixture {
  CandidateGrid g;
  void Strike(int d, std::initializer_list<int> cells) {
    for (int c : cells) g.Eliminate(c, d);
  }
  void Only(int cell, std::initializer_list<int> digits) {
    uint16_t m = 0;
    for (int d : digits) m |= Bit(d);
    g.SetCandidates(cell, m);
  }
  static int At(int r, int c) { return (r - 1) * 9 + c - 1; }
};

TEST(Grader, HandMadeXWing) {
  // Digit 5 in rows 1 and 5 only in columns 2 and 7: the rest of those columns loses 5.
  Fixture f;
  for (int r : {1, 5}) {
    for (int c = 1; c <= 9; ++c) {
      if (c != 2 && c != 7) f.Strike(5, {Fixture::At(r, c)});
    }
  }
  CandidateGrid before = f.g;
  ASSERT_TRUE(FindTechnique("x-wing")(f.g));
  std::string changes = Changes(before, f.g);
  EXPECT_EQ(changes,
            "r2c2-5 r2c7-5 r3c2-5 r3c7-5 r4c2-5 r4c7-5 r6c2-5 r6c7-5 r7c2-5 r7c7-5 r8c2-5 r8c7-5 "
            "r9c2-5 r9c7-5");
  EXPECT_FALSE(FindTechnique("pointing")(before));
}

TEST(Grader, HandMadeXYWing) {
  // Pivot r1c1 {1,2}, pincers r1c5 {1,3} and r3c2 {2,3}: cells seeing both pincers lose 3.
  Fixture f;
  f.Only(Fixture::At(1, 1), {1, 2});
  f.Only(Fixture::At(1, 5), {1, 3});
  f.Only(Fixture::At(3, 2), {2, 3});
  CandidateGrid before = f.g;
  ASSERT_TRUE(FindTechnique("xy-wing")(f.g));
  EXPECT_EQ(Changes(before, f.g), "r1c2-3 r1c3-3 r3c4-3 r3c5-3 r3c6-3");
}

TEST(Grader, GradesAndSolvesPuzzles) {
  GradeResult easy = Grade(kPuzzle);
  EXPECT_TRUE(easy.solved);
  EXPECT_EQ(easy.tier, Tier::S);
  EXPECT_EQ(easy.solution, kSolution);
  std::string clash = kPuzzle;
  clash[2] = '5';
  EXPECT_EQ(Grade(clash).tier, Tier::Unsolved);
  // Only singles: a state that needs more stays unsolved.
  EXPECT_EQ(Grade(kStepCases[4].puzzle, Tier::S).tier, Tier::Unsolved);
}

TEST(BankBuilder, SameSeedSameBankWhateverTheJobs) {
  auto one = BuildBank(3, 12, 77, 1, nullptr);
  auto two = BuildBank(3, 12, 77, 2, nullptr);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one.size(), 12u);
  EXPECT_NE(BuildBank(3, 12, 78, 2, nullptr), one);
}

}  // namespace
}  // namespace quorvel::tools
