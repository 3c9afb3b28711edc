#include "tessella.h"
// The public header comes first: it must compile on its own.

#include <algorithm>

#include "base/object_registry.h"
#include "frame/database.h"
#include "frame/query.h"

uint64_t DB_Query(const char* query) noexcept {
  return Database::Guarded(0, [&] { return Database::Query(query); });
}

uint64_t DB_QueryGetResults(uint64_t* out) noexcept {
  const std::vector<uint64_t>& results = Database::CDatabase::Instance().QueryResults();
  if (out) std::copy(results.begin(), results.end(), out);
  return results.size();
}
