// Loads a generated schema of 5,000 structures with 10 fields each, spread over 50 files, through
// DB_Load (and, to show that loading stays linear, schemas of 2,500 and 10,000 structures).
// Structures inherit from structures of other files and name types (structures, records and
// enumerations) declared anywhere, often in later files, so both passes and every lookup by name
// are exercised at scale.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tessella.h"

namespace {

constexpr int kFiles = 50;
constexpr int kFieldsPerStruct = 10;
constexpr int kEnumerables = 8;

// The files the host serves, by path.
std::map<std::string, std::string>& Files() {
  static std::map<std::string, std::string> files;
  return files;
}

uint32_t Size(const char* path) {
  const auto found = Files().find(path);
  return found == Files().end() ? 0 : static_cast<uint32_t>(found->second.size());
}

void Read(const char* path, char* buffer) {
  const auto found = Files().find(path);
  if (found != Files().end()) std::memcpy(buffer, found->second.data(), found->second.size());
}

// Every tenth declaration is a record.
bool IsRecord(int i) { return i % 10 == 9; }

std::string StructName(int i) { return (IsRecord(i) ? "Rec" : "Type") + std::to_string(i); }

// A parent declared elsewhere in the schema; records and every tenth of the rest have none.
// Parents always have a smaller number, so there is no cycle.
int ParentOf(int i) {
  if (i == 0 || IsRecord(i) || i % 10 == 0) return -1;
  return (i * 7919 + 13) % i;
}

class GeneratedSchema {
 public:
  explicit GeneratedSchema(int structs) : structs_(structs), enums_(structs / 10) {
    Files().clear();
    std::vector<std::string> texts(kFiles);
    for (int e = 0; e < enums_; ++e) {
      std::string& text = texts[static_cast<size_t>(e % kFiles)];
      text += "// [desc: \"Enumeration\"]\nenum E" + std::to_string(e) + "\n{\n";
      for (int v = 0; v < kEnumerables; ++v) text += "  V" + std::to_string(v) + ",\n";
      text += "};\n\n";
    }
    for (int i = 0; i < structs_; ++i) {
      std::string& text = texts[static_cast<size_t>(i * kFiles / structs_)];
      text += IsRecord(i) ? "record " : "struct ";
      text += StructName(i);
      if (const int parent = ParentOf(i); parent >= 0) text += " : " + StructName(parent);
      text += "\n// [category: generated]\n{\n";
      for (int f = 0; f < kFieldsPerStruct; ++f) text += FieldLine(i, f);
      text += "};\n\n";
    }
    for (int file = 0; file < kFiles; ++file) {
      paths_.push_back("Schema/generated_" + std::to_string(file) + ".sch");
      bytes_ += texts[static_cast<size_t>(file)].size();
      Files()[paths_.back()] = std::move(texts[static_cast<size_t>(file)]);
    }
    for (const std::string& path : paths_) pathTexts_.push_back(path.c_str());
  }

  bool Load() const {
    return DB_Load(&Read, &Size, nullptr, static_cast<uint32_t>(pathTexts_.size()),
                   pathTexts_.data(), 0, nullptr);
  }

  // Loads once with problems printed and checks what the load declared.
  bool LoadsCompletely() const {
    RegisterForLogging(&PrintProblem);
    const bool loaded = Load();
    RegisterForLogging(nullptr);
    const uint64_t last = DB_SchemaStruct(StructName(structs_ - 2).c_str());
    const bool complete = loaded &&
                          DB_SchemaStruct_GetFieldCount(last, false, 0) == kFieldsPerStruct &&
                          DB_SchemaRecord_GetCount() == static_cast<uint64_t>(structs_ / 10) &&
                          DB_SchemaStruct_GetInheritsFrom(last) != 0;
    DB_Close();
    return complete;
  }

  size_t Bytes() const { return bytes_; }

 private:
  static void PrintProblem(int32_t level, const char* text) {
    if (level != TESSELLA_LOG_MESSAGE) std::fprintf(stderr, "%s\n", text);
  }

  std::string FieldLine(int i, int f) const {
    const std::string name = " f" + std::to_string(f) + ";\n";
    const int other = (i * 31 + f * 977 + 101) % structs_;  // often in a later file
    switch (f) {
      case 0:
        return "  // [desc: \"Field zero\", min: 0, max: 100, step: 5]\n  int32" + name;
      case 1:
        return "  // [min: 0.5, max: 2.5]\n  float" + name;
      case 2:
        return "  string[]" + name;
      case 3:
        return "  uint8[4]" + name;
      case 4:
        return "  E" + std::to_string((i + f) % enums_) + name;
      case 5:
        return "  " + StructName(other) + " @ []" + name;
      case 6:
        return "  " + StructName(other) + " *" + name;
      case 7:
        return "  " + StructName((other / 10) * 10 + 9) + " &" + name;  // a record
      case 8:
        return "  double" + name;
      default:
        return "  uint64[2]" + name;
    }
  }

  int structs_;
  int enums_;
  size_t bytes_ = 0;
  std::vector<std::string> paths_;
  std::vector<const char*> pathTexts_;
};

void BM_LoadSchema(benchmark::State& state) {
  const auto structs = static_cast<int>(state.range(0));
  const GeneratedSchema schema(structs);
  if (!schema.LoadsCompletely()) {
    state.SkipWithError("the generated schema did not load completely");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(schema.Load());
    state.PauseTiming();
    DB_Close();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(schema.Bytes()));
  state.counters["fields"] = structs * kFieldsPerStruct;
}
BENCHMARK(BM_LoadSchema)
    ->ArgName("structures")
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
