#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "banks/builtin_banks.h"
#include "pages/book.h"
#include "pages/cover.h"
#include "pages/locations.h"
#include "puzzle/canonical.h"
#include "puzzle/random.h"
#include "test_util.h"

namespace quorvel::pages {
namespace {

namespace fs = std::filesystem;
using report::TReportPage;
using report::TReportText;

class RecordingProgress : public report::Progress {
 public:
  std::vector<int> positions;
  std::vector<std::string> captions;
  int events = 0;
  void SetCaption(const std::string& c) override { captions.push_back(c); }
  void SetPosition(int p) override { positions.push_back(p); }
  void ProcessEvents() override { ++events; }
};

// A copy of a text item's properties (the document is freed once executed).
struct TextInfo {
  std::string text;
  double left, top;
  int size;
  report::TPrintJustify justify;
  const std::string& Text() const { return text; }
  double Left() const { return left; }
  double Top() const { return top; }
  report::TPrintJustify FontJustify() const { return justify; }
  struct {
    int Size;
  } font;
  decltype(font) Font() const { return font; }
};

// One page of the finished document: its items in order, summarised.
struct PageSummary {
  int texts = 0, hlines = 0, vlines = 0;
  std::vector<TextInfo> text_items;
};

class BookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quorvel_pages_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    banks_ = testing::FixtureBanks();
    maker_ = std::make_unique<BookMaker>(banks_, (dir_ / "book.pgs").string());
    maker_->Random().SetSeedCounter(puzzle::MakeSequenceCounter(1));
    maker_->SetProgress(&progress_);
    maker_->before_execute = [this](report::TReportProject& project) {
      pages_.clear();
      report::TReport* report = project.ProjectManager().Reports()[0];
      // Follow the chain from the first page, as execution does.
      for (TReportPage* page = report->FirstPage(); page; page = page->GotoPage()) {
        EXPECT_TRUE(page->WasteFit());
        PageSummary s;
        for (report::TReportComponent* c : page->Children()) {
          if (auto* t = dynamic_cast<const TReportText*>(c)) {
            ++s.texts;
            TextInfo info{std::string(t->Text()), t->Left(),        t->Top(),
                          t->Font().Size,         t->FontJustify(), {}};
            info.font.Size = t->Font().Size;
            s.text_items.push_back(info);
          } else if (dynamic_cast<const report::TReportHLine*>(c)) {
            ++s.hlines;
          } else if (dynamic_cast<const report::TReportVLine*>(c)) {
            ++s.vlines;
          }
        }
        pages_.push_back(s);
      }
      EXPECT_EQ(pages_.size(), report->Pages().size());
    };
    maker_->completed = [this] { completed_ = progress_.positions.back(); };
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Pdf() const { return (dir_ / "book.pdf").string(); }

  fs::path dir_;
  puzzle::BankSet banks_;
  std::unique_ptr<BookMaker> maker_;
  RecordingProgress progress_;
  std::vector<PageSummary> pages_;
  int completed_ = -1;
};

const TextInfo* FindText(const PageSummary& page, const std::string& text) {
  for (const TextInfo& t : page.text_items) {
    if (t.Text() == text) return &t;
  }
  return nullptr;
}

TEST_F(BookTest, StandardLayoutsItemCountsAndPages) {
  struct Case {
    int pages, per_page, want_pages, puzzle_items;
  };
  for (Case k : {Case{1, 1, 2, 104}, Case{3, 2, 5, 206}, Case{5, 4, 10, 410}}) {
    BookOptions o;
    o.layout.pages = k.pages;
    o.layout.per_page = k.per_page;
    maker_->BuildStandardPages(o, Pdf());
    ASSERT_EQ(static_cast<int>(pages_.size()), k.want_pages);
    for (int q = 0; q < k.want_pages; ++q) {
      const PageSummary& p = pages_[q];
      bool answer = q >= k.pages;
      EXPECT_EQ(p.texts + p.hlines + p.vlines, answer ? 411 : k.puzzle_items) << "page " << q + 1;
      EXPECT_EQ(p.hlines, p.vlines);
    }
    EXPECT_TRUE(fs::exists(Pdf()));
  }
  const PageSummary& last_answers = pages_.back();
  EXPECT_NE(FindText(last_answers, "Sudoku #20"), nullptr);
  EXPECT_NE(FindText(last_answers, "Answers"), nullptr);
}

TEST_F(BookTest, TwoPerPageAndPartialAnswerPages) {
  BookOptions o;
  o.layout.pages = 3;
  o.layout.per_page = 2;
  maker_->BuildStandardPages(o, Pdf());
  ASSERT_EQ(pages_.size(), 5u);
  const TextInfo* five = FindText(pages_[2], "Sudoku #5");
  const TextInfo* six = FindText(pages_[2], "Sudoku #6");
  ASSERT_TRUE(five && six);
  EXPECT_LT(five->Top(), six->Top());
  const PageSummary& answers = pages_[4];
  ASSERT_NE(FindText(answers, "Sudoku #8"), nullptr);
  // Slots 7 and 8 have empty cells; slots 5 and 6 are full.
  int filled = 0;
  for (const TextInfo& t : answers.text_items) {
    if (t.FontJustify() == report::pjCenter && !t.Text().empty()) ++filled;
  }
  EXPECT_EQ(filled, 2 * 81);
}

TEST_F(BookTest, PrintedGridIsTheStringMirroredAndAnswersMatch) {
  BookOptions o;
  o.layout.pages = 1;
  maker_->BuildStandardPages(o, Pdf());
  const std::string& puzzle = maker_->Supply().Puzzle(1);
  const std::string& solution = maker_->Supply().Solution(1);
  // Cell texts are created column by column: item k is page column k / 9 + 1, row k % 9 + 1,
  // and shows character 9 (i - 1) + j of the string: the string's row i runs down the page.
  std::vector<const TextInfo*> cells;
  for (const TextInfo& t : pages_[0].text_items) {
    if (t.FontJustify() == report::pjCenter) cells.push_back(&t);
  }
  ASSERT_EQ(cells.size(), 81u);
  // The cells stand on a square lattice: one step across per string row, one step down per
  // character of it, the same step both ways.
  const double step = cells[9]->Left() - cells[0]->Left();
  EXPECT_GT(step, 0.5);
  for (int k = 0; k < 81; ++k) {
    int i = k / 9 + 1, j = k % 9 + 1;
    char ch = puzzle[9 * (i - 1) + j - 1];
    EXPECT_EQ(cells[k]->Text(), ch == '0' ? "" : std::string(1, ch));
    EXPECT_NEAR(cells[k]->Left(), cells[0]->Left() + (i - 1) * step, 1e-9);
    EXPECT_NEAR(cells[k]->Top(), cells[0]->Top() + (j - 1) * step, 1e-9);
    EXPECT_EQ(cells[k]->Font().Size, cells[0]->Font().Size);
  }
  std::vector<const TextInfo*> answer;
  for (const TextInfo& t : pages_[1].text_items) {
    if (t.FontJustify() == report::pjCenter) answer.push_back(&t);
  }
  ASSERT_EQ(answer.size(), 4u * 81);
  for (int k = 0; k < 81; ++k) {
    EXPECT_EQ(answer[k]->Text(), std::string(1, solution[9 * (k / 9) + k % 9]));
    EXPECT_EQ(answer[k]->Font().Size, 18);
  }
  EXPECT_NE(FindText(pages_[0], "Very Easy Sudoku by Quorvel Pro"), nullptr);
  EXPECT_NE(FindText(pages_[0], "www.tessaly.example"), nullptr);
}

TEST_F(BookTest, CandidatesOnlyOnOnePerPage) {
  BookOptions o;
  o.layout.pages = 2;
  o.layout.candidates = true;
  o.puzzles.level = 2;
  maker_->BuildStandardPages(o, Pdf());
  const std::string& puzzle = maker_->Supply().Puzzle(1);
  puzzle::TQJ grid;
  grid.LoadPuzzle(puzzle);
  int k = 0;
  for (const TextInfo& info : pages_[0].text_items) {
    const TextInfo* t = &info;
    if (t->FontJustify() != report::pjCenter) continue;
    int i = k / 9 + 1, j = k % 9 + 1;
    ++k;
    char ch = puzzle[9 * (i - 1) + j - 1];
    if (ch != '0') {
      EXPECT_EQ(t->Text(), std::string(1, ch));
      EXPECT_EQ(t->Font().Size, 25);
    } else {
      EXPECT_EQ(t->Text(), grid.GetCandidates(i, j));
      EXPECT_EQ(t->Font().Size, 12);
    }
  }
  EXPECT_NE(FindText(pages_[0], "Standard Sudoku by Quorvel Pro"), nullptr);
  o.layout.per_page = 4;
  maker_->BuildStandardPages(o, Pdf());
  for (const TextInfo& t : pages_[0].text_items) {
    if (t.FontJustify() == report::pjCenter) {
      EXPECT_EQ(t.Font().Size, 18);
    }
  }
}

TEST_F(BookTest, StandardProgress) {
  BookOptions o;
  o.layout.pages = 3;
  maker_->BuildStandardPages(o, Pdf());
  // One step a puzzle page, rising to the end of the puzzle part.
  std::vector<int> first(progress_.positions.begin(), progress_.positions.begin() + 3);
  EXPECT_TRUE(std::is_sorted(first.begin(), first.end()));
  EXPECT_GT(first[0], 0);
  EXPECT_LT(first[2], progress_.positions[3]);
  EXPECT_TRUE(std::is_sorted(progress_.positions.begin(), progress_.positions.end()));
  EXPECT_EQ(progress_.captions.front(), "Create Sudoku Puzzles,Please wait");
  EXPECT_EQ(progress_.captions[3], "Create Answers - 1/1");
  EXPECT_EQ(progress_.positions.back(), 100);
  EXPECT_EQ(progress_.captions.back(), "Done");
  EXPECT_EQ(progress_.captions[progress_.captions.size() - 2], "Save file to disk,Please wait");
  EXPECT_EQ(completed_, 100);
}

TEST_F(BookTest, SamuraiPagesAndProgress) {
  BookOptions o;
  o.layout.pages = 1;
  o.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  o.puzzles.level = 3;
  maker_->BuildSamuraiPages(o, Pdf());
  ASSERT_EQ(pages_.size(), 2u);
  // Five grids of ten rules each way; the cells of five grids, three of the four shared boxes
  // printed from one grid only (the bottom-left box from both); three texts, four on the answer
  // page.
  EXPECT_EQ(pages_[0].hlines, 5 * 10);
  EXPECT_EQ(pages_[0].vlines, 5 * 10);
  EXPECT_EQ(pages_[0].texts, 5 * 81 - 3 * 9 + 3);
  EXPECT_EQ(pages_[1].texts, pages_[0].texts + 1);
  EXPECT_TRUE(std::is_sorted(progress_.positions.begin(), progress_.positions.end()));
  EXPECT_EQ(progress_.positions.back(), 100);
  EXPECT_NE(FindText(pages_[0], "Hard Sudoku by Quorvel Pro"), nullptr);
  EXPECT_NE(FindText(pages_[1], "Sudoku #1"), nullptr);
  // The footer is the page's last and lowest text.
  const TextInfo* footer = FindText(pages_[0], "www.tessaly.example");
  ASSERT_NE(footer, nullptr);
  EXPECT_EQ(footer, &pages_[0].text_items.back());
  for (const TextInfo& t : pages_[0].text_items) EXPECT_LE(t.Top(), footer->Top()) << t.Text();
  // Every answer cell has a digit; puzzle cells are the givens of the store.
  int empty_answers = 0;
  for (const TextInfo& t : pages_[1].text_items) empty_answers += t.Text().empty();
  EXPECT_EQ(empty_answers, 0);

  progress_.positions.clear();
  o.layout.pages = 7;
  maker_->BuildSamuraiPages(o, Pdf());
  // One rising step for each of the seven puzzle pages.
  std::vector<int> steps(progress_.positions.begin() + 1, progress_.positions.begin() + 8);
  EXPECT_TRUE(std::adjacent_find(steps.begin(), steps.end(), std::greater_equal<int>()) ==
              steps.end())
      << ::testing::PrintToString(steps);
  EXPECT_GT(steps.front(), progress_.positions.front());
  EXPECT_EQ(pages_.size(), 14u);
}

// The environment a test sets, put back as it was when the test ends.
class ScopedEnv {
 public:
  explicit ScopedEnv(const char* name) : name_(name) {
    const char* v = std::getenv(name);
    if (v) saved_ = v;
  }
  ~ScopedEnv() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  void Set(const std::string& value) const { setenv(name_, value.c_str(), 1); }
  void Unset() const { unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(Locations, PrivateFolderForThePageStream) {
  ScopedEnv runtime("XDG_RUNTIME_DIR"), tmpdir("TMPDIR");
  // A temporary folder of the test's own, so that the user's real folder is never touched.
  fs::path tmp = fs::temp_directory_path() / ("quorvel_loc_" + std::to_string(getpid()));
  fs::remove_all(tmp);
  fs::create_directories(tmp);
  tmpdir.Set(tmp.string());
  const std::string fixed = tmp.string() + "/quorvel-" + std::to_string(getuid());
  auto mode_of = [](const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
  };

  // XDG_RUNTIME_DIR is used only when it is an absolute folder of this user's that no one
  // else can write to; every other value falls back to the temporary folder.
  runtime.Unset();
  EXPECT_EQ(PrivateTempFolder(), fixed + "/");
  fs::create_directories(tmp / "runtime");
  chmod((tmp / "runtime").c_str(), 0700);
  fs::create_symlink(tmp / "runtime", tmp / "link");
  struct Case {
    std::string value;
    mode_t mode;
    bool used;
  };
  for (const Case& c :
       {Case{(tmp / "runtime").string(), 0700, true},
        Case{(tmp / "runtime").string() + "/", 0755, true},
        Case{(tmp / "runtime").string(), 0777, false},
        Case{(tmp / "runtime").string(), 0770, false}, Case{(tmp / "link").string(), 0700, false},
        Case{"relative/folder", 0700, false}, Case{"", 0700, false},
        Case{"/run/user/4242/nonexistent", 0700, false}}) {
    chmod((tmp / "runtime").c_str(), c.mode);
    runtime.Set(c.value);
    EXPECT_EQ(PrivateTempFolder(), c.used ? (tmp / "runtime").string() + "/" : fixed + "/")
        << c.value << " mode " << std::oct << c.mode;
    EXPECT_EQ(mode_of((tmp / "runtime").string()), c.mode) << "never changed";
  }
  runtime.Unset();
  EXPECT_EQ(PageStreamFilePath(), fixed + "/tessalyquorvel.pgs");

  // The program's own folder is made 0700 whatever the umask, and repaired when its mode is
  // another.
  fs::remove_all(fixed);
  mode_t old_mask = umask(0277);
  EXPECT_EQ(PrivateTempFolder(), fixed + "/");
  umask(old_mask);
  EXPECT_EQ(mode_of(fixed), 0700u);
  for (mode_t wrong : {0500, 0755, 0777}) {
    chmod(fixed.c_str(), wrong);
    EXPECT_EQ(PrivateTempFolder(), fixed + "/");
    EXPECT_EQ(mode_of(fixed), 0700u);
  }

  // A fixed name that is a file, a link, or (as root) another user's folder cannot lock this
  // user out: a folder of a name no one could take first is made, once, and found again.
  struct Taken {
    std::string what;
    std::function<bool()> take;  // false: cannot be set up here
  };
  const std::vector<Taken> taken = {
      {"a file", [&] { return static_cast<bool>(std::ofstream(fixed) << "x"); }},
      {"a link to a folder of ours",
       [&] {
         fs::create_symlink(tmp / "runtime", fixed);
         return true;
       }},
      {"another user's folder", [&] {
         fs::create_directory(fixed);
         chmod(fixed.c_str(), 0700);
         return getuid() == 0 && chown(fixed.c_str(), 4242, 4242) == 0;
       }}};
  for (const Taken& t : taken) {
    fs::remove_all(fixed);
    for (const auto& entry : fs::directory_iterator(tmp)) {
      if (entry.path().filename().string().rfind("quorvel-", 0) == 0) fs::remove_all(entry);
    }
    if (!t.take()) {
      std::cout << "[ SKIPPED  ] " << t.what << ": needs root to make another user's folder\n";
      continue;
    }
    std::string folder = PrivateTempFolder();
    EXPECT_EQ(folder.rfind(fixed + "-", 0), 0u) << t.what << ": " << folder;
    EXPECT_EQ(folder.size(), fixed.size() + 8) << folder;
    EXPECT_EQ(mode_of(folder.substr(0, folder.size() - 1)), 0700u);
    EXPECT_EQ(PrivateTempFolder(), folder) << t.what << ": the same folder next time";
  }
  fs::remove_all(tmp);
}

TEST(LevelCaption, AllLevels) {
  EXPECT_EQ(LevelCaption(0), "Very Easy Sudoku");
  EXPECT_EQ(LevelCaption(2), "Standard Sudoku");
  EXPECT_EQ(LevelCaption(5), "Extreme Sudoku");
  EXPECT_THROW(LevelCaption(6), std::out_of_range);
}

}  // namespace
}  // namespace quorvel::pages

namespace quorvel::pages {
namespace {

TEST(UniqueBooks, RefusedBeforeAnyWorkWhenTheLevelHasTooFewPuzzles) {
  puzzle::BankSet banks = testing::FixtureBanks();  // three lines a bank
  BookOptions o;
  o.puzzles.unique = true;
  o.layout.pages = 3;
  o.puzzles.level = 4;
  EXPECT_EQ(OptionsProblem(o, banks), "");
  o.layout.pages = 4;
  EXPECT_EQ(OptionsProblem(o, banks),
            "a book of different puzzles can hold at most 3 Expert Sudoku puzzles; this one "
            "needs 4");
  o.puzzles.unique = false;
  EXPECT_EQ(OptionsProblem(o, banks), "") << "independent draws may repeat";
  o.puzzles.unique = true;
  o.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  o.layout.pages = 1;
  EXPECT_NE(OptionsProblem(o, banks).find("at most 3 Expert Sudoku puzzles; this one needs 5"),
            std::string::npos);

  fs::path dir = fs::temp_directory_path() / ("quorvel_unique_" + std::to_string(getpid()));
  fs::create_directories(dir);
  BookMaker maker(banks, (dir / "book.pgs").string());
  bool executed = false;
  maker.before_execute = [&](report::TReportProject&) { executed = true; };
  EXPECT_THROW(maker.BuildSamuraiPages(o, (dir / "book.pdf").string()), std::invalid_argument);
  o.puzzles.kind = puzzle::PuzzleKind::kStandard;
  o.layout.pages = 2;
  o.layout.per_page = 2;
  EXPECT_THROW(maker.BuildStandardPages(o, (dir / "book.pdf").string()), std::invalid_argument);
  EXPECT_FALSE(executed);
  EXPECT_TRUE(fs::is_empty(dir)) << "no recording, no PDF";
  fs::remove_all(dir);
}

TEST(UniqueBooks, ALargestSamuraiBookUsesEveryLineOnce) {
  fs::path dir = fs::temp_directory_path() / ("quorvel_unique_" + std::to_string(getpid()));
  fs::create_directories(dir);
  BookMaker maker(banks::BuiltInBanks(), (dir / "book.pgs").string());
  maker.record_only = true;
  BookOptions o;
  o.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  o.puzzles.unique = true;
  o.layout.pages = 200;
  o.puzzles.level = 5;
  maker.BuildSamuraiPages(o, std::string());
  std::set<std::string> forms;
  for (int page = 1; page <= 200; ++page) {
    for (int grid = 1; grid <= 5; ++grid) {
      EXPECT_TRUE(forms.insert(puzzle::CanonicalForm(maker.Samurai().Entry(page, grid))).second)
          << "page " << page << " grid " << grid;
    }
  }
  EXPECT_EQ(forms.size(), 1000u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quorvel::pages

namespace quorvel::pages {
namespace {

TEST(Paper, NamesAndSizes) {
  const std::pair<std::string, std::optional<std::pair<double, double>>> cases[] = {
      {"letter", {{8.5, 11}}}, {"A4", {{8.27, 11.69}}},       {"a5", {{5.83, 8.27}}},
      {"6x9", {{6, 9}}},       {"5.5x8.5", {{5.5, 8.5}}},     {"6.14x9.21", {{6.14, 9.21}}},
      {"4x6", {{4, 6}}},       {"8.5X11.69", {{8.5, 11.69}}}, {"b5", std::nullopt},
      {"6x", std::nullopt},    {"x9", std::nullopt},          {"6x9x2", std::nullopt},
      {"3.9x9", std::nullopt}, {"6x11.7", std::nullopt},      {"nanxinf", std::nullopt},
      {"", std::nullopt}};
  for (const auto& [name, size] : cases) {
    std::optional<Paper> paper = ParsePaper(name);
    ASSERT_EQ(paper.has_value(), size.has_value()) << name;
    if (paper) {
      EXPECT_EQ(paper->width, size->first) << name;
      EXPECT_EQ(paper->height, size->second) << name;
    }
  }
}

TEST(Paper, PlacementsMarginsAndRefusals) {
  BookOptions o;
  o.layout.design = Design::kClassic;  // the scaled Letter design's placements and refusals
  EXPECT_TRUE(IsClassicBook(o));
  EXPECT_TRUE(PlacementOf(o, 1).Identity()) << "the classic book is the design itself";
  EXPECT_EQ(PaperProblem(o), "");
  for (auto [pages, margin] : {std::pair{23, 0.375},
                               {150, 0.375},
                               {151, 0.5},
                               {300, 0.5},
                               {301, 0.625},
                               {400, 0.625},
                               {500, 0.625},
                               {501, 0.75},
                               {700, 0.75},
                               {701, 0.875},
                               {828, 0.875}}) {
    EXPECT_EQ(InsideMargin(pages), margin) << pages;
  }
  o.layout.print_ready = true;
  EXPECT_FALSE(IsClassicBook(o));
  o.layout.paper.width = 6, o.layout.paper.height = 9,
  o.puzzles.kind = puzzle::PuzzleKind::kSamurai, o.layout.pages = 100;  // 200 PDF pages
  EXPECT_EQ(BookPageCount(o), 200);
  // Odd pages are bound on the left: the half-inch gutter moves the design right by the
  // difference between the margins.
  Placement odd = PlacementOf(o, 1), even = PlacementOf(o, 2);
  EXPECT_EQ(odd.scale, even.scale);
  EXPECT_NEAR(odd.left - even.left, 0.125, 1e-9);
  EXPECT_EQ(odd.top, even.top);
  LiveArea live = LiveAreaOf(o, 1);
  EXPECT_EQ(live.left, 0.5);
  EXPECT_EQ(live.right, 5.625);
  EXPECT_EQ(PaperProblem(o), "");
  // Too small a paper for 7-point text, with the smallest paper of its shape.
  o.layout.paper.width = 4, o.layout.paper.height = 6;
  EXPECT_EQ(PaperProblem(o),
            "the paper is too small for the Samurai layout: its text would be under 7 pt; the "
            "smallest paper of this shape is 5.37x8.05 in");
  o.layout.paper.width = 5.37, o.layout.paper.height = 8.05;
  EXPECT_EQ(PaperProblem(o), "");
  // Shapes whose smallest fitting paper would be larger than any paper taken: no suggestion.
  o.puzzles.kind = puzzle::PuzzleKind::kStandard;
  for (auto [w, h] : {std::pair{4.0, 11.69}, std::pair{8.5, 6.0}}) {
    o.layout.paper.width = w, o.layout.paper.height = h;
    EXPECT_EQ(PaperProblem(o),
              "the paper is too small for the 1-puzzle-a-page layout: its text would be under 7 "
              "pt; no paper of this shape up to 8.5x11.69 in is large enough")
        << w << "x" << h;
  }
  o.puzzles.kind = puzzle::PuzzleKind::kSamurai, o.layout.paper.width = 5.37,
  o.layout.paper.height = 8.05;
  EXPECT_EQ(OptionsProblem(o, banks::BuiltInBanks()), "");
  o.layout.paper.width = 3;
  EXPECT_NE(OptionsProblem(o, banks::BuiltInBanks()).find("the paper must be"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::pages

namespace quorvel::pages {
namespace {

TEST(Plan, EveryLayoutPlansItsPagesAndAnswers) {
  struct Case {
    bool samurai;
    int pages, per_page;
    bool candidates;
    int total, answer_pages, last_answer_count;
  };
  for (const Case& c :
       {Case{false, 3, 1, false, 4, 1, 3}, Case{false, 3, 1, true, 4, 1, 3},
        Case{false, 5, 2, false, 8, 3, 2}, Case{false, 4, 4, false, 8, 4, 4},
        Case{false, 200, 4, false, 400, 200, 4}, Case{true, 3, 1, false, 6, 3, 1}}) {
    BookOptions o;
    if (c.samurai) o.puzzles.kind = puzzle::PuzzleKind::kSamurai;
    o.layout.pages = c.pages;
    o.layout.per_page = c.per_page;
    o.layout.candidates = c.candidates;
    const BookPlan plan = PlanBook(o);
    SCOPED_TRACE(::testing::Message() << c.pages << " pages, " << c.per_page << " a page");
    ASSERT_EQ(plan.TotalPages(), c.total);
    EXPECT_EQ(BookPageCount(o), c.total);
    EXPECT_EQ(plan.puzzles, c.pages * c.per_page);
    int next_puzzle = 1, next_answer = 1;
    for (const PageSpec& spec : plan.pages) {
      EXPECT_EQ(spec.number, &spec - plan.pages.data() + 1);
      EXPECT_EQ(spec.RightHand(), spec.number % 2 == 1);
      const bool answers =
          spec.kind == PageKind::kStandardAnswers || spec.kind == PageKind::kSamuraiAnswer;
      // Puzzles first, then answers, each numbered on from the page before.
      EXPECT_EQ(answers, spec.number > c.pages) << spec.number;
      int& next = answers ? next_answer : next_puzzle;
      EXPECT_EQ(spec.first, next) << spec.number;
      next += spec.count;
      EXPECT_EQ(spec.step, answers ? spec.number - c.pages : spec.number);
      EXPECT_EQ(spec.of, answers ? c.answer_pages : c.pages);
      EXPECT_EQ(spec.candidates, c.candidates && !answers);
    }
    EXPECT_EQ(next_puzzle - 1, plan.puzzles);
    EXPECT_EQ(next_answer - 1, plan.puzzles);
    EXPECT_EQ(plan.pages.back().count, c.last_answer_count);
  }
}

TEST(Plan, WholeBooksKeepOpenersRightHandAndAnswersWithTheirSections) {
  auto section = [](puzzle::PuzzleKind kind, int level, int count, int per_page) {
    Section s;
    s.kind = kind, s.level = level, s.count = count, s.per_page = per_page;
    return s;
  };
  const auto standard = puzzle::PuzzleKind::kStandard, samurai = puzzle::PuzzleKind::kSamurai;
  struct Case {
    FrontMatter front;
    bool print_ready;
  };
  for (const Case& c :
       {Case{{true, true, true, true, true}, true}, Case{{true, false, false, true, true}, false},
        Case{{false, false, true, false, true}, true}, Case{{}, true}}) {
    BookOptions o;
    o.layout.paper = {6, 9};
    o.layout.print_ready = c.print_ready;
    o.front = c.front;
    o.sections = {section(standard, 1, 13, 2), section(samurai, 4, 3, 1),
                  section(standard, 3, 5, 4)};
    const BookPlan plan = PlanBook(o);
    SCOPED_TRACE(::testing::Message() << c.front.title << c.front.copyright << c.front.rules
                                      << c.front.contents << c.front.section_pages);
    ASSERT_EQ(plan.sections.size(), 3u);
    EXPECT_EQ(plan.puzzles, 21);
    int blanks_in_a_row = 0, samurai_rules = 0;
    for (const PageSpec& spec : plan.pages) {
      blanks_in_a_row = spec.kind == PageKind::kBlank ? blanks_in_a_row + 1 : 0;
      EXPECT_LE(blanks_in_a_row, 2) << spec.number;
      if (spec.kind == PageKind::kSectionOpener || spec.kind == PageKind::kContents ||
          spec.kind == PageKind::kTitle) {
        EXPECT_TRUE(spec.RightHand()) << spec.number;
      }
      samurai_rules += spec.kind == PageKind::kSamuraiRules;
    }
    EXPECT_EQ(samurai_rules, c.front.rules ? 1 : 0) << "the book holds a Samurai section";
    if (c.print_ready) {
      EXPECT_EQ(plan.TotalPages() % 2, 0);
    }
    // Every puzzle on its section's pages, its answer on its section's answer pages, under the
    // same numbers.
    for (int k = 1; k <= plan.puzzles; ++k) {
      const PlannedSection& s = plan.SectionOf(k);
      const PageSpec& page = plan.pages.at(static_cast<size_t>(plan.PuzzlePage(k) - 1));
      EXPECT_EQ(page.section, &s - plan.sections.data()) << k;
      EXPECT_TRUE(k >= page.first && k < page.first + page.count) << k;
      EXPECT_EQ(page.kind,
                s.section.Samurai() ? PageKind::kSamuraiPuzzle : PageKind::kStandardPuzzles);
      const PageSpec& answer = plan.pages.at(static_cast<size_t>(plan.AnswerPage(k) - 1));
      EXPECT_TRUE(k >= answer.first && k < answer.first + answer.count) << k;
      EXPECT_EQ(answer.kind,
                s.section.Samurai() ? PageKind::kSamuraiAnswer : PageKind::kStandardAnswers);
      EXPECT_GT(answer.number,
                plan.pages.at(static_cast<size_t>(plan.PuzzlePage(plan.puzzles) - 1)).number);
    }
    // Six Standard answers a page, two Samurai; each section's answers start a page.
    EXPECT_EQ(plan.sections[0].answers_per_page, 6);
    EXPECT_EQ(plan.sections[1].answers_per_page, 2);
    EXPECT_EQ(plan.sections[1].first_answer_page, plan.sections[0].first_answer_page + 3);
    EXPECT_EQ(plan.sections[2].first_answer_page, plan.sections[1].first_answer_page + 2);
  }
}

TEST(Threads, BooksMadeOnTwoThreadsAtOnceAreTheBooksMadeAlone) {
  fs::path dir = fs::temp_directory_path() / ("quorvel_threads_" + std::to_string(getpid()));
  fs::create_directories(dir);
  BookOptions standard;
  standard.layout.pages = 60;
  standard.layout.per_page = 4;
  BookOptions samurai;
  samurai.puzzles.kind = puzzle::PuzzleKind::kSamurai;
  samurai.layout.pages = 40;
  auto make = [&](const BookOptions& o, const std::string& name) {
    BookMaker maker(banks::BuiltInBanks(), (dir / (name + ".pgs")).string());
    maker.Random().SetSeedCounter(puzzle::MakeSequenceCounter(77));
    maker.Renderer().CreationDate = [] { return std::string("20260101000000"); };
    maker.Build(o, (dir / name).string());
    std::ifstream in(dir / (name + ".pdf"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::string alone_standard = make(standard, "alone-standard");
  const std::string alone_samurai = make(samurai, "alone-samurai");
  ASSERT_GT(alone_standard.size(), 100000u);
  std::string together_standard;
  std::thread worker([&] { together_standard = make(standard, "together-standard"); });
  const std::string together_samurai = make(samurai, "together-samurai");
  worker.join();
  EXPECT_TRUE(together_standard == alone_standard);
  EXPECT_TRUE(together_samurai == alone_samurai);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quorvel::pages

namespace quorvel::pages {
namespace {

TEST(Cover, EveryThemeReadsWellAndTheSpineFollowsTheStock) {
  ASSERT_GE(CoverThemes().size(), 4u);
  for (const CoverTheme& t : CoverThemes()) {
    SCOPED_TRACE(t.name);
    const report::Cmyk on_ground =
        t.white_on_ground ? report::Cmyk::White() : report::Cmyk::Black();
    const report::Cmyk on_accent =
        t.white_on_accent ? report::Cmyk::White() : report::Cmyk::Black();
    EXPECT_GE(Contrast(on_ground, t.ground), 4.5);
    EXPECT_GE(Contrast(on_accent, t.accent), 4.5);
  }
  EXPECT_NEAR(Contrast(report::Cmyk::Black(), report::Cmyk::White()), 21, 1e-9);
  BookOptions book;
  book.layout.paper = {6, 9};
  CoverOptions cover;
  for (auto [stock, per_page] : {std::pair{PaperStock::kWhite, 0.002252},
                                 {PaperStock::kCream, 0.0025},
                                 {PaperStock::kColor, 0.002347}}) {
    cover.stock = stock;
    const CoverGeometry g = CoverGeometryOf(book, cover, 300);
    EXPECT_NEAR(g.spine, 300 * per_page, 1e-12);
    EXPECT_NEAR(g.Width(), 0.25 + 12 + 300 * per_page, 1e-12);
    EXPECT_NEAR(g.Height(), 9.25, 1e-12);
    // The barcode area: 2 x 1.2 in, 0.25 in above the foot of the trim, 0.25 in left of the spine.
    EXPECT_NEAR(g.Barcode().Right(), g.Spine().left - 0.25, 1e-12);
    EXPECT_NEAR(g.Barcode().Bottom(), g.Trim().Bottom() - 0.25, 1e-12);
  }
  cover.spine_width = 0.4;
  EXPECT_EQ(CoverGeometryOf(book, cover, 300).spine, 0.4);
}

}  // namespace
}  // namespace quorvel::pages
