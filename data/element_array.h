// The element storage of a field: a growable array that keeps its first element inside the
// object. Most fields hold exactly one value, so most fields never allocate for their elements;
// an array that grows past one element moves to the heap and stays there.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace Database {

template <class T>
class ElementArray {
 public:
  size_t size() const { return onHeap_ ? heap_.size() : (hasInline_ ? 1 : 0); }
  bool empty() const { return size() == 0; }

  const T* begin() const { return onHeap_ ? heap_.data() : &inline_; }
  const T* end() const { return begin() + size(); }
  T* begin() { return onHeap_ ? heap_.data() : &inline_; }
  T* end() { return begin() + size(); }
  const T& front() const { return *begin(); }
  const T& operator[](size_t index) const { return begin()[index]; }
  T& operator[](size_t index) { return begin()[index]; }

  // Appends copies of fill until there are count elements (never shrinks).
  void GrowTo(size_t count, const T& fill) {
    if (count <= size()) return;
    if (count == 1 && !onHeap_) {
      inline_ = fill;
      hasInline_ = true;
      return;
    }
    MoveToHeap(count);
    heap_.resize(count, fill);
  }

  // Makes room for count elements in all; room for more than one moves the array to the heap.
  void Reserve(size_t count) {
    if (count <= 1) return;
    MoveToHeap(count);
    heap_.reserve(count);
  }

  // Inserts value before position index (index <= size()).
  void Insert(size_t index, T value) {
    if (!onHeap_ && !hasInline_) {
      inline_ = std::move(value);
      hasInline_ = true;
      return;
    }
    MoveToHeap(2);
    heap_.insert(heap_.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
  }

  void Erase(size_t index) {
    if (onHeap_) {
      heap_.erase(heap_.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
      Clear();
    }
  }

  void Clear() {
    heap_.clear();
    inline_ = T{};
    hasInline_ = false;
  }

 private:
  // Moves the array to the heap, with room for capacity elements, unless it is there already.
  void MoveToHeap(size_t capacity) {
    if (onHeap_) return;
    heap_.reserve(capacity < 2 ? 2 : capacity);
    if (hasInline_) heap_.push_back(std::move(inline_));
    inline_ = T{};
    hasInline_ = false;
    onHeap_ = true;
  }

  std::vector<T> heap_;  // all elements once the array has held more than one
  T inline_{};           // the only element while the array has held at most one
  bool hasInline_ = false;
  bool onHeap_ = false;
};

}  // namespace Database
