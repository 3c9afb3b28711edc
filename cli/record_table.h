// Records printed as an aligned table with the columns NAME, TYPE, HASH and FILE.
#ifndef TESSELLA_CLI_RECORD_TABLE_H_
#define TESSELLA_CLI_RECORD_TABLE_H_

#include <cstdint>
#include <vector>

namespace TessellaCli {

// Prints a header line and one line per record, in the given order, on stdout.
void PrintRecordTable(const std::vector<uint64_t>& records);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_RECORD_TABLE_H_
