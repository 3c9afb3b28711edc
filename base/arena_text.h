// A text whose characters come from an ObjectArena while they fit in a piece, and from the heap
// beyond that: the texts an object holds for as long as it lives (a record's file name and hash)
// then cost no heap block of their own. It is 16 bytes and always ends in a NUL, so that c_str()
// can be handed to a host. The arena is named on every call that allocates; the storage finds its
// own arena again when it is let go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "base/object_arena.h"

namespace Database {

class ArenaText {
 public:
  ArenaText() = default;
  ArenaText(const ArenaText&) = delete;
  ArenaText& operator=(const ArenaText&) = delete;
  ~ArenaText() { Deallocate(); }

  const char* c_str() const { return data_ ? data_ : ""; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {c_str(), size_}; }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }

  // Replaces the text. Throws std::bad_alloc, leaving the text as it was, when memory runs out or
  // the text reaches 4 GiB. The text may be a view of this one.
  void Assign(ObjectArena& arena, std::string_view text) {
    if (text.size() >= UINT32_MAX) throw std::bad_alloc();
    const auto size = static_cast<uint32_t>(text.size());
    char* storage =
        size == 0 ? nullptr : static_cast<char*>(AllocateStorage(arena, size_t{size} + 1));
    if (storage) {
      std::memcpy(storage, text.data(), size);
      storage[size] = '\0';
    }
    Deallocate();
    data_ = storage;
    size_ = size;
  }
  void Clear() {
    Deallocate();
    data_ = nullptr;
    size_ = 0;
  }

 private:
  // The storage holds the characters and the NUL.
  void Deallocate() {
    if (data_) ReleaseStorage(data_, size_t{size_} + 1);
  }

  char* data_ = nullptr;
  uint32_t size_ = 0;
};

}  // namespace Database
