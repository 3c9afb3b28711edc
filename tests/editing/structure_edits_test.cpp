// Structure edits through the public header that the randomized edit model does not pin: the
// lines of refused edits, the host's export text, and when structures no step can bring back are
// destroyed.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/object_registry.h"
#include "support/data_fixture.h"
#include "support/log_capture.h"
#include "tessella.h"

namespace {

constexpr const char* kSchema = R"(struct Part { int32 id; };
struct Wheel : Part { float size; };
struct Other { int32 x; };
record Craft { Part[] parts; Other[] others; Part @ engine; };
)";

constexpr const char* kCraft = R"(<Craft __type="Craft" __hash="h1">
    <parts><Part id="1"/><Part id="2"/></parts>
    <others><Other x="7"/></others>
    <engine __type="Part" id="5"/>
</Craft>
)";

class StructureEdits : public DataFixture {
 protected:
  void SetUp() override {
    UseSchema(kSchema);
    craft_ = ReadRecordHandle("Craft", kCraft);
    dock_ = ReadRecordHandle("Dock", R"(<Dock __type="Craft" __hash="h2"/>)");
  }
  uint64_t Field(const char* name, uint64_t record = 0) const {
    return DB_DataStruct_FieldByName(record ? record : craft_, name);
  }
  uint64_t Element(const char* name, int32_t index, uint64_t record = 0) const {
    return DB_DataField_GetValueAsStruct(Field(name, record), index);
  }
  int32_t Id(uint64_t structure) const {
    return DB_DataField_GetValueAsInt32(DB_DataStruct_FieldByName(structure, "id"), 0);
  }
  static bool Exists(uint64_t structure) {
    return Database::ObjectRegistry::Instance().FindObjectAnyState(structure) != nullptr;
  }
  static bool InService(uint64_t structure) { return DB_DataStruct_GetRecord(structure) != 0; }

  uint64_t craft_ = 0;
  uint64_t dock_ = 0;
};

// A structure an edit created is destroyed once no step can bring it back.
TEST_F(StructureEdits, CreatedStructuresLiveAsLongAsTheirStep) {
  struct Case {
    const char* name;
    std::function<uint64_t()> create;
  };
  const Case cases[] = {
      {"array element",
       [&] {
         EXPECT_EQ(DB_DataField_AddArrayElementStruct(Field("parts"), 0, 0xFFFFFFFFu), 2u);
         return Element("parts", 2);
       }},
      {"owning pointer", [&] {
         DB_DataField_DeletePointer(Field("engine"), 0);
         DB_DataField_NewPointer(Field("engine"), 0, 0);
         return DB_DataField_GetValueAsPointer(Field("engine"), 0);
       }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t created = c.create();
    ASSERT_TRUE(InService(created));
    DB_Undo();
    EXPECT_FALSE(InService(created));
    EXPECT_TRUE(Exists(created));
    DB_DataField_SetValueAsInt32(Field("id", Element("parts", 0)), 3, 0);  // drops the redo step
    EXPECT_FALSE(Exists(created));
    while (DB_CanUndo()) DB_Undo();
  }
}

// Refused edits that the randomized model makes too, with their lines: a second pointer over a
// held one, a retype to a structure that does not inherit from the declared type, and a move
// between arrays of different types.
TEST_F(StructureEdits, RefusedEditsLogTheirLines) {
  const uint64_t held = DB_DataField_GetValueAsPointer(Field("engine"), 0);
  Log().Clear();
  DB_DataField_NewPointer(Field("engine"), 0, 0);
  DB_DataStruct_SetPolymorphicType(Element("parts", 0), DB_SchemaStruct("Other"));
  EXPECT_FALSE(
      DB_DataField_MoveArrayElementFrom(Field("parts"), Element("parts", 0), Field("others")));
  EXPECT_FALSE(DB_DataField_MoveArrayElementFrom(Field("parts"), Element("others", 0),
                                                 Field("parts", dock_)));
  const std::string differing =
      "X File(DataAccessBridge) Line(1100) Function(DB_DataField_MoveArrayElementFrom) - "
      "DB_DataField_MoveArrayElementFrom: From or To element is of differing types. Unsupported";
  EXPECT_EQ(Log().Lines(),
            LogLines("X File(PointerCommands) Line(20) Function(Command_PointerNew::Execute) - "
                     "Creating a pointer, on a pointer that already exists as a pointer. Pointer "
                     "inception is not supported\nE Error setting Polymorphic type. Structure "
                     "\"Other\" does not inherit from \"Part\".\n" +
                     differing));
  EXPECT_EQ(DB_DataField_GetValueAsPointer(Field("engine"), 0), held);
  EXPECT_FALSE(DB_DataRecord_IsDirty(craft_));
  // Undoing a retype keeps the fields it added.
  DB_DataStruct_SetPolymorphicType(Element("parts", 0), DB_SchemaStruct("Wheel"));
  DB_Undo();
  EXPECT_EQ(DB_DataStruct_GetPolymorphicType(Element("parts", 0)), 0u);
  EXPECT_NE(DB_DataStruct_FieldByName(Element("parts", 0), "size"), 0u);
}

// A move closes the host's chain: it is a step of its own, after the chain's empty step.
TEST_F(StructureEdits, AMoveClosesTheHostsChain) {
  DB_BeginCommandChain();
  ASSERT_TRUE(DB_DataField_MoveArrayElementFrom(Field("parts"), Element("parts", 0),
                                                Field("parts", dock_)));
  DB_Undo();
  EXPECT_EQ(DB_DataRecord_PointableStructureCount(dock_), 0u);
  EXPECT_TRUE(DB_CanUndo());
  DB_Undo();
  EXPECT_FALSE(DB_CanUndo());
}

// Pastes and copies leave the host's export text alone; the structures a paste replaced, and a
// copy, are destroyed once no step can bring them back. User data is never cleared by a null.
TEST_F(StructureEdits, PastesAndCopiesKeepTheExportTextAndDieWithTheirSteps) {
  const uint64_t first = Element("parts", 0);
  const char* exported = DB_Export(dock_);
  const std::string dockText = exported;
  ASSERT_TRUE(DB_DataStruct_Deserialize(
      craft_, R"(<Craft><parts><Part id="8"/><Part id="9"/><Part id="10"/></parts></Craft>)",
      "parts"));
  EXPECT_EQ(std::string(exported), dockText);
  const uint64_t pasted = Element("parts", 2);
  DB_Undo();
  EXPECT_EQ(Element("parts", 0), first);
  DB_DataField_SetValueAsInt32(DB_DataStruct_FieldByName(first, "id"), 12, 0);
  EXPECT_FALSE(Exists(pasted));
  EXPECT_TRUE(Exists(first));

  DB_DataStruct_SetUserData(first, "note");
  ASSERT_TRUE(DB_DataStruct_DuplicateInsideArray(first));
  EXPECT_EQ(std::string(exported), dockText);
  const uint64_t copy = Element("parts", 2);
  EXPECT_EQ(Id(copy), 12);
  DB_Undo();
  DB_DataStruct_SetUserData(first, nullptr);
  EXPECT_EQ(std::string(DB_DataStruct_GetUserData(first)), "note");
  DB_DataField_SetValueAsInt32(DB_DataStruct_FieldByName(first, "id"), 6, 0);
  EXPECT_FALSE(Exists(copy));
}

}  // namespace

// A structure is never stored inside its own tree, whichever edit asks: it would hold itself.
TEST_F(DataFixture, AStructureIsRefusedAPlaceInItsOwnTree) {
  UseSchema("struct Node { Node @ [] kids; }; record Tree { Node @ root; };");
  const uint64_t tree = ReadRecordHandle("Tree", R"(<Tree __type="Tree" __hash="h1"/>)");
  DB_DataField_NewPointer(DB_DataStruct_FieldByName(tree, "root"), 0, 0);
  const uint64_t root = DB_DataField_GetValueAsPointer(DB_DataStruct_FieldByName(tree, "root"), 0);
  const uint64_t rootKids = DB_DataStruct_FieldByName(root, "kids");
  const uint64_t kid = DB_DataField_GetValueAsPointer(
      rootKids, static_cast<int32_t>(DB_DataField_AddArrayElementPointer(rootKids, 0, 0)));
  const uint64_t kidKids = DB_DataStruct_FieldByName(kid, "kids");
  const std::string before = DB_Export(tree);
  Log().Clear();
  EXPECT_EQ(DB_DataField_AddArrayElementPointer(kidKids, root, 0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(DB_DataField_AddArrayElementWeakPointer(rootKids, root, 0xFFFFFFFFu), 0xFFFFFFFFu);
  DB_DataField_SetValueAsPointer(kidKids, kid, 0);
  DB_DataField_NewPointer(kidKids, root, 0);
  EXPECT_FALSE(DB_DataField_MoveArrayElementFrom(rootKids, kid, kidKids));
  const auto refused = [](uint64_t structure) {
    return "E Structure " + std::to_string(structure) +
           " holds field \"kids\"; storing it there would make it hold itself. The edit was "
           "refused.\n";
  };
  EXPECT_EQ(Log().Lines(),
            LogLines(refused(root) + refused(root) + refused(kid) + refused(root) + refused(kid)));
  EXPECT_EQ(DB_Export(tree), before);
}
