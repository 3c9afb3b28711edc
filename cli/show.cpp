// show: a record in record file form, or one structure of it in structure text form.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {

int RunShow(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::string& name = context.arguments[0];
  const uint64_t record = DB_GetRecordByName(name.c_str());
  if (!record) return Failure("no record named " + name);
  const char* text = nullptr;
  if (context.arguments.size() > 1) {
    const std::string& url = context.arguments[1];
    const uint64_t structure = DB_DataRecord_ResolveURL(record, url.c_str());
    // The library stops at the last part it can follow, so a structure found elsewhere than the
    // URL says means the URL names nothing.
    if (!structure || Text(DB_DataStruct_URL(structure)) != url)
      return Failure(Text(DB_DataRecord_Name(record)) + " has no structure at " + url);
    text = DB_DataStruct_Serialize(structure, nullptr, false);
  } else {
    text = DB_Export(record);
  }
  if (!text || !*text) return Failure("the library returned no text for " + name);
  std::fputs(text, stdout);
  if (text[std::strlen(text) - 1] != '\n') std::fputc('\n', stdout);
  return kExitSuccess;
}

}  // namespace TessellaCli
