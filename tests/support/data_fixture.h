// A fixture for data-model tests: the schema is loaded from text through DB_Load, records are
// read from record file texts the way the record loader reads them (structure loader, weak
// pointers, pointable structures) and registered in the database, so DB_Close destroys them.
//
//   TEST_F(DataFixture, Example) {
//     UseSchema("record Item { int32 Weight; };");
//     Database::CDataRecord& item = ReadRecord("Sword", R"(<Sword __type="Item" Weight="3"/>)");
//     EXPECT_EQ(item.GetField(0).GetAsText(0), "3");
//   }
#pragma once

#include <string>
#include <vector>

#include "data/data_record.h"
#include "support/database_fixture.h"

// Every element of the field as text; {"<no field>"} for a null field.
std::vector<std::string> ElementTexts(Database::CDataField* field);

class DataFixture : public DatabaseFixture {
 protected:
  // Loads one schema file holding text and forgets the load's log lines; the test fails when it
  // does not load.
  void UseSchema(const std::string& text);
  // Reads a record named name from text (its root's "__type" and "__hash" are used) and
  // registers it by hash and name. References stay pending until ResolveReferences.
  Database::CDataRecord& ReadRecord(const std::string& name, const std::string& text);
  // As ReadRecord, for tests that work through the public header only: the record's handle.
  uint64_t ReadRecordHandle(const std::string& name, const std::string& text) {
    return ReadRecord(name, text).GetHandle();
  }
  // A record of the type built with default values, registered under name and hash.
  Database::CDataRecord& NewRecord(const std::string& name, const std::string& type,
                                   const std::string& hash = "");
  // Resolves the references of every registered record.
  void ResolveReferences();
  // The record file text of the record.
  static std::string FileText(Database::CDataRecord& record);
  // The structure held by the field of that name at index (null when there is none).
  static Database::CDataStruct* Child(const Database::CDataStruct& parent, const std::string& field,
                                      int32_t index = 0);

 private:
  Database::CDataRecord& Register(Database::ObjectPtr<Database::CDataRecord> record);
};
