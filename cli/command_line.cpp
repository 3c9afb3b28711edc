#include "command_line.h"

#include <string_view>
#include <system_error>

namespace TessellaCli {
namespace {

// Takes the value of a "--name value" or "--name=value" option at argv[i]; advances i past it.
std::optional<std::string> OptionValue(std::string_view word, int argc, const char* const* argv,
                                       int& i, std::string& error) {
  const std::size_t equals = word.find('=');
  if (equals != std::string_view::npos) return std::string(word.substr(equals + 1));
  if (i + 1 >= argc) {
    error = std::string(word) + " needs a value";
    return std::nullopt;
  }
  return std::string(argv[++i]);
}

bool IsChoice(std::string_view choices, std::string_view value) {
  while (!choices.empty()) {
    const std::size_t bar = choices.find('|');
    if (choices.substr(0, bar) == value) return true;
    choices = bar == std::string_view::npos ? std::string_view() : choices.substr(bar + 1);
  }
  return false;
}

// True when some command takes an option of that name ("--type").
bool IsValueOption(std::string_view name) {
  for (const Command& command : Commands()) {
    if (FindOption(command, name)) return true;
  }
  return false;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  Invocation& invocation = parsed.invocation;
  bool optionsEnded = false;
  for (int i = 1; i < argc && parsed.error.empty(); ++i) {
    const std::string_view word = argv[i];
    const bool isOption = !optionsEnded && word.size() > 1 && word[0] == '-';
    if (isOption && word == "--") {
      optionsEnded = true;
    } else if (isOption && (word == "-q" || word == "--quiet")) {
      invocation.quiet = true;
    } else if (isOption && (word == "-h" || word == "--help")) {
      invocation.help = true;
    } else if (isOption && IsValueOption(word.substr(0, word.find('=')))) {
      const std::string name(word.substr(0, word.find('=')));
      if (auto value = OptionValue(word, argc, argv, i, parsed.error)) {
        invocation.options[name] = std::move(*value);
      }
    } else if (isOption) {
      parsed.error = "unknown option " + std::string(word);
    } else if (!invocation.command) {
      invocation.command = FindCommand(word);
      if (!invocation.command) parsed.error = "unknown command " + std::string(word);
    } else {
      invocation.positionals.emplace_back(word);
    }
  }
  for (const auto& [name, value] : invocation.options) {
    if (!parsed.error.empty()) break;
    const CommandOption* option =
        invocation.command ? FindOption(*invocation.command, name) : nullptr;
    if (!option) {
      parsed.error = "unknown option " + name;
    } else if (option->choices && !IsChoice(option->choices, value)) {
      parsed.error = name + " must be one of " + option->choices;
    }
  }
  return parsed;
}

std::optional<std::string> SplitOperands(const Command& command,
                                         const std::vector<std::string>& positionals,
                                         Operands& operands) {
  const std::size_t count = positionals.size();
  std::error_code error;
  const bool firstIsDirectory = count > 0 && std::filesystem::is_directory(positionals[0], error);
  const bool hasDir =
      count > command.maxArguments || (count > command.minArguments && firstIsDirectory);
  if (hasDir && !firstIsDirectory) return positionals[0] + " is not a directory";
  const std::size_t argumentCount = hasDir ? count - 1 : count;
  if (argumentCount < command.minArguments) return "missing arguments";
  if (argumentCount > command.maxArguments) return "too many arguments";
  if (hasDir) operands.dataDir = positionals[0];
  operands.arguments.assign(positionals.begin() + (hasDir ? 1 : 0), positionals.end());
  return std::nullopt;
}

}  // namespace TessellaCli
