// Loads 10,000 generated records of about 2 KB each through DB_Load, next to tinyxml2 parsing the
// same texts alone, so that the cost of building records can be read as a ratio of the bare
// parse. The load benchmark also reports the heap memory each loaded record takes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <tinyxml2.h>

#include "bench_files.h"

namespace {

constexpr size_t kRecords = 10000;

const GeneratedDatabase& Database() {
  static const GeneratedDatabase database = WrittenDatabase(kRecords, 42);
  return database;
}

void BM_Tinyxml2ParseOnly(benchmark::State& state) {
  const BenchFiles files(Database());
  for (auto _ : state) {
    for (const char* path : files.RecordPaths()) {
      tinyxml2::XMLDocument document;
      document.Parse(files.Text(path).c_str());
      benchmark::DoNotOptimize(document.FirstChild());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * files.RecordBytes()));
  state.counters["bytes_per_record"] =
      static_cast<double>(files.RecordBytes()) / static_cast<double>(kRecords);
}
BENCHMARK(BM_Tinyxml2ParseOnly)->Unit(benchmark::kMillisecond);

void BM_DatabaseLoad(benchmark::State& state) {
  const BenchFiles files(Database());
  DB_Close();
  const size_t before = HeapBytesInUse();
  files.Load();
  const size_t after = HeapBytesInUse();
  if (DB_GetRecordCount() != kRecords) state.SkipWithError("records failed to load");
  for (auto _ : state) {
    // Closing the previous database is part of every DB_Load, not of loading.
    state.PauseTiming();
    DB_Close();
    state.ResumeTiming();
    benchmark::DoNotOptimize(files.Load());
  }
  DB_Close();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * files.RecordBytes()));
  state.counters["heap_bytes_per_record"] =
      static_cast<double>(after - before) / static_cast<double>(kRecords);
}
BENCHMARK(BM_DatabaseLoad)->Unit(benchmark::kMillisecond);

}  // namespace
