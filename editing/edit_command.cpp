#include "editing/edit_command.h"

#include "data/data_record.h"

namespace Database {

CDataRecord* CEditCommand::RecordOf(const CDataField& field) {
  const CDataStruct* parent = Resolve<CDataStruct>(field.GetParentHandle());
  return parent ? parent->GetRecord() : nullptr;
}

void CEditCommand::NoteApplied(CDataRecord* record) {
  if (record) record->NoteEditApplied(ranBefore_);
  ranBefore_ = true;
  applied_ = true;
}

void CEditCommand::NoteUndone(CDataRecord* record) {
  if (record) record->NoteEditReverted();
  applied_ = false;
}

CDataStruct* CFieldCommand::Holder() const {
  const CDataField* field = ResolveAnyState<CDataField>(field_);
  return field ? ResolveAnyState<CDataStruct>(field->GetParentHandle()) : nullptr;
}

}  // namespace Database
