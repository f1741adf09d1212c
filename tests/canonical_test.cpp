// The canonical form: copies of one puzzle under hand-made symmetries give one form; different
// puzzles give different forms.
#include "puzzle/canonical.h"

#include <gtest/gtest.h>

#include <functional>

#include "test_util.h"

namespace quorvel::puzzle {
namespace {

using testing::BankLine;
using testing::kPuzzle;
using testing::kSolution;

// Cell (r, c) of the result is cell at(r, c) of `s`.
std::string Move(const std::string& s, const std::function<int(int, int)>& at) {
  std::string out(81, ' ');
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c)
      out[static_cast<size_t>(9 * r + c)] = s[static_cast<size_t>(at(r, c))];
  }
  return out;
}

std::string Transpose(const std::string& s) {
  return Move(s, [](int r, int c) { return 9 * c + r; });
}
std::string SwapRows(const std::string& s, int a, int b) {
  return Move(s, [=](int r, int c) { return 9 * (r == a ? b : r == b ? a : r) + c; });
}
std::string SwapColumns(const std::string& s, int a, int b) {
  return Transpose(SwapRows(Transpose(s), a, b));
}
std::string SwapBands(const std::string& s, int a, int b) {
  std::string out = s;
  for (int i = 0; i < 3; ++i) out = SwapRows(out, 3 * a + i, 3 * b + i);
  return out;
}
std::string SwapStacks(const std::string& s, int a, int b) {
  return Transpose(SwapBands(Transpose(s), a, b));
}
// Digits and solution letters relabelled together: d -> map[d - 1].
std::string RelabelLine(const std::string& line, const std::string& map) {
  std::string out = line;
  for (char& ch : out) {
    if (ch >= '1' && ch <= '9') {
      ch = map[static_cast<size_t>(ch - '1')];
    } else {
      ch = static_cast<char>('A' + (map[static_cast<size_t>(ch - 'A')] - '1'));
    }
  }
  return out;
}

TEST(CanonicalForm, CopiesShareOneFormAndOthersDiffer) {
  const std::string line = BankLine(kPuzzle, kSolution);
  const std::string form = CanonicalForm(line);
  EXPECT_EQ(form.size(), 81u);
  EXPECT_EQ(CanonicalForm(form), form) << "the form is its own form";
  // The form's grid starts with the smallest first row a grid can have.
  std::string first_row;
  for (char ch : form.substr(0, 9))
    first_row += ch <= '9' ? ch : static_cast<char>('1' + (ch - 'A'));
  EXPECT_EQ(first_row, "123456789");
  const std::pair<const char*, std::string> copies[] = {
      {"transposed", Transpose(line)},
      {"rows 1 and 3 swapped", SwapRows(line, 0, 2)},
      {"rows 5 and 6 swapped", SwapRows(line, 4, 5)},
      {"columns 7 and 9 swapped", SwapColumns(line, 6, 8)},
      {"bands 1 and 3 swapped", SwapBands(line, 0, 2)},
      {"stacks 1 and 2 swapped", SwapStacks(line, 0, 1)},
      {"relabelled", RelabelLine(line, "968213457")},
      {"all at once",
       RelabelLine(
           SwapStacks(SwapColumns(SwapBands(SwapRows(Transpose(line), 3, 4), 1, 2), 1, 2), 0, 2),
           "234567891")},
  };
  for (const auto& [what, copy] : copies) {
    ASSERT_NE(copy, line) << what;
    EXPECT_EQ(CanonicalForm(copy), form) << what;
  }
  // The same puzzle given as puzzle and solution strings.
  EXPECT_EQ(CanonicalForm(kPuzzle, kSolution), form);

  // Different puzzles: one given more, one given moved to another cell of the same grid, and a
  // rows swap across bands (not a symmetry).
  std::string more = line;
  more[2] = kSolution[2];  // an empty cell made a given
  std::string moved = more;
  moved[0] = static_cast<char>('A' + (kSolution[0] - '1'));
  std::string across = SwapRows(line, 2, 3);
  for (const std::string& other : {more, moved, across}) {
    EXPECT_NE(CanonicalForm(other), form) << other;
  }
  EXPECT_NE(CanonicalForm(more), CanonicalForm(moved));
}

TEST(CanonicalForm, RefusesMalformedLines) {
  EXPECT_THROW(CanonicalForm(std::string(80, '1')), std::invalid_argument);
  EXPECT_THROW(CanonicalForm(std::string(81, '0')), std::invalid_argument);
  EXPECT_THROW(CanonicalForm(kPuzzle, kPuzzle), std::invalid_argument);
}

}  // namespace
}  // namespace quorvel::puzzle
