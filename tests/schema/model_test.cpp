#include "schema/model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "support/database_fixture.h"

namespace {

using Database::ObjectPtr;
using Database::Resolve;
using Schema::CSchemaEnum;
using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldType;
using Schema::SchemaRegistry;

// The field's range as "min max step" in its type's own reading, led by "- " when HasRange is
// false; "none" without a range.
std::string RangeText(const CSchemaField& field) {
  const Schema::FieldRange* range = field.GetRange();
  if (!range) return "none";
  std::ostringstream out;
  out.precision(9);
  if (!field.HasRange()) out << "- ";
  const FieldType type = field.GetFieldType();
  for (const Schema::RangeValue& value : {range->min, range->max, range->step}) {
    if (type == FieldType::Float || type == FieldType::Double) {
      out << value.floating << " ";
    } else if (type >= FieldType::UInt8 && type <= FieldType::UInt64) {
      out << value.unsign << " ";
    } else {
      out << value.sign << " ";
    }
  }
  std::string text = out.str();
  text.pop_back();
  return text;
}

class SchemaModel : public DatabaseFixture {};

TEST_F(SchemaModel, RangesFromKeyValues) {
  const struct {
    const char* type;
    const char* keyValues;
    const char* range;
  } kCases[] = {
      {"int32", "min: 0, max: 50", "0 50 0"},
      {"int32", "min: 0, max: 1000", "0 1000 10"},
      {"int16", "min: -7, max: 100000, step: 3", "-7 100000 3"},
      {"int32", "min: 5", "- -2147483648 2147483647 1"},
      {"int32", "max: 5, step: 2", "- -2147483648 2147483647 1"},
      {"int64", "min: abc, max: 7x, step: \" 2\"", "0 7 2"},
      {"uint8", "min: -1, max: 10", "18446744073709551615 10 0"},
      {"uint16", "min: 1, max: 201", "1 201 2"},
      {"float", "min: 0, max: 1", "0 1 0.01"},
      {"double", "min: 0.1, max: 2.5, step: 0.5", "0.100000001 2.5 0.5"},
      {"float", "min: 1e3, max: junk", "1000 0 -10"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.type) + " [" + c.keyValues + "]");
    Reset();
    ASSERT_TRUE(LoadSchema("struct S {\n  // [" + std::string(c.keyValues) + "]\n  " + c.type +
                           " f;\n};\n"));
    EXPECT_EQ(RangeText(*Resolve<CSchemaField>(
                  DB_SchemaStruct_GetFieldByIndex(DB_SchemaStruct("S"), 0, false, 0))),
              c.range);
  }
  for (const char* type : {"string", "bool", "LocId", "E", "T", "R", "T @", "T *"}) {
    SCOPED_TRACE(type);
    Reset();
    ASSERT_TRUE(
        LoadSchema("enum E { A };\nstruct T { };\nrecord R { };\nstruct S {\n"
                   "  // [min: 0, max: 10, step: 1]\n  " +
                   std::string(type) + " f;\n};\n"));
    EXPECT_EQ(RangeText(*Resolve<CSchemaField>(
                  DB_SchemaStruct_GetFieldByIndex(DB_SchemaStruct("S"), 0, false, 0))),
              "none");
  }
}

TEST_F(SchemaModel, SetRangeWrapsAndTheDefaultRangeReusesTheRange) {
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  ObjectPtr<CSchemaField> field(Database::CreateObject<CSchemaField>());
  field->SetFieldType(FieldType::Int64);
  field->SetRange(kMin, kMax, int64_t{0});  // the difference wraps instead of overflowing
  EXPECT_EQ(RangeText(*field), "-9223372036854775808 9223372036854775807 0");
  field->SetRange(int64_t{10}, int64_t{-10}, int64_t{0});
  EXPECT_EQ(RangeText(*field), "10 -10 0");
  field->SetRange(int64_t{-300}, int64_t{0}, int64_t{0});
  EXPECT_EQ(RangeText(*field), "-300 0 3");
  const Schema::FieldRange* range = field->GetRange();
  field->SetDefaultRange();
  EXPECT_EQ(field->GetRange(), range);
  EXPECT_EQ(RangeText(*field), "- -9223372036854775808 9223372036854775807 1");
  field->SetFieldType(FieldType::String);
  field->SetRange(0.0, 1.0, 0.0);
  field->SetDefaultRange();
  EXPECT_FALSE(field->HasRange());
}

TEST_F(SchemaModel, RepeatedKeysAndEnumerablesKeepTheFirstAndKeyValuesNeedALiveField) {
  ObjectPtr<CSchemaStruct> structure(Database::CreateObject<CSchemaStruct>());
  structure->SetName("Ship");
  ObjectPtr<CSchemaField> field(Database::CreateObject<CSchemaField>());
  field->SetName("Speed");
  ObjectPtr<CSchemaEnum> enumeration(Database::CreateObject<CSchemaEnum>());
  enumeration->SetName("Colour");
  for (const char* value : {"1", "2"}) {
    structure->AddKeyValue("k", value);
    field->AddKeyValue("k", value);
    enumeration->AddKeyValue("k", value);
    enumeration->AddEnumerable("Red");
    enumeration->AddEnumerableKeyValue("Red", "k", value);
  }
  EXPECT_EQ(*structure->GetKeyValue("k"), "1");
  EXPECT_EQ(*field->GetKeyValue("k"), "1");
  EXPECT_EQ(*enumeration->GetKeyValue("k"), "1");
  EXPECT_EQ(*enumeration->GetEnumerableKeyValue("Red", "k"), "1");
  EXPECT_EQ(enumeration->Enumerables(), std::vector<std::string>{"Red"});
  EXPECT_EQ(enumeration->GetEnumerable(0), &enumeration->Enumerables()[0]);
  EXPECT_EQ(enumeration->GetEnumerable(1), nullptr);
  EXPECT_EQ(enumeration->GetEnumerable(-1), nullptr);
  EXPECT_FALSE(Schema::UpdateCommonKeyValuePairs(0));
  EXPECT_FALSE(Schema::UpdateCommonKeyValuePairs(enumeration->GetHandle()));
  const std::string notAField =
      "X File(Schema) Line(137) Function(Schema::UpdateCommonKeyValuePairs) - pField is NULL..";
  EXPECT_EQ(Log().Lines(),
            LogLines("E Key k already exists in KeyValuePair list for Schema Struct Ship\n"
                     "E Key k already exists in KeyValuePair list for Schema Struct Speed\n"
                     "E Key k already exists in KeyValuePair list for Schema Struct Colour\n"
                     "E Enumerable Red already exists in Enum list for Schema Enum Colour\n"
                     "E Key k already exists in KeyValuePair list for Enumerable Red in Enum "
                     "Colour\n" +
                     notAField + "\n" + notAField));
}

TEST_F(SchemaModel, WalksUpAHandMadeCycleEnd) {
  // The loader refuses cycles; the model still bounds its walks should one be made by hand.
  ASSERT_TRUE(LoadSchema("struct A { int32 a; };\nstruct B : A { int32 b; };"));
  auto* a = Resolve<CSchemaStruct>(DB_SchemaStruct("A"));
  const auto* b = Resolve<CSchemaStruct>(DB_SchemaStruct("B"));
  a->SetInheritsFrom(b->GetHandle());
  EXPECT_GT(b->GetFieldCount(true, 0), 2u);
  EXPECT_NE(b->GetFieldByIndex(0, true, 0), 0u);
  EXPECT_EQ(b->GetFieldByName("missing", true, 0), 0u);
  EXPECT_FALSE(b->DoesInheritFrom(12345678));
  EXPECT_EQ(a->StructsThatInheritFromMe().size(), 1u);
  a->SetInheritsFrom(0);
}

TEST_F(SchemaModel, ClearSchemaDestroysEverythingButTheKeywords) {
  ASSERT_TRUE(LoadSchema("enum E { A };\nstruct S { int32 x; };\nrecord R { S s; };"));
  SchemaRegistry& registry = SchemaRegistry::Instance();
  const Schema::THandle s = registry.FindStructByName("S");
  const Schema::THandle handles[] = {s, registry.FindRecordByName("R"),
                                     registry.FindEnumByName("E"),
                                     Resolve<CSchemaStruct>(s)->GetFieldByIndex(0, false, 0)};
  registry.ClearSchema();
  for (const Schema::THandle handle : handles) {
    EXPECT_EQ(Database::ObjectRegistry::Instance().FindObjectAnyState(handle), nullptr);
  }
  EXPECT_EQ(registry.FindRecordByName("R"), 0u);
  EXPECT_TRUE(registry.SchemaStructs().empty());
  EXPECT_TRUE(registry.SchemaRecords().empty());
  EXPECT_TRUE(registry.SchemaEnums().empty());
  registry.ClearSchema();  // harmless when empty

  // Twenty keywords, exact and case-sensitive.
  const std::pair<const char*, uint32_t> keywords[] = {
      {"bool", 1},    {"int8", 2},    {"char", 2},   {"int16", 3},   {"int32", 4},
      {"int", 4},     {"int64", 5},   {"uint8", 6},  {"uchar", 6},   {"uint16", 7},
      {"uint32", 8},  {"uint", 8},    {"uint64", 9}, {"string", 10}, {"float", 11},
      {"double", 12}, {"loc_id", 13}, {"LocId", 13}, {"enum", 14},   {"struct", 15}};
  for (const auto& [keyword, code] : keywords) {
    FieldType type{};
    EXPECT_TRUE(registry.LookupTypeKeyword(keyword, &type)) << keyword;
    EXPECT_EQ(static_cast<uint32_t>(type), code) << keyword;
  }
  for (const char* other : {"Int32", "record", "locid", "String", ""}) {
    EXPECT_FALSE(registry.LookupTypeKeyword(other, nullptr)) << other;
  }
}

}  // namespace
