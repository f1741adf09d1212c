// Memory for the large, short-lived parts of a run (the document's components and tables, the
// PDF's page contents) straight from the system in blocks that it can back with huge pages:
// on the virtual machines books are made on, each 4 KiB page fault costs some ten
// microseconds, and a large book touches tens of megabytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quorvel::report {

// The block sizes of large memory: small blocks while an owner holds little, then 2 MiB
// blocks, each one huge page, once it holds kHugeFrom bytes.
inline constexpr size_t kSmallBlock = 64 * 1024;
inline constexpr size_t kHugeBlock = 2 * 1024 * 1024;
inline constexpr size_t kHugeFrom = 512 * 1024;

// `size` bytes of memory, contents unspecified; with `huge`, aligned to `size` (a power of two)
// and advised as huge pages. Throws std::bad_alloc.
void* MapLarge(size_t size, bool huge);
// Gives a block back. A few 2 MiB blocks are kept for the next MapLarge instead: when a run
// frees its document, the PDF's page contents take the same memory without new page faults.
void UnmapLarge(void* block, size_t size) noexcept;
// Gives the kept blocks back to the system; a run calls it when it ends.
void ReleaseKeptLarge() noexcept;
// Whether a kept 2 MiB block is waiting.
bool HaveKeptLarge() noexcept;

// 2 MiB huge-page blocks made ready one ahead on a helper thread: the system clears each new
// huge page when it is first touched, which on virtual machines can take milliseconds a block,
// and the other core can do that while the current block fills.
class HugeBlockReadier {
 public:
  HugeBlockReadier();
  ~HugeBlockReadier();
  HugeBlockReadier(const HugeBlockReadier&) = delete;
  HugeBlockReadier& operator=(const HugeBlockReadier&) = delete;

  // A block (as MapLarge(kHugeBlock, true) gives), the ready one if there is one; the next is then
  // made ready. Throws std::bad_alloc.
  void* Take();
  // Makes no more blocks ready; one made ready and not taken is given back with UnmapLarge.
  void Stop() noexcept;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Byte strings kept one after another in large blocks until the store is freed.
class LargeByteStore {
 public:
  LargeByteStore() = default;
  ~LargeByteStore() { Clear(); }
  LargeByteStore(const LargeByteStore&) = delete;
  LargeByteStore& operator=(const LargeByteStore&) = delete;

  // A copy of `bytes`, valid until Clear.
  std::string_view Add(std::string_view bytes);
  void Clear() noexcept;

 private:
  struct Block {
    char* data;
    size_t size, used;
  };
  std::vector<Block> blocks_;
  size_t held_ = 0;  // bytes in all blocks
};

}  // namespace quorvel::report
