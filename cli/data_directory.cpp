#include "data_directory.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace TessellaCli {
namespace {

namespace fs = std::filesystem;

fs::path RunningExecutable(const char* argv0) {
  std::error_code error;
#ifdef _WIN32
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0) break;
    if (length < self.size()) return fs::path(self.substr(0, length));
    self.resize(self.size() * 2);
  }
#else
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error) return self;
#endif
  return fs::weakly_canonical(fs::path(argv0), error);
}

}  // namespace

std::string Utf8Path(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathFromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DatabaseFiles FindDatabaseFiles(const fs::path& dir) {
  DatabaseFiles files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const std::string extension = entry.path().extension().string();
    std::vector<std::string>* list = extension == ".sch"   ? &files.schemaFiles
                                     : extension == ".xml" ? &files.recordFiles
                                                           : nullptr;
    if (list) list->push_back(Utf8Path(entry.path().lexically_relative(dir)));
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
