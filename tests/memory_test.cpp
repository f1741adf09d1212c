#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "report/arena.h"
#include "report/document.h"
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
}

TEST(Arena, ServesFreesAndGivesEverythingBack) {
  Arena arena;
  std::vector<std::pair<void*, size_t>> taken;
  // Components of every size class and tables of every power of two, past 512 KiB so that
  // 2 MiB blocks are used too; each piece written whole.
  for (int round = 0; round < 40; ++round) {
    for (size_t bytes : {size_t{8}, size_t{112}, size_t{144}, size_t{512}, size_t{1000},
                         size_t{4096}, size_t{70000}, size_t{1} << 20}) {
      void* p = arena.Allocate(bytes);
      ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
      std::memset(p, round, bytes);
      taken.emplace_back(p, bytes);
    }
  }
  EXPECT_EQ(arena.Live(), taken.size());
  EXPECT_GT(arena.Held(), size_t{40} << 20);
  // A piece given back is the next one of its size.
  auto [p, bytes] = taken.back();
  taken.pop_back();
  Arena::Deallocate(p, bytes);
  EXPECT_EQ(arena.Allocate(bytes), p);
  taken.emplace_back(p, bytes);
  // Given back on another thread, memory goes to the arena it came from; once nothing is left
  // the arena holds no memory.
  std::thread other([&] {
    for (auto [q, n] : taken) Arena::Deallocate(q, n);
  });
  other.join();
  EXPECT_EQ(arena.Live(), 0u);
  EXPECT_EQ(arena.Held(), 0u);
}

TEST(Arena, ScopesChooseWhereComponentsGo) {
  Arena outer, inner;
  {
    Arena::Scope a(outer);
    EXPECT_EQ(&Arena::Current(), &outer);
    {
      Arena::Scope b(inner);
      EXPECT_EQ(&Arena::Current(), &inner);
      auto* text = new TReportText(nullptr);
      EXPECT_EQ(inner.Live(), 1u);
      delete text;
      EXPECT_EQ(inner.Live(), 0u);
    }
    EXPECT_EQ(&Arena::Current(), &outer);
  }
  // Outside every scope, components come from the shared arena and go back to it.
  Arena& shared = Arena::Current();
  EXPECT_NE(&shared, &outer);
  const size_t before = shared.Live();
  auto* line = new TReportHLine(nullptr);
  EXPECT_EQ(shared.Live(), before + 1);
  delete line;
  EXPECT_EQ(shared.Live(), before);
}

}  // namespace
}  // namespace quorvel::report

namespace quorvel::report {
namespace {

TEST(Arena, TablesLargerThanTheArenaKeeps) {
  // A page of 140,000 items: its list of them outgrows the largest table the arena keeps, and
  // is made and freed all the same.
  TReportProject project;
  project.NewProject();
  auto* page = dynamic_cast<TReportPage*>(project.ProjectManager().FindByFullName("Report1.Page1"));
  ASSERT_NE(page, nullptr);
  for (int i = 0; i < 140000; ++i) CreateItem<TReportHLine>(*page, "Rule" + std::to_string(i));
  EXPECT_EQ(page->Components().size(), 140000u);
  EXPECT_GT(page->Components().capacity() * sizeof(void*), size_t{1} << 20);
  project.CloseProject();
}

}  // namespace
}  // namespace quorvel::report
