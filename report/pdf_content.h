// Page content written as PDF operators: one call per operator, named after it, appending its
// operands and the operator. Points are page points in inches from the top-left corner, turned
// into PDF points from the bottom-left; numbers never depend on the process locale.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::report {

// Locale-independent formats of PDF text: "%.4f" written at p (returning the end; at most
// kMaxFixed4 characters) or appended, "%.4d", and a backslash before every "(", ")" and "\".
constexpr int kMaxFixed4 = 320;
char* WriteFixed4(char* p, double v);
void AppendFixed4(std::string& out, double v);
std::string FormatD4(int v);
std::string EscapeText(std::string_view text);

class PdfContent {
 public:
  PdfContent(std::string& out, double page_height) : out_(out), height_(page_height) {}

  // Operators end their line, except where the file has the next operator on the same line:
  // the path operators take `then_same_line` for that ("x y l S").
  void J(int cap) { Op(std::to_string(cap) + " J"); }
  void BT() { Op("BT"); }
  void ET() { Op("ET"); }
  void Tf(std::string_view font, int size) {
    out_ += '/';
    out_ += font;
    out_ += ' ';
    if (size >= 0 && size < 10000) {
      // "%.4d" of the common sizes, without a string made for it.
      const char digits[4] = {
          static_cast<char>('0' + size / 1000), static_cast<char>('0' + size / 100 % 10),
          static_cast<char>('0' + size / 10 % 10), static_cast<char>('0' + size % 10)};
      out_.append(digits, 4);
    } else {
      out_ += FormatD4(size);
    }
    out_ += " Tf\r\n";
  }
  void Td(double x, double y) { PointOp(x, y, " Td\r\n"); }
  // The text matrix: a rotation (cosine, sine) about the page point (x, y).
  void Tm(double cos, double sin, double x, double y) {
    Line line;
    line.Number(cos).Char(' ').Number(sin).Char(' ').Number(-sin).Char(' ').Number(cos);
    line.Char(' ').Point(x, y, height_).Text(" Tm\r\n");
    line.AppendTo(out_);
  }
  // The text with a space on each side.
  void Tj(std::string_view text) {
    out_ += "( ";
    for (char ch : text) {
      if (ch == '(' || ch == ')' || ch == '\\') out_ += '\\';
      out_ += ch;
    }
    out_ += " ) Tj\r\n";
  }
  void m(double x, double y) { PointOp(x, y, " m\r\n"); }
  void l(double x, double y, bool then_same_line = false) {
    PointOp(x, y, then_same_line ? " l " : " l\r\n");
  }
  void c(double x1, double y1, double x2, double y2, double x3, double y3) {
    Line line;
    line.Point(x1, y1, height_).Char(' ').Point(x2, y2, height_).Char(' ');
    line.Point(x3, y3, height_).Text(" c\r\n");
    line.AppendTo(out_);
  }
  // A rectangle from its top-left page corner, width and height in inches.
  void re(double x, double y, double width, double height, bool then_same_line) {
    Line line;
    line.Point(x, y, height_).Char(' ').Number(width * 72).Char(' ').Number(height * 72);
    line.Text(then_same_line ? " re " : " re\r\n");
    line.AppendTo(out_);
  }
  void h(bool then_same_line) { out_ += then_same_line ? "h " : "h\r\n"; }
  // Painting: S, f, b or n.
  void Paint(const char* op) { Op(op); }
  void S() { Op("S"); }
  // The line width, in inches.
  void w(double width) {
    Line line;
    line.Number(width * 72).Text(" w \r\n");
    line.AppendTo(out_);
  }
  void d(std::string_view dash_array) {
    out_ += dash_array;
    out_ += " 0 d\r\n";
  }
  // A colour operator with its operands already formatted: "1 0 0 rg", "0 G".
  void Colour(std::string_view operands_and_operator) { Op(operands_and_operator); }

 private:
  // One operator's text, made in place and appended to the content at once.
  class Line {
   public:
    Line& Number(double v) {
      end_ = WriteFixed4(end_, v);
      return *this;
    }
    // A page point: inches from the top-left corner as PDF points from the bottom-left.
    Line& Point(double x, double y, double page_height) {
      return Number(x * 72).Char(' ').Number((page_height - y) * 72);
    }
    Line& Char(char c) {
      *end_++ = c;
      return *this;
    }
    Line& Text(std::string_view s) {
      for (char c : s) *end_++ = c;
      return *this;
    }
    void AppendTo(std::string& out) const {
      out.append(buffer_, static_cast<size_t>(end_ - buffer_));
    }

   private:
    char buffer_[6 * kMaxFixed4 + 64];
    char* end_ = buffer_;
  };

  void Op(std::string_view op) {
    out_ += op;
    out_ += "\r\n";
  }
  void PointOp(double x, double y, std::string_view op) {
    Line line;
    line.Point(x, y, height_).Text(op);
    line.AppendTo(out_);
  }

  std::string& out_;
  double height_;
};

}  // namespace quorvel::report
