// Records: the top-level structure of one record file. A record carries its name, file name and
// hash texts and the list of its pointable structures (the structures a weak pointer may
// target). Registering records by hash and name, the collision check of hash assignment and the
// file operations belong to the database; this class gives them plain setters and entry points.
#pragma once

#include <string>
#include <vector>

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
  const std::string* GetName() const override { return &name_; }

  const std::string& GetRecordName() const { return name_; }
  const std::string& GetFileName() const { return fileName_; }
  const std::string& GetHash() const { return hash_; }
  void SetRecordName(std::string name) { name_ = std::move(name); }
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  // Stores the text as it is; checking it against the registered hashes is the caller's.
  void SetHashText(std::string hash) { hash_ = std::move(hash); }

  // Builds the record's fields with default values for the schema type and registers the
  // default tree as pointable.
  void BuildDefaultTree(THandle type);
  // Replaces out with the record file text: the record's element named by its name, with
  // "__hash" after every field attribute, printed by the XML printer (no declaration).
  void WriteFileText(std::string& out);

  // The pointable structures: every owned structure in service, each once.
  const std::vector<THandle>& PointableStructures() const { return pointableStructures_; }
  // Appends the handle unless the list holds it.
  void AddPointableStructure(THandle handle);
  // Removes the handle if the list holds it.
  void RemovePointableStructure(THandle handle);
  // With the record itself: rebuilds the list from the owned tree, depth first, parent before
  // its children. With another record: adds this record's tree to that one's list.
  void RegisterPointables(CDataRecord& record) override;

 private:
  std::string name_;
  std::string fileName_;
  std::string hash_;
  std::vector<THandle> pointableStructures_;
};

}  // namespace Database
