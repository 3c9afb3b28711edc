#include "support/scratch_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Suites share one working directory and run in parallel, so the suite is part of the name.
std::string CurrentTestPath() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("scratch_") + test->test_suite_name() + "_" + test->name();
  for (char& c : name) {
    if (c == '/') c = '_';  // parameterised and typed names
  }
  return name;
}

}  // namespace

ScratchDirectory::ScratchDirectory() : path_(CurrentTestPath()) {
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::string ScratchDirectory::Read(const std::string& path) {
  std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())),
                   std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}
