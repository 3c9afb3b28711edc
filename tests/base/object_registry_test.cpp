#include "base/object_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Database::CDataObject;
using Database::ObjectKind;
using Database::ObjectPtr;
using Database::THandle;

template <ObjectKind kKind>
class Probe : public CDataObject {
 public:
  explicit Probe(bool* destroyed = nullptr) : CDataObject(kKind), destroyed_(destroyed) {}
  ~Probe() override {
    if (destroyed_) *destroyed_ = true;
  }
  static bool MatchesKind(ObjectKind kind) { return kind == kKind; }
  void Initialize() override {}
  void ReleaseChildren() override {}
  void BeginUninstate() override {}
  void EndUninstate() override {}
  void BeginInstate() override {}
  void EndInstate() override {}

 private:
  bool* destroyed_;
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
  bool destroyed = false;
  ObjectPtr<Field> a(Database::CreateObject<Field>(&destroyed));
  const THandle dead = a->GetHandle();
  a.reset();
  EXPECT_TRUE(destroyed);
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

}  // namespace
