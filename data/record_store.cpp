#include "data/record_store.h"

namespace Database {
namespace {

class CNoRecords final : public IRecordStore {
 public:
  std::string& ExportBuffer() override { return buffer_; }
  THandle FindRecordByHash(std::string_view) const override { return 0; }
  void NotePendingReferences() override {}

 private:
  std::string buffer_;
};

IRecordStore*& Installed() {
  static IRecordStore* store = nullptr;
  return store;
}

}  // namespace

IRecordStore& RecordStore() {
  static CNoRecords none;
  IRecordStore* store = Installed();
  return store ? *store : none;
}

void SetRecordStore(IRecordStore* store) { Installed() = store; }

}  // namespace Database
