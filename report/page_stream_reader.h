// The page-stream reader: checks a recording's header and replays its pages, record by record,
// into a renderer.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "report/renderer.h"
#include "report/streams.h"

namespace quorvel::report {

// A recording this reader cannot replay: a bad header code, page code or record code, at a
// byte offset (the message is the reader's own and does not say it).
class ReportFileError : public std::runtime_error {
 public:
  ReportFileError(const std::string& what, uint64_t offset)
      : std::runtime_error(what), offset_(offset) {}
  // `error` with `note` added to its message.
  ReportFileError(const ReportFileError& error, const std::string& note)
      : std::runtime_error(error.what() + note), offset_(error.offset_) {}
  uint64_t offset() const { return offset_; }

 private:
  uint64_t offset_;
};

struct PageStreamHeader {
  int version = 0;
  std::string title;
  int page_count = 0, first_page = 0, last_page = 0;
  float paper_width = 0, paper_height = 0;
  float margins[4] = {0, 0, 0, 0};
  int orientation = 0, bin = 0, collate = 0, duplex = 0;
  int copies = 0, paper_size = 0, paper_width_code = 0, paper_length_code = 0;
  std::string output_name;
};

class TPageStreamReader {
 public:
  TPageStreamReader(const uint8_t* data, size_t size, TRenderer& renderer);
  TPageStreamReader(const std::vector<uint8_t>& data, TRenderer& renderer)
      : TPageStreamReader(data.data(), data.size(), renderer) {}

  // Page 0 replays the whole document; page n only the n-th recorded page, found through the
  // page links. EndDocument runs after any failure past the header, then the error propagates.
  void Replay(int page = 0);

  const PageStreamHeader& Header() const { return header_; }
  const RenderFont& Font() const { return font_; }
  const RenderPen& Pen() const { return pen_; }
  const RenderBrush& Brush() const { return brush_; }

 private:
  void ReadHeader();
  // Replays the page at the current position; returns its page number.
  int ReplayPage();
  // One record of a page, by its code: drawing, a change of font, pen or brush (told to the
  // renderer when it changes something), or one that is read and passed over. False for a
  // code of none of these kinds.
  // Made part of the page loop, which runs for every record of a recording.
  [[gnu::always_inline]] inline bool DrawRecord(uint8_t code);
  [[gnu::always_inline]] inline bool StateRecord(uint8_t code);
  [[gnu::always_inline]] inline bool SkipRecord(uint8_t code);
  std::string Str() { return in_.String(header_.version >= 2016); }
  // The same as a view into the recording, which outlives the replay.
  std::string_view StrView() { return in_.StringView(header_.version >= 2016); }
  // A coordinate, size or width in inches: finite and within what a PDF can hold (at least
  // `smallest`); anything else is a StreamReadError at its byte offset.
  float Length(float smallest = -200);
  Point ReadPoint();
  void SkipGraphic();
  void FontChangedNow() { renderer_.FontChanged(font_); }

  ByteReader in_;
  TRenderer& renderer_;
  PageStreamHeader header_;
  size_t first_page_pos_ = 0;
  RenderFont font_;
  RenderPen pen_;
  RenderBrush brush_;
  Point current_{0, 0};
  float ascent_ = 0, descent_ = 0, line_height_ = 0;
  float font_height_ = 0, sample_width_ = 0;
  uint8_t frame_mode_ = 0;
};

}  // namespace quorvel::report
