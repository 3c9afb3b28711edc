#include "loading.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "data_directory.h"
#include "tessella.h"

namespace TessellaCli {
namespace {

namespace fs = std::filesystem;

// The file callbacks are plain function pointers, so the directory they read lives here.
struct FileRoot {
  fs::path dir;
  std::string lastReportedPath;
  uint32_t lastReportedSize = 0;
};

FileRoot& Files() {
  static FileRoot root;
  return root;
}

struct RelayState {
  bool quiet = false;
  bool progressShown = false;
  std::vector<LibraryProblem> problems;
};

RelayState& Relay() {
  static RelayState state;
  return state;
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

void ClearProgress() {
  if (!Relay().progressShown) return;
  std::fputs("\r\033[K", stderr);
  Relay().progressShown = false;
}

void ShowProgress(int32_t percent, const char* path) noexcept {
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r\033[K[%.*s%*s] %3d%% %.40s", filled, "##############################",
               kWidth - filled, "", static_cast<int>(percent), path);
  std::fflush(stderr);
  Relay().progressShown = true;
}

void RelayLogLine(int32_t level, const char* text) noexcept {
  RelayState& relay = Relay();
  if (level != TESSELLA_LOG_MESSAGE) relay.problems.push_back({level, text});
  if (level == TESSELLA_LOG_MESSAGE && relay.quiet) return;
  ClearProgress();
  std::fputs(text, stderr);
  std::fputc('\n', stderr);
}

std::vector<const char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<const char*> pointers;
  for (const std::string& text : texts) pointers.push_back(text.c_str());
  return pointers;
}

}  // namespace

void ReadFilesBelow(const fs::path& dir) { Files().dir = dir; }

uint32_t SizeDataFile(const char* path) noexcept {
  std::error_code error;
  const uintmax_t size = fs::file_size(Files().dir / PathFromUtf8(path), error);
  const bool fits = !error && size <= std::numeric_limits<uint32_t>::max();
  Files().lastReportedPath = path;
  Files().lastReportedSize = fits ? static_cast<uint32_t>(size) : 0;
  return Files().lastReportedSize;
}

void LoadDataFile(const char* path, char* buffer) noexcept {
  const uint32_t room = Files().lastReportedPath == path ? Files().lastReportedSize : 0;
  std::ifstream in(Files().dir / PathFromUtf8(path), std::ios::binary);
  in.read(buffer, static_cast<std::streamsize>(room));
  const auto got = static_cast<uint32_t>(std::max<std::streamsize>(in.gcount(), 0));
  std::fill(buffer + got, buffer + room, '\0');
}

void StartLogRelay(bool quiet) {
  Relay().quiet = quiet;
  RegisterForLogging(RelayLogLine);
}

const std::vector<LibraryProblem>& LibraryProblems() { return Relay().problems; }

LoadResult LoadDirectory(const fs::path& dir, bool quiet) {
  const DatabaseFiles files = FindDatabaseFiles(dir);
  ReadFilesBelow(dir);
  const std::vector<const char*> schemaFiles = Pointers(files.schemaFiles);
  const std::vector<const char*> recordFiles = Pointers(files.recordFiles);
  const ProgressCallback progress = !quiet && StderrIsTerminal() ? ShowProgress : nullptr;
  const bool opened =
      DB_Load(LoadDataFile, SizeDataFile, progress, static_cast<uint32_t>(schemaFiles.size()),
              schemaFiles.data(), static_cast<uint32_t>(recordFiles.size()), recordFiles.data());
  ClearProgress();
  return {opened, files.recordFiles.size()};
}

}  // namespace TessellaCli
