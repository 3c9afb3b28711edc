// list: the records with their type, hash and file, in load order.
#include "commands.h"
#include "record_table.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {

int RunList(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  if (context.option && !DB_SchemaStruct(context.option->c_str())) {
    return Failure("no structure or record type named " + *context.option);
  }
  std::vector<uint64_t> selected;
  const uint64_t* records = DB_GetRecords();
  for (uint64_t i = 0; i < DB_GetRecordCount(); ++i) {
    if (!context.option || Text(DB_DataRecord_SchemaName(records[i])) == *context.option) {
      selected.push_back(records[i]);
    }
  }
  PrintRecordTable(selected);
  return kExitSuccess;
}

}  // namespace TessellaCli
