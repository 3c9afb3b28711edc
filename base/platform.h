// The few operating-system services the library uses, behind one interface so that the rest of
// the code stays portable. Only the platform_*.cpp files call the operating system.
#pragma once

#include <cstddef>
#include <string>

namespace Database::Platform {

// Memory for long-lived pools, straight from the system rather than the heap: size bytes (a power
// of two from 64 KiB to kLargeBlockSize), zero-filled and aligned to 64 KiB at least. A block of
// kLargeBlockSize is backed by large pages where the system offers them, so that filling it takes
// a few page faults instead of hundreds. Null when the system has none to give; FreeSystemBlock
// takes back what it gave, with the same size.
inline constexpr size_t kLargeBlockSize = size_t{2} << 20;
void* AllocateSystemBlock(size_t size);
void FreeSystemBlock(void* block, size_t size);

// The text of a new random UUID: 36 lower-case hexadecimal characters in groups of 8, 4, 4, 4
// and 12 separated by hyphens.
std::string NewUuidText();

// Byte-wise comparison ignoring ASCII letter case, ordered like _stricmp: <0, 0 or >0.
int CompareNoCase(const char* a, const char* b);

// A record file path as the operating system takes it. Paths are UTF-8 and relative to the
// current directory; either separator may be used ('\' becomes '/' on POSIX systems and '/'
// becomes '\' on Windows), and a leading separator still means "relative to the current
// directory" on both, never the root of a drive or file system.
std::string NativeRecordPath(const std::string& path);

// Writes text to the file at path (NativeRecordPath applied), replacing its content. False when it
// could not be written, or when the file exists and is read-only or not a regular file.
//
// Promised: the new text is written to a temporary file in the same directory, which then
// replaces the old file in one step (keeping its permission bits); on any failure the temporary
// file is removed and the old file is left byte for byte as it was, so a failed save never leaves
// a cut-short or empty file. Not promised: the data reaching the device (no flush per file, so
// that saving many records costs what printing and writing them costs), nor surviving a power
// loss or system crash in between.
bool WriteTextFile(const std::string& path, const std::string& text);

// Deletes the file at path (NativeRecordPath applied). False when it could not be deleted.
bool RemoveFile(const std::string& path);

}  // namespace Database::Platform
