#include "commands.h"

#include <cstdio>

namespace TessellaCli {
namespace {

constexpr Command kCommands[] = {
    {"check", "[DIR] [--format text|json]",
     "Report what the data author must fix before the next save.", 0, 0, "--format", "text|json",
     "--format text|json  findings as text lines (default) or as one JSON document", RunCheck},
    {"list", "[DIR] [--type TYPE]", "List the records with type, hash and file.", 0, 0, "--type",
     nullptr, "--type TYPE  only the records of that type", RunList},
    {"show", "[DIR] RECORD [URL]", "Print a record, or the structure at URL in it, as XML.", 1, 2,
     nullptr, nullptr, nullptr, RunShow},
    {"schema", "[DIR] [TYPE]", "Describe the schema, or one type of it.", 0, 1, nullptr, nullptr,
     nullptr, RunSchema},
    {"query", "[DIR] 'SELECT ...'", "List the records a query selects.", 1, 1, nullptr, nullptr,
     nullptr, RunQuery},
};

void PrintUsage(std::FILE* out, const Command* command) {
  if (command) {
    std::fprintf(out, "usage: tessella %s %s [--quiet]\n", command->name, command->synopsis);
  } else {
    std::fputs("usage: tessella [--quiet] COMMAND [DIR] [ARGUMENTS]  (tessella --help)\n", out);
  }
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

void PrintHelp(const Command* command, const std::filesystem::path& sampleDir) {
  PrintUsage(stdout, command);
  if (command) {
    std::printf("\n%s\n", command->summary);
    if (command->optionHelp) std::printf("\n  %s\n", command->optionHelp);
  } else {
    std::puts(
        "\nLoads the Tessella database in DIR (every *.sch and *.xml file below it) and works on"
        "\nit. A first argument that names an existing directory is taken as DIR.\n\ncommands:");
    for (const Command& each : kCommands) {
      const std::string call = std::string(each.name) + " " + each.synopsis;
      std::printf("  %-33s %s\n", call.c_str(), each.summary);
    }
    std::puts(
        "\noptions:\n"
        "  -q, --quiet  only problems: no progress bar, no message lines, no summary\n"
        "  -h, --help   this help; tessella COMMAND --help describes one command\n"
        "\nexit status: 0 success, 1 problems found or nothing to show, 2 usage error");
  }
  std::printf("\nWithout DIR: the bundled sample database, %s\n", sampleDir.string().c_str());
}

int UsageError(const Command* command, const std::string& message) {
  std::fprintf(stderr, "tessella: %s\n", message.c_str());
  PrintUsage(stderr, command);
  return kExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "tessella: %s\n", message.c_str());
  return kExitProblems;
}

bool RequireLoaded(const CommandContext& context) {
  if (context.load.opened) return true;
  Failure("the database in " + context.dataDir.string() + " did not load");
  return false;
}

}  // namespace TessellaCli
