#include "base/object_arena.h"

#include <algorithm>
#include <utility>

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

constexpr size_t RoundUp(size_t size) {
  return (size + ObjectArena::kGranule - 1) / ObjectArena::kGranule * ObjectArena::kGranule;
}

}  // namespace

void ObjectArena::Abandon(void*) { DropReference(); }

void ArenaDropper::operator()(ObjectArena* arena) const { arena->DropReference(); }

ArenaOwner ObjectArena::Create() { return ArenaOwner(new ObjectArena()); }

ObjectArena::~ObjectArena() {
  for (const Block& block : blocks_) {
    // Memory goes back in service, whatever its pieces held.
    Unpoison(block.memory, block.size);
    if (!block.heap) Platform::FreeLargeBlock(block.memory);
  }
}

void* ObjectArena::Allocate(size_t size) {
  const size_t rounded = RoundUp(size);
  FreePiece*& freeList = freeLists_[rounded / kGranule - 1];
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
  Block block;
  block.size = size;
  if (size == Platform::kLargeBlockSize) {
    block.memory = static_cast<std::byte*>(Platform::AllocateLargeBlock());
  }
  if (!block.memory) {
    block.heap = std::make_unique_for_overwrite<std::byte[]>(size);
    block.memory = block.heap.get();
  }
  next_ = block.memory;
  end_ = next_ + size;
  Poison(next_, size);
  blocks_.push_back(std::move(block));
}

void* ObjectArena::Carve(size_t size) {
  if (static_cast<size_t>(end_ - next_) < size) AddBlock();
  std::byte* piece = next_;
  next_ += size;
  Unpoison(piece, size);
  return piece;
}

void ObjectArena::Release(void* piece, size_t size) {
  const size_t rounded = RoundUp(size);
  FreePiece*& freeList = freeLists_[rounded / kGranule - 1];
  freeList = new (piece) FreePiece{freeList};
  Poison(piece, rounded);
  DropReference();
}

void ObjectArena::DropReference() {
  if (--references_ == 0) delete this;
}

}  // namespace Database
