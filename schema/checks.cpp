#include "schema/checks.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/log.h"

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
constexpr const char* kTooManyAncestors =
    "Schema: Structure %s inherits from more than %d ancestors. Shorten its inheritance chain.";
constexpr const char* kNestsTooDeep =
    "Schema: Structure %s nests structures by value more than %d levels deep through field %s. "
    "Make the field an owning pointer (@) or a dynamic array.";
constexpr const char* kTooManyElements =
    "Schema: Structure %s would hold more than %llu elements by default through field %s. Make "
    "the field a dynamic array.";

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

// Depth-first search over "is built with" edges: a structure met again while it is still being
// visited closes a loop, and a path longer than kMaxStructureNesting nests too deep. The search
// never goes deeper than that, whatever the schema.
class ContainmentSearch {
 public:
  // Checks the structure as the top of a default value; false, logged, when it holds itself or
  // nests too deep.
  bool Check(const CSchemaStruct& structure) {
    size_t height = 0;
    return Visit(structure, 0, &height) == Result::Sound;
  }

 private:
  enum class Result { Sound, Failed, TooDeep };
  enum class State { New, Visiting, Done };
  struct Entry {
    State state = State::New;
    size_t height = 0;  // by-value nesting levels from the structure down, itself included
  };

  // A path that is too deep is logged by the top structure with the field the path leaves it by,
  // so that the message names where the nesting starts.
  Result Visit(const CSchemaStruct& structure, size_t depth, size_t* height) {
    Entry& entry = entries_[&structure];
    if (entry.state == State::Done) {
      *height = entry.height;
      return depth + entry.height > kMaxStructureNesting ? Result::TooDeep : Result::Sound;
    }
    entry.state = State::Visiting;
    size_t tallest = 0;
    Result result = Result::Sound;
    ForEachSchemaField(structure, [&](const CSchemaField& field) {
      const CSchemaStruct* child = result == Result::Sound ? BuiltWith(field) : nullptr;
      if (!child) return;
      if (entries_[child].state == State::Visiting) {
        LogError(kContainsItself, child->GetName().c_str(), field.GetName().c_str());
        result = Result::Failed;
        return;
      }
      size_t below = 0;
      result =
          depth + 1 >= kMaxStructureNesting ? Result::TooDeep : Visit(*child, depth + 1, &below);
      if (result == Result::TooDeep && depth == 0) {
        LogError(kNestsTooDeep, structure.GetName().c_str(), static_cast<int>(kMaxStructureNesting),
                 field.GetName().c_str());
        result = Result::Failed;
      }
      tallest = std::max(tallest, below);
    });
    if (result != Result::Sound) {
      // Left unfinished: a later search from another structure starts over.
      entry.state = State::New;
      return result;
    }
    entry = Entry{State::Done, tallest + 1};
    *height = entry.height;
    return Result::Sound;
  }

  std::unordered_map<const CSchemaStruct*, Entry> entries_;
};

// The number of elements in each structure's default value, worked out once per structure.
class DefaultSizes {
 public:
  // The count for the structure; false, logged, when it exceeds kMaxDefaultElements.
  bool Count(const CSchemaStruct& structure, uint64_t* count) {
    if (const auto known = counts_.find(&structure); known != counts_.end()) {
      *count = known->second;
      return true;
    }
    // A structure met again before its count is known would hold itself, which the containment
    // check refuses first; should one slip through, it counts as too large.
    counts_[&structure] = kMaxDefaultElements + 1;
    uint64_t total = 0;
    bool fits = true;
    ForEachSchemaField(structure, [&](const CSchemaField& field) {
      if (!fits) return;
      uint64_t each = 1;
      if (const CSchemaStruct* held = BuiltWith(field)) {
        uint64_t inner = 0;
        if (!Count(*held, &inner)) {
          fits = false;
          return;
        }
        each += inner;
      }
      const uint64_t length = field.GetStorageType() == StorageType::Single ? 1
                              : field.GetStorageType() == StorageType::FixedArray
                                  ? field.GetFixedArraySize()
                                  : 0;
      if (length != 0 &&
          (each > kMaxDefaultElements || length > (kMaxDefaultElements - total) / each)) {
        LogError(kTooManyElements, structure.GetName().c_str(),
                 static_cast<unsigned long long>(kMaxDefaultElements), field.GetName().c_str());
        fits = false;
        return;
      }
      total += length * each;
    });
    if (!fits) return false;
    counts_[&structure] = total;
    *count = total;
    return true;
  }

 private:
  std::unordered_map<const CSchemaStruct*, uint64_t> counts_;
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
    if (structure && !search.Check(*structure)) return false;
  }
  return true;
}

bool CheckInheritanceDepth() {
  for (const THandle handle : SchemaRegistry::Instance().SchemaStructs()) {
    const CSchemaStruct* structure = Resolve<CSchemaStruct>(handle);
    int ancestors = 0;
    for (const CSchemaStruct* level = structure ? structure->GetParent() : nullptr;
         level && ancestors <= kMaxInheritanceDepth; level = level->GetParent()) {
      ++ancestors;
    }
    if (ancestors > kMaxInheritanceDepth) {
      LogError(kTooManyAncestors, structure->GetName().c_str(), kMaxInheritanceDepth);
      return false;
    }
  }
  return true;
}

bool CheckDefaultValueSizes() {
  DefaultSizes sizes;
  uint64_t count = 0;
  for (const THandle handle : SchemaRegistry::Instance().SchemaStructs()) {
    const CSchemaStruct* structure = Resolve<CSchemaStruct>(handle);
    if (structure && !sizes.Count(*structure, &count)) return false;
  }
  return true;
}

void MarkRepeatedFieldNames() {
  std::unordered_set<std::string_view> names;
  for (const THandle handle : SchemaRegistry::Instance().SchemaStructs()) {
    CSchemaStruct* structure = Resolve<CSchemaStruct>(handle);
    if (!structure) continue;
    names.clear();
    bool repeats = false;
    ForEachSchemaField(*structure, [&](const CSchemaField& field) {
      repeats = !names.insert(field.GetName()).second || repeats;
    });
    structure->SetFieldNamesMayRepeat(repeats);
  }
}

}  // namespace Schema
