#include "data/data_record.h"
#include "data/url.h"
#include "tessella.h"

using Database::CDataRecord;
using Database::Resolve;

uint64_t DB_DataRecord_PointableStructureCount(uint64_t record) noexcept {
  const CDataRecord* found = Resolve<CDataRecord>(record);
  return found ? found->PointableStructures().size() : 0;
}

uint64_t DB_DataRecord_GetPointableStructure(uint64_t record, uint32_t index) noexcept {
  const CDataRecord* found = Resolve<CDataRecord>(record);
  return found && index < found->PointableStructures().size() ? found->PointableStructures()[index]
                                                              : 0;
}

uint64_t DB_DataRecord_ResolveURL(uint64_t record, const char* url) noexcept {
  const CDataRecord* found = Resolve<CDataRecord>(record);
  return found && url ? Database::ResolveURL(*found, url) : 0;
}
