#include "report/items.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <unordered_map>

#include "report/arena.h"
#include "report/document_private.h"

namespace quorvel::report {

using internal::ClassBaseName;
using internal::CodeOfClass;
using internal::MakeComponent;
using internal::SameLength;

// --- TReportControl -----------------------------------------------------------------------

void TReportControl::SetLeft(double v) {
  if (!SameLength(v, left_)) left_ = v;
}
void TReportControl::SetTop(double v) {
  if (!SameLength(v, top_)) top_ = v;
}
void TReportControl::SetWidth(double v) {
  if (!SameLength(v, width_)) width_ = v;
}
void TReportControl::SetHeight(double v) {
  if (!SameLength(v, height_)) height_ = v;
}

double TReportControl::AbsoluteLeft() const {
  auto* parent = (Parent() ? Parent()->AsControl() : nullptr);
  return left_ + (parent ? parent->AbsoluteLeft() : 0.0);
}

double TReportControl::AbsoluteTop() const {
  auto* parent = (Parent() ? Parent()->AsControl() : nullptr);
  return top_ + (parent ? parent->AbsoluteTop() : 0.0);
}

void TReportControl::Print(TReportWriter& writer) {
  if (!Visible()) return;
  TDisplayOn mode = display_on_;
  if (mode == doParent) {
    auto* parent = (Parent() ? Parent()->AsControl() : nullptr);
    mode = parent ? parent->display_on_ : doAll;
    if (mode == doParent) mode = doAll;
  }
  writer.SetAllowMode(mode == doPreviewOnly   ? amPreviewOnly
                      : mode == doPrinterOnly ? amPrinterOnly
                                              : amAll);
  // The before- and after-print events are never assigned in this program.
  PrintSelf(writer);
  PrintChildren(writer);
}

void TReportControl::SaveProperties(ByteWriter& out) const {
  TReportComponent::SaveProperties(out);
  out.F64(left_);
  out.F64(top_);
  out.F64(width_);
  out.F64(height_);
  out.U8(display_on_);
  out.I32(anchor_);
  out.I32(mirror_);
}

void TReportControl::LoadProperties(ByteReader& in) {
  TReportComponent::LoadProperties(in);
  left_ = in.F64();
  top_ = in.F64();
  width_ = in.F64();
  height_ = in.F64();
  display_on_ = static_cast<TDisplayOn>(in.U8());
  anchor_ = in.I32();
  mirror_ = in.I32();
}

// --- Texts --------------------------------------------------------------------------------

void TReportCustomText::SaveProperties(ByteWriter& out) const {
  TReportControl::SaveProperties(out);
  out.String(text_);
  out.String(font_.Name.str());
  out.I32(font_.Size);
  out.U8(font_.Style);
  out.I32(font_.Color);
  out.U8(font_.Pitch);
  out.U8(font_.Charset);
  out.U8(justify_);
}

void TReportCustomText::LoadProperties(ByteReader& in) {
  TReportControl::LoadProperties(in);
  text_ = in.String();
  font_.Name = in.String();
  font_.Size = in.I32();
  font_.Style = in.U8();
  font_.Color = in.I32();
  font_.Pitch = static_cast<TFontPitch>(in.U8());
  font_.Charset = in.U8();
  justify_ = static_cast<TPrintJustify>(in.U8());
}

TReportText::TReportText(TReportComponent* owner) : TReportCustomText(owner) { width_ = 1.0; }

double TReportText::Height() const { return std::abs(font_.Size) / 60.0; }

void TReportText::PrintSelf(TReportWriter& writer) {
  std::string_view text = text_.view();
  writer.SelectFont(font_);
  writer.SetFontRotation(rotation_);
  writer.SetTextLineTop(AbsoluteTop());
  std::string truncated;
  if (truncate_) {
    truncated = text;
    while (!truncated.empty() && writer.TextWidth(truncated) > Width() + kLengthTolerance) {
      truncated.pop_back();
    }
    text = truncated;
  }
  writer.PrintJustified(text, justify_, AbsoluteLeft(), Width(), 0);
}

void TReportText::SaveProperties(ByteWriter& out) const {
  TReportCustomText::SaveProperties(out);
  out.U8(truncate_ ? 1 : 0);
  out.I32(rotation_);
}

void TReportText::LoadProperties(ByteReader& in) {
  TReportCustomText::LoadProperties(in);
  truncate_ = in.U8() != 0;
  rotation_ = in.I32();
}

// --- Graphics and lines -------------------------------------------------------------------

void TReportGraphic::SolidifyIfWide() {
  if (line_width_ > 1 || line_width_type_ != wtPixels) line_style_ = psSolid;
}

void TReportGraphic::SetLineWidth(double w) {
  line_width_ = w;
  SolidifyIfWide();
}

void TReportGraphic::SetLineWidthType(TLineWidthType t) {
  line_width_type_ = t;
  SolidifyIfWide();
}

void TReportGraphic::SelectPen(TReportWriter& writer) const {
  if (line_width_ == 0) {
    writer.SetPen(pen_color_, psClear, pen_mode_, 0);
    return;
  }
  int width = line_width_type_ == wtPixels
                  ? static_cast<int>(std::lround(line_width_))
                  : -static_cast<int>(std::lround(line_width_ * 10000 / 72)) - 10000;
  writer.SetPen(pen_color_, line_style_, pen_mode_, width);
}

void TReportGraphic::SaveProperties(ByteWriter& out) const {
  TReportControl::SaveProperties(out);
  out.I32(pen_color_);
  out.U8(line_style_);
  out.U8(pen_mode_);
  out.F64(line_width_);
  out.U8(line_width_type_);
}

void TReportGraphic::LoadProperties(ByteReader& in) {
  TReportControl::LoadProperties(in);
  pen_color_ = in.I32();
  line_style_ = static_cast<TPenStyle>(in.U8());
  pen_mode_ = static_cast<TPenMode>(in.U8());
  line_width_ = in.F64();
  line_width_type_ = static_cast<TLineWidthType>(in.U8());
}

TReportLine::TReportLine(TReportComponent* owner) : TReportGraphic(owner) {
  width_ = 1.0;
  height_ = 1.0;
}

void TReportLine::PrintSelf(TReportWriter& writer) {
  SelectPen(writer);
  if (nesw_) {
    writer.MoveTo(AbsoluteLeft(), AbsoluteBottom());
    writer.LineTo(AbsoluteRight(), AbsoluteTop());
  } else {
    writer.MoveTo(AbsoluteLeft(), AbsoluteTop());
    writer.LineTo(AbsoluteRight(), AbsoluteBottom());
  }
}

void TReportLine::SaveProperties(ByteWriter& out) const {
  TReportGraphic::SaveProperties(out);
  out.U8(nesw_ ? 1 : 0);
}

void TReportLine::LoadProperties(ByteReader& in) {
  TReportGraphic::LoadProperties(in);
  nesw_ = in.U8() != 0;
}

TReportHLine::TReportHLine(TReportComponent* owner) : TReportLine(owner) {
  width_ = 1.0;
  height_ = 0.0;
}

TReportVLine::TReportVLine(TReportComponent* owner) : TReportLine(owner) {
  width_ = 0.0;
  height_ = 1.0;
}

// --- Item creation ------------------------------------------------------------------------

namespace {
// The base of an item class's generated names ("Text" for TReportText), without working it
// out from the class name for each of a book's items.
std::string_view ItemBaseName(uint8_t code, std::string_view class_name, std::string& other) {
  switch (code) {
    case internal::kText:
      return "Text";
    case internal::kHLine:
      return "HLine";
    case internal::kVLine:
      return "VLine";
    case internal::kLine:
      return "Line";
    default:
      other = ClassBaseName(class_name);
      return other;
  }
}
}  // namespace

TReportControl* CreateItem(TReportComponent& on, std::string_view class_name,
                           std::string_view requested_name, double left, double top, double width,
                           double height) {
  TReportComponent* owner = on.IsProjectItem() ? &on : on.Owner();
  if (!on.AcceptsChildren()) {
    throw EReportClass(std::string("Class cannot accept children classes: \"") + on.ClassName() +
                       "\"");
  }
  const uint8_t code = CodeOfClass(class_name);
  Arena::Scope in_project(ArenaOf(*owner));
  std::unique_ptr<TReportComponent> made = MakeComponent(code, owner);
  TReportControl* item = made->AsControl();
  if (!item) throw EReportClass("Not a positioned item class: \"" + std::string(class_name) + "\"");
  if (!requested_name.empty() && !owner->FindComponent(requested_name)) {
    owner->AddOwned(std::move(made));
    item->SetName(requested_name);
  } else {
    std::string other;
    owner->AddOwnedWithFreeName(std::move(made), ItemBaseName(code, class_name, other));
  }
  item->SetParent(&on);
  item->SetLeft(left);
  item->SetTop(top);
  if (width != 0) item->SetWidth(width);
  if (height != 0) item->SetHeight(height);
  return item;
}

}  // namespace quorvel::report
