#include "data_directory.h"

#include <algorithm>
#include <system_error>

namespace TessellaCli {
namespace {

namespace fs = std::filesystem;

fs::path RunningExecutable(const char* argv0) {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error) return self;
  return fs::weakly_canonical(fs::path(argv0), error);
}

}  // namespace

DatabaseFiles FindDatabaseFiles(const fs::path& dir) {
  DatabaseFiles files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const std::string extension = entry.path().extension().string();
    std::vector<std::string>* list = extension == ".sch"   ? &files.schemaFiles
                                     : extension == ".xml" ? &files.recordFiles
                                                           : nullptr;
    if (list) list->push_back(entry.path().lexically_relative(dir).generic_string());
  }
  std::sort(files.schemaFiles.begin(), files.schemaFiles.end());
  std::sort(files.recordFiles.begin(), files.recordFiles.end());
  return files;
}

fs::path BundledSampleDirectory(const char* argv0) {
  const fs::path beside = RunningExecutable(argv0).parent_path() / TESSELLA_CLI_SAMPLE_FROM_BINDIR;
  std::error_code error;
  if (fs::is_directory(beside, error)) return beside.lexically_normal();
  return fs::path(TESSELLA_CLI_SAMPLE_SOURCE_DIR);
}

}  // namespace TessellaCli
