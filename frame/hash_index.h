// Record handles by text: by hash, and by name with ASCII letter case ignored. Loading looks every
// record's hash up and every reference's, and registers every name, so the index is an
// open-addressing table of 64-bit hash codes with the texts kept in one buffer: a lookup usually
// reads one slot and one text, where a node-based map follows several pointers. A text stays in
// the buffer until Clear, also when its entry is assigned again (then the first spelling of a
// name is the one kept).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/data_object.h"

namespace Database {

class HashIndex {
 public:
  // With ignoreCase, texts that differ only in the case of ASCII letters are the same key.
  explicit HashIndex(bool ignoreCase = false) : ignoreCase_(ignoreCase) {}

  // The handle assigned to the text; 0 when none is.
  THandle Find(std::string_view text) const;
  // Assigns the handle to the text, replacing what it had. Throws std::bad_alloc when the texts
  // would pass 4 GiB.
  void Assign(std::string_view text, THandle handle);
  // Makes room for count texts in all, so that adding them does not grow the table.
  void Reserve(size_t count);
  void Clear();
  size_t Size() const { return size_; }

 private:
  struct Slot {
    uint64_t code = 0;  // 0 marks an empty slot: no text's code is 0
    THandle handle = 0;
    uint32_t textOffset = 0;
    uint32_t textLength = 0;
  };
  // At most three quarters of the slots are used.
  static bool Crowded(size_t used, size_t capacity) { return 4 * used > 3 * capacity; }

  uint64_t CodeOf(std::string_view text) const;
  bool SameKey(std::string_view a, std::string_view b) const;
  std::string_view TextOf(const Slot& slot) const {
    return std::string_view(texts_).substr(slot.textOffset, slot.textLength);
  }
  // The slot holding the text, or the empty slot where it belongs; the table is never full.
  size_t SlotFor(std::string_view text, uint64_t code) const;
  void Grow(size_t capacity);

  std::vector<Slot> slots_;  // a power of two in size
  std::string texts_;        // below 4 GiB, so that slots hold 32-bit offsets
  size_t size_ = 0;
  bool ignoreCase_;
};

}  // namespace Database
