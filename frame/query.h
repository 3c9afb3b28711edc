// The record query language: "SELECT RECORDS WHERE RECORD_TYPE="Weapon" AND
// FIELD_VALUE(Stats.Damage) >= 10". A query is parsed into a chain of conditions, evaluated in
// chain order against the open database; the last condition's selection is the result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/data_object.h"

namespace Database {

enum class ConditionKind : uint32_t {
  AndCondition = 0,
  OrCondition = 1,
  RecordTypeCondition = 2,
  FieldTypeCondition = 3,
  FieldValueCondition = 5,
};

// The field's value is the left operand: Greater means field value > query value.
enum class Comparison : uint32_t {
  GreaterOrEqual = 0,
  LessOrEqual = 1,
  Greater = 2,
  Less = 3,
  Equal = 4,
  NotEqual = 5,
};

// One step of a field path: a field name and, for "name[3]", an element index.
struct FieldPathSegment {
  std::string name;
  std::optional<int32_t> index;
  // Where the last structure walked held the field: records of one type hold their fields in one
  // order, so the next record is looked at there first.
  mutable size_t positionHint = 0;
};

// A field path cut into its segments once, when the query is parsed, so that evaluation does no
// text splitting per record.
struct FieldPath {
  std::string text;
  std::vector<FieldPathSegment> segments;
};

// Cuts "Slots[2].Damage" into segments; a segment with more than one '[' is taken whole as a
// name.
FieldPath ParseFieldPath(std::string_view path);

struct QueryCondition {
  ConditionKind kind = ConditionKind::AndCondition;
  std::vector<THandle> results;
  std::string text;  // the type name, or the value text of a field test
  FieldPath fieldPath;
  std::optional<Comparison> comparison;
};

// Parses the query. On a syntax error logs one error line naming the whole query and returns
// nothing; the two "unknown operator" lines do not end the parse.
std::optional<std::vector<QueryCondition>> ParseQuery(const char* query);

// Parses and evaluates the query. On success the database's query results are replaced by the
// selection of the last condition and their number is returned; after a parse error the previous
// results stay and 0 is returned.
uint64_t Query(const char* query);

}  // namespace Database
