#include "schema/model.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/database_fixture.h"

namespace {

using Database::ObjectPtr;
using Database::Resolve;
using Schema::CSchemaEnum;
using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldRange;
using Schema::SchemaRegistry;

constexpr int64_t kI64Min = std::numeric_limits<int64_t>::min();
constexpr int64_t kI64Max = std::numeric_limits<int64_t>::max();
constexpr uint64_t kU64Max = std::numeric_limits<uint64_t>::max();
constexpr double kFloatMax = 3.4028234663852886e38;

enum class Reading { None, Signed, Unsigned, Floating };

// One field declared as "// [keyValues]\n type f;" and the range it ends with.
struct RangeCase {
  const char* type;
  const char* keyValues;
  bool hasRange;
  Reading reading;
  FieldRange expected;  // compared in the reading's own form
};

FieldRange Signed(int64_t min, int64_t max, int64_t step) {
  FieldRange r{};
  r.min.sign = min;
  r.max.sign = max;
  r.step.sign = step;
  return r;
}
FieldRange Unsigned(uint64_t min, uint64_t max, uint64_t step) {
  FieldRange r{};
  r.min.unsign = min;
  r.max.unsign = max;
  r.step.unsign = step;
  return r;
}
FieldRange Floating(double min, double max, double step) {
  FieldRange r{};
  r.min.floating = min;
  r.max.floating = max;
  r.step.floating = step;
  return r;
}

const RangeCase kRangeCases[] = {
    {"int8", "", false, Reading::Signed, Signed(-128, 127, 1)},
    {"int16", "", false, Reading::Signed, Signed(-32768, 32767, 1)},
    {"int32", "", false, Reading::Signed, Signed(-2147483648LL, 2147483647, 1)},
    {"int64", "", false, Reading::Signed, Signed(kI64Min, kI64Max, 1)},
    {"uint8", "", false, Reading::Unsigned, Unsigned(0, 255, 1)},
    {"uint16", "", false, Reading::Unsigned, Unsigned(0, 65535, 1)},
    {"uint32", "", false, Reading::Unsigned, Unsigned(0, 4294967295ULL, 1)},
    {"uint64", "", false, Reading::Unsigned, Unsigned(0, kU64Max, 1)},
    {"float", "", false, Reading::Floating, Floating(-kFloatMax, kFloatMax, 1.0)},
    {"double", "", false, Reading::Floating, Floating(-DBL_MAX, DBL_MAX, 1.0)},
    {"int32", "min: 0, max: 50", true, Reading::Signed, Signed(0, 50, 0)},
    {"int32", "min: 0, max: 1000", true, Reading::Signed, Signed(0, 1000, 10)},
    {"int16", "min: -7, max: 100000, step: 3", true, Reading::Signed, Signed(-7, 100000, 3)},
    {"int32", "min: 5", false, Reading::Signed, Signed(-2147483648LL, 2147483647, 1)},
    {"int32", "max: 5, step: 2", false, Reading::Signed, Signed(-2147483648LL, 2147483647, 1)},
    {"int64", "min: abc, max: 7x, step: \" 2\"", true, Reading::Signed, Signed(0, 7, 2)},
    {"uint8", "min: -1, max: 10", true, Reading::Unsigned, Unsigned(kU64Max, 10, 0)},
    {"uint16", "min: 1, max: 201", true, Reading::Unsigned, Unsigned(1, 201, 2)},
    {"float", "min: 0, max: 1", true, Reading::Floating, Floating(0.0, 1.0, 0.01)},
    {"double", "min: 0.1, max: 2.5, step: 0.5", true, Reading::Floating,
     Floating(static_cast<double>(0.1f), 2.5, 0.5)},
    {"float", "min: 1e3, max: junk", true, Reading::Floating, Floating(1000.0, 0.0, -10.0)},
};

void ExpectRange(const FieldRange& actual, const RangeCase& c) {
  switch (c.reading) {
    case Reading::Signed:
      EXPECT_EQ(actual.min.sign, c.expected.min.sign);
      EXPECT_EQ(actual.max.sign, c.expected.max.sign);
      EXPECT_EQ(actual.step.sign, c.expected.step.sign);
      break;
    case Reading::Unsigned:
      EXPECT_EQ(actual.min.unsign, c.expected.min.unsign);
      EXPECT_EQ(actual.max.unsign, c.expected.max.unsign);
      EXPECT_EQ(actual.step.unsign, c.expected.step.unsign);
      break;
    case Reading::Floating:
      EXPECT_EQ(actual.min.floating, c.expected.min.floating);
      EXPECT_EQ(actual.max.floating, c.expected.max.floating);
      EXPECT_DOUBLE_EQ(actual.step.floating, c.expected.step.floating);
      break;
    case Reading::None:
      break;
  }
}

class SchemaModel : public DatabaseFixture {
 protected:
  const CSchemaField* LoadOneField(const std::string& type, const std::string& keyValues) {
    Reset();
    const std::string text = "enum E { A };\nstruct T { };\nrecord R { };\nstruct S {\n  // [" +
                             keyValues + "]\n  " + type + " f;\n};\n";
    if (!LoadSchema(text)) return nullptr;
    const auto* s = Resolve<CSchemaStruct>(SchemaRegistry::Instance().FindStructByName("S"));
    return s ? s->FindField("f", false, 0) : nullptr;
  }
};

TEST_F(SchemaModel, RangesPerType) {
  for (const RangeCase& c : kRangeCases) {
    SCOPED_TRACE(std::string(c.type) + " [" + c.keyValues + "]");
    const CSchemaField* field = LoadOneField(c.type, c.keyValues);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->HasRange(), c.hasRange);
    ASSERT_NE(field->GetRange(), nullptr);
    ExpectRange(*field->GetRange(), c);
  }
}

TEST_F(SchemaModel, NonNumericTypesHaveNoRange) {
  for (const char* type : {"string", "bool", "LocId", "E", "T", "R", "T @", "T *"}) {
    SCOPED_TRACE(type);
    const CSchemaField* field = LoadOneField(type, "min: 0, max: 10, step: 1");
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(field->HasRange());
    EXPECT_EQ(field->GetRange(), nullptr);
  }
}

TEST_F(SchemaModel, SetRangeFormsAndDefaultRange) {
  ObjectPtr<CSchemaField> field(Database::CreateObject<CSchemaField>());
  field->SetFieldType(Schema::FieldType::Int64);
  field->SetRange(kI64Min, kI64Max, int64_t{0});  // the difference wraps instead of overflowing
  EXPECT_TRUE(field->HasRange());
  EXPECT_EQ(field->GetRange()->step.sign, 0);
  field->SetRange(int64_t{10}, int64_t{-10}, int64_t{0});
  EXPECT_EQ(field->GetRange()->step.sign, 0);
  field->SetRange(int64_t{-300}, int64_t{0}, int64_t{0});
  EXPECT_EQ(field->GetRange()->step.sign, 3);
  const FieldRange* range = field->GetRange();
  field->SetDefaultRange();
  EXPECT_EQ(field->GetRange(), range);  // one range per field, reused
  EXPECT_FALSE(field->HasRange());
  EXPECT_EQ(range->min.sign, kI64Min);

  field->SetFieldType(Schema::FieldType::String);
  field->SetRange(0.0, 1.0, 0.0);
  field->SetDefaultRange();
  EXPECT_FALSE(field->HasRange());
}

TEST_F(SchemaModel, UpdateCommonKeyValuePairsNeedsALiveField) {
  const std::string line =
      "[Exception] [Tessella] File(Schema) Line(137) Function(Schema::UpdateCommonKeyValuePairs) "
      "- pField is NULL..";
  EXPECT_FALSE(Schema::UpdateCommonKeyValuePairs(0));
  ObjectPtr<CSchemaEnum> notAField(Database::CreateObject<CSchemaEnum>());
  EXPECT_FALSE(Schema::UpdateCommonKeyValuePairs(notAField->GetHandle()));
  EXPECT_EQ(Log().Lines(), (std::vector<LogLine>{{3, line}, {3, line}}));
}

TEST_F(SchemaModel, RepeatedKeysAndEnumerablesKeepTheFirst) {
  ObjectPtr<CSchemaStruct> structure(Database::CreateObject<CSchemaStruct>());
  structure->SetName("Ship");
  ObjectPtr<CSchemaField> field(Database::CreateObject<CSchemaField>());
  field->SetName("Speed");
  ObjectPtr<CSchemaEnum> enumeration(Database::CreateObject<CSchemaEnum>());
  enumeration->SetName("Colour");

  structure->AddKeyValue("k", "1");
  structure->AddKeyValue("k", "2");
  field->AddKeyValue("k", "1");
  field->AddKeyValue("k", "2");
  enumeration->AddKeyValue("k", "1");
  enumeration->AddKeyValue("k", "2");
  enumeration->AddEnumerable("Red");
  enumeration->AddEnumerable("Red");
  enumeration->AddEnumerableKeyValue("Red", "k", "1");
  enumeration->AddEnumerableKeyValue("Red", "k", "2");

  EXPECT_EQ(*structure->GetKeyValue("k"), "1");
  EXPECT_EQ(*field->GetKeyValue("k"), "1");
  EXPECT_EQ(*enumeration->GetKeyValue("k"), "1");
  EXPECT_EQ(*enumeration->GetEnumerableKeyValue("Red", "k"), "1");
  EXPECT_EQ(enumeration->Enumerables(), std::vector<std::string>{"Red"});
  EXPECT_EQ(enumeration->GetEnumerable(0), &enumeration->Enumerables()[0]);
  EXPECT_EQ(enumeration->GetEnumerable(1), nullptr);
  EXPECT_EQ(enumeration->GetEnumerable(-1), nullptr);
  EXPECT_EQ(
      Log().Texts(2),
      (std::vector<std::string>{
          "[Error] [Tessella] Key k already exists in KeyValuePair list for Schema Struct Ship",
          "[Error] [Tessella] Key k already exists in KeyValuePair list for Schema Struct Speed",
          "[Error] [Tessella] Key k already exists in KeyValuePair list for Schema Struct Colour",
          "[Error] [Tessella] Enumerable Red already exists in Enum list for Schema Enum Colour",
          "[Error] [Tessella] Key k already exists in KeyValuePair list for Enumerable Red in "
          "Enum Colour"}));
}

TEST_F(SchemaModel, FieldIndexWithStartAndRootFirstNumbering) {
  ASSERT_TRUE(LoadSchema("struct R { int32 a; int32 b; };\nstruct C : R { int32 c; };"));
  const SchemaRegistry& registry = SchemaRegistry::Instance();
  const auto* root = Resolve<CSchemaStruct>(registry.FindStructByName("R"));
  const auto* child = Resolve<CSchemaStruct>(registry.FindStructByName("C"));
  const auto name = [](Schema::THandle field) {
    const auto* f = Resolve<CSchemaField>(field);
    return f ? f->GetName() : std::string("<none>");
  };
  EXPECT_EQ(name(child->GetFieldByIndex(0, true, 0)), "a");
  EXPECT_EQ(name(child->GetFieldByIndex(1, true, 0)), "b");
  EXPECT_EQ(name(child->GetFieldByIndex(2, true, 0)), "c");
  EXPECT_EQ(name(child->GetFieldByIndex(3, true, 0)), "<none>");
  EXPECT_EQ(name(root->GetFieldByIndex(2, true, child->GetHandle())), "c");
  EXPECT_EQ(root->GetFieldCount(true, child->GetHandle()), 3u);
  EXPECT_EQ(root->GetFieldCount(true, root->GetFieldByIndex(0, false, 0)), 0u);  // not a struct
  EXPECT_TRUE(root->DoesInheritFrom(0));
  EXPECT_TRUE(child->DoesInheritFrom(0));
  EXPECT_FALSE(root->DoesInheritFrom(root->GetHandle()));
}

TEST_F(SchemaModel, WalksUpAHandMadeCycleEnd) {
  // The loader refuses cycles; the model still bounds its walks should one be made by hand.
  ASSERT_TRUE(LoadSchema("struct A { int32 a; };\nstruct B : A { int32 b; };"));
  SchemaRegistry& registry = SchemaRegistry::Instance();
  auto* a = Resolve<CSchemaStruct>(registry.FindStructByName("A"));
  const auto* b = Resolve<CSchemaStruct>(registry.FindStructByName("B"));
  a->SetInheritsFrom(b->GetHandle());
  EXPECT_GT(b->GetFieldCount(true, 0), 2u);
  EXPECT_NE(b->GetFieldByIndex(0, true, 0), 0u);
  EXPECT_EQ(b->GetFieldByName("missing", true, 0), 0u);
  EXPECT_FALSE(b->DoesInheritFrom(12345678));
  EXPECT_EQ(a->StructsThatInheritFromMe().size(), 1u);
  a->SetInheritsFrom(0);
}

TEST_F(SchemaModel, ClearSchemaDestroysEverythingThroughTheRegistry) {
  ASSERT_TRUE(LoadSchema("enum E { A };\nstruct S { int32 x; };\nrecord R { S s; };"));
  SchemaRegistry& registry = SchemaRegistry::Instance();
  const Schema::THandle s = registry.FindStructByName("S");
  const Schema::THandle r = registry.FindRecordByName("R");
  const Schema::THandle e = registry.FindEnumByName("E");
  const Schema::THandle x = Resolve<CSchemaStruct>(s)->GetFieldByIndex(0, false, 0);
  ASSERT_NE(x, 0u);

  registry.ClearSchema();
  for (const Schema::THandle handle : {s, r, e, x}) {
    EXPECT_EQ(Database::ObjectRegistry::Instance().FindObjectAnyState(handle), nullptr);
  }
  EXPECT_EQ(registry.FindStructByName("S"), 0u);
  EXPECT_EQ(registry.FindRecordByName("R"), 0u);
  EXPECT_EQ(registry.FindEnumByName("E"), 0u);
  EXPECT_TRUE(registry.SchemaStructs().empty());
  EXPECT_TRUE(registry.SchemaRecords().empty());
  EXPECT_TRUE(registry.SchemaEnums().empty());
  Schema::FieldType type{};
  EXPECT_TRUE(registry.LookupTypeKeyword("uint", &type));  // keywords stay
  EXPECT_EQ(type, Schema::FieldType::UInt32);
  registry.ClearSchema();  // harmless when empty
}

TEST(TypeKeywords, TwentyKeywordsExactAndCaseSensitive) {
  const SchemaRegistry& registry = SchemaRegistry::Instance();
  const std::pair<const char*, uint32_t> keywords[] = {
      {"bool", 1},    {"int8", 2},    {"char", 2},   {"int16", 3},   {"int32", 4},
      {"int", 4},     {"int64", 5},   {"uint8", 6},  {"uchar", 6},   {"uint16", 7},
      {"uint32", 8},  {"uint", 8},    {"uint64", 9}, {"string", 10}, {"float", 11},
      {"double", 12}, {"loc_id", 13}, {"LocId", 13}, {"enum", 14},   {"struct", 15}};
  for (const auto& [keyword, code] : keywords) {
    Schema::FieldType type{};
    EXPECT_TRUE(registry.LookupTypeKeyword(keyword, &type)) << keyword;
    EXPECT_EQ(static_cast<uint32_t>(type), code) << keyword;
  }
  for (const char* other : {"Int32", "record", "locid", "String", ""}) {
    EXPECT_FALSE(registry.LookupTypeKeyword(other, nullptr)) << other;
  }
}

}  // namespace
