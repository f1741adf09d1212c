// The PDF writer: replays a recorded page stream into a PDF 1.3 file with uncompressed
// content streams and the standard fonts, written to the byte. Numbers never depend on the
// process locale.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/embedded_font.h"
#include "report/large_memory.h"
#include "report/pdf_content.h"
#include "report/renderer.h"
#include "report/streams.h"

namespace quorvel::report {

class PdfObjectWriter;

// Locale-independent number formats of the PDF text.
// (AppendFixed4 "%.4f", FormatD4 "%.4d" and EscapeText, a backslash before every "(", ")" and
// "\", come with pdf_content.h.)
std::string FormatFixed4(double v);  // "%.4f"
std::string FormatG3(double v);      // "%.3g"
// Colour 0x00BBGGRR as "r g b" in "%.3g"; negative colours are black.
std::string FormatColor(TColor c);

enum TFontEncoding {
  feMacRomanEncoding,
  feMacExpertEncoding,
  feWinAnsiEncoding,
  fePDFDocEncoding,
  feStandardEncoding
};

struct TPdfDocInfo {
  std::string Title, Author, Subject, KeyWords, Creator, Producer;
};

// The base font of a font name and style: the standard families by name, any other name
// Helvetica.
std::string MapFontName(std::string_view name, bool bold, bool italic);

// The last second of the year 9999, the latest date a PDF date holds.
inline constexpr int64_t kLastSourceDateEpoch = 253402300799;
// The time SOURCE_DATE_EPOCH fixes for the creation date, in seconds from 1970 (UTC): nothing
// when it is not set, or when it is not a decimal number from 0 to kLastSourceDateEpoch, in
// which case `problem` (when given) says so.
std::optional<int64_t> SourceDateEpoch(std::string* problem = nullptr);

// The creation date of a PDF as "YYYYMMDDHHMMSS": the local time, or SOURCE_DATE_EPOCH's (UTC).
std::string PdfTimestamp();

class TRenderPDF : public TRenderer {
 public:
  TRenderPDF();
  ~TRenderPDF() override;

  std::string DisplayName = "Portable Document Format (PDF)";
  std::string FileExtension = "*.pdf";
  bool Active = true;
  bool EmbedFonts = false;
  TFontEncoding FontEncoding = feWinAnsiEncoding;
  TPdfDocInfo DocInfo;
  // The creation date as YYYYMMDDHHMMSS; the local time when empty. Tests fix it.
  std::function<std::string()> CreationDate;
  // A print-ready file (PDF/X-1a:2001): every font is the TrueType font of PrintFontFile,
  // embedded whole; colours are DeviceGray; the document carries the PDF/X markers, an output
  // intent, a trim box on every page and a file identifier. Off, the file is as it always was.
  bool PrintReady = false;
  std::string PrintFontFile;
  // Every font is the TrueType font of PrintFontFile, embedded whole, without the rest of
  // PrintReady (colours as they are, no PDF/X markers). PrintReady embeds it too.
  bool EmbedFont = false;
  bool Embedding() const { return PrintReady || EmbedFont; }
  // When embedding, bold text in this TrueType font, embedded as well; empty: in PrintFontFile.
  std::string PrintBoldFontFile;

  // Whether RenderStream replaces an existing file (through its links); off, the file is
  // moved into place only while its name is free, and a name taken meanwhile fails the run.
  bool ReplaceExisting = true;
  // The recording's name in error messages ("" for none).
  std::string SourceName;
  // Called by RenderStream once the whole file is written, before it takes its name: files
  // that go with it are made there, and an exception leaves the target as it was.
  std::function<void()> BeforeCommit;

  // Renders the page stream into `file_name` (".pdf" appended unless it ends so). The file is
  // written beside the target and moved into place when complete; a header or file error
  // leaves the target as it was. A replay error never touches the target either: the PDF of
  // the pages replayed so far goes to PartialName(target) when that name is free, and the
  // message says so. The error then propagates.
  void RenderStream(const uint8_t* data, size_t size, std::string file_name);
  void RenderStream(const std::vector<uint8_t>& stream, std::string file_name) {
    RenderStream(stream.data(), stream.size(), std::move(file_name));
  }
  // The same into any output stream.
  void Render(const uint8_t* data, size_t size, OutputStream& out);

  void BeginDocument() override;
  void BeginPage() override;
  void EndPage() override {}
  void EndDocument() override;
  void FontChanged(const RenderFont& font) override;
  void PrintLeft(std::string_view text, double x, double y) override;
  void PrintCenter(std::string_view text, double x, double y) override;
  void PrintRight(std::string_view text, double x, double y) override;
  void PrintBlock(std::string_view text, double x, double y, double width) override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void PenChanged(const RenderPen& pen) override { pen_ = pen; }
  void BrushChanged(const RenderBrush& brush) override { brush_ = brush; }
  void Rectangle(double x1, double y1, double x2, double y2) override;
  void FillRect(double x1, double y1, double x2, double y2) override;
  void Ellipse(double x1, double y1, double x2, double y2) override;
  void Polyline(const std::vector<Point>& points) override;
  void Polygon(const std::vector<Point>& points) override;

  // What the last file written holds, measured as its operators were written.
  struct Measured {
    int pages = 0;
    double width = 0, height = 0;    // its first page, inches
    double thinnest_line = 0;        // of its stroked lines, points; 0 for none
    double smallest_text = 0;        // points; 0 for none
    double binding_clearance = 0;    // inches from the bound edge to the nearest mark of a page
    bool grey = false, rgb = false;  // the colour spaces its operators use
    std::vector<std::string> fonts;  // their base names
    bool fonts_embedded = false;
  };
  const Measured& Written() const { return written_; }

  // The name with the first extension of FileExtension appended unless it ends with it.
  std::string OutputName(std::string file_name) const;
  // Where the pages of a failed replay go: "book.pdf" gives "book.partial.pdf".
  static std::string PartialName(const std::string& target);

 private:
  struct Page;
  struct FontObject {
    std::string base;
    std::string resource;
    const std::array<uint16_t, 256>* widths;
    bool courier;                  // text is placed with Courier's wider padding
    const EmbeddedFont* embedded;  // its program, when fonts are embedded
  };

  // The file's objects, written when the document ends.
  struct Objects;
  Objects NumberObjects(PdfObjectWriter& pdf) const;
  void WriteCatalog(PdfObjectWriter& pdf, const Objects& o) const;
  void WritePages(PdfObjectWriter& pdf, const Objects& o) const;
  void WriteFonts(PdfObjectWriter& pdf, const Objects& o) const;
  void WriteInfo(PdfObjectWriter& pdf, const Objects& o) const;
  void WriteEmbeddedFonts(PdfObjectWriter& pdf, const Objects& o) const;
  std::string UnicodeMap(const Objects& o) const;

  // The current page's content, written as operators.
  PdfContent Content();
  void PrintText(std::string_view text, double x, double y, double start_shift);
  void EmitPenState();
  void ClosedShape(const std::function<void(PdfContent&)>& path);
  const char* PaintOperator(bool closed) const;

  // "r g b rg" or, print-ready, "grey g" (upper-case operators for strokes).
  std::string ColorOperator(TColor c, bool stroke) const;

  OutputStream* out_ = nullptr;
  std::shared_ptr<const EmbeddedFont> print_font_, print_bold_font_;
  std::string print_font_path_, print_bold_font_path_;
  std::array<bool, 256> codes_used_{};
  std::vector<std::unique_ptr<Page>> pages_;
  LargeByteStore contents_;  // the finished pages' contents
  Page* page_ = nullptr;
  bool first_page_unused_ = true;
  bool document_ended_ = false;  // EndDocument wrote the whole file
  int last_page_count_ = 0;      // of the file EndDocument wrote last
  // A mark at page x from `left` to `right`: how near it comes to the bound edge.
  void Reach(double left, double right);
  mutable Measured written_;
  double move_x_ = 0;
  std::vector<FontObject> fonts_;
  int font_index_ = -1;
  int font_size_ = 12;
  bool underline_ = false, strike_out_ = false;
  int rotation_ = 0;
  RenderPen pen_;
  RenderBrush brush_;
};

}  // namespace quorvel::report
