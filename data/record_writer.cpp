// Writing the record file form. Attributes come first in the order "__userdata", "__type",
// "__polymorphicType", then one per single-value scalar, weak pointer and stored reference; child
// elements follow the field table: one per single-value owned structure and one per array.
// Single values print with the field's own text form; array entries use the XML library's %d,
// %.8g and %.17g conversions, so unsigned entries of 32 bits and less are written as signed.
//
// The text is appended straight into the caller's string, in the layout the XML library's
// printer gives a document: every element on a line of its own, indented four spaces per depth,
// an element without children closed by "/>", a line feed after the root. Names and values end at
// their first NUL byte. Attribute values escape " & ' < > as entities and keep every other byte.
// An attribute set twice in one element keeps its first place and takes the last value.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "data/data_record.h"
#include "data/data_struct.h"
#include "data/field_text.h"
#include "data/record_store.h"
#include "data/url.h"

namespace Database {

namespace {

using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldOption;
using Schema::FieldType;
using Schema::StorageType;

constexpr char kValue[] = "Value";

// Entry element names of the scalar types, by FieldType code 1..14.
constexpr const char* kEntryNames[] = {"Bool",  "Int8",   "Int16",  "Int32",  "Int64",
                                       "UInt8", "UInt16", "UInt32", "UInt64", "String",
                                       "Float", "Double", "LocId",  "Enum"};

// The text up to its first NUL byte.
std::string_view CText(const std::string& text) { return text.c_str(); }

// The bytes that end a run of text written as it is: NUL and the five that take an entity.
constexpr uint64_t kRunEnds = uint64_t{1} | uint64_t{1} << '"' | uint64_t{1} << '&' |
                              uint64_t{1} << '\'' | uint64_t{1} << '<' | uint64_t{1} << '>';

bool EndsRun(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 64 && (kRunEnds >> byte & 1) != 0;
}

// Appends text up to its first NUL byte with the five entities escaped.
void AppendEscaped(const char* text, std::string& out) {
  for (;; ++text) {
    const char* run = text;
    while (!EndsRun(*text)) ++text;
    out.append(run, text);
    switch (*text) {
      case '"':
        out += "&quot;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        return;
    }
  }
}

// Writes elements into out, which it empties first. An element's attributes are set between
// Open and the first child's Open (or Close); Formatted takes text that needs no escaping.
class CElementPrinter {
 public:
  explicit CElementPrinter(std::string& out) : out_(out) { out_.clear(); }

  void Open(std::string_view name) {
    SealOpened();
    if (depth_ > 0) NewLine(depth_);
    out_ += '<';
    out_ += name;
    opened_ = true;
    ++depth_;
  }
  void Close(std::string_view name) {
    --depth_;
    if (opened_) {
      out_ += "/>";
    } else {
      NewLine(depth_);
      out_ += "</";
      out_ += name;
      out_ += '>';
    }
    if (depth_ == 0) out_ += '\n';
    opened_ = false;
  }
  void Text(std::string_view name, const char* value) {
    BeginAttribute(name);
    AppendEscaped(value, out_);
    out_ += '"';
  }
  // append(out) appends the value.
  template <class Append>
  void Formatted(std::string_view name, Append append) {
    BeginAttribute(name);
    append(out_);
    out_ += '"';
  }
  // Truncating to an earlier size taken while the element is open takes back its attributes
  // set since.
  size_t Size() const { return out_.size(); }
  void Truncate(size_t size) { out_.resize(size); }

 private:
  void SealOpened() {
    if (opened_) out_ += '>';
    opened_ = false;
  }
  void NewLine(int depth) {
    out_ += '\n';
    for (int level = 0; level < depth; ++level) out_ += "    ";
  }
  void BeginAttribute(std::string_view name) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
  }

  std::string& out_;
  int depth_ = 0;
  bool opened_ = false;
};

// The attributes of an element whose names may repeat, collected before they are printed.
class CAttributeList {
 public:
  void Text(std::string_view name, const char* value) { Slot(name).assign(value); }
  template <class Append>
  void Formatted(std::string_view name, Append append) {
    std::string& slot = Slot(name);
    slot.clear();
    append(slot);
  }
  void PrintTo(CElementPrinter& printer) const {
    for (const auto& [name, value] : entries_) printer.Text(name, value.c_str());
  }

 private:
  std::string& Slot(std::string_view name) {
    for (auto& [existing, value] : entries_) {
      if (existing == name) return value;
    }
    return entries_.emplace_back(name, std::string()).second;
  }

  std::vector<std::pair<std::string_view, std::string>> entries_;
};

bool IsAmpersandReference(const CSchemaField& schema) {
  return schema.GetFieldType() == FieldType::Reference &&
         schema.GetFieldOption() == FieldOption::OptionAmpersand;
}

// The structure in service that a weak pointer element targets, or null.
const CDataStruct* LiveTarget(const CDataField& field, int32_t index) {
  return Resolve<CDataStruct>(field.ReadStructHandle(index));
}

// A reference element's text as the reference field's GetAsText gives it, without the copy.
const char* RecordHash(CDataField& field, int32_t index) {
  const CDataRecord* record = Resolve<CDataRecord>(field.ReadRecordHandle(index));
  return record ? record->GetHash().c_str() : "";
}

// Element 0 in the text GetAsText gives for the field class that CreateField builds for the
// schema type, without building a string of its own; a field storing another kind is asked.
template <ElementKind K, class Codec, class Attributes>
void SetStored(std::type_identity<CDataFieldScalar<K, Codec>>, std::string_view name,
               CDataField& field, Attributes& attributes) {
  const CDataFieldOf<K>* stored = FieldAs<K>(&field);
  if (!stored) {
    attributes.Text(name, field.GetAsText(0).c_str());
  } else if constexpr (K == ElementKind::Text) {
    attributes.Text(name, stored->Values().Get(0).c_str());
  } else {
    attributes.Formatted(name,
                         [&](std::string& out) { Codec::Format(stored->Values().Get(0), out); });
  }
}

template <class Attributes>
void SetSingleValue(std::string_view name, CDataField& field, FieldType type,
                    Attributes& attributes) {
  if (type == FieldType::Reference) {
    attributes.Text(name, RecordHash(field, 0));
    return;
  }
  WithScalarFieldClass(
      type,
      [&]<class Field>(std::type_identity<Field> fieldClass) {
        SetStored(fieldClass, name, field, attributes);
      },
      [&] { attributes.Text(name, field.GetAsText(0).c_str()); });
}

// Calls visit(name, field, schema) for each field of the table, in table order, that filter (when
// not null) names and whose schema field is still there, until visit returns false; returns
// whether every call returned true.
template <class Visit>
bool ForEachWrittenField(const CDataStruct& structure, const char* filter, Visit visit) {
  for (size_t index = 0; index < structure.GetFieldCount(); ++index) {
    const CSchemaField* schema = structure.GetFieldSchema(index);
    if (!schema || (filter && schema->GetName() != filter)) continue;
    if (!visit(schema->GetName(), structure.GetField(index), *schema)) return false;
  }
  return true;
}

// Sets the structure's attributes. Setting them straight on the printer stops, returning false,
// at the first field whose attribute may repeat a name set before it: only a name that begins
// with "__", as the structure's own attributes do, or holds a NUL byte can, since the table's
// names are unique.
template <class Attributes>
bool SetAttributes(const CDataStruct& structure, const char* filter, bool emptyWeakPointers,
                   Attributes& attributes) {
  if (const std::string* userData = structure.GetUserData()) {
    attributes.Text("__userdata", userData->c_str());
  }
  if (const CSchemaStruct* type = structure.GetSchemaStruct()) {
    attributes.Text("__type", type->GetName().c_str());
  }
  if (const CSchemaStruct* polymorphic = Resolve<CSchemaStruct>(structure.GetPolymorphicType())) {
    attributes.Text("__polymorphicType", polymorphic->GetName().c_str());
  }
  return ForEachWrittenField(
      structure, filter,
      [&](const std::string& name, CDataField& field, const CSchemaField& schema) {
        if (schema.GetStorageType() != StorageType::Single || field.GetCount() == 0) return true;
        const std::string_view attribute = CText(name);
        if constexpr (std::is_same_v<Attributes, CElementPrinter>) {
          if (attribute.size() != name.size() || attribute.starts_with("__")) return false;
        }
        if (schema.IsWeakPointer()) {
          if (const CDataStruct* target = LiveTarget(field, 0)) {
            attributes.Text(attribute, BuildURL(*target).c_str());
          } else if (emptyWeakPointers) {
            attributes.Text(attribute, "");
          }
        } else if (schema.GetFieldType() != FieldType::Struct &&
                   (schema.GetFieldType() != FieldType::Reference ||
                    IsAmpersandReference(schema))) {
          SetSingleValue(attribute, field, schema.GetFieldType(), attributes);
        }
        return true;
      });
}

// Sets the structure's attributes on the element just opened.
void PrintAttributes(const CDataStruct& structure, const char* filter, bool emptyWeakPointers,
                     CElementPrinter& printer) {
  const size_t start = printer.Size();
  if (SetAttributes(structure, filter, emptyWeakPointers, printer)) return;
  printer.Truncate(start);
  CAttributeList attributes;
  SetAttributes(structure, filter, emptyWeakPointers, attributes);
  attributes.PrintTo(printer);
}

void PrintChildren(const CDataStruct& structure, const char* filter, CElementPrinter& printer);

void PrintElement(const CDataStruct& structure, std::string_view elementName, const char* filter,
                  bool emptyWeakPointers, CElementPrinter& printer) {
  printer.Open(elementName);
  PrintAttributes(structure, filter, emptyWeakPointers, printer);
  PrintChildren(structure, filter, printer);
  printer.Close(elementName);
}

// The "Value" attribute of one entry of a scalar array, in the array form's conversion.
void PrintScalarEntry(CDataField& field, FieldType type, int32_t index, CElementPrinter& printer) {
  switch (type) {
    case FieldType::Bool:
    case FieldType::Int8:
    case FieldType::UInt8:
      printer.Formatted(kValue, [&](std::string& out) {
        AppendDecimal(static_cast<int>(static_cast<int8_t>(field.ReadStored<uint8_t>(index))), out);
      });
      break;
    case FieldType::Int16:
    case FieldType::UInt16:
      printer.Formatted(kValue, [&](std::string& out) {
        AppendDecimal(static_cast<int>(static_cast<int16_t>(field.ReadStored<uint16_t>(index))),
                      out);
      });
      break;
    case FieldType::Int32:
    case FieldType::UInt32:
    case FieldType::LocId:
      printer.Formatted(
          kValue, [&](std::string& out) { AppendDecimal(field.ReadStored<int32_t>(index), out); });
      break;
    case FieldType::Float:
      printer.Formatted(kValue, [&](std::string& out) {
        AppendGeneral(static_cast<double>(field.ReadStored<float>(index)), 8, out);
      });
      break;
    case FieldType::Double:
      printer.Formatted(kValue, [&](std::string& out) {
        AppendGeneral(field.ReadStored<double>(index), 17, out);
      });
      break;
    case FieldType::String:
    case FieldType::Enum:
      printer.Text(kValue, field.ReadText(index));
      break;
    case FieldType::Reference:
      printer.Text(kValue, RecordHash(field, index));
      break;
    default:
      printer.Text(kValue, field.GetAsText(index).c_str());
      break;
  }
}

void PrintArray(std::string_view name, CDataField& field, const CSchemaField& schema,
                CElementPrinter& printer) {
  const FieldType type = schema.GetFieldType();
  if (type == FieldType::Reference && !IsAmpersandReference(schema)) return;
  printer.Open(name);
  const auto count = static_cast<int32_t>(field.GetCount());
  for (int32_t index = 0; index < count; ++index) {
    if (schema.IsWeakPointer()) {
      const CDataStruct* target = LiveTarget(field, index);
      printer.Open("WeakPointer");
      printer.Text(kValue, target ? BuildURL(*target).c_str() : "");
      printer.Close("WeakPointer");
    } else if (type == FieldType::Struct) {
      if (const CDataStruct* child = Resolve<CDataStruct>(field.ReadStructHandle(index))) {
        PrintElement(*child, CText(child->GetTypeName()), nullptr, false, printer);
      } else if (schema.GetFieldOption() == FieldOption::OptionPointer) {
        printer.Open("null");
        printer.Close("null");
      }
    } else {
      const std::string_view entry =
          type == FieldType::Reference ? "Record" : kEntryNames[static_cast<uint32_t>(type) - 1];
      printer.Open(entry);
      PrintScalarEntry(field, type, index, printer);
      printer.Close(entry);
    }
  }
  printer.Close(name);
}

void PrintChildren(const CDataStruct& structure, const char* filter, CElementPrinter& printer) {
  ForEachWrittenField(
      structure, filter,
      [&](const std::string& name, CDataField& field, const CSchemaField& schema) {
        if (schema.GetStorageType() != StorageType::Single) {
          PrintArray(CText(name), field, schema, printer);
        } else if (field.GetCount() != 0 && !schema.IsWeakPointer() &&
                   schema.GetFieldType() == FieldType::Struct) {
          if (const CDataStruct* child = Resolve<CDataStruct>(field.ReadStructHandle(0))) {
            PrintElement(*child, CText(name), nullptr, false, printer);
          }
        }
        return true;
      });
}

}  // namespace

const std::string& CDataStruct::Serialize(const char* filter, bool emptyWeakPointers) {
  std::string& text = RecordStore().ExportBuffer();
  SerializeInto(text, filter, emptyWeakPointers);
  return text;
}

std::string XmlElementName(std::string_view name) {
  // The rules the XML reader applies: a name starts with a letter, '_', ':' or any byte of a
  // multi-byte character, and goes on with those, digits, '.' and '-'.
  const auto startsName = [](unsigned char c) {
    return c >= 0x80 || std::isalpha(c) != 0 || c == '_' || c == ':';
  };
  const auto continuesName = [&](unsigned char c) {
    return startsName(c) || std::isdigit(c) != 0 || c == '.' || c == '-';
  };
  std::string element;
  element.reserve(name.size() + 1);
  if (name.empty() || !startsName(static_cast<unsigned char>(name.front()))) element += '_';
  for (const char c : name) element += continuesName(static_cast<unsigned char>(c)) ? c : '_';
  return element;
}

std::string_view CDataStruct::ElementName() const {
  const char* name = GetName();
  return name ? std::string_view(name) : std::string_view(GetTypeName());
}

void CDataStruct::SerializeInto(std::string& out, const char* filter, bool emptyWeakPointers) {
  CElementPrinter printer(out);
  PrintElement(*this, XmlElementName(ElementName()), filter, emptyWeakPointers, printer);
}

void CDataRecord::WriteFileText(std::string& out) {
  CElementPrinter printer(out);
  const std::string element = XmlElementName(GetRecordName());
  printer.Open(element);
  const size_t start = printer.Size();
  if (SetAttributes(*this, nullptr, false, printer)) {
    printer.Text("__hash", GetHash().c_str());
  } else {
    printer.Truncate(start);
    CAttributeList attributes;
    SetAttributes(*this, nullptr, false, attributes);
    attributes.Text("__hash", GetHash().c_str());
    // Gives "__type" back to the type where a field of that name took it.
    if (const CSchemaStruct* type = GetSchemaStruct()) {
      attributes.Text("__type", type->GetName().c_str());
    }
    attributes.PrintTo(printer);
  }
  PrintChildren(*this, nullptr, printer);
  printer.Close(element);
}

}  // namespace Database
