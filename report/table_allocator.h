// Memory for the document's tables (each owner's component list, child list and name index)
// from the same pool as the components: a large book has hundreds of such tables of kilobytes,
// and the pool's large blocks cost one page fault each instead of one per 4 KiB.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace quorvel::report {

class TReportComponent;

namespace internal {
void* TakeTableMemory(size_t bytes);
void GiveTableMemory(void* p, size_t bytes) noexcept;
}  // namespace internal

template <class T>
struct TableAllocator {
  using value_type = T;
  TableAllocator() = default;
  template <class U>
  TableAllocator(const TableAllocator<U>&) noexcept {}  // NOLINT: implicit, as allocators are
  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(internal::TakeTableMemory(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept { internal::GiveTableMemory(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const TableAllocator<U>&) const noexcept {
    return true;
  }
};

using ComponentList = std::vector<TReportComponent*, TableAllocator<TReportComponent*>>;

}  // namespace quorvel::report
