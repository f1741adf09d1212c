// The report writer interface: the drawing operations through which an executed report
// prints, and the progress interface through which long work lets a front end catch up.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "report/types.h"

namespace quorvel::report {

// Progress of a long run: a caption, a position 0..100, and a chance for the front end to
// process pending events. Every member may do nothing.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetCaption(const std::string& /*caption*/) {}
  virtual void SetPosition(int /*position*/) {}
  // Lets the window catch up: process pending events and repaint.
  virtual void ProcessEvents() {}
  // Repaints the window without processing input.
  virtual void Repaint() {}
};

class TReportWriter {
 public:
  virtual ~TReportWriter() = default;

  // Runs one recording: start, `on_before_print`, `on_print`, finish.
  virtual void Execute(const std::function<void()>& on_before_print,
                       const std::function<void()>& on_print) = 0;

  virtual void SelectFont(const TReportFont& font) = 0;
  virtual void SetFontRotation(int degrees) = 0;
  virtual void SetTextLineTop(double top) = 0;
  virtual void PrintLeft(std::string_view text, double x) = 0;
  virtual void PrintCenter(std::string_view text, double x) = 0;
  virtual void PrintRight(std::string_view text, double x) = 0;
  virtual void PrintBlock(std::string_view text, double x, double width) = 0;
  // width >= 0: device pixels; negative: a width in points, encoded -round(pt*10000/72)-10000.
  virtual void SetPen(TColor color, TPenStyle style, TPenMode mode, int width) = 0;
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  virtual void NewPage() = 0;
  virtual void SetOrientation(TOrientation orientation) = 0;
  virtual void SetPaperSize(int code, double width, double height) = 0;
  virtual void SetCopies(int copies) = 0;
  virtual void SetAllowMode(TAllowMode mode) = 0;

  // Width of `text` in the current font, in inches.
  virtual double TextWidth(std::string_view text) = 0;
  // The device's unprintable margins and page size, in inches.
  virtual double MarginLeft() const = 0;
  virtual double MarginTop() const = 0;
  virtual double MarginRight() const = 0;
  virtual double MarginBottom() const = 0;
  virtual double PageWidth() const = 0;
  virtual double PageHeight() const = 0;

  // Units of incoming coordinates per inch; report execution sets 1.
  virtual double UnitsFactor() const = 0;
  virtual void SetUnitsFactor(double factor) = 0;

  // Dispatches one line of text by justification: centred on x + width / 2, left from
  // x + margin (tabs move to the next half-inch stop), right at x + width - margin, or a block
  // from x + margin over width - 2 margin.
  void PrintJustified(std::string_view text, TPrintJustify justify, double x, double width,
                      double margin);

  // Tab stops for left-justified texts, every half inch across the page.
  static constexpr double kTabStop = 0.5;
};

}  // namespace quorvel::report
