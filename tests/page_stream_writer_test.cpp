#include <ft2build.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstring>
#include <filesystem>

#include "pgs_bytes.h"
#include "report/document.h"
#include "report/font_metrics.h"
#include "report/page_stream.h"
#include "report/page_stream_writer.h"
#include "report_util.h"

namespace quorvel::report {
namespace {

using Bytes = std::vector<uint8_t>;

int32_t I32At(const Bytes& b, size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
int16_t I16At(const Bytes& b, size_t at) {
  int16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

TEST(ByteFields, StringLengthPrefixes) {
  struct Case {
    size_t length;
    Bytes prefix;
  };
  for (const Case& k : {Case{0, {0x00}}, Case{191, {0xBF}}, Case{192, {0xC0, 0xC0}},
                        Case{200, {0xC0, 0xC8}}, Case{16383, {0xFF, 0xFF}}}) {
    Bytes out;
    ByteWriter w(out);
    std::string s(k.length, 'x');
    w.String(s);
    ASSERT_EQ(out.size(), k.prefix.size() + k.length);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(k.prefix.size())), k.prefix);
    ByteReader r(out);
    EXPECT_EQ(r.String(), s);
    EXPECT_TRUE(r.AtEnd());
  }
  Bytes out;
  ByteWriter w(out);
  EXPECT_THROW(w.String(std::string(16384, 'x')), std::length_error);
}

TEST(ByteFields, ReadPastTheEndNamesTheOffset) {
  Bytes b = {1, 2, 3};
  ByteReader r(b);
  r.U8();
  try {
    r.I32();
    FAIL();
  } catch (const StreamReadError& e) {
    EXPECT_EQ(e.offset(), 1u);
    EXPECT_NE(std::string(e.what()).find("offset 1"), std::string::npos);
  }
}

// The records of the worked example: a centred "5" in Arial 25 points at x 1.5 and a 10-dot
// line from (0.5, 2.0) to (7.5, 2.0), on one page of the first run.
Bytes ExpectedExample(float baseline) {
  FontMetrics m;
  auto sample = [&](double height_dots) {
    return static_cast<float>(m.TextWidthDots(pgs::kSampleText, height_dots) / 600.0);
  };
  Bytes b = testing::PgsHeader(1);
  EXPECT_EQ(b.size(), 59u);
  testing::PgsPageStart(b, 1);  // the only page: previous and next page 0
  ByteWriter w(b);
  w.U8(41), w.I32(0), w.U8(42), w.U8(1), w.U8(43), w.U8(0);
  w.U8(51), w.String("Arial"), w.U8(52), w.I32(0), w.U8(53), w.U8(0), w.U8(63), w.U8(1);
  for (uint8_t code : {55, 57, 56, 58, 59, 60}) w.U8(code), w.U8(0);
  w.U8(61), w.I16(0), w.U8(62), w.U8(0);
  w.U8(54), w.F32(static_cast<float>(10.0 / 72.0)), w.F32(sample(600 * 10.0 / 72.0));
  w.U8(71), w.I32(0), w.U8(72), w.U8(4), w.U8(73), w.U8(0), w.U8(74), w.F32(1.0f / 600);
  w.U8(28), w.F32(100), w.U8(29), w.F32(100), w.U8(26), w.U8(0), w.U8(27), w.I32(0xFFFFFF);
  w.U8(54), w.F32(static_cast<float>(208.0 / 600)), w.F32(sample(208));
  w.U8(83), w.F32(static_cast<float>(m.AscentDots(208) / 600.0)),
      w.F32(static_cast<float>(m.DescentDots(208) / 600.0)), w.F32(static_cast<float>(0.416));
  w.U8(23), w.F32(baseline), w.String("5"), w.F32(1.5f);
  w.U8(74), w.F32(10.0f / 600);
  w.U8(12), w.F32(0.5f), w.F32(2.0f), w.U8(11), w.F32(7.5f), w.F32(2.0f);
  w.U8(82);
  return b;
}

void BuildExample(TReportProject& project) {
  project.NewProject();
  TReportPage* page = project.ProjectManager().Reports()[0]->FirstPage();
  auto* t = CreateItem<TReportText>(*page, "TitleText");
  t->SetLeft(1.0), t->SetTop(1.0), t->Font().Size = 25, t->SetFontJustify(pjCenter),
                                   t->SetText("5");
  auto* h = CreateItem<TReportHLine>(*page);
  h->SetLeft(0.5), h->SetWidth(7.0), h->SetLineWidth(10), h->SetTop(2.0);
}

TEST(PageStreamWriter, WorkedExampleByteForByte) {
  TPageStreamWriter writer;
  TReportProject project;
  project.SetEngine(&writer);
  BuildExample(project);
  project.ExecuteReport("Report1");
  const Bytes& got = writer.Recording();
  FontMetrics m;
  EXPECT_EQ(m.AscentDots(208), 188);
  EXPECT_EQ(m.DescentDots(208), 44);
  float baseline = static_cast<float>(1.0 + 0.416 - 44.0 / 600);
  Bytes want = ExpectedExample(baseline);
  // The next-page field of the only page is 0.
  EXPECT_EQ(I32At(got, 64), 0);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << "byte " << i;
}

TEST(PageStreamWriter, SavesToTheFileAndStartsEachRunAfresh) {
  auto path = std::filesystem::temp_directory_path() /
              ("quorvel_pgs_test_" + std::to_string(getpid()) + ".pgs");
  TPageStreamWriter writer;
  writer.FileName = path.string();
  TReportProject project;
  project.SetEngine(&writer);
  BuildExample(project);
  project.ExecuteReport("Report1");
  EXPECT_EQ(ReadWholeFile(path.string()), writer.Recording());
  // A second run starts from the font left by the first (25 points), so its page frame
  // records that size and no extra size record follows.
  project.ExecuteReport("Report1");
  EXPECT_EQ(writer.Recording().size(), ReadWholeFile(path.string()).size());
  std::filesystem::remove(path);
}

struct PagesFixture {
  TPageStreamWriter writer;
  TReportProject project;
  explicit PagesFixture(int pages) {
    project.SetEngine(&writer);
    TReport* report = testing::NewChainedReport(project, pages);
    for (int i = 0; i < pages; ++i) {
      TReportPage* page = report->Pages()[i];
      auto* t = CreateItem<TReportText>(*page, "TitleText");
      t->SetText("page " + std::to_string(i + 1));
      t->SetTop(0.5 + i);
    }
  }
};

// Offsets of every page's code byte, following the next-page links from offset 59.
std::vector<size_t> PageOffsets(const Bytes& b) {
  std::vector<size_t> pages;
  size_t at = 59;
  while (true) {
    EXPECT_EQ(b.at(at), 80);
    pages.push_back(at);
    int32_t next = I32At(b, at + 5);
    if (next == 0) break;
    at = static_cast<size_t>(next);
  }
  return pages;
}

TEST(PageStreamWriter, PageLinksOverSeveralPages) {
  PagesFixture f(5);
  f.project.ExecuteReport("Report1");
  const Bytes& b = f.writer.Recording();
  EXPECT_EQ(I16At(b, 15), 5);
  std::vector<size_t> pages = PageOffsets(b);
  ASSERT_EQ(pages.size(), 5u);
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(I16At(b, pages[i] + 9), static_cast<int16_t>(i + 1));
    EXPECT_EQ(I32At(b, pages[i] + 1), i == 0 ? 0 : static_cast<int32_t>(pages[i - 1]));
    size_t end = i + 1 < pages.size() ? pages[i + 1] : b.size();
    EXPECT_EQ(b[end - 1], 82);
  }
}

TEST(PageStreamWriter, FirstPageTwoSkipsThePageBefore) {
  PagesFixture f(3);
  f.writer.FirstPage = 2;
  f.project.ExecuteReport("Report1");
  const Bytes& b = f.writer.Recording();
  EXPECT_EQ(I16At(b, 15), 2);
  std::vector<size_t> pages = PageOffsets(b);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(I16At(b, pages[0] + 9), 1);
  EXPECT_EQ(I32At(b, pages[0] + 1), 0);
  std::string text(b.begin(), b.end());
  EXPECT_EQ(text.find("page 1"), std::string::npos);
  EXPECT_NE(text.find("page 2"), std::string::npos);

  PagesFixture g(3);
  g.writer.LastPage = 1;
  g.project.ExecuteReport("Report1");
  EXPECT_EQ(I16At(g.writer.Recording(), 15), 1);
  EXPECT_EQ(PageOffsets(g.writer.Recording()).size(), 1u);
}

TEST(PageStreamWriter, EmptyRunRecordsOnePage) {
  TPageStreamWriter writer;
  writer.Execute(nullptr, nullptr);
  const Bytes& b = writer.Recording();
  EXPECT_EQ(I16At(b, 15), 1);
  EXPECT_EQ(b.back(), 82);
  EXPECT_EQ(I32At(b, 64), 0);
}

TEST(PageStreamWriter, InvalidUse) {
  TPageStreamWriter writer;
  try {
    writer.MoveTo(1, 1);
    FAIL();
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "Invalid method call.  Writer is not printing.");
  }
  try {
    writer.Execute(nullptr, [&] { writer.Execute(nullptr, nullptr); });
    FAIL();
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "Invalid method call.  Writer already printing.");
  }
  EXPECT_FALSE(writer.Printing());
  // A recording that cannot be saved raises the file error, with the writer idle again.
  writer.FileName = "/nonexistent-folder/x.pgs";
  EXPECT_THROW(writer.Execute(nullptr, nullptr), FileError);
  EXPECT_FALSE(writer.Printing());
  writer.FileName.clear();
  writer.StreamMode = smUser;
  try {
    writer.Execute(nullptr, nullptr);
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "StreamMode is smUser but Stream is nil");
  }
}

TEST(PageStreamWriter, FailureInsidePrintingStillSavesAValidRecording) {
  auto path = std::filesystem::temp_directory_path() /
              ("quorvel_pgs_fail_" + std::to_string(getpid()) + ".pgs");
  TPageStreamWriter writer;
  writer.FileName = path.string();
  EXPECT_THROW(writer.Execute(nullptr,
                              [&] {
                                writer.MoveTo(1, 1);
                                writer.NewPage();
                                writer.LineTo(2, 2);
                                writer.NewPage();
                                throw std::runtime_error("boom");
                              }),
               std::runtime_error);
  EXPECT_FALSE(writer.Printing());
  Bytes b = ReadWholeFile(path.string());
  EXPECT_EQ(I16At(b, 15), 3);
  EXPECT_EQ(PageOffsets(b).size(), 3u);
  EXPECT_EQ(b.back(), 82);
  std::filesystem::remove(path);
}

// The bytes a run of `calls` adds to the page after a first SelectFont(base), before its 82.
Bytes RecordedAfter(const TReportFont& base, const std::function<void(TPageStreamWriter&)>& calls) {
  TPageStreamWriter a, b;
  a.Execute(nullptr, [&] { a.SelectFont(base); });
  b.Execute(nullptr, [&] {
    b.SelectFont(base);
    calls(b);
  });
  const Bytes& ra = a.Recording();
  const Bytes& rb = b.Recording();
  return Bytes(rb.begin() + static_cast<long>(ra.size()) - 1, rb.end() - 1);
}

TEST(PageStreamWriter, OnlyChangedFontAttributesAreRecorded) {
  TReportFont base;
  base.Size = 25;
  TReportFont colour = base, bold = base;
  colour.Color = 0xFF;
  bold.Style = fsBold;
  auto select = [](const TReportFont& f) { return [f](TPageStreamWriter& w) { w.SelectFont(f); }; };
  EXPECT_EQ(RecordedAfter(base, select(base)), Bytes{});
  EXPECT_EQ(RecordedAfter(base, select(colour)), (Bytes{52, 0xFF, 0, 0, 0}));
  Bytes b = RecordedAfter(base, select(bold));
  ASSERT_EQ(b.size(), 2u + 9u);
  EXPECT_EQ(b[0], 55);
  EXPECT_EQ(b[1], 1);
  EXPECT_EQ(b[2], 54);
  // A rotation alone writes 61 without a size record.
  EXPECT_EQ(RecordedAfter(base, [](TPageStreamWriter& w) { w.SetFontRotation(-450); }),
            (Bytes{61, 0xA6, 0xFF}));  // -90 as int16
}

TEST(PageStreamWriter, PenRecordsInChangeOrder) {
  TReportFont base;
  Bytes b = RecordedAfter(
      base, [](TPageStreamWriter& w) { w.SetPen(0x00FF00, psDash, static_cast<TPenMode>(5), 10); });
  ASSERT_EQ(b.size(), 5u + 2u + 5u + 2u);
  EXPECT_EQ(b[0], 71);
  EXPECT_EQ(b[5], 72);
  EXPECT_EQ(b[7], 74);
  float w;
  std::memcpy(&w, &b[8], 4);
  EXPECT_FLOAT_EQ(w, 10.0f / 600);
  EXPECT_EQ(b[12], 73);
  // A width in points: 1.5 points is coded -10208, that is 0.0208 inch, 12.48 dots at 600 dpi.
  Bytes p = RecordedAfter(base, [](TPageStreamWriter& w) { w.SetPen(0, psSolid, pmCopy, -10208); });
  ASSERT_EQ(p.size(), 5u);
  std::memcpy(&w, &p[1], 4);
  EXPECT_FLOAT_EQ(w, 12.0f / 600);
}

TEST(FontMetrics, MatchesTheLiberationSansFontFile) {
  const char* path = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
  FT_Library lib;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(lib, path, 0, &face), 0) << "fonts-liberation2 is not installed";
  EXPECT_EQ(face->units_per_EM, FontMetrics::kUnitsPerEm);
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  ASSERT_NE(os2, nullptr);
  EXPECT_EQ(os2->usWinAscent, FontMetrics::kAscent);
  EXPECT_EQ(os2->usWinDescent, FontMetrics::kDescent);
  // Windows ANSI codes 0x80..0x9F in Unicode (0 where the code page has no character).
  const unsigned kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                              0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  for (int code = 0; code < 256; ++code) {
    unsigned u = (code >= 0x80 && code < 0xA0) ? kHigh[code - 0x80] : static_cast<unsigned>(code);
    int width = 0;
    if (u >= 0x20) {
      FT_UInt glyph = FT_Get_Char_Index(face, u);
      if (glyph && FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) == 0) {
        width = static_cast<int>(face->glyph->metrics.horiAdvance);
      }
    }
    EXPECT_EQ(FontMetrics::kAdvance[code], width) << "code " << code;
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  // Widths round to whole dots: "5" at 208 dots is 1139 * 208 / 2048 = 115.68.
  EXPECT_EQ(FontMetrics().TextWidthDots("5", 208), 116);
  EXPECT_EQ(FontMetrics::For("Comic").AscentDots(100), 91);
}

}  // namespace
}  // namespace quorvel::report
