// Records: the top-level structure of one record file. A record carries its name, file name and
// hash texts and the list of its pointable structures (the structures a weak pointer may
// target). Registering records by hash and name, the collision check of hash assignment and the
// file operations belong to the database; this class gives them plain setters and entry points.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/arena_text.h"
#include "base/arena_vector.h"
#include "base/compact_text.h"
#include "data/data_struct.h"

namespace Database {

class CDataRecord final : public CDataStruct {
 public:
  CDataRecord() : CDataStruct(ObjectKind::DataRecordObject) {}
  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::DataRecordObject; }
  // Creates and registers an empty record (no schema type, no fields) in the arena (on the heap
  // when null); the caller owns it. Its structures and fields are allocated in the same arena.
  static ObjectPtr<CDataRecord> Create(ObjectArena* arena = nullptr);

  // The record's name.
  const char* GetName() const override { return name_.c_str(); }

  const CompactText& GetRecordName() const { return name_; }
  const ArenaText& GetFileName() const { return fileName_; }
  const ArenaText& GetHash() const { return hash_; }
  void SetRecordName(std::string_view name) { name_ = CompactText(name); }
  // The file name and hash are kept in the record's arena.
  void SetFileName(std::string_view fileName) { fileName_.Assign(ArenaOf(*this), fileName); }
  // Stores the text as it is; checking it against the registered hashes is the caller's.
  void SetHashText(std::string_view hash) { hash_.Assign(ArenaOf(*this), hash); }

  // Builds the record's fields with default values for the schema type and registers the
  // default tree as pointable.
  void BuildDefaultTree(THandle type);
  // Replaces out with the record file text: the record's element named by its name, with
  // "__hash" after every field attribute (no declaration).
  void WriteFileText(std::string& out);

  // ---- Whether the file holds what memory holds ----
  // The record's own dirty flag follows the edits applied to it rather than the flags that undo
  // passes up from a field: it reads clean only when the applied edits are exactly those that
  // were applied at the last save (or load) and nothing outside the history changed it since.
  //
  // An edit that changed the record ran; redo is true when it runs again after an undo (which
  // may bring back the saved state), false for its first run (which, made after undoing past
  // the save, makes the saved state unreachable). Settles the flag.
  void NoteEditApplied(bool redo);
  // An edit that NoteEditApplied counted was undone. Settles the flag.
  void NoteEditReverted();
  // The record now matches its file: after a save or a reload.
  void MarkSaved();
  // Something outside the history changed the record (a hash given at load, user data): it
  // stays dirty until saved.
  void MarkUnsaved();

  // The pointable structures: every owned structure in service, each once.
  const ArenaVector<THandle>& PointableStructures() const { return pointableStructures_; }
  // Appends the handle unless the list holds it.
  void AddPointableStructure(THandle handle);
  // Removes the handle if the list holds it.
  void RemovePointableStructure(THandle handle);
  // With the record itself: rebuilds the list from the owned tree, depth first, parent before
  // its children. With another record: adds this record's tree to that one's list.
  void RegisterPointables(CDataRecord& record) override;
  // ResolveReferences through the pointable list instead of a walk of the tree: for a record whose
  // list was rebuilt since its structures last changed, as after reading it.
  void ResolvePointableReferences();

 private:
  CompactText name_;
  ArenaText fileName_;
  ArenaText hash_;
  // Sets the dirty flag from the edit accounting below.
  void SettleDirty();

  // In the record's arena.
  ArenaVector<THandle> pointableStructures_;
  uint32_t appliedEdits_ = 0;  // edits applied minus edits undone
  uint32_t savedEdits_ = 0;    // appliedEdits_ at the last save
  bool savedStateReachable_ = true;
  bool changedOutsideHistory_ = false;
};

}  // namespace Database
