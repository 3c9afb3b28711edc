#include "record_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {

void PrintRecordTable(const std::vector<uint64_t>& records) {
  using Row = std::array<std::string, 4>;
  std::vector<Row> rows = {{"NAME", "TYPE", "HASH", "FILE"}};
  for (const uint64_t record : records) {
    rows.push_back({Text(DB_DataRecord_Name(record)), Text(DB_DataRecord_SchemaName(record)),
                    Text(DB_DataRecord_Hash(record)), Text(DB_DataRecord_Filename(record))});
  }
  std::array<std::size_t, 3> widths{};
  for (const Row& row : rows) {
    for (std::size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], row[column].size());
    }
  }
  for (const Row& row : rows) {
    std::printf("%-*s  %-*s  %-*s  %s\n", static_cast<int>(widths[0]), row[0].c_str(),
                static_cast<int>(widths[1]), row[1].c_str(), static_cast<int>(widths[2]),
                row[2].c_str(), row[3].c_str());
  }
}

}  // namespace TessellaCli
