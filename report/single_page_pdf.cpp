#include "report/single_page_pdf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/pdf_content.h"
#include "report/pdf_objects.h"
#include "report/pdf_writer.h"
#include "report/streams.h"

namespace quorvel::report {

bool Rect::Inside(const Rect& outer, double tolerance) const {
  return left >= outer.left - tolerance && top >= outer.top - tolerance &&
         Right() <= outer.Right() + tolerance && Bottom() <= outer.Bottom() + tolerance;
}

bool Rect::Meets(const Rect& other) const {
  return left < other.Right() && other.left < Right() && top < other.Bottom() &&
         other.top < Bottom();
}

SinglePagePdf::SinglePagePdf(double width, double height, Rect trim,
                             std::vector<const EmbeddedFont*> fonts)
    : width_(width), height_(height), trim_(trim), fonts_(std::move(fonts)) {}

std::string SinglePagePdf::Number(double v) const {
  std::string out;
  AppendFixed4(out, v);
  // Trailing zeros say nothing.
  while (out.size() > 1 && out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  if (out == "-0") out = "0";
  return out;
}

std::string SinglePagePdf::Colour(const Cmyk& c, bool stroke) {
  cmyk_ = true;
  return Number(c.c) + " " + Number(c.m) + " " + Number(c.y) + " " + Number(c.k) +
         (stroke ? " K\n" : " k\n");
}

void SinglePagePdf::FillRect(const Rect& r, const Cmyk& colour) {
  content_ += Colour(colour, false);
  content_ += Number(r.left * 72) + " " + Number((height_ - r.Bottom()) * 72) + " " +
              Number(r.width * 72) + " " + Number(r.height * 72) + " re f\n";
  const bool page = r.left <= 0 && r.top <= 0 && r.Right() >= width_ && r.Bottom() >= height_;
  marks_.push_back({r, false, page});
  ops_.push_back({Op::kFill, r, 0, 0, 0, 0, 0, colour, {}, 0, 0});
}

void SinglePagePdf::Rule(double x1, double y1, double x2, double y2, double points,
                         const Cmyk& colour) {
  content_ += Colour(colour, true);
  content_ += Number(points) + " w\n";
  content_ += Number(x1 * 72) + " " + Number((height_ - y1) * 72) + " m " + Number(x2 * 72) + " " +
              Number((height_ - y2) * 72) + " l S\n";
  thinnest_ = std::min(thinnest_, points);
  ops_.push_back({Op::kRule, {}, x1, y1, x2, y2, points, colour, {}, 0, 0});
  const double half = points / 72 / 2;
  marks_.push_back({{std::min(x1, x2) - half, std::min(y1, y2) - half, std::abs(x2 - x1) + 2 * half,
                     std::abs(y2 - y1) + 2 * half},
                    false,
                    false});
}

double SinglePagePdf::TextWidth(std::string_view text, int font, double points) const {
  const EmbeddedFont& f = *fonts_.at(static_cast<size_t>(font));
  double units = 0;
  for (char c : text) units += f.widths[static_cast<unsigned char>(c)];
  return units / 1000 * points / 72;
}

Rect SinglePagePdf::TextBox(std::string_view text, int font, double points, double x, double y,
                            int quarter_turns) const {
  const EmbeddedFont& f = *fonts_.at(static_cast<size_t>(font));
  const double ascent = f.ascent / 1000.0 * points / 72,
               descent = -f.descent / 1000.0 * points / 72;
  const double length = TextWidth(text, font, points);
  if (quarter_turns % 4 == 1) return {x - descent, y, ascent + descent, length};
  return {x, y - ascent, length, ascent + descent};
}

void SinglePagePdf::Text(std::string_view text, int font, double points, double x, double y,
                         const Cmyk& colour, int quarter_turns) {
  for (char c : text) used_[static_cast<unsigned char>(c)] = true;
  content_ += "BT\n" + Colour(colour, false);
  content_ += "/F" + std::to_string(font + 1) + " " + Number(points) + " Tf\n";
  const std::string at = Number(x * 72) + " " + Number((height_ - y) * 72);
  // A quarter turn clockwise runs the text down the page, its letters' tops to the right.
  content_ += (quarter_turns % 4 == 1 ? "0 -1 1 0 " : "1 0 0 1 ") + at + " Tm\n";
  content_ += "(" + EscapeText(text) + ") Tj\nET\n";
  smallest_ = std::min(smallest_, points);
  ops_.push_back(
      {Op::kText, {}, x, y, 0, 0, points, colour, std::string(text), font, quarter_turns});
  marks_.push_back({TextBox(text, font, points, x, y, quarter_turns), true, false});
}

std::string SinglePagePdf::File(const std::string& title, const std::string& author) const {
  MemoryStream out;
  PdfObjectWriter pdf(out, true);
  const int catalog = pdf.NewObject(), pages = pdf.NewObject(), page = pdf.NewObject(),
            content = pdf.NewObject(), info = pdf.NewObject();
  struct FontObjects {
    int font, descriptor, program, cmap;
  };
  std::vector<FontObjects> objects;
  for (size_t i = 0; i < fonts_.size(); ++i) {
    objects.push_back({pdf.NewObject(), pdf.NewObject(), pdf.NewObject(), pdf.NewObject()});
  }
  pdf.Header();
  pdf.Dictionary(catalog, {"/Type /Catalog", "/Pages " + PdfObjectWriter::Ref(pages),
                           "/OutputIntents [ << /Type /OutputIntent /S /GTS_PDFX "
                           "/OutputConditionIdentifier (CGATS TR 001) /RegistryName "
                           "(http://www.color.org) /Info (CGATS TR 001) >> ]"});
  pdf.Dictionary(pages,
                 {"/Type /Pages", "/Count 1", "/Kids [ " + PdfObjectWriter::Ref(page) + " ]"});
  std::string fonts;
  for (size_t i = 0; i < fonts_.size(); ++i) {
    fonts += "/F" + std::to_string(i + 1) + " " + PdfObjectWriter::Ref(objects[i].font) + " ";
  }
  auto box = [this](const Rect& r) {
    return "[" + Number(r.left * 72) + " " + Number((height_ - r.Bottom()) * 72) + " " +
           Number(r.Right() * 72) + " " + Number((height_ - r.top) * 72) + "]";
  };
  const std::string media = box({0, 0, width_, height_});
  pdf.Dictionary(page, {"/Type /Page", "/Parent " + PdfObjectWriter::Ref(pages),
                        "/Resources << /Font << " + fonts + ">> /ProcSet [/PDF /Text] >>",
                        "/MediaBox " + media, "/BleedBox " + media, "/TrimBox " + box(trim_),
                        "/Contents " + PdfObjectWriter::Ref(content)});
  pdf.Stream(content, content_);
  const std::string date = PdfTimestamp();
  std::vector<std::string> information = {"/Title (" + EscapeText(title) + ")"};
  if (!author.empty()) information.push_back("/Author (" + EscapeText(author) + ")");
  for (const std::string& line :
       {"/CreationDate (D:" + date + ")", "/ModDate (D:" + date + ")",
        std::string("/Trapped /False"), std::string("/GTS_PDFXVersion (PDF/X-1:2001)"),
        std::string("/GTS_PDFXConformance (PDF/X-1a:2001)")}) {
    information.push_back(line);
  }
  pdf.Dictionary(info, information);
  int first = 255, last = 0;
  for (int code = 0; code < 256; ++code) {
    if (used_[static_cast<size_t>(code)])
      first = std::min(first, code), last = std::max(last, code);
  }
  if (first > last) first = last = 32;
  // The characters' Unicode values, so that text copies and searches as it reads.
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
  std::vector<std::string> pairs;
  for (int code = first; code <= last; ++code) {
    const uint16_t u = WinAnsiToUnicode(static_cast<uint8_t>(code));
    if (!used_[static_cast<size_t>(code)] || u == 0) continue;
    char buf[24];
    std::snprintf(buf, sizeof buf, "<%02X> <%04X>", code, u);
    pairs.push_back(buf);
  }
  for (size_t at = 0; at < pairs.size(); at += 100) {
    const size_t n = std::min<size_t>(100, pairs.size() - at);
    cmap += std::to_string(n) + " beginbfchar\n";
    for (size_t j = at; j < at + n; ++j) cmap += pairs[j] + "\n";
    cmap += "endbfchar\n";
  }
  cmap += "endcmap\nCMapName currentdict /CMapResource defineresource pop\nend\nend\n";
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const EmbeddedFont& f = *fonts_[i];
    std::string widths = "/Widths [";
    for (int code = first; code <= last; ++code) {
      widths += " " + std::to_string(f.widths[static_cast<size_t>(code)]);
    }
    pdf.Dictionary(objects[i].font,
                   {"/Type /Font", "/Subtype /TrueType", "/BaseFont /" + f.postscript_name,
                    "/FirstChar " + std::to_string(first), "/LastChar " + std::to_string(last),
                    widths + " ]", "/Encoding /WinAnsiEncoding",
                    "/FontDescriptor " + PdfObjectWriter::Ref(objects[i].descriptor),
                    "/ToUnicode " + PdfObjectWriter::Ref(objects[i].cmap)});
    pdf.Dictionary(
        objects[i].descriptor,
        {"/Type /FontDescriptor", "/FontName /" + f.postscript_name,
         "/Flags " + std::to_string(f.flags),
         "/FontBBox [" + std::to_string(f.bbox[0]) + " " + std::to_string(f.bbox[1]) + " " +
             std::to_string(f.bbox[2]) + " " + std::to_string(f.bbox[3]) + "]",
         "/ItalicAngle " + std::to_string(f.italic_angle), "/Ascent " + std::to_string(f.ascent),
         "/Descent " + std::to_string(f.descent), "/CapHeight " + std::to_string(f.cap_height),
         "/StemV " + std::to_string(f.stem_v),
         "/FontFile2 " + PdfObjectWriter::Ref(objects[i].program)});
    // A fast compression: the cover is made beside the book and must not keep it waiting.
    const std::vector<uint8_t> program = Deflate(f.program, 1);
    pdf.Stream(objects[i].program,
               std::string_view(reinterpret_cast<const char*>(program.data()), program.size()),
               " /Length1 " + std::to_string(f.program.size()) + " /Filter /FlateDecode", true);
    pdf.Stream(objects[i].cmap, cmap);
  }
  pdf.Finish(catalog, info);
  return std::string(out.bytes().begin(), out.bytes().end());
}

}  // namespace quorvel::report
