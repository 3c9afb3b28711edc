// In-memory files served through the host callbacks DB_Load expects. Only one set may be active
// at a time; it stays active until the object is destroyed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tessella.h"

class MemoryFiles {
 public:
  MemoryFiles();
  ~MemoryFiles();
  MemoryFiles(const MemoryFiles&) = delete;
  MemoryFiles& operator=(const MemoryFiles&) = delete;

  void Add(const std::string& path, const std::string& content) { files_[path] = content; }
  void Remove(const std::string& path) { files_.erase(path); }

  static FileSizer Sizer() { return &MemoryFiles::Size; }
  static FileLoader Loader() { return &MemoryFiles::Load; }

  // Paths passed to the callbacks, in call order.
  const std::vector<std::string>& SizeRequests() const { return sizeRequests_; }
  const std::vector<std::string>& LoadRequests() const { return loadRequests_; }

 private:
  static uint32_t Size(const char* path);
  static void Load(const char* path, char* buffer);

  std::map<std::string, std::string> files_;
  std::vector<std::string> sizeRequests_;
  std::vector<std::string> loadRequests_;
};
