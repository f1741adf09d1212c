#include "report/page_stream_writer.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "report/page_stream.h"

namespace quorvel::report {
namespace {

constexpr TColor kSurfaceBackground = 0x00FFFFFF;
constexpr auto kYieldInterval = std::chrono::milliseconds(5);

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::string folder = dir && *dir ? dir : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

TPageStreamWriter::TPageStreamWriter() { buffer_.reserve(kBufferSize + 1024); }

TPageStreamWriter::~TPageStreamWriter() = default;

void TPageStreamWriter::CheckPrinting() const {
  if (!running_) throw std::logic_error("Invalid method call.  Writer is not printing.");
}

void TPageStreamWriter::AfterDrawing() {
  if (buffer_.size() >= kBufferSize) Flush();
  if (!Yield) return;
  auto now = std::chrono::steady_clock::now();
  if (now - last_yield_ >= kYieldInterval) {
    last_yield_ = now;
    Yield->ProcessEvents();
  }
}

void TPageStreamWriter::Flush() {
  if (buffer_.empty()) return;
  stream_->Write(buffer_.data(), buffer_.size());
  flushed_ += buffer_.size();
  buffer_.clear();
}

void TPageStreamWriter::Patch(uint64_t position, const void* value, size_t size) {
  // A field still in the buffer is mended there; one already written out is mended in place.
  if (position >= flushed_ && position + size <= Position()) {
    std::memcpy(buffer_.data() + (position - flushed_), value, size);
    return;
  }
  Flush();
  stream_->WriteAt(position, value, size);
}

void TPageStreamWriter::PatchI32(uint64_t position, int32_t value) { Patch(position, &value, 4); }

void TPageStreamWriter::PatchI16(uint64_t position, int16_t value) { Patch(position, &value, 2); }

void TPageStreamWriter::Execute(const std::function<void()>& on_before_print,
                                const std::function<void()>& on_print) {
  if (Orientation == poLandScape) {
    page_width_ = 11.0, page_height_ = 8.5;
  } else {
    page_width_ = 8.5, page_height_ = 11.0;
  }
  if (running_) throw std::logic_error("Invalid method call.  Writer already printing.");
  allow_mode_ = amAll;
  current_page_ = 0;
  recorded_pages_ = 0;
  previous_page_pos_ = 0;
  next_field_pos_ = 0;
  next_field_pending_ = false;
  page_count_pos_ = 0;
  custom_width_ = custom_height_ = 0;
  if (on_before_print) on_before_print();
  if (Orientation == poLandScape) {
    page_width_ = 11.0, page_height_ = 8.5;
  } else {
    page_width_ = 8.5, page_height_ = 11.0;
  }
  if (custom_width_ > 0 && custom_height_ > 0) {
    page_width_ = custom_width_;
    page_height_ = custom_height_;
    if (Orientation == poLandScape) std::swap(page_width_, page_height_);
  }

  switch (StreamMode) {
    case smMemory:
      memory_.bytes().clear();
      stream_ = &memory_;
      break;
    case smUser:
      if (!Stream) throw std::invalid_argument("StreamMode is smUser but Stream is nil");
      stream_ = Stream;
      break;
    case smTempFile: {
      int fd = CreateUniqueFile(TempFolder() + "quorvel", FileName);
      if (fd < 0) throw FileError("Cannot create a temporary file in " + TempFolder());
      // Written through the descriptor it was made with, never opened again by name.
      std::FILE* file = fdopen(fd, "wb+");
      if (!file) {
        close(fd);
        throw FileError("Cannot create a temporary file in " + TempFolder());
      }
      file_ = std::make_unique<FileStream>(file, FileName);
      stream_ = file_.get();
      break;
    }
    case smFile:
      file_ = std::make_unique<FileStream>(FileName);
      stream_ = file_.get();
      break;
  }
  flushed_ = 0;
  buffer_.clear();
  running_ = true;
  WriteHeader();

  hold_ = true;
  brush_ = Brush{};
  pen_ = Pen{};
  baseline_ = 0;
  current_page_ = 1;
  page_invalid_ = current_page_ < FirstPage || current_page_ > LastPage;
  if (!page_invalid_) recorded_pages_ = 1;
  hold_ = false;
  BeginPageFrame();

  try {
    if (on_print) on_print();
  } catch (...) {
    // The recording so far is still saved with a correct page count and links.
    try {
      Finish();
    } catch (...) {
    }
    throw;
  }
  Finish();
}

void TPageStreamWriter::WriteHeader() {
  out_.U8(pgs::kHeaderZ);
  out_.I16(pgs::kVersion);
  out_.String(Title);
  page_count_pos_ = Position();
  out_.I16(0);
  out_.I16(static_cast<int16_t>(FirstPage));
  out_.I16(static_cast<int16_t>(LastPage));
  out_.F32(static_cast<float>(page_width_));
  out_.F32(static_cast<float>(page_height_));
  for (int i = 0; i < 4; ++i) out_.F32(0.0f);
  out_.U8(Orientation);
  out_.I16(265);  // bin
  out_.U8(0);     // collate
  out_.U8(0);     // duplex
  out_.I16(1);    // copies
  if (custom_width_ > 0 && custom_height_ > 0) {
    // Custom paper: its code, and its size in tenths of a millimetre.
    out_.I16(256);
    out_.I16(static_cast<int16_t>(std::lround(custom_width_ * 254)));
    out_.I16(static_cast<int16_t>(std::lround(custom_height_ * 254)));
  } else {
    out_.I16(1);  // paper size code
    out_.I16(0);  // paper width
    out_.I16(0);  // paper length
  }
  out_.String("");
}

void TPageStreamWriter::BeginPageFrame() {
  if (hold_ || page_invalid_) return;
  uint64_t position = Position();
  out_.U8(pgs::kPage);
  out_.I32(static_cast<int32_t>(previous_page_pos_));
  previous_page_pos_ = position;
  next_field_pos_ = position + 5;
  next_field_pending_ = true;
  out_.I32(0);
  out_.I16(static_cast<int16_t>(recorded_pages_));
  out_.F32(static_cast<float>(page_width_));
  out_.F32(static_cast<float>(page_height_));

  out_.U8(pgs::kBrushColor);
  out_.I32(brush_.color);
  out_.U8(pgs::kBrushStyle);
  out_.U8(brush_.style);
  out_.U8(pgs::kBrushBitmap);
  out_.U8(0);

  out_.U8(pgs::kFontName);
  out_.String(font_.name.str());
  out_.U8(pgs::kFontColor);
  out_.I32(font_.color);
  out_.U8(pgs::kFontPitch);
  out_.U8(font_.pitch);
  out_.U8(pgs::kCharset);
  out_.U8(font_.charset);
  out_.U8(pgs::kBold);
  out_.U8(font_.bold);
  out_.U8(pgs::kItalic);
  out_.U8(font_.italic);
  out_.U8(pgs::kUnderline);
  out_.U8(font_.underline);
  out_.U8(pgs::kStrikeOut);
  out_.U8(font_.strike_out);
  out_.U8(pgs::kSuperscript);
  out_.U8(font_.superscript);
  out_.U8(pgs::kSubscript);
  out_.U8(font_.subscript);
  out_.U8(pgs::kRotation);
  out_.I16(font_.rotation);
  out_.U8(pgs::kAlignment);
  out_.U8(font_.alignment);
  WriteSizeRecord();

  out_.U8(pgs::kPenColor);
  out_.I32(pen_.color);
  out_.U8(pgs::kPenMode);
  out_.U8(pen_.mode);
  out_.U8(pgs::kPenStyle);
  out_.U8(pen_.style);
  out_.U8(pgs::kPenWidth);
  out_.F32(static_cast<float>(static_cast<double>(pen_.width) / kDeviceResolution));
  last_brush_ = brush_;
  last_font_ = font_;
  last_pen_ = pen_;

  out_.U8(pgs::kScaleX);
  out_.F32(static_cast<float>(ScaleX));
  out_.U8(pgs::kScaleY);
  out_.F32(static_cast<float>(ScaleY));
  out_.U8(pgs::kTextBkMode);
  out_.U8(TextBKMode);
  out_.U8(pgs::kBkColor);
  out_.I32(kSurfaceBackground);
}

void TPageStreamWriter::EndCurrentPage() {
  if (!page_invalid_) out_.U8(pgs::kEndPage);
  if (next_field_pending_) {
    PatchI32(next_field_pos_, static_cast<int32_t>(Position()));
    next_field_pending_ = false;
  }
}

void TPageStreamWriter::NewPage() {
  CheckPrinting();
  EndCurrentPage();
  hold_ = true;
  ++current_page_;
  page_invalid_ = current_page_ < FirstPage || current_page_ > LastPage;
  baseline_ = 0;
  hold_ = false;
  if (!page_invalid_) {
    ++recorded_pages_;
    BeginPageFrame();
  }
}

void TPageStreamWriter::Finish() {
  struct Idle {
    TPageStreamWriter* w;
    ~Idle() {
      w->running_ = false;
      w->file_.reset();
      w->stream_ = nullptr;
    }
  } idle{this};
  // The last recorded page ends the chain, even when pages after it were skipped.
  if (!page_invalid_) out_.U8(pgs::kEndPage);
  if (recorded_pages_ > 0) PatchI32(next_field_pos_, 0);
  next_field_pending_ = false;
  PatchI16(page_count_pos_, static_cast<int16_t>(recorded_pages_));
  Flush();
  if (StreamMode == smMemory && !FileName.empty()) WriteWholeFile(FileName, memory_.bytes());
  if (file_) file_->Close();
  running_ = false;
  if (OnAfterPrint) OnAfterPrint();
}

void TPageStreamWriter::WriteSizeRecord() {
  out_.U8(pgs::kFontSize);
  out_.F32(static_cast<float>(font_.height));
  double width = metrics_.TextWidthDots(pgs::kSampleText, FontHeightDots());
  out_.F32(static_cast<float>(width / kDeviceResolution));
}

void TPageStreamWriter::WriteFontChanges() {
  if (!RecordingNow()) return;
  const Font& f = font_;
  Font& l = last_font_;
  bool size_needed = false;
  if (!(f.name == l.name)) {
    out_.U8(pgs::kFontName);
    out_.String(f.name.str());
    size_needed = true;
  }
  if (f.color != l.color) {
    out_.U8(pgs::kFontColor);
    out_.I32(f.color);
  }
  if (f.pitch != l.pitch) {
    out_.U8(pgs::kFontPitch);
    out_.U8(f.pitch);
    size_needed = true;
  }
  if (f.charset != l.charset) {
    out_.U8(pgs::kCharset);
    out_.U8(f.charset);
    size_needed = true;
  }
  auto flag = [&](bool now, bool before, uint8_t code, bool resize) {
    if (now == before) return;
    out_.U8(code);
    out_.U8(now ? 1 : 0);
    if (resize) size_needed = true;
  };
  flag(f.bold, l.bold, pgs::kBold, true);
  flag(f.italic, l.italic, pgs::kItalic, true);
  flag(f.underline, l.underline, pgs::kUnderline, true);
  flag(f.strike_out, l.strike_out, pgs::kStrikeOut, true);
  flag(f.superscript, l.superscript, pgs::kSuperscript, false);
  flag(f.subscript, l.subscript, pgs::kSubscript, false);
  if (f.rotation != l.rotation) {
    out_.U8(pgs::kRotation);
    out_.I16(f.rotation);
  }
  if (f.alignment != l.alignment) {
    out_.U8(pgs::kAlignment);
    out_.U8(f.alignment);
  }
  if (f.height != l.height || size_needed) WriteSizeRecord();
  last_font_ = font_;
}

void TPageStreamWriter::SelectFont(const TReportFont& font) {
  CheckPrinting();
  font_.name = font.Name;
  font_.color = font.Color;
  font_.pitch = font.Pitch;
  font_.charset = font.Charset;
  double dots = std::round(kDeviceResolution * font.Size / 72.0 * ScaleY / 100.0);
  font_.height = dots / kDeviceResolution;
  font_.bold = font.Style & fsBold;
  font_.italic = font.Style & fsItalic;
  font_.underline = font.Style & fsUnderline;
  font_.strike_out = font.Style & fsStrikeOut;
  font_.superscript = false;
  font_.subscript = false;
  font_.rotation = 0;
  WriteFontChanges();
}

void TPageStreamWriter::SetFontRotation(int degrees) {
  CheckPrinting();
  font_.rotation = static_cast<int16_t>(degrees % 360);
  WriteFontChanges();
}

void TPageStreamWriter::SetTextLineTop(double top) {
  CheckPrinting();
  double h = FontHeightDots();
  double ascent = static_cast<double>(metrics_.AscentDots(h)) / kDeviceResolution;
  double descent = static_cast<double>(metrics_.DescentDots(h)) / kDeviceResolution;
  if (font_.superscript || font_.subscript) ascent /= 2, descent /= 2;
  if (LineHeightMethod == lhmFont) {
    line_height_ = font_.height * 72.0 / 60.0;
  } else if (LineHeightMethod == lhmLinesPerInch) {
    line_height_ = 1.0 / LinesPerInch;
  }
  if (RecordingNow()) {
    out_.U8(pgs::kLineMetrics);
    out_.F32(static_cast<float>(ascent));
    out_.F32(static_cast<float>(descent));
    out_.F32(static_cast<float>(line_height_));
  }
  baseline_ = top / units_factor_ + line_height_ - descent;
}

void TPageStreamWriter::WriteTextRecord(uint8_t code, std::string_view text, double x, double width,
                                        bool block) {
  if (RecordingNow()) {
    out_.U8(code);
    out_.F32(static_cast<float>(baseline_ * ScaleY / 100.0));
    out_.String(text);
    out_.F32(static_cast<float>(X(x)));
    if (block) out_.F32(static_cast<float>(width / units_factor_ * ScaleX / 100.0));
  }
  AfterDrawing();
}

bool TPageStreamWriter::Positioned(std::string_view text) const {
  // With amPositioning, texts with spaces are recorded as blocks of their measured width.
  return AccuracyMethod == amPositioning && text.find(' ') != std::string_view::npos &&
         text.find('\x01') == std::string_view::npos &&
         text.find('\xFD') == std::string_view::npos && font_.rotation == 0;
}

void TPageStreamWriter::PrintLeft(std::string_view text, double x) {
  CheckPrinting();
  if (Positioned(text)) {
    WriteTextRecord(pgs::kBlockText, text, x, TextWidth(text) * units_factor_, true);
  } else {
    WriteTextRecord(pgs::kLeftText, text, x, 0, false);
  }
}

void TPageStreamWriter::PrintCenter(std::string_view text, double x) {
  CheckPrinting();
  if (Positioned(text)) {
    double w = TextWidth(text) * units_factor_;
    WriteTextRecord(pgs::kBlockText, text, x - w / 2, w, true);
  } else {
    WriteTextRecord(pgs::kCenterText, text, x, 0, false);
  }
}

void TPageStreamWriter::PrintRight(std::string_view text, double x) {
  CheckPrinting();
  if (Positioned(text)) {
    double w = TextWidth(text) * units_factor_;
    WriteTextRecord(pgs::kBlockText, text, x - w, w, true);
  } else {
    WriteTextRecord(pgs::kRightText, text, x, 0, false);
  }
}

void TPageStreamWriter::PrintBlock(std::string_view text, double x, double width) {
  CheckPrinting();
  WriteTextRecord(pgs::kBlockText, text, x, width, true);
}

void TPageStreamWriter::SetPen(TColor color, TPenStyle style, TPenMode mode, int width) {
  CheckPrinting();
  int dots = width;
  if (width < 0) {
    double inches = -(width + 10000) / 10000.0;
    dots = std::max(1, static_cast<int>(std::lround(inches * kDeviceResolution)));
  }
  pen_.color = color;
  pen_.mode = mode;
  pen_.width = dots;
  pen_.style = style;
  if (!RecordingNow()) return;
  if (pen_.color != last_pen_.color) {
    out_.U8(pgs::kPenColor);
    out_.I32(pen_.color);
  }
  if (pen_.mode != last_pen_.mode) {
    out_.U8(pgs::kPenMode);
    out_.U8(pen_.mode);
  }
  if (pen_.width != last_pen_.width) {
    out_.U8(pgs::kPenWidth);
    out_.F32(static_cast<float>(static_cast<double>(pen_.width) / kDeviceResolution));
  }
  if (pen_.style != last_pen_.style) {
    out_.U8(pgs::kPenStyle);
    out_.U8(pen_.style);
  }
  last_pen_ = pen_;
}

void TPageStreamWriter::MoveTo(double x, double y) {
  CheckPrinting();
  if (RecordingNow()) {
    out_.U8(pgs::kMove);
    out_.F32(static_cast<float>(X(x)));
    out_.F32(static_cast<float>(Y(y)));
  }
  AfterDrawing();
}

void TPageStreamWriter::LineTo(double x, double y) {
  CheckPrinting();
  if (RecordingNow()) {
    out_.U8(pgs::kLine);
    out_.F32(static_cast<float>(X(x)));
    out_.F32(static_cast<float>(Y(y)));
  }
  AfterDrawing();
}

void TPageStreamWriter::SetOrientation(TOrientation orientation) {
  if (!running_) {
    Orientation = orientation;
    return;
  }
  if (RecordingNow()) {
    out_.U8(pgs::kOrientation);
    out_.U8(orientation);
  }
}

void TPageStreamWriter::SetPaperSize(int code, double width, double height) {
  // Custom paper (256) sets the size of the pages recorded from now; the reference device
  // has no other paper codes.
  if (code != 256 || !(width >= 0.0001) || !(height >= 0.0001)) return;
  custom_width_ = width;
  custom_height_ = height;
}

void TPageStreamWriter::SetCopies(int copies) { Copies = copies; }

void TPageStreamWriter::SetAllowMode(TAllowMode mode) {
  CheckPrinting();
  if (mode == allow_mode_) return;
  allow_mode_ = mode;
  if (!RecordingNow()) return;
  out_.U8(mode == amPreviewOnly   ? pgs::kPreviewOnly
          : mode == amPrinterOnly ? pgs::kPrinterOnly
                                  : pgs::kAllDestinations);
}

double TPageStreamWriter::TextWidth(std::string_view text) {
  return static_cast<double>(metrics_.TextWidthDots(text, FontHeightDots())) / kDeviceResolution;
}

}  // namespace quorvel::report
