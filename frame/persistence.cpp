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
}  // namespace

const std::string* CDatabase::Export(CDataRecord& record) {
  std::string text;
  record.WriteFileText(text);
  if (text.empty()) return nullptr;
  exportText = std::move(text);
  return &exportText;
}

bool CDatabase::Save(CDataRecord& record) {
  const std::string* text = Export(record);
  if (!text || text->empty()) {
    LogException(kSaveSite, "%s", kNothingToSave);
    return false;
  }
  if (!Platform::WriteTextFile(record.GetFileName(), *text)) {
    LogError(kCannotWrite, record.GetFileName().c_str());
    return false;
  }
  LogMessage(kSaved, record.GetFileName().c_str());
  return true;
}

bool CDatabase::SaveClean(CDataRecord& record) {
  if (!Save(record)) return false;
  record.SetDirty(false);
  return true;
}

void CDatabase::SaveAll() {
  for (const THandle handle : records) {
    CDataRecord* record = Resolve<CDataRecord>(handle);
    if (record && record->IsDirty()) SaveClean(*record);
  }
}

bool CDatabase::ExportAll() {
  bool allWritten = true;
  for (const THandle handle : records) {
    CDataRecord* record = Resolve<CDataRecord>(handle);
    if (record && !SaveClean(*record)) allWritten = false;
  }
  return allWritten;
}

}  // namespace Database
