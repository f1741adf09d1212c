// The object layer of a PDF file: objects numbered as they are made, each written where the
// file has got to, and the cross-reference table made from the offsets as written. What an
// object holds is the caller's; this knows only the file's frame around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/streams.h"

namespace quorvel::report {

class PdfObjectWriter {
 public:
  // With `identify`, a hash of the bytes before the trailer gives the file an identifier.
  PdfObjectWriter(OutputStream& out, bool identify) : out_(out), identify_(identify) {}

  // The number of a new object, 1 for the first; its bytes may come later.
  int NewObject() {
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size());
  }
  static std::string Ref(int number) { return std::to_string(number) + " 0 R"; }

  // "%PDF-1.3" and the line of bytes above 127 that marks the file as binary.
  void Header();
  // "N 0 obj", where the object starts.
  void Begin(int number);
  // "endobj" and an empty line.
  void End() {
    Line("endobj");
    Line("");
  }
  // A whole object: `dictionary` lines between "<<" and ">>".
  void Dictionary(int number, const std::vector<std::string>& lines);
  // A line and its CR LF.
  void Line(std::string_view s) {
    text_.append(s);
    text_.append("\r\n");
  }
  // Text as it is.
  void Text(std::string_view s) { text_.append(s); }
  // Bytes written as they are, without a copy into the text (a page's content, a font program).
  void Bytes(const void* data, size_t size) {
    Flush();
    Emit(data, size);
  }
  // A stream object: "<< /Length n`extra` >>", the data, "endstream". With `break_before_end`,
  // an empty line after the data.
  void Stream(int number, std::string_view data, std::string_view extra = {},
              bool break_before_end = false);
  // The cross-reference table of every object made, the trailer naming `root` and `info`, and
  // the end of the file.
  void Finish(int root, int info);

 private:
  void Emit(const void* data, size_t size);
  void Flush() {
    Emit(text_.data(), text_.size());
    text_.clear();
  }

  OutputStream& out_;
  bool identify_;
  // The text collects here and goes out in pieces; `written_` counts what went out.
  std::string text_;
  size_t written_ = 0;
  std::vector<size_t> offsets_;  // by object number - 1
  uint64_t hash_[2] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull};
};

}  // namespace quorvel::report
