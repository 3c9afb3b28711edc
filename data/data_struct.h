// Structures: instances of schema structures, built from the schema (BuildDefaults) or read from
// the record file form (Load). A record (data_record.h) is the top-level structure of one file.
//
// Ownership: a structure owns its field objects and the structures that its by-value and
// owning-pointer fields hold and whose parent link names it; ReleaseChildren destroys both
// through the registry. A structure that no field holds any more (an edit took it out, or
// re-reading replaced it) is out of service and owned by the detached list of the structure its
// parent link names, until it is attached again (DetachHeld, ReattachHeld, PassDetached, which
// moves it and its parent link to another holder) or destroyed (DestroyDetached, or with its
// holder). So every structure has exactly one owner, in the tree or out of it. Weak pointers and
// references only name their targets.
//
// The field table keeps insertion order, which is schema inheritance order (the most basic
// ancestor's fields first), so files written from it are deterministic. Names are exact and
// unique; a table entry's name is its schema field's name, which outlives the structure (every
// data object is destroyed before the schema is torn down).
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/arena_vector.h"
#include "base/data_object.h"
#include "base/object_registry.h"
#include "data/data_field.h"
#include "schema/model.h"

namespace tinyxml2 {
class XMLNode;
}  // namespace tinyxml2

namespace Database {

class CDataRecord;
struct PlainElement;

class CDataStruct : public CDataObject {
 public:
  CDataStruct() : CDataStruct(ObjectKind::DataStructObject) {}
  ~CDataStruct() override;
  static bool MatchesKind(ObjectKind kind) {
    return kind == ObjectKind::DataStructObject || kind == ObjectKind::DataRecordObject;
  }
  // Creates and registers a structure, in service unless outOfService, in the arena (on the heap
  // when null). Its parent is 0.
  static ObjectPtr<CDataStruct> Create(bool outOfService = false, ObjectArena* arena = nullptr);

  void Initialize() override;
  // Destroys the held structures, the replaced ones and every field.
  void ReleaseChildren() override;
  // Leaves the record's pointable list and takes the owned structures and the fields out of
  // service.
  void BeginUninstate() override;
  void EndUninstate() override {}
  void BeginInstate() override {}
  // Puts the fields back in service, joins the record's pointable list and puts the owned
  // structures back in service.
  void EndInstate() override;

  bool IsRecord() const { return GetObjectKind() == ObjectKind::DataRecordObject; }
  THandle GetSchemaHandle() const { return schemaHandle_; }
  THandle GetParentHandle() const { return parentHandle_; }
  THandle GetPolymorphicType() const { return polymorphicType_; }
  bool IsDirty() const { return GetClassFlag(); }

  // The declared schema structure, or null.
  Schema::CSchemaStruct* GetSchemaStruct() const;
  // Its name; "" when it cannot be found.
  const std::string& GetTypeName() const;
  // For a structure: the name of the parent's field that owns it (by value or owning pointer);
  // null when the parent is not in service or no such field holds it. A record: its name.
  virtual const char* GetName() const;
  // The structure itself when it is a record, else the nearest record up the parent chain; 0 as
  // soon as a link cannot be followed.
  THandle GetRecordHandle() const;
  CDataRecord* GetRecord() const;

  // The parent becomes handle when that names a structure in service; logged otherwise.
  void SetParentStruct(THandle handle);
  // Sets the flag and passes it on up the parent chain.
  void SetDirty(bool dirty);
  // Null when no user data was ever set.
  const std::string* GetUserData() const;
  // Stores a differing text and marks the structure dirty; creates empty user data first.
  void SetUserData(const char* text);
  // The declared type clears the polymorphic type; a type deriving from it becomes the
  // polymorphic type and its missing fields are built with defaults; anything else is logged and
  // changes nothing (false). Dirty flags are the caller's.
  bool SetPolymorphicType(THandle type);
  // Creates, with default values, the fields that the type to build (the polymorphic type when
  // given, else the declared one) has and the structure lacks. Returns the own handle.
  THandle BuildDefaults(THandle declaredType, THandle polymorphicType);

  // The field table, in insertion order.
  size_t GetFieldCount() const { return fields_.size(); }
  const std::string& GetFieldName(size_t index) const { return fields_[index].Name(); }
  CDataField& GetField(size_t index) const { return *fields_[index].field; }
  CDataField* FindField(std::string_view name) const;
  // FindField, trying position hint of the table first (where a walk in schema order expects it).
  CDataField* FindFieldNear(std::string_view name, size_t hint) const;
  // FindField, trying *position first; a field found elsewhere moves *position to its place.
  CDataField* FindFieldFrom(std::string_view name, size_t* position) const;
  // The schema field the table's entry at position was built from (position below the count).
  const Schema::CSchemaField* GetFieldSchema(size_t position) const {
    return fields_[position].SchemaField();
  }
  // Handle of the field of that name, or 0.
  THandle FieldByName(std::string_view name) const;
  // The name under which the table holds field, or null.
  const std::string* NameOfField(const CDataField& field) const;

  // A new structure whose parent link names this one, held by nobody yet (the caller attaches it
  // to a field or keeps it detached), in service unless outOfService, with the default fields of
  // type built.
  ObjectPtr<CDataStruct> NewChild(THandle type, bool outOfService) const;

  // Reads the structure element at node (a leading comment and declaration are skipped) as a
  // structure of the named type; with a filter only the field of that name is read. Returns the
  // own handle, or 0 for a "null" element or an unknown type. The record's pointable list is the
  // caller's: after reading, call RegisterPointables with the containing record.
  THandle Load(const std::string& typeName, const tinyxml2::XMLNode* node, const char* filter);
  // Reads a record file's root element as the fast reader parsed it: what Load reads from the
  // same text.
  THandle LoadElement(const std::string& typeName, const PlainElement* element);
  // The structure's element, named by GetName (the type name when it has none), written into
  // the database's export buffer, which the next export or serialisation overwrites. With a
  // filter only the field of that name is written; emptyWeakPointers writes a single weak pointer
  // without a target as an empty attribute instead of leaving it out.
  const std::string& Serialize(const char* filter, bool emptyWeakPointers);
  // The same text written into out (replacing what it held), leaving the export buffer as it is.
  void SerializeInto(std::string& out, const char* filter, bool emptyWeakPointers);
  // The name of the structure's element: GetName, else its type name (before XmlElementName).
  std::string_view ElementName() const;
  // True when text parses, its first node is an element and that is named as Serialize names it.
  bool CanDeserialize(const char* text) const;
  // Reads text into the structure (see Load), registers what it read as pointable in its record,
  // then resolves its weak pointers. Text that does not parse changes nothing (false).
  bool Deserialize(const char* text, const char* filter);

  // ---- Structures an edit took out of the tree ----
  // A structure that no field of this one holds any more, and whose parent link names this one,
  // leaves service and is owned here until ReattachHeld or DestroyDetached. False (nothing
  // changes) when its parent link names another structure or it is not a live structure.
  bool DetachHeld(THandle handle);
  // A structure DetachHeld kept is owned by the tree again (the caller has stored its handle in
  // a field of this structure) and is back in service when this structure is. False when it is
  // not kept here.
  bool ReattachHeld(THandle handle);
  // Destroys a structure DetachHeld kept; nothing when it is not kept here.
  void DestroyDetached(THandle handle);
  // Hands a structure DetachHeld kept to another holder's detached list; its parent link then
  // names that holder. False when it is not kept here.
  bool PassDetached(THandle handle, CDataStruct& to);
  // True when target is this structure or one it holds, at any depth, through the fields that
  // hold structures (shared ones and those out of service included). Storing this structure in a
  // field of target would make it hold itself.
  bool HoldsOrIs(THandle target) const;

  // ---- Whole-state copies for undo ----
  // The values of every field of this structure and of every structure it owns, by handle, with
  // each structure's polymorphic type and user data.
  struct TreeState {
    struct Node {
      THandle structure;
      THandle polymorphicType;
      std::optional<std::string> userData;
      std::vector<std::pair<THandle, std::unique_ptr<CFieldElements>>> fields;
    };
    std::vector<Node> nodes;  // this structure first, then its tree depth first
  };
  std::unique_ptr<TreeState> SaveTree();
  // Puts the saved values back into every structure of the state that still exists; the
  // structures the state owns but the tree does not hold now are detached (see DetachHeld),
  // and those the state names that are detached now are attached again.
  void RestoreTree(const TreeState& state);

  // The structure's path inside its record ("#Error#" when it cannot be named), held until the
  // next call.
  const std::string& GetURL();
  // Adds every owned structure below this one to the record's pointable list, depth first,
  // parent before its children.
  virtual void RegisterPointables(CDataRecord& record);
  // Resolves the pending URLs of every weak pointer in the owned tree.
  void ResolveWeakPointers();
  // Resolves the pending record hashes of every reference in the owned tree.
  void ResolveReferences();
  // The same for this structure's own fields alone.
  void ResolveOwnReferences();

 protected:
  explicit CDataStruct(ObjectKind kind);

  // Appends the handles of the owned structures in service below this one, depth first.
  void CollectOwnedStructures(std::vector<THandle>& out) const;

 private:
  // The field's schema field names the entry.
  struct FieldEntry {
    ObjectPtr<CDataField> field;
    // Null once the schema is gone.
    const Schema::CSchemaField* SchemaField() const { return field->GetSchema(); }
    // "" once the schema is gone.
    const std::string& Name() const;
  };
  // Calls visit(structure) for this structure and every owned structure in service below it,
  // depth first.
  template <class Visit>
  void ForEachInTree(Visit visit);

  // Rarely used state, allocated on first use.
  struct Extras {
    std::string urlText;
    std::optional<std::string> userData;
    // Replaced by re-reading or taken out by edits, by handle.
    std::unordered_map<THandle, ObjectPtr<CDataStruct>> detached;
  };

  Extras& GetExtras();
  // Every element handle of the fields that own structures, in table and element order.
  template <class Visit>
  void ForEachOwnedHandle(Visit visit) const;
  // Makes room in the field table for every field of type.
  void ReserveFields(const Schema::CSchemaStruct& type);
  // Creates the field for schema and enters it; the table keeps the schema field's name.
  CDataField& AddField(const Schema::CSchemaField& schema);
  // Sets the maximum count and creates the default elements of a field just built.
  void BuildDefaultElements(const Schema::CSchemaField& schema, CDataField& field);
  // True when more than levels parent links lead up from this structure.
  bool NestedDeeperThan(size_t levels) const;
  // The field named as schema, created and entered when missing (then created is set); hint is
  // where the table is expected to hold it.
  CDataField& FieldFor(const Schema::CSchemaField& schema, size_t hint, bool* created = nullptr);
  // A new structure placed under this one, in service when this one is. The parent is set
  // directly: this structure may be out of service while it is built.
  ObjectPtr<CDataStruct> CreateChild() const { return CreateChild(!IsInstated()); }
  ObjectPtr<CDataStruct> CreateChild(bool outOfService) const;
  // Takes the structure out of the detached list (null when it is not kept there).
  ObjectPtr<CDataStruct> TakeDetached(THandle handle);
  // Element 0 of an owning field becomes handle; the structure it held before is kept replaced.
  void ReplaceHeld(CDataField& field, THandle handle);

  template <class Dom>
  friend class ElementReader;

  THandle schemaHandle_ = 0;
  THandle parentHandle_ = 0;
  THandle polymorphicType_ = 0;
  ArenaVector<FieldEntry> fields_;
  std::unique_ptr<Extras> extras_;
};

// name as an element name the XML reader accepts: name itself when it is one; otherwise every
// byte a name may not hold becomes '_', with '_' put in front when the first may not start one.
std::string XmlElementName(std::string_view name);

// The length a fixed array field is built and read with: the schema's, which a loaded schema keeps
// within kMaxDefaultElements. A database whose schema failed that check is still usable, so the
// bound is applied here too.
inline uint64_t FixedLength(const Schema::CSchemaField& schema) {
  return std::min(schema.GetFixedArraySize(), Schema::kMaxDefaultElements);
}

// True for a Struct field that owns what it holds (by value or owning pointer).
inline bool OwnsStructures(const Schema::CSchemaField& schema) {
  return schema.GetFieldType() == Schema::FieldType::Struct && !schema.IsWeakPointer();
}

}  // namespace Database
