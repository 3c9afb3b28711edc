#include "base/object_registry.h"

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
  object.instated_ = false;
  object.Initialize();
  if (!createOutOfService) {
    object.BeginInstate();
    object.instated_ = true;
    object.EndInstate();
  }
  ++nextHandle_;
  object.handle_ = handle & CDataObject::kMaxHandle;
  page->slots[handle & (kPageSlots - 1)] = &object;
  ++page->live;
}

void ObjectRegistry::UninstateObject(THandle handle) {
  if (CDataObject* object = FindObjectAnyState(handle)) {
    object->BeginUninstate();
    object->instated_ = false;
    object->EndUninstate();
  }
}

void ObjectRegistry::ReinstateObject(THandle handle) {
  if (CDataObject* object = FindObjectAnyState(handle)) {
    object->BeginInstate();
    object->instated_ = true;
    object->EndInstate();
  }
}

void ObjectRegistry::DestroyObject(THandle handle) {
  CDataObject* object = FindObjectAnyState(handle);
  if (!object) return;
  object->ReleaseChildren();
  // The slot is emptied before deletion so that nothing reached from the destructor can find
  // a half-destroyed object. Releasing the children may have emptied other slots of the page,
  // but never this one, so the page is still in place.
  const THandle index = handle >> kPageBits;
  Page& page = *pages_[index];
  page.slots[handle & (kPageSlots - 1)] = nullptr;
  --page.live;
  RetireIfEmpty(index);
  std::unique_ptr<CDataObject> destroyed(object);
}

void ObjectRegistry::RetireIfEmpty(THandle index) {
  std::unique_ptr<Page>& page = pages_[index];
  if (page && page->live == 0 && (nextHandle_ >> kPageBits) > index) {
    page->nextSpare = std::move(sparePages_);
    sparePages_ = std::move(page);
  }
}

void ObjectRegistry::DestroyArenaObjects(ObjectArena& arena) {
  sweptArena_ = &arena;
  arena.MarkTornDown();
  size_t destroyed = 0;
  for (THandle index = 0; index < pages_.size(); ++index) {
    // A destructor may destroy an object of another arena through DestroyObject, which may retire
    // this page; it then holds no object, and its memory stays valid among the spares.
    Page* page = pages_[index].get();
    for (THandle slot = 0; page && page->live > 0 && slot < kPageSlots; ++slot) {
      CDataObject* object = page->slots[slot];
      if (!object || &ObjectArena::Of(object) != &arena) continue;
      page->slots[slot] = nullptr;
      --page->live;
      object->~CDataObject();
      ++destroyed;
    }
    RetireIfEmpty(index);
  }
  sweptArena_ = nullptr;
  arena.AbandonPieces(destroyed);
}

void LogOutOfMemory() {
  LogError("Out of memory: the call was abandoned and returned its neutral result.");
}

}  // namespace Database
