// Page content written as PDF operators: one call per operator, named after it, appending its
// operands and the operator. Points are page points in inches from the top-left corner, turned
// into PDF points from the bottom-left; numbers never depend on the process locale.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::report {

// Locale-independent formats of PDF text: "%.4f" appended, "%.4d", and a backslash before
// every "(", ")" and "\".
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
    out_ += FormatD4(size);
    out_ += " Tf\r\n";
  }
  void Td(double x, double y) {
    Point(x, y);
    out_ += " Td\r\n";
  }
  // The text matrix: a rotation (cosine, sine) about the page point (x, y).
  void Tm(double cos, double sin, double x, double y) {
    Number(cos), out_ += ' ', Number(sin), out_ += ' ', Number(-sin), out_ += ' ', Number(cos);
    out_ += ' ';
    Point(x, y);
    out_ += " Tm\r\n";
  }
  // The text with a space on each side.
  void Tj(std::string_view text) {
    out_ += "( ";
    out_ += EscapeText(text);
    out_ += " ) Tj\r\n";
  }
  void m(double x, double y) {
    Point(x, y);
    out_ += " m\r\n";
  }
  void l(double x, double y, bool then_same_line = false) {
    Point(x, y);
    out_ += then_same_line ? " l " : " l\r\n";
  }
  void c(double x1, double y1, double x2, double y2, double x3, double y3) {
    Point(x1, y1), out_ += ' ', Point(x2, y2), out_ += ' ', Point(x3, y3);
    out_ += " c\r\n";
  }
  // A rectangle from its top-left page corner, width and height in inches.
  void re(double x, double y, double width, double height, bool then_same_line) {
    Point(x, y);
    out_ += ' ';
    Number(width * 72), out_ += ' ', Number(height * 72);
    out_ += then_same_line ? " re " : " re\r\n";
  }
  void h(bool then_same_line) { out_ += then_same_line ? "h " : "h\r\n"; }
  // Painting: S, f, b or n.
  void Paint(const char* op) { Op(op); }
  void S() { Op("S"); }
  // The line width, in inches.
  void w(double width) {
    Number(width * 72);
    out_ += " w \r\n";
  }
  void d(std::string_view dash_array) {
    out_ += dash_array;
    out_ += " 0 d\r\n";
  }
  // A colour operator with its operands already formatted: "1 0 0 rg", "0 G".
  void Colour(std::string_view operands_and_operator) { Op(operands_and_operator); }

 private:
  void Op(std::string_view op) {
    out_ += op;
    out_ += "\r\n";
  }
  void Number(double v) { AppendFixed4(out_, v); }
  void Point(double x, double y) {
    AppendFixed4(out_, x * 72);
    out_ += ' ';
    AppendFixed4(out_, (height_ - y) * 72);
  }

  std::string& out_;
  double height_;
};

}  // namespace quorvel::report
