// Fields: the named members of a structure instance. Every field holds an array of elements of
// one element kind with a maximum count (1 for a single value, the fixed length for a fixed
// array, a limit for a dynamic array). The eighteen field classes are instantiations of one
// template family that differ in the stored element kind and in the text codec.
//
// Storage: the integer kinds store their bits unsigned (Int32, UInt32 and LocId all store a
// uint32_t); the codec decides how the bits read and print. Structure fields store structure
// handles, reference fields record handles.
//
// Ownership: a structure owns its field objects (its field table holds them); a field is in
// service exactly when its structure is. A field owns its
// elements and pending texts, never the structures or records whose handles it holds. A field
// has no name of its own: its name is the key under which its structure holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/compact_text.h"
#include "base/data_object.h"
#include "base/object_registry.h"
#include "data/element_array.h"
#include "data/field_text.h"
#include "schema/model.h"

namespace Database {

class CDataStruct;

// The index that InsertFromText and the add operations take as "append at the end".
inline constexpr uint32_t kAppendIndex = 0xFFFFFFFFu;
// parentHandle of a field that no structure holds yet.
inline constexpr THandle kNoParent = ~THandle{0};

// How a field stores its elements.
enum class ElementKind : uint8_t {
  Bits8,         // Bool, Int8, UInt8
  Bits16,        // Int16, UInt16
  Bits32,        // Int32, UInt32, LocId
  Bits64,        // Int64, UInt64
  Float,         // Float
  Double,        // Double
  Text,          // String, Enum
  StructHandle,  // Struct, owning pointer, weak pointer
  RecordHandle,  // Reference
};

template <ElementKind K>
struct ElementTraits;
template <>
struct ElementTraits<ElementKind::Bits8> {
  using Type = uint8_t;
};
template <>
struct ElementTraits<ElementKind::Bits16> {
  using Type = uint16_t;
};
template <>
struct ElementTraits<ElementKind::Bits32> {
  using Type = uint32_t;
};
template <>
struct ElementTraits<ElementKind::Bits64> {
  using Type = uint64_t;
};
template <>
struct ElementTraits<ElementKind::Float> {
  using Type = float;
};
template <>
struct ElementTraits<ElementKind::Double> {
  using Type = double;
};
template <>
struct ElementTraits<ElementKind::Text> {
  using Type = CompactText;
};
template <>
struct ElementTraits<ElementKind::StructHandle> {
  using Type = TDataStructHandle;
};
template <>
struct ElementTraits<ElementKind::RecordHandle> {
  using Type = THandle;
};
template <ElementKind K>
using ElementType = typename ElementTraits<K>::Type;

// The element kind that holds host values of type T: integers by width, float, double.
template <class T>
constexpr ElementKind StoredKindOf() {
  if constexpr (std::is_same_v<T, float>) {
    return ElementKind::Float;
  } else if constexpr (std::is_same_v<T, double>) {
    return ElementKind::Double;
  } else {
    static_assert(std::is_integral_v<T>);
    if constexpr (sizeof(T) == 1) return ElementKind::Bits8;
    if constexpr (sizeof(T) == 2) return ElementKind::Bits16;
    if constexpr (sizeof(T) == 4) return ElementKind::Bits32;
    return ElementKind::Bits64;
  }
}

// The elements of one field. Indexes are the caller's to check unless an operation says otherwise.
template <class T>
class CDataFieldValue {
 public:
  size_t GetCount() const { return elements_.size(); }
  bool Contains(int64_t index) const {
    return index >= 0 && static_cast<uint64_t>(index) < elements_.size();
  }
  // Makes room for count elements in all.
  void Reserve(size_t count) { elements_.Reserve(count); }
  // Takes the elements' storage from the arena the value lives in (see ElementArray).
  void UseOwnArena() { elements_.UseOwnArena(); }
  // The element array's holder word (see ElementArray), which the field keeps.
  uint32_t HolderWord() const { return elements_.HolderWord(); }
  void SetHolderWord(uint32_t word) { elements_.SetHolderWord(word); }

  const T& Get(size_t index) const { return elements_[index]; }
  const ElementArray<T>& Elements() const { return elements_; }

  // Appends copies of fill until the array has at least count elements.
  void GrowTo(size_t count, const T& fill) { elements_.GrowTo(count, fill); }
  // Appends copies of value while index is beyond the end, then writes value at index.
  void SetValue(const T& value, size_t index) {
    GrowTo(index + 1, value);
    if (!(elements_[index] == value)) elements_[index] = value;
  }
  // Inserts value before position index (index <= count); maxCount is the caller's to check.
  void Insert(size_t index, T value) { elements_.Insert(index, std::move(value)); }
  void Erase(size_t index) { elements_.Erase(index); }
  // Swaps element index with element index + offset; false (and nothing changes) when either
  // position lies outside the array.
  bool Swap(int32_t index, int32_t offset) {
    const int64_t other = int64_t{index} + offset;
    if (!Contains(index) || !Contains(other)) return false;
    std::swap(elements_[static_cast<size_t>(index)], elements_[static_cast<size_t>(other)]);
    return true;
  }
  void Clear() { elements_.Clear(); }

 private:
  ElementArray<T> elements_;
};

// A copy of one field's elements, taken for undo (CDataField::SaveElements).
class CFieldElements {
 public:
  virtual ~CFieldElements() = default;
};

// The most elements insertion accepts in a field: one, its schema field's fixed length, or the
// limit of a dynamic array read from a file or built from defaults.
enum class ElementLimit : uint8_t { Single, FixedLength, ReadDynamic, DefaultsDynamic };

class CDataField : public CPlainObject {
 public:
  static constexpr uint64_t kReadDynamicMax = 1000;
  static constexpr uint64_t kDefaultsDynamicMax = 9999;

  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::DataFieldObject; }

  virtual ElementKind GetElementKind() const = 0;
  // True for a field whose elements are structures it owns (by value or owning pointer): the
  // class a field is built as follows its schema field, which does not change once loaded.
  virtual bool OwnsHeldStructures() const { return false; }
  virtual uint64_t GetCount() const = 0;
  // Makes room for count elements in all, so that appending them allocates once.
  virtual void ReserveElements(size_t count) = 0;
  // The most elements insertion accepts (ElementLimit::Single at first). A fixed array's is its
  // schema field's length (FixedLength), 0 once the schema is gone.
  uint64_t GetMaxCount() const;
  void SetLimit(ElementLimit limit);
  bool IsFull() const { return GetCount() >= GetMaxCount(); }
  // Swaps element index with element index + offset; false when either lies outside.
  virtual bool SwapElements(int32_t index, int32_t offset) = 0;
  // Inserts an element parsed from text at index (kAppendIndex appends) and returns the position
  // used; a full field changes nothing and returns index.
  virtual uint32_t InsertFromText(const char* text, uint32_t index) = 0;
  // Removes every element; structure fields first take owned structures out of service.
  virtual void ClearElements() = 0;
  // Sets element index from text, growing the array to index + 1 elements first.
  virtual void SetFromText(const char* text, int32_t index) = 0;
  // Element index as text; "" for an index outside the array.
  virtual std::string GetAsText(int32_t index) = 0;
  // A copy of every element; RestoreElements puts exactly those back. A reference field resolves
  // its pending hashes first.
  virtual std::unique_ptr<CFieldElements> SaveElements() = 0;
  virtual void RestoreElements(const CFieldElements& saved) = 0;

  // Told after an edit inserted an element at position, erased the one there, or swapped two,
  // so that state kept by element position moves with its element. Nothing by default.
  virtual void ElementInserted(size_t /*position*/) {}
  virtual void ElementErased(size_t /*position*/) {}
  virtual void ElementsSwapped(size_t /*first*/, size_t /*second*/) {}

  // kNoParent until a structure enters the field in its table. Kept as the object's class data,
  // which costs a field nothing until it is given a handle.
  THandle GetParentHandle() const;
  // Set by the structure that enters the field in its table, to its own handle. Throws
  // std::bad_alloc, with nothing changed, when the field has a handle and no memory is left.
  void SetParentHandle(THandle parent);
  bool IsDirty() const { return GetClassFlag(); }
  // Sets the flag and passes it on to the parent structure when that is in service.
  void SetDirty(bool dirty);

  // The schema field the field was built from (null once the schema is gone).
  const Schema::CSchemaField* GetSchema() const;
  // The name under which the parent (in service or not) holds the field; "" when the parent
  // holds no entry for it; null, with an exception logged, when there is no parent.
  const std::string* GetName() const;
  // The name for a host: null unless the parent is in service and holds the field.
  const std::string* GetNameInService() const;
  // GetName as text for messages: "" when there is none.
  const char* NameForMessages() const;

  // Host reads. Each returns the neutral value (0, empty text) when the field stores another
  // element kind or the index lies outside the array.
  template <class T>
  T ReadStored(int32_t index) const;
  const char* ReadText(int32_t index) const;
  // The stored structure handle.
  TDataStructHandle ReadStructHandle(int32_t index) const;
  // The stored structure handle when it names a structure in service, else 0.
  TDataStructHandle ReadLiveStructHandle(int32_t index) const;
  // The referenced record after resolving a pending hash for the index.
  THandle ReadRecordHandle(int32_t index);

 protected:
  CDataField() : CPlainObject(ObjectKind::DataFieldObject) {}

  // The schema field's number (CSchemaField::GetFieldId) above the ElementLimit's two bits: a
  // word the derived class keeps where its elements would leave padding.
  static uint32_t FieldWord(const Schema::CSchemaField& schema) {
    return schema.GetFieldId() << kLimitBits;
  }
  virtual uint32_t GetFieldWord() const = 0;
  virtual void SetFieldWord(uint32_t word) = 0;

 private:
  static constexpr unsigned kLimitBits = 2;
  static constexpr uint32_t kLimitMask = (1u << kLimitBits) - 1;
  static_assert(Schema::CSchemaField::kMaxFieldId <= UINT32_MAX >> kLimitBits);
};

// A field whose elements are of kind K.
template <ElementKind K>
class CDataFieldOf : public CDataField {
 public:
  using Element = ElementType<K>;

  ElementKind GetElementKind() const final { return K; }
  uint64_t GetCount() const final { return values_.GetCount(); }
  void ReserveElements(size_t count) final { values_.Reserve(count); }
  bool SwapElements(int32_t index, int32_t offset) final {
    if (!values_.Swap(index, offset)) return false;
    this->ElementsSwapped(static_cast<size_t>(index), static_cast<size_t>(index + offset));
    return true;
  }
  void ClearElements() override { values_.Clear(); }
  // Inserts value before position (position <= count) and says so; maxCount is the caller's.
  void InsertElement(size_t position, Element value) {
    values_.Insert(position, std::move(value));
    this->ElementInserted(position);
  }
  // Erases the element at position (below the count) and says so.
  void EraseElement(size_t position) {
    values_.Erase(position);
    this->ElementErased(position);
  }

  CDataFieldValue<Element>& Values() { return values_; }
  const CDataFieldValue<Element>& Values() const { return values_; }

  std::unique_ptr<CFieldElements> SaveElements() override {
    BeforeSave();
    return std::make_unique<Saved>(values_);
  }
  void RestoreElements(const CFieldElements& saved) override {
    if (const auto* mine = dynamic_cast<const Saved*>(&saved)) values_ = mine->values;
  }

 protected:
  explicit CDataFieldOf(const Schema::CSchemaField& schema) {
    values_.UseOwnArena();
    values_.SetHolderWord(FieldWord(schema));
  }
  uint32_t GetFieldWord() const final { return values_.HolderWord(); }
  void SetFieldWord(uint32_t word) final { values_.SetHolderWord(word); }
  // Settles state that a copy of the elements would not carry.
  virtual void BeforeSave() {}

  CDataFieldValue<Element> values_;

 private:
  struct Saved final : CFieldElements {
    explicit Saved(const CDataFieldValue<Element>& from) : values(from) {}
    CDataFieldValue<Element> values;
  };
};

// The field as a field of kind K, or null when it stores another kind (or is null).
template <ElementKind K>
CDataFieldOf<K>* FieldAs(CDataField* field) {
  return field && field->GetElementKind() == K ? static_cast<CDataFieldOf<K>*>(field) : nullptr;
}
template <ElementKind K>
const CDataFieldOf<K>* FieldAs(const CDataField* field) {
  return field && field->GetElementKind() == K ? static_cast<const CDataFieldOf<K>*>(field)
                                               : nullptr;
}

template <class T>
T CDataField::ReadStored(int32_t index) const {
  const auto* field = FieldAs<StoredKindOf<T>()>(this);
  if (!field || !field->Values().Contains(index)) return T{};
  return static_cast<T>(field->Values().Get(static_cast<size_t>(index)));
}

// Text codecs: Parse reads an element by stream-extraction rules, Format appends its text, Fill
// is what SetFromText grows the array with (given the parsed value).

// Integers shown as Shown and read as Read (a wider type for the 8-bit kinds, whose low byte is
// kept). The 8-bit kinds grow with the new value, wider ones with 0.
template <class Shown, class Read>
struct IntegerText {
  using Stored = std::make_unsigned_t<Shown>;
  static Stored Parse(const char* text) {
    return static_cast<Stored>(ParseStreamInteger<Read>(text));
  }
  static void Format(Stored value, std::string& out) {
    if constexpr (sizeof(Shown) == 1) {
      AppendDecimal(static_cast<int>(static_cast<Shown>(value)), out);
    } else {
      AppendDecimal(static_cast<Shown>(value), out);
    }
  }
  static Stored Fill(Stored value) { return sizeof(Shown) == 1 ? value : Stored{0}; }
};

// Floating point in the %g style with Digits significant digits.
template <class T, int Digits>
struct FloatingText {
  static T Parse(const char* text) {
    if constexpr (std::is_same_v<T, float>) {
      return ParseStreamFloat(text);
    } else {
      return ParseAtof(text);
    }
  }
  static void Format(T value, std::string& out) {
    AppendGeneral(static_cast<double>(value), Digits, out);
  }
  static T Fill(T) { return T{0}; }
};

struct PlainText {
  static CompactText Parse(const char* text) { return CompactText(text); }
  static void Format(const CompactText& value, std::string& out) { out += value.view(); }
  static const CompactText& Fill(const CompactText& value) { return value; }
};

// Handles in unsigned decimal; the array grows with FillValue.
template <THandle FillValue>
struct HandleText {
  static THandle Parse(const char* text) { return ParseStreamInteger<THandle>(text); }
  static void Format(THandle value, std::string& out) { AppendDecimal(value, out); }
  static THandle Fill(THandle) { return FillValue; }
};

// A field of kind K whose text conversions are Codec's.
template <ElementKind K, class Codec>
class CDataFieldScalar : public CDataFieldOf<K> {
 public:
  explicit CDataFieldScalar(const Schema::CSchemaField& schema) : CDataFieldOf<K>(schema) {}

  uint32_t InsertFromText(const char* text, uint32_t index) override {
    auto& values = this->values_;
    if (this->IsFull()) return index;
    const size_t count = values.GetCount();
    const size_t position = index == kAppendIndex || index > count ? count : index;
    values.Insert(position, Codec::Parse(text));
    return static_cast<uint32_t>(position);
  }

  void SetFromText(const char* text, int32_t index) override {
    if (index < 0) return;
    auto value = Codec::Parse(text);
    const auto position = static_cast<size_t>(index);
    this->values_.GrowTo(position + 1, Codec::Fill(value));
    this->values_.SetValue(value, position);
  }

  std::string GetAsText(int32_t index) override {
    std::string text;
    if (this->values_.Contains(index)) {
      Codec::Format(this->values_.Get(static_cast<size_t>(index)), text);
    }
    return text;
  }
};

using CDataField_Bool = CDataFieldScalar<ElementKind::Bits8, IntegerText<int8_t, int16_t>>;
// Int8 reads and prints exactly like Bool.
using CDataField_Int8 = CDataField_Bool;
using CDataField_UInt8 = CDataFieldScalar<ElementKind::Bits8, IntegerText<uint8_t, uint16_t>>;
using CDataField_Int16 = CDataFieldScalar<ElementKind::Bits16, IntegerText<int16_t, int16_t>>;
using CDataField_UInt16 = CDataFieldScalar<ElementKind::Bits16, IntegerText<uint16_t, uint16_t>>;
using CDataField_Int32 = CDataFieldScalar<ElementKind::Bits32, IntegerText<int32_t, int32_t>>;
using CDataField_LocId = CDataField_Int32;
using CDataField_UInt32 = CDataFieldScalar<ElementKind::Bits32, IntegerText<uint32_t, uint32_t>>;
using CDataField_Int64 = CDataFieldScalar<ElementKind::Bits64, IntegerText<int64_t, int64_t>>;
using CDataField_UInt64 = CDataFieldScalar<ElementKind::Bits64, IntegerText<uint64_t, uint64_t>>;
using CDataField_Float = CDataFieldScalar<ElementKind::Float, FloatingText<float, 7>>;
using CDataField_Double = CDataFieldScalar<ElementKind::Double, FloatingText<double, 16>>;
using CDataField_String = CDataFieldScalar<ElementKind::Text, PlainText>;
// An enumeration value is its enumerable's name, not compared with the enumeration.
using CDataField_Enum = CDataField_String;

// Calls visit(std::type_identity<C>()) with the field class C that CreateField builds for a scalar
// schema type (Bool to Enum), and otherwise() for Struct, Reference and codes outside the range;
// returns what the call returns.
template <class Visit, class Otherwise>
decltype(auto) WithScalarFieldClass(Schema::FieldType type, Visit&& visit, Otherwise&& otherwise) {
  using Schema::FieldType;
  switch (type) {
    case FieldType::Bool:
    case FieldType::Int8:
      return visit(std::type_identity<CDataField_Int8>());
    case FieldType::UInt8:
      return visit(std::type_identity<CDataField_UInt8>());
    case FieldType::Int16:
      return visit(std::type_identity<CDataField_Int16>());
    case FieldType::UInt16:
      return visit(std::type_identity<CDataField_UInt16>());
    case FieldType::Int32:
    case FieldType::LocId:
      return visit(std::type_identity<CDataField_Int32>());
    case FieldType::UInt32:
      return visit(std::type_identity<CDataField_UInt32>());
    case FieldType::Int64:
      return visit(std::type_identity<CDataField_Int64>());
    case FieldType::UInt64:
      return visit(std::type_identity<CDataField_UInt64>());
    case FieldType::Float:
      return visit(std::type_identity<CDataField_Float>());
    case FieldType::Double:
      return visit(std::type_identity<CDataField_Double>());
    case FieldType::String:
    case FieldType::Enum:
      return visit(std::type_identity<CDataField_String>());
    case FieldType::Struct:
    case FieldType::Reference:
      break;
  }
  return otherwise();
}

// Structure handles: by-value structures and owning pointers (which own what they hold) and, in
// the derived class, weak pointers (which only name their targets).
class CDataField_Struct
    : public CDataFieldScalar<ElementKind::StructHandle, HandleText<~THandle{0}>> {
 public:
  using CDataFieldScalar::CDataFieldScalar;
  bool OwnsHeldStructures() const override { return true; }
  // Takes owned structures out of service (UninstateObjectIf), then removes every element.
  void ClearElements() override;
};
using CDataField_Pointer = CDataField_Struct;

class CDataField_WeakPointer final : public CDataField_Struct {
 public:
  using CDataField_Struct::CDataField_Struct;
  bool OwnsHeldStructures() const override { return false; }

  // Records url as the pending target of element index, which becomes 0 until Resolve. The text
  // "#Error#" is logged as unresolvable instead and leaves element index 0.
  void SetUnresolved(const char* url, size_t index);
  // Resolves every pending URL within the record of the field's parent; each element becomes the
  // structure found, or 0. False (logged) when the field has no parent.
  bool Resolve();
  bool HasPending() const { return !pendingUrls_.empty(); }
  void BeforeSave() override {
    if (HasPending()) Resolve();
  }

 private:
  std::vector<std::optional<std::string>> pendingUrls_;  // index-aligned with the elements
};

// Record handles; a record file names the record by its hash, which stays pending until the
// whole database is read. A pending entry occupies its element, which holds 0 until resolved.
class CDataField_Reference final
    : public CDataFieldScalar<ElementKind::RecordHandle, HandleText<THandle{0}>> {
 public:
  using CDataFieldScalar::CDataFieldScalar;

  // The referenced record's hash (after resolving the index); "" when there is none.
  std::string GetAsText(int32_t index) override;
  // Makes hash the pending entry of element index (which becomes 0 until resolved).
  void SetPendingHash(size_t index, std::string hash);
  // Element index becomes the record registered under its pending hash, or 0; the entry goes.
  void ResolveEntry(uint64_t index);
  // Resolves every pending entry.
  void ResolvePending();
  // Drops a pending entry without resolving it.
  void DropPending(uint64_t index);

  void BeforeSave() override { ResolvePending(); }
  // A pending entry stays with its element when elements move.
  void ElementInserted(size_t position) override;
  void ElementErased(size_t position) override;
  void ElementsSwapped(size_t first, size_t second) override;

 private:
  using PendingHash = std::pair<uint64_t, std::string>;
  // The first pending entry of element index or after.
  std::vector<PendingHash>::iterator PendingFrom(uint64_t index);
  // The pending entry of element index, or end.
  std::vector<PendingHash>::iterator FindPending(uint64_t index);
  // The record registered under the hash; 0 for none.
  static THandle RecordOfHash(const std::string& hash);

  std::vector<PendingHash> pendingHashes_;  // ordered by index; read in index order
};

// Creates, registers and returns the field class for the schema field (by field type and
// option), in service unless outOfService, in the arena (on the heap when null). The caller
// enters it in a structure.
ObjectPtr<CDataField> CreateField(const Schema::CSchemaField& schema, bool outOfService,
                                  ObjectArena* arena);

// True when field may hold handle: always for 0, for fields that are not weak pointers, for a
// handle that names no structure in service and for a declared type that cannot be found;
// otherwise only when the target's type (its polymorphic type when set) is the declared type or
// derives from it. Logged when false.
bool ValidateWeakPointerTarget(const CDataField* field, THandle handle);

// Takes the structure handle out of service unless the field is a weak pointer. Nothing for a
// null field or handle 0; logged when the field has no schema.
void UninstateObjectIf(const CDataField* field, THandle handle);
// Puts the structure handle back in service unless the field is a weak pointer; logged when
// the field has no schema.
void ReinstateObjectIf(const CDataField& field, THandle handle);

}  // namespace Database
