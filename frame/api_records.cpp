#include "tessella.h"
// The public header comes first: it must compile on its own.

#include "data/data_record.h"
#include "frame/database.h"

using Database::CDatabase;
using Database::CDataRecord;
using Database::Guarded;
using Database::WithObject;

namespace {

CDatabase& Db() { return CDatabase::Instance(); }

}  // namespace

uint64_t DB_GetRecordCount() noexcept { return Db().Records().size(); }

const uint64_t* DB_GetRecords() noexcept {
  return Db().Records().empty() ? nullptr : Db().Records().data();
}

uint64_t DB_GetRecordByHash(const char* hash) noexcept {
  return Guarded(0, [&] { return Db().GetRecordByHash(hash); });
}

uint64_t DB_GetRecordByName(const char* name) noexcept {
  return Guarded(0, [&] { return Db().GetRecordByName(name); });
}

const char* DB_DataRecord_Name(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(
      record, nullptr, [](const CDataRecord& r) { return r.GetRecordName().c_str(); });
}

const char* DB_DataRecord_Filename(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(
      record, "", [](const CDataRecord& r) { return r.GetFileName().c_str(); });
}

const char* DB_DataRecord_SchemaName(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(record, nullptr, [](const CDataRecord& r) {
    const auto* type = r.GetSchemaStruct();
    return type ? type->GetName().c_str() : nullptr;
  });
}

const char* DB_DataRecord_Hash(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(record, nullptr,
                                       [](const CDataRecord& r) { return r.GetHash().c_str(); });
}

bool DB_DataRecord_IsDirty(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(record, false,
                                       [](const CDataRecord& r) { return r.IsDirty(); });
}

const char* DB_Export(uint64_t record) noexcept {
  return WithObject<CDataRecord>(record, nullptr, [](CDataRecord& r) {
    const std::string* text = Db().Export(r);
    return text ? text->c_str() : nullptr;
  });
}

// Writes nothing: hosts call it expecting no record file to change; writing is DB_SaveAll's.
bool DB_ExportAll() noexcept { return true; }

bool DB_SaveAll() noexcept {
  Guarded([] { Db().SaveAll(); });
  return true;
}

bool DB_DataRecord_Save(uint64_t record) noexcept {
  return WithObject<CDataRecord>(record, false, [](CDataRecord& r) { return Db().SaveClean(r); });
}

// Writes nothing either; hosts read false as "a live record". Writing is DB_DataRecord_Save's.
bool DB_DataRecord_Export(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(record, true, [](const CDataRecord&) { return false; });
}

uint64_t DB_CreateRecord(const char* typeName, const char* directory, const char* name) noexcept {
  return Guarded(0, [&] { return Db().CreateRecord(typeName, directory, name); });
}

uint64_t DB_LoadRecord(const char* path) noexcept {
  return Guarded(0, [&] {
    uint64_t handle = 0;
    return Db().LoadRecord(path, &handle) ? handle : 0;
  });
}

bool DB_ReloadRecord(uint64_t record) noexcept {
  return Guarded(false, [&] { return Db().ReloadRecord(record); });
}

bool DB_ReloadRecordByName(const char* name) noexcept {
  return Guarded(false, [&] {
    const uint64_t record = Db().GetRecordByName(name);
    return record != 0 && Db().ReloadRecord(record);
  });
}

bool DB_RemoveRecord(uint64_t record, bool deleteFile) noexcept {
  return Guarded(false, [&] { return Db().RemoveRecord(record, deleteFile); });
}

bool DB_DataRecord_Rename(uint64_t record, const char* newName) noexcept {
  return WithObject<CDataRecord>(record, false, [&](CDataRecord& r) {
    return newName && CDatabase::RenameRecord(r, newName);
  });
}
