#include "schema/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/split_string.h"
#include "schema/lexer.h"
#include "schema/model.h"
#include "support/database_fixture.h"
#include "support/worked_example.h"

namespace {

using Database::Resolve;
using Schema::CSchemaEnum;
using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldOption;
using Schema::FieldType;
using Schema::SchemaRegistry;
using Schema::StorageType;

const CSchemaStruct* Struct(const char* name) {
  return Resolve<CSchemaStruct>(SchemaRegistry::Instance().FindStructByName(name));
}

const CSchemaEnum* Enum(const char* name) {
  return Resolve<CSchemaEnum>(SchemaRegistry::Instance().FindEnumByName(name));
}

const CSchemaField* Field(const char* structName, const char* fieldName) {
  const CSchemaStruct* s = Struct(structName);
  return s ? s->FindField(fieldName, true, 0) : nullptr;
}

class ParserTest : public DatabaseFixture {};

// The exports read the worked example back row by row; what they cannot show is checked here.
TEST_F(ParserTest, WorkedExampleKeepsWhatTheExportsDoNotShow) {
  ASSERT_TRUE(LoadSchema(kWorkedExample, "Schema/example.sch"));
  const CSchemaField* runes = Field("Blade", "Runes");
  ASSERT_NE(runes, nullptr);
  EXPECT_EQ(runes->GetFixedArraySize(), 4u);
  EXPECT_EQ(Field("Armory", "Other")->GetCustomType(), Struct("Armory")->GetHandle());
  EXPECT_TRUE(Struct("Armory")->IsRecord());
  EXPECT_FALSE(Struct("ItemBase")->IsRecord());
  EXPECT_TRUE(Struct("Blade")->KeyValues().empty());
  EXPECT_EQ(Enum("EChannel")->GetEnumerableKeyValue("Red", "desc"), nullptr);
  EXPECT_EQ(Log().Texts(),
            (std::vector<std::string>{"[Message] [Tessella] Schema file loaded Schema/example.sch",
                                      "[Message] [Tessella] Records Loaded: 0"}));
}

}  // namespace

namespace {

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
};

TEST(ParseKeyValueComment, ReadsOneBlock) {
  for (const KeyValueCase& c : kKeyValueCases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> tokens =
        Database::SplitString(c.line, Schema::kTokenSplitSet, Schema::kTokenSilentSet);
    Schema::KeyValueMap pending;
    EXPECT_EQ(Schema::ParseKeyValueComment(tokens, 0, pending), c.result);
    EXPECT_EQ(pending, c.pairs);
  }
}

TEST(ParseKeyValueComment, RepeatedKeyAgainstEarlierPendingLineStops) {
  Schema::KeyValueMap pending{{"a", "first"}};
  const std::vector<std::string> tokens = {"//", "[", "b", ":", "1", ",", "a", ":", "2", "]"};
  EXPECT_FALSE(Schema::ParseKeyValueComment(tokens, 0, pending));
  EXPECT_EQ(pending, (Schema::KeyValueMap{{"a", "first"}, {"b", "1"}}));
}

// One field of structure S as the parser declares it.
struct FieldCase {
  const char* name;
  std::string schema;  // must declare a structure S with the field
  const char* field;
  FieldType type;
  FieldOption option;
  StorageType storage;
  uint64_t fixedSize;
  const char* desc;  // null when the field has no "desc"
};

const FieldCase kFieldCases[] = {
    {"no blanks around punctuation", "struct S{uint8[4]Runes;};", "Runes", FieldType::UInt8,
     FieldOption::OptionNone, StorageType::FixedArray, 4, nullptr},
    {"only the last size token counts", "struct S { uint8 [ 1 6 ] R; };", "R", FieldType::UInt8,
     FieldOption::OptionNone, StorageType::FixedArray, 6, nullptr},
    {"size that is no number", "struct S { int16[x] R; };", "R", FieldType::Int16,
     FieldOption::OptionNone, StorageType::FixedArray, 0, nullptr},
    {"size read up to the first non-digit", "struct S { int16[12ab] R; };", "R", FieldType::Int16,
     FieldOption::OptionNone, StorageType::FixedArray, 12, nullptr},
    {"empty brackets", "struct S { string[] R; };", "R", FieldType::String, FieldOption::OptionNone,
     StorageType::DynamicArray, 0, nullptr},
    {"last marker wins", "struct T { };\nstruct S { T@*[]R; };", "R", FieldType::Struct,
     FieldOption::OptionWeakPointer, StorageType::DynamicArray, 0, nullptr},
    {"record field is a reference whatever its marker", "record T { };\nstruct S { T @ R; };", "R",
     FieldType::Reference, FieldOption::OptionPointer, StorageType::Single, 0, nullptr},
    {"marker on a keyword type is kept", "struct S { int32 & R; };", "R", FieldType::Int32,
     FieldOption::OptionAmpersand, StorageType::Single, 0, nullptr},
    {"keyword aliases", "struct S { uchar R; };", "R", FieldType::UInt8, FieldOption::OptionNone,
     StorageType::Single, 0, nullptr},
    {"LocId spelling", "struct S { LocId R; };", "R", FieldType::LocId, FieldOption::OptionNone,
     StorageType::Single, 0, nullptr},
    {"comment at the end of a field's line goes to the next field",
     "struct S {\n  int32 a; // [desc: for_b]\n  int32 b;\n};", "b", FieldType::Int32,
     FieldOption::OptionNone, StorageType::Single, 0, "for_b"},
    {"the field on the comment's line gets nothing",
     "struct S {\n  int32 a; // [desc: for_b]\n  int32 b;\n};", "a", FieldType::Int32,
     FieldOption::OptionNone, StorageType::Single, 0, nullptr},
    {"// inside a token starts no comment", "struct S { int32 a//b; };", "a//b", FieldType::Int32,
     FieldOption::OptionNone, StorageType::Single, 0, nullptr},
    {"// right after a semicolon starts one", "struct S { int32 a;//[desc: x]\nint32 c; };", "c",
     FieldType::Int32, FieldOption::OptionNone, StorageType::Single, 0, "x"},
    {"quoted stretch continues a token", "struct S { int32 na\"me x\"y; };", "na\"me x\"y",
     FieldType::Int32, FieldOption::OptionNone, StorageType::Single, 0, nullptr},
    {"carriage returns are blanks", "struct S\r\n{\r\n  // [desc: d]\r\n  bool f;\r\n};\r\n", "f",
     FieldType::Bool, FieldOption::OptionNone, StorageType::Single, 0, "d"},
    {"a quote is closed by the line feed",
     "struct S {\n  // [desc: \"open to the end\n  double f;\n};", "f", FieldType::Double,
     FieldOption::OptionNone, StorageType::Single, 0, "open to the end"},
    {"pending pairs gather over several lines",
     "struct S {\n  // [min: 1]\n  // [max: 2, desc: \"two lines\"]\n  int8 f;\n};", "f",
     FieldType::Int8, FieldOption::OptionNone, StorageType::Single, 0, "two lines"},
};

TEST_F(ParserTest, FieldDeclarations) {
  for (const FieldCase& c : kFieldCases) {
    SCOPED_TRACE(c.name);
    Reset();
    ASSERT_TRUE(LoadSchema(c.schema));
    const CSchemaField* field = Field("S", c.field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetFieldType(), c.type);
    EXPECT_EQ(field->GetFieldOption(), c.option);
    EXPECT_EQ(field->GetStorageType(), c.storage);
    EXPECT_EQ(field->GetFixedArraySize(), c.fixedSize);
    const std::string* desc = field->GetKeyValue("desc");
    EXPECT_EQ(desc ? desc->c_str() : std::string("<none>"), c.desc ? c.desc : "<none>");
  }
}

TEST_F(ParserTest, CommentOnlyEndsItsLine) {
  ASSERT_TRUE(LoadSchema("struct S { int32 a; // int32 hidden;\n int32 b; };"));
  const CSchemaStruct* s = Struct("S");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetOwnFieldCount(), 2u);
  EXPECT_EQ(s->FindField("hidden", false, 0), nullptr);
}

TEST_F(ParserTest, StructureTakesTheCommentBetweenHeadAndBrace) {
  ASSERT_TRUE(
      LoadSchema("struct A // [k: head]\n{\n  int32 x;\n};\n"
                 "struct B { // [k: body]\n  int32 y;\n};\n"));
  EXPECT_EQ(*Struct("A")->GetKeyValue("k"), "head");
  EXPECT_EQ(Struct("B")->GetKeyValue("k"), nullptr);
  EXPECT_EQ(*Field("B", "y")->GetKeyValue("k"), "body");
}

TEST_F(ParserTest, PendingPairsDoNotCrossFiles) {
  AddSchema("a.sch", "struct A { };\n// [desc: left over]\n");
  AddSchema("b.sch", "struct B { int32 b; };");
  ASSERT_TRUE(Load());
  EXPECT_EQ(Field("B", "b")->GetKeyValue("desc"), nullptr);
}

TEST_F(ParserTest, StructureLeftOpenAtTheEndKeepsNoParent) {
  ASSERT_TRUE(LoadSchema("struct P { int32 p; };\nstruct C : P { int32 c; }"));
  EXPECT_EQ(Struct("C")->GetInheritsFrom(), 0u);
  EXPECT_EQ(Struct("C")->GetOwnFieldCount(), 1u);
}

TEST_F(ParserTest, TextEndsAtTheFirstZeroByte) {
  ASSERT_TRUE(LoadSchema(std::string("struct A { };\0 garbage that is no schema", 41)));
  EXPECT_NE(Struct("A"), nullptr);
}

}  // namespace
