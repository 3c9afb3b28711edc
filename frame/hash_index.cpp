#include "frame/hash_index.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>

namespace Database {

namespace {
constexpr size_t kFirstCapacity = 16;

unsigned char LowerAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}
}  // namespace

uint64_t HashIndex::CodeOf(std::string_view text) const {
  if (!ignoreCase_) return static_cast<uint64_t>(std::hash<std::string_view>{}(text)) | 1;
  uint64_t code = 0xcbf29ce484222325u;  // FNV-1a over the lowered bytes
  for (const char c : text) code = (code ^ LowerAscii(c)) * 0x100000001b3u;
  return (code ^ (code >> 29)) | 1;
}

bool HashIndex::SameKey(std::string_view a, std::string_view b) const {
  if (!ignoreCase_) return a == b;
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

size_t HashIndex::SlotFor(std::string_view text, uint64_t code) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = code & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.code == 0 || (slot.code == code && SameKey(TextOf(slot), text))) return at;
  }
}

THandle HashIndex::Find(std::string_view text) const {
  if (size_ == 0) return 0;
  const Slot& slot = slots_[SlotFor(text, CodeOf(text))];
  return slot.code != 0 ? slot.handle : 0;
}

void HashIndex::Assign(std::string_view text, THandle handle) {
  if (Crowded(size_ + 1, slots_.size())) {
    Grow(slots_.empty() ? kFirstCapacity : 2 * slots_.size());
  }
  const uint64_t code = CodeOf(text);
  Slot& slot = slots_[SlotFor(text, code)];
  if (slot.code == 0) {
    if (text.size() > UINT32_MAX - texts_.size()) throw std::bad_alloc();
    slot = Slot{code, handle, static_cast<uint32_t>(texts_.size()),
                static_cast<uint32_t>(text.size())};
    texts_.append(text);
    ++size_;
  }
  slot.handle = handle;
}

void HashIndex::Reserve(size_t count) {
  size_t capacity = slots_.empty() ? kFirstCapacity : slots_.size();
  while (Crowded(count, capacity)) capacity *= 2;
  if (capacity > slots_.size()) Grow(capacity);
}

void HashIndex::Grow(size_t capacity) {
  std::vector<Slot> old(capacity);
  old.swap(slots_);
  const size_t mask = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.code == 0) continue;
    size_t at = slot.code & mask;
    while (slots_[at].code != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

void HashIndex::Clear() {
  slots_ = std::vector<Slot>();
  texts_ = std::string();
  size_ = 0;
}

}  // namespace Database
