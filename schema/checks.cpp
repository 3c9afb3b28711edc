#include "schema/checks.h"

#include <unordered_set>

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

}  // namespace Schema
