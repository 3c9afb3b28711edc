#include "frame/record_loader.h"

#include <tinyxml2.h>

#include <cstring>
#include <string_view>
#include <utility>

#include "base/log.h"
#include "data/data_record.h"
#include "data/xml_dom.h"
#include "frame/database.h"

namespace Database {
namespace {

constexpr size_t kXmlErrorTextLimit = 255;  // the text fits a 256-byte buffer
constexpr const char* kRecordNotFound =
    "%s was not loaded. Could not be found. Note the record filenames are relative to the Data "
    "directory (at the moment). If this file was deleted outside of Quillwork, please create a "
    "dummy and delete from within Quillwork.";
constexpr const char* kRecordXmlError = "Error loading record %s, %s";
constexpr const char* kRecordNoType = "Record %s has no __type specified.";
constexpr const char* kRecordNotRead = "Could not load in file %s. Error.";

// The element a mismatch stumbled on: the parser's detail ends with "name=<element>".
std::string_view MismatchedElementName(const tinyxml2::XMLDocument& document) {
  const std::string_view detail = document.ErrorStr() ? document.ErrorStr() : "";
  const size_t at = detail.rfind("name=");
  return at == std::string_view::npos ? std::string_view() : detail.substr(at + 5);
}

// The first "__hash" and "__type" of the root element, in one pass over its attributes: the hash
// is written last, after every field.
template <class Dom>
void FindRootAttributes(typename Dom::Element root, const char** hash, const char** type) {
  for (auto at = Dom::FirstAttribute(root); at; at = Dom::Next(at)) {
    const char* name = Dom::NameOf(at);
    if (name[0] != '_' || name[1] != '_') continue;
    if (!*hash && std::strcmp(name, "__hash") == 0) *hash = Dom::ValueOf(at);
    if (!*type && std::strcmp(name, "__type") == 0) *type = Dom::ValueOf(at);
  }
}

THandle ReadRoot(CDataRecord& record, const char* type, const tinyxml2::XMLElement* root) {
  return record.Load(type, root, nullptr);
}
THandle ReadRoot(CDataRecord& record, const char* type, const PlainElement* root) {
  return record.LoadElement(type, root);
}

}  // namespace

std::string RecordNameFromPath(std::string_view path) {
  // The name holds no separator, so both kinds are searched for instead of unified first.
  const size_t slash = path.find_last_of("\\/");
  const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return std::string(path.substr(start));
  if (dot < start) return {};
  return std::string(path.substr(start, dot - start));
}

std::string FormatXmlError(const tinyxml2::XMLDocument& document) {
  if (!document.Error()) return {};
  std::string text = document.ErrorName();
  if (document.ErrorID() == tinyxml2::XML_ERROR_MISMATCHED_ELEMENT) {
    const std::string_view element = MismatchedElementName(document);
    if (!element.empty()) text.append(" -> ").append(element);
  }
  if (text.size() > kXmlErrorTextLimit) text.resize(kXmlErrorTextLimit);
  return text;
}

const tinyxml2::XMLDocument* CDatabase::ParseRecordFile(const char* path, uint32_t size) {
  return ParseRecordText(path, ReadHostFile(path, size));
}

const tinyxml2::XMLDocument* CDatabase::ParseRecordText(const char* path, std::string_view text) {
  if (!recordDocument_) recordDocument_ = std::make_unique<tinyxml2::XMLDocument>();
  if (recordDocument_->Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
    LogError(kRecordXmlError, path, FormatXmlError(*recordDocument_).c_str());
    return nullptr;
  }
  return recordDocument_.get();
}

bool CDatabase::LoadRecord(const char* path, THandle* out) {
  if (!fileSizer || !fileLoader || !path) return false;
  const uint32_t size = fileSizer(path);
  if (size == 0) {
    LogError(kRecordNotFound, path);
    return false;
  }
  const std::string_view text = ReadHostFile(path, size);
  if (fastReading_) {
    if (const PlainElement* root = fastParser_.Parse(text)) {
      return BuildRecord<FastDom>(path, root, out);
    }
  }
  const tinyxml2::XMLDocument* document = ParseRecordText(path, text);
  if (!document) return false;
  // A declaration or comment before the root element makes the file no record.
  return BuildRecord<ReferenceDom>(
      path, document->FirstChild() ? document->FirstChild()->ToElement() : nullptr, out);
}

template <class Dom>
bool CDatabase::BuildRecord(const char* path, typename Dom::Element root, THandle* out) {
  ObjectPtr<CDataRecord> record = CDataRecord::Create(RecordArena());
  record->SetFileName(path);
  record->SetRecordName(RecordNameFromPath(path));
  if (!root) return false;

  const char* stored = nullptr;
  const char* type = nullptr;
  FindRootAttributes<Dom>(root, &stored, &type);
  std::string hash;
  if (stored) {
    hash = stored;
  } else {
    // A record without a hash gets a new one and is written back with it on the next save.
    record->MarkUnsaved();
    hash = GenerateHash();
  }
  SetHash(*record, std::move(hash));

  if (!type) {
    LogError(kRecordNoType, path);
    return false;
  }
  readRecordHasPending_ = false;
  if (ReadRoot(*record, type, root) == 0) {
    LogError(kRecordNotRead, path);
    return false;
  }
  record->ResolveWeakPointers();
  record->RegisterPointables(*record);
  *out = record->GetHandle();
  if (readRecordHasPending_) pendingReferenceRecords_.push_back(*out);
  RegisterRecord(std::move(record));
  return true;
}

}  // namespace Database
