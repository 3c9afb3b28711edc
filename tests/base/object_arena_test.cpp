#include "base/object_arena.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/data_record.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataObject;
using Database::ObjectArena;

TEST(ObjectArena, ReusesReleasedPiecesOfTheSameSize) {
  Database::ArenaOwner arena = ObjectArena::Create();
  void* first = arena->Allocate(41);
  void* other = arena->Allocate(100);
  arena->Release(first, 41);
  // 41 and 48 bytes round to the same piece size; 100 bytes does not.
  void* reused = arena->Allocate(48);
  void* fresh = arena->Allocate(41);
  EXPECT_EQ(reused, first);
  EXPECT_NE(fresh, other);
  for (void* piece : {reused, fresh}) arena->Release(piece, 48);
  arena->Release(other, 100);
}

TEST(ObjectArena, OutlivesItsOwnerWhilePiecesAreOut) {
  Database::ArenaOwner owner = ObjectArena::Create();
  ObjectArena* arena = owner.get();
  auto* piece = static_cast<char*>(arena->Allocate(64));
  owner.reset();
  // Still the arena's memory: writing it is fine, and releasing it frees the arena (a leak or a
  // use after free shows under the sanitizers).
  std::memset(piece, 1, 64);
  arena->Release(piece, 64);
}

class ArenaObjects : public DataFixture {};

TEST_F(ArenaObjects, RecordsBuildTheirWholeTreeInTheirArenaOrOnTheHeap) {
  UseSchema("record Box { int32 Size; Inner Held; };\nstruct Inner { string Name; };");
  Database::ArenaOwner arena = ObjectArena::Create();
  Database::ObjectPtr<Database::CDataRecord> record = Database::CDataRecord::Create(arena.get());
  record->BuildDefaultTree(DB_SchemaStruct("Box"));
  Database::CDataStruct* held = Child(*record, "Held");
  ASSERT_NE(held, nullptr);
  const CDataObject* objects[] = {record.get(), held, held->FindField("Name")};
  for (const CDataObject* object : objects) {
    EXPECT_EQ(CDataObject::ArenaOf(*object), arena.get());
  }
  // The owner's reference goes first, as at a close; the record still holds the arena.
  arena.reset();
  EXPECT_EQ(record->FindField("Size")->GetCount(), 1u);
  record.reset();

  Database::CDataRecord& onHeap = NewRecord("Box1", "Box");
  EXPECT_EQ(CDataObject::ArenaOf(onHeap), nullptr);
  EXPECT_EQ(CDataObject::ArenaOf(*Child(onHeap, "Held")->FindField("Name")), nullptr);
}

}  // namespace
