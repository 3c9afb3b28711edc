#include "editing/field_command.h"

#include "data/data_record.h"
#include "data/data_struct.h"

namespace Database {
namespace {

CDataRecord* RecordOf(const CDataField& field) {
  const CDataStruct* parent = Resolve<CDataStruct>(field.GetParentHandle());
  return parent ? parent->GetRecord() : nullptr;
}

}  // namespace

CDataStruct* CFieldCommand::Holder() const {
  const CDataField* field = ResolveAnyState<CDataField>(field_);
  return field ? ResolveAnyState<CDataStruct>(field->GetParentHandle()) : nullptr;
}

void CFieldCommand::NoteChanged(CDataField& field) {
  savedDirty_ = field.IsDirty();
  field.SetDirty(true);
  if (CDataRecord* record = RecordOf(field)) record->NoteEditApplied(ranBefore_);
  ranBefore_ = true;
  applied_ = true;
}

void CFieldCommand::NoteReverted(CDataField& field) {
  field.SetDirty(savedDirty_);
  if (CDataRecord* record = RecordOf(field)) record->NoteEditReverted();
  applied_ = false;
}

}  // namespace Database
