#include "data/data_field.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/data_struct.h"
#include "support/log_capture.h"

namespace {

using Database::CDataField;
using Database::CreateObject;
using Database::ElementKind;
using Database::FieldAs;
using Database::kAppendIndex;
using Database::ObjectPtr;
using Schema::CSchemaField;
using Schema::FieldOption;
using Schema::FieldType;

// A standalone field (no structure holds it) with its schema field.
struct Standalone {
  explicit Standalone(FieldType type, FieldOption option = FieldOption::OptionNone)
      : schema(CreateObject<CSchemaField>()) {
    schema->SetName("value");
    schema->SetFieldType(type);
    schema->SetFieldOption(option);
    field = Database::CreateField(*schema, false, nullptr);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (int32_t index = 0; index < static_cast<int32_t>(field->GetCount()); ++index) {
      texts.push_back(field->GetAsText(index));
    }
    return texts;
  }
  ObjectPtr<CSchemaField> schema;
  ObjectPtr<CDataField> field;
};

struct ConversionCase {
  const char* name;
  FieldType type;
  const char* text;
  const char* expected;
};

// Stream-extraction reading, then the type's text form.
constexpr ConversionCase kConversions[] = {
    {"bool one", FieldType::Bool, "1", "1"},
    {"bool word is no number", FieldType::Bool, "true", "0"},
    {"bool keeps the low byte", FieldType::Bool, "257", "1"},
    {"int8 wraps to signed", FieldType::Int8, "200", "-56"},
    {"uint8 negative wraps", FieldType::UInt8, "-56", "200"},
    {"uint8 keeps the low byte", FieldType::UInt8, "300", "44"},
    {"int16 minimum", FieldType::Int16, "-32768", "-32768"},
    {"int16 overflow saturates", FieldType::Int16, "40000", "32767"},
    {"uint16 negative wraps", FieldType::UInt16, "-1", "65535"},
    {"int32 stops at junk", FieldType::Int32, "  -12xyz", "-12"},
    {"int32 no digits", FieldType::Int32, "abc", "0"},
    {"int32 plus sign", FieldType::Int32, "+42", "42"},
    {"locid as int32", FieldType::LocId, "-7", "-7"},
    {"uint32 negative wraps", FieldType::UInt32, "-1", "4294967295"},
    {"int64 wide", FieldType::Int64, "-9000000000", "-9000000000"},
    {"uint64 negative wraps", FieldType::UInt64, "-1", "18446744073709551615"},
    {"float seven digits", FieldType::Float, "0.1", "0.1"},
    {"float large", FieldType::Float, "123456789", "1.234568e+08"},
    {"double sixteen digits", FieldType::Double, "0.33333333333333331", "0.3333333333333333"},
    {"double exponent", FieldType::Double, "1e-300", "1e-300"},
    {"string unchanged", FieldType::String, " a b ", " a b "},
    {"enum not checked", FieldType::Enum, "Nope", "Nope"},
    {"struct handle", FieldType::Struct, "42", "42"},
};

TEST(DataField, ConvertsTextByStreamRules) {
  for (const ConversionCase& c : kConversions) {
    SCOPED_TRACE(c.name);
    Standalone value(c.type);
    value.field->SetFromText(c.text, 0);
    EXPECT_EQ(value.Texts(), std::vector<std::string>{c.expected});
  }
}

struct GrowthCase {
  const char* name;
  FieldType type;
  std::vector<std::string> expected;
};

// Setting element 2 of an empty field from "5" grows it first.
TEST(DataField, SetFromTextGrowsWithZeroOrTheNewValue) {
  const GrowthCase cases[] = {
      {"int32 grows with zero", FieldType::Int32, {"0", "0", "5"}},
      {"float grows with zero", FieldType::Float, {"0", "0", "5"}},
      {"uint8 grows with the value", FieldType::UInt8, {"5", "5", "5"}},
      {"bool grows with the value", FieldType::Bool, {"5", "5", "5"}},
      {"string grows with the value", FieldType::String, {"5", "5", "5"}},
      {"struct grows with all bits set",
       FieldType::Struct,
       {"18446744073709551615", "18446744073709551615", "5"}},
  };
  for (const GrowthCase& c : cases) {
    SCOPED_TRACE(c.name);
    Standalone value(c.type);
    value.field->SetFromText("5", 2);
    EXPECT_EQ(value.Texts(), c.expected);
  }
}

TEST(DataField, InsertRespectsTheMaximumCount) {
  Standalone single(FieldType::Int32);
  EXPECT_EQ(single.field->InsertFromText("1", kAppendIndex), 0u);
  EXPECT_EQ(single.field->InsertFromText("2", kAppendIndex), kAppendIndex);
  EXPECT_EQ(single.Texts(), std::vector<std::string>{"1"});

  Standalone array(FieldType::String);
  array.field->SetMaxCount(3);
  EXPECT_EQ(array.field->InsertFromText("b", kAppendIndex), 0u);
  EXPECT_EQ(array.field->InsertFromText("a", 0), 0u);
  EXPECT_EQ(array.field->InsertFromText("c", kAppendIndex), 2u);
  EXPECT_EQ(array.field->InsertFromText("d", 1), 1u);
  EXPECT_EQ(array.Texts(), (std::vector<std::string>{"a", "b", "c"}));
}

// Every field class shares the element operations: counting, the maximum count, positions of
// insertion, swapping and clearing.
class EveryFieldClass : public testing::TestWithParam<std::pair<FieldType, FieldOption>> {};

TEST_P(EveryFieldClass, SharesTheElementOperations) {
  // Zero texts: a structure field takes the text as a handle, and 0 names no object.
  Standalone value(GetParam().first, GetParam().second);
  CDataField& field = *value.field;
  EXPECT_EQ(field.GetCount(), 0u);
  EXPECT_EQ(field.InsertFromText("0", kAppendIndex), 0u);
  EXPECT_EQ(field.InsertFromText("0", kAppendIndex), kAppendIndex) << "a single value is full";
  EXPECT_EQ(field.GetCount(), 1u);
  field.SetMaxCount(3);
  EXPECT_EQ(field.InsertFromText("0", 0), 0u);
  EXPECT_EQ(field.InsertFromText("0", kAppendIndex), 2u);
  EXPECT_EQ(field.InsertFromText("0", 1), 1u);
  EXPECT_EQ(field.GetCount(), 3u);
  EXPECT_TRUE(field.SwapElements(0, 2));
  EXPECT_FALSE(field.SwapElements(1, 2));
  EXPECT_EQ(field.GetAsText(3), "");
  field.ClearElements();
  EXPECT_EQ(field.GetCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    DataField, EveryFieldClass,
    testing::Values(std::pair{FieldType::Bool, FieldOption::OptionNone},
                    std::pair{FieldType::Int8, FieldOption::OptionNone},
                    std::pair{FieldType::Int16, FieldOption::OptionNone},
                    std::pair{FieldType::Int32, FieldOption::OptionNone},
                    std::pair{FieldType::Int64, FieldOption::OptionNone},
                    std::pair{FieldType::UInt8, FieldOption::OptionNone},
                    std::pair{FieldType::UInt16, FieldOption::OptionNone},
                    std::pair{FieldType::UInt32, FieldOption::OptionNone},
                    std::pair{FieldType::UInt64, FieldOption::OptionNone},
                    std::pair{FieldType::String, FieldOption::OptionNone},
                    std::pair{FieldType::Float, FieldOption::OptionNone},
                    std::pair{FieldType::Double, FieldOption::OptionNone},
                    std::pair{FieldType::LocId, FieldOption::OptionNone},
                    std::pair{FieldType::Enum, FieldOption::OptionNone},
                    std::pair{FieldType::Struct, FieldOption::OptionNone},
                    std::pair{FieldType::Struct, FieldOption::OptionPointer},
                    std::pair{FieldType::Struct, FieldOption::OptionWeakPointer},
                    std::pair{FieldType::Reference, FieldOption::OptionAmpersand}));

TEST(DataField, SwapsOnlyInsideTheArray) {
  struct Case {
    int32_t index;
    int32_t offset;
    bool swapped;
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {0, 1, true, {"y", "x", "z"}},   {2, -2, true, {"z", "y", "x"}},
      {1, 0, true, {"x", "y", "z"}},   {2, 1, false, {"x", "y", "z"}},
      {-1, 1, false, {"x", "y", "z"}}, {0, -1, false, {"x", "y", "z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.index << " by " << c.offset);
    Standalone value(FieldType::String);
    value.field->SetMaxCount(3);
    for (const char* text : {"x", "y", "z"}) value.field->InsertFromText(text, kAppendIndex);
    EXPECT_EQ(value.field->SwapElements(c.index, c.offset), c.swapped);
    EXPECT_EQ(value.Texts(), c.after);
  }
}

TEST(DataField, TypedAccessEditsElementsInPlace) {
  Standalone value(FieldType::Int32);
  auto& values = FieldAs<ElementKind::Bits32>(value.field.get())->Values();
  values.SetValue(static_cast<uint32_t>(-3), 1);
  values.Insert(0, 9);
  values.Erase(1);
  EXPECT_EQ(value.Texts(), (std::vector<std::string>{"9", "-3"}));
  EXPECT_EQ(value.field->ReadStored<int32_t>(1), -3);
  EXPECT_EQ(value.field->ReadStored<uint32_t>(1), 4294967293u);
  EXPECT_EQ(value.field->ReadStored<int16_t>(0), 0) << "another width reads as neutral";
  EXPECT_EQ(value.field->ReadStored<int32_t>(2), 0) << "beyond the end reads as neutral";
  EXPECT_EQ(FieldAs<ElementKind::Text>(value.field.get()), nullptr);
}

TEST(DataField, FieldWithoutParentHasNoName) {
  LogCapture log;
  Standalone value(FieldType::Int32);
  EXPECT_EQ(value.field->GetName(), nullptr);
  EXPECT_EQ(log.Texts(), std::vector<std::string>{
                             "[Exception] [Tessella] File(DataField) Line(31) "
                             "Function(Database::CDataField::GetName) - DataField::GetName, could "
                             "not get name. Field has no parent."});
}

TEST(DataField, InstatingThroughAFieldWithoutSchemaIsLogged) {
  Standalone value(FieldType::Struct);
  value.schema.reset();
  ObjectPtr<Database::CDataStruct> held = Database::CDataStruct::Create();
  LogCapture log;
  Database::UninstateObjectIf(value.field.get(), held->GetHandle());
  EXPECT_TRUE(held->IsInstated());
  Database::ReinstateObjectIf(*value.field, held->GetHandle());
  EXPECT_EQ(log.Texts(),
            (std::vector<std::string>{
                "[Exception] [Tessella] File(DataField) Line(119) "
                "Function(Database::UninstateObjectIf) - Error: UninstateObjectIf could not "
                "uninstate field as schema was null. Speak to an engineer.",
                "[Exception] [Tessella] File(DataField) Line(31) "
                "Function(Database::CDataField::GetName) - DataField::GetName, could not get name. "
                "Field has no parent.",
                "[Exception] [Tessella] File(DataField) Line(90) "
                "Function(Database::ReinstateObjectIf) - Could not reinstate object. Field \"\""}));
}

}  // namespace
