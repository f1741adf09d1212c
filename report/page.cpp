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

using internal::CodeOf;
using internal::MakeComponent;

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
  if (waste_fit_) {
    double left = writer.MarginLeft() + 0.01;
    double top = writer.MarginTop() + 0.01;
    double right = writer.PageWidth() - (writer.MarginRight() + 0.01);
    double bottom = writer.PageHeight() - (writer.MarginBottom() + 0.01);
    for (const Bounds& b : initial_bounds_) {
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
  for (TReportComponent* child : Children()) {
    writer.SetAllowMode(amAll);
    child->Print(writer);
  }
}

void TReportPage::PrintCopy(TReportWriter& writer) const {
  // The copy is made through the persistent form, item by item, so that it carries every
  // property, exactly as a copy of the whole project would.
  thread_local std::vector<uint8_t> scratch;
  auto copy_properties = [](const TReportComponent& from, TReportComponent& to) {
    scratch.clear();
    ByteWriter out(scratch);
    from.SaveProperties(out);
    ByteReader in(scratch);
    to.LoadProperties(in);
  };
  TProjectContainer holder;
  auto owned_page = std::make_unique<TReportPage>(&holder);
  TReportPage& page = *owned_page;
  holder.AddOwned(std::move(owned_page));
  copy_properties(*this, page);

  const std::vector<TReportComponent*>& originals = Components();
  std::vector<TReportComponent*> copies;
  copies.reserve(originals.size());
  page.Owned().order.reserve(originals.size());
  page.Owned().children.reserve(Children().size());
  for (const TReportComponent* original : originals) {
    if (!original->Components().empty()) {
      throw std::logic_error("a page item that owns other components cannot be printed");
    }
    std::unique_ptr<TReportComponent> made = MakeComponent(CodeOf(*original), &page);
    copy_properties(*original, *made);
    copies.push_back(made.get());
    page.AddOwned(std::move(made));
  }
  // The same parents and child order. Usually the page's children are its own items in the
  // same order; otherwise items are matched through a map.
  if (Children() == originals) {
    for (TReportComponent* copy : copies) copy->SetParent(&page);
    page.Print(writer);
    return;
  }
  std::unordered_map<const TReportComponent*, TReportComponent*> copy_of;
  copy_of.reserve(originals.size() + 1);
  for (size_t i = 0; i < originals.size(); ++i) copy_of[originals[i]] = copies[i];
  copy_of[this] = &page;
  auto attach = [&](const TReportComponent& parent) {
    for (const TReportComponent* child : parent.Children()) {
      auto it = copy_of.find(child);
      if (it != copy_of.end()) it->second->SetParent(copy_of.at(&parent));
    }
  };
  attach(*this);
  for (const TReportComponent* original : originals) {
    if (copy_of.count(original)) attach(*original);
  }
  page.Print(writer);
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
