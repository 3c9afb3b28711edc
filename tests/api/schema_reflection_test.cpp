// The schema reflection exports, exercised only through the public header.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "support/database_fixture.h"
#include "tessella.h"

namespace {

// The worked example of the schema language.
constexpr const char* kWorkedExample = R"(// [desc: "Colour channels"]
enum EChannel
{
    Red,
    // [desc: "The green one"]
    Green,
    Blue
};
struct ItemBase
// [category: items]
{
    // [desc: "Shown in lists"]
    string Name;
    // [min: 0, max: 100, step: 5]
    int32 Weight;
    EChannel Tint;
};
struct Blade : ItemBase { float Length; uint8[4] Runes; };
record Armory { Blade @ [] Blades; ItemBase * Favourite; Armory & Other; };
)";

using Handles = std::vector<uint64_t>;

std::string TextOf(const char* text) { return text ? text : "<null>"; }

// "min max step" in the reading of the field's type, led by "~" when HasRange is false; "-"
// without a range.
std::string RangeText(uint64_t field) {
  const void* range = DB_SchemaField_GetRange(field);
  if (!range) return DB_SchemaField_HasRange(field) ? "range without values" : "-";
  std::ostringstream out;
  out.precision(17);
  out << (DB_SchemaField_HasRange(field) ? "" : "~");
  const uint32_t type = DB_SchemaField_GetFieldType(field);
  for (int i = 0; i < 3; ++i) {
    if (type == TESSELLA_FIELD_FLOAT || type == TESSELLA_FIELD_DOUBLE) {
      out << static_cast<const double*>(range)[i];
    } else if (type >= TESSELLA_FIELD_UINT8 && type <= TESSELLA_FIELD_UINT64) {
      out << static_cast<const uint64_t*>(range)[i];
    } else {
      out << static_cast<const int64_t*>(range)[i];
    }
    out << (i < 2 ? " " : "");
  }
  return out.str();
}

// Each field as the host reads it, one line each: "name type/option/storage typeName desc range"
// (the three type-name exports must agree); with full false only the names, joined by blanks.
std::string Fields(uint64_t structure, bool inherited, uint64_t start, bool full = true) {
  std::string text;
  for (uint64_t i = 0; i < DB_SchemaStruct_GetFieldCount(structure, inherited, start); ++i) {
    const uint64_t field =
        DB_SchemaStruct_GetFieldByIndex(structure, static_cast<int32_t>(i), inherited, start);
    text += TextOf(DB_SchemaField_GetName(field)) + " ";
    if (!full) continue;
    const std::string typeName = TextOf(DB_SchemaField_GetEnumName(field));
    const bool same = TextOf(DB_SchemaField_GetStructName(field)) == typeName &&
                      TextOf(DB_SchemaField_GetRecordName(field)) == typeName;
    text += std::to_string(DB_SchemaField_GetFieldType(field)) + "/" +
            std::to_string(DB_SchemaField_GetFieldOption(field)) + "/" +
            std::to_string(DB_SchemaField_GetFieldStorageType(field)) + " " +
            (same ? typeName : "<differ>") + " " + TextOf(DB_SchemaField_GetDescription(field)) +
            " " + RangeText(field) + "\n";
  }
  return text;
}

class SchemaReflection : public DatabaseFixture {};

TEST_F(SchemaReflection, WorkedExampleReadsBack) {
  ASSERT_TRUE(LoadSchema(kWorkedExample, "Schema/example.sch"));
  // Names, owner files, descriptions, enumerables in order, key-values in key order and the
  // structures that inherit from one are listed by the CLI's schema cases; here the type codes,
  // the keys that are absent and the lookups.
  const uint64_t channel = DB_SchemaEnum("EChannel");
  EXPECT_EQ(TextOf(DB_SchemaEnum_GetEnumerableKeyValue(channel, "Green", "desc")), "The green one");
  EXPECT_EQ(DB_SchemaEnum_GetEnumerableKeyValue(channel, "Red", "desc"), nullptr);
  const uint64_t item = DB_SchemaStruct("ItemBase");
  const uint64_t blade = DB_SchemaStruct("Blade");
  const uint64_t armory = DB_SchemaStruct("Armory");
  EXPECT_EQ(TextOf(DB_SchemaStruct_GetKeyValue(item, "category")), "items");
  EXPECT_EQ(DB_SchemaStruct_GetKeyValue(blade, "category"), nullptr);
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(blade), item);
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(item), 0u);
  ASSERT_EQ(DB_SchemaRecord_GetCount(), 1u);
  EXPECT_EQ(DB_SchemaRecord_GetByIndex(0), armory);
  EXPECT_EQ(Fields(blade, true, 0),
            "Name 10/0/0 <null> Shown in lists -\n"
            "Weight 4/0/0 <null> <null> 0 100 5\n"
            "Tint 14/0/0 EChannel <null> -\n"
            "Length 11/0/0 <null> <null> ~-3.4028234663852886e+38 3.4028234663852886e+38 1\n"
            "Runes 6/0/2 <null> <null> ~0 255 1\n");
  EXPECT_EQ(Fields(armory, false, 0),
            "Blades 15/1/1 Blade <null> -\nFavourite 15/2/0 ItemBase <null> -\n"
            "Other 16/3/0 Armory <null> -\n");
  // Lookups by name are exact and kind-specific.
  EXPECT_EQ(
      (Handles{DB_SchemaStruct("Armory"), DB_SchemaEnum("ItemBase"), DB_SchemaStruct("EChannel"),
               DB_SchemaStruct("itembase"), DB_SchemaStruct(nullptr), DB_SchemaEnum(nullptr),
               DB_SchemaRecord_GetByIndex(-1), DB_SchemaRecord_GetByIndex(1)}),
      (Handles{armory, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SchemaReflection, KeywordsAreExactAndWinOverStructuresOfTheirName) {
  ASSERT_TRUE(LoadSchema(
      "struct Int32 { };\nstruct int32 { };\nstruct K { bool a; int8 b; char c; int16 d; int32 e; "
      "int f; int64 g; uint8 h; uchar i; uint16 j; uint32 k; uint l; uint64 m; string n; float o; "
      "double p; loc_id q; LocId r; Int32 s; };"));
  std::string types;
  const uint64_t k = DB_SchemaStruct("K");
  for (int32_t i = 0; i < static_cast<int32_t>(DB_SchemaStruct_GetFieldCount(k, false, 0)); ++i) {
    types += std::to_string(
                 DB_SchemaField_GetFieldType(DB_SchemaStruct_GetFieldByIndex(k, i, false, 0))) +
             " ";
  }
  EXPECT_EQ(types, "1 2 2 3 4 4 5 6 6 7 8 8 9 10 11 12 13 13 15 ");
}

TEST_F(SchemaReflection, InheritanceAcrossThreeLevels) {
  ASSERT_TRUE(
      LoadSchema("struct A { int32 a0; int32 a1; };\nstruct B : A { int32 b0; int32 shared; };\n"
                 "struct C : B { int32 c0; int32 shared; };\nstruct Other { int32 o0; };\n"));
  const uint64_t a = DB_SchemaStruct("A"), b = DB_SchemaStruct("B"), c = DB_SchemaStruct("C"),
                 other = DB_SchemaStruct("Other");
  const auto byIndex = [](uint64_t s, int32_t i, bool inherited, uint64_t start) {
    return DB_SchemaStruct_GetFieldByIndex(s, i, inherited, start);
  };
  const auto byName = [](uint64_t s, const char* name, bool inherited, uint64_t start) {
    return DB_SchemaStruct_GetFieldByName(s, name, inherited, start);
  };
  EXPECT_EQ((Handles{DB_SchemaStruct_StructsThatInheritFromMeCount(a),
                     DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, 0),
                     DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, 1),
                     DB_SchemaStruct_StructsThatInheritFromMeByIndex(a, 2),
                     DB_SchemaStruct_StructsThatInheritFromMeCount(c),
                     DB_SchemaStruct_DoesInheritFrom(c, a), DB_SchemaStruct_DoesInheritFrom(c, b),
                     DB_SchemaStruct_DoesInheritFrom(a, c), DB_SchemaStruct_DoesInheritFrom(c, c),
                     DB_SchemaStruct_DoesInheritFrom(a, 0)}),
            (Handles{2, b, c, 0, 0, 1, 1, 0, 0, 1}));

  // With inheritance the root's fields come first; a start replaces the structure for counting
  // and numbering. By name the nearest declaration wins; a start is searched after the
  // structure's own fields.
  EXPECT_EQ(Fields(c, true, 0, false), "a0 a1 b0 shared c0 shared ");
  EXPECT_EQ(Fields(c, false, 0, false), "c0 shared ");
  EXPECT_EQ(Fields(a, true, c, false), "a0 a1 b0 shared c0 shared ");
  EXPECT_EQ(Fields(a, false, b, false), "b0 shared ");
  EXPECT_EQ(
      (Handles{byIndex(0, 0, true, b), byIndex(c, 6, true, 0), byIndex(c, 2, false, 0),
               byIndex(c, -1, true, 0), byName(c, "shared", true, 0), byName(c, "a1", false, 0),
               byName(c, "a1", true, 0), byName(other, "b0", true, 0), byName(other, "b0", true, c),
               byName(other, "o0", true, c), byName(other, "shared", true, c),
               byName(c, nullptr, true, 0)}),
      (Handles{byIndex(a, 0, true, 0), 0, 0, 0, byIndex(c, 1, false, 0), 0, byIndex(a, 1, false, 0),
               0, byIndex(b, 0, false, 0), byIndex(other, 0, false, 0), byIndex(c, 1, false, 0),
               0}));
}

// A declared range needs both min and max; values are read like atoll and atof (junk reads as
// 0), Float and Double bounds are rounded through 32-bit float whatever the build's optimisation,
// a missing step is a hundredth of the span, and only numeric
// fields have a range.
TEST_F(SchemaReflection, RangesFromKeyValues) {
  const struct {
    const char* type;
    const char* keyValues;
    const char* range;
  } kCases[] = {
      {"int32", "min: 0, max: 50", "0 50 0"},
      {"int32", "min: 0, max: 1000", "0 1000 10"},
      {"int32", "min: 10, max: -10", "10 -10 0"},
      {"int16", "min: -7, max: 100000, step: 3", "-7 100000 3"},
      {"int16", "desc: plain", "~-32768 32767 1"},
      {"int32", "min: 5", "~-2147483648 2147483647 1"},
      {"int64", "min: abc, max: 7x, step: \" 2\"", "0 7 2"},
      {"int64", "", "~-9223372036854775808 9223372036854775807 1"},
      {"uint8", "min: -1, max: 10", "18446744073709551615 10 0"},
      {"float", "min: 0, max: 1", "0 1 0.01"},
      {"float", "min: -0.7, max: 1.3, step: 0.2",
       "-0.69999998807907104 1.2999999523162842 0.20000000298023224"},
      {"double", "min: 0.1, max: 0.5", "0.10000000149011612 0.5 0.003999999985098839"},
      {"float", "min: 1e3, max: junk", "1000 0 -10"},
      {"string", "min: 0, max: 10, step: 1", "-"},
      {"LocId", "min: 0, max: 1", "-"},
      {"T", "min: 0, max: 1", "-"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.type) + " [" + c.keyValues + "]");
    Reset();
    ASSERT_TRUE(LoadSchema("enum E { A };\nstruct T { };\nrecord R { };\nstruct S {\n  // [" +
                           std::string(c.keyValues) + "]\n  " + c.type + " f;\n};\n"));
    EXPECT_EQ(RangeText(DB_SchemaStruct_GetFieldByIndex(DB_SchemaStruct("S"), 0, false, 0)),
              c.range);
  }
}

}  // namespace
