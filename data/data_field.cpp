#include "data/data_field.h"

#include <algorithm>
#include <cstring>

#include "base/log.h"
#include "data/data_record.h"
#include "data/data_struct.h"
#include "data/record_store.h"
#include "data/url.h"

namespace Database {

namespace {

using Schema::CSchemaField;
using Schema::FieldOption;
using Schema::FieldType;

constexpr LogSite kGetNameSite{"DataField", 31, "Database::CDataField::GetName"};
constexpr LogSite kUninstateSite{"DataField", 119, "Database::UninstateObjectIf"};
constexpr LogSite kReinstateSite{"DataField", 90, "Database::ReinstateObjectIf"};
constexpr LogSite kValidateNoSchemaSite{"DataField", 157, "Database::ValidateWeakPointerTarget"};
constexpr LogSite kValidateTypeSite{"DataField", 172, "Database::ValidateWeakPointerTarget"};
constexpr LogSite kResolveInvalidSite{"DataFieldTypes", 45,
                                      "Database::CDataField_WeakPointer::Resolve"};
constexpr LogSite kResolveNullSite{"DataFieldTypes", 51,
                                   "Database::CDataField_WeakPointer::Resolve"};

const std::string kEmptyText;

// Fields are most of a database's objects: a single number costs the vtable, the object's header
// word (which holds the parent's handle while the field has none of its own) and the element
// array: its inline element, its size and the schema field's number. A field takes a registry
// slot only once its handle is asked for.
static_assert(sizeof(CDataField_Int32) <= 4 * sizeof(uint64_t));

template <class Field>
ObjectPtr<CDataField> Create(const CSchemaField& schema, bool outOfService, ObjectArena* arena) {
  return ObjectPtr<CDataField>(
      ObjectRegistry::Instance().AdoptObject(MakeObject<Field>(arena, schema), outOfService));
}

}  // namespace

THandle CDataField::GetParentHandle() const { return HasClassData() ? GetClassData() : kNoParent; }

void CDataField::SetParentHandle(THandle parent) { SetClassData(parent); }

void CDataField::SetDirty(bool dirty) {
  SetClassFlag(dirty);
  if (CDataStruct* parent = Resolve<CDataStruct>(GetParentHandle())) parent->SetDirty(dirty);
}

const Schema::CSchemaField* CDataField::GetSchema() const {
  const Schema::CSchemaField* schema = Schema::CSchemaField::FindById(GetFieldWord() >> kLimitBits);
  return schema && schema->IsInstated() ? schema : nullptr;
}

uint64_t CDataField::GetMaxCount() const {
  switch (static_cast<ElementLimit>(GetFieldWord() & kLimitMask)) {
    case ElementLimit::Single:
      return 1;
    case ElementLimit::FixedLength: {
      const Schema::CSchemaField* schema = GetSchema();
      return schema ? FixedLength(*schema) : 0;
    }
    case ElementLimit::ReadDynamic:
      return kReadDynamicMax;
    case ElementLimit::DefaultsDynamic:
      return kDefaultsDynamicMax;
  }
  return 0;
}

void CDataField::SetLimit(ElementLimit limit) {
  SetFieldWord((GetFieldWord() & ~kLimitMask) | static_cast<uint32_t>(limit));
}

const std::string* CDataField::GetName() const {
  const CDataStruct* parent = ResolveAnyState<CDataStruct>(GetParentHandle());
  if (!parent) {
    LogException(kGetNameSite, "DataField::GetName, could not get name. Field has no parent.");
    return nullptr;
  }
  const std::string* name = parent->NameOfField(*this);
  return name ? name : &kEmptyText;
}

const std::string* CDataField::GetNameInService() const {
  const CDataStruct* parent = Resolve<CDataStruct>(GetParentHandle());
  return parent ? parent->NameOfField(*this) : nullptr;
}

const char* CDataField::NameForMessages() const {
  const std::string* name = GetName();
  return name ? name->c_str() : "";
}

const char* CDataField::ReadText(int32_t index) const {
  const auto* field = FieldAs<ElementKind::Text>(this);
  if (!field || !field->Values().Contains(index)) return "";
  return field->Values().Get(static_cast<size_t>(index)).c_str();
}

TDataStructHandle CDataField::ReadStructHandle(int32_t index) const {
  const auto* field = FieldAs<ElementKind::StructHandle>(this);
  if (!field || !field->Values().Contains(index)) return 0;
  return field->Values().Get(static_cast<size_t>(index));
}

TDataStructHandle CDataField::ReadLiveStructHandle(int32_t index) const {
  const TDataStructHandle handle = ReadStructHandle(index);
  return Resolve<CDataStruct>(handle) ? handle : 0;
}

THandle CDataField::ReadRecordHandle(int32_t index) {
  // Every field that stores record handles is a reference field.
  auto* field = static_cast<CDataField_Reference*>(FieldAs<ElementKind::RecordHandle>(this));
  if (!field || index < 0) return 0;
  field->ResolveEntry(static_cast<uint64_t>(index));
  return field->Values().Contains(index) ? field->Values().Get(static_cast<size_t>(index)) : 0;
}

void CDataField_Struct::ClearElements() {
  for (const TDataStructHandle handle : values_.Elements()) UninstateObjectIf(this, handle);
  values_.Clear();
}

void CDataField_WeakPointer::SetUnresolved(const char* url, size_t index) {
  if (std::strcmp(url, kErrorUrl) == 0) {
    if (index < pendingUrls_.size()) pendingUrls_[index].reset();
    values_.SetValue(0, index);
    LogError("Problem when loading URL. Cannot resolve for weak pointer. \"%s\"",
             NameForMessages());
    return;
  }
  if (pendingUrls_.size() <= index) pendingUrls_.resize(index + 1);
  pendingUrls_[index] = url;
  values_.SetValue(0, index);
}

bool CDataField_WeakPointer::Resolve() {
  for (size_t index = 0; index < pendingUrls_.size(); ++index) {
    if (!pendingUrls_[index]) continue;
    if (GetParentHandle() == 0) {
      LogException(kResolveInvalidSite, "Could not resolve Weak Pointer, Parent object is INVALID");
      return false;
    }
    const CDataStruct* parent = Database::Resolve<CDataStruct>(GetParentHandle());
    if (!parent) {
      LogException(kResolveNullSite, "Could not resolve Weak Pointer, Parent object is NULL");
      return false;
    }
    const CDataRecord* record = parent->GetRecord();
    values_.SetValue(record ? ResolveURL(*record, *pendingUrls_[index]) : 0, index);
  }
  // Most weak pointers are resolved once, right after reading: their room goes back.
  pendingUrls_ = decltype(pendingUrls_)();
  return true;
}

std::string CDataField_Reference::GetAsText(int32_t index) {
  const CDataRecord* record = Database::Resolve<CDataRecord>(ReadRecordHandle(index));
  return record ? record->GetHash().str() : std::string();
}

void CDataField_Reference::SetPendingHash(size_t index, std::string hash) {
  values_.SetValue(0, index);
  if (pendingHashes_.empty()) RecordStore().NotePendingReferences();
  if (pendingHashes_.empty() || pendingHashes_.back().first < index) {
    pendingHashes_.emplace_back(index, std::move(hash));
    return;
  }
  const auto at = PendingFrom(index);
  if (at != pendingHashes_.end() && at->first == index) {
    at->second = std::move(hash);
  } else {
    pendingHashes_.emplace(at, index, std::move(hash));
  }
}

std::vector<CDataField_Reference::PendingHash>::iterator CDataField_Reference::PendingFrom(
    uint64_t index) {
  return std::lower_bound(pendingHashes_.begin(), pendingHashes_.end(), index,
                          [](const PendingHash& entry, uint64_t at) { return entry.first < at; });
}

std::vector<CDataField_Reference::PendingHash>::iterator CDataField_Reference::FindPending(
    uint64_t index) {
  const auto at = PendingFrom(index);
  return at != pendingHashes_.end() && at->first == index ? at : pendingHashes_.end();
}

THandle CDataField_Reference::RecordOfHash(const std::string& hash) {
  return hash.empty() ? 0 : RecordStore().FindRecordByHash(hash);
}

void CDataField_Reference::ResolveEntry(uint64_t index) {
  const auto pending = FindPending(index);
  if (pending == pendingHashes_.end()) return;
  values_.SetValue(RecordOfHash(pending->second), static_cast<size_t>(index));
  pendingHashes_.erase(pending);
}

void CDataField_Reference::ResolvePending() {
  for (const auto& [index, hash] : pendingHashes_) {
    values_.SetValue(RecordOfHash(hash), static_cast<size_t>(index));
  }
  pendingHashes_ = decltype(pendingHashes_)();
}

void CDataField_Reference::DropPending(uint64_t index) {
  const auto pending = FindPending(index);
  if (pending != pendingHashes_.end()) pendingHashes_.erase(pending);
}

void CDataField_Reference::ElementInserted(size_t position) {
  for (auto at = PendingFrom(position); at != pendingHashes_.end(); ++at) ++at->first;
}

void CDataField_Reference::ElementErased(size_t position) {
  DropPending(position);
  for (auto at = PendingFrom(position); at != pendingHashes_.end(); ++at) --at->first;
}

void CDataField_Reference::ElementsSwapped(size_t first, size_t second) {
  const auto a = FindPending(first);
  const auto b = FindPending(second);
  if (a == pendingHashes_.end() && b == pendingHashes_.end()) return;
  if (a != pendingHashes_.end()) a->first = second;
  if (b != pendingHashes_.end()) b->first = first;
  std::sort(pendingHashes_.begin(), pendingHashes_.end(),
            [](const PendingHash& x, const PendingHash& y) { return x.first < y.first; });
}

ObjectPtr<CDataField> CreateField(const CSchemaField& schema, bool outOfService,
                                  ObjectArena* arena) {
  if (schema.GetFieldType() == FieldType::Struct) {
    return schema.IsWeakPointer() ? Create<CDataField_WeakPointer>(schema, outOfService, arena)
                                  : Create<CDataField_Struct>(schema, outOfService, arena);
  }
  if (schema.GetFieldType() == FieldType::Reference) {
    return Create<CDataField_Reference>(schema, outOfService, arena);
  }
  return WithScalarFieldClass(
      schema.GetFieldType(),
      [&]<class Field>(std::type_identity<Field>) {
        return Create<Field>(schema, outOfService, arena);
      },
      // A type code outside the declared range cannot come from a schema file; keep the slot
      // usable.
      [&] { return Create<CDataField_Int32>(schema, outOfService, arena); });
}

bool ValidateWeakPointerTarget(const CDataField* field, THandle handle) {
  if (!field || handle == 0) return true;
  const CSchemaField* schema = field->GetSchema();
  if (!schema) {
    LogException(kValidateNoSchemaSite,
                 "Error: ValidateWeakPointerTarget could not register field callbacks to target "
                 "structure because could not locate schema. Speak to an engineer.");
    return false;
  }
  if (!schema->IsWeakPointer()) return true;
  const CDataStruct* target = Resolve<CDataStruct>(handle);
  if (!target) return true;
  const auto* declared = Resolve<Schema::CSchemaStruct>(schema->GetCustomType());
  if (!declared) return true;
  const THandle actualHandle =
      target->GetPolymorphicType() != 0 ? target->GetPolymorphicType() : target->GetSchemaHandle();
  const auto* actual = Resolve<Schema::CSchemaStruct>(actualHandle);
  if (actualHandle == declared->GetHandle() ||
      (actual && actual->DoesInheritFrom(declared->GetHandle()))) {
    return true;
  }
  LogException(kValidateTypeSite,
               "ValidateWeakPointerTarget failed. Weak pointer type is \"%s\". Cannot assign to "
               "structure of type \"%s\". ",
               declared->GetName().c_str(), actual ? actual->GetName().c_str() : "");
  return false;
}

void UninstateObjectIf(const CDataField* field, THandle handle) {
  if (!field || handle == 0) return;
  const CSchemaField* schema = field->GetSchema();
  if (!schema) {
    LogException(kUninstateSite,
                 "Error: UninstateObjectIf could not uninstate field as schema was null. Speak to "
                 "an engineer.");
    return;
  }
  if (!schema->IsWeakPointer()) ObjectRegistry::Instance().UninstateObject(handle);
}

void ReinstateObjectIf(const CDataField& field, THandle handle) {
  const CSchemaField* schema = field.GetSchema();
  if (!schema) {
    LogException(kReinstateSite, "Could not reinstate object. Field \"%s\"",
                 field.NameForMessages());
    return;
  }
  if (!schema->IsWeakPointer()) ObjectRegistry::Instance().ReinstateObject(handle);
}

}  // namespace Database
