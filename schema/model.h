// The in-memory schema: structure types (plain structures and records), their fields, and
// enumerations, each a registered object with a handle. The schema tables own the structures and
// enumerations; a structure owns its fields. Nothing edits a loaded schema: it is built by the
// loader and torn down by ClearSchema.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/data_object.h"
#include "base/object_registry.h"

namespace Schema {

using Database::CPlainObject;
using Database::ObjectKind;
using Database::ObjectPtr;
using Database::THandle;

// Value type of a field; the numbers are part of the interface.
enum class FieldType : uint32_t {
  Bool = 1,
  Int8 = 2,
  Int16 = 3,
  Int32 = 4,
  Int64 = 5,
  UInt8 = 6,
  UInt16 = 7,
  UInt32 = 8,
  UInt64 = 9,
  String = 10,
  Float = 11,
  Double = 12,
  LocId = 13,
  Enum = 14,
  Struct = 15,
  Reference = 16,  // a field whose type is a record
};

// Pointer marker of a field declaration; only the last marker written counts.
enum class FieldOption : uint32_t {
  OptionNone = 0,
  OptionPointer = 1,      // "@": owning pointer
  OptionWeakPointer = 2,  // "*": weak pointer
  OptionAmpersand = 3,    // "&": a reference that record files store
};

enum class StorageType : uint32_t { Single = 0, DynamicArray = 1, FixedArray = 2 };

// Text-to-text map ordered by byte-wise key comparison.
using KeyValueMap = std::map<std::string, std::string>;

// Hash and equality for name indexes that are searched with a std::string_view without
// building a std::string. The call operator is deliberately not noexcept: libstdc++ then keeps
// each entry's hash, so a lookup compares hashes before names (a fifth of the schema load time).
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
template <class Value>
using NameIndex = std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;

// One 8-byte range value, read according to the owning field's type: floating for Float and
// Double, signed for Int8..Int64, unsigned for UInt8..UInt64.
union RangeValue {
  double floating;
  int64_t sign;
  uint64_t unsign;
};

// min, max, step: handed to the host as three consecutive 8-byte values.
struct FieldRange {
  RangeValue min;
  RangeValue max;
  RangeValue step;
};
static_assert(sizeof(FieldRange) == 24);

class CSchemaField : public CPlainObject {
 public:
  // Throws std::bad_alloc when no memory is left for the field's number or every number up to
  // kMaxFieldId is given out.
  CSchemaField();
  ~CSchemaField() override;
  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::SchemaFieldObject; }

  // Every schema field has a number of its own, so that the many data fields built from it can
  // name it in fewer bits than a handle. Numbers start at 1 and are never given out again.
  static constexpr uint32_t kMaxFieldId = (uint32_t{1} << 30) - 1;
  uint32_t GetFieldId() const { return id_; }
  // The live schema field numbered id (in service or not); null for 0 and for a destroyed one.
  static const CSchemaField* FindById(uint32_t id) {
    const size_t page = id / kIdPageSize;
    if (!idPages_ || page >= idPages_->size() || !(*idPages_)[page]) return nullptr;
    return (*idPages_)[page]->fields[id % kIdPageSize];
  }

  void Initialize() override;
  void ReleaseChildren() override;

  const std::string& GetName() const { return name_; }
  FieldType GetFieldType() const { return fieldType_; }
  FieldOption GetFieldOption() const { return fieldOption_; }
  StorageType GetStorageType() const { return storageType_; }
  // The enumeration, structure or record named as the type; 0 for keyword types.
  THandle GetCustomType() const { return customType_; }
  // Element count of a FixedArray; 0 otherwise.
  uint64_t GetFixedArraySize() const { return fixedArraySize_; }
  // Name of the enumeration, structure or record that customType names; null when there is none.
  const std::string* GetCustomTypeName() const;
  // Type Struct with option OptionWeakPointer.
  bool IsWeakPointer() const {
    return fieldType_ == FieldType::Struct && fieldOption_ == FieldOption::OptionWeakPointer;
  }

  const KeyValueMap& KeyValues() const { return keyValues_; }
  // The value for key, or null.
  const std::string* GetKeyValue(std::string_view key) const;
  // Inserts the pair; a key already present keeps its value and the duplicate is logged.
  void AddKeyValue(const std::string& key, const std::string& value);

  bool HasRange() const { return hasRange_; }
  // The range, or null when the field has none (non-numeric types).
  const FieldRange* GetRange() const { return range_.get(); }
  // Store min and max and set hasRange; a zero step becomes (max - min) / 100 in the form's own
  // arithmetic.
  void SetRange(double min, double max, double step);
  void SetRange(int64_t min, int64_t max, int64_t step);
  void SetRange(uint64_t min, uint64_t max, uint64_t step);
  // Stores the natural range of a numeric type (no range for other types) and clears hasRange.
  void SetDefaultRange();

  void SetName(std::string name) { name_ = std::move(name); }
  void SetFieldType(FieldType type) { fieldType_ = type; }
  void SetFieldOption(FieldOption option) { fieldOption_ = option; }
  void SetStorageType(StorageType storage) { storageType_ = storage; }
  void SetCustomType(THandle type) { customType_ = type; }
  void SetFixedArraySize(uint64_t size) { fixedArraySize_ = size; }

 private:
  FieldRange& EnsureRange();

  // The live fields by number, in pages that go when their last field does, so that the table
  // takes memory in proportion to the live fields (and a word per page of numbers given out).
  static constexpr size_t kIdPageSize = 1024;
  struct IdPage {
    std::array<const CSchemaField*, kIdPageSize> fields{};
    size_t live = 0;
  };
  static uint32_t EnterId(const CSchemaField& field);
  static void LeaveId(uint32_t id) noexcept;
  // Made by the first field and never destroyed: fields that outlive static destruction still
  // leave it.
  static inline std::vector<std::unique_ptr<IdPage>>* idPages_ = nullptr;
  static inline uint32_t nextId_ = 1;

  THandle customType_ = 0;
  std::string name_;
  uint32_t id_;
  FieldType fieldType_ = FieldType::Bool;
  FieldOption fieldOption_ = FieldOption::OptionNone;
  StorageType storageType_ = StorageType::Single;
  std::unique_ptr<FieldRange> range_;
  KeyValueMap keyValues_;
  uint64_t fixedArraySize_ = 0;
  bool hasRange_ = false;
};

// The most levels structures nest in one another by value; a schema that nests deeper fails to
// load, and building a default value stops there.
inline constexpr size_t kMaxStructureNesting = 256;

// The most elements the default value of a structure may hold, its nested structures' included
// (fixed arrays multiply what they hold); a schema that exceeds it fails to load.
inline constexpr uint64_t kMaxDefaultElements = 1'000'000;

class CSchemaStruct : public CPlainObject {
 public:
  CSchemaStruct() : CPlainObject(ObjectKind::SchemaStructObject) {}
  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::SchemaStructObject; }

  void Initialize() override;
  // Destroys every field, first to last.
  void ReleaseChildren() override;

  const std::string& GetName() const { return name_; }
  // The schema file path exactly as the loader received it.
  const std::string& GetOwnerFile() const { return ownerFile_; }
  bool IsRecord() const { return isRecord_; }
  // The parent structure, or 0.
  THandle GetInheritsFrom() const { return inheritsFrom_; }
  // The parent structure when it is live, else null.
  CSchemaStruct* GetParent() const;

  // The structure's own fields in declaration order (not inherited ones).
  size_t GetOwnFieldCount() const { return fields_.size(); }
  CSchemaField* GetOwnField(size_t index) const { return fields_[index].get(); }

  const KeyValueMap& KeyValues() const { return keyValues_; }
  const std::string* GetKeyValue(std::string_view key) const;
  void AddKeyValue(const std::string& key, const std::string& value);

  // Counts from start (when not 0) or from this structure; with includeInherited adds each live
  // ancestor's own count.
  uint64_t GetFieldCount(bool includeInherited, THandle start) const;
  // With inheritance the chain's fields are numbered from the root ancestor down, this
  // structure's own fields last; start (when not 0) replaces this structure. 0 when the index is
  // out of range.
  THandle GetFieldByIndex(int64_t index, bool includeInherited, THandle start) const;
  // Own fields first, in declaration order; then (with includeInherited) start's chain when start
  // is given, else the ancestors. The nearest declaration wins. 0 when none matches.
  THandle GetFieldByName(std::string_view name, bool includeInherited, THandle start) const;
  // As GetFieldByName, but the field object itself (null when none matches).
  CSchemaField* FindField(std::string_view name, bool includeInherited, THandle start) const;
  // True when other is the parent or any ancestor's parent. A structure without a parent answers
  // true for 0.
  bool DoesInheritFrom(THandle other) const;
  // Every structure (in creation order) that derives from this one at any depth.
  std::vector<THandle> StructsThatInheritFromMe() const;
  // False only once the loaded schema has been checked and no two fields of the structure, own
  // or inherited, share a name (a child may declare a field named like an inherited one).
  bool FieldNamesMayRepeat() const { return fieldNamesMayRepeat_; }
  void SetFieldNamesMayRepeat(bool mayRepeat) { fieldNamesMayRepeat_ = mayRepeat; }

  void SetName(std::string name) { name_ = std::move(name); }
  void SetOwnerFile(std::string file) { ownerFile_ = std::move(file); }
  void SetIsRecord(bool isRecord) { isRecord_ = isRecord; }
  void SetInheritsFrom(THandle parent) { inheritsFrom_ = parent; }
  // Takes ownership of the field and appends it to the own fields. The field's name must be set
  // before: it is entered in the name index here (the first field of a name stays indexed).
  void AddField(ObjectPtr<CSchemaField> field);

 private:
  std::string name_;
  std::string ownerFile_;
  std::vector<ObjectPtr<CSchemaField>> fields_;
  NameIndex<CSchemaField*> fieldsByName_;  // first declaration of a name
  KeyValueMap keyValues_;
  THandle inheritsFrom_ = 0;
  bool isRecord_ = false;
  bool fieldNamesMayRepeat_ = true;
};

class CSchemaEnum : public CPlainObject {
 public:
  CSchemaEnum() : CPlainObject(ObjectKind::SchemaEnumObject) {}
  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::SchemaEnumObject; }

  const std::string& GetName() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Enumerable names in declaration order; the position is the enumerable's index.
  const std::vector<std::string>& Enumerables() const { return enumerables_; }
  bool HasEnumerable(std::string_view name) const;
  // The index-th enumerable's name; null when the index is outside the list.
  const std::string* GetEnumerable(int64_t index) const;
  // Appends the name; a repeated name is logged and ignored.
  void AddEnumerable(const std::string& name);

  const KeyValueMap& KeyValues() const { return keyValues_; }
  const std::string* GetKeyValue(std::string_view key) const;
  void AddKeyValue(const std::string& key, const std::string& value);
  // Key-values of one enumerable; null when it has none.
  const std::string* GetEnumerableKeyValue(std::string_view enumerable, std::string_view key) const;
  void AddEnumerableKeyValue(const std::string& enumerable, const std::string& key,
                             const std::string& value);

 private:
  std::string name_;
  std::vector<std::string> enumerables_;
  NameIndex<size_t> enumerableIndex_;
  KeyValueMap keyValues_;
  std::map<std::string, KeyValueMap, std::less<>> enumerableKeyValues_;
};

// The process-wide schema tables. They own every structure and enumeration; lookups by name go
// through hash indexes and return the first declaration of a name.
class SchemaRegistry {
 public:
  static SchemaRegistry& Instance();

  // Creates, registers and appends a structure (and, for a record, lists it as a record).
  CSchemaStruct& CreateStruct(const std::string& name, const std::string& ownerFile, bool isRecord);
  CSchemaEnum& CreateEnum(const std::string& name);

  // Handles in creation order.
  const std::vector<THandle>& SchemaStructs() const { return structHandles_; }
  const std::vector<THandle>& SchemaRecords() const { return recordHandles_; }
  const std::vector<THandle>& SchemaEnums() const { return enumHandles_; }

  // Exact, case-sensitive; 0 when absent.
  THandle FindStructByName(std::string_view name) const;
  THandle FindRecordByName(std::string_view name) const;
  THandle FindEnumByName(std::string_view name) const;

  // Field type of a schema keyword ("int32", "uint", "LocId", ...); false when not a keyword.
  bool LookupTypeKeyword(std::string_view keyword, FieldType* type) const;

  // Destroys every structure (with its fields) and enumeration and empties the tables; old
  // handles resolve to nothing afterwards.
  void ClearSchema();

 private:
  // Constructs the object registry first, so that it outlives the schema at unload.
  SchemaRegistry();

  std::vector<ObjectPtr<CSchemaStruct>> structs_;
  std::vector<ObjectPtr<CSchemaEnum>> enums_;
  std::vector<THandle> structHandles_;
  std::vector<THandle> recordHandles_;
  std::vector<THandle> enumHandles_;
  NameIndex<THandle> structsByName_;  // first declaration of a name wins
  NameIndex<THandle> recordsByName_;
  NameIndex<THandle> enumsByName_;
};

// Turns the field's "min", "max" and "step" key-values into its range (atoi/atof readings);
// numeric fields without both min and max get their type's natural range. Logs an exception and
// returns false when the handle names no live field.
bool UpdateCommonKeyValuePairs(THandle field);

// Calls visit(schemaField) for every field of the type, the most basic ancestor's fields first,
// each level in declaration order (inheritance order). Chains deeper than kMaxInheritanceDepth
// (only a cyclic chain can be) are cut there: the schema checks and the data model see the same
// fields.
inline constexpr int kMaxInheritanceDepth = 64;
template <class Visit>
void ForEachSchemaField(const CSchemaStruct& type, Visit&& visit, int depth = 0) {
  if (const CSchemaStruct* parent = type.GetParent()) {
    if (depth < kMaxInheritanceDepth) ForEachSchemaField(*parent, visit, depth + 1);
  }
  for (size_t index = 0; index < type.GetOwnFieldCount(); ++index) visit(*type.GetOwnField(index));
}

}  // namespace Schema
