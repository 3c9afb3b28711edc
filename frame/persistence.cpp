#include "base/log.h"
#include "base/platform.h"
#include "data/data_record.h"
#include "frame/database.h"

namespace Database {
namespace {
constexpr LogSite kSaveSite{"Database", 231, "Database::CDataRecord::Save"};
constexpr const char* kNothingToSave = "Serialization of record returned NULL.";
constexpr const char* kCannotWrite =
    "File is not checked out, or is open in another program: \"%s\"";
constexpr const char* kSaved = "Record Saved: \"%s\" ";
// Bytes the export buffer holds before its first export: far more than a record file of
// ordinary size.
constexpr size_t kExportReserve = 64 * 1024;
}  // namespace

const std::string* CDatabase::Export(CDataRecord& record) {
  // The text is written into the buffer in place, so that a host holding the pointer of one
  // export reads the next export through it; the reserve makes that hold for any record text
  // of ordinary size, not only for those shorter than the first one exported.
  if (exportText.capacity() < kExportReserve) exportText.reserve(kExportReserve);
  record.WriteFileText(exportText);
  return exportText.empty() ? nullptr : &exportText;
}

bool CDatabase::Save(CDataRecord& record) {
  const std::string* text = Export(record);
  if (!text || text->empty()) {
    LogException(kSaveSite, "%s", kNothingToSave);
    return false;
  }
  if (!Platform::WriteTextFile(record.GetFileName().str(), *text)) {
    LogError(kCannotWrite, record.GetFileName().c_str());
    return false;
  }
  LogMessage(kSaved, record.GetFileName().c_str());
  return true;
}

bool CDatabase::SaveClean(CDataRecord& record) {
  if (!Save(record)) return false;
  record.MarkSaved();
  return true;
}

void CDatabase::SaveAll() {
  for (const THandle handle : records) {
    CDataRecord* record = Resolve<CDataRecord>(handle);
    if (record && record->IsDirty()) SaveClean(*record);
  }
}

}  // namespace Database
