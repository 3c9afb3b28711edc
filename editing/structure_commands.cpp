#include "editing/structure_commands.h"

#include <unordered_set>

#include "base/log.h"

namespace Database {
namespace {

constexpr LogSite kInceptionSite{"PointerCommands", 20, "Command_PointerNew::Execute"};

// Destroys the structures of gone that keep does not name and that are detached now; a nested
// one goes with the structure above it.
void DestroyDetachedOnlyIn(const CDataStruct::TreeState& gone, const CDataStruct::TreeState& keep) {
  std::unordered_set<THandle> kept;
  for (const auto& node : keep.nodes) kept.insert(node.structure);
  for (const auto& node : gone.nodes) {
    const CDataStruct* structure = ResolveAnyState<CDataStruct>(node.structure);
    if (!structure || structure->IsInstated() || kept.count(node.structure) != 0) continue;
    if (CDataStruct* parent = ResolveAnyState<CDataStruct>(structure->GetParentHandle())) {
      parent->DestroyDetached(node.structure);
    }
  }
}

}  // namespace

bool AttachedStructure::Obtain(CDataStruct& holder) {
  if (handle == 0) {
    // Built out of service, so that nothing sees it half made; its nested defaults get their
    // parent links all the same.
    handle = holder.NewChild(type, true).release()->GetHandle();
    if (holder.IsInstated()) ObjectRegistry::Instance().ReinstateObject(handle);
    previousParent = holder.GetHandle();
    created = taken = true;
    return true;
  }
  const CDataStruct* structure = ResolveAnyState<CDataStruct>(handle);
  if (!structure) return false;
  if (structure->IsInstated()) return true;  // held elsewhere: shared, not taken over
  CDataStruct* parent = ResolveAnyState<CDataStruct>(structure->GetParentHandle());
  if (!parent || !parent->PassDetached(handle, holder)) return false;
  previousParent = parent->GetHandle();
  taken = true;
  return holder.ReattachHeld(handle);
}

void AttachedStructure::GiveBack(CDataStruct& holder) const {
  if (!taken || !holder.DetachHeld(handle)) return;
  if (CDataStruct* parent = ResolveAnyState<CDataStruct>(previousParent)) {
    holder.PassDetached(handle, *parent);
  }
}

void AttachedStructure::Discard() const {
  if (!created || !taken) return;
  if (CDataStruct* keeper = ResolveAnyState<CDataStruct>(previousParent)) {
    keeper->DestroyDetached(handle);
  }
}

bool Command_ArrayElementAddStruct::Execute() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || field->IsFull()) return true;
  const uint64_t count = field->GetCount();
  if (index_ == kAppendIndex) index_ = static_cast<uint32_t>(count);
  if (index_ > count || !element_.Obtain(*holder)) return true;
  field->InsertElement(index_, element_.handle);
  ReinstateObjectIf(*field, element_.handle);
  NoteChanged(*field);
  return true;
}

void Command_ArrayElementAddStruct::Undo() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || !Applied() || index_ >= field->GetCount()) return;
  field->EraseElement(index_);
  element_.GiveBack(*holder);
  NoteReverted(*field);
}

void Command_ArrayElementAddStruct::Discard() {
  if (!Applied()) element_.Discard();
}

bool Command_PointerNew::Execute() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || index_ > field->GetCount()) return false;
  auto& values = field->Values();
  if (index_ < field->GetCount() && values.Get(index_) != 0) {
    LogException(kInceptionSite,
                 "Creating a pointer, on a pointer that already exists as a pointer. Pointer "
                 "inception is not supported");
    return false;
  }
  if ((index_ == field->GetCount() && field->IsFull()) || !target_.Obtain(*holder)) return false;
  appended_ = index_ == field->GetCount();
  if (appended_) {
    field->InsertElement(index_, target_.handle);
  } else {
    values.SetValue(target_.handle, index_);
  }
  NoteChanged(*field);
  return true;
}

void Command_PointerNew::Undo() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || !Applied() || index_ >= field->GetCount()) return;
  if (appended_) {
    field->EraseElement(index_);
  } else {
    field->Values().SetValue(0, index_);
  }
  target_.GiveBack(*holder);
  NoteReverted(*field);
}

void Command_PointerNew::Discard() {
  if (!Applied()) target_.Discard();
}

Command_PointerDelete::~Command_PointerDelete() {
  // Applied when the history lets go of it: the structure can never come back.
  if (owned_ && Applied()) {
    if (CDataStruct* holder = Holder()) holder->DestroyDetached(detached_);
  }
}

bool Command_PointerDelete::Execute() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || index_ >= field->GetCount()) return false;
  detached_ = field->Values().Get(index_);
  if (detached_ == 0) return false;
  field->Values().SetValue(0, index_);
  owned_ = holder->DetachHeld(detached_);
  NoteChanged(*field);
  return true;
}

void Command_PointerDelete::Undo() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || !Applied() || index_ >= field->GetCount()) return;
  field->Values().SetValue(detached_, index_);
  if (owned_) holder->ReattachHeld(detached_);
  NoteReverted(*field);
}

bool Command_StructSetPolymorphicType::Execute() {
  CDataStruct* structure = Structure();
  if (structure && structure->SetPolymorphicType(newType_)) NoteChanged(*structure);
  return true;
}

void Command_StructSetPolymorphicType::Undo() {
  CDataStruct* structure = Structure();
  if (!structure || !Applied()) return;
  structure->SetPolymorphicType(previousType_);
  NoteReverted(*structure);
}

Command_Deserialize::~Command_Deserialize() {
  if (Applied() && before_ && after_) DestroyDetachedOnlyIn(*before_, *after_);
}

void Command_Deserialize::Discard() {
  if (!Applied() && before_ && after_) DestroyDetachedOnlyIn(*after_, *before_);
}

bool Command_Deserialize::Execute() {
  CDataStruct* structure = Structure();
  if (!structure) return true;
  if (after_) {
    structure->RestoreTree(*after_);
  } else {
    std::unique_ptr<CDataStruct::TreeState> before = structure->SaveTree();
    if (!structure->Deserialize(text_.c_str(), filter_ ? filter_->c_str() : nullptr)) return true;
    structure->ResolveReferences();
    before_ = std::move(before);
    after_ = structure->SaveTree();
  }
  NoteChanged(*structure);
  return true;
}

void Command_Deserialize::Undo() {
  CDataStruct* structure = Structure();
  if (!structure || !Applied()) return;
  structure->RestoreTree(*before_);
  NoteReverted(*structure);
}

}  // namespace Database
