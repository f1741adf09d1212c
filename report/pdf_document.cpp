// The PDF's document structure: its objects numbered as they are made (the catalog, the page
// tree, the pages and their contents, the fonts, the information, the embedded fonts) and each
// written by a function of its own through the object writer.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "report/embedded_font.h"
#include "report/pdf_content.h"
#include "report/pdf_objects.h"
#include "report/pdf_writer_private.h"

namespace quorvel::report {
namespace {

const char* const kEncodingNames[] = {"MacRomanEncoding", "MacExpertEncoding", "WinAnsiEncoding",
                                      "PDFDocEncoding", "StandardEncoding"};

}  // namespace

// The local time, or the time SOURCE_DATE_EPOCH names (in UTC), for files that are to come
// out the same from run to run. A value that is not a date of four-digit years is not used.
std::string PdfTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (std::optional<int64_t> fixed = SourceDateEpoch()) {
    now = static_cast<std::time_t>(*fixed);
    gmtime_r(&now, &local);
  } else {
    localtime_r(&now, &local);
  }
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &local);
  return buf;
}

namespace {}  // namespace

// The objects of the file, numbered in the order they are made: the catalog, the outlines and
// the page tree; each page and its content; the procedure set; the fonts; the document
// information; and for each embedded font its descriptor, program and map back to Unicode.
struct TRenderPDF::Objects {
  int catalog = 0, outlines = 0, page_tree = 0, procset = 0, info = 0;
  std::vector<int> page, content;                    // by page
  std::vector<int> font, descriptor, program, cmap;  // by font
  int first_code = 32, last_code = 32;               // the character codes used
};

TRenderPDF::Objects TRenderPDF::NumberObjects(PdfObjectWriter& pdf) const {
  Objects o;
  o.catalog = pdf.NewObject();
  o.outlines = pdf.NewObject();
  o.page_tree = pdf.NewObject();
  for (size_t k = 0; k < pages_.size(); ++k) {
    o.page.push_back(pdf.NewObject());
    o.content.push_back(pdf.NewObject());
  }
  o.procset = pdf.NewObject();
  for (size_t i = 0; i < fonts_.size(); ++i) o.font.push_back(pdf.NewObject());
  o.info = pdf.NewObject();
  if (Embedding()) {
    for (size_t i = 0; i < fonts_.size(); ++i) {
      o.descriptor.push_back(pdf.NewObject());
      o.program.push_back(pdf.NewObject());
      o.cmap.push_back(pdf.NewObject());
    }
  }
  int first = 255, last = 0;
  for (int code = 0; code < 256; ++code) {
    if (codes_used_[static_cast<size_t>(code)]) {
      first = std::min(first, code);
      last = std::max(last, code);
    }
  }
  if (first <= last) o.first_code = first, o.last_code = last;
  return o;
}

void TRenderPDF::WriteCatalog(PdfObjectWriter& pdf, const Objects& o) const {
  std::vector<std::string> catalog = {"/Type /Catalog",
                                      "/Outlines " + PdfObjectWriter::Ref(o.outlines),
                                      "/Pages " + PdfObjectWriter::Ref(o.page_tree)};
  if (PrintReady) {
    catalog.push_back(
        "/OutputIntents [ << /Type /OutputIntent /S /GTS_PDFX "
        "/OutputConditionIdentifier (CGATS TR 001) /RegistryName (http://www.color.org) "
        "/Info (CGATS TR 001) >> ]");
  }
  pdf.Dictionary(o.catalog, catalog);
  pdf.Dictionary(o.outlines, {"/Type /Outlines", "/Count 0"});
  std::string kids;
  for (int page : o.page) {
    if (!kids.empty()) kids += ' ';
    kids += PdfObjectWriter::Ref(page);
  }
  pdf.Dictionary(o.page_tree, {"/Type /Pages", "/Count " + std::to_string(o.page.size()),
                               "/Kids [ " + kids + " ] "});
}

void TRenderPDF::WritePages(PdfObjectWriter& pdf, const Objects& o) const {
  // Every page names the same fonts.
  std::string font_lines;
  for (size_t i = 0; i < fonts_.size(); ++i) {
    font_lines += "/" + fonts_[i].resource + " " + PdfObjectWriter::Ref(o.font[i]) + " \r\n";
  }
  for (size_t k = 0; k < pages_.size(); ++k) {
    const Page& page = *pages_[k];
    pdf.Begin(o.page[k]);
    pdf.Line("<<"), pdf.Line("/Type /Page"),
        pdf.Line("/Parent " + PdfObjectWriter::Ref(o.page_tree));
    pdf.Line("/Resources <<");
    if (!fonts_.empty()) {
      pdf.Line("/Font <<");
      pdf.Text(font_lines);
      pdf.Line(">>");
    }
    pdf.Line("/ProcSet " + PdfObjectWriter::Ref(o.procset));
    pdf.Line(">>");
    const std::string box =
        "[0 0 " + FormatFixed4(page.width * 72) + " " + FormatFixed4(page.height * 72) + "]";
    pdf.Line("/MediaBox " + box);
    if (PrintReady) pdf.Line("/TrimBox " + box);
    pdf.Line("/Contents " + PdfObjectWriter::Ref(o.content[k]));
    pdf.Line(">>");
    pdf.End();
    pdf.Stream(o.content[k], page.stored);
  }
  pdf.Begin(o.procset);
  pdf.Line("[/PDF /Text]");
  pdf.End();
}

void TRenderPDF::WriteFonts(PdfObjectWriter& pdf, const Objects& o) const {
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const FontObject& font = fonts_[i];
    if (!Embedding()) {
      pdf.Dictionary(o.font[i], {"/Type /Font", "/Subtype /Type1", "/Name /" + font.resource,
                                 "/BaseFont /" + font.base,
                                 std::string("/Encoding /") + kEncodingNames[FontEncoding]});
      continue;
    }
    std::string widths = "/Widths [";
    for (int code = o.first_code; code <= o.last_code; ++code) {
      widths += ' ';
      widths += std::to_string((*font.widths)[static_cast<size_t>(code)]);
    }
    pdf.Dictionary(
        o.font[i],
        {"/Type /Font", "/Subtype /TrueType", "/Name /" + font.resource, "/BaseFont /" + font.base,
         "/FirstChar " + std::to_string(o.first_code), "/LastChar " + std::to_string(o.last_code),
         widths + " ]", "/Encoding /WinAnsiEncoding",
         "/FontDescriptor " + PdfObjectWriter::Ref(o.descriptor[i]),
         "/ToUnicode " + PdfObjectWriter::Ref(o.cmap[i])});
  }
}

void TRenderPDF::WriteInfo(PdfObjectWriter& pdf, const Objects& o) const {
  const std::string date = CreationDate ? CreationDate() : PdfTimestamp();
  std::vector<std::string> info;
  const std::pair<const char*, const std::string*> entries[] = {
      {"/Title", &DocInfo.Title},     {"/Author", &DocInfo.Author},
      {"/Subject", &DocInfo.Subject}, {"/Keywords", &DocInfo.KeyWords},
      {"/Creator", &DocInfo.Creator}, {"/Producer", &DocInfo.Producer}};
  for (const auto& [key, value] : entries) {
    if (!value->empty()) info.push_back(std::string(key) + " (" + EscapeText(*value) + ")");
  }
  info.push_back("/CreationDate (D:" + date + ")");
  if (PrintReady) {
    info.push_back("/ModDate (D:" + date + ")");
    info.push_back("/Trapped /False");
    info.push_back("/GTS_PDFXVersion (PDF/X-1:2001)");
    info.push_back("/GTS_PDFXConformance (PDF/X-1a:2001)");
  }
  pdf.Dictionary(o.info, info);
}

std::string TRenderPDF::UnicodeMap(const Objects& o) const {
  std::vector<std::string> pairs;
  for (int code = o.first_code; code <= o.last_code; ++code) {
    uint16_t u = WinAnsiToUnicode(static_cast<uint8_t>(code));
    if (!codes_used_[static_cast<size_t>(code)] || u == 0) continue;
    char buf[24];
    std::snprintf(buf, sizeof buf, "<%02X> <%04X>", code, u);
    pairs.push_back(buf);
  }
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r\n"
      "/CMapName /Adobe-Identity-UCS def\r\n/CMapType 2 def\r\n"
      "1 begincodespacerange\r\n<00> <FF>\r\nendcodespacerange\r\n";
  for (size_t at = 0; at < pairs.size(); at += 100) {
    size_t n = std::min<size_t>(100, pairs.size() - at);
    cmap += std::to_string(n) + " beginbfchar\r\n";
    for (size_t j = at; j < at + n; ++j) cmap += pairs[j] + "\r\n";
    cmap += "endbfchar\r\n";
  }
  cmap += "endcmap\r\nCMapName currentdict /CMapResource defineresource pop\r\nend\r\nend\r\n";
  return cmap;
}

void TRenderPDF::WriteEmbeddedFonts(PdfObjectWriter& pdf, const Objects& o) const {
  if (!Embedding()) return;
  const std::string cmap = UnicodeMap(o);
  // Each font program is compressed once, however many font objects use it.
  const EmbeddedFont* compressed_for = nullptr;
  std::vector<uint8_t> program;
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const EmbeddedFont& font = *fonts_[i].embedded;
    if (compressed_for != &font) {
      program = Deflate(font.program);
      compressed_for = &font;
    }
    pdf.Dictionary(
        o.descriptor[i],
        {"/Type /FontDescriptor", "/FontName /" + font.postscript_name,
         "/Flags " + std::to_string(font.flags),
         "/FontBBox [" + std::to_string(font.bbox[0]) + " " + std::to_string(font.bbox[1]) + " " +
             std::to_string(font.bbox[2]) + " " + std::to_string(font.bbox[3]) + "]",
         "/ItalicAngle " + std::to_string(font.italic_angle),
         "/Ascent " + std::to_string(font.ascent), "/Descent " + std::to_string(font.descent),
         "/CapHeight " + std::to_string(font.cap_height), "/StemV " + std::to_string(font.stem_v),
         "/FontFile2 " + PdfObjectWriter::Ref(o.program[i])});
    pdf.Stream(o.program[i],
               std::string_view(reinterpret_cast<const char*>(program.data()), program.size()),
               " /Length1 " + std::to_string(font.program.size()) + " /Filter /FlateDecode", true);
    // Text copies and searches as the characters it shows.
    pdf.Stream(o.cmap[i], cmap);
  }
}

void TRenderPDF::EndDocument() {
  if (page_) {
    page_->stored = contents_.Add(page_->content);
    std::string().swap(page_->content);
  }
  // A print-ready file's identifier is a hash of everything before it.
  PdfObjectWriter pdf(*out_, PrintReady);
  const Objects objects = NumberObjects(pdf);
  pdf.Header();
  WriteCatalog(pdf, objects);
  WritePages(pdf, objects);
  WriteFonts(pdf, objects);
  WriteInfo(pdf, objects);
  WriteEmbeddedFonts(pdf, objects);
  pdf.Finish(objects.catalog, objects.info);

  last_page_count_ = static_cast<int>(pages_.size());
  written_.pages = last_page_count_;
  if (!pages_.empty()) written_.width = pages_[0]->width, written_.height = pages_[0]->height;
  if (written_.binding_clearance > 1e8) written_.binding_clearance = 0;
  written_.fonts.clear();
  for (const FontObject& font : fonts_) written_.fonts.push_back(font.base);
  written_.fonts_embedded = Embedding() && !fonts_.empty();
  pages_.clear();
  page_ = nullptr;
  fonts_.clear();
  contents_.Clear();
  document_ended_ = true;
}

}  // namespace quorvel::report
