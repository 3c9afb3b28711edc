#include "data/data_record.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace Database {

namespace {

// True when some handle appears twice: by comparing pairs for a short list, on a sorted copy for
// a long one (one allocation instead of a hash set's one per handle).
bool HasRepeats(const std::vector<THandle>& handles) {
  constexpr size_t kShortList = 32;
  if (handles.size() <= kShortList) {
    for (size_t i = 1; i < handles.size(); ++i) {
      if (std::find(handles.begin(), handles.begin() + static_cast<std::ptrdiff_t>(i),
                    handles[i]) != handles.begin() + static_cast<std::ptrdiff_t>(i)) {
        return true;
      }
    }
    return false;
  }
  std::vector<THandle> sorted = handles;
  std::sort(sorted.begin(), sorted.end());
  return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

// Keeps the first place of every handle. A structure is reached twice only when an edit stored
// its handle in a second field, so a list almost never has repeats.
void DropRepeats(std::vector<THandle>& handles) {
  if (!HasRepeats(handles)) return;
  std::unordered_set<THandle> seen;
  std::erase_if(handles, [&seen](THandle handle) { return !seen.insert(handle).second; });
}

}  // namespace

ObjectPtr<CDataRecord> CDataRecord::Create(ObjectArena* arena) {
  return ObjectPtr<CDataRecord>(
      ObjectRegistry::Instance().RegisterObject(MakeObject<CDataRecord>(arena)));
}

void CDataRecord::BuildDefaultTree(THandle type) {
  BuildDefaults(type, 0);
  RegisterPointables(*this);
}

void CDataRecord::NoteEditApplied(bool redo) {
  if (!redo && appliedEdits_ < savedEdits_) savedStateReachable_ = false;
  ++appliedEdits_;
  SettleDirty();
}

void CDataRecord::NoteEditReverted() {
  if (appliedEdits_ > 0) --appliedEdits_;
  SettleDirty();
}

void CDataRecord::MarkSaved() {
  savedEdits_ = appliedEdits_;
  savedStateReachable_ = true;
  changedOutsideHistory_ = false;
  SetDirty(false);
}

void CDataRecord::MarkUnsaved() {
  changedOutsideHistory_ = true;
  SetDirty(true);
}

void CDataRecord::SettleDirty() {
  SetDirty(changedOutsideHistory_ || !savedStateReachable_ || appliedEdits_ != savedEdits_);
}

void CDataRecord::AddPointableStructure(THandle handle) {
  if (std::find(pointableStructures_.begin(), pointableStructures_.end(), handle) ==
      pointableStructures_.end()) {
    pointableStructures_.PushBack(ArenaOf(*this), handle);
  }
}

void CDataRecord::RemovePointableStructure(THandle handle) {
  const auto found = std::find(pointableStructures_.begin(), pointableStructures_.end(), handle);
  if (found != pointableStructures_.end()) {
    pointableStructures_.Erase(static_cast<size_t>(found - pointableStructures_.begin()));
  }
}

void CDataRecord::ResolvePointableReferences() {
  ResolveOwnReferences();
  for (const THandle handle : pointableStructures_) {
    if (CDataStruct* structure = ResolveAnyState<CDataStruct>(handle)) {
      structure->ResolveOwnReferences();
    }
  }
}

void CDataRecord::RegisterPointables(CDataRecord& record) {
  if (&record != this) {
    CDataStruct::RegisterPointables(record);
    return;
  }
  std::vector<THandle> owned;
  CollectOwnedStructures(owned);
  DropRepeats(owned);
  // The list is made in full before the old one goes, so that running out of memory leaves the
  // old list in place.
  ObjectArena& arena = ArenaOf(*this);
  ArenaVector<THandle> list;
  list.Reserve(arena, owned.size());
  for (const THandle handle : owned) list.PushBack(arena, handle);
  pointableStructures_.Swap(list);
}

}  // namespace Database
