#include "data/data_struct.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "base/log.h"
#include "data/data_record.h"
#include "data/url.h"

namespace Database {

namespace {

using Schema::CSchemaEnum;
using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldOption;
using Schema::FieldType;
using Schema::StorageType;

constexpr LogSite kSetParentSite{"DataStruct", 1031, "Database::CDataStruct::SetParentStruct"};
constexpr LogSite kResolveWeakSite{"DataStruct", 1140,
                                   "Database::CDataStruct::ResolveWeakPointers"};

const std::string kEmptyText;

// The structure handles a field holds, or null for a field of another kind.
const ElementArray<TDataStructHandle>* HeldHandles(const CDataField& field) {
  const auto* structs = FieldAs<ElementKind::StructHandle>(&field);
  return structs ? &structs->Values().Elements() : nullptr;
}

bool BoolDefault(const std::string* text) {
  std::string lower = text ? *text : "0";
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("true") != std::string::npos || lower.find('1') != std::string::npos;
}

}  // namespace

// Calls visit(entry, handle) for every element of every field that owns structures, in table
// and element order, zero handles included.
template <class Visit>
void CDataStruct::ForEachOwnedHandle(Visit visit) const {
  for (const FieldEntry& entry : fields_) {
    if (!entry.field->OwnsHeldStructures()) continue;
    if (const auto* handles = HeldHandles(*entry.field)) {
      for (const TDataStructHandle handle : *handles) visit(entry, handle);
    }
  }
}

CDataStruct::CDataStruct(ObjectKind kind) : CDataObject(kind) {}

const std::string& CDataStruct::FieldEntry::Name() const {
  const CSchemaField* schema = SchemaField();
  return schema ? schema->GetName() : kEmptyText;
}

bool CDataStruct::HoldsOrIs(THandle target) const {
  std::vector<const CDataStruct*> pending{this};
  std::unordered_set<THandle> seen{GetHandle()};
  while (!pending.empty()) {
    const CDataStruct* next = pending.back();
    pending.pop_back();
    if (next->GetHandle() == target) return true;
    next->ForEachOwnedHandle([&](const FieldEntry&, THandle handle) {
      const CDataStruct* child = handle != 0 ? ResolveAnyState<CDataStruct>(handle) : nullptr;
      if (child && seen.insert(handle).second) pending.push_back(child);
    });
  }
  return false;
}

CDataStruct::~CDataStruct() = default;

ObjectPtr<CDataStruct> CDataStruct::Create(bool outOfService, ObjectArena* arena) {
  return ObjectPtr<CDataStruct>(
      ObjectRegistry::Instance().RegisterObject(MakeObject<CDataStruct>(arena), outOfService));
}

void CDataStruct::Initialize() {
  schemaHandle_ = 0;
  parentHandle_ = 0;
  polymorphicType_ = 0;
  SetClassFlag(false);
  extras_.reset();
}

void CDataStruct::ReleaseChildren() {
  // A held structure is owned only when it names this structure as its parent: a handle that an
  // edit stored in a second place is destroyed by its own parent. Destroying a child leaves this
  // structure's fields as they are, and nothing here allocates: this runs when memory is short.
  ObjectRegistry& registry = ObjectRegistry::Instance();
  ForEachOwnedHandle([&](const FieldEntry&, THandle handle) {
    const CDataStruct* child = ResolveAnyState<CDataStruct>(handle);
    if (child && !child->IsRecord() && child->parentHandle_ == GetHandle()) {
      registry.DestroyObject(handle);
    }
  });
  extras_.reset();
  fields_.Clear();
}

void CDataStruct::BeginUninstate() {
  CDataRecord* record = GetRecord();
  if (record && record != this) record->RemovePointableStructure(GetHandle());
  ObjectRegistry& registry = ObjectRegistry::Instance();
  ForEachOwnedHandle([&](const FieldEntry&, THandle handle) {
    if (handle != 0) registry.UninstateObject(handle);
  });
  // The fields go with their structure, so that a host holding a field handle of a removed
  // structure cannot reach it.
  for (const FieldEntry& entry : fields_) registry.UninstateObject(*entry.field);
}

void CDataStruct::EndInstate() {
  ObjectRegistry& registry = ObjectRegistry::Instance();
  for (const FieldEntry& entry : fields_) registry.ReinstateObject(*entry.field);
  CDataRecord* record = GetRecord();
  if (record && record != this) record->AddPointableStructure(GetHandle());
  ForEachOwnedHandle([&](const FieldEntry&, THandle handle) {
    if (handle != 0) registry.ReinstateObject(handle);
  });
}

Schema::CSchemaStruct* CDataStruct::GetSchemaStruct() const {
  return Resolve<CSchemaStruct>(schemaHandle_);
}

const std::string& CDataStruct::GetTypeName() const {
  const CSchemaStruct* type = GetSchemaStruct();
  return type ? type->GetName() : kEmptyText;
}

const char* CDataStruct::GetName() const {
  const CDataStruct* parent = Resolve<CDataStruct>(parentHandle_);
  if (!parent) return nullptr;
  for (const FieldEntry& entry : parent->fields_) {
    const CSchemaField* schema = entry.SchemaField();
    if (!schema || !OwnsStructures(*schema)) continue;
    const auto* handles = HeldHandles(*entry.field);
    if (!handles || handles->empty()) continue;
    const bool holds =
        schema->GetStorageType() == StorageType::Single
            ? handles->front() == GetHandle()
            : std::find(handles->begin(), handles->end(), GetHandle()) != handles->end();
    if (holds) return entry.Name().c_str();
  }
  return nullptr;
}

THandle CDataStruct::GetRecordHandle() const {
  if (IsRecord()) return GetHandle();
  for (THandle link = parentHandle_;;) {
    const CDataStruct* ancestor = Resolve<CDataStruct>(link);
    if (!ancestor) return 0;
    if (ancestor->IsRecord()) return link;
    link = ancestor->parentHandle_;
  }
}

CDataRecord* CDataStruct::GetRecord() const { return Resolve<CDataRecord>(GetRecordHandle()); }

void CDataStruct::SetParentStruct(THandle handle) {
  if (!Resolve<CDataStruct>(handle)) {
    LogException(kSetParentSite, "Setting parent to a null handle.");
    return;
  }
  parentHandle_ = handle;
}

void CDataStruct::SetDirty(bool dirty) {
  SetClassFlag(dirty);
  if (CDataStruct* parent = Resolve<CDataStruct>(parentHandle_)) parent->SetDirty(dirty);
}

const std::string* CDataStruct::GetUserData() const {
  return extras_ && extras_->userData ? &*extras_->userData : nullptr;
}

void CDataStruct::SetUserData(const char* text) {
  std::optional<std::string>& userData = GetExtras().userData;
  if (!userData) userData.emplace();
  const std::string_view newText = text ? text : "";
  if (*userData == newText) return;
  userData->assign(newText);
  SetDirty(true);
  if (CDataRecord* record = GetRecord()) record->MarkUnsaved();
}

bool CDataStruct::SetPolymorphicType(THandle type) {
  const CSchemaStruct* declared = GetSchemaStruct();
  if (!declared) return false;
  if (type == schemaHandle_) {
    polymorphicType_ = 0;
  } else {
    const std::vector<THandle> derived = declared->StructsThatInheritFromMe();
    if (std::find(derived.begin(), derived.end(), type) == derived.end()) {
      const CSchemaStruct* refused = Resolve<CSchemaStruct>(type);
      LogError("Error setting Polymorphic type. Structure \"%s\" does not inherit from \"%s\".",
               refused ? refused->GetName().c_str() : "", declared->GetName().c_str());
      return false;
    }
    polymorphicType_ = type;
  }
  BuildDefaults(schemaHandle_, polymorphicType_);
  return true;
}

THandle CDataStruct::BuildDefaults(THandle declaredType, THandle polymorphicType) {
  const CSchemaStruct* type =
      Resolve<CSchemaStruct>(polymorphicType != 0 ? polymorphicType : declaredType);
  if (!type) return GetHandle();
  // A schema whose structures hold themselves by value is refused when it loads, but a host may
  // go on with a database that failed to load: building stops at a depth no sound schema reaches.
  if (NestedDeeperThan(Schema::kMaxStructureNesting)) {
    LogError("Structure %s nests deeper than %d levels; its fields were not built.",
             type->GetName().c_str(), static_cast<int>(Schema::kMaxStructureNesting));
    return GetHandle();
  }
  schemaHandle_ = declaredType;
  ReserveFields(*type);
  // Without fields yet, none of the type's can be found unless two of them share a name: the
  // search is spared.
  const bool fresh = fields_.empty() && !type->FieldNamesMayRepeat();
  size_t hint = 0;
  ForEachSchemaField(*type, [&](const CSchemaField& schema) {
    if (fresh || !FindFieldNear(schema.GetName(), hint)) {
      BuildDefaultElements(schema, AddField(schema));
    }
    ++hint;
  });
  return GetHandle();
}

bool CDataStruct::NestedDeeperThan(size_t levels) const {
  const CDataStruct* current = this;
  for (size_t depth = 0; current; ++depth) {
    if (depth > levels) return true;
    current = ResolveAnyState<CDataStruct>(current->parentHandle_);
  }
  return false;
}

void CDataStruct::BuildDefaultElements(const CSchemaField& schema, CDataField& field) {
  size_t count = 1;
  switch (schema.GetStorageType()) {
    case StorageType::Single:
      break;
    case StorageType::DynamicArray:
      field.SetLimit(ElementLimit::DefaultsDynamic);
      count = 0;
      break;
    case StorageType::FixedArray:
      field.SetLimit(ElementLimit::FixedLength);
      count = static_cast<size_t>(FixedLength(schema));
      break;
  }
  const std::string* defaultText = schema.GetKeyValue("default");
  for (size_t index = 0; index < count; ++index) {
    switch (schema.GetFieldType()) {
      case FieldType::Bool:
        FieldAs<ElementKind::Bits8>(&field)->Values().SetValue(BoolDefault(defaultText) ? 1 : 0,
                                                               index);
        break;
      case FieldType::String:
        field.SetFromText(defaultText ? defaultText->c_str() : "", static_cast<int32_t>(index));
        break;
      case FieldType::Enum: {
        const CSchemaEnum* enumeration = Resolve<CSchemaEnum>(schema.GetCustomType());
        std::string value;
        if (defaultText && enumeration && enumeration->HasEnumerable(*defaultText)) {
          value = *defaultText;
        } else {
          if (enumeration && !enumeration->Enumerables().empty()) {
            value = enumeration->Enumerables().front();
          }
          if (defaultText) {
            LogError(
                "Specified default value %s for Enum %s is not a valid enumerable. Defaulting to "
                "first.",
                defaultText->c_str(), schema.GetName().c_str());
          }
        }
        FieldAs<ElementKind::Text>(&field)->Values().SetValue(CompactText(value), index);
        break;
      }
      case FieldType::Struct: {
        auto& handles = FieldAs<ElementKind::StructHandle>(&field)->Values();
        if (schema.GetFieldOption() == FieldOption::OptionPointer || schema.IsWeakPointer()) {
          handles.SetValue(0, index);
        } else {
          ObjectPtr<CDataStruct> child = CreateChild();
          child->BuildDefaults(schema.GetCustomType(), 0);
          handles.SetValue(child.release()->GetHandle(), index);
        }
        break;
      }
      case FieldType::Reference:
        FieldAs<ElementKind::RecordHandle>(&field)->Values().SetValue(0, index);
        break;
      default:
        field.SetFromText(defaultText ? defaultText->c_str() : "0", static_cast<int32_t>(index));
        break;
    }
  }
}

CDataField* CDataStruct::FindField(std::string_view name) const {
  for (const FieldEntry& entry : fields_) {
    if (entry.Name() == name) return entry.field.get();
  }
  return nullptr;
}

THandle CDataStruct::FieldByName(std::string_view name) const {
  const CDataField* field = FindField(name);
  return field ? field->GetHandle() : 0;
}

const std::string* CDataStruct::NameOfField(const CDataField& field) const {
  for (const FieldEntry& entry : fields_) {
    if (entry.field.get() == &field) return &entry.Name();
  }
  return nullptr;
}

void CDataStruct::ReserveFields(const CSchemaStruct& type) {
  fields_.Reserve(ArenaOf(*this), static_cast<size_t>(type.GetFieldCount(true, 0)));
}

CDataField& CDataStruct::AddField(const CSchemaField& schema) {
  ObjectArena& arena = ArenaOf(*this);
  ObjectPtr<CDataField> field = CreateField(schema, !IsInstated(), &arena);
  field->SetParentHandle(GetHandle());
  fields_.PushBack(arena, {std::move(field)});
  return *fields_.back().field;
}

CDataField* CDataStruct::FindFieldFrom(std::string_view name, size_t* position) const {
  if (*position < fields_.size() && fields_[*position].Name() == name) {
    return fields_[*position].field.get();
  }
  for (size_t at = 0; at < fields_.size(); ++at) {
    if (fields_[at].Name() == name) {
      *position = at;
      return fields_[at].field.get();
    }
  }
  return nullptr;
}

CDataField* CDataStruct::FindFieldNear(std::string_view name, size_t hint) const {
  if (hint < fields_.size() && fields_[hint].Name() == name) return fields_[hint].field.get();
  return FindField(name);
}

CDataField& CDataStruct::FieldFor(const CSchemaField& schema, size_t hint, bool* created) {
  if (CDataField* field = FindFieldNear(schema.GetName(), hint)) return *field;
  if (created) *created = true;
  return AddField(schema);
}

ObjectPtr<CDataStruct> CDataStruct::NewChild(THandle type, bool outOfService) const {
  ObjectPtr<CDataStruct> child = CreateChild(outOfService);
  child->BuildDefaults(type, 0);
  return child;
}

ObjectPtr<CDataStruct> CDataStruct::CreateChild(bool outOfService) const {
  ObjectPtr<CDataStruct> child = Create(outOfService, &ArenaOf(*this));
  child->parentHandle_ = GetHandle();
  return child;
}

bool CDataStruct::DetachHeld(THandle handle) {
  CDataStruct* held = ResolveAnyState<CDataStruct>(handle);
  if (!held || held->IsRecord() || held->parentHandle_ != GetHandle()) return false;
  if (extras_ && extras_->detached.count(handle) != 0) return true;
  bool stillHeld = false;
  ForEachOwnedHandle([&](const FieldEntry&, THandle owned) { stillHeld |= owned == handle; });
  if (stillHeld) return false;
  if (held->IsInstated()) ObjectRegistry::Instance().UninstateObject(handle);
  GetExtras().detached.emplace(handle, ObjectPtr<CDataStruct>(held));
  return true;
}

ObjectPtr<CDataStruct> CDataStruct::TakeDetached(THandle handle) {
  if (!extras_) return nullptr;
  const auto kept = extras_->detached.find(handle);
  if (kept == extras_->detached.end()) return nullptr;
  ObjectPtr<CDataStruct> taken = std::move(kept->second);
  extras_->detached.erase(kept);
  return taken;
}

bool CDataStruct::ReattachHeld(THandle handle) {
  // The field that holds the handle owns the structure from here on.
  CDataStruct* held = TakeDetached(handle).release();
  if (!held) return false;
  if (IsInstated() && !held->IsInstated()) ObjectRegistry::Instance().ReinstateObject(handle);
  return true;
}

template <class Visit>
void CDataStruct::ForEachInTree(Visit visit) {
  std::vector<THandle> tree{GetHandle()};
  CollectOwnedStructures(tree);
  for (const THandle handle : tree) {
    if (CDataStruct* structure = ResolveAnyState<CDataStruct>(handle)) visit(*structure);
  }
}

std::unique_ptr<CDataStruct::TreeState> CDataStruct::SaveTree() {
  auto state = std::make_unique<TreeState>();
  ForEachInTree([&](CDataStruct& structure) {
    TreeState::Node& node = state->nodes.emplace_back();
    node.structure = structure.GetHandle();
    node.polymorphicType = structure.polymorphicType_;
    if (const std::string* userData = structure.GetUserData()) node.userData = *userData;
    for (const FieldEntry& entry : structure.fields_) {
      node.fields.emplace_back(entry.field->GetHandle(), entry.field->SaveElements());
    }
  });
  return state;
}

void CDataStruct::RestoreTree(const TreeState& state) {
  std::vector<THandle> current{GetHandle()};
  CollectOwnedStructures(current);
  for (const TreeState::Node& node : state.nodes) {
    CDataStruct* structure = ResolveAnyState<CDataStruct>(node.structure);
    if (!structure) continue;
    structure->polymorphicType_ = node.polymorphicType;
    if (node.userData || structure->GetUserData()) structure->GetExtras().userData = node.userData;
    for (const auto& [handle, elements] : node.fields) {
      if (CDataField* field = ResolveAnyState<CDataField>(handle))
        field->RestoreElements(*elements);
    }
  }
  std::unordered_set<THandle> saved;
  for (const TreeState::Node& node : state.nodes) saved.insert(node.structure);
  const auto parentOf = [](THandle handle) -> CDataStruct* {
    const CDataStruct* structure = ResolveAnyState<CDataStruct>(handle);
    return structure ? ResolveAnyState<CDataStruct>(structure->parentHandle_) : nullptr;
  };
  for (const THandle handle : current) {
    if (handle == GetHandle() || saved.count(handle) != 0) continue;
    if (CDataStruct* parent = parentOf(handle)) parent->DetachHeld(handle);
  }
  for (const TreeState::Node& node : state.nodes) {
    const CDataStruct* structure = ResolveAnyState<CDataStruct>(node.structure);
    if (!structure || structure->IsInstated() || node.structure == GetHandle()) continue;
    if (CDataStruct* parent = parentOf(node.structure)) parent->ReattachHeld(node.structure);
  }
}

void CDataStruct::ResolveReferences() {
  ForEachInTree([](CDataStruct& structure) { structure.ResolveOwnReferences(); });
}

void CDataStruct::ResolveOwnReferences() {
  for (const FieldEntry& entry : fields_) {
    if (entry.field->GetElementKind() == ElementKind::RecordHandle) {
      static_cast<CDataField_Reference&>(*entry.field).ResolvePending();
    }
  }
}

bool CDataStruct::PassDetached(THandle handle, CDataStruct& to) {
  if (&to == this) return extras_ && extras_->detached.count(handle) != 0;
  ObjectPtr<CDataStruct> moving = TakeDetached(handle);
  if (!moving) return false;
  moving->parentHandle_ = to.GetHandle();
  to.GetExtras().detached.emplace(handle, std::move(moving));
  return true;
}

void CDataStruct::DestroyDetached(THandle handle) { TakeDetached(handle); }

void CDataStruct::ReplaceHeld(CDataField& field, THandle handle) {
  auto& handles = FieldAs<ElementKind::StructHandle>(&field)->Values();
  const THandle previous = handles.GetCount() > 0 ? handles.Get(0) : 0;
  handles.SetValue(handle, 0);
  if (previous != 0 && previous != handle) DetachHeld(previous);
}

CDataStruct::Extras& CDataStruct::GetExtras() {
  if (!extras_) extras_ = std::make_unique<Extras>();
  return *extras_;
}

const std::string& CDataStruct::GetURL() {
  std::string& url = GetExtras().urlText;
  url = BuildURL(*this);
  return url;
}

void CDataStruct::CollectOwnedStructures(std::vector<THandle>& out) const {
  ForEachOwnedHandle([&](const FieldEntry&, THandle handle) {
    if (const CDataStruct* child = handle != 0 ? Resolve<CDataStruct>(handle) : nullptr) {
      out.push_back(handle);
      child->CollectOwnedStructures(out);
    }
  });
}

void CDataStruct::RegisterPointables(CDataRecord& record) {
  std::vector<THandle> owned;
  CollectOwnedStructures(owned);
  for (const THandle handle : owned) record.AddPointableStructure(handle);
}

void CDataStruct::ResolveWeakPointers() {
  for (const FieldEntry& entry : fields_) {
    const CSchemaField* schema = entry.SchemaField();
    if (!schema) continue;
    if (schema->IsWeakPointer()) {
      if (!static_cast<CDataField_WeakPointer&>(*entry.field).Resolve()) {
        const CDataRecord* record = GetRecord();
        LogException(kResolveWeakSite, "Could not resolve weak pointer for field %s in record %s",
                     entry.Name().c_str(), record ? record->GetFileName().c_str() : "");
      }
    } else if (schema->GetFieldType() == FieldType::Struct) {
      for (const TDataStructHandle handle : *HeldHandles(*entry.field)) {
        if (CDataStruct* child = handle != 0 ? Resolve<CDataStruct>(handle) : nullptr) {
          child->ResolveWeakPointers();
        }
      }
    }
  }
}

}  // namespace Database
