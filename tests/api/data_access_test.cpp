// The field, structure and pointable-structure read exports, exercised through the public header;
// the fixture reads the records.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/data_fixture.h"
#include "tessella.h"

namespace {

constexpr const char* kSchema = R"(
enum EColour { Red, Green, Blue };
struct Part
{
    int32 id;
};
struct Engine : Part
{
    float power;
};
record Craft
{
    bool flag;
    int8 small;
    uint8 byte;
    int16 i16;
    uint16 u16;
    int32 i32;
    uint32 u32;
    LocId loc;
    int64 i64;
    uint64 u64;
    float f;
    double d;
    string name;
    EColour colour;
    Part[] parts;
    Part @ engine;
    Part * favourite;
    Craft & other;
};
)";

constexpr const char* kCraft = R"(<Craft __type="Craft" __hash="hc" flag="1" small="-1" byte="255"
    i16="-2" u16="65534" i32="-3" u32="4294967293" loc="7" i64="-4" u64="18446744073709551612"
    f="1.5" d="0.25" name="Kestrel" colour="Blue" favourite="parts[1]" other="hc">
    <parts><Part id="1"/><Part id="2" __userdata="note"/></parts>
    <engine __type="Part" __polymorphicType="Engine" id="3" power="9"/>
</Craft>
)";

class DataAccess : public DataFixture {
 protected:
  void SetUp() override {
    UseSchema(kSchema);
    craft_ = ReadRecordHandle("Craft", kCraft);
  }
  uint64_t Field(const char* name) const { return DB_DataStruct_FieldByName(craft_, name); }
  uint64_t craft_ = 0;
};

TEST_F(DataAccess, BadHandlesGiveNeutralResults) {
  const uint64_t schemaStruct = DB_SchemaStruct("Craft");
  const uint64_t field = Field("name");
  for (const uint64_t handle : {uint64_t{0}, uint64_t{0xFFFFFFFFFFFF}, schemaStruct}) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(DB_DataField_GetSchema(handle), 0u);
    EXPECT_EQ(DB_DataField_GetType(handle), 0u);
    EXPECT_STREQ(DB_DataField_GetName(handle), "");
    EXPECT_EQ(DB_DataField_GetArrayElementCount(handle), 0u);
    EXPECT_STREQ(DB_DataField_GetValueAsString(handle, 0), "");
    EXPECT_EQ(DB_DataField_GetValueAsInt32(handle, 0), 0);
    EXPECT_STREQ(DB_DataStruct_Serialize(handle, nullptr, false), "");
    EXPECT_STREQ(DB_DataStruct_Name(handle), "");
    EXPECT_STREQ(DB_DataStruct_URL(handle), "");
    EXPECT_EQ(DB_DataStruct_GetUserData(handle), nullptr);
    EXPECT_EQ(DB_DataStruct_FieldByName(handle, "name"), 0u);
    EXPECT_EQ(DB_DataRecord_PointableStructureCount(handle), 0u);
    EXPECT_EQ(DB_DataRecord_ResolveURL(handle, "parts[0]"), 0u);
  }
  EXPECT_EQ(DB_DataStruct_GetRecord(field), 0u) << "a field is not a structure";
  EXPECT_STREQ(DB_DataField_GetName(craft_), "") << "a record is not a field";
  EXPECT_EQ(DB_DataStruct_FieldByName(craft_, nullptr), 0u);
  EXPECT_EQ(DB_DataRecord_ResolveURL(craft_, nullptr), 0u);
}

// Type, option, dirt and element counts are read by the randomized edit model.
TEST_F(DataAccess, DescribesFields) {
  const uint64_t field = Field("favourite");
  ASSERT_NE(field, 0u);
  EXPECT_EQ(DB_DataField_GetSchema(field),
            DB_SchemaStruct_GetFieldByName(DB_SchemaStruct("Craft"), "favourite", true, 0));
  EXPECT_EQ(DB_DataField_GetParent(field), craft_);
  EXPECT_STREQ(DB_DataField_GetName(field), "favourite");
}

TEST_F(DataAccess, ReadsStoredValuesOfEveryKind) {
  EXPECT_TRUE(DB_DataField_GetValueAsBool(Field("flag"), 0));
  EXPECT_EQ(DB_DataField_GetValueAsInt8(Field("small"), 0), -1);
  EXPECT_EQ(DB_DataField_GetValueAsUInt8(Field("small"), 0), 255) << "the same byte";
  EXPECT_EQ(DB_DataField_GetValueAsInt8(Field("byte"), 0), -1);
  EXPECT_EQ(DB_DataField_GetValueAsInt16(Field("i16"), 0), -2);
  EXPECT_EQ(DB_DataField_GetValueAsUInt16(Field("u16"), 0), 65534);
  EXPECT_EQ(DB_DataField_GetValueAsInt32(Field("i32"), 0), -3);
  EXPECT_EQ(DB_DataField_GetValueAsInt32(Field("u32"), 0), -3);
  EXPECT_EQ(DB_DataField_GetValueAsUInt32(Field("u32"), 0), 4294967293u);
  EXPECT_EQ(DB_DataField_GetValueAsLocId(Field("loc"), 0), 7);
  EXPECT_EQ(DB_DataField_GetValueAsInt64(Field("i64"), 0), -4);
  EXPECT_EQ(DB_DataField_GetValueAsUInt64(Field("u64"), 0), 18446744073709551612u);
  EXPECT_EQ(DB_DataField_GetValueAsFloat(Field("f"), 0), 1.5f);
  EXPECT_EQ(DB_DataField_GetValueAsDouble(Field("d"), 0), 0.25);
  EXPECT_STREQ(DB_DataField_GetValueAsString(Field("name"), 0), "Kestrel");
  EXPECT_STREQ(DB_DataField_GetValueAsEnum(Field("colour"), 0), "Blue");
  EXPECT_EQ(DB_DataField_GetValueAsRecord(Field("other"), 0), craft_) << "resolved on reading";

  // Another kind or an index outside the array reads as the neutral value.
  EXPECT_EQ(DB_DataField_GetValueAsInt32(Field("i16"), 0), 0);
  EXPECT_EQ(DB_DataField_GetValueAsDouble(Field("f"), 0), 0.0);
  EXPECT_STREQ(DB_DataField_GetValueAsString(Field("i32"), 0), "");
  EXPECT_EQ(DB_DataField_GetValueAsUInt64(Field("engine"), 0), 0u);
  EXPECT_EQ(DB_DataField_GetValueAsInt32(Field("i32"), 1), 0);
  EXPECT_EQ(DB_DataField_GetValueAsInt32(Field("i32"), -1), 0);
  EXPECT_EQ(DB_DataField_GetValueAsStruct(Field("parts"), 2), 0u);
}

TEST_F(DataAccess, StructuresPointersAndPointableStructures) {
  const uint64_t part1 = DB_DataField_GetValueAsStruct(Field("parts"), 1);
  ASSERT_NE(part1, 0u);
  EXPECT_EQ(DB_DataField_GetValueAsWeakPointer(Field("favourite"), 0), part1);
  const uint64_t engine = DB_DataField_GetValueAsPointer(Field("engine"), 0);
  ASSERT_NE(engine, 0u);

  EXPECT_EQ(DB_DataStruct_GetRecord(engine), craft_);
  EXPECT_EQ(DB_DataStruct_GetRecord(craft_), craft_);
  EXPECT_EQ(DB_DataStruct_GetParent(engine), craft_);
  EXPECT_EQ(DB_DataStruct_GetParent(craft_), 0u);
  EXPECT_EQ(DB_DataStruct_GetPolymorphicType(engine), DB_SchemaStruct("Engine"));
  EXPECT_STREQ(DB_DataStruct_Name(engine), "Part") << "the declared type";
  EXPECT_STREQ(DB_DataStruct_Name(craft_), "Craft");
  EXPECT_STREQ(DB_DataStruct_FieldName(engine), "engine");
  EXPECT_STREQ(DB_DataStruct_FieldName(craft_), "Craft");
  EXPECT_STREQ(DB_DataStruct_URL(part1), "parts[1]");
  EXPECT_STREQ(DB_DataStruct_GetUserData(part1), "note");
  EXPECT_EQ(DB_DataStruct_GetUserData(engine), nullptr);
  EXPECT_TRUE(DB_DataStruct_IsDirty(part1)) << "reading user data sets it, and that marks";
  EXPECT_FALSE(DB_DataStruct_IsDirty(engine));
  EXPECT_STREQ(DB_DataStruct_Serialize(engine, "power", false),
               "<engine __type=\"Part\" __polymorphicType=\"Engine\" power=\"9\"/>\n");
  EXPECT_NE(DB_DataStruct_FieldByName(engine, "power"), 0u);
  EXPECT_EQ(DB_DataStruct_FieldByName(engine, "Power"), 0u) << "names are exact";

  const uint64_t part0 = DB_DataField_GetValueAsStruct(Field("parts"), 0);
  ASSERT_EQ(DB_DataRecord_PointableStructureCount(craft_), 3u);
  EXPECT_EQ(DB_DataRecord_GetPointableStructure(craft_, 0), part0);
  EXPECT_EQ(DB_DataRecord_GetPointableStructure(craft_, 1), part1);
  EXPECT_EQ(DB_DataRecord_GetPointableStructure(craft_, 2), engine);
  EXPECT_EQ(DB_DataRecord_GetPointableStructure(craft_, 3), 0u);
  EXPECT_EQ(DB_DataRecord_ResolveURL(craft_, "parts[1]"), part1);
  EXPECT_EQ(DB_DataRecord_ResolveURL(craft_, "engine"), engine);
  EXPECT_EQ(DB_DataRecord_PointableStructureCount(engine), 0u) << "not a record";
  // Once the database is closed the handles resolve to nothing.
  const uint64_t name = Field("name");
  DB_Close();
  EXPECT_EQ(DB_DataField_GetArrayElementCount(name), 0u);
  EXPECT_STREQ(DB_DataStruct_Name(part0), "");
  EXPECT_EQ(DB_DataRecord_PointableStructureCount(craft_), 0u);
}

}  // namespace
