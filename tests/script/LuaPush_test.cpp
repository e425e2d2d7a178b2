// Pushing native object references and framework strings.
#include "script/LuaPush.h"

#include "ScriptTestUtil.h"

namespace
{

class Pushes : public ScriptTest
{
};

TEST_F(Pushes, UserdataRefHandsBackThePointerAndKey)
{
    int object = 7;
    PushUserdataRef(L, &object, 0x123456789ABCDEF0ull);
    EXPECT_EQ(lua_type(L, -1), LUA_TUSERDATA);
    EXPECT_EQ(lua_touserdata(L, -1), &object);
    uint64_t key = 0;
    ASSERT_EQ(lua_touserdatakey(L, -1, &key), 1);
    EXPECT_EQ(key, 0x123456789ABCDEF0ull);
    // Its metatable is the per-type table of userdata.
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    lua_newuserdata(L, 4);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    EXPECT_TRUE(lua_rawequal(L, -1, -3));
    // Two references to one object are still two values.
    lua_settop(L, 0);
    PushUserdataRef(L, &object, 1);
    PushUserdataRef(L, &object, 1);
    EXPECT_FALSE(lua_rawequal(L, 1, 2));
    PushUserdataRef(L, nullptr, 0);
    EXPECT_EQ(lua_touserdata(L, -1), nullptr);
}

TEST_F(Pushes, FrameworkStrings)
{
    PushLuaString(L, TString("héllo"));
    EXPECT_STREQ(lua_tostring(L, -1), "héllo");
    PushLuaString(L, TString());
    EXPECT_EQ(lua_type(L, -1), LUA_TSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 0u);
}

}  // namespace
