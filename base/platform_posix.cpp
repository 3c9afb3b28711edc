#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <uuid/uuid.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

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

void* AllocateSystemBlock(size_t size) {
  // Twice the size is mapped so that a block aligned to its size can be cut out of it: only an
  // aligned block can be backed by large pages.
  void* mapped =
      mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* start = static_cast<char*>(mapped);
  const auto address = reinterpret_cast<uintptr_t>(start);
  char* block = start + ((size - address % size) % size);
  if (block > start) munmap(start, static_cast<size_t>(block - start));
  if (block + size < start + 2 * size) {
    munmap(block + size, static_cast<size_t>(start + 2 * size - (block + size)));
  }
#ifdef MADV_HUGEPAGE
  if (size == kLargeBlockSize) madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeSystemBlock(void* block, size_t size) {
  if (block) munmap(block, size);
}

std::string NativeRecordPath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return !native.empty() && native.front() == '/' ? "." + native : native;
}

namespace {
pid_t cachedProcessId = 0;

void ForgetProcessId() { cachedProcessId = 0; }

// The process id, asked of the system once per process (and again in a forked child): in some
// virtual machines a system call costs a microsecond, a few percent of saving a small file.
pid_t ProcessId() {
  static const bool forgottenOnFork = pthread_atfork(nullptr, nullptr, &ForgetProcessId) == 0;
  if (!forgottenOnFork) return getpid();
  if (cachedProcessId == 0) cachedProcessId = getpid();
  return cachedProcessId;
}
}  // namespace

bool WriteTextFile(const std::string& path, const std::string& text) {
  const std::string native = NativeRecordPath(path);
  struct stat existing {};
  const bool exists = stat(native.c_str(), &existing) == 0;
  // The permission bits decide, not access(): a process running as root may write anything.
  constexpr mode_t kWritable = S_IWUSR | S_IWGRP | S_IWOTH;
  if (exists && (!S_ISREG(existing.st_mode) || (existing.st_mode & kWritable) == 0)) return false;

  // The text goes to a new file beside the old one, which is replaced only once every byte is
  // written: a failure at any point leaves the old file as it was.
  static unsigned counter = 0;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = native + ".tmp-" + std::to_string(ProcessId()) + "-" + std::to_string(++counter);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool written = !exists || fchmod(fd, existing.st_mode & 07777) == 0;
  for (size_t done = 0; written && done < text.size();) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    written = wrote > 0;
    if (written) done += static_cast<size_t>(wrote);
  }
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), native.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) {
  return std::remove(NativeRecordPath(path).c_str()) == 0;
}

}  // namespace Database::Platform
