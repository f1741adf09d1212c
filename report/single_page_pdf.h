// A one-page print file drawn directly in PDF operators: filled rectangles, rules and text (at
// any quarter turn) in CMYK, with its fonts embedded, its trim and bleed boxes and the PDF/X-1a
// markers. What it draws is measured as it is drawn, so that what the file holds can be told
// without reading it back. A book's cover is made this way.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "report/embedded_font.h"

namespace quorvel::report {

// A colour as printing inks: cyan, magenta, yellow and black, each 0..1.
struct Cmyk {
  double c = 0, m = 0, y = 0, k = 0;
  static constexpr Cmyk Black() { return {0, 0, 0, 1}; }
  static constexpr Cmyk White() { return {0, 0, 0, 0}; }
};

// A rectangle in inches from the page's top-left corner.
struct Rect {
  double left = 0, top = 0, width = 0, height = 0;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
  bool Inside(const Rect& outer, double tolerance = 1e-6) const;
  bool Meets(const Rect& other) const;
};

class SinglePagePdf {
 public:
  // A page `width` x `height` inches whose trim is `trim`; `fonts` are embedded in that order
  // and named by their index in Text.
  SinglePagePdf(double width, double height, Rect trim, std::vector<const EmbeddedFont*> fonts);

  void FillRect(const Rect& r, const Cmyk& colour);
  // A rule from (x1, y1) to (x2, y2), `points` wide.
  void Rule(double x1, double y1, double x2, double y2, double points, const Cmyk& colour);
  // `text` (WinAnsi bytes) in font `font` at `points`, its baseline starting at (x, y) and
  // running at `quarter_turns` x 90 degrees clockwise (0 across the page, 1 down it).
  void Text(std::string_view text, int font, double points, double x, double y, const Cmyk& colour,
            int quarter_turns = 0);
  // The width of `text` in inches at `points` in font `font`.
  double TextWidth(std::string_view text, int font, double points) const;
  // The box a line of text takes, from its ascent to its descent, for a text drawn as above.
  Rect TextBox(std::string_view text, int font, double points, double x, double y,
               int quarter_turns = 0) const;

  // What was drawn: every mark's box (text, fills and rules), the thinnest rule, the smallest
  // text, and which colour spaces the operators used.
  struct Mark {
    Rect box;
    bool text;
    bool fills_page;  // a background fill, which may run under anything
  };
  const std::vector<Mark>& Marks() const { return marks_; }
  // Everything drawn, in order, for painting it elsewhere (a preview on the screen).
  struct Op {
    enum Kind { kFill, kRule, kText } kind;
    Rect rect;                              // a fill
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a rule's ends, a text's baseline start (x1, y1)
    double points = 0;                      // a rule's width, a text's size
    Cmyk colour;
    std::string text;
    int font = 0, quarter_turns = 0;
  };
  const std::vector<Op>& Ops() const { return ops_; }
  double ThinnestRule() const { return thinnest_; }
  double SmallestText() const { return smallest_; }
  bool UsedCmyk() const { return cmyk_; }

  // The whole file: `title` and `author` in its information, its creation date as the books'.
  std::string File(const std::string& title, const std::string& author) const;

 private:
  std::string Colour(const Cmyk& c, bool stroke);
  std::string Number(double v) const;

  double width_, height_;
  Rect trim_;
  std::vector<const EmbeddedFont*> fonts_;
  std::string content_;
  std::vector<Mark> marks_;
  std::vector<Op> ops_;
  double thinnest_ = 1e9, smallest_ = 1e9;
  bool cmyk_ = false;
  std::array<bool, 256> used_{};
};

}  // namespace quorvel::report
