// The field, structure and pointable-structure read exports, exercised through the public header;
// the fixture reads the records.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "support/data_fixture.h"
#include "tessella.h"

namespace {

constexpr const char* kSchema =
    "enum EColour { Red };\nstruct Part { int32 id; };\nstruct Engine : Part { float power; };\n"
    "record Craft { int8 small; uint8 byte; int16 i16; int32 i32; uint32 u32; float f; "
    "string name; Part[] parts; Part @ engine; Part * favourite; Craft & other; };";

constexpr const char* kCraft = R"(<Craft __type="Craft" __hash="hc" small="-1" byte="255" i16="-2"
    i32="-3" u32="4294967293" f="1.5" name="Kestrel" favourite="parts[1]" other="hc">
    <parts><Part id="1"/><Part id="2" __userdata="note"/></parts>
    <engine __type="Part" __polymorphicType="Engine" id="3" power="9"/></Craft>)";

// The values joined by blanks: small integers as numbers, null texts as "<null>".
template <class... T>
std::string Join(const T&... values) {
  std::ostringstream out;
  const auto put = [&](const auto& v) {
    if constexpr (std::is_pointer_v<std::decay_t<decltype(v)>>) {
      out << (v ? v : "<null>") << " ";
    } else {
      out << +v << " ";
    }
  };
  (put(values), ...);
  return out.str();
}

class DataAccess : public DataFixture {
 protected:
  void SetUp() override {
    UseSchema(kSchema);
    craft_ = ReadRecordHandle("Craft", kCraft);
  }
  uint64_t F(const char* name) const { return DB_DataStruct_FieldByName(craft_, name); }
  uint64_t craft_ = 0;
};

// The one table of neutral results: null handles, unknown numbers and handles of another kind
// (an enumeration) read as nothing and change nothing, whichever family the export belongs to.
TEST_F(DataAccess, BadHandlesGiveNeutralResults) {
  const uint64_t field = F("name");
  for (const uint64_t h : {uint64_t{0}, uint64_t{0xFFFFFFFFFFFF}, DB_SchemaEnum("EColour")}) {
    EXPECT_EQ(Join(DB_DataField_GetSchema(h), DB_DataField_GetType(h), DB_DataField_GetName(h),
                   DB_DataField_GetArrayElementCount(h), DB_DataField_GetValueAsString(h, 0),
                   DB_DataField_GetValueAsInt32(h, 0), DB_DataStruct_Serialize(h, nullptr, false),
                   DB_DataStruct_Name(h), DB_DataStruct_URL(h), DB_DataStruct_GetUserData(h),
                   DB_DataStruct_FieldByName(h, "name"), DB_DataRecord_PointableStructureCount(h),
                   DB_DataRecord_ResolveURL(h, "parts[0]"), DB_DataRecord_Name(h),
                   DB_DataRecord_Filename(h), DB_DataRecord_Hash(h), DB_Export(h),
                   DB_DataRecord_Save(h), DB_ReloadRecord(h), DB_RemoveRecord(h, true),
                   DB_SchemaStruct_GetName(h), DB_SchemaStruct_GetFieldCount(h, true, 0),
                   DB_SchemaField_GetName(h), DB_SchemaField_GetFieldType(h)),
              "0 0  0  0    <null> 0 0 0 <null>  <null> <null> 0 0 0  0 <null> 0 ")
        << h;
  }
  EXPECT_EQ(Join(DB_DataStruct_GetRecord(field), DB_DataStruct_FieldByName(craft_, nullptr),
                 DB_DataRecord_ResolveURL(craft_, nullptr), DB_GetRecordByName(nullptr),
                 DB_GetRecordByHash(nullptr), DB_CreateRecord(nullptr, "", "x")),
            "0 0 0 0 0 0 ");
  EXPECT_STREQ(DB_DataField_GetName(craft_), "") << "a record is not a field";
  EXPECT_EQ(DB_GetRecordCount(), 1u);
}

// Int8 and UInt8 read the same byte, as Int32 and UInt32 the same word; a reference resolves on
// reading (same-kind reads of every kind are pinned by the CLI's export of every kind of value).
// Another kind or an index outside the array reads as the neutral value.
TEST_F(DataAccess, ReadsAcrossWidthsAndNeutralValuesForOtherKinds) {
  EXPECT_EQ(
      Join(DB_DataField_GetValueAsInt8(F("small"), 0), DB_DataField_GetValueAsUInt8(F("small"), 0),
           DB_DataField_GetValueAsInt8(F("byte"), 0), DB_DataField_GetValueAsInt32(F("u32"), 0),
           DB_DataField_GetValueAsUInt32(F("u32"), 0),
           DB_DataField_GetValueAsRecord(F("other"), 0) == craft_),
      "-1 255 -1 -3 4294967293 1 ");
  EXPECT_EQ(
      Join(DB_DataField_GetValueAsInt32(F("i16"), 0), DB_DataField_GetValueAsDouble(F("f"), 0),
           DB_DataField_GetValueAsString(F("i32"), 0),
           DB_DataField_GetValueAsUInt64(F("engine"), 0), DB_DataField_GetValueAsInt32(F("i32"), 1),
           DB_DataField_GetValueAsInt32(F("i32"), -1),
           DB_DataField_GetValueAsStruct(F("parts"), 2)),
      "0 0  0 0 0 0 ");
}

// A structure's name is its declared type; reading user data sets it, and that marks the
// structure dirty. (Pointable lists are checked after every step of the torture test, and their
// order by the data tests.)
TEST_F(DataAccess, StructuresAndPointers) {
  const uint64_t part1 = DB_DataField_GetValueAsStruct(F("parts"), 1);
  const uint64_t engine = DB_DataField_GetValueAsPointer(F("engine"), 0);
  ASSERT_NE(part1, 0u);
  ASSERT_NE(engine, 0u);
  EXPECT_EQ(DB_DataField_GetValueAsWeakPointer(F("favourite"), 0), part1);
  EXPECT_EQ(Join(DB_DataField_GetParent(F("favourite")) == craft_, DB_DataField_GetName(F("other")),
                 DB_DataField_GetSchema(F("other")) ==
                     DB_SchemaStruct_GetFieldByName(DB_SchemaStruct("Craft"), "other", true, 0)),
            "1 other 1 ");
  EXPECT_EQ(
      Join(DB_DataStruct_GetRecord(engine) == craft_, DB_DataStruct_GetRecord(craft_) == craft_,
           DB_DataStruct_GetParent(engine) == craft_, DB_DataStruct_GetParent(craft_),
           DB_DataStruct_GetPolymorphicType(engine) == DB_SchemaStruct("Engine"),
           DB_DataStruct_Name(engine), DB_DataStruct_Name(craft_), DB_DataStruct_FieldName(engine),
           DB_DataStruct_FieldName(craft_), DB_DataStruct_URL(part1),
           DB_DataStruct_GetUserData(part1), DB_DataStruct_GetUserData(engine),
           DB_DataStruct_IsDirty(part1), DB_DataStruct_IsDirty(engine),
           DB_DataStruct_FieldByName(engine, "power") != 0,
           DB_DataStruct_FieldByName(engine, "Power")),
      "1 1 1 0 1 Part Craft engine Craft parts[1] note <null> 1 0 1 0 ");
  EXPECT_STREQ(DB_DataStruct_Serialize(engine, "power", false),
               "<engine __type=\"Part\" __polymorphicType=\"Engine\" power=\"9\"/>\n");
}

}  // namespace
