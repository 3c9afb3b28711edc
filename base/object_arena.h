// Memory for the data objects of one database. Loading builds tens of objects per record and
// closing destroys them all; taking them from large blocks instead of one heap allocation each
// keeps both fast and leaves the heap unfragmented after a close.
//
// An arena hands out pieces of its blocks and takes them back into free lists by size, so memory
// of destroyed objects is reused by the next ones. It counts its owner's reference and one per
// piece handed out, and frees its blocks when the count falls to zero: an object that outlives
// the database it was built for keeps its arena alive, so no object is ever left in freed memory.
//
// Blocks are cut into chunks aligned to their size, each starting with its arena's address, so
// the arena of a piece is found from the piece's address: pieces carry no header of their own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
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
  // The largest piece an arena serves.
  static constexpr size_t kLargestPiece = 1024;
  // Pieces never cross a chunk boundary; chunks are aligned to their size.
  static constexpr size_t kChunkSize = 64 * 1024;

  // A new arena; the result holds the creator's reference.
  static ArenaOwner Create();
  // The process's arena for objects built without one of their own; it is never freed.
  static ObjectArena& Shared();
  // The arena that gave piece (a result of Allocate not yet released).
  static ObjectArena& Of(const void* piece) {
    const uintptr_t chunk = reinterpret_cast<uintptr_t>(piece) & ~uintptr_t{kChunkSize - 1};
    return *reinterpret_cast<const ChunkHeader*>(chunk)->arena;
  }

  ObjectArena(const ObjectArena&) = delete;
  ObjectArena& operator=(const ObjectArena&) = delete;

  // A piece of at least size bytes (1..kLargestPiece); adds a reference.
  void* Allocate(size_t size);
  // Takes back a piece Allocate gave for the same size and drops its reference.
  void Release(void* piece, size_t size);
  // Drops the reference of a piece whose size is unknown; its memory is freed with the arena.
  void Abandon(void* piece);
  // Drops the references of count pieces whose memory is left to the arena, freed with it.
  void AbandonPieces(size_t count);
  // For an arena whose objects are all being destroyed: from now on released pieces are only
  // counted, not kept for reuse (their memory is freed with the arena).
  void MarkTornDown();

 private:
  friend struct ArenaDropper;

  // Blocks double in size from the first, so that a small database takes little memory, up to
  // the platform's large blocks.
  static constexpr size_t kFirstBlockSize = kChunkSize;
  static constexpr size_t kClasses = kLargestPiece / kGranule;

  struct Block {
    std::byte* memory = nullptr;
    size_t size = 0;
    bool mapped = false;  // a platform block, else aligned heap memory
  };
  // The start of every chunk.
  struct ChunkHeader {
    ObjectArena* arena;
  };
  struct FreePiece {
    FreePiece* next;
  };

  ObjectArena() = default;
  ~ObjectArena();
  void* Carve(size_t size);
  // Moves to the next chunk; what is left of the current one goes to the free lists.
  void StartChunk();
  void AddBlock();
  // Puts memory of roundedSize bytes at the front of its size's free list.
  void PushFree(void* piece, size_t roundedSize);
  void DropReference();
  FreePiece*& FreeList(size_t roundedSize) { return freeLists_[roundedSize / kGranule - 1]; }

  std::vector<Block> blocks_;
  std::byte* next_ = nullptr;  // unused part of the current chunk
  std::byte* end_ = nullptr;
  std::byte* nextChunk_ = nullptr;  // unused chunks of the last block
  std::byte* blockEnd_ = nullptr;
  std::array<FreePiece*, kClasses> freeLists_{};
  size_t references_ = 1;
  bool tornDown_ = false;
};

// Storage of size bytes (at least one) from the arena while it fits in a piece, from the heap
// beyond that: for the tables and texts that objects hold. ReleaseStorage takes it back given the
// same size, finding the arena again from the address.
inline void* AllocateStorage(ObjectArena& arena, size_t size) {
  return size <= ObjectArena::kLargestPiece ? arena.Allocate(size) : ::operator new(size);
}
inline void ReleaseStorage(void* storage, size_t size) {
  if (size <= ObjectArena::kLargestPiece) {
    ObjectArena::Of(storage).Release(storage, size);
  } else {
    ::operator delete(storage);
  }
}

}  // namespace Database
