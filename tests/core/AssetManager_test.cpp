// TAsset identities and casts, and the weak-reference asset registry with
// its device release / restore walks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/AssetManager.h"

namespace
{
std::vector<std::string> gCalls;

class FakeModel : public TAsset
{
public:
    explicit FakeModel(std::string tag) : tag_(std::move(tag)) {}
    static TClassId ClassId()
    {
        static const char id = 0;
        return &id;
    }
    const char* GetClassName() const override { return "FakeModel"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
    void ReleaseDeviceData() override { gCalls.push_back("release " + tag_); }
    void RestoreDeviceData() override { gCalls.push_back("restore " + tag_); }

private:
    std::string tag_;
};

class FakeSound : public TAsset
{
public:
    static TClassId ClassId()
    {
        static const char id = 0;
        return &id;
    }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
};
}  // namespace

TEST(Asset, KindsAndCasts)
{
    auto model = std::make_shared<FakeModel>("m");
    TAsset base;
    EXPECT_STREQ("TAsset", base.GetClassName());
    EXPECT_STREQ("FakeModel", model->GetClassName());
    EXPECT_TRUE(model->IsKindOf(TAsset::ClassId()));
    EXPECT_TRUE(model->IsKindOf(FakeModel::ClassId()));
    EXPECT_FALSE(model->IsKindOf(FakeSound::ClassId()));
    EXPECT_FALSE(base.IsKindOf(FakeModel::ClassId()));

    TAsset* raw = model.get();
    std::shared_ptr<FakeModel> again = AssetCast<FakeModel>(raw);
    EXPECT_EQ(model, again);
    EXPECT_EQ(2, model.use_count());
    EXPECT_EQ(nullptr, AssetCast<FakeSound>(raw));
    EXPECT_EQ(nullptr, AssetCast<FakeModel>(nullptr));
    // Not owned by a shared pointer: no shared pointer can be made.
    FakeModel loose("loose");
    EXPECT_EQ(nullptr, AssetCast<FakeModel>(&loose));
}

TEST(AssetManager, HoldsOnlyWeakReferences)
{
    TAssetManager manager;
    auto first = std::make_shared<FakeModel>("a");
    manager.Register("k", first);
    EXPECT_EQ(first, manager.Find("k"));
    EXPECT_EQ(1, first.use_count());

    auto second = std::make_shared<FakeModel>("b");
    manager.Register("k", second);
    EXPECT_EQ(second, manager.Find("k"));
    EXPECT_EQ(1, manager.GetCount());

    // A miss leaves an empty entry; an expired asset stays counted until a
    // release walk sweeps it.
    EXPECT_EQ(nullptr, manager.Find("missing"));
    EXPECT_EQ(2, manager.GetCount());
    second.reset();
    EXPECT_EQ(nullptr, manager.Find("k"));
    EXPECT_EQ(2, manager.GetCount());
    manager.ReleaseAll();
    EXPECT_EQ(0, manager.GetCount());

    manager.Register("x", first);
    manager.Forget("x");
    EXPECT_EQ(0, manager.GetCount());
}

TEST(AssetManager, ReleaseAndRestoreWalkLiveAssetsInKeyOrder)
{
    gCalls.clear();
    TAssetManager manager;
    auto b = std::make_shared<FakeModel>("b");
    auto a = std::make_shared<FakeModel>("a");
    {
        auto dead = std::make_shared<FakeModel>("dead");
        manager.Register("c", dead);
    }
    manager.Register("b", b);
    manager.Register("a", a);
    manager.RestoreAll();
    EXPECT_EQ((std::vector<std::string>{"restore a", "restore b"}), gCalls);
    EXPECT_EQ(3, manager.GetCount());
    gCalls.clear();
    manager.ReleaseAll();
    EXPECT_EQ((std::vector<std::string>{"release a", "release b"}), gCalls);
    EXPECT_EQ(2, manager.GetCount());

    a.reset();
    b.reset();
    gCalls.clear();
    manager.RestoreAll();
    EXPECT_TRUE(gCalls.empty());
}

namespace
{
// An asset that, like a texture, forgets its key when it dies, and another
// that registers a new asset while being released.
class SelfForgetting : public TAsset
{
public:
    SelfForgetting(TAssetManager& m, const char* key) : manager_(m), key_(key) {}
    ~SelfForgetting() override { manager_.Forget(key_); }
    void ReleaseDeviceData() override
    {
        if (spawn) manager_.Register("zz-spawned", spawn);
    }
    std::shared_ptr<TAsset> spawn;

private:
    TAssetManager& manager_;
    TString key_;
};
}  // namespace

TEST(AssetManager, WalksSurviveCallbacksThatChangeTheRegistry)
{
    TAssetManager manager;
    auto keep = std::make_shared<SelfForgetting>(manager, "a");
    keep->spawn = std::make_shared<TAsset>();
    manager.Register("a", keep);
    {
        // The walk's temporary reference is the last one: the asset dies
        // (and forgets its key) right after its release call.
        auto transient = std::make_shared<SelfForgetting>(manager, "b");
        manager.Register("b", transient);
        std::weak_ptr<SelfForgetting> watch = transient;
        struct Holder : TAsset
        {
            std::shared_ptr<TAsset> held;
            void ReleaseDeviceData() override { held.reset(); }
        };
        auto holder = std::make_shared<Holder>();
        holder->held = std::move(transient);
        manager.Register("0-holder", holder);
        manager.ReleaseAll();
        EXPECT_TRUE(watch.expired());
    }
    EXPECT_NE(nullptr, manager.Find("a"));
    EXPECT_NE(nullptr, manager.Find("zz-spawned"));
    manager.RestoreAll();
}

TEST(AssetManager, GlobalManagerIsInstalledByItsOwner)
{
    EXPECT_EQ(nullptr, GetGlobalAssetManager());
    TAssetManager manager;
    SetGlobalAssetManager(&manager);
    EXPECT_EQ(&manager, GetGlobalAssetManager());
    SetGlobalAssetManager(nullptr);
}
