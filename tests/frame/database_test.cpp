#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "support/log_capture.h"
#include "support/memory_files.h"
#include "tessella.h"

namespace {

TEST(DatabaseFrame, LoadWithoutAFileCallbackFailsBeforeReadingAnythingAndCloseIsHarmless) {
  LogCapture capture;
  MemoryFiles files;
  files.Add("a.sch", "struct A { int32 x; };");
  const char* schema[] = {"a.sch"};
  EXPECT_FALSE(DB_Load(MemoryFiles::Loader(), nullptr, nullptr, 1, schema, 0, nullptr));
  EXPECT_FALSE(DB_Load(nullptr, MemoryFiles::Sizer(), nullptr, 1, schema, 0, nullptr));
  DB_Close();
  DB_Close();
  EXPECT_TRUE(files.SizeRequests().empty());
  EXPECT_TRUE(files.LoadRequests().empty());
  const std::string line =
      "X File(Database) Line(411) Function(Database::CDatabase::Load) - FileSizer or FileLoader "
      "was not provided on DLL initialization.";
  EXPECT_EQ(capture.Lines(), LogLines(line + "\n" + line));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// A database larger than the memory the process may have: the load fails, naming the record it
// was reading, with nothing left loaded; the next load works.
TEST(DatabaseFrame, OutOfMemoryFailsTheLoadNotTheHost) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no per-process address-space limit that a test can set and run "
                  "past in a child process";
#else
  if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer needs more address space";
  const pid_t child = fork();
  if (child == 0) {
    const rlimit limit{size_t{1} << 30, size_t{1} << 30};
    setrlimit(RLIMIT_AS, &limit);
    LogCapture capture;
    MemoryFiles files;
    files.Add("a.sch", "struct A { int32 x; int32 y; int32 z; }; record R { A[240000] p; };");
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
      names.push_back("r" + std::to_string(i) + ".xml");
      files.Add(names.back(), "<R __type=\"R\" __hash=\"h" + std::to_string(i) + "\"/>");
    }
    std::vector<const char*> records;
    for (const std::string& name : names) records.push_back(name.c_str());
    const char* schema[] = {"a.sch"};
    const bool loaded = DB_Load(MemoryFiles::Loader(), MemoryFiles::Sizer(), nullptr, 1, schema,
                                static_cast<uint32_t>(records.size()), records.data());
    const std::vector<std::string> errors = capture.Texts(TESSELLA_LOG_ERROR);
    const bool named = !errors.empty() &&
                       errors.back().find("Out of memory while loading \"r") != std::string::npos;
    const bool released = DB_GetRecordCount() == 0;
    files.Add("a.sch", "struct A { int32 x; };");
    const bool recovered =
        DB_Load(MemoryFiles::Loader(), MemoryFiles::Sizer(), nullptr, 1, schema, 0, nullptr);
    _exit((!loaded) | (named << 1) | (released << 2) | (recovered << 3));
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 15) << "bits: failed, named, released, recovered";
#endif
}

}  // namespace
