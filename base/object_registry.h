// The process-wide map from handle to object. Handles are taken from a counter that starts at 1
// and is never reset, so the registry is a table indexed by handle: a destroyed object leaves an
// empty slot behind and its handle is never given out again. The registry owns nothing; an
// object's owner destroys it through DestroyObject (or holds it in an ObjectPtr that does). An
// object may also be adopted without a handle and given one the first time it is asked for.
//
// The table is kept in pages of fixed size: growing it never moves the slots already filled, and
// a page whose objects are all destroyed is emptied and reused for new handles, so the registry
// takes memory in proportion to the live objects, not to every handle ever given out.
#pragma once

#include <array>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/data_object.h"
#include "base/object_arena.h"

namespace Database {

class ObjectRegistry {
 public:
  static ObjectRegistry& Instance() {
    static ObjectRegistry registry;
    return registry;
  }

  // The handle the next registered object will get.
  THandle NextHandle() const { return nextHandle_; }

  // Last step of every factory: initializes the object, instates it unless createOutOfService,
  // gives it the next handle and enters it. The caller becomes the object's owner. Throws
  // std::bad_alloc, with nothing changed, when no memory is left for the slot or every handle up
  // to CDataObject::kMaxHandle is given out.
  template <class T>
  T* RegisterObject(std::unique_ptr<T> object, bool createOutOfService = false) {
    static_assert(std::is_base_of_v<CDataObject, T>);
    Enter(*object, createOutOfService);
    return object.release();
  }

  // What RegisterObject does but for the handle: the object gets one when it is first asked for
  // (CDataObject::GetHandle), so that objects a host seldom names by handle, the fields among
  // them, take no slot until then. The caller becomes the object's owner and destroys it through
  // DestroyObject(CDataObject&) or an ObjectPtr.
  template <class T>
  T* AdoptObject(std::unique_ptr<T> object, bool createOutOfService = false) {
    static_assert(std::is_base_of_v<CDataObject, T>);
    StartLifecycle(*object, createOutOfService);
    return object.release();
  }

  // The object when the handle names a live object in service; null otherwise.
  CDataObject* FindObject(THandle handle) const {
    CDataObject* object = FindObjectAnyState(handle);
    return object && object->IsInstated() ? object : nullptr;
  }
  // The object when the handle names a live object, in service or not; null otherwise.
  CDataObject* FindObjectAnyState(THandle handle) const {
    const Page* page = PageOf(handle);
    return page ? page->slots[handle & (kPageSlots - 1)] : nullptr;
  }

  // Takes the object out of service (it stays alive); nothing when no live object.
  void UninstateObject(THandle handle);
  static void UninstateObject(CDataObject& object);
  // Puts the object back in service; nothing when no live object.
  void ReinstateObject(THandle handle);
  static void ReinstateObject(CDataObject& object);
  // Releases the object's children, destroys it and empties its slot; nothing when no live
  // object.
  void DestroyObject(THandle handle);
  // The same for a live object, with or without a handle.
  void DestroyObject(CDataObject& object);
  // What an owning pointer does to its object: DestroyObject, except while the object's arena is
  // being torn down. The sweep then destroys the objects with handles; one without a handle is
  // destroyed here, by its destructor alone, since the sweep cannot find it. The arena is found
  // from the object's address alone: an object the sweep has destroyed already is not read.
  void DestroyOwned(CDataObject& object) {
    if (!sweptArena_ || &ObjectArena::Of(&object) != sweptArena_) {
      DestroyObject(object);
    } else if (!object.HasHandle()) {
      object.~CDataObject();
      ++sweptWithoutHandle_;
    }
  }
  // Destroys every registered object allocated from the arena, in handle order, and empties
  // their slots: one pass over the table instead of a walk of every tree. Each object is
  // destroyed once, by its destructor alone; owning pointers between those objects let go
  // without destroying (an object without a handle is destroyed by its owner's pointer), and the
  // objects' memory is left to the arena, freed with it. Every object of the arena without a
  // handle must be owned by one with a handle, directly or through others. Expects
  // that nothing outside the arena owns one of its objects, or will use one: owning pointers to
  // them kept elsewhere must be released, not reset. Never allocates.
  void DestroyArenaObjects(ObjectArena& arena);

 private:
  static constexpr unsigned kPageBits = 12;
  static constexpr THandle kPageSlots = THandle{1} << kPageBits;
  struct Page {
    std::array<CDataObject*, kPageSlots> slots;
    // Class data beside the slots (CDataObject::SetClassData), made when first needed.
    std::unique_ptr<std::array<uint64_t, kPageSlots>> data;
    THandle live = 0;                 // slots holding an object
    std::unique_ptr<Page> nextSpare;  // the next emptied page, while this one is spare
  };

  ObjectRegistry() = default;
  ~ObjectRegistry();
  void Enter(CDataObject& object, bool createOutOfService);
  // Initializes the object and instates it unless createOutOfService.
  static void StartLifecycle(CDataObject& object, bool createOutOfService);
  // Gives the object the next handle and fills its slot, moving the class data it keeps in the
  // handle's place beside the slot; throws std::bad_alloc, with nothing changed, when no memory
  // is left for the slot or the data, or no handle is left.
  void GiveHandle(CDataObject& object);
  friend class CDataObject;
  // The page holding the handle's slot; null when no object of that page is alive.
  Page* PageOf(THandle handle) const {
    const THandle index = handle >> kPageBits;
    return index < pages_.size() ? pages_[index].get() : nullptr;
  }

  // Empties the filled slot of the handle, retiring its page when that was the page's last object.
  void EmptySlot(THandle handle);
  // Puts the page back among the spares once all its handles are given out and its objects gone.
  void RetireIfEmpty(THandle index);

  THandle nextHandle_ = 1;             // 0 names no object
  ObjectArena* sweptArena_ = nullptr;  // the arena DestroyArenaObjects is tearing down
  size_t sweptWithoutHandle_ = 0;      // objects without a handle destroyed during that sweep
  std::vector<std::unique_ptr<Page>> pages_;
  // Emptied pages, reused before new ones. Chained through the pages themselves, so that taking
  // a page out of use never allocates.
  std::unique_ptr<Page> sparePages_;
};

// Finds a live, in-service object of class T. The kind is checked so that a handle of another
// kind is harmless: T::MatchesKind says which kinds the class covers.
template <class T>
T* Resolve(THandle handle) {
  CDataObject* object = ObjectRegistry::Instance().FindObject(handle);
  return object && T::MatchesKind(object->GetObjectKind()) ? static_cast<T*>(object) : nullptr;
}

// Logs that the work of an export was abandoned because memory ran out.
void LogOutOfMemory();

// The export wrappers run their work through this: an allocation that fails anywhere below gives
// the neutral result (logged) instead of an exception leaving the library. What the work had
// built by then is released by its owners; the library keeps working.
template <class Neutral, class Work>
auto Guarded(Neutral neutral, Work&& work) noexcept -> std::invoke_result_t<Work> {
  using Result = std::invoke_result_t<Work>;
  try {
    return work();
  } catch (const std::bad_alloc&) {
    LogOutOfMemory();
    if constexpr (!std::is_void_v<Result>) return static_cast<Result>(neutral);
  }
}
// The same for work without a result.
template <class Work>
void Guarded(Work&& work) noexcept {
  Guarded(0, [&] { work(); });
}

// The export wrappers' one way from a host's handle to an object: returns use(object) when the
// handle names a live T in service, else neutral (as use's result type), and use does not run.
// Runs guarded.
template <class T, class Neutral, class Use>
auto WithObject(THandle handle, Neutral neutral, Use&& use) noexcept
    -> std::invoke_result_t<Use, T&> {
  using Result = std::invoke_result_t<Use, T&>;
  return Guarded(neutral, [&]() -> Result {
    T* object = Resolve<T>(handle);
    return object ? use(*object) : static_cast<Result>(neutral);
  });
}
// The same for a use without a result.
template <class T, class Use>
void WithObject(THandle handle, Use&& use) noexcept {
  Guarded([&] {
    if (T* object = Resolve<T>(handle)) use(*object);
  });
}

// As Resolve, but an out-of-service object is found too.
template <class T>
T* ResolveAnyState(THandle handle) {
  CDataObject* object = ObjectRegistry::Instance().FindObjectAnyState(handle);
  return object && T::MatchesKind(object->GetObjectKind()) ? static_cast<T*>(object) : nullptr;
}

// Owning pointer whose deletion goes through DestroyObject, so children are released and the
// handle stops resolving.
struct ObjectDestroyer {
  void operator()(CDataObject* object) const {
    if (object) ObjectRegistry::Instance().DestroyOwned(*object);
  }
};
template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectDestroyer>;

// Constructs, registers and returns a new object; the caller owns it.
template <class T, class... Args>
T* CreateObject(Args&&... args) {
  static_assert(alignof(T) <= CDataObject::kObjectAlignment);
  static_assert(sizeof(T) <= CDataObject::kLargestObject);
  return ObjectRegistry::Instance().RegisterObject(
      std::make_unique<T>(std::forward<Args>(args)...));
}

}  // namespace Database
