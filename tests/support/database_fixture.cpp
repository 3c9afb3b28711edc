#include "support/database_fixture.h"

#include "tessella.h"

namespace {
std::vector<DatabaseFixture::ProgressStep>* activeProgress = nullptr;
}  // namespace

DatabaseFixture::DatabaseFixture() { activeProgress = &progress_; }

DatabaseFixture::~DatabaseFixture() {
  DB_Close();
  activeProgress = nullptr;
}

void DatabaseFixture::Reset() {
  DB_Close();
  for (const std::string& path : schemaPaths_) files_.Remove(path);
  for (const std::string& path : recordPaths_) files_.Remove(path);
  schemaPaths_.clear();
  recordPaths_.clear();
  progress_.clear();
  log_.Clear();
}

bool DatabaseFixture::LoadSchema(const std::string& text, const std::string& path) {
  AddSchema(path, text);
  return Load();
}

bool DatabaseFixture::Load() {
  std::vector<const char*> schema;
  for (const std::string& path : schemaPaths_) schema.push_back(path.c_str());
  std::vector<const char*> records;
  for (const std::string& path : recordPaths_) records.push_back(path.c_str());
  progress_.clear();
  return DB_Load(MemoryFiles::Loader(), MemoryFiles::Sizer(), &DatabaseFixture::ReceiveProgress,
                 static_cast<uint32_t>(schema.size()), schema.data(),
                 static_cast<uint32_t>(records.size()), records.data());
}

void DatabaseFixture::ReceiveProgress(int32_t percent, const char* path) {
  if (activeProgress) activeProgress->emplace_back(percent, path);
}
