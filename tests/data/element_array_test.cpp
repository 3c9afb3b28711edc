#include "data/element_array.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "base/object_arena.h"

namespace {

using Database::ObjectArena;
using Texts = Database::ElementArray<std::string>;

std::string Text(size_t i) { return "element number " + std::to_string(i) + " of the array"; }

// An array placed in an arena keeps its blocks there while they fit in a piece (31 texts with
// the block's header) and on the heap beyond. Copies go to the heap and moves take the block
// whatever it is, so every block has to find its way back to where it came from after the
// arena's owner has let go: a mismatched, double or early free shows under the sanitizers.
TEST(ElementArray, KeepsItsBlocksInItsOwnArenaWhileTheyFit) {
  struct Case {
    size_t count;
    bool inArena;
  };
  const Case cases[] = {{1, false}, {2, true}, {31, true}, {32, false}, {200, false}};
  for (const Case& c : cases) {
    Database::ArenaOwner arena = ObjectArena::Create();
    auto* array = new (arena->Allocate(sizeof(Texts))) Texts();
    array->UseOwnArena();
    array->Reserve(c.count);
    for (size_t i = 0; i < c.count; ++i) array->Insert(i, Text(i));
    if (c.inArena) {
      EXPECT_EQ(&ObjectArena::Of(array->begin()), arena.get()) << c.count;
    }
    array->Insert(c.count, Text(c.count));  // grows to twice the room, in the arena or not
    array->Erase(c.count);
    arena.reset();

    Texts copy(*array);
    copy.Erase(0);
    *array = std::move(copy);
    array->Insert(0, Text(0));
    Texts moved(std::move(*array));
    *array = moved;
    array->GrowTo(c.count + 40, Text(0));
    ASSERT_EQ(array->size(), c.count + 40);
    for (size_t i = 0; i < c.count; ++i) EXPECT_EQ((*array)[i], Text(i)) << c.count;
    EXPECT_EQ(moved.size(), c.count);

    ObjectArena& own = ObjectArena::Of(array);
    array->~Texts();
    own.Release(array, sizeof(Texts));
  }
}

}  // namespace
