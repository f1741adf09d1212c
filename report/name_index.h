// Names of report components, compared without regard to case: hashing and equality usable
// with string_view keys, and the per-owner index of components by name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::report {

class TReportComponent;

// Hashing and equality of names without regard to case, usable with string_view keys.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const noexcept;
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// The components of one owner by name, without regard to case: an open-addressing table of
// component pointers that reads the names from the components themselves.
class NameIndex {
 public:
  TReportComponent* Find(std::string_view name) const;
  // Adds `c` under its current name; returns the component already holding that name instead
  // (and adds nothing), or null.
  TReportComponent* Insert(TReportComponent* c);
  void Erase(const TReportComponent* c);
  void Clear();
  void Reserve(size_t n);

 private:
  size_t Slot(std::string_view name) const;
  void Grow(size_t capacity);

  std::vector<TReportComponent*> slots_;  // null: empty; Tombstone(): erased
  size_t live_ = 0, used_ = 0;
};

// Lower-case copy for name comparisons, and a comparison that ignores case.
std::string LowerName(std::string_view s);
bool SameName(std::string_view a, std::string_view b);

}  // namespace quorvel::report
