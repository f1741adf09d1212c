#include "app/page_painter.h"

#include <QFontMetricsF>
#include <algorithm>

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
  // The rules' real weights; only a hairline is made wide enough to show.
  pen.setWidthF(std::max(0.35, PenWidth * scale_));
  painter_.setPen(pen);
  painter_.drawLine(QPointF(from_x_ * scale_, from_y_ * scale_), QPointF(x * scale_, y * scale_));
  painter_.setPen(saved);
}

namespace {

// Learns the size of a recording's first page.
class PageSize : public report::TRenderer {
 public:
  void BeginPage() override { width = PaperWidth, height = PaperHeight; }
  void PrintLeft(std::string_view, double, double) override {}
  void PrintCenter(std::string_view, double, double) override {}
  void PrintRight(std::string_view, double, double) override {}
  void PrintBlock(std::string_view, double, double, double) override {}
  void MoveTo(double, double) override {}
  void LineTo(double, double) override {}
  double width = 8.5, height = 11;
};

}  // namespace

QImage PaintPage(const std::vector<uint8_t>& recording, int number, int width, int height,
                 qreal ratio) {
  PageSize size;
  report::TPageStreamReader(recording, size).Replay(number);
  const int w = static_cast<int>(width * ratio + 0.5), h = static_cast<int>(height * ratio + 0.5);
  const int border = static_cast<int>(6 * ratio + 0.5);
  double fit = std::min((w - 2 * border) / size.width, (h - 2 * border) / size.height);
  QImage page(static_cast<int>(size.width * fit + 0.5), static_cast<int>(size.height * fit + 0.5),
              QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    PagePainter painter(page);
    report::TPageStreamReader(recording, painter).Replay(number);
  }
  QImage picture(w, h, QImage::Format_RGB32);
  picture.fill(QColor(0xd8, 0xd8, 0xd8));
  QPainter p(&picture);
  p.drawImage((w - page.width()) / 2, (h - page.height()) / 2, page);
  p.end();
  picture.setDevicePixelRatio(ratio);
  return picture;
}

QImage PaintCover(const std::vector<report::SinglePagePdf::Op>& drawing, double page_width,
                  double page_height, int width, int height, qreal ratio) {
  const int w = static_cast<int>(width * ratio + 0.5), h = static_cast<int>(height * ratio + 0.5);
  const int border = static_cast<int>(6 * ratio + 0.5);
  const double fit = std::min((w - 2 * border) / page_width, (h - 2 * border) / page_height);
  QImage picture(w, h, QImage::Format_RGB32);
  picture.fill(QColor(0xd8, 0xd8, 0xd8));
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate((w - page_width * fit) / 2, (h - page_height * fit) / 2);
  // Inks as screen light.
  auto colour = [](const report::Cmyk& c) {
    auto channel = [&](double ink) { return static_cast<int>(255 * (1 - ink) * (1 - c.k) + 0.5); };
    return QColor(channel(c.c), channel(c.m), channel(c.y));
  };
  for (const report::SinglePagePdf::Op& op : drawing) {
    switch (op.kind) {
      case report::SinglePagePdf::Op::kFill:
        p.fillRect(QRectF(op.rect.left * fit, op.rect.top * fit, op.rect.width * fit,
                          op.rect.height * fit),
                   colour(op.colour));
        break;
      case report::SinglePagePdf::Op::kRule:
        p.setPen(QPen(colour(op.colour), std::max(0.5, op.points / 72 * fit)));
        p.drawLine(QPointF(op.x1 * fit, op.y1 * fit), QPointF(op.x2 * fit, op.y2 * fit));
        break;
      case report::SinglePagePdf::Op::kText: {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setBold(op.font == 1);
        font.setPixelSize(std::max(1, static_cast<int>(op.points / 72 * fit + 0.5)));
        p.setFont(font);
        p.setPen(colour(op.colour));
        p.save();
        p.translate(op.x1 * fit, op.y1 * fit);
        p.rotate(90.0 * op.quarter_turns);
        p.drawText(QPointF(0, 0),
                   QString::fromLatin1(op.text.data(), static_cast<qsizetype>(op.text.size())));
        p.restore();
        break;
      }
    }
  }
  p.end();
  picture.setDevicePixelRatio(ratio);
  return picture;
}

}  // namespace quorvel::app
