// Drives every export of the C interface in random order, with live handles, handles of objects
// that were removed or destroyed since, handles of the wrong kind and random numbers, on a
// generated database kept on disk (so that saves and reloads meet the files they wrote). After
// every step: the registry finds each record by name and hash, each record's pointable list is
// exactly the structures its tree holds and their URLs lead back to them, and a clean record
// writes what its file holds. Every few steps the history is undone to its start, which must give
// back the loaded records. Seeds 1 to 3 run by default; TESSELLA_TORTURE_SEED and
// TESSELLA_TORTURE_STEPS choose one seed and the steps per seed for longer runs, and
// TESSELLA_TORTURE_TRACE=1 prints each step's export.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/platform.h"
#include "support/record_generator.h"
#include "support/scratch_directory.h"
#include "tessella.h"

namespace {

namespace fs = std::filesystem;
using Handles = std::vector<uint64_t>;

constexpr uint64_t kDefaultSteps = 600;
constexpr uint64_t kStepsPerRound = 150;

uint64_t FromEnvironment(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::strtoull(text, nullptr, 10) : fallback;
}

uint32_t DiskSize(const char* path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? 0 : static_cast<uint32_t>(size);
}

void DiskLoad(const char* path, char* buffer) {
  std::ifstream(path, std::ios::binary).read(buffer, DiskSize(path));
}

void IgnoreLine(int32_t, const char*) {}

std::string Text(const char* text) { return text != nullptr ? text : ""; }

class TortureTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  void SetUp() override {
    random_.seed(GetParam());
    for (const auto& file : database_.schemaFiles) Write(file.path, file.text, schemaPaths_);
    for (const auto& file : database_.recordFiles) Write(file.path, file.text, recordPaths_);
    RegisterForLogging(&IgnoreLine);
  }
  void TearDown() override { DB_Close(); }

  void Write(const std::string& path, const std::string& text, std::vector<std::string>& paths) {
    paths.push_back(scratch_.File(path));
    fs::create_directories(fs::path(paths.back()).parent_path());
    std::ofstream(paths.back(), std::ios::binary) << text;
  }

  void Load() {
    std::vector<const char*> schema, records;
    for (const auto& path : schemaPaths_) schema.push_back(path.c_str());
    for (const auto& path : recordPaths_) records.push_back(path.c_str());
    open_ = DB_Load(&DiskLoad, &DiskSize, nullptr, static_cast<uint32_t>(schema.size()),
                    schema.data(), static_cast<uint32_t>(records.size()), records.data());
    Refresh();
    loaded_.clear();
    touched_.clear(), shared_.clear();
    for (const uint64_t record : records_) loaded_[record] = Text(DB_Export(record));
    saved_ = loaded_;
  }

  // Runs a change the history does not undo: every record it changed is left out of the undo
  // check, and clean records are taken as holding what they now write.
  template <class Change>
  void Outside(Change change) {
    std::map<uint64_t, std::string> before;
    for (const uint64_t record : records_) before[record] = Text(DB_Export(record));
    change();
    Refresh();
    for (const auto& [record, text] : before) {
      if (DB_DataRecord_Name(record) == nullptr || Text(DB_Export(record)) != text) {
        touched_.insert(record);
      }
    }
    Rebaseline();
  }

  // Runs an edit on target: when it changes what the record writes, the record leaves the undo
  // and clean checks.
  template <class Change>
  void Retyping(uint64_t target, Change change) {
    const uint64_t record = DB_DataStruct_GetRecord(target);
    const std::string before = Text(DB_Export(record));
    change();
    if (Text(DB_Export(record)) != before) touched_.insert(record);
  }

  // Takes the current export of every clean record as what its file holds.
  void Rebaseline() {
    for (const uint64_t record : records_) {
      if (!DB_DataRecord_IsDirty(record)) saved_[record] = Text(DB_Export(record));
    }
  }

  // Collects the live handles of every record's tree; returns the structures below structure.
  void Walk(uint64_t structure, Handles& below) {
    structs_.push_back(structure);
    // A text may give a structure a polymorphic type outside its declared type's family: the
    // fields of both types are walked.
    const uint64_t declared = DB_SchemaStruct(DB_DataStruct_Name(structure));
    const uint64_t type = DB_DataStruct_GetPolymorphicType(structure);
    schemaStructs_.push_back(type == 0 ? declared : type);
    Handles schemaFields, walked;
    for (const uint64_t from : {declared, type}) {
      for (uint64_t i = 0; i < DB_SchemaStruct_GetFieldCount(from, true, 0); ++i) {
        schemaFields.push_back(
            DB_SchemaStruct_GetFieldByIndex(from, static_cast<int32_t>(i), true, 0));
      }
    }
    for (const uint64_t schemaField : schemaFields) {
      schemaFields_.push_back(schemaField);
      const uint64_t field =
          DB_DataStruct_FieldByName(structure, DB_SchemaField_GetName(schemaField));
      if (std::find(walked.begin(), walked.end(), field) != walked.end()) continue;
      walked.push_back(field);
      fields_[DB_DataField_GetType(field)].push_back(field);
      fields_[0].push_back(field);
      if (DB_DataField_GetType(field) != TESSELLA_FIELD_STRUCT ||
          DB_DataField_GetOption(field) == TESSELLA_OPTION_WEAK_POINTER) {
        continue;
      }
      for (uint64_t e = 0; e < DB_DataField_GetArrayElementCount(field); ++e) {
        const uint64_t child = DB_DataField_GetValueAsPointer(field, static_cast<int32_t>(e));
        if (child == 0) continue;
        // The host may attach a structure inside its own tree: each is walked once.
        if (std::find(below.begin(), below.end(), child) != below.end()) continue;
        below.push_back(child);
        Walk(child, below);
      }
    }
  }

  void Refresh() {
    records_.assign(DB_GetRecords(), DB_GetRecords() + DB_GetRecordCount());
    structs_.clear(), schemaStructs_.clear(), schemaFields_.clear(), fields_.clear();
    trees_.clear();
    for (const uint64_t record : records_) Walk(record, trees_[record]);
    for (const auto* list : {&records_, &structs_, &fields_[0]}) {
      for (const uint64_t handle : *list) {
        if (seen_.size() < 4000)
          seen_.push_back(handle);
        else
          seen_[Below(seen_.size())] = handle;
      }
    }
  }

  void CheckPointables(uint64_t record, const std::string& name) {
    Handles pointables;
    for (uint32_t i = 0; i < DB_DataRecord_PointableStructureCount(record); ++i) {
      const uint64_t structure = DB_DataRecord_GetPointableStructure(record, i);
      pointables.push_back(structure);
      EXPECT_EQ(DB_DataStruct_GetRecord(structure), record) << name;
      const std::string url = Text(DB_DataStruct_URL(structure));
      EXPECT_EQ(DB_DataRecord_ResolveURL(record, url.c_str()), structure) << name << " " << url;
    }
    Handles tree = trees_[record];
    std::sort(tree.begin(), tree.end());
    std::sort(pointables.begin(), pointables.end());
    EXPECT_EQ(pointables, tree) << name;
  }

  void Check() {
    for (const uint64_t record : records_) {
      // A later record of the same name or hash takes the registry entry, also after it is gone.
      const std::string name = Text(DB_DataRecord_Name(record));
      const uint64_t byName = DB_GetRecordByName(name.c_str());
      EXPECT_TRUE(byName == record ||
                  (byName != 0 && (DB_DataRecord_Name(byName) == nullptr ||
                                   Database::Platform::CompareNoCase(DB_DataRecord_Name(byName),
                                                                     name.c_str()) == 0)))
          << name;
      const std::string hash = Text(DB_DataRecord_Hash(record));
      const uint64_t byHash = DB_GetRecordByHash(hash.c_str());
      EXPECT_TRUE(hash.empty() || byHash == record ||
                  (byHash != 0 && (DB_DataRecord_Name(byHash) == nullptr ||
                                   Text(DB_DataRecord_Hash(byHash)) == hash)))
          << name;
      if (!shared_.count(record)) CheckPointables(record, name);
      if (!DB_DataRecord_IsDirty(record) && saved_.count(record) && !touched_.count(record)) {
        EXPECT_EQ(Text(DB_Export(record)), saved_[record]) << name << " is clean";
      }
    }
  }

  // Undoes the whole history: every record loaded, not removed and not changed outside the
  // history since, must write what it wrote when it was loaded.
  void UndoToStart() {
    DB_EndCommandChain();
    DB_EnableUndo(true);
    for (int guard = 0; DB_CanUndo() && guard < 100000; ++guard) DB_Undo();
    EXPECT_FALSE(DB_CanUndo());
    Refresh();
    for (const auto& [record, text] : loaded_) {
      if (DB_DataRecord_Name(record) != nullptr && !touched_.count(record)) {
        EXPECT_EQ(Text(DB_Export(record)), text) << DB_DataRecord_Name(record) << " after undo";
      }
    }
  }

  size_t Below(size_t count) { return count == 0 ? 0 : random_() % count; }
  bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
  template <class T>
  T Pick(const std::vector<T>& items, T fallback) {
    return items.empty() ? fallback : items[Below(items.size())];
  }
  // A live handle from list most of the time, else one seen before, a handle of any kind or 0.
  uint64_t From(const Handles& list) {
    const uint64_t roll = random_() % 20;
    if (roll < 14 && !list.empty()) return Pick(list, uint64_t{0});
    if (roll < 17) return Pick(seen_, uint64_t{0});
    if (roll < 19) return random_() % (seen_.empty() ? 64 : seen_.back() + 64);
    return roll == 19 && Chance(50) ? 0 : random_();
  }
  uint64_t Field(uint32_t type = 0) { return From(Chance(80) ? fields_[type] : fields_[0]); }
  uint64_t Record() { return From(records_); }
  uint64_t Struct() { return From(structs_); }
  uint64_t SchemaStruct() { return From(schemaStructs_); }
  uint64_t SchemaField() { return From(schemaFields_); }
  uint64_t Enum() { return Chance(80) ? DB_SchemaEnum("EGrade") : From(schemaStructs_); }
  int32_t Index() { return Chance(90) ? static_cast<int32_t>(random_() % 4) : -1; }
  uint32_t Slot() { return Chance(40) ? 0xFFFFFFFFu : static_cast<uint32_t>(random_() % 5); }
  template <class T>
  T Number() {
    return Chance(70) ? static_cast<T>(random_() % 9) : static_cast<T>(random_());
  }
  // 0 (a new structure), a structure removed by an edit or a live one. A live structure that is
  // attached elsewhere ends up in two places, and undo takes it out of service in both: the two
  // records leave the undo, clean and pointable checks.
  uint64_t Attachable(uint64_t field) {
    const uint64_t structure = Chance(40) ? 0 : Struct();
    if (DB_DataStruct_GetRecord(structure) != 0) {
      for (const uint64_t record : {DB_DataStruct_GetRecord(structure),
                                    DB_DataStruct_GetRecord(DB_DataField_GetParent(field))}) {
        touched_.insert(record), shared_.insert(record);
      }
    }
    return structure;
  }
  const char* Word() {
    static const char* const kWords[] = {"",           "Rare",  "Epic", "iron oak",
                                         "Item3",      "Nope",  "Base", "Mods[1]",
                                         "Effects[0]", "<bad>", "a/b"};
    return kWords[Below(std::size(kWords))];
  }
  std::string TextFor(uint64_t structure) {
    std::string text = Text(DB_DataStruct_Serialize(structure, nullptr, Chance(50)));
    if (Chance(30) && !text.empty()) text.resize(Below(text.size()));
    return text;
  }
  const char* Query() {
    static const char* const kQueries[] = {
        "SELECT RECORDS WHERE RECORD_TYPE=\"Item\"",
        "SELECT RECORDS WHERE FIELD_VALUE(Value) >= 100 OR FIELD_TYPE=\"Crate\"",
        "SELECT FIELDS WHERE FIELD_VALUE(Base.Amount) < 0 AND FIELD_VALUE(Grade) == \"Rare\"",
        "SELECT RECORDS", nullptr};
    return kQueries[Below(std::size(kQueries))];
  }

  using Op = std::pair<const char*, std::function<void()>>;
  std::vector<Op> Ops();

  ScratchDirectory scratch_;
  GeneratedDatabase database_ = GenerateDatabase(10, GetParam());
  std::vector<std::string> schemaPaths_, recordPaths_;
  std::mt19937_64 random_;
  bool open_ = false;
  Handles records_, structs_, schemaStructs_, schemaFields_, seen_;
  std::map<uint32_t, Handles> fields_;  // by field type; 0 holds every field
  std::map<uint64_t, Handles> trees_;   // the structures below each record
  std::map<uint64_t, std::string> loaded_, saved_;
  std::set<uint64_t> touched_, shared_;
  uint64_t results_[4096];
  const char* keys_[64];
  const char* values_[64];
  const char* enumerable_ = nullptr;
};

// clang-format off
#define OP(name, ...) {#name, [&] { (void)name(__VA_ARGS__); }}
#define RUN(name, ...) {#name, [this] { __VA_ARGS__; }}
#define READ(name, type) OP(DB_DataField_GetValueAs##name, Field(type), Index())
#define SET(name, type, value) OP(DB_DataField_SetValueAs##name, Field(type), value, Index())
#define ADD(name, type, value) OP(DB_DataField_AddArrayElement##name, Field(type), value, Slot())
#define NUMBER(name, type, ctype) \
  READ(name, type), SET(name, type, Number<ctype>()), ADD(name, type, Number<ctype>())
#define ATTACH(name, index) \
  RUN(name, const uint64_t field = Field(TESSELLA_FIELD_STRUCT); \
      (void)name(field, Attachable(field), index))

std::vector<TortureTest::Op> TortureTest::Ops() {
  return {
    RUN(RegisterForLogging, RegisterForLogging(Chance(50) ? &IgnoreLine : nullptr)),
    RUN(DB_Load, UndoToStart(); Load()),
    RUN(DB_Close, DB_Close(); open_ = false; loaded_.clear(); saved_.clear()),
    OP(DB_GetRecordCount), OP(DB_GetRecords), OP(DB_GetRecordByName, Word()),
    OP(DB_GetRecordByHash, Chance(50) ? Word() : Text(DB_DataRecord_Hash(Record())).c_str()),
    OP(DB_DataRecord_Name, Record()), OP(DB_DataRecord_Filename, Record()),
    OP(DB_DataRecord_SchemaName, Record()), OP(DB_DataRecord_Hash, Record()),
    OP(DB_DataRecord_IsDirty, Record()), OP(DB_Export, Record()), OP(DB_ExportAll),
    OP(DB_DataRecord_Export, Record()), RUN(DB_SaveAll, DB_SaveAll(); Rebaseline()),
    RUN(DB_DataRecord_Save, DB_DataRecord_Save(Record()); Rebaseline()), OP(DB_Query, Query()),
    RUN(DB_QueryGetResults,
        if (DB_QueryGetResults(nullptr) <= std::size(results_)) DB_QueryGetResults(results_)),
    RUN(DB_CreateRecord,
        const std::string name = Chance(80) ? "New" + std::to_string(random_() % 50) : Word();
        Outside([&] { DB_CreateRecord(Chance(80) ? "Item" : Word(),
                                      scratch_.File("Records/").c_str(), name.c_str()); })),
    RUN(DB_LoadRecord, Outside([&] { DB_LoadRecord(Pick(recordPaths_, std::string()).c_str()); })),
    RUN(DB_ReloadRecord, const uint64_t record = Record(); touched_.insert(record);
        Outside([&] { DB_ReloadRecord(record); })),
    RUN(DB_ReloadRecordByName, const uint64_t record = Record(); touched_.insert(record);
        Outside([&] { DB_ReloadRecordByName(Text(DB_DataRecord_Name(record)).c_str()); })),
    RUN(DB_RemoveRecord, Outside([&] { DB_RemoveRecord(Record(), Chance(70)); })),
    OP(DB_DataRecord_Rename, Record(), Word()),
    OP(DB_SchemaStruct, Chance(50) ? "Item" : Word()), OP(DB_SchemaEnum, Word()),
    OP(DB_SchemaStruct_GetName, SchemaStruct()), OP(DB_SchemaStruct_GetOwnerFile, SchemaStruct()),
    OP(DB_SchemaStruct_GetFieldCount, SchemaStruct(), Chance(50), Chance(80) ? 0 : Struct()),
    OP(DB_SchemaRecord_GetCount), OP(DB_SchemaRecord_GetByIndex, Index()),
    OP(DB_SchemaStruct_GetFieldByIndex, SchemaStruct(), Index(), Chance(50), 0),
    OP(DB_SchemaStruct_GetFieldByName, SchemaStruct(), Word(), Chance(50), 0),
    OP(DB_SchemaStruct_GetKeyValue, SchemaStruct(), "desc"),
    OP(DB_SchemaStruct_StructsThatInheritFromMeCount, SchemaStruct()),
    OP(DB_SchemaStruct_StructsThatInheritFromMeByIndex, SchemaStruct(), Index()),
    OP(DB_SchemaStruct_GetInheritsFrom, SchemaStruct()),
    OP(DB_SchemaStruct_DoesInheritFrom, SchemaStruct(), SchemaStruct()),
    OP(DB_SchemaField_GetFieldType, SchemaField()), OP(DB_SchemaField_GetFieldOption, SchemaField()),
    OP(DB_SchemaField_GetFieldStorageType, SchemaField()),
    OP(DB_SchemaField_GetEnumName, SchemaField()), OP(DB_SchemaField_GetStructName, SchemaField()),
    OP(DB_SchemaField_GetRecordName, SchemaField()),
    RUN(DB_SchemaField_GetKeyValues, const uint64_t field = SchemaField();
        if (DB_SchemaField_GetKeyValuesCount(field) <= 64)
          DB_SchemaField_GetKeyValues(field, keys_, values_)),
    OP(DB_SchemaField_GetKeyValuesCount, SchemaField()), OP(DB_SchemaField_GetName, SchemaField()),
    OP(DB_SchemaField_GetDescription, SchemaField()), OP(DB_SchemaField_HasRange, SchemaField()),
    OP(DB_SchemaField_GetRange, SchemaField()), OP(DB_SchemaEnum_GetName, Enum()),
    OP(DB_SchemaEnum_GetEnumerableCount, Enum()),
    OP(DB_SchemaEnum_GetEnumerableByIndex, Enum(), Index(), &enumerable_),
    OP(DB_SchemaEnum_GetKeyValue, Enum(), "desc"),
    OP(DB_SchemaEnum_GetEnumerableKeyValue, Enum(), Word(), "desc"),
    OP(DB_DataRecord_PointableStructureCount, Record()),
    OP(DB_DataRecord_GetPointableStructure, Record(), Slot()),
    OP(DB_DataRecord_ResolveURL, Record(), Chance(70) ? DB_DataStruct_URL(Struct()) : Word()),
    OP(DB_EnableUndo, Chance(85)), OP(DB_CanUndo), OP(DB_CanRedo), OP(DB_Undo), OP(DB_Redo),
    OP(DB_BeginCommandChain), OP(DB_EndCommandChain),
    OP(DB_DataField_GetSchema, Field()), OP(DB_DataField_GetParent, Field()),
    OP(DB_DataField_GetType, Field()), OP(DB_DataField_GetOption, Field()),
    OP(DB_DataField_GetName, Field()), OP(DB_DataField_IsDirty, Field()),
    OP(DB_DataField_GetArrayElementCount, Field()),
    READ(Bool, TESSELLA_FIELD_BOOL), SET(Bool, TESSELLA_FIELD_BOOL, Chance(50)),
    ADD(Bool, TESSELLA_FIELD_BOOL, Chance(50)),
    NUMBER(Int8, TESSELLA_FIELD_INT8, int8_t), NUMBER(UInt8, TESSELLA_FIELD_UINT8, uint8_t),
    NUMBER(Int16, TESSELLA_FIELD_INT16, int16_t), NUMBER(UInt16, TESSELLA_FIELD_UINT16, uint16_t),
    NUMBER(Int32, TESSELLA_FIELD_INT32, int32_t), NUMBER(UInt32, TESSELLA_FIELD_UINT32, uint32_t),
    NUMBER(LocId, TESSELLA_FIELD_LOCID, int32_t), NUMBER(Int64, TESSELLA_FIELD_INT64, int64_t),
    NUMBER(UInt64, TESSELLA_FIELD_UINT64, uint64_t),
    READ(Float, TESSELLA_FIELD_FLOAT), ADD(Float, TESSELLA_FIELD_FLOAT, 1.5f),
    SET(Float, TESSELLA_FIELD_FLOAT, 0.25f * static_cast<float>(Index())),
    READ(Double, TESSELLA_FIELD_DOUBLE), ADD(Double, TESSELLA_FIELD_DOUBLE, 2.0),
    SET(Double, TESSELLA_FIELD_DOUBLE, -0.125 * Index()),
    READ(String, TESSELLA_FIELD_STRING), SET(String, TESSELLA_FIELD_STRING, Word()),
    ADD(String, TESSELLA_FIELD_STRING, Word()), READ(Enum, TESSELLA_FIELD_ENUM),
    SET(Enum, TESSELLA_FIELD_ENUM, Word()), ADD(Enum, TESSELLA_FIELD_ENUM, Word()),
    READ(Struct, TESSELLA_FIELD_STRUCT), READ(Pointer, TESSELLA_FIELD_STRUCT),
    READ(WeakPointer, TESSELLA_FIELD_STRUCT), READ(Record, TESSELLA_FIELD_REFERENCE),
    ATTACH(DB_DataField_SetValueAsStruct, Index()), ATTACH(DB_DataField_SetValueAsPointer, Index()),
    ATTACH(DB_DataField_SetValueAsWeakPointer, Index()),
    SET(Record, TESSELLA_FIELD_REFERENCE, Record()),
    ATTACH(DB_DataField_AddArrayElementStruct, Slot()),
    ATTACH(DB_DataField_AddArrayElementPointer, Slot()),
    ATTACH(DB_DataField_AddArrayElementWeakPointer, Slot()),
    ADD(Reference, TESSELLA_FIELD_REFERENCE, Record()),
    OP(DB_DataField_RemoveArrayElement, Field(), Slot()),
    OP(DB_DataField_ShiftArrayElement, Field(), Slot(), Index() - 1),
    OP(DB_DataField_MoveArrayElementFrom, Field(TESSELLA_FIELD_STRUCT), Struct(),
       Field(TESSELLA_FIELD_STRUCT)),
    ATTACH(DB_DataField_NewPointer, Slot()),
    OP(DB_DataField_DeletePointer, Field(TESSELLA_FIELD_STRUCT), Slot()),
    OP(DB_DataStruct_Serialize, Struct(), Chance(70) ? nullptr : Word(), Chance(50)),
    // Undo reads the earlier text back, which keeps a polymorphic type the new text gave, and
    // undo of a new type keeps the fields it added, which are written: a record either changes
    // leaves the undo and clean checks.
    RUN(DB_DataStruct_Deserialize, const uint64_t target = Struct();
        Retyping(target, [&] { DB_DataStruct_Deserialize(
            target, TextFor(Chance(80) ? target : Struct()).c_str(), Chance(70) ? nullptr : Word()); })),
    RUN(DB_DataStruct_SetPolymorphicType, const uint64_t target = Struct();
        Retyping(target, [&] { DB_DataStruct_SetPolymorphicType(target, SchemaStruct()); })),
    RUN(DB_DataStruct_CanDeserialize,
        DB_DataStruct_CanDeserialize(Struct(), TextFor(Struct()).c_str())),
    OP(DB_DataStruct_GetRecord, Struct()), OP(DB_DataStruct_GetParent, Struct()),
    OP(DB_DataStruct_GetPolymorphicType, Struct()),
    OP(DB_DataStruct_DuplicateInsideArray, Struct()), OP(DB_DataStruct_Name, Struct()),
    OP(DB_DataStruct_FieldName, Struct()),
    RUN(DB_DataStruct_SetUserData, Outside([&] { DB_DataStruct_SetUserData(Struct(), Word()); })),
    OP(DB_DataStruct_GetUserData, Struct()), OP(DB_DataStruct_URL, Struct()),
    OP(DB_DataStruct_IsDirty, Struct()), OP(DB_DataStruct_FieldByName, Struct(), Word()),
  };
}
// clang-format on

TEST_P(TortureTest, EveryExportKeepsTheInvariants) {
  const uint64_t steps = FromEnvironment("TESSELLA_TORTURE_STEPS", kDefaultSteps);
  const bool trace = FromEnvironment("TESSELLA_TORTURE_TRACE", 0) != 0;
  std::map<std::string, uint64_t> calls;
  const std::vector<Op> ops = Ops();
  Load();
  ASSERT_TRUE(open_);
  // The first steps call every export once, in a random order; the rest pick at random.
  std::vector<size_t> sweep(ops.size());
  for (size_t i = 0; i < sweep.size(); ++i) sweep[i] = i;
  std::shuffle(sweep.begin(), sweep.end(), random_);
  for (uint64_t step = 0; step < steps && !HasFailure(); ++step) {
    const auto& [name, op] = ops[step < sweep.size() ? sweep[step] : Below(ops.size())];
    SCOPED_TRACE("seed " + std::to_string(GetParam()) + " step " + std::to_string(step) + " " +
                 name);
    if (trace) std::fprintf(stderr, "step %llu %s\n", static_cast<unsigned long long>(step), name);
    op();
    ++calls[name];
    Refresh();
    Check();
    if (step % kStepsPerRound == kStepsPerRound - 1) UndoToStart(), Load();
  }
  std::ifstream exports(fs::path(__FILE__).parent_path() / "../../include/tessella.exports");
  std::set<std::string> names, table;
  for (std::string line; std::getline(exports, line);) names.insert(line);
  for (const auto& op : ops) EXPECT_TRUE(names.count(op.first) && table.insert(op.first).second);
  EXPECT_EQ(names.size(), 147u);
  for (const auto& name : names) EXPECT_TRUE(steps < ops.size() || calls.count(name)) << name;
}

std::vector<uint32_t> Seeds() {
  const uint64_t seed = FromEnvironment("TESSELLA_TORTURE_SEED", 0);
  return seed != 0 ? std::vector<uint32_t>{static_cast<uint32_t>(seed)}
                   : std::vector<uint32_t>{1, 2, 3};
}

INSTANTIATE_TEST_SUITE_P(Seeds, TortureTest, ::testing::ValuesIn(Seeds()));

}  // namespace
