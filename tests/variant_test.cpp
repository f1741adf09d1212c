// The variants' bank lines, their symmetry moves and canonical forms, and their bank builder:
// what the banks, the scrambler and books without repeats rely on.
#include "puzzle/variant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <set>

#include "banks/builtin_banks.h"
#include "tools/constraint_solver.h"
#include "tools/variant_generator.h"

namespace quorvel {
namespace {

using puzzle::PuzzleKind;

// The first line of the variant's first bank.
std::string FirstLine(PuzzleKind kind) {
  for (int v = 0; v < puzzle::kVariantBankCount; ++v) {
    if (puzzle::VariantBankAt(v).kind == kind) {
      return std::string(banks::BuiltInBanks().Bank(puzzle::BankSet::kClassicBanks + v).front());
    }
  }
  return std::string();
}

TEST(VariantLine, ParsesWhatTheBanksHoldAndRefusesTheRest) {
  const std::string four = "1BC4CD1BB1DC4CBA";
  const puzzle::VariantPuzzle p = puzzle::ParseVariantLine(PuzzleKind::kFour, four);
  EXPECT_EQ(p.puzzle, "1004001001004000");
  EXPECT_EQ(p.solution, "1234341221434321");
  EXPECT_EQ(puzzle::VariantLine(PuzzleKind::kFour, p), four);
  const std::string jigsaw = FirstLine(PuzzleKind::kJigsaw);
  EXPECT_EQ(puzzle::VariantLine(PuzzleKind::kJigsaw,
                                puzzle::ParseVariantLine(PuzzleKind::kJigsaw, jigsaw)),
            jigsaw);

  struct Bad {
    PuzzleKind kind;
    std::string line, error;
  };
  const std::string grid81 = jigsaw.substr(0, 81), layout = jigsaw.substr(82);
  const std::vector<Bad> bad = {
      {PuzzleKind::kFour, "1BC4CD1BB1DC4CB", "a 4x4 Sudoku line has 16 characters, not 15"},
      {PuzzleKind::kFour, "1BC4CD1BB1DC4CB5",
       "character 16 '5' is neither a digit 1..4 nor a "
       "letter A..D"},
      {PuzzleKind::kSix, std::string(35, 'A') + "G", "character 36 'G'"},
      {PuzzleKind::kX, std::string(81, '0'), "character 1 '0'"},
      {PuzzleKind::kJigsaw, grid81, "a Jigsaw Sudoku line has 163 characters, not 81"},
      {PuzzleKind::kJigsaw, grid81 + "x" + layout, "parted by a space"},
      {PuzzleKind::kJigsaw, grid81 + " " + layout.substr(0, 80) + "0",
       "a Jigsaw layout names regions 1..9, not '0'"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.line);
    try {
      puzzle::ParseVariantLine(b.kind, b.line);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(b.error), std::string::npos) << e.what();
    }
  }
}

// Every move of a variant's group, with the digits relabelled, gives a puzzle whose only
// solution is the moved solution, on the moved layout, with the same canonical form.
TEST(VariantMoves, KeepTheRulesAndTheForm) {
  for (const PuzzleKind kind : puzzle::VariantKinds()) {
    SCOPED_TRACE(puzzle::KindKey(kind));
    const std::string line = FirstLine(kind);
    const puzzle::VariantPuzzle p = puzzle::ParseVariantLine(kind, line);
    const std::string form = puzzle::VariantForm(kind, line);
    const int n = puzzle::GridSize(kind);
    std::vector<int> digits(static_cast<size_t>(n));
    std::iota(digits.rbegin(), digits.rend(), 1);  // n, n - 1, .., 1
    std::set<std::string> seen;
    ASSERT_GT(puzzle::MoveCount(kind), 1);
    // Every move gives a different grid; some hundred of them, spread over the group, are proven
    // (6x6 has 3,456 moves).
    const int moves = puzzle::MoveCount(kind), stride = std::max(1, moves / 100);
    for (int move = 0; move < moves; ++move) {
      const puzzle::VariantPuzzle moved = puzzle::Transform(kind, p, move, digits);
      const std::string moved_line = puzzle::VariantLine(kind, moved);
      seen.insert(moved_line);
      if (move % stride != 0 && move != moves - 1) continue;
      if (kind == PuzzleKind::kJigsaw) {
        ASSERT_TRUE(tools::LayoutIsSound(moved.layout)) << "move " << move;
      }
      std::string found;
      const tools::ConstraintSolver solver(puzzle::VariantGeometry(kind, moved.layout));
      ASSERT_EQ(solver.CountSolutions(moved.puzzle, 2, &found), 1) << "move " << move;
      EXPECT_EQ(found, moved.solution) << "move " << move;
      EXPECT_EQ(puzzle::VariantForm(kind, moved_line), form) << "move " << move;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(puzzle::MoveCount(kind))) << "moves repeat";
    // A random scramble is one of them; a different puzzle has a different form.
    puzzle::RandomSource random;
    random.SetSeed(7);
    const puzzle::VariantPuzzle scrambled = puzzle::Scramble(kind, p, random);
    EXPECT_EQ(puzzle::VariantForm(kind, puzzle::VariantLine(kind, scrambled)), form);
    const std::string other(banks::BuiltInBanks().Bank(puzzle::BankSet::kClassicBanks +
                                                       puzzle::VariantBankIndex(kind, 0))[1]);
    EXPECT_NE(puzzle::VariantForm(kind, other), form);
  }
}

TEST(VariantBankBuilder, SameSeedSameBankWhateverTheJobs) {
  for (const PuzzleKind kind : {PuzzleKind::kX, PuzzleKind::kJigsaw, PuzzleKind::kSix}) {
    SCOPED_TRACE(puzzle::KindKey(kind));
    const auto one = tools::BuildVariantBank(kind, 0, 6, 11, 1, nullptr);
    const auto two = tools::BuildVariantBank(kind, 0, 6, 11, 2, nullptr);
    ASSERT_EQ(one.size(), 6u);
    EXPECT_EQ(one, two);
    EXPECT_NE(tools::BuildVariantBank(kind, 0, 6, 12, 2, nullptr), one);
  }
}

TEST(VariantBankFiles, ALineOfTheWrongFormatFailsTheBuildNamingFileAndLine) {
  const std::string dir = ::testing::TempDir();
  const std::string bank = dir + "bad4x4", forms = dir + "bad4x4.forms";
  std::ofstream(bank) << "1BC4CD1BB1DC4CBA\n1BC4CD1BB1DC4CB\n";
  const std::string command = std::string(QUORVEL_BANK_FORMS) + " --kind 4x4 " + bank + " " +
                              forms + " 2>" + dir + "bad4x4.err";
  EXPECT_NE(std::system(command.c_str()), 0);
  std::ifstream err(dir + "bad4x4.err");
  std::string message;
  std::getline(err, message);
  EXPECT_EQ(message, bank + ":2: a 4x4 Sudoku line has 16 characters, not 15");
  EXPECT_FALSE(std::ifstream(forms).good()) << "no forms file from a failed build step";
}

}  // namespace
}  // namespace quorvel
