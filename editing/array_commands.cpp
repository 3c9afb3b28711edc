#include "editing/array_commands.h"

namespace Database {

bool Command_ArrayElementShift::Execute() {
  CDataField* field = Field();
  const auto index = static_cast<int32_t>(index_);
  if (!field || distance_ == 0 || index_ >= field->GetCount() ||
      !field->SwapElements(index, distance_)) {
    return true;
  }
  NoteChanged(*field);
  return true;
}

void Command_ArrayElementShift::Undo() {
  CDataField* field = Field();
  if (!field || !Applied()) return;
  if (field->SwapElements(static_cast<int32_t>(index_) + distance_, -distance_)) {
    NoteReverted(*field);
  }
}

}  // namespace Database
