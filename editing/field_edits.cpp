#include "editing/field_edits.h"

#include <memory>
#include <utility>

#include "base/log.h"
#include "editing/array_commands.h"
#include "editing/command_history.h"
#include "editing/structure_commands.h"
#include "editing/value_commands.h"

namespace Database {
namespace {

using Schema::StorageType;

constexpr LogSite kRemoveFixedSite{"DataAccessBridge", 1185, "DB_DataField_RemoveArrayElement"};
constexpr LogSite kMoveNotArraysSite{"DataAccessBridge", 1094, "DB_DataField_MoveArrayElementFrom"};
constexpr LogSite kMoveTypesSite{"DataAccessBridge", 1100, "DB_DataField_MoveArrayElementFrom"};
constexpr const char* kNotOwning = "Field \"%s\" does not own structures; the edit was refused.";
constexpr const char* kOtherKind =
    "Field \"%s\" holds another kind of value; the edit was refused.";
constexpr const char* kOutside =
    "Element %lld is outside field \"%s\", which holds %llu elements; the edit was refused.";
constexpr const char* kFull =
    "Field \"%s\" already holds its most elements (%llu); the edit was refused.";
constexpr const char* kNotInService =
    "Structure %llu is not in service; field \"%s\" cannot hold it. The edit was refused.";
constexpr const char* kHoldsItself =
    "Structure %llu holds field \"%s\"; storing it there would make it hold itself. The edit "
    "was refused.";
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

// True unless field holds structures and storing structure there would make the structure hold
// itself (it is the field's structure or holds it); logged then.
bool KeepsTreesAcyclic(const CDataField& field, THandle structure) {
  const Schema::CSchemaField* schema = field.GetSchema();
  if (structure == 0 || !schema || schema->IsWeakPointer() ||
      field.GetElementKind() != ElementKind::StructHandle) {
    return true;
  }
  const CDataStruct* stored = ResolveAnyState<CDataStruct>(structure);
  if (!stored || !stored->HoldsOrIs(field.GetParentHandle())) return true;
  LogError(kHoldsItself, static_cast<unsigned long long>(structure), field.NameForMessages());
  return false;
}

// True when one more element fits; logged otherwise.
bool HasRoom(const CDataField& field) {
  const uint64_t maxCount = field.GetMaxCount();
  if (field.GetCount() < maxCount) return true;
  LogError(kFull, field.NameForMessages(), static_cast<unsigned long long>(maxCount));
  return false;
}

}  // namespace

template <ElementKind K>
void SetElement(CDataField& field, ElementType<K> value, int32_t index) {
  CDataFieldOf<K>* typed = FieldOfKind<K>(field);
  if (!typed || !IndexFits(field, index, true)) return;
  if (static_cast<uint64_t>(index) == field.GetCount() && !HasRoom(field)) {
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
    if (!KeepsTreesAcyclic(field, value)) return;
  }
  Record(std::make_unique<Command_ModifyValue<K>>(*typed, std::move(value),
                                                  static_cast<uint32_t>(index)));
}

template <ElementKind K>
uint32_t AddElement(CDataField& field, ElementType<K> value, uint32_t index) {
  CDataFieldOf<K>* typed = FieldOfKind<K>(field);
  if (!typed) return kNotAdded;
  if constexpr (K == ElementKind::StructHandle) {
    if (!KeepsTreesAcyclic(field, value)) return kNotAdded;
  }
  const uint64_t count = field.GetCount();
  if (!IndexFits(field, index == kAppendIndex ? static_cast<int64_t>(count) : int64_t{index},
                 true) ||
      !HasRoom(field)) {
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

namespace {

// The owning structure field's schema; null, logged, for any other field.
const Schema::CSchemaField* OwningSchema(CDataField& field) {
  const Schema::CSchemaField* schema = field.GetSchema();
  if (schema && field.GetElementKind() == ElementKind::StructHandle && !schema->IsWeakPointer()) {
    return schema;
  }
  LogError(kNotOwning, field.NameForMessages());
  return nullptr;
}

// True for 0 and for a structure (not a record) that exists, in service or detached.
bool IsStructureOrNone(THandle structure) {
  const CDataStruct* found = ResolveAnyState<CDataStruct>(structure);
  return structure == 0 || (found && !found->IsRecord());
}

}  // namespace

uint32_t AddStructElement(CDataField& field, THandle structure, uint32_t index) {
  const Schema::CSchemaField* schema = OwningSchema(field);
  if (!schema || !IsStructureOrNone(structure) || !KeepsTreesAcyclic(field, structure)) {
    return kNotAdded;
  }
  const uint64_t count = field.GetCount();
  if (!IndexFits(field, index == kAppendIndex ? static_cast<int64_t>(count) : int64_t{index},
                 true) ||
      !HasRoom(field)) {
    return kNotAdded;
  }
  auto command = std::make_unique<Command_ArrayElementAddStruct>(field.GetHandle(), structure,
                                                                 schema->GetCustomType(), index);
  const Command_ArrayElementAddStruct& recorded = *command;
  Record(std::move(command));
  return recorded.GetIndex();
}

void NewPointer(CDataField& field, THandle structure, uint32_t index) {
  const Schema::CSchemaField* schema = OwningSchema(field);
  if (!schema || !IsStructureOrNone(structure) || !KeepsTreesAcyclic(field, structure) ||
      !IndexFits(field, index, true)) {
    return;
  }
  if (index == field.GetCount() && !HasRoom(field)) {
    return;
  }
  Record(std::make_unique<Command_PointerNew>(field.GetHandle(), structure, schema->GetCustomType(),
                                              index));
}

void DeletePointer(CDataField& field, uint32_t index) {
  if (!OwningSchema(field) || !IndexFits(field, index, false)) return;
  Record(std::make_unique<Command_PointerDelete>(field.GetHandle(), index));
}

bool MoveArrayElement(CDataField& from, THandle structure, CDataField& to) {
  const Schema::CSchemaField* source = from.GetSchema();
  const Schema::CSchemaField* destination = to.GetSchema();
  const auto isArray = [](const Schema::CSchemaField* schema) {
    return schema && (schema->GetStorageType() == StorageType::DynamicArray ||
                      schema->GetStorageType() == StorageType::FixedArray);
  };
  if (!isArray(source) || !isArray(destination) ||
      destination->GetFieldType() != Schema::FieldType::Struct) {
    LogException(kMoveNotArraysSite,
                 "DB_DataField_MoveArrayElementFrom: From or To element is not an Array of type "
                 "Structure. Unsupported.");
    return false;
  }
  if (source->GetCustomType() != destination->GetCustomType()) {
    LogException(kMoveTypesSite,
                 "DB_DataField_MoveArrayElementFrom: From or To element is of differing types. "
                 "Unsupported");
    return false;
  }
  const auto* elements = FieldAs<ElementKind::StructHandle>(&from);
  const auto* target = FieldAs<ElementKind::StructHandle>(&to);
  if (!elements || !target || structure == 0) return false;
  uint32_t position = 0;
  while (position < elements->GetCount() && elements->Values().Get(position) != structure) {
    ++position;
  }
  if (position == elements->GetCount() || !KeepsTreesAcyclic(to, structure)) return false;
  if (&from != &to && !HasRoom(to)) return false;
  CommandHistory& history = CommandHistory::Instance();
  history.BeginChain();
  Record(std::make_unique<Command_ArrayElementRemove<ElementKind::StructHandle>>(from.GetHandle(),
                                                                                 position));
  Record(std::make_unique<Command_ArrayElementAddStruct>(
      to.GetHandle(), structure, destination->GetCustomType(), kAppendIndex));
  history.EndChain();
  return true;
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
