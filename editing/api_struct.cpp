#include "tessella.h"
// The public header comes first: it must compile on its own.

#include "data/data_struct.h"

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
    const std::string* name = found.GetName();
    return name ? name->c_str() : "";
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
