// query: the records a SELECT query picks, as the library evaluates it.
#include <cstdio>
#include <string>

#include "commands.h"
#include "loading.h"
#include "record_table.h"
#include "tessella.h"

namespace TessellaCli {

namespace {

// True when the query holds the word OR outside quotes, with the library's word separators.
bool HoldsOr(const std::string& query) {
  std::string word;
  bool quoted = false;
  for (const char c : query + ' ') {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ' ' || c == '=' || c == '(' || c == ')')) {
      if (word == "OR") return true;
      word.clear();
    } else {
      word += c;
    }
  }
  return false;
}

}  // namespace

int RunQuery(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::string& query = context.arguments[0];
  if (HoldsOr(query)) {
    std::fputs(
        "tessella: note: OR does not widen a result; the last condition decides (see "
        "tessella query --help)\n",
        stderr);
  }
  const std::size_t problemsBefore = LibraryProblems().size();
  DB_Query(query.c_str());
  // The library has put the reason on stderr; its results would belong to no query.
  if (LibraryProblems().size() > problemsBefore) return kExitProblems;
  std::vector<uint64_t> results(DB_QueryGetResults(nullptr));
  DB_QueryGetResults(results.data());
  PrintRecordTable(results);
  return kExitSuccess;
}

}  // namespace TessellaCli
