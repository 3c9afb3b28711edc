// The common base of every object a host can name by handle: schema structures, fields and
// enumerations, structures, records and fields. An object is in service ("instated") once its
// factory has registered it, and can be taken out of service and put back without being destroyed
// so that undo can restore the very same handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace Database {

class ObjectArena;

using THandle = uint64_t;
using TDataStructHandle = uint64_t;

// Fixed numbers a host can see.
enum class ObjectKind : uint32_t {
  SchemaStructObject = 1,
  SchemaFieldObject = 2,
  SchemaEnumObject = 3,
  DataStructObject = 4,
  DataFieldObject = 5,
  DataRecordObject = 6,
};

class CDataObject {
 public:
  CDataObject(const CDataObject&) = delete;
  CDataObject& operator=(const CDataObject&) = delete;
  virtual ~CDataObject() = default;

  // Objects are placed with new (arena) in an arena, or in the shared arena when it is null or
  // they are created with plain new; deleting an object through any pointer returns its memory
  // to its arena. Objects are aligned to kObjectAlignment and at most kLargestObject bytes.
  static constexpr std::size_t kObjectAlignment = 8;
  static constexpr std::size_t kLargestObject = 1024;
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, ObjectArena* arena);
  static void operator delete(void* object, std::size_t size);
  static void operator delete(void* object, ObjectArena* arena);
  // The arena the object was allocated from.
  static ObjectArena& ArenaOf(const CDataObject& object);

  // Called once by the factory before the object is registered.
  virtual void Initialize() = 0;
  // Called just before the object is destroyed: destroys what the object owns by handle.
  virtual void ReleaseChildren() = 0;
  // The uninstate and instate steps around the flip of the in-service flag.
  virtual void BeginUninstate() = 0;
  virtual void EndUninstate() = 0;
  virtual void BeginInstate() = 0;
  virtual void EndInstate() = 0;

  // Handles fit in kHandleBits bits: the registry gives out no handle above kMaxHandle.
  static constexpr unsigned kHandleBits = 48;
  static constexpr THandle kMaxHandle = (THandle{1} << kHandleBits) - 1;

  ObjectKind GetObjectKind() const { return static_cast<ObjectKind>(kind_); }
  // The object's handle. An object adopted without one (ObjectRegistry::AdoptObject) is given
  // the next handle on first asking, which throws std::bad_alloc when no memory is left for it.
  THandle GetHandle() const { return HasHandle() ? handle_ : HandleOnDemand(); }
  // Whether the object has a handle yet; asking does not give it one.
  bool HasHandle() const { return handle_ != 0 && !dataInHandle_; }
  bool IsInstated() const { return instated_; }

 protected:
  explicit CDataObject(ObjectKind kind) : kind_(static_cast<uint8_t>(kind)) {}

  // One bit of the object's header that its class keeps as it likes; false at first.
  bool GetClassFlag() const { return classFlag_; }
  void SetClassFlag(bool value) { classFlag_ = value; }

  // A class may keep kHandleBits bits of its own with the object: in the handle's place while the
  // object has none, and beside its slot in the registry once it has one. Objects that a host
  // seldom names by handle so keep a word without paying for it.
  bool HasClassData() const { return dataInHandle_ || dataBeside_; }
  // The data last set; 0 when none was.
  uint64_t GetClassData() const { return dataInHandle_ ? handle_ : ClassDataBeside(); }
  // Expects data <= kMaxHandle. Throws std::bad_alloc, with nothing changed, when the object has
  // a handle and no memory is left beside it.
  void SetClassData(uint64_t data) {
    if (HasHandle()) {
      SetClassDataBeside(data);
    } else {
      handle_ = data & kMaxHandle;
      dataInHandle_ = 1;
    }
  }

 private:
  friend class ObjectRegistry;

  THandle HandleOnDemand() const;
  // The class data of an object with a handle.
  uint64_t ClassDataBeside() const;
  void SetClassDataBeside(uint64_t data);

  // The handle, kind and flags share one word: a database holds millions of objects.
  uint64_t handle_ : kHandleBits = 0;
  uint64_t kind_ : 8;
  uint64_t instated_ : 1 = 0;
  uint64_t classFlag_ : 1 = 0;
  uint64_t dataInHandle_ : 1 = 0;  // handle_ holds the class's data, not a handle
  uint64_t dataBeside_ : 1 = 0;    // the registry holds the class's data beside the slot
};

// A new object of class T in the arena (the shared one when arena is null), not yet registered.
template <class T, class... Args>
std::unique_ptr<T> MakeObject(ObjectArena* arena, Args&&... args) {
  static_assert(alignof(T) <= CDataObject::kObjectAlignment);
  static_assert(sizeof(T) <= CDataObject::kLargestObject);
  return std::unique_ptr<T>(new (arena) T(std::forward<Args>(args)...));
}

// Base of objects whose lifecycle steps do nothing by default: schema objects and fields go in
// and out of service without side effects and own nothing by handle unless they say so.
class CPlainObject : public CDataObject {
 public:
  void Initialize() override {}
  void ReleaseChildren() override {}
  void BeginUninstate() override {}
  void EndUninstate() override {}
  void BeginInstate() override {}
  void EndInstate() override {}

 protected:
  using CDataObject::CDataObject;
};

}  // namespace Database
