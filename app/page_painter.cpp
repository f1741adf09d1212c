#include "app/page_painter.h"

#include <QFontMetricsF>

#include "report/page_stream_reader.h"

namespace quorvel::app {

PagePainter::PagePainter(QImage& image) : image_(image), painter_(&image) {
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.setRenderHint(QPainter::TextAntialiasing);
}

PagePainter::~PagePainter() { painter_.end(); }

void PagePainter::BeginPage() {
  scale_ = image_.width() / PaperWidth;
  image_.fill(Qt::white);
}

void PagePainter::FontChanged(const report::RenderFont& font) {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setStyleHint(QFont::Helvetica);
  f.setPixelSize(std::max(1, static_cast<int>(font.size / 72.0 * scale_ + 0.5)));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  painter_.setFont(f);
  int c = font.color < 0 ? 0 : font.color;
  painter_.setPen(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
}

void PagePainter::Text(std::string_view text, double x, double y, double anchor) {
  QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  double w = QFontMetricsF(painter_.font()).horizontalAdvance(s);
  painter_.drawText(QPointF(x * scale_ - anchor * w, y * scale_), s);
}

void PagePainter::PrintLeft(std::string_view text, double x, double y) { Text(text, x, y, 0); }
void PagePainter::PrintCenter(std::string_view text, double x, double y) { Text(text, x, y, 0.5); }
void PagePainter::PrintRight(std::string_view text, double x, double y) { Text(text, x, y, 1); }
void PagePainter::PrintBlock(std::string_view text, double x, double y, double) {
  Text(text, x, y, 0);
}

void PagePainter::MoveTo(double x, double y) { from_x_ = x, from_y_ = y; }

void PagePainter::LineTo(double x, double y) {
  if (pen_.style == report::psClear) return;
  QPen saved = painter_.pen();
  QPen pen(Qt::black);
  pen.setWidthF(std::max(0.5, PenWidth * scale_));
  painter_.setPen(pen);
  painter_.drawLine(QPointF(from_x_ * scale_, from_y_ * scale_), QPointF(x * scale_, y * scale_));
  painter_.setPen(saved);
}

QImage PaintFirstPage(const std::vector<uint8_t>& recording, int width, int height) {
  // The page fills the width; a picture shorter than the page shows its upper part.
  QImage page(width, static_cast<int>(width * 11.0 / 8.5 + 0.5), QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    PagePainter painter(page);
    report::TPageStreamReader(recording, painter).Replay(1);
  }
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter p(&picture);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  QImage scaled = page.scaled(width, height, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  p.drawImage((width - scaled.width()) / 2, (height - scaled.height()) / 2, scaled);
  return picture;
}

}  // namespace quorvel::app
