// The positioned items of a page: text items and line items, and CreateItem, which makes them
// with their unique names.
#pragma once

#include <string>
#include <string_view>

#include "report/component.h"

namespace quorvel::report {

class TReportControl : public TReportComponent {
 public:
  using TReportComponent::TReportComponent;
  TReportControl* AsControl() override { return this; }

  double Left() const { return left_; }
  double Top() const { return top_; }
  virtual double Width() const { return width_; }
  virtual double Height() const { return height_; }
  void SetLeft(double v);
  void SetTop(double v);
  void SetWidth(double v);
  virtual void SetHeight(double v);

  TDisplayOn DisplayOn() const { return display_on_; }
  void SetDisplayOn(TDisplayOn v) { display_on_ = v; }
  int Anchor() const { return anchor_; }
  void SetAnchor(int v) { anchor_ = v; }
  int Mirror() const { return mirror_; }
  void SetMirror(int v) { mirror_ = v; }

  double AbsoluteLeft() const;
  double AbsoluteTop() const;
  double AbsoluteRight() const { return AbsoluteLeft() + Width(); }
  double AbsoluteBottom() const { return AbsoluteTop() + Height(); }

  void Print(TReportWriter& writer) override;
  virtual void PrintSelf(TReportWriter& /*writer*/) {}

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 protected:
  friend class TReportPage;  // execution clips the page's items and gives them back their bounds
  // The small members first, where the base class leaves room.
  TDisplayOn display_on_ = doParent;
  int anchor_ = 0;
  int mirror_ = 0;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

class TReportCustomText : public TReportControl {
 public:
  using TReportControl::TReportControl;

  std::string_view Text() const { return text_.view(); }
  void SetText(std::string_view text) { text_ = text; }
  TReportFont& Font() { return font_; }
  const TReportFont& Font() const { return font_; }
  TPrintJustify FontJustify() const { return justify_; }
  void SetFontJustify(TPrintJustify v) { justify_ = v; }
  TColor Color() const { return font_.Color; }
  void SetColor(TColor c) { font_.Color = c; }

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 protected:
  ShortString text_;
  TReportFont font_;
  TPrintJustify justify_ = pjLeft;
};

class TReportText : public TReportCustomText {
 public:
  explicit TReportText(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportText";
  const char* ClassName() const override { return kClassName; }

  // Not stored: the font size / 60 inch.
  double Height() const override;
  void SetHeight(double /*v*/) override {}
  bool Truncate() const { return truncate_; }
  void SetTruncate(bool v) { truncate_ = v; }
  int Rotation() const { return rotation_; }
  void SetRotation(int v) { rotation_ = v; }

  void PrintSelf(TReportWriter& writer) override;
  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 private:
  bool truncate_ = false;
  int rotation_ = 0;
};

class TReportGraphic : public TReportControl {
 public:
  using TReportControl::TReportControl;

  TColor PenColor() const { return pen_color_; }
  void SetPenColor(TColor c) { pen_color_ = c; }
  TPenStyle LineStyle() const { return line_style_; }
  void SetLineStyle(TPenStyle s) { line_style_ = s; }
  TPenMode PenMode() const { return pen_mode_; }
  double LineWidth() const { return line_width_; }
  // A width above 1 or a type other than pixels makes a non-solid line solid.
  void SetLineWidth(double w);
  TLineWidthType LineWidthType() const { return line_width_type_; }
  void SetLineWidthType(TLineWidthType t);

  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 protected:
  // Sends the pen for this item's line width, or a cleared pen for width 0.
  void SelectPen(TReportWriter& writer) const;

 private:
  void SolidifyIfWide();

  // The width first, so that the one-byte members end the class and a line's own flag can
  // follow them in the same word.
  double line_width_ = 1.0;
  TColor pen_color_ = 0;
  TPenStyle line_style_ = psSolid;
  TPenMode pen_mode_ = pmCopy;
  TLineWidthType line_width_type_ = wtPixels;
};

class TReportLine : public TReportGraphic {
 public:
  explicit TReportLine(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportLine";
  const char* ClassName() const override { return kClassName; }
  bool NESW() const { return nesw_; }
  void SetNESW(bool v) { nesw_ = v; }

  void PrintSelf(TReportWriter& writer) override;
  void SaveProperties(ByteWriter& out) const override;
  void LoadProperties(ByteReader& in) override;

 private:
  bool nesw_ = false;
};

class TReportHLine : public TReportLine {
 public:
  explicit TReportHLine(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportHLine";
  const char* ClassName() const override { return kClassName; }
};

class TReportVLine : public TReportLine {
 public:
  explicit TReportVLine(TReportComponent* owner);
  static constexpr const char* kClassName = "TReportVLine";
  const char* ClassName() const override { return kClassName; }
};

// Creates an item of class T on `on` with an optional requested name; the item is owned by
// `on` when it is a page, report or project manager, else by its owner, and is a child of `on`.
TReportControl* CreateItem(TReportComponent& on, std::string_view class_name,
                           std::string_view requested_name = {}, double left = 0, double top = 0,
                           double width = 0, double height = 0);

template <class T>
T* CreateItem(TReportComponent& on, std::string_view requested_name = {}) {
  return static_cast<T*>(CreateItem(on, T::kClassName, requested_name));
}

}  // namespace quorvel::report
