#include "report/name_index.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <unordered_map>

#include "report/document_private.h"

namespace quorvel::report {

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

}  // namespace quorvel::report
