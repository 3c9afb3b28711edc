// The schema reflection exports, exercised only through the public header.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/database_fixture.h"
#include "support/worked_example.h"
#include "tessella.h"

namespace {

std::string TextOf(const char* text) { return text ? text : "<null>"; }

class SchemaReflection : public DatabaseFixture {};

// One row of a structure's field list as the host reads it.
struct FieldRow {
  const char* name;
  uint32_t type;
  uint32_t option;
  uint32_t storage;
  const char* typeName;  // "<null>" for keyword types
  const char* description;
  bool hasRange;
};

void ExpectFields(uint64_t schemaStruct, bool includeInherited, uint64_t start,
                  const std::vector<FieldRow>& rows) {
  ASSERT_EQ(DB_SchemaStruct_GetFieldCount(schemaStruct, includeInherited, start), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const FieldRow& row = rows[i];
    SCOPED_TRACE(row.name);
    const uint64_t field = DB_SchemaStruct_GetFieldByIndex(schemaStruct, static_cast<int32_t>(i),
                                                           includeInherited, start);
    ASSERT_NE(field, 0u);
    EXPECT_EQ(TextOf(DB_SchemaField_GetName(field)), row.name);
    EXPECT_EQ(DB_SchemaField_GetFieldType(field), row.type);
    EXPECT_EQ(DB_SchemaField_GetFieldOption(field), row.option);
    EXPECT_EQ(DB_SchemaField_GetFieldStorageType(field), row.storage);
    EXPECT_EQ(TextOf(DB_SchemaField_GetEnumName(field)), row.typeName);
    EXPECT_EQ(TextOf(DB_SchemaField_GetStructName(field)), row.typeName);
    EXPECT_EQ(TextOf(DB_SchemaField_GetRecordName(field)), row.typeName);
    EXPECT_EQ(TextOf(DB_SchemaField_GetDescription(field)), row.description);
    EXPECT_EQ(DB_SchemaField_HasRange(field), row.hasRange);
  }
}

TEST_F(SchemaReflection, WorkedExampleReadsBackRowByRow) {
  ASSERT_TRUE(LoadSchema(kWorkedExample, "Schema/example.sch"));

  const uint64_t channel = DB_SchemaEnum("EChannel");
  ASSERT_NE(channel, 0u);
  EXPECT_EQ(TextOf(DB_SchemaEnum_GetName(channel)), "EChannel");
  EXPECT_EQ(TextOf(DB_SchemaEnum_GetKeyValue(channel, "desc")), "Colour channels");
  const char* enumerables[] = {"Red", "Green", "Blue"};
  ASSERT_EQ(DB_SchemaEnum_GetEnumerableCount(channel), 3u);
  for (int32_t i = 0; i < 3; ++i) {
    const char* name = nullptr;
    DB_SchemaEnum_GetEnumerableByIndex(channel, i, &name);
    EXPECT_EQ(TextOf(name), enumerables[i]);
  }
  EXPECT_EQ(TextOf(DB_SchemaEnum_GetEnumerableKeyValue(channel, "Green", "desc")), "The green one");
  EXPECT_EQ(DB_SchemaEnum_GetEnumerableKeyValue(channel, "Red", "desc"), nullptr);

  const uint64_t item = DB_SchemaStruct("ItemBase");
  const uint64_t blade = DB_SchemaStruct("Blade");
  const uint64_t armory = DB_SchemaStruct("Armory");
  ASSERT_NE(item, 0u);
  ASSERT_NE(blade, 0u);
  ASSERT_NE(armory, 0u);
  EXPECT_EQ(TextOf(DB_SchemaStruct_GetName(blade)), "Blade");
  EXPECT_EQ(TextOf(DB_SchemaStruct_GetOwnerFile(blade)), "Schema/example.sch");
  EXPECT_EQ(TextOf(DB_SchemaStruct_GetKeyValue(item, "category")), "items");
  EXPECT_EQ(DB_SchemaStruct_GetKeyValue(blade, "category"), nullptr);
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(blade), item);
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(item), 0u);

  ASSERT_EQ(DB_SchemaRecord_GetCount(), 1u);
  EXPECT_EQ(DB_SchemaRecord_GetByIndex(0), armory);

  ExpectFields(blade, true, 0,
               {{"Name", TESSELLA_FIELD_STRING, 0, 0, "<null>", "Shown in lists", false},
                {"Weight", TESSELLA_FIELD_INT32, 0, 0, "<null>", "<null>", true},
                {"Tint", TESSELLA_FIELD_ENUM, 0, 0, "EChannel", "<null>", false},
                {"Length", TESSELLA_FIELD_FLOAT, 0, 0, "<null>", "<null>", false},
                {"Runes", TESSELLA_FIELD_UINT8, 0, TESSELLA_STORAGE_FIXED_ARRAY, "<null>", "<null>",
                 false}});
  ExpectFields(armory, false, 0,
               {{"Blades", TESSELLA_FIELD_STRUCT, TESSELLA_OPTION_POINTER,
                 TESSELLA_STORAGE_DYNAMIC_ARRAY, "Blade", "<null>", false},
                {"Favourite", TESSELLA_FIELD_STRUCT, TESSELLA_OPTION_WEAK_POINTER,
                 TESSELLA_STORAGE_SINGLE, "ItemBase", "<null>", false},
                {"Other", TESSELLA_FIELD_REFERENCE, TESSELLA_OPTION_AMPERSAND,
                 TESSELLA_STORAGE_SINGLE, "Armory", "<null>", false}});

  const uint64_t weight = DB_SchemaStruct_GetFieldByName(blade, "Weight", true, 0);
  const auto* range = static_cast<const int64_t*>(DB_SchemaField_GetRange(weight));
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(range[0], 0);
  EXPECT_EQ(range[1], 100);
  EXPECT_EQ(range[2], 5);
}

TEST_F(SchemaReflection, LookupsByNameAreExactAndKindSpecific) {
  ASSERT_TRUE(LoadSchema(kWorkedExample));
  EXPECT_EQ(DB_SchemaStruct("Armory"), DB_SchemaRecord_GetByIndex(0));
  EXPECT_EQ(DB_SchemaEnum("ItemBase"), 0u);
  EXPECT_EQ(DB_SchemaStruct("EChannel"), 0u);
  EXPECT_EQ(DB_SchemaStruct("itembase"), 0u);
  EXPECT_EQ(DB_SchemaStruct(nullptr), 0u);
  EXPECT_EQ(DB_SchemaEnum(nullptr), 0u);
  EXPECT_EQ(DB_SchemaRecord_GetByIndex(-1), 0u);
  EXPECT_EQ(DB_SchemaRecord_GetByIndex(1), 0u);
}

TEST_F(SchemaReflection, InheritanceAcrossThreeLevels) {
  ASSERT_TRUE(
      LoadSchema("struct A { int32 a0; int32 a1; };\n"
                 "struct B : A { int32 b0; int32 shared; };\n"
                 "struct C : B { int32 c0; int32 shared; };\n"
                 "struct Other { int32 o0; };\n"));
  const uint64_t a = DB_SchemaStruct("A");
  const uint64_t b = DB_SchemaStruct("B");
  const uint64_t c = DB_SchemaStruct("C");
  const uint64_t other = DB_SchemaStruct("Other");

  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeCount(a), 2u);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, 0), b);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, 1), c);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, 2), 0u);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, -1), 0u);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeCount(c), 0u);

  EXPECT_TRUE(DB_SchemaStruct_DoesInheritFrom(c, a));
  EXPECT_TRUE(DB_SchemaStruct_DoesInheritFrom(c, b));
  EXPECT_FALSE(DB_SchemaStruct_DoesInheritFrom(a, c));
  EXPECT_FALSE(DB_SchemaStruct_DoesInheritFrom(c, c));
  EXPECT_TRUE(DB_SchemaStruct_DoesInheritFrom(a, 0));

  // With inheritance the root's fields come first and the structure's own last.
  const char* chain[] = {"a0", "a1", "b0", "shared", "c0", "shared"};
  ASSERT_EQ(DB_SchemaStruct_GetFieldCount(c, true, 0), 6u);
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(TextOf(DB_SchemaField_GetName(DB_SchemaStruct_GetFieldByIndex(c, i, true, 0))),
              chain[i]);
  }
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(c, false, 0), 2u);
  EXPECT_EQ(TextOf(DB_SchemaField_GetName(DB_SchemaStruct_GetFieldByIndex(c, 0, false, 0))), "c0");
  EXPECT_EQ(DB_SchemaStruct_GetFieldByIndex(c, 6, true, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByIndex(c, 2, false, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByIndex(c, -1, true, 0), 0u);

  // A start replaces the structure for counting and numbering.
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(a, true, c), 6u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(a, false, b), 2u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByIndex(a, 4, true, c),
            DB_SchemaStruct_GetFieldByIndex(c, 4, true, 0));
  EXPECT_EQ(DB_SchemaStruct_GetFieldByIndex(0, 0, true, b),
            DB_SchemaStruct_GetFieldByIndex(a, 0, true, 0));

  // The nearest declaration wins; a start is searched after the structure's own fields.
  const uint64_t cShared = DB_SchemaStruct_GetFieldByName(c, "shared", true, 0);
  EXPECT_EQ(cShared, DB_SchemaStruct_GetFieldByIndex(c, 1, false, 0));
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(c, "a1", false, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(c, "a1", true, 0),
            DB_SchemaStruct_GetFieldByIndex(a, 1, false, 0));
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(other, "b0", true, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(other, "b0", true, c),
            DB_SchemaStruct_GetFieldByIndex(b, 0, false, 0));
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(other, "o0", true, c),
            DB_SchemaStruct_GetFieldByIndex(other, 0, false, 0));
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(other, "shared", true, c), cShared);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(c, nullptr, true, 0), 0u);
}

TEST_F(SchemaReflection, RangesKeyValuesAndDescriptions) {
  ASSERT_TRUE(
      LoadSchema("struct S {\n"
                 "  // [min: 5, desc: \"Speed, in m/s: fast\", max: 10]\n"
                 "  int32 Speed;\n"
                 "  int16 Plain;\n"
                 "  // [min: 0, max: 1]\n"
                 "  string Text;\n"
                 "  float Ratio;\n"
                 "  // [min: 0.1, max: 0.5]\n"
                 "  double d1;\n"
                 "  // [min: -0.7, max: 1.3, step: 0.2]\n"
                 "  float f1;\n"
                 "};\n"));
  const uint64_t s = DB_SchemaStruct("S");
  const uint64_t speed = DB_SchemaStruct_GetFieldByName(s, "Speed", false, 0);
  const uint64_t plain = DB_SchemaStruct_GetFieldByName(s, "Plain", false, 0);
  const uint64_t text = DB_SchemaStruct_GetFieldByName(s, "Text", false, 0);

  ASSERT_EQ(DB_SchemaField_GetKeyValuesCount(speed), 3u);
  const char* keys[3] = {};
  const char* values[3] = {};
  DB_SchemaField_GetKeyValues(speed, keys, values);
  EXPECT_EQ(TextOf(keys[0]), "desc");
  EXPECT_EQ(TextOf(keys[1]), "max");
  EXPECT_EQ(TextOf(keys[2]), "min");
  EXPECT_EQ(TextOf(values[0]), "Speed, in m/s: fast");
  EXPECT_EQ(TextOf(values[1]), "10");
  EXPECT_EQ(TextOf(values[2]), "5");
  EXPECT_EQ(TextOf(DB_SchemaField_GetDescription(speed)), "Speed, in m/s: fast");
  EXPECT_EQ(DB_SchemaField_GetDescription(plain), nullptr);

  EXPECT_TRUE(DB_SchemaField_HasRange(speed));
  EXPECT_FALSE(DB_SchemaField_HasRange(plain));
  const auto* natural = static_cast<const int64_t*>(DB_SchemaField_GetRange(plain));
  ASSERT_NE(natural, nullptr);
  EXPECT_EQ(natural[0], -32768);
  EXPECT_EQ(natural[1], 32767);
  EXPECT_EQ(natural[2], 1);
  EXPECT_EQ(DB_SchemaField_GetRange(text), nullptr);
  EXPECT_FALSE(DB_SchemaField_HasRange(text));

  // Declared Float and Double bounds are rounded through 32-bit float, whatever the build's
  // optimisation; a missing step is a hundredth of the rounded span.
  const struct {
    const char* field;
    double min, max, step;
  } floating[] = {{"Ratio", -3.4028234663852886e38, 3.4028234663852886e38, 1.0},
                  {"d1", 0.10000000149011612, 0.5, (0.5 - 0.10000000149011612) / 100},
                  {"f1", -0.699999988079071, 1.2999999523162842, 0.20000000298023224}};
  for (const auto& row : floating) {
    SCOPED_TRACE(row.field);
    const auto* range = static_cast<const double*>(
        DB_SchemaField_GetRange(DB_SchemaStruct_GetFieldByName(s, row.field, false, 0)));
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range[0], row.min);
    EXPECT_EQ(range[1], row.max);
    EXPECT_EQ(range[2], row.step);
  }
}

// Every export's neutral result, checked with no schema, with stale handles and with handles of
// the wrong kind.
void ExpectNeutral(uint64_t structHandle, uint64_t fieldHandle, uint64_t enumHandle) {
  EXPECT_STREQ(DB_SchemaStruct_GetName(structHandle), "");
  EXPECT_STREQ(DB_SchemaStruct_GetOwnerFile(structHandle), "");
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(structHandle, true, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByIndex(structHandle, 0, true, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetFieldByName(structHandle, "x", true, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetKeyValue(structHandle, "k"), nullptr);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeCount(structHandle), 0u);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeByIndex(structHandle, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(structHandle), 0u);
  EXPECT_FALSE(DB_SchemaStruct_DoesInheritFrom(structHandle, 0));
  EXPECT_EQ(DB_SchemaField_GetFieldType(fieldHandle), 0u);
  EXPECT_EQ(DB_SchemaField_GetFieldOption(fieldHandle), 0u);
  EXPECT_EQ(DB_SchemaField_GetFieldStorageType(fieldHandle), 0u);
  EXPECT_EQ(DB_SchemaField_GetEnumName(fieldHandle), nullptr);
  EXPECT_EQ(DB_SchemaField_GetStructName(fieldHandle), nullptr);
  EXPECT_EQ(DB_SchemaField_GetRecordName(fieldHandle), nullptr);
  EXPECT_EQ(DB_SchemaField_GetKeyValuesCount(fieldHandle), 0u);
  const char* sentinel = "untouched";
  const char* keys[1] = {sentinel};
  const char* values[1] = {sentinel};
  DB_SchemaField_GetKeyValues(fieldHandle, keys, values);
  EXPECT_EQ(keys[0], sentinel);
  EXPECT_EQ(values[0], sentinel);
  EXPECT_EQ(DB_SchemaField_GetName(fieldHandle), nullptr);
  EXPECT_EQ(DB_SchemaField_GetDescription(fieldHandle), nullptr);
  EXPECT_FALSE(DB_SchemaField_HasRange(fieldHandle));
  EXPECT_EQ(DB_SchemaField_GetRange(fieldHandle), nullptr);
  EXPECT_EQ(DB_SchemaEnum_GetName(enumHandle), nullptr);
  EXPECT_EQ(DB_SchemaEnum_GetEnumerableCount(enumHandle), 0u);
  const char* out = sentinel;
  DB_SchemaEnum_GetEnumerableByIndex(enumHandle, 0, &out);
  EXPECT_EQ(out, sentinel);
  EXPECT_EQ(DB_SchemaEnum_GetKeyValue(enumHandle, "desc"), nullptr);
  EXPECT_EQ(DB_SchemaEnum_GetEnumerableKeyValue(enumHandle, "Red", "desc"), nullptr);
}

TEST_F(SchemaReflection, NeutralResultsWithNoSchema) {
  EXPECT_EQ(DB_SchemaRecord_GetCount(), 0u);
  EXPECT_EQ(DB_SchemaRecord_GetByIndex(0), 0u);
  EXPECT_EQ(DB_SchemaStruct("ItemBase"), 0u);
  EXPECT_EQ(DB_SchemaEnum("EChannel"), 0u);
  ExpectNeutral(0, 0, 0);
  ExpectNeutral(UINT64_MAX, UINT64_MAX, UINT64_MAX);
}

TEST_F(SchemaReflection, NeutralResultsAfterClose) {
  ASSERT_TRUE(LoadSchema(kWorkedExample));
  const uint64_t item = DB_SchemaStruct("ItemBase");
  const uint64_t name = DB_SchemaStruct_GetFieldByIndex(item, 0, false, 0);
  const uint64_t channel = DB_SchemaEnum("EChannel");
  ASSERT_NE(name, 0u);
  DB_Close();
  EXPECT_EQ(DB_SchemaRecord_GetCount(), 0u);
  EXPECT_EQ(DB_SchemaStruct("ItemBase"), 0u);
  EXPECT_EQ(DB_SchemaEnum("EChannel"), 0u);
  ExpectNeutral(item, name, channel);
}

TEST_F(SchemaReflection, HandlesOfTheWrongKindAreHarmless) {
  ASSERT_TRUE(LoadSchema(kWorkedExample));
  const uint64_t item = DB_SchemaStruct("ItemBase");
  const uint64_t field = DB_SchemaStruct_GetFieldByIndex(item, 0, false, 0);
  const uint64_t channel = DB_SchemaEnum("EChannel");
  ExpectNeutral(channel, item, field);
  ExpectNeutral(field, channel, item);
}

TEST_F(SchemaReflection, OutOfRangeIndicesAndNullTexts) {
  ASSERT_TRUE(LoadSchema(kWorkedExample));
  const uint64_t channel = DB_SchemaEnum("EChannel");
  const char* sentinel = "untouched";
  for (const int32_t index : {-1, 3, INT32_MAX, INT32_MIN}) {
    const char* out = sentinel;
    DB_SchemaEnum_GetEnumerableByIndex(channel, index, &out);
    EXPECT_EQ(out, sentinel) << index;
  }
  DB_SchemaEnum_GetEnumerableByIndex(channel, 0, nullptr);
  EXPECT_EQ(DB_SchemaEnum_GetKeyValue(channel, nullptr), nullptr);
  EXPECT_EQ(DB_SchemaEnum_GetEnumerableKeyValue(channel, nullptr, "desc"), nullptr);
  EXPECT_EQ(DB_SchemaEnum_GetEnumerableKeyValue(channel, "Green", nullptr), nullptr);
  EXPECT_EQ(DB_SchemaStruct_GetKeyValue(DB_SchemaStruct("ItemBase"), nullptr), nullptr);
  const uint64_t name = DB_SchemaStruct_GetFieldByIndex(DB_SchemaStruct("ItemBase"), 0, false, 0);
  DB_SchemaField_GetKeyValues(name, nullptr, nullptr);
}

TEST_F(SchemaReflection, ReloadGivesNewHandles) {
  ASSERT_TRUE(LoadSchema(kWorkedExample));
  const uint64_t before = DB_SchemaStruct("Blade");
  ASSERT_TRUE(Load());
  const uint64_t after = DB_SchemaStruct("Blade");
  EXPECT_NE(after, 0u);
  EXPECT_GT(after, before);
  EXPECT_STREQ(DB_SchemaStruct_GetName(before), "");
  EXPECT_STREQ(DB_SchemaStruct_GetName(after), "Blade");
}

}  // namespace
