#include <rpc.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>

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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(out.flush());
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace Database::Platform

// The library keeps no per-thread state, so thread notifications are declined.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
