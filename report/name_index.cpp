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
  NameHasher hasher;
  hasher.Add(s);
  return hasher.Hash();
}

bool NameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return SameName(a, b);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Names are nearly always compared with themselves in the same letter case.
  if (a == b) return true;
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
uint32_t Hash32(std::string_view name) {
  NameHasher hasher;
  hasher.Add(name);
  return hasher.Hash32();
}
}  // namespace

size_t NameIndex::Probe(std::string_view name, uint32_t hash, const Order& order,
                        TReportComponent*& holder) const {
  for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
    const Slot& s = slots_[i];
    if (s.position == 0) {
      holder = nullptr;
      return i;
    }
    if (s.hash == hash && SameName(order[s.position - 1]->Name(), name)) {
      holder = order[s.position - 1];
      return i;
    }
  }
}

TReportComponent* NameIndex::Find(std::string_view name, const Order& order) const {
  if (slots_.empty()) return nullptr;
  TReportComponent* holder;
  Probe(name, Hash32(name), order, holder);
  return holder;
}

TReportComponent* NameIndex::Insert(size_t position, const Order& order) {
  return Insert(position, order, Hash32(order[position]->Name()));
}

TReportComponent* NameIndex::Insert(size_t position, const Order& order, uint32_t hash) {
  if ((live_ + 1) * 2 > slots_.size()) Grow(std::max<size_t>(16, slots_.size() * 2));
  TReportComponent* holder;
  const size_t i = Probe(order[position]->Name(), hash, order, holder);
  if (holder) return holder;
  slots_[i] = {hash, static_cast<uint32_t>(position + 1)};
  ++live_;
  return nullptr;
}

void NameIndex::EraseAt(size_t position, const Order& order, bool leaving) {
  if (slots_.empty()) return;
  const uint32_t wanted = static_cast<uint32_t>(position + 1);
  size_t i = Hash32(order[position]->Name()) & Mask();
  while (slots_[i].position != 0 && slots_[i].position != wanted) i = (i + 1) & Mask();
  // An unnamed component is not in the index, but the positions after it still move.
  if (slots_[i].position == wanted) RemoveSlot(i);
  if (!leaving) return;
  for (Slot& s : slots_) {
    if (s.position > wanted) --s.position;
  }
}

void NameIndex::RemoveSlot(size_t i) {
  // Backward-shift deletion: later members of the same run move up into the gap, so that no
  // search stops early at it.
  for (size_t gap = i, j = (i + 1) & Mask();; j = (j + 1) & Mask()) {
    if (slots_[j].position == 0) {
      slots_[gap] = {};
      break;
    }
    size_t home = slots_[j].hash & Mask();
    // slots_[j] may fill the gap unless its home lies cyclically in (gap, j].
    bool stays = gap <= j ? (gap < home && home <= j) : (gap < home || home <= j);
    if (!stays) {
      slots_[gap] = slots_[j];
      gap = j;
    }
  }
  --live_;
}

void NameIndex::Clear() {
  // The memory goes back too, so that the pool empties when the document is freed.
  decltype(slots_)().swap(slots_);
  live_ = 0;
}

void NameIndex::Reserve(size_t n) {
  if (n * 2 > slots_.size()) Grow(n * 2);
}

void NameIndex::Place(Slot slot) {
  size_t i = slot.hash & Mask();
  while (slots_[i].position != 0) i = (i + 1) & Mask();
  slots_[i] = slot;
}

void NameIndex::Grow(size_t capacity) {
  size_t size = 16;
  while (size < capacity) size *= 2;
  std::vector<Slot, TableAllocator<Slot>> old = std::move(slots_);
  slots_.assign(size, Slot{});
  // The hashes are kept: growing never reads a name.
  for (const Slot& s : old) {
    if (s.position != 0) Place(s);
  }
}

}  // namespace quorvel::report
