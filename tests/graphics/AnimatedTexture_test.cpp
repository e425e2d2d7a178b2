// Animated textures: the XML and binary descriptions with their inheritance
// rules, default script and log lines, damaged files, the lookup order, the
// cache, and frame drawing on the recording device.
#include "graphics/AnimatedTexture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/Xml.h"
#include "graphics/support/AnimationFixtures.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"

namespace
{

const char kSheetXml[] =
    "<sequence name=\"walk\" source=\"walk.svg\">"
    "<img name=\"sheet.png\" w=\"120\" h=\"30\" regx=\"3\" regy=\"4\"/>"
    "<framelist>"
    "<frame name=\"a\" x=\"0\" y=\"0\" w=\"40\" h=\"30\" regx=\"10\" regy=\"5\">"
    "<anchor name=\"hand\" x=\"7\" y=\"8\"/><anchor name=\"hand\" x=\"9\" y=\"9\"/></frame>"
    "<frame name=\"b\" x=\"40\" y=\"0\" w=\"40\" h=\"30\" xform=\"2 0 0 2 5 6\" alpha=\"0.5\"/>"
    "<note/>"
    "<frame name=\"c\" x=\"80\" y=\"0\" w=\"30\" h=\"20\" regx=\"1\" regy=\"2\"/>"
    "</framelist></sequence>";

class AnimatedTextureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene_.Ready());
        SetGlobalAssetManager(&manager_);
        PutSheet("sheet.png", 40, 30, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu});
    }
    void TearDown() override
    {
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }
    void PutSheet(const std::string& name, int w, int h, const std::vector<uint32_t>& colours)
    {
        assets_.Put(name,
                    imagefx::PngFromArgb(w * int(colours.size()), h, animfx::Strip(w, h, colours)));
    }
    bool ReadXml(const std::string& text, TAnimationData& out)
    {
        TXmlNode doc;
        doc.Parse(text.data(), text.size());
        return ReadAnimationXml(doc, "t.xml", out);
    }

    ImageAssets assets_;
    TAssetManager manager_;
    RecordingScene scene_;
};

TEST_F(AnimatedTextureTest, XmlFramesInheritRegistrationAndTransform)
{
    TAnimationData d;
    ASSERT_TRUE(ReadXml(kSheetXml, d));
    EXPECT_STREQ(d.sequenceName.CStr(), "walk");
    EXPECT_STREQ(d.source.CStr(), "walk.svg");
    EXPECT_EQ(d.imageRegX, 3);
    EXPECT_EQ(d.imageWidth, 120);
    ASSERT_EQ(d.frames.size(), 3u);
    const TAnimationFrame &a = d.frames[0], &b = d.frames[1], &c = d.frames[2];
    EXPECT_FALSE(a.HasTransform());
    EXPECT_EQ(a.anchors.size(), 2u);
    EXPECT_EQ(b.regX, 10);  // from the frame before
    EXPECT_EQ(b.regY, 5);
    EXPECT_FLOAT_EQ(b.alpha, 0.5f);
    EXPECT_FLOAT_EQ(a.alpha, 1.0f);
    EXPECT_TRUE(b.HasTransform());
    EXPECT_FLOAT_EQ(b.xform[4], 5.0f);
    EXPECT_FLOAT_EQ(c.xform[0], 2.0f);  // copied from b
    EXPECT_EQ(c.regX, 1);
    EXPECT_EQ(d.maxWidth, 40);
    EXPECT_EQ(d.maxHeight, 30);

    // A first frame without regx has (0, 0); a later frame without xform
    // copies a first frame that has none.
    TAnimationData e;
    ASSERT_TRUE(
        ReadXml("<sequence><img name=\"s\"/><framelist><frame w=\"1\"/>"
                "<frame w=\"1\"/></framelist></sequence>",
                e));
    EXPECT_EQ(e.frames[0].regX, 0);
    EXPECT_FALSE(e.frames[1].HasTransform());
}

TEST_F(AnimatedTextureTest, ScriptsAndTheDefaultScript)
{
    EXPECT_STREQ(MakeDefaultAnimationScript(3).CStr(),
                 "function DoAnim()\n    delay(60);\n    frames{1,2,3};\nend\n");
    EXPECT_STREQ(MakeDefaultAnimationScript(0).CStr(), "function DoAnim()\n    delay(60);\nend\n");
    struct Case
    {
        const char* script;
        const char* expected;
    } const cases[] = {
        {"", "function DoAnim()\n    delay(60);\n    frames{1};\nend\n"},
        {"<script luascript=\"function A() end\">ignored</script>", "function A() end"},
        {"<script>function B() end</script>", "function B() end"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.script);
        TAnimationData d;
        ASSERT_TRUE(ReadXml(std::string("<sequence><img name=\"s\"/><framelist><frame w=\"1\"/>"
                                        "</framelist>") +
                                c.script + "</sequence>",
                            d));
        EXPECT_STREQ(d.script.CStr(), c.expected);
    }
}

TEST_F(AnimatedTextureTest, MissingPartsAreLogged)
{
    struct Case
    {
        const char* text;
        std::vector<std::string> lines;
    } const cases[] = {
        {"<other/>", {"Animation t.xml does not contain a sequence node"}},
        {"<sequence><framelist><frame/></framelist></sequence>",
         {"Animation t.xml does not contain an img node"}},
        {"<sequence><img/></sequence>", {"Animation t.xml does not contain a framelist node"}},
        {"<sequence><framelist/></sequence>",
         {"Animation t.xml does not contain an img node",
          "Animation t.xml does not contain any frames!"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const size_t before = assets_.Log().size();
        TAnimationData d;
        EXPECT_FALSE(ReadXml(c.text, d));
        const std::string log = assets_.Log().substr(before);
        for (const std::string& line : c.lines) EXPECT_NE(log.find(line), std::string::npos) << log;
    }
}

TEST_F(AnimatedTextureTest, BinaryVersionsOneAndTwo)
{
    animfx::Anm a;
    animfx::Frame f;
    f.regX = 10;
    f.regY = 5;
    f.w = 40;
    f.h = 30;
    f.alpha = 0.25f;
    f.name = "first";
    f.anchors = {{7, 8, "hand"}};
    a.frames = {f, f};
    a.frames[1].x = 40;
    for (int version : {1, 2})
    {
        SCOPED_TRACE(version);
        a.version = version;
        a.withScript = version == 2;
        a.script = "function DoAnim() end";
        const std::string bytes = animfx::Encode(a);
        TAnimationData d;
        ASSERT_TRUE(ReadAnimationBinary(bytes.data(), bytes.size(), d));
        ASSERT_EQ(d.frames.size(), 2u);
        EXPECT_STREQ(d.imageName.CStr(), "sheet.png");
        EXPECT_EQ(d.frames[1].x, 40);
        EXPECT_EQ(d.frames[0].regY, 5);
        EXPECT_FLOAT_EQ(d.frames[0].alpha, version == 1 ? 1.0f : 0.25f);
        EXPECT_STREQ(d.frames[0].anchors[0].name.CStr(), "hand");
        EXPECT_STREQ(d.script.CStr(),
                     version == 2 ? "function DoAnim() end" : MakeDefaultAnimationScript(2).CStr());
        EXPECT_EQ(d.maxWidth, 40);
    }
}

TEST_F(AnimatedTextureTest, DamagedBinaryFilesFailCleanly)
{
    animfx::Anm a;
    animfx::Frame f;
    f.name = "n";
    f.anchors = {{1, 2, "x"}};
    a.frames = {f};
    a.withScript = true;
    a.script = "s";
    const std::string good = animfx::Encode(a);
    TAnimationData ok;
    ASSERT_TRUE(ReadAnimationBinary(good.data(), good.size(), ok));
    // Every cut inside the blocks fails; a cut before the whole "SCRP" tag
    // leaves a file without a script block (it gets the default script).
    const size_t scrp = good.find("SCRP");
    for (size_t keep = 0; keep < good.size(); ++keep)
    {
        TAnimationData d;
        EXPECT_EQ(ReadAnimationBinary(good.data(), keep, d), keep >= scrp && keep < scrp + 4)
            << keep;
    }
    struct Case
    {
        const char* what;
        size_t at;  // offset of the int32 to replace
        int32_t value;
    } const cases[] = {
        {"sequence length negative", 12, -1},
        {"sequence length past the end", 12, 1 << 30},
        {"frame count negative", good.find("FRMS") + 4, -5},
        {"frame count too large", good.find("FRMS") + 4, 0x7FFFFFFF},
        {"anchor count too large", good.find("FRMS") + 4 + 4 + 52 + 4 + 1, 1000000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string bad = good;
        std::string v;
        animfx::PutInt(v, c.value);
        bad.replace(c.at, 4, v);
        TAnimationData d;
        EXPECT_FALSE(ReadAnimationBinary(bad.data(), bad.size(), d));
    }
    std::string tag = good;
    tag[good.find("IMGN")] = 'X';
    TAnimationData d;
    EXPECT_FALSE(ReadAnimationBinary(tag.data(), tag.size(), d));
    EXPECT_FALSE(ReadAnimationBinary(nullptr, 0, d));
}

TEST_F(AnimatedTextureTest, LookupOrderAndFileKinds)
{
    animfx::Anm a;
    animfx::Frame f;
    f.w = 40;
    f.h = 30;
    a.frames = {f};
    assets_.Put("bin.anm", animfx::Encode(a));
    assets_.Put("both", kSheetXml);  // no known kind in its name
    assets_.Put("both.xml", kSheetXml);
    assets_.Put("upper.XML", kSheetXml);
    assets_.Put("dir/anim.xml", std::string(kSheetXml));
    PutSheet("dir/sheet.png", 40, 30, {0xFF123456u});
    struct Case
    {
        const char* name;
        int frames;  // 0: Get fails
    } const cases[] = {
        {"bin", 1},       {"bin.anm", 1}, {"both", 0},     {"both.xml", 3},
        {"upper.XML", 3}, {"missing", 0}, {"dir/anim", 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TAnimatedTextureRef t = TAnimatedTexture::Get(c.name, "", "");
        EXPECT_EQ(t ? t->GetFrameCount() : 0, c.frames);
    }
    TAnimatedTextureRef inDir = TAnimatedTexture::Get("dir/anim", "", "");
    ASSERT_NE(inDir, nullptr);
    EXPECT_STREQ(inDir->GetFolder().CStr(), "dir/");
    // The folder's own sheet comes first.
    {
        const TLockedPixels locked(inDir);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        EXPECT_EQ(px[0], 0xFF123456u);
    }
}

TEST_F(AnimatedTextureTest, GetCachesByNameImageAndMask)
{
    assets_.Put("walk.xml", kSheetXml);
    PutSheet("other.png", 40, 30, {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u});
    TAnimatedTextureRef one = TAnimatedTexture::Get("walk", "", "");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(TAnimatedTexture::Get("walk", "", ""), one);
    TAnimatedTextureRef other = TAnimatedTexture::Get("walk", "other.png", "");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, one);
    EXPECT_STREQ(other->GetAnimation().imageName.CStr(), "other.png");
    EXPECT_NE(TAnimatedTexture::Get("walk", "", "other.png"), one);
    EXPECT_STREQ(MakeAnimationKey("walk", "a", "b").CStr(), "walk:a:b");
    EXPECT_TRUE(one->IsKindOf(TTexture::ClassId()));
    EXPECT_TRUE(one->IsKindOf(TAsset::ClassId()));
    EXPECT_STREQ(one->GetClassName(), "TAnimatedTexture");

    // The asset map reaches it by its name with auto-load.
    RegisterAnimatedTextureAssetLoader();
    TAssetMap map;
    map.autoLoad = true;
    EXPECT_EQ(map.GetAnimatedTexture("walk.xml")->GetFrameCount(), 3);
}

TEST_F(AnimatedTextureTest, FrameQueriesStayInRange)
{
    assets_.Put("walk.xml", kSheetXml);
    TAnimatedTextureRef t = TAnimatedTexture::Get("walk", "", "");
    ASSERT_NE(t, nullptr);
    int x = -1, y = -1;
    t->GetRegistration(2, &x, &y);
    EXPECT_EQ(x, 1);
    for (int bad : {-1, 3, 1000})
    {
        t->GetRegistration(bad, &x, &y);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
    }
    EXPECT_TRUE(t->GetFramePoint(0, "hand", &x, &y));
    EXPECT_EQ(x, 7);  // the first of that name
    EXPECT_FALSE(t->GetFramePoint(0, "Hand", &x, &y));
    EXPECT_FALSE(t->GetFramePoint(5, "hand", &x, &y));
    t->SetFrame(3);
    EXPECT_EQ(t->GetFrame(), 0);
    t->SetFrame(-2);
    EXPECT_EQ(t->GetFrame(), 0);
    t->SetFrame(2);
    EXPECT_EQ(t->GetWidth(), 30);
    t->SetFrame(-1);
    EXPECT_EQ(t->GetWidth(), 0);
}

TEST_F(AnimatedTextureTest, FramesDrawAtTheirRegistrationPoint)
{
    assets_.Put("walk.xml", kSheetXml);
    TAnimatedTextureRef t = TAnimatedTexture::Get("walk", "", "");
    ASSERT_NE(t, nullptr);
    struct Case
    {
        uint32_t flags;
        float left, top;  // the first corner before mirroring swaps
    } const cases[] = {
        {0, -10, -5},
        {TDrawParams::kMirrorX, -30, -5},
        {TDrawParams::kMirrorY, -10, -25},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.flags);
        t->SetFrame(0);
        scene_.Frame([&] { t->Draw(TDrawParams(TFloatPoint(0, 0), 1.0f, 1.0f, c.flags)); });
        ASSERT_EQ(scene_.device.draws.size(), 1u);
        const auto& v = scene_.device.draws[0].vertices;
        float minX = v[0].x, minY = v[0].y;
        for (const auto& q : v)
        {
            minX = std::min(minX, q.x);
            minY = std::min(minY, q.y);
        }
        EXPECT_FLOAT_EQ(minX, c.left);
        EXPECT_FLOAT_EQ(minY, c.top);
    }
    // Frame 1: the transform (scale 2, move (5, 6)) applies before the
    // parameters; alpha multiplies; the sheet's second third is sampled.
    t->SetFrame(1);
    scene_.Frame([&] { t->Draw(TDrawParams(TFloatPoint(100, 0), 1.0f, 1.0f, 0)); });
    ASSERT_EQ(scene_.device.draws.size(), 1u);
    const auto& v = scene_.device.draws[0].vertices;
    EXPECT_FLOAT_EQ(v[0].x, 100 + 5 - 20);
    EXPECT_FLOAT_EQ(v[0].y, 6 - 10);
    EXPECT_EQ(v[0].diffuse >> 24, 127u);
    const int sw = t->GetData()->surfaceWidth;
    EXPECT_FLOAT_EQ(v[0].u, 40.0f / float(sw));
    // Hidden and zero-width frames draw nothing.
    t->SetFrame(-1);
    scene_.Frame([&] { t->DrawAt(0, 0, 1, 1, 0, 0); });
    EXPECT_TRUE(scene_.device.draws.empty());
}

TEST_F(AnimatedTextureTest, ZeroWidthFrameDrawsNothing)
{
    assets_.Put("z.xml",
                "<sequence><img name=\"sheet.png\"/><framelist><frame w=\"0\" h=\"9\"/></framelist>"
                "</sequence>");
    TAnimatedTextureRef t = TAnimatedTexture::Get("z.xml", "", "");
    ASSERT_NE(t, nullptr);
    scene_.Frame([&] { t->DrawAt(0, 0, 1, 1, 0, 0); });
    EXPECT_TRUE(scene_.device.draws.empty());
}

}  // namespace

namespace
{

// The content tool's output (generated frames, no SVG) reads back the same in
// both forms.
TEST_F(AnimatedTextureTest, TheContentToolWritesBothForms)
{
    const std::string dir = assets_.Tree().Root().string() + "/assets/made";
    const std::string desc = assets_.Tree().Root().string() + "/desc.json";
    {
        std::ofstream out(desc);
        out << R"({"name": "m", "script": "function DoAnim() end", "frames": [)"
               R"({"fill": "#ff0000", "width": 4, "height": 3, "name": "a", "regx": 1, "regy": 2,)"
               R"( "anchors": [{"name": "p", "x": 3, "y": 1}]},)"
               R"({"fill": "#00ff0080", "width": 5, "height": 2, "alpha": 0.5,)"
               R"( "xform": [2, 0, 0, 2, 1, 1]}]})";
    }
    const std::string command = "python3 " ORVELLE_SOURCE_DIR "/tools/make_animation.py " + desc +
                                " " + dir + " --anm 2 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "python3 cannot run the tool";
    assets_.Rescan();
    for (const char* name : {"made/m.xml", "made/m.anm"})
    {
        SCOPED_TRACE(name);
        TAnimatedTextureRef t = TAnimatedTexture::Get(name, "", "");
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(t->GetFrameCount(), 2);
        const TAnimationData& d = t->GetAnimation();
        EXPECT_STREQ(d.script.CStr(), "function DoAnim() end");
        EXPECT_EQ(d.frames[1].x, 4);
        EXPECT_EQ(d.frames[1].regX, 2);
        EXPECT_FLOAT_EQ(d.frames[1].alpha, 0.5f);
        EXPECT_FLOAT_EQ(d.frames[1].xform[0], 2.0f);
        int x = 0, y = 0;
        EXPECT_TRUE(t->GetFramePoint(0, "p", &x, &y));
        EXPECT_EQ(x, 3);
        {
            const TLockedPixels locked(t);
            ASSERT_TRUE(locked);
            uint32_t* const px = locked.GetPixels();
            EXPECT_EQ(px[0], 0xFFFF0000u);
            EXPECT_EQ(px[4], 0x8000FF00u);
        }
    }
}

}  // namespace
