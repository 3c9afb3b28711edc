#include "data/data_record.h"

#include <algorithm>
#include <unordered_set>

namespace Database {

ObjectPtr<CDataRecord> CDataRecord::Create() {
  return ObjectPtr<CDataRecord>(CreateObject<CDataRecord>());
}

void CDataRecord::BuildDefaultTree(THandle type) {
  BuildDefaults(type, 0);
  RegisterPointables(*this);
}

void CDataRecord::AddPointableStructure(THandle handle) {
  if (std::find(pointableStructures_.begin(), pointableStructures_.end(), handle) ==
      pointableStructures_.end()) {
    pointableStructures_.push_back(handle);
  }
}

void CDataRecord::RemovePointableStructure(THandle handle) {
  const auto found = std::find(pointableStructures_.begin(), pointableStructures_.end(), handle);
  if (found != pointableStructures_.end()) pointableStructures_.erase(found);
}

void CDataRecord::RegisterPointables(CDataRecord& record) {
  if (&record != this) {
    CDataStruct::RegisterPointables(record);
    return;
  }
  std::vector<THandle> owned;
  CollectOwnedStructures(owned);
  pointableStructures_.clear();
  std::unordered_set<THandle> seen;
  for (const THandle handle : owned) {
    if (seen.insert(handle).second) pointableStructures_.push_back(handle);
  }
}

}  // namespace Database
