#include "report/arena.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "report/large_memory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QUORVEL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define QUORVEL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define QUORVEL_POISON(p, n) ((void)(p), (void)(n))
#define QUORVEL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace quorvel::report {
namespace {

// Blocks are 64 KiB while the arena holds little, then 2 MiB, each one huge page; every block
// starts at a 2 MiB boundary, where its header names its arena.
constexpr size_t kAlign = 2 * 1024 * 1024;
constexpr size_t kSmallBlock = 64 * 1024;
constexpr size_t kHugeFrom = 512 * 1024;
constexpr size_t kHeader = 64;

struct BlockHeader {
  Arena* arena;
};

thread_local Arena* t_current = nullptr;

int TableShift(size_t bytes) {
  int shift = Arena::kFirstTableShift;
  while ((size_t{1} << shift) < bytes) ++shift;
  return shift;
}

}  // namespace

Arena::~Arena() { Release(); }

Arena& Arena::Shared() {
  static std::mutex lock;
  static Arena* shared = [] {
    // Never destroyed: memory of it may be given back during the process's exit.
    auto* a = new Arena;
    a->lock_ = &lock;
    return a;
  }();
  return *shared;
}

Arena& Arena::Current() { return t_current ? *t_current : Shared(); }

Arena::Scope::Scope(Arena& arena) : saved_(t_current) { t_current = &arena; }

Arena::Scope::~Scope() { t_current = saved_; }

void* Arena::Allocate(size_t bytes) {
  if (!lock_) return Take(bytes);
  std::lock_guard guard(*lock_);
  return Take(bytes);
}

void Arena::Deallocate(void* p, size_t bytes) noexcept {
  if (!p) return;
  auto* header =
      reinterpret_cast<BlockHeader*>(reinterpret_cast<uintptr_t>(p) & ~(uintptr_t{kAlign} - 1));
  Arena& arena = *header->arena;
  if (!arena.lock_) return arena.Give(p, bytes);
  std::lock_guard guard(*arena.lock_);
  arena.Give(p, bytes);
}

void* Arena::Take(size_t bytes) {
  FreeNode** list = nullptr;
  size_t size = bytes;
  if (bytes <= kLargestSmall) {
    size = (bytes + kGrain - 1) / kGrain * kGrain;
    list = &small_[size / kGrain];
  } else if (bytes <= (size_t{1} << kLastTableShift)) {
    int shift = TableShift(bytes);
    size = size_t{1} << shift;
    list = &tables_[shift];
  } else {
    throw std::bad_alloc();  // no table of the document grows that large
  }
  if (FreeNode* n = *list) {
    QUORVEL_UNPOISON(n, size);
    *list = n->next;
    ++live_;
    return n;
  }
  return Carve(size);
}

void Arena::Give(void* p, size_t bytes) noexcept {
  FreeNode** list;
  size_t size;
  if (bytes <= kLargestSmall) {
    size = (bytes + kGrain - 1) / kGrain * kGrain;
    list = &small_[size / kGrain];
  } else {
    int shift = TableShift(bytes);
    size = size_t{1} << shift;
    list = &tables_[shift];
  }
  auto* n = static_cast<FreeNode*>(p);
  n->next = *list;
  *list = n;
  QUORVEL_POISON(n, size);
  // A closed project gives its memory back, so that the PDF stage does not keep it.
  if (--live_ == 0 && !lock_) Release();
}

void* Arena::Carve(size_t bytes) {
  if (fresh_left_ < bytes) {
    size_t size = held_ >= kHugeFrom ? kAlign : kSmallBlock;
    if (bytes + kHeader > size)
      size = (bytes + kHeader + kSmallBlock - 1) / kSmallBlock * kSmallBlock;
    void* block = MapAligned(size, kAlign, size == kAlign);
    static_cast<BlockHeader*>(block)->arena = this;
    blocks_.push_back({block, size});
    held_ += size;
    fresh_ = static_cast<char*>(block) + kHeader;
    fresh_left_ = size - kHeader;
    QUORVEL_POISON(fresh_, fresh_left_);
  }
  // Memory is handed out from the block's unused rest, so that only what is used is touched.
  void* p = fresh_;
  QUORVEL_UNPOISON(p, bytes);
  fresh_ += bytes;
  fresh_left_ -= bytes;
  ++live_;
  return p;
}

void Arena::Release() noexcept {
  for (const Block& b : blocks_) {
    QUORVEL_UNPOISON(b.start, b.size);
    munmap(b.start, b.size);
  }
  blocks_.clear();
  for (FreeNode*& n : small_) n = nullptr;
  for (FreeNode*& n : tables_) n = nullptr;
  held_ = 0;
  fresh_ = nullptr;
  fresh_left_ = 0;
}

}  // namespace quorvel::report
