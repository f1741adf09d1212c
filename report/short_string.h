// A string in 16 bytes: up to 15 characters in place, longer ones on the heap. A book holds
// some 160,000 components, nearly all with a short name and a one-character text, so their
// strings take half the room of std::string's.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvel::report {

class ShortString {
 public:
  ShortString() { Clear(); }
  ShortString(std::string_view s) { Set(s); }  // NOLINT: implicit, like std::string
  ShortString(const ShortString& other) { Set(other.view()); }
  ShortString& operator=(const ShortString& other) {
    if (this != &other) Assign(other.view());
    return *this;
  }
  ShortString& operator=(std::string_view s) {
    Assign(s);
    return *this;
  }
  ~ShortString() { Free(); }

  std::string_view view() const {
    return OnHeap() ? std::string_view(heap_.data, heap_.size)
                    : std::string_view(local_, kLocal - static_cast<uint8_t>(local_[kLocal]));
  }
  operator std::string_view() const { return view(); }  // NOLINT: implicit
  std::string str() const { return std::string(view()); }
  size_t size() const { return view().size(); }
  bool empty() const { return size() == 0; }
  void clear() { Assign(std::string_view()); }

  friend bool operator==(const ShortString& a, const ShortString& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const ShortString& a, const char* b) { return a.view() == b; }

 private:
  static constexpr size_t kLocal = 15;
  // The last byte tells the form: 15 - size for a string in place (so that a full one ends
  // in a zero byte), kHeap for one on the heap.
  static constexpr uint8_t kHeap = 0xFF;

  bool OnHeap() const { return static_cast<uint8_t>(local_[kLocal]) == kHeap; }
  void Clear() {
    local_[0] = '\0';
    local_[kLocal] = static_cast<char>(kLocal);
  }
  void Set(std::string_view s) {
    if (s.size() <= kLocal) {
      if (!s.empty()) std::memmove(local_, s.data(), s.size());
      if (s.size() < kLocal) local_[s.size()] = '\0';
      local_[kLocal] = static_cast<char>(kLocal - s.size());
      return;
    }
    if (s.size() > UINT32_MAX) throw std::length_error("string too long");
    char* data = new char[s.size()];
    std::memcpy(data, s.data(), s.size());
    heap_.data = data;
    heap_.size = static_cast<uint32_t>(s.size());
    local_[kLocal] = static_cast<char>(kHeap);
  }
  void Assign(std::string_view s) {
    // `s` may lie inside this string: it is copied before the old heap copy is freed.
    if (OnHeap()) {
      char* old = heap_.data;
      Set(s);
      delete[] old;
    } else {
      Set(s);
    }
  }
  void Free() {
    if (OnHeap()) delete[] heap_.data;
  }

  struct Heap {
    char* data;
    uint32_t size;
    char unused[3];
    char form;  // the same byte as local_[kLocal]
  };
  static_assert(sizeof(Heap) == 16);
  union {
    char local_[kLocal + 1];
    Heap heap_;
  };
};

static_assert(sizeof(ShortString) == 16);

}  // namespace quorvel::report
