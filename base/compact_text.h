// A text value of the size of std::string (32 bytes) that holds up to 30 characters in place, so
// that the short texts a database holds by the million (names, labels, enumerables) cost no heap
// block of their own. Longer texts are kept on the heap. The characters always end in a NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace Database {

class CompactText {
 public:
  static constexpr size_t kInPlace = 30;

  CompactText() noexcept { SetInPlace(0); }
  explicit CompactText(std::string_view text) { Construct(text); }
  explicit CompactText(const char* text) : CompactText(std::string_view(text ? text : "")) {}
  CompactText(const CompactText& other) { Construct(other.view()); }
  CompactText(CompactText&& other) noexcept { Take(other); }
  CompactText& operator=(const CompactText& other) {
    if (this != &other) *this = CompactText(other);
    return *this;
  }
  CompactText& operator=(CompactText&& other) noexcept {
    if (this != &other) {
      Free();
      Take(other);
    }
    return *this;
  }
  ~CompactText() { Free(); }

  const char* c_str() const { return OnHeap() ? Heap().data : bytes_; }
  size_t size() const { return OnHeap() ? Heap().size : size_t{Tag()}; }
  bool empty() const { return size() == 0; }
  std::string_view view() const { return {c_str(), size()}; }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }

  friend bool operator==(const CompactText& a, const CompactText& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const CompactText& a, std::string_view b) { return a.view() == b; }

 private:
  static constexpr uint8_t kOnHeap = 0xFF;
  struct HeapPart {
    char* data;
    uint32_t size;
  };

  uint8_t Tag() const { return static_cast<uint8_t>(bytes_[kTag]); }
  bool OnHeap() const { return Tag() == kOnHeap; }
  HeapPart Heap() const {
    HeapPart part;
    std::memcpy(&part, bytes_, sizeof(part));
    return part;
  }
  void SetInPlace(size_t size) {
    bytes_[size] = '\0';
    bytes_[kTag] = static_cast<char>(size);
  }
  // Expects no characters held.
  void Construct(std::string_view text) {
    if (text.size() <= kInPlace) {
      std::memcpy(bytes_, text.data(), text.size());
      SetInPlace(text.size());
      return;
    }
    if (text.size() >= UINT32_MAX) throw std::bad_alloc();
    char* data = new char[text.size() + 1];
    std::memcpy(data, text.data(), text.size());
    data[text.size()] = '\0';
    const HeapPart part{data, static_cast<uint32_t>(text.size())};
    std::memcpy(bytes_, &part, sizeof(part));
    bytes_[kTag] = static_cast<char>(kOnHeap);
  }
  // Expects no characters held; leaves other empty.
  void Take(CompactText& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof(bytes_));
    other.SetInPlace(0);
  }
  void Free() noexcept {
    if (OnHeap()) delete[] Heap().data;
  }

  // In place: the characters and their NUL. On the heap: a HeapPart. The last byte holds the size
  // in place, or kOnHeap.
  static constexpr size_t kTag = kInPlace + 1;
  alignas(8) char bytes_[kInPlace + 2];
};

static_assert(sizeof(CompactText) == 32);

}  // namespace Database
