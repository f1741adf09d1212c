// The page-stream writer: records every drawing call of an executed report as a binary record,
// page by page, and saves the recording as the page-stream file. It measures on the reference
// device: 600 dots per inch, 8.5 x 11 inches, no unprintable margins.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "report/font_metrics.h"
#include "report/streams.h"
#include "report/writer.h"

namespace quorvel::report {

enum TStreamMode { smMemory, smFile, smUser, smTempFile };
enum TLineHeightMethod { lhmLinesPerInch, lhmFont, lhmUser };
enum TAccuracyMethod { amPositioning, amAppearance };
enum TTextBKMode : uint8_t { bkTransparent = 0, bkOpaque = 1 };

class TPageStreamWriter : public TReportWriter {
 public:
  // The recording goes out in pieces of about this size; a page's link to the next, mended
  // when the page ends, is then nearly always still in memory.
  static constexpr size_t kBufferSize = 256 * 1024;
  static constexpr int kDeviceResolution = 600;

  TPageStreamWriter();
  ~TPageStreamWriter() override;

  // Settings.
  std::string FileName;
  TStreamMode StreamMode = smMemory;
  OutputStream* Stream = nullptr;  // the caller's stream for smUser
  std::string Title = "Page Report";
  int FirstPage = 1;
  int LastPage = 9999;
  int Copies = 1;
  TOrientation Orientation = poPortrait;
  double ScaleX = 100;
  double ScaleY = 100;
  TLineHeightMethod LineHeightMethod = lhmFont;
  double LinesPerInch = 6;
  TTextBKMode TextBKMode = bkTransparent;
  TAccuracyMethod AccuracyMethod = amAppearance;
  std::function<void()> OnAfterPrint;
  // Receives a chance to repaint after drawing calls; may be null.
  Progress* Yield = nullptr;

  // The recording of the last smMemory run, also saved to FileName when that is not empty.
  const std::vector<uint8_t>& Recording() const { return memory_.bytes(); }
  bool Printing() const { return running_; }
  int RecordedPages() const { return recorded_pages_; }

  void Execute(const std::function<void()>& on_before_print,
               const std::function<void()>& on_print) override;

  void SelectFont(const TReportFont& font) override;
  void SetFontRotation(int degrees) override;
  void SetTextLineTop(double top) override;
  void PrintLeft(std::string_view text, double x) override;
  void PrintCenter(std::string_view text, double x) override;
  void PrintRight(std::string_view text, double x) override;
  void PrintBlock(std::string_view text, double x, double width) override;
  void SetPen(TColor color, TPenStyle style, TPenMode mode, int width) override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void NewPage() override;
  void SetOrientation(TOrientation orientation) override;
  void SetPaperSize(int code, double width, double height) override;
  void SetCopies(int copies) override;
  void SetAllowMode(TAllowMode mode) override;
  double TextWidth(std::string_view text) override;

  double MarginLeft() const override { return 0; }
  double MarginTop() const override { return 0; }
  double MarginRight() const override { return 0; }
  double MarginBottom() const override { return 0; }
  double PageWidth() const override { return page_width_; }
  double PageHeight() const override { return page_height_; }
  double UnitsFactor() const override { return units_factor_; }
  void SetUnitsFactor(double f) override { units_factor_ = f; }

 private:
  struct Font {
    FontName name = "Arial";  // held once: selecting a font copies and compares no text
    TColor color = 0;
    TFontPitch pitch = fpDefault;
    uint8_t charset = 1;
    double height = 10.0 / 72.0;  // inches
    bool bold = false, italic = false, underline = false, strike_out = false;
    bool superscript = false, subscript = false;
    int16_t rotation = 0;
    uint8_t alignment = 0;
  };
  struct Pen {
    TColor color = 0;
    TPenMode mode = pmCopy;
    TPenStyle style = psSolid;
    int width = 1;  // dots
  };
  struct Brush {
    TColor color = 0;
    uint8_t style = bsClear;
  };

  void CheckPrinting() const;
  bool RecordingNow() const { return running_ && !hold_ && !page_invalid_; }
  // Lets the front end catch up, at most every few milliseconds.
  void AfterDrawing();

  void Flush();
  uint64_t Position() const { return flushed_ + buffer_.size(); }
  void Patch(uint64_t position, const void* value, size_t size);
  void PatchI32(uint64_t position, int32_t value);
  void PatchI16(uint64_t position, int16_t value);

  void WriteHeader();
  void BeginPageFrame();
  // Ends the page and points the last recorded page's next-page field here.
  void EndCurrentPage();
  bool Positioned(std::string_view text) const;
  void WriteFontChanges();
  void WriteSizeRecord();
  void WriteTextRecord(uint8_t code, std::string_view text, double x, double width, bool block);
  void Finish();

  double X(double x) const { return x / units_factor_ * ScaleX / 100.0; }
  double Y(double y) const { return y / units_factor_ * ScaleY / 100.0; }
  double FontHeightDots() const { return font_.height * kDeviceResolution; }

  std::vector<uint8_t> buffer_;
  ByteWriter out_{buffer_};
  MemoryStream memory_;
  std::unique_ptr<FileStream> file_;
  OutputStream* stream_ = nullptr;
  uint64_t flushed_ = 0;

  bool running_ = false;
  bool hold_ = false;
  bool page_invalid_ = false;
  int current_page_ = 0;
  int recorded_pages_ = 0;
  uint64_t previous_page_pos_ = 0;
  uint64_t next_field_pos_ = 0;
  bool next_field_pending_ = false;
  uint64_t page_count_pos_ = 0;
  TAllowMode allow_mode_ = amAll;

  Font font_, last_font_;
  Pen pen_, last_pen_;
  Brush brush_, last_brush_;
  double baseline_ = 0;
  double line_height_ = 0;
  double units_factor_ = 1;
  double page_width_ = 8.5;
  double page_height_ = 11.0;
  double custom_width_ = 0, custom_height_ = 0;  // custom paper of this run, inches
  FontMetrics metrics_;
  std::chrono::steady_clock::time_point last_yield_{};
};

}  // namespace quorvel::report
