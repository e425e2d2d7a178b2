// TScriptCode: compiling files (byte text, UTF-16 text, precompiled chunks)
// into cached chunks, cache hits while a chunk is held, recompiling after
// release, failures, and the asset map's loader.
#include "script/ScriptCode.h"

#include <gtest/gtest.h>

#include <string>

#include "HostTestSupport.h"
#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "script/Script.h"
#include "script/lib/auxlib.h"

namespace
{

class ScriptCodeTest : public ::testing::Test
{
protected:
    void SetUp() override { SetGlobalAssetManager(&assets_); }
    void TearDown() override
    {
        SetGlobalAssetManager(nullptr);
        ClearAssetLoaders();
    }

    // Runs a compiled chunk in a fresh script and returns the global v.
    double RunAndRead(const TScriptCode& code)
    {
        TScript s;
        lua_State* L = s.GetState();
        EXPECT_EQ(luaL_loadbuffer(L, code.GetBytes(), code.GetSize(), "chunk"), 0);
        EXPECT_EQ(s.RunFunction(0, 0), 0);
        return s.GetGlobalNumber("v");
    }

    hosttest::TempFolder folder_;
    TAssetManager assets_;
};

TEST_F(ScriptCodeTest, CompilesToAPrecompiledChunk)
{
    TString name = folder_.Write("one.lua", "v = 41 + 1");
    TString error;
    std::shared_ptr<TScriptCode> code = TScriptCode::Get(name, "", &error);
    ASSERT_NE(code, nullptr) << error.CStr();
    EXPECT_TRUE(error.IsEmpty());
    ASSERT_GE(code->GetSize(), 5u);
    EXPECT_EQ(std::string(code->GetBytes(), 5), std::string("\x1bLua\x50", 5));
    EXPECT_STREQ(code->GetClassName(), "TScriptCode");
    EXPECT_TRUE(code->IsKindOf(TAsset::ClassId()));
    EXPECT_EQ(RunAndRead(*code), 42);
}

TEST_F(ScriptCodeTest, HeldCodeIsSharedAndReleasedCodeIsCompiledAgain)
{
    TString name = folder_.Write("cached.lua", "v = 1");
    std::shared_ptr<TScriptCode> first = TScriptCode::Get(name, "");
    ASSERT_NE(first, nullptr);
    folder_.Write("cached.lua", "v = 2");
    std::shared_ptr<TScriptCode> again = TScriptCode::Get(name, "");
    EXPECT_EQ(again, first);  // cache hit: the file is not read again
    EXPECT_EQ(RunAndRead(*again), 1);
    first.reset();
    again.reset();
    std::shared_ptr<TScriptCode> fresh = TScriptCode::Get(name, "");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(RunAndRead(*fresh), 2);

    // RunScript keeps nothing: each run compiles the file as it is now.
    TScript s;
    fresh.reset();
    TString run = folder_.Write("run.lua", "v = 10");
    ASSERT_TRUE(s.RunScript(run));
    folder_.Write("run.lua", "v = 20");
    ASSERT_TRUE(s.RunScript(run));
    EXPECT_EQ(s.GetGlobalNumber("v"), 20);
}

TEST_F(ScriptCodeTest, WorksWithoutAnAssetManager)
{
    SetGlobalAssetManager(nullptr);
    TString name = folder_.Write("plain.lua", "v = 3");
    std::shared_ptr<TScriptCode> a = TScriptCode::Get(name, "");
    std::shared_ptr<TScriptCode> b = TScriptCode::Get(name, "");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(RunAndRead(*b), 3);
}

TEST_F(ScriptCodeTest, FileFormats)
{
    // UTF-16 little-endian text after FF FE.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("v = 16"))
    {
        wide += c;
        wide += '\0';
    }
    std::shared_ptr<TScriptCode> utf16 = TScriptCode::Get(folder_.Write("wide.lua", wide), "");
    ASSERT_NE(utf16, nullptr);
    EXPECT_EQ(RunAndRead(*utf16), 16);

    // A precompiled chunk as the file itself.
    std::shared_ptr<TScriptCode> text = TScriptCode::Get(folder_.Write("src.lua", "v = 27"), "");
    ASSERT_NE(text, nullptr);
    TString compiled = folder_.Write("bin.lua", std::string(text->GetBytes(), text->GetSize()));
    TScript s;
    ASSERT_TRUE(s.RunScript(compiled));
    EXPECT_EQ(s.GetGlobalNumber("v"), 27);
}

TEST_F(ScriptCodeTest, FailuresGiveNoCodeAndAMessage)
{
    struct Case
    {
        const char* what;
        TString name;
        const char* messagePart;  // null: no message
    };
    const Case cases[] = {
        {"empty name", TString(), nullptr},
        {"missing file", TString(("::" + (folder_.Root() / "none.lua").string()).c_str()),
         "none.lua"},
        {"syntax error", folder_.Write("syntax.lua", "v = = 1"), "syntax.lua:1:"},
        {"truncated chunk", folder_.Write("cut.lua", std::string("\x1bLua\x50\x01", 6)), nullptr},
    };
    for (const Case& c : cases)
    {
        TString error;
        EXPECT_EQ(TScriptCode::Get(c.name, "", &error), nullptr) << c.what;
        if (c.messagePart != nullptr)
        {
            EXPECT_NE(std::string(error.CStr()).find(c.messagePart), std::string::npos)
                << c.what << ": " << error.CStr();
        }
        EXPECT_EQ(TScriptCode::Get(c.name, ""), nullptr) << c.what;  // no error text asked for
    }
}

TEST_F(ScriptCodeTest, AssetMapLoadsScriptsThroughTheRegisteredLoader)
{
    RegisterScriptCodeLoader();
    TString name = folder_.Write("mapped.lua", "v = 5");
    TAssetMap map;
    map.AddAsset(name);
    std::shared_ptr<TAsset> asset = map.Lookup(name, TAssetKind::kScript);
    std::shared_ptr<TScriptCode> code = AssetCast<TScriptCode>(asset.get());
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(RunAndRead(*code), 5);
    // The map holds it, so the cache hands out the same one.
    EXPECT_EQ(TScriptCode::Get(name, ""), code);
}

}  // namespace
