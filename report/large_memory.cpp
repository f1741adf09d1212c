#include "report/large_memory.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace quorvel::report {

namespace {

constexpr size_t kMostKept = 4;

// Set once the thread's kept blocks are gone at its end: blocks given back after that (by a
// pool freed later at thread exit) go straight back to the system.
thread_local bool kept_gone = false;

// Blocks kept per thread, as the pool that gives most of them back is.
struct KeptBlocks {
  void* blocks[kMostKept] = {};
  size_t count = 0;
  ~KeptBlocks() {
    Release();
    kept_gone = true;
  }
  void Release() noexcept {
    for (size_t i = 0; i < count; ++i) munmap(blocks[i], kHugeBlock);
    count = 0;
  }
};

// The thread's kept blocks, or null at its end.
KeptBlocks* Kept() {
  if (kept_gone) return nullptr;
  thread_local KeptBlocks kept;
  return &kept;
}

}  // namespace

void* MapLarge(size_t size, bool huge) {
  if (huge && size == kHugeBlock) {
    KeptBlocks* kept = Kept();
    if (kept && kept->count > 0) return kept->blocks[--kept->count];
  }
  size_t span = huge ? 2 * size : size;
  void* p = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  if (!huge) return p;
  // The aligned block inside the double span; the rest goes back at once.
  auto start = reinterpret_cast<uintptr_t>(p);
  uintptr_t aligned = (start + size - 1) & ~(uintptr_t{size} - 1);
  if (aligned > start) munmap(p, aligned - start);
  size_t tail = start + span - (aligned + size);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void UnmapLarge(void* block, size_t size) noexcept {
  KeptBlocks* kept = Kept();
  // Only blocks aligned as huge ones are kept; a 2 MiB block made without huge pages is not.
  if (kept && size == kHugeBlock && reinterpret_cast<uintptr_t>(block) % kHugeBlock == 0 &&
      kept->count < kMostKept) {
    kept->blocks[kept->count++] = block;
    return;
  }
  munmap(block, size);
}

void ReleaseKeptLarge() noexcept {
  if (KeptBlocks* kept = Kept()) kept->Release();
}

bool HaveKeptLarge() noexcept {
  KeptBlocks* kept = Kept();
  return kept && kept->count > 0;
}

struct HugeBlockReadier::State {
  std::mutex mutex;
  std::condition_variable wake;  // the helper waits here for work or the end
  std::condition_variable done;  // Stop waits here for a block in the making
  std::thread helper;
  void* ready = nullptr;
  bool wanted = false;  // a block is to be made ready
  bool making = false;  // the helper is making one
  bool ending = false;

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [&] { return ending || (wanted && !ready); });
      if (ending) return;
      wanted = false;
      making = true;
      lock.unlock();
      void* block = nullptr;
      try {
        block = MapLarge(kHugeBlock, true);
        // One write a 4 KiB page: a huge page is cleared at the first, and memory the system
        // could not give as a huge page is still all made present.
        auto* bytes = static_cast<volatile char*>(block);
        for (size_t at = 0; at < kHugeBlock; at += 4096) bytes[at] = 0;
      } catch (const std::bad_alloc&) {
        // Take maps the block itself.
      }
      lock.lock();
      making = false;
      ready = block;
      done.notify_all();
    }
  }
};

HugeBlockReadier::HugeBlockReadier() : state_(std::make_unique<State>()) {}

HugeBlockReadier::~HugeBlockReadier() {
  Stop();
  {
    std::lock_guard lock(state_->mutex);
    state_->ending = true;
  }
  state_->wake.notify_one();
  if (state_->helper.joinable()) state_->helper.join();
}

void* HugeBlockReadier::Take() {
  void* block = nullptr;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->helper.joinable()) {
      // The helper starts with every signal blocked, so that signals go to the thread that
      // makes the book, whose handlers know its files.
      sigset_t all, saved;
      sigfillset(&all);
      pthread_sigmask(SIG_BLOCK, &all, &saved);
      try {
        state_->helper = std::thread([state = state_.get()] { state->Run(); });
        pthread_sigmask(SIG_SETMASK, &saved, nullptr);
      } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &saved, nullptr);
        // No helper thread: every block is made here.
        return MapLarge(kHugeBlock, true);
      }
    }
    block = state_->ready;
    state_->ready = nullptr;
    state_->wanted = true;
  }
  state_->wake.notify_one();
  return block ? block : MapLarge(kHugeBlock, true);
}

void HugeBlockReadier::Stop() noexcept {
  void* spare = nullptr;
  {
    std::unique_lock lock(state_->mutex);
    state_->wanted = false;
    state_->done.wait(lock, [&] { return !state_->making; });
    spare = state_->ready;
    state_->ready = nullptr;
  }
  if (spare) UnmapLarge(spare, kHugeBlock);
}

std::string_view LargeByteStore::Add(std::string_view bytes) {
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < bytes.size()) {
    // A small book's pages fit in 64 KiB blocks; past 512 KiB, or when the document left
    // blocks behind, blocks are 2 MiB huge pages. A string larger than a block gets a block of
    // its own size.
    const bool huge = held_ >= kHugeFrom || HaveKeptLarge();
    const size_t block = huge ? kHugeBlock : kSmallBlock;
    size_t size = bytes.size() <= block ? block : (bytes.size() + block - 1) / block * block;
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back({static_cast<char*>(MapLarge(size, huge && size == kHugeBlock)), size, 0});
    held_ += size;
  }
  Block& b = blocks_.back();
  char* at = b.data + b.used;
  if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
  b.used += bytes.size();
  return std::string_view(at, bytes.size());
}

void LargeByteStore::Clear() noexcept {
  for (const Block& b : blocks_) UnmapLarge(b.data, b.size);
  blocks_.clear();
  held_ = 0;
}

}  // namespace quorvel::report
