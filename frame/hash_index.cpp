#include "frame/hash_index.h"

#include <functional>

namespace Database {

namespace {
constexpr size_t kFirstCapacity = 16;
}  // namespace

uint64_t HashIndex::CodeOf(std::string_view text) {
  return static_cast<uint64_t>(std::hash<std::string_view>{}(text)) | 1;
}

size_t HashIndex::SlotFor(std::string_view text, uint64_t code) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = code & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.code == 0 || (slot.code == code && TextOf(slot) == text)) return at;
  }
}

THandle HashIndex::Find(std::string_view text) const {
  if (size_ == 0) return 0;
  const Slot& slot = slots_[SlotFor(text, CodeOf(text))];
  return slot.code != 0 ? slot.handle : 0;
}

void HashIndex::Assign(std::string_view text, THandle handle) {
  if (2 * (size_ + 1) > slots_.size()) Grow(slots_.empty() ? kFirstCapacity : 2 * slots_.size());
  const uint64_t code = CodeOf(text);
  Slot& slot = slots_[SlotFor(text, code)];
  if (slot.code == 0) {
    slot = Slot{code, handle, texts_.size(), text.size()};
    texts_.append(text);
    ++size_;
  }
  slot.handle = handle;
}

void HashIndex::Reserve(size_t count) {
  size_t capacity = slots_.empty() ? kFirstCapacity : slots_.size();
  while (capacity < 2 * count) capacity *= 2;
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
