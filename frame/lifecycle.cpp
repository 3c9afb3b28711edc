#include <tinyxml2.h>

#include <algorithm>
#include <string_view>

#include "base/log.h"
#include "base/platform.h"
#include "data/data_record.h"
#include "frame/database.h"
#include "frame/record_loader.h"
#include "schema/model.h"

namespace Database {
namespace {

constexpr const char* kNameTaken = "Adding new record named \"%s\" failed. Already exists.";
constexpr const char* kNotReloaded = "Could not reload file %s. Error.";
constexpr const char* kReloaded = "%s Reloaded.";
constexpr const char* kCannotDelete =
    "Could not delete record from disk. \"%s\". Read only? If its versioned, please use Perforce "
    "Delete. ";

constexpr const char* kBadName =
    "Record name \"%s\" cannot be a file name: it must not be empty, \".\" or \"..\", nor hold "
    "\\ / : < > \" | ? * or control characters.";

// True when name, as the last part of a file name, stays inside its directory; logged otherwise.
bool IsFileName(const char* name) {
  const std::string_view text(name);
  const bool bad = text.empty() || text == "." || text == ".." ||
                   std::any_of(text.begin(), text.end(), [](char c) {
                     return static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                            std::string_view("\\/:<>\"|?*").find(c) != std::string_view::npos;
                   });
  if (bad) LogError(kBadName, name);
  return !bad;
}

// Names the record after its file and builds its fields with the type's default values. A type
// that the schema does not know leaves the record without fields and without a type.
void InitializeNewRecord(CDataRecord& record, const std::string& typeName,
                         const std::string& fileName) {
  record.SetFileName(fileName);
  record.SetRecordName(RecordNameFromPath(fileName));
  if (!fileName.empty() && fileName.front() == '/') record.SetFileName(fileName.substr(1));
  if (const THandle type = Schema::SchemaRegistry::Instance().FindStructByName(typeName)) {
    record.BuildDefaultTree(type);
  }
}

}  // namespace

THandle CDatabase::CreateRecord(const char* typeName, const char* directory, const char* name) {
  if (!typeName || !directory || !name || !IsFileName(name)) return 0;
  const std::string recordName = std::string(typeName) + "." + name;
  if (GetRecordByName(recordName.c_str()) != 0) {
    LogError(kNameTaken, name);
    return 0;
  }
  std::string fileName = directory + recordName;
  if (fileName.find(".xml") == std::string::npos) fileName += ".xml";

  ObjectPtr<CDataRecord> created = CDataRecord::Create(RecordArena());
  CDataRecord& record = *created;
  InitializeNewRecord(record, typeName, fileName);
  SetHash(record, GenerateHash());
  RegisterRecord(std::move(created));
  // A record whose file could not be written lives only in memory until a save succeeds.
  if (!Save(record)) record.MarkUnsaved();
  return record.GetHandle();
}

bool CDatabase::ReloadRecord(THandle handle) {
  CDataRecord* record = Resolve<CDataRecord>(handle);
  if (!record || !fileSizer || !fileLoader) return false;
  const std::string fileName = record->GetFileName().str();
  const uint32_t size = fileSizer(fileName.c_str());
  if (size == 0) return false;
  const tinyxml2::XMLDocument* document = ParseRecordFile(fileName.c_str(), size);
  if (!document) return false;
  if (record->Load(record->GetTypeName(), document->FirstChild(), nullptr) == 0) {
    LogError(kNotReloaded, fileName.c_str());
    return false;
  }
  record->ResolveWeakPointers();
  record->RegisterPointables(*record);
  record->MarkSaved();
  LogMessage(kReloaded, fileName.c_str());
  return true;
}

bool CDatabase::RemoveRecord(THandle handle, bool deleteFile) {
  if (!deleteFile) return false;
  CDataRecord* record = Resolve<CDataRecord>(handle);
  const auto at = std::find(records.begin(), records.end(), handle);
  if (!record || at == records.end()) return false;
  if (!Platform::RemoveFile(record->GetFileName().str())) {
    LogError(kCannotDelete, record->GetFileName().c_str());
    return false;
  }
  const auto index = at - records.begin();
  records.erase(at);
  recordObjects_.erase(recordObjects_.begin() + index);
  return false;
}

bool CDatabase::RenameRecord(CDataRecord& record, const char* newName) {
  if (!IsFileName(newName)) return false;
  const std::string fileName = record.GetFileName().str();
  const size_t separator = fileName.rfind('\\');
  const std::string directory =
      separator == std::string::npos ? std::string() : fileName.substr(0, separator);
  record.SetFileName(directory + "\\" + newName + ".xml");
  return true;
}

}  // namespace Database
