// Findings read from the loaded records: ranges and enumerations.
#include <cstdlib>
#include <string>

#include "findings.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {
namespace {

Number ReadNumber(uint64_t field, int32_t index, uint32_t fieldType) {
  switch (fieldType) {
    case TESSELLA_FIELD_INT8:
      return int64_t{DB_DataField_GetValueAsInt8(field, index)};
    case TESSELLA_FIELD_INT16:
      return int64_t{DB_DataField_GetValueAsInt16(field, index)};
    case TESSELLA_FIELD_INT32:
      return int64_t{DB_DataField_GetValueAsInt32(field, index)};
    case TESSELLA_FIELD_INT64:
      return int64_t{DB_DataField_GetValueAsInt64(field, index)};
    case TESSELLA_FIELD_UINT8:
      return uint64_t{DB_DataField_GetValueAsUInt8(field, index)};
    case TESSELLA_FIELD_UINT16:
      return uint64_t{DB_DataField_GetValueAsUInt16(field, index)};
    case TESSELLA_FIELD_UINT32:
      return uint64_t{DB_DataField_GetValueAsUInt32(field, index)};
    case TESSELLA_FIELD_UINT64:
      return uint64_t{DB_DataField_GetValueAsUInt64(field, index)};
    case TESSELLA_FIELD_FLOAT:
      return double{DB_DataField_GetValueAsFloat(field, index)};
    default:
      return DB_DataField_GetValueAsDouble(field, index);
  }
}

// A bound of a Float or Double field as the author wrote it, read at the field's precision: the
// library keeps ranges at float precision, so a Double holding exactly its written bound would
// read as outside the kept one. Nothing when the text is no number.
std::optional<double> WrittenBound(uint64_t schemaField, const char* key, bool isFloat) {
  const std::optional<std::string> text = FieldKeyValue(schemaField, key);
  if (!text) return std::nullopt;
  char* end = nullptr;
  const double value =
      isFloat ? double{std::strtof(text->c_str(), &end)} : std::strtod(text->c_str(), &end);
  if (end == text->c_str()) return std::nullopt;
  return value;
}

// The range to compare with: for Float and Double the bounds as written, where they are numbers.
Range ComparedRange(uint64_t schemaField, uint32_t type, Range range) {
  if (type != TESSELLA_FIELD_FLOAT && type != TESSELLA_FIELD_DOUBLE) return range;
  const bool isFloat = type == TESSELLA_FIELD_FLOAT;
  if (const auto min = WrittenBound(schemaField, "min", isFloat)) range.min = *min;
  if (const auto max = WrittenBound(schemaField, "max", isFloat)) range.max = *max;
  return range;
}

bool IsEnumerable(uint64_t enumeration, const std::string& value) {
  const uint64_t count = DB_SchemaEnum_GetEnumerableCount(enumeration);
  for (uint64_t i = 0; i < count; ++i) {
    const char* enumerable = nullptr;
    DB_SchemaEnum_GetEnumerableByIndex(enumeration, static_cast<int32_t>(i), &enumerable);
    if (enumerable && value == enumerable) return true;
  }
  return false;
}

class ValueWalk {
 public:
  ValueWalk(uint64_t record, std::vector<Finding>& findings)
      : record_(record), findings_(findings) {}

  void Structure(uint64_t structure, const std::string& prefix) {
    uint64_t type = DB_DataStruct_GetPolymorphicType(structure);
    if (!type) type = DB_SchemaStruct(DB_DataStruct_Name(structure));
    for (const uint64_t schemaField : SchemaFields(type, true)) {
      const std::string name = Text(DB_SchemaField_GetName(schemaField));
      const uint64_t field = DB_DataStruct_FieldByName(structure, name.c_str());
      const uint64_t count = DB_DataField_GetArrayElementCount(field);
      for (uint64_t i = 0; i < count; ++i) {
        const std::string path =
            prefix + name + (IsArray(schemaField) ? "[" + std::to_string(i) + "]" : "");
        Element(schemaField, field, static_cast<int32_t>(i), path);
      }
    }
  }

 private:
  void Element(uint64_t schemaField, uint64_t field, int32_t index, const std::string& path) {
    const uint32_t type = DB_SchemaField_GetFieldType(schemaField);
    if (const std::optional<Range> declared = DeclaredRange(schemaField)) {
      const std::optional<Range> range = ComparedRange(schemaField, type, *declared);
      const Number value = ReadNumber(field, index, type);
      if (value < range->min || value > range->max) {
        Add(kRangeFinding, path,
            NumberText(value) + " is outside the range " + NumberText(range->min) + " to " +
                NumberText(range->max));
      }
    } else if (type == TESSELLA_FIELD_ENUM) {
      const std::string value = Text(DB_DataField_GetValueAsEnum(field, index));
      const char* enumName = DB_SchemaField_GetEnumName(schemaField);
      if (!IsEnumerable(DB_SchemaEnum(enumName), value)) {
        Add(kEnumFinding, path, "\"" + value + "\" is not an enumerable of " + Text(enumName));
      }
    } else if (HoldsStructures(schemaField)) {
      const bool pointer = DB_SchemaField_GetFieldOption(schemaField) == TESSELLA_OPTION_POINTER;
      const uint64_t child = pointer ? DB_DataField_GetValueAsPointer(field, index)
                                     : DB_DataField_GetValueAsStruct(field, index);
      if (child) Structure(child, path + ".");
    }
  }

  void Add(const char* kind, const std::string& path, std::string message) {
    findings_.push_back({kind, Text(DB_DataRecord_Name(record_)),
                         Text(DB_DataRecord_Filename(record_)), 0, path, "", std::move(message)});
  }

  uint64_t record_;
  std::vector<Finding>& findings_;
};

}  // namespace

void CheckRecordValues(uint64_t record, std::vector<Finding>& findings) {
  ValueWalk(record, findings).Structure(record, "");
}

}  // namespace TessellaCli
