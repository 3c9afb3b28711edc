#include "support/memory_files.h"

#include <cstring>

namespace {
MemoryFiles* active = nullptr;
}  // namespace

MemoryFiles::MemoryFiles() { active = this; }

MemoryFiles::~MemoryFiles() { active = nullptr; }

uint32_t MemoryFiles::Size(const char* path) {
  if (!active) return 0;
  active->sizeRequests_.push_back(path);
  const auto found = active->files_.find(path);
  return found == active->files_.end() ? 0 : static_cast<uint32_t>(found->second.size());
}

void MemoryFiles::Load(const char* path, char* buffer) {
  if (!active) return;
  active->loadRequests_.push_back(path);
  const auto found = active->files_.find(path);
  if (found != active->files_.end()) {
    std::memcpy(buffer, found->second.data(), found->second.size());
  }
}
