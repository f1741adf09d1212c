// A renderer that paints replayed pages with QPainter: the window's preview pictures are real
// pages of this program, drawn from a recorded page stream.
#pragma once

#include <QImage>
#include <QPainter>

#include "report/renderer.h"
#include "report/single_page_pdf.h"

namespace quorvel::app {

class PagePainter : public report::TRenderer {
 public:
  // Paints onto `image`, scaled so that the page width fills it.
  explicit PagePainter(QImage& image);
  ~PagePainter() override;

  void BeginPage() override;
  void FontChanged(const report::RenderFont& font) override;
  void PenChanged(const report::RenderPen& pen) override { pen_ = pen; }
  void PrintLeft(std::string_view text, double x, double y) override;
  void PrintCenter(std::string_view text, double x, double y) override;
  void PrintRight(std::string_view text, double x, double y) override;
  void PrintBlock(std::string_view text, double x, double y, double width) override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;

 private:
  void Text(std::string_view text, double x, double y, double anchor);

  QImage& image_;
  QPainter painter_;
  double scale_ = 1;  // pixels per inch
  report::RenderPen pen_;
  double from_x_ = 0, from_y_ = 0;
};

// A picture of page `number` (from 1) of a recording, `width` x `height` device-independent
// pixels at `ratio` device pixels each: the page at its own shape, as large as fits, on a grey
// ground.
QImage PaintPage(const std::vector<uint8_t>& recording, int number, int width, int height,
                 qreal ratio = 1);
inline QImage PaintFirstPage(const std::vector<uint8_t>& recording, int width, int height,
                             qreal ratio = 1) {
  return PaintPage(recording, 1, width, height, ratio);
}

// A picture of a cover (back, spine and front side by side) from what it draws on its page of
// `page_width` x `page_height` inches, fitted like PaintPage's pages.
QImage PaintCover(const std::vector<report::SinglePagePdf::Op>& drawing, double page_width,
                  double page_height, int width, int height, qreal ratio = 1);

}  // namespace quorvel::app
