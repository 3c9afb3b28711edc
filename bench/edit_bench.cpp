// The cost of recording edits: a million 32-bit value edits made in one command chain and as
// separate steps, then undone and redone, with the heap bytes the history holds per edit; a paste
// of a structure array with its undo and redo; moves between two large arrays. The
// program counts the bytes it and the library ask of operator new, so the figure is what the
// history keeps (command, its place in the store, its step), not what malloc adds around it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "bench_files.h"

namespace {

std::atomic<int64_t> liveBytes{0};
constexpr size_t kHeader = alignof(std::max_align_t);

const BenchFiles& Files() {
  static const BenchFiles files(GenerateDatabase(10, 7));
  return files;
}

// Loads the database again (which empties the history) and returns an Int32 field of a record.
uint64_t FreshInt32Field() {
  Files().Load();
  return DB_DataStruct_FieldByName(DB_GetRecordByName("Item0"), "Value");
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Edits the field edits times (each value differs from the one before), as one chain or as
// separate steps; then undoes and redoes everything. Reports nanoseconds per edit for each phase
// and the heap bytes the history holds per recorded edit.
void RecordEdits(benchmark::State& state, bool chained) {
  const int64_t edits = state.range(0);
  double edit = 0;
  double undo = 0;
  double redo = 0;
  double bytes = 0;
  for (auto _ : state) {
    const uint64_t field = FreshInt32Field();
    const int64_t before = liveBytes.load();
    auto start = std::chrono::steady_clock::now();
    if (chained) DB_BeginCommandChain();
    for (int64_t i = 0; i < edits; ++i) {
      DB_DataField_SetValueAsInt32(field, static_cast<int32_t>(i + 1000), 0);
    }
    if (chained) DB_EndCommandChain();
    edit += SecondsSince(start);
    bytes += static_cast<double>(liveBytes.load() - before);
    start = std::chrono::steady_clock::now();
    while (DB_CanUndo()) DB_Undo();
    undo += SecondsSince(start);
    start = std::chrono::steady_clock::now();
    while (DB_CanRedo()) DB_Redo();
    redo += SecondsSince(start);
    benchmark::DoNotOptimize(DB_DataField_GetValueAsInt32(field, 0));
  }
  const double total = static_cast<double>(edits) * static_cast<double>(state.iterations());
  state.counters["edit_ns"] = edit * 1e9 / total;
  state.counters["undo_ns"] = undo * 1e9 / total;
  state.counters["redo_ns"] = redo * 1e9 / total;
  state.counters["heap_bytes_per_edit"] = bytes / total;
}

void BM_EditsInOneChain(benchmark::State& state) { RecordEdits(state, true); }
void BM_EditsAsSeparateSteps(benchmark::State& state) { RecordEdits(state, false); }

BENCHMARK(BM_EditsInOneChain)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditsAsSeparateSteps)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// A paste of a 100-element structure array into a record, then its undo and redo.
void BM_PasteStructureArray(benchmark::State& state) {
  std::string text = "<Item0><Mods>";
  for (int i = 0; i < 100; ++i) {
    text += "<Modifier __type=\"Modifier\" Stat=\"Luck\" Amount=\"" + std::to_string(i) + "\"/>";
  }
  text += "</Mods></Item0>";
  Files().Load();
  const uint64_t item = DB_GetRecordByName("Item0");
  double paste = 0;
  double undo = 0;
  double redo = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    DB_DataStruct_Deserialize(item, text.c_str(), "Mods");
    paste += SecondsSince(start);
    start = std::chrono::steady_clock::now();
    DB_Undo();
    undo += SecondsSince(start);
    start = std::chrono::steady_clock::now();
    DB_Redo();
    redo += SecondsSince(start);
    DB_Undo();
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["paste_us"] = paste * 1e6 / runs;
  state.counters["undo_us"] = undo * 1e6 / runs;
  state.counters["redo_us"] = redo * 1e6 / runs;
}

// Moves of one structure between two arrays of range(0) elements each (records created from
// defaults, whose arrays hold at most 9,999 elements), back and forth.
void BM_MoveBetweenArrays(benchmark::State& state) {
  Files().Load();
  const int64_t size = state.range(0);
  uint64_t fields[2];
  for (int r = 0; r < 2; ++r) {
    const uint64_t record =
        DB_CreateRecord("Item", "bench-scratch/", r == 0 ? "MoveFrom" : "MoveTo");
    fields[r] = DB_DataStruct_FieldByName(record, "Mods");
    DB_BeginCommandChain();
    while (static_cast<int64_t>(DB_DataField_GetArrayElementCount(fields[r])) < size) {
      DB_DataField_AddArrayElementStruct(fields[r], 0, 0xFFFFFFFFu);
    }
    DB_EndCommandChain();
  }
  const uint64_t moving = DB_DataField_GetValueAsStruct(fields[0], static_cast<int32_t>(size / 2));
  int direction = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        DB_DataField_MoveArrayElementFrom(fields[direction], moving, fields[1 - direction]));
    direction = 1 - direction;
  }
  state.counters["move_us"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_PasteStructureArray)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveBetweenArrays)->Arg(1000)->Arg(9000)->Unit(benchmark::kMicrosecond);

}  // namespace

// Every allocation carries its size in front, so freeing it takes the right count off.
void* operator new(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  liveBytes += static_cast<int64_t>(size);
  return static_cast<char*>(block) + kHeader;
}

void operator delete(void* object) noexcept {
  if (!object) return;
  void* block = static_cast<char*>(object) - kHeader;
  liveBytes -= static_cast<int64_t>(*static_cast<size_t*>(block));
  std::free(block);
}

void operator delete(void* object, size_t) noexcept { operator delete(object); }
