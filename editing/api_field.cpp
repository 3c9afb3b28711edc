#include "tessella.h"
// The public header comes first: it must compile on its own.

#include <string>

#include "data/data_field.h"
#include "data/data_struct.h"
#include "editing/field_edits.h"

using Database::CDataField;
using Database::ElementKind;
using Database::ElementType;
using Database::kNotAdded;
using Database::Resolve;
using Database::WithObject;
using Schema::CSchemaField;

namespace {

// A host value as element kind K stores it: integers as their unsigned bits, bools as 0 or 1,
// texts copied (null as the empty text).
template <ElementKind K, class Value>
ElementType<K> Stored(Value value) {
  if constexpr (K == ElementKind::Text) {
    return Database::CompactText(value);
  } else if constexpr (std::is_same_v<Value, bool>) {
    return static_cast<ElementType<K>>(value ? 1 : 0);
  } else {
    return static_cast<ElementType<K>>(value);
  }
}

// One template serves every numeric read: the stored bits of the matching width (or the float
// or double), 0 for a bad handle, another element kind or an index outside the array.
template <class T>
T ReadStored(uint64_t field, int32_t index) {
  return WithObject<const CDataField>(
      field, T{}, [&](const CDataField& found) { return found.ReadStored<T>(index); });
}

// The set and add exports of one element kind; the host's value becomes the stored element.
template <ElementKind K, class Value>
void Set(uint64_t field, Value value, int32_t index) {
  WithObject<CDataField>(
      field, [&](CDataField& found) { Database::SetElement<K>(found, Stored<K>(value), index); });
}

template <ElementKind K, class Value>
uint32_t Add(uint64_t field, Value value, uint32_t index) {
  return WithObject<CDataField>(field, kNotAdded, [&](CDataField& found) {
    return Database::AddElement<K>(found, Stored<K>(value), index);
  });
}

// read(schema field of the field), or neutral when either cannot be found.
template <class Result, class Read>
Result FromSchema(uint64_t field, Result neutral, Read read) {
  return WithObject<const CDataField>(field, neutral, [&](const CDataField& found) {
    const CSchemaField* schema = found.GetSchema();
    return schema ? read(*schema) : neutral;
  });
}

}  // namespace

uint64_t DB_DataField_GetSchema(uint64_t field) noexcept {
  return FromSchema(field, uint64_t{0}, [](const CSchemaField& s) { return s.GetHandle(); });
}

uint64_t DB_DataField_GetParent(uint64_t field) noexcept {
  return WithObject<const CDataField>(field, 0, [](const CDataField& found) {
    return Resolve<Database::CDataStruct>(found.GetParentHandle()) ? found.GetParentHandle() : 0;
  });
}

uint32_t DB_DataField_GetType(uint64_t field) noexcept {
  return FromSchema(field, uint32_t{0},
                    [](const CSchemaField& s) { return static_cast<uint32_t>(s.GetFieldType()); });
}

uint32_t DB_DataField_GetOption(uint64_t field) noexcept {
  return FromSchema(field, uint32_t{0}, [](const CSchemaField& s) {
    return static_cast<uint32_t>(s.GetFieldOption());
  });
}

const char* DB_DataField_GetName(uint64_t field) noexcept {
  return WithObject<const CDataField>(field, "", [](const CDataField& found) {
    const std::string* name = found.GetNameInService();
    return name ? name->c_str() : "";
  });
}

bool DB_DataField_IsDirty(uint64_t field) noexcept {
  return WithObject<const CDataField>(field, false,
                                      [&](const CDataField& found) { return found.IsDirty(); });
}

uint64_t DB_DataField_GetArrayElementCount(uint64_t field) noexcept {
  return WithObject<const CDataField>(field, 0,
                                      [&](const CDataField& found) { return found.GetCount(); });
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
  return WithObject<const CDataField>(
      field, "", [&](const CDataField& found) { return found.ReadText(index); });
}

const char* DB_DataField_GetValueAsEnum(uint64_t field, int32_t index) noexcept {
  return WithObject<const CDataField>(
      field, "", [&](const CDataField& found) { return found.ReadText(index); });
}

uint64_t DB_DataField_GetValueAsStruct(uint64_t field, int32_t index) noexcept {
  return WithObject<const CDataField>(
      field, 0, [&](const CDataField& found) { return found.ReadStructHandle(index); });
}

uint64_t DB_DataField_GetValueAsPointer(uint64_t field, int32_t index) noexcept {
  return WithObject<const CDataField>(
      field, 0, [&](const CDataField& found) { return found.ReadLiveStructHandle(index); });
}

uint64_t DB_DataField_GetValueAsWeakPointer(uint64_t field, int32_t index) noexcept {
  return WithObject<const CDataField>(
      field, 0, [&](const CDataField& found) { return found.ReadLiveStructHandle(index); });
}

uint64_t DB_DataField_GetValueAsRecord(uint64_t field, int32_t index) noexcept {
  return WithObject<CDataField>(field, 0,
                                [&](CDataField& found) { return found.ReadRecordHandle(index); });
}

void DB_DataField_SetValueAsBool(uint64_t field, bool value, int32_t index) noexcept {
  Set<ElementKind::Bits8>(field, value, index);
}

void DB_DataField_SetValueAsInt8(uint64_t field, int8_t value, int32_t index) noexcept {
  Set<ElementKind::Bits8>(field, value, index);
}

void DB_DataField_SetValueAsUInt8(uint64_t field, uint8_t value, int32_t index) noexcept {
  Set<ElementKind::Bits8>(field, value, index);
}

void DB_DataField_SetValueAsInt16(uint64_t field, int16_t value, int32_t index) noexcept {
  Set<ElementKind::Bits16>(field, value, index);
}

void DB_DataField_SetValueAsUInt16(uint64_t field, uint16_t value, int32_t index) noexcept {
  Set<ElementKind::Bits16>(field, value, index);
}

void DB_DataField_SetValueAsInt32(uint64_t field, int32_t value, int32_t index) noexcept {
  Set<ElementKind::Bits32>(field, value, index);
}

void DB_DataField_SetValueAsUInt32(uint64_t field, uint32_t value, int32_t index) noexcept {
  Set<ElementKind::Bits32>(field, value, index);
}

void DB_DataField_SetValueAsLocId(uint64_t field, int32_t value, int32_t index) noexcept {
  Set<ElementKind::Bits32>(field, value, index);
}

void DB_DataField_SetValueAsInt64(uint64_t field, int64_t value, int32_t index) noexcept {
  Set<ElementKind::Bits64>(field, value, index);
}

void DB_DataField_SetValueAsUInt64(uint64_t field, uint64_t value, int32_t index) noexcept {
  Set<ElementKind::Bits64>(field, value, index);
}

void DB_DataField_SetValueAsFloat(uint64_t field, float value, int32_t index) noexcept {
  Set<ElementKind::Float>(field, value, index);
}

void DB_DataField_SetValueAsDouble(uint64_t field, double value, int32_t index) noexcept {
  Set<ElementKind::Double>(field, value, index);
}

void DB_DataField_SetValueAsString(uint64_t field, const char* value, int32_t index) noexcept {
  Set<ElementKind::Text>(field, value, index);
}

void DB_DataField_SetValueAsEnum(uint64_t field, const char* value, int32_t index) noexcept {
  Set<ElementKind::Text>(field, value, index);
}

void DB_DataField_SetValueAsStruct(uint64_t field, uint64_t value, int32_t index) noexcept {
  Set<ElementKind::StructHandle>(field, value, index);
}

void DB_DataField_SetValueAsPointer(uint64_t field, uint64_t value, int32_t index) noexcept {
  Set<ElementKind::StructHandle>(field, value, index);
}

void DB_DataField_SetValueAsWeakPointer(uint64_t field, uint64_t value, int32_t index) noexcept {
  Set<ElementKind::StructHandle>(field, value, index);
}

void DB_DataField_SetValueAsRecord(uint64_t field, uint64_t value, int32_t index) noexcept {
  Set<ElementKind::RecordHandle>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementBool(uint64_t field, bool value, uint32_t index) noexcept {
  return Add<ElementKind::Bits8>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementInt8(uint64_t field, int8_t value, uint32_t index) noexcept {
  return Add<ElementKind::Bits8>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementUInt8(uint64_t field, uint8_t value, uint32_t index) noexcept {
  return Add<ElementKind::Bits8>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementInt16(uint64_t field, int16_t value, uint32_t index) noexcept {
  return Add<ElementKind::Bits16>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementUInt16(uint64_t field, uint16_t value,
                                            uint32_t index) noexcept {
  return Add<ElementKind::Bits16>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementInt32(uint64_t field, int32_t value, uint32_t index) noexcept {
  return Add<ElementKind::Bits32>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementUInt32(uint64_t field, uint32_t value,
                                            uint32_t index) noexcept {
  return Add<ElementKind::Bits32>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementLocId(uint64_t field, int32_t value, uint32_t index) noexcept {
  return Add<ElementKind::Bits32>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementInt64(uint64_t field, int64_t value, uint32_t index) noexcept {
  return Add<ElementKind::Bits64>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementUInt64(uint64_t field, uint64_t value,
                                            uint32_t index) noexcept {
  return Add<ElementKind::Bits64>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementFloat(uint64_t field, float value, uint32_t index) noexcept {
  return Add<ElementKind::Float>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementDouble(uint64_t field, double value, uint32_t index) noexcept {
  return Add<ElementKind::Double>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementString(uint64_t field, const char* value,
                                            uint32_t index) noexcept {
  return Add<ElementKind::Text>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementEnum(uint64_t field, const char* value,
                                          uint32_t index) noexcept {
  return Add<ElementKind::Text>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementWeakPointer(uint64_t field, uint64_t value,
                                                 uint32_t index) noexcept {
  return Add<ElementKind::StructHandle>(field, value, index);
}

uint32_t DB_DataField_AddArrayElementReference(uint64_t field, uint64_t value,
                                               uint32_t index) noexcept {
  return Add<ElementKind::RecordHandle>(field, value, index);
}

void DB_DataField_RemoveArrayElement(uint64_t field, uint32_t index) noexcept {
  WithObject<CDataField>(field, [&](CDataField& found) { Database::RemoveElement(found, index); });
}

void DB_DataField_ShiftArrayElement(uint64_t field, uint32_t index, int32_t distance) noexcept {
  WithObject<CDataField>(
      field, [&](CDataField& found) { Database::ShiftElement(found, index, distance); });
}

uint32_t DB_DataField_AddArrayElementStruct(uint64_t field, uint64_t value,
                                            uint32_t index) noexcept {
  return WithObject<CDataField>(field, kNotAdded, [&](CDataField& found) {
    return Database::AddStructElement(found, value, index);
  });
}

uint32_t DB_DataField_AddArrayElementPointer(uint64_t field, uint64_t value,
                                             uint32_t index) noexcept {
  return DB_DataField_AddArrayElementStruct(field, value, index);
}

void DB_DataField_NewPointer(uint64_t field, uint64_t target, uint32_t index) noexcept {
  WithObject<CDataField>(field,
                         [&](CDataField& found) { Database::NewPointer(found, target, index); });
}

void DB_DataField_DeletePointer(uint64_t field, uint32_t index) noexcept {
  WithObject<CDataField>(field, [&](CDataField& found) { Database::DeletePointer(found, index); });
}

bool DB_DataField_MoveArrayElementFrom(uint64_t fromField, uint64_t element,
                                       uint64_t toField) noexcept {
  return WithObject<CDataField>(fromField, false, [&](CDataField& from) {
    return WithObject<CDataField>(toField, false, [&](CDataField& to) {
      return Database::MoveArrayElement(from, element, to);
    });
  });
}
