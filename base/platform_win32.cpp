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

void* AllocateLargeBlock() {
  return VirtualAlloc(nullptr, kLargeBlockSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLargeBlock(void* block) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

std::string NativeRecordPath(const std::string& path) { return path; }

bool WriteTextFile(const std::string& path, const std::string& text) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // The text goes to a new file beside the old one, which is replaced only once every byte is
  // written: a failure at any point leaves the old file as it was.
  static unsigned counter = 0;
  const std::string temporary =
      path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
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
  if (!written || !MoveFileExA(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace Database::Platform

// The library keeps no per-thread state, so thread notifications are declined.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
