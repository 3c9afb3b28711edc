// One file read whole through the host's FileLoader: size + 1 bytes, a zero written after the
// last one. The text runs to the file's first zero byte. The buffer is released with the object.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tessella.h"

namespace Database {

class HostFile {
 public:
  HostFile(FileLoader loader, uint32_t size, const char* path) : buffer_(size + size_t{1}, '\0') {
    loader(path, buffer_.data());
    buffer_[size] = '\0';
  }
  std::string_view Text() const { return std::string_view(buffer_.data()); }
  const char* CText() const { return buffer_.data(); }

 private:
  std::vector<char> buffer_;
};

}  // namespace Database
