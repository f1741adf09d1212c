// Memory for the PDF's finished page contents: byte strings kept one after another in blocks
// straight from the system, 2 MiB blocks backed by huge pages once the store holds 512 KiB, so
// that a large book's megabytes of contents cost few page faults.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quorvel::report {

// `size` bytes of new memory straight from the system, starting at a multiple of `alignment` (a
// power of two; 0 for the system's own page alignment), advised as huge pages when `huge_pages`.
// Throws std::bad_alloc.
void* MapAligned(size_t size, size_t alignment, bool huge_pages);

// Byte strings kept one after another in large blocks until the store is cleared.
class LargeByteStore {
 public:
  static constexpr size_t kSmallBlock = 64 * 1024;
  static constexpr size_t kHugeBlock = 2 * 1024 * 1024;
  static constexpr size_t kHugeFrom = 512 * 1024;

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
