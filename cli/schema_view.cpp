#include "schema_view.h"

#include <charconv>
#include <cstring>

#include "tessella.h"

namespace TessellaCli {
namespace {

template <typename T>
Range RangeOf(const void* bounds) {
  T values[3];
  std::memcpy(values, bounds, sizeof values);
  return {values[0], values[1], values[2]};
}

}  // namespace

std::vector<uint64_t> SchemaFields(uint64_t schemaStruct, bool includeInherited) {
  const uint64_t count = DB_SchemaStruct_GetFieldCount(schemaStruct, includeInherited, 0);
  std::vector<uint64_t> fields;
  for (uint64_t i = 0; i < count; ++i) {
    fields.push_back(DB_SchemaStruct_GetFieldByIndex(schemaStruct, static_cast<int32_t>(i),
                                                     includeInherited, 0));
  }
  return fields;
}

std::optional<Range> DeclaredRange(uint64_t schemaField) {
  if (!DB_SchemaField_HasRange(schemaField)) return std::nullopt;
  const void* bounds = DB_SchemaField_GetRange(schemaField);
  if (!bounds) return std::nullopt;
  switch (DB_SchemaField_GetFieldType(schemaField)) {
    case TESSELLA_FIELD_INT8:
    case TESSELLA_FIELD_INT16:
    case TESSELLA_FIELD_INT32:
    case TESSELLA_FIELD_INT64:
      return RangeOf<int64_t>(bounds);
    case TESSELLA_FIELD_UINT8:
    case TESSELLA_FIELD_UINT16:
    case TESSELLA_FIELD_UINT32:
    case TESSELLA_FIELD_UINT64:
      return RangeOf<uint64_t>(bounds);
    case TESSELLA_FIELD_FLOAT:
    case TESSELLA_FIELD_DOUBLE:
      return RangeOf<double>(bounds);
    default:
      return std::nullopt;
  }
}

std::optional<std::string> FieldKeyValue(uint64_t schemaField, const std::string& key) {
  const uint64_t count = DB_SchemaField_GetKeyValuesCount(schemaField);
  std::vector<const char*> keys(count), values(count);
  DB_SchemaField_GetKeyValues(schemaField, keys.data(), values.data());
  for (uint64_t i = 0; i < count; ++i) {
    if (keys[i] && key == keys[i]) return Text(values[i]);
  }
  return std::nullopt;
}

std::string NumberText(const Number& number) {
  char text[64];
  const auto write = [&text](auto value) {
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
  };
  if (const int64_t* value = std::get_if<int64_t>(&number)) return write(*value);
  if (const uint64_t* value = std::get_if<uint64_t>(&number)) return write(*value);
  // Ranges and Float values are floats widened to double: show them in their shortest float form.
  const double value = std::get<double>(number);
  const auto narrowed = static_cast<float>(value);
  return static_cast<double>(narrowed) == value ? write(narrowed) : write(value);
}

std::string TypeName(uint64_t schemaField) {
  static constexpr const char* kKeywords[] = {
      "",       "bool",   "int8",  "int16",  "int32", "int64", "uint8",  "uint16", "uint32",
      "uint64", "string", "float", "double", "LocId", "enum",  "struct", "record"};
  if (const char* custom = DB_SchemaField_GetEnumName(schemaField)) return custom;
  const uint32_t type = DB_SchemaField_GetFieldType(schemaField);
  return type < std::size(kKeywords) ? kKeywords[type] : "?";
}

std::string Declaration(uint64_t schemaField) {
  std::string text = TypeName(schemaField);
  switch (DB_SchemaField_GetFieldOption(schemaField)) {
    case TESSELLA_OPTION_POINTER:
      text += " @";
      break;
    case TESSELLA_OPTION_WEAK_POINTER:
      text += " *";
      break;
    case TESSELLA_OPTION_AMPERSAND:
      text += " &";
      break;
    default:
      break;
  }
  const uint32_t storage = DB_SchemaField_GetFieldStorageType(schemaField);
  const bool marked = DB_SchemaField_GetFieldOption(schemaField) != TESSELLA_OPTION_NONE;
  if (storage == TESSELLA_STORAGE_DYNAMIC_ARRAY) text += marked ? " []" : "[]";
  if (storage == TESSELLA_STORAGE_FIXED_ARRAY) text += marked ? " [fixed]" : "[fixed]";
  return text;
}

bool HoldsStructures(uint64_t schemaField) {
  return DB_SchemaField_GetFieldType(schemaField) == TESSELLA_FIELD_STRUCT &&
         DB_SchemaField_GetFieldOption(schemaField) != TESSELLA_OPTION_WEAK_POINTER;
}

bool IsWeakPointer(uint64_t schemaField) {
  return DB_SchemaField_GetFieldType(schemaField) == TESSELLA_FIELD_STRUCT &&
         DB_SchemaField_GetFieldOption(schemaField) == TESSELLA_OPTION_WEAK_POINTER;
}

bool IsStoredReference(uint64_t schemaField) {
  return DB_SchemaField_GetFieldType(schemaField) == TESSELLA_FIELD_REFERENCE &&
         DB_SchemaField_GetFieldOption(schemaField) == TESSELLA_OPTION_AMPERSAND;
}

bool IsArray(uint64_t schemaField) {
  return DB_SchemaField_GetFieldStorageType(schemaField) != TESSELLA_STORAGE_SINGLE;
}

std::string Text(const char* text) { return text ? text : ""; }

}  // namespace TessellaCli
