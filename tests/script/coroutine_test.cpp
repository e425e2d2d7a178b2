// Coroutines driven from host code: resume and yield through native
// functions called by scripts, values passed both ways, errors and the
// refusal messages.
#include <string>

#include "ScriptTestUtil.h"

namespace
{

int Yield(lua_State* L)
{
    return lua_yield(L, lua_gettop(L));
}

class Coroutine : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        lua_register(L, "yield", Yield);
    }
    // A new thread whose body is the function src returns.
    lua_State* NewCoroutine(const std::string& src)
    {
        co = lua_newthread(L);
        lua_rawseti(L, LUA_REGISTRYINDEX, 1);  // keeps it alive
        EXPECT_EQ(LoadText(co, src), 0);
        EXPECT_EQ(lua_pcall(co, 0, 1, 0), 0);
        return co;
    }
    lua_State* co = nullptr;
};

TEST_F(Coroutine, ValuesFlowBothWays)
{
    NewCoroutine(
        "return function(a, b) "
        "  local c = yield(a + b) "
        "  local d, e = yield(c * 2) "
        "  return d + e, 'done' "
        "end");
    lua_pushnumber(co, 1);
    lua_pushnumber(co, 2);
    ASSERT_EQ(lua_resume(co, 2), 0);
    ASSERT_EQ(lua_gettop(co), 1);
    EXPECT_EQ(lua_tonumber(co, 1), 3);
    lua_settop(co, 0);

    lua_pushnumber(co, 10);
    ASSERT_EQ(lua_resume(co, 1), 0);
    EXPECT_EQ(lua_tonumber(co, -1), 20);
    lua_settop(co, 0);

    lua_pushnumber(co, 4);
    lua_pushnumber(co, 5);
    ASSERT_EQ(lua_resume(co, 2), 0);
    ASSERT_EQ(lua_gettop(co), 2);
    EXPECT_EQ(lua_tonumber(co, 1), 9);
    EXPECT_STREQ(lua_tostring(co, 2), "done");
    lua_settop(co, 0);

    EXPECT_EQ(lua_resume(co, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(co, -1), "cannot resume dead coroutine");
}

TEST_F(Coroutine, YieldFromDeepInsideNestedScriptCalls)
{
    NewCoroutine(
        "local function deep(n) if n == 0 then return yield('bottom') end return deep(n - 1) + 1 "
        "end "
        "return function() return deep(500) end");
    ASSERT_EQ(lua_resume(co, 0), 0);
    EXPECT_STREQ(lua_tostring(co, -1), "bottom");
    lua_settop(co, 0);
    lua_pushnumber(co, 1000);
    ASSERT_EQ(lua_resume(co, 1), 0);
    EXPECT_EQ(lua_tonumber(co, -1), 1500);
}

TEST_F(Coroutine, LoopsAndLocalsSurviveManyYields)
{
    NewCoroutine(
        "return function() local sum = 0 "
        "  for i = 1, 100 do sum = sum + i; yield(i) end "
        "  return sum end");
    double last = 0;
    int yields = 0;
    for (;;)
    {
        ASSERT_EQ(lua_resume(co, 0), 0);
        last = lua_tonumber(co, -1);
        lua_settop(co, 0);
        if (last == 5050) break;
        yields++;
        ASSERT_LE(yields, 100);
    }
    EXPECT_EQ(yields, 100);
}

TEST_F(Coroutine, ErrorKillsTheCoroutineWithItsMessage)
{
    NewCoroutine("return function() yield(1) error_here() end");
    ASSERT_EQ(lua_resume(co, 0), 0);
    lua_settop(co, 0);
    ASSERT_EQ(lua_resume(co, 0), LUA_ERRRUN);
    std::string msg = lua_tostring(co, -1);
    EXPECT_NE(msg.find("attempt to call global `error_here' (a nil value)"), std::string::npos)
        << msg;
    lua_settop(co, 0);
    EXPECT_EQ(lua_resume(co, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(co, -1), "cannot resume dead coroutine");
}

TEST_F(Coroutine, RefusalMessages)
{
    // A native body cannot yield.
    co = lua_newthread(L);
    lua_pushcfunction(co, Yield);
    ASSERT_EQ(lua_resume(co, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(co, -1), "cannot yield a C function");
    lua_pop(L, 1);

    // A yield under lua_call (a native boundary) is refused.
    lua_register(L, "callit",
                 [](lua_State* L1)
                 {
                     lua_call(L1, lua_gettop(L1) - 1, 0);
                     return 0;
                 });
    NewCoroutine("return function() callit(yield, 1) end");
    ASSERT_EQ(lua_resume(co, 0), LUA_ERRRUN);
    std::string msg = lua_tostring(co, -1);
    EXPECT_NE(msg.find("attempt to yield across metamethod/C-call boundary"), std::string::npos)
        << msg;

    // Resuming the running coroutine from inside itself.
    static lua_State* self = nullptr;
    lua_register(L, "resumeself",
                 [](lua_State* L1)
                 {
                     lua_pushboolean(L1, lua_resume(self, 0) == LUA_ERRRUN);
                     lua_pushvalue(L1, -2);
                     return 2;
                 });
    self = NewCoroutine("return function() return resumeself() end");
    ASSERT_EQ(lua_resume(self, 0), 0);
    EXPECT_TRUE(lua_toboolean(self, 1));
    EXPECT_STREQ(lua_tostring(self, 2), "cannot resume non-suspended coroutine");
}

TEST_F(Coroutine, SharesGlobalsWithItsCreator)
{
    EXPECT_EQ(RunScript(L, "shared = 1"), 0);
    NewCoroutine("return function() shared = shared + 1; yield(); shared = shared * 10 end");
    ASSERT_EQ(lua_resume(co, 0), 0);
    EXPECT_EQ(NumberOf(L, "return shared"), 2);
    ASSERT_EQ(lua_resume(co, 0), 0);
    EXPECT_EQ(NumberOf(L, "return shared"), 20);
}

TEST_F(Coroutine, XmoveBetweenThreads)
{
    co = lua_newthread(L);
    lua_pushnumber(L, 1);
    lua_pushstring(L, "two");
    lua_xmove(L, co, 2);
    EXPECT_EQ(lua_gettop(co), 2);
    EXPECT_STREQ(lua_tostring(co, 2), "two");
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(Coroutine, ClosuresOutliveTheirSuspendedCoroutine)
{
    // A closure over a local of a suspended coroutine keeps working after the
    // coroutine becomes garbage.
    NewCoroutine(
        "return function() local x = 41; getter = function() x = x + 1 return x end; yield() end");
    ASSERT_EQ(lua_resume(co, 0), 0);
    lua_pushnil(L);
    lua_rawseti(L, LUA_REGISTRYINDEX, 1);
    lua_settop(L, 0);
    co = nullptr;
    lua_setgcthreshold(L, 0);  // collect now: the thread goes
    EXPECT_EQ(NumberOf(L, "return getter()"), 42);
    lua_setgcthreshold(L, 0);
    EXPECT_EQ(NumberOf(L, "return getter()"), 43);
}

}  // namespace

namespace
{

// Resumes a new coroutine running the global `nest' with depth + 1.
int Nest(lua_State* L)
{
    int depth = static_cast<int>(lua_tonumber(L, 1));
    lua_State* co = lua_newthread(L);
    lua_pushstring(co, "nest");
    lua_gettable(co, LUA_GLOBALSINDEX);
    lua_pushnumber(co, depth + 1);
    int status = lua_resume(co, 1);
    if (status != 0)
    {
        lua_xmove(co, L, 1);
        return lua_error(L);
    }
    lua_xmove(co, L, 1);
    return 1;
}

TEST_F(Coroutine, NestedResumesAreBounded)
{
    lua_register(L, "resumenest", Nest);
    ASSERT_EQ(
        RunScript(L, "function nest(d) if d > 100000 then return d end return resumenest(d) end"),
        0);
    std::string err = ErrorOf(L, "return nest(0)");
    EXPECT_NE(err.find("C stack overflow"), std::string::npos) << err;
    // Shallow nesting still works.
    ASSERT_EQ(
        RunScript(L, "function nest(d) if d >= 10 then return d end return resumenest(d) end"), 0);
    EXPECT_EQ(NumberOf(L, "return nest(0)"), 10);
}

}  // namespace
