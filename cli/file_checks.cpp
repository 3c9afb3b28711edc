// Findings read from the record files: links that lead nowhere and data no schema field reads.
#include <tinyxml2.h>

#include <cctype>
#include <string>
#include <string_view>

#include "data_directory.h"
#include "findings.h"
#include "scalar_texts.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Attributes the record format itself uses; "__hash" belongs to the root element only.
bool IsFormatAttribute(std::string_view name, bool root) {
  return name == "__type" || name == "__polymorphicType" || name == "__userdata" ||
         (root && name == "__hash");
}

bool IsUnstoredReference(uint64_t schemaField) {
  return DB_SchemaField_GetFieldType(schemaField) == TESSELLA_FIELD_REFERENCE &&
         !IsStoredReference(schemaField);
}

// The reader takes single scalars, weak pointers and references from attributes, and arrays
// and structures from child elements; a reference without "&" from neither.
bool ReadFromAttribute(uint64_t schemaField) {
  return !IsArray(schemaField) && !HoldsStructures(schemaField) &&
         !IsUnstoredReference(schemaField);
}

bool ReadFromElement(uint64_t schemaField) {
  return (IsArray(schemaField) || HoldsStructures(schemaField)) &&
         !IsUnstoredReference(schemaField);
}

// The most elements the library keeps in a dynamic array read from a file.
constexpr int kDynamicArrayMaxCount = 1000;

class FileWalk {
 public:
  FileWalk(uint64_t record, std::vector<Finding>& findings)
      : record_(record),
        recordName_(Text(DB_DataRecord_Name(record))),
        file_(Text(DB_DataRecord_Filename(record))),
        findings_(findings) {}

  const std::string& File() const { return file_; }

  // Checks a structure element whose field declares declaredType; structure is what the library
  // read it into (0 when it read none).
  void Structure(const tinyxml2::XMLElement& element, uint64_t declaredType,
                 const std::string& path, bool root, uint64_t structure) {
    const uint64_t type = ElementType(element, declaredType, path);
    const std::string prefix = path.empty() ? "" : path + ".";
    for (const tinyxml2::XMLAttribute* attribute = element.FirstAttribute(); attribute;
         attribute = attribute->Next()) {
      const std::string name = attribute->Name();
      if (IsFormatAttribute(name, root)) continue;
      const uint64_t schemaField = DB_SchemaStruct_GetFieldByName(type, name.c_str(), true, 0);
      if (schemaField && ReadFromAttribute(schemaField)) {
        const uint64_t field = DB_DataStruct_FieldByName(structure, name.c_str());
        Value(schemaField, attribute->Value(), prefix + name, field, 0);
      } else {
        Add(kUnknownAttributeFinding, prefix + name, "", Unread("attribute", name, type));
      }
    }
    for (const tinyxml2::XMLElement* child = element.FirstChildElement(); child;
         child = child->NextSiblingElement()) {
      const std::string name = child->Name();
      const uint64_t schemaField = DB_SchemaStruct_GetFieldByName(type, name.c_str(), true, 0);
      if (!schemaField || !ReadFromElement(schemaField)) {
        Add(kUnknownElementFinding, prefix + name, "", Unread("element", name, type));
      } else if (IsArray(schemaField)) {
        Entries(*child, schemaField, prefix + name,
                DB_DataStruct_FieldByName(structure, name.c_str()));
      } else {
        const uint64_t field = DB_DataStruct_FieldByName(structure, name.c_str());
        Structure(*child, FieldType(schemaField), prefix + name, false,
                  DB_DataField_GetValueAsPointer(field, 0));
      }
    }
  }

 private:
  static uint64_t FieldType(uint64_t schemaField) {
    return DB_SchemaStruct(DB_SchemaField_GetStructName(schemaField));
  }

  // The type whose fields the element's attributes and children name.
  uint64_t ElementType(const tinyxml2::XMLElement& element, uint64_t declaredType,
                       const std::string& path) {
    const char* polymorphic = element.Attribute("__polymorphicType");
    if (!polymorphic || !*polymorphic) return declaredType;
    if (const uint64_t type = DB_SchemaStruct(polymorphic)) return type;
    Add(kUnknownAttributeFinding, path.empty() ? "__polymorphicType" : path + ".__polymorphicType",
        "", "__polymorphicType names no schema structure: " + std::string(polymorphic));
    return declaredType;
  }

  void Entries(const tinyxml2::XMLElement& array, uint64_t schemaField, const std::string& path,
               uint64_t field) {
    int index = 0;
    for (const tinyxml2::XMLElement* entry = array.FirstChildElement(); entry;
         entry = entry->NextSiblingElement(), ++index) {
      const std::string entryPath = path + "[" + std::to_string(index) + "]";
      if (!HoldsStructures(schemaField)) {
        Value(schemaField, entry->Attribute("Value"), entryPath, field, index);
      } else if (!EqualsNoCase(entry->Name(), "null")) {
        Structure(*entry, FieldType(schemaField), entryPath, false,
                  DB_DataField_GetValueAsPointer(field, index));
      }
    }
    if (DB_SchemaField_GetFieldStorageType(schemaField) == TESSELLA_STORAGE_DYNAMIC_ARRAY &&
        index > kDynamicArrayMaxCount) {
      Add(kRewriteFinding, path, "",
          "the file holds " + std::to_string(index) + " entries; the array keeps the first " +
              std::to_string(kDynamicArrayMaxCount) + ", so the next save drops the rest");
    }
  }

  // Checks a reference's hash, a weak pointer's URL, or that a scalar reads as what its text says.
  void Value(uint64_t schemaField, const char* text, const std::string& path, uint64_t field,
             int index) {
    if (IsStoredReference(schemaField)) {
      if (text && *text && !DB_GetRecordByHash(text)) {
        Add(kReferenceFinding, path, "", "no loaded record has the hash " + std::string(text));
      }
    } else if (IsWeakPointer(schemaField)) {
      if (text && *text) WeakPointer(text, path);
    } else if (static_cast<uint64_t>(index) < DB_DataField_GetArrayElementCount(field)) {
      // An entry past what the array kept has been reported (or logged by the library) already.
      const bool entry = IsArray(schemaField);
      const std::string written = Text(text);
      if (const auto change = ScalarChange(DB_SchemaField_GetFieldType(schemaField), entry, written,
                                           field, index)) {
        Add(kRewriteFinding, path, "", *change);
      }
    }
  }

  void WeakPointer(const std::string& url, const std::string& path) {
    const uint64_t target = DB_DataRecord_ResolveURL(record_, url.c_str());
    if (!target) {
      Add(kWeakPointerFinding, path, url,
          "the URL " + url + " names no structure of " + recordName_);
      return;
    }
    // The library passes over the parts of a URL it cannot follow and points at where it stopped.
    const std::string resolved = Text(DB_DataStruct_URL(target));
    if (resolved == url) return;
    Add(kWeakPointerFinding, path, url,
        "the URL " + url + " resolves to " +
            (resolved.empty() ? recordName_ + " itself" : resolved) +
            ", so the next save writes \"" + resolved + "\"");
  }

  static std::string Unread(const char* what, const std::string& name, uint64_t type) {
    const std::string typeName = Text(DB_SchemaStruct_GetName(type));
    const uint64_t schemaField = DB_SchemaStruct_GetFieldByName(type, name.c_str(), true, 0);
    if (!schemaField) return std::string(what) + " " + name + " names no field of " + typeName;
    if (IsUnstoredReference(schemaField)) {
      return "field " + name + " of " + typeName + " is a reference without '&', which record " +
             "files do not store";
    }
    return "field " + name + " of " + typeName + " is not read from an " + what;
  }

  void Add(const char* kind, const std::string& path, const std::string& url, std::string message) {
    findings_.push_back({kind, recordName_, file_, 0, path, url, std::move(message)});
  }

  uint64_t record_;
  std::string recordName_;
  std::string file_;
  std::vector<Finding>& findings_;
};

}  // namespace

void CheckRecordFile(uint64_t record, const std::filesystem::path& dataDir,
                     std::vector<Finding>& findings) {
  FileWalk walk(record, findings);
  tinyxml2::XMLDocument document;
  const std::optional<std::string> text = ReadWholeFile(dataDir / PathFromUtf8(walk.File()));
  // A file that does not parse never became a record; the library has reported it.
  if (!text || document.Parse(text->data(), text->size()) != tinyxml2::XML_SUCCESS ||
      !document.RootElement()) {
    return;
  }
  const uint64_t type = DB_SchemaStruct(DB_DataRecord_SchemaName(record));
  walk.Structure(*document.RootElement(), type, "", true, record);
}

}  // namespace TessellaCli
