// Loads 10,000 generated records of about 2 KB each through DB_Load, next to tinyxml2 parsing the
// same texts alone, so that the cost of building records can be read as a ratio of the bare
// parse. The bare parse reuses one document, the quickest way tinyxml2 reads many files (a new
// document per file costs more, and how much more depends on the heap's state). The load
// benchmark also reports the memory each loaded record keeps resident, and the ratio benchmark
// times both in turn within each iteration, so that the ratio holds up on a busy machine.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <tinyxml2.h>

#include <chrono>

#include "bench_files.h"

namespace {

constexpr size_t kRecords = 10000;

const GeneratedDatabase& Database() {
  static const GeneratedDatabase database = WrittenDatabase(kRecords, 42);
  return database;
}

void ParseAll(const BenchFiles& files, tinyxml2::XMLDocument& document) {
  for (const char* path : files.RecordPaths()) {
    document.Parse(files.Text(path).c_str());
    benchmark::DoNotOptimize(document.FirstChild());
  }
}

void BM_Tinyxml2ParseOnly(benchmark::State& state) {
  const BenchFiles files(Database());
  tinyxml2::XMLDocument document;
  for (auto _ : state) ParseAll(files, document);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * files.RecordBytes()));
  state.counters["bytes_per_record"] =
      static_cast<double>(files.RecordBytes()) / static_cast<double>(kRecords);
}
BENCHMARK(BM_Tinyxml2ParseOnly)->Unit(benchmark::kMillisecond);

void BM_DatabaseLoad(benchmark::State& state) {
  const BenchFiles files(Database());
  DB_Close();
  const size_t before = ResidentBytes();
  files.Load();
  const size_t after = ResidentBytes();
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
  state.counters["resident_bytes_per_record"] =
      static_cast<double>(after - before) / static_cast<double>(kRecords);
}
BENCHMARK(BM_DatabaseLoad)->Unit(benchmark::kMillisecond);

// Each iteration parses every file, then closes the database (untimed) and loads it again; the
// reported time is the load's, and "load_over_parse" is the sum of load times over the sum of
// parse times.
void BM_LoadOverParse(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const BenchFiles files(Database());
  tinyxml2::XMLDocument document;
  Clock::duration parsing{};
  Clock::duration loading{};
  for (auto _ : state) {
    const auto parseStart = Clock::now();
    ParseAll(files, document);
    const auto parseEnd = Clock::now();
    DB_Close();
    const auto loadStart = Clock::now();
    benchmark::DoNotOptimize(files.Load());
    const auto loadEnd = Clock::now();
    parsing += parseEnd - parseStart;
    loading += loadEnd - loadStart;
    state.SetIterationTime(std::chrono::duration<double>(loadEnd - loadStart).count());
  }
  DB_Close();
  state.counters["load_over_parse"] = std::chrono::duration<double>(loading).count() /
                                      std::chrono::duration<double>(parsing).count();
}
BENCHMARK(BM_LoadOverParse)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
