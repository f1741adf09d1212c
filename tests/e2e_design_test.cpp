// End-to-end: books of the book design on several papers and layouts, read back with qpdf and
// poppler's pdftotext: line widths, type sizes, the live area, page numbers, and every answer
// link followed to an answer that solves its puzzle.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <regex>

#include "e2e_blocks.h"
#include "e2e_util.h"
#include "test_util.h"

namespace quorvel {
namespace {

struct Paper {
  std::string name;
  double width, height;  // inches
};

// The values of every operator `op` ("w", "Tf") in the book's content streams.
std::vector<double> OperatorValues(const std::string& pdf, const std::string& op) {
  Result r = Shell("qpdf --qdf --object-streams=disable " + pdf + " - | grep -a -o -E '[0-9.]+ " +
                   (op == "Tf" ? "Tf" : "w( |$)") + "'");
  std::vector<double> values;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) values.push_back(std::stod(line));
  return values;
}
std::vector<double> FontSizes(const std::string& pdf) {
  Result r = Shell("qpdf --qdf " + pdf + " - | grep -a -o -E '/F[0-9]+ [0-9]+ Tf'");
  std::vector<double> sizes;
  std::regex size(R"(/F\d+ (\d+) Tf)");
  for (std::sregex_iterator it(r.out.begin(), r.out.end(), size), e; it != e; ++it) {
    sizes.push_back(std::stod((*it)[1]));
  }
  return sizes;
}

class BookDesign : public E2E {};

TEST_F(BookDesign, EveryPaperAndLayoutPrintsWithinItsMarginsAndLinksItsAnswers) {
  const std::vector<Paper> papers = {
      {"5x8", 5, 8}, {"6x9", 6, 9}, {"8.5x11", 8.5, 11}, {"a4", 8.27, 11.69}};
  struct Layout {
    std::string args;
    int per_page;
    double smallest_grid_on_6x9;  // inches
    bool samurai = false;
  };
  const std::vector<Layout> layouts = {{"--per-page 1", 1, 4.4},
                                       {"--per-page 1 --candidates", 1, 4.4},
                                       {"--per-page 2", 2, 3.3},
                                       {"--per-page 4", 4, 2.4},
                                       {"--samurai", 1, 5.0, true}};
  for (const Paper& paper : papers) {
    for (const Layout& layout : layouts) {
      SCOPED_TRACE(paper.name + " " + layout.args);
      const std::string pdf = Path("book.pdf");
      Result r = Book("--design book --paper " + paper.name + " --pages 3 --seed 5 " + layout.args +
                      " --force -o " + pdf);
      ASSERT_EQ(r.status, 0) << r.out;
      EXPECT_EQ(Shell("qpdf --check " + pdf).status, 0);
      // Print-grade lines and type.
      std::vector<double> widths = OperatorValues(pdf, "w");
      ASSERT_FALSE(widths.empty());
      EXPECT_GE(*std::min_element(widths.begin(), widths.end()), 0.75);
      EXPECT_GE(*std::max_element(widths.begin(), widths.end()), 2.0);
      std::vector<double> sizes = FontSizes(pdf);
      ASSERT_FALSE(sizes.empty());
      EXPECT_GE(*std::min_element(sizes.begin(), sizes.end()), 7);
      EXPECT_NE(FileBytes(pdf).find("/FontFile2"), std::string::npos) << "the font is embedded";

      std::vector<PageWords> pages = Words(pdf);
      const int puzzles = 3 * layout.per_page;
      const int per_answer_page = layout.samurai ? 2 : 6;
      ASSERT_EQ(static_cast<int>(pages.size()),
                3 + (puzzles + per_answer_page - 1) / per_answer_page);
      std::map<int, std::string> givens, answers;
      for (size_t p = 0; p < pages.size(); ++p) {
        const int number = static_cast<int>(p) + 1;
        const bool right_hand = number % 2 == 1;
        // Every word inside the live area, the wider margin on the binding side.
        const double inside = 0.375 * kPt, outside = 0.375 * kPt, tolerance = 1.5;
        const double left = (right_hand ? inside : outside) - tolerance;
        const double right = paper.width * kPt - (right_hand ? outside : inside) + tolerance;
        double lowest = 0;
        const Word* folio = nullptr;
        for (const Word& w : pages[p]) {
          EXPECT_GE(w.x0, left) << "page " << number << " " << w.text;
          EXPECT_LE(w.x1, right) << "page " << number << " " << w.text;
          EXPECT_GE(w.y0, 0.375 * kPt - tolerance) << "page " << number << " " << w.text;
          EXPECT_LE(w.y1, (paper.height - 0.375) * kPt + tolerance) << w.text;
          if (w.y1 > lowest) lowest = w.y1, folio = &w;
        }
        // The page number at the outside corner: the lowest word, right on odd pages.
        ASSERT_NE(folio, nullptr);
        EXPECT_EQ(folio->text, std::to_string(number));
        if (right_hand) {
          EXPECT_NEAR(folio->x1, right - tolerance, 3) << "page " << number;
        } else {
          EXPECT_NEAR(folio->x0, left + tolerance, 3) << "page " << number;
        }
        for (const Block& b : BlocksOf(pages[p])) {
          if (number <= 3) {
            // A puzzle: its link leads to an answer page with the same heading.
            EXPECT_GT(b.answer_page, 3) << "puzzle " << b.number;
            ASSERT_LE(b.answer_page, static_cast<int>(pages.size()));
            bool found = false;
            for (const Block& a : BlocksOf(pages[static_cast<size_t>(b.answer_page - 1)])) {
              found = found || a.number == b.number;
            }
            EXPECT_TRUE(found) << "puzzle " << b.number << " -> page " << b.answer_page;
            if (paper.name == "6x9") {
              EXPECT_GE((b.right - b.heading->x0) / kPt, layout.smallest_grid_on_6x9 - 0.05);
            }
            if (!layout.samurai && layout.args.find("candidates") == std::string::npos) {
              givens[b.number] = PuzzleGrid(b);
            }
          } else if (!layout.samurai) {
            answers[b.number] = FullGrid(b.digits);
          }
        }
      }
      // Every Standard answer solves its puzzle (read back from the pages).
      for (const auto& [k, puzzle] : givens) {
        const std::string& answer = answers[k];
        ASSERT_EQ(puzzle.size(), 81u) << k;
        EXPECT_TRUE(testing::IsValidSolution(answer)) << "answer " << k << " " << answer;
        int given = 0;
        for (size_t i = 0; i < 81; ++i) {
          if (puzzle[i] == '0') continue;
          ++given;
          EXPECT_EQ(puzzle[i], answer[i]) << "puzzle " << k << " cell " << i;
        }
        EXPECT_GE(given, 17);
      }
    }
  }
}

TEST_F(BookDesign, BothDesignsGiveTheSamePuzzlesAndRefuseWhatTheyCannotPrint) {
  ASSERT_EQ(Book("--seed 9 --pages 2 --per-page 4 -o " + Path("classic.pdf")).status, 0);
  ASSERT_EQ(Book("--design book --paper 6x9 --seed 9 --pages 2 --per-page 4 -o " + Path("book.pdf"))
                .status,
            0);
  auto answers_of = [](const std::vector<PageWords>& pages, size_t from) {
    std::map<int, std::string> answers;
    for (size_t p = from; p < pages.size(); ++p) {
      for (const Block& b : BlocksOf(pages[p])) answers[b.number] = FullGrid(b.digits);
    }
    return answers;
  };
  std::map<int, std::string> classic = answers_of(Words(Path("classic.pdf")), 2);
  std::map<int, std::string> book = answers_of(Words(Path("book.pdf")), 2);
  ASSERT_EQ(classic.size(), 8u);
  EXPECT_EQ(classic, book);

  struct Case {
    std::string args, says;
  };
  for (const Case& c :
       {Case{"--design foo", "unknown design \"foo\"; use classic or book"},
        Case{"--design book --answers-per-page 5", "answers a page are 4, 6, 9 or 12"},
        Case{"--design book --samurai --answers-per-page 6", "are 1, 2 or 4 in a Samurai book"},
        Case{"--design book --paper 4x6 --answers-per-page 12",
             "12 answers a page would print their digits under 7 pt on this paper; at most"},
        Case{"--answers-per-page 6", "--answers-per-page needs the book design"},
        Case{"--design book --title ''", "a book needs a title"}}) {
    EXPECT_REFUSED(Book(c.args + " -o " + Path("refused.pdf")), c.args, c.says);
  }
  EXPECT_FALSE(fs::exists(Path("refused.pdf")));
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST_F(BookDesign, ThePaperChoosesTheDesignAndLargePrintIsLarge) {
  // Any paper but Letter, and print-ready, get the book design; Letter keeps the classic.
  ASSERT_EQ(Book("--paper 6x9 --pages 1 -o " + Path("trim.pdf")).status, 0);
  EXPECT_NE(PageText(Words(Path("trim.pdf"))[0]).find("Answer on page 2"), std::string::npos);
  ASSERT_EQ(Book("--print-ready --pages 1 -o " + Path("ready.pdf")).status, 0);
  EXPECT_NE(PageText(Words(Path("ready.pdf"))[0]).find("Answer on page 2"), std::string::npos);
  ASSERT_EQ(Book("--pages 1 -o " + Path("letter.pdf")).status, 0);
  EXPECT_EQ(PageText(Words(Path("letter.pdf"))[0]).find("Answer on page"), std::string::npos);

  // Large print: bold givens of 18 pt or more on 6x9 and 24 pt on Letter, a running head and
  // page numbers of 12 pt or more, four answers a page.
  for (auto [paper, smallest] : {std::pair{"6x9", 18}, std::pair{"letter", 24}}) {
    SCOPED_TRACE(paper);
    const std::string pdf = Path(std::string("large-") + paper + ".pdf");
    Result r = Book(std::string("--design book --large-print --paper ") + paper +
                    " --pages 8 --seed 2 -o " + pdf);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(Shell("pdffonts " + pdf).out.find("LiberationSans-Bold"), std::string::npos);
    std::vector<PageWords> pages = Words(pdf);
    ASSERT_EQ(pages.size(), 8u + 2u);
    for (const PageWords& page : pages) {
      double tallest_digit = 0;
      for (const Word& w : page) {
        if (w.text.size() == 1 && std::isdigit(static_cast<unsigned char>(w.text[0]))) {
          tallest_digit = std::max(tallest_digit, w.y1 - w.y0);
        }
      }
      // The running head (the first line) and the page number (the last) are 12 pt or more:
      // a word's box is about 1.15 of its size.
      EXPECT_GE(page.front().y1 - page.front().y0, 12 * 1.1) << page.front().text;
      EXPECT_GE(page.back().y1 - page.back().y0, 12 * 1.1) << page.back().text;
      if (&page == &pages.front()) {
        EXPECT_GE(tallest_digit, smallest * 1.1);
      }
    }
    EXPECT_EQ(BlocksOf(pages[8]).size(), 4u) << "four answers a page";
  }
  std::vector<double> sizes = FontSizes(Path("large-6x9.pdf"));
  EXPECT_GE(*std::max_element(sizes.begin(), sizes.end()), 18);

  struct Case {
    std::string args, says;
  };
  for (const Case& c :
       {Case{"--design classic --large-print", "--large-print needs the book design"},
        Case{"--design classic --bold-givens", "--bold-givens needs the book design"},
        Case{"--design book --large-print --per-page 4", "large print has one puzzle a page"},
        Case{"--design book --large-print --candidates", "large print has one puzzle a page"},
        Case{"--design book --large-print --samurai --paper 6x9",
             "large print needs given digits of 16 pt or more, and this paper gives 14 pt; the "
             "smallest paper that fits is 7x10 in"}}) {
    EXPECT_REFUSED(Book(c.args + " -o " + Path("refused.pdf")), c.args, c.says);
  }
  EXPECT_FALSE(fs::exists(Path("refused.pdf")));
}

}  // namespace
}  // namespace quorvel
