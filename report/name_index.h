// Names of report components, compared without regard to case: hashing and equality usable
// with string_view keys, and the per-owner index of components by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/table_allocator.h"

namespace quorvel::report {

class TReportComponent;

// A name's hash, without regard to case, made piece by piece: a base and then its number.
class NameHasher {
 public:
  void Add(std::string_view piece) {
    for (char ch : piece) {
      unsigned char c = static_cast<unsigned char>(ch);
      if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
      state_ = (state_ ^ c) * 1099511628211ULL;  // FNV-1a
    }
  }
  size_t Hash() const { return state_; }
  uint32_t Hash32() const { return static_cast<uint32_t>(state_ ^ (state_ >> 32)); }

 private:
  size_t state_ = 1469598103934665603ULL;
};

// Hashing and equality of names without regard to case, usable with string_view keys.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const noexcept;
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// The components of one owner by name, without regard to case: an open-addressing table that
// refers to them by their position in the owner's list and keeps each name's hash, so that
// neither a search nor growing the table reads a component whose name cannot match.
class NameIndex {
 public:
  using Order = ComponentList;

  TReportComponent* Find(std::string_view name, const Order& order) const;
  // Adds order[position] under its current name; returns the component already holding that
  // name instead (and adds nothing), or null. `hash` is the name's NameHasher::Hash32 when the
  // caller has it.
  TReportComponent* Insert(size_t position, const Order& order);
  TReportComponent* Insert(size_t position, const Order& order, uint32_t hash);
  // Removes order[position] under its current name. When it is `leaving` the list, the
  // positions after it move down by one.
  void EraseAt(size_t position, const Order& order, bool leaving);
  void Clear();
  void Reserve(size_t n);

 private:
  struct Slot {
    uint32_t hash;
    uint32_t position;  // 0: empty; else the position in the owner's list + 1
  };
  size_t Mask() const { return slots_.size() - 1; }
  // The slot of the component holding `name` (then `holder` is it), or the empty slot where
  // the search ended (then `holder` is null). The table must not be empty.
  size_t Probe(std::string_view name, uint32_t hash, const Order& order,
               TReportComponent*& holder) const;
  void Place(Slot slot);
  void RemoveSlot(size_t i);
  void Grow(size_t capacity);

  std::vector<Slot, TableAllocator<Slot>> slots_;
  size_t live_ = 0;
};

// Lower-case copy for name comparisons, and a comparison that ignores case.
std::string LowerName(std::string_view s);
bool SameName(std::string_view a, std::string_view b);

}  // namespace quorvel::report
