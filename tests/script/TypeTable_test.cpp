// Per-type tables and table sizes for native code.
#include "script/lang/TypeTable.h"

#include <string>

#include "ScriptTestUtil.h"

namespace
{

class TypeTables : public ScriptTest
{
};

TEST_F(TypeTables, PushAndReplaceASlot)
{
    PushTypeMetatable(L, LUA_TNUMBER);
    ASSERT_TRUE(lua_istable(L, -1));
    lua_pushnumber(L, 1);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    EXPECT_TRUE(lua_rawequal(L, -1, -3));
    lua_settop(L, 0);

    PushTypeMetatable(L, LUA_TNIL);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);

    // A new table becomes the slot; numbers then read their fields from it.
    ASSERT_EQ(RunScript(L, "return {twice = 'yes'}", nullptr, 1), 0);
    SetTypeMetatable(L, LUA_TNUMBER);
    EXPECT_EQ(lua_gettop(L), 0);
    ASSERT_EQ(RunScript(L, "return (3).twice", nullptr, 1), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "yes");
    lua_pop(L, 1);

    // Anything but a table is popped and ignored.
    lua_pushnumber(L, 5);
    SetTypeMetatable(L, LUA_TNUMBER);
    EXPECT_EQ(lua_gettop(L), 0);
    ASSERT_EQ(RunScript(L, "return (3).twice", nullptr, 1), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "yes");
}

TEST_F(TypeTables, NewTablesTakeTheCurrentTableSlot)
{
    lua_newtable(L);
    lua_pushvalue(L, -1);
    SetTypeMetatable(L, LUA_TTABLE);
    lua_newtable(L);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    EXPECT_TRUE(lua_rawequal(L, -1, 1));
}

TEST_F(TypeTables, TableSizeRules)
{
    struct Case
    {
        const char* table;
        int size;
    } cases[] = {
        {"{1, 2, 3}", 3},
        {"{1, 2, 3, n = 1}", 1},
        {"{[10] = true}", 10},
        {"{[2.5] = true}", 2},
        {"{}", 0},
        {"{n = 2.7}", 2},
        {"{n = -1.5}", -1},
        {"{1, nil, 3}", 3},
        {"{[-4] = 1, [3] = 1}", 3},
        {"{n = 'x', 1}", 1},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(RunScript(L, std::string("return ") + c.table, nullptr, 1), 0) << c.table;
        EXPECT_EQ(GetLuaTableSize(L, -1), c.size) << c.table;
        lua_pop(L, 1);
    }
    lua_pushnumber(L, 4);
    EXPECT_EQ(GetLuaTableSize(L, -1), 0);
    // Holes left by removals still count up to the highest index in use.
    ASSERT_EQ(
        RunScript(L, "local t = {} for i = 1, 20 do t[i] = i end t[20] = nil t[5] = nil return t",
                  nullptr, 1),
        0);
    EXPECT_EQ(GetLuaTableSize(L, -1), 19);
}

}  // namespace
