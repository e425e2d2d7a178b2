// The auxiliary library where scripts cannot reach: loading through the
// framework's files, wide buffers, array sizes, argument errors, run helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/FileNames.h"
#include "script/lang/WideString.h"
#include "script/lang/lua.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

class AuxLibTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = lua_open();
        ASSERT_NE(L, nullptr);
        luaopen_stdlibs(L);
    }
    void TearDown() override
    {
        for (const std::string& name : memoryFiles_) RegisterMemoryFileByName(name.c_str(), "", 0);
        lua_close(L);
    }

    // The block must outlive the test's handles: it is kept in the fixture.
    void AddMemoryFile(const std::string& name, const std::string& bytes)
    {
        blocks_.push_back(bytes);
        RegisterMemoryFileByName(name.c_str(), blocks_.back().data(), blocks_.back().size());
        memoryFiles_.push_back(name);
    }

    std::string Run(const char* src)
    {
        int top = lua_gettop(L);
        std::string result;
        if (luaL_loadbuffer(L, src, std::strlen(src), "=test") != 0 || lua_pcall(L, 0, 1, 0) != 0)
        {
            result = std::string("error: ") + (lua_tostring(L, -1) ? lua_tostring(L, -1) : "?");
        }
        else if (lua_tostring(L, -1) != nullptr)
        {
            result = lua_tostring(L, -1);
        }
        lua_settop(L, top);
        return result;
    }

    lua_State* L = nullptr;
    std::vector<std::string> memoryFiles_;
    std::deque<std::string> blocks_;  // stable addresses for the registered blocks
};

int WriteToString(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;
}

TEST_F(AuxLibTest, LoadFileNamesTheChunkAfterTheFile)
{
    AddMemoryFile("scripts/x.lua", "local a = 1\nerror('boom')\n");
    ASSERT_EQ(luaL_loadfile(L, "scripts/x.lua"), 0);
    lua_Debug ar;
    lua_pushvalue(L, -1);
    ASSERT_TRUE(lua_getinfo(L, ">S", &ar));
    EXPECT_STREQ(ar.source, "@scripts/x.lua");
    ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "scripts/x.lua:2: boom");
}

TEST_F(AuxLibTest, LoadFileReportsAMissingFile)
{
    int top = lua_gettop(L);
    EXPECT_EQ(luaL_loadfile(L, "scripts/nosuch.lua"), LUA_ERRFILE);
    ASSERT_EQ(lua_gettop(L), top + 1);  // only the message, the chunk name is gone
    std::string msg = lua_tostring(L, -1);
    EXPECT_EQ(msg.rfind("cannot read scripts/nosuch.lua: ", 0), 0u) << msg;
    EXPECT_GT(msg.size(), std::string("cannot read scripts/nosuch.lua: ").size());
    lua_settop(L, top);
    EXPECT_EQ(luaL_loadfile(L, nullptr), LUA_ERRFILE);
}

TEST_F(AuxLibTest, LoadFileReopensPrecompiledAndUtf16FilesAsBytes)
{
    // A compiled chunk holds bytes that text mode would spoil (CR, zero bytes).
    const char* src = "local s = '\\r\\n\\0' return 40 + string.len(s) - 1";
    ASSERT_EQ(luaL_loadbuffer(L, src, std::strlen(src), "=compiled"), 0);
    std::string chunk;
    ASSERT_EQ(lua_dump(L, WriteToString, &chunk), 1);
    lua_pop(L, 1);
    ASSERT_EQ(static_cast<unsigned char>(chunk[0]), 27);
    AddMemoryFile("scripts/compiled.luac", chunk);
    ASSERT_EQ(luaL_loadfile(L, "scripts/compiled.luac"), 0);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 42);
    lua_pop(L, 1);

    std::u16string text = u"return L\"\u263A\", \"\r\"";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : text)
    {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    AddMemoryFile("scripts/wide.lua", utf16);
    ASSERT_EQ(luaL_loadfile(L, "scripts/wide.lua"), 0) << lua_tostring(L, -1);
    ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0) << lua_tostring(L, -1);
    ASSERT_EQ(lua_type(L, -2), LUA_TWSTRING);
    ASSERT_EQ(lua_strlen(L, -2), 1u);
    EXPECT_EQ(ToWideString(L, -2)[0], 0x263A);
    EXPECT_STREQ(lua_tostring(L, -1), "\r");
}

TEST_F(AuxLibTest, LoadFileOfOneByteFiles)
{
    AddMemoryFile("scripts/blank.lua", " ");
    ASSERT_EQ(luaL_loadfile(L, "scripts/blank.lua"), 0);
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), 0);
    AddMemoryFile("scripts/esc.lua", "\x1b");  // a precompiled chunk cut after its first byte
    EXPECT_NE(luaL_loadfile(L, "scripts/esc.lua"), 0);
    EXPECT_NE(lua_tostring(L, -1), nullptr);
    lua_settop(L, 0);
}

TEST_F(AuxLibTest, WideBufferPushesFullPiecesAndJoinsThem)
{
    int top = lua_gettop(L);
    luaL_Buffer b;
    luaL_wbuffinit(L, &b);
    for (int i = 0; i < 300; i++) luaL_putwchar(&b, static_cast<lua_WChar>(0x2600 + i));
    ASSERT_EQ(lua_gettop(L), top + 1);  // one full 256-unit piece so far
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 256u);
    luaL_pushresult(&b);
    ASSERT_EQ(lua_gettop(L), top + 1);
    ASSERT_EQ(lua_type(L, -1), LUA_TWSTRING);
    ASSERT_EQ(lua_strlen(L, -1), 300u);
    const lua_WChar* w = ToWideString(L, -1);
    for (int i = 0; i < 300; i++) ASSERT_EQ(w[i], 0x2600 + i) << i;
    lua_settop(L, top);

    // An empty wide buffer still gives a wide string.
    luaL_wbuffinit(L, &b);
    luaL_pushresult(&b);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 0u);
    lua_settop(L, top);
}

TEST_F(AuxLibTest, BuffersJoinManyPiecesAndValues)
{
    int top = lua_gettop(L);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    std::string expected;
    for (int i = 0; i < 2000; i++)
    {
        std::string piece = std::to_string(i) + ",";
        if (i % 3 == 0)
        {
            lua_pushstring(L, piece.c_str());
            luaL_addvalue(&b);
        }
        else
        {
            luaL_addstring(&b, piece.c_str());
        }
        expected += piece;
        ASSERT_LE(lua_gettop(L), top + 12);  // pieces are joined as they pile up
    }
    std::string big(3000, 'q');
    lua_pushlstring(L, big.data(), big.size());
    luaL_addvalue(&b);
    expected += big;
    luaL_pushresult(&b);
    ASSERT_EQ(lua_gettop(L), top + 1);
    EXPECT_EQ(std::string(lua_tostring(L, -1), lua_strlen(L, -1)), expected);
    lua_settop(L, top);
}

TEST_F(AuxLibTest, ArraySizes)
{
    lua_newtable(L);
    lua_pushliteral(L, "n");
    lua_pushnumber(L, 5);
    lua_rawset(L, -3);
    EXPECT_EQ(luaL_getn(L, -1), 5);
    luaL_setn(L, -1, 8);
    lua_pushliteral(L, "n");
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 8);  // a numeric "n" is where the size goes
    lua_pop(L, 2);

    lua_newtable(L);
    for (int i : {1, 2, 4})
    {
        lua_pushnumber(L, i);
        lua_rawseti(L, -2, i);
    }
    EXPECT_EQ(luaL_getn(L, -1), 2);
    luaL_setn(L, -1, 7);  // no "n": recorded in the registry's weak table
    EXPECT_EQ(luaL_getn(L, -1), 7);
    lua_pushliteral(L, "n");
    lua_rawget(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 2);
}

int NeedsNumber(lua_State* L)
{
    luaL_checknumber(L, 1);
    return 0;
}

TEST_F(AuxLibTest, ArgumentErrorsNameTheFunction)
{
    lua_register(L, "needsnumber", NeedsNumber);
    EXPECT_EQ(Run("needsnumber('x')"),
              "error: test:1: bad argument #1 to `needsnumber' (number expected, got string)");
    EXPECT_EQ(Run("local o = {m = needsnumber} o:m()"),
              "error: test:1: calling `m' on bad self (number expected, got table)");
    EXPECT_EQ(Run("local o = {m = needsnumber} o.m()"),
              "error: test:1: bad argument #1 to `m' (number expected, got no value)");
}

int CheckWide(lua_State* L)
{
    size_t len = 0;
    const lua_WChar* w = luaL_checklwstring(L, 1, &len);
    lua_pushnumber(L, static_cast<lua_Number>(len * 1000 + w[0]));
    return 1;
}

TEST_F(AuxLibTest, WideArgumentCheck)
{
    lua_register(L, "checkwide", CheckWide);
    EXPECT_EQ(Run("return tostring(checkwide(L\"\\x263Ab\"))"), "11786");
    EXPECT_EQ(Run("return tostring(checkwide(12))"), "2049");
    EXPECT_EQ(Run("return checkwide('x')"),
              "error: test:1: bad argument #1 to `checkwide' (wstring expected, got string)");
}

TEST_F(AuxLibTest, DoStringReportsThroughAlert)
{
    ASSERT_EQ(Run("alerts = '' function _ALERT(m) alerts = alerts .. m end"), "");
    EXPECT_EQ(lua_dostring(L, "error('x')"), LUA_ERRRUN);
    EXPECT_EQ(lua_dostring(L, "x = = 1"), LUA_ERRSYNTAX);
    EXPECT_EQ(lua_dostring(L, "done = 1"), 0);
    EXPECT_EQ(Run("return alerts"),
              "[string \"error('x')\"]:1: x[string \"x = = 1\"]:1: unexpected symbol near `='");
    EXPECT_EQ(Run("return tostring(done)"), "1");
}

TEST_F(AuxLibTest, DoFileRunsOrReportsTheFile)
{
    AddMemoryFile("scripts/do.lua", "done_by_file = 7\n");
    ASSERT_EQ(Run("alerts = '' function _ALERT(m) alerts = alerts .. m end"), "");
    EXPECT_EQ(lua_dofile(L, "scripts/do.lua"), 0);
    EXPECT_EQ(Run("return tostring(done_by_file)"), "7");
    EXPECT_EQ(lua_dofile(L, "scripts/absent.lua"), LUA_ERRFILE);
    EXPECT_EQ(Run("return string.sub(alerts, 1, 31)"), "cannot read scripts/absent.lua:");
}

TEST_F(AuxLibTest, ReferencesReuseFreedSlots)
{
    lua_newtable(L);
    int t = lua_gettop(L);
    lua_pushliteral(L, "a");
    int ra = luaL_ref(L, t);
    lua_pushliteral(L, "b");
    int rb = luaL_ref(L, t);
    EXPECT_NE(ra, rb);
    EXPECT_GT(ra, 2);
    lua_pushnil(L);
    EXPECT_EQ(luaL_ref(L, t), LUA_REFNIL);
    lua_rawgeti(L, t, rb);
    EXPECT_STREQ(lua_tostring(L, -1), "b");
    lua_pop(L, 1);
    luaL_unref(L, t, ra);
    lua_pushliteral(L, "c");
    EXPECT_EQ(luaL_ref(L, t), ra);
    lua_settop(L, t - 1);
}

TEST_F(AuxLibTest, RegistryHoldsThePerTypeTables)
{
    const char* names[] = {"_boolean",  "_lightuserdata", "_number", "_string", "_table",
                           "_function", "_userdata",      "_thread", "_wstring"};
    for (const char* name : names)
    {
        lua_pushstring(L, name);
        lua_rawget(L, LUA_REGISTRYINDEX);
        EXPECT_EQ(lua_type(L, -1), LUA_TTABLE) << name;
        lua_pop(L, 1);
    }
    lua_pushliteral(L, "_string");
    lua_rawget(L, LUA_REGISTRYINDEX);
    lua_pushliteral(L, "string");
    lua_rawget(L, LUA_GLOBALSINDEX);
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_pushnumber(L, 5);
    ASSERT_TRUE(lua_getmetatable(L, -1));
    lua_pushliteral(L, "_number");
    lua_rawget(L, LUA_REGISTRYINDEX);
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);
}

TEST_F(AuxLibTest, OpenLibCreatesOrExtendsATable)
{
    static const luaL_reg funcs[] = {{"one", NeedsNumber}, {nullptr, nullptr}};
    luaL_openlib(L, "mylib", funcs, 0);
    EXPECT_EQ(lua_type(L, -1), LUA_TTABLE);
    lua_pop(L, 1);
    EXPECT_EQ(Run("return type(mylib.one)"), "function");
    luaL_openlib(L, "string", funcs, 0);  // an existing table keeps its entries
    lua_pop(L, 1);
    EXPECT_EQ(Run("return type(string.one) .. type(string.len)"), "functionfunction");
}

}  // namespace
