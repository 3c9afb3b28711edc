// export: every record, or every record of one type, as JSON, written record by record so the
// output never has to fit in memory.
#include <cstdio>
#include <string>

#include "commands.h"
#include "json.h"
#include "tessella.h"

namespace TessellaCli {

int RunExport(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::optional<std::string> type = context.Option("--type");
  if (!CheckRecordType(type)) return kExitUsage;
  const bool lines = context.Option("--format") == "jsonl";
  JsonWriter writer(context.dataDir);
  std::string text;
  const std::vector<uint64_t> records = RecordsOfType(type);
  if (!lines) std::fputs(records.empty() ? "[" : "[\n", stdout);
  for (std::size_t i = 0; i < records.size(); ++i) {
    text.clear();
    writer.AppendRecord(records[i], text);
    if (!lines && i + 1 < records.size()) text += ',';
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  if (!lines) std::fputs("]\n", stdout);
  return std::fflush(stdout) == 0 ? kExitSuccess : Failure("could not write the output");
}

}  // namespace TessellaCli
