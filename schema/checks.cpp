#include "schema/checks.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "frame/log.h"

namespace Schema {

using Database::LogError;
using Database::Resolve;

namespace {
constexpr const char* kEnumAndStructure =
    "There is an enum and a structure with the same name - %s";
constexpr const char* kCustomTypeNotFound = "Schema: File %s, Line %d Custom Type not found. %s";
constexpr const char* kDuplicateFieldName =
    "Schema: Duplicate field name found within the inheritance tree. Structure: \"%s\" Field is: "
    "\"%s\" ";
constexpr const char* kContainsItself =
    "Schema: Structure %s contains itself by value through field %s. Make the field an owning "
    "pointer (@) or a dynamic array.";

// The structure types that building a default value of this field builds too: by-value fields
// (single or fixed arrays) of structure type. Owning and weak pointers start empty, dynamic arrays
// start with no elements.
const CSchemaStruct* BuiltWith(const CSchemaField& field) {
  const bool byValue = field.GetFieldType() == FieldType::Struct &&
                       field.GetFieldOption() != FieldOption::OptionPointer &&
                       field.GetFieldOption() != FieldOption::OptionWeakPointer;
  const bool built =
      field.GetStorageType() == StorageType::Single ||
      (field.GetStorageType() == StorageType::FixedArray && field.GetFixedArraySize() > 0);
  return byValue && built ? Resolve<CSchemaStruct>(field.GetCustomType()) : nullptr;
}

// Depth-first search over "is built with" edges; a structure met again while it is still being
// visited closes a loop.
class ContainmentSearch {
 public:
  bool Visit(const CSchemaStruct& structure) {
    State& state = states_[&structure];
    if (state == State::Done) return true;
    state = State::Visiting;
    size_t depth = 0;
    for (const CSchemaStruct* level = &structure; level && depth++ <= states_.size() + 256;
         level = level->GetParent()) {
      for (size_t i = 0; i < level->GetOwnFieldCount(); ++i) {
        const CSchemaField& field = *level->GetOwnField(i);
        const CSchemaStruct* child = BuiltWith(field);
        if (!child) continue;
        if (states_[child] == State::Visiting) {
          LogError(kContainsItself, child->GetName().c_str(), field.GetName().c_str());
          return false;
        }
        if (!Visit(*child)) return false;
      }
    }
    states_[&structure] = State::Done;
    return true;
  }

 private:
  enum class State { New, Visiting, Done };
  std::unordered_map<const CSchemaStruct*, State> states_;
};
}  // namespace

bool ResolveFieldType(const SourceLine& where, std::string_view typeName, FieldType* fieldType,
                      THandle* customType) {
  const SchemaRegistry& registry = SchemaRegistry::Instance();
  const THandle enumeration = registry.FindEnumByName(typeName);
  const THandle structure = registry.FindStructByName(typeName);
  const std::string name(typeName);
  if (enumeration != 0 && structure != 0) {
    LogError(kEnumAndStructure, name.c_str());
    return false;
  }
  // A keyword wins over a declaration of the same name.
  if (registry.LookupTypeKeyword(typeName, fieldType)) return true;
  if (structure != 0) {
    *customType = structure;
    *fieldType =
        registry.FindRecordByName(typeName) != 0 ? FieldType::Reference : FieldType::Struct;
    return true;
  }
  if (enumeration != 0) {
    *customType = enumeration;
    *fieldType = FieldType::Enum;
    return true;
  }
  LogError(kCustomTypeNotFound, where.path.c_str(), where.line, name.c_str());
  return false;
}

bool WouldFormInheritanceCycle(const CSchemaStruct& child, THandle parent) {
  if (parent == child.GetHandle()) return true;
  const CSchemaStruct* parentStruct = Resolve<CSchemaStruct>(parent);
  return parentStruct && parentStruct->DoesInheritFrom(child.GetHandle());
}

bool CheckDuplicateFieldNames() {
  std::unordered_set<std::string_view> names;
  for (const THandle handle : SchemaRegistry::Instance().SchemaStructs()) {
    const CSchemaStruct* structure = Resolve<CSchemaStruct>(handle);
    if (!structure) continue;
    names.clear();
    for (size_t i = 0; i < structure->GetOwnFieldCount(); ++i) {
      const std::string& name = structure->GetOwnField(i)->GetName();
      if (!names.insert(name).second) {
        LogError(kDuplicateFieldName, structure->GetName().c_str(), name.c_str());
        return false;
      }
    }
  }
  return true;
}

bool CheckStructuresDoNotContainThemselves() {
  ContainmentSearch search;
  for (const THandle handle : SchemaRegistry::Instance().SchemaStructs()) {
    const CSchemaStruct* structure = Resolve<CSchemaStruct>(handle);
    if (structure && !search.Visit(*structure)) return false;
  }
  return true;
}

}  // namespace Schema
