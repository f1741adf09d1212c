#include "puzzle/samurai.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "puzzle/random.h"
#include "test_util.h"

namespace quorvel::puzzle {
namespace {

using testing::IsValidSolution;

std::string AsDigits(const std::string& s) {
  std::string out = s;
  for (char& ch : out) {
    if (ch >= 'A' && ch <= 'I') ch = static_cast<char>('1' + (ch - 'A'));
  }
  return out;
}

int Digits(const std::string& s) {
  return static_cast<int>(
      std::count_if(s.begin(), s.end(), [](char c) { return c >= '1' && c <= '9'; }));
}

TEST(ReplaceAllText, Examples) {
  EXPECT_EQ(ReplaceAllText("1231", "1", "A"), "A23A");
  EXPECT_EQ(ReplaceAllText("1231", "4", "A"), "1231");
  EXPECT_EQ(ReplaceAllText("11", "1", "11"), "1111");
  EXPECT_EQ(ReplaceAllText("abcabc", "bc", ""), "aa");
  EXPECT_EQ(ReplaceAllText("", "1", "A"), "");
}

TEST(SwapLetterDigit, MapsBothWaysAndIsItsOwnInverse) {
  EXPECT_EQ(SwapLetterDigit("A"), "1");
  EXPECT_EQ(SwapLetterDigit("9"), "I");
  EXPECT_EQ(SwapLetterDigit("I"), "9");
  for (char ch : std::string("123456789ABCDEFGHI")) {
    std::string s(1, ch);
    EXPECT_EQ(SwapLetterDigit(SwapLetterDigit(s)), s);
  }
}

class AssembleTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSeedCounter(MakeSequenceCounter(2024)); }
  void TearDown() override { SetSeedCounter(nullptr); }
};

TEST_F(AssembleTest, SharedBoxesAgreeAndEveryGridIsValid) {
  BankSet banks = testing::FixtureBanks();
  PuzzleSupply supply(banks);
  // (grid, corner box first row, first col, centre box first row, first col)
  struct Shared {
    int grid, r0, c0, cr0, cc0;
  };
  const Shared shared[] = {{1, 7, 7, 1, 1}, {2, 7, 1, 1, 7}, {3, 1, 7, 7, 1}, {4, 1, 1, 7, 7}};
  for (int round = 0; round < 50; ++round) {
    SamuraiGrids grids = AssembleSamurai(supply, 1 + round % 5);
    for (const std::string& g : grids) {
      ASSERT_EQ(g.size(), 81u);
      for (char ch : g) ASSERT_TRUE((ch >= '1' && ch <= '9') || (ch >= 'A' && ch <= 'I'));
      EXPECT_TRUE(IsValidSolution(AsDigits(g)));
      // Every fixture puzzle has 30 givens; relabelling keeps them.
      EXPECT_EQ(Digits(g), 30);
    }
    std::string centre = AsDigits(grids[0]);
    for (const Shared& s : shared) {
      std::string corner = AsDigits(grids[s.grid]);
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
          EXPECT_EQ(corner[(s.r0 + r - 1) * 9 + s.c0 + c - 1],
                    centre[(s.cr0 + r - 1) * 9 + s.cc0 + c - 1]);
        }
      }
    }
  }
}

TEST_F(AssembleTest, CornerGivensAreTheGeneratedPuzzlesGivens) {
  BankSet banks = testing::FixtureBanks();
  PuzzleSupply supply(banks);
  // Replay the same five picks by hand, with the same seed sequence.
  SetSeedCounter(MakeSequenceCounter(5));
  SamuraiGrids grids = AssembleSamurai(supply, 2);
  SetSeedCounter(MakeSequenceCounter(5));
  for (int g = 0; g < 5; ++g) {
    supply.LevelPick(2);
    for (int i = 0; i < 81; ++i) {
      bool given = supply.Grid().Cell(i / 9 + 1, i % 9 + 1).Given;
      char ch = grids[g][i];
      EXPECT_EQ(given, ch >= '1' && ch <= '9') << "grid " << g + 1 << " cell " << i + 1;
    }
    if (g == 0) {
      EXPECT_EQ(AsDigits(grids[0]), supply.Grid().GetSolution());
    }
  }
}

TEST(SamuraiStore, CellsAndPages) {
  SamuraiBatch batch;
  SamuraiGrids grids;
  for (int g = 0; g < 5; ++g) grids[g] = std::string(81, 'C');
  grids[1][0] = '7';
  batch.Store(1, grids);
  batch.Store(200, grids);
  EXPECT_EQ(SamuraiPuzzleCell(batch, 1, 2, 1, 1), "7");
  EXPECT_EQ(SamuraiAnswerCell(batch, 1, 2, 1, 1), "7");
  EXPECT_EQ(SamuraiPuzzleCell(batch, 1, 2, 2, 1), "");
  EXPECT_EQ(SamuraiAnswerCell(batch, 200, 5, 9, 9), "3");
  EXPECT_EQ(batch.Entry(2, 1), "");
  EXPECT_THROW(batch.Store(201, grids), std::out_of_range);
}

}  // namespace
}  // namespace quorvel::puzzle
