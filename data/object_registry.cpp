#include "data/object_registry.h"

#include <memory>

namespace Database {

ObjectRegistry& ObjectRegistry::Instance() {
  static ObjectRegistry registry;
  return registry;
}

void ObjectRegistry::Enter(CDataObject& object, bool createOutOfService) {
  object.instated_ = false;
  object.Initialize();
  if (!createOutOfService) {
    object.BeginInstate();
    object.instated_ = true;
    object.EndInstate();
  }
  object.handle_ = NextHandle();
  slots_.push_back(&object);
}

CDataObject* ObjectRegistry::FindObjectAnyState(THandle handle) const {
  return handle < slots_.size() ? slots_[handle] : nullptr;
}

CDataObject* ObjectRegistry::FindObject(THandle handle) const {
  CDataObject* object = FindObjectAnyState(handle);
  return object && object->instated_ ? object : nullptr;
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
  // a half-destroyed object.
  slots_[handle] = nullptr;
  std::unique_ptr<CDataObject> destroyed(object);
}

}  // namespace Database
