#include "report/page.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <unordered_map>

#include "report/document_private.h"

namespace quorvel::report {

// --- Pages --------------------------------------------------------------------------------

void TReportPage::SetPageWidth(double v) {
  if (v < kLengthTolerance) return;
  page_width_ = v;
  paper_size_ = 256;
}

void TReportPage::SetPageHeight(double v) {
  if (v < kLengthTolerance) return;
  page_height_ = v;
  paper_size_ = 256;
}

void TReportPage::SetOrientation(TOrientation v) {
  if (v == orientation_) return;
  if (v == poLandScape || orientation_ == poLandScape) std::swap(page_width_, page_height_);
  orientation_ = v;
}

namespace {

// Clips every item that reaches outside the printable area to it, 0.01 inch inside the margins.
template <class Items>
void ClipToPrintable(TReportWriter& writer, const Items& items) {
  double left = writer.MarginLeft() + 0.01;
  double top = writer.MarginTop() + 0.01;
  double right = writer.PageWidth() - (writer.MarginRight() + 0.01);
  double bottom = writer.PageHeight() - (writer.MarginBottom() + 0.01);
  for (const auto& b : items) {
    TReportControl* item = b.item;
    double l = item->Left(), t = item->Top();
    double r = l + item->Width(), btm = t + item->Height();
    bool outside = l < left - kLengthTolerance || t < top - kLengthTolerance ||
                   r > right + kLengthTolerance || btm > bottom + kLengthTolerance;
    if (!outside) continue;
    double nl = std::max(l, left), nt = std::max(t, top);
    double nr = std::min(r, right), nb = std::min(btm, bottom);
    item->SetLeft(nl);
    item->SetTop(nt);
    item->SetWidth(nr - nl);
    item->SetHeight(nb - nt);
  }
}

}  // namespace

void TReportPage::PrintItems(TReportWriter& writer) {
  for (TReportComponent* child : Children()) {
    writer.SetAllowMode(amAll);
    child->Print(writer);
  }
}

void TReportPage::Print(TReportWriter& writer) {
  if (!Visible()) return;
  // Every item returns to the bounds it had when execution began, then is clipped to the
  // printable area when WasteFit is set.
  if (!bounds_taken_) {
    for (TReportComponent* child : Children()) {
      if (TReportControl* item = child->AsControl()) {
        initial_bounds_.push_back({item, item->Left(), item->Top(), item->Width(), item->Height()});
      }
    }
    bounds_taken_ = true;
  } else {
    for (const Bounds& b : initial_bounds_) {
      b.item->SetLeft(b.left);
      b.item->SetTop(b.top);
      b.item->SetWidth(b.width);
      b.item->SetHeight(b.height);
    }
  }
  if (waste_fit_) ClipToPrintable(writer, initial_bounds_);
  PrintItems(writer);
}

void TReportPage::PrintUnchanged(TReportWriter& writer) {
  if (!Visible()) return;
  // The items are clipped where they stand, printed, and given back the bounds they had, even
  // when printing fails part-way: the same pages as printing a fresh copy of the page, without
  // making one.
  struct Kept {
    TReportControl* item;
    double left, top, width, height;
  };
  std::vector<Kept> kept;
  kept.reserve(Children().size());
  for (TReportComponent* child : Children()) {
    if (TReportControl* item = child->AsControl()) {
      kept.push_back({item, item->left_, item->top_, item->width_, item->height_});
    }
  }
  struct Restore {
    std::vector<Kept>& kept;
    ~Restore() {
      for (const Kept& k : kept) {
        k.item->left_ = k.left;
        k.item->top_ = k.top;
        k.item->width_ = k.width;
        k.item->height_ = k.height;
      }
    }
  } restore{kept};
  if (waste_fit_) ClipToPrintable(writer, kept);
  PrintItems(writer);
}

void TReportPage::SaveProperties(ByteWriter& out) const {
  TProjectItem::SaveProperties(out);
  out.F64(page_width_);
  out.F64(page_height_);
  out.I32(paper_size_);
  out.U8(orientation_);
  out.I32(bin_);
  out.String(bin_custom_);
  out.U8(goto_mode_);
  out.String(goto_page_ ? goto_page_->FullName() : std::string());
  out.U8(waste_fit_ ? 1 : 0);
  out.I32(grid_lines_);
  out.F64(grid_spacing_);
}

void TReportPage::LoadProperties(ByteReader& in) {
  TProjectItem::LoadProperties(in);
  page_width_ = in.F64();
  page_height_ = in.F64();
  paper_size_ = in.I32();
  orientation_ = static_cast<TOrientation>(in.U8());
  bin_ = in.I32();
  bin_custom_ = in.String();
  goto_mode_ = static_cast<TGotoMode>(in.U8());
  goto_name_ = in.String();
  waste_fit_ = in.U8() != 0;
  grid_lines_ = in.I32();
  grid_spacing_ = in.F64();
}

}  // namespace quorvel::report
