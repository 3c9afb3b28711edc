// Every check made while a set of schema files loads, each producing its exact log lines (with
// file and line number) and the loader's follow-up line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/database_fixture.h"

namespace {

// The files are separated by '\f' and named a.sch, b.sch, ... in load order; the log is in the
// shorthand of LogLines.
struct Case {
  const char* name;
  const char* files;
  bool loads;
  std::string log;
};

const std::string kPrePass = "E Pre-pass build step failed. Please fix the errors.";
const std::string kFailed = "\nE Schema file failed to load a.sch";
const std::string kLoaded = "M Schema file loaded a.sch\n";
const std::string kDatabaseFailed = "\nM Database failed to load.";
const std::string kNoRecords = "\nM Records Loaded: 0";

const Case kCases[] = {
    {"enumeration declared twice", "enum E { A };\nenum E { B };", false,
     "E Enum already exists E.\n" + kPrePass},
    {"structure declared again in a later file as a record",
     "struct S { int32 x; };\f// S again\nrecord S { };", false,
     "E Schema Structure already exists S\n" + kPrePass},
    {"unknown root token on its own line", "struct S { };\n\n\nfoo", false,
     "E Schema: File a.sch, Line 4 Unknown Root token 'foo'" + kFailed},
    {"byte-order mark is part of the first token", "\xEF\xBB\xBFstruct S { };", false,
     "E Schema: File a.sch, Line 1 Unknown Root token '\xEF\xBB\xBFstruct'" + kFailed},
    {"enumeration without its brace", "enum E\n\nA, B };", false,
     "E Schema:File a.sch, Line 3 Error, Expected '{'" + kFailed},
    {"enumeration without its semicolon", "enum E { A }\nenum F { B };", false,
     "E Schema: File a.sch, Line 2 Error, Expected ;" + kFailed},
    {"structure without its brace", "struct S\n  int32 x;\n};", false,
     "E Schema: File a.sch, Line 2 Error, Expected {" + kFailed},
    {"structure without its semicolon", "struct S { int32 x; }\n\nstruct T { };", false,
     "E Schema: File a.sch, Line 3 Error, Expected ;" + kFailed},
    {"parent that is not declared", "\nstruct S : Missing { };", false,
     "E Schema: File a.sch, Line 2 Error, Attempting to inherit from non-existent type." + kFailed},
    {"field named like a structure of a later file", "struct S {\n  int32 T;\n};\fstruct T { };",
     false,
     "E Schema: File a.sch, Line 2 field name cannot be the same name as a Structure: T." +
         kFailed},
    {"field named like an enumeration", "enum E { A };\nstruct S {\n  int32 E;\n};", false,
     "E Schema: File a.sch, Line 3 field name cannot be the same name as an Enum. E." + kFailed},
    {"the keyword struct as a field type declares a structure named like the field",
     "struct S {\n  struct inner;\n};", false,
     "E Schema: File a.sch, Line 2 field name cannot be the same name as a Structure: inner." +
         kFailed},
    {"the keyword enum as a field type declares an enumeration named like the field",
     "struct S {\n  enum kind;\n};", false,
     "E Schema: File a.sch, Line 2 field name cannot be the same name as an Enum. kind." + kFailed},
    {"field type naming both an enumeration and a structure",
     "enum X { A };\nstruct X { };\nstruct S { X f; };", false,
     "E There is an enum and a structure with the same name - X" + kFailed},
    {"field type that names nothing", "struct S {\n  // [desc: x]\n  Missing f;\n};", false,
     "E Schema: File a.sch, Line 3 Custom Type not found. Missing" + kFailed},
    {"record that names a parent fails at its closing brace",
     "struct P { };\nrecord R : P {\n  int32 x;\n};", false,
     "E Records cannot inherit! - R is attempting to inherit a structure/record." + kFailed},
    {"second file fails after the first loaded", "struct S { };\fstruct T { Nothing n; };", false,
     kLoaded + "E Schema: File b.sch, Line 1 Custom Type not found. Nothing\n"
               "E Schema file failed to load b.sch"},
    {"two own fields of one name", "struct S {\n  int32 a;\n  float a;\n};", false,
     kLoaded +
         "E Schema: Duplicate field name found within the inheritance tree. Structure: \"S\" Field "
         "is: \"a\" " +
         kDatabaseFailed},
    {"structure inheriting from itself", "struct A : A\n{\n};", false,
     "E Schema: File a.sch, Line 3 Error, Structure A cannot inherit from A: the inheritance "
     "would form a cycle." +
         kFailed},
    {"structure inheriting from its child", "struct A : B { };\nstruct B : A { };", false,
     "E Schema: File a.sch, Line 2 Error, Structure B cannot inherit from A: the inheritance "
     "would form a cycle." +
         kFailed},
    {"cycle through three structures in two files",
     "struct A : C { };\nstruct B : A { };\f\n\nstruct C : B { };", false,
     kLoaded +
         "E Schema: File b.sch, Line 3 Error, Structure C cannot inherit from B: the inheritance "
         "would form a cycle.\nE Schema file failed to load b.sch"},
    {"structure holding itself by value through another and an inherited field",
     "struct A { B[2] bs; };\nstruct B : C { };\nstruct C { A a; };", false,
     kLoaded +
         "E Schema: Structure A contains itself by value through field a. Make the field an "
         "owning pointer (@) or a dynamic array." +
         kDatabaseFailed},
    {"fixed array too large to build", "struct A { int32 x; int32[4000000000] cells; };", false,
     kLoaded +
         "E Schema: Structure A would hold more than 1000000 elements by default through field "
         "cells. Make the field a dynamic array." +
         kDatabaseFailed},
    {"fixed arrays multiplying through a nested structure",
     "struct Row { int32[1000] cells; };\nrecord Grid { Row[1000] rows; };", false,
     kLoaded +
         "E Schema: Structure Grid would hold more than 1000000 elements by default through field "
         "rows. Make the field a dynamic array." +
         kDatabaseFailed},
    // Problems that are only logged.
    {"repeated enumerable keeps the first", "enum E { A, B, A };", true,
     "E Enumerable A already exists in Enum list for Schema Enum E\n" + kLoaded + kNoRecords},
    {"repeated enumerable takes its key-values again",
     "enum E {\n  // [k: 1]\n  A,\n  // [k: 2]\n  A\n};", true,
     "E Enumerable A already exists in Enum list for Schema Enum E\n"
     "E Key k already exists in KeyValuePair list for Enumerable A in Enum E\n" +
         kLoaded + kNoRecords},
    // Accepted.
    {"fixed arrays just within the bound",
     "struct Row { int32[1000] cells; };\nrecord Grid { Row[998] rows; int8 x; };", true,
     kLoaded + kNoRecords},
    {"structures holding themselves through pointers and dynamic arrays",
     "struct A { A @ next; A * peer; A[] children; A[0] none; };", true, kLoaded + kNoRecords},
    {"enumeration and structure sharing a name that no field uses", "enum X { A };\nstruct X { };",
     true, kLoaded + kNoRecords},
    {"file ending without the semicolon of a structure", "struct P { };\nstruct C : P { }", true,
     kLoaded + kNoRecords},
    {"empty file and a file of comments and blank lines", " \f// nothing\n\n   // [desc: x]\n",
     true, kLoaded + "M Schema file loaded b.sch" + kNoRecords}};

class SchemaValidation : public DatabaseFixture {};

TEST_F(SchemaValidation, EachCheckLogsItsLinesAndDecidesTheLoad) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Reset();
    std::string path = "a.sch";
    std::istringstream files(c.files);
    for (std::string text; std::getline(files, text, '\f'); ++path[0]) AddSchema(path, text);
    EXPECT_EQ(Load(), c.loads);
    EXPECT_EQ(Log().Lines(), LogLines(c.log));
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

// By-value nesting is bounded without deep recursion, and so is an inheritance chain, which is
// refused naming the structure past the bound.
TEST_F(SchemaValidation, NestingAndInheritanceAreBounded) {
  EXPECT_TRUE(LoadSchema(NestedChain(256)));
  Reset();
  // Deep enough to exhaust the stack of a search that followed the chain to its end.
  EXPECT_FALSE(LoadSchema(NestedChain(20000)));
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR),
            std::vector<std::string>{
                "[Error] [Tessella] Schema: Structure S0 nests structures by value more than 256 "
                "levels deep through field next. Make the field an owning pointer (@) or a "
                "dynamic array."});
  Reset();
  std::string chain = "struct S0 { int32 f; };";
  for (int i = 1; i <= 70; ++i) {
    chain += " struct S" + std::to_string(i) + " : S" + std::to_string(i - 1) + " { };";
  }
  EXPECT_FALSE(LoadSchema(chain));
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR),
            std::vector<std::string>{"[Error] [Tessella] Schema: Structure S65 inherits from more "
                                     "than 64 ancestors. Shorten its inheritance chain."});
}

TEST_F(SchemaValidation, TypesResolveAcrossFilesInAnyOrderAndMayInheritFromARecord) {
  AddSchema("a.sch",
            "struct Holder { Later l; Elsewhere e; Kind k; int32 n; };\nstruct Later { };\n"
            "struct S : Elsewhere { int32 s; };");
  AddSchema("b.sch", "record Elsewhere { int32 r; };\nenum Kind { One };\nstruct int32 { };");
  ASSERT_TRUE(Load());
  const uint64_t holder = DB_SchemaStruct("Holder");
  const uint32_t expected[] = {TESSELLA_FIELD_STRUCT, TESSELLA_FIELD_REFERENCE, TESSELLA_FIELD_ENUM,
                               TESSELLA_FIELD_INT32};
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(DB_SchemaField_GetFieldType(DB_SchemaStruct_GetFieldByIndex(holder, i, false, 0)),
              expected[i]);
  }
  EXPECT_EQ(DB_SchemaStruct_GetInheritsFrom(DB_SchemaStruct("S")), DB_SchemaStruct("Elsewhere"));
  EXPECT_EQ(DB_SchemaStruct_GetFieldCount(DB_SchemaStruct("S"), true, 0), 2u);
}

}  // namespace
