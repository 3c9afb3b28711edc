// list: the records with their type, hash and file, in load order; the selection by record type
// that export shares.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "record_table.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {

namespace {

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

// Levenshtein distance, without regard to ASCII letter case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  const std::string x = Lowered(a), y = Lowered(b);
  std::vector<std::size_t> row(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

// The record types in declaration order.
std::vector<std::string> RecordTypes() {
  std::vector<std::string> types;
  for (uint64_t i = 0; i < DB_SchemaRecord_GetCount(); ++i) {
    types.push_back(
        Text(DB_SchemaStruct_GetName(DB_SchemaRecord_GetByIndex(static_cast<int32_t>(i)))));
  }
  return types;
}

// The record type that differs only in letter case, else the one at the smallest edit distance
// (the first declared on a tie); "" when there is none.
std::string ClosestType(const std::vector<std::string>& types, const std::string& name) {
  for (const std::string& type : types) {
    if (Lowered(type) == Lowered(name)) return type;
  }
  std::string closest;
  std::size_t best = 0;
  for (const std::string& type : types) {
    const std::size_t distance = EditDistance(type, name);
    if (closest.empty() || distance < best) {
      closest = type;
      best = distance;
    }
  }
  return closest;
}

}  // namespace

bool CheckRecordType(const std::optional<std::string>& type) {
  if (!type) return true;
  const std::vector<std::string> types = RecordTypes();
  if (std::find(types.begin(), types.end(), *type) != types.end()) return true;
  std::string message = "tessella: " + *type + " is not a record type";
  const std::string closest = ClosestType(types, *type);
  if (!closest.empty()) message += "; did you mean " + closest + "?";
  std::fprintf(stderr, "%s\n", message.c_str());
  return false;
}

std::vector<uint64_t> RecordsOfType(const std::optional<std::string>& type) {
  std::vector<uint64_t> selected;
  const uint64_t* records = DB_GetRecords();
  for (uint64_t i = 0; i < DB_GetRecordCount(); ++i) {
    if (!type || Text(DB_DataRecord_SchemaName(records[i])) == *type) {
      selected.push_back(records[i]);
    }
  }
  return selected;
}

int RunList(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::optional<std::string> type = context.Option("--type");
  if (!CheckRecordType(type)) return kExitUsage;
  PrintRecordTable(RecordsOfType(type));
  return kExitSuccess;
}

}  // namespace TessellaCli
