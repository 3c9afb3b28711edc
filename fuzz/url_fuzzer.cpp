// Resolves arbitrary bytes as a URL in every record of the sample database. A structure found must
// belong to that record, and its own URL must lead back to it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tessella.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (const uint64_t record : fuzz::SampleRecords()) {
    const uint64_t structure = DB_DataRecord_ResolveURL(record, input.c_str());
    if (structure == 0) continue;
    if (DB_DataStruct_GetRecord(structure) != record) {
      fuzz::Fail("a URL leads out of its record", input, std::to_string(record),
                 std::to_string(DB_DataStruct_GetRecord(structure)));
    }
    const std::string url = fuzz::Copy(DB_DataStruct_URL(structure));
    const uint64_t again = DB_DataRecord_ResolveURL(record, url.c_str());
    if (again != structure && !(url.empty() && structure == record)) {
      fuzz::Fail("a structure's URL does not lead back to it", input, url, std::to_string(again));
    }
  }
  return 0;
}
