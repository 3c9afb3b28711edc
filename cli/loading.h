// Opening a data directory with the library: file callbacks that read below the directory, the
// library's log lines relayed to stderr, and a progress bar while the files load.
#ifndef TESSELLA_CLI_LOADING_H_
#define TESSELLA_CLI_LOADING_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace TessellaCli {

// An error or exception line of the library, exactly as it arrived.
struct LibraryProblem {
  int32_t level;  // TESSELLA_LOG_ERROR or TESSELLA_LOG_EXCEPTION
  std::string line;
};

// Registers the log relay for the rest of the process: every library line goes to stderr byte for
// byte, followed by a line feed (message-level lines only when not quiet); error and exception
// lines are also kept, in order, for LibraryProblems.
void StartLogRelay(bool quiet);
const std::vector<LibraryProblem>& LibraryProblems();

// The file callbacks LoadDirectory hands the library, reading paths below the directory that
// ReadFilesBelow set. The library makes room for the size SizeDataFile reported for a path (0 for
// a file it cannot read) and then asks LoadDataFile for that path, which writes exactly that many
// bytes: a file that changed in between is cut or padded with zeros, never written past the room.
void ReadFilesBelow(const std::filesystem::path& dir);
uint32_t SizeDataFile(const char* path) noexcept;
void LoadDataFile(const char* path, char* buffer) noexcept;

struct LoadResult {
  bool opened = false;              // what DB_Load answered
  std::size_t recordFileCount = 0;  // record files handed to the library
};

// Loads every schema file and record file below dir (FindDatabaseFiles), passing their paths
// relative to dir. Shows a progress bar on stderr when it is a terminal and quiet is off. The file
// callbacks keep reading below dir until the next LoadDirectory. Throws
// std::filesystem::filesystem_error when dir cannot be listed.
LoadResult LoadDirectory(const std::filesystem::path& dir, bool quiet);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_LOADING_H_
