// query: the records a SELECT query picks, as the library evaluates it.
#include "commands.h"
#include "loading.h"
#include "record_table.h"
#include "tessella.h"

namespace TessellaCli {

int RunQuery(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::size_t problemsBefore = LibraryProblems().size();
  DB_Query(context.arguments[0].c_str());
  // The library has put the reason on stderr; its results would belong to no query.
  if (LibraryProblems().size() > problemsBefore) return kExitProblems;
  std::vector<uint64_t> results(DB_QueryGetResults(nullptr));
  DB_QueryGetResults(results.data());
  PrintRecordTable(results);
  return kExitSuccess;
}

}  // namespace TessellaCli
