// The one process-wide database: the host's callbacks, the export buffer, the record registries
// and the last query's results. Opening and closing a database fill and empty it; the object
// itself lives as long as the library.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/data_object.h"
#include "frame/platform.h"
#include "tessella.h"

namespace Database {

// Orders record names as _stricmp does: letter case ignored.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return Platform::CompareNoCase(a.c_str(), b.c_str()) < 0;
  }
};

class CDatabase {
 public:
  static CDatabase& Instance();

  // Clears the history, closes the open database and loads a new one. True when it opened.
  bool Open(FileLoader fileLoader, FileSizer fileSizer, ProgressCallback progress,
            uint32_t schemaFileCount, const char* const* schemaFiles, uint32_t recordFileCount,
            const char* const* recordFiles);

  // Destroys every record, empties the registries and tears the schema down. The callbacks,
  // the export buffer and the last query's results stay. The command history is cleared as
  // well, so that no undo step can reach an object of the closed database.
  void Close();

  // Loads schema and record files into the (empty) database. Logs and returns false when a
  // callback is missing or the schema does not load.
  bool Load(FileLoader fileLoader, FileSizer fileSizer, ProgressCallback progress,
            uint32_t schemaFileCount, const char* const* schemaFiles, uint32_t recordFileCount,
            const char* const* recordFiles);

  FileLoader fileLoader = nullptr;
  FileSizer fileSizer = nullptr;
  ProgressCallback progressCallback = nullptr;
  std::string exportText;
  std::unordered_map<std::string, THandle> recordsByHash;
  std::map<std::string, THandle, NoCaseLess> recordsByName;
  std::vector<THandle> records;  // the database owns these records: Close destroys them
  std::vector<THandle> queryResults;

 private:
  CDatabase() = default;
};

}  // namespace Database
