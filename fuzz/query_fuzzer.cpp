// Runs arbitrary bytes as a query on the sample database. A query either fails to parse and keeps
// the previous results, or leaves results that are live records, each at most once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tessella.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::vector<uint64_t>& records = fuzz::SampleRecords();
  DB_Query("SELECT RECORDS WHERE RECORD_TYPE=\"Armor\"");
  const uint64_t found = DB_Query(input.c_str());
  std::vector<uint64_t> results(DB_QueryGetResults(nullptr));
  DB_QueryGetResults(results.data());
  if (found != 0 && found != results.size()) {
    fuzz::Fail("a query counted other results than it kept", input, std::to_string(found),
               std::to_string(results.size()));
  }
  for (const uint64_t result : results) {
    if (std::count(results.begin(), results.end(), result) != 1 ||
        std::find(records.begin(), records.end(), result) == records.end()) {
      fuzz::Fail("a query result is no record or repeats", input, "", std::to_string(result));
    }
  }
  return 0;
}
