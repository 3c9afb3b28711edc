// tessella: the command-line host of the Tessella library.
#include <exception>

#include "command_line.h"
#include "commands.h"
#include "data_directory.h"
#include "loading.h"
#include "tessella.h"

namespace {

using namespace TessellaCli;

int Run(int argc, const char* const* argv) {
  const std::filesystem::path sampleDir = BundledSampleDirectory(argv[0]);
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  const Invocation& invocation = parsed.invocation;
  if (!parsed.error.empty()) return UsageError(invocation.command, parsed.error);
  if (invocation.help) {
    PrintHelp(invocation.command, sampleDir);
    return kExitSuccess;
  }
  if (!invocation.command) return UsageError(nullptr, "no command given");

  Operands operands;
  if (const auto error = SplitOperands(*invocation.command, invocation.positionals, operands)) {
    return UsageError(invocation.command, *error);
  }
  CommandContext context;
  context.dataDir = operands.dataDir.value_or(sampleDir);
  context.arguments = operands.arguments;
  context.options = invocation.options;
  context.quiet = invocation.quiet;

  StartLogRelay(invocation.quiet);
  context.load = LoadDirectory(context.dataDir, invocation.quiet);
  const int status = invocation.command->run(context);
  DB_Close();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    return Failure(error.what());
  }
}
