// Random edits, chains, undos, redos and saves on a generated database, checked after every step
// against a model. TESSELLA_EDIT_MODEL_SEED and TESSELLA_EDIT_MODEL_STEPS override seed and length.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "support/database_fixture.h"
#include "support/record_generator.h"
#include "support/scratch_directory.h"
#include "tessella.h"

namespace {

constexpr uint32_t kEnd = 0xFFFFFFFFu;
constexpr size_t kNone = SIZE_MAX;
// Retypes happen only in this record, and no structure enters or leaves it: undoing a retype keeps
// the fields it added, so its text is not compared (its structures' polymorphic types are).
constexpr size_t kRetyped = 2;
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
  // A field out of service or in a structure of another record is "gone".
  RecordState Capture(size_t r) {
    RecordState state{{r == kRetyped ? "" : DB_Export(records_[r])}};
    for (const FieldInfo& f : fields_[r]) {
      const bool in = DB_DataField_GetType(f.handle) != 0 && Here(f.parent, r);
      State& s = state.emplace_back(1, in ? "clean" : "gone");
      if (!in) continue;
      if (r == kRetyped) state[0][0] += std::to_string(DB_DataStruct_GetPolymorphicType(f.parent));
      if (DB_DataField_IsDirty(f.handle)) s[0] = "dirty";
      for (int64_t i = 0; uint64_t(i) < DB_DataField_GetArrayElementCount(f.handle); ++i)
        s.push_back(kUse[f.kind](kRead, f.handle, "0", i));
    }
    return state;
  }
  // The record at the current step; fields learnt after that step were gone then.
  RecordState Now(size_t r) {
    RecordState state = *steps_[pos_].records[r];
    state.resize(fields_[r].size() + 1, State{"gone"});
    return state;
  }
  State At(size_t r, size_t fi) {
    return fi + 1 < steps_[pos_].records[r]->size() ? steps_[pos_].records[r]->at(fi + 1)
                                                    : State{"gone"};
  }
  // Each structure an owning field holds is named by its parent and field name and pointable, once,
  // at its URL. A structure the model knows is in service exactly when a record holds it.
  void ExpectTrees() {
    std::vector<uint64_t> all;
    for (size_t r = 0; r < records_.size(); ++r) {
      std::vector<uint64_t> held, pointable;
      for (const FieldInfo& f : fields_[r])
        for (int32_t e = 0; Owns(f.kind) && Here(f.parent, r) && e < Count(f.handle); ++e) {
          const uint64_t s = DB_DataField_GetValueAsStruct(f.handle, e),
                         p = DB_DataStruct_GetParent(s);
          if (s != 0) held.push_back(s);
          EXPECT_TRUE(s == 0 ||
                      DB_DataStruct_FieldByName(p, DB_DataStruct_FieldName(s)) == f.handle);
        }
      for (uint32_t i = 0; i < DB_DataRecord_PointableStructureCount(records_[r]); ++i) {
        const uint64_t s =
            pointable.emplace_back(DB_DataRecord_GetPointableStructure(records_[r], i));
        EXPECT_EQ(DB_DataRecord_ResolveURL(records_[r], DB_DataStruct_URL(s)), s) << s;
      }
      std::sort(held.begin(), held.end());
      std::sort(pointable.begin(), pointable.end());
      EXPECT_EQ(pointable, held) << "record " << r;
      all.insert(all.end(), held.begin(), held.end());
    }
    std::sort(all.begin(), all.end());
    for (size_t r = 0; r < records_.size(); ++r)
      for (size_t g = 1; g < fields_[r].size(); ++g) {  // once per run of a structure's fields
        const uint64_t s = fields_[r][g].parent;
        const bool held = std::binary_search(all.begin(), all.end(), s);
        EXPECT_TRUE(s == fields_[r][g - 1].parent || s == records_[r] || Live(s) == held) << s;
      }
  }
  // The history and the dirty flags, and with snapshot every record as the current step has it.
  void ExpectFlags(bool snapshot = false) {
    for (size_t r = 0; snapshot && r < records_.size(); ++r)
      EXPECT_EQ(Capture(r), Now(r)) << "record " << r;
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
  // After an edit of field fi (kNone: of none) of record r: the history and that record (the rest:
  // at replays). The fields of structure read (all for the record) are as read; the structures it
  // holds now join the model. Part 1 and 2 of an edit of two records share the history step.
  void Finish(size_t r, size_t fi, bool recorded, bool changed, State field, uint64_t released,
              uint64_t read = 0, int part = 0) {
    if (part != 2 && recorded && (!chain_ || !chainRecorded_)) DropRedo();
    if (part != 2 && recorded && !chain_) InsertStep();
    chainRecorded_ = chainRecorded_ || recorded;
    for (uint32_t i = 0; i < DB_DataRecord_PointableStructureCount(records_[r]); ++i) {
      const uint64_t s = DB_DataRecord_GetPointableStructure(records_[r], i);
      if (std::none_of(fields_[r].begin(), fields_[r].end(),
                       [&](auto& f) { return f.parent == s; }))
        AddFields(s, r);  // new in the record: read
    }
    RecordState want = Now(r), got = Capture(r);
    if (changed) want[0] = got[0];
    if (changed && fi != kNone) field[0] = "dirty";
    if (fi != kNone) want[fi + 1] = field;
    for (size_t g = 0; g < fields_[r].size(); ++g) {
      const uint64_t parent = fields_[r][g].parent;
      if (released != 0 && parent == released) want[g + 1] = {"gone"};
      if (read != 0 && (parent == read || read == records_[r])) want[g + 1] = got[g + 1];
    }
    if (changed) steps_[pos_].edits[r] = steps_[pos_ - 1].edits[r] + 1;
    EXPECT_EQ(got, want) << "record " << r;
    steps_[pos_].records[r] = std::make_shared<RecordState>(std::move(got));
    if (part != 1) ExpectFlags();
    if (part != 1 && (fi == kNone || Owns(fields_[r][fi].kind))) ExpectTrees();
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
    const bool here = Live(target) && DB_DataStruct_GetRecord(target) == records_[r];
    if (kind == kWeak) v = std::to_string(Rand(4) && here ? target : 0);
    return kUse[kind](kNormalize, 0, v, 0);
  }
  // A set, add, remove or shift, sometimes of another kind, equal or at an index outside.
  void RandomEdit() {
    const size_t r = Rand(records_.size()), fi = Rand(fields_[r].size());
    const FieldInfo& f = fields_[r][fi];
    State field = At(r, fi);
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
  int32_t Count(uint64_t field) { return int32_t(DB_DataField_GetArrayElementCount(field)); }
  bool Here(uint64_t s, size_t r) { return DB_DataStruct_GetRecord(s) == records_[r]; }
  size_t Owner(size_t r) {  // a random owning field of the record itself (the Crate has none)
    for (;;)
      if (const size_t g = Rand(fields_[r].size());
          Owns(fields_[r][g].kind) && fields_[r][g].parent == records_[r])
        return g;
  }
  // Whether structure s may go from record q to r: not into or out of the retyped record, nor
  // while a weak pointer names it (it would then name a structure of another record).
  bool MayCross(size_t q, size_t r, uint64_t s) {
    bool named = false;
    for (size_t p = 0; p < records_.size(); ++p)
      for (const FieldInfo& f : fields_[p])
        for (int32_t e = 0; f.kind == kWeak && e < Count(f.handle); ++e)
          named = named || DB_DataField_GetValueAsStruct(f.handle, e) == s;
    return q == r || (q != kRetyped && r != kRetyped && !named);
  }
  // A loaded structure of the record that a kept step removed (none was destroyed), or 0.
  uint64_t Removed(size_t r, size_t fi) {
    const State& loaded = steps_[0].records[r]->at(fi + 1);
    const uint64_t s = loaded.size() > 1 ? Handle(loaded[1 + Rand(loaded.size() - 1)]) : 0;
    return Live(s) || !MayCross(r == kRetyped ? r : kNone, r, s) ? 0 : s;  // from anywhere
  }
  // Adds a new or removed structure, attaches one to a pointer, deletes, moves (maybe to another
  // record), duplicates, retypes or pastes (maybe changed or cut short) one or the record.
  void RandomStructureEdit() {
    const size_t r = Rand(records_.size() - 1), fi = Owner(r), op = Rand(8);
    const FieldInfo& f = fields_[r][fi];
    State field = At(r, fi);
    const auto count = uint32_t(field.size() - 1), index = uint32_t(Rand(count + 1));
    const uint64_t s = index < count ? Handle(field[index + 1]) : 0;
    const uint64_t value = Rand(2) ? 0 : Removed(r, fi);
    if (op < 2) {
      const uint32_t to = Rand(4) ? index : kEnd;
      const uint32_t at =
          (f.kind == kStruct ? DB_DataField_AddArrayElementStruct
                             : DB_DataField_AddArrayElementPointer)(f.handle, value, to);
      EXPECT_EQ(at, f.dynamic ? std::min(to, count) : kEnd);
      const uint64_t added = value != 0 ? value : DB_DataField_GetValueAsStruct(f.handle, at);
      if (f.dynamic) field.insert(field.begin() + at + 1, std::to_string(added));
      return Finish(r, fi, f.dynamic, f.dynamic, field, 0, added);
    }
    if (op == 2) {
      const bool empty = index < count ? s == 0 : f.dynamic;
      DB_DataField_NewPointer(f.handle, value, index);
      const uint64_t added = value ? value : DB_DataField_GetValueAsStruct(f.handle, index);
      if (empty && index == count) field.emplace_back();
      if (empty) field[index + 1] = std::to_string(added);
      return Finish(r, fi, empty || index < count, empty, field, 0, empty ? added : 0);
    }
    if (op == 3 && index < count) {  // a delete, or in an array a removal
      const bool removes = f.dynamic && Rand(2);
      if (removes) DB_DataField_RemoveArrayElement(f.handle, index);
      if (!removes) DB_DataField_DeletePointer(f.handle, index);
      removes ? void(field.erase(field.begin() + index + 1)) : void(field[index + 1] = "0");
      return Finish(r, fi, true, removes || s != 0, field, s);
    }
    if (op == 4 && s != 0 && !chain_) {  // a move closes the host's chain
      size_t r2 = Rand(records_.size() - 1);
      if (!MayCross(r, r2, s)) r2 = r;
      const size_t fi2 = Owner(r2);
      const bool moves = f.dynamic && fields_[r2][fi2].dynamic && f.kind == fields_[r2][fi2].kind;
      EXPECT_EQ(DB_DataField_MoveArrayElementFrom(f.handle, s, fields_[r2][fi2].handle), moves);
      if (moves) field.erase(field.begin() + index + 1);
      if (moves && r2 == r) field.push_back(std::to_string(s));
      if (!moves || r2 == r) return Finish(r, fi, moves, moves, field, 0, s);
      Finish(r, fi, true, true, field, s, 0, 1);
      State to = At(r2, fi2);
      to.push_back(std::to_string(s));
      return Finish(r2, fi2, true, true, to, 0, s, 2);
    }
    if (op == 5 && s != 0) {
      EXPECT_EQ(DB_DataStruct_DuplicateInsideArray(s), f.dynamic);
      if (f.dynamic)
        field.push_back(std::to_string(DB_DataField_GetValueAsStruct(f.handle, count)));
      return Finish(r, fi, f.dynamic, f.dynamic, field, 0, Handle(field.back()));
    }
    if (op == 6 && s != 0 && r == kRetyped && f.kind == kPointer) {  // Modifier: refused, a step
      const uint64_t type = Rand(4);
      DB_DataStruct_SetPolymorphicType(
          s, DB_SchemaStruct(std::array{"Effect", "Burn", "Freeze", "Modifier"}[type]));
      return Finish(r, kNone, true, type < 3, {}, 0, s);
    }
    if (op == 7) {  // text that does not parse makes a step that changes nothing
      const uint64_t target = s != 0 && Rand(2) ? s : records_[r];
      const char* name = target != s         ? DB_DataField_GetName(f.handle)
                         : f.kind == kStruct ? "Stat"
                                             : "Power";
      const char* only = Rand(target == s ? 2 : 4) ? name : nullptr;  // few whole records
      std::string text = DB_DataStruct_Serialize(target, Rand(2) ? only : nullptr, Rand(2));
      const size_t at = text.find("=\"", Rand(text.size())) + 2;  // a digit of a value
      if (at > 1 && std::isdigit(text[at]) && Rand(2)) text[at] = char('0' + Rand(10));
      const bool parses = Rand(8) != 0;
      if (!parses) text.resize(text.size() / 2);
      EXPECT_TRUE(DB_DataStruct_Deserialize(target, text.c_str(), only));
      return Finish(r, kNone, true, parses, {}, 0, target);
    }
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
    const uint64_t op = Rand(24);
    if (op < 10) RandomEdit();
    if (op >= 20) RandomStructureEdit();
    if (op >= 10 && op < 12) {  // a chain of zero to four edits is one step
      DB_BeginCommandChain();
      chain_ = true;
      InsertStep();
      for (uint64_t n = Rand(5); n > 0; --n) Rand(4) ? RandomEdit() : RandomStructureEdit();
      DB_EndCommandChain();
      chain_ = false;
      ExpectFlags();
    }
    if (op >= 12 && op < 18) Replay(op >= 15);
    if (op >= 12 && op < 18) ExpectTrees();
    if (op >= 18) Save();
  }
  while (!HasFailure() && pos_ > 0) Replay(false);  // back to the loaded text, byte for byte
  while (!HasFailure() && pos_ + 1 < steps_.size()) Replay(true);
}

}  // namespace
