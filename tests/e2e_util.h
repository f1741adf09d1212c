// Helpers of the end-to-end tests: running the real quorvel-book, reading its PDF back with
// poppler's pdftotext, and the grids printed on a page.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace quorvel {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
};

inline Result Shell(const std::string& command) {
  Result r{0, ""};
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class E2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quorvel_e2e_" + std::to_string(getpid()));
    fs::create_directories(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Runs quorvel-book with its page stream in a private folder of the test.
  Result Book(const std::string& args) {
    return Shell("XDG_RUNTIME_DIR=" + (dir_ / "run").string() + " " QUORVEL_BOOK " " + args);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

// Runs quorvel-book with `args` and checks that it refuses them before any work: exit 2 and one
// line that holds `says`.
#define EXPECT_REFUSED(result, args, says)                                                    \
  do {                                                                                        \
    const Result& refused_ = (result);                                                        \
    EXPECT_EQ(refused_.status, 2) << (args) << "\n" << refused_.out;                          \
    EXPECT_NE(refused_.out.find(says), std::string::npos) << (args) << "\n" << refused_.out;  \
    EXPECT_EQ(std::count(refused_.out.begin(), refused_.out.end(), '\n'), 1) << refused_.out; \
  } while (false)

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Word {
  double x, y;  // centre, in inches from the top-left corner
  std::string text;
  double x0, y0, x1, y1;  // the box, in points from the top-left corner
};
using PageWords = std::vector<Word>;

inline std::vector<PageWords> Words(const std::string& pdf) {
  // Its warnings (a blank page has "no word list") stay out of the words.
  Result r = Shell("(pdftotext -bbox " + pdf + " - 2>/dev/null)");
  EXPECT_EQ(r.status, 0) << r.out.substr(0, 500);
  std::vector<PageWords> pages;
  std::regex word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  size_t at = 0;
  while ((at = r.out.find("<page ", at)) != std::string::npos) {
    size_t end = r.out.find("</page>", at);
    std::string body = r.out.substr(at, end - at);
    PageWords words;
    for (std::sregex_iterator it(body.begin(), body.end(), word), e; it != e; ++it) {
      const std::smatch& m = *it;
      double x0 = std::stod(m[1]), y0 = std::stod(m[2]), x1 = std::stod(m[3]), y1 = std::stod(m[4]);
      words.push_back({(x0 + x1) / 2 / 72, (y0 + y1) / 2 / 72, m[5], x0, y0, x1, y1});
    }
    pages.push_back(words);
    at = end;
  }
  return pages;
}

inline std::string PageText(const PageWords& words) {
  std::string s;
  for (const Word& w : words) s += w.text + " ";
  return s;
}

// The digits of an n x n field of cells of side c from (x0, y0), row-major, "0" where empty.
inline std::string Field(const PageWords& words, double x0, double y0, double c, int n = 9) {
  std::string f(static_cast<size_t>(n * n), '0');
  for (const Word& w : words) {
    if (w.text.size() != 1 || w.text[0] < '1' || w.text[0] > '9') continue;
    int col = static_cast<int>(std::floor((w.x - x0) / c));
    int row = static_cast<int>(std::floor((w.y - y0) / c));
    if (col < 0 || row < 0 || col >= n || row >= n) continue;
    f[static_cast<size_t>(row * n + col)] = w.text[0];
  }
  return f;
}

struct Origin {
  double x0, y0, c;
};
// Answer slots, and the puzzle blocks of each layout by their place on the page.
constexpr Origin kSlots[4] = {
    {0.5, 1.59, 0.4}, {4.5, 1.59, 0.4}, {0.5, 5.99, 0.4}, {4.5, 5.99, 0.4}};

// Checks that every puzzle's givens stand in its answer grid and that the answer is a valid
// Sudoku; returns the number of puzzles checked.
inline int CheckAnswers(const std::vector<PageWords>& pages, int P, int U) {
  int n = P * U;
  int A = (n + 3) / 4;
  EXPECT_EQ(static_cast<int>(pages.size()), P + A);
  for (int k = 1; k <= n; ++k) {
    int q = (k - 1) / U;
    Origin at = U == 1   ? Origin{0.5, 1.99, 0.84}
                : U == 2 ? ((k % 2) ? Origin{2.0, 1.39, 0.48} : Origin{2.0, 6.29, 0.48})
                         : kSlots[(k - 1) % 4];
    std::string puzzle = Field(pages[q], at.x0, at.y0, at.c);
    const Origin& s = kSlots[(k - 1) % 4];
    std::string answer = Field(pages[P + (k - 1) / 4], s.x0, s.y0, s.c);
    EXPECT_TRUE(testing::IsValidSolution(answer)) << "answer " << k << " " << answer;
    int givens = 0;
    for (int i = 0; i < 81; ++i) {
      if (puzzle[i] == '0') continue;
      ++givens;
      EXPECT_EQ(puzzle[i], answer[i]) << "puzzle " << k << " cell " << i;
    }
    EXPECT_GE(givens, 17) << "puzzle " << k;
  }
  return n;
}

namespace testing {

// A digest of each page's content stream of a PDF whose contents are not compressed, in page
// order (the streams after the pages', a print-ready file's font, are left out).
inline std::vector<std::string> PageDigests(const std::string& pdf) {
  size_t count_at = pdf.find("/Type /Pages\r\n/Count ");
  if (count_at == std::string::npos) return {};
  const int pages = std::atoi(pdf.c_str() + count_at + 21);
  std::vector<std::string> digests;
  size_t at = 0;
  while (static_cast<int>(digests.size()) < pages &&
         (at = pdf.find("stream\r\n", at)) != std::string::npos) {
    at += 8;
    size_t end = pdf.find("endstream", at);
    if (end == std::string::npos) break;
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = at; i < end; ++i) h = (h ^ static_cast<uint8_t>(pdf[i])) * 0x100000001b3ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    digests.push_back(hex);
    at = end + 9;
  }
  return digests;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// Which page of `pdf` differs first from the pinned digests, and what it shows now.
inline std::string FirstChangedPage(const std::vector<std::string>& now,
                                    const std::string& pinned_text, const std::string& pdf) {
  if (pinned_text.empty()) return "no page digests are pinned to compare with";
  std::vector<std::string> pinned;
  std::istringstream in(pinned_text);
  for (std::string line; std::getline(in, line);) pinned.push_back(line);
  for (size_t k = 0; k < std::max(now.size(), pinned.size()); ++k) {
    if (k < now.size() && k < pinned.size() && now[k] == pinned[k]) continue;
    if (k >= now.size() || k >= pinned.size()) {
      return "the page count changed: " + std::to_string(now.size()) + " pages, " +
             std::to_string(pinned.size()) + " before";
    }
    const std::string page = std::to_string(k + 1);
    return "page " + page + " is the first that changed; it now reads: " +
           Shell("pdftotext -f " + page + " -l " + page + " " + pdf + " - | head -c 400").out;
  }
  return "every page's content is as pinned: the change is in the file's other objects";
}

}  // namespace testing
}  // namespace quorvel
