// End-to-end: the real quorvel-book program, its PDF checked with qpdf and poppler's pdftotext.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "e2e_util.h"
#include "test_util.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

TEST_F(E2E, StandardLayoutsAndPageCounts) {
  struct Case {
    std::string args;
    int P, U, pages;
    std::string title;
  };
  for (const Case& k :
       {Case{"--pages 1", 1, 1, 2, "Very Easy Sudoku by Quorvel Pro"},
        Case{"--pages 3 --per-page 2 --level hard", 3, 2, 5, "Hard Sudoku by Quorvel Pro"},
        Case{"--pages 4 --per-page 4 --level 5", 4, 4, 8, "Extreme Sudoku by Quorvel Pro"},
        Case{"--pages 2 --level easy --candidates", 2, 1, 3, "Easy Sudoku by Quorvel Pro"},
        Case{"--level standard", 20, 1, 25, "Standard Sudoku by Quorvel Pro"}}) {
    std::string pdf = Path("book.pdf");
    Result r = Book(k.args + " --force -o " + pdf);
    ASSERT_EQ(r.status, 0) << k.args << "\n" << r.out;
    EXPECT_EQ(r.out, "") << "quiet when stderr is not a terminal";
    Result check = Shell("qpdf --check " + pdf);
    EXPECT_EQ(check.status, 0) << check.out;
    std::vector<PageWords> pages = Words(pdf);
    ASSERT_EQ(static_cast<int>(pages.size()), k.pages) << k.args;
    for (int p = 0; p < k.pages; ++p) {
      std::string text = PageText(pages[p]);
      EXPECT_NE(text.find(k.title.substr(0, k.title.find(' '))), std::string::npos) << text;
      EXPECT_NE(text.find("www.tessaly.example"), std::string::npos);
      EXPECT_EQ(text.find("Answers") != std::string::npos, p >= k.P) << k.args << " page " << p + 1;
      int first = p < k.P ? p * k.U + 1 : (p - k.P) * 4 + 1;
      int count = p < k.P ? k.U : 4;
      for (int h = first; h < first + count; ++h) {
        EXPECT_NE(text.find("Sudoku #" + std::to_string(h) + " "), std::string::npos)
            << k.args << " page " << p + 1 << " heading " << h;
      }
    }
    Result plain = Shell("pdftotext " + pdf + " -");
    EXPECT_NE(plain.out.find(k.title), std::string::npos) << k.args;
    if (k.args.find("--candidates") == std::string::npos) CheckAnswers(pages, k.P, k.U);
  }
}

TEST_F(E2E, LargestStandardBook) {
  std::string pdf = Path("big.pdf");
  Result r = Book("--pages 200 --per-page 4 --level expert -o " + pdf);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Shell("qpdf --check " + pdf).status, 0);
  std::vector<PageWords> pages = Words(pdf);
  ASSERT_EQ(pages.size(), 400u);
  std::string last = PageText(pages.back());
  for (int h = 797; h <= 800; ++h) {
    EXPECT_NE(last.find("Sudoku #" + std::to_string(h) + " "), std::string::npos) << h;
  }
  EXPECT_EQ(CheckAnswers(pages, 200, 4), 800);
}

TEST_F(E2E, SamuraiBooks) {
  for (int n : {1, 3}) {
    std::string pdf = Path("samurai" + std::to_string(n) + ".pdf");
    Result r = Book("--samurai --level tough --pages " + std::to_string(n) + " -o " + pdf);
    // "tough" is not a level name: the command refuses it.
    ASSERT_EQ(r.status, 2) << r.out;
    r = Book("--samurai --level expert --pages " + std::to_string(n) + " -o " + pdf);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Shell("qpdf --check " + pdf).status, 0);
    std::vector<PageWords> pages = Words(pdf);
    ASSERT_EQ(static_cast<int>(pages.size()), 2 * n);
    // The five grids in the 21 x 21 field: (column, row) offsets in cells.
    const int offsets[5][2] = {{6, 6}, {0, 0}, {12, 0}, {0, 12}, {12, 12}};
    for (int k = 0; k < n; ++k) {
      std::string puzzle_text = PageText(pages[k]), answer_text = PageText(pages[n + k]);
      EXPECT_NE(puzzle_text.find("Expert Sudoku by Quorvel Pro"), std::string::npos);
      EXPECT_NE(puzzle_text.find("Sudoku #" + std::to_string(k + 1) + " "), std::string::npos);
      EXPECT_EQ(puzzle_text.find("Answers"), std::string::npos);
      EXPECT_NE(answer_text.find("Answers"), std::string::npos);
      EXPECT_NE(answer_text.find("Sudoku #" + std::to_string(k + 1) + " "), std::string::npos);
      EXPECT_NE(answer_text.find("www.tessaly.example"), std::string::npos);
      std::string puzzle = Field(pages[k], 0.5, 2.29, 0.35, 21);
      std::string answer = Field(pages[n + k], 0.5, 2.29, 0.35, 21);
      for (const auto& o : offsets) {
        std::string grid(81, '0'), givens(81, '0');
        for (int r = 0; r < 9; ++r) {
          for (int c = 0; c < 9; ++c) {
            size_t at = static_cast<size_t>((o[1] + r) * 21 + o[0] + c);
            grid[r * 9 + c] = answer[at];
            givens[r * 9 + c] = puzzle[at];
          }
        }
        EXPECT_TRUE(testing::IsValidSolution(grid)) << "page " << k + 1 << " " << grid;
        for (int i = 0; i < 81; ++i) {
          if (givens[i] != '0') {
            EXPECT_EQ(givens[i], grid[i]);
          }
        }
      }
    }
  }
}

TEST_F(E2E, ProgressBarOnATerminal) {
  // script(1) gives the program a terminal for stderr.
  Result r =
      Shell("XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
            " script -qec '" QUORVEL_BOOK " --pages 2 -o " + Path("tty.pdf") + "' /dev/null");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Create Sudoku Puzzles,Please wait"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Create Answers - 1/1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("] 100% Done"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(Path("tty.pdf")));
}

TEST_F(E2E, SeedMakesTheBookReproducible) {
  auto bytes = [&](const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The creation date is the one part that may differ.
    return std::regex_replace(s, std::regex(R"(/CreationDate \(D:\d{14}\))"), "");
  };
  ASSERT_EQ(Book("--seed 42 --pages 3 --per-page 2 -o " + Path("a.pdf")).status, 0);
  ASSERT_EQ(Book("--seed 42 --pages 3 --per-page 2 -o " + Path("b.pdf")).status, 0);
  ASSERT_EQ(Book("--seed 43 --pages 3 --per-page 2 -o " + Path("c.pdf")).status, 0);
  ASSERT_EQ(Book("--seed 42 --samurai --pages 2 -o " + Path("d.pdf")).status, 0);
  ASSERT_EQ(Book("--seed 42 --samurai --pages 2 -o " + Path("e.pdf")).status, 0);
  EXPECT_EQ(bytes("a.pdf"), bytes("b.pdf"));
  EXPECT_NE(bytes("a.pdf"), bytes("c.pdf"));
  EXPECT_EQ(bytes("d.pdf"), bytes("e.pdf"));
}

TEST_F(E2E, BadInputChangesNothing) {
  std::string existing = Path("existing.pdf");
  std::ofstream(existing) << "keep me";
  fs::create_directories(dir_ / "locked");
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  struct Case {
    std::string args;
    std::string says;
  };
  const Case cases[] = {
      {"--pages 0 -o " + Path("x.pdf"), "--pages"},
      {"--pages 201 -o " + Path("x.pdf"), "1 to 200"},
      {"--per-page 3 -o " + Path("x.pdf"), "{1,2,4}"},
      {"--level impossible -o " + Path("x.pdf"), "very-easy, easy, standard, hard"},
      {"--per-page 2 --candidates -o " + Path("x.pdf"), "--candidates"},
      {"--samurai --per-page 4 -o " + Path("x.pdf"), "--samurai"},
      {"--colour -o " + Path("x.pdf"), "--colour"},
      {"--pages 2", "--output"},
      {"-o " + existing, "--force"},
      {"-o " + Path("missing/x.pdf"), "does not exist"},
      {"-o ''", "empty"},
      {"-o " + Path("locked") + "/", "ends in \"/\""},
      {"-o /", "ends in \"/\""},
      {"-o " + Path("locked"), "is a folder"},
      {"-o " + Path("locked.pdf"), "is a folder"},
      // Empty values are bad values.
      {"--per-page '' -o " + Path("x.pdf"), "--per-page: an empty value"},
      {"--seed '' -o " + Path("x.pdf"), "--seed: an empty value"},
      {"--pages '' -o " + Path("x.pdf"), "--pages: an empty value"},
      {"--level '' -o " + Path("x.pdf"), "--level: an empty value"},
      {"--paper '' -o " + Path("x.pdf"), "--paper: an empty value"},
      // 252 bytes and ".pdf" are one byte too many for a file name.
      {"-o " + Path(std::string(252, 'n')), "is too long: 256 bytes, at most 255"},
      {"-o " + Path(std::string(300, 'n') + ".pdf"), "is too long: 304 bytes"},
      // A link leading nowhere is an existing file.
      {"-o " + Path("dangling.pdf"), "--force"},
      {"--design classic --paper 4x11.69 -o " + Path("x.pdf"),
       "no paper of this shape up to 8.5x11.69 in"},
  };
  fs::create_directories(dir_ / "locked.pdf");
  fs::create_symlink(dir_ / "nowhere.pdf", dir_ / "dangling.pdf");
  for (const Case& k : cases) {
    Result r = Book(k.args);
    EXPECT_EQ(r.status, 2) << k.args << "\n" << r.out;
    EXPECT_NE(r.out.find(k.says), std::string::npos) << k.args << "\n" << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << k.args << "\n" << r.out;
  }
  // SOURCE_DATE_EPOCH only as a date a PDF can hold; --help and --version fail when their
  // output cannot be written.
  for (const char* epoch : {"253402300800", "-5", "12abc", "", " 1"}) {
    Result r = Shell(std::string("SOURCE_DATE_EPOCH='") + epoch + "' XDG_RUNTIME_DIR=" +
                     (dir_ / "run").string() + " " QUORVEL_BOOK " --pages 1 -o " + Path("x.pdf"));
    EXPECT_EQ(r.status, 2) << epoch << "\n" << r.out;
    EXPECT_EQ(r.out, std::string("quorvel-book: SOURCE_DATE_EPOCH must be a whole number of "
                                 "seconds from 0 to 253402300799, not \"") +
                         epoch + "\"\n");
  }
  ASSERT_EQ(Shell("SOURCE_DATE_EPOCH=253402300799 XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
                  " " QUORVEL_BOOK " --pages 1 -o " + Path("last.pdf"))
                .status,
            0);
  EXPECT_NE(FileBytes(Path("last.pdf")).find("/CreationDate (D:99991231235959)"),
            std::string::npos);
  for (const char* flag : {"--help", "--version"}) {
    Result r = Shell(std::string("(" QUORVEL_BOOK " ") + flag + " >/dev/full)");
    EXPECT_EQ(r.status, 1) << flag << "\n" << r.out;
    EXPECT_NE(r.out.find("No space left on device"), std::string::npos) << r.out;
  }
  EXPECT_FALSE(fs::exists(Path("x.pdf")));
  EXPECT_FALSE(fs::exists(Path("nowhere.pdf")));
  // The longest name a file system takes works.
  ASSERT_EQ(Book("--pages 1 -o " + Path(std::string(251, 'n'))).status, 0);
  EXPECT_TRUE(fs::exists(Path(std::string(251, 'n') + ".pdf")));

  if (getuid() != 0) {
    // Root may write anywhere, so the locked folder only refuses other users.
    Result r = Book("-o " + (dir_ / "locked" / "x.pdf").string());
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("cannot be written"), std::string::npos) << r.out;
    // A read-only book is refused before any work, even with --force.
    fs::permissions(existing, fs::perms::owner_read);
    r = Book("--force -o " + existing);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("read-only"), std::string::npos) << r.out;
    fs::permissions(existing, fs::perms::owner_read | fs::perms::owner_write);
  }
  EXPECT_FALSE(fs::exists(Path("x.pdf")));
  std::ifstream in(existing);
  std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "keep me");
  // ".pdf" is added unless the name ends in it; --force replaces the existing file.
  for (const auto& [name, file] :
       std::vector<std::pair<std::string, std::string>>{{"named", "named.pdf"},
                                                        {"'Sudoku Vol.1'", "Sudoku Vol.1.pdf"},
                                                        {"dotted.", "dotted.pdf"},
                                                        {"UPPER.PDF", "UPPER.PDF"}}) {
    ASSERT_EQ(Book("--pages 1 -o " + Path(name)).status, 0) << name;
    EXPECT_TRUE(fs::exists(Path(file))) << file;
  }
  ASSERT_EQ(Book("--pages 1 --force -o " + existing).status, 0);
  EXPECT_GT(fs::file_size(existing), 1000u);
  Result help = Book("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--per-page"), std::string::npos);
  Result version = Book("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quorvel-book (Quorvel Pro) 2.6\n");
}

TEST_F(E2E, NoPrivateFolderStopsBeforeAnyWork) {
  // The private folder cannot be made when the temporary folder is a file.
  std::ofstream(Path("not-a-folder")) << "x";
  Result r = Shell("env -u XDG_RUNTIME_DIR TMPDIR=" + Path("not-a-folder") +
                   " " QUORVEL_BOOK " --pages 1 -o " + Path("x.pdf"));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("Cannot create the folder " + Path("not-a-folder")), std::string::npos)
      << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_FALSE(fs::exists(Path("x.pdf")));
}

TEST_F(E2E, AFailedOverwriteKeepsTheOldBook) {
  std::string old = Path("book.pdf");
  ASSERT_EQ(Book("--pages 1 --seed 7 -o " + old).status, 0);
  std::string before = FileBytes(old);
  // A file-size limit stands in for a full disk; SIGXFSZ ignored turns it into write errors.
  Result r = Shell("trap '' XFSZ; ulimit -f 200; XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
                   " " QUORVEL_BOOK " --pages 200 --per-page 4 --force -o " + old);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("File too large"), std::string::npos) << r.out;
  EXPECT_EQ(FileBytes(old), before);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST_F(E2E, RunsAtTheSameTimeKeepTheirOwnBooks) {
  // Standard and Samurai books of several levels, all started at once by one user.
  struct Run {
    std::string args, title;
    int pages;
  };
  const Run runs[] = {{"--pages 30 --per-page 4 --level hard", "Hard Sudoku", 60},
                      {"--samurai --pages 12 --level expert", "Expert Sudoku", 24},
                      {"--pages 25 --level extreme --candidates", "Extreme Sudoku", 32},
                      {"--samurai --pages 3 --level easy", "Easy Sudoku", 6},
                      {"--pages 40 --per-page 2 --level standard", "Standard Sudoku", 60},
                      {"--pages 2 --level very-easy", "Very Easy Sudoku", 3}};
  for (int round = 0; round < 3; ++round) {
    std::string script;
    for (size_t i = 0; i < std::size(runs); ++i) {
      std::string n = std::to_string(i);
      script += "(XDG_RUNTIME_DIR=" + (dir_ / "run").string() + " " QUORVEL_BOOK " " +
                runs[i].args + " --force -o " + Path("run" + n + ".pdf") + "; echo $? > " +
                Path("run" + n + ".rc") + ") & ";
    }
    ASSERT_EQ(Shell(script + "wait").status, 0);
    for (size_t i = 0; i < std::size(runs); ++i) {
      std::string n = std::to_string(i);
      EXPECT_EQ(FileBytes(Path("run" + n + ".rc")), "0\n") << runs[i].args;
      std::vector<PageWords> pages = Words(Path("run" + n + ".pdf"));
      ASSERT_EQ(static_cast<int>(pages.size()), runs[i].pages) << runs[i].args;
      for (const PageWords& page : pages) {
        EXPECT_NE(PageText(page).find(runs[i].title + " by Quorvel Pro"), std::string::npos)
            << runs[i].args;
      }
    }
  }
  // The last run's recording is where the README says, and no run left its own file behind.
  int recordings = 0;
  for (const auto& entry : fs::directory_iterator(dir_ / "run")) {
    EXPECT_EQ(entry.path().filename(), "tessalyquorvel.pgs");
    ++recordings;
  }
  EXPECT_EQ(recordings, 1);
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

// Fixed-seed books with a fixed date are the same to the byte from version to version: the
// PDF and the page stream, by the first 64 bits of their SHA-256.
TEST_F(E2E, FixedBooksKeepTheirBytes) {
  struct Case {
    std::string name, args, pdf, pgs;
  };
  const Case cases[] = {
      {"std4", "--seed 42 --pages 200 --per-page 4 --level extreme", "7566506e774c2a9f",
       "bff71d5a5e580e0e"},
      {"samurai", "--seed 42 --samurai --pages 200 --level hard", "dc73630249b48cc1",
       "7b59568e1b82e5c0"},
      {"cand", "--seed 7 --pages 3 --candidates --level expert", "03531310f46a9d7d",
       "c645d84b7571e06c"},
      {"two", "--seed 8 --pages 5 --per-page 2", "e53c29ec693cf851", "f92a7c83c6be7a6f"},
      {"ready", "--seed 9 --samurai --pages 12 --paper 6x9 --print-ready --unique --design classic",
       "3f145ac0eaeb4292", "8bde443d8ac41eb2"},
  };
  auto sha = [](const std::string& path) {
    return Shell("sha256sum < '" + path + "' | cut -c1-16").out.substr(0, 16);
  };
  // Beside each pinned file, a digest of every page's content: when the file changes, the
  // first page that changed is named and shown. QUORVEL_WRITE_GOLDEN=1 writes them anew.
  const bool write = std::getenv("QUORVEL_WRITE_GOLDEN") != nullptr;
  for (const Case& k : cases) {
    std::string pdf = Path(k.name + ".pdf");
    Result r = Shell("SOURCE_DATE_EPOCH=1800000000 XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
                     " " QUORVEL_BOOK " " + k.args + " -o " + pdf);
    ASSERT_EQ(r.status, 0) << k.args << "\n" << r.out;
    const std::string pages_file = std::string(QUORVEL_GOLDEN "/") + k.name + ".pages";
    const std::vector<std::string> digests = testing::PageDigests(FileBytes(pdf));
    if (write) std::ofstream(pages_file) << testing::JoinLines(digests);
    if (sha(pdf) != k.pdf) {
      ADD_FAILURE() << k.args << ": the file changed; "
                    << testing::FirstChangedPage(digests, FileBytes(pages_file), pdf);
    }
    EXPECT_EQ(sha((dir_ / "run" / "tessalyquorvel.pgs").string()), k.pgs) << k.args;
  }
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST_F(E2E, ThePublishersWordsInTheClassicDesign) {
  // The title, footer and author replace the program's words, accents included; a long text is
  // shrunk to fit, no smaller than 7 pt.
  const std::string pdf = Path("words.pdf");
  Result r = Book(
      "--pages 2 --per-page 4 --title 'Sudoku für Kinder, Band 2' "
      "--footer 'Rätselverlag Nord' --author 'Jörg Ämter' -o " +
      pdf);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Shell("qpdf --check " + pdf).status, 0);
  std::vector<PageWords> pages = Words(pdf);
  ASSERT_EQ(pages.size(), 4u);
  for (const PageWords& page : pages) {
    std::string text = PageText(page);
    EXPECT_NE(text.find("Sudoku für Kinder, Band 2"), std::string::npos) << text;
    EXPECT_NE(text.find("Rätselverlag Nord"), std::string::npos) << text;
    EXPECT_EQ(text.find("Quorvel"), std::string::npos) << text;
    EXPECT_EQ(text.find("tessaly"), std::string::npos) << text;
    for (const Word& w : page) EXPECT_LE(w.x1, 8.5 * 72) << w.text;
  }
  Result info = Shell("pdfinfo " + pdf);
  EXPECT_NE(info.out.find("Title:           Sudoku für Kinder, Band 2"), std::string::npos);
  EXPECT_NE(info.out.find("Author:          Jörg Ämter"), std::string::npos);
  const std::string longer(60, 'W');
  r = Book("--pages 1 --title 'A title that runs on and on and on and on and on and on' -o " +
           Path("long.pdf"));
  ASSERT_EQ(r.status, 0) << r.out;
  Result sizes = Shell("qpdf --qdf " + Path("long.pdf") + " - | grep -a ' Tf' | sort -u");
  EXPECT_EQ(sizes.out.find("/F1 0006 Tf"), std::string::npos) << sizes.out;

  // Refused before any work, one line each.
  struct Case {
    std::string args, says;
  };
  for (const Case& c :
       {Case{"--title " + longer, "the title is too long for its place: "},
        Case{"--footer " + longer, "the footer is too long for its place"},
        Case{"--title ''", "a book needs a title"}, Case{"--footer ''", "--footer: an empty value"},
        Case{"--title '日本の数独'", "a character the pages cannot print"}}) {
    EXPECT_REFUSED(Book(c.args + " -o " + Path("refused.pdf")), c.args, c.says);
  }
  EXPECT_FALSE(fs::exists(Path("refused.pdf")));
}

}  // namespace
}  // namespace quorvel
