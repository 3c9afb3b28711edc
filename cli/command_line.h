// The tessella command line: options, the command, its data directory and its arguments.
#ifndef TESSELLA_CLI_COMMAND_LINE_H_
#define TESSELLA_CLI_COMMAND_LINE_H_

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace TessellaCli {

struct Invocation {
  const Command* command = nullptr;  // null when none was named
  std::vector<std::string> positionals;
  std::map<std::string, std::string> options;  // "--type" -> its value, for the options given
  bool quiet = false;
  bool help = false;
};

struct ParsedCommandLine {
  Invocation invocation;
  std::string error;  // a usage error, or empty
};

// Reads "-q/--quiet", "-h/--help", the command's options ("--type T" or "--type=T"; the last
// value given counts), the command name and the positional arguments, in any order; "--" makes
// every later word positional.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

struct Operands {
  std::optional<std::filesystem::path> dataDir;  // when the command line names one
  std::vector<std::string> arguments;            // the command's own arguments
};

// Splits the positionals into DIR and the command's arguments: the first positional is DIR when
// the command's arguments cannot do without it, or when it names an existing directory and the
// arguments can do without it. Returns a usage error, or nothing.
std::optional<std::string> SplitOperands(const Command& command,
                                         const std::vector<std::string>& positionals,
                                         Operands& operands);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_COMMAND_LINE_H_
