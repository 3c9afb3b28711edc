#include "bench_files.h"

#include <malloc.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

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
  for (const char* path : recordPaths_) recordTexts_.push_back(&files_.find(path)->second);
  active = this;
}

BenchFiles::~BenchFiles() { active = nullptr; }

bool BenchFiles::Load() const {
  nextRecord_ = 0;
  return DB_Load(&BenchFiles::Read, &BenchFiles::Size, nullptr,
                 static_cast<uint32_t>(schemaPaths_.size()), schemaPaths_.data(),
                 static_cast<uint32_t>(recordPaths_.size()), recordPaths_.data());
}

size_t BenchFiles::RecordBytes() const {
  size_t bytes = 0;
  for (const char* path : recordPaths_) bytes += Text(path).size();
  return bytes;
}

const std::string* BenchFiles::Find(const char* path) const {
  // The loader asks for the record files in the order they were listed, passing back the very
  // pointers it was given: following that order makes the callbacks cost the load as little as
  // a host's file cache would. Anything else is looked up by name.
  for (size_t at = nextRecord_; at < recordPaths_.size() && at <= nextRecord_ + 1; ++at) {
    if (recordPaths_[at] == path) {
      nextRecord_ = at;
      return recordTexts_[at];
    }
  }
  const auto found = files_.find(path);
  return found == files_.end() ? nullptr : &found->second;
}

uint32_t BenchFiles::Size(const char* path) {
  const std::string* text = active->Find(path);
  return text ? static_cast<uint32_t>(text->size()) : 0;
}

void BenchFiles::Read(const char* path, char* buffer) {
  if (const std::string* text = active->Find(path)) {
    std::memcpy(buffer, text->data(), text->size());
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

std::vector<std::string> WriteFiles(const GeneratedDatabase& database,
                                    const std::string& directory) {
  std::filesystem::remove_all(directory);
  std::vector<std::string> paths;
  for (const auto* list : {&database.schemaFiles, &database.recordFiles}) {
    for (const GeneratedFile& file : *list) {
      const std::filesystem::path path = std::filesystem::path(directory) / file.path;
      std::filesystem::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary) << file.text;
      paths.push_back(path.string());
    }
  }
  return paths;
}

size_t ResidentBytes() {
  malloc_trim(0);
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  size_t resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
