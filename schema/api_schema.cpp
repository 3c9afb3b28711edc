#include "tessella.h"
// The public header comes first: it must compile on its own.

#include <string>
#include <vector>

#include "base/object_registry.h"
#include "schema/model.h"

using Database::Resolve;
using Database::WithObject;
using Schema::CSchemaEnum;
using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::SchemaRegistry;

namespace {

const char* TextOrNull(const std::string* text) { return text ? text->c_str() : nullptr; }

// The index-th handle of a list; 0 when the index is outside it.
uint64_t HandleAt(const std::vector<uint64_t>& handles, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < handles.size()
             ? handles[static_cast<size_t>(index)]
             : 0;
}

// Serves DB_SchemaField_GetEnumName, GetStructName and GetRecordName alike.
const char* CustomTypeName(uint64_t field) {
  return WithObject<const CSchemaField>(
      field, static_cast<const char*>(nullptr),
      [](const CSchemaField& f) { return TextOrNull(f.GetCustomTypeName()); });
}

}  // namespace

uint64_t DB_SchemaStruct(const char* name) noexcept {
  return Database::Guarded(
      0, [&] { return name ? SchemaRegistry::Instance().FindStructByName(name) : 0; });
}

uint64_t DB_SchemaEnum(const char* name) noexcept {
  return Database::Guarded(
      0, [&] { return name ? SchemaRegistry::Instance().FindEnumByName(name) : 0; });
}

const char* DB_SchemaStruct_GetName(uint64_t schemaStruct) noexcept {
  return WithObject<const CSchemaStruct>(
      schemaStruct, "", [](const CSchemaStruct& s) { return s.GetName().c_str(); });
}

const char* DB_SchemaStruct_GetOwnerFile(uint64_t schemaStruct) noexcept {
  return WithObject<const CSchemaStruct>(
      schemaStruct, "", [](const CSchemaStruct& s) { return s.GetOwnerFile().c_str(); });
}

uint64_t DB_SchemaStruct_GetFieldCount(uint64_t schemaStruct, bool includeInherited,
                                       uint64_t start) noexcept {
  return WithObject<const CSchemaStruct>(schemaStruct, uint64_t{0}, [=](const CSchemaStruct& s) {
    return s.GetFieldCount(includeInherited, start);
  });
}

uint64_t DB_SchemaRecord_GetCount() noexcept {
  return SchemaRegistry::Instance().SchemaRecords().size();
}

uint64_t DB_SchemaRecord_GetByIndex(int32_t index) noexcept {
  return HandleAt(SchemaRegistry::Instance().SchemaRecords(), index);
}

uint64_t DB_SchemaStruct_GetFieldByIndex(uint64_t schemaStruct, int32_t index,
                                         bool includeInherited, uint64_t start) noexcept {
  // A start replaces the structure: numbering begins there.
  return WithObject<const CSchemaStruct>(
      start != 0 ? start : schemaStruct, uint64_t{0},
      [=](const CSchemaStruct& s) { return s.GetFieldByIndex(index, includeInherited, 0); });
}

uint64_t DB_SchemaStruct_GetFieldByName(uint64_t schemaStruct, const char* name,
                                        bool includeInherited, uint64_t start) noexcept {
  if (!name) return 0;
  return WithObject<const CSchemaStruct>(schemaStruct, uint64_t{0}, [=](const CSchemaStruct& s) {
    return s.GetFieldByName(name, includeInherited, start);
  });
}

const char* DB_SchemaStruct_GetKeyValue(uint64_t schemaStruct, const char* key) noexcept {
  if (!key) return nullptr;
  return WithObject<const CSchemaStruct>(
      schemaStruct, static_cast<const char*>(nullptr),
      [=](const CSchemaStruct& s) { return TextOrNull(s.GetKeyValue(key)); });
}

uint64_t DB_SchemaStruct_StructsThatInheritFromMeCount(uint64_t schemaStruct) noexcept {
  return WithObject<const CSchemaStruct>(schemaStruct, uint64_t{0}, [](const CSchemaStruct& s) {
    return static_cast<uint64_t>(s.StructsThatInheritFromMe().size());
  });
}

uint64_t DB_SchemaStruct_StructsThatInheritFromMeByIndex(uint64_t schemaStruct,
                                                         int32_t index) noexcept {
  return WithObject<const CSchemaStruct>(schemaStruct, uint64_t{0}, [=](const CSchemaStruct& s) {
    return HandleAt(s.StructsThatInheritFromMe(), index);
  });
}

uint64_t DB_SchemaStruct_GetInheritsFrom(uint64_t schemaStruct) noexcept {
  return WithObject<const CSchemaStruct>(
      schemaStruct, uint64_t{0}, [](const CSchemaStruct& s) { return s.GetInheritsFrom(); });
}

bool DB_SchemaStruct_DoesInheritFrom(uint64_t schemaStruct, uint64_t other) noexcept {
  return WithObject<const CSchemaStruct>(
      schemaStruct, false, [=](const CSchemaStruct& s) { return s.DoesInheritFrom(other); });
}

uint32_t DB_SchemaField_GetFieldType(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(schemaField, uint32_t{0}, [](const CSchemaField& f) {
    return static_cast<uint32_t>(f.GetFieldType());
  });
}

uint32_t DB_SchemaField_GetFieldOption(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(schemaField, uint32_t{0}, [](const CSchemaField& f) {
    return static_cast<uint32_t>(f.GetFieldOption());
  });
}

uint32_t DB_SchemaField_GetFieldStorageType(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(schemaField, uint32_t{0}, [](const CSchemaField& f) {
    return static_cast<uint32_t>(f.GetStorageType());
  });
}

const char* DB_SchemaField_GetEnumName(uint64_t schemaField) noexcept {
  return CustomTypeName(schemaField);
}

const char* DB_SchemaField_GetStructName(uint64_t schemaField) noexcept {
  return CustomTypeName(schemaField);
}

const char* DB_SchemaField_GetRecordName(uint64_t schemaField) noexcept {
  return CustomTypeName(schemaField);
}

uint64_t DB_SchemaField_GetKeyValuesCount(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(schemaField, uint64_t{0}, [](const CSchemaField& f) {
    return static_cast<uint64_t>(f.KeyValues().size());
  });
}

void DB_SchemaField_GetKeyValues(uint64_t schemaField, const char** keys,
                                 const char** values) noexcept {
  if (!keys || !values) return;
  WithObject<const CSchemaField>(schemaField, [&](const CSchemaField& field) {
    for (const auto& [key, value] : field.KeyValues()) {
      *keys++ = key.c_str();
      *values++ = value.c_str();
    }
  });
}

const char* DB_SchemaField_GetName(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(schemaField, static_cast<const char*>(nullptr),
                                        [](const CSchemaField& f) { return f.GetName().c_str(); });
}

const char* DB_SchemaField_GetDescription(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(
      schemaField, static_cast<const char*>(nullptr),
      [](const CSchemaField& f) { return TextOrNull(f.GetKeyValue("desc")); });
}

bool DB_SchemaField_HasRange(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(schemaField, false,
                                        [](const CSchemaField& f) { return f.HasRange(); });
}

const void* DB_SchemaField_GetRange(uint64_t schemaField) noexcept {
  return WithObject<const CSchemaField>(
      schemaField, static_cast<const void*>(nullptr),
      [](const CSchemaField& f) -> const void* { return f.GetRange(); });
}

const char* DB_SchemaEnum_GetName(uint64_t schemaEnum) noexcept {
  return WithObject<const CSchemaEnum>(schemaEnum, static_cast<const char*>(nullptr),
                                       [](const CSchemaEnum& e) { return e.GetName().c_str(); });
}

uint64_t DB_SchemaEnum_GetEnumerableCount(uint64_t schemaEnum) noexcept {
  return WithObject<const CSchemaEnum>(schemaEnum, uint64_t{0}, [](const CSchemaEnum& e) {
    return static_cast<uint64_t>(e.Enumerables().size());
  });
}

void DB_SchemaEnum_GetEnumerableByIndex(uint64_t schemaEnum, int32_t index,
                                        const char** out) noexcept {
  WithObject<const CSchemaEnum>(schemaEnum, [&](const CSchemaEnum& enumeration) {
    const std::string* name = enumeration.GetEnumerable(index);
    if (name && out) *out = name->c_str();
  });
}

const char* DB_SchemaEnum_GetKeyValue(uint64_t schemaEnum, const char* key) noexcept {
  if (!key) return nullptr;
  return WithObject<const CSchemaEnum>(
      schemaEnum, static_cast<const char*>(nullptr),
      [=](const CSchemaEnum& e) { return TextOrNull(e.GetKeyValue(key)); });
}

const char* DB_SchemaEnum_GetEnumerableKeyValue(uint64_t schemaEnum, const char* enumerable,
                                                const char* key) noexcept {
  if (!enumerable || !key) return nullptr;
  return WithObject<const CSchemaEnum>(
      schemaEnum, static_cast<const char*>(nullptr),
      [=](const CSchemaEnum& e) { return TextOrNull(e.GetEnumerableKeyValue(enumerable, key)); });
}
