#include <rpc.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/platform.h"

namespace Database::Platform {

std::string NewUuidText() {
  UUID uuid;
  UuidCreate(&uuid);
  RPC_CSTR text = nullptr;
  std::string result;
  if (UuidToStringA(&uuid, &text) == RPC_S_OK) {
    result = reinterpret_cast<const char*>(text);
    RpcStringFreeA(&text);
  }
  return result;
}

int CompareNoCase(const char* a, const char* b) { return _stricmp(a, b); }

void* AllocateSystemBlock(size_t size) {
  // Allocations start on the system's allocation granularity, 64 KiB.
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeSystemBlock(void* block, size_t) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

namespace {
// UTF-16 for the wide-character calls; paths in the interface are UTF-8. Empty when the text is
// not valid UTF-8, which no file call accepts.
std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}
}  // namespace

std::string NativeRecordPath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return !native.empty() && native.front() == '\\' ? "." + native : native;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  const std::wstring native = Wide(NativeRecordPath(path));
  if (native.empty()) return false;
  const DWORD attributes = GetFileAttributesW(native.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // The text goes to a new file beside the old one, which is replaced only once every byte is
  // written: a failure at any point leaves the old file as it was.
  static unsigned counter = 0;
  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; file == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temporary = native + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  for (size_t done = 0; written && done < text.size();) {
    constexpr size_t kMostPerWrite = size_t{1} << 30;
    const size_t left = text.size() - done;
    const DWORD chunk = static_cast<DWORD>(left < kMostPerWrite ? left : kMostPerWrite);
    DWORD wrote = 0;
    written = WriteFile(file, text.data() + done, chunk, &wrote, nullptr) != 0 && wrote > 0;
    done += wrote;
  }
  written = CloseHandle(file) != 0 && written;
  if (!written || !MoveFileExW(temporary.c_str(), native.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) {
  const std::wstring native = Wide(NativeRecordPath(path));
  return !native.empty() && DeleteFileW(native.c_str()) != 0;
}

}  // namespace Database::Platform

// The library keeps no per-thread state, so thread notifications are declined.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
