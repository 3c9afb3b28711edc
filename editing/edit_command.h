// The state every command that changes one field or one structure shares. The target is named by
// handle and looked up on every run: a target that is gone (its record removed, the database
// closed) or out of service makes the run do nothing, so a step never touches a destroyed object.
//
// Dirty flags: a run that changes the target marks it dirty, passing the flag up to its record,
// and remembers the flag the target had; undoing passes that flag up again. The record's own flag
// is settled by its edit accounting (CDataRecord::NoteEditApplied), so a record never reads clean
// while it holds a change its file lacks.
#pragma once

#include "base/object_registry.h"
#include "data/data_field.h"
#include "data/data_struct.h"
#include "editing/command.h"

namespace Database {

class CEditCommand : public ICommand {
 protected:
  // After a run changed the target: marks it (and up to the record) dirty and counts the edit.
  template <class Target>
  void NoteChanged(Target& target) {
    savedDirty_ = target.IsDirty();
    target.SetDirty(true);
    NoteApplied(RecordOf(target));
  }
  // After the change NoteChanged counted was reversed: restores the flags.
  template <class Target>
  void NoteReverted(Target& target) {
    target.SetDirty(savedDirty_);
    NoteUndone(RecordOf(target));
  }
  // The last run changed the target and has not been undone.
  bool Applied() const { return applied_; }

 private:
  static CDataRecord* RecordOf(const CDataField& field);
  static CDataRecord* RecordOf(const CDataStruct& structure) { return structure.GetRecord(); }
  void NoteApplied(CDataRecord* record);
  void NoteUndone(CDataRecord* record);

  bool savedDirty_ = false;
  bool ranBefore_ = false;
  bool applied_ = false;
};

// A command on one field.
class CFieldCommand : public CEditCommand {
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

 private:
  THandle field_;
};

// A command on one structure.
class CStructCommand : public CEditCommand {
 protected:
  explicit CStructCommand(THandle structure) : structure_(structure) {}
  // The structure, in service; null otherwise.
  CDataStruct* Structure() const { return Resolve<CDataStruct>(structure_); }

 private:
  THandle structure_;
};

}  // namespace Database
