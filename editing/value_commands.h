// Value commands: replace one element of one field and put the old value back on undo. One class
// template serves every element kind; the command names are aliases of it.
//
// Execute compares the new value with the value the field held when the command was built (IEEE
// equality for Float and Double, so NaN always counts as a change and -0.0 as equal to 0.0) and
// changes nothing when they are equal. An index equal to the element count appends the element,
// and undo removes it again. Structure-handle fields: a weak pointer refuses a target of the wrong
// type (logged; nothing changes); an owning field hands the structure it no longer holds to its
// holder's detached list and takes it back on undo, so no structure is left without an owner.
#pragma once

#include <utility>

#include "base/log.h"
#include "data/data_struct.h"
#include "editing/edit_command.h"

namespace Database {

inline constexpr LogSite kStructHandleSetSite{
    "DataField", 301, "Database::CDataFieldValue<class Database::TDataStructHandle>::SetValue"};

template <ElementKind K>
class Command_ModifyValue final : public CFieldCommand {
 public:
  using Element = ElementType<K>;

  // The old value is the field's element at index (the neutral value when index is the count).
  Command_ModifyValue(const CDataFieldOf<K>& field, Element newValue, uint32_t index)
      : CFieldCommand(field.GetHandle()),
        index_(index),
        oldValue_(index < field.GetCount() ? field.Values().Get(index) : Element{}),
        newValue_(std::move(newValue)) {}

  bool Execute() override {
    CDataFieldOf<K>* field = Field<K>();
    if (!field || newValue_ == oldValue_ || index_ > field->GetCount()) return false;
    if constexpr (K == ElementKind::StructHandle) {
      if (!ValidateWeakPointerTarget(field, newValue_)) {
        LogException(kStructHandleSetSite,
                     "Error: ValidateWeakPointerTarget failed. Weak pointer is not pointing to "
                     "valid type. Value could not be set.");
        return false;
      }
    } else if constexpr (K == ElementKind::RecordHandle) {
      static_cast<CDataField_Reference*>(static_cast<CDataField*>(field))->DropPending(index_);
    }
    appended_ = index_ == field->GetCount();
    Write(*field, newValue_, oldValue_);
    NoteChanged(*field);
    return true;
  }

  void Undo() override {
    CDataFieldOf<K>* field = Field<K>();
    if (!field || !Applied()) return;
    if (appended_) {
      if (index_ < field->GetCount()) field->EraseElement(index_);
      TakeOwnership(*field, Element{}, newValue_);
    } else if (index_ < field->GetCount()) {
      Write(*field, oldValue_, newValue_);
    }
    NoteReverted(*field);
  }

 private:
  // Stores value at the index (appending when the index is the count) and moves ownership from
  // the structure it replaces to it.
  void Write(CDataFieldOf<K>& field, const Element& value, const Element& replaced) {
    if (index_ == field.GetCount()) {
      field.InsertElement(index_, value);
    } else {
      field.Values().SetValue(value, index_);
    }
    TakeOwnership(field, value, replaced);
  }

  void TakeOwnership(CDataFieldOf<K>& field, const Element& held, const Element& released) {
    if constexpr (K == ElementKind::StructHandle) {
      const Schema::CSchemaField* schema = field.GetSchema();
      CDataStruct* holder = Holder();
      if (!schema || schema->IsWeakPointer() || !holder || held == released) return;
      if (released != 0) holder->DetachHeld(released);
      if (held != 0) holder->ReattachHeld(held);
    }
  }

  uint32_t index_;
  bool appended_ = false;
  Element oldValue_;
  Element newValue_;
};

using Command_ModifyValueAsBool = Command_ModifyValue<ElementKind::Bits8>;
using Command_ModifyValueAsInt8 = Command_ModifyValue<ElementKind::Bits8>;
using Command_ModifyValueAsUInt8 = Command_ModifyValue<ElementKind::Bits8>;
using Command_ModifyValueAsInt16 = Command_ModifyValue<ElementKind::Bits16>;
using Command_ModifyValueAsUInt16 = Command_ModifyValue<ElementKind::Bits16>;
using Command_ModifyValueAsInt32 = Command_ModifyValue<ElementKind::Bits32>;
using Command_ModifyValueAsUInt32 = Command_ModifyValue<ElementKind::Bits32>;
using Command_ModifyValueAsLocId = Command_ModifyValue<ElementKind::Bits32>;
using Command_ModifyValueAsInt64 = Command_ModifyValue<ElementKind::Bits64>;
using Command_ModifyValueAsUInt64 = Command_ModifyValue<ElementKind::Bits64>;
using Command_ModifyValueAsFloat = Command_ModifyValue<ElementKind::Float>;
using Command_ModifyValueAsDouble = Command_ModifyValue<ElementKind::Double>;
using Command_ModifyValueAsString = Command_ModifyValue<ElementKind::Text>;
using Command_ModifyValueAsEnum = Command_ModifyValue<ElementKind::Text>;
using Command_ModifyValueAsStruct = Command_ModifyValue<ElementKind::StructHandle>;
using Command_ModifyValueAsPointer = Command_ModifyValue<ElementKind::StructHandle>;
using Command_ModifyValueAsWeakPointer = Command_ModifyValue<ElementKind::StructHandle>;
using Command_ModifyValueAsReference = Command_ModifyValue<ElementKind::RecordHandle>;

}  // namespace Database
