// A query with a record type test and two field tests over 100,000 loaded records, next to the
// same selection written by hand as a loop over the C interface.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_files.h"

namespace {

constexpr size_t kRecords = 100000;
constexpr const char* kQuery =
    "SELECT RECORDS WHERE RECORD_TYPE=\"Item\" AND FIELD_VALUE(Value) >= 0 AND "
    "FIELD_VALUE(Base.Amount) < 10";

// Loads the records once for the whole program.
const BenchFiles& Loaded() {
  static const BenchFiles files(GenerateDatabase(kRecords, 7));
  static const bool loaded = files.Load();
  (void)loaded;
  return files;
}

size_t HandWrittenLoop() {
  size_t found = 0;
  const uint64_t* records = DB_GetRecords();
  for (uint64_t i = 0, n = DB_GetRecordCount(); i < n; ++i) {
    const char* type = DB_DataRecord_SchemaName(records[i]);
    if (!type || std::strcmp(type, "Item") != 0) continue;
    if (DB_DataField_GetValueAsInt32(DB_DataStruct_FieldByName(records[i], "Value"), 0) < 0) {
      continue;
    }
    const uint64_t base =
        DB_DataField_GetValueAsStruct(DB_DataStruct_FieldByName(records[i], "Base"), 0);
    if (DB_DataField_GetValueAsFloat(DB_DataStruct_FieldByName(base, "Amount"), 0) < 10.0f) {
      ++found;
    }
  }
  return found;
}

void BM_Query(benchmark::State& state) {
  Loaded();
  const uint64_t expected = HandWrittenLoop();
  for (auto _ : state) {
    if (DB_Query(kQuery) != expected) state.SkipWithError("query and loop disagree");
  }
  state.counters["matches"] = static_cast<double>(expected);
}
BENCHMARK(BM_Query)->Unit(benchmark::kMillisecond);

void BM_HandWrittenLoop(benchmark::State& state) {
  Loaded();
  for (auto _ : state) {
    benchmark::DoNotOptimize(HandWrittenLoop());
  }
}
BENCHMARK(BM_HandWrittenLoop)->Unit(benchmark::kMillisecond);

}  // namespace
