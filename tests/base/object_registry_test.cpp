#include "base/object_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Database::CDataObject;
using Database::ObjectKind;
using Database::ObjectRegistry;
using Database::THandle;

// Records the virtual calls the registry makes, in order.
class Probe : public CDataObject {
 public:
  explicit Probe(std::vector<std::string>* calls, bool* destroyed = nullptr)
      : CDataObject(ObjectKind::DataFieldObject), calls_(calls), destroyed_(destroyed) {}
  ~Probe() override {
    if (destroyed_) *destroyed_ = true;
  }
  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::DataFieldObject; }

  void Initialize() override { calls_->push_back("Initialize"); }
  void ReleaseChildren() override { calls_->push_back("ReleaseChildren"); }
  void BeginUninstate() override { calls_->push_back("BeginUninstate"); }
  void EndUninstate() override { calls_->push_back(std::string("EndUninstate:") + Flag()); }
  void BeginInstate() override { calls_->push_back("BeginInstate"); }
  void EndInstate() override { calls_->push_back(std::string("EndInstate:") + Flag()); }

 private:
  const char* Flag() const { return IsInstated() ? "in" : "out"; }
  std::vector<std::string>* calls_;
  bool* destroyed_;
};

class OtherKind : public CDataObject {
 public:
  OtherKind() : CDataObject(ObjectKind::SchemaEnumObject) {}
  static bool MatchesKind(ObjectKind kind) { return kind == ObjectKind::SchemaEnumObject; }
  void Initialize() override {}
  void ReleaseChildren() override {}
  void BeginUninstate() override {}
  void EndUninstate() override {}
  void BeginInstate() override {}
  void EndInstate() override {}
};

ObjectRegistry& Registry() { return ObjectRegistry::Instance(); }

TEST(ObjectRegistry, HandlesAreSequentialAndZeroIsNeverFound) {
  std::vector<std::string> calls;
  const THandle next = Registry().NextHandle();
  ASSERT_GE(next, 1u);
  Database::ObjectPtr<Probe> a(Database::CreateObject<Probe>(&calls));
  Database::ObjectPtr<Probe> b(Database::CreateObject<Probe>(&calls));
  EXPECT_EQ(a->GetHandle(), next);
  EXPECT_EQ(b->GetHandle(), next + 1);
  EXPECT_EQ(Registry().FindObject(0), nullptr);
  EXPECT_EQ(Registry().FindObject(next + 2), nullptr);
  EXPECT_EQ(Registry().FindObject(~THandle{0}), nullptr);
}

TEST(ObjectRegistry, FactoryInitializesThenInstatesBeforeEntering) {
  std::vector<std::string> calls;
  Database::ObjectPtr<Probe> probe(Database::CreateObject<Probe>(&calls));
  const std::vector<std::string> expected = {"Initialize", "BeginInstate", "EndInstate:in"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(probe->GetObjectKind(), ObjectKind::DataFieldObject);
  EXPECT_EQ(Registry().FindObject(probe->GetHandle()), probe.get());
}

TEST(ObjectRegistry, OutOfServiceCreationSkipsInstating) {
  std::vector<std::string> calls;
  Database::ObjectPtr<Probe> probe(
      Registry().RegisterObject(std::make_unique<Probe>(&calls), /*createOutOfService=*/true));
  EXPECT_EQ(calls, std::vector<std::string>{"Initialize"});
  EXPECT_EQ(Registry().FindObject(probe->GetHandle()), nullptr);
  EXPECT_EQ(Registry().FindObjectAnyState(probe->GetHandle()), probe.get());
  Registry().ReinstateObject(probe->GetHandle());
  EXPECT_EQ(Registry().FindObject(probe->GetHandle()), probe.get());
}

TEST(ObjectRegistry, UninstateAndReinstateRunEveryTime) {
  std::vector<std::string> calls;
  Database::ObjectPtr<Probe> probe(Database::CreateObject<Probe>(&calls));
  const THandle handle = probe->GetHandle();
  calls.clear();
  Registry().UninstateObject(handle);
  EXPECT_EQ(Registry().FindObject(handle), nullptr);
  Registry().UninstateObject(handle);
  Registry().ReinstateObject(handle);
  EXPECT_EQ(Registry().FindObject(handle), probe.get());
  const std::vector<std::string> expected = {"BeginUninstate", "EndUninstate:out",
                                             "BeginUninstate", "EndUninstate:out",
                                             "BeginInstate",   "EndInstate:in"};
  EXPECT_EQ(calls, expected);
}

TEST(ObjectRegistry, DestroyedHandlesStayEmptyAndAreNeverReused) {
  std::vector<std::string> calls;
  bool destroyed = false;
  Probe* probe = Database::CreateObject<Probe>(&calls, &destroyed);
  const THandle handle = probe->GetHandle();
  calls.clear();
  Registry().DestroyObject(handle);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(calls, std::vector<std::string>{"ReleaseChildren"});
  EXPECT_EQ(Registry().FindObject(handle), nullptr);
  EXPECT_EQ(Registry().FindObjectAnyState(handle), nullptr);
  // Registry operations on a destroyed handle do nothing.
  Registry().DestroyObject(handle);
  Registry().UninstateObject(handle);
  Registry().ReinstateObject(handle);
  EXPECT_EQ(Registry().FindObject(handle), nullptr);
  Database::ObjectPtr<Probe> later(Database::CreateObject<Probe>(&calls));
  EXPECT_GT(later->GetHandle(), handle);
}

TEST(ObjectRegistry, ResolveRejectsOtherKindsAndOutOfServiceObjects) {
  std::vector<std::string> calls;
  Database::ObjectPtr<Probe> probe(Database::CreateObject<Probe>(&calls));
  Database::ObjectPtr<OtherKind> other(Database::CreateObject<OtherKind>());
  EXPECT_EQ(Database::Resolve<Probe>(probe->GetHandle()), probe.get());
  EXPECT_EQ(Database::Resolve<Probe>(other->GetHandle()), nullptr);
  EXPECT_EQ(Database::Resolve<OtherKind>(probe->GetHandle()), nullptr);
  Registry().UninstateObject(probe->GetHandle());
  EXPECT_EQ(Database::Resolve<Probe>(probe->GetHandle()), nullptr);
  EXPECT_EQ(Database::ResolveAnyState<Probe>(probe->GetHandle()), probe.get());
}

TEST(ObjectRegistry, OwningPointerDestroysThroughTheRegistry) {
  std::vector<std::string> calls;
  bool destroyed = false;
  THandle handle = 0;
  {
    Database::ObjectPtr<Probe> probe(Database::CreateObject<Probe>(&calls, &destroyed));
    handle = probe->GetHandle();
  }
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(calls.back(), "ReleaseChildren");
  EXPECT_EQ(Registry().FindObjectAnyState(handle), nullptr);
}

TEST(ObjectRegistry, HandlesStaySequentialWhileEmptiedPagesAreReused) {
  // Enough objects to fill and empty whole pages of the table several times over.
  constexpr size_t kCount = 20000;
  std::vector<std::string> calls;
  std::vector<THandle> first;
  for (int round = 0; round < 3; ++round) {
    std::vector<Database::ObjectPtr<Probe>> probes;
    const THandle start = Registry().NextHandle();
    for (size_t i = 0; i < kCount; ++i) {
      probes.emplace_back(Database::CreateObject<Probe>(&calls));
      ASSERT_EQ(probes.back()->GetHandle(), start + i);
    }
    for (const THandle handle : first) ASSERT_EQ(Registry().FindObjectAnyState(handle), nullptr);
    first.clear();
    for (const auto& probe : probes) {
      ASSERT_EQ(Registry().FindObjectAnyState(probe->GetHandle()), probe.get());
      first.push_back(probe->GetHandle());
    }
    calls.clear();
  }
}

}  // namespace
