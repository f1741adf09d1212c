#include "report/page_stream_reader.h"

#include <cmath>

#include "report/page_stream.h"

namespace quorvel::report {
namespace {

// `at` is where the code was read.
[[noreturn]] void UnexpectedCode(int code, size_t at) {
  throw ReportFileError("Unexpected code [" + std::to_string(code) + "] found in report file.", at);
}

// The largest length in inches a recording may hold: PDF readers take numbers up to 32767
// points, and a point on the page is at most the page height plus a coordinate away.
constexpr float kLargestLength = 200;

}  // namespace

TPageStreamReader::TPageStreamReader(const uint8_t* data, size_t size, TRenderer& renderer)
    : in_(data, size), renderer_(renderer) {}

void TPageStreamReader::ReadHeader() {
  in_.Seek(0);
  uint8_t code = in_.U8();
  switch (code) {
    case pgs::kHeaderZ:
      header_.version = in_.I16();
      break;
    case pgs::kHeaderQ:
      header_.version = 1101;
      break;
    case pgs::kHeaderY:
      header_.version = 2009;
      break;
    default:
      throw ReportFileError(
          "Unexpected header code [" + std::to_string(code) + "] found in report file.", 0);
  }
  if (header_.version > 2009) header_.title = Str();
  header_.page_count = in_.I16();
  header_.first_page = in_.I16();
  header_.last_page = in_.I16();
  header_.paper_width = Length(0);
  header_.paper_height = Length(0);
  for (float& m : header_.margins) m = in_.F32();
  header_.orientation = in_.U8();
  if (header_.version > 1999) {
    header_.bin = in_.I16();
    header_.collate = in_.U8();
    header_.duplex = in_.U8();
  }
  header_.copies = in_.I16();
  header_.paper_size = in_.I16();
  header_.paper_width_code = in_.I16();
  header_.paper_length_code = in_.I16();
  header_.output_name = Str();
  first_page_pos_ = in_.Position();
  renderer_.PaperWidth = header_.paper_width;
  renderer_.PaperHeight = header_.paper_height;
}

void TPageStreamReader::Replay(int page) {
  ReadHeader();
  renderer_.BeginDocument();
  try {
    if (page <= 0) {
      int number = ReplayPage();
      while (number < header_.page_count) number = ReplayPage();
    } else {
      // Follow the next-page links from the first page; each step must move forward, so a
      // damaged link can never loop.
      size_t at = first_page_pos_;
      for (int n = 1; n < page; ++n) {
        in_.Seek(at);
        if (in_.U8() != pgs::kPage) {
          throw ReportFileError("Unexpected code found in report file.", at);
        }
        in_.I32();
        int32_t next = in_.I32();
        if (next <= 0 || static_cast<size_t>(next) <= at) {
          throw ReportFileError("Page " + std::to_string(page) + " is not in the report file.", at);
        }
        at = static_cast<size_t>(next);
      }
      in_.Seek(at);
      ReplayPage();
    }
  } catch (...) {
    renderer_.EndDocument();
    throw;
  }
  renderer_.EndDocument();
}

float TPageStreamReader::Length(float smallest) {
  size_t at = in_.Position();
  float v = in_.F32();
  if (!std::isfinite(v) || v < smallest || v > kLargestLength) {
    throw StreamReadError("Number out of range in report file", at);
  }
  return v;
}

Point TPageStreamReader::ReadPoint() {
  float x = Length();
  float y = Length();
  return {x, y};
}

void TPageStreamReader::SkipGraphic() {
  uint8_t kind = in_.U8();
  if (kind & 128) {
    in_.I32();  // position of a graphic stored earlier
    return;
  }
  int32_t count = in_.I32();
  if (count < 0) throw StreamReadError("Bad graphic size", in_.Position());
  in_.Seek(in_.Position() + static_cast<size_t>(count));
}

namespace {

// Takes `value` into `field` and tells the renderer through `changed`, only when it differs.
template <class T, class V, class Changed>
void Update(T& field, V&& value, Changed changed) {
  T v(std::forward<V>(value));
  if (v == field) return;
  field = std::move(v);
  changed();
}

}  // namespace

inline bool TPageStreamReader::StateRecord(uint8_t code) {
  auto brush = [this] { renderer_.BrushChanged(brush_); };
  auto font = [this] { FontChangedNow(); };
  auto pen = [this] { renderer_.PenChanged(pen_); };
  // Records that tell the renderer every time, whatever their value.
  auto always = [&](auto& field, auto value) {
    field = value;
    font();
  };
  switch (code) {
    case pgs::kBrushColor:
      Update(brush_.color, in_.I32(), brush);
      return true;
    case pgs::kBrushStyle:
      Update(brush_.style, in_.U8(), brush);
      return true;
    case pgs::kFontName:
      Update(font_.name, Str(), font);
      return true;
    case pgs::kFontColor:
      Update(font_.color, in_.I32(), font);
      return true;
    case pgs::kFontPitch:
      Update(font_.pitch, static_cast<TFontPitch>(in_.U8()), font);
      return true;
    case pgs::kBold:
      Update(font_.bold, in_.U8() != 0, font);
      return true;
    case pgs::kItalic:
      Update(font_.italic, in_.U8() != 0, font);
      return true;
    case pgs::kUnderline:
      Update(font_.underline, in_.U8() != 0, font);
      return true;
    case pgs::kStrikeOut:
      Update(font_.strike_out, in_.U8() != 0, font);
      return true;
    case pgs::kCharset:
      always(font_.charset, in_.U8());
      return true;
    case pgs::kSuperscript:
      always(font_.superscript, in_.U8() != 0);
      return true;
    case pgs::kSubscript:
      always(font_.subscript, in_.U8() != 0);
      return true;
    case pgs::kRotation:
      always(font_.rotation, in_.I16());
      return true;
    case pgs::kAlignment:
      always(font_.alignment, in_.U8());
      return true;
    case pgs::kFontSize: {
      font_height_ = in_.F32();
      if (header_.version >= 2000) sample_width_ = in_.F32();
      double points = std::round(static_cast<double>(font_height_) * 72.0);
      Update(font_.size,
             std::isfinite(points) && std::fabs(points) < 1e6 ? static_cast<int>(points) : 0, font);
      return true;
    }
    case pgs::kPenColor:
      Update(pen_.color, in_.I32(), pen);
      return true;
    case pgs::kPenMode:
      Update(pen_.mode, in_.U8(), pen);
      return true;
    case pgs::kPenStyle:
      Update(pen_.style, static_cast<TPenStyle>(in_.U8()), pen);
      return true;
    case pgs::kPenWidth:
      renderer_.PenWidth = Length(0);
      pen();
      return true;
    case pgs::kLineMetrics:
      ascent_ = in_.F32();
      descent_ = in_.F32();
      line_height_ = in_.F32();
      return true;
    case pgs::kFrameMode:
      frame_mode_ = in_.U8();
      return true;
    default:
      return false;
  }
}

inline bool TPageStreamReader::DrawRecord(uint8_t code) {
  switch (code) {
    case pgs::kCenterText:
    case pgs::kLeftText:
    case pgs::kRightText: {
      float y = Length();
      std::string_view text = StrView();
      float x = Length();
      if (text.empty()) return true;
      if (code == pgs::kCenterText) {
        renderer_.PrintCenter(text, x, y);
      } else if (code == pgs::kLeftText) {
        renderer_.PrintLeft(text, x, y);
      } else {
        renderer_.PrintRight(text, x, y);
      }
      return true;
    }
    case pgs::kBlockText:
    case pgs::kOldBlockText: {
      float y = Length();
      std::string_view text = StrView();
      float x = Length();
      float width = Length();
      if (!text.empty()) renderer_.PrintBlock(text, x, y, width);
      return true;
    }
    case pgs::kMove:
      current_ = ReadPoint();
      return true;
    case pgs::kLine: {
      Point p = ReadPoint();
      renderer_.MoveTo(current_.x, current_.y);
      renderer_.LineTo(p.x, p.y);
      current_ = p;
      return true;
    }
    case pgs::kFillRect:
    case pgs::kEllipse:
    case pgs::kRectangle:
    case pgs::kRectangle2: {
      Point a = ReadPoint(), b = ReadPoint();
      if (code == pgs::kFillRect) {
        renderer_.FillRect(a.x, a.y, b.x, b.y);
      } else if (code == pgs::kEllipse) {
        renderer_.Ellipse(a.x, a.y, b.x, b.y);
      } else {
        renderer_.Rectangle(a.x, a.y, b.x, b.y);
      }
      return true;
    }
    case pgs::kRoundRect: {
      Point a = ReadPoint(), b = ReadPoint(), r = ReadPoint();
      renderer_.RoundRect(a.x, a.y, b.x, b.y, r.x, r.y);
      return true;
    }
    case pgs::kArc:
    case pgs::kChord:
    case pgs::kPie: {
      Point p[4] = {ReadPoint(), ReadPoint(), ReadPoint(), ReadPoint()};
      if (code == pgs::kArc) {
        renderer_.Arc(p);
      } else if (code == pgs::kChord) {
        renderer_.Chord(p);
      } else {
        renderer_.Pie(p);
      }
      return true;
    }
    case pgs::kPolygon:
    case pgs::kPolyline: {
      int n = in_.I16();
      if (n < 0) UnexpectedCode(code, in_.Position() - 3);
      std::vector<Point> points;
      for (int i = 0; i <= n; ++i) points.push_back(ReadPoint());
      if (code == pgs::kPolygon) {
        renderer_.Polygon(points);
      } else {
        renderer_.Polyline(points);
      }
      return true;
    }
    default:
      return false;
  }
}

inline bool TPageStreamReader::SkipRecord(uint8_t code) {
  switch (code) {
    case pgs::kBrushBitmap:
      if (in_.U8() == 1) SkipGraphic();
      return true;
    case pgs::kScaleX:
    case pgs::kScaleY:
      in_.F32();
      return true;
    case pgs::kTextBkMode:
    case pgs::kOrientation:
      in_.U8();
      return true;
    case pgs::kBkColor:
      in_.I32();
      return true;
    case pgs::kFocusRect:
    case pgs::kFrameRect:
      ReadPoint(), ReadPoint();
      return true;
    case pgs::kRawText:
    case pgs::kBinName:
      Str();
      return true;
    case pgs::kPreviewOnly:
    case pgs::kPrinterOnly:
    case pgs::kAllDestinations:
      return true;
    default:
      return false;
  }
}

int TPageStreamReader::ReplayPage() {
  if (in_.U8() != pgs::kPage) {
    throw ReportFileError("Unexpected code found in report file.", in_.Position() - 1);
  }
  in_.I32();  // previous page
  in_.I32();  // next page
  int number = in_.I16();
  if (header_.version >= 2000) {
    renderer_.PaperWidth = Length(0);
    renderer_.PaperHeight = Length(0);
  } else {
    in_.U8();  // orientation
  }
  renderer_.BeginPage();
  for (;;) {
    const uint8_t code = in_.U8();
    if (code == pgs::kEndPage) break;
    if (!DrawRecord(code) && !StateRecord(code) && !SkipRecord(code)) {
      // Graphics, page variables and the older whole-object records are not replayed.
      UnexpectedCode(code, in_.Position() - 1);
    }
  }
  renderer_.EndPage();
  return number;
}

}  // namespace quorvel::report
