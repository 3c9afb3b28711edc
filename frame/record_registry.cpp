#include "data/data_record.h"
#include "frame/database.h"
#include "frame/log.h"

namespace Database {
namespace {
constexpr LogSite kSetHashSite{"Database", 94, "Database::CDataRecord::SetHash"};
}  // namespace

void CDatabase::RegisterRecord(ObjectPtr<CDataRecord> record) {
  const THandle handle = record->GetHandle();
  recordsByHash[record->GetHash()] = handle;
  recordsByName[record->GetRecordName()] = handle;
  records.push_back(handle);
  recordObjects_.push_back(std::move(record));
}

THandle CDatabase::GetRecordByName(const char* name) const {
  if (!name) return 0;
  const auto found = recordsByName.find(name);
  return found == recordsByName.end() ? 0 : found->second;
}

THandle CDatabase::GetRecordByHash(const char* hash) const {
  if (!hash) return 0;
  const auto found = recordsByHash.find(hash);
  return found == recordsByHash.end() ? 0 : found->second;
}

std::string CDatabase::GenerateHash() { return Platform::NewUuidText(); }

void CDatabase::SetHash(CDataRecord& record, std::string hash) {
  const auto found = recordsByHash.find(hash);
  if (found != recordsByHash.end() && found->second != 0) {
    LogException(kSetHashSite, "Cannot set hash, Hash Collision on DataRecord %s",
                 record.GetRecordName().c_str());
    return;
  }
  record.SetHashText(std::move(hash));
}

}  // namespace Database
