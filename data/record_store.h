// What the data model needs of the database that holds its records, and no more: the one text
// buffer that record exports and structure serialisations fill, finding a record by hash, and
// hearing that a reference field has come to hold hashes that wait for the rest of a load. The
// database provides it; the data model never sees the database itself.
#pragma once

#include <string>
#include <string_view>

#include "base/data_object.h"

namespace Database {

class IRecordStore {
 public:
  // The buffer whose text the host is handed; the next export or serialisation overwrites it.
  virtual std::string& ExportBuffer() = 0;
  // The record registered under exactly this hash; 0 when none.
  virtual THandle FindRecordByHash(std::string_view hash) const = 0;
  // Told once per reference field that comes to hold pending hashes, while the field's record
  // is read.
  virtual void NotePendingReferences() = 0;

 protected:
  ~IRecordStore() = default;
};

// The store in use: the one the database installed, or, before there is a database, one with a
// buffer of its own and no records.
IRecordStore& RecordStore();
// Installs the store (null goes back to the store without records); the caller keeps ownership.
void SetRecordStore(IRecordStore* store);

}  // namespace Database
