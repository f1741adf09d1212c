// End-to-end: full-wrap covers made with their books, read back with qpdf, pdfinfo, pdffonts
// and pdftotext: the size from the trim, page count and stock, the boxes, embedded fonts, no
// RGB, the barcode area empty, spine text from 79 pages, every word in its safe area, and the
// print summary agreeing with what the files hold.
#include <gtest/gtest.h>

#include <regex>

#include "e2e_util.h"

namespace quorvel {
namespace {

class Cover : public E2E {};

struct Box {
  double left, bottom, right, top;  // points, from pdfinfo
};

std::optional<Box> PdfBox(const std::string& info, const std::string& name) {
  std::smatch m;
  const std::regex line(name + R"(:\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+))");
  if (!std::regex_search(info, m, line)) return std::nullopt;
  return Box{std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])};
}

// The rectangles and lines the cover's content draws, in points from the top-left corner.
struct Drawn {
  double left, top, right, bottom;
};
std::vector<Drawn> Drawing(const std::string& pdf, double page_height) {
  const std::string content =
      Shell("qpdf --qdf --object-streams=disable " + pdf + " - | tr -d '\\r'").out;
  std::vector<Drawn> marks;
  const std::regex re(R"(([\d.-]+) ([\d.-]+) ([\d.-]+) ([\d.-]+) re f)");
  for (std::sregex_iterator it(content.begin(), content.end(), re), e; it != e; ++it) {
    const double x = std::stod((*it)[1]), y = std::stod((*it)[2]), w = std::stod((*it)[3]),
                 h = std::stod((*it)[4]);
    marks.push_back({x, page_height - y - h, x + w, page_height - y});
  }
  const std::regex line(R"(([\d.-]+) ([\d.-]+) m ([\d.-]+) ([\d.-]+) l S)");
  for (std::sregex_iterator it(content.begin(), content.end(), line), e; it != e; ++it) {
    const double x1 = std::stod((*it)[1]), y1 = std::stod((*it)[2]), x2 = std::stod((*it)[3]),
                 y2 = std::stod((*it)[4]);
    marks.push_back({std::min(x1, x2), page_height - std::max(y1, y2), std::max(x1, x2),
                     page_height - std::min(y1, y2)});
  }
  return marks;
}

TEST_F(Cover, EveryTrimPageCountAndStockGivesAPrintableCover) {
  struct Trim {
    std::string name;
    double width, height;
  };
  struct Count {
    int pages;
    std::string args;                    // a book of exactly that many pages
    std::string on_5x8 = std::string();  // where the classic design does not fit 5 x 8 in
  };
  const std::vector<Trim> trims = {{"5x8", 5, 8}, {"6x9", 6, 9}, {"8.5x11", 8.5, 11}};
  const std::vector<Count> counts = {{24, "--pages 20"},
                                     {78, "--pages 66"},
                                     {79, "--design classic --pages 63", "--pages 68"},
                                     {300, "--pages 180 --per-page 4"}};
  const std::vector<std::pair<std::string, double>> stocks = {
      {"white", 0.002252}, {"cream", 0.0025}, {"color", 0.002347}};
  for (const Trim& trim : trims) {
    for (const Count& count : counts) {
      for (const auto& [stock, per_page] : stocks) {
        const bool small = trim.name == "5x8" && !count.on_5x8.empty();
        const int pages = small ? 80 : count.pages;
        SCOPED_TRACE(trim.name + ", " + std::to_string(pages) + " pages, " + stock);
        const std::string cover = Path("cover.pdf");
        Result r = Book("--print-ready --paper " + trim.name + " " +
                        (small ? count.on_5x8 : count.args) + " --title 'Quiet Hours' " +
                        "--author 'Ana Lee' --blurb 'Puzzles for a quiet hour, with answers.' " +
                        "--paper-stock " + stock + " --cover " + cover + " --force -o " +
                        Path("book.pdf"));
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(Shell("qpdf --check " + cover).status, 0);
        const std::string info = Shell("pdfinfo -box " + cover).out;
        ASSERT_NE(info.find("Pages:           1"), std::string::npos) << info;
        ASSERT_NE(Shell("pdfinfo " + Path("book.pdf"))
                      .out.find("Pages:           " + std::to_string(pages)),
                  std::string::npos);
        // The size: bleed, back, spine, front, bleed; the trim inside the bleed.
        const double spine = pages * per_page;
        const double width = 0.25 + 2 * trim.width + spine, height = trim.height + 0.25;
        std::optional<Box> media = PdfBox(info, "MediaBox"), trim_box = PdfBox(info, "TrimBox"),
                           bleed = PdfBox(info, "BleedBox");
        ASSERT_TRUE(media && trim_box && bleed);
        EXPECT_NEAR(media->right / 72, width, 0.001);
        EXPECT_NEAR(media->top / 72, height, 0.001);
        EXPECT_NEAR(bleed->right / 72, width, 0.001);
        EXPECT_NEAR(trim_box->left / 72, 0.125, 0.001);
        EXPECT_NEAR(trim_box->bottom / 72, 0.125, 0.001);
        EXPECT_NEAR((trim_box->right - trim_box->left) / 72, 2 * trim.width + spine, 0.001);
        EXPECT_NEAR((trim_box->top - trim_box->bottom) / 72, trim.height, 0.001);
        // Fonts embedded, no RGB.
        const std::string fonts = Shell("pdffonts " + cover).out;
        EXPECT_EQ(std::count(fonts.begin(), fonts.end(), '\n'), 4) << fonts;
        EXPECT_EQ(std::regex_search(fonts, std::regex(R"(WinAnsi\s+no)")), false) << fonts;
        const std::string qdf = Shell("qpdf --qdf " + cover + " - | tr -d '\\r'").out;
        EXPECT_FALSE(std::regex_search(qdf, std::regex(R"(\b(rg|RG)\n)")));
        EXPECT_TRUE(std::regex_search(qdf, std::regex(R"( k\n)")));
        // Nothing in the barcode area but the ground.
        const double barcode_left = (0.125 + trim.width - 0.25 - 2) * 72,
                     barcode_right = (0.125 + trim.width - 0.25) * 72,
                     barcode_bottom = (0.125 + trim.height - 0.25) * 72,
                     barcode_top = barcode_bottom - 1.2 * 72;
        for (const Drawn& d : Drawing(cover, height * 72)) {
          const bool ground = d.left <= 0.01 && d.top <= 0.01 && d.right >= width * 72 - 0.01;
          const bool meets = d.left < barcode_right && d.right > barcode_left &&
                             d.top < barcode_bottom && d.bottom > barcode_top;
          EXPECT_FALSE(meets && !ground)
              << d.left << " " << d.top << " " << d.right << " " << d.bottom;
        }
        // Every word in its safe area; words on the spine only from 79 pages.
        const double spine_left = (0.125 + trim.width) * 72, spine_right = spine_left + spine * 72;
        int on_spine = 0;
        const std::vector<PageWords> words = Words(cover);
        ASSERT_EQ(words.size(), 1u);
        for (const Word& w : words[0]) {
          const double x = (w.x0 + w.x1) / 2;
          EXPECT_FALSE(w.x1 > barcode_left && w.x0 < barcode_right && w.y1 > barcode_top &&
                       w.y0 < barcode_bottom)
              << w.text;
          if (x > spine_left && x < spine_right) {
            ++on_spine;
            EXPECT_GE(w.x0, spine_left + 0.0625 * 72 - 0.5) << w.text;
            EXPECT_LE(w.x1, spine_right - 0.0625 * 72 + 0.5) << w.text;
            continue;
          }
          const double left = x < spine_left ? 0.125 * 72 : spine_right;
          EXPECT_GE(w.x0, left + 0.25 * 72 - 0.5) << w.text;
          EXPECT_LE(w.x1, left + (trim.width - 0.25) * 72 + 0.5) << w.text;
          EXPECT_GE(w.y0, (0.125 + 0.25) * 72 - 0.5) << w.text;
          EXPECT_LE(w.y1, (0.125 + trim.height - 0.25) * 72 + 0.5) << w.text;
        }
        EXPECT_EQ(on_spine > 0, pages >= 79) << on_spine;
        // The summary says what the files hold.
        char expected[128];
        std::snprintf(expected, sizeof expected, "cover %.3f x %.3f in, spine %.3f in (%s)", width,
                      height, spine, stock.c_str());
        EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(pages >= 79 ? ", spine text" : ", no spine text"), std::string::npos);
        EXPECT_NE(r.out.find("trim " + trim.name.substr(0, trim.name.find('x')) + " x "),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("FAILS: cover"), std::string::npos) << r.out;
      }
    }
  }
}

TEST_F(Cover, ThePrintSummaryIsWhatTheFilesHold) {
  const std::string book = Path("book.pdf"), manifest = Path("book.json");
  Result r = Book(
      "--print-ready --paper 6x9 --pages 30 --per-page 2 --front-matter all "
      "--cover " +
      Path("cover.pdf") + " --manifest " + manifest + " -o " + book);
  ASSERT_EQ(r.status, 0) << r.out;
  // The thinnest line and the smallest text the summary names are the PDF's own.
  const std::string qdf = Shell("qpdf --qdf " + book + " - | tr -d '\r'").out;
  double thinnest = 1e9, smallest = 1e9;
  const std::regex width(R"(([\d.]+) w\b)"), size(R"(/F\d+ ([\d.]+) Tf)");
  for (std::sregex_iterator it(qdf.begin(), qdf.end(), width), e; it != e; ++it) {
    thinnest = std::min(thinnest, std::stod((*it)[1]));
  }
  for (std::sregex_iterator it(qdf.begin(), qdf.end(), size), e; it != e; ++it) {
    smallest = std::min(smallest, std::stod((*it)[1]));
  }
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      r.out, m, std::regex(R"(thinnest line ([\d.]+) pt, smallest text ([\d.]+) pt)")))
      << r.out;
  EXPECT_NEAR(std::stod(m[1]), thinnest, 0.006);
  EXPECT_EQ(std::stod(m[2]), smallest);
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex(R"(trim 6 x 9 in, (\d+) pages)"))) << r.out;
  EXPECT_NE(Shell("pdfinfo " + book).out.find("Pages:           " + std::string(m[1])),
            std::string::npos);
  EXPECT_NE(r.out.find("fonts LiberationSans, embedded"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("colour spaces DeviceGray\n"), std::string::npos) << r.out;
  // The manifest holds the same summary.
  const std::string json = FileBytes(manifest);
  EXPECT_NE(json.find("\"print_summary\""), std::string::npos);
  EXPECT_NE(json.find("\"pages\": " + std::string(m[1])), std::string::npos);
  EXPECT_NE(json.find("\"barcode_clear\": true"), std::string::npos);
}

TEST_F(Cover, GuidesAndRefusals) {
  Result r = Book(
      "--print-ready --paper 6x9 --pages 100 --cover-guides --cover-theme paper "
      "--cover " +
      Path("guides.pdf") + " -o " + Path("book.pdf"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(Shell("pdfinfo " + Path("guides.pdf")).out.find("not for printing"), std::string::npos);
  EXPECT_NE(Shell("pdftotext " + Path("guides.pdf") + " -").out.find("BARCODE AREA"),
            std::string::npos);

  std::string blurb;
  for (int i = 0; i < 400; ++i) blurb += "puzzles ";
  struct Bad {
    std::string args, says;
  };
  const std::vector<Bad> bad = {
      {"--cover " + Path("c.pdf"), "a cover is a print file: --cover needs --print-ready"},
      {"--print-ready --cover " + Path("b.pdf"), "the cover cannot have the book's name"},
      {"--print-ready --blurb Hello", "--blurb needs --cover"},
      {"--print-ready --paper-stock glossy --cover " + Path("c.pdf"),
       "unknown paper stock \"glossy\""},
      {"--print-ready --spine-width 3 --cover " + Path("c.pdf"), "spine width must be from 0 to 2"},
      {"--print-ready --cover-theme neon --cover " + Path("c.pdf"),
       "unknown cover theme \"neon\"; use midnight, sunrise, forest, paper, ocean"},
      {"--print-ready --paper 6x9 --blurb '" + blurb + "' --cover " + Path("c.pdf"),
       "the blurb (3200 characters) does not fit the back cover"},
      {"--print-ready --paper 4x6 --title " + std::string(30, 'W') + " --cover " + Path("c.pdf"),
       "the title does not fit the front cover at 14 pt or more"},
  };
  for (const Bad& b : bad) EXPECT_REFUSED(Book(b.args + " -o " + Path("b.pdf")), b.args, b.says);
  EXPECT_FALSE(fs::exists(Path("b.pdf")));
  EXPECT_FALSE(fs::exists(Path("c.pdf")));
}

}  // namespace
}  // namespace quorvel
