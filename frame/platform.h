// The few operating-system services the library uses, behind one interface so that the rest of
// the code stays portable. Only the platform_*.cpp files call the operating system.
#pragma once

#include <string>

namespace Database::Platform {

// The text of a new random UUID: 36 lower-case hexadecimal characters in groups of 8, 4, 4, 4
// and 12 separated by hyphens.
std::string NewUuidText();

// Byte-wise comparison ignoring ASCII letter case, ordered like _stricmp: <0, 0 or >0.
int CompareNoCase(const char* a, const char* b);

// A record file path as the operating system takes it. Paths are relative to the current
// directory; on POSIX systems '\' separators become '/' and a leading separator still means
// "relative to the current directory".
std::string NativeRecordPath(const std::string& path);

// Writes text to the file at path (NativeRecordPath applied), replacing its content. False when
// the file cannot be opened or written.
bool WriteTextFile(const std::string& path, const std::string& text);

// Deletes the file at path (NativeRecordPath applied). False when it could not be deleted.
bool RemoveFile(const std::string& path);

}  // namespace Database::Platform
