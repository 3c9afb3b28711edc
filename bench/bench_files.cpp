#include "bench_files.h"

#include <malloc.h>

#include <cstring>

namespace {
const BenchFiles* active = nullptr;
}  // namespace

BenchFiles::BenchFiles(const GeneratedDatabase& database) {
  for (const GeneratedFile& file : database.schemaFiles) files_[file.path] = file.text;
  for (const GeneratedFile& file : database.recordFiles) files_[file.path] = file.text;
  for (const GeneratedFile& file : database.schemaFiles) {
    schemaPaths_.push_back(files_.find(file.path)->first.c_str());
  }
  for (const GeneratedFile& file : database.recordFiles) {
    recordPaths_.push_back(files_.find(file.path)->first.c_str());
  }
  active = this;
}

BenchFiles::~BenchFiles() { active = nullptr; }

bool BenchFiles::Load() const {
  return DB_Load(&BenchFiles::Read, &BenchFiles::Size, nullptr,
                 static_cast<uint32_t>(schemaPaths_.size()), schemaPaths_.data(),
                 static_cast<uint32_t>(recordPaths_.size()), recordPaths_.data());
}

size_t BenchFiles::RecordBytes() const {
  size_t bytes = 0;
  for (const char* path : recordPaths_) bytes += Text(path).size();
  return bytes;
}

uint32_t BenchFiles::Size(const char* path) {
  const auto found = active->files_.find(path);
  return found == active->files_.end() ? 0 : static_cast<uint32_t>(found->second.size());
}

void BenchFiles::Read(const char* path, char* buffer) {
  const auto found = active->files_.find(path);
  if (found != active->files_.end()) {
    std::memcpy(buffer, found->second.data(), found->second.size());
  }
}

GeneratedDatabase WrittenDatabase(size_t recordCount, uint32_t seed) {
  const GeneratedDatabase generated = GenerateDatabase(recordCount, seed);
  GeneratedDatabase written{generated.schemaFiles, {}};
  {
    const BenchFiles files(generated);
    files.Load();
    for (size_t i = 0; i < DB_GetRecordCount(); ++i) {
      written.recordFiles.push_back({generated.recordFiles[i].path, DB_Export(DB_GetRecords()[i])});
    }
  }
  DB_Close();
  return written;
}

size_t HeapBytesInUse() { return mallinfo2().uordblks; }
