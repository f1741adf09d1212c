#include "pages/sheet.h"

#include "report/page_stream_writer.h"

namespace quorvel::pages {

using report::CreateItem;
using report::TReportHLine;
using report::TReportText;
using report::TReportVLine;

void Sheet::Text(const std::string& text, double left, double top, int size) const {
  TReportText* t = CreateItem<TReportText>(page, "TitleText");
  t->SetText(text);
  t->SetLeft(X(left));
  t->SetTop(Y(top));
  t->Font().Size = Size(size);
  t->Font().Name = "Arial";
}

void Sheet::TextPlacedFirst(const std::string& text, double left, double top, int size) const {
  TReportText* t = CreateItem<TReportText>(page, "TitleText");
  t->SetLeft(X(left));
  t->SetTop(Y(top));
  t->Font().Size = Size(size);
  t->SetText(text);
  t->Font().Name = "Arial";
}

void Sheet::Cell(double left, double top, int size, const std::string& text) const {
  TReportText* t = CreateItem<TReportText>(page, "TitleText");
  t->SetLeft(X(left));
  t->SetTop(Y(top));
  t->Font().Size = Size(size);
  t->SetFontJustify(report::pjCenter);
  if (cell_style != 0) t->Font().Style = static_cast<uint8_t>(cell_style);
  t->SetText(text);
  t->SetWidth(Length(1.0));
}

void Sheet::TextIn(const std::string& text, double left, double top, double width, int size,
                   report::TPrintJustify justify) const {
  TReportText* t = CreateItem<TReportText>(page, "TitleText");
  t->SetLeft(X(left));
  t->SetTop(Y(top));
  t->Font().Size = Size(size);
  t->Font().Name = "Arial";
  t->SetFontJustify(justify);
  t->SetText(text);
  t->SetWidth(Length(width));
}

void Sheet::HLine(double left, double width, int line_width, double top) const {
  TReportHLine* h = CreateItem<TReportHLine>(page);
  h->SetLeft(X(left));
  h->SetWidth(Length(width));
  h->SetLineWidth(Length(line_width));
  h->SetTop(Y(top));
}

void Sheet::VLine(double top, double height, int line_width, double left) const {
  TReportVLine* v = CreateItem<TReportVLine>(page);
  v->SetTop(Y(top));
  v->SetHeight(Length(height));
  v->SetLineWidth(Length(line_width));
  v->SetLeft(X(left));
}

void Sheet::Shade(double left, double top, double width, double height,
                  report::TColor color) const {
  // Rules end in squares that reach half their width past their ends.
  const double half = height / 2;
  for (int k = 0; k < 2; ++k) {
    TReportHLine* h = CreateItem<TReportHLine>(page);
    h->SetLeft(X(left + half / 2));
    h->SetWidth(Length(width - half));
    h->SetLineWidth(Length(half * report::TPageStreamWriter::kDeviceResolution));
    h->SetPenColor(color);
    h->SetTop(Y(top + half / 2 + k * half));
  }
}

}  // namespace quorvel::pages
