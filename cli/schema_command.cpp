// schema: the loaded schema in the shape of the schema language. Descriptions appear as "//"
// lines above what they describe; the other key-values of a structure, field, enumeration or
// enumerable follow it in brackets.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "data_directory.h"
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

// The line cut into tokens as the schema parser cuts it: blanks separate, the ten punctuation
// characters stand alone, and a double-quoted stretch stays inside its token.
std::vector<std::string> Tokens(std::string_view line) {
  std::vector<std::string> tokens;
  std::string token;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    const bool blank = c == ' ' || c == '\t' || c == '\r';
    const bool punctuation = std::string_view(";[]{}@*&,:").find(c) != std::string_view::npos;
    if (quoted || c == '"' || (!blank && !punctuation)) {
      token += c;
      continue;
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    token.clear();
    if (punctuation) tokens.emplace_back(1, c);
  }
  if (!token.empty()) tokens.push_back(std::move(token));
  return tokens;
}

// Adds the keys of the line's key-value block: the "[key: value, ...]" after the first token that
// begins with "//", read up to where the parser's reading of it stops.
void AddBlockKeys(std::string_view line, std::set<std::string>& keys) {
  const std::vector<std::string> tokens = Tokens(line);
  auto at = std::find_if(tokens.begin(), tokens.end(),
                         [](const std::string& token) { return token.rfind("//", 0) == 0; });
  if (at == tokens.end()) return;
  at = std::find(at, tokens.end(), "[");
  while (at != tokens.end() && std::distance(at, tokens.end()) >= 4 && at[2] == ":") {
    keys.insert(at[1]);
    at += 4;
    if (at == tokens.end() || *at != ",") return;
  }
}

// The key-value interface of enumerations, enumerables and structures answers for a named key
// only, so the keys to ask for are read from the key-value blocks of the schema files; the values
// shown are the library's.
std::set<std::string> WrittenKeys(const std::filesystem::path& dataDir) {
  std::set<std::string> keys;
  for (const std::string& file : FindDatabaseFiles(dataDir).schemaFiles) {
    const std::string text = ReadWholeFile(dataDir / PathFromUtf8(file)).value_or("");
    // The loader reads a file up to its first zero byte.
    std::istringstream lines(text.substr(0, text.find('\0')));
    for (std::string line; std::getline(lines, line);) AddBlockKeys(line, keys);
  }
  return keys;
}

// "  [key: value, ...]" for the keys other than desc that lookup answers, in key order; "" when
// it answers none.
std::string Brackets(const std::set<std::string>& keys,
                     const std::function<const char*(const char*)>& lookup) {
  std::string pairs;
  for (const std::string& key : keys) {
    const char* value = key == "desc" ? nullptr : lookup(key.c_str());
    if (value) pairs += (pairs.empty() ? "" : ", ") + key + ": " + KeyValueText(value);
  }
  return pairs.empty() ? "" : "  [" + pairs + "]";
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
void PrintStructure(const Catalog& catalog, const std::set<std::string>& keys,
                    uint64_t schemaStruct, bool alone = false) {
  PrintDescription("", DB_SchemaStruct_GetKeyValue(schemaStruct, "desc"));
  std::string head = (catalog.IsRecord(schemaStruct) ? "record " : "struct ") +
                     Text(DB_SchemaStruct_GetName(schemaStruct));
  if (const uint64_t parent = DB_SchemaStruct_GetInheritsFrom(schemaStruct)) {
    head += " : " + Text(DB_SchemaStruct_GetName(parent));
  }
  const std::string pairs = Brackets(keys, [schemaStruct](const char* key) {
    return DB_SchemaStruct_GetKeyValue(schemaStruct, key);
  });
  std::printf("%s  (%s)%s\n", head.c_str(), DB_SchemaStruct_GetOwnerFile(schemaStruct),
              pairs.c_str());
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

void PrintEnumeration(const std::set<std::string>& keys, uint64_t enumeration) {
  PrintDescription("", DB_SchemaEnum_GetKeyValue(enumeration, "desc"));
  const std::string pairs = Brackets(
      keys, [enumeration](const char* key) { return DB_SchemaEnum_GetKeyValue(enumeration, key); });
  std::printf("enum %s%s\n", DB_SchemaEnum_GetName(enumeration), pairs.c_str());
  const uint64_t count = DB_SchemaEnum_GetEnumerableCount(enumeration);
  for (uint64_t i = 0; i < count; ++i) {
    const char* enumerable = nullptr;
    DB_SchemaEnum_GetEnumerableByIndex(enumeration, static_cast<int32_t>(i), &enumerable);
    if (!enumerable) continue;
    PrintDescription("  ", DB_SchemaEnum_GetEnumerableKeyValue(enumeration, enumerable, "desc"));
    const std::string enumerablePairs = Brackets(keys, [enumeration, enumerable](const char* key) {
      return DB_SchemaEnum_GetEnumerableKeyValue(enumeration, enumerable, key);
    });
    std::printf("  %s%s\n", enumerable, enumerablePairs.c_str());
  }
}

// Enumerations first, then plain structures, then record types in declaration order.
void PrintWholeSchema(const std::set<std::string>& keys) {
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
    PrintEnumeration(keys, enumeration);
    separator = "\n";
  }
  for (const uint64_t schemaStruct : structures) {
    std::printf("%s", separator);
    PrintStructure(catalog, keys, schemaStruct);
    separator = "\n";
  }
}

}  // namespace

int RunSchema(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::set<std::string> keys = WrittenKeys(context.dataDir);
  if (context.arguments.empty()) {
    PrintWholeSchema(keys);
    return kExitSuccess;
  }
  const std::string& name = context.arguments[0];
  if (const uint64_t schemaStruct = DB_SchemaStruct(name.c_str())) {
    PrintStructure(Catalog(RecordTypes()), keys, schemaStruct, true);
  } else if (const uint64_t enumeration = DB_SchemaEnum(name.c_str())) {
    PrintEnumeration(keys, enumeration);
  } else {
    return Failure("no structure, record or enumeration named " + name);
  }
  return kExitSuccess;
}

}  // namespace TessellaCli
