// A directory for the files a test writes, relative to the current directory as record paths
// are. It is named after the running test, emptied when made and removed (even when a test left
// it read-only) when the object goes.
#pragma once

#include <string>

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The path of name inside the directory; File("") is the directory with a trailing slash.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // The whole content of the file at a UTF-8 path; "" when it cannot be read.
  static std::string Read(const std::string& path);

 private:
  std::string path_;
};
