// The subcommands of the tessella program and what they share.
#ifndef TESSELLA_CLI_COMMANDS_H_
#define TESSELLA_CLI_COMMANDS_H_

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "loading.h"

namespace TessellaCli {

enum ExitStatus : int { kExitSuccess = 0, kExitProblems = 1, kExitUsage = 2 };

// What a command runs on: the loaded data directory and its own part of the command line.
struct CommandContext {
  std::filesystem::path dataDir;
  std::vector<std::string> arguments;          // the positional arguments after DIR
  std::map<std::string, std::string> options;  // "--type" -> its value, for the options given
  bool quiet = false;
  LoadResult load;

  // The value given for the option, or nothing.
  std::optional<std::string> Option(std::string_view name) const;
};

// A value option of a command, as "--type".
struct CommandOption {
  const char* name;     // null for none
  const char* choices;  // the values it allows, as "text|json"; null for any
  const char* help;     // one line on it
};

struct Command {
  const char* name;
  const char* synopsis;  // the arguments, as in "[DIR] RECORD [URL]"
  const char* summary;
  std::size_t minArguments;  // positional arguments besides DIR
  std::size_t maxArguments;
  CommandOption options[2];  // its value options; unused entries have a null name
  int (*run)(const CommandContext& context);
  const char* details[2];  // more help, printed after the options; unused entries are null
};

// The query language, as the query command's help describes it.
extern const char* const kQueryLanguage;

// Every command, in the order the help lists them.
std::span<const Command> Commands();
const Command* FindCommand(std::string_view name);
// The command's option of that name, or null.
const CommandOption* FindOption(const Command& command, std::string_view name);

// Prints the program's help, or one command's, to stdout.
void PrintHelp(const Command* command, const std::filesystem::path& sampleDir);

// Prints "tessella: message" and the usage of the command (or of the program) to stderr and
// returns kExitUsage.
int UsageError(const Command* command, const std::string& message);

// Prints "tessella: message" to stderr and returns kExitProblems.
int Failure(const std::string& message);

// True when the database loaded; otherwise says so on stderr.
bool RequireLoaded(const CommandContext& context);

// True when type is not given or names a record type; otherwise says so on stderr, naming the
// closest record type.
bool CheckRecordType(const std::optional<std::string>& type);
// The records of that type (every record when none is given), in registration order.
std::vector<uint64_t> RecordsOfType(const std::optional<std::string>& type);

// The commands. Each prints its result to stdout and returns an ExitStatus.
int RunCheck(const CommandContext& context);
int RunList(const CommandContext& context);
int RunShow(const CommandContext& context);
int RunSchema(const CommandContext& context);
int RunQuery(const CommandContext& context);
int RunExport(const CommandContext& context);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_COMMANDS_H_
