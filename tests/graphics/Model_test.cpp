// Mesh files: the fixed-point vertex layout, empty meshes, bad magic, short
// files and out-of-range indices, the asset cache and rereading on restore.
#include <gtest/gtest.h>

#include <array>

#include "core/AssetManager.h"
#include "graphics/Model.h"
#include "graphics/support/ImageAssets.h"

namespace
{

void Put16(std::string& out, int v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

// "TRIS", counts, vertices of eight values, then indices.
std::string Mesh(const std::vector<std::array<int, 8>>& vertices, const std::vector<int>& indices,
                 int triangles = -1)
{
    std::string out = "TRIS";
    Put16(out, int(vertices.size()));
    Put16(out, triangles >= 0 ? triangles : int(indices.size() / 3));
    for (const auto& v : vertices)
        for (int x : v) Put16(out, x);
    for (int i : indices) Put16(out, i);
    return out;
}

class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override { SetGlobalAssetManager(&manager_); }
    void TearDown() override { SetGlobalAssetManager(nullptr); }
    ImageAssets assets_;
    TAssetManager manager_;
};

TEST_F(ModelTest, VerticesAreFixedPointThousandths)
{
    assets_.Put(
        "m.mesh",
        Mesh({{-1500, 32767, -32768, 0, 1, 2, 1000, -1}, {0, 0, 0, 0, 0, 0, 0, 0}}, {0, 1, 1}));
    TModel model;
    ASSERT_TRUE(model.Init("m.mesh"));
    const TMeshData* mesh = model.GetMesh();
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->vertices.size(), 2u);
    const TModelVertex& v = mesh->vertices[0];
    EXPECT_FLOAT_EQ(v.a.x, -1.5f);
    EXPECT_FLOAT_EQ(v.a.y, 32.767f);
    EXPECT_FLOAT_EQ(v.a.z, -32.768f);
    EXPECT_FLOAT_EQ(v.b.z, 0.002f);
    EXPECT_FLOAT_EQ(v.uv.x, 1.0f);
    EXPECT_FLOAT_EQ(v.uv.y, -0.001f);
    EXPECT_EQ(mesh->indices, (std::vector<uint16_t>{0, 1, 1}));
    EXPECT_STREQ(mesh->name.CStr(), "m.mesh");
}

TEST_F(ModelTest, EmptyMeshLoads)
{
    assets_.Put("e.mesh", Mesh({}, {}));
    TModel model;
    ASSERT_TRUE(model.Init("e.mesh"));
    EXPECT_TRUE(model.GetMesh()->vertices.empty());
    EXPECT_TRUE(model.GetMesh()->indices.empty());
}

TEST_F(ModelTest, BadFilesFail)
{
    const std::string good = Mesh({{1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}}, {0, 1, 0});
    std::string magic = good;
    magic[0] = 'X';
    struct Case
    {
        const char* name;
        std::string bytes;
    } const cases[] = {
        {"magic.mesh", magic},
        {"short-header.mesh", good.substr(0, 6)},
        {"short-vertices.mesh", good.substr(0, 8 + 20)},
        {"short-indices.mesh", good.substr(0, good.size() - 1)},
        {"index.mesh", Mesh({{1, 2, 3, 4, 5, 6, 7, 8}}, {0, 0, 1})},  // index == vertex count
        {"counts.mesh", Mesh({}, {}, 65535)},                         // claims 65535 triangles
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        assets_.Put(c.name, c.bytes);
        TModel model;
        EXPECT_FALSE(model.Init(c.name));
        EXPECT_EQ(TModel::Get(c.name), nullptr);
    }
}

TEST_F(ModelTest, NamesWithoutMeshExtensionFailWithoutOpening)
{
    assets_.Put("m.txt", Mesh({}, {}));
    TModel model;
    EXPECT_FALSE(model.Init("m.txt"));
    EXPECT_FALSE(model.Init("absent.mesh"));
    EXPECT_TRUE(assets_.LogHas("TModel::Init: Failed to load absent.mesh"));
    EXPECT_FALSE(assets_.LogHas("m.txt"));
}

TEST_F(ModelTest, GetCachesAndRestoreRereadsTheFile)
{
    assets_.Put("c.mesh", Mesh({{1000, 0, 0, 0, 0, 0, 0, 0}}, {}));
    std::shared_ptr<TModel> a = TModel::Get("c.mesh");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(TModel::Get("c.mesh"), a);
    EXPECT_STREQ(a->GetClassName(), "TModel");
    EXPECT_TRUE(a->IsKindOf(TAsset::ClassId()));

    assets_.Put("c.mesh", Mesh({{2000, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}, {}));
    manager_.ReleaseAll();
    manager_.RestoreAll();
    ASSERT_EQ(a->GetMesh()->vertices.size(), 2u);
    EXPECT_FLOAT_EQ(a->GetMesh()->vertices[0].a.x, 2.0f);
}

TEST_F(ModelTest, ARestoreThatCannotRereadKeepsTheLoadedMesh)
{
    const std::string good =
        Mesh({{1500, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}, {0, 1, 1});
    struct Case
    {
        const char* what;
        bool remove;
        std::string replacement;
    } const cases[] = {
        {"file gone", true, ""},
        {"file cut short", false, good.substr(0, good.size() - 3)},
        {"other magic", false, "TRIX" + good.substr(4)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        assets_.Put("k.mesh", good);
        TModel model;
        ASSERT_TRUE(model.Init("k.mesh"));
        if (c.remove)
            assets_.Remove("k.mesh");
        else
            assets_.Put("k.mesh", c.replacement);
        model.RestoreDeviceData();
        ASSERT_NE(model.GetMesh(), nullptr);
        ASSERT_EQ(model.GetMesh()->vertices.size(), 2u);
        EXPECT_FLOAT_EQ(model.GetMesh()->vertices[0].a.x, 1.5f);
        EXPECT_EQ(model.GetMesh()->indices.size(), 3u);
        EXPECT_EQ(model.GetMesh()->name, TString("k.mesh"));
    }
}

}  // namespace
