// The state every command that changes one field shares. The field is named by handle and looked
// up on every run: a field that is gone (its record removed, the database closed) or out of
// service makes the run do nothing, so a step never touches a destroyed object.
//
// Dirty flags: a run that changes the field marks it dirty, passing the flag up to its record,
// and remembers the flag the field had; undoing passes that flag up again. The record's own flag
// is settled by its edit accounting (CDataRecord::NoteEditApplied), so a record never reads clean
// while it holds a change its file lacks.
#pragma once

#include "base/object_registry.h"
#include "data/data_field.h"
#include "editing/command.h"

namespace Database {

class CFieldCommand : public ICommand {
 protected:
  explicit CFieldCommand(THandle field) : field_(field) {}

  THandle FieldHandle() const { return field_; }
  // The field of element kind K, in service; null otherwise.
  template <ElementKind K>
  CDataFieldOf<K>* Field() const {
    return FieldAs<K>(Resolve<CDataField>(field_));
  }
  CDataField* Field() const { return Resolve<CDataField>(field_); }
  // The structure that holds the field, in service or not; null when there is none.
  CDataStruct* Holder() const;

  // After a run changed the field: marks it (and up to the record) dirty and counts the edit.
  void NoteChanged(CDataField& field);
  // After the change NoteChanged counted was reversed: restores the flags.
  void NoteReverted(CDataField& field);
  // The last run changed the field and has not been undone.
  bool Applied() const { return applied_; }

 private:
  THandle field_;
  bool savedDirty_ = false;
  bool ranBefore_ = false;
  bool applied_ = false;
};

}  // namespace Database
