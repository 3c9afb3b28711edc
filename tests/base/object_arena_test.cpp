#include "base/object_arena.h"

#include <gtest/gtest.h>

#include "data/data_record.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataObject;
using Database::ObjectArena;

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
  // The owner's reference goes first, as at a close; the record still holds the arena (a leak or
  // a use after free shows under the sanitizers).
  arena.reset();
  EXPECT_EQ(record->FindField("Size")->GetCount(), 1u);
  record.reset();

  Database::CDataRecord& onHeap = NewRecord("Box1", "Box");
  EXPECT_EQ(CDataObject::ArenaOf(onHeap), nullptr);
  EXPECT_EQ(CDataObject::ArenaOf(*Child(onHeap, "Held")->FindField("Name")), nullptr);
}

}  // namespace
