#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "banks/builtin_banks.h"
#include "puzzle/canonical.h"
#include "puzzle/geometry.h"
#include "puzzle/grid.h"
#include "puzzle/random.h"
#include "puzzle/supply.h"
#include "test_util.h"

namespace quorvel::puzzle {
namespace {

using testing::BankLine;
using testing::FindSeed;
using testing::IsValidSolution;
using testing::kPuzzle;
using testing::kSolution;
using testing::Lcg;

class SeededTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSeedCounter(nullptr); }
  // The next reseed takes exactly `seed`.
  void NextSeed(uint32_t seed) {
    SetSeedCounter([seed] { return seed; });
  }
};

int CountGivens(const TQJ& grid) {
  int n = 0;
  for (int r = 1; r <= 9; ++r)
    for (int c = 1; c <= 9; ++c) n += grid.Cell(r, c).Given;
  return n;
}

using RandomTest = SeededTest;

TEST_F(RandomTest, RandomBelowIsTheUpperWordOfTheProduct) {
  SetSeed(0);
  // seed 1 after one step: 1 * 7 >> 32 = 0; then 134775814.
  EXPECT_EQ(RandomBelow(7), 0u);
  EXPECT_EQ(CurrentSeed(), 1u);
  // seed 134775814; 134775814 * 1000 = 134775814000, and 134775814000 / 2^32 = 31.38.
  EXPECT_EQ(RandomBelow(1000), 31u);
}

TEST_F(RandomTest, SuccessiveReseedsNeverRepeatOnAStoppedClock) {
  SetSeedCounter([] { return 42u; });
  ReseedRandom();
  EXPECT_EQ(CurrentSeed(), 42u);
  ReseedRandom();
  EXPECT_EQ(CurrentSeed(), 43u);
  ReseedRandom();
  EXPECT_EQ(CurrentSeed(), 44u);
}

TEST_F(RandomTest, ClockReseedsDifferFromEachOther) {
  SetSeedCounter(nullptr);
  std::set<uint32_t> seeds;
  uint32_t last = 0;
  for (int i = 0; i < 1000; ++i) {
    ReseedRandom();
    if (i > 0) {
      EXPECT_NE(CurrentSeed(), last);
    }
    last = CurrentSeed();
    seeds.insert(last);
  }
  // The clock moves on between reseeds, so no seed comes back.
  EXPECT_EQ(seeds.size(), 1000u);
}

TEST_F(RandomTest, SequenceCounterIsReproducible) {
  SeedCounter a = MakeSequenceCounter(7), b = MakeSequenceCounter(7), c = MakeSequenceCounter(8);
  std::vector<uint32_t> va, vb, vc;
  for (int i = 0; i < 5; ++i) va.push_back(a()), vb.push_back(b()), vc.push_back(c());
  EXPECT_EQ(va, vb);
  EXPECT_NE(va, vc);
}

using GridTest = SeededTest;

TEST_F(GridTest, ScrambleKeepsSolutionValidAndGivensOverManySeeds) {
  std::string line = BankLine(kPuzzle, kSolution);
  std::set<std::string> distinct;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    NextSeed(seed * 2654435761u);
    TQJ grid;
    grid.LoadBankLine(line);
    std::string solution = grid.GetSolution();
    ASSERT_TRUE(IsValidSolution(solution)) << "seed " << seed;
    EXPECT_EQ(CountGivens(grid), 30);
    std::string puzzle = grid.PuzzleString();
    for (int i = 0; i < 81; ++i) {
      if (puzzle[i] != '0') {
        EXPECT_EQ(puzzle[i], solution[i]);
      }
    }
    distinct.insert(puzzle);
  }
  EXPECT_GT(distinct.size(), 290u);
}

TEST_F(GridTest, MovesExchangeTheDrawnPair) {
  // (a, t) -> the two positions exchanged inside stack 1 by a kind-1 move.
  struct Case {
    uint32_t a, t;
    int x, y;
  };
  for (Case k : {Case{1, 1, 1, 2}, Case{1, 2, 1, 3}, Case{2, 1, 2, 1}, Case{2, 2, 2, 3},
                 Case{3, 1, 3, 1}, Case{3, 2, 3, 2}}) {
    uint32_t seed = FindSeed(
        [&](Lcg& g) { return g.Below(7) == 0 && g.Below(3) == k.a - 1 && g.Below(2) == k.t - 1; });
    NextSeed(seed);
    TQJ grid;
    grid.LoadPuzzle(kSolution);
    grid.Scramble(1);
    std::string after = grid.GetSolution();
    for (int r = 0; r < 9; ++r) {
      for (int c = 1; c <= 9; ++c) {
        int from = c == k.x ? k.y : (c == k.y ? k.x : c);
        EXPECT_EQ(after[r * 9 + c - 1], kSolution[r * 9 + from - 1])
            << "a=" << k.a << " t=" << k.t << " row " << r + 1 << " col " << c;
      }
    }
  }
}

TEST_F(GridTest, RowSwapMovesGivenFlagsWithValues) {
  // Kind 5: rows 4+a-1 and 4+b-1 of band 2; a=1, t=2 exchanges rows 4 and 6.
  uint32_t seed =
      FindSeed([](Lcg& g) { return g.Below(7) == 4 && g.Below(3) == 0 && g.Below(2) == 1; });
  NextSeed(seed);
  TQJ grid;
  grid.LoadPuzzle(kPuzzle);
  grid.Scramble(1);
  std::string p = grid.PuzzleString();
  EXPECT_EQ(p.substr(27, 9), kPuzzle.substr(45, 9));
  EXPECT_EQ(p.substr(45, 9), kPuzzle.substr(27, 9));
  EXPECT_EQ(p.substr(36, 9), kPuzzle.substr(36, 9));
}

TEST_F(GridTest, DigitExchangeOfTheSameDigitTwiceTakesTheNextDigit) {
  // (d1 drawn, digits expected exchanged)
  for (auto [d, other] : {std::pair{4u, 5}, std::pair{9u, 1}}) {
    uint32_t seed = FindSeed([&](Lcg& g) {
      return g.Below(7) == 6 && (g.Below(3), g.Below(2), true) && g.Below(9) == d - 1 &&
             g.Below(9) == d - 1;
    });
    NextSeed(seed);
    TQJ grid;
    grid.LoadPuzzle(kSolution);
    grid.Scramble(1);
    std::string expected = kSolution;
    for (char& ch : expected) {
      if (ch == '0' + static_cast<int>(d)) {
        ch = static_cast<char>('0' + other);
      } else if (ch == '0' + other) {
        ch = static_cast<char>('0' + d);
      }
    }
    EXPECT_EQ(grid.GetSolution(), expected) << "d=" << d;
  }
}

TEST_F(GridTest, ScrambleWithNoMovesOnlyReseeds) {
  for (int count : {0, -5}) {
    NextSeed(777);
    TQJ grid;
    grid.LoadPuzzle(kPuzzle);
    SetSeed(1);
    grid.Scramble(count);
    EXPECT_EQ(CurrentSeed(), 777u);
    EXPECT_EQ(grid.PuzzleString(), kPuzzle);
  }
}

TEST(GridLoad, BankLineErrorsNameCharacterAndPosition) {
  TQJ grid;
  std::string line = BankLine(kPuzzle, kSolution);
  std::string bad = line;
  bad[9] = 'Z';
  try {
    grid.LoadBankLine(bad);
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.position(), 10);
    EXPECT_NE(std::string(e.what()).find("'Z'"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("position 10"), std::string::npos);
  }
  // The cells before the bad one were rewritten, no scramble happened.
  EXPECT_EQ(grid.Cell(1, 1).Value, 5);
  EXPECT_EQ(grid.Cell(1, 3).Value, 4);
  EXPECT_FALSE(grid.Cell(1, 3).Given);
  EXPECT_THROW(grid.LoadBankLine(line.substr(0, 80)), ConversionError);
}

TEST(GridLoad, BankLineZeroIsAGivenWithNoSolution) {
  std::string line = BankLine(kPuzzle, kSolution);
  line[0] = '0';
  TQJ grid;
  grid.LoadBankLine(line);
  EXPECT_EQ(grid.GetSolution(), "");
}

TEST(GridLoad, LoadPuzzleTrimsAndChecksLength) {
  struct Case {
    std::string text;
    bool loads;
  };
  for (const Case& k :
       {Case{kPuzzle, true}, Case{"  " + kPuzzle + " \r\n", true}, Case{"\t" + kPuzzle, true},
        Case{kPuzzle.substr(1), false}, Case{kPuzzle + "0", false}}) {
    TQJ grid;
    grid.LoadPuzzle(kSolution);
    grid.LoadPuzzle(k.text);
    if (k.loads) {
      EXPECT_EQ(grid.PuzzleString(), kPuzzle);
    } else {
      for (int r = 1; r <= 9; ++r)
        for (int c = 1; c <= 9; ++c) EXPECT_EQ(grid.Cell(r, c).Value, 0);
    }
  }
  TQJ grid;
  std::string bad = kPuzzle;
  bad[40] = 'x';
  EXPECT_THROW(grid.LoadPuzzle(bad), ConversionError);
}

TEST(GridLoad, GetSolutionAfterClearIsEmpty) {
  TQJ grid;
  grid.LoadPuzzle(kSolution);
  EXPECT_EQ(grid.GetSolution(), kSolution);
  grid.Clear();
  EXPECT_EQ(grid.GetSolution(), "");
}

TEST(GridCandidates, Examples) {
  TQJ grid;
  grid.LoadPuzzle(std::string(81, '0'));
  EXPECT_EQ(grid.GetCandidates(5, 5), "123456789");

  // A given 5 answers the eight other digits.
  std::string p(81, '0');
  p[40] = '5';
  grid.LoadPuzzle(p);
  EXPECT_EQ(grid.GetCandidates(5, 5), "12346789");

  // Row, column and box givens 1, 3, 4, 6, 7, 8 leave 2, 5, 9 for cell (1, 1).
  p = std::string(81, '0');
  p[8] = '1';          // row 1
  p[9 * 8] = '3';      // column 1
  p[10] = '4';         // box 1
  p[20] = '6';         // box 1
  p[4] = '7';          // row 1
  p[9 * 5] = '8';      // column 1
  p[9 * 4 + 4] = '9';  // elsewhere: not counted
  grid.LoadPuzzle(p);
  EXPECT_EQ(grid.GetCandidates(1, 1), "259");

  // Only givens count, not the solution digits of empty cells.
  grid.LoadPuzzle(kPuzzle);
  grid.Cell(1, 4).Value = 6;
  EXPECT_EQ(grid.GetCandidates(1, 3), "124");
}

TEST(Grid, BoxOf) {
  EXPECT_EQ(BoxOf(1, 1), 1);
  EXPECT_EQ(BoxOf(3, 9), 3);
  EXPECT_EQ(BoxOf(4, 4), 5);
  EXPECT_EQ(BoxOf(7, 3), 7);
  EXPECT_EQ(BoxOf(9, 9), 9);
}

using SupplyTest = SeededTest;

TEST_F(SupplyTest, LevelMappingAndPuzzlesPerPage) {
  EXPECT_EQ(GetBankLevel(0), 1);
  EXPECT_EQ(GetBankLevel(1), 2);
  EXPECT_EQ(GetBankLevel(2), 2);
  EXPECT_EQ(GetBankLevel(3), 3);
  EXPECT_EQ(GetBankLevel(5), 5);
  EXPECT_EQ(GetPuzzlesPerPage(0), 1);
  EXPECT_EQ(GetPuzzlesPerPage(1), 2);
  EXPECT_EQ(GetPuzzlesPerPage(2), 4);
  EXPECT_THROW(GetBankLevel(6), std::out_of_range);
}

TEST_F(SupplyTest, ADrawOfTheLastLineTakesTheLineBefore) {
  BankSet banks = testing::FixtureBanks();
  PuzzleSupply supply(banks);
  // k = RandomBelow(3) + 1 after the pick's reseed; the scramble reseeds again from the counter.
  for (auto [draw, line] : {std::pair{0u, 0}, std::pair{1u, 1}, std::pair{2u, 1}}) {
    uint32_t seed = FindSeed([&](Lcg& g) { return g.Below(3) == draw; });
    int calls = 0;
    SetSeedCounter([&] { return calls++ == 0 ? seed : 99u; });
    supply.LevelPick(3);
    // The scramble from seed 99 applied to the expected line gives the same grid.
    SetSeedCounter([] { return 99u; });
    TQJ expected;
    expected.LoadBankLine(banks.Bank(2)[line]);
    EXPECT_EQ(supply.Grid().GetSolution(), expected.GetSolution()) << "draw " << draw;
    EXPECT_EQ(supply.Grid().PuzzleString(), expected.PuzzleString());
  }
}

TEST_F(SupplyTest, AnEmptyBankIsAClearError) {
  BankSet banks;
  PuzzleSupply supply(banks);
  try {
    supply.LevelPick(3);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "bank tk2 is empty");
  }
}

TEST_F(SupplyTest, FillBatchSlotsAndLeftovers) {
  BankSet banks = testing::FixtureBanks();
  PuzzleSupply supply(banks);
  supply.FillBatch(0, 120, false);
  EXPECT_FALSE(supply.Puzzle(120).empty());

  supply.FillBatch(2, 80, false);
  for (int k = 1; k <= 80; ++k) {
    const std::string& p = supply.Puzzle(k);
    const std::string& s = supply.Solution(k);
    ASSERT_EQ(p.size(), 81u);
    ASSERT_TRUE(IsValidSolution(s));
    EXPECT_EQ(std::count_if(p.begin(), p.end(), [](char ch) { return ch != '0'; }), 30);
    for (int i = 0; i < 81; ++i) {
      ASSERT_TRUE(p[i] >= '0' && p[i] <= '9');
      if (p[i] != '0') {
        EXPECT_EQ(p[i], s[i]);
      }
    }
  }
  for (int k = 81; k <= 2000; ++k) {
    EXPECT_TRUE(supply.Puzzle(k).empty()) << k;
    EXPECT_TRUE(supply.Solution(k).empty()) << k;
  }
}

TEST_F(SupplyTest, EasyAndStandardDrawFromBankOne) {
  std::vector<std::string> marker = {BankLine(kPuzzle, kSolution)};
  std::string other = testing::BankLine(testing::Relabel(kPuzzle, "987654321"),
                                        testing::Relabel(kSolution, "987654321"));
  // The banks differ in their given count: tk1 has 30 givens, every other bank 29.
  std::string fewer = other;
  fewer[0] = static_cast<char>('A' + (fewer[0] - '1'));
  BankSet banks({std::vector<std::string>{fewer}, marker, {fewer}, {fewer}, {fewer}});
  PuzzleSupply supply(banks);
  for (int item : {1, 2}) {
    supply.FillBatch(item, 5, false);
    for (int k = 1; k <= 5; ++k) {
      const std::string& p = supply.Puzzle(k);
      EXPECT_EQ(std::count_if(p.begin(), p.end(), [](char ch) { return ch != '0'; }), 30);
    }
  }
}

TEST(SupplyCells, GetCellText) {
  BankSet banks;
  PuzzleSupply supply(banks);
  supply.tm = kPuzzle;
  EXPECT_EQ(supply.GetCellText(1, 1), "5");
  EXPECT_EQ(supply.GetCellText(1, 3), "");
  EXPECT_EQ(supply.GetCellText(1, 5), "7");
  supply.tm = "12";
  EXPECT_EQ(supply.GetCellText(9, 9), "");
}

}  // namespace
}  // namespace quorvel::puzzle

namespace quorvel::puzzle {
namespace {

// The first `n` lines of each built-in bank.
BankSet FirstLines(size_t n) {
  std::array<std::vector<std::string>, 5> lists;
  for (int i = 0; i < 5; ++i) {
    const auto& bank = banks::BuiltInBanks().Bank(i);
    lists[static_cast<size_t>(i)].assign(bank.begin(), bank.begin() + static_cast<long>(n));
  }
  return BankSet(lists);
}

// A batch of `n` puzzles of `level` drawn from a fixed seed.
struct BatchOf {
  int level = 0, n = 0;
  bool unique = false;
};

std::vector<std::string> Batch(PuzzleSupply& supply, const BatchOf& o, uint32_t seed) {
  SetSeedCounter(MakeSequenceCounter(seed));
  supply.FillBatch(o.level, o.n, o.unique);
  SetSeedCounter(nullptr);
  std::vector<std::string> out;
  const int n = o.n;
  for (int k = 1; k <= n; ++k) out.push_back(supply.Puzzle(k) + supply.Solution(k));
  return out;
}

TEST(SupplyDraws, IndependentDrawsTakeOnlyTheFirst500Lines) {
  // The lines after the 500th change nothing for independent draws: a book is the same as with
  // banks of 500 lines.
  BankSet first = FirstLines(500);
  PuzzleSupply full(banks::BuiltInBanks()), cut(first);
  BatchOf o;
  o.n = 400;
  for (int level_item : {0, 3, 5}) {
    o.level = level_item;
    EXPECT_EQ(Batch(full, o, 11), Batch(cut, o, 11)) << level_item;
  }
}

TEST(SupplyDraws, UniqueDrawsTakeEveryLineOnceAndAreReproducible) {
  BankSet six = FirstLines(6);
  PuzzleSupply supply(six);
  BatchOf o;
  o.n = 6;
  o.level = 3;
  o.unique = true;
  std::set<std::string> bank_forms, batch_forms;
  for (std::string_view line : six.Bank(2)) bank_forms.insert(CanonicalForm(line));
  ASSERT_EQ(bank_forms.size(), 6u);
  std::vector<std::string> batch = Batch(supply, o, 5);
  for (const std::string& s : batch) {
    batch_forms.insert(CanonicalForm(s.substr(0, 81), s.substr(81)));
  }
  EXPECT_EQ(batch_forms, bank_forms) << "all six lines, each once, the last one too";
  // A new book starts afresh, and the same seed gives the same book.
  EXPECT_EQ(Batch(supply, o, 5), batch);
  EXPECT_NE(Batch(supply, o, 6), batch);
  // A seventh puzzle would repeat one.
  o.n = 7;
  try {
    Batch(supply, o, 5);
    FAIL() << "a seventh different puzzle was drawn from six lines";
  } catch (const std::runtime_error& e) {
    SetSeedCounter(nullptr);
    EXPECT_NE(std::string(e.what()).find("tk2 has only 6 different puzzles"), std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace quorvel::puzzle

namespace quorvel::puzzle {
namespace {

TEST(Geometry, HousesAndRegionBordersOfEveryShape) {
  const GridGeometry& classic = GridGeometry::Classic();
  ASSERT_EQ(classic.Houses().size(), 27u);
  std::vector<int> houses_of(81);
  for (const auto& house : classic.Houses()) {
    std::set<int> cells(house.begin(), house.end());
    EXPECT_EQ(cells.size(), 9u);
    for (int c : house) ++houses_of[static_cast<size_t>(c)];
  }
  EXPECT_EQ(houses_of, std::vector<int>(81, 3)) << "a row, a column and a box each";
  // Box 4 (the centre) in reading order.
  EXPECT_EQ(classic.Houses()[18 + 4], (std::vector<int>{30, 31, 32, 39, 40, 41, 48, 49, 50}));
  struct Case {
    GridGeometry geometry;
    std::vector<int> heavy_rows, heavy_columns;
  };
  // A 4 x 4 jigsaw: the left half of the top rows and a staircase below.
  const std::vector<int> jigsaw = {0, 0, 1, 1,  //
                                   0, 0, 1, 1,  //
                                   2, 3, 3, 3,  //
                                   2, 2, 2, 3};
  for (const Case& c : {Case{classic, {0, 3, 6, 9}, {0, 3, 6, 9}},
                        Case{GridGeometry::Boxes(6, 2, 3), {0, 2, 4, 6}, {0, 3, 6}},
                        Case{GridGeometry::Boxes(4, 2, 2), {0, 2, 4}, {0, 2, 4}},
                        Case{GridGeometry::Regions(4, jigsaw), {0, 2, 4}, {0, 4}}}) {
    std::vector<int> rows, columns;
    for (int k = 0; k <= c.geometry.Size(); ++k) {
      if (c.geometry.HeavyRow(k)) rows.push_back(k);
      if (c.geometry.HeavyColumn(k)) columns.push_back(k);
    }
    EXPECT_EQ(rows, c.heavy_rows) << c.geometry.Size();
    EXPECT_EQ(columns, c.heavy_columns) << c.geometry.Size();
    EXPECT_EQ(c.geometry.Houses().size(), static_cast<size_t>(3 * c.geometry.Size()));
  }
  // The jigsaw's borders cell by cell: between (2, 0) and (2, 1), not between (3, 0) and (3, 1).
  const GridGeometry j = GridGeometry::Regions(4, jigsaw);
  EXPECT_TRUE(j.BorderLeftOf(2, 1));
  EXPECT_FALSE(j.BorderLeftOf(3, 1));
  EXPECT_TRUE(j.BorderAbove(3, 3) == false && j.BorderAbove(3, 1));
  // Diagonals are two more houses; shapes that are not n regions of n cells are refused.
  GridGeometry x = GridGeometry::Boxes(9, 3, 3);
  x.AddDiagonals();
  ASSERT_EQ(x.Houses().size(), 29u);
  EXPECT_EQ(x.Houses()[28].front(), 8);
  EXPECT_THROW(GridGeometry::Boxes(6, 2, 2), std::invalid_argument);
  EXPECT_THROW(GridGeometry::Regions(4, std::vector<int>(16, 0)), std::invalid_argument);
  EXPECT_THROW(GridGeometry::Regions(4, std::vector<int>(15, 0)), std::invalid_argument);
}

}  // namespace
}  // namespace quorvel::puzzle
