#include "data/data_field.h"
#include "data/data_struct.h"
#include "tessella.h"

using Database::CDataField;
using Database::Resolve;

namespace {

// One template serves every numeric read: the stored bits of the matching width (or the float
// or double), 0 for a bad handle, another element kind or an index outside the array.
template <class T>
T ReadStored(uint64_t field, int32_t index) {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadStored<T>(index) : T{};
}

}  // namespace

uint64_t DB_DataField_GetSchema(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  const Schema::CSchemaField* schema = found ? found->GetSchema() : nullptr;
  return schema ? schema->GetHandle() : 0;
}

uint64_t DB_DataField_GetParent(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found && Resolve<Database::CDataStruct>(found->GetParentHandle())
             ? found->GetParentHandle()
             : 0;
}

uint32_t DB_DataField_GetType(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  const Schema::CSchemaField* schema = found ? found->GetSchema() : nullptr;
  return schema ? static_cast<uint32_t>(schema->GetFieldType()) : 0;
}

uint32_t DB_DataField_GetOption(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  const Schema::CSchemaField* schema = found ? found->GetSchema() : nullptr;
  return schema ? static_cast<uint32_t>(schema->GetFieldOption()) : 0;
}

const char* DB_DataField_GetName(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  const std::string* name = found ? found->GetNameInService() : nullptr;
  return name ? name->c_str() : "";
}

bool DB_DataField_IsDirty(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found && found->IsDirty();
}

uint64_t DB_DataField_GetArrayElementCount(uint64_t field) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->GetCount() : 0;
}

bool DB_DataField_GetValueAsBool(uint64_t field, int32_t index) noexcept {
  return ReadStored<uint8_t>(field, index) != 0;
}

int8_t DB_DataField_GetValueAsInt8(uint64_t field, int32_t index) noexcept {
  return ReadStored<int8_t>(field, index);
}

uint8_t DB_DataField_GetValueAsUInt8(uint64_t field, int32_t index) noexcept {
  return ReadStored<uint8_t>(field, index);
}

int16_t DB_DataField_GetValueAsInt16(uint64_t field, int32_t index) noexcept {
  return ReadStored<int16_t>(field, index);
}

uint16_t DB_DataField_GetValueAsUInt16(uint64_t field, int32_t index) noexcept {
  return ReadStored<uint16_t>(field, index);
}

int32_t DB_DataField_GetValueAsInt32(uint64_t field, int32_t index) noexcept {
  return ReadStored<int32_t>(field, index);
}

uint32_t DB_DataField_GetValueAsUInt32(uint64_t field, int32_t index) noexcept {
  return ReadStored<uint32_t>(field, index);
}

int32_t DB_DataField_GetValueAsLocId(uint64_t field, int32_t index) noexcept {
  return ReadStored<int32_t>(field, index);
}

int64_t DB_DataField_GetValueAsInt64(uint64_t field, int32_t index) noexcept {
  return ReadStored<int64_t>(field, index);
}

uint64_t DB_DataField_GetValueAsUInt64(uint64_t field, int32_t index) noexcept {
  return ReadStored<uint64_t>(field, index);
}

float DB_DataField_GetValueAsFloat(uint64_t field, int32_t index) noexcept {
  return ReadStored<float>(field, index);
}

double DB_DataField_GetValueAsDouble(uint64_t field, int32_t index) noexcept {
  return ReadStored<double>(field, index);
}

const char* DB_DataField_GetValueAsString(uint64_t field, int32_t index) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadText(index) : "";
}

const char* DB_DataField_GetValueAsEnum(uint64_t field, int32_t index) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadText(index) : "";
}

uint64_t DB_DataField_GetValueAsStruct(uint64_t field, int32_t index) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadStructHandle(index) : 0;
}

uint64_t DB_DataField_GetValueAsPointer(uint64_t field, int32_t index) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadLiveStructHandle(index) : 0;
}

uint64_t DB_DataField_GetValueAsWeakPointer(uint64_t field, int32_t index) noexcept {
  const CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadLiveStructHandle(index) : 0;
}

uint64_t DB_DataField_GetValueAsRecord(uint64_t field, int32_t index) noexcept {
  CDataField* found = Resolve<CDataField>(field);
  return found ? found->ReadRecordHandle(index) : 0;
}
