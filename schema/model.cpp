#include "schema/model.h"

#include <algorithm>
#include <cfloat>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "base/log.h"

namespace Schema {

using Database::LogError;
using Database::LogException;
using Database::LogSite;
using Database::ObjectRegistry;
using Database::Resolve;

namespace {

constexpr const char* kDuplicateKey =
    "Key %s already exists in KeyValuePair list for Schema Struct %s";
constexpr const char* kDuplicateEnumerableKey =
    "Key %s already exists in KeyValuePair list for Enumerable %s in Enum %s";
constexpr const char* kDuplicateEnumerable =
    "Enumerable %s already exists in Enum list for Schema Enum %s";
constexpr LogSite kUpdateCommonSite{"Schema", 137, "Schema::UpdateCommonKeyValuePairs"};
constexpr const char* kFieldIsNull = "pField is NULL..";

// The value rounded to the nearest 32-bit float and widened back. The rounding passes through a
// volatile float because g++ 12's SLP vectoriser, pairing the min and max readings at -O2 and
// above, drops a plain narrowing-then-widening cast and leaves the values unrounded.
double RoundedToFloat(double value) {
  volatile float rounded = static_cast<float>(value);
  return static_cast<double>(rounded);
}

// Upper bound on the steps of any walk up an inheritance chain. The loader refuses cycles, so
// a chain is never longer than the number of structures; the bound only guarantees that no walk
// can run without end if a cycle were ever made by hand. The floor covers structures built
// outside the registry (unit tests).
size_t InheritanceWalkLimit() {
  return std::max<size_t>(SchemaRegistry::Instance().SchemaStructs().size(), 256) + 1;
}

// Calls visit on the structure and then on each live ancestor, nearest first, until visit
// returns true or the chain ends.
template <class Visit>
void WalkUp(const CSchemaStruct* schemaStruct, Visit visit) {
  for (size_t steps = InheritanceWalkLimit(); schemaStruct && steps > 0; --steps) {
    if (visit(*schemaStruct)) return;
    schemaStruct = schemaStruct->GetParent();
  }
}

const std::string* FindValue(const KeyValueMap& map, std::string_view key) {
  const auto found = map.find(std::string(key));
  return found == map.end() ? nullptr : &found->second;
}

// Inserts the pair unless the key is present; reports a duplicate with the owner's name.
void InsertKeyValue(KeyValueMap& map, const std::string& key, const std::string& value,
                    const std::string& ownerName) {
  if (!map.emplace(key, value).second) LogError(kDuplicateKey, key.c_str(), ownerName.c_str());
}

// Releases the owned object without destroying it when its registry slot no longer holds it,
// so that an object destroyed behind the owner's back is never touched again.
template <class T>
void DestroyOwned(ObjectPtr<T>& object, THandle handle) {
  if (object && ObjectRegistry::Instance().FindObjectAnyState(handle) != object.get()) {
    static_cast<void>(object.release());
    return;
  }
  object.reset();
}

}  // namespace

// ---- CSchemaField -----------------------------------------------------------------------------

CSchemaField::CSchemaField() : CPlainObject(ObjectKind::SchemaFieldObject), id_(EnterId(*this)) {}

CSchemaField::~CSchemaField() { LeaveId(id_); }

uint32_t CSchemaField::EnterId(const CSchemaField& field) {
  if (nextId_ > kMaxFieldId) throw std::bad_alloc();
  if (!idPages_) idPages_ = new std::vector<std::unique_ptr<IdPage>>;
  const size_t page = nextId_ / kIdPageSize;
  if (page == idPages_->size()) idPages_->emplace_back();
  std::unique_ptr<IdPage>& entry = (*idPages_)[page];
  if (!entry) entry = std::make_unique<IdPage>();
  entry->fields[nextId_ % kIdPageSize] = &field;
  ++entry->live;
  return nextId_++;
}

void CSchemaField::LeaveId(uint32_t id) noexcept {
  std::unique_ptr<IdPage>& page = (*idPages_)[id / kIdPageSize];
  page->fields[id % kIdPageSize] = nullptr;
  if (--page->live == 0) page.reset();
}

void CSchemaField::Initialize() {
  customType_ = 0;
  fixedArraySize_ = 0;
  range_.reset();
}

void CSchemaField::ReleaseChildren() { range_.reset(); }

const std::string* CSchemaField::GetKeyValue(std::string_view key) const {
  return FindValue(keyValues_, key);
}

void CSchemaField::AddKeyValue(const std::string& key, const std::string& value) {
  InsertKeyValue(keyValues_, key, value, name_);
}

const std::string* CSchemaField::GetCustomTypeName() const {
  if (const CSchemaEnum* enumeration = Resolve<CSchemaEnum>(customType_)) {
    return &enumeration->GetName();
  }
  const CSchemaStruct* structure = Resolve<CSchemaStruct>(customType_);
  return structure ? &structure->GetName() : nullptr;
}

FieldRange& CSchemaField::EnsureRange() {
  if (!range_) range_ = std::make_unique<FieldRange>();
  return *range_;
}

void CSchemaField::SetRange(double min, double max, double step) {
  FieldRange& range = EnsureRange();
  range.min.floating = min;
  range.max.floating = max;
  range.step.floating = step == 0.0 ? (max - min) / 100.0 : step;
  hasRange_ = true;
}

void CSchemaField::SetRange(int64_t min, int64_t max, int64_t step) {
  FieldRange& range = EnsureRange();
  range.min.sign = min;
  range.max.sign = max;
  // The difference wraps as two's complement rather than overflowing: only a range wider than
  // int64 (never produced by the 32-bit schema readings) can reach that.
  const auto difference =
      static_cast<int64_t>(static_cast<uint64_t>(max) - static_cast<uint64_t>(min));
  range.step.sign = step == 0 ? difference / 100 : step;
  hasRange_ = true;
}

void CSchemaField::SetRange(uint64_t min, uint64_t max, uint64_t step) {
  FieldRange& range = EnsureRange();
  range.min.unsign = min;
  range.max.unsign = max;
  range.step.unsign = step == 0 ? (max - min) / 100 : step;
  hasRange_ = true;
}

void CSchemaField::SetDefaultRange() {
  const auto setSigned = [this](int64_t min, int64_t max) { SetRange(min, max, int64_t{1}); };
  const auto setUnsigned = [this](uint64_t max) { SetRange(uint64_t{0}, max, uint64_t{1}); };
  switch (fieldType_) {
    case FieldType::Int8:
      setSigned(std::numeric_limits<int8_t>::min(), std::numeric_limits<int8_t>::max());
      break;
    case FieldType::Int16:
      setSigned(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
      break;
    case FieldType::Int32:
      setSigned(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
      break;
    case FieldType::Int64:
      setSigned(std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
      break;
    case FieldType::UInt8:
      setUnsigned(std::numeric_limits<uint8_t>::max());
      break;
    case FieldType::UInt16:
      setUnsigned(std::numeric_limits<uint16_t>::max());
      break;
    case FieldType::UInt32:
      setUnsigned(std::numeric_limits<uint32_t>::max());
      break;
    case FieldType::UInt64:
      setUnsigned(std::numeric_limits<uint64_t>::max());
      break;
    case FieldType::Float:
      SetRange(-static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX), 1.0);
      break;
    case FieldType::Double:
      SetRange(-DBL_MAX, DBL_MAX, 1.0);
      break;
    default:
      break;
  }
  hasRange_ = false;
}

bool UpdateCommonKeyValuePairs(THandle fieldHandle) {
  CSchemaField* field = Resolve<CSchemaField>(fieldHandle);
  if (!field) {
    LogException(kUpdateCommonSite, "%s", kFieldIsNull);
    return false;
  }
  const std::string* min = field->GetKeyValue("min");
  const std::string* max = field->GetKeyValue("max");
  const std::string* step = field->GetKeyValue("step");
  if (!min || !max) {
    field->SetDefaultRange();
    return true;
  }
  // Readings as the C runtime makes them: atof rounded through 32-bit float, atoi sign-extended.
  const auto floating = [](const std::string* text) {
    return text ? RoundedToFloat(std::atof(text->c_str())) : 0.0;
  };
  const auto integer = [](const std::string* text) {
    return text ? static_cast<int64_t>(std::atoi(text->c_str())) : int64_t{0};
  };
  switch (field->GetFieldType()) {
    case FieldType::Float:
    case FieldType::Double:
      field->SetRange(floating(min), floating(max), floating(step));
      break;
    case FieldType::Int8:
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64:
      field->SetRange(integer(min), integer(max), integer(step));
      break;
    case FieldType::UInt8:
    case FieldType::UInt16:
    case FieldType::UInt32:
    case FieldType::UInt64:
      field->SetRange(static_cast<uint64_t>(integer(min)), static_cast<uint64_t>(integer(max)),
                      static_cast<uint64_t>(integer(step)));
      break;
    default:
      break;
  }
  return true;
}

// ---- CSchemaStruct ----------------------------------------------------------------------------

void CSchemaStruct::Initialize() { inheritsFrom_ = 0; }

void CSchemaStruct::ReleaseChildren() {
  for (ObjectPtr<CSchemaField>& field : fields_) field.reset();
  fields_.clear();
  fieldsByName_.clear();
}

CSchemaStruct* CSchemaStruct::GetParent() const {
  return inheritsFrom_ == 0 ? nullptr : Resolve<CSchemaStruct>(inheritsFrom_);
}

const std::string* CSchemaStruct::GetKeyValue(std::string_view key) const {
  return FindValue(keyValues_, key);
}

void CSchemaStruct::AddKeyValue(const std::string& key, const std::string& value) {
  InsertKeyValue(keyValues_, key, value, name_);
}

void CSchemaStruct::AddField(ObjectPtr<CSchemaField> field) {
  if (!field) return;
  fieldsByName_.try_emplace(field->GetName(), field.get());
  fields_.push_back(std::move(field));
}

uint64_t CSchemaStruct::GetFieldCount(bool includeInherited, THandle start) const {
  const CSchemaStruct* from = start == 0 ? this : Resolve<CSchemaStruct>(start);
  if (!from) return 0;
  if (!includeInherited) return from->fields_.size();
  uint64_t count = 0;
  WalkUp(from, [&count](const CSchemaStruct& level) {
    count += level.fields_.size();
    return false;
  });
  return count;
}

THandle CSchemaStruct::GetFieldByIndex(int64_t index, bool includeInherited, THandle start) const {
  const CSchemaStruct* from = start == 0 ? this : Resolve<CSchemaStruct>(start);
  if (!from || index < 0) return 0;
  const auto position = static_cast<uint64_t>(index);
  if (!includeInherited) {
    return position < from->fields_.size() ? from->fields_[position]->GetHandle() : 0;
  }
  const uint64_t total = from->GetFieldCount(true, 0);
  if (position >= total) return 0;
  // Numbered from the root down, so counted from the end the index is an offset into the chain
  // walked upwards from this structure.
  uint64_t fromEnd = total - position - 1;
  THandle found = 0;
  WalkUp(from, [&](const CSchemaStruct& level) {
    const uint64_t own = level.fields_.size();
    if (fromEnd < own) {
      found = level.fields_[own - 1 - fromEnd]->GetHandle();
      return true;
    }
    fromEnd -= own;
    return false;
  });
  return found;
}

CSchemaField* CSchemaStruct::FindField(std::string_view name, bool includeInherited,
                                       THandle start) const {
  const auto ownField = [name](const CSchemaStruct& level) -> CSchemaField* {
    const auto found = level.fieldsByName_.find(name);
    return found == level.fieldsByName_.end() ? nullptr : found->second;
  };
  if (CSchemaField* own = ownField(*this)) return own;
  if (!includeInherited) return nullptr;
  const CSchemaStruct* next = start == 0 ? GetParent() : Resolve<CSchemaStruct>(start);
  CSchemaField* found = nullptr;
  WalkUp(next, [&](const CSchemaStruct& level) {
    found = ownField(level);
    return found != nullptr;
  });
  return found;
}

THandle CSchemaStruct::GetFieldByName(std::string_view name, bool includeInherited,
                                      THandle start) const {
  const CSchemaField* field = FindField(name, includeInherited, start);
  return field ? field->GetHandle() : 0;
}

bool CSchemaStruct::DoesInheritFrom(THandle other) const {
  bool inherits = false;
  WalkUp(this, [&](const CSchemaStruct& level) {
    inherits = level.inheritsFrom_ == other;
    return inherits;
  });
  return inherits;
}

std::vector<THandle> CSchemaStruct::StructsThatInheritFromMe() const {
  std::vector<THandle> derived;
  const THandle me = GetHandle();
  for (const THandle handle : SchemaRegistry::Instance().SchemaStructs()) {
    const CSchemaStruct* candidate = Resolve<CSchemaStruct>(handle);
    if (candidate && candidate != this && candidate->DoesInheritFrom(me)) {
      derived.push_back(handle);
    }
  }
  return derived;
}

// ---- CSchemaEnum ------------------------------------------------------------------------------

bool CSchemaEnum::HasEnumerable(std::string_view name) const {
  return enumerableIndex_.find(name) != enumerableIndex_.end();
}

const std::string* CSchemaEnum::GetEnumerable(int64_t index) const {
  return index >= 0 && static_cast<uint64_t>(index) < enumerables_.size()
             ? &enumerables_[static_cast<size_t>(index)]
             : nullptr;
}

void CSchemaEnum::AddEnumerable(const std::string& name) {
  if (!enumerableIndex_.try_emplace(name, enumerables_.size()).second) {
    LogError(kDuplicateEnumerable, name.c_str(), name_.c_str());
    return;
  }
  enumerables_.push_back(name);
}

const std::string* CSchemaEnum::GetKeyValue(std::string_view key) const {
  return FindValue(keyValues_, key);
}

void CSchemaEnum::AddKeyValue(const std::string& key, const std::string& value) {
  InsertKeyValue(keyValues_, key, value, name_);
}

const std::string* CSchemaEnum::GetEnumerableKeyValue(std::string_view enumerable,
                                                      std::string_view key) const {
  const auto found = enumerableKeyValues_.find(enumerable);
  return found == enumerableKeyValues_.end() ? nullptr : FindValue(found->second, key);
}

void CSchemaEnum::AddEnumerableKeyValue(const std::string& enumerable, const std::string& key,
                                        const std::string& value) {
  KeyValueMap& map = enumerableKeyValues_[enumerable];
  if (!map.emplace(key, value).second) {
    LogError(kDuplicateEnumerableKey, key.c_str(), enumerable.c_str(), name_.c_str());
  }
}

// ---- SchemaRegistry ---------------------------------------------------------------------------

SchemaRegistry::SchemaRegistry() { ObjectRegistry::Instance(); }

SchemaRegistry& SchemaRegistry::Instance() {
  static SchemaRegistry registry;
  return registry;
}

CSchemaStruct& SchemaRegistry::CreateStruct(const std::string& name, const std::string& ownerFile,
                                            bool isRecord) {
  ObjectPtr<CSchemaStruct> created(Database::CreateObject<CSchemaStruct>());
  created->SetName(name);
  created->SetOwnerFile(ownerFile);
  created->SetIsRecord(isRecord);
  const THandle handle = created->GetHandle();
  structHandles_.push_back(handle);
  structsByName_.try_emplace(name, handle);
  if (isRecord) {
    recordHandles_.push_back(handle);
    recordsByName_.try_emplace(name, handle);
  }
  structs_.push_back(std::move(created));
  return *structs_.back();
}

CSchemaEnum& SchemaRegistry::CreateEnum(const std::string& name) {
  ObjectPtr<CSchemaEnum> created(Database::CreateObject<CSchemaEnum>());
  created->SetName(name);
  const THandle handle = created->GetHandle();
  enumHandles_.push_back(handle);
  enumsByName_.try_emplace(name, handle);
  enums_.push_back(std::move(created));
  return *enums_.back();
}

THandle SchemaRegistry::FindStructByName(std::string_view name) const {
  const auto found = structsByName_.find(name);
  return found == structsByName_.end() ? 0 : found->second;
}

THandle SchemaRegistry::FindRecordByName(std::string_view name) const {
  const auto found = recordsByName_.find(name);
  return found == recordsByName_.end() ? 0 : found->second;
}

THandle SchemaRegistry::FindEnumByName(std::string_view name) const {
  const auto found = enumsByName_.find(name);
  return found == enumsByName_.end() ? 0 : found->second;
}

bool SchemaRegistry::LookupTypeKeyword(std::string_view keyword, FieldType* type) const {
  // Built on first use and kept for the life of the process.
  static const NameIndex<FieldType> kKeywords = {
      {"bool", FieldType::Bool},     {"int8", FieldType::Int8},     {"char", FieldType::Int8},
      {"int16", FieldType::Int16},   {"int32", FieldType::Int32},   {"int", FieldType::Int32},
      {"int64", FieldType::Int64},   {"uint8", FieldType::UInt8},   {"uchar", FieldType::UInt8},
      {"uint16", FieldType::UInt16}, {"uint32", FieldType::UInt32}, {"uint", FieldType::UInt32},
      {"uint64", FieldType::UInt64}, {"string", FieldType::String}, {"float", FieldType::Float},
      {"double", FieldType::Double}, {"loc_id", FieldType::LocId},  {"LocId", FieldType::LocId},
      {"enum", FieldType::Enum},     {"struct", FieldType::Struct},
  };
  const auto found = kKeywords.find(keyword);
  if (found == kKeywords.end()) return false;
  if (type) *type = found->second;
  return true;
}

void SchemaRegistry::ClearSchema() {
  // Front to back, structures (each releasing its fields first to last) before enumerations.
  for (size_t i = 0; i < structs_.size(); ++i) DestroyOwned(structs_[i], structHandles_[i]);
  structs_.clear();
  for (size_t i = 0; i < enums_.size(); ++i) DestroyOwned(enums_[i], enumHandles_[i]);
  enums_.clear();
  structHandles_.clear();
  recordHandles_.clear();
  enumHandles_.clear();
  structsByName_.clear();
  recordsByName_.clear();
  enumsByName_.clear();
}

}  // namespace Schema
