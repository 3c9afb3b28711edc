// Records and structures as JSON, read through the field exports one element at a time.
#include <tinyxml2.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data_directory.h"
#include "json.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {
namespace {

// JSON readers keep integers exactly up to 2^53 only.
constexpr uint64_t kExactIntegerLimit = uint64_t{1} << 53;

struct FieldInfo {
  std::string name;
  std::string key;  // the quoted name and its colon
  uint32_t type = 0;
  uint32_t option = 0;
  bool array = false;
};

// A step from a structure to one it holds: the field, and the element for an array.
struct Step {
  std::string name;
  int index = -1;  // -1 for a single-value field
};

template <typename T>
void AppendNumber(std::string& out, T value) {
  char text[64];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

template <typename T>
void AppendInteger(std::string& out, T value) {
  bool exact = true;
  if constexpr (std::is_signed_v<T>) {
    exact = value >= 0 ? static_cast<uint64_t>(value) <= kExactIntegerLimit
                       : static_cast<uint64_t>(-(value + 1)) < kExactIntegerLimit;
  } else {
    exact = value <= kExactIntegerLimit;
  }
  if (!exact) out += '"';
  AppendNumber(out, value);
  if (!exact) out += '"';
}

template <typename T>
void AppendFloat(std::string& out, T value) {
  if (std::isfinite(value)) {
    AppendNumber(out, value);
  } else {
    out += "null";
  }
}

// The steps of a URL such as "OnHit[1].Inner".
std::vector<Step> StepsOf(std::string_view url) {
  std::vector<Step> steps;
  while (!url.empty()) {
    const std::size_t dot = url.find('.');
    const std::string_view part = url.substr(0, dot);
    const std::size_t bracket = part.find('[');
    Step step{std::string(part.substr(0, bracket))};
    if (bracket != std::string_view::npos) {
      step.index = std::atoi(std::string(part.substr(bracket + 1)).c_str());
    }
    steps.push_back(std::move(step));
    url = dot == std::string_view::npos ? std::string_view() : url.substr(dot + 1);
  }
  return steps;
}

const tinyxml2::XMLElement* NthChild(const tinyxml2::XMLElement* parent, int index) {
  const tinyxml2::XMLElement* child = parent ? parent->FirstChildElement() : nullptr;
  for (; child && index > 0; --index) child = child->NextSiblingElement();
  return child;
}

}  // namespace

struct JsonWriter::State {
  std::filesystem::path dataDir;
  std::unordered_map<uint64_t, std::vector<FieldInfo>> fields;  // by schema structure
  uint64_t record = 0;
  std::vector<Step> path;  // from the record to the structure being written
  uint64_t documentRecord = 0;
  tinyxml2::XMLDocument document;

  const std::vector<FieldInfo>& FieldsOf(uint64_t schemaStruct) {
    auto found = fields.find(schemaStruct);
    if (found != fields.end()) return found->second;
    std::vector<FieldInfo> infos;
    for (const uint64_t schemaField : SchemaFields(schemaStruct, true)) {
      FieldInfo info;
      info.name = Text(DB_SchemaField_GetName(schemaField));
      info.key = Quoted(info.name) + ':';
      info.type = DB_SchemaField_GetFieldType(schemaField);
      info.option = DB_SchemaField_GetFieldOption(schemaField);
      info.array = IsArray(schemaField);
      infos.push_back(std::move(info));
    }
    return fields.emplace(schemaStruct, std::move(infos)).first->second;
  }

  // The hash text the record's file holds for element index of the reference field, or "".
  std::string StoredHash(const FieldInfo& info, int index) {
    if (documentRecord != record) {
      documentRecord = record;
      const std::optional<std::string> text =
          ReadWholeFile(dataDir / PathFromUtf8(Text(DB_DataRecord_Filename(record))));
      if (!text || document.Parse(text->data(), text->size()) != tinyxml2::XML_SUCCESS) {
        document.Clear();
      }
    }
    const tinyxml2::XMLElement* element = document.RootElement();
    for (const Step& step : path) {
      element = element ? element->FirstChildElement(step.name.c_str()) : nullptr;
      if (step.index >= 0) element = NthChild(element, step.index);
    }
    if (!element) return "";
    if (!info.array) return Text(element->Attribute(info.name.c_str()));
    const tinyxml2::XMLElement* entry =
        NthChild(element->FirstChildElement(info.name.c_str()), index);
    return entry ? Text(entry->Attribute("Value")) : "";
  }

  void Structure(uint64_t structure, std::string& out) {
    const uint64_t polymorphic = DB_DataStruct_GetPolymorphicType(structure);
    const uint64_t type =
        polymorphic ? polymorphic : DB_SchemaStruct(DB_DataStruct_Name(structure));
    out += '{';
    bool first = true;
    if (polymorphic) {
      out += "\"__type\":";
      AppendJsonString(out, Text(DB_SchemaStruct_GetName(polymorphic)));
      first = false;
    }
    for (const FieldInfo& info : FieldsOf(type)) {
      if (!first) out += ',';
      first = false;
      out += info.key;
      const uint64_t field = DB_DataStruct_FieldByName(structure, info.name.c_str());
      const uint64_t count = DB_DataField_GetArrayElementCount(field);
      if (!info.array) {
        if (count) {
          Element(info, field, 0, out);
        } else {
          out += "null";
        }
        continue;
      }
      out += '[';
      for (uint64_t i = 0; i < count; ++i) {
        if (i) out += ',';
        Element(info, field, static_cast<int32_t>(i), out);
      }
      out += ']';
    }
    out += '}';
  }

  void Element(const FieldInfo& info, uint64_t field, int32_t index, std::string& out) {
    switch (info.type) {
      case TESSELLA_FIELD_BOOL:
        out += DB_DataField_GetValueAsBool(field, index) ? "true" : "false";
        break;
      case TESSELLA_FIELD_INT8:
        AppendNumber(out, int{DB_DataField_GetValueAsInt8(field, index)});
        break;
      case TESSELLA_FIELD_INT16:
        AppendNumber(out, int{DB_DataField_GetValueAsInt16(field, index)});
        break;
      case TESSELLA_FIELD_INT32:
      case TESSELLA_FIELD_LOCID:
        AppendNumber(out, DB_DataField_GetValueAsInt32(field, index));
        break;
      case TESSELLA_FIELD_INT64:
        AppendInteger(out, DB_DataField_GetValueAsInt64(field, index));
        break;
      case TESSELLA_FIELD_UINT8:
        AppendNumber(out, unsigned{DB_DataField_GetValueAsUInt8(field, index)});
        break;
      case TESSELLA_FIELD_UINT16:
        AppendNumber(out, unsigned{DB_DataField_GetValueAsUInt16(field, index)});
        break;
      case TESSELLA_FIELD_UINT32:
        AppendNumber(out, DB_DataField_GetValueAsUInt32(field, index));
        break;
      case TESSELLA_FIELD_UINT64:
        AppendInteger(out, DB_DataField_GetValueAsUInt64(field, index));
        break;
      case TESSELLA_FIELD_FLOAT:
        AppendFloat(out, DB_DataField_GetValueAsFloat(field, index));
        break;
      case TESSELLA_FIELD_DOUBLE:
        AppendFloat(out, DB_DataField_GetValueAsDouble(field, index));
        break;
      case TESSELLA_FIELD_STRING:
      case TESSELLA_FIELD_ENUM:
        AppendJsonString(out, Text(DB_DataField_GetValueAsString(field, index)));
        break;
      case TESSELLA_FIELD_REFERENCE:
        Reference(info, field, index, out);
        break;
      case TESSELLA_FIELD_STRUCT:
        if (info.option == TESSELLA_OPTION_WEAK_POINTER) {
          const uint64_t target = DB_DataField_GetValueAsWeakPointer(field, index);
          if (target) {
            AppendJsonString(out, Text(DB_DataStruct_URL(target)));
          } else {
            out += "null";
          }
        } else if (const uint64_t child = DB_DataField_GetValueAsPointer(field, index)) {
          path.push_back({info.name, info.array ? index : -1});
          Structure(child, out);
          path.pop_back();
        } else {
          out += "null";
        }
        break;
      default:
        out += "null";
    }
  }

  void Reference(const FieldInfo& info, uint64_t field, int32_t index, std::string& out) {
    const uint64_t target = DB_DataField_GetValueAsRecord(field, index);
    const std::string hash = target ? Text(DB_DataRecord_Hash(target))
                             : info.option == TESSELLA_OPTION_AMPERSAND ? StoredHash(info, index)
                                                                        : "";
    if (hash.empty()) {
      out += "null";
      return;
    }
    out += "{\"hash\":";
    AppendJsonString(out, hash);
    out += ",\"name\":";
    if (target) {
      AppendJsonString(out, Text(DB_DataRecord_Name(target)));
    } else {
      out += "null";
    }
    out += '}';
  }
};

JsonWriter::JsonWriter(std::filesystem::path dataDir) : state_(std::make_unique<State>()) {
  state_->dataDir = std::move(dataDir);
}

JsonWriter::~JsonWriter() = default;

void JsonWriter::AppendRecord(uint64_t record, std::string& out) {
  state_->record = record;
  state_->path.clear();
  out += "{\"name\":";
  AppendJsonString(out, Text(DB_DataRecord_Name(record)));
  out += ",\"type\":";
  AppendJsonString(out, Text(DB_DataRecord_SchemaName(record)));
  out += ",\"hash\":";
  AppendJsonString(out, Text(DB_DataRecord_Hash(record)));
  out += ",\"file\":";
  AppendJsonString(out, Text(DB_DataRecord_Filename(record)));
  out += ",\"fields\":";
  state_->Structure(record, out);
  out += '}';
}

void JsonWriter::AppendStructure(uint64_t structure, std::string& out) {
  state_->record = DB_DataStruct_GetRecord(structure);
  state_->path = StepsOf(Text(DB_DataStruct_URL(structure)));
  state_->Structure(structure, out);
}

}  // namespace TessellaCli
