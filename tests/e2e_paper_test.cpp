// End-to-end: books on other papers and print-ready books, checked with qpdf, poppler's
// pdfinfo, pdffonts and pdftotext, and python3-fonttools for the embedded font program.
#include <gtest/gtest.h>

#include <regex>

#include "e2e_util.h"

namespace quorvel {
namespace {

struct Paper {
  std::string arg;
  double width, height;
  bool print_ready;
};

const Paper kPapers[] = {{"letter", 8.5, 11, true},
                         {"a4", 8.27, 11.69, false},
                         {"a5", 5.83, 8.27, true},
                         {"6x9", 6, 9, true}};

struct Layout {
  std::string args;
  int pdf_pages;
};

const Layout kLayouts[] = {{"--pages 2", 3},
                           {"--pages 2 --candidates", 3},
                           {"--pages 2 --per-page 2", 3},
                           {"--pages 2 --per-page 4", 4},
                           {"--samurai --pages 2", 4},
                           // 160 PDF pages: a half-inch gutter, on the left of odd pages.
                           {"--samurai --pages 80", 160}};

// Whether `scaled` shows the words of `letter`, page by page, each at its place in the Letter
// design: the title's first word and the footer, on every page, give the scale and shift.
std::string SameWordsInPlace(const std::vector<PageWords>& letter,
                             const std::vector<PageWords>& scaled) {
  if (letter.size() != scaled.size()) return "page counts differ";
  auto find = [](const PageWords& page, const std::string& text) -> const Word* {
    for (const Word& w : page) {
      if (w.text == text) return &w;
    }
    return nullptr;
  };
  for (size_t p = 0; p < letter.size(); ++p) {
    std::string where = "page " + std::to_string(p + 1);
    if (letter[p].size() != scaled[p].size()) return where + ": word counts differ";
    const Word *a0 = find(letter[p], "Very"), *b0 = find(letter[p], "www.tessaly.example");
    const Word *a1 = find(scaled[p], "Very"), *b1 = find(scaled[p], "www.tessaly.example");
    if (!a0 || !b0 || !a1 || !b1) return where + ": no title or footer";
    double scale =
        std::hypot(b1->x - a1->x, b1->y - a1->y) / std::hypot(b0->x - a0->x, b0->y - a0->y);
    for (const Word& w : scaled[p]) {
      double x = a0->x + (w.x - a1->x) / scale, y = a0->y + (w.y - a1->y) / scale;
      bool found = false;
      for (const Word& l : letter[p]) {
        if (l.text == w.text && std::fabs(l.x - x) < 0.12 && std::fabs(l.y - y) < 0.12) {
          found = true;
          break;
        }
      }
      if (!found) return where + ": \"" + w.text + "\" is not where the Letter book has it";
    }
  }
  return "";
}

// The sizes of every Tf operator of the file's (uncompressed) page contents.
std::vector<int> FontSizes(const std::string& pdf) {
  std::string bytes = FileBytes(pdf);
  std::vector<int> sizes;
  std::regex tf(R"(/F\d+ (\d+) Tf)");
  for (std::sregex_iterator it(bytes.begin(), bytes.end(), tf), e; it != e; ++it) {
    sizes.push_back(std::stoi((*it)[1]));
  }
  return sizes;
}

TEST_F(E2E, PapersAndLayouts) {
  for (const Layout& layout : kLayouts) {
    std::string letter = Path("letter.pdf");
    ASSERT_EQ(Book(layout.args + " --seed 9 --force -o " + letter).status, 0);
    std::vector<PageWords> letter_words = Words(letter);
    for (const Paper& paper : kPapers) {
      // The classic design scaled to the paper (the book design is tested on its own).
      std::string what = layout.args + " --design classic --paper " + paper.arg +
                         (paper.print_ready ? " --print-ready" : "");
      std::string pdf = Path("book.pdf");
      Result r = Book(what + " --seed 9 --force -o " + pdf);
      ASSERT_EQ(r.status, 0) << what << "\n" << r.out;
      if (paper.print_ready && layout.pdf_pages < 24) {
        EXPECT_NE(r.out.find("print-on-demand services need at least 24"), std::string::npos)
            << r.out;
      } else if (paper.print_ready) {
        // A print-ready book says what it holds, and nothing else.
        EXPECT_EQ(r.out.rfind("quorvel-book: print summary of " + pdf + "\n", 0), 0u) << r.out;
        EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;
      } else {
        EXPECT_EQ(r.out, "") << what;
      }
      Result check = Shell("qpdf --check " + pdf);
      EXPECT_EQ(check.status, 0) << what << "\n" << check.out;
      Result info = Shell("pdfinfo " + pdf);
      char size[64];
      std::snprintf(size, sizeof size, "Page size:       %g x %g pts", paper.width * 72,
                    paper.height * 72);
      EXPECT_NE(info.out.find(size), std::string::npos) << what << "\n" << info.out;
      EXPECT_TRUE(std::regex_search(
          info.out, std::regex("Pages: +" + std::to_string(layout.pdf_pages) + "\n")))
          << what;
      Result fonts = Shell("pdffonts " + pdf);
      if (paper.print_ready) {
        EXPECT_NE(fonts.out.find("LiberationSans                       TrueType          "
                                 "WinAnsi          yes no  yes"),
                  std::string::npos)
            << what << "\n"
            << fonts.out;
        std::string bytes = FileBytes(pdf);
        EXPECT_EQ(bytes.find(" rg"), std::string::npos) << what << ": RGB colour";
        EXPECT_EQ(bytes.find(" RG"), std::string::npos) << what << ": RGB colour";
        for (const char* marker :
             {"/GTS_PDFXVersion (PDF/X-1:2001)", "/GTS_PDFXConformance (PDF/X-1a:2001)",
              "/Trapped /False", "/ModDate (D:", "/Title (Very Easy Sudoku by Quorvel Pro)",
              "/S /GTS_PDFX", "/OutputConditionIdentifier (CGATS TR 001)",
              "/RegistryName (http://www.color.org)", "/ID [<", "%PDF-1.3"}) {
          EXPECT_NE(bytes.find(marker), std::string::npos) << what << ": " << marker;
        }
        std::regex media(R"(/MediaBox (\[[^\]]*\])\r\n/TrimBox (\[[^\]]*\]))");
        int boxes = 0;
        for (std::sregex_iterator it(bytes.begin(), bytes.end(), media), e; it != e; ++it) {
          EXPECT_EQ((*it)[1], (*it)[2]) << what;
          ++boxes;
        }
        EXPECT_EQ(boxes, layout.pdf_pages) << what << ": a trim box on every page";
      }
      for (int points : FontSizes(pdf)) EXPECT_GE(points, 7) << what;

      // Inside the live area: 0.375 in from the top, bottom and outside edge, the gutter on the
      // binding side (left on odd pages).
      double gutter = layout.pdf_pages > 150 ? 0.5 : 0.375;
      std::vector<PageWords> pages = Words(pdf);
      for (size_t p = 0; p < pages.size(); ++p) {
        bool odd = p % 2 == 0;  // page p + 1
        double left = (odd ? gutter : 0.375) * 72,
               right = (paper.width - (odd ? 0.375 : gutter)) * 72;
        for (const Word& w : pages[p]) {
          EXPECT_GE(w.x0, left - 0.5) << what << " page " << p + 1 << " " << w.text;
          EXPECT_LE(w.x1, right + 0.5) << what << " page " << p + 1 << " " << w.text;
          EXPECT_GE(w.y0, 0.375 * 72 - 0.5) << what << " page " << p + 1 << " " << w.text;
          EXPECT_LE(w.y1, (paper.height - 0.375) * 72 + 0.5) << what << " page " << p + 1;
        }
      }
      // The same book: every word of the Letter book, in its place in the design.
      EXPECT_EQ(SameWordsInPlace(letter_words, pages), "") << what;
    }
  }
}

TEST_F(E2E, TheEmbeddedFontParsesAndItsWidthsMatch) {
  std::string pdf = Path("ready.pdf");
  ASSERT_EQ(
      Book("--design classic --print-ready --pages 24 --per-page 4 --seed 4 -o " + pdf).status, 0);
  std::string bytes = FileBytes(pdf);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(bytes, m, std::regex(R"(/FontFile2 (\d+) 0 R)")));
  std::string font = Path("font.ttf");
  ASSERT_EQ(
      Shell("qpdf --show-object=" + m[1].str() + " --filtered-stream-data " + pdf + " > " + font)
          .status,
      0);
  ASSERT_TRUE(std::regex_search(
      bytes, m, std::regex(R"(/FirstChar (\d+)\r\n/LastChar (\d+)\r\n/Widths \[([\d ]+)\])")));
  // fontTools reads the program; every width of /Widths is its glyph's advance in 1/1000 em.
  std::string script = Path("widths.py");
  std::ofstream(script)
      << "import sys\n"
         "from fontTools.ttLib import TTFont\n"
         "f = TTFont(sys.argv[1])\n"
         "cmap = f.getBestCmap(); em = f['head'].unitsPerEm\n"
         "first = int(sys.argv[2]); widths = sys.argv[3].split()\n"
         "bad = 0\n"
         "for i, w in enumerate(widths):\n"
         "    ch = bytes([first + i]).decode('cp1252', 'replace')\n"
         "    g = cmap.get(ord(ch), '.notdef')\n"
         "    adv = f['hmtx'][g][0]\n"
         "    if round(adv * 1000 / em) != int(w): bad += 1; print(first + i, adv, w)\n"
         "print('glyphs', len(f.getGlyphOrder()), 'bad', bad)\n";
  // Debian's own python, which has the python3-fonttools package.
  Result r =
      Shell("/usr/bin/python3 " + script + " " + font + " " + m[1].str() + " '" + m[3].str() + "'");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find(" bad 0"), std::string::npos) << r.out;
  EXPECT_EQ(bytes.find("/Subtype /Type1"), std::string::npos);
  // Text still copies and searches.
  EXPECT_NE(Shell("pdftotext " + pdf + " -").out.find("Very Easy Sudoku by Quorvel Pro"),
            std::string::npos);
}

TEST_F(E2E, RefusedPapersAndAMissingFont) {
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"--paper b5", 2, "unknown paper \"b5\"; use letter, a4, a5 or WxH"},
      {"--paper 6x", 2, "unknown paper"},
      {"--paper 3x9", 2, "unknown paper"},
      {"--paper 9x12", 2, "unknown paper"},
      {"--design classic --paper 4x6 --per-page 4", 2,
       "the paper is too small for the 4-puzzles-a-page layout: its text would be under 7 pt; "
       "the smallest paper of this shape is "},
  };
  for (const Case& k : cases) {
    Result r = Book(k.args + " -o " + Path("x.pdf"));
    EXPECT_EQ(r.status, k.status) << k.args << "\n" << r.out;
    EXPECT_NE(r.out.find(k.says), std::string::npos) << k.args << "\n" << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  }
  Result r =
      Shell("QUORVEL_PRINT_FONT=/nonexistent/font.ttf XDG_RUNTIME_DIR=" + (dir_ / "run").string() +
            " " QUORVEL_BOOK " --print-ready -o " + Path("x.pdf"));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("fonts-liberation2"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(Path("x.pdf")));
}

}  // namespace
}  // namespace quorvel
