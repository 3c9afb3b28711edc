// Every check made while a set of schema files loads, each producing its exact log lines (with
// file and line number) and the loader's follow-up line.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/database_fixture.h"

namespace {

constexpr int32_t kMessage = 1;
constexpr int32_t kError = 2;

std::string Error(const std::string& text) { return "[Error] [Tessella] " + text; }
std::string Message(const std::string& text) { return "[Message] [Tessella] " + text; }

const std::string kPrePassFailed = Error("Pre-pass build step failed. Please fix the errors.");

struct Case {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // path, text; loaded in this order
  bool loads;
  std::vector<LogLine> lines;
};

LogLine E(const std::string& text) { return {kError, Error(text)}; }
LogLine M(const std::string& text) { return {kMessage, Message(text)}; }
const LogLine kPrePass{kError, kPrePassFailed};
LogLine Failed(const std::string& path) { return E("Schema file failed to load " + path); }
LogLine Loaded(const std::string& path) { return M("Schema file loaded " + path); }
const LogLine kDatabaseFailed = M("Database failed to load.");
const LogLine kNoRecords = M("Records Loaded: 0");

const Case kCases[] = {
    {"enumeration declared twice",
     {{"v.sch", "enum E { A };\nenum E { B };"}},
     false,
     {E("Enum already exists E."), kPrePass}},
    {"structure declared again in a later file as a record",
     {{"a.sch", "struct S { int32 x; };"}, {"b.sch", "// S again\nrecord S { };"}},
     false,
     {E("Schema Structure already exists S"), kPrePass}},
    {"unknown root token on its own line",
     {{"v.sch", "struct S { };\n\n\nfoo"}},
     false,
     {E("Schema: File v.sch, Line 4 Unknown Root token 'foo'"), Failed("v.sch")}},
    {"byte-order mark is part of the first token",
     {{"v.sch", "\xEF\xBB\xBFstruct S { };"}},
     false,
     {E("Schema: File v.sch, Line 1 Unknown Root token '\xEF\xBB\xBFstruct'"), Failed("v.sch")}},
    {"enumeration without its brace",
     {{"v.sch", "enum E\n\nA, B };"}},
     false,
     {E("Schema:File v.sch, Line 3 Error, Expected '{'"), Failed("v.sch")}},
    {"enumeration without its semicolon",
     {{"v.sch", "enum E { A }\nenum F { B };"}},
     false,
     {E("Schema: File v.sch, Line 2 Error, Expected ;"), Failed("v.sch")}},
    {"structure without its brace",
     {{"v.sch", "struct S\n  int32 x;\n};"}},
     false,
     {E("Schema: File v.sch, Line 2 Error, Expected {"), Failed("v.sch")}},
    {"structure without its semicolon",
     {{"v.sch", "struct S { int32 x; }\n\nstruct T { };"}},
     false,
     {E("Schema: File v.sch, Line 3 Error, Expected ;"), Failed("v.sch")}},
    {"field without its semicolon is reported on the offending token's line",
     {{"v.sch", "struct S {\n  int32 x\n\n  int32 y;\n};"}},
     false,
     {E("Schema: File v.sch, Line 4 Error, Expected ;"), Failed("v.sch")}},
    {"parent that is not declared",
     {{"v.sch", "\nstruct S : Missing { };"}},
     false,
     {E("Schema: File v.sch, Line 2 Error, Attempting to inherit from non-existent type."),
      Failed("v.sch")}},
    {"field named like a structure of a later file",
     {{"a.sch", "struct S {\n  int32 T;\n};"}, {"b.sch", "struct T { };"}},
     false,
     {E("Schema: File a.sch, Line 2 field name cannot be the same name as a Structure: T."),
      Failed("a.sch")}},
    {"field named like an enumeration",
     {{"v.sch", "enum E { A };\nstruct S {\n  int32 E;\n};"}},
     false,
     {E("Schema: File v.sch, Line 3 field name cannot be the same name as an Enum. E."),
      Failed("v.sch")}},
    {"the keyword struct as a field type declares a structure named like the field",
     {{"v.sch", "struct S {\n  struct inner;\n};"}},
     false,
     {E("Schema: File v.sch, Line 2 field name cannot be the same name as a Structure: inner."),
      Failed("v.sch")}},
    {"the keyword enum as a field type declares an enumeration named like the field",
     {{"v.sch", "struct S {\n  enum kind;\n};"}},
     false,
     {E("Schema: File v.sch, Line 2 field name cannot be the same name as an Enum. kind."),
      Failed("v.sch")}},
    {"field type naming both an enumeration and a structure",
     {{"v.sch", "enum X { A };\nstruct X { };\nstruct S { X f; };"}},
     false,
     {E("There is an enum and a structure with the same name - X"), Failed("v.sch")}},
    {"field type that names nothing",
     {{"v.sch", "struct S {\n  // [desc: x]\n  Missing f;\n};"}},
     false,
     {E("Schema: File v.sch, Line 3 Custom Type not found. Missing"), Failed("v.sch")}},
    {"record that names a parent fails at its closing brace",
     {{"v.sch", "struct P { };\nrecord R : P {\n  int32 x;\n};"}},
     false,
     {E("Records cannot inherit! - R is attempting to inherit a structure/record."),
      Failed("v.sch")}},
    {"second file fails after the first loaded",
     {{"a.sch", "struct S { };"}, {"b.sch", "struct T { Nothing n; };"}},
     false,
     {Loaded("a.sch"), E("Schema: File b.sch, Line 1 Custom Type not found. Nothing"),
      Failed("b.sch")}},
    {"two own fields of one name",
     {{"v.sch", "struct S {\n  int32 a;\n  float a;\n};"}},
     false,
     {Loaded("v.sch"),
      E("Schema: Duplicate field name found within the inheritance tree. Structure: \"S\" Field "
        "is: \"a\" "),
      kDatabaseFailed}},
    {"structure inheriting from itself",
     {{"v.sch", "struct A : A\n{\n};"}},
     false,
     {E("Schema: File v.sch, Line 3 Error, Structure A cannot inherit from A: the inheritance "
        "would form a cycle."),
      Failed("v.sch")}},
    {"structure inheriting from its child",
     {{"v.sch", "struct A : B { };\nstruct B : A { };"}},
     false,
     {E("Schema: File v.sch, Line 2 Error, Structure B cannot inherit from A: the inheritance "
        "would form a cycle."),
      Failed("v.sch")}},
    {"cycle through three structures in two files",
     {{"a.sch", "struct A : C { };\nstruct B : A { };"}, {"b.sch", "\n\nstruct C : B { };"}},
     false,
     {Loaded("a.sch"),
      E("Schema: File b.sch, Line 3 Error, Structure C cannot inherit from B: the inheritance "
        "would form a cycle."),
      Failed("b.sch")}},
    // Problems that are only logged.
    {"repeated enumerable keeps the first",
     {{"v.sch", "enum E { A, B, A };"}},
     true,
     {E("Enumerable A already exists in Enum list for Schema Enum E"), Loaded("v.sch"),
      kNoRecords}},
    {"repeated enumerable takes its key-values again",
     {{"v.sch", "enum E {\n  // [k: 1]\n  A,\n  // [k: 2]\n  A\n};"}},
     true,
     {E("Enumerable A already exists in Enum list for Schema Enum E"),
      E("Key k already exists in KeyValuePair list for Enumerable A in Enum E"), Loaded("v.sch"),
      kNoRecords}},
    {"structure holding itself by value through another and an inherited field",
     {{"v.sch", "struct A { B[2] bs; };\nstruct B : C { };\nstruct C { A a; };"}},
     false,
     {Loaded("v.sch"),
      E("Schema: Structure A contains itself by value through field a. Make the field an owning "
        "pointer (@) or a dynamic array."),
      kDatabaseFailed}},
    {"fixed array too large to build",
     {{"v.sch", "struct A { int32 x; int32[4000000000] cells; };"}},
     false,
     {Loaded("v.sch"),
      E("Schema: Structure A would hold more than 1000000 elements by default through field "
        "cells. Make the field a dynamic array."),
      kDatabaseFailed}},
    {"fixed arrays multiplying through a nested structure",
     {{"v.sch", "struct Row { int32[1000] cells; };\nrecord Grid { Row[1000] rows; };"}},
     false,
     {Loaded("v.sch"),
      E("Schema: Structure Grid would hold more than 1000000 elements by default through field "
        "rows. Make the field a dynamic array."),
      kDatabaseFailed}},
    // Accepted.
    {"fixed arrays just within the bound",
     {{"v.sch", "struct Row { int32[1000] cells; };\nrecord Grid { Row[998] rows; int8 x; };"}},
     true,
     {Loaded("v.sch"), kNoRecords}},
    {"structures holding themselves through pointers and dynamic arrays",
     {{"v.sch", "struct A { A @ next; A * peer; A[] children; A[0] none; };"}},
     true,
     {Loaded("v.sch"), kNoRecords}},
    {"child field named like an inherited one",
     {{"v.sch", "struct P { int32 a; };\nstruct C : P { int32 a; };"}},
     true,
     {Loaded("v.sch"), kNoRecords}},
    {"enumeration and structure sharing a name that no field uses",
     {{"v.sch", "enum X { A };\nstruct X { };"}},
     true,
     {Loaded("v.sch"), kNoRecords}},
    {"file ending without the semicolon of a structure",
     {{"v.sch", "struct P { };\nstruct C : P { }"}},
     true,
     {Loaded("v.sch"), kNoRecords}},
    {"empty file and a file of comments and blank lines",
     {{"a.sch", " "}, {"b.sch", "// nothing\n\n   // [desc: x]\n"}},
     true,
     {Loaded("a.sch"), Loaded("b.sch"), kNoRecords}},
};

class SchemaValidation : public DatabaseFixture {};

TEST_F(SchemaValidation, EachCheckLogsItsLinesAndDecidesTheLoad) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Reset();
    for (const auto& [path, text] : c.files) AddSchema(path, text);
    EXPECT_EQ(LoadWithoutProgress(), c.loads);
    EXPECT_EQ(Log().Lines(), c.lines);
  }
}

TEST_F(SchemaValidation, RefusedCycleLeavesNoLoopingChain) {
  EXPECT_FALSE(LoadSchema("struct A : B { };\nstruct B : A { };"));
  // The link that would close the cycle was not made: every walk up the chain ends.
  const uint64_t a = DB_SchemaStruct("A");
  const uint64_t b = DB_SchemaStruct("B");
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(a), b);
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(b), 0u);
  EXPECT_TRUE(DB_SchemaStruct_DoesInheritFrom(a, b));
  EXPECT_FALSE(DB_SchemaStruct_DoesInheritFrom(b, a));
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(a, true, 0), 0u);
  EXPECT_EQ(DB_SchemaStruct_StructsThatInheritFromMeCount(b), 1u);
}

// A chain of structures S0 .. S<count-1>, each holding the next by value.
std::string NestedChain(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "struct S" + std::to_string(i) + " { int8 x;";
    if (i + 1 < count) text += " S" + std::to_string(i + 1) + " next;";
    text += " };\n";
  }
  return text;
}

TEST_F(SchemaValidation, ByValueNestingIsBoundedWithoutDeepRecursion) {
  EXPECT_TRUE(LoadSchema(NestedChain(256)));
  Reset();
  // Deep enough to exhaust the stack of a search that followed the chain to its end.
  EXPECT_FALSE(LoadSchema(NestedChain(20000)));
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR),
            std::vector<std::string>{Error(
                "Schema: Structure S0 nests structures by value more than 256 levels deep through "
                "field next. Make the field an owning pointer (@) or a dynamic array.")});
}

TEST_F(SchemaValidation, TypesResolveAcrossFilesInAnyOrder) {
  AddSchema("a.sch",
            "struct Holder { Later l; Elsewhere e; Kind k; int32 n; };\nstruct Later { };");
  AddSchema("b.sch", "record Elsewhere { };\nenum Kind { One };\nstruct int32 { };");
  ASSERT_TRUE(Load());
  const uint64_t holder = DB_SchemaStruct("Holder");
  const uint32_t expected[] = {TESSELLA_FIELD_STRUCT, TESSELLA_FIELD_REFERENCE, TESSELLA_FIELD_ENUM,
                               TESSELLA_FIELD_INT32};
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(DB_SchemaField_GetFieldType(DB_SchemaStruct_GetFieldByIndex(holder, i, false, 0)),
              expected[i]);
  }
  // A keyword wins over a structure of the same name.
  EXPECT_EQ(DB_SchemaField_GetStructName(DB_SchemaStruct_GetFieldByIndex(holder, 3, false, 0)),
            nullptr);
}

TEST_F(SchemaValidation, StructureMayInheritFromARecord) {
  ASSERT_TRUE(LoadSchema("record R { int32 r; };\nstruct S : R { int32 s; };"));
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(DB_SchemaStruct("S")), DB_SchemaStruct("R"));
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(DB_SchemaStruct("S"), true, 0), 2u);
}

}  // namespace
