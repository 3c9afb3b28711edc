#include "base/data_object.h"

#include <new>

#include "base/object_arena.h"

namespace Database {

namespace {

// Sits in front of every object and keeps it aligned to kObjectAlignment.
struct AllocationHeader {
  ObjectArena* arena;
};
static_assert(sizeof(AllocationHeader) % CDataObject::kObjectAlignment == 0);
static_assert(ObjectArena::kGranule % CDataObject::kObjectAlignment == 0);

AllocationHeader* HeaderOf(const void* object) {
  return static_cast<AllocationHeader*>(const_cast<void*>(object)) - 1;
}

}  // namespace

void* CDataObject::operator new(std::size_t size) { return operator new(size, nullptr); }

void* CDataObject::operator new(std::size_t size, ObjectArena* arena) {
  const std::size_t total = size + sizeof(AllocationHeader);
  if (total > ObjectArena::kLargestPiece) arena = nullptr;
  void* memory = arena ? arena->Allocate(total) : ::operator new(total);
  return new (memory) AllocationHeader{arena} + 1;
}

// Deleting through a virtual destructor passes the size of the whole object.
void CDataObject::operator delete(void* object, std::size_t size) {
  if (!object) return;
  AllocationHeader* header = HeaderOf(object);
  if (header->arena) {
    header->arena->Release(header, size + sizeof(AllocationHeader));
  } else {
    ::operator delete(header);
  }
}

// Only when a constructor throws: the size is unknown, so an arena piece is left to the arena.
void CDataObject::operator delete(void* object, ObjectArena* arena) {
  AllocationHeader* header = HeaderOf(object);
  if (arena) {
    arena->Abandon(header);
  } else {
    ::operator delete(header);
  }
}

ObjectArena* CDataObject::ArenaOf(const CDataObject& object) {
  // The header precedes the whole object, which starts where its most derived part does.
  return HeaderOf(dynamic_cast<const void*>(&object))->arena;
}

}  // namespace Database
