#include "data/url.h"

#include "base/split_string.h"
#include "data/data_record.h"
#include "data/data_struct.h"
#include "data/field_text.h"

namespace Database {

namespace {

using Schema::FieldType;
using Schema::StorageType;

// The segment naming structure inside parent: the name, with the index of the last position
// holding it when the field is an array.
std::string Segment(const CDataStruct& parent, std::string_view name, THandle structure) {
  const CDataField* field = parent.FindField(name);
  const Schema::CSchemaField* schema = field ? field->GetSchema() : nullptr;
  if (!schema || schema->GetStorageType() == StorageType::Single) return std::string(name);
  size_t index = 0;
  if (const auto* handles = FieldAs<ElementKind::StructHandle>(field)) {
    const auto& elements = handles->Values().Elements();
    for (size_t position = 0; position < elements.size(); ++position) {
      if (elements[position] == structure) index = position;
    }
  }
  std::string segment(name);
  segment += '[';
  AppendDecimal(index, segment);
  segment += ']';
  return segment;
}

// The structure handle that one segment selects in field, or 0.
TDataStructHandle Select(const CDataField& field, bool hasIndex, int32_t index) {
  const Schema::CSchemaField* schema = field.GetSchema();
  if (!schema || schema->GetFieldType() != FieldType::Struct) return 0;
  if (hasIndex) return field.ReadStructHandle(index);
  return schema->IsWeakPointer() ? 0 : field.ReadStructHandle(0);
}

}  // namespace

std::string BuildURL(const CDataStruct& structure) {
  std::string url;
  for (const CDataStruct* current = &structure;;) {
    const char* name = current->GetName();
    if (!name) return kErrorUrl;
    const CDataStruct* parent = Resolve<CDataStruct>(current->GetParentHandle());
    if (!parent) return url;
    std::string segment = Segment(*parent, name, current->GetHandle());
    if (!url.empty()) segment += '.';
    url.insert(0, segment);
    current = parent;
  }
}

TDataStructHandle ResolveURL(const CDataRecord& record, std::string_view url) {
  const CDataStruct* current = &record;
  bool anySegment = false;
  ForEachToken(url, ".", "", [&](std::string_view segment) {
    anySegment = true;
    // A segment of exactly two parts around '[' names an array element.
    std::string_view parts[2];
    size_t partCount = 0;
    ForEachToken(segment, "[", "", [&](std::string_view part) {
      if (partCount < 2) parts[partCount] = part;
      return ++partCount <= 2;
    });
    const bool hasIndex = partCount == 2;
    const CDataField* field = current->FindField(hasIndex ? parts[0] : segment);
    if (!field) return true;
    const int32_t index = hasIndex ? ParseAtoi(std::string(parts[1]).c_str()) : 0;
    current = Resolve<CDataStruct>(Select(*field, hasIndex, index));
    return current != nullptr;
  });
  return anySegment && current ? current->GetHandle() : 0;
}

}  // namespace Database
