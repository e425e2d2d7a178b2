// TAssetMap over fake asset kinds plugged in through the loader table: the
// extension search, the cache keys in the asset manager, auto-load and the
// typed lookups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "core/AssetMap.h"

using namespace filetest;

namespace
{
template <int N>
class FakeAsset : public TAsset
{
public:
    explicit FakeAsset(std::string file) : file(std::move(file)) {}
    static TClassId ClassId()
    {
        static const char id = 0;
        return &id;
    }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
    std::string file;
};
using FakeTexture = FakeAsset<0>;
using FakeAnimation = FakeAsset<1>;
using FakeSound = FakeAsset<2>;

class AssetMapTest : public ::testing::Test
{
protected:
    AssetMapTest()
    {
        SetGlobalAssetManager(&manager_);
        Install<FakeTexture>(TAssetKind::kTexture, "tex:");
        Install<FakeAnimation>(TAssetKind::kAnimatedTexture, "anim:");
        Install<FakeSound>(TAssetKind::kSound, "snd:");
    }
    ~AssetMapTest() override
    {
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }

    template <class T>
    void Install(TAssetKind kind, std::string keyTag)
    {
        TAssetLoader loader;
        loader.classId = T::ClassId();
        loader.makeKey = [keyTag](const TString& name, const TString& params)
        { return TString(keyTag.c_str()) + name + params; };
        loader.load = [this](const TString& file) -> std::shared_ptr<TAsset>
        {
            loads_.push_back(file.CStr());
            if (std::string(file.CStr()).find("broken") != std::string::npos) return nullptr;
            return std::make_shared<T>(file.CStr());
        };
        RegisterAssetLoader(kind, loader);
    }

    void Index() { ScanAssetFolder("assets", ""); }

    TempTree tree_;
    TAssetManager manager_;
    std::vector<std::string> loads_;
};
}  // namespace

TEST_F(AssetMapTest, AddFindsTheFileByTheStandardExtensions)
{
    tree_.Write("assets/images/menu/back.png", "");
    tree_.Write("assets/x.xml", "");
    tree_.Write("assets/x.png", "");
    tree_.Write("assets/music/theme.ogg", "");
    tree_.Write("assets/shout.OGG", "");
    Index();
    TAssetMap map;
    map.AddAsset("images\\menu\\back");
    map.AddAsset("x");
    map.AddAsset("music/theme?group=1001");
    map.AddAsset("shout");

    EXPECT_EQ((std::vector<std::string>{"images/menu/back.png", "x.xml",
                                        "music/theme.ogg?group=1001", "shout.ogg"}),
              loads_);
    ASSERT_EQ(4, map.GetAssetCount());
    EXPECT_EQ(TString("images/menu/back"), map.GetAssetName(0));
    EXPECT_EQ(TString("music/theme?group=1001"), map.GetAssetName(1));
    EXPECT_EQ(TString(""), map.GetAssetName(4));
    EXPECT_EQ(TString(""), map.GetAssetName(-1));

    auto back = map.GetTexture<FakeTexture>("images\\menu\\back");
    ASSERT_NE(nullptr, back);
    EXPECT_EQ("images/menu/back.png", back->file);
    EXPECT_NE(nullptr, map.GetAnimatedTexture<FakeAnimation>("x"));
    EXPECT_NE(nullptr, map.GetSound<FakeSound>("music/theme?group=1001"));
    // Cache keys as each kind makes them, from the name with its parameters.
    EXPECT_NE(nullptr, manager_.Find("tex:images/menu/back"));
    EXPECT_NE(nullptr, manager_.Find("snd:music/theme?group=1001?group=1001"));
}

TEST_F(AssetMapTest, TheAssetManagerCacheIsAskedFirst)
{
    tree_.Write("assets/a.png", "");
    Index();
    TAssetMap first;
    TAssetMap second;
    first.AddAsset("a");
    second.AddAsset("a");
    EXPECT_EQ(1u, loads_.size());
    EXPECT_EQ(first.GetTexture<FakeTexture>("a"), second.GetTexture<FakeTexture>("a"));

    // An asset of another kind under the key is not taken for this one.
    manager_.Register("tex:b", std::make_shared<FakeSound>("wrong"));
    tree_.Write("assets/b.png", "");
    Index();
    first.AddAsset("b");
    EXPECT_EQ("b.png", first.GetTexture<FakeTexture>("b")->file);
}

TEST_F(AssetMapTest, FailuresLogAndStoreNothing)
{
    tree_.Write("assets/notes.txt", "");
    tree_.Write("assets/broken.png", "");
    tree_.Write("assets/model.mesh", "");
    Index();
    TAssetMap map;
    map.AddAsset("notes.txt");
    map.AddAsset("broken");
    map.AddAsset("nowhere");
    map.AddAsset("model");  // no mesh loader installed
    map.AddAsset("nowhere", nullptr, true);
    EXPECT_EQ(0, map.GetAssetCount());
    std::string log = tree_.Log();
    EXPECT_NE(std::string::npos, log.find("TAssetMap::AddAsset: Error loading notes.txt"));
    EXPECT_NE(std::string::npos, log.find("TAssetMap::AddAsset: Error loading broken.png"));
    EXPECT_NE(std::string::npos, log.find("TAssetMap::AddAsset: Error loading model.mesh"));
    EXPECT_NE(std::string::npos,
              log.find("TAssetMap::AddAsset: Failed to find asset nowhere with any standard "
                       "extension (jpg/jp2/png/anm/xml/ogg/mesh)"));
    size_t first = log.find("Failed to find asset nowhere");
    EXPECT_EQ(std::string::npos, log.find("Failed to find asset nowhere", first + 1));
}

TEST_F(AssetMapTest, TypedLookupsWithAndWithoutAutoLoad)
{
    tree_.Write("assets/late.png", "");
    Index();
    TAssetMap map;
    map.AddAsset("given", std::make_shared<FakeTexture>("given"));

    // Another type's asset: empty, silently.
    EXPECT_EQ(nullptr, map.GetSound<FakeSound>("given"));
    EXPECT_EQ(std::string::npos, tree_.Log().find("Sound asset not found"));

    EXPECT_EQ(nullptr, map.GetTexture<FakeTexture>("late"));
    EXPECT_NE(std::string::npos,
              tree_.Log().find("Texture asset not found: late (auto load set to false)"));
    EXPECT_EQ(2, map.GetAssetCount());
    EXPECT_EQ(TString("late"), map.GetAssetName(1));

    map.autoLoad = true;
    auto late = map.GetTexture<FakeTexture>("late");
    ASSERT_NE(nullptr, late);
    EXPECT_EQ("late.png", late->file);
    EXPECT_EQ(nullptr, map.GetAnimatedTexture<FakeAnimation>("absent"));
    EXPECT_NE(std::string::npos,
              tree_.Log().find("Animated texture asset not found: absent (auto load set to true)"));
    EXPECT_EQ(nullptr, map.GetSound<FakeSound>("absent2"));
    EXPECT_NE(std::string::npos, tree_.Log().find("Sound asset not found: absent2"));

    // Clearing drops the map's references; the manager's entries expire.
    std::weak_ptr<FakeTexture> watch = late;
    late.reset();
    map.Clear();
    EXPECT_EQ(0, map.GetAssetCount());
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(nullptr, manager_.Find("tex:late"));
}

TEST_F(AssetMapTest, WorksWithoutAnAssetManager)
{
    SetGlobalAssetManager(nullptr);
    tree_.Write("assets/solo.jp2", "");
    Index();
    TAssetMap map;
    map.AddAsset("solo");
    EXPECT_EQ("solo.jp2", map.GetTexture<FakeTexture>("solo")->file);
}
