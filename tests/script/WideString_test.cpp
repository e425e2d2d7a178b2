// The wide-string helpers for native code.
#include "script/lang/WideString.h"

#include <string>

#include "ScriptTestUtil.h"
#include "script/lang/state.h"

namespace
{

class WideHelpers : public ScriptTest
{
};

std::u16string Units(const lua_WChar* w)
{
    std::u16string out;
    for (; *w; w++) out.push_back(static_cast<char16_t>(*w));
    return out;
}

TEST_F(WideHelpers, LengthCountsUnitsBeforeTheTerminator)
{
    const lua_WChar empty[] = {0};
    const lua_WChar text[] = {'a', 0x263A, 'b', 0};
    EXPECT_EQ(GetWideLength(empty), 0u);
    EXPECT_EQ(GetWideLength(text), 3u);
}

TEST_F(WideHelpers, NumberToWideReplacesOnlyNumbers)
{
    lua_pushnumber(L, 0.1);
    ASSERT_TRUE(NumberToWide(L, L->top - 1));
    ASSERT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(Units(ToWideString(L, -1)), u"0.1");
    lua_pushnumber(L, 3);
    ASSERT_TRUE(NumberToWide(L, L->top - 1));
    EXPECT_EQ(Units(ToWideString(L, -1)), u"3");
    lua_pushstring(L, "12");
    EXPECT_FALSE(NumberToWide(L, L->top - 1));
    EXPECT_EQ(lua_type(L, -1), LUA_TSTRING);
}

TEST_F(WideHelpers, ToWideStringConvertsNumbersInPlace)
{
    lua_pushnumber(L, 12);
    const lua_WChar* w = ToWideString(L, 1);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Units(w), u"12");
    EXPECT_EQ(lua_type(L, 1), LUA_TWSTRING);
    lua_pushstring(L, "text");
    EXPECT_EQ(ToWideString(L, 2), nullptr);
    EXPECT_EQ(ToWideString(L, 3), nullptr);  // no value
    lua_newtable(L);
    EXPECT_EQ(ToWideString(L, -1), nullptr);
}

// Reads its two upvalues through ToWideString, as a call adapter would.
int ReadUpvalues(lua_State* L)
{
    const lua_WChar* first = ToWideString(L, lua_upvalueindex(1));
    const lua_WChar* second = ToWideString(L, lua_upvalueindex(2));
    lua_pushboolean(L, first != nullptr && Units(first) == u"hi");
    lua_pushboolean(L, second != nullptr && Units(second) == u"7");
    lua_pushboolean(L, ToWideString(L, lua_upvalueindex(3)) == nullptr);  // beyond the count
    return 3;
}

TEST_F(WideHelpers, ToWideStringReadsPseudoIndices)
{
    const lua_WChar hi[] = {'h', 'i', 0};
    PushWideString(L, hi);
    lua_pushnumber(L, 7);
    lua_pushcclosure(L, ReadUpvalues, 2);
    ASSERT_EQ(lua_pcall(L, 0, 3, 0), 0);
    EXPECT_TRUE(lua_toboolean(L, 1)) << "wide string upvalue";
    EXPECT_TRUE(lua_toboolean(L, 2)) << "number upvalue";
    EXPECT_TRUE(lua_toboolean(L, 3)) << "missing upvalue";
    lua_settop(L, 0);

    PushWideString(L, hi);
    lua_rawseti(L, LUA_REGISTRYINDEX, 3);
    const lua_WChar* w = ToWideString(L, lua_registryrefindex(3));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Units(w), u"hi");
    EXPECT_EQ(ToWideString(L, lua_registryrefindex(4)), nullptr);  // absent entry
    EXPECT_EQ(ToWideString(L, LUA_GLOBALSINDEX), nullptr);         // a table
}

TEST_F(WideHelpers, PushesInternTheUnits)
{
    const lua_WChar text[] = {'h', 'i', 0};
    PushWideString(L, text);
    PushWideStringLen(L, text, 2);
    EXPECT_EQ(lua_type(L, 1), LUA_TWSTRING);
    EXPECT_TRUE(lua_rawequal(L, 1, 2));
    PushWideString(L, nullptr);
    EXPECT_TRUE(lua_isnil(L, -1));
    const lua_WChar empty[] = {0};
    PushWideString(L, empty);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 0u);
    PushWideStringLen(L, nullptr, 0);
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    // Embedded zero units are kept with an explicit count.
    const lua_WChar withZero[] = {'a', 0, 'b'};
    PushWideStringLen(L, withZero, 3);
    EXPECT_EQ(lua_strlen(L, -1), 3u);
}

int PushMany(lua_State* L1)
{
    const lua_WChar t[] = {'x', 0};
    for (int i = 0; i < 200; i++) PushWideString(L1, t);
    return 200;
}

TEST_F(WideHelpers, PushesGrowTheStackLikeEveryPush)
{
    const lua_WChar text[] = {'x', 0};
    lua_pushcfunction(L, PushMany);
    ASSERT_EQ(lua_pcall(L, 0, LUA_MULTRET, 0), 0);
    EXPECT_EQ(lua_gettop(L), 200);
    PushWideString(L, text);
    EXPECT_TRUE(lua_rawequal(L, 1, -1));
}

}  // namespace
