#include "support/data_fixture.h"

#include <tinyxml2.h>

#include <vector>

#include "data/data_field.h"
#include "frame/database.h"

using Database::CDatabase;
using Database::CDataRecord;
using Database::CDataStruct;
using Database::ObjectPtr;

std::vector<std::string> ElementTexts(Database::CDataField* field) {
  if (!field) return {"<no field>"};
  std::vector<std::string> texts;
  for (int32_t index = 0; index < static_cast<int32_t>(field->GetCount()); ++index) {
    texts.push_back(field->GetAsText(index));
  }
  return texts;
}

void DataFixture::UseSchema(const std::string& text) {
  ASSERT_TRUE(LoadSchema(text));
  Log().Clear();
}

CDataRecord& DataFixture::ReadRecord(const std::string& name, const std::string& text) {
  tinyxml2::XMLDocument document;
  EXPECT_EQ(document.Parse(text.c_str()), tinyxml2::XML_SUCCESS);
  ObjectPtr<CDataRecord> record = CDataRecord::Create();
  record->SetRecordName(name);
  record->SetFileName(name + ".xml");
  const tinyxml2::XMLElement* root = document.FirstChildElement();
  if (root) {
    const char* hash = root->Attribute("__hash");
    record->SetHashText(hash ? hash : "");
    const char* type = root->Attribute("__type");
    record->Load(type ? type : "", root, nullptr);
  }
  record->ResolveWeakPointers();
  record->RegisterPointables(*record);
  return Register(std::move(record));
}

CDataRecord& DataFixture::NewRecord(const std::string& name, const std::string& type,
                                    const std::string& hash) {
  ObjectPtr<CDataRecord> record = CDataRecord::Create();
  record->SetRecordName(name);
  record->SetHashText(hash);
  record->BuildDefaultTree(DB_SchemaStruct(type.c_str()));
  return Register(std::move(record));
}

CDataRecord& DataFixture::Register(ObjectPtr<CDataRecord> record) {
  CDataRecord& registered = *record;
  CDatabase::Instance().RegisterRecord(std::move(record));
  return registered;
}

void DataFixture::ResolveReferences() {
  for (const Database::THandle handle : CDatabase::Instance().Records()) {
    if (CDataRecord* record = Database::Resolve<CDataRecord>(handle)) record->ResolveReferences();
  }
}

std::string DataFixture::FileText(CDataRecord& record) {
  std::string text;
  record.WriteFileText(text);
  return text;
}

CDataStruct* DataFixture::Child(const CDataStruct& parent, const std::string& field,
                                int32_t index) {
  const Database::CDataField* found = parent.FindField(field);
  return found ? Database::Resolve<CDataStruct>(found->ReadStructHandle(index)) : nullptr;
}
