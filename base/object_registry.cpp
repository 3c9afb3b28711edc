#include "base/object_registry.h"

#include <cstdint>
#include <memory>
#include <new>

#include "base/log.h"
#include "base/object_arena.h"

namespace Database {

ObjectRegistry::~ObjectRegistry() {
  // One page at a time, so that a long chain does not nest its destructors.
  while (sparePages_) sparePages_ = std::move(sparePages_->nextSpare);
}

void ObjectRegistry::Enter(CDataObject& object, bool createOutOfService) {
  // The handle comes first, so that the lifecycle steps see it; when a step fails, the slot is
  // emptied again and the handle stays unused.
  GiveHandle(object);
  try {
    StartLifecycle(object, createOutOfService);
  } catch (...) {
    EmptySlot(object.handle_);
    object.handle_ = 0;
    throw;
  }
}

void ObjectRegistry::StartLifecycle(CDataObject& object, bool createOutOfService) {
  object.instated_ = false;
  object.Initialize();
  if (!createOutOfService) ReinstateObject(object);
}

void ObjectRegistry::GiveHandle(CDataObject& object) {
  // The slot is made first: when that fails for want of memory, nothing has changed.
  const THandle handle = nextHandle_;
  if (handle > CDataObject::kMaxHandle) throw std::bad_alloc();
  const THandle index = handle >> kPageBits;
  if (index == pages_.size()) pages_.emplace_back();
  std::unique_ptr<Page>& page = pages_[index];
  if (!page) {
    if (sparePages_) {
      page = std::move(sparePages_);
      sparePages_ = std::move(page->nextSpare);
    } else {
      page = std::make_unique<Page>();
    }
    page->slots.fill(nullptr);
  }
  if (object.dataInHandle_ && !page->data) {
    page->data = std::make_unique<std::array<uint64_t, kPageSlots>>();
  }
  ++nextHandle_;
  if (object.dataInHandle_) {
    (*page->data)[handle & (kPageSlots - 1)] = object.handle_;
    object.dataInHandle_ = 0;
    object.dataBeside_ = 1;
  }
  object.handle_ = handle & CDataObject::kMaxHandle;
  page->slots[handle & (kPageSlots - 1)] = &object;
  ++page->live;
}

uint64_t CDataObject::ClassDataBeside() const {
  if (!dataBeside_) return 0;
  // The page and its data go only once no object of the page is registered any more.
  const ObjectRegistry::Page* page = ObjectRegistry::Instance().PageOf(handle_);
  return page && page->data ? (*page->data)[handle_ & (ObjectRegistry::kPageSlots - 1)] : 0;
}

void CDataObject::SetClassDataBeside(uint64_t data) {
  ObjectRegistry::Page* page = ObjectRegistry::Instance().PageOf(handle_);
  if (!page) return;  // a handle whose slot is gone names nothing to keep data for
  if (!page->data)
    page->data = std::make_unique<std::array<uint64_t, ObjectRegistry::kPageSlots>>();
  (*page->data)[handle_ & (ObjectRegistry::kPageSlots - 1)] = data;
  dataBeside_ = 1;
}

THandle CDataObject::HandleOnDemand() const {
  // Giving a handle changes no state a reader of the object can see but the handle itself.
  ObjectRegistry::Instance().GiveHandle(const_cast<CDataObject&>(*this));
  return handle_;
}

void ObjectRegistry::UninstateObject(THandle handle) {
  if (CDataObject* object = FindObjectAnyState(handle)) UninstateObject(*object);
}

void ObjectRegistry::ReinstateObject(THandle handle) {
  if (CDataObject* object = FindObjectAnyState(handle)) ReinstateObject(*object);
}

void ObjectRegistry::UninstateObject(CDataObject& object) {
  object.BeginUninstate();
  object.instated_ = false;
  object.EndUninstate();
}

void ObjectRegistry::ReinstateObject(CDataObject& object) {
  object.BeginInstate();
  object.instated_ = true;
  object.EndInstate();
}

void ObjectRegistry::DestroyObject(CDataObject& object) {
  if (object.HasHandle()) {
    DestroyObject(object.GetHandle());
    return;
  }
  object.ReleaseChildren();
  std::unique_ptr<CDataObject> destroyed(&object);
}

void ObjectRegistry::DestroyObject(THandle handle) {
  CDataObject* object = FindObjectAnyState(handle);
  if (!object) return;
  object->ReleaseChildren();
  // The slot is emptied before deletion so that nothing reached from the destructor can find
  // a half-destroyed object. Releasing the children may have emptied other slots of the page,
  // but never this one, so the page is still in place.
  EmptySlot(handle);
  std::unique_ptr<CDataObject> destroyed(object);
}

void ObjectRegistry::EmptySlot(THandle handle) {
  const THandle index = handle >> kPageBits;
  Page& page = *pages_[index];
  page.slots[handle & (kPageSlots - 1)] = nullptr;
  --page.live;
  RetireIfEmpty(index);
}

void ObjectRegistry::RetireIfEmpty(THandle index) {
  std::unique_ptr<Page>& page = pages_[index];
  if (page && page->live == 0 && (nextHandle_ >> kPageBits) > index) {
    page->data.reset();
    page->nextSpare = std::move(sparePages_);
    sparePages_ = std::move(page);
  }
}

namespace {
// Asks for memory ahead of the objects a sweep destroys. Objects are made, and swept, mostly in
// the order of their addresses, and their destructors read what lies after them (the objects
// they own, which have no handle and so come up in no slot), so the window runs a fixed distance
// ahead of the latest object; it starts again wherever the sweep jumps elsewhere.
class SweepPrefetcher {
 public:
  void Ahead(const void* object) {
    const auto at = reinterpret_cast<uintptr_t>(object);
    if (next_ == 0 || at > next_ || next_ - at > 2 * kDistance) next_ = at;
    for (; next_ < at + kDistance; next_ += kLine) {
      __builtin_prefetch(reinterpret_cast<const void*>(next_));
    }
  }

 private:
  static constexpr uintptr_t kLine = 64;
  static constexpr uintptr_t kDistance = 8192;
  uintptr_t next_ = 0;  // the first address not asked for yet
};
}  // namespace

void ObjectRegistry::DestroyArenaObjects(ObjectArena& arena) {
  SweepPrefetcher prefetcher;
  sweptArena_ = &arena;
  sweptWithoutHandle_ = 0;
  arena.MarkTornDown();
  size_t destroyed = 0;
  for (THandle index = 0; index < pages_.size(); ++index) {
    // A destructor may destroy an object of another arena through DestroyObject, which may retire
    // this page; it then holds no object, and its memory stays valid among the spares.
    Page* page = pages_[index].get();
    for (THandle slot = 0; page && page->live > 0 && slot < kPageSlots; ++slot) {
      CDataObject* object = page->slots[slot];
      if (!object || &ObjectArena::Of(object) != &arena) continue;
      prefetcher.Ahead(object);
      page->slots[slot] = nullptr;
      --page->live;
      object->~CDataObject();
      ++destroyed;
    }
    RetireIfEmpty(index);
  }
  sweptArena_ = nullptr;
  arena.AbandonPieces(destroyed + sweptWithoutHandle_);
}

void LogOutOfMemory() {
  LogError("Out of memory: the call was abandoned and returned its neutral result.");
}

}  // namespace Database
