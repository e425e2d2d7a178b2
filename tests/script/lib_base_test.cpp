// Base library cases scripts cannot set up: light userdata and pointers in
// the texts of tostring/towstring.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "script/lang/WideString.h"
#include "script/lang/lua.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

class BaseLibTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = lua_open();
        ASSERT_NE(L, nullptr);
        luaopen_stdlibs(L);
    }
    void TearDown() override { lua_close(L); }

    // Calls global fn with the value on the top; leaves the result (or the
    // error message) on the top and returns the status.
    int CallGlobal(const char* fn)
    {
        lua_pushstring(L, fn);
        lua_gettable(L, LUA_GLOBALSINDEX);
        lua_insert(L, -2);
        return lua_pcall(L, 1, 1, 0);
    }

    std::string WideAsBytes(int idx)
    {
        std::string out;
        const lua_WChar* w = ToWideString(L, idx);
        for (size_t i = 0; w != nullptr && i < lua_strlen(L, idx); i++)
            out.push_back(static_cast<char>(w[i]));
        return out;
    }

    lua_State* L = nullptr;
};

TEST_F(BaseLibTest, LightUserdataPrintsItsPointerAndHasNoWideText)
{
    int anchor = 0;
    char expected[64];
    std::snprintf(expected, sizeof expected, "userdata: %p", static_cast<void*>(&anchor));
    lua_pushlightuserdata(L, &anchor);
    ASSERT_EQ(CallGlobal("tostring"), 0);
    EXPECT_STREQ(lua_tostring(L, -1), expected);
    lua_pop(L, 1);

    lua_pushlightuserdata(L, &anchor);
    ASSERT_EQ(CallGlobal("type"), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "userdata");
    lua_pop(L, 1);

    lua_pushlightuserdata(L, &anchor);
    ASSERT_EQ(CallGlobal("towstring"), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "bad argument #1 to `?' (value expected)");
    lua_pop(L, 1);
}

TEST_F(BaseLibTest, WideTextsOfObjectsCarryTheirAddresses)
{
    char expected[80];
    lua_newtable(L);
    std::snprintf(expected, sizeof expected, "table: %p", lua_topointer(L, -1));
    ASSERT_EQ(CallGlobal("towstring"), 0);
    ASSERT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(WideAsBytes(-1), expected);
    lua_pop(L, 1);

    void* payload = lua_newuserdata(L, 8);
    std::snprintf(expected, sizeof expected, "userdata: %p", payload);
    ASSERT_EQ(CallGlobal("towstring"), 0);
    EXPECT_EQ(WideAsBytes(-1), expected);
    lua_pop(L, 1);

    lua_State* co = lua_newthread(L);
    std::snprintf(expected, sizeof expected, "thread: %p", static_cast<void*>(co));
    lua_pushvalue(L, -1);
    ASSERT_EQ(CallGlobal("towstring"), 0);
    EXPECT_EQ(WideAsBytes(-1), expected);
    lua_pop(L, 1);
    ASSERT_EQ(CallGlobal("tostring"), 0);
    EXPECT_STREQ(lua_tostring(L, -1), expected);
    lua_pop(L, 1);
}

TEST_F(BaseLibTest, OpeningLeavesGlobalsInPlace)
{
    const char* names[] = {
        "_G",        "error",      "getmetatable", "setmetatable",   "getfenv",  "setfenv",
        "next",      "ipairs",     "pairs",        "print",          "tonumber", "tostring",
        "towstring", "type",       "assert",       "unpack",         "rawequal", "rawget",
        "rawset",    "pcall",      "xpcall",       "collectgarbage", "gcinfo",   "loadfile",
        "dofile",    "loadstring", "require",      "_VERSION",       "newproxy", "coroutine",
        "_LOADED",   "table",      "string"};
    for (const char* name : names)
    {
        lua_pushstring(L, name);
        lua_rawget(L, LUA_GLOBALSINDEX);
        EXPECT_FALSE(lua_isnil(L, -1)) << name;
        lua_pop(L, 1);
    }
    // Only these libraries exist in the dialect.
    for (const char* name : {"io", "os", "math", "debug", "loadlib"})
    {
        lua_pushstring(L, name);
        lua_rawget(L, LUA_GLOBALSINDEX);
        EXPECT_TRUE(lua_isnil(L, -1)) << name;
        lua_pop(L, 1);
    }
    EXPECT_EQ(lua_gettop(L), 0);
}

}  // namespace
