#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "tessella.h"

namespace fuzz {
namespace {

std::map<std::string, std::string>& Files() {
  static std::map<std::string, std::string> files;
  return files;
}

uint64_t errorLines = 0;
std::string lastLogLine;
std::string transcript;
bool keepTranscript = false;  // from the first TakeLog on
bool sampleOpen = false;

void CountLine(int32_t level, const char* text) {
  if (level >= TESSELLA_LOG_ERROR) ++errorLines;
  lastLogLine = text;
  if (keepTranscript) transcript.append(text).push_back('\n');
  static const bool echo = std::getenv("TESSELLA_FUZZ_LOG") != nullptr;
  if (echo) std::fprintf(stderr, "%s\n", text);
}

uint32_t Size(const char* path) {
  const auto found = Files().find(path);
  return found == Files().end() ? 0 : static_cast<uint32_t>(found->second.size());
}

void Read(const char* path, char* buffer) {
  const auto found = Files().find(path);
  if (found != Files().end()) std::memcpy(buffer, found->second.data(), found->second.size());
}

const char* const kSampleRecords[][2] = {
    {"sword.xml",
     R"(<Sword __type="Item" Value="12" Best="Extras[2]" Parent="00000000-0000-4000-8000-000000000002" Kind="Ranged" __hash="00000000-0000-4000-8000-000000000001">
    <Tags><String Value="a"/><String Value="b c"/></Tags>
    <Main __type="Stats" Damage="3" Speed="1.5"><Levels><UInt8 Value="7"/><UInt8 Value="9"/></Levels></Main>
    <Extras>
        <Stats __type="Stats" __polymorphicType="Fire" Heat="0.25" Damage="4"/>
        <null/>
        <Stats __type="Stats" Damage="9"><Inner __type="Stats" Damage="1"/></Stats>
    </Extras>
    <Parts><Stats __type="Stats" Damage="2"/><Stats __type="Stats" Damage="5"/></Parts>
</Sword>)"},
    {"bow.xml",
     R"(<Bow __type="Item" Value="40" Kind="Ranged" Parent="00000000-0000-4000-8000-000000000001" __hash="00000000-0000-4000-8000-000000000002">
    <Main __type="Stats" Damage="17" Speed="-2"/>
    <Extras><Stats __type="Stats" Damage="1"/></Extras>
</Bow>)"},
    {"shield.xml",
     R"(<Shield __type="Armor" Value="3" Weight="2.5" Flags="1" __hash="00000000-0000-4000-8000-000000000003"/>)"},
};

}  // namespace

const char* const kSampleSchema = R"(enum EKind { Melee, Ranged [desc: "shoots"] };
// [desc: "Numbers of an item"]
struct Stats { int32 Damage; float Speed; uint8[2] Levels; Stats @ Inner; };
struct Fire : Stats { double Heat; };
record Item
{
    // [min: 0, max: 100, default: 5]
    int32 Value;
    string[] Tags;
    Stats Main;
    Stats @ [] Extras;
    Stats[] Parts;
    Stats * Best;
    Item & Parent;
    EKind Kind;
    int64 Big;
    LocId Label;
};
record Armor { int32 Value; double Weight; bool Flags; uint16 Slot; Stats Main; int64 Big; };
)";

bool Load(const std::string& schema,
          const std::vector<std::pair<std::string, std::string>>& records) {
  RegisterForLogging(&CountLine);
  sampleOpen = false;
  Files().clear();
  Files()["fuzz.sch"] = schema;
  std::vector<const char*> paths;
  for (const auto& [path, text] : records) {
    Files()[path] = text;
    paths.push_back(path.c_str());
  }
  const char* schemaPaths[] = {"fuzz.sch"};
  return DB_Load(&Read, &Size, nullptr, 1, schemaPaths, static_cast<uint32_t>(paths.size()),
                 paths.data());
}

void ReloadSample() { sampleOpen = false; }

const std::vector<uint64_t>& SampleRecords() {
  static std::vector<uint64_t> records;
  if (!sampleOpen) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& record : kSampleRecords) files.emplace_back(record[0], record[1]);
    Load(kSampleSchema, files);
    records.assign(DB_GetRecords(), DB_GetRecords() + DB_GetRecordCount());
    if (records.size() != 3) Fail("the sample database did not load", "", "3 records", "");
    sampleOpen = true;
  }
  return records;
}

uint64_t ErrorLines() { return errorLines; }

std::string TakeLog() {
  keepTranscript = true;
  return std::exchange(transcript, std::string());
}

void Fail(const char* what, const std::string& input, const std::string& expected,
          const std::string& actual) {
  std::fprintf(stderr,
               "%s\n--- input ---\n%s\n--- expected ---\n%s\n--- actual ---\n%s\n"
               "--- last log line ---\n%s\n",
               what, input.c_str(), expected.c_str(), actual.c_str(), lastLogLine.c_str());
  std::abort();
}

std::string Copy(const char* text) { return text == nullptr ? std::string() : std::string(text); }

}  // namespace fuzz
