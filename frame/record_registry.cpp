#include "base/log.h"
#include "data/data_record.h"
#include "frame/database.h"

namespace Database {
namespace {
constexpr LogSite kSetHashSite{"Database", 94, "Database::CDataRecord::SetHash"};
}  // namespace

void CDatabase::RegisterRecord(ObjectPtr<CDataRecord> record) {
  const THandle handle = record->GetHandle();
  recordsByHash.Assign(record->GetHash(), handle);
  recordsByName.Assign(record->GetRecordName(), handle);
  records.push_back(handle);
  recordObjects_.push_back(std::move(record));
}

THandle CDatabase::GetRecordByName(const char* name) const {
  return name ? recordsByName.Find(name) : 0;
}

THandle CDatabase::GetRecordByHash(const char* hash) const {
  return hash ? recordsByHash.Find(hash) : 0;
}

THandle CDatabase::FindRecordByHash(std::string_view hash) const {
  return hash.empty() ? 0 : recordsByHash.Find(hash);
}

std::string CDatabase::GenerateHash() { return Platform::NewUuidText(); }

void CDatabase::SetHash(CDataRecord& record, std::string hash) {
  if (recordsByHash.Find(hash) != 0) {
    LogException(kSetHashSite, "Cannot set hash, Hash Collision on DataRecord %s",
                 record.GetRecordName().c_str());
    return;
  }
  record.SetHashText(std::move(hash));
}

}  // namespace Database
