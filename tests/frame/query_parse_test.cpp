#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/query.h"
#include "support/log_capture.h"

namespace {

using Database::ConditionKind;

// The chain as text: "and", "or", "record:T", "fieldtype:T", "value:path op value".
std::string Describe(const std::vector<Database::QueryCondition>& chain) {
  static const char* const kOperators[] = {">=", "<=", ">", "<", "==", "!="};
  static const char* const kKinds[] = {"and", "or", "record:", "fieldtype:", "?", "value:"};
  std::string out;
  for (const auto& c : chain) {
    out += (out.empty() ? "" : " | ") + std::string(kKinds[static_cast<int>(c.kind)]);
    if (c.kind == ConditionKind::FieldValueCondition) {
      out += c.fieldPath.text + " " +
             (c.comparison ? kOperators[static_cast<int>(*c.comparison)] : "none") + " ";
    }
    if (c.kind != ConditionKind::AndCondition && c.kind != ConditionKind::OrCondition) {
      out += c.text;
    }
  }
  return out;
}

struct ParsedCase {
  const char* query;
  const char* chain;
};

TEST(QueryParse, ChainsOfConditions) {
  const ParsedCase cases[] = {
      {"SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\"", "record:Weapon"},
      {"SELECT FIELDS WHERE RECORD_TYPE = Weapon", "record:Weapon"},
      {"SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\" AND FIELD_VALUE(Stats.Damage) >= 10",
       "record:Weapon | and | value:Stats.Damage >= 10"},
      {"SELECT RECORDS WHERE FIELD_VALUE(a) <= 1 FIELD_VALUE(b) < 2 FIELD_VALUE(c) > 3 "
       "FIELD_VALUE(d) == 4 FIELD_VALUE(e) != 5 FIELD_VALUE(f) ~ 6 FIELD_VALUE(g) = 7",
       "value:a <= 1 | value:b < 2 | value:c > 3 | value:d == 4 | value:e != 5 | value:f none 6 | "
       "value:g none 7"},
      {"SELECT RECORDS WHERE FIELD_VALUE(\"Name\") == \"Long Sword\"",
       "value:Name == \"Long Sword\""},
      {"SELECT RECORDS WHERE NOTHING OR FIELD_TYPE=\"Int32\"", "or | fieldtype:Int32"},
  };
  for (const ParsedCase& c : cases) {
    SCOPED_TRACE(c.query);
    LogCapture capture;
    const auto chain = Database::ParseQuery(c.query);
    ASSERT_TRUE(chain.has_value());
    EXPECT_EQ(Describe(*chain), c.chain);
    EXPECT_TRUE(capture.Lines().empty());
  }
}

struct RejectedCase {
  const char* query;
  std::vector<const char*> errors;  // formats, each naming the whole query once
};

constexpr const char* kShort =
    "Error in Query ( %s ) not enough actual parameters, expecting at least 4. SELECT (TYPE) "
    "WHERE SOME_DATA";
constexpr const char* kRecordType =
    "Error in Query ( %s ) format for record type is RECORD_TYPE=\"typename\"";
constexpr const char* kOpen =
    "Error in Query ( %s ) format for record type is FIELD_VALUE=(someField)";
constexpr const char* kQuoted =
    "Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) 'operator' 'value'";
constexpr const char* kBare =
    "Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) operator value";

TEST(QueryParse, SyntaxErrorsNameTheWholeQuery) {
  const RejectedCase cases[] = {
      {"SELECT RECORDS WHERE", {kShort}},
      {"select RECORDS WHERE RECORD_TYPE=\"Weapon\"",
       {"Error in Query ( %s ) must always begin with SELECT"}},
      {"SELECT ROWS WHERE X", {"Error in Query ( %s ) type was not FIELDS or RECORDS"}},
      {"SELECT RECORDS IF X", {"Error in Query ( %s ) TYPE must proceed with WHERE"}},
      {"SELECT RECORDS WHERE RECORD_TYPE Weapon X", {kRecordType}},
      {"SELECT RECORDS WHERE RECORD_TYPE =", {kRecordType}},
      {"SELECT RECORDS WHERE FIELD_VALUE=(Damage) >= 10", {kOpen}},
      {"SELECT RECORDS WHERE FIELD_VALUE (", {kQuoted}},
      {"SELECT RECORDS WHERE FIELD_VALUE(Damage >= 1", {kQuoted}},
      {"SELECT RECORDS WHERE FIELD_VALUE(Damage)", {kBare}},
      {"SELECT RECORDS WHERE FIELD_VALUE(Damage) >=", {kBare}},
      {"SELECT RECORDS WHERE FIELD_VALUE(Damage) =",
       {"Error in Query ( %s ) unknown operator \"=\"", kBare}},
      {"SELECT RECORDS WHERE FIELD_VALUE(Damage) !",
       {"Error in Query ( %s ) unknown operator \"!\"", kBare}},
      {"SELECT RECORDS WHERE FIELD_TYPE",
       {"Error in Query ( %s ) format for record type is FIELD_TYPE=\"typename\""}},
  };
  for (const RejectedCase& c : cases) {
    SCOPED_TRACE(c.query);
    LogCapture capture;
    EXPECT_FALSE(Database::ParseQuery(c.query).has_value());
    std::vector<std::string> expected;
    for (const std::string format : c.errors) {
      const size_t at = format.find("%s");
      expected.push_back("[Error] [Tessella] " + format.substr(0, at) + c.query +
                         format.substr(at + 2));
    }
    EXPECT_EQ(capture.Texts(), expected);
  }
}

TEST(QueryParse, FieldPathsAreCutOnce) {
  std::string segments;
  for (const auto& segment :
       Database::ParseFieldPath("Slots[2].Stats..Damage[3]x.a[1][2]").segments) {
    segments += segment.name + (segment.index ? "@" + std::to_string(*segment.index) : "") + " ";
  }
  EXPECT_EQ(segments, "Slots@2 Stats Damage@3 a[1][2] ");
}

}  // namespace
