#include "frame/database.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/log.h"
#include "base/object_registry.h"
#include "data/data_field.h"
#include "data/data_record.h"
#include "editing/command_history.h"
#include "schema/checks.h"
#include "schema/model.h"
#include "schema/parser.h"
#include "schema/prepass.h"

namespace Database {

namespace {
constexpr const char* kOutOfMemory = "Out of memory while loading \"%s\"; the database was closed.";
constexpr LogSite kLoadSite{"Database", 411, "Database::CDatabase::Load"};
constexpr const char* kMissingCallbacks =
    "FileSizer or FileLoader was not provided on DLL initialization.";
constexpr const char* kSchemaNotFound = "Schema file %s not found";
constexpr const char* kPrePassFailed = "Pre-pass build step failed. Please fix the errors.";
constexpr const char* kSchemaFailed = "Schema file failed to load %s";
constexpr const char* kSchemaLoaded = "Schema file loaded %s";
constexpr const char* kDatabaseFailed = "Database failed to load.";
constexpr const char* kRecordsLoaded = "Records Loaded: %d";

// Counts the file steps of one load and reports each to the host's progress callback. Without a
// callback the counter stays where it is.
class LoadProgress {
 public:
  LoadProgress(ProgressCallback callback, uint32_t total) : callback_(callback), total_(total) {}

  void Step(const char* path) {
    if (!callback_) return;
    const auto percent =
        static_cast<int32_t>(static_cast<float>(counter_) / static_cast<float>(total_) * 100.0);
    callback_(percent, path);
    ++counter_;
  }

 private:
  ProgressCallback callback_;
  uint32_t total_;
  int32_t counter_ = 0;
};
}  // namespace

// The singletons the database uses are constructed first, so that they are destroyed after it:
// at unload the open database is closed while the history, the schema and the object registry
// still stand.
CDatabase::CDatabase() {
  ObjectRegistry::Instance();
  Schema::SchemaRegistry::Instance();
  CommandHistory::Instance();
  SetRecordStore(this);
}

CDatabase::~CDatabase() {
  Close();
  SetRecordStore(nullptr);
}

CDatabase& CDatabase::Instance() {
  static CDatabase database;
  return database;
}

bool CDatabase::Open(FileLoader loader, FileSizer sizer, ProgressCallback progress,
                     uint32_t schemaFileCount, const char* const* schemaFiles,
                     uint32_t recordFileCount, const char* const* recordFiles) {
  CommandHistory::Instance().Clear();
  Close();
  try {
    return Load(loader, sizer, progress, schemaFileCount, schemaFiles, recordFileCount,
                recordFiles);
  } catch (const std::bad_alloc&) {
    // What the load built goes, so that the host is left with a closed database, not half of one.
    loadingRecords_ = false;
    LogError(kOutOfMemory, loadingPath_.data());
    Close();
    return false;
  }
}

void CDatabase::Close() {
  CommandHistory::Instance().Clear();
  // Records go before the schema they use. Those built in the database's arena go all at once
  // with every other object of the arena: a structure and its fields are always built in the arena
  // of the structure that owns them, and with the history cleared nothing else owns one of them.
  // A record built elsewhere goes with the structures it owns.
  for (ObjectPtr<CDataRecord>& record : recordObjects_) {
    if (arena_ && &ObjectArena::Of(record.get()) == arena_.get()) {
      static_cast<void>(record.release());
    } else {
      record.reset();
    }
  }
  if (arena_) ObjectRegistry::Instance().DestroyArenaObjects(*arena_);
  recordObjects_.clear();
  recordsByHash.Clear();
  recordsByName.Clear();
  records.clear();
  arena_.reset();
  Schema::SchemaRegistry::Instance().ClearSchema();
}

void CDatabase::NoteLoading(const char* path) {
  std::snprintf(loadingPath_.data(), loadingPath_.size(), "%s", path);
}

void CDatabase::NotePendingReferences() {
  if (loadingRecords_) readRecordHasPending_ = true;
}

ObjectArena* CDatabase::RecordArena() {
  if (!arena_) arena_ = ObjectArena::Create();
  return arena_.get();
}

bool CDatabase::Load(FileLoader loader, FileSizer sizer, ProgressCallback progress,
                     uint32_t schemaFileCount, const char* const* schemaFiles,
                     uint32_t recordFileCount, const char* const* recordFiles) {
  fileLoader = loader;
  fileSizer = sizer;
  progressCallback = progress;
  const uint32_t total = recordFileCount + 2 * schemaFileCount;
  if (!fileLoader || !fileSizer) {
    LogException(kLoadSite, "%s", kMissingCallbacks);
    return false;
  }
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  // A missing list counts as empty and a missing path is passed over, so that a host's bad
  // arguments cannot take the load down.
  std::vector<std::string> schemaPaths;
  for (uint32_t i = 0; schemaFiles && i < schemaFileCount; ++i) {
    if (schemaFiles[i]) schemaPaths.emplace_back(schemaFiles[i]);
  }
  LoadProgress steps(progressCallback, total);

  // Phase 1: every file declares its types, so that phase 2 can resolve any name in any file.
  for (const std::string& path : schemaPaths) {
    NoteLoading(path.c_str());
    if (const uint32_t size = fileSizer(path.c_str()); size == 0) {
      LogError(kSchemaNotFound, path.c_str());
    } else if (!Schema::PrePassSchemaFile(path, ReadHostFile(path.c_str(), size))) {
      LogError("%s", kPrePassFailed);
      return false;
    }
    steps.Step(path.c_str());
  }
  // Phase 2: fields, key-values and parent links.
  for (const std::string& path : schemaPaths) {
    NoteLoading(path.c_str());
    if (const uint32_t size = fileSizer(path.c_str()); size == 0) {
      LogError(kSchemaNotFound, path.c_str());
    } else {
      if (!Schema::ParseSchemaFile(path, ReadHostFile(path.c_str(), size))) {
        LogError(kSchemaFailed, path.c_str());
        return false;
      }
      LogMessage(kSchemaLoaded, path.c_str());
    }
    steps.Step(path.c_str());
  }
  // Phase 3: the whole schema.
  if (!Schema::CheckDuplicateFieldNames() || !Schema::CheckInheritanceDepth() ||
      !Schema::CheckStructuresDoNotContainThemselves() || !Schema::CheckDefaultValueSizes()) {
    LogMessage("%s", kDatabaseFailed);
    return false;
  }
  Schema::MarkRepeatedFieldNames();

  // A record that fails to load is reported by LoadRecord and left out. Room for every listed
  // record is made at once; a missing list lists nothing, whatever its count says.
  const uint32_t listed = recordFiles ? recordFileCount : 0;
  records.reserve(listed);
  recordObjects_.reserve(listed);
  recordsByHash.Reserve(listed);
  recordsByName.Reserve(listed);
  loadingRecords_ = true;
  for (uint32_t i = 0; recordFiles && i < recordFileCount; ++i) {
    if (!recordFiles[i]) continue;
    THandle loaded = 0;
    NoteLoading(recordFiles[i]);
    LoadRecord(recordFiles[i], &loaded);
    steps.Step(recordFiles[i]);
  }
  loadingRecords_ = false;
  if (recordDocument_) recordDocument_->Clear();
  fastParser_.Clear();
  // References name records by hash, so they resolve only once every record is registered.
  // Handles are never reused: a noted handle names its record still, or nothing when the record
  // is gone.
  for (const THandle handle : pendingReferenceRecords_) {
    if (auto* record = ResolveAnyState<CDataRecord>(handle)) record->ResolvePointableReferences();
  }
  pendingReferenceRecords_.clear();

  LogMessage(kRecordsLoaded, static_cast<int>(recordFileCount));
  return true;
}

std::string_view CDatabase::ReadHostFile(const char* path, uint32_t size) {
  fileBuffer_.assign(size + size_t{1}, '\0');
  fileLoader(path, fileBuffer_.data());
  fileBuffer_[size] = '\0';
  return std::string_view(fileBuffer_.data());
}

}  // namespace Database
