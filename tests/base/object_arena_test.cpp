#include "base/object_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/arena_text.h"
#include "base/arena_vector.h"
#include "data/data_record.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataObject;
using Database::ObjectArena;

class ArenaObjects : public DataFixture {};

TEST_F(ArenaObjects, RecordsBuildTheirWholeTreeInTheirArenaOrTheSharedOne) {
  UseSchema("record Box { int32 Size; Inner Held; };\nstruct Inner { string Name; };");
  Database::ArenaOwner arena = ObjectArena::Create();
  Database::ObjectPtr<Database::CDataRecord> record = Database::CDataRecord::Create(arena.get());
  record->BuildDefaultTree(DB_SchemaStruct("Box"));
  Database::CDataStruct* held = Child(*record, "Held");
  ASSERT_NE(held, nullptr);
  const CDataObject* objects[] = {record.get(), held, held->FindField("Name")};
  for (const CDataObject* object : objects) {
    EXPECT_EQ(&CDataObject::ArenaOf(*object), arena.get());
  }
  // The owner's reference goes first, as at a close; the record still holds the arena (a leak or
  // a use after free shows under the sanitizers).
  arena.reset();
  EXPECT_EQ(record->FindField("Size")->GetCount(), 1u);
  record.reset();

  Database::CDataRecord& shared = NewRecord("Box1", "Box");
  EXPECT_EQ(&CDataObject::ArenaOf(shared), &ObjectArena::Shared());
  EXPECT_EQ(&CDataObject::ArenaOf(*Child(shared, "Held")->FindField("Name")),
            &ObjectArena::Shared());
}

// Pieces of every size, enough to fill several chunks and blocks, each tagged with its own
// number: none may overlap another or cross a chunk, and each finds its arena.
TEST(ObjectArena, PiecesStayInsideTheirChunksAndFindTheirArena) {
  Database::ArenaOwner arena = ObjectArena::Create();
  std::vector<std::pair<uint64_t*, size_t>> pieces;
  for (size_t i = 0; i < 40000; ++i) {
    const size_t size = 8 * (1 + (i * 37) % (ObjectArena::kLargestPiece / 8));
    auto* piece = static_cast<uint64_t*>(arena->Allocate(size));
    const auto start = reinterpret_cast<uintptr_t>(piece);
    ASSERT_EQ(start / ObjectArena::kChunkSize, (start + size - 1) / ObjectArena::kChunkSize);
    ASSERT_EQ(&ObjectArena::Of(piece), arena.get());
    std::fill(piece, piece + size / 8, i);
    pieces.emplace_back(piece, size);
  }
  // Released pieces come back for new ones, which must not overlap the pieces still held.
  for (size_t i = 0; i < pieces.size(); i += 2) arena->Release(pieces[i].first, pieces[i].second);
  for (size_t i = 0; i < pieces.size(); i += 2) {
    auto* piece = static_cast<uint64_t*>(arena->Allocate(pieces[i].second));
    std::fill(piece, piece + pieces[i].second / 8, ~uint64_t{0});
    pieces[i].first = piece;
  }
  for (size_t i = 0; i < pieces.size(); i += 2) arena->Release(pieces[i].first, pieces[i].second);
  for (size_t i = 1; i < pieces.size(); i += 2) {
    const auto [piece, size] = pieces[i];
    EXPECT_EQ(std::count(piece, piece + size / 8, i), static_cast<std::ptrdiff_t>(size / 8)) << i;
    arena->Release(piece, size);
  }
}

// Elements survive growth from the arena onto the heap and back after a clear, in order; each is
// destroyed once (the sanitizers report a leak or a double free), and the storage keeps the arena
// alive after its owner lets go.
TEST(ArenaVector, KeepsItsElementsInOrderAcrossGrowthFromTheArenaToTheHeap) {
  Database::ArenaOwner arena = ObjectArena::Create();
  Database::ArenaVector<std::unique_ptr<size_t>> values;
  for (const size_t count : {3, 300, 0, 40}) {
    values.Clear();
    values.Reserve(*arena, count / 2);
    for (size_t i = 0; i < count; ++i) values.PushBack(*arena, std::make_unique<size_t>(i));
    ASSERT_EQ(values.size(), count);
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(*values[i], i) << count;
    if (count == 0) continue;
    values.Erase(count / 2);
    ASSERT_EQ(values.size(), count - 1);
    for (size_t i = 0; i + 1 < count; ++i) {
      ASSERT_EQ(*values[i], i < count / 2 ? i : i + 1) << count;
    }
  }
  arena.reset();
  values.PushBack(ObjectArena::Shared(), std::make_unique<size_t>(40));
  EXPECT_EQ(*values.back(), 40u);
}

// Texts keep their characters and their closing NUL in the arena while they fit in a piece and on
// the heap beyond, survive being replaced by a part of themselves, and keep the arena alive after
// its owner lets go (the sanitizers report the piece of a freed arena).
TEST(ArenaText, HoldsItsCharactersInTheArenaWhileTheyFit) {
  for (const size_t length : {0, 1, 15, 1023, 1024, 5000}) {
    SCOPED_TRACE(length);
    Database::ArenaOwner arena = ObjectArena::Create();
    std::string expected(length, 'a');
    for (size_t i = 0; i < length; ++i) expected[i] = static_cast<char>('a' + i % 26);
    Database::ArenaText text;
    text.Assign(*arena, expected);
    EXPECT_EQ(text.view(), expected);
    EXPECT_EQ(text.c_str()[length], '\0');
    if (length > 0 && length < ObjectArena::kLargestPiece) {
      EXPECT_EQ(&ObjectArena::Of(text.c_str()), arena.get());
    }
    if (length > 0) {
      text.Assign(*arena, text.view().substr(1));
      EXPECT_EQ(text.str(), expected.substr(1));
    }
    arena.reset();
    text.Assign(ObjectArena::Shared(), "b");
    EXPECT_STREQ(text.c_str(), "b");
    text.Clear();
    EXPECT_STREQ(text.c_str(), "");
  }
}

}  // namespace
