#include "tessella.h"
// The public header comes first: it must compile on its own.

#include "data/data_record.h"
#include "data/url.h"

using Database::CDataRecord;
using Database::WithObject;

uint64_t DB_DataRecord_PointableStructureCount(uint64_t record) noexcept {
  return WithObject<const CDataRecord>(
      record, 0, [&](const CDataRecord& found) { return found.PointableStructures().size(); });
}

uint64_t DB_DataRecord_GetPointableStructure(uint64_t record, uint32_t index) noexcept {
  return WithObject<const CDataRecord>(record, 0, [&](const CDataRecord& found) {
    const auto& pointables = found.PointableStructures();
    return index < pointables.size() ? pointables[index] : 0;
  });
}

uint64_t DB_DataRecord_ResolveURL(uint64_t record, const char* url) noexcept {
  return WithObject<const CDataRecord>(record, 0, [&](const CDataRecord& found) {
    return url ? Database::ResolveURL(found, url) : 0;
  });
}
