// Reading the record file form into a structure. The reader walks the schema, not the document:
// attributes and elements that name no field are ignored, a scalar missing from the document
// reads as its zero value, a missing owned structure as a default structure (none for an owning
// pointer), a missing array as empty (padded when fixed). Weak pointers and references are only
// recorded as pending texts here; they are resolved once the record (URLs) or the database
// (hashes) has been read.
#include <tinyxml2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "base/log.h"
#include "base/platform.h"
#include "data/data_record.h"
#include "data/data_struct.h"
#include "data/field_text.h"
#include "data/xml_dom.h"

namespace Database {

namespace {

using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldOption;
using Schema::FieldType;
using Schema::SchemaRegistry;
using Schema::StorageType;
using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

constexpr LogSite kFixedLengthSite{"DataStruct", 382, "Database::CDataStruct::Load"};

const std::string kEmptyText;

// Attribute lookup by name. Attributes are normally written in field order, so each search starts
// after the previous match and wraps around: reading a structure costs one pass in the usual case.
template <class Dom>
class AttributeCursor {
 public:
  using Element = typename Dom::Element;
  using Attribute = typename Dom::Attribute;

  explicit AttributeCursor(Element element) : element_(element) {}

  // The attribute's value, or null when the element has no attribute of that name.
  const char* Find(const std::string& name) {
    for (Attribute at = next_; at; at = Dom::Next(at)) {
      if (Matches(at, name)) return Take(at);
    }
    for (Attribute at = Dom::FirstAttribute(element_); at != next_; at = Dom::Next(at)) {
      if (Matches(at, name)) return Take(at);
    }
    return nullptr;
  }

 private:
  static bool Matches(Attribute attribute, const std::string& name) {
    return std::strcmp(Dom::NameOf(attribute), name.c_str()) == 0;
  }
  const char* Take(Attribute attribute) {
    next_ = Dom::Next(attribute);
    return Dom::ValueOf(attribute);
  }

  Element element_;
  Attribute next_{};
};

// A list that keeps its first N items inside itself, so that the usual short list allocates
// nothing.
template <class T, size_t N>
class SmallVector {
 public:
  void push_back(const T& item) {
    if (size_ < N) {
      inline_[size_] = item;
    } else {
      if (spill_.empty()) spill_.assign(inline_.begin(), inline_.end());
      spill_.push_back(item);
    }
    ++size_;
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](size_t index) { return size_ <= N ? inline_[index] : spill_[index]; }

 private:
  std::array<T, N> inline_{};
  std::vector<T> spill_;
  size_t size_ = 0;
};

// True for the fields read from child elements rather than attributes.
bool ReadsChildren(const CSchemaField& schema) {
  return schema.GetStorageType() != StorageType::Single ||
         (schema.GetFieldType() == FieldType::Struct && !schema.IsWeakPointer());
}

// The child elements of one field's name within an element: the first, and whether another
// follows it (a file may split a field's entries over several lists).
template <class Dom>
struct ChildElements {
  using Element = typename Dom::Element;
  Element first{};
  bool repeated = false;

  // The next element of the name after current; none after the last.
  Element Next(Element current, const char* name) const {
    return repeated ? Dom::NextSibling(current, name) : Element{};
  }
};

// The child elements of every field of a type that is read from children, found in one pass over
// the element's children. Children are normally written in field order, so each name is searched
// for from the field after the previous match. When two of the type's fields share a name, every
// child goes to each of them.
template <class Dom>
class ChildIndex {
 public:
  using Element = typename Dom::Element;

  ChildIndex(Element element, const CSchemaStruct& type) {
    size_t position = 0;
    ForEachSchemaField(type, [&](const CSchemaField& schema) {
      if (ReadsChildren(schema)) slots_.push_back({position, schema.GetName().c_str(), {}});
      ++position;
    });
    if (slots_.empty()) return;
    const bool namesRepeat = type.FieldNamesMayRepeat();
    size_t cursor = 0;
    for (Element child = Dom::FirstChild(element); child; child = Dom::NextSibling(child)) {
      const char* name = Dom::Name(child);
      for (size_t step = 0; step < slots_.size(); ++step) {
        Slot& slot = slots_[(cursor + step) % slots_.size()];
        if (std::strcmp(slot.name, name) != 0) continue;
        if (slot.children.first) {
          slot.children.repeated = true;
        } else {
          slot.children.first = child;
        }
        if (namesRepeat) continue;
        cursor = (cursor + step + 1) % slots_.size();
        break;
      }
    }
  }

  // The children of the field at position in the type's field order; positions are asked for in
  // increasing order.
  const ChildElements<Dom>& At(size_t position) {
    while (next_ < slots_.size() && slots_[next_].position < position) ++next_;
    return next_ < slots_.size() && slots_[next_].position == position ? slots_[next_].children
                                                                       : none_;
  }

 private:
  struct Slot {
    size_t position;
    const char* name;
    ChildElements<Dom> children;
  };

  SmallVector<Slot, 16> slots_;
  size_t next_ = 0;
  ChildElements<Dom> none_;
};

template <class Dom>
uint64_t CountEntries(typename Dom::Element list) {
  uint64_t count = 0;
  if (!list) return count;
  for (auto entry = Dom::FirstChild(list); entry; entry = Dom::NextSibling(entry)) ++count;
  return count;
}

// The value of the element's first attribute of that name, or null.
template <class Dom>
const char* AttributeValue(typename Dom::Element element, const char* name) {
  for (auto at = Dom::FirstAttribute(element); at; at = Dom::Next(at)) {
    if (std::strcmp(Dom::NameOf(at), name) == 0) return Dom::ValueOf(at);
  }
  return nullptr;
}

// An array entry's "Value": files hold it as the entry's only attribute.
template <class Dom>
const char* EntryValue(typename Dom::Element entry) {
  const auto first = Dom::FirstAttribute(entry);
  if (first && std::strcmp(Dom::NameOf(first), "Value") == 0) return Dom::ValueOf(first);
  return AttributeValue<Dom>(entry, "Value");
}

bool IsNullElement(const char* name) { return Platform::CompareNoCase(name, "null") == 0; }

bool IsAmpersandReference(const CSchemaField& schema) {
  return schema.GetFieldType() == FieldType::Reference &&
         schema.GetFieldOption() == FieldOption::OptionAmpersand;
}

const std::string& CustomTypeName(const CSchemaField& schema) {
  const CSchemaStruct* type = Resolve<CSchemaStruct>(schema.GetCustomType());
  return type ? type->GetName() : kEmptyText;
}

template <ElementKind K>
void StoreFirst(CDataField& field, ElementType<K> value) {
  if (auto* typed = FieldAs<K>(&field)) typed->Values().SetValue(value, 0);
}

// Element 0 of a scalar field from its attribute text (null when absent), by the single-value
// rules of the record file form.
void ReadScalarAttribute(FieldType type, CDataField& field, const char* text) {
  switch (type) {
    case FieldType::Bool: {
      const bool isTrue =
          text && (Platform::CompareNoCase(text, "true") == 0 || std::strcmp(text, "1") == 0);
      StoreFirst<ElementKind::Bits8>(field, isTrue ? 1 : 0);
      break;
    }
    case FieldType::Int8:
    case FieldType::UInt8:
      StoreFirst<ElementKind::Bits8>(field, static_cast<uint8_t>(ParseAtoi(text)));
      break;
    case FieldType::Int16:
    case FieldType::UInt16:
      StoreFirst<ElementKind::Bits16>(field, static_cast<uint16_t>(ParseAtoi(text)));
      break;
    case FieldType::Int32:
    case FieldType::LocId:
      StoreFirst<ElementKind::Bits32>(field, static_cast<uint32_t>(ParseAtoi(text)));
      break;
    case FieldType::UInt32:
      StoreFirst<ElementKind::Bits32>(field, ParseStreamInteger<uint32_t>(text));
      break;
    case FieldType::Int64:
      StoreFirst<ElementKind::Bits64>(field,
                                      static_cast<uint64_t>(ParseStreamInteger<int64_t>(text)));
      break;
    case FieldType::UInt64:
      StoreFirst<ElementKind::Bits64>(field, ParseStreamInteger<uint64_t>(text));
      break;
    case FieldType::Float:
      StoreFirst<ElementKind::Float>(field, static_cast<float>(ParseAtof(text)));
      break;
    case FieldType::Double:
      StoreFirst<ElementKind::Double>(field, ParseAtof(text));
      break;
    case FieldType::String:
    case FieldType::Enum:
      StoreFirst<ElementKind::Text>(field, CompactText(text));
      break;
    case FieldType::Struct:
    case FieldType::Reference:
      break;
  }
}

}  // namespace

// Reads elements of one document model into structures; a friend of CDataStruct.
template <class Dom>
class ElementReader {
 public:
  using Element = typename Dom::Element;

  static THandle ReadElement(CDataStruct& self, const std::string& typeName, Element element,
                             const char* filter);

 private:
  static void ReadArrayField(CDataStruct& self, const CSchemaField& schema, CDataField& field,
                             Element element, const ChildElements<Dom>& lists);
  static void ReadStructEntry(CDataStruct& self, const CSchemaField& schema, CDataField& field,
                              Element entry);
  static void PadStructEntry(CDataStruct& self, const CSchemaField& schema, CDataField& field,
                             Element element);
  static void ReadSingleStructField(CDataStruct& self, const CSchemaField& schema,
                                    CDataField& field, const ChildElements<Dom>& children);
};

template <class Dom>
THandle ElementReader<Dom>::ReadElement(CDataStruct& self, const std::string& typeName,
                                        Element element, const char* filter) {
  if (IsNullElement(Dom::Name(element))) return 0;
  const SchemaRegistry& schemas = SchemaRegistry::Instance();
  self.schemaHandle_ = schemas.FindStructByName(typeName);
  const char* polymorphic = nullptr;
  const char* userData = nullptr;
  for (auto at = Dom::FirstAttribute(element); at; at = Dom::Next(at)) {
    const char* name = Dom::NameOf(at);
    if (name[0] != '_' || name[1] != '_') continue;
    if (std::strcmp(name, "__polymorphicType") == 0) polymorphic = Dom::ValueOf(at);
    if (std::strcmp(name, "__userdata") == 0) userData = Dom::ValueOf(at);
  }
  if (polymorphic && *polymorphic) self.polymorphicType_ = schemas.FindStructByName(polymorphic);
  if (userData && *userData) self.SetUserData(userData);
  const CSchemaStruct* type = Resolve<CSchemaStruct>(
      self.polymorphicType_ != 0 ? self.polymorphicType_ : self.schemaHandle_);
  if (!type) {
    LogError("Schema structure does not exist: %s", typeName.c_str());
    return 0;
  }

  AttributeCursor<Dom> attributes(element);
  ChildIndex<Dom> children(element, *type);
  // A structure read for the first time has no field of the type yet: unless two of the type's
  // fields share a name, each is created without searching the table for it.
  const bool fresh = self.fields_.empty() && !type->FieldNamesMayRepeat();
  if (self.fields_.empty()) self.ReserveFields(*type);
  const auto fieldFor = [&](const CSchemaField& schema, size_t position,
                            bool* created = nullptr) -> CDataField& {
    if (!fresh) return self.FieldFor(schema, position, created);
    if (created) *created = true;
    return self.AddField(schema);
  };
  size_t hint = 0;
  ForEachSchemaField(*type, [&](const CSchemaField& schema) {
    const size_t position = hint++;
    if (filter && schema.GetName() != filter) return;
    const FieldType fieldType = schema.GetFieldType();
    if (schema.GetStorageType() != StorageType::Single) {
      bool created = false;
      CDataField& field = fieldFor(schema, position, &created);
      if (created) {
        field.SetLimit(schema.GetStorageType() == StorageType::DynamicArray
                           ? ElementLimit::ReadDynamic
                           : ElementLimit::FixedLength);
      }
      ReadArrayField(self, schema, field, element, children.At(position));
    } else if (schema.IsWeakPointer()) {
      auto& field = static_cast<CDataField_WeakPointer&>(fieldFor(schema, position));
      if (const char* url = attributes.Find(schema.GetName())) {
        field.SetUnresolved(url, 0);
      } else {
        field.Values().SetValue(0, 0);
      }
    } else if (fieldType == FieldType::Struct) {
      ReadSingleStructField(self, schema, fieldFor(schema, position), children.At(position));
    } else if (fieldType == FieldType::Reference) {
      // A reference without "&" is not stored in files: the field keeps what it has.
      auto& field = static_cast<CDataField_Reference&>(fieldFor(schema, position));
      if (!IsAmpersandReference(schema)) return;
      const char* hash = attributes.Find(schema.GetName());
      if (hash && *hash) {
        field.SetPendingHash(0, hash);
      } else {
        field.DropPending(0);
        field.Values().SetValue(0, 0);
      }
    } else {
      ReadScalarAttribute(fieldType, fieldFor(schema, position), attributes.Find(schema.GetName()));
    }
  });
  return self.GetHandle();
}

template <class Dom>
void ElementReader<Dom>::ReadArrayField(CDataStruct& self, const CSchemaField& schema,
                                        CDataField& field, Element element,
                                        const ChildElements<Dom>& lists) {
  const bool owning = OwnsStructures(schema);
  const bool weak = schema.IsWeakPointer();
  const bool reference = IsAmpersandReference(schema);
  if (schema.GetFieldType() == FieldType::Reference && !reference) return;

  if (owning && field.GetCount() != 0) {
    const auto& held = FieldAs<ElementKind::StructHandle>(&field)->Values().Elements();
    const std::vector<TDataStructHandle> previous(held.begin(), held.end());
    field.ClearElements();
    for (const TDataStructHandle handle : previous) self.DetachHeld(handle);
  } else {
    field.ClearElements();
  }

  const uint64_t fixedLength =
      schema.GetStorageType() == StorageType::FixedArray ? FixedLength(schema) : 0;
  const char* name = schema.GetName().c_str();
  // Room for every entry of the list (files hold one per field), so that the elements are
  // allocated once.
  field.ReserveElements(static_cast<size_t>(
      fixedLength != 0 ? fixedLength
                       : std::min(CountEntries<Dom>(lists.first), CDataField::kReadDynamicMax)));
  const uint64_t maxCount = field.GetMaxCount();
  uint64_t taken = 0;
  for (Element list = lists.first; list; list = lists.Next(list, name)) {
    for (Element entry = Dom::FirstChild(list); entry; entry = Dom::NextSibling(entry)) {
      if (fixedLength != 0 && taken >= fixedLength) {
        LogError(
            "Array elements of name %s has too many entries for fixed array size of [%i]. "
            "Entries will be lost, please update the Schema if you wish to maintain this data.",
            name, static_cast<int>(fixedLength));
        break;
      }
      const auto index = static_cast<size_t>(taken++);
      const char* value = EntryValue<Dom>(entry);
      if (owning) {
        ReadStructEntry(self, schema, field, entry);
      } else if (weak) {
        auto& pointer = static_cast<CDataField_WeakPointer&>(field);
        if (index < maxCount) pointer.SetUnresolved(value ? value : "", index);
      } else if (reference) {
        // An entry without a hash names no record; it still holds its place.
        auto& references = static_cast<CDataField_Reference&>(field);
        if (index >= maxCount) continue;
        if (value) {
          references.SetPendingHash(index, value);
        } else {
          references.Values().SetValue(0, index);
        }
      } else {
        field.InsertFromText(value ? value : "", kAppendIndex);
      }
    }
  }

  if (fixedLength == 0) return;
  for (; taken < fixedLength; ++taken) {
    const auto index = static_cast<size_t>(taken);
    if (owning) {
      PadStructEntry(self, schema, field, element);
    } else if (weak) {
      FieldAs<ElementKind::StructHandle>(&field)->Values().SetValue(0, index);
    } else if (reference) {
      FieldAs<ElementKind::RecordHandle>(&field)->Values().SetValue(0, index);
    } else {
      field.InsertFromText("0", kAppendIndex);
    }
  }
  if (field.GetCount() != fixedLength) {
    LogException(kFixedLengthSite, "Fixed Length array was not correctly handled.");
  }
}

template <class Dom>
void ElementReader<Dom>::ReadStructEntry(CDataStruct& self, const CSchemaField& schema,
                                         CDataField& field, Element entry) {
  auto& handles = FieldAs<ElementKind::StructHandle>(&field)->Values();
  ObjectPtr<CDataStruct> child = self.CreateChild();
  const THandle loaded = ReadElement(*child, CustomTypeName(schema), entry, nullptr);
  if (field.IsFull()) return;
  handles.Insert(handles.GetCount(), loaded);
  if (loaded != 0) child.release();
}

template <class Dom>
void ElementReader<Dom>::PadStructEntry(CDataStruct& self, const CSchemaField& schema,
                                        CDataField& field, Element element) {
  auto& handles = FieldAs<ElementKind::StructHandle>(&field)->Values();
  if (field.IsFull()) return;
  ObjectPtr<CDataStruct> child = self.CreateChild();
  if (const char* userData = AttributeValue<Dom>(element, "__quillwork")) {
    child->SetUserData(userData);
  }
  child->BuildDefaults(schema.GetCustomType(), 0);
  handles.Insert(handles.GetCount(), child.release()->GetHandle());
}

template <class Dom>
void ElementReader<Dom>::ReadSingleStructField(CDataStruct& self, const CSchemaField& schema,
                                               CDataField& field,
                                               const ChildElements<Dom>& children) {
  const char* name = schema.GetName().c_str();
  const std::string& typeName = CustomTypeName(schema);
  bool matched = false;
  for (Element child = children.first; child; child = children.Next(child, name)) {
    matched = true;
    // The structure already held is read again in place; without one a new structure is read.
    if (CDataStruct* held = Resolve<CDataStruct>(field.ReadStructHandle(0))) {
      ReadElement(*held, typeName, child, nullptr);
      continue;
    }
    ObjectPtr<CDataStruct> fresh = self.CreateChild();
    ReadElement(*fresh, typeName, child, nullptr);
    self.ReplaceHeld(field, fresh.release()->GetHandle());
    break;
  }
  if (matched) return;
  if (schema.GetFieldOption() == FieldOption::OptionPointer) {
    self.ReplaceHeld(field, 0);
    return;
  }
  ObjectPtr<CDataStruct> fresh = self.CreateChild();
  fresh->BuildDefaults(schema.GetCustomType(), 0);
  self.ReplaceHeld(field, fresh.release()->GetHandle());
}

THandle CDataStruct::Load(const std::string& typeName, const XMLNode* node, const char* filter) {
  if (node && node->ToComment()) node = node->NextSibling();
  if (node && node->ToDeclaration()) node = node->NextSibling();
  const XMLElement* element = node ? node->ToElement() : nullptr;
  if (!element) return 0;
  return ElementReader<ReferenceDom>::ReadElement(*this, typeName, element, filter);
}

THandle CDataStruct::LoadElement(const std::string& typeName, const PlainElement* element) {
  return ElementReader<FastDom>::ReadElement(*this, typeName, element, nullptr);
}

bool CDataStruct::CanDeserialize(const char* text) const {
  if (!text) return false;
  tinyxml2::XMLDocument document;
  if (document.Parse(text) != tinyxml2::XML_SUCCESS) return false;
  const XMLElement* first = document.FirstChild() ? document.FirstChild()->ToElement() : nullptr;
  const char* name = GetName();
  return first && name && XmlElementName(name) == first->Name();
}

bool CDataStruct::Deserialize(const char* text, const char* filter) {
  if (!text) return false;
  tinyxml2::XMLDocument document;
  if (document.Parse(text) != tinyxml2::XML_SUCCESS) return false;
  if (Load(GetTypeName(), document.FirstChildElement(), filter) != 0) {
    if (CDataRecord* record = GetRecord()) RegisterPointables(*record);
  }
  ResolveWeakPointers();
  return true;
}

}  // namespace Database
