// Writing the record file form. Attributes come first in the order "__userdata", "__type",
// "__polymorphicType", then one per single-value scalar, weak pointer and stored reference; child
// elements follow the field table: one per single-value owned structure and one per array.
// Single values print with the field's own text form; array entries use the XML library's %d,
// %.8g and %.17g conversions, so unsigned entries of 32 bits and less are written as signed.
#include <tinyxml2.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/data_record.h"
#include "data/data_struct.h"
#include "data/record_store.h"
#include "data/url.h"

namespace Database {

namespace {

using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldOption;
using Schema::FieldType;
using Schema::StorageType;
using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

constexpr char kValue[] = "Value";

// Entry element names of the scalar types, by FieldType code 1..14.
constexpr const char* kEntryNames[] = {"Bool",  "Int8",   "Int16",  "Int32",  "Int64",
                                       "UInt8", "UInt16", "UInt32", "UInt64", "String",
                                       "Float", "Double", "LocId",  "Enum"};

bool IsAmpersandReference(const CSchemaField& schema) {
  return schema.GetFieldType() == FieldType::Reference &&
         schema.GetFieldOption() == FieldOption::OptionAmpersand;
}

// The structure in service that a weak pointer element targets, or null.
const CDataStruct* LiveTarget(const CDataField& field, int32_t index) {
  return Resolve<CDataStruct>(field.ReadStructHandle(index));
}

void WriteSingle(XMLElement& element, XMLDocument& document, const std::string& name,
                 CDataField& field, const CSchemaField& schema, bool emptyWeakPointers) {
  if (field.GetCount() == 0) return;
  if (schema.IsWeakPointer()) {
    if (const CDataStruct* target = LiveTarget(field, 0)) {
      element.SetAttribute(name.c_str(), BuildURL(*target).c_str());
    } else if (emptyWeakPointers) {
      element.SetAttribute(name.c_str(), "");
    }
  } else if (schema.GetFieldType() == FieldType::Struct) {
    if (CDataStruct* child = Resolve<CDataStruct>(field.ReadStructHandle(0))) {
      element.InsertEndChild(child->WriteElement(name.c_str(), document, nullptr, false));
    }
  } else if (schema.GetFieldType() != FieldType::Reference || IsAmpersandReference(schema)) {
    element.SetAttribute(name.c_str(), field.GetAsText(0).c_str());
  }
}

// One entry of a scalar array: the "Value" attribute in the array form's conversion.
void WriteScalarEntry(XMLElement& entry, CDataField& field, FieldType type, int32_t index) {
  switch (type) {
    case FieldType::Bool:
    case FieldType::Int8:
    case FieldType::UInt8:
      entry.SetAttribute(kValue,
                         static_cast<int>(static_cast<int8_t>(field.ReadStored<uint8_t>(index))));
      break;
    case FieldType::Int16:
    case FieldType::UInt16:
      entry.SetAttribute(kValue,
                         static_cast<int>(static_cast<int16_t>(field.ReadStored<uint16_t>(index))));
      break;
    case FieldType::Int32:
    case FieldType::UInt32:
    case FieldType::LocId:
      entry.SetAttribute(kValue, field.ReadStored<int32_t>(index));
      break;
    case FieldType::Float:
      entry.SetAttribute(kValue, field.ReadStored<float>(index));
      break;
    case FieldType::Double:
      entry.SetAttribute(kValue, field.ReadStored<double>(index));
      break;
    case FieldType::String:
    case FieldType::Enum:
      entry.SetAttribute(kValue, field.ReadText(index));
      break;
    default:
      entry.SetAttribute(kValue, field.GetAsText(index).c_str());
      break;
  }
}

void WriteArray(XMLElement& element, XMLDocument& document, const std::string& name,
                CDataField& field, const CSchemaField& schema) {
  const FieldType type = schema.GetFieldType();
  if (type == FieldType::Reference && !IsAmpersandReference(schema)) return;
  XMLElement* list = document.NewElement(name.c_str());
  element.InsertEndChild(list);
  const auto count = static_cast<int32_t>(field.GetCount());
  for (int32_t index = 0; index < count; ++index) {
    if (schema.IsWeakPointer()) {
      const CDataStruct* target = LiveTarget(field, index);
      XMLElement* entry = document.NewElement("WeakPointer");
      entry->SetAttribute(kValue, target ? BuildURL(*target).c_str() : "");
      list->InsertEndChild(entry);
    } else if (type == FieldType::Struct) {
      CDataStruct* child = Resolve<CDataStruct>(field.ReadStructHandle(index));
      if (child) {
        list->InsertEndChild(
            child->WriteElement(child->GetTypeName().c_str(), document, nullptr, false));
      } else if (schema.GetFieldOption() == FieldOption::OptionPointer) {
        list->InsertEndChild(document.NewElement("null"));
      }
    } else {
      const bool record = type == FieldType::Reference;
      XMLElement* entry =
          document.NewElement(record ? "Record" : kEntryNames[static_cast<uint32_t>(type) - 1]);
      WriteScalarEntry(*entry, field, type, index);
      list->InsertEndChild(entry);
    }
  }
}

void Print(const XMLDocument& document, std::string& out) {
  tinyxml2::XMLPrinter printer;
  document.Print(&printer);
  out.assign(printer.CStr(), static_cast<size_t>(printer.CStrSize() - 1));
}

}  // namespace

XMLElement* CDataStruct::WriteElement(const char* elementName, XMLDocument& document,
                                      const char* filter, bool emptyWeakPointers) {
  XMLElement* element = document.NewElement(elementName);
  if (const std::string* userData = GetUserData()) {
    element->SetAttribute("__userdata", userData->c_str());
  }
  if (const CSchemaStruct* type = GetSchemaStruct()) {
    element->SetAttribute("__type", type->GetName().c_str());
  }
  if (const CSchemaStruct* polymorphic = Resolve<CSchemaStruct>(polymorphicType_)) {
    element->SetAttribute("__polymorphicType", polymorphic->GetName().c_str());
  }
  for (size_t index = 0; index < GetFieldCount(); ++index) {
    const std::string& name = GetFieldName(index);
    if (filter && name != filter) continue;
    CDataField& field = GetField(index);
    const CSchemaField* schema = field.GetSchema();
    if (!schema) continue;
    if (schema->GetStorageType() == StorageType::Single) {
      WriteSingle(*element, document, name, field, *schema, emptyWeakPointers);
    } else {
      WriteArray(*element, document, name, field, *schema);
    }
  }
  return element;
}

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

const std::string& CDataStruct::ElementName() const {
  const std::string* name = GetName();
  return name ? *name : GetTypeName();
}

void CDataStruct::SerializeInto(std::string& out, const char* filter, bool emptyWeakPointers) {
  XMLDocument document;
  document.InsertEndChild(
      WriteElement(XmlElementName(ElementName()).c_str(), document, filter, emptyWeakPointers));
  Print(document, out);
}

void CDataRecord::WriteFileText(std::string& out) {
  XMLDocument document;
  XMLElement* root =
      WriteElement(XmlElementName(GetRecordName()).c_str(), document, nullptr, false);
  document.InsertEndChild(root);
  root->SetAttribute("__hash", GetHash().c_str());
  if (const CSchemaStruct* type = GetSchemaStruct()) {
    root->SetAttribute("__type", type->GetName().c_str());
  }
  Print(document, out);
}

}  // namespace Database
