#include "tessella.h"
// The public header comes first: it must compile on its own.

#include "data/data_struct.h"
#include "editing/structure_edits.h"

using Database::CDataStruct;
using Database::WithObject;

const char* DB_DataStruct_Serialize(uint64_t dataStruct, const char* filter,
                                    bool emptyWeakPointers) noexcept {
  return WithObject<CDataStruct>(dataStruct, "", [&](CDataStruct& found) {
    return found.Serialize(filter, emptyWeakPointers).c_str();
  });
}

uint64_t DB_DataStruct_GetRecord(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(
      dataStruct, 0, [&](const CDataStruct& found) { return found.GetRecordHandle(); });
}

uint64_t DB_DataStruct_GetParent(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(
      dataStruct, 0, [&](const CDataStruct& found) { return found.GetParentHandle(); });
}

uint64_t DB_DataStruct_GetPolymorphicType(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(
      dataStruct, 0, [&](const CDataStruct& found) { return found.GetPolymorphicType(); });
}

const char* DB_DataStruct_Name(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(
      dataStruct, "", [&](const CDataStruct& found) { return found.GetTypeName().c_str(); });
}

const char* DB_DataStruct_FieldName(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(dataStruct, "", [](const CDataStruct& found) {
    const char* name = found.GetName();
    return name ? name : "";
  });
}

const char* DB_DataStruct_GetUserData(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(dataStruct, nullptr, [](const CDataStruct& found) {
    const std::string* userData = found.GetUserData();
    return userData ? userData->c_str() : nullptr;
  });
}

const char* DB_DataStruct_URL(uint64_t dataStruct) noexcept {
  return WithObject<CDataStruct>(dataStruct, "",
                                 [&](CDataStruct& found) { return found.GetURL().c_str(); });
}

bool DB_DataStruct_IsDirty(uint64_t dataStruct) noexcept {
  return WithObject<const CDataStruct>(dataStruct, false,
                                       [&](const CDataStruct& found) { return found.IsDirty(); });
}

uint64_t DB_DataStruct_FieldByName(uint64_t dataStruct, const char* name) noexcept {
  return WithObject<const CDataStruct>(
      dataStruct, 0, [&](const CDataStruct& found) { return name ? found.FieldByName(name) : 0; });
}

bool DB_DataStruct_Deserialize(uint64_t dataStruct, const char* text, const char* filter) noexcept {
  return WithObject<CDataStruct>(dataStruct, false, [&](CDataStruct& found) {
    return Database::DeserializeStructure(found, text, filter);
  });
}

bool DB_DataStruct_CanDeserialize(uint64_t dataStruct, const char* text) noexcept {
  return WithObject<const CDataStruct>(
      dataStruct, false, [&](const CDataStruct& found) { return found.CanDeserialize(text); });
}

void DB_DataStruct_SetPolymorphicType(uint64_t dataStruct, uint64_t schemaStruct) noexcept {
  WithObject<CDataStruct>(
      dataStruct, [&](CDataStruct& found) { Database::SetPolymorphicType(found, schemaStruct); });
}

bool DB_DataStruct_DuplicateInsideArray(uint64_t dataStruct) noexcept {
  return WithObject<CDataStruct>(
      dataStruct, false, [](CDataStruct& found) { return Database::DuplicateInsideArray(found); });
}

void DB_DataStruct_SetUserData(uint64_t dataStruct, const char* text) noexcept {
  if (!text) return;
  WithObject<CDataStruct>(dataStruct, [&](CDataStruct& found) { found.SetUserData(text); });
}
