#include "data/data_record.h"
#include "frame/database.h"
#include "tessella.h"

using Database::CDatabase;
using Database::CDataRecord;
using Database::Resolve;

namespace {

CDatabase& Db() { return CDatabase::Instance(); }

// The record's text member, or fallback when the handle names no live record.
template <class Read>
const char* RecordText(uint64_t record, Read read, const char* fallback) {
  const CDataRecord* found = Resolve<CDataRecord>(record);
  return found ? read(*found) : fallback;
}

}  // namespace

uint64_t DB_GetRecordCount() noexcept { return Db().Records().size(); }

const uint64_t* DB_GetRecords() noexcept {
  return Db().Records().empty() ? nullptr : Db().Records().data();
}

uint64_t DB_GetRecordByHash(const char* hash) noexcept { return Db().GetRecordByHash(hash); }

uint64_t DB_GetRecordByName(const char* name) noexcept { return Db().GetRecordByName(name); }

const char* DB_DataRecord_Name(uint64_t record) noexcept {
  return RecordText(
      record, [](const CDataRecord& r) { return r.GetRecordName().c_str(); }, nullptr);
}

const char* DB_DataRecord_Filename(uint64_t record) noexcept {
  return RecordText(
      record, [](const CDataRecord& r) { return r.GetFileName().c_str(); }, "");
}

const char* DB_DataRecord_SchemaName(uint64_t record) noexcept {
  return RecordText(
      record,
      [](const CDataRecord& r) {
        const auto* type = r.GetSchemaStruct();
        return type ? type->GetName().c_str() : nullptr;
      },
      nullptr);
}

const char* DB_DataRecord_Hash(uint64_t record) noexcept {
  return RecordText(
      record, [](const CDataRecord& r) { return r.GetHash().c_str(); }, nullptr);
}

bool DB_DataRecord_IsDirty(uint64_t record) noexcept {
  const CDataRecord* found = Resolve<CDataRecord>(record);
  return found && found->IsDirty();
}

const char* DB_Export(uint64_t record) noexcept {
  CDataRecord* found = Resolve<CDataRecord>(record);
  const std::string* text = found ? Db().Export(*found) : nullptr;
  return text ? text->c_str() : nullptr;
}

// Writes nothing: hosts call it expecting no record file to change; writing is DB_SaveAll's.
bool DB_ExportAll() noexcept { return true; }

bool DB_SaveAll() noexcept {
  Db().SaveAll();
  return true;
}

bool DB_DataRecord_Save(uint64_t record) noexcept {
  CDataRecord* found = Resolve<CDataRecord>(record);
  return found && Db().SaveClean(*found);
}

// Writes nothing either; hosts read false as "a live record". Writing is DB_DataRecord_Save's.
bool DB_DataRecord_Export(uint64_t record) noexcept {
  return Resolve<CDataRecord>(record) == nullptr;
}

uint64_t DB_CreateRecord(const char* typeName, const char* directory, const char* name) noexcept {
  return Db().CreateRecord(typeName, directory, name);
}

uint64_t DB_LoadRecord(const char* path) noexcept {
  uint64_t handle = 0;
  return Db().LoadRecord(path, &handle) ? handle : 0;
}

bool DB_ReloadRecord(uint64_t record) noexcept { return Db().ReloadRecord(record); }

bool DB_ReloadRecordByName(const char* name) noexcept {
  const uint64_t record = Db().GetRecordByName(name);
  return record != 0 && Db().ReloadRecord(record);
}

bool DB_RemoveRecord(uint64_t record, bool deleteFile) noexcept {
  return Db().RemoveRecord(record, deleteFile);
}

bool DB_DataRecord_Rename(uint64_t record, const char* newName) noexcept {
  CDataRecord* found = Resolve<CDataRecord>(record);
  if (!found || !newName) return false;
  return CDatabase::RenameRecord(*found, newName);
}
