#include "frame/database.h"

#include "data/object_registry.h"
#include "editing/command_history.h"
#include "frame/log.h"

namespace Database {

namespace {
constexpr LogSite kLoadSite{"Database", 411, "Database::CDatabase::Load"};
}  // namespace

CDatabase& CDatabase::Instance() {
  static CDatabase database;
  return database;
}

bool CDatabase::Open(FileLoader loader, FileSizer sizer, ProgressCallback progress,
                     uint32_t schemaFileCount, const char* const* schemaFiles,
                     uint32_t recordFileCount, const char* const* recordFiles) {
  CommandHistory::Instance().Clear();
  Close();
  return Load(loader, sizer, progress, schemaFileCount, schemaFiles, recordFileCount, recordFiles);
}

void CDatabase::Close() {
  CommandHistory::Instance().Clear();
  ObjectRegistry& registry = ObjectRegistry::Instance();
  for (const THandle record : records) registry.DestroyObject(record);
  recordsByHash.clear();
  recordsByName.clear();
  records.clear();
}

bool CDatabase::Load(FileLoader loader, FileSizer sizer, ProgressCallback progress,
                     uint32_t /*schemaFileCount*/, const char* const* /*schemaFiles*/,
                     uint32_t /*recordFileCount*/, const char* const* /*recordFiles*/) {
  fileLoader = loader;
  fileSizer = sizer;
  progressCallback = progress;
  if (!fileLoader || !fileSizer) {
    LogException(kLoadSite, "FileSizer or FileLoader was not provided on DLL initialization.");
    return false;
  }
  return true;
}

}  // namespace Database
