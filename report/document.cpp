#include "report/document.h"

#include <sys/mman.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <unordered_map>

namespace quorvel::report {
namespace {

bool SameLength(double a, double b) { return std::fabs(a - b) <= kLengthTolerance; }

const char* const kReservedNames[] = {"IMPORT", "CONST",    "TYPE",
                                      "VAR",    "FUNCTION", "IMPLEMENTATION",
                                      "END",    "CREATION", "DESTRUCTION"};

bool IsReservedName(std::string_view name) {
  for (const char* r : kReservedNames) {
    if (SameName(name, r)) return true;
  }
  return false;
}

// "Text" for TReportText: without the leading T and a leading "Report".
std::string ClassBaseName(std::string_view class_name) {
  std::string_view base = class_name;
  if (!base.empty() && (base[0] == 'T' || base[0] == 't')) base.remove_prefix(1);
  if (base.size() >= 6 && SameName(base.substr(0, 6), "report")) base.remove_prefix(6);
  return std::string(base);
}

// Class codes of the persistent form.
enum ClassCode : uint8_t { kText = 1, kHLine, kVLine, kLine, kPage, kReport };

uint8_t CodeOfClass(std::string_view name) {
  if (name == TReportText::kClassName) return kText;
  if (name == TReportHLine::kClassName) return kHLine;
  if (name == TReportVLine::kClassName) return kVLine;
  if (name == TReportLine::kClassName) return kLine;
  if (name == "TReportPage") return kPage;
  if (name == "TReport") return kReport;
  throw EReportClass("Class not registered: \"" + std::string(name) + "\"");
}

uint8_t CodeOf(const TReportComponent& c) { return CodeOfClass(c.ClassName()); }

std::unique_ptr<TReportComponent> MakeComponent(uint8_t code, TReportComponent* owner) {
  switch (code) {
    case kText:
      return std::make_unique<TReportText>(owner);
    case kHLine:
      return std::make_unique<TReportHLine>(owner);
    case kVLine:
      return std::make_unique<TReportVLine>(owner);
    case kLine:
      return std::make_unique<TReportLine>(owner);
    case kPage:
      return std::make_unique<TReportPage>(owner);
    case kReport:
      return std::make_unique<TReport>(owner);
  }
  throw EReportClass("Class not registered: code " + std::to_string(code));
}

}  // namespace

size_t NameHash::operator()(std::string_view s) const noexcept {
  size_t h = 1469598103934665603ULL;  // FNV-1a over the lower-cased bytes
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
    h = (h ^ c) * 1099511628211ULL;
  }
  return h;
}

bool NameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return SameName(a, b);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string LowerName(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// --- NameIndex ----------------------------------------------------------------------------

namespace {
TReportComponent* Tombstone() {
  static char mark;
  return reinterpret_cast<TReportComponent*>(&mark);
}
}  // namespace

size_t NameIndex::Slot(std::string_view name) const {
  return NameHash()(name) & (slots_.size() - 1);
}

TReportComponent* NameIndex::Find(std::string_view name) const {
  if (slots_.empty()) return nullptr;
  for (size_t i = Slot(name);; i = (i + 1) & (slots_.size() - 1)) {
    TReportComponent* c = slots_[i];
    if (!c) return nullptr;
    if (c != Tombstone() && SameName(c->Name(), name)) return c;
  }
}

TReportComponent* NameIndex::Insert(TReportComponent* c) {
  if ((used_ + 1) * 2 > slots_.size()) Grow(std::max<size_t>(16, (live_ + 1) * 4));
  size_t first_free = SIZE_MAX;
  size_t i = Slot(c->Name());
  for (;; i = (i + 1) & (slots_.size() - 1)) {
    TReportComponent* s = slots_[i];
    if (!s) break;
    if (s == Tombstone()) {
      if (first_free == SIZE_MAX) first_free = i;
    } else if (SameName(s->Name(), c->Name())) {
      return s;
    }
  }
  if (first_free == SIZE_MAX) {
    first_free = i;
    ++used_;
  }
  slots_[first_free] = c;
  ++live_;
  return nullptr;
}

void NameIndex::Erase(const TReportComponent* c) {
  if (slots_.empty()) return;
  for (size_t i = Slot(c->Name());; i = (i + 1) & (slots_.size() - 1)) {
    TReportComponent* s = slots_[i];
    if (!s) return;
    if (s == c) {
      slots_[i] = Tombstone();
      --live_;
      return;
    }
  }
}

void NameIndex::Clear() {
  slots_.clear();
  live_ = used_ = 0;
}

void NameIndex::Reserve(size_t n) {
  if (n * 2 > slots_.size()) Grow(n * 2);
}

void NameIndex::Grow(size_t capacity) {
  size_t size = 16;
  while (size < capacity) size *= 2;
  std::vector<TReportComponent*> old = std::move(slots_);
  slots_.assign(size, nullptr);
  live_ = used_ = 0;
  for (TReportComponent* c : old) {
    if (c && c != Tombstone()) Insert(c);
  }
}

// --- TReportComponent ---------------------------------------------------------------------

namespace {

// Free lists of component memory by 16-byte size class, refilled in 64 KiB blocks that live as
// long as the thread; a component is freed on the thread that made it. Sanitizer builds use the
// ordinary allocator, so that they still see every use after free.
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_ASAN 1
#endif
#endif
#ifdef QUORVEL_ASAN
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
constexpr size_t kGrain = 16;
constexpr size_t kMaxPooled = 512;

struct ComponentPool {
  struct FreeNode {
    FreeNode* next;
  };
  // A small book takes its components from 64 KiB blocks. Once the pool holds 2 MiB, blocks
  // are 2 MiB, aligned so that the system can back each with one huge page: a large book
  // touches tens of megabytes of components, and one fault per block instead of one per 4 KiB
  // page is much of its run time.
  static constexpr size_t kSmallBlock = 64 * 1024;
  static constexpr size_t kHugeBlock = 2 * 1024 * 1024;
  struct BlockFree {
    void operator()(std::byte* p) const { std::free(p); }
  };
  FreeNode* free[kMaxPooled / kGrain + 1] = {};
  std::vector<std::unique_ptr<std::byte[], BlockFree>> blocks;
  size_t pooled = 0;           // bytes in all blocks
  std::byte* fresh = nullptr;  // the unused rest of the newest block
  size_t fresh_left = 0;

  void* Take(size_t size) {
    size_t cls = (size + kGrain - 1) / kGrain;
    if (FreeNode* n = free[cls]) {
      free[cls] = n->next;
      return n;
    }
    size_t bytes = cls * kGrain;
    if (fresh_left < bytes) {
      bool huge = pooled >= kHugeBlock;
      size_t block_size = huge ? kHugeBlock : kSmallBlock;
      void* block = std::aligned_alloc(huge ? kHugeBlock : alignof(std::max_align_t), block_size);
      if (!block) throw std::bad_alloc();
      if (huge) madvise(block, block_size, MADV_HUGEPAGE);
      blocks.emplace_back(static_cast<std::byte*>(block));
      pooled += block_size;
      fresh = blocks.back().get();
      fresh_left = block_size;
    }
    // Memory is handed out from the block's unused rest, so that only what is used is touched.
    void* p = fresh;
    fresh += bytes;
    fresh_left -= bytes;
    return p;
  }
  void Give(void* p, size_t size) {
    size_t cls = (size + kGrain - 1) / kGrain;
    auto* n = static_cast<FreeNode*>(p);
    n->next = free[cls];
    free[cls] = n;
  }
};

ComponentPool& Pool() {
  thread_local ComponentPool pool;
  return pool;
}

}  // namespace

void* TReportComponent::operator new(size_t size) {
  if (!kPooled || size > kMaxPooled) return ::operator new(size);
  return Pool().Take(size);
}

void TReportComponent::operator delete(void* p, size_t size) noexcept {
  if (!p) return;
  if (!kPooled || size > kMaxPooled) {
    ::operator delete(p);
    return;
  }
  Pool().Give(p, size);
}

TReportComponent::TReportComponent(TReportComponent* owner) : owner_(owner) {}

TReportComponent::~TReportComponent() {
  FreeComponents();
  for (TReportComponent* child : Children()) child->parent_ = nullptr;
  if (parent_) {
    auto& siblings = parent_->owned_->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  }
  if (owner_) owner_->ReleaseOwned(this);
}

TReportComponent::OwnedTable& TReportComponent::Owned() {
  if (!owned_) owned_ = std::make_unique<OwnedTable>();
  return *owned_;
}

const std::vector<TReportComponent*>& TReportComponent::Components() const {
  static const std::vector<TReportComponent*> kNone;
  return owned_ ? owned_->order : kNone;
}

const std::vector<TReportComponent*>& TReportComponent::Children() const {
  static const std::vector<TReportComponent*> kNone;
  return owned_ ? owned_->children : kNone;
}

void TReportComponent::FreeComponents() {
  if (!owned_) return;
  std::vector<TReportComponent*> owned = std::move(owned_->order);
  owned_->order.clear();
  owned_->names.Clear();
  owned_->counters.clear();
  // Detach first so that freeing many children never searches the lists one by one. Usually
  // the children are exactly the owned components, which needs no look at each child.
  std::vector<TReportComponent*>& children = owned_->children;
  bool all_owned = children == owned;
  if (all_owned) {
    children.clear();
  } else {
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [this](TReportComponent* c) {
                                    if (c->owner_ != this) return false;
                                    c->parent_ = nullptr;
                                    return true;
                                  }),
                   children.end());
  }
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    TReportComponent* c = *it;
    c->owner_ = nullptr;
    if (all_owned) c->parent_ = nullptr;
    delete c;
  }
}

void TReportComponent::AddOwned(std::unique_ptr<TReportComponent> component) {
  Owned().order.push_back(component.release());
}

void TReportComponent::ReleaseOwned(TReportComponent* component) {
  if (!owned_) return;
  auto it = std::find(owned_->order.begin(), owned_->order.end(), component);
  if (it != owned_->order.end()) owned_->order.erase(it);
  if (!component->name_.empty()) owned_->names.Erase(component);
  owned_->counters.clear();
}

void TReportComponent::SetName(std::string_view name) {
  if (name == name_) return;
  if (IsReservedName(name)) return;
  if (!owner_) {
    name_ = name;
    return;
  }
  if (name_.empty()) {
    // A first name: one lookup both checks for a collision and registers it.
    name_ = name;
    if (owner_->Owned().names.Insert(this)) {
      name_.clear();
      throw EComponentError("A component named " + std::string(name) + " already exists");
    }
    return;
  }
  OwnedTable& table = owner_->Owned();
  if (!name.empty()) {
    TReportComponent* other = table.names.Find(name);
    if (other && other != this) {
      throw EComponentError("A component named " + std::string(name) + " already exists");
    }
  }
  if (!name_.empty()) {
    table.names.Erase(this);
    // A freed name may be lower than a counter: search from 1 again.
    table.counters.clear();
  }
  name_ = name;
  if (!name_.empty()) table.names.Insert(this);
}

std::string TReportComponent::FullName() const {
  if (!owner_ || !owner_->owner_ || dynamic_cast<const TProjectManager*>(owner_)) return name_;
  return owner_->FullName() + "." + name_;
}

void TReportComponent::SetParent(TReportComponent* parent) {
  if (parent == parent_) return;
  if (parent_) {
    auto& siblings = parent_->owned_->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), this));
    parent_ = nullptr;
  }
  if (!parent) return;
  if (!parent->AcceptsChildren()) {
    throw EReportClass(std::string("Class cannot accept children classes: \"") +
                       parent->ClassName() + "\"");
  }
  parent->Owned().children.push_back(this);
  parent_ = parent;
}

TReportComponent* TReportComponent::FindComponent(std::string_view name) const {
  if (!owned_) return nullptr;
  return owned_->names.Find(name);
}

std::string TReportComponent::FreeNameFor(const std::string& base) {
  int& next = Owned().counters.try_emplace(base, 1).first->second;
  for (int n = next; n <= 9999; ++n) {
    std::string candidate = base + std::to_string(n);
    if (!FindComponent(candidate)) {
      // Callers apply the name they get, so the search goes on after it next time.
      next = n + 1;
      return candidate;
    }
  }
  // All taken: the last candidate is applied and collides.
  return base + "9999";
}

TReportPage* TReportComponent::Page() {
  for (TReportComponent* c = this; c; c = c->parent_) {
    if (auto* page = dynamic_cast<TReportPage*>(c)) return page;
  }
  return nullptr;
}

TReport* TReportComponent::Report() {
  for (TReportComponent* c = this; c; c = c->parent_) {
    if (auto* report = dynamic_cast<TReport*>(c)) return report;
  }
  return nullptr;
}

bool TReportComponent::Finished() const {
  return std::all_of(Children().begin(), Children().end(),
                     [](const TReportComponent* c) { return c->Finished(); });
}

void TReportComponent::Print(TReportWriter& writer) { PrintChildren(writer); }

void TReportComponent::PrintChildren(TReportWriter& writer) {
  for (TReportComponent* child : Children()) child->Print(writer);
}

void TReportComponent::SaveProperties(ByteWriter& out) const { out.U8(visible_ ? 1 : 0); }

void TReportComponent::LoadProperties(ByteReader& in) { visible_ = in.U8() != 0; }

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
  out.String(font_.Name);
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
  std::string text = text_;
  writer.SelectFont(font_);
  writer.SetFontRotation(rotation_);
  writer.SetTextLineTop(AbsoluteTop());
  if (truncate_) {
    while (!text.empty() && writer.TextWidth(text) > Width() + kLengthTolerance) text.pop_back();
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

// --- Reports ------------------------------------------------------------------------------

TReportPage* TReport::AddPage() {
  auto page = std::make_unique<TReportPage>(this);
  TReportPage* raw = page.get();
  std::string name = FreeNameFor("Page");
  AddOwned(std::move(page));
  raw->SetName(name);
  raw->SetParent(this);
  pages_.push_back(raw);
  if (auto* manager = dynamic_cast<TProjectManager*>(Owner())) manager->SetChanged(true);
  return raw;
}

void TReport::SendPageSetup(TReportWriter& writer) {
  TReportPage* page = first_page_;
  if (!page_list_.empty()) page = page_list_.front();
  if (copies_ > 0) writer.SetCopies(copies_);
  if (!page) return;
  if (page->PaperSize() == 256) {
    writer.SetPaperSize(256, page->PageWidth(), page->PageHeight());
  } else if (page->PaperSize() != -1) {
    writer.SetPaperSize(page->PaperSize(), 0, 0);
  }
  if (page->Orientation() != poDefault) writer.SetOrientation(page->Orientation());
}

void TReport::PrintPages(TReportWriter& writer) {
  TReportPage* current = page_list_.empty() ? first_page_ : nullptr;
  size_t list_index = 0;
  std::vector<TReportPage*> stack;
  int printed = 0;
  for (;;) {
    if (!current) {
      if (!stack.empty()) {
        current = stack.back();
        stack.pop_back();
      } else if (list_index < page_list_.size()) {
        current = page_list_[list_index++];
      } else {
        return;
      }
      if (!current) return;
    }
    if (printed > 0) {
      if (current->Orientation() != poDefault) writer.SetOrientation(current->Orientation());
      writer.NewPage();
    }
    current->PrintCopy(writer);
    ++printed;
    bool finished = current->Finished();
    TReportPage* next = nullptr;
    switch (current->GotoMode()) {
      case gmGotoDone:
        next = finished ? current->GotoPage() : current;
        break;
      case gmGotoNotDone:
        next = finished ? nullptr : current->GotoPage();
        break;
      case gmCallEach:
        if (current->GotoPage()) {
          if (!finished) stack.push_back(current);
          next = current->GotoPage();
        } else {
          next = finished ? nullptr : current;
        }
        break;
    }
    if (max_pages_ >= 1 && printed >= max_pages_) return;
    current = next;
  }
}

void TReport::SaveProperties(ByteWriter& out) const {
  TProjectItem::SaveProperties(out);
  out.String(first_page_ ? first_page_->Name() : std::string());
  out.I32(static_cast<int32_t>(page_list_.size()));
  for (const TReportPage* p : page_list_) out.String(p ? p->FullName() : std::string());
  out.I32(max_pages_);
  out.I32(copies_);
  out.U8(collate_ ? 1 : 0);
  out.I32(duplex_);
  out.I32(resolution_);
  out.String(printer_);
  out.U8(always_generate_ ? 1 : 0);
}

void TReport::LoadProperties(ByteReader& in) {
  TProjectItem::LoadProperties(in);
  first_page_name_ = in.String();
  int32_t n = in.I32();
  if (n < 0) throw StreamReadError("Bad page list length", in.Position());
  page_list_names_.clear();
  for (int32_t i = 0; i < n; ++i) page_list_names_.push_back(in.String());
  max_pages_ = in.I32();
  copies_ = in.I32();
  collate_ = in.U8() != 0;
  duplex_ = in.I32();
  resolution_ = in.I32();
  printer_ = in.String();
  always_generate_ = in.U8() != 0;
}

// --- Project manager ----------------------------------------------------------------------

void TProjectManager::Clear() {
  active_report_ = nullptr;
  reports_.clear();
  global_pages_.clear();
  FreeComponents();
}

TReport* TProjectManager::AddReport() {
  auto report = std::make_unique<TReport>(this);
  TReport* raw = report.get();
  std::string name = FreeNameFor("Report");
  AddOwned(std::move(report));
  raw->SetName(name);
  raw->SetParent(this);
  reports_.push_back(raw);
  return raw;
}

void TProjectManager::MakeNew() {
  file_name_ = "Project1.rpj";
  TReport* report = AddReport();
  active_report_ = report;
  report->SetFirstPage(report->AddPage());
  changed_ = false;
  saved_ = false;
}

TReportComponent* TProjectManager::FindByFullName(std::string_view full_name) const {
  size_t dot = full_name.find('.');
  if (dot == std::string_view::npos) return FindComponent(full_name);
  std::string_view owner_name = full_name.substr(0, dot);
  std::string_view rest = full_name.substr(dot + 1);
  const TReportComponent* owner = nullptr;
  if (active_report_) {
    // Names are unique among a report's components, so its page of that name is the match.
    owner = dynamic_cast<const TReportPage*>(active_report_->FindComponent(owner_name));
  }
  if (!owner) {
    for (const TReportComponent* child : Children()) {
      if (SameName(child->Name(), owner_name)) {
        owner = child;
        break;
      }
    }
  }
  if (!owner) return nullptr;
  if (TReportComponent* found = owner->FindComponent(rest)) return found;
  return FindComponent(rest);
}

std::vector<uint8_t> TProjectManager::Save() const {
  // About 80 bytes a component: reserving once spares the copies of a growing buffer. The
  // reports' pages and their items make the estimate; deeper levels are not worth a visit.
  size_t estimate = 1;
  for (const TReportComponent* report : Components()) {
    for (const TReportComponent* page : report->Components()) {
      estimate += 1 + page->Components().size();
    }
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(96 * estimate);
  ByteWriter out(bytes);
  out.String(file_name_);
  out.I32(units_);
  out.F64(units_factor_);
  out.String(active_report_ ? active_report_->Name() : std::string());
  std::function<void(const TReportComponent&)> save = [&](const TReportComponent& c) {
    out.U8(CodeOf(c));
    out.String(c.Name());
    bool parent_is_owner = c.Parent() == c.Owner();
    out.U8(parent_is_owner ? 1 : 0);
    if (!parent_is_owner) out.String(c.Parent() ? c.Parent()->FullName() : std::string());
    c.SaveProperties(out);
    out.I32(static_cast<int32_t>(c.Components().size()));
    for (const TReportComponent* owned : c.Components()) save(*owned);
  };
  out.I32(static_cast<int32_t>(Components().size()));
  for (const TReportComponent* c : Components()) save(*c);
  return bytes;
}

void TProjectManager::Load(const std::vector<uint8_t>& bytes) {
  Clear();
  ByteReader in(bytes);
  file_name_ = in.String();
  units_ = in.I32();
  units_factor_ = in.F64();
  std::string active = in.String();
  std::vector<std::pair<TReportComponent*, std::string>> other_parents;
  std::function<void(TReportComponent&)> load = [&](TReportComponent& owner) {
    uint8_t code = in.U8();
    std::string_view name = in.StringView();
    bool parent_is_owner = in.U8() != 0;
    std::string parent_name = parent_is_owner ? std::string() : in.String();
    std::unique_ptr<TReportComponent> made = MakeComponent(code, &owner);
    TReportComponent* c = made.get();
    owner.AddOwned(std::move(made));
    c->SetName(name);
    if (parent_is_owner) {
      c->SetParent(&owner);
    } else if (!parent_name.empty()) {
      other_parents.emplace_back(c, parent_name);
    }
    c->LoadProperties(in);
    if (code == kReport) {
      if (&owner == this) reports_.push_back(static_cast<TReport*>(c));
    } else if (code == kPage) {
      auto* page = static_cast<TReportPage*>(c);
      if (auto* r = dynamic_cast<TReport*>(&owner)) {
        r->pages_.push_back(page);
      } else if (&owner == this) {
        global_pages_.push_back(page);
      }
    }
    int32_t n = in.I32();
    if (n < 0) throw StreamReadError("Bad component count", in.Position());
    if (n > 0) {
      c->Owned().names.Reserve(static_cast<size_t>(n));
      c->Owned().order.reserve(static_cast<size_t>(n));
      c->Owned().children.reserve(static_cast<size_t>(n));
    }
    for (int32_t i = 0; i < n; ++i) load(*c);
  };
  int32_t n = in.I32();
  if (n < 0) throw StreamReadError("Bad component count", in.Position());
  for (int32_t i = 0; i < n; ++i) load(*this);
  // Resolve the links by name once every object exists.
  for (auto& [c, parent_name] : other_parents) {
    if (TReportComponent* p = FindByFullName(parent_name)) c->SetParent(p);
  }
  active_report_ = active.empty() ? nullptr : dynamic_cast<TReport*>(FindComponent(active));
  for (TReport* report : reports_) {
    report->first_page_ =
        dynamic_cast<TReportPage*>(report->FindComponent(report->first_page_name_));
    report->page_list_.clear();
    for (const std::string& name : report->page_list_names_) {
      size_t dot = name.find('.');
      report->page_list_.push_back(dynamic_cast<TReportPage*>(
          report->FindComponent(dot == std::string::npos ? name : name.substr(dot + 1))));
    }
    for (TReportPage* page : report->pages_) {
      if (page->goto_name_.empty()) continue;
      size_t dot = page->goto_name_.find('.');
      std::string owner = page->goto_name_.substr(0, dot);
      TReportComponent* holder = FindComponent(owner);
      page->goto_page_ =
          holder && dot != std::string::npos
              ? dynamic_cast<TReportPage*>(holder->FindComponent(page->goto_name_.substr(dot + 1)))
              : nullptr;
    }
  }
}

// --- Project ------------------------------------------------------------------------------

TReportProject::TReportProject() {
  auto manager = std::make_unique<TProjectManager>(&container_);
  manager_ = manager.get();
  container_.AddOwned(std::move(manager));
  manager_->SetParent(&container_);
}

TReportProject::~TReportProject() { CloseProject(); }

void TReportProject::SetProjectFile(std::string name) {
  if (!name.empty() && name.find('.') == std::string::npos) name += ".rpj";
  project_file_ = std::move(name);
}

void TReportProject::NewProject() {
  if (open_) manager_->Clear();
  manager_->MakeNew();
  open_ = true;
}

void TReportProject::OpenProject() {
  if (open_) return;
  // Projects are only ever made with NewProject here; there is no stored copy to load.
  throw FileError("The following reporting project does not exist:\n\"" + project_file_ + "\"");
}

void TReportProject::CloseProject() {
  if (!open_) return;
  manager_->Clear();
  open_ = false;
}

bool TReportProject::SelectReport(std::string_view name) {
  OpenProject();
  for (TReport* report : manager_->Reports()) {
    if (SameName(report->Name(), name)) {
      manager_->SetActiveReport(report);
      return true;
    }
  }
  return false;
}

void TReportProject::ExecuteReport(std::string_view name) {
  if (!SelectReport(name)) return;
  if (!engine_) throw std::logic_error("The report project has no engine");
  // Execution prints copies, so that clipping and other changes never touch the document:
  // each page is copied as it prints and freed after (see TReportPage::PrintCopy).
  TReport* report = manager_->ActiveReport();
  if (!report) return;
  double saved_units = engine_->UnitsFactor();
  engine_->SetUnitsFactor(1.0);
  try {
    engine_->Execute([&] { report->SendPageSetup(*engine_); },
                     [&] { report->PrintPages(*engine_); });
  } catch (...) {
    engine_->SetUnitsFactor(saved_units);
    throw;
  }
  engine_->SetUnitsFactor(saved_units);
}

// --- Item creation ------------------------------------------------------------------------

TReportControl* CreateItem(TReportComponent& on, std::string_view class_name,
                           std::string_view requested_name, double left, double top, double width,
                           double height) {
  TReportComponent* owner = on.IsProjectItem() ? &on : on.Owner();
  if (!on.AcceptsChildren()) {
    throw EReportClass(std::string("Class cannot accept children classes: \"") + on.ClassName() +
                       "\"");
  }
  std::unique_ptr<TReportComponent> made = MakeComponent(CodeOfClass(class_name), owner);
  auto* item = dynamic_cast<TReportControl*>(made.get());
  if (!item) throw EReportClass("Not a positioned item class: \"" + std::string(class_name) + "\"");
  std::string name;
  if (!requested_name.empty() && !owner->FindComponent(requested_name)) {
    name = std::string(requested_name);
  } else {
    name = owner->FreeNameFor(ClassBaseName(class_name));
  }
  owner->AddOwned(std::move(made));
  item->SetName(name);
  item->SetParent(&on);
  item->SetLeft(left);
  item->SetTop(top);
  if (width != 0) item->SetWidth(width);
  if (height != 0) item->SetHeight(height);
  return item;
}

}  // namespace quorvel::report
