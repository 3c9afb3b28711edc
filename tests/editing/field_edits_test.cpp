// Field edits through the public header that the randomized edit model does not pin: the lines
// of refused edits, NaN over NaN, and pending references moved with their elements.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "support/data_fixture.h"
#include "support/log_capture.h"
#include "tessella.h"

namespace {

constexpr const char* kSchema =
    "struct Part { int32 id; };\nstruct Other { int32 x; };\nrecord Craft { uint16 u16; int32 i32; "
    "float f; int32[] list; int32[2] pair; Part[] parts; Part * favourite; Part *[] marks; "
    "Other @ other; Craft &[] links; };";

constexpr const char* kCraft = R"(<Craft __type="Craft" __hash="h1" u16="2" i32="3" f="0"
    favourite="parts[0]"><list><Entry Value="10"/><Entry Value="20"/><Entry Value="30"/></list>
    <pair><Entry Value="1"/><Entry Value="2"/></pair><parts><Part id="1"/><Part id="2"/></parts>
    <marks><Entry Value="parts[1]"/></marks><other __type="Other" x="7"/>
    <links><Entry Value="h1"/><Entry Value="h2"/></links></Craft>)";

class FieldEdits : public DataFixture {
 protected:
  void SetUp() override {
    UseSchema(kSchema);
    craft_ = ReadRecordHandle("Craft", kCraft);
    ResolveReferences();
    DB_EnableUndo(true);
  }
  uint64_t Field(const char* name) const { return DB_DataStruct_FieldByName(craft_, name); }
  bool Dirty() const { return DB_DataRecord_IsDirty(craft_); }

  uint64_t craft_ = 0;
};

// NaN differs from itself, so setting it over NaN is an undo step of its own.
TEST_F(FieldEdits, NaNOverNaNIsAChange) {
  const uint64_t f = Field("f");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  DB_DataField_SetValueAsFloat(f, nan, 0);
  DB_DataField_SetValueAsFloat(f, nan, 0);
  DB_Undo();
  EXPECT_TRUE(std::isnan(DB_DataField_GetValueAsFloat(f, 0)));
  DB_Undo();
  EXPECT_EQ(DB_DataField_GetValueAsFloat(f, 0), 0.0f);
}

TEST_F(FieldEdits, WeakPointerRefusesAnUnrelatedTarget) {
  const uint64_t favourite = Field("favourite");
  const uint64_t part = DB_DataField_GetValueAsWeakPointer(favourite, 0);
  const uint64_t other = DB_DataField_GetValueAsPointer(Field("other"), 0);
  ASSERT_NE(other, 0u);
  Log().Clear();
  DB_DataField_SetValueAsWeakPointer(favourite, other, 0);
  EXPECT_EQ(DB_DataField_GetValueAsWeakPointer(favourite, 0), part);
  EXPECT_EQ(DB_DataField_AddArrayElementWeakPointer(Field("marks"), other, 0xFFFFFFFFu),
            0xFFFFFFFFu);
  EXPECT_EQ(DB_DataField_GetArrayElementCount(Field("marks")), 1u);
  const std::string rejected =
      "X File(DataField) Line(172) Function(Database::ValidateWeakPointerTarget) - "
      "ValidateWeakPointerTarget failed. Weak pointer type is \"Part\". Cannot assign to "
      "structure of type \"Other\". \n";
  EXPECT_EQ(Log().Lines(),
            LogLines(rejected +
                     "X File(DataField) Line(301) "
                     "Function(Database::CDataFieldValue<class Database::TDataStructHandle>::"
                     "SetValue) - Error: ValidateWeakPointerTarget failed. Weak pointer is not "
                     "pointing to valid type. Value could not be set.\n" +
                     rejected));
  EXPECT_FALSE(Dirty());
}

TEST_F(FieldEdits, RefusedEditsRecordNothing) {
  struct Case {
    const char* name;
    std::function<void()> edit;
    const char* logged;
  };
  const Case cases[] = {
      {"fixed array remove", [&] { DB_DataField_RemoveArrayElement(Field("pair"), 0); },
       "X File(DataAccessBridge) Line(1185) Function(DB_DataField_RemoveArrayElement) - "
       "Attempting to remove from fixed array, not allowed! Field is\"pair\""},
      {"fixed array full", [&] { DB_DataField_AddArrayElementInt32(Field("pair"), 1, 0); },
       "E Field \"pair\" already holds its most elements (2); the edit was refused."},
      {"single value remove", [&] { DB_DataField_RemoveArrayElement(Field("i32"), 0); },
       "E Field \"i32\" is not an array; elements are removed only from dynamic arrays."},
      {"remove past the end", [&] { DB_DataField_RemoveArrayElement(Field("list"), 3); },
       "E Element 3 is outside field \"list\", which holds 3 elements; the edit was refused."},
      {"set past the end", [&] { DB_DataField_SetValueAsInt32(Field("list"), 1, 4); },
       "E Element 4 is outside field \"list\", which holds 3 elements; the edit was refused."},
      {"another kind", [&] { DB_DataField_SetValueAsString(Field("i32"), "x", 0); },
       "E Field \"i32\" holds another kind of value; the edit was refused."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log().Clear();
    c.edit();
    EXPECT_FALSE(DB_CanUndo());
    EXPECT_EQ(Log().Lines(), LogLines(c.logged));
  }
  EXPECT_FALSE(Dirty());
}

// A reference that waits for its record keeps waiting on its own element.
TEST_F(FieldEdits, PendingReferencesMoveWithTheirElements) {
  const uint64_t holder = ReadRecordHandle("Holder", R"(<Holder __type="Craft" __hash="h3">
      <links><Entry Value="h4"/><Entry Value="h3"/></links></Holder>)");
  const uint64_t late = ReadRecordHandle("Late", R"(<Late __type="Craft" __hash="h4"/>)");
  const uint64_t links = DB_DataStruct_FieldByName(holder, "links");
  EXPECT_EQ(DB_DataField_AddArrayElementReference(links, craft_, 0), 0u);
  DB_DataField_ShiftArrayElement(links, 0, 2);
  EXPECT_EQ(DB_DataField_GetValueAsRecord(links, 0), holder);
  EXPECT_EQ(DB_DataField_GetValueAsRecord(links, 1), late);
  EXPECT_EQ(DB_DataField_GetValueAsRecord(links, 2), craft_);
}

}  // namespace
