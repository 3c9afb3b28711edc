// schema: the loaded schema in the shape of the schema language. Descriptions appear as "//"
// lines above what they describe; the other key-values of a field follow it in brackets.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {
namespace {

std::vector<uint64_t> DerivedTypes(uint64_t schemaStruct) {
  std::vector<uint64_t> derived;
  const uint64_t count = DB_SchemaStruct_StructsThatInheritFromMeCount(schemaStruct);
  for (uint64_t i = 0; i < count; ++i) {
    derived.push_back(
        DB_SchemaStruct_StructsThatInheritFromMeByIndex(schemaStruct, static_cast<int32_t>(i)));
  }
  return derived;
}

std::vector<uint64_t> RecordTypes() {
  std::vector<uint64_t> records;
  const uint64_t count = DB_SchemaRecord_GetCount();
  for (uint64_t i = 0; i < count; ++i) {
    records.push_back(DB_SchemaRecord_GetByIndex(static_cast<int32_t>(i)));
  }
  return records;
}

// The structures and enumerations reachable from the record types, in discovery order. The
// interface lists record types only; the other types are found through fields, parents and
// derived types.
class Catalog {
 public:
  explicit Catalog(const std::vector<uint64_t>& recordTypes) : records_(recordTypes) {
    for (const uint64_t record : recordTypes) Visit(record);
  }

  bool IsRecord(uint64_t schemaStruct) const {
    return std::count(records_.begin(), records_.end(), schemaStruct) > 0;
  }
  const std::vector<uint64_t>& Structures() const { return structures_; }
  const std::vector<uint64_t>& Enumerations() const { return enumerations_; }

 private:
  void Visit(uint64_t schemaStruct) {
    if (!schemaStruct || std::count(structures_.begin(), structures_.end(), schemaStruct)) return;
    structures_.push_back(schemaStruct);
    Visit(DB_SchemaStruct_GetInheritsFrom(schemaStruct));
    for (const uint64_t schemaField : SchemaFields(schemaStruct, false)) {
      const char* typeName = DB_SchemaField_GetEnumName(schemaField);
      if (DB_SchemaField_GetFieldType(schemaField) == TESSELLA_FIELD_ENUM) {
        const uint64_t enumeration = DB_SchemaEnum(typeName);
        if (enumeration && !std::count(enumerations_.begin(), enumerations_.end(), enumeration)) {
          enumerations_.push_back(enumeration);
        }
      } else if (typeName) {
        Visit(DB_SchemaStruct(typeName));
      }
    }
    for (const uint64_t derived : DerivedTypes(schemaStruct)) Visit(derived);
  }

  std::vector<uint64_t> records_;
  std::vector<uint64_t> structures_;
  std::vector<uint64_t> enumerations_;
};

std::string KeyValueText(const std::string& value) {
  const bool plain = !value.empty() && value.find_first_of(" \t;[]{}@*&,:\"") == std::string::npos;
  return plain ? value : "\"" + value + "\"";
}

void PrintDescription(const char* indent, const char* description) {
  if (description) std::printf("%s// %s\n", indent, description);
}

// With an owner, the line ends with the structure the field is inherited from.
void PrintField(uint64_t schemaField, uint64_t owner = 0) {
  PrintDescription("  ", DB_SchemaField_GetDescription(schemaField));
  std::string line =
      "  " + Text(DB_SchemaField_GetName(schemaField)) + ": " + Declaration(schemaField);
  if (const std::optional<Range> range = DeclaredRange(schemaField)) {
    line += ", range " + NumberText(range->min) + " to " + NumberText(range->max) + " step " +
            NumberText(range->step);
  }
  const uint64_t count = DB_SchemaField_GetKeyValuesCount(schemaField);
  std::vector<const char*> keys(count), values(count);
  DB_SchemaField_GetKeyValues(schemaField, keys.data(), values.data());
  std::string pairs;
  for (uint64_t i = 0; i < count; ++i) {
    if (std::string(keys[i]) == "desc") continue;
    pairs += (pairs.empty() ? "" : ", ") + std::string(keys[i]) + ": " + KeyValueText(values[i]);
  }
  if (!pairs.empty()) line += "  [" + pairs + "]";
  if (owner) line += "  (from " + Text(DB_SchemaStruct_GetName(owner)) + ")";
  std::printf("%s\n", line.c_str());
}

// Alone, a structure lists its inherited fields too, the root ancestor's first.
void PrintStructure(const Catalog& catalog, uint64_t schemaStruct, bool alone = false) {
  PrintDescription("", DB_SchemaStruct_GetKeyValue(schemaStruct, "desc"));
  std::string head = (catalog.IsRecord(schemaStruct) ? "record " : "struct ") +
                     Text(DB_SchemaStruct_GetName(schemaStruct));
  if (const uint64_t parent = DB_SchemaStruct_GetInheritsFrom(schemaStruct)) {
    head += " : " + Text(DB_SchemaStruct_GetName(parent));
  }
  std::printf("%s  (%s)\n", head.c_str(), DB_SchemaStruct_GetOwnerFile(schemaStruct));
  std::string derived;
  for (const uint64_t each : DerivedTypes(schemaStruct)) {
    derived += (derived.empty() ? "" : ", ") + Text(DB_SchemaStruct_GetName(each));
  }
  if (!derived.empty()) std::printf("  derived: %s\n", derived.c_str());
  if (alone) {
    std::vector<uint64_t> ancestors;
    for (uint64_t parent = DB_SchemaStruct_GetInheritsFrom(schemaStruct);
         parent && !std::count(ancestors.begin(), ancestors.end(), parent);
         parent = DB_SchemaStruct_GetInheritsFrom(parent)) {
      ancestors.insert(ancestors.begin(), parent);
    }
    for (const uint64_t ancestor : ancestors) {
      for (const uint64_t schemaField : SchemaFields(ancestor, false)) {
        PrintField(schemaField, ancestor);
      }
    }
  }
  for (const uint64_t schemaField : SchemaFields(schemaStruct, false)) PrintField(schemaField);
}

void PrintEnumeration(uint64_t enumeration) {
  PrintDescription("", DB_SchemaEnum_GetKeyValue(enumeration, "desc"));
  std::printf("enum %s\n", DB_SchemaEnum_GetName(enumeration));
  const uint64_t count = DB_SchemaEnum_GetEnumerableCount(enumeration);
  for (uint64_t i = 0; i < count; ++i) {
    const char* enumerable = nullptr;
    DB_SchemaEnum_GetEnumerableByIndex(enumeration, static_cast<int32_t>(i), &enumerable);
    if (!enumerable) continue;
    PrintDescription("  ", DB_SchemaEnum_GetEnumerableKeyValue(enumeration, enumerable, "desc"));
    std::printf("  %s\n", enumerable);
  }
}

// Enumerations first, then plain structures, then record types in declaration order.
void PrintWholeSchema() {
  const std::vector<uint64_t> recordTypes = RecordTypes();
  const Catalog catalog(recordTypes);
  std::vector<uint64_t> structures;
  for (const uint64_t schemaStruct : catalog.Structures()) {
    if (!catalog.IsRecord(schemaStruct)) structures.push_back(schemaStruct);
  }
  structures.insert(structures.end(), recordTypes.begin(), recordTypes.end());
  const char* separator = "";
  for (const uint64_t enumeration : catalog.Enumerations()) {
    std::printf("%s", separator);
    PrintEnumeration(enumeration);
    separator = "\n";
  }
  for (const uint64_t schemaStruct : structures) {
    std::printf("%s", separator);
    PrintStructure(catalog, schemaStruct);
    separator = "\n";
  }
}

}  // namespace

int RunSchema(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  if (context.arguments.empty()) {
    PrintWholeSchema();
    return kExitSuccess;
  }
  const std::string& name = context.arguments[0];
  if (const uint64_t schemaStruct = DB_SchemaStruct(name.c_str())) {
    PrintStructure(Catalog(RecordTypes()), schemaStruct, true);
  } else if (const uint64_t enumeration = DB_SchemaEnum(name.c_str())) {
    PrintEnumeration(enumeration);
  } else {
    return Failure("no structure, record or enumeration named " + name);
  }
  return kExitSuccess;
}

}  // namespace TessellaCli
