// Loads generated records of about 2 KB each through DB_Load, at 10,000 and 100,000 records, next
// to tinyxml2 parsing the same texts alone, so that the cost of building records can be read as a
// ratio of the bare parse. The bare parse reuses one document, the quickest way tinyxml2 reads
// many files (a new document per file costs more, and how much more depends on the heap's state).
// The in-process benchmarks serve the files from memory; the fresh-process one writes them to a
// directory and times DB_Load in a new process reading them through stat and fread, as a host
// starting up does. The load benchmarks also report the memory each loaded record keeps
// resident, and the ratio benchmark times both in turn within each iteration, so that the ratio
// holds up on a busy machine.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_files.h"

namespace {

using Clock = std::chrono::steady_clock;

const GeneratedDatabase& Database(size_t records) {
  static std::map<size_t, GeneratedDatabase> databases;
  auto found = databases.find(records);
  if (found == databases.end()) {
    found = databases.emplace(records, WrittenDatabase(records, 42)).first;
  }
  return found->second;
}

void ParseAll(const BenchFiles& files, tinyxml2::XMLDocument& document) {
  for (const char* path : files.RecordPaths()) {
    document.Parse(files.Text(path).c_str());
    benchmark::DoNotOptimize(document.FirstChild());
  }
}

void BM_Tinyxml2ParseOnly(benchmark::State& state) {
  const auto records = static_cast<size_t>(state.range(0));
  const BenchFiles files(Database(records));
  tinyxml2::XMLDocument document;
  for (auto _ : state) ParseAll(files, document);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * files.RecordBytes()));
  state.counters["bytes_per_record"] =
      static_cast<double>(files.RecordBytes()) / static_cast<double>(records);
}
BENCHMARK(BM_Tinyxml2ParseOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DatabaseLoad(benchmark::State& state) {
  const auto records = static_cast<size_t>(state.range(0));
  const BenchFiles files(Database(records));
  DB_Close();
  const size_t before = ResidentBytes();
  files.Load();
  const size_t after = ResidentBytes();
  if (DB_GetRecordCount() != records) state.SkipWithError("records failed to load");
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
      static_cast<double>(after - before) / static_cast<double>(records);
}
BENCHMARK(BM_DatabaseLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Each iteration parses every file, then closes the database (untimed) and loads it again; the
// reported time is the load's, and "load_over_parse" is the sum of load times over the sum of
// parse times.
void BM_LoadOverParse(benchmark::State& state) {
  const BenchFiles files(Database(static_cast<size_t>(state.range(0))));
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
BENCHMARK(BM_LoadOverParse)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ---- DB_Load in a fresh process ----

uint32_t FileSize(const char* path) {
  struct stat status {};
  return stat(path, &status) == 0 ? static_cast<uint32_t>(status.st_size) : 0;
}

void ReadFile(const char* path, char* buffer) {
  if (FILE* file = std::fopen(path, "rb")) {
    struct stat status {};
    if (fstat(fileno(file), &status) == 0) {
      buffer[std::fread(buffer, 1, static_cast<size_t>(status.st_size), file)] = '\0';
    }
    std::fclose(file);
  }
}

// The files of the database written under a directory of their own, with lists of their paths.
std::string WrittenDirectory(size_t records) {
  const std::string directory =
      (std::filesystem::temp_directory_path() / ("tessella-bench-" + std::to_string(records)))
          .string();
  const GeneratedDatabase& database = Database(records);
  const std::vector<std::string> paths = WriteFiles(database, directory);
  std::ofstream schemas(directory + "/schemas");
  std::ofstream recordList(directory + "/records");
  for (size_t i = 0; i < paths.size(); ++i) {
    (i < database.schemaFiles.size() ? schemas : recordList) << paths[i] << '\n';
  }
  return directory;
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The child's side: loads the directory's files once and prints the seconds it took and the peak
// resident kilobytes before and after.
int LoadOnce(const std::string& directory) {
  const std::vector<std::string> schemas = Lines(directory + "/schemas");
  const std::vector<std::string> records = Lines(directory + "/records");
  std::vector<const char*> schemaPaths;
  std::vector<const char*> recordPaths;
  for (const std::string& path : schemas) schemaPaths.push_back(path.c_str());
  for (const std::string& path : records) recordPaths.push_back(path.c_str());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long before = usage.ru_maxrss;
  const auto start = Clock::now();
  const bool loaded =
      DB_Load(&ReadFile, &FileSize, nullptr, static_cast<uint32_t>(schemaPaths.size()),
              schemaPaths.data(), static_cast<uint32_t>(recordPaths.size()), recordPaths.data());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  getrusage(RUSAGE_SELF, &usage);
  if (!loaded || DB_GetRecordCount() != records.size()) return 1;
  std::printf("%.6f %ld %ld\n", seconds, before, usage.ru_maxrss);
  return 0;
}

void BM_DatabaseLoadFreshProcess(benchmark::State& state) {
  const auto records = static_cast<size_t>(state.range(0));
  const std::string directory = WrittenDirectory(records);
  const std::string command =
      std::filesystem::read_symlink("/proc/self/exe").string() + " --load-once " + directory;
  double peakKilobytes = 0;
  for (auto _ : state) {
    FILE* child = popen(command.c_str(), "r");
    double seconds = 0;
    long before = 0;
    long after = 0;
    const bool read = child && std::fscanf(child, "%lf %ld %ld", &seconds, &before, &after) == 3;
    if (child) pclose(child);
    if (!read) {
      state.SkipWithError("the child process did not load the records");
      break;
    }
    state.SetIterationTime(seconds);
    peakKilobytes = static_cast<double>(after - before);
  }
  std::filesystem::remove_all(directory);
  state.counters["peak_resident_bytes_per_record"] =
      peakKilobytes * 1024 / static_cast<double>(records);
}
BENCHMARK(BM_DatabaseLoadFreshProcess)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--load-once") == 0) return LoadOnce(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
