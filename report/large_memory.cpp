#include "report/large_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <new>

namespace quorvel::report {

void* MapAligned(size_t size, size_t alignment, bool huge_pages) {
  const size_t span = size + alignment;
  void* p = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  auto start = reinterpret_cast<uintptr_t>(p);
  uintptr_t aligned = start;
  if (alignment > 0) {
    // The aligned block inside the larger span; the rest goes back at once.
    aligned = (start + alignment - 1) & ~(uintptr_t{alignment} - 1);
    if (aligned > start) munmap(p, aligned - start);
    size_t tail = start + span - (aligned + size);
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  }
  if (huge_pages) madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

std::string_view LargeByteStore::Add(std::string_view bytes) {
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < bytes.size()) {
    // A small book's pages fit in 64 KiB blocks; past 512 KiB blocks are 2 MiB huge pages. A
    // string larger than a block gets a block of its own size.
    const bool huge = held_ >= kHugeFrom;
    const size_t block = huge ? kHugeBlock : kSmallBlock;
    size_t size = bytes.size() <= block ? block : (bytes.size() + block - 1) / block * block;
    blocks_.reserve(blocks_.size() + 1);
    const bool huge_block = huge && size == kHugeBlock;
    blocks_.push_back(
        {static_cast<char*>(MapAligned(size, huge_block ? size : 0, huge_block)), size, 0});
    held_ += size;
  }
  Block& b = blocks_.back();
  char* at = b.data + b.used;
  if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
  b.used += bytes.size();
  return std::string_view(at, bytes.size());
}

void LargeByteStore::Clear() noexcept {
  for (const Block& b : blocks_) munmap(b.data, b.size);
  blocks_.clear();
  held_ = 0;
}

}  // namespace quorvel::report
