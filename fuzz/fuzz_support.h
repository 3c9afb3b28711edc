// Setup shared by the fuzz targets: in-memory files served through the host callbacks, a log
// callback that counts error lines (with TESSELLA_FUZZ_LOG set in the environment it also prints
// every line to stderr), a small sample database, and the failure report every target uses.
// Inputs longer than kMaxInput bytes are refused by each target (run with -max_len=65536).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The entry point every target defines: libFuzzer calls it, and so does replay_main.cpp.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

inline constexpr size_t kMaxInput = 65536;

// The schema of the sample database; record fuzz inputs are read against it.
extern const char* const kSampleSchema;

// Replaces the served files by one schema file and the given record files (path, text) and runs
// DB_Load on them.
bool Load(const std::string& schema,
          const std::vector<std::pair<std::string, std::string>>& records);
// Loads the sample schema with three records (named sword, bow and shield) when it is not open
// already, and returns its records.
const std::vector<uint64_t>& SampleRecords();
// Makes the next SampleRecords load the sample afresh, for an input that left it changed in a way
// later inputs must not inherit.
void ReloadSample();

// The number of log lines of error or exception level written so far.
uint64_t ErrorLines();
// Every log line written since the last call, one per line. Lines are kept only from the first
// call on, so that targets that never ask keep no transcript.
std::string TakeLog();

// Reports a broken invariant with the input and the two texts involved, then aborts.
[[noreturn]] void Fail(const char* what, const std::string& input, const std::string& expected,
                       const std::string& actual);

// Copies a library text; NULL becomes "".
std::string Copy(const char* text);

}  // namespace fuzz
