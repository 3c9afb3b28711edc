#include "base/object_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace {

using Database::CDataObject;
using Database::ObjectKind;
using Database::ObjectPtr;
using Database::THandle;

template <ObjectKind kKind>
class Probe : public CDataObject {
 public:
  explicit Probe(int* destructions = nullptr) : CDataObject(kKind), destructions_(destructions) {}
  ~Probe() override {
    if (destructions_) ++*destructions_;
  }
  static bool MatchesKind(ObjectKind kind) { return kind == kKind; }
  using CDataObject::GetClassFlag;
  using CDataObject::SetClassFlag;
  void Initialize() override {}
  void ReleaseChildren() override {}
  void BeginUninstate() override {}
  void EndUninstate() override {}
  void BeginInstate() override {}
  void EndInstate() override {}

 private:
  int* destructions_;
};
using Field = Probe<ObjectKind::DataFieldObject>;
using Enum = Probe<ObjectKind::SchemaEnumObject>;

Database::ObjectRegistry& Registry() { return Database::ObjectRegistry::Instance(); }

// Handles are sequential and never reused, while the pages of the table that emptied are: enough
// objects to fill and empty whole pages several times over.
TEST(ObjectRegistry, HandlesAreSequentialAndNeverReused) {
  constexpr size_t kCount = 20000;
  std::vector<THandle> previous;
  for (int round = 0; round < 3; ++round) {
    std::vector<ObjectPtr<Field>> probes;
    const THandle start = Registry().NextHandle();
    for (size_t i = 0; i < kCount; ++i) {
      probes.emplace_back(Database::CreateObject<Field>());
      ASSERT_EQ(probes.back()->GetHandle(), start + i);
    }
    for (const THandle handle : previous) ASSERT_EQ(Registry().FindObjectAnyState(handle), nullptr);
    previous.clear();
    for (const auto& probe : probes) {
      ASSERT_EQ(Registry().FindObjectAnyState(probe->GetHandle()), probe.get());
      previous.push_back(probe->GetHandle());
    }
  }
  for (const THandle unknown : {THandle{0}, Registry().NextHandle(), ~THandle{0}}) {
    EXPECT_EQ(Registry().FindObject(unknown), nullptr) << unknown;
  }
  // Destroying calls the destructor; registry operations on a destroyed handle do nothing.
  int destroyed = 0;
  ObjectPtr<Field> a(Database::CreateObject<Field>(&destroyed));
  const THandle dead = a->GetHandle();
  a.reset();
  EXPECT_EQ(destroyed, 1);
  Registry().DestroyObject(dead);
  Registry().UninstateObject(dead);
  Registry().ReinstateObject(dead);
  EXPECT_EQ(Registry().FindObjectAnyState(dead), nullptr);
}

TEST(ObjectRegistry, ServiceStateAndKindDecideWhatResolves) {
  ObjectPtr<Field> field(Registry().RegisterObject(std::make_unique<Field>(), true));
  const THandle handle = field->GetHandle();
  EXPECT_FALSE(field->IsInstated());
  EXPECT_EQ(Database::Resolve<Field>(handle), nullptr);
  EXPECT_EQ(Database::ResolveAnyState<Field>(handle), field.get());
  Registry().ReinstateObject(handle);
  EXPECT_EQ(Database::Resolve<Enum>(handle), nullptr);
  Registry().UninstateObject(handle);
  Registry().UninstateObject(handle);
  EXPECT_EQ(Registry().FindObject(handle), nullptr);
  Registry().ReinstateObject(handle);
  EXPECT_EQ(Registry().FindObject(handle), field.get());
}

// An adopted object takes no handle until one is asked for, and then the next one; it goes in and
// out of service, and is destroyed, with or without a handle.
TEST(ObjectRegistry, AdoptedObjectsTakeAHandleOnlyWhenAsked) {
  int destroyed = 0;
  const THandle next = Registry().NextHandle();
  ObjectPtr<Field> field(Registry().AdoptObject(std::make_unique<Field>(&destroyed), true));
  EXPECT_FALSE(field->HasHandle());
  EXPECT_FALSE(field->IsInstated());
  Registry().ReinstateObject(*field);
  EXPECT_TRUE(field->IsInstated());
  EXPECT_EQ(Registry().NextHandle(), next);
  const THandle handle = field->GetHandle();
  EXPECT_EQ(handle, next);
  EXPECT_EQ(field->GetHandle(), handle);
  EXPECT_EQ(Database::Resolve<Field>(handle), field.get());
  Registry().UninstateObject(*field);
  EXPECT_EQ(Registry().FindObject(handle), nullptr);
  field.reset();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(Registry().FindObjectAnyState(handle), nullptr);

  for (const bool byOwningPointer : {false, true}) {
    int gone = 0;
    Field* unnamed = Registry().AdoptObject(std::make_unique<Field>(&gone));
    if (byOwningPointer) {
      ObjectPtr<Field>{unnamed}.reset();
    } else {
      Registry().DestroyObject(*unnamed);
    }
    EXPECT_EQ(gone, 1) << byOwningPointer;
  }
  EXPECT_EQ(Registry().NextHandle(), handle + 1);
}

// A lifecycle step that asks for the object's handle while it is being registered gets the handle
// it is registered under, not a second one.
TEST(ObjectRegistry, LifecycleStepsSeeTheHandleBeingGiven) {
  struct AsksForItsHandle : Field {
    void EndInstate() override { seen = GetHandle(); }
    THandle seen = 0;
  };
  const THandle next = Registry().NextHandle();
  ObjectPtr<AsksForItsHandle> object(Database::CreateObject<AsksForItsHandle>());
  EXPECT_EQ(object->seen, next);
  EXPECT_EQ(object->GetHandle(), next);
  EXPECT_EQ(Registry().NextHandle(), next + 1);

  // A step that fails leaves no slot behind; its handle is never given out again.
  struct FailsToInstate : Field {
    void EndInstate() override { throw std::bad_alloc(); }
  };
  EXPECT_THROW(Database::CreateObject<FailsToInstate>(), std::bad_alloc);
  EXPECT_EQ(Registry().FindObjectAnyState(next + 1), nullptr);
  ObjectPtr<Field> after(Database::CreateObject<Field>());
  EXPECT_EQ(after->GetHandle(), next + 2);
}

// The handle, kind, service state, class flag and class data share the header word (the data
// moves beside the slot once a handle is given): setting one leaves the others as they were, in
// pages of the table that fill, empty and are reused.
TEST(ObjectRegistry, HeaderPartsAndClassDataChangeIndependently) {
  struct KeepsData : Field {
    using CDataObject::GetClassData;
    using CDataObject::HasClassData;
    using CDataObject::SetClassData;
  };
  constexpr uint64_t kData = CDataObject::kMaxHandle - 5000;
  for (int round = 0; round < 3; ++round) {
    std::vector<ObjectPtr<KeepsData>> objects;
    for (uint64_t i = 0; i < 5000; ++i) {
      KeepsData& object =
          *objects.emplace_back(Registry().AdoptObject(std::make_unique<KeepsData>()));
      if (i % 3 == 0) object.GetHandle();
      if (i % 5 != 0) object.SetClassData(kData + i);
      if (i % 3 == 1) object.GetHandle();
      object.SetClassFlag(i % 2 == 0);
      if (i % 7 == 0) Registry().UninstateObject(object);
    }
    for (uint64_t i = 0; i < objects.size(); ++i) {
      const KeepsData& object = *objects[i];
      EXPECT_EQ(object.GetClassData(), i % 5 != 0 ? kData + i : 0) << i;
      EXPECT_EQ(object.HasClassData(), i % 5 != 0) << i;
      EXPECT_EQ(object.GetClassFlag(), i % 2 == 0) << i;
      EXPECT_EQ(object.IsInstated(), i % 7 != 0) << i;
      EXPECT_EQ(object.GetObjectKind(), ObjectKind::DataFieldObject) << i;
      EXPECT_EQ(object.HasHandle(), i % 3 != 2) << i;
      if (object.HasHandle()) {
        EXPECT_EQ(Database::ResolveAnyState<KeepsData>(object.GetHandle()), &object) << i;
      }
    }
  }
}

// Owns children by pointer, as structures own their fields, and counts its destructions.
class Owner : public Probe<ObjectKind::DataStructObject> {
 public:
  explicit Owner(std::vector<int>* destructions) : destructions_(destructions) {}
  ~Owner() override { ++(*destructions_)[GetHandle()]; }
  std::vector<ObjectPtr<Field>> children;

 private:
  std::vector<int>* destructions_;
};

// Tearing an arena down destroys each of its objects once, across several pages of the table:
// children in the arena are left to the sweep, or destroyed by their owner when they have no
// handle for the sweep to find them by, a child in another arena goes with its owner,
// objects of other arenas stay, and a piece still held keeps the arena's memory until released
// (the sanitizers report a double destruction, a leak or a use of freed memory).
TEST(ObjectRegistry, TearingAnArenaDownDestroysEachOfItsObjectsOnce) {
  Database::ArenaOwner arena = Database::ObjectArena::Create();
  constexpr size_t kOwners = 3000;
  std::vector<int> destructions;
  std::vector<ObjectPtr<Owner>> owners;
  std::vector<THandle> swept, elsewhere, named;
  std::vector<int> adoptedDestructions(2 * kOwners);
  int outsiderDestroyed = 0;
  ObjectPtr<Field> outsider;
  for (size_t i = 0; i < kOwners; ++i) {
    destructions.resize(Registry().NextHandle() + 8);
    owners.emplace_back(
        Registry().RegisterObject(Database::MakeObject<Owner>(arena.get(), &destructions)));
    swept.push_back(owners.back()->GetHandle());
    for (int child = 0; child < 2; ++child) {
      owners.back()->children.emplace_back(
          Registry().RegisterObject(Database::MakeObject<Field>(arena.get())));
      swept.push_back(owners.back()->children.back()->GetHandle());
    }
    for (size_t child = 0; child < 2; ++child) {
      owners.back()->children.emplace_back(Registry().AdoptObject(
          Database::MakeObject<Field>(arena.get(), &adoptedDestructions[2 * i + child])));
      if (child == 1) named.push_back(owners.back()->children.back()->GetHandle());
    }
    owners.back()->children.emplace_back(Database::CreateObject<Field>());
    elsewhere.push_back(owners.back()->children.back()->GetHandle());
    if (i == kOwners / 2) outsider.reset(Database::CreateObject<Field>(&outsiderDestroyed));
  }
  auto* held = static_cast<char*>(arena->Allocate(64));
  for (ObjectPtr<Owner>& owner : owners) static_cast<void>(owner.release());

  Registry().DestroyArenaObjects(*arena);
  for (const THandle handle : swept) ASSERT_EQ(Registry().FindObjectAnyState(handle), nullptr);
  for (const THandle handle : elsewhere) ASSERT_EQ(Registry().FindObjectAnyState(handle), nullptr);
  for (const THandle handle : named) ASSERT_EQ(Registry().FindObjectAnyState(handle), nullptr);
  for (size_t i = 0; i < kOwners; ++i) ASSERT_EQ(destructions[swept[3 * i]], 1) << i;
  for (size_t i = 0; i < 2 * kOwners; ++i) ASSERT_EQ(adoptedDestructions[i], 1) << i;
  EXPECT_EQ(outsiderDestroyed, 0);
  EXPECT_EQ(Registry().FindObjectAnyState(outsider->GetHandle()), outsider.get());

  arena.reset();
  std::fill(held, held + 64, 'x');
  Database::ObjectArena::Of(held).Release(held, 64);
}

}  // namespace
