#include "data/data_field.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/data_struct.h"
#include "support/data_fixture.h"
#include "support/log_capture.h"

namespace {

using Database::CDataField;
using Database::CreateObject;
using Database::ObjectPtr;
using Schema::CSchemaField;
using Schema::FieldType;

// A standalone field (no structure holds it) with its schema field.
struct Standalone {
  explicit Standalone(FieldType type) : schema(CreateObject<CSchemaField>()) {
    schema->SetName("value");
    schema->SetFieldType(type);
    field = Database::CreateField(*schema, false, nullptr);
  }
  ObjectPtr<CSchemaField> schema;
  ObjectPtr<CDataField> field;
};

TEST(DataField, ConvertsTextByStreamRules) {
  // Stream-extraction reading, then the type's text form.
  const struct {
    const char* name;
    FieldType type;
    const char* text;
    const char* expected;
  } kCases[] = {
      {"bool one", FieldType::Bool, "1", "1"},
      {"bool keeps the low byte", FieldType::Bool, "257", "1"},
      {"int8 wraps to signed", FieldType::Int8, "200", "-56"},
      {"uint8 keeps the low byte", FieldType::UInt8, "300", "44"},
      {"int16 overflow saturates", FieldType::Int16, "40000", "32767"},
      {"uint16 negative wraps", FieldType::UInt16, "-1", "65535"},
      {"int32 stops at junk", FieldType::Int32, "  -12xyz", "-12"},
      {"uint64 negative wraps", FieldType::UInt64, "-1", "18446744073709551615"},
      {"uint64 nineteen digits", FieldType::UInt64, "9999999999999999999", "9999999999999999999"},
      {"uint64 largest", FieldType::UInt64, "18446744073709551615", "18446744073709551615"},
      {"uint64 beyond the largest saturates", FieldType::UInt64, "18446744073709551616",
       "18446744073709551615"},
      {"int64 nineteen digits beyond the largest", FieldType::Int64, "9999999999999999999",
       "9223372036854775807"},
      {"int64 smallest", FieldType::Int64, "-9223372036854775808", "-9223372036854775808"},
      {"float seven digits", FieldType::Float, "0.1", "0.1"},
      {"float large", FieldType::Float, "123456789", "1.234568e+08"},
      {"double sixteen digits", FieldType::Double, "0.33333333333333331", "0.3333333333333333"},
      {"enum not checked", FieldType::Enum, "Nope", "Nope"},
      {"struct handle", FieldType::Struct, "42", "42"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Standalone value(c.type);
    value.field->SetFromText(c.text, 0);
    EXPECT_EQ(ElementTexts(value.field.get()), std::vector<std::string>{c.expected});
  }
}

TEST(DataField, AFieldWithoutParentOrSchemaIsLogged) {
  Standalone value(FieldType::Struct);
  value.schema.reset();
  ObjectPtr<Database::CDataStruct> held = Database::CDataStruct::Create();
  LogCapture log;
  EXPECT_EQ(value.field->GetName(), nullptr);
  Database::UninstateObjectIf(value.field.get(), held->GetHandle());
  EXPECT_TRUE(held->IsInstated());
  Database::ReinstateObjectIf(*value.field, held->GetHandle());
  const std::string noName =
      "X File(DataField) Line(31) Function(Database::CDataField::GetName) - DataField::GetName, "
      "could not get name. Field has no parent.";
  EXPECT_EQ(log.Lines(),
            LogLines(noName +
                     "\nX File(DataField) Line(119) Function(Database::UninstateObjectIf) - Error: "
                     "UninstateObjectIf could not uninstate field as schema was null. Speak to an "
                     "engineer.\n" +
                     noName +
                     "\nX File(DataField) Line(90) Function(Database::ReinstateObjectIf) - Could "
                     "not reinstate object. Field \"\""));
}

TEST(DataField, TheLimitFollowsTheSchemaField) {
  using Database::ElementLimit;
  const struct {
    ElementLimit limit;
    uint64_t fixedSize;
    uint64_t expected;
  } kCases[] = {
      {ElementLimit::Single, 7, 1},
      {ElementLimit::FixedLength, 7, 7},
      {ElementLimit::FixedLength, Schema::kMaxDefaultElements + 1, Schema::kMaxDefaultElements},
      {ElementLimit::ReadDynamic, 0, CDataField::kReadDynamicMax},
      {ElementLimit::DefaultsDynamic, 0, CDataField::kDefaultsDynamicMax}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(static_cast<int>(c.limit));
    Standalone value(FieldType::Int32);
    value.schema->SetFixedArraySize(c.fixedSize);
    if (c.limit != ElementLimit::Single) value.field->SetLimit(c.limit);
    EXPECT_EQ(value.field->GetMaxCount(), c.expected);
    EXPECT_EQ(value.field->GetSchema(), value.schema.get());
    // Out of service, then gone: a fixed array takes nothing more.
    Database::ObjectRegistry::Instance().UninstateObject(*value.schema);
    EXPECT_EQ(value.field->GetSchema(), nullptr);
    value.schema.reset();
    EXPECT_EQ(value.field->GetMaxCount(), c.limit == ElementLimit::FixedLength ? 0 : c.expected);
  }
}

// Enough schema fields to fill and empty whole pages of numbers.
TEST(DataField, SchemaFieldNumbersAreNeverGivenTwice) {
  std::vector<ObjectPtr<CSchemaField>> schemas(3000);
  for (auto& schema : schemas) schema.reset(CreateObject<CSchemaField>());
  const uint32_t first = schemas.front()->GetFieldId(), last = schemas.back()->GetFieldId();
  ObjectPtr<CSchemaField> kept = std::move(schemas[1500]);
  schemas.clear();
  const ObjectPtr<CSchemaField> later(CreateObject<CSchemaField>());
  EXPECT_GT(later->GetFieldId(), last);
  for (uint32_t id = first; id <= last; ++id) {
    EXPECT_EQ(CSchemaField::FindById(id), id == kept->GetFieldId() ? kept.get() : nullptr) << id;
  }
  EXPECT_EQ(CSchemaField::FindById(later->GetFieldId()), later.get());
  EXPECT_EQ(CSchemaField::FindById(0), nullptr);
  EXPECT_EQ(CSchemaField::FindById(CSchemaField::kMaxFieldId), nullptr);
}

}  // namespace
