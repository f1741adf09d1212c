#include "report/pdf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "report/page_stream_reader.h"
#include "report/pdf_content.h"
#include "report/pdf_objects.h"
#include "report/pdf_fonts.h"

namespace quorvel::report {
namespace {

constexpr double kCircle = 0.5522847498307935;

const char* const kEncodingNames[] = {"MacRomanEncoding", "MacExpertEncoding", "WinAnsiEncoding",
                                      "PDFDocEncoding", "StandardEncoding"};

// The local time, or the time SOURCE_DATE_EPOCH names (in UTC), for files that are to come
// out the same from run to run. A value that is not a date of four-digit years is not used.
std::string LocalTimestamp() {
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

bool IsCourier(std::string_view base) {
  return base == "Courier" || base.rfind("Courier-", 0) == 0;
}

}  // namespace

std::optional<int64_t> SourceDateEpoch(std::string* problem) {
  const char* value = std::getenv("SOURCE_DATE_EPOCH");
  if (!value) return std::nullopt;
  std::string_view text(value);
  int64_t seconds = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), seconds);
  const bool digits_only = !text.empty() && text.find_first_not_of("0123456789") == text.npos;
  if (!digits_only || r.ec != std::errc() || seconds > kLastSourceDateEpoch) {
    if (problem) {
      *problem = "SOURCE_DATE_EPOCH must be a whole number of seconds from 0 to " +
                 std::to_string(kLastSourceDateEpoch) + ", not \"" + std::string(text) + "\"";
    }
    return std::nullopt;
  }
  return seconds;
}

char* WriteFixed4(char* p, double v) {
  // Page coordinates, a few hundred thousand a book, take a short way: below a million the
  // scaled value is within 2e-6 of the exact one, so unless its fraction is near one half it
  // rounds the same as the exact decimal value of v would.
  const double magnitude = std::fabs(v);
  if (magnitude < 1e6) {
    const double scaled = magnitude * 10000.0;
    // Below 10^10 the conversion is exact and rounds down, as floor would, without a call.
    const uint64_t whole = static_cast<uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) > 1e-3) {
      const uint64_t n = whole + (fraction > 0.5 ? 1 : 0);
      if (std::signbit(v)) *p++ = '-';
      p = std::to_chars(p, p + 24, n / 10000).ptr;
      const unsigned decimals = static_cast<unsigned>(n % 10000);
      p[0] = '.';
      p[1] = static_cast<char>('0' + decimals / 1000);
      p[2] = static_cast<char>('0' + decimals / 100 % 10);
      p[3] = static_cast<char>('0' + decimals / 10 % 10);
      p[4] = static_cast<char>('0' + decimals % 10);
      return p + 5;
    }
  }
  // Room for the largest double written out in full.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
  if (r.ec != std::errc() || r.ptr - buf > kMaxFixed4) {
    std::memcpy(p, "0.0000", 6);
    return p + 6;
  }
  std::memcpy(p, buf, static_cast<size_t>(r.ptr - buf));
  return p + (r.ptr - buf);
}

void AppendFixed4(std::string& out, double v) {
  char buf[kMaxFixed4];
  out.append(buf, WriteFixed4(buf, v));
}

std::string FormatFixed4(double v) {
  std::string out;
  AppendFixed4(out, v);
  return out;
}

std::string FormatG3(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 3);
  return std::string(buf, r.ptr);
}

std::string FormatD4(int v) {
  std::string digits = std::to_string(v < 0 ? -static_cast<long>(v) : v);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

std::string FormatColor(TColor c) {
  if (c < 0) c = 0;
  return FormatG3((c & 0xFF) / 255.0) + " " + FormatG3(((c >> 8) & 0xFF) / 255.0) + " " +
         FormatG3(((c >> 16) & 0xFF) / 255.0);
}

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (char ch : text) {
    if (ch == '(' || ch == ')' || ch == '\\') out.push_back('\\');
    out.push_back(ch);
  }
  return out;
}

std::string MapFontName(std::string_view name, bool bold, bool italic) {
  static const char* const kHelvetica[] = {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique",
                                           "Helvetica-BoldOblique"};
  static const char* const kCourier[] = {"Courier", "Courier-Bold", "Courier-Oblique",
                                         "Courier-BoldOblique"};
  static const char* const kTimes[] = {"Times-Roman", "Times-Bold", "Times-Italic",
                                       "Times-BoldItalic"};
  int form = (bold ? 1 : 0) + (italic ? 2 : 0);
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "courier" || lower == "courier new") return kCourier[form];
  if (lower == "times new roman" || lower == "timesroman") return kTimes[form];
  if (lower == "symbol") return "Symbol";
  if (lower == "zapfdingbats") return "ZapfDingbats";
  // "Arial" and every other name: no TrueType fonts are used, so they map to Helvetica.
  return kHelvetica[form];
}

// One page: its size, content and graphics-state memory.
struct TRenderPDF::Page {
  double width = 8.5, height = 11.0;
  // The content while the page is made; then `stored`, kept with the others until the file is
  // written, and the string goes on to the next page.
  std::string content;
  std::string_view stored;
  TColor text_color = 0, stroke_color = 0, fill_color = 0x00FFFFFF;
  bool text_written = false, stroke_written = false, fill_written = false;
  bool dash_written = false, width_written = false;
  TColor text_value = 0, stroke_value = 0, fill_value = 0;
  TPenStyle dash_value = psSolid;
  double width_value = 0;
};

TRenderPDF::TRenderPDF() = default;
TRenderPDF::~TRenderPDF() = default;

std::string TRenderPDF::OutputName(std::string file_name) const {
  size_t dot = FileExtension.find('.');
  if (dot == std::string::npos) return file_name;
  size_t end = FileExtension.find(';', dot);
  return WithExtension(
      std::move(file_name),
      std::string_view(FileExtension).substr(dot, end == std::string::npos ? end : end - dot));
}

std::string TRenderPDF::PartialName(const std::string& target) {
  size_t slash = target.find_last_of('/');
  size_t dot = target.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1)) {
    return target + ".partial";
  }
  return target.substr(0, dot) + ".partial" + target.substr(dot);
}

void TRenderPDF::RenderStream(const uint8_t* data, size_t size, std::string file_name) {
  AtomicFileStream file(OutputName(std::move(file_name)), ReplaceExisting);
  // A damaged recording: the complete PDF of the pages replayed so far is kept apart from the
  // target, which stays as it was; a recording whose header cannot be read gives nothing.
  auto keep_partial = [&](const std::string& at) {
    std::string note = at + (SourceName.empty() ? std::string() : " of " + SourceName) + "; " +
                       file.Target() + " was not written";
    if (!document_ended_) return note;
    const std::string partial = PartialName(file.Target());
    try {
      file.CommitAs(partial);
      note += "; the " + std::to_string(last_page_count_) +
              " pages read before the fault are in " + partial;
    } catch (const FileError&) {
      // That name is taken too: the pages are not kept.
    }
    return note;
  };
  try {
    Render(data, size, file);
  } catch (const FileError&) {
    throw;  // the half-written file is thrown away; the target stays as it was
  } catch (const StreamReadError& e) {
    throw StreamReadError(e, keep_partial(""));
  } catch (const ReportFileError& e) {
    throw ReportFileError(e, keep_partial(" (at byte offset " + std::to_string(e.offset()) + ")"));
  }
  file.Commit();
}

void TRenderPDF::Render(const uint8_t* data, size_t size, OutputStream& out) {
  out_ = &out;
  document_ended_ = false;
  TPageStreamReader reader(data, size, *this);
  reader.Replay(0);
}

PdfContent TRenderPDF::Content() { return PdfContent(page_->content, PaperHeight); }

void TRenderPDF::BeginDocument() {
  if (PrintReady) {
    // The font is read before anything is written: a missing or damaged font file fails the
    // run, never a book with an unembedded font.
    if (!print_font_ || print_font_path_ != PrintFontFile) {
      print_font_ = std::make_shared<EmbeddedFont>(EmbeddedFont::Load(PrintFontFile));
      print_font_path_ = PrintFontFile;
    }
  }
  codes_used_ = {};
  pages_.clear();
  contents_.Clear();
  pages_.push_back(std::make_unique<Page>());
  page_ = pages_.back().get();
  fonts_.clear();
  font_index_ = -1;
  font_size_ = 12;
  first_page_unused_ = true;
}

void TRenderPDF::BeginPage() {
  if (first_page_unused_) {
    first_page_unused_ = false;
  } else {
    auto next = std::make_unique<Page>();
    // The page's string, with its room, is used again for the next.
    page_->stored = contents_.Add(page_->content);
    next->content = std::move(page_->content);
    next->content.clear();
    next->text_color = page_->text_color;
    next->stroke_color = page_->stroke_color;
    next->fill_color = page_->fill_color;
    pages_.push_back(std::move(next));
    page_ = pages_.back().get();
  }
  page_->width = PaperWidth;
  page_->height = PaperHeight;
  Content().J(2);
}

void TRenderPDF::FontChanged(const RenderFont& font) {
  std::string base =
      PrintReady ? print_font_->postscript_name : MapFontName(font.name, font.bold, font.italic);
  int index = -1;
  for (size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i].base == base) index = static_cast<int>(i);
  }
  if (index < 0) {
    // Appended rather than "F" + number: GCC 12 warns falsely about the concatenation.
    std::string resource = "F";
    resource += std::to_string(fonts_.size() + 1);
    const bool courier = IsCourier(base);
    fonts_.push_back({base, std::move(resource),
                      PrintReady ? &print_font_->widths : &StandardFontWidths(base), courier});
    index = static_cast<int>(fonts_.size()) - 1;
  }
  font_index_ = index;
  font_size_ = font.size;
  page_->text_color = font.color;
  underline_ = font.underline;
  strike_out_ = font.strike_out;
  rotation_ = font.rotation;
}

void TRenderPDF::PrintText(std::string_view text, double x, double y, double start_shift) {
  if (text.empty()) return;
  if (font_index_ < 0) FontChanged(RenderFont{});
  const FontObject& font = fonts_[static_cast<size_t>(font_index_)];
  double units = 0;
  for (char ch : text) units += (*font.widths)[static_cast<unsigned char>(ch)];
  double width = units / 1000.0 * font_size_ / 72.0;
  double angle = rotation_ * M_PI / 180.0;
  double shift = start_shift * width;
  // Upright text, nearly all of it, needs no sine or cosine.
  double sx = rotation_ == 0 ? x - shift : x - shift * std::cos(angle);
  double sy = rotation_ == 0 ? y : y + shift * std::sin(angle);
  // The string is written with a space on each side; the start moves left to make up for it.
  double pad = (font.courier ? 0.65 : 0.275) * font_size_ / 72.0;
  if (PrintReady) {
    for (char ch : text) codes_used_[static_cast<unsigned char>(ch)] = true;
  }
  PdfContent content = Content();
  content.BT();
  if (!page_->text_written || page_->text_value != page_->text_color) {
    content.Colour(ColorOperator(page_->text_color, false));
    page_->text_written = true;
    page_->text_value = page_->text_color;
    page_->stroke_written = false;
    page_->fill_written = false;
  }
  content.Tf(font.resource, font_size_);
  content.Td(sx - pad, sy);
  if (rotation_ != 0) content.Tm(std::cos(angle), std::sin(angle), sx, sy);
  content.Tj(text);
  content.ET();
  if ((underline_ || strike_out_) && rotation_ == 0) {
    double saved = PenWidth;
    TColor saved_stroke = page_->stroke_color;
    RenderPen saved_pen = pen_;
    pen_.style = psSolid;
    pen_.color = page_->text_color;
    if (underline_) {
      double uy = y + (font_size_ + 1) * 0.0014 * 1.5;
      PenWidth = (font_size_ + 1) * 0.0014;
      MoveTo(sx, uy);
      LineTo(sx + width, uy);
    }
    if (strike_out_) {
      double sy2 = y - font_size_ / 72.0 * 0.22;
      PenWidth = (font_size_ + 1) * 0.0006;
      MoveTo(sx, sy2);
      LineTo(sx + width, sy2);
    }
    PenWidth = saved;
    pen_ = saved_pen;
    page_->stroke_color = saved_stroke;
  }
}

void TRenderPDF::PrintLeft(std::string_view text, double x, double y) { PrintText(text, x, y, 0); }
void TRenderPDF::PrintCenter(std::string_view text, double x, double y) {
  PrintText(text, x, y, 0.5);
}
void TRenderPDF::PrintRight(std::string_view text, double x, double y) {
  PrintText(text, x, y, 1.0);
}
void TRenderPDF::PrintBlock(std::string_view text, double x, double y, double /*width*/) {
  PrintText(text, x, y, 0);
}

std::string TRenderPDF::ColorOperator(TColor c, bool stroke) const {
  if (!PrintReady) return FormatColor(c) + (stroke ? " RG" : " rg");
  if (c < 0) c = 0;
  double r = (c & 0xFF) / 255.0, g = ((c >> 8) & 0xFF) / 255.0, b = ((c >> 16) & 0xFF) / 255.0;
  double grey = (r == g && g == b) ? r : 0.299 * r + 0.587 * g + 0.114 * b;
  return FormatG3(grey) + (stroke ? " G" : " g");
}

void TRenderPDF::EmitPenState() {
  Page& p = *page_;
  PdfContent content = Content();
  if (!p.dash_written || p.dash_value != pen_.style) {
    switch (pen_.style) {
      case psDash:
        content.d("[13 6]");
        break;
      case psDot:
        content.d("[2]");
        break;
      case psDashDot:
        content.d("[8 4 1 4]");
        break;
      case psDashDotDot:
        content.d("[10 3 2 2 2 3]");
        break;
      default:
        content.d("[]");
    }
    p.dash_written = true;
    p.dash_value = pen_.style;
  }
  if (!p.stroke_written || p.stroke_value != p.stroke_color) {
    content.Colour(ColorOperator(p.stroke_color, true));
    p.stroke_written = true;
    p.stroke_value = p.stroke_color;
    p.text_written = false;
  }
  if (!p.fill_written || p.fill_value != p.fill_color) {
    content.Colour(ColorOperator(p.fill_color, false));
    p.fill_written = true;
    p.fill_value = p.fill_color;
    p.text_written = false;
  }
  if (!p.width_written || p.width_value != PenWidth) {
    content.w(PenWidth);
    p.width_written = true;
    p.width_value = PenWidth;
  }
}

void TRenderPDF::MoveTo(double x, double y) {
  EmitPenState();
  Content().m(x, y);
}

void TRenderPDF::LineTo(double x, double y) {
  page_->stroke_color = pen_.color;
  EmitPenState();
  PdfContent content = Content();
  content.l(x, y, true);
  if (pen_.style != psClear) content.S();
}

const char* TRenderPDF::PaintOperator(bool closed) const {
  bool pen = pen_.style != psClear;
  bool brush = closed && brush_.style != bsClear;
  if (pen && brush) return "b";
  if (brush) return "f";
  if (pen) return "S";
  return "n";
}

void TRenderPDF::ClosedShape(const std::function<void(PdfContent&)>& path) {
  page_->stroke_color = pen_.color;
  page_->fill_color = brush_.color;
  EmitPenState();
  PdfContent content = Content();
  path(content);
  content.Paint(PaintOperator(true));
}

void TRenderPDF::Rectangle(double x1, double y1, double x2, double y2) {
  ClosedShape([&](PdfContent& c) { c.re(x1, y2, x2 - x1, y2 - y1, true); });
}

void TRenderPDF::FillRect(double x1, double y1, double x2, double y2) {
  RenderPen saved = pen_;
  pen_.style = psClear;
  Rectangle(x1, y1, x2, y2);
  pen_ = saved;
}

void TRenderPDF::Ellipse(double x1, double y1, double x2, double y2) {
  double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  double rx = (x2 - x1) / 2, ry = (y2 - y1) / 2;
  double kx = rx * kCircle, ky = ry * kCircle;
  ClosedShape([&](PdfContent& c) {
    c.m(cx + rx, cy);
    c.c(cx + rx, cy - ky, cx + kx, cy - ry, cx, cy - ry);
    c.c(cx - kx, cy - ry, cx - rx, cy - ky, cx - rx, cy);
    c.c(cx - rx, cy + ky, cx - kx, cy + ry, cx, cy + ry);
    c.c(cx + kx, cy + ry, cx + rx, cy + ky, cx + rx, cy);
  });
}

void TRenderPDF::Polyline(const std::vector<Point>& points) {
  if (points.empty()) return;
  page_->stroke_color = pen_.color;
  EmitPenState();
  PdfContent content = Content();
  content.m(points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) content.l(points[i].x, points[i].y);
  content.Paint(PaintOperator(false));
}

void TRenderPDF::Polygon(const std::vector<Point>& points) {
  if (points.empty()) return;
  ClosedShape([&](PdfContent& c) {
    c.m(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) c.l(points[i].x, points[i].y);
    c.h(true);
  });
}

// The objects of the file, numbered in the order they are made: the catalog, the outlines and
// the page tree; each page and its content; the procedure set; the fonts; the document
// information; and for each embedded font its descriptor, program and map back to Unicode.
struct TRenderPDF::Objects {
  int catalog = 0, outlines = 0, page_tree = 0, procset = 0, info = 0;
  std::vector<int> page, content;                     // by page
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
  if (PrintReady) {
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
    pdf.Line("<<"), pdf.Line("/Type /Page"), pdf.Line("/Parent " + PdfObjectWriter::Ref(o.page_tree));
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
    if (!PrintReady) {
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
    pdf.Dictionary(o.font[i], {"/Type /Font", "/Subtype /TrueType", "/Name /" + font.resource,
                               "/BaseFont /" + font.base,
                               "/FirstChar " + std::to_string(o.first_code),
                               "/LastChar " + std::to_string(o.last_code), widths + " ]",
                               "/Encoding /WinAnsiEncoding",
                               "/FontDescriptor " + PdfObjectWriter::Ref(o.descriptor[i]),
                               "/ToUnicode " + PdfObjectWriter::Ref(o.cmap[i])});
  }
}

void TRenderPDF::WriteInfo(PdfObjectWriter& pdf, const Objects& o) const {
  const std::string date = CreationDate ? CreationDate() : LocalTimestamp();
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
  if (!PrintReady) return;
  const EmbeddedFont& font = *print_font_;
  const std::vector<uint8_t> program = Deflate(font.program);
  const std::string cmap = UnicodeMap(o);
  for (size_t i = 0; i < fonts_.size(); ++i) {
    pdf.Dictionary(
        o.descriptor[i],
        {"/Type /FontDescriptor", "/FontName /" + font.postscript_name,
         "/Flags " + std::to_string(font.flags),
         "/FontBBox [" + std::to_string(font.bbox[0]) + " " + std::to_string(font.bbox[1]) + " " +
             std::to_string(font.bbox[2]) + " " + std::to_string(font.bbox[3]) + "]",
         "/ItalicAngle " + std::to_string(font.italic_angle),
         "/Ascent " + std::to_string(font.ascent), "/Descent " + std::to_string(font.descent),
         "/CapHeight " + std::to_string(font.cap_height),
         "/StemV " + std::to_string(font.stem_v),
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
  pages_.clear();
  page_ = nullptr;
  fonts_.clear();
  contents_.Clear();
  document_ended_ = true;
}

}  // namespace quorvel::report
