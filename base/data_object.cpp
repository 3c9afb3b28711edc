#include "base/data_object.h"

#include <new>

#include "base/object_arena.h"

namespace Database {

static_assert(ObjectArena::kGranule % CDataObject::kObjectAlignment == 0);
static_assert(CDataObject::kLargestObject <= ObjectArena::kLargestPiece);

void* CDataObject::operator new(std::size_t size) { return operator new(size, nullptr); }

void* CDataObject::operator new(std::size_t size, ObjectArena* arena) {
  if (size > kLargestObject) throw std::bad_alloc();
  return (arena ? *arena : ObjectArena::Shared()).Allocate(size);
}

// Deleting through a virtual destructor passes the size of the whole object.
void CDataObject::operator delete(void* object, std::size_t size) {
  if (object) ObjectArena::Of(object).Release(object, size);
}

// Only when a constructor throws: the size is unknown, so the piece is left to the arena.
void CDataObject::operator delete(void* object, ObjectArena* arena) {
  (arena ? *arena : ObjectArena::Shared()).Abandon(object);
}

ObjectArena& CDataObject::ArenaOf(const CDataObject& object) {
  // The piece starts where the most derived part of the object does.
  return ObjectArena::Of(dynamic_cast<const void*>(&object));
}

}  // namespace Database
