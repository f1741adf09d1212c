// End-to-end: whole books made through the command line, read back with qpdf and poppler's
// pdftotext: sections, front matter, the contents' pages, answers that solve their puzzles,
// plan files against the command line, manifests against the PDF, series without repeats, and
// the variants, each proven on its own rules.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "e2e_blocks.h"
#include "e2e_util.h"
#include "puzzle/canonical.h"
#include "puzzle/variant.h"
#include "test_util.h"
#include "tools/constraint_solver.h"

namespace quorvel {
namespace {

using nlohmann::json;

class WholeBook : public E2E {
 protected:
  // A 6x9 print-ready book, dated in 2026 whenever it is made, so that two runs can give the
  // same bytes.
  Result Book(const std::string& args) {
    return Shell("SOURCE_DATE_EPOCH=1790000000 XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
                 " " QUORVEL_BOOK " --print-ready --paper 6x9 " + args);
  }
  Result Make(const std::string& args) { return Book("--seed 11 " + args); }
  json Manifest(const std::string& name) { return json::parse(FileBytes(Path(name))); }
};

constexpr const char* kSections =
    "--section standard:easy:12:2 --section standard:hard:5:1 --section samurai:expert:2";
constexpr const char* kFrontMatter =
    "--front-matter all --section-pages --title 'Puzzle Days' --subtitle 'Volume One' "
    "--author 'Ana Lee' --publisher 'Lee Press' --isbn 978-0-306-40615-7";

// The page a manifest's puzzle string shows, row by row: its string runs down the page column
// by column.
std::string AsPrinted(const std::string& puzzle) {
  std::string page(81, '0');
  for (int i = 0; i < 9; ++i) {
    for (int j = 0; j < 9; ++j)
      page[static_cast<size_t>(j * 9 + i)] = puzzle[static_cast<size_t>(i * 9 + j)];
  }
  return page;
}

// Every canonical form a manifest holds.
std::set<std::string> Forms(const json& manifest) {
  std::set<std::string> forms;
  for (const json& p : manifest["puzzles"]) {
    if (p.contains("grids")) {
      for (const json& g : p["grids"]) forms.insert(g["canonical"].get<std::string>());
    } else {
      forms.insert(p["canonical"].get<std::string>());
    }
  }
  return forms;
}

TEST_F(WholeBook, SectionsAndFrontMatterReadBackFromThePdf) {
  const std::string pdf = Path("book.pdf");
  Result r = Book(std::string("--seed 3 ") + kSections + " " + kFrontMatter + " --manifest " +
                  Path("book.json") + " -o " + pdf);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Shell("qpdf --check " + pdf).status, 0);
  const std::vector<PageWords> pages = Words(pdf);
  EXPECT_EQ(pages.size() % 2, 0u) << "a print-ready book has whole leaves";
  const std::string text = Shell("pdftotext " + pdf + " -").out;
  for (const char* words :
       {"Puzzle Days", "Volume One", "Ana Lee", "Lee Press", "Copyright \xC2\xA9 2026 Ana Lee",
        "All rights reserved.", "ISBN 978-0-306-40615-7", "How to Play",
        "How to Play Samurai Sudoku", "holds every digit exactly", "Level: Easy"}) {
    EXPECT_NE(text.find(words), std::string::npos) << words;
  }
  EXPECT_EQ(text.find("Quorvel"), std::string::npos) << "the book names no program";

  // The contents: each entry's page shows what the entry names.
  const std::regex entry(R"(^(.+?) \.+ ?(\d+)$)");
  std::map<std::string, int> contents;
  std::istringstream lines(Shell("pdftotext -layout -f 3 -l 3 " + pdf + " -").out);
  for (std::string line; std::getline(lines, line);) {
    line = std::regex_replace(line, std::regex(R"(^\s+|\s+$)"), "");
    std::smatch m;
    if (std::regex_match(line, m, entry)) contents[m[1]] = std::stoi(m[2]);
  }
  ASSERT_EQ(contents.size(), 5u) << "How to Play, three sections, Answers";
  const std::map<std::string, int> first_puzzle = {
      {"Easy Sudoku", 1}, {"Hard Sudoku", 13}, {"Expert Samurai Sudoku", 18}};
  for (const auto& [name, first] : first_puzzle) {
    ASSERT_TRUE(contents.count(name)) << name;
    const std::vector<Block> blocks = BlocksOf(pages.at(static_cast<size_t>(contents[name] - 1)));
    ASSERT_FALSE(blocks.empty()) << name << " on page " << contents[name];
    EXPECT_EQ(blocks.front().number, first) << name;
  }
  EXPECT_NE(PageText(pages.at(static_cast<size_t>(contents["How to Play"] - 1))).find("Example"),
            std::string::npos);
  EXPECT_NE(
      PageText(pages.at(static_cast<size_t>(contents["Answers"] - 1))).find("Answers: Easy Sudoku"),
      std::string::npos);

  // Every Standard puzzle: its givens as its level gives them, its link to an answer that solves
  // it, and what the manifest says of it.
  const json manifest = Manifest("book.json");
  EXPECT_EQ(manifest["pages"].get<size_t>(), pages.size());
  ASSERT_EQ(manifest["puzzles"].size(), 19u);
  std::map<int, std::string> givens, answers;
  std::map<int, int> answer_pages;
  for (size_t p = 0; p < pages.size(); ++p) {
    for (const Block& b : BlocksOf(pages[p])) {
      if (b.answer_page > 0) {
        answer_pages[b.number] = b.answer_page;
        if (b.number <= 17) givens[b.number] = PuzzleGrid(b);
      } else if (b.number <= 17) {
        answers[b.number] = FullGrid(b.digits);
        EXPECT_EQ(answer_pages[b.number], static_cast<int>(p) + 1) << "answer " << b.number;
      }
    }
  }
  ASSERT_EQ(givens.size(), 17u);
  for (const auto& [k, puzzle] : givens) {
    SCOPED_TRACE("puzzle " + std::to_string(k));
    const json& m = manifest["puzzles"][static_cast<size_t>(k - 1)];
    EXPECT_EQ(m["level"], k <= 12 ? "easy" : "hard");
    EXPECT_EQ(AsPrinted(m["puzzle"]), puzzle) << "the manifest's puzzle is the printed one";
    EXPECT_EQ(AsPrinted(m["solution"]), answers[k]);
    EXPECT_EQ(m["answer_page"].get<int>(), answer_pages[k]);
    EXPECT_EQ(m["canonical"], puzzle::CanonicalForm(m["puzzle"].get<std::string>(),
                                                    m["solution"].get<std::string>()));
    EXPECT_TRUE(testing::IsValidSolution(answers[k]));
    const int count = static_cast<int>(81 - std::count(puzzle.begin(), puzzle.end(), '0'));
    // The banks' given counts: Easy from the Gentle bank, Hard from the Moderate one.
    EXPECT_GE(count, 17);
    EXPECT_LE(count, k <= 12 ? 32 : 36);
    for (size_t i = 0; i < 81; ++i) {
      if (puzzle[i] != '0') {
        EXPECT_EQ(puzzle[i], answers[k][i]) << "cell " << i;
      }
    }
  }
  for (int k : {18, 19}) {
    const json& m = manifest["puzzles"][static_cast<size_t>(k - 1)];
    EXPECT_EQ(m["kind"], "samurai");
    EXPECT_EQ(m["grids"].size(), 5u);
    EXPECT_GT(answer_pages[k], 0) << "Samurai " << k << " links its answer";
  }
}

TEST_F(WholeBook, APlanFileMakesTheSameBookAsTheCommandLine) {
  const std::string args =
      std::string(kSections) + " --front-matter title,contents --title 'Plans'";
  ASSERT_EQ(Make(args + " --save-plan " + Path("saved.toml") + " -o " + Path("cli.pdf")).status, 0);
  std::ofstream(Path("book.toml")) << "paper = \"6x9\"\nprint_ready = true\nseed = 11\n"
                                      "title = \"Plans\"\noutput = \"plan.pdf\"\n\n"
                                      "[front_matter]\ntitle = true\ncontents = true\n\n"
                                      "[[section]]\nkind = \"standard\"\nlevel = \"easy\"\n"
                                      "count = 12\nlayout = 2\n\n"
                                      "[[section]]\nlevel = \"hard\"\ncount = 5\n\n"
                                      "[[section]]\nkind = \"samurai\"\nlevel = 4\ncount = 2\n";
  Result r =
      Shell("cd / && SOURCE_DATE_EPOCH=1790000000 " QUORVEL_BOOK " --plan " + Path("book.toml"));
  ASSERT_EQ(r.status, 0) << r.out;
  r = Shell("SOURCE_DATE_EPOCH=1790000000 " QUORVEL_BOOK " --plan " + Path("saved.toml") + " -o " +
            Path("again.pdf"));
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string made = FileBytes(Path("cli.pdf"));
  EXPECT_EQ(FileBytes(Path("plan.pdf")), made) << "the plan's output is beside the plan";
  EXPECT_EQ(FileBytes(Path("again.pdf")), made) << "a saved plan makes the book again";
  // The command line overrides the file; a plan names its sections.
  std::ofstream(Path("named.toml")) << "title = \"Plans\"\npaper = \"a5\"\n"
                                       "[[section]]\nlevel = \"hard\"\ncount = 2\n"
                                       "name = \"Harder Puzzles\"\n"
                                       "[[section]]\nlevel = 1\ncount = 2\n";
  r = Shell(QUORVEL_BOOK " --plan " + Path("named.toml") + " --title Other -o " + Path("o.pdf"));
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string text = Shell("pdftotext " + Path("o.pdf") + " -").out;
  for (const char* words : {"Other", "Answers: Harder Puzzles", "Answers: Easy Sudoku"}) {
    EXPECT_NE(text.find(words), std::string::npos) << words;
  }
  EXPECT_EQ(text.find("Plans"), std::string::npos);

  struct Bad {
    std::string text, says;
  };
  const std::vector<Bad> bad = {
      {"paper = \"6x9\"\n\n[[section]]\nlevle = \"hard\"\ncount = 3\n",
       "bad.toml:4: unknown key 'levle' in [[section]]"},
      {"pages = \"ten\"\n", "bad.toml:1: 'pages' must be a whole number from 1 to 200"},
      {"pages = 300\n", "bad.toml:1: 'pages' must be a whole number from 1 to 200"},
      {"\nprint_ready = 1\n", "bad.toml:2: 'print_ready' must be true or false"},
      {"title = \"x\n", "bad.toml:1: not TOML"},
      {"[[section]]\nlevel = \"hardish\"\ncount = 3\n", "bad.toml:2: 'level' must be"},
      {"[[section]]\nkind = \"samurai\"\nlevel = 1\ncount = 3\nlayout = 4\n",
       "bad.toml:1: a Samurai section has 1 puzzle a page"},
      {"[front_matter]\nindex = true\n", "bad.toml:2: unknown key 'index' in [front_matter]"},
      {"colour = \"red\"\n", "bad.toml:1: unknown key 'colour'"},
  };
  for (const Bad& b : bad) {
    std::ofstream(Path("bad.toml"), std::ios::trunc) << b.text;
    const std::string command = "--plan " + Path("bad.toml") + " -o " + Path("bad.pdf");
    EXPECT_REFUSED(E2E::Book(command), b.text, b.says);
  }
  EXPECT_REFUSED(E2E::Book("--plan " + Path("none.toml") + " -o " + Path("bad.pdf")), "missing",
                 "none.toml: no such file");
  EXPECT_FALSE(fs::exists(Path("bad.pdf")));
}

TEST_F(WholeBook, AVolumeMadeWithExcludeSharesNoPuzzleWithTheOnesBefore) {
  const std::string sections = "--section standard:hard:40:4 --section samurai:hard:4";
  ASSERT_EQ(
      Make(sections + " --unique --manifest " + Path("v1.json") + " -o " + Path("v1.pdf")).status,
      0);
  ASSERT_EQ(Make(sections + " --exclude " + Path("v1.json") + " --manifest " + Path("v2.json") +
                 " -o " + Path("v2.pdf"))
                .status,
            0);
  ASSERT_EQ(Make(sections + " --exclude " + Path("v1.json") + " " + Path("v2.json") +
                 " --manifest " + Path("v3.json") + " -o " + Path("v3.pdf"))
                .status,
            0);
  const std::set<std::string> v1 = Forms(Manifest("v1.json")), v2 = Forms(Manifest("v2.json")),
                              v3 = Forms(Manifest("v3.json"));
  EXPECT_EQ(v1.size(), 60u) << "40 Standard puzzles and 4 Samurai of five grids, none twice";
  EXPECT_EQ(v2.size(), 60u);
  for (const std::string& form : v2) EXPECT_FALSE(v1.count(form));
  for (const std::string& form : v3) EXPECT_FALSE(v1.count(form) || v2.count(form));
  // Volume 3 read back: its printed puzzles are its manifest's.
  const json m3 = Manifest("v3.json");
  const std::vector<PageWords> pages = Words(Path("v3.pdf"));
  int read = 0;
  for (const PageWords& page : pages) {
    for (const Block& b : BlocksOf(page)) {
      if (b.answer_page == 0 || b.number > 40) continue;
      EXPECT_EQ(PuzzleGrid(b),
                AsPrinted(m3["puzzles"][static_cast<size_t>(b.number - 1)]["puzzle"]));
      ++read;
    }
  }
  EXPECT_EQ(read, 40);

  // Files that are not this program's manifests, and a book the banks cannot give without the
  // excluded puzzles: 2,445 Hard bank lines where 2,440 are left.
  std::ofstream(Path("other.json")) << "{\"program\": \"Other\", \"puzzles\": []}";
  EXPECT_REFUSED(Book("--exclude " + Path("other.json") + " -o " + Path("x.pdf")), "other",
                 "other.json is not a manifest of this program");
  EXPECT_REFUSED(Book("--exclude " + Path("v1.toml") + " -o " + Path("x.pdf")), "missing",
                 "v1.toml: cannot read the manifest");
  const std::string hard = "--section standard:hard:800:4 ";
  EXPECT_REFUSED(Book(hard + hard + hard + "--section samurai:hard:9 --answers-per-page 12 " +
                      "--exclude " + Path("v1.json") + " -o " + Path("x.pdf")),
                 "too many",
                 "the banks have 2440 Hard Sudoku puzzles left besides the 60 excluded");
  EXPECT_REFUSED(Book("--section standard:hard:4 --manifest " + Path("v1.json") + " --exclude " +
                      Path("v1.json") + " --force -o " + Path("x.pdf")),
                 "overwrite", "is an excluded manifest");
  EXPECT_FALSE(fs::exists(Path("x.pdf")));
}

TEST_F(WholeBook, EveryVariantPrintsProvenPuzzlesWithTheirRulesAndAnswers) {
  const std::string sections =
      "--section x:hard:4:2 --section jigsaw:expert:2:1 --section 6x6:easy:8:4 "
      "--section 4x4:very-easy:6:4 ";
  const std::string pdf = Path("variants.pdf");
  Result r = Make(sections + "--unique --front-matter all --manifest " + Path("variants.json") +
                  " -o " + pdf);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Shell("qpdf --check " + pdf).status, 0);
  // Cell rules of 0.84 pt, Jigsaw regions and boxes of 2.16 pt, X-Sudoku's diagonal cells
  // shaded 15% grey.
  const std::string content = Shell("qpdf --qdf --object-streams=disable " + pdf + " -").out;
  std::set<double> widths, greys;
  const std::regex width(R"(([0-9.]+) w\b)"), grey(R"(\b([0-9.]+) G\b)");
  for (std::sregex_iterator it(content.begin(), content.end(), width), e; it != e; ++it) {
    widths.insert(std::stod((*it)[1]));
  }
  for (std::sregex_iterator it(content.begin(), content.end(), grey), e; it != e; ++it) {
    greys.insert(std::stod((*it)[1]));
  }
  ASSERT_FALSE(widths.empty());
  EXPECT_GE(*widths.begin(), 0.75);
  EXPECT_TRUE(widths.count(2.16)) << "heavy region borders";
  EXPECT_TRUE(std::any_of(greys.begin(), greys.end(), [](double g) {
    return g >= 0.8 && g <= 0.9;
  })) << "a shading of 10% to 20% grey";
  const std::string text = Shell("pdftotext " + pdf + " -").out;
  for (const char* words : {"How to Play X-Sudoku", "How to Play Jigsaw Sudoku",
                            "How to Play 6x6 Sudoku", "How to Play 4x4 Sudoku", "Hard X-Sudoku",
                            "Expert Jigsaw Sudoku", "Easy 6x6 Sudoku", "Very Easy 4x4 Sudoku"}) {
    EXPECT_NE(text.find(words), std::string::npos) << words;
  }

  // Every puzzle read back from its page and its answer page is the manifest's, its only
  // solution under its own rules is its answer.
  const json manifest = Manifest("variants.json");
  ASSERT_EQ(manifest["puzzles"].size(), 20u);
  struct Expect {
    int first, last, n;
    const char *kind, *level;
  };
  const Expect kinds[] = {{1, 4, 9, "x", "hard"},
                          {5, 6, 9, "jigsaw", "expert"},
                          {7, 14, 6, "6x6", "easy"},
                          {15, 20, 4, "4x4", "very-easy"}};
  auto expect_of = [&](int number) -> const Expect& {
    for (const Expect& e : kinds) {
      if (number >= e.first && number <= e.last) return e;
    }
    return kinds[0];
  };
  std::map<int, std::string> givens, answers;
  const std::vector<PageWords> pages = Words(pdf);
  for (const PageWords& page : pages) {
    for (const Block& b : BlocksOf(page)) {
      const int n = expect_of(b.number).n;
      if (b.answer_page > 0) {
        givens[b.number] = PuzzleGrid(b, n);
        // Children's digits are large: 16 pt or more on 6x9 (a box of 16 pt type is taller).
        if (n < 9) {
          for (const Word& w : b.digits) EXPECT_GE(w.y1 - w.y0, 16) << "puzzle " << b.number;
        }
      } else {
        answers[b.number] = FullGrid(b.digits, static_cast<size_t>(n));
      }
    }
  }
  ASSERT_EQ(givens.size(), 20u);
  ASSERT_EQ(answers.size(), 20u);
  for (const auto& [k, puzzle] : givens) {
    SCOPED_TRACE("puzzle " + std::to_string(k));
    const Expect& e = expect_of(k);
    const json& m = manifest["puzzles"][static_cast<size_t>(k - 1)];
    EXPECT_EQ(m["kind"], e.kind);
    EXPECT_EQ(m["level"], e.level);
    EXPECT_EQ(m["size"], e.n);
    EXPECT_EQ(m["puzzle"], puzzle);
    EXPECT_EQ(m["solution"], answers[k]);
    const puzzle::PuzzleKind kind = *puzzle::KindFromKey(e.kind);
    const std::string layout = m.value("layout", "");
    EXPECT_EQ(layout.size(), kind == puzzle::PuzzleKind::kJigsaw ? 81u : 0u);
    std::string solution;
    const tools::ConstraintSolver solver(puzzle::VariantGeometry(kind, layout));
    EXPECT_EQ(solver.CountSolutions(puzzle, 2, &solution), 1);
    EXPECT_EQ(solution, answers[k]);
    EXPECT_EQ(m["canonical"],
              puzzle::VariantForm(kind, puzzle::VariantLine(kind, {puzzle, solution, layout})));
  }

  // A cover shows the book's first puzzle as the book prints it: a 4x4 book's, on its own grid
  // and row by row.
  ASSERT_EQ(Make("--section 4x4:easy:100:4 --manifest " + Path("four.json") + " --cover " +
                 Path("cover.pdf") + " -o " + Path("four.pdf"))
                .status,
            0);
  const std::vector<PageWords> cover = Words(Path("cover.pdf"));
  ASSERT_EQ(cover.size(), 1u);
  double right = 0;
  for (const Word& w : cover[0]) right = std::max(right, w.x);
  std::vector<Word> front;
  for (const Word& w : cover[0]) {
    if (w.x > right / 2 + 0.5 && w.text.size() == 1 && w.text[0] >= '1' && w.text[0] <= '4') {
      front.push_back(w);
    }
  }
  std::sort(front.begin(), front.end(), [](const Word& a, const Word& b) {
    return std::fabs(a.y - b.y) > 0.1 ? a.y < b.y : a.x < b.x;
  });
  std::string shown, givens_of_first = Manifest("four.json")["puzzles"][0]["puzzle"];
  for (const Word& w : front) shown += w.text;
  givens_of_first.erase(std::remove(givens_of_first.begin(), givens_of_first.end(), '0'),
                        givens_of_first.end());
  EXPECT_EQ(shown, givens_of_first);

  // The next volume, made with --exclude, shares none of them.
  ASSERT_EQ(Make(sections + "--exclude " + Path("variants.json") + " --manifest " +
                 Path("next.json") + " -o " + Path("next.pdf"))
                .status,
            0);
  const std::set<std::string> first = Forms(manifest), next = Forms(Manifest("next.json"));
  EXPECT_EQ(first.size(), 20u) << "a book of different puzzles";
  EXPECT_EQ(next.size(), 20u);
  for (const std::string& form : next) EXPECT_FALSE(first.count(form));
  // The 4x4 very-easy bank's 1,000 lines, all of them left once the book's 6 are excluded.
  const std::string half = "--section 4x4:very-easy:500:4 ";
  EXPECT_REFUSED(Make(half + half + "--exclude " + Path("variants.json") + " -o " + Path("x.pdf")),
                 "4x4 excluded",
                 "the banks have 994 Very Easy 4x4 Sudoku puzzles left besides the 6 excluded");
}

TEST_F(WholeBook, BadInputIsRefusedBeforeAnyWork) {
  struct Bad {
    std::string args, says;
  };
  const std::vector<Bad> bad = {
      {"--section standard:hardish:50", "unknown level \"hardish\""},
      {"--section standard:hard:0", "the count must be a whole number"},
      {"--section samurai:hard:5:4", "a Samurai section has 1 puzzle a page"},
      {"--section standard:hard", "is not KIND:LEVEL:COUNT"},
      {"--section mini:hard:5", "unknown kind \"mini\""},
      {"--section standard:hard:801:4", "at most 200 pages of puzzles"},
      {"--section standard:easy:800:4 --section standard:hard:200:1 --section samurai:hard:200 "
       "--answers-per-page 4",
       "a book has at most 828 pages; this one has 950"},
      {"--isbn 978-0-306-40615-8", "check digit 8 where 7 belongs"},
      {"--isbn 12345", "has 5 digits; an ISBN has 10 or 13"},
      {"--isbn 0-306-40615-X", "check digit X where 2 belongs"},
      {"--design classic --section standard:easy:4", "--section needs the book design"},
      {"--design classic --front-matter title", "front matter needs the book design"},
      {"--front-matter title,index", "unknown front matter \"index\""},
      {"--section 4x4:hard:10", "4x4 Sudoku has no level hard; its levels are very-easy and easy"},
      {"--section 6x6:expert:4", "its levels are very-easy, easy, standard and hard"},
      {"--section x:hard:10:1c", "candidates are printed for Standard puzzles only"},
      {"--section kakuro:easy:3", "use standard, samurai, x, jigsaw, 4x4 or 6x6"},
  };
  for (const Bad& b : bad) {
    EXPECT_REFUSED(Book(b.args + " -o " + Path("x.pdf")), b.args, b.says);
  }
  EXPECT_FALSE(fs::exists(Path("x.pdf")));
  // A valid ISBN-10 ending in X is taken.
  EXPECT_EQ(
      Book("--isbn 0-8044-2957-X --front-matter copyright --pages 1 -o " + Path("x.pdf")).status,
      0);
}

}  // namespace
}  // namespace quorvel
