// Where a database lives on disk: the bundled sample and the files of a data directory.
#ifndef TESSELLA_CLI_DATA_DIRECTORY_H_
#define TESSELLA_CLI_DATA_DIRECTORY_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace TessellaCli {

// A path as UTF-8 text with '/' separators, and back: the library's paths are UTF-8 on every
// system.
std::string Utf8Path(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& text);

// The whole content of the file at path; nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// The files of a data directory, as UTF-8 paths relative to it with '/' separators, each list
// sorted.
struct DatabaseFiles {
  std::vector<std::string> schemaFiles;  // every *.sch below the directory
  std::vector<std::string> recordFiles;  // every *.xml below the directory
};

// Lists the schema and record files below dir, at any depth. Throws
// std::filesystem::filesystem_error when the directory cannot be read.
DatabaseFiles FindDatabaseFiles(const std::filesystem::path& dir);

// The sample database that ships with the host: share/tessella/examples/armory beside the
// executable's bin directory (build and install trees alike), else the source tree it was built
// from. argv0 is used only when the running executable cannot be found through the system.
std::filesystem::path BundledSampleDirectory(const char* argv0);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_DATA_DIRECTORY_H_
