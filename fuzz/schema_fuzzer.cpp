// Parses arbitrary bytes as one schema file and walks everything the reflection interface shows
// of what loaded. Every name it reports must find its object again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tessella.h"

namespace {

void WalkField(uint64_t field, const std::string& input) {
  DB_SchemaField_GetFieldType(field);
  DB_SchemaField_GetFieldOption(field);
  DB_SchemaField_GetFieldStorageType(field);
  DB_SchemaField_GetDescription(field);
  if (DB_SchemaField_HasRange(field) && DB_SchemaField_GetRange(field) == nullptr) {
    fuzz::Fail("a field with a range gave none", input, "a range", "NULL");
  }
  const char* type = DB_SchemaField_GetEnumName(field);
  if (type != nullptr && DB_SchemaStruct(type) == 0 && DB_SchemaEnum(type) == 0) {
    fuzz::Fail("a field names a type that is not found", input, type, "0");
  }
  const uint64_t count = DB_SchemaField_GetKeyValuesCount(field);
  if (count > 0 && count < 64) {
    const char* keys[64];
    const char* values[64];
    DB_SchemaField_GetKeyValues(field, keys, values);
  }
}

void WalkStruct(uint64_t type, const std::string& input) {
  const std::string name = fuzz::Copy(DB_SchemaStruct_GetName(type));
  if (DB_SchemaStruct(name.c_str()) != type) {
    fuzz::Fail("a structure is not found by its name", input, name, "another handle");
  }
  DB_SchemaStruct_GetOwnerFile(type);
  DB_SchemaStruct_GetKeyValue(type, "desc");
  const uint64_t parent = DB_SchemaStruct_GetInheritsFrom(type);
  if (parent != 0 && !DB_SchemaStruct_DoesInheritFrom(type, parent)) {
    fuzz::Fail("a structure does not inherit from its parent", input, name, "false");
  }
  const uint64_t derived = DB_SchemaStruct_StructsThatInheritFromMeCount(type);
  for (uint64_t i = 0; i < derived && i < 64; ++i) {
    DB_SchemaStruct_StructsThatInheritFromMeByIndex(type, static_cast<int32_t>(i));
  }
  const uint64_t fields = DB_SchemaStruct_GetFieldCount(type, true, 0);
  for (uint64_t i = 0; i < fields && i < 256; ++i) {
    const uint64_t field = DB_SchemaStruct_GetFieldByIndex(type, static_cast<int32_t>(i), true, 0);
    if (field == 0) fuzz::Fail("a counted field is missing", input, name, std::to_string(i));
    DB_SchemaStruct_GetFieldByName(type, DB_SchemaField_GetName(field), true, 0);
    WalkField(field, input);
    if (const char* typeName = DB_SchemaField_GetEnumName(field)) {
      const uint64_t enumeration = DB_SchemaEnum(typeName);
      const uint64_t values = DB_SchemaEnum_GetEnumerableCount(enumeration);
      for (uint64_t v = 0; v < values && v < 64; ++v) {
        const char* value = nullptr;
        DB_SchemaEnum_GetEnumerableByIndex(enumeration, static_cast<int32_t>(v), &value);
        DB_SchemaEnum_GetEnumerableKeyValue(enumeration, value, "desc");
      }
      DB_SchemaEnum_GetKeyValue(enumeration, "desc");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  fuzz::Load(input, {});
  for (uint64_t i = 0; i < DB_SchemaRecord_GetCount() && i < 256; ++i) {
    const uint64_t record = DB_SchemaRecord_GetByIndex(static_cast<int32_t>(i));
    WalkStruct(record, input);
    for (uint64_t d = 0; d < DB_SchemaStruct_StructsThatInheritFromMeCount(record) && d < 64; ++d) {
      WalkStruct(DB_SchemaStruct_StructsThatInheritFromMeByIndex(record, static_cast<int32_t>(d)),
                 input);
    }
  }
  return 0;
}
