// The element storage of a field: a growable array that keeps a single element inside the object
// and more on the heap, with the most elements insertion accepts (the limit, which the array
// itself does not enforce). Most fields hold exactly one value, so most fields never allocate for
// their elements, and a database holds millions of fields: the array takes 8 bytes beside its
// inline element (16 in all for the numeric kinds); a heap block keeps its capacity in front of
// its elements.
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

namespace Database {

template <class T>
class ElementArray {
  static_assert(std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>);

 public:
  ElementArray() noexcept : heap_(nullptr) {}
  ElementArray(const ElementArray& other) : heap_(nullptr), limit_(other.limit_) {
    if (other.size_ == 1) {
      std::construct_at(&one_, other.front());
      size_ = 1;
    } else if (other.size_ > 1) {
      T* copy = Allocate(other.size_);
      try {
        std::uninitialized_copy(other.begin(), other.end(), copy);
      } catch (...) {
        Deallocate(copy);
        throw;
      }
      heap_ = copy;
      size_ = other.size_;
      onHeap_ = true;
    }
  }
  ElementArray(ElementArray&& other) noexcept : heap_(nullptr), limit_(other.limit_) {
    TakeFrom(other);
  }
  ElementArray& operator=(const ElementArray& other) {
    if (this != &other) {
      ElementArray copy(other);
      Release();
      TakeFrom(copy);
      limit_ = other.limit_;
    }
    return *this;
  }
  ElementArray& operator=(ElementArray&& other) noexcept {
    if (this != &other) {
      Release();
      TakeFrom(other);
      limit_ = other.limit_;
    }
    return *this;
  }
  ~ElementArray() { Release(); }

  // At most kMaxLimit.
  static constexpr uint32_t kMaxLimit = 0x7FFFFFFF;
  uint32_t Limit() const { return limit_; }
  void SetLimit(uint64_t limit) {
    limit_ = static_cast<uint32_t>(std::min<uint64_t>(limit, kMaxLimit));
  }

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
    if (count > Capacity()) {
      const T kept(fill);  // fill may be one of the elements that move
      Reallocate(std::max<size_t>(count, 2 * Capacity()));
      GrowOnHeap(count, kept);
    } else {
      GrowOnHeap(count, fill);
    }
  }

  // Makes room for count elements in all; room for more than one moves the array to the heap.
  void Reserve(size_t count) {
    if (count > 1 && count > Capacity()) Reallocate(count);
  }

  // Inserts value before position index (index <= size()).
  void Insert(size_t index, T value) {
    if (!OnHeap() && size_ == 0) {
      std::construct_at(&one_, std::move(value));
      size_ = 1;
      return;
    }
    if (size_ == Capacity()) Reallocate(std::max<size_t>(2, 2 * Capacity()));
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
  // Heap blocks start with their capacity, padded to the elements' alignment.
  static constexpr size_t kHeader = std::max(sizeof(size_t), alignof(T));
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

  bool OnHeap() const { return onHeap_; }
  // Elements the array holds without allocating: 1 inside the object.
  size_t Capacity() const {
    return OnHeap() ? *reinterpret_cast<const size_t*>(reinterpret_cast<const std::byte*>(heap_) -
                                                       kHeader)
                    : 1;
  }

  static T* Allocate(size_t count) {
    if (count > kMaxLimit) throw std::bad_alloc();
    std::byte* block = static_cast<std::byte*>(::operator new(kHeader + count * sizeof(T)));
    new (block) size_t(count);
    return reinterpret_cast<T*>(block + kHeader);
  }
  static void Deallocate(T* data) {
    ::operator delete(reinterpret_cast<std::byte*>(data) - kHeader);
  }

  // Moves the elements to a heap block with room for capacity elements (at least size()).
  void Reallocate(size_t capacity) {
    T* moved = Allocate(capacity);
    std::uninitialized_move(begin(), end(), moved);
    std::destroy(begin(), end());
    if (OnHeap()) Deallocate(heap_);
    heap_ = moved;
    onHeap_ = true;
  }

  void GrowOnHeap(size_t count, const T& fill) {
    std::uninitialized_fill(heap_ + size_, heap_ + count, fill);
    size_ = static_cast<uint32_t>(count) & kMaxLimit;
  }

  void Release() noexcept {
    std::destroy(begin(), end());
    if (OnHeap()) Deallocate(heap_);
    heap_ = nullptr;
    size_ = 0;
    onHeap_ = false;
  }

  // Takes other's elements and leaves it empty; this array holds none.
  void TakeFrom(ElementArray& other) noexcept {
    if (other.OnHeap()) {
      heap_ = other.heap_;
    } else if (other.size_ == 1) {
      std::construct_at(&one_, std::move(other.one_));
      std::destroy_at(&other.one_);
    }
    size_ = other.size_;
    onHeap_ = other.onHeap_;
    other.heap_ = nullptr;
    other.size_ = 0;
    other.onHeap_ = false;
  }

  union {
    T one_;    // the element while there is at most one and the array is not on the heap
    T* heap_;  // Capacity() elements, the first size_ of them constructed
  };
  uint32_t size_ : 31 = 0;
  uint32_t onHeap_ : 1 = 0;
  uint32_t limit_ = 1;
};

}  // namespace Database
