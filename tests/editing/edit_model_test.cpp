// Random edits, chains, undos, redos and saves on a generated database, checked after every step
// against a model. TESSELLA_EDIT_MODEL_SEED and TESSELLA_EDIT_MODEL_STEPS override seed and length.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "support/database_fixture.h"
#include "support/record_generator.h"
#include "support/scratch_directory.h"
#include "tessella.h"

namespace {

constexpr uint32_t kEnd = 0xFFFFFFFFu;
enum Op { kRead, kSet, kAdd, kNormalize };
// Values as texts: integers and handles in decimal, floats by their bits (-0 is not 0).
using Use = std::function<std::string(Op, uint64_t, const std::string&, int64_t)>;
// The exports of one kind of edit; kNormalize gives a value as the kind keeps it.
template <class T>
Use Make(T (*get)(uint64_t, int32_t), void (*set)(uint64_t, T, int32_t),
         uint32_t (*add)(uint64_t, T, uint32_t)) {
  return [=](Op op, uint64_t f, const std::string& v, int64_t i) {
    T value{};
    if constexpr (std::is_floating_point_v<T>) value = T(std::bit_cast<double>(std::stoull(v)));
    if constexpr (std::is_pointer_v<T>) value = v.c_str();
    if constexpr (std::is_integral_v<T>) value = static_cast<T>(std::stoull(v));
    if (op == kSet) set(f, value, static_cast<int32_t>(i));
    if (op == kAdd) return std::to_string(add(f, value, static_cast<uint32_t>(i)));
    if (op == kRead) value = get(f, static_cast<int32_t>(i));
    if constexpr (std::is_pointer_v<T>) {
      return std::string(value);
    } else {
      const bool real = std::is_floating_point_v<T>;
      return std::to_string(real ? std::bit_cast<uint64_t>(double(value)) : uint64_t(value));
    }
  };
}
// The edit kinds in the order of the set exports: 0-9 integers, 10-11 floats, 12 string, 13 enum,
// 14 structure, 15 owning pointer, 16 weak pointer (read as stored), 17 record.
#define M(GET, SET, ADD)                                           \
  Make(DB_DataField_GetValueAs##GET, DB_DataField_SetValueAs##SET, \
       DB_DataField_AddArrayElement##ADD)
// clang-format off
const Use kUse[] = {M(Bool, Bool, Bool), M(Int8, Int8, Int8), M(UInt8, UInt8, UInt8),
    M(Int16, Int16, Int16), M(UInt16, UInt16, UInt16), M(Int32, Int32, Int32),
    M(UInt32, UInt32, UInt32), M(LocId, LocId, LocId), M(Int64, Int64, Int64),
    M(UInt64, UInt64, UInt64), M(Float, Float, Float), M(Double, Double, Double),
    M(String, String, String), M(Enum, Enum, Enum), M(Struct, Struct, WeakPointer),
    M(Pointer, Pointer, WeakPointer), M(Struct, WeakPointer, WeakPointer),
    M(Record, Record, Reference)};
// clang-format on
#undef M
constexpr size_t kEnum = 13, kStruct = 14, kPointer = 15, kWeak = 16, kRecord = 17;
// The element storage of each kind: an edit of another storage than the field's is refused.
constexpr int kGroup[] = {0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 5, 6, 6, 7, 7, 7, 8};
// Field type codes as kinds; a structure's kind is 14 plus its option.
constexpr size_t kOfType[17] = {0, 0, 1, 3, 5, 8, 2, 4, 6, 9, 12, 10, 11, 7, 13, 14, 17};
bool Owns(size_t kind) { return kind == kStruct || kind == kPointer; }
uint64_t Handle(const std::string& v) { return std::stoull(v); }
bool Live(uint64_t dataStruct) { return DB_DataStruct_GetRecord(dataStruct) != 0; }
// IEEE equality for floats (the value commands' test), else equal texts.
bool Same(size_t kind, const std::string& a, const std::string& b) {
  return kind != 10 && kind != 11
             ? a == b
             : std::bit_cast<double>(Handle(a)) == std::bit_cast<double>(Handle(b));
}
struct FieldInfo {
  uint64_t handle, parent;
  size_t kind;
  bool dynamic;
};
// A field: "gone" (out of service), "clean" or "dirty", then its elements; a record: text, fields.
using State = std::vector<std::string>;
using RecordState = std::vector<State>;
// One undo step: every record's state after it, and how many steps up to it changed each one.
struct Step {
  std::vector<std::shared_ptr<const RecordState>> records;
  std::vector<size_t> edits;
};
class EditModel : public DatabaseFixture {
 protected:
  uint64_t Rand(uint64_t n) { return random_() % n; }
  void Open(uint32_t seed) {
    const GeneratedDatabase generated = GenerateDatabase(10, seed);
    for (const GeneratedFile& file : generated.schemaFiles) AddSchema(file.path, file.text);
    for (const GeneratedFile& file : generated.recordFiles) {  // "Records/ItemN.xml"
      AddRecord(scratch_.File(file.path.substr(8)), file.text);
    }
    ASSERT_TRUE(Load());
    DB_EnableUndo(true);
    for (size_t i : {0, 1, 2, 9}) records_.push_back(DB_GetRecords()[i]);  // the last is a Crate
    fields_.resize(records_.size());
    steps_ = {Step{{}, std::vector<size_t>(records_.size())}};
    for (size_t r = 0; r < records_.size(); ++r) {
      AddFields(records_[r], r);
      steps_[0].records.push_back(std::make_shared<RecordState>(Capture(r)));
    }
    savedAt_.assign(records_.size(), size_t{0});
  }
  // Every field of the structure and of the structures it owns.
  void AddFields(uint64_t owner, size_t r) {
    uint64_t type = DB_DataStruct_GetPolymorphicType(owner);
    if (type == 0) type = DB_SchemaStruct(DB_DataStruct_Name(owner));
    for (int32_t i = 0; uint64_t(i) < DB_SchemaStruct_GetFieldCount(type, true, 0); ++i) {
      const uint64_t schema = DB_SchemaStruct_GetFieldByIndex(type, i, true, 0);
      const uint64_t f = DB_DataStruct_FieldByName(owner, DB_SchemaField_GetName(schema));
      size_t kind = kOfType[DB_DataField_GetType(f)];
      if (kind == kStruct) kind += DB_DataField_GetOption(f);
      fields_[r].push_back(
          {f, owner, kind,
           DB_SchemaField_GetFieldStorageType(schema) == TESSELLA_STORAGE_DYNAMIC_ARRAY});
      for (int32_t e = 0; Owns(kind) && uint64_t(e) < DB_DataField_GetArrayElementCount(f); ++e)
        AddFields(DB_DataField_GetValueAsStruct(f, e), r);  // 0 adds no fields
    }
  }
  RecordState Capture(size_t r) {
    RecordState state{{DB_Export(records_[r])}};
    for (const FieldInfo& f : fields_[r]) {
      State& s = state.emplace_back(1, DB_DataField_GetType(f.handle) == 0 ? "gone" : "clean");
      if (DB_DataField_IsDirty(f.handle)) s[0] = "dirty";
      for (int64_t i = 0; uint64_t(i) < DB_DataField_GetArrayElementCount(f.handle); ++i)
        s.push_back(kUse[f.kind](kRead, f.handle, "0", i));
    }
    return state;
  }
  // Checks the record against the model and returns what it holds.
  RecordState Expect(size_t r, const RecordState& want) {
    RecordState got = Capture(r);
    EXPECT_EQ(got, want) << "record " << r;
    return got;
  }
  // The history and the dirty flags, and with snapshot every record as the current step has it.
  void ExpectFlags(bool snapshot = false) {
    for (size_t r = 0; snapshot && r < records_.size(); ++r) Expect(r, *steps_[pos_].records[r]);
    EXPECT_EQ(DB_CanUndo(), pos_ > 0);
    EXPECT_EQ(DB_CanRedo(), pos_ + 1 < steps_.size());
    for (size_t r = 0; r < records_.size(); ++r) {
      const bool dirty = !savedAt_[r] || steps_[*savedAt_[r]].edits[r] != steps_[pos_].edits[r];
      EXPECT_EQ(DB_DataRecord_IsDirty(records_[r]), dirty) << "record " << r;
    }
  }
  // A new step after the current one; the steps that can be redone stay.
  void InsertStep() {
    steps_.insert(steps_.begin() + static_cast<ptrdiff_t>(pos_) + 1, steps_[pos_]);
    ++pos_;
    chainRecorded_ = false;
    for (auto& saved : savedAt_) saved = saved.value_or(0) >= pos_ ? *saved + 1 : saved;
  }
  // Drops the redo steps: a save among them that changed the record can never come back.
  void DropRedo() {
    for (size_t r = 0; r < records_.size(); ++r) {
      if (savedAt_[r].value_or(0) <= pos_) continue;
      const bool lost = steps_[*savedAt_[r]].edits[r] != steps_[pos_].edits[r];
      savedAt_[r] = lost ? std::nullopt : std::optional(pos_ - chain_);  // a chain's step: empty
    }
    steps_.resize(pos_ + 1);
  }
  // After an edit of field fi of record r: the history and that record (the rest: at replays).
  void Finish(size_t r, size_t fi, bool recorded, bool changed, State field, uint64_t released) {
    if (recorded && (!chain_ || !chainRecorded_)) DropRedo();
    if (recorded && !chain_) InsertStep();
    chainRecorded_ = chainRecorded_ || recorded;
    RecordState want = *steps_[pos_].records[r];
    if (changed) field[0] = "dirty";
    if (changed) want[0] = {DB_Export(records_[r])};
    want[fi + 1] = field;
    for (size_t g = 0; released != 0 && g < fields_[r].size(); ++g)
      if (fields_[r][g].parent == released) want[g + 1] = {"gone"};
    if (changed) steps_[pos_].edits[r] = steps_[pos_ - 1].edits[r] + 1;
    steps_[pos_].records[r] = std::make_shared<RecordState>(Expect(r, want));
    ExpectFlags();
  }
  std::string RandomValue(size_t kind, size_t r) {
    static constexpr const char* kTexts[] = {"",       "iron", "oak & <ash>", "\"frost\"",
                                             "Common", "Rare", "Epic",        "Legendary"};
    static constexpr double kReals[] = {0.0, -0.0, 1.5, -2.25, 1024.125, 0.1};
    std::string v = std::to_string(Rand(4) == 0 ? Rand(3) : random_());
    if (kind == 10 || kind == 11) v = std::to_string(std::bit_cast<uint64_t>(kReals[Rand(6)]));
    if (kind == 12 || kind == kEnum) v = kTexts[kind == kEnum ? 4 + Rand(4) : Rand(8)];
    if (Owns(kind)) v = Rand(2) ? "0" : "3735879680";  // no structure has that handle
    if (kind == kRecord) v = std::to_string(Rand(6) ? records_[Rand(records_.size())] : 0);
    const uint64_t target = fields_[r][Rand(fields_[r].size())].parent;  // of any type
    if (kind == kWeak) v = std::to_string(Rand(4) && Live(target) ? target : 0);
    return kUse[kind](kNormalize, 0, v, 0);
  }
  // A set, add, remove or shift, sometimes of another kind, equal or at an index outside.
  void RandomEdit() {
    const size_t r = Rand(records_.size()), fi = Rand(fields_[r].size());
    const FieldInfo& f = fields_[r][fi];
    State field = steps_[pos_].records[r]->at(fi + 1);
    const auto count = static_cast<int64_t>(field.size()) - 1;
    size_t kind = Rand(8) == 0 ? Rand(kStruct) : f.kind;  // sometimes of another storage
    if (kGroup[kind] == kGroup[f.kind]) kind = f.kind;
    const bool wrongKind = kGroup[kind] != kGroup[f.kind], owning = Owns(f.kind);
    int64_t index = static_cast<int64_t>(Rand(field.size()));
    if (Rand(8) == 0) index = Rand(2) ? -1 : count + 1;
    std::string v = RandomValue(kind, r);
    const bool wrongTarget =
        kind == kWeak && v != "0" && std::strcmp(DB_DataStruct_Name(Handle(v)), "Modifier") != 0;
    const std::string old = kUse[f.kind](kRead, f.handle, "0", index);
    const uint64_t op = Rand(10);
    if (field[0] == "gone") return;
    if (op < 5) {
      if (!wrongKind && index < count && Rand(4) == 0) v = old;
      const bool refused = wrongKind || index < 0 || index > count ||
                           (index == count && !f.dynamic) ||
                           (owning && v != "0" && !Live(Handle(v)));
      const bool differs = wrongKind || !Same(kind, v, old);
      const bool changed = !refused && differs && !wrongTarget;
      if (changed && index == count) field.emplace_back();
      if (changed) field[size_t(index) + 1] = v;
      kUse[kind](kSet, f.handle, v, index);
      return Finish(r, fi, !refused, changed, field, changed && owning ? Handle(old) : 0);
    }
    if (op < 7 && !owning) {  // structure and pointer adds are not made
      const uint32_t to = Rand(4) == 0 ? kEnd : static_cast<uint32_t>(std::max<int64_t>(index, 0));
      const int64_t at = to == kEnd ? count : int64_t{to};
      const bool refused = wrongKind || !f.dynamic || at > count;
      const bool changed = !refused && !wrongTarget;
      if (changed) field.insert(field.begin() + at + 1, v);
      EXPECT_EQ(kUse[kind](kAdd, f.handle, v, to), std::to_string(changed ? at : kEnd));
      return Finish(r, fi, !refused, changed, field, 0);
    }
    if (op < 8) {
      const bool refused = !f.dynamic || index < 0 || index >= count;
      if (!refused) field.erase(field.begin() + index + 1);
      DB_DataField_RemoveArrayElement(f.handle, static_cast<uint32_t>(index));
      return Finish(r, fi, !refused, !refused, field, !refused && owning ? Handle(old) : 0);
    }
    if (index < 0 || index >= count) return;  // a shift by 1 to 3 either way, maybe outside
    const int32_t distance = static_cast<int32_t>(Rand(3) + 1) * (Rand(2) ? 1 : -1);
    const bool swaps = index + distance >= 0 && index + distance < count;
    if (swaps) std::swap(field[size_t(index) + 1], field[size_t(index + distance) + 1]);
    DB_DataField_ShiftArrayElement(f.handle, static_cast<uint32_t>(index), distance);
    Finish(r, fi, true, swaps, field, 0);
  }
  // Saves one record, or all (which writes the dirty ones: the others match their files already).
  void Save() {
    const size_t one = Rand(records_.size() + 2);  // past the records: all of them
    EXPECT_TRUE(one >= records_.size() ? DB_SaveAll() : DB_DataRecord_Save(records_[one]));
    for (size_t r = 0; r < records_.size(); ++r)
      if (one >= records_.size() || r == one) savedAt_[r] = pos_;
    ExpectFlags(true);
  }
  void Replay(bool redo) {
    redo ? DB_Redo() : DB_Undo();
    pos_ = redo ? std::min(pos_ + 1, steps_.size() - 1) : pos_ - (pos_ > 0);
    ExpectFlags(true);
  }
  ScratchDirectory scratch_;
  std::mt19937_64 random_;
  std::vector<uint64_t> records_;
  std::vector<std::vector<FieldInfo>> fields_;
  std::vector<Step> steps_;
  size_t pos_ = 0;
  std::vector<std::optional<size_t>> savedAt_;  // empty: the saved state cannot come back
  bool chain_ = false, chainRecorded_ = false;
};

TEST_F(EditModel, RandomEditsAgreeWithTheModelThroughUndoRedoAndSave) {
  const char* seedText = std::getenv("TESSELLA_EDIT_MODEL_SEED");
  const char* stepsText = std::getenv("TESSELLA_EDIT_MODEL_STEPS");
  const uint64_t seed = seedText ? std::stoull(seedText) : 20240611;
  SCOPED_TRACE(testing::Message() << "TESSELLA_EDIT_MODEL_SEED=" << seed);
  random_.seed(seed);
  ASSERT_NO_FATAL_FAILURE(Open(static_cast<uint32_t>(seed)));
  for (size_t step = 0, steps = stepsText ? std::stoull(stepsText) : 2000;
       step < steps && !HasFailure(); ++step) {
    SCOPED_TRACE(testing::Message() << "step " << step);
    const uint64_t op = Rand(20);
    if (op < 10) RandomEdit();
    if (op >= 10 && op < 12) {  // a chain of zero to four edits is one step
      DB_BeginCommandChain();
      chain_ = true;
      InsertStep();
      for (uint64_t n = Rand(5); n > 0; --n) RandomEdit();
      DB_EndCommandChain();
      chain_ = false;
      ExpectFlags();
    }
    if (op >= 12 && op < 18) Replay(op >= 15);
    if (op >= 18) Save();
  }
  while (!HasFailure() && pos_ > 0) Replay(false);  // back to the loaded text, byte for byte
  while (!HasFailure() && pos_ + 1 < steps_.size()) Replay(true);
}

}  // namespace
