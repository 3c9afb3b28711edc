#include "editing/field_edits.h"

#include <memory>
#include <utility>

#include "base/log.h"
#include "editing/array_commands.h"
#include "editing/command_history.h"
#include "editing/value_commands.h"

namespace Database {
namespace {

using Schema::StorageType;

constexpr LogSite kRemoveFixedSite{"DataAccessBridge", 1185, "DB_DataField_RemoveArrayElement"};
constexpr const char* kOtherKind =
    "Field \"%s\" holds another kind of value; the edit was refused.";
constexpr const char* kOutside =
    "Element %lld is outside field \"%s\", which holds %llu elements; the edit was refused.";
constexpr const char* kFull =
    "Field \"%s\" already holds its most elements (%llu); the edit was refused.";
constexpr const char* kNotInService =
    "Structure %llu is not in service; field \"%s\" cannot hold it. The edit was refused.";
constexpr const char* kNotDynamic =
    "Field \"%s\" is not an array; elements are removed only from dynamic arrays.";

void Record(std::unique_ptr<ICommand> command) {
  CommandHistory::Instance().AddCommand(std::move(command));
}

// The field as kind K; null, logged, when it holds another kind.
template <ElementKind K>
CDataFieldOf<K>* FieldOfKind(CDataField& field) {
  CDataFieldOf<K>* typed = FieldAs<K>(&field);
  if (!typed) LogError(kOtherKind, field.NameForMessages());
  return typed;
}

// True when index names an element or, for an edit that may append, the place just past the last
// one; logged otherwise.
bool IndexFits(const CDataField& field, int64_t index, bool mayAppend) {
  const uint64_t count = field.GetCount();
  if (index >= 0 && (static_cast<uint64_t>(index) < count ||
                     (mayAppend && static_cast<uint64_t>(index) == count))) {
    return true;
  }
  LogError(kOutside, static_cast<long long>(index), field.NameForMessages(),
           static_cast<unsigned long long>(count));
  return false;
}

// True when one more element fits; logged otherwise.
bool HasRoom(const CDataField& field, uint64_t maxCount) {
  if (field.GetCount() < maxCount) return true;
  LogError(kFull, field.NameForMessages(), static_cast<unsigned long long>(maxCount));
  return false;
}

}  // namespace

template <ElementKind K>
void SetElement(CDataField& field, ElementType<K> value, int32_t index) {
  CDataFieldOf<K>* typed = FieldOfKind<K>(field);
  if (!typed || !IndexFits(field, index, true)) return;
  if (static_cast<uint64_t>(index) == field.GetCount() &&
      !HasRoom(field, typed->Values().GetMaxCount())) {
    return;
  }
  if constexpr (K == ElementKind::RecordHandle) {
    // The old value is what a host reads there: a pending hash resolves first.
    static_cast<CDataField_Reference&>(field).ResolveEntry(static_cast<uint64_t>(index));
  } else if constexpr (K == ElementKind::StructHandle) {
    const Schema::CSchemaField* schema = field.GetSchema();
    if (value != 0 && schema && !schema->IsWeakPointer() && !Resolve<CDataStruct>(value)) {
      LogError(kNotInService, static_cast<unsigned long long>(value), field.NameForMessages());
      return;
    }
  }
  Record(std::make_unique<Command_ModifyValue<K>>(*typed, std::move(value),
                                                  static_cast<uint32_t>(index)));
}

template <ElementKind K>
uint32_t AddElement(CDataField& field, ElementType<K> value, uint32_t index) {
  CDataFieldOf<K>* typed = FieldOfKind<K>(field);
  if (!typed) return kNotAdded;
  const uint64_t count = field.GetCount();
  if (!IndexFits(field, index == kAppendIndex ? static_cast<int64_t>(count) : int64_t{index},
                 true) ||
      !HasRoom(field, typed->Values().GetMaxCount())) {
    return kNotAdded;
  }
  auto command =
      std::make_unique<Command_ArrayElementAdd<K>>(field.GetHandle(), std::move(value), index);
  const Command_ArrayElementAdd<K>& recorded = *command;
  const uint64_t before = field.GetCount();
  Record(std::move(command));
  return field.GetCount() > before ? recorded.GetIndex() : kNotAdded;
}

void RemoveElement(CDataField& field, uint32_t index) {
  const Schema::CSchemaField* schema = field.GetSchema();
  if (!schema) return;
  if (schema->GetStorageType() == StorageType::FixedArray) {
    LogException(kRemoveFixedSite,
                 "Attempting to remove from fixed array, not allowed! Field is\"%s\"",
                 schema->GetName().c_str());
    return;
  }
  if (schema->GetStorageType() != StorageType::DynamicArray) {
    LogError(kNotDynamic, schema->GetName().c_str());
    return;
  }
  if (!IndexFits(field, index, false)) return;
  const THandle handle = field.GetHandle();
  switch (field.GetElementKind()) {
#define TESSELLA_REMOVE_CASE(KIND)                                                          \
  case ElementKind::KIND:                                                                   \
    Record(std::make_unique<Command_ArrayElementRemove<ElementKind::KIND>>(handle, index)); \
    break;
    TESSELLA_REMOVE_CASE(Bits8)
    TESSELLA_REMOVE_CASE(Bits16)
    TESSELLA_REMOVE_CASE(Bits32)
    TESSELLA_REMOVE_CASE(Bits64)
    TESSELLA_REMOVE_CASE(Float)
    TESSELLA_REMOVE_CASE(Double)
    TESSELLA_REMOVE_CASE(Text)
    TESSELLA_REMOVE_CASE(StructHandle)
    TESSELLA_REMOVE_CASE(RecordHandle)
#undef TESSELLA_REMOVE_CASE
  }
}

void ShiftElement(CDataField& field, uint32_t index, int32_t distance) {
  Record(std::make_unique<Command_ArrayElementShift>(field.GetHandle(), index, distance));
}

#define TESSELLA_INSTANTIATE_EDITS(KIND)                                                       \
  template void SetElement<ElementKind::KIND>(CDataField&, ElementType<ElementKind::KIND>,     \
                                              int32_t);                                        \
  template uint32_t AddElement<ElementKind::KIND>(CDataField&, ElementType<ElementKind::KIND>, \
                                                  uint32_t);
TESSELLA_INSTANTIATE_EDITS(Bits8)
TESSELLA_INSTANTIATE_EDITS(Bits16)
TESSELLA_INSTANTIATE_EDITS(Bits32)
TESSELLA_INSTANTIATE_EDITS(Bits64)
TESSELLA_INSTANTIATE_EDITS(Float)
TESSELLA_INSTANTIATE_EDITS(Double)
TESSELLA_INSTANTIATE_EDITS(Text)
TESSELLA_INSTANTIATE_EDITS(StructHandle)
TESSELLA_INSTANTIATE_EDITS(RecordHandle)
#undef TESSELLA_INSTANTIATE_EDITS

}  // namespace Database
