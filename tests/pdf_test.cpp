#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "pgs_bytes.h"
#include "recording_renderer.h"
#include "report/document.h"
#include "report/page_stream.h"
#include "report/page_stream_reader.h"
#include "report/page_stream_writer.h"
#include "report/pdf_writer.h"
#include "report_util.h"
#include "tests/file_size_limit.h"
#include "tests/pdf_syntax.h"

namespace quorvel::report {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::RecordingRenderer;
namespace fs = std::filesystem;

Bytes Header(int16_t pages) { return testing::PgsHeader(pages); }
void PageStart(Bytes& b, int16_t number) { testing::PgsPageStart(b, number); }

std::string ReplayError(const Bytes& b, RecordingRenderer& r) {
  try {
    TPageStreamReader(b, r).Replay();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(PageStreamReader, LinesAndEmptyTexts) {
  Bytes b = Header(1);
  PageStart(b, 1);
  ByteWriter w(b);
  w.U8(12), w.F32(1), w.F32(1), w.U8(11), w.F32(2), w.F32(1), w.U8(11), w.F32(2), w.F32(3);
  w.U8(24), w.F32(2), w.String(""), w.F32(1);
  w.U8(25), w.F32(2), w.String("r"), w.F32(1);
  w.U8(33), w.F32(2), w.String("b"), w.F32(1), w.F32(3);
  w.U8(82);
  RecordingRenderer r;
  TPageStreamReader(b, r).Replay();
  EXPECT_EQ(r.calls,
            (std::vector<std::string>{"BeginDocument", "BeginPage 8.5 11", "MoveTo 1 1",
                                      "LineTo 2 1", "MoveTo 2 1", "LineTo 2 3", "PrintRight r 1 2",
                                      "PrintBlock b 1 2 3", "EndPage", "EndDocument"}));
}

TEST(PageStreamReader, Errors) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::string message;
    bool ends_document;
  };
  Bytes bad_page = Header(1);
  bad_page.push_back(81);
  Bytes bad_code = Header(1);
  PageStart(bad_code, 1);
  bad_code.push_back(99);
  Bytes cut = Header(2);
  PageStart(cut, 1);
  cut.push_back(82);
  PageStart(cut, 2);
  cut.push_back(24);
  Bytes short_header = Header(1);
  short_header.resize(20);
  // Numbers no PDF can hold: a NaN coordinate, an infinite page width, an absurd pen width.
  auto with_number = [](int code, float value, size_t& at) {
    Bytes b = Header(1);
    PageStart(b, 1);
    ByteWriter w(b);
    if (code == 0) {
      at = b.size() - 8;  // the page frame's width
      std::memcpy(b.data() + at, &value, 4);
      return b;
    }
    w.U8(static_cast<uint8_t>(code));
    if (code == 12) w.F32(1);  // a move: x, then the bad y
    at = b.size();
    w.F32(value);
    if (code == 11) w.F32(1);
    return b;
  };
  size_t nan_at = 0, inf_at = 0, pen_at = 0;
  Bytes nan_line = with_number(12, std::nanf(""), nan_at);
  Bytes inf_width = with_number(0, INFINITY, inf_at);
  Bytes huge_pen = with_number(74, 1e30f, pen_at);
  for (const Case& k :
       {Case{"header", {65, 1, 2}, "Unexpected header code [65] found in report file.", false},
        Case{"page", bad_page, "Unexpected code found in report file.", true},
        Case{"record", bad_code, "Unexpected code [99] found in report file.", true},
        Case{"page variable",
             [] {
               Bytes b = Header(1);
               PageStart(b, 1);
               b.push_back(37);
               return b;
             }(),
             "Unexpected code [37] found in report file.", true},
        Case{"NaN coordinate", nan_line,
             "Number out of range in report file at byte offset " + std::to_string(nan_at), true},
        Case{"infinite page", inf_width,
             "Number out of range in report file at byte offset " + std::to_string(inf_at), true},
        Case{"absurd pen", huge_pen,
             "Number out of range in report file at byte offset " + std::to_string(pen_at),
             true}}) {
    RecordingRenderer r;
    EXPECT_EQ(ReplayError(k.bytes, r), k.message) << k.what;
    EXPECT_EQ(!r.Only("EndDocument").empty(), k.ends_document) << k.what;
  }
  RecordingRenderer r;
  std::string message = ReplayError(cut, r);
  EXPECT_NE(message.find("Read beyond the end"), std::string::npos) << message;
  EXPECT_EQ(r.Only("EndPage").size(), 1u);
  EXPECT_EQ(r.calls.back(), "EndDocument");
  RecordingRenderer h;
  EXPECT_NE(ReplayError(short_header, h).find("Read beyond the end"), std::string::npos);
  EXPECT_TRUE(h.calls.empty());
}

TEST(PageStreamReader, OlderVersions) {
  // "Y" (2009): no title, one-byte string lengths, paper sizes on the page frame.
  Bytes b;
  ByteWriter w(b);
  w.U8(89), w.I16(1), w.I16(1), w.I16(9999), w.F32(8.5f), w.F32(11.0f);
  for (int i = 0; i < 4; ++i) w.F32(0);
  w.U8(0), w.I16(265), w.U8(0), w.U8(0), w.I16(1), w.I16(1), w.I16(0), w.I16(0), w.U8(0);
  PageStart(b, 1);
  std::string long_text(200, 'x');
  w.U8(24), w.F32(1), w.String(long_text, false), w.F32(2), w.U8(82);
  RecordingRenderer r;
  TPageStreamReader reader(b, r);
  reader.Replay();
  EXPECT_EQ(reader.Header().version, 2009);
  EXPECT_EQ(r.Only("PrintLeft").size(), 1u);
  EXPECT_EQ(r.Only("PrintLeft")[0].size(), std::string("PrintLeft  2 1").size() + 200);
}

// A document of `pages` pages, each with a heading "Page n", a centred digit and two rules.
Bytes RecordDocument(int pages) {
  TPageStreamWriter writer;
  TReportProject project;
  project.SetEngine(&writer);
  TReport* report = testing::NewChainedReport(project, pages);
  for (int i = 0; i < pages; ++i) {
    TReportPage* page = report->Pages()[i];
    auto* t = CreateItem<TReportText>(*page, "TitleText");
    t->SetText("Page " + std::to_string(i + 1)), t->SetLeft(1), t->SetTop(1), t->Font().Size = 18;
    auto* d = CreateItem<TReportText>(*page, "TitleText");
    d->SetText("(7)"), d->SetLeft(3), d->SetTop(3), d->SetFontJustify(pjCenter);
    auto* h = CreateItem<TReportHLine>(*page);
    h->SetLeft(0.5), h->SetWidth(7), h->SetLineWidth(10), h->SetTop(2);
    auto* v = CreateItem<TReportVLine>(*page);
    v->SetTop(2), v->SetHeight(7), v->SetLineWidth(5), v->SetLeft(0.5);
  }
  project.ExecuteReport("Report1");
  return writer.Recording();
}

TEST(PageStreamReader, RoundTripAndSinglePages) {
  Bytes b = RecordDocument(3);
  RecordingRenderer r;
  TPageStreamReader(b, r).Replay();
  std::vector<std::string> texts = r.Only("Print");
  ASSERT_EQ(texts.size(), 6u);
  // 18 points are 150 dots: line height 0.3 inch, descent round(434 * 150 / 2048) = 32 dots.
  float base18 = static_cast<float>(1 + 150.0 / 600 * 72 / 60 - 32.0 / 600);
  std::ostringstream want;
  want << "PrintLeft Page 2 1 " << base18;
  EXPECT_EQ(texts[2], want.str());
  EXPECT_EQ(r.Only("MoveTo"),
            (std::vector<std::string>{"MoveTo 0.5 2", "MoveTo 0.5 2", "MoveTo 0.5 2",
                                      "MoveTo 0.5 2", "MoveTo 0.5 2", "MoveTo 0.5 2"}));
  EXPECT_EQ(r.Only("LineTo")[1], "LineTo 0.5 9");
  EXPECT_EQ(r.Only("FontChanged")[0], "FontChanged Arial 10 0 0 0");
  EXPECT_EQ(r.Only("BeginPage").size(), 3u);
  // Pen widths: 1 dot at the page start, then 10 and 5.
  std::vector<std::string> pens = r.Only("PenChanged");
  EXPECT_EQ(pens[0], "PenChanged 0 0 1");
  EXPECT_EQ(pens[1], "PenChanged 0 0 10");
  EXPECT_EQ(pens[2], "PenChanged 0 0 5");

  RecordingRenderer one;
  TPageStreamReader(b, one).Replay(3);
  EXPECT_EQ(one.Only("BeginPage").size(), 1u);
  EXPECT_NE(one.Only("PrintLeft")[0].find("Page 3"), std::string::npos);
  RecordingRenderer missing;
  EXPECT_THROW(TPageStreamReader(b, missing).Replay(4), ReportFileError);
}

TEST(PdfFormat, NumbersColoursAndEscapes) {
  EXPECT_EQ(FormatFixed4(94.175), "94.1750");
  EXPECT_EQ(FormatFixed4(0), "0.0000");
  EXPECT_EQ(FormatD4(12), "0012");
  EXPECT_EQ(FormatD4(100), "0100");
  EXPECT_EQ(FormatD4(12345), "12345");
  EXPECT_EQ(FormatColor(0x000000FF), "1 0 0");
  EXPECT_EQ(FormatColor(0x0000FF00), "0 1 0");
  EXPECT_EQ(FormatColor(0x00FF0000), "0 0 1");
  EXPECT_EQ(FormatColor(0x00808080), "0.502 0.502 0.502");
  EXPECT_EQ(FormatColor(0x00FFFFFF), "1 1 1");
  EXPECT_EQ(FormatColor(-5), "0 0 0");
  EXPECT_EQ(FormatG3(1 / 255.0), "0.00392");
  EXPECT_EQ(EscapeText("a(b)\\c"), "a\\(b\\)\\\\c");
  EXPECT_EQ(MapFontName("ARIAL", false, false), "Helvetica");
  EXPECT_EQ(MapFontName("Arial", true, true), "Helvetica-BoldOblique");
  EXPECT_EQ(MapFontName("courier new", false, true), "Courier-Oblique");
  EXPECT_EQ(MapFontName("TimesRoman", true, false), "Times-Bold");
  EXPECT_EQ(MapFontName("Symbol", true, false), "Symbol");
  EXPECT_EQ(MapFontName("Comic Sans", false, true), "Helvetica-Oblique");
}

// "%.4f" in the C locale is the definition; the formatter has a short way for page coordinates
// and must agree with it everywhere, ties and their neighbours, signs and huge values included.
TEST(PdfFormat, Fixed4AgreesWithPrintf) {
  std::vector<double> values = {0.5,          -0.5,
                                0.00005,      0.00015,
                                -0.00005,     -0.0,
                                1e-300,       -1e-7,
                                0.99995,      9.99995,
                                612.0,        791.9999,
                                94.175,       1.00005,
                                123456.78905, 999999.99995,
                                1e6,          -1e6,
                                2.5e9,        -3.75e12,
                                1e300,        4503599627370495.5,
                                0.12345,      72 * 0.35};
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> page(-50, 800);
  std::uniform_int_distribution<int> ticks(-200000, 8000000);
  for (int i = 0; i < 200000; ++i) {
    values.push_back(page(random));
    // Values on and next to the rounding boundaries, as inch positions times 72 give them.
    double tie = (ticks(random) + 0.5) / 10000.0;
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, 1e9));
    values.push_back(ticks(random) / 3600.0 * 72);
  }
  int mismatches = 0;
  for (double v : values) {
    char want[400];
    std::snprintf(want, sizeof want, "%.4f", v);
    if (FormatFixed4(v) != want && ++mismatches < 10) {
      ADD_FAILURE() << std::hexfloat << v << ": " << FormatFixed4(v) << " != " << want;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(PdfFormat, NumbersIgnoreTheProcessLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the de_DE.UTF-8 locale is missing";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", 0.5);
  EXPECT_STREQ(buf, "0,5");  // the locale really has a decimal comma
  EXPECT_EQ(FormatFixed4(0.5), "0.5000");
  EXPECT_EQ(FormatColor(0x00808080), "0.502 0.502 0.502");
  std::setlocale(LC_ALL, saved.c_str());
}

std::string Render(TRenderPDF& pdf, const Bytes& stream) {
  MemoryStream out;
  pdf.Render(stream.data(), stream.size(), out);
  return std::string(out.bytes().begin(), out.bytes().end());
}

TEST(PdfWriter, WorkedExamplePageContent) {
  TRenderPDF pdf;
  pdf.CreationDate = [] { return std::string("20261209120000"); };
  MemoryStream out;
  // Driven directly through the renderer operations, as the reader would.
  EXPECT_THROW(pdf.Render(nullptr, 0, out), StreamReadError);  // header error: nothing written
  EXPECT_TRUE(out.bytes().empty());
  Bytes b = Header(1);
  PageStart(b, 1);
  ByteWriter w(b);
  w.U8(51), w.String("Arial"), w.U8(54), w.F32(25.0f / 72), w.F32(1);
  w.U8(23), w.F32(2.0f), w.String("5"), w.F32(1.5f);
  w.U8(74), w.F32(10.0f / 600);
  w.U8(12), w.F32(0.5f), w.F32(2.0f), w.U8(11), w.F32(7.5f), w.F32(2.0f), w.U8(82);
  std::string file = Render(pdf, b);
  std::string content =
      "2 J\r\nBT\r\n0 0 0 rg\r\n/F1 0025 Tf\r\n94.1750 648.0000 Td\r\n( 5 ) Tj\r\nET\r\n"
      "[] 0 d\r\n0 0 0 RG\r\n1 1 1 rg\r\n1.2000 w \r\n36.0000 648.0000 m\r\n"
      "540.0000 648.0000 l S\r\n";
  std::string want =
      "%PDF-1.3\r\n%\xE2\xE3\xCF\xD3\r\n\r\n"
      "1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Outlines 2 0 R\r\n/Pages 3 0 R\r\n>>\r\nendobj\r\n\r\n"
      "2 0 obj\r\n<<\r\n/Type /Outlines\r\n/Count 0\r\n>>\r\nendobj\r\n\r\n"
      "3 0 obj\r\n<<\r\n/Type /Pages\r\n/Count 1\r\n/Kids [ 4 0 R ] \r\n>>\r\nendobj\r\n\r\n"
      "4 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 3 0 R\r\n/Resources <<\r\n/Font <<\r\n"
      "/F1 7 0 R \r\n>>\r\n/ProcSet 6 0 R\r\n>>\r\n/MediaBox [0 0 612.0000 792.0000]\r\n"
      "/Contents 5 0 R\r\n>>\r\nendobj\r\n\r\n"
      "5 0 obj\r\n<< /Length " +
      std::to_string(content.size()) + " >>\r\nstream\r\n" + content +
      "endstream\r\nendobj\r\n\r\n"
      "6 0 obj\r\n[/PDF /Text]\r\nendobj\r\n\r\n"
      "7 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Name /F1\r\n/BaseFont /Helvetica\r\n"
      "/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n\r\n"
      "8 0 obj\r\n<<\r\n/CreationDate (D:20261209120000)\r\n>>\r\nendobj\r\n\r\n";
  // Cross-reference entries: the byte position of every "n 0 obj" line.
  std::string xref = "xref\r\n0 9\r\n0000000000 65535 f\r\n";
  for (int n = 1; n <= 8; ++n) {
    size_t at = want.find(std::to_string(n) + " 0 obj\r\n");
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n\r\n", at);
    ASSERT_EQ(std::string(entry).size(), 20u);
    xref += entry;
  }
  size_t start = want.size();
  want += xref +
          "\r\ntrailer\r\n<<\r\n/Size 9\r\n/Root 1 0 R\r\n/Info 8 0 R\r\n>>\r\n\r\n"
          "startxref\r\n" +
          std::to_string(start) + "\r\n%%EOF\r\n";
  EXPECT_EQ(file, want);
}

TEST(PdfWriter, GraphicsStateFlagsAndTextPlacement) {
  TRenderPDF pdf;
  MemoryStream out;
  Bytes b = Header(2);
  PageStart(b, 1);
  ByteWriter w(b);
  // Page 1: a line, then a left text at x 1.0 baseline 2.0 in 12 points, then another line.
  w.U8(54), w.F32(12.0f / 72), w.F32(1);
  w.U8(74), w.F32(5.0f / 600);
  w.U8(12), w.F32(1), w.F32(1), w.U8(11), w.F32(2), w.F32(1);
  w.U8(24), w.F32(2.0f), w.String("a(b)\\c"), w.F32(1.0f);
  w.U8(12), w.F32(1), w.F32(3), w.U8(11), w.F32(2), w.F32(3);
  w.U8(24), w.F32(2.0f), w.String("x"), w.F32(1.0f);
  w.U8(82);
  PageStart(b, 2);
  w.U8(52), w.I32(0xFF);  // red text
  w.U8(24), w.F32(2.0f), w.String("y"), w.F32(1.0f);
  w.U8(12), w.F32(1), w.F32(1), w.U8(11), w.F32(2), w.F32(1);
  w.U8(82);
  std::string file = Render(pdf, b);
  size_t p1 = file.find("stream\r\n2 J");
  size_t p2 = file.find("stream\r\n2 J", p1 + 1);
  std::string c1 = file.substr(p1 + 8, file.find("endstream", p1) - p1 - 8);
  std::string c2 = file.substr(p2 + 8, file.find("endstream", p2) - p2 - 8);
  EXPECT_EQ(c1,
            "2 J\r\n[] 0 d\r\n0 0 0 RG\r\n1 1 1 rg\r\n0.6000 w \r\n72.0000 720.0000 m\r\n"
            "144.0000 720.0000 l S\r\n"
            "BT\r\n0 0 0 rg\r\n/F1 0012 Tf\r\n68.7000 648.0000 Td\r\n( a\\(b\\)\\\\c ) Tj\r\nET\r\n"
            // The text colour cleared the stroke and fill flags.
            "0 0 0 RG\r\n1 1 1 rg\r\n72.0000 576.0000 m\r\n144.0000 576.0000 l S\r\n"
            // ... and they cleared the text colour's.
            "BT\r\n0 0 0 rg\r\n/F1 0012 Tf\r\n68.7000 648.0000 Td\r\n( x ) Tj\r\nET\r\n");
  EXPECT_EQ(c2,
            "2 J\r\nBT\r\n1 0 0 rg\r\n/F1 0012 Tf\r\n68.7000 648.0000 Td\r\n( y ) Tj\r\nET\r\n"
            "[] 0 d\r\n0 0 0 RG\r\n1 1 1 rg\r\n0.6000 w \r\n72.0000 720.0000 m\r\n"
            "144.0000 720.0000 l S\r\n");
}

TEST(PdfWriter, ObjectCountsForNPages) {
  for (int n : {1, 3, 7}) {
    TRenderPDF pdf;
    pdf.FontEncoding = fePDFDocEncoding;
    pdf.DocInfo.KeyWords = "printable sudoku,pdf sudoku,sudoku,sudoko";
    pdf.DocInfo.Creator = "www.tessaly.example";
    pdf.DocInfo.Producer = "Tessaly";
    std::string file = Render(pdf, RecordDocument(n));
    std::string size = "/Size " + std::to_string(2 * n + 7) + "\r\n";
    EXPECT_NE(file.find(size), std::string::npos);
    EXPECT_NE(file.find("/Info " + std::to_string(2 * n + 6) + " 0 R"), std::string::npos);
    EXPECT_NE(file.find("xref\r\n0 " + std::to_string(2 * n + 7) + "\r\n"), std::string::npos);
    EXPECT_NE(file.find(std::to_string(2 * n + 5) + " 0 obj\r\n<<\r\n/Type /Font"),
              std::string::npos);
    EXPECT_NE(file.find("/Encoding /PDFDocEncoding"), std::string::npos);
    EXPECT_NE(file.find("/Keywords (printable sudoku,pdf sudoku,sudoku,sudoko)\r\n/Creator "
                        "(www.tessaly.example)\r\n/Producer (Tessaly)\r\n/CreationDate (D:"),
              std::string::npos);
    EXPECT_EQ(file.find("/Title"), std::string::npos);
    if (n == 3) {
      EXPECT_NE(file.find("/Kids [ 4 0 R 6 0 R 8 0 R ] \r\n"), std::string::npos);
    }
    // Every cross-reference entry points at the line that opens its object.
    size_t xref = file.find("xref\r\n");
    size_t entry = file.find("65535 f\r\n", xref) + 9;
    for (int obj = 1; obj <= 2 * n + 6; ++obj, entry += 20) {
      size_t offset = std::stoul(file.substr(entry, 10));
      EXPECT_EQ(file.substr(offset, std::to_string(obj).size() + 7),
                std::to_string(obj) + " 0 obj\r");
    }
    EXPECT_EQ(file.substr(file.size() - 7), "%%EOF\r\n");
  }
}

// Every drawing the writer knows, on one page: rotated and underlined text, struck-out text,
// dashed and coloured lines, rectangles, an ellipse, a polyline and a polygon.
Bytes EveryDrawing() {
  Bytes b = Header(1);
  PageStart(b, 1);
  ByteWriter w(b);
  auto point = [&](float x, float y) { w.F32(x), w.F32(y); };
  w.U8(51), w.String("Courier New");      // font name
  w.U8(54), w.F32(14.0f / 72), w.F32(0);  // 14 pt
  w.U8(52), w.I32(0x000000FF);            // red text
  w.U8(61), w.I16(30);                    // rotated 30 degrees
  w.U8(24), w.F32(2), w.String("Turn (me)"), w.F32(1);
  w.U8(61), w.I16(0);
  w.U8(56), w.U8(1);  // underlined
  w.U8(23), w.F32(3), w.String("Under"), w.F32(4);
  w.U8(56), w.U8(0), w.U8(58), w.U8(1);  // struck out
  w.U8(25), w.F32(4), w.String("Struck"), w.F32(6);
  w.U8(71), w.I32(0x00FF0000), w.U8(73), w.U8(1), w.U8(74), w.F32(0.02f);  // blue, dashed
  w.U8(12), point(1, 5), w.U8(11), point(7, 5);
  w.U8(41), w.I32(0x0000FF00), w.U8(42), w.U8(0);  // green brush
  w.U8(18), point(1, 6), point(3, 7);
  w.U8(8), point(4, 6), point(5, 7);
  w.U8(7), point(6, 6), point(8, 8);
  w.U8(73), w.U8(3);
  w.U8(15), w.I16(2), point(1, 9), point(2, 10), point(3, 9);
  w.U8(14), w.I16(2), point(5, 9), point(6, 10), point(7, 9);
  w.U8(82);
  return b;
}

TEST(PdfWriter, EveryDrawingKeepsItsBytes) {
  TRenderPDF pdf;
  pdf.CreationDate = [] { return std::string("20000101000000"); };
  MemoryStream out;
  Bytes b = EveryDrawing();
  pdf.Render(b.data(), b.size(), out);
  std::string file(out.bytes().begin(), out.bytes().end());
  size_t start = file.find("stream\r\n") + 8, end = file.find("endstream");
  EXPECT_EQ(file.substr(start, end - start),
            "2 J\r\n"
            "BT\r\n"
            "1 0 0 rg\r\n"
            "/F1 0014 Tf\r\n"
            "62.9000 648.0000 Td\r\n"
            "0.8660 0.5000 -0.5000 0.8660 72.0000 648.0000 Tm\r\n"
            "( Turn \\(me\\) ) Tj\r\n"
            "ET\r\n"
            "BT\r\n"
            "/F1 0014 Tf\r\n"
            "257.9000 576.0000 Td\r\n"
            "( Under ) Tj\r\n"
            "ET\r\n"
            "[] 0 d\r\n"
            "0 0 0 RG\r\n"
            "1 1 1 rg\r\n"
            "1.5120 w \r\n"
            "267.0000 573.7320 m\r\n"
            "1 0 0 RG\r\n"
            "309.0000 573.7320 l S\r\n"
            "BT\r\n"
            "1 0 0 rg\r\n"
            "/F1 0014 Tf\r\n"
            "372.5000 504.0000 Td\r\n"
            "( Struck ) Tj\r\n"
            "ET\r\n"
            "0 0 0 RG\r\n"
            "1 1 1 rg\r\n"
            "0.6480 w \r\n"
            "381.6000 507.0800 m\r\n"
            "1 0 0 RG\r\n"
            "432.0000 507.0800 l S\r\n"
            "[13 6] 0 d\r\n"
            "0 0 0 RG\r\n"
            "1.4400 w \r\n"
            "72.0000 432.0000 m\r\n"
            "0 0 1 RG\r\n"
            "504.0000 432.0000 l S\r\n"
            "0 1 0 rg\r\n"
            "72.0000 288.0000 144.0000 72.0000 re b\r\n"
            "[] 0 d\r\n"
            "288.0000 288.0000 72.0000 72.0000 re f\r\n"
            "[13 6] 0 d\r\n"
            "576.0000 288.0000 m\r\n"
            "576.0000 327.7645 543.7645 360.0000 504.0000 360.0000 c\r\n"
            "464.2355 360.0000 432.0000 327.7645 432.0000 288.0000 c\r\n"
            "432.0000 248.2355 464.2355 216.0000 504.0000 216.0000 c\r\n"
            "543.7645 216.0000 576.0000 248.2355 576.0000 288.0000 c\r\n"
            "b\r\n"
            "[8 4 1 4] 0 d\r\n"
            "72.0000 144.0000 m\r\n"
            "144.0000 72.0000 l\r\n"
            "216.0000 144.0000 l\r\n"
            "S\r\n"
            "360.0000 144.0000 m\r\n"
            "432.0000 72.0000 l\r\n"
            "504.0000 144.0000 l\r\n"
            "h b\r\n");
  EXPECT_EQ(testing::PdfSyntaxProblem(file), "");
}

TEST(PdfWriter, OutputNames) {
  TRenderPDF pdf;
  const std::pair<std::string, std::string> cases[] = {
      {"out", "out.pdf"},
      {"out.pdf", "out.pdf"},
      {"OUT.Pdf", "OUT.Pdf"},
      {"book.", "book.pdf"},
      {"Sudoku Vol.1", "Sudoku Vol.1.pdf"},
      {"out.txt", "out.txt.pdf"},
      {"/tmp/a.b/out", "/tmp/a.b/out.pdf"},
  };
  for (const auto& [name, output] : cases) EXPECT_EQ(pdf.OutputName(name), output) << name;
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(PdfWriter, FailuresLeaveTheOldFile) {
  TRenderPDF pdf;
  EXPECT_THROW(pdf.RenderStream(RecordDocument(1), "/nonexistent-folder/out.pdf"), FileError);

  fs::path dir = fs::temp_directory_path() / ("quorvel_pdf_test_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::path old = dir / "book.pdf";
  auto files = [&] {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  };
  std::ofstream(old) << "the old book";

  // A recording whose header cannot be read gives nothing.
  EXPECT_THROW(pdf.RenderStream({65}, old.string()), ReportFileError);
  EXPECT_EQ(FileText(old), "the old book");
  EXPECT_EQ(files(), 1);

  // A full disk, made with a file-size limit: the old book stays, no temporary file is left.
  Bytes big = RecordDocument(60);
  {
    testing::FileSizeLimit full_disk(4096);
    EXPECT_THROW(pdf.RenderStream(big, old.string()), FileError);
  }
  EXPECT_EQ(FileText(old), "the old book");
  EXPECT_EQ(files(), 1);

  // A replay failure gives a complete PDF of the pages replayed so far, never in the old
  // book's place: under a name of its own that the message gives, and only while it is free.
  Bytes b = RecordDocument(3);
  b.resize(b.size() - 40);
  pdf.SourceName = "run.pgs";
  const fs::path partial = dir / "book.partial.pdf";
  for (bool partial_free : {true, false}) {
    try {
      pdf.RenderStream(b, old.string());
      ADD_FAILURE() << "a damaged recording must fail";
    } catch (const StreamReadError& e) {
      std::string message = e.what();
      EXPECT_NE(message.find(" at byte offset "), std::string::npos) << message;
      EXPECT_NE(message.find(" of run.pgs; " + old.string() + " was not written"),
                std::string::npos)
          << message;
      EXPECT_EQ(message.find(partial.string()) != std::string::npos, partial_free) << message;
    }
    EXPECT_EQ(FileText(old), "the old book");
    std::string file = FileText(partial);
    EXPECT_NE(file.find("/Count 3"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 7), "%%EOF\r\n");
    EXPECT_EQ(testing::PdfSyntaxProblem(file), "");
    EXPECT_EQ(files(), 2);
  }
  EXPECT_EQ(TRenderPDF::PartialName("a/b.c/book"), "a/b.c/book.partial");
  EXPECT_EQ(TRenderPDF::PartialName(".pdf"), ".pdf.partial");
  fs::remove_all(dir);
}

TEST(PdfWriter, PrintReadyFiles) {
  TRenderPDF pdf;
  pdf.CreationDate = [] { return std::string("20260101120000"); };
  pdf.PrintReady = true;
  pdf.PrintFontFile = FindPrintFont();
  MemoryStream out;
  Bytes recording = RecordDocument(2);
  pdf.Render(recording.data(), recording.size(), out);
  std::string file(out.bytes().begin(), out.bytes().end());
  EXPECT_EQ(testing::PdfSyntaxProblem(file), "");
  EXPECT_EQ(file.rfind("%PDF-1.3\r\n", 0), 0u);
  EXPECT_NE(file.find("/Subtype /TrueType\r\n/Name /F1\r\n/BaseFont /LiberationSans\r\n"
                      "/FirstChar 32\r\n/LastChar 103\r\n"),
            std::string::npos)
      << "the codes used: from the space to \"g\" of \"Page\"";
  EXPECT_NE(file.find("0 g\r\n"), std::string::npos);
  EXPECT_EQ(file.find(" rg\r\n"), std::string::npos);
  EXPECT_NE(file.find("<50> <0050>"), std::string::npos) << "\"P\" maps back to Unicode";
  // The same recording gives the same file, identifier included.
  MemoryStream again;
  pdf.Render(recording.data(), recording.size(), again);
  EXPECT_EQ(again.bytes(), out.bytes());

  // A font that cannot be read fails before anything is written.
  pdf.PrintFontFile = "/nonexistent/font.ttf";
  MemoryStream none;
  EXPECT_THROW(pdf.Render(recording.data(), recording.size(), none), FileError);
  EXPECT_TRUE(none.bytes().empty());
}

// Runs a command and returns its standard output; the exit status goes to `status`.
std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  status = pclose(p);
  return out;
}

TEST(PdfWriter, OtherToolsAcceptTheFile) {
  fs::path path =
      fs::temp_directory_path() / ("quorvel_tools_test_" + std::to_string(getpid()) + ".pdf");
  TRenderPDF pdf;
  pdf.FontEncoding = fePDFDocEncoding;
  pdf.RenderStream(RecordDocument(4), path.string());
  int status = 0;
  std::string check = RunCommand("qpdf --check " + path.string() + " 2>&1", status);
  EXPECT_EQ(status, 0) << check;
  EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
  std::string text = RunCommand("pdftotext -layout " + path.string() + " - 2>&1", status);
  EXPECT_EQ(status, 0) << text;
  // Pages are separated by form feeds.
  std::vector<std::string> pages;
  size_t start = 0;
  for (size_t ff; (ff = text.find('\f', start)) != std::string::npos; start = ff + 1) {
    pages.push_back(text.substr(start, ff - start));
  }
  ASSERT_EQ(pages.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(pages[i].find("Page " + std::to_string(i + 1)), std::string::npos) << pages[i];
    EXPECT_NE(pages[i].find("(7)"), std::string::npos);
  }
  fs::remove(path);
}

}  // namespace
}  // namespace quorvel::report
