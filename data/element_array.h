// The element storage of a field: a growable array that keeps a single element inside the object
// and more on the heap. Most fields hold exactly one value, so most fields never allocate for
// their elements, and a database holds millions of fields: the array takes 8 bytes beside its
// inline element (16 in all for the numeric kinds).
//
// Operations that allocate throw std::bad_alloc and then leave the array as it was.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace Database {

template <class T>
class ElementArray {
  static_assert(std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>);

 public:
  ElementArray() noexcept : heap_(nullptr) {}
  ElementArray(const ElementArray& other) : heap_(nullptr) {
    if (other.size_ == 1) {
      std::construct_at(&one_, other.front());
      size_ = 1;
    } else if (other.size_ > 1) {
      T* copy = Allocate(other.size_);
      try {
        std::uninitialized_copy(other.begin(), other.end(), copy);
      } catch (...) {
        Deallocate(copy, other.size_);
        throw;
      }
      heap_ = copy;
      size_ = capacity_ = other.size_;
    }
  }
  ElementArray(ElementArray&& other) noexcept : heap_(nullptr) { TakeFrom(other); }
  ElementArray& operator=(const ElementArray& other) {
    if (this != &other) {
      ElementArray copy(other);
      Release();
      TakeFrom(copy);
    }
    return *this;
  }
  ElementArray& operator=(ElementArray&& other) noexcept {
    if (this != &other) {
      Release();
      TakeFrom(other);
    }
    return *this;
  }
  ~ElementArray() { Release(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  const T* begin() const { return OnHeap() ? heap_ : &one_; }
  const T* end() const { return begin() + size_; }
  T* begin() { return OnHeap() ? heap_ : &one_; }
  T* end() { return begin() + size_; }
  const T& front() const { return *begin(); }
  const T& operator[](size_t index) const { return begin()[index]; }
  T& operator[](size_t index) { return begin()[index]; }

  // Appends copies of fill until there are count elements (never shrinks).
  void GrowTo(size_t count, const T& fill) {
    if (count <= size_) return;
    if (count == 1 && !OnHeap()) {
      std::construct_at(&one_, fill);
      size_ = 1;
      return;
    }
    if (count > capacity_) {
      const T kept(fill);  // fill may be one of the elements that move
      Reallocate(std::max<size_t>(count, 2 * size_t{capacity_}));
      GrowOnHeap(count, kept);
    } else {
      GrowOnHeap(count, fill);
    }
  }

  // Makes room for count elements in all; room for more than one moves the array to the heap.
  void Reserve(size_t count) {
    if (count > 1 && count > capacity_) Reallocate(count);
  }

  // Inserts value before position index (index <= size()).
  void Insert(size_t index, T value) {
    if (!OnHeap() && size_ == 0) {
      std::construct_at(&one_, std::move(value));
      size_ = 1;
      return;
    }
    if (!OnHeap() || size_ == capacity_) Reallocate(std::max<size_t>(2, 2 * size_t{capacity_}));
    T* data = heap_;
    if (index == size_) {
      std::construct_at(data + size_, std::move(value));
    } else {
      std::construct_at(data + size_, std::move(data[size_ - 1]));
      std::move_backward(data + index, data + size_ - 1, data + size_);
      data[index] = std::move(value);
    }
    ++size_;
  }

  void Erase(size_t index) {
    T* data = begin();
    std::move(data + index + 1, data + size_, data + index);
    std::destroy_at(data + size_ - 1);
    --size_;
  }

  void Clear() {
    std::destroy(begin(), end());
    size_ = 0;
  }

 private:
  bool OnHeap() const { return capacity_ != 0; }

  static T* Allocate(size_t count) {
    if (count > std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
    return std::allocator<T>().allocate(count);
  }
  static void Deallocate(T* data, size_t count) { std::allocator<T>().deallocate(data, count); }

  // Moves the elements to a heap block with room for capacity elements (at least size()).
  void Reallocate(size_t capacity) {
    T* moved = Allocate(capacity);
    std::uninitialized_move(begin(), end(), moved);
    std::destroy(begin(), end());
    if (OnHeap()) Deallocate(heap_, capacity_);
    heap_ = moved;
    capacity_ = static_cast<uint32_t>(capacity);
  }

  void GrowOnHeap(size_t count, const T& fill) {
    std::uninitialized_fill(heap_ + size_, heap_ + count, fill);
    size_ = static_cast<uint32_t>(count);
  }

  void Release() noexcept {
    std::destroy(begin(), end());
    if (OnHeap()) Deallocate(heap_, capacity_);
    heap_ = nullptr;
    size_ = capacity_ = 0;
  }

  // Takes other's elements and leaves it empty; this array holds none.
  void TakeFrom(ElementArray& other) noexcept {
    if (other.OnHeap()) {
      heap_ = other.heap_;
      capacity_ = other.capacity_;
    } else if (other.size_ == 1) {
      std::construct_at(&one_, std::move(other.one_));
      std::destroy_at(&other.one_);
    }
    size_ = other.size_;
    other.heap_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }

  union {
    T one_;    // the element while there is at most one and the array is not on the heap
    T* heap_;  // capacity_ elements, the first size_ of them constructed
  };
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;  // 0 while the array is not on the heap
};

}  // namespace Database
