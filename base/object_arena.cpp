#include "base/object_arena.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "base/platform.h"

#if defined(__SANITIZE_ADDRESS__)
#define TESSELLA_ARENA_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSELLA_ARENA_POISONS 1
#endif
#endif

#ifdef TESSELLA_ARENA_POISONS
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace Database {

namespace {

// Under AddressSanitizer, memory that is not handed out is poisoned, so that a use of a destroyed
// object is reported as it would be for heap memory.
void Poison([[maybe_unused]] void* memory, [[maybe_unused]] size_t size) {
#ifdef TESSELLA_ARENA_POISONS
  ASAN_POISON_MEMORY_REGION(memory, size);
#endif
}

void Unpoison([[maybe_unused]] void* memory, [[maybe_unused]] size_t size) {
#ifdef TESSELLA_ARENA_POISONS
  ASAN_UNPOISON_MEMORY_REGION(memory, size);
#endif
}

// The leak checker looks for pointers to heap memory in the heap, not in memory mapped from the
// system: blocks taken from the system are shown to it, so that what their objects own on the
// heap is not taken for a leak.
void ShowToLeakChecker([[maybe_unused]] void* memory, [[maybe_unused]] size_t size) {
#ifdef TESSELLA_ARENA_POISONS
  __lsan_register_root_region(memory, size);
#endif
}

void HideFromLeakChecker([[maybe_unused]] void* memory, [[maybe_unused]] size_t size) {
#ifdef TESSELLA_ARENA_POISONS
  __lsan_unregister_root_region(memory, size);
#endif
}

constexpr size_t RoundUp(size_t size) {
  return (size + ObjectArena::kGranule - 1) / ObjectArena::kGranule * ObjectArena::kGranule;
}

}  // namespace

static_assert(Platform::kLargeBlockSize % ObjectArena::kChunkSize == 0);

void ObjectArena::Abandon(void*) { DropReference(); }

void ObjectArena::AbandonPieces(size_t count) {
  if (count == 0) return;
  references_ -= count - 1;
  DropReference();
}

void ObjectArena::MarkTornDown() { tornDown_ = true; }

void ArenaDropper::operator()(ObjectArena* arena) const { arena->DropReference(); }

ArenaOwner ObjectArena::Create() { return ArenaOwner(new ObjectArena()); }

ObjectArena& ObjectArena::Shared() {
  // Never destroyed, so that objects destroyed while the process exits still find it.
  static ObjectArena* const shared = new ObjectArena();
  return *shared;
}

ObjectArena::~ObjectArena() {
  for (const Block& block : blocks_) {
    // Memory goes back in service, whatever its pieces held.
    Unpoison(block.memory, block.size);
    if (block.mapped) {
      HideFromLeakChecker(block.memory, block.size);
      Platform::FreeSystemBlock(block.memory, block.size);
    } else {
      ::operator delete (block.memory, std::align_val_t{kChunkSize});
    }
  }
}

void* ObjectArena::Allocate(size_t size) {
  const size_t rounded = RoundUp(size);
  FreePiece*& freeList = FreeList(rounded);
  void* piece = nullptr;
  if (freeList) {
    Unpoison(freeList, rounded);
    piece = freeList;
    freeList = freeList->next;
  } else {
    piece = Carve(rounded);
  }
  ++references_;
  return piece;
}

void ObjectArena::AddBlock() {
  const size_t size = blocks_.empty()
                          ? kFirstBlockSize
                          : std::min(2 * blocks_.back().size, Platform::kLargeBlockSize);
  // The vector grows first, so that a failure leaves no block behind.
  if (blocks_.size() == blocks_.capacity()) blocks_.reserve(2 * blocks_.size() + 1);
  Block block;
  block.size = size;
  // From the system, so that blocks never come between the heap's own blocks, and freeing them
  // gives the memory straight back.
  block.memory = static_cast<std::byte*>(Platform::AllocateSystemBlock(size));
  if (block.memory && reinterpret_cast<uintptr_t>(block.memory) % kChunkSize != 0) {
    Platform::FreeSystemBlock(block.memory, size);
    block.memory = nullptr;
  }
  block.mapped = block.memory != nullptr;
  if (block.mapped) ShowToLeakChecker(block.memory, size);
  if (!block.memory) {
    block.memory = static_cast<std::byte*>(::operator new (size, std::align_val_t{kChunkSize}));
  }
  nextChunk_ = block.memory;
  blockEnd_ = block.memory + size;
  Poison(block.memory, size);
  blocks_.push_back(block);
}

void ObjectArena::StartChunk() {
  if (const size_t left = static_cast<size_t>(end_ - next_); left >= kGranule) {
    PushFree(next_, left);
  }
  if (nextChunk_ == blockEnd_) AddBlock();
  std::byte* chunk = nextChunk_;
  nextChunk_ += kChunkSize;
  Unpoison(chunk, sizeof(ChunkHeader));
  new (chunk) ChunkHeader{this};
  next_ = chunk + sizeof(ChunkHeader);
  end_ = chunk + kChunkSize;
}

void* ObjectArena::Carve(size_t size) {
  if (static_cast<size_t>(end_ - next_) < size) StartChunk();
  std::byte* piece = next_;
  next_ += size;
  Unpoison(piece, size);
  return piece;
}

void ObjectArena::PushFree(void* piece, size_t roundedSize) {
  Unpoison(piece, roundedSize);
  FreePiece*& freeList = FreeList(roundedSize);
  freeList = new (piece) FreePiece{freeList};
  Poison(piece, roundedSize);
}

void ObjectArena::Release(void* piece, size_t size) {
  // The pieces of an arena being torn down are not worth listing: nothing will ask for them.
  if (!tornDown_) PushFree(piece, RoundUp(size));
  DropReference();
}

void ObjectArena::DropReference() {
  if (--references_ == 0) delete this;
}

}  // namespace Database
