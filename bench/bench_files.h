// In-memory files served to DB_Load through the host callbacks, shared by the benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/record_generator.h"
#include "tessella.h"

class BenchFiles {
 public:
  // Serves the database's files; only one set is served at a time.
  explicit BenchFiles(const GeneratedDatabase& database);
  ~BenchFiles();

  bool Load() const;
  const std::vector<const char*>& SchemaPaths() const { return schemaPaths_; }
  const std::vector<const char*>& RecordPaths() const { return recordPaths_; }
  const std::string& Text(const char* path) const { return files_.at(path); }
  size_t RecordBytes() const;

 private:
  // The text of the file at path, or null.
  const std::string* Find(const char* path) const;
  static uint32_t Size(const char* path);
  static void Read(const char* path, char* buffer);

  std::unordered_map<std::string, std::string> files_;
  std::vector<const char*> schemaPaths_;
  std::vector<const char*> recordPaths_;
  std::vector<const std::string*> recordTexts_;  // aligned with recordPaths_
  mutable size_t nextRecord_ = 0;
};

// The generated database as the library itself writes it (indented, every attribute present):
// loaded once and every record exported under its path.
GeneratedDatabase WrittenDatabase(size_t recordCount, uint32_t seed);

// Writes the database's files under directory, which is emptied first; returns their paths under
// it, the schema files' and then the record files', each list in the database's order.
std::vector<std::string> WriteFiles(const GeneratedDatabase& database,
                                    const std::string& directory);

// Bytes of memory the process holds resident, after the heap has given its free pages back to the
// system: heap allocations and the library's own large blocks alike.
size_t ResidentBytes();
