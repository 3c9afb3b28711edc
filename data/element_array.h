// The element storage of a field: a growable array that keeps a single element inside the object
// and more on the heap. Most fields hold exactly one value, so most fields never allocate for
// their elements, and a database holds millions of fields: the array takes 8 bytes beside its
// inline element (16 in all for the numeric kinds), half of them a word it keeps for its holder;
// a block keeps its capacity in front of its elements. An array that lives inside an arena object
// can be told to take its blocks from that arena while they fit in a piece, so that a record's
// elements go with the record's memory instead of being small heap blocks of their own.
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
        Deallocate(copy);
        throw;
      }
      heap_ = copy;
      size_ = other.size_;
      onHeap_ = true;
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

  // Takes later blocks that fit in an arena piece from the arena this array lives in. Expects the
  // array to be part of an object placed in an arena; copies and moves of it do not inherit this.
  void UseOwnArena() { inArena_ = 1; }

  // The most elements an array holds; growing beyond throws std::bad_alloc.
  static constexpr uint32_t kMaxSize = (uint32_t{1} << 30) - 1;

  // 32 bits the array keeps for the object that holds it, where padding would be otherwise; 0 at
  // first. They belong to the holder, not to the elements: copies and moves do not carry them and
  // assignment leaves them as they are.
  uint32_t HolderWord() const { return holderWord_; }
  void SetHolderWord(uint32_t word) { holderWord_ = word; }

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
  // Blocks start with their capacity, padded to the elements' alignment; the top bit of the
  // capacity marks a block that is an arena piece.
  static constexpr size_t kHeader = std::max(sizeof(size_t), alignof(T));
  static constexpr size_t kArenaPiece = size_t{1} << (8 * sizeof(size_t) - 1);
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  static_assert(alignof(T) <= ObjectArena::kGranule);

  bool OnHeap() const { return onHeap_; }
  static size_t& HeaderOf(T* data) {
    return *reinterpret_cast<size_t*>(reinterpret_cast<std::byte*>(data) - kHeader);
  }
  // Elements the array holds without allocating: 1 inside the object.
  size_t Capacity() const { return OnHeap() ? HeaderOf(heap_) & ~kArenaPiece : 1; }

  T* Allocate(size_t count) const {
    if (count > kMaxSize) throw std::bad_alloc();
    const size_t bytes = kHeader + count * sizeof(T);
    const bool piece = inArena_ && bytes <= ObjectArena::kLargestPiece;
    std::byte* block = static_cast<std::byte*>(piece ? ObjectArena::Of(this).Allocate(bytes)
                                                     : ::operator new(bytes));
    new (block) size_t(piece ? count | kArenaPiece : count);
    return reinterpret_cast<T*>(block + kHeader);
  }
  static void Deallocate(T* data) {
    std::byte* block = reinterpret_cast<std::byte*>(data) - kHeader;
    const size_t header = HeaderOf(data);
    if (header & kArenaPiece) {
      ObjectArena::Of(block).Release(block, kHeader + (header & ~kArenaPiece) * sizeof(T));
    } else {
      ::operator delete(block);
    }
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
    size_ = static_cast<uint32_t>(count) & kMaxSize;
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
  uint32_t size_ : 30 = 0;
  uint32_t onHeap_ : 1 = 0;
  uint32_t inArena_ : 1 = 0;  // blocks that fit in a piece come from the array's own arena
  uint32_t holderWord_ = 0;
};

}  // namespace Database
