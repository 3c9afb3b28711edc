#include "data/data_object.h"

#include <new>

#include "data/object_arena.h"

namespace Database {

namespace {

// Sits in front of every object; its size keeps the object as aligned as the heap would.
struct alignas(ObjectArena::kGranule) AllocationHeader {
  ObjectArena* arena;
  std::size_t size;  // of the whole allocation, header included
};

AllocationHeader* HeaderOf(const void* object) {
  return static_cast<AllocationHeader*>(const_cast<void*>(object)) - 1;
}

}  // namespace

void* CDataObject::operator new(std::size_t size) { return operator new(size, nullptr); }

void* CDataObject::operator new(std::size_t size, ObjectArena* arena) {
  const std::size_t total = size + sizeof(AllocationHeader);
  if (total > ObjectArena::kLargestPiece) arena = nullptr;
  void* memory = arena ? arena->Allocate(total) : ::operator new(total);
  return new (memory) AllocationHeader{arena, total} + 1;
}

void CDataObject::operator delete(void* object) {
  if (!object) return;
  AllocationHeader* header = HeaderOf(object);
  if (header->arena) {
    header->arena->Release(header, header->size);
  } else {
    ::operator delete(header);
  }
}

void CDataObject::operator delete(void* object, ObjectArena*) { operator delete(object); }

ObjectArena* CDataObject::ArenaOf(const CDataObject& object) {
  // The header precedes the whole object, which starts where its most derived part does.
  return HeaderOf(dynamic_cast<const void*>(&object))->arena;
}

}  // namespace Database
