#include "editing/structure_commands.h"

#include <unordered_set>

#include "base/log.h"

namespace Database {
namespace {

constexpr LogSite kInceptionSite{"PointerCommands", 20, "Command_PointerNew::Execute"};

// Makes holder the owner of a structure that is detached (kept by its parent's list): it is handed
// over and attached again. False, with nothing changed, when the structure is not detached.
bool TakeDetached(CDataStruct& holder, THandle handle, THandle* previousParent) {
  const CDataStruct* structure = ResolveAnyState<CDataStruct>(handle);
  if (!structure || structure->IsInstated()) return false;
  CDataStruct* parent = ResolveAnyState<CDataStruct>(structure->GetParentHandle());
  if (!parent || !parent->PassDetached(handle, holder)) return false;
  *previousParent = parent->GetHandle();
  return holder.ReattachHeld(handle);
}

// The reverse of TakeDetached: the structure, which no field of holder holds any more, goes back
// to the detached list of its previous parent.
void GiveBack(CDataStruct& holder, THandle handle, THandle previousParent) {
  if (!holder.DetachHeld(handle)) return;
  if (CDataStruct* parent = ResolveAnyState<CDataStruct>(previousParent)) {
    holder.PassDetached(handle, *parent);
  }
}

void DestroyIfDetached(THandle handle, THandle holder) {
  if (CDataStruct* keeper = ResolveAnyState<CDataStruct>(holder)) keeper->DestroyDetached(handle);
}

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

bool Command_ArrayElementAddStruct::Execute() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || field->Values().IsFull()) return true;
  const uint64_t count = field->GetCount();
  if (index_ == kAppendIndex) index_ = static_cast<uint32_t>(count);
  if (index_ > count) return true;
  if (element_ == 0) {
    ObjectPtr<CDataStruct> created = holder->NewChild(elementType_, false);
    element_ = created.release()->GetHandle();
    previousParent_ = holder->GetHandle();
    created_ = taken_ = true;
  } else if (!Resolve<CDataStruct>(element_)) {
    if (!TakeDetached(*holder, element_, &previousParent_)) return true;
    taken_ = true;
  }
  field->InsertElement(index_, element_);
  ReinstateObjectIf(*field, element_);
  NoteChanged(*field);
  return true;
}

void Command_ArrayElementAddStruct::Undo() {
  auto* field = Field<ElementKind::StructHandle>();
  CDataStruct* holder = Holder();
  if (!field || !holder || !Applied() || index_ >= field->GetCount()) return;
  field->EraseElement(index_);
  if (taken_) GiveBack(*holder, element_, previousParent_);
  NoteReverted(*field);
}

void Command_ArrayElementAddStruct::Discard() {
  if (created_ && taken_ && !Applied()) DestroyIfDetached(element_, previousParent_);
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
  if (index_ == field->GetCount() && values.IsFull()) return false;
  if (target_ == 0) {
    ObjectPtr<CDataStruct> created = holder->NewChild(elementType_, true);
    target_ = created.release()->GetHandle();
    previousParent_ = holder->GetHandle();
    created_ = taken_ = true;
    if (holder->IsInstated()) ObjectRegistry::Instance().ReinstateObject(target_);
  } else if (!Resolve<CDataStruct>(target_)) {
    if (!TakeDetached(*holder, target_, &previousParent_)) return false;
    taken_ = true;
  }
  appended_ = index_ == field->GetCount();
  if (appended_) {
    field->InsertElement(index_, target_);
  } else {
    values.SetValue(target_, index_);
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
  if (taken_) GiveBack(*holder, target_, previousParent_);
  NoteReverted(*field);
}

void Command_PointerNew::Discard() {
  if (created_ && !Applied()) DestroyIfDetached(target_, previousParent_);
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
