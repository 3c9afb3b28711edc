// Reads generated record files into records and compares the time with the XML library's own
// parse of the same texts: the structure loader should add little on top of parsing. Each record
// holds 200 entities with three owned components each, scalars of every width, fixed and dynamic
// arrays and weak pointers between entities; the schema is loaded through DB_Load.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/data_record.h"
#include "tessella.h"

namespace {

constexpr int kRecords = 20;
constexpr int kEntities = 200;
constexpr int kComponents = 3;

constexpr const char* kSchema = R"(
enum EKind { Small, Medium, Large };
struct Component
{
    int32 value;
    double factor;
    string tag;
    uint16[] codes;
};
struct Entity
{
    string label;
    int32 x;
    int32 y;
    float[3] position;
    bool visible;
    EKind kind;
    Component @ [] components;
    Entity * target;
};
record Level
{
    string title;
    int64 seed;
    uint8 flags;
    Entity[] entities;
    Entity * focus;
};
)";

uint32_t SchemaSize(const char*) { return static_cast<uint32_t>(std::strlen(kSchema)); }
void SchemaRead(const char*, char* buffer) { std::memcpy(buffer, kSchema, std::strlen(kSchema)); }

std::string LevelText(int level) {
  std::string text = "<Level" + std::to_string(level) +
                     " __type=\"Level\" title=\"Level\" seed=\"9000000000\" flags=\"3\" "
                     "focus=\"entities[7]\" __hash=\"h" +
                     std::to_string(level) + "\">\n  <entities>\n";
  for (int e = 0; e < kEntities; ++e) {
    const std::string n = std::to_string(e);
    text += "    <Entity __type=\"Entity\" label=\"Entity " + n + "\" x=\"" + n + "\" y=\"-" + n +
            "\" visible=\"1\" kind=\"Medium\" target=\"entities[" +
            std::to_string((e + 1) % kEntities) + "]\">\n      <position><Float Value=\"1.5\"/>" +
            "<Float Value=\"2.25\"/><Float Value=\"-3\"/></position>\n      <components>\n";
    for (int c = 0; c < kComponents; ++c) {
      text += "        <Component __type=\"Component\" value=\"" + std::to_string(c) +
              "\" factor=\"0.125\" tag=\"part\"><codes><UInt16 Value=\"-1\"/><UInt16 "
              "Value=\"7\"/></codes></Component>\n";
    }
    text += "      </components>\n    </Entity>\n";
  }
  text += "  </entities>\n</Level" + std::to_string(level) + ">\n";
  return text;
}

const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> all;
    for (int level = 0; level < kRecords; ++level) all.push_back(LevelText(level));
    return all;
  }();
  return texts;
}

void LoadSchema() {
  const char* path = "level.sch";
  if (!DB_Load(&SchemaRead, &SchemaSize, nullptr, 1, &path, 0, nullptr)) std::abort();
}

void SetBytes(benchmark::State& state) {
  size_t bytes = 0;
  for (const std::string& text : Texts()) bytes += text.size();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_ParseOnly(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& text : Texts()) {
      tinyxml2::XMLDocument document;
      document.Parse(text.c_str(), text.size());
      benchmark::DoNotOptimize(document.FirstChild());
    }
  }
  SetBytes(state);
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

// Touches every element name and attribute, which is when the XML library unescapes them: what
// any reader of the document pays at least.
size_t Visit(const tinyxml2::XMLElement* element) {
  size_t length = std::strlen(element->Name());
  for (const tinyxml2::XMLAttribute* at = element->FirstAttribute(); at; at = at->Next()) {
    length += std::strlen(at->Name()) + std::strlen(at->Value());
  }
  for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    length += Visit(child);
  }
  return length;
}

void BM_ParseAndVisit(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& text : Texts()) {
      tinyxml2::XMLDocument document;
      document.Parse(text.c_str(), text.size());
      benchmark::DoNotOptimize(Visit(document.FirstChildElement()));
    }
  }
  SetBytes(state);
}
BENCHMARK(BM_ParseAndVisit)->Unit(benchmark::kMillisecond);

void BM_ParseAndLoad(benchmark::State& state) {
  LoadSchema();
  for (auto _ : state) {
    for (const std::string& text : Texts()) {
      tinyxml2::XMLDocument document;
      document.Parse(text.c_str(), text.size());
      Database::ObjectPtr<Database::CDataRecord> record = Database::CDataRecord::Create();
      record->Load("Level", document.FirstChild(), nullptr);
      record->ResolveWeakPointers();
      record->RegisterPointables(*record);
      benchmark::DoNotOptimize(record->PointableStructures().size());
    }
  }
  SetBytes(state);
  DB_Close();
}
BENCHMARK(BM_ParseAndLoad)->Unit(benchmark::kMillisecond);

}  // namespace
