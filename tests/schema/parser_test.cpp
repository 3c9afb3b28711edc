#include "schema/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/split_string.h"
#include "schema/lexer.h"
#include "schema/model.h"
#include "support/database_fixture.h"

namespace {

using Database::Resolve;
using Schema::CSchemaField;
using Schema::CSchemaStruct;

const CSchemaStruct* StructNamed(const char* name) {
  return Resolve<CSchemaStruct>(DB_SchemaStruct(name));
}

const CSchemaField* Field(const char* structName, const char* fieldName) {
  const CSchemaStruct* s = StructNamed(structName);
  return s ? s->FindField(fieldName, true, 0) : nullptr;
}

std::string KeyValue(const Schema::CSchemaStruct* s, const CSchemaField* field, const char* key) {
  const std::string* value = s ? s->GetKeyValue(key) : field ? field->GetKeyValue(key) : nullptr;
  return value ? *value : "<none>";
}

class ParserTest : public DatabaseFixture {};

struct KeyValueCase {
  const char* name;
  std::string line;
  bool result;
  Schema::KeyValueMap pairs;
};

const KeyValueCase kKeyValueCases[] = {
    {"words then a block",
     "// any words here [desc: \"Speed, in metres per second\", min: 0, max: 50]",
     true,
     {{"desc", "Speed, in metres per second"}, {"min", "0"}, {"max", "50"}}},
    {"no block", "// just words, and: more", true, {}},
    {"comment token glued to the block", "//[a:1,b:2]", true, {{"a", "1"}, {"b", "2"}}},
    {"quoted value keeps commas and colons", "// [k: \"a, b: c]\"]", true, {{"k", "a, b: c]"}}},
    {"empty quoted value", "// [a: \"\", b: 2]", true, {{"a", ""}, {"b", "2"}}},
    {"lone quote runs to the end of the line", "// [a: \"", true, {{"a", ""}}},
    {"keys are not unquoted", "// [\"k\": v]", true, {{"\"k\"", "v"}}},
    {"repeated key stops the block",
     "// [a: 1, b: 2, a: 3, c: 4]",
     false,
     {{"a", "1"}, {"b", "2"}}},
    {"missing colon stops", "// [a 1]", false, {}},
    {"wrong separator stops after the pair", "// [a: 1; b: 2]", false, {{"a", "1"}}},
    {"text after the block is ignored", "// [a: 1] [b: 2]", true, {{"a", "1"}}},
    {"unquoted value is one token", "// [desc: two words, min: 1]", false, {{"desc", "two"}}},
    {"running out of tokens is fine", "// [a: 1, b", true, {{"a", "1"}}},
    {"repeated key against an earlier pending line stops", "// [b: 1, z: 2]", false, {{"b", "1"}}}};

TEST(ParseKeyValueComment, ReadsOneBlock) {
  for (const KeyValueCase& c : kKeyValueCases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> tokens =
        Database::SplitString(c.line, Schema::kTokenSplitSet, Schema::kTokenSilentSet);
    // A pending pair left by an earlier line.
    Schema::KeyValueMap pending{{"z", "first"}};
    EXPECT_EQ(Schema::ParseKeyValueComment(tokens, 0, pending), c.result);
    Schema::KeyValueMap expected = c.pairs;
    expected.emplace("z", "first");
    EXPECT_EQ(pending, expected);
  }
}

// One field of structure S as the parser declares it: "type/option/storage fixedSize desc" in the
// numbers of the schema model.
struct FieldCase {
  const char* name;
  const char* schema;  // must declare a structure S with the field
  const char* field;
  const char* declared;
};

const FieldCase kFieldCases[] = {
    {"no blanks around punctuation", "struct S{uint8[4]Runes;};", "Runes", "6/0/2 4 <none>"},
    {"only the last size token counts", "struct S { uint8 [ 1 6 ] R; };", "R", "6/0/2 6 <none>"},
    {"size that is no number", "struct S { int16[x] R; };", "R", "3/0/2 0 <none>"},
    {"size read up to the first non-digit", "struct S { int16[12ab] R; };", "R", "3/0/2 12 <none>"},
    {"empty brackets", "struct S { string[] R; };", "R", "10/0/1 0 <none>"},
    {"last marker wins", "struct T { };\nstruct S { T@*[]R; };", "R", "15/2/1 0 <none>"},
    {"record field is a reference whatever its marker", "record T { };\nstruct S { T @ R; };", "R",
     "16/1/0 0 <none>"},
    {"marker on a keyword type is kept", "struct S { int32 & R; };", "R", "4/3/0 0 <none>"},
    {"comment at the end of a field's line goes to the next field",
     "struct S {\n  int32 a; // [desc: for_b]\n  int32 b;\n};", "b", "4/0/0 0 for_b"},
    {"the field on the comment's line gets nothing",
     "struct S {\n  int32 a; // [desc: for_b]\n  int32 b;\n};", "a", "4/0/0 0 <none>"},
    {"// inside a token starts no comment", "struct S { int32 a//b; };", "a//b", "4/0/0 0 <none>"},
    {"// right after a semicolon starts one", "struct S { int32 a;//[desc: x]\nint32 c; };", "c",
     "4/0/0 0 x"},
    {"quoted stretch continues a token", "struct S { int32 na\"me x\"y; };", "na\"me x\"y",
     "4/0/0 0 <none>"},
    {"carriage returns are blanks", "struct S\r\n{\r\n  // [desc: d]\r\n  bool f;\r\n};\r\n", "f",
     "1/0/0 0 d"},
    {"a quote is closed by the line feed",
     "struct S {\n  // [desc: \"open to the end\n  double f;\n};", "f", "12/0/0 0 open to the end"},
    {"pending pairs gather over several lines",
     "struct S {\n  // [min: 1]\n  // [max: 2, desc: \"two lines\"]\n  int8 f;\n};", "f",
     "2/0/0 0 two lines"},
    {"a structure takes no comment from inside its braces",
     "struct S { // [desc: body]\n  int32 y;\n};", "y", "4/0/0 0 body"}};

TEST_F(ParserTest, FieldDeclarations) {
  for (const FieldCase& c : kFieldCases) {
    SCOPED_TRACE(c.name);
    Reset();
    ASSERT_TRUE(LoadSchema(c.schema));
    const CSchemaField* field = Field("S", c.field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(std::to_string(uint32_t(field->GetFieldType())) + "/" +
                  std::to_string(uint32_t(field->GetFieldOption())) + "/" +
                  std::to_string(uint32_t(field->GetStorageType())) + " " +
                  std::to_string(field->GetFixedArraySize()) + " " +
                  KeyValue(nullptr, field, "desc"),
              c.declared);
  }
}

TEST_F(ParserTest, CommentsFilesStructuresAndTheEndOfTheText) {
  // A comment ends only its line; a structure takes the comment between its head and its brace.
  ASSERT_TRUE(
      LoadSchema("struct S { int32 a; // int32 hidden;\n int32 b; };\n"
                 "struct A // [k: head]\n{\n  int32 x;\n};\n"
                 "struct B { // [k: body]\n  int32 y;\n};\n"));
  EXPECT_EQ(StructNamed("S")->GetOwnFieldCount(), 2u);
  EXPECT_EQ(Field("S", "hidden"), nullptr);
  EXPECT_EQ(KeyValue(StructNamed("A"), nullptr, "k"), "head");
  EXPECT_EQ(KeyValue(StructNamed("B"), nullptr, "k"), "<none>");
  Reset();
  // Pending pairs do not cross files.
  AddSchema("a.sch", "struct A { };\n// [desc: left over]\n");
  AddSchema("b.sch", "struct B { int32 b; };");
  ASSERT_TRUE(Load());
  EXPECT_EQ(KeyValue(nullptr, Field("B", "b"), "desc"), "<none>");
  Reset();
  // The text ends at the first zero byte.
  ASSERT_TRUE(LoadSchema(std::string("struct A { };\0 garbage that is no schema", 41)));
  EXPECT_NE(StructNamed("A"), nullptr);
}

// Repeated keys keep the first; the parser never makes repeated keys for a structure or a field,
// so they are made here by hand (repeated enumerables are in the validation table).
TEST_F(ParserTest, RepeatedKeysKeepTheFirstAndKeyValuesNeedALiveField) {
  Database::ObjectPtr<CSchemaStruct> structure(Database::CreateObject<CSchemaStruct>());
  structure->SetName("Ship");
  Database::ObjectPtr<CSchemaField> field(Database::CreateObject<CSchemaField>());
  field->SetName("Speed");
  Database::ObjectPtr<Schema::CSchemaEnum> enumeration(
      Database::CreateObject<Schema::CSchemaEnum>());
  enumeration->SetName("Colour");
  enumeration->AddEnumerable("Red");
  for (const char* value : {"1", "2"}) {
    structure->AddKeyValue("k", value);
    field->AddKeyValue("k", value);
    enumeration->AddKeyValue("k", value);
  }
  EXPECT_EQ(
      *structure->GetKeyValue("k") + *field->GetKeyValue("k") + *enumeration->GetKeyValue("k"),
      "111");
  EXPECT_EQ(enumeration->GetEnumerable(1), nullptr);
  EXPECT_EQ(enumeration->GetEnumerable(-1), nullptr);
  EXPECT_FALSE(Schema::UpdateCommonKeyValuePairs(0));
  EXPECT_FALSE(Schema::UpdateCommonKeyValuePairs(enumeration->GetHandle()));
  const std::string notAField =
      "X File(Schema) Line(137) Function(Schema::UpdateCommonKeyValuePairs) - pField is NULL..";
  EXPECT_EQ(Log().Lines(),
            LogLines("E Key k already exists in KeyValuePair list for Schema Struct Ship\n"
                     "E Key k already exists in KeyValuePair list for Schema Struct Speed\n"
                     "E Key k already exists in KeyValuePair list for Schema Struct Colour\n" +
                     notAField + "\n" + notAField));
}

}  // namespace
