#include "frame/query.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/log.h"
#include "base/split_string.h"
#include "data/data_record.h"
#include "data/field_text.h"
#include "frame/database.h"
#include "schema/model.h"

namespace Database {
namespace {

constexpr const char* kTooShort =
    "Error in Query ( %s ) not enough actual parameters, expecting at least 4. SELECT (TYPE) "
    "WHERE SOME_DATA";
constexpr const char* kNoSelect = "Error in Query ( %s ) must always begin with SELECT";
constexpr const char* kBadSelectType = "Error in Query ( %s ) type was not FIELDS or RECORDS";
constexpr const char* kNoWhere = "Error in Query ( %s ) TYPE must proceed with WHERE";
constexpr const char* kRecordTypeFormat =
    "Error in Query ( %s ) format for record type is RECORD_TYPE=\"typename\"";
constexpr const char* kFieldValueOpen =
    "Error in Query ( %s ) format for record type is FIELD_VALUE=(someField)";
constexpr const char* kFieldValueQuoted =
    "Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) 'operator' 'value'";
constexpr const char* kFieldValueBare =
    "Error in Query ( %s ) format for record type is FIELD_VALUE=(someField) operator value";
constexpr const char* kFieldTypeFormat =
    "Error in Query ( %s ) format for record type is FIELD_TYPE=\"typename\"";
constexpr const char* kUnknownEquals = "Error in Query ( %s ) unknown operator \"=\"";
constexpr const char* kUnknownBang = "Error in Query ( %s ) unknown operator \"!\"";
constexpr const char* kBoolComparison = "Boolean comparison must be == or !=.";
constexpr const char* kUnsupportedComparison = "Comparator not supported for type.";
constexpr LogSite kResolveFieldSite{"Database", 313, "Database::CDataRecord::ResolveField"};
constexpr const char* kFieldPathTooLong =
    "URL has not been fully resolved (%s). Url must be malformed. This will work, but it may not "
    "be what you intended. Did you try access a field, inside of a non-structure?";

std::string WithoutQuotes(std::string text) {
  std::erase(text, '"');
  return text;
}

// Reads the comparison operator at tokens[at]; returns the position after it (after a consumed
// second "=").
size_t ReadComparison(const std::vector<std::string>& tokens, size_t at, const char* query,
                      std::optional<Comparison>* comparison) {
  const std::string& op = tokens[at];
  const bool hasNext = at + 1 < tokens.size();
  const bool nextIsEquals = hasNext && tokens[at + 1] == "=";
  const auto pick = [&](Comparison withEquals, std::optional<Comparison> without) {
    *comparison = nextIsEquals ? std::optional(withEquals) : without;
    return nextIsEquals ? at + 2 : at + 1;
  };
  if (op == "<") return pick(Comparison::LessOrEqual, Comparison::Less);
  if (op == ">") return pick(Comparison::GreaterOrEqual, Comparison::Greater);
  if (op == "=" || op == "!") {
    if (!hasNext) LogError(op == "=" ? kUnknownEquals : kUnknownBang, query);
    return pick(op == "=" ? Comparison::Equal : Comparison::NotEqual, std::nullopt);
  }
  return at + 1;
}

}  // namespace

FieldPath ParseFieldPath(std::string_view path) {
  FieldPath parsed{std::string(path), {}};
  for (std::string& segment : SplitString(path, ".", "")) {
    std::vector<std::string> parts = SplitString(segment, "[", "[]");
    if (parts.size() == 2) {
      parsed.segments.push_back({std::move(parts[0]), std::atoi(parts[1].c_str())});
    } else {
      parsed.segments.push_back({std::move(segment), std::nullopt});
    }
  }
  return parsed;
}

std::optional<std::vector<QueryCondition>> ParseQuery(const char* query) {
  const std::vector<std::string> t = SplitString(query, " =()", " \"");
  const size_t n = t.size();
  const auto fail = [query](const char* message) {
    LogError(message, query);
    return std::nullopt;
  };
  if (n < 4) return fail(kTooShort);
  if (t[0] != "SELECT") return fail(kNoSelect);
  if (t[1] != "FIELDS" && t[1] != "RECORDS") return fail(kBadSelectType);
  if (t[2] != "WHERE") return fail(kNoWhere);

  std::vector<QueryCondition> chain;
  for (size_t i = 3; i < n;) {
    const std::string& word = t[i];
    if (word == "RECORD_TYPE" || word == "FIELD_TYPE") {
      const char* format = word == "RECORD_TYPE" ? kRecordTypeFormat : kFieldTypeFormat;
      if (n <= i + 2 || t[i + 1] != "=") return fail(format);
      QueryCondition& condition = chain.emplace_back();
      condition.kind = word == "RECORD_TYPE" ? ConditionKind::RecordTypeCondition
                                             : ConditionKind::FieldTypeCondition;
      condition.text = WithoutQuotes(t[i + 2]);
      i += 3;
    } else if (word == "FIELD_VALUE") {
      if (i + 1 < n && t[i + 1] != "(") return fail(kFieldValueOpen);
      if (n <= i + 2) return fail(kFieldValueQuoted);
      QueryCondition condition;
      condition.kind = ConditionKind::FieldValueCondition;
      condition.fieldPath = ParseFieldPath(WithoutQuotes(t[i + 2]));
      if (i + 3 < n && t[i + 3] != ")") return fail(kFieldValueQuoted);
      if (n <= i + 4) return fail(kFieldValueBare);
      const size_t valueAt = ReadComparison(t, i + 4, query, &condition.comparison);
      if (valueAt >= n) return fail(kFieldValueBare);
      condition.text = t[valueAt];
      chain.push_back(std::move(condition));
      i = valueAt + 1;
    } else if (word == "AND" || word == "OR") {
      chain.emplace_back().kind =
          word == "AND" ? ConditionKind::AndCondition : ConditionKind::OrCondition;
      ++i;
    } else {
      ++i;
    }
  }
  return chain;
}

namespace {

using Schema::FieldType;

template <class T>
bool Compare(Comparison comparison, const T& field, const T& value) {
  switch (comparison) {
    case Comparison::GreaterOrEqual:
      return field >= value;
    case Comparison::LessOrEqual:
      return field <= value;
    case Comparison::Greater:
      return field > value;
    case Comparison::Less:
      return field < value;
    case Comparison::Equal:
      return field == value;
    case Comparison::NotEqual:
      return field != value;
  }
  return false;
}

// ASCII letters in lower case, whatever locale the host set.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Text comparisons ignore the letter case of ASCII letters on both sides.
bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

// The query value of one field test, lower-cased and read as each kind of number once, so that
// testing a record costs no text work.
class TestValue {
 public:
  explicit TestValue(const std::string& text) : text_(text) {
    for (char& c : text_) c = LowerAscii(c);
    signed_ = ParseStreamInteger<int64_t>(text_.c_str());
    unsigned_ = ParseStreamInteger<uint64_t>(text_.c_str());
    float_ = ParseStreamFloat(text_.c_str());
    double_ = std::strtod(text_.c_str(), nullptr);
  }
  const std::string& Text() const { return text_; }
  int64_t Signed() const { return signed_; }
  uint64_t Unsigned() const { return unsigned_; }
  float Float() const { return float_; }
  double Double() const { return double_; }

 private:
  std::string text_;
  int64_t signed_;
  uint64_t unsigned_;
  float float_;
  double double_;
};

bool CompareBool(const std::optional<Comparison>& comparison, bool field,
                 const std::string& value) {
  if (comparison != Comparison::Equal && comparison != Comparison::NotEqual) {
    LogError("%s", kBoolComparison);
    return false;
  }
  if (value != "true" && value != "false") return false;
  return ((value == "true") == field) == (comparison == Comparison::Equal);
}

// The field a path names inside a record, with its schema (null when it has none): structure
// fields are followed, a scalar or weak pointer field ends the walk (with an exception line when
// segments remain), a segment naming no field is skipped. No field when the path ends on a
// structure or leads nowhere.
struct PathField {
  const CDataField* field = nullptr;
  const Schema::CSchemaField* schema = nullptr;
};

PathField FindPathField(const CDataStruct& record, const FieldPath& path) {
  const CDataStruct* current = &record;
  const size_t count = path.segments.size();
  for (size_t i = 0; i < count; ++i) {
    const FieldPathSegment& segment = path.segments[i];
    const CDataField* field = current->FindFieldFrom(segment.name, &segment.positionHint);
    if (!field || !field->IsInstated()) continue;
    const Schema::CSchemaField* schema = current->GetFieldSchema(segment.positionHint);
    if (!schema || schema->GetFieldType() != FieldType::Struct || schema->IsWeakPointer()) {
      if (i + 1 < count) LogException(kResolveFieldSite, kFieldPathTooLong, path.text.c_str());
      return {field, schema};
    }
    current = Resolve<CDataStruct>(field->ReadStructHandle(segment.index.value_or(0)));
    if (!current) return {};
  }
  return {};
}

// Compares the field's first element (left) with the query value (right), by the field's type.
bool CompareFieldValue(const PathField& found, const std::optional<Comparison>& comparison,
                       const TestValue& value) {
  const CDataField* field = found.field;
  const Schema::CSchemaField* schema = found.schema;
  if (!field || !schema) return false;
  const FieldType type = schema->GetFieldType();
  if (type == FieldType::Bool)
    return CompareBool(comparison, field->ReadStored<uint8_t>(0) != 0, value.Text());
  if (type == FieldType::LocId || type == FieldType::Struct || type == FieldType::Reference) {
    LogError("%s", kUnsupportedComparison);
    return false;
  }
  if (!comparison) return false;
  switch (type) {
    case FieldType::Int8:
      return Compare<int64_t>(*comparison, field->ReadStored<int8_t>(0), value.Signed());
    case FieldType::Int16:
      return Compare<int64_t>(*comparison, field->ReadStored<int16_t>(0), value.Signed());
    case FieldType::Int32:
      return Compare<int64_t>(*comparison, field->ReadStored<int32_t>(0), value.Signed());
    case FieldType::Int64:
      return Compare<int64_t>(*comparison, field->ReadStored<int64_t>(0), value.Signed());
    case FieldType::UInt8:
      return Compare<uint64_t>(*comparison, field->ReadStored<uint8_t>(0), value.Unsigned());
    case FieldType::UInt16:
      return Compare<uint64_t>(*comparison, field->ReadStored<uint16_t>(0), value.Unsigned());
    case FieldType::UInt32:
      return Compare<uint64_t>(*comparison, field->ReadStored<uint32_t>(0), value.Unsigned());
    case FieldType::UInt64:
      return Compare<uint64_t>(*comparison, field->ReadStored<uint64_t>(0), value.Unsigned());
    case FieldType::Float:
      return Compare(*comparison, field->ReadStored<float>(0), value.Float());
    case FieldType::Double:
      return Compare(*comparison, field->ReadStored<double>(0), value.Double());
    case FieldType::String:
    case FieldType::Enum: {
      if (*comparison != Comparison::Equal && *comparison != Comparison::NotEqual) return false;
      return EqualIgnoringCase(field->ReadText(0), value.Text()) ==
             (*comparison == Comparison::Equal);
    }
    default:
      return false;
  }
}

void SelectRecordsOfType(const std::string& typeName, std::vector<THandle>& out) {
  // Schema names are unique, so a declared type is matched by its handle; the name is compared
  // only for a name that no schema structure has (records without a type have the empty name).
  const THandle type = Schema::SchemaRegistry::Instance().FindStructByName(typeName);
  for (const THandle handle : CDatabase::Instance().Records()) {
    const CDataRecord* record = Resolve<CDataRecord>(handle);
    if (!record) continue;
    if (type != 0 ? record->GetSchemaHandle() == type : record->GetTypeName() == typeName) {
      out.push_back(handle);
    }
  }
}

void SelectByFieldValue(const QueryCondition& test, const std::vector<THandle>& candidates,
                        std::vector<THandle>& out) {
  const TestValue value(test.text);
  for (const THandle handle : candidates) {
    const CDataRecord* record = Resolve<CDataRecord>(handle);
    if (record &&
        CompareFieldValue(FindPathField(*record, test.fieldPath), test.comparison, value)) {
      out.push_back(handle);
    }
  }
}

// Fills the condition's results; previous is the condition before it in the chain, if any.
void EvaluateCondition(QueryCondition& condition, const QueryCondition* previous) {
  switch (condition.kind) {
    case ConditionKind::RecordTypeCondition:
      SelectRecordsOfType(condition.text, condition.results);
      break;
    case ConditionKind::AndCondition:
      if (previous) condition.results = previous->results;
      break;
    case ConditionKind::FieldValueCondition:
      // A field test narrows what the AND before it passes on; an AND that passes nothing on
      // lets the test look at every record.
      if (previous && previous->kind == ConditionKind::AndCondition) {
        SelectByFieldValue(
            condition,
            previous->results.empty() ? CDatabase::Instance().Records() : previous->results,
            condition.results);
      }
      break;
    case ConditionKind::OrCondition:
    case ConditionKind::FieldTypeCondition:
      break;
  }
}

}  // namespace

uint64_t Query(const char* query) {
  if (!query) return 0;
  std::optional<std::vector<QueryCondition>> chain = ParseQuery(query);
  if (!chain) return 0;
  for (size_t i = 0; i < chain->size(); ++i) {
    EvaluateCondition((*chain)[i], i == 0 ? nullptr : &(*chain)[i - 1]);
  }
  CDatabase& database = CDatabase::Instance();
  database.SetQueryResults(chain->empty() ? std::vector<THandle>()
                                          : std::move(chain->back().results));
  return database.QueryResults().size();
}

}  // namespace Database
