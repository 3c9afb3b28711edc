// A growable array whose storage comes from an ObjectArena while it fits in a piece, and from the
// heap beyond that: the small tables a database holds by the million then cost no heap block of
// their own. It is 16 bytes (a pointer and two 32-bit counts). The arena is named on every call
// that may allocate; the storage finds its own arena again when it is let go.
//
// Operations that allocate throw std::bad_alloc and then leave the array as it was.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "base/object_arena.h"

namespace Database {

template <class T>
class ArenaVector {
  static_assert(std::is_nothrow_move_constructible_v<T>);
  static_assert(alignof(T) <= ObjectArena::kGranule);

 public:
  ArenaVector() = default;
  ArenaVector(const ArenaVector&) = delete;
  ArenaVector& operator=(const ArenaVector&) = delete;
  ~ArenaVector() { Clear(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  T& operator[](size_t index) { return data_[index]; }
  const T& operator[](size_t index) const { return data_[index]; }
  T& back() { return data_[size_ - 1]; }

  // Makes room for count elements in all.
  void Reserve(ObjectArena& arena, size_t count) {
    if (count <= capacity_) return;
    if (count > UINT32_MAX / sizeof(T)) throw std::bad_alloc();
    T* storage = Allocate(arena, count);
    std::uninitialized_move(begin(), end(), storage);
    std::destroy(begin(), end());
    Deallocate();
    data_ = storage;
    capacity_ = static_cast<uint32_t>(count);
  }
  void PushBack(ObjectArena& arena, T value) {
    if (size_ == capacity_) Reserve(arena, capacity_ < 4 ? 4 : 2 * size_t{capacity_});
    std::construct_at(data_ + size_, std::move(value));
    ++size_;
  }
  // Removes the element at position (below the size), keeping the others in order.
  void Erase(size_t position) {
    std::move(begin() + position + 1, end(), begin() + position);
    std::destroy_at(data_ + size_ - 1);
    --size_;
  }
  void Swap(ArenaVector& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }
  // Destroys the elements, first to last, and lets the storage go.
  void Clear() {
    std::destroy(begin(), end());
    Deallocate();
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  static T* Allocate(ObjectArena& arena, size_t count) {
    return static_cast<T*>(AllocateStorage(arena, count * sizeof(T)));
  }
  void Deallocate() {
    if (data_) ReleaseStorage(data_, capacity_ * sizeof(T));
  }

  T* data_ = nullptr;
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;
};

}  // namespace Database
