#include "data/data_struct.h"
#include "tessella.h"

using Database::CDataStruct;
using Database::Resolve;

const char* DB_DataStruct_Serialize(uint64_t dataStruct, const char* filter,
                                    bool emptyWeakPointers) noexcept {
  CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found ? found->Serialize(filter, emptyWeakPointers).c_str() : "";
}

uint64_t DB_DataStruct_GetRecord(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found ? found->GetRecordHandle() : 0;
}

uint64_t DB_DataStruct_GetParent(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found ? found->GetParentHandle() : 0;
}

uint64_t DB_DataStruct_GetPolymorphicType(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found ? found->GetPolymorphicType() : 0;
}

const char* DB_DataStruct_Name(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found ? found->GetTypeName().c_str() : "";
}

const char* DB_DataStruct_FieldName(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  const std::string* name = found ? found->GetName() : nullptr;
  return name ? name->c_str() : "";
}

const char* DB_DataStruct_GetUserData(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  const std::string* userData = found ? found->GetUserData() : nullptr;
  return userData ? userData->c_str() : nullptr;
}

const char* DB_DataStruct_URL(uint64_t dataStruct) noexcept {
  CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found ? found->GetURL().c_str() : "";
}

bool DB_DataStruct_IsDirty(uint64_t dataStruct) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found && found->IsDirty();
}

uint64_t DB_DataStruct_FieldByName(uint64_t dataStruct, const char* name) noexcept {
  const CDataStruct* found = Resolve<CDataStruct>(dataStruct);
  return found && name ? found->FieldByName(name) : 0;
}
