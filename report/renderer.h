// The renderer interface: the operations through which the page-stream reader replays
// recorded pages, with the reader's current font, pen and brush passed along.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/types.h"

namespace quorvel::report {

struct RenderFont {
  std::string name = "Arial";
  TColor color = 0;
  TFontPitch pitch = fpDefault;
  int size = 10;  // whole points
  bool bold = false, italic = false, underline = false, strike_out = false;
  uint8_t charset = 1;
  bool superscript = false, subscript = false;
  int rotation = 0;  // degrees
  uint8_t alignment = 0;
};

struct RenderPen {
  TColor color = 0;
  uint8_t mode = pmCopy;
  TPenStyle style = psSolid;
};

struct RenderBrush {
  TColor color = 0x00FFFFFF;
  uint8_t style = bsSolid;
};

struct Point {
  double x, y;
};

class TRenderer {
 public:
  virtual ~TRenderer() = default;

  // Inches: the page being replayed, and the current pen width.
  double PaperWidth = 8.5;
  double PaperHeight = 11.0;
  double PenWidth = 1.0 / 600;

  virtual void BeginDocument() {}
  virtual void BeginPage() {}
  virtual void EndPage() {}
  virtual void EndDocument() {}
  virtual void FontChanged(const RenderFont& /*font*/) {}
  virtual void PenChanged(const RenderPen& /*pen*/) {}
  virtual void BrushChanged(const RenderBrush& /*brush*/) {}
  // Texts on their baseline y; the reader never passes an empty text.
  virtual void PrintLeft(std::string_view text, double x, double y) = 0;
  virtual void PrintCenter(std::string_view text, double x, double y) = 0;
  virtual void PrintRight(std::string_view text, double x, double y) = 0;
  virtual void PrintBlock(std::string_view text, double x, double y, double width) = 0;
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  // Shapes of recordings this program does not make; the default draws nothing.
  virtual void Rectangle(double /*x1*/, double /*y1*/, double /*x2*/, double /*y2*/) {}
  virtual void FillRect(double /*x1*/, double /*y1*/, double /*x2*/, double /*y2*/) {}
  virtual void Ellipse(double /*x1*/, double /*y1*/, double /*x2*/, double /*y2*/) {}
  virtual void RoundRect(double /*x1*/, double /*y1*/, double /*x2*/, double /*y2*/, double /*w*/,
                         double /*h*/) {}
  virtual void Polyline(const std::vector<Point>& /*points*/) {}
  virtual void Polygon(const std::vector<Point>& /*points*/) {}
  virtual void Arc(const Point (&/*p*/)[4]) {}
  virtual void Chord(const Point (&/*p*/)[4]) {}
  virtual void Pie(const Point (&/*p*/)[4]) {}
};

}  // namespace quorvel::report
