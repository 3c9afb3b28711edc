#include "data/data_struct.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_record.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataField;
using Database::CDataRecord;
using Database::CDataStruct;
using Database::ObjectPtr;
using Database::Resolve;
using Database::THandle;

constexpr const char* kDefaultsSchema =
    "enum EColour { Red, Green, Blue };\nstruct Base {\n// [default: 5]\nint32 a; };\n"
    "struct Derived : Base {\n// [default: \"x y\"]\nstring c; };\nrecord Defaults {\n"
    "// [default: True]\nbool[3] flags;\n// [default: yes]\nbool word;\n"
    "// [default: 10]\nbool digit;\n// [default: 5]\nint32[3] fives;\n"
    "// [default: \"-1\"]\nuint8 wraps;\n// [default: 2.5]\nfloat f;\n"
    "// [default: \"hello world\"]\nstring s;\n// [default: Green]\nEColour good;\n"
    "// [default: Purple]\nEColour bad;\ndouble d; string empty; EColour none; int32[] dynamic; "
    "Base value;\nBase @ pointer; Base * weak; Defaults & ref; };";

// The elements of a field joined by '|'.
std::string Joined(CDataField* field) {
  std::string joined;
  for (const std::string& text : ElementTexts(field)) joined += (joined.empty() ? "" : "|") + text;
  return joined;
}

std::string FieldNames(const CDataStruct& structure) {
  std::string names;
  for (size_t index = 0; index < structure.GetFieldCount(); ++index) {
    names += structure.GetFieldName(index) + " ";
  }
  return names;
}

class DataStruct : public DataFixture {
 protected:
  void SetUp() override { UseSchema(kDefaultsSchema); }
};

TEST_F(DataStruct, BuildsEveryFieldWithItsDefault) {
  CDataRecord& record = NewRecord("R", "Defaults");
  const struct {
    const char* field;
    const char* expected;
  } kCases[] = {{"flags", "1|1|1"}, {"word", "0"},     {"digit", "1"}, {"fives", "5|5|5"},
                {"wraps", "255"},   {"f", "2.5"},      {"d", "0"},     {"s", "hello world"},
                {"empty", ""},      {"good", "Green"}, {"bad", "Red"}, {"none", "Red"},
                {"dynamic", ""},    {"pointer", "0"},  {"weak", "0"},  {"ref", ""}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(Joined(record.FindField(c.field)), c.expected);
  }
  EXPECT_EQ(record.FindField("dynamic")->GetCount(), 0u);
  EXPECT_EQ(record.FindField("empty")->GetCount(), 1u);
  EXPECT_EQ(Log().Lines(), LogLines("E Specified default value Purple for Enum bad is not a valid "
                                    "enumerable. Defaulting to first."));
  const CDataStruct* value = Child(record, "value");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetParentHandle(), record.GetHandle());
  EXPECT_EQ(Joined(value->FindField("a")), "5");
  EXPECT_EQ(std::vector<THandle>(record.PointableStructures().begin(),
                                 record.PointableStructures().end()),
            std::vector<THandle>{value->GetHandle()});
  EXPECT_FALSE(record.IsDirty());
  Child(record, "value")->SetUserData("note");
  EXPECT_TRUE(record.IsDirty()) << "through the parent chain";
  record.SetDirty(false);
  Child(record, "value")->SetUserData("note");
  EXPECT_FALSE(record.IsDirty()) << "an equal text changes nothing";

  CDataField& dynamic = *record.FindField("dynamic");
  for (int count = 0; count < 10000; ++count) dynamic.InsertFromText("1", Database::kAppendIndex);
  EXPECT_EQ(dynamic.GetCount(), 9999u);
}

TEST_F(DataStruct, InheritedFieldsComeFirstAndAPolymorphicTypeAddsFields) {
  ObjectPtr<CDataStruct> derived = CDataStruct::Create();
  derived->BuildDefaults(DB_SchemaStruct("Derived"), 0);
  EXPECT_EQ(FieldNames(*derived), "a c ");
  EXPECT_EQ(derived->GetTypeName(), "Derived");
  EXPECT_EQ(Joined(derived->FindField("c")), "x y");

  CDataStruct& value = *Child(NewRecord("R", "Defaults"), "value");
  EXPECT_TRUE(value.SetPolymorphicType(DB_SchemaStruct("Derived")));
  EXPECT_EQ(FieldNames(value), "a c ");
  EXPECT_EQ(value.GetTypeName(), "Base") << "the declared type stays";
  value.SetPolymorphicType(DB_SchemaStruct("Base"));
  EXPECT_EQ(value.GetPolymorphicType(), 0u);
  EXPECT_EQ(FieldNames(value), "a c ") << "fields stay";
}

TEST_F(DataStruct, ParentLinksAndOwnership) {
  ObjectPtr<CDataStruct> parent = CDataStruct::Create();
  ObjectPtr<CDataStruct> child = CDataStruct::Create();
  child->SetParentStruct(parent->GetHandle());
  EXPECT_EQ(child->GetRecordHandle(), 0u);
  EXPECT_EQ(child->GetName(), nullptr) << "no field of the parent holds it";
  child->SetParentStruct(0);
  EXPECT_EQ(child->GetParentHandle(), parent->GetHandle());
  EXPECT_EQ(Log().Lines(), LogLines("X File(DataStruct) Line(1031) "
                                    "Function(Database::CDataStruct::SetParentStruct) - Setting "
                                    "parent to a null handle."));

  // A structure another structure merely points at is not destroyed with that one.
  ObjectPtr<CDataRecord> record = CDataRecord::Create();
  record->BuildDefaultTree(DB_SchemaStruct("Defaults"));
  const THandle owned = Child(*record, "value")->GetHandle();
  Database::FieldAs<Database::ElementKind::StructHandle>(record->FindField("pointer"))
      ->Values()
      .SetValue(child->GetHandle(), 0);
  record.reset();
  EXPECT_EQ(Database::ObjectRegistry::Instance().FindObjectAnyState(owned), nullptr);
  EXPECT_NE(Resolve<CDataStruct>(child->GetHandle()), nullptr);
}

}  // namespace
