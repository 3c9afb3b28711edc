// Memory for the data objects of one database. Loading builds tens of objects per record and
// closing destroys them all; taking them from large blocks instead of one heap allocation each
// keeps both fast and leaves the heap unfragmented after a close.
//
// An arena hands out pieces of its blocks and takes them back into free lists by size, so memory
// of destroyed objects is reused by the next ones. It counts its owner's reference and one per
// piece handed out, and frees its blocks when the count falls to zero: an object that outlives
// the database it was built for keeps its arena alive, so no object is ever left in freed memory.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace Database {

class ObjectArena;

// The creator's reference to an arena: letting it go drops that reference.
struct ArenaDropper {
  void operator()(ObjectArena* arena) const;
};
using ArenaOwner = std::unique_ptr<ObjectArena, ArenaDropper>;

class ObjectArena {
 public:
  // Pieces are multiples of this, and aligned to it.
  static constexpr size_t kGranule = 8;
  // Larger requests are not served: the caller takes them from the heap.
  static constexpr size_t kLargestPiece = 1024;

  // A new arena; the result holds the creator's reference.
  static ArenaOwner Create();

  ObjectArena(const ObjectArena&) = delete;
  ObjectArena& operator=(const ObjectArena&) = delete;

  // A piece of at least size bytes (1..kLargestPiece); adds a reference.
  void* Allocate(size_t size);
  // Takes back a piece Allocate gave for the same size and drops its reference.
  void Release(void* piece, size_t size);
  // Drops the reference of a piece whose size is unknown; its memory is freed with the arena.
  void Abandon(void* piece);

 private:
  friend struct ArenaDropper;

  static constexpr size_t kBlockSize = 64 * 1024;
  static constexpr size_t kClasses = kLargestPiece / kGranule;

  ObjectArena() = default;
  ~ObjectArena();
  void* Carve(size_t size);
  void DropReference();

  struct FreePiece {
    FreePiece* next;
  };
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::byte* next_ = nullptr;
  std::byte* end_ = nullptr;
  std::array<FreePiece*, kClasses> freeLists_{};
  size_t references_ = 1;
};

}  // namespace Database
