#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "frame/query.h"
#include "support/log_capture.h"

namespace {

using Database::Comparison;
using Database::ConditionKind;
using Database::ParseQuery;

struct ParseCase {
  const char* name;
  const char* query;
  bool parses;
  // The chain as "kind:text" (field tests: "value:path op value"), or the error lines.
  std::vector<std::string> expected;
};

const char* ComparisonText(const std::optional<Comparison>& comparison) {
  if (!comparison) return "none";
  switch (*comparison) {
    case Comparison::GreaterOrEqual:
      return ">=";
    case Comparison::LessOrEqual:
      return "<=";
    case Comparison::Greater:
      return ">";
    case Comparison::Less:
      return "<";
    case Comparison::Equal:
      return "==";
    case Comparison::NotEqual:
      return "!=";
  }
  return "?";
}

std::vector<std::string> Describe(const std::vector<Database::QueryCondition>& chain) {
  std::vector<std::string> out;
  for (const auto& c : chain) {
    switch (c.kind) {
      case ConditionKind::AndCondition:
        out.push_back("and");
        break;
      case ConditionKind::OrCondition:
        out.push_back("or");
        break;
      case ConditionKind::RecordTypeCondition:
        out.push_back("record:" + c.text);
        break;
      case ConditionKind::FieldTypeCondition:
        out.push_back("fieldtype:" + c.text);
        break;
      case ConditionKind::FieldValueCondition:
        out.push_back("value:" + c.fieldPath.text + " " + ComparisonText(c.comparison) + " " +
                      c.text);
        break;
    }
  }
  return out;
}

std::string Error(const std::string& format, const std::string& query) {
  const size_t at = format.find("%s");
  return "[Error] [Tessella] " + format.substr(0, at) + query + format.substr(at + 2);
}

const ParseCase kCases[] = {
    {"record type", "SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\"", true, {"record:Weapon"}},
    {"fields form", "SELECT FIELDS WHERE RECORD_TYPE = Weapon", true, {"record:Weapon"}},
    {"field test after and",
     "SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\" AND FIELD_VALUE(Stats.Damage) >= 10",
     true,
     {"record:Weapon", "and", "value:Stats.Damage >= 10"}},
    {"every operator",
     "SELECT RECORDS WHERE FIELD_VALUE(a) <= 1 FIELD_VALUE(b) < 2 FIELD_VALUE(c) > 3 "
     "FIELD_VALUE(d) == 4 FIELD_VALUE(e) != 5 FIELD_VALUE(f) ~ 6",
     true,
     {"value:a <= 1", "value:b < 2", "value:c > 3", "value:d == 4", "value:e != 5",
      "value:f none 6"}},
    {"single equals with a value leaves no comparison",
     "SELECT RECORDS WHERE FIELD_VALUE(a) = 1",
     true,
     {"value:a none 1"}},
    {"quoted value keeps its quotes and blanks",
     "SELECT RECORDS WHERE FIELD_VALUE(\"Name\") == \"Long Sword\"",
     true,
     {"value:Name == \"Long Sword\""}},
    {"unknown words are skipped",
     "SELECT RECORDS WHERE NOTHING OR FIELD_TYPE=\"Int32\"",
     true,
     {"or", "fieldtype:Int32"}},
    {"three tokens",
     "SELECT RECORDS WHERE",
     false,
     {Error("Error in Query ( %s ) not enough actual parameters, expecting at least 4. SELECT "
            "(TYPE) WHERE SOME_DATA",
            "SELECT RECORDS WHERE")}},
    {"keywords are case sensitive",
     "select RECORDS WHERE RECORD_TYPE=\"Weapon\"",
     false,
     {Error("Error in Query ( %s ) must always begin with SELECT",
            "select RECORDS WHERE RECORD_TYPE=\"Weapon\"")}},
    {"bad type",
     "SELECT ROWS WHERE X",
     false,
     {Error("Error in Query ( %s ) type was not FIELDS or RECORDS", "SELECT ROWS WHERE X")}},
    {"no where",
     "SELECT RECORDS IF X",
     false,
     {Error("Error in Query ( %s ) TYPE must proceed with WHERE", "SELECT RECORDS IF X")}},
    {"record type without equals",
     "SELECT RECORDS WHERE RECORD_TYPE Weapon X",
     false,
     {Error("Error in Query ( %s ) format for record type is RECORD_TYPE=\"typename\"",
            "SELECT RECORDS WHERE RECORD_TYPE Weapon X")}},
    {"record type cut short",
     "SELECT RECORDS WHERE RECORD_TYPE =",
     false,
     {Error("Error in Query ( %s ) format for record type is RECORD_TYPE=\"typename\"",
            "SELECT RECORDS WHERE RECORD_TYPE =")}},
    {"field value with equals sign",
     "SELECT RECORDS WHERE FIELD_VALUE=(Damage) >= 10",
     false,
     {Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField)",
            "SELECT RECORDS WHERE FIELD_VALUE=(Damage) >= 10")}},
    {"field value without path",
     "SELECT RECORDS WHERE FIELD_VALUE (",
     false,
     {Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) "
            "'operator' 'value'",
            "SELECT RECORDS WHERE FIELD_VALUE (")}},
    {"field value without closing parenthesis",
     "SELECT RECORDS WHERE FIELD_VALUE(Damage >= 1",
     false,
     {Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) "
            "'operator' 'value'",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage >= 1")}},
    {"field value without operator",
     "SELECT RECORDS WHERE FIELD_VALUE(Damage)",
     false,
     {Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) operator "
            "value",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage)")}},
    {"lone equals logs twice",
     "SELECT RECORDS WHERE FIELD_VALUE(Damage) =",
     false,
     {Error("Error in Query ( %s ) unknown operator \"=\"",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage) ="),
      Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) operator "
            "value",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage) =")}},
    {"lone bang logs twice",
     "SELECT RECORDS WHERE FIELD_VALUE(Damage) !",
     false,
     {Error("Error in Query ( %s ) unknown operator \"!\"",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage) !"),
      Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) operator "
            "value",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage) !")}},
    {"operator without value",
     "SELECT RECORDS WHERE FIELD_VALUE(Damage) >=",
     false,
     {Error("Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) operator "
            "value",
            "SELECT RECORDS WHERE FIELD_VALUE(Damage) >=")}},
    {"field type cut short",
     "SELECT RECORDS WHERE FIELD_TYPE",
     false,
     {Error("Error in Query ( %s ) format for record type is FIELD_TYPE=\"typename\"",
            "SELECT RECORDS WHERE FIELD_TYPE")}},
};

TEST(QueryParse, Table) {
  for (const ParseCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LogCapture capture;
    const auto chain = ParseQuery(c.query);
    ASSERT_EQ(chain.has_value(), c.parses);
    EXPECT_EQ(chain ? Describe(*chain) : capture.Texts(), c.expected);
    if (c.parses) {
      EXPECT_TRUE(capture.Lines().empty());
    }
  }
}

TEST(QueryParse, FieldPathsAreCutOnce) {
  const Database::FieldPath path = Database::ParseFieldPath("Slots[2].Stats..Damage[3]x.a[1][2]");
  ASSERT_EQ(path.segments.size(), 4u);
  EXPECT_EQ(path.segments[0].name, "Slots");
  EXPECT_EQ(path.segments[0].index, 2);
  EXPECT_EQ(path.segments[1].name, "Stats");
  EXPECT_FALSE(path.segments[1].index.has_value());
  EXPECT_EQ(path.segments[2].name, "Damage");
  EXPECT_EQ(path.segments[2].index, 3);
  EXPECT_EQ(path.segments[3].name, "a[1][2]");
  EXPECT_FALSE(path.segments[3].index.has_value());
}

}  // namespace
