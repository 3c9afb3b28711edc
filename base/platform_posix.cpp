#include <sys/mman.h>
#include <uuid/uuid.h>

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "base/platform.h"

namespace Database::Platform {

std::string NewUuidText() {
  uuid_t uuid;
  uuid_generate_random(uuid);
  char text[37];
  uuid_unparse_lower(uuid, text);
  return text;
}

namespace {
// ASCII only, whatever locale the host set: the record-name index must not change its order.
int LowerAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
}
}  // namespace

int CompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = LowerAscii(*a);
    const int cb = LowerAscii(*b);
    if (ca != cb || ca == 0) return ca - cb;
  }
}

void* AllocateLargeBlock() {
  // Twice the size is mapped so that a block aligned to its size can be cut out of it: only an
  // aligned block can be backed by large pages.
  constexpr size_t kSize = kLargeBlockSize;
  void* mapped =
      mmap(nullptr, 2 * kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* start = static_cast<char*>(mapped);
  const auto address = reinterpret_cast<uintptr_t>(start);
  char* block = start + ((kSize - address % kSize) % kSize);
  if (block > start) munmap(start, static_cast<size_t>(block - start));
  if (block + kSize < start + 2 * kSize) {
    munmap(block + kSize, static_cast<size_t>(start + 2 * kSize - (block + kSize)));
  }
#ifdef MADV_HUGEPAGE
  madvise(block, kSize, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeLargeBlock(void* block) {
  if (block) munmap(block, kLargeBlockSize);
}

std::string NativeRecordPath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return !native.empty() && native.front() == '/' ? "." + native : native;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(NativeRecordPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(out.flush());
}

bool RemoveFile(const std::string& path) {
  return std::remove(NativeRecordPath(path).c_str()) == 0;
}

}  // namespace Database::Platform
