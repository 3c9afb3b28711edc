// Array commands: insert an element into a field's element array, remove one, or exchange two,
// and undo that. One add and one remove class template serve every element kind; the command
// names are aliases of them.
//
// The add command inserts at the index it was given (kAppendIndex: at the end) and keeps the
// position it used, so that undo and redo hit the same element; a field that holds its most
// elements, an index beyond the end, or a weak-pointer target of the wrong type changes nothing.
// The remove command keeps what it removed; a structure it removes from an owning field leaves
// service and is owned by its holder's detached list until undo puts it back (same handle, same
// contents) or the step is dropped, which destroys it. Pending record hashes of a reference array
// move with their elements.
#pragma once

#include <cstdint>
#include <utility>

#include "data/data_struct.h"
#include "editing/edit_command.h"

namespace Database {

template <ElementKind K>
class Command_ArrayElementAdd final : public CFieldCommand {
 public:
  using Element = ElementType<K>;

  Command_ArrayElementAdd(THandle field, Element value, uint32_t index)
      : CFieldCommand(field), index_(index), value_(std::move(value)) {}

  // The position Execute used (the requested index before it ran).
  uint32_t GetIndex() const { return index_; }

  bool Execute() override {
    CDataFieldOf<K>* field = Field<K>();
    if (!field || field->IsFull()) return true;
    const uint64_t count = field->GetCount();
    if (index_ == kAppendIndex) index_ = static_cast<uint32_t>(count);
    if (index_ > count) return true;
    if constexpr (K == ElementKind::StructHandle) {
      if (!ValidateWeakPointerTarget(field, value_)) return true;
    }
    field->InsertElement(index_, value_);
    if constexpr (K == ElementKind::StructHandle) ReinstateObjectIf(*field, value_);
    NoteChanged(*field);
    return true;
  }

  void Undo() override {
    CDataFieldOf<K>* field = Field<K>();
    if (!field || !Applied() || index_ >= field->GetCount()) return;
    field->EraseElement(index_);
    if constexpr (K == ElementKind::StructHandle) UninstateObjectIf(field, value_);
    NoteReverted(*field);
  }

 private:
  uint32_t index_;
  Element value_;
};

template <ElementKind K>
class Command_ArrayElementRemove final : public CFieldCommand {
 public:
  using Element = ElementType<K>;

  Command_ArrayElementRemove(THandle field, uint32_t index) : CFieldCommand(field), index_(index) {}

  // A structure still detached when the step goes can never come back.
  ~Command_ArrayElementRemove() override {
    if constexpr (K == ElementKind::StructHandle) {
      if (!Applied() || !detached_) return;
      if (CDataStruct* holder = Holder()) holder->DestroyDetached(removed_);
    }
  }

  bool Execute() override {
    CDataFieldOf<K>* field = Field<K>();
    if (!field || index_ >= field->GetCount()) return true;
    if constexpr (K == ElementKind::RecordHandle) {
      static_cast<CDataField_Reference*>(static_cast<CDataField*>(field))->ResolveEntry(index_);
    }
    removed_ = field->Values().Get(index_);
    field->EraseElement(index_);
    if constexpr (K == ElementKind::StructHandle) {
      UninstateObjectIf(field, removed_);
      CDataStruct* holder = Holder();
      const Schema::CSchemaField* schema = field->GetSchema();
      detached_ = holder && schema && !schema->IsWeakPointer() && holder->DetachHeld(removed_);
    }
    NoteChanged(*field);
    return true;
  }

  void Undo() override {
    CDataFieldOf<K>* field = Field<K>();
    if (!field || !Applied() || index_ > field->GetCount()) return;
    if constexpr (K == ElementKind::StructHandle) {
      // A structure a later edit handed to another record goes with that record when it is
      // removed: there is nothing left to put back.
      if (removed_ != 0 && !ResolveAnyState<CDataStruct>(removed_)) return;
    }
    field->InsertElement(index_, removed_);
    if constexpr (K == ElementKind::StructHandle) {
      if (detached_) {
        if (CDataStruct* holder = Holder()) holder->ReattachHeld(removed_);
        detached_ = false;
      }
      ReinstateObjectIf(*field, removed_);
    }
    NoteReverted(*field);
  }

 private:
  uint32_t index_;
  bool detached_ = false;
  Element removed_{};
};

// Exchanges element index with element index + distance. Every run starts from the index it was
// given, so a redo gives exactly the state of the first run.
class Command_ArrayElementShift final : public CFieldCommand {
 public:
  Command_ArrayElementShift(THandle field, uint32_t index, int32_t distance)
      : CFieldCommand(field), index_(index), distance_(distance) {}

  bool Execute() override;
  void Undo() override;

 private:
  uint32_t index_;
  int32_t distance_;
};

using Command_ArrayElementAddBool = Command_ArrayElementAdd<ElementKind::Bits8>;
using Command_ArrayElementAddInt8 = Command_ArrayElementAdd<ElementKind::Bits8>;
using Command_ArrayElementAddUInt8 = Command_ArrayElementAdd<ElementKind::Bits8>;
using Command_ArrayElementAddInt16 = Command_ArrayElementAdd<ElementKind::Bits16>;
using Command_ArrayElementAddUInt16 = Command_ArrayElementAdd<ElementKind::Bits16>;
using Command_ArrayElementAddInt32 = Command_ArrayElementAdd<ElementKind::Bits32>;
using Command_ArrayElementAddUInt32 = Command_ArrayElementAdd<ElementKind::Bits32>;
using Command_ArrayElementAddLocId = Command_ArrayElementAdd<ElementKind::Bits32>;
using Command_ArrayElementAddInt64 = Command_ArrayElementAdd<ElementKind::Bits64>;
using Command_ArrayElementAddUInt64 = Command_ArrayElementAdd<ElementKind::Bits64>;
using Command_ArrayElementAddFloat = Command_ArrayElementAdd<ElementKind::Float>;
using Command_ArrayElementAddDouble = Command_ArrayElementAdd<ElementKind::Double>;
using Command_ArrayElementAddString = Command_ArrayElementAdd<ElementKind::Text>;
using Command_ArrayElementAddEnum = Command_ArrayElementAdd<ElementKind::Text>;
using Command_ArrayElementAddWeakPointer = Command_ArrayElementAdd<ElementKind::StructHandle>;
using Command_ArrayElementAddReference = Command_ArrayElementAdd<ElementKind::RecordHandle>;

using Command_ArrayElementRemoveBool = Command_ArrayElementRemove<ElementKind::Bits8>;
using Command_ArrayElementRemoveInt8 = Command_ArrayElementRemove<ElementKind::Bits8>;
using Command_ArrayElementRemoveUInt8 = Command_ArrayElementRemove<ElementKind::Bits8>;
using Command_ArrayElementRemoveInt16 = Command_ArrayElementRemove<ElementKind::Bits16>;
using Command_ArrayElementRemoveUInt16 = Command_ArrayElementRemove<ElementKind::Bits16>;
using Command_ArrayElementRemoveInt32 = Command_ArrayElementRemove<ElementKind::Bits32>;
using Command_ArrayElementRemoveUInt32 = Command_ArrayElementRemove<ElementKind::Bits32>;
using Command_ArrayElementRemoveLocId = Command_ArrayElementRemove<ElementKind::Bits32>;
using Command_ArrayElementRemoveInt64 = Command_ArrayElementRemove<ElementKind::Bits64>;
using Command_ArrayElementRemoveUInt64 = Command_ArrayElementRemove<ElementKind::Bits64>;
using Command_ArrayElementRemoveFloat = Command_ArrayElementRemove<ElementKind::Float>;
using Command_ArrayElementRemoveDouble = Command_ArrayElementRemove<ElementKind::Double>;
using Command_ArrayElementRemoveString = Command_ArrayElementRemove<ElementKind::Text>;
using Command_ArrayElementRemoveEnum = Command_ArrayElementRemove<ElementKind::Text>;
using Command_ArrayElementRemoveStruct = Command_ArrayElementRemove<ElementKind::StructHandle>;
using Command_ArrayElementRemovePointer = Command_ArrayElementRemove<ElementKind::StructHandle>;
using Command_ArrayElementRemoveWeakPointer = Command_ArrayElementRemove<ElementKind::StructHandle>;
using Command_ArrayElementRemoveReference = Command_ArrayElementRemove<ElementKind::RecordHandle>;

}  // namespace Database
