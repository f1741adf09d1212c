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
#include "report/pdf_fonts.h"
#include "report/pdf_writer_private.h"

namespace quorvel::report {
namespace {

constexpr double kCircle = 0.5522847498307935;

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
  // "Arial" and every other name map to Helvetica (a print-ready file embeds its own font for
  // every name instead).
  return kHelvetica[form];
}

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
      note += "; the " + std::to_string(last_page_count_) + " pages read before the fault are in " +
              partial;
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
  if (BeforeCommit) BeforeCommit();
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
  if (Embedding()) {
    // The font is read before anything is written: a missing or damaged font file fails the
    // run, never a book with an unembedded font.
    if (!print_font_ || print_font_path_ != PrintFontFile) {
      print_font_ = std::make_shared<EmbeddedFont>(EmbeddedFont::Load(PrintFontFile));
      print_font_path_ = PrintFontFile;
    }
    if (PrintBoldFontFile.empty()) {
      print_bold_font_.reset();
    } else if (!print_bold_font_ || print_bold_font_path_ != PrintBoldFontFile) {
      print_bold_font_ = std::make_shared<EmbeddedFont>(EmbeddedFont::Load(PrintBoldFontFile));
      print_bold_font_path_ = PrintBoldFontFile;
    }
  }
  codes_used_ = {};
  written_ = Measured{};
  written_.binding_clearance = 1e9;
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
  const EmbeddedFont* embedded = nullptr;
  if (Embedding()) {
    embedded = font.bold && print_bold_font_ ? print_bold_font_.get() : print_font_.get();
  }
  std::string base =
      embedded ? embedded->postscript_name : MapFontName(font.name, font.bold, font.italic);
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
                      embedded ? &embedded->widths : &StandardFontWidths(base), courier, embedded});
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
  if (Embedding()) {
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
  if (written_.smallest_text == 0 || font_size_ < written_.smallest_text) {
    written_.smallest_text = font_size_;
  }
  Reach(sx, sx + width);
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

void TRenderPDF::Reach(double left, double right) {
  // Odd pages are bound on their left edge, even pages on their right.
  const bool right_hand = pages_.size() % 2 == 1;
  const double clearance = right_hand ? left : PaperWidth - right;
  written_.binding_clearance = std::min(written_.binding_clearance, clearance);
}

std::string TRenderPDF::ColorOperator(TColor c, bool stroke) const {
  (PrintReady ? written_.grey : written_.rgb) = true;
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
  move_x_ = x;
  EmitPenState();
  Content().m(x, y);
}

void TRenderPDF::LineTo(double x, double y) {
  page_->stroke_color = pen_.color;
  EmitPenState();
  PdfContent content = Content();
  content.l(x, y, true);
  if (pen_.style != psClear) {
    content.S();
    const double points = PenWidth * 72;
    if (written_.thinnest_line == 0 || points < written_.thinnest_line) {
      written_.thinnest_line = points;
    }
    Reach(std::min(move_x_, x), std::max(move_x_, x));
  }
  move_x_ = x;
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

}  // namespace quorvel::report
