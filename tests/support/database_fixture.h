// A test fixture that opens a database from schema and record texts held in memory: the texts are
// served by MemoryFiles through DB_Load, the log is captured, and the database is closed when the
// test ends. Paths are listed in the order they are added.
//
//   TEST_F(DatabaseFixture, Example) {
//     AddSchema("items.sch", "struct Item { int32 Weight; };");
//     ASSERT_TRUE(Load());
//     EXPECT_NE(DB_SchemaStruct("Item"), 0u);
//   }
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/log_capture.h"
#include "support/memory_files.h"

class DatabaseFixture : public ::testing::Test {
 public:
  // One progress report: the percent and the path.
  using ProgressStep = std::pair<int32_t, std::string>;

 protected:
  DatabaseFixture();
  ~DatabaseFixture() override;

  // Adds a file to the schema or record list; the text is what the host would serve for it.
  void AddSchema(const std::string& path, const std::string& text) {
    files_.Add(path, text);
    schemaPaths_.push_back(path);
  }
  void AddRecord(const std::string& path, const std::string& text) {
    files_.Add(path, text);
    recordPaths_.push_back(path);
  }
  // Adds a path to the schema or record list that no file was added for: the host cannot find
  // it (its size is 0).
  void AddMissingSchema(const std::string& path) { schemaPaths_.push_back(path); }
  void AddMissingRecord(const std::string& path) { recordPaths_.push_back(path); }

  // Closes the database and forgets every listed file, log line and progress report, so that a
  // table-driven test can load case after case.
  void Reset();

  // DB_Load with every listed file and a progress callback. The log capture keeps the lines.
  bool Load();
  // Shorthand: one schema file holding text, loaded on its own.
  bool LoadSchema(const std::string& text, const std::string& path = "test.sch");

  LogCapture& Log() { return log_; }
  MemoryFiles& Files() { return files_; }
  const std::vector<ProgressStep>& Progress() const { return progress_; }

 private:
  static void ReceiveProgress(int32_t percent, const char* path);

  LogCapture log_;
  MemoryFiles files_;
  std::vector<std::string> schemaPaths_;
  std::vector<std::string> recordPaths_;
  std::vector<ProgressStep> progress_;
};
