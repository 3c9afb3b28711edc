// Saves every record of a generated database of 10,000 and 100,000 records into real files, next
// to the two ways a program can write the same texts without the library: over the old file in
// place (open with truncation, write, close, as tinyxml2's SaveFile does), and into a new file
// that then replaces the old one by rename (what a save must do so that a failure never leaves a
// cut-short file). Each iteration times all three on the same files, starting with a different
// one each time and with the file system's write-back done before each, so that the ratios hold
// up on a busy machine and no pattern pays for another's writing. A fourth pass first marks every
// record dirty (by user data of one letter, untimed) and then times DB_SaveAll:
//   save_over_in_place     DB_DataRecord_Save of every record over the in-place writes;
//   save_all_over_in_place DB_SaveAll of every record over the same;
//   replace_over_in_place  what the file system charges for replacing files instead of
//                          overwriting them, the floor of the first ratio;
//   save_over_replace      what the library adds above that floor: printing and its own checks.
// The reported time is the saves'.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_files.h"

namespace {

using Clock = std::chrono::steady_clock;

// Writes text over the file at path in place; false when any step fails.
bool WriteInPlace(const char* path, const std::string& text) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

// Writes text to a new file beside path, which then replaces it; false when any step fails.
bool WriteAndReplace(const char* path, const std::string& text) {
  const std::string temporary = std::string(path) + ".new";
  const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return false;
  const bool written = write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (close(file) != 0 || !written || std::rename(temporary.c_str(), path) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

// The generated database's files written under directory, which becomes the current directory
// (the library saves relative to it); the previous one is returned.
std::filesystem::path EnterWrittenDirectory(const GeneratedDatabase& database,
                                            const std::filesystem::path& directory) {
  WriteFiles(database, directory.string());
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory);
  return previous;
}

void BM_SaveOverWrite(benchmark::State& state) {
  const auto records = static_cast<size_t>(state.range(0));
  const GeneratedDatabase database = WrittenDatabase(records, 42);
  const BenchFiles files(database);
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("tessella-save-bench-" + std::to_string(records));
  const std::filesystem::path previous = EnterWrittenDirectory(database, directory);
  DB_Close();
  files.Load();
  const std::vector<uint64_t> handles(DB_GetRecords(), DB_GetRecords() + DB_GetRecordCount());
  if (handles.size() != records) state.SkipWithError("records failed to load");

  enum Pass { kSave, kSaveAll, kReplace, kInPlace };
  const auto writeEach = [&](bool (*write)(const char*, const std::string&)) {
    for (const char* path : files.RecordPaths()) {
      if (!write(path, files.Text(path))) return false;
    }
    return true;
  };
  // Each pass has untimed preparation and its timed writing.
  struct Step {
    std::function<void()> prepare;
    std::function<bool()> write;
  };
  const auto nothing = [] {};
  const auto everyRecordDirty = [&, letter = 'a']() mutable {
    letter = letter == 'a' ? 'b' : 'a';
    const char text[] = {letter, '\0'};
    for (const uint64_t record : handles) DB_DataStruct_SetUserData(record, text);
  };
  const auto allSaved = [&] {
    if (!DB_SaveAll()) return false;
    for (const uint64_t record : handles) {
      if (DB_DataRecord_IsDirty(record)) return false;
    }
    return true;
  };
  const std::array<Step, 4> passes = {
      Step{nothing,
           [&] {
             for (const uint64_t record : handles) {
               if (!DB_DataRecord_Save(record)) return false;
             }
             return true;
           }},
      Step{everyRecordDirty, allSaved},
      Step{nothing, [&] { return writeEach(&WriteAndReplace); }},
      Step{nothing, [&] { return writeEach(&WriteInPlace); }},
  };
  std::array<Clock::duration, 4> spent{};
  size_t round = 0;
  for (auto _ : state) {
    for (size_t step = 0; step < passes.size(); ++step) {
      const size_t pass = (round + step) % passes.size();
      passes[pass].prepare();
      // Each pass starts with nothing of the previous one left to write back.
      sync();
      const auto start = Clock::now();
      if (!passes[pass].write()) state.SkipWithError("a file could not be written");
      const Clock::duration elapsed = Clock::now() - start;
      spent[pass] += elapsed;
      if (pass == kSave) state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    ++round;
  }
  DB_Close();
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(directory);
  const auto ratio = [&](Pass over, Pass under) {
    return std::chrono::duration<double>(spent[over]).count() /
           std::chrono::duration<double>(spent[under]).count();
  };
  state.counters["save_over_in_place"] = ratio(kSave, kInPlace);
  state.counters["save_all_over_in_place"] = ratio(kSaveAll, kInPlace);
  state.counters["replace_over_in_place"] = ratio(kReplace, kInPlace);
  state.counters["save_over_replace"] = ratio(kSave, kReplace);
}
BENCHMARK(BM_SaveOverWrite)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
