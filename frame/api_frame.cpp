#include "tessella.h"
// The public header comes first: it must compile on its own.

#include "base/log.h"
#include "base/object_registry.h"
#include "frame/database.h"

using Database::CDatabase;

void RegisterForLogging(LogCallback callback) noexcept { Database::SetLogCallback(callback); }

bool DB_Load(FileLoader fileLoader, FileSizer fileSizer, ProgressCallback progress,
             uint32_t schemaFileCount, const char* const* schemaFiles, uint32_t recordFileCount,
             const char* const* recordFiles) noexcept {
  return Database::Guarded(false, [&] {
    return CDatabase::Instance().Open(fileLoader, fileSizer, progress, schemaFileCount, schemaFiles,
                                      recordFileCount, recordFiles);
  });
}

void DB_Close() noexcept { CDatabase::Instance().Close(); }
