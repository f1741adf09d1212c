#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/large_memory.h"
#include "report/short_string.h"

namespace quorvel::report {
namespace {

TEST(ShortString, HoldsAnyLengthAndSurvivesCopiesAndSelfAssignment) {
  const std::string long_text = "Extreme Sudoku by Quorvel Pro";
  for (const std::string& text : {std::string(), std::string("5"), std::string(15, 'x'),
                                  std::string(16, 'y'), long_text, std::string("a\0b", 3)}) {
    ShortString s(text);
    EXPECT_EQ(s.view(), text);
    EXPECT_EQ(s.size(), text.size());
    EXPECT_EQ(s.empty(), text.empty());
    ShortString copy = s;
    s = "changed";
    EXPECT_EQ(copy.view(), text);
    const ShortString& same = copy;
    copy = same;
    EXPECT_EQ(copy.view(), text);
    // A part of itself, in place and on the heap.
    copy = copy.view().substr(copy.size() / 2);
    EXPECT_EQ(copy.view(), text.substr(text.size() / 2));
  }
  ShortString grows("short");
  grows = long_text;
  EXPECT_EQ(grows, long_text);
  grows = "again short";
  EXPECT_EQ(grows, "again short");
  grows.clear();
  EXPECT_TRUE(grows.empty());
}

TEST(LargeByteStore, KeepsEveryStringIntactAcrossBlocks) {
  LargeByteStore store;
  std::vector<std::string> texts;
  std::vector<std::string_view> stored;
  // Pages of a few kilobytes fill small blocks, then large ones; one is larger than a block.
  for (int i = 0; i < 900; ++i) {
    texts.push_back(std::string(1000 + 37 * (i % 200), static_cast<char>('a' + i % 26)));
  }
  texts.push_back(std::string(5 * 1024 * 1024 + 3, 'Z'));
  texts.push_back("");
  for (const std::string& t : texts) stored.push_back(store.Add(t));
  for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(stored[i], texts[i]) << i;
  store.Clear();
  // Blocks given back are kept for the next user and then released.
  void* block = MapLarge(2 * 1024 * 1024, true);
  static_cast<char*>(block)[0] = 1;
  UnmapLarge(block, 2 * 1024 * 1024);
  EXPECT_TRUE(HaveKeptLarge());
  ReleaseKeptLarge();
  EXPECT_FALSE(HaveKeptLarge());
}

}  // namespace
}  // namespace quorvel::report
