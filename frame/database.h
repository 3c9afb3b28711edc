// The one process-wide database: the host's callbacks, the export buffer, the record registries
// and the last query's results. Opening and closing a database fill and empty it; the object
// itself lives as long as the library.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/data_object.h"
#include "base/object_arena.h"
#include "base/object_registry.h"
#include "base/platform.h"
#include "data/record_store.h"
#include "frame/fast_record_parser.h"
#include "frame/hash_index.h"
#include "tessella.h"

namespace tinyxml2 {
class XMLDocument;
}

namespace Database {

class CDataRecord;

class CDatabase final : public IRecordStore {
 public:
  static CDatabase& Instance();

  // Clears the history, closes the open database and loads a new one. True when it opened.
  bool Open(FileLoader fileLoader, FileSizer fileSizer, ProgressCallback progress,
            uint32_t schemaFileCount, const char* const* schemaFiles, uint32_t recordFileCount,
            const char* const* recordFiles);

  // Destroys every record, empties the registries and tears the schema down. The callbacks,
  // the export buffer and the last query's results stay. The command history is cleared as
  // well, so that no undo step can reach an object of the closed database.
  void Close();

  // Loads schema and record files into the (empty) database. Logs and returns false when a
  // callback is missing or the schema does not load.
  bool Load(FileLoader fileLoader, FileSizer fileSizer, ProgressCallback progress,
            uint32_t schemaFileCount, const char* const* schemaFiles, uint32_t recordFileCount,
            const char* const* recordFiles);

  // ---- Record registry ----
  // Takes ownership of the record and registers it under its hash and name (replacing any
  // earlier entry with an equal key) and at the end of records.
  void RegisterRecord(ObjectPtr<CDataRecord> record);
  // The handle registered under the name (letter case ignored) or exactly the hash; 0 when none.
  // The handle may name a record that has since been removed.
  THandle GetRecordByName(const char* name) const;
  THandle GetRecordByHash(const char* hash) const;
  // A new random hash text.
  static std::string GenerateHash();
  // Gives the record the hash unless some record is registered under it already (then an
  // exception line is logged and the record's hash stays as it was).
  void SetHash(CDataRecord& record, std::string hash);

  // ---- Loading ----
  // While records are loaded, notes that the record being read holds pending hashes, so that
  // the end of the load resolves them without walking every record. Nothing otherwise.
  void NotePendingReferences() override;
  // Reads one record file through the host's callbacks, builds, resolves and registers the
  // record. Logs and returns false when the file is missing, malformed or of no known type.
  bool LoadRecord(const char* path, THandle* out);
  // With fast off, LoadRecord reads every file with the reference parser alone. Either way a
  // file gives the same record, or the same error.
  void SetFastReading(bool fast) { fastReading_ = fast; }

  // ---- Persistence ----
  // The record in record file form, written into exportText in place (the buffer keeps its
  // address while the text fits its capacity); null when the record produced no element.
  const std::string* Export(CDataRecord& record);
  // Writes the record's file (relative to the current directory). False, logged, when the text
  // could not be produced or the file not written. The dirty flag is the caller's.
  bool Save(CDataRecord& record);
  // Save, then the record is clean: its dirty flag (and its fields') is cleared on success.
  bool SaveClean(CDataRecord& record);
  // Saves every dirty record and clears its flag; a record that fails stays dirty.
  void SaveAll();

  // ---- Lifecycle ----
  // Creates, registers and saves a record of the type with default values, named
  // "<type>.<name>" and stored at directory + "<type>.<name>.xml". 0 when the name is taken, or
  // (logged) empty, "." or "..", or holding a path separator, ':', a control character or one of
  // <>"|?*. A record whose file could not be written stays dirty.
  THandle CreateRecord(const char* typeName, const char* directory, const char* name);
  // Re-reads the record from its file in place (handle, name, hash and registrations stay).
  bool ReloadRecord(THandle record);
  // With deleteFile, deletes the record's file and then destroys the record. The result is
  // false in every case; success shows in records and in the handle no longer resolving.
  bool RemoveRecord(THandle record, bool deleteFile);
  // The record's file name becomes <directory of the old one>\<newName>.xml; nothing else
  // changes.
  // False, logged, when newName could lead outside the directory (see CreateRecord).
  static bool RenameRecord(CDataRecord& record, const char* newName);

  // ---- What the data model asks of its store ----
  std::string& ExportBuffer() override { return exportText; }
  THandle FindRecordByHash(std::string_view hash) const override;

  // The registered records' handles in registration order, contiguous for the host.
  const std::vector<THandle>& Records() const { return records; }
  // What the last query that parsed selected.
  const std::vector<THandle>& QueryResults() const { return queryResults; }
  void SetQueryResults(std::vector<THandle> results) { queryResults = std::move(results); }

 private:
  CDatabase();
  ~CDatabase();

  FileLoader fileLoader = nullptr;
  FileSizer fileSizer = nullptr;
  ProgressCallback progressCallback = nullptr;
  std::string exportText;
  HashIndex recordsByHash;
  HashIndex recordsByName{true};
  std::vector<THandle> records;  // see recordObjects_
  std::vector<THandle> queryResults;

  // Reads the file through the host's loader into the file buffer (size + 1 bytes, a zero after
  // the last one) and returns its text up to the first zero byte; valid until the next read.
  std::string_view ReadHostFile(const char* path, uint32_t size);
  // Reads the record file and parses it into the record document. Null, with the error logged,
  // when it is not well-formed XML.
  const tinyxml2::XMLDocument* ParseRecordFile(const char* path, uint32_t size);
  // ParseRecordFile for a text already read.
  const tinyxml2::XMLDocument* ParseRecordText(const char* path, std::string_view text);
  // Builds and registers the record whose file has root as its first node (none when that is
  // no element), read through Dom.
  template <class Dom>
  bool BuildRecord(const char* path, typename Dom::Element root, THandle* out);

  // The arena the open database's records are built in: made when the first record is, and let
  // go at Close once the records are destroyed.
  ObjectArena* RecordArena();

  ArenaOwner arena_;
  // The records noted while records are loaded; resolved and emptied at the end. The fields
  // themselves are not named: a field named by handle costs memory a record does not.
  std::vector<THandle> pendingReferenceRecords_;
  bool readRecordHasPending_ = false;
  bool loadingRecords_ = false;
  // The file the load is reading (cut to fit), for the message when memory runs out: copied
  // without allocating, since it is read when allocation has failed.
  void NoteLoading(const char* path);
  std::array<char, 512> loadingPath_{};
  // The registered records, owned here and index-aligned with records.
  std::vector<ObjectPtr<CDataRecord>> recordObjects_;
  // Reused from file to file, so that loading many records allocates them once.
  std::vector<char> fileBuffer_;
  std::unique_ptr<tinyxml2::XMLDocument> recordDocument_;
  FastRecordParser fastParser_;
  bool fastReading_ = true;
};

}  // namespace Database
