// One project's memory: its components and their tables are carved from large blocks kept on
// free lists by size, and every block goes back to the system once the project has freed
// everything (it closes) or is destroyed. A large book touches tens of megabytes of components,
// and 2 MiB blocks backed by huge pages cost one page fault each instead of one per 4 KiB.
//
// Every block starts at a 2 MiB boundary of the address space and names its arena there, so
// that memory goes back to the arena it came from whichever thread frees it. An arena serves one
// thread at a time; memory made outside any arena's scope comes from a shared arena that locks.
// Under AddressSanitizer free memory is poisoned, so that a use after free is still caught.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace quorvel::report {

class Arena {
 public:
  // Sizes served from the free lists: components up to 512 bytes by 16-byte class, tables by
  // power of two from 1 KiB to 1 MiB. Larger requests are blocks of their own.
  static constexpr size_t kGrain = 16;
  static constexpr size_t kLargestSmall = 512;
  static constexpr int kFirstTableShift = 10;
  static constexpr int kLastTableShift = 20;

  Arena() = default;
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // The arena that components and tables made on this thread come from: the innermost Scope's,
  // else the shared one.
  static Arena& Current();
  // Makes `arena` the current one for as long as it lives.
  class Scope {
   public:
    explicit Scope(Arena& arena);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Arena* saved_;
  };

  // `bytes` of memory, 16-byte aligned. Throws std::bad_alloc.
  void* Allocate(size_t bytes);
  // Gives back what Allocate(bytes) of any arena gave, to that arena.
  static void Deallocate(void* p, size_t bytes) noexcept;

  // Bytes in this arena's blocks, and pieces handed out and not given back.
  size_t Held() const { return held_; }
  size_t Live() const { return live_; }

 private:
  struct FreeNode {
    FreeNode* next;
  };
  struct Block {
    void* start;
    size_t size;
  };
  static Arena& Shared();
  void* Take(size_t bytes);
  void Give(void* p, size_t bytes) noexcept;
  void* Carve(size_t bytes);
  // Every block back to the system.
  void Release() noexcept;

  // Only the shared arena locks.
  std::mutex* lock_ = nullptr;
  FreeNode* small_[kLargestSmall / kGrain + 1] = {};
  FreeNode* tables_[kLastTableShift + 1] = {};
  std::vector<Block> blocks_;
  size_t held_ = 0;
  size_t live_ = 0;
  char* fresh_ = nullptr;  // the unused rest of the newest block
  size_t fresh_left_ = 0;
};

}  // namespace quorvel::report
