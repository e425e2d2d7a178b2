// The interpreter's inline shortcuts against the general paths they stand
// in for: number keys outside a table's array part, global stores, equality
// tests, native calls made from the loop and the API's table reads. Each case
// is one the shortcut must hand over, or answer exactly as the general path.
#include <string>

#include "ScriptTestUtil.h"

namespace
{

class VmShortcut : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        lua_register(L, "id", [](lua_State* L1) { return lua_gettop(L1); });
        lua_register(L, "none", [](lua_State*) { return 0; });
        lua_register(L, "setmeta",
                     [](lua_State* L1)
                     {
                         lua_settop(L1, 2);
                         lua_setmetatable(L1, 1);
                         return 0;
                     });
        lua_register(L, "globals",
                     [](lua_State* L1)
                     {
                         lua_pushvalue(L1, LUA_GLOBALSINDEX);
                         return 1;
                     });
    }
};

TEST_F(VmShortcut, NumberKeysOutsideTheArrayPart)
{
    // Tables with no hash part, one node (holding a number, a string or a dead
    // key) and several nodes; keys that are integers, fractions, zero and NaN.
    struct Case
    {
        const char* src;
        double value;
    } cases[] = {
        {"local t = {} if t[1] == nil and t[0] == nil and t[-1] == nil then return 1 end", 1},
        {"local t = {} if t[0/0] == nil then return 1 end", 1},
        {"local t = {[2.5] = 7} return t[2.5]", 7},
        {"local t = {[2.5] = 7} if t[1] == nil and t[3.5] == nil then return 1 end", 1},
        {"local t = {x = 7} if t[1] == nil then return t.x end", 7},
        {"local t = {[0] = 9} return t[-0] + t[0]", 18},
        {"local t = {[-0] = 9} return t[0]", 9},
        {"local t = {[5] = 3} return t[5]", 3},
        {"local t = {[5] = 3} t[5] = nil if t[5] == nil and t[6] == nil then return 1 end", 1},
        {"local t = {[5] = 3} t[5] = nil t[5] = 4 return t[5]", 4},
        {"local t = {1, 2, [10] = 10, [11] = 11, [1.5] = 15} return t[10] + t[11] + t[1.5] + t[2]",
         38},
        {"local t = {1, 2} if t[3] == nil and t[2.5] == nil then return t[1] + t[2] end", 3},
        {"local t = {} for i = 1, 40 do t[i * 3 + 0.5] = i end return t[3.5] + t[120.5]", 41},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberOf(L, c.src), c.value) << c.src;
}

TEST_F(VmShortcut, NumberKeysMissingFromATableStillAskItsIndexHandler)
{
    ASSERT_EQ(RunScript(L,
                        "empty = {} one = {[2.5] = 1} "
                        "local m = {__index = function(t, k) return k * 10 end} "
                        "setmeta(empty, m) setmeta(one, m)"),
              0);
    EXPECT_EQ(NumberOf(L, "return empty[1]"), 10);
    EXPECT_EQ(NumberOf(L, "return one[3]"), 30);
    EXPECT_EQ(NumberOf(L, "return one[2.5]"), 1);  // present: no handler
    ASSERT_EQ(RunScript(L, "setmeta(empty, {__index = {[1] = 'a', [7] = 70}})"), 0);
    EXPECT_EQ(NumberOf(L, "return empty[7]"), 70);
}

TEST_F(VmShortcut, GlobalStores)
{
    // New, overwritten and cleared globals, then a "__newindex" handler on the
    // globals table: present globals are still written directly, absent ones
    // go to the handler.
    EXPECT_EQ(NumberOf(L, "g = 1 g = g + 1 return g"), 2);
    EXPECT_EQ(NumberOf(L, "g = nil if g == nil then g = 5 end return g"), 5);
    ASSERT_EQ(RunScript(L,
                        "caught = {} present = 1 "
                        "setmeta(globals(), {__newindex = function(t, k, v) caught[k] = v end})"),
              0);
    EXPECT_EQ(NumberOf(L, "present = 2 return present"), 2);
    EXPECT_EQ(NumberOf(L, "absent = 3 if absent == nil then return caught.absent end"), 3);
    // A global cleared after the handler came is absent again.
    EXPECT_EQ(NumberOf(L, "present = nil present = 4 if present == nil then return 1 end"), 1);
    EXPECT_EQ(NumberOf(L, "return caught.present"), 4);
}

TEST_F(VmShortcut, GlobalReadsAlongCollisionChains)
{
    // Enough globals that most names sit down a chain; some cleared (their
    // nodes stay as dead keys in the chains); then a "__index" handler on the
    // globals table answers only for the absent ones.
    ASSERT_EQ(RunScript(L,
                        "local g = globals() "
                        "for i = 1, 600 do g['v' .. i] = i end "
                        "for i = 1, 600, 3 do g['v' .. i] = nil end"),
              0);
    EXPECT_EQ(NumberOf(L, "return v2 + v3 + v599 + v600"), 2 + 3 + 599 + 600);
    EXPECT_EQ(NumberOf(L, "if v1 == nil and v598 == nil and w1 == nil then return 1 end"), 1);
    // Every name read as a global, the cleared ones counted as absent.
    std::string sum = "local s, absent = 0, 0 ";
    for (int i = 1; i <= 600; i++)
        sum += "if v" + std::to_string(i) + " then s = s + v" + std::to_string(i) +
               " else absent = absent + 1 end ";
    EXPECT_EQ(NumberOf(L, sum + "return s"), 180300 - 59900);
    EXPECT_EQ(NumberOf(L, sum + "return absent"), 200);
    ASSERT_EQ(RunScript(L, "setmeta(globals(), {__index = function(t, k) return -1 end})"), 0);
    EXPECT_EQ(NumberOf(L, "return v1 + v2 + w1"), -1 + 2 - 1);
}

TEST_F(VmShortcut, EqualityTests)
{
    struct Case
    {
        const char* expr;
        bool equal;
    } cases[] = {
        {"nil == nil", true},     {"x == nil", true},         {"false == false", true},
        {"true == false", false}, {"false == nil", false},    {"'a' == 'a'", true},
        {"'a' == 'b'", false},    {"'1' == 1", false},        {"0 == -0", true},
        {"(0/0) == (0/0)", false}, {"t == t", true},          {"t == {}", false},
        {"f == f", true},         {"f == function() end", false},
    };
    ASSERT_EQ(RunScript(L, "t = {} f = function() end"), 0);
    for (const Case& c : cases)
    {
        std::string src = std::string("if ") + c.expr + " then return 1 end return 0";
        EXPECT_EQ(NumberOf(L, src), c.equal ? 1 : 0) << c.expr;
        std::string neg = std::string("if ") + c.expr + " then return 0 end return 1";
        EXPECT_EQ(NumberOf(L, neg), c.equal ? 0 : 1) << "not " << c.expr;
    }
    // Two tables sharing an "__eq" handler still ask it.
    ASSERT_EQ(RunScript(L,
                        "a = {} b = {} local m = {__eq = function() return true end} "
                        "setmeta(a, m) setmeta(b, m)"),
              0);
    EXPECT_EQ(NumberOf(L, "if a == b then return 1 end return 0"), 1);
}

TEST_F(VmShortcut, NativeCallsAdjustResults)
{
    struct Case
    {
        const char* src;
        double value;
    } cases[] = {
        {"local a, b, c = id(1, 2) if c == nil then return a + b end", 3},
        {"local a = id(4, 5, 6) return a", 4},
        {"local a, b = none() if a == nil and b == nil then return 1 end", 1},
        {"id(1, 2, 3) local x return 7", 7},
        {"local function f() return id(1, 2, 3) end local a, b, c = f() return a + b + c", 6},
        {"local t = {id(1, 2, 3)} return t[3]", 3},
        {"local t = {id()} if t[1] == nil then return 1 end", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberOf(L, c.src), c.value) << c.src;
}

TEST_F(VmShortcut, NativeCallsAtEveryDepthAndWithManyArguments)
{
    // The call records and the stack grow under native calls made from deep
    // script frames; the general path takes them where room runs out.
    EXPECT_EQ(NumberOf(L,
                       "local function f(n) if n == 0 then return 0 end "
                       "return id(n) + f(n - 1) end return f(300)"),
              45150);
    std::string args, sum;
    for (int i = 1; i <= 200; i++) args += (i > 1 ? ", " : "") + std::to_string(i);
    EXPECT_EQ(NumberOf(L, "local t = {id(" + args + ")} return t[200] + t[1]"), 201);
    // The limit of call records is the same error as before.
    std::string err = ErrorOf(L, "local function f() id() return f() + 1 end return f()");
    EXPECT_NE(err.find("stack overflow"), std::string::npos) << err;
    EXPECT_EQ(NumberOf(L, "return id(5)"), 5);
}

TEST_F(VmShortcut, NativeErrorsUnwindToTheProtectedCall)
{
    lua_register(L, "fail",
                 [](lua_State* L1)
                 {
                     lua_pushstring(L1, "native failure");
                     return lua_error(L1);
                 });
    std::string err = ErrorOf(L, "local a = 1 fail() return a");
    EXPECT_EQ(err, "native failure");
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(NumberOf(L, "return id(8)"), 8);
}

int gCalls = 0, gReturns = 0;

void CountHook(lua_State*, lua_Debug* ar)
{
    if (ar->event == LUA_HOOKCALL) gCalls++;
    if (ar->event == LUA_HOOKRET || ar->event == LUA_HOOKTAILRET) gReturns++;
}

TEST_F(VmShortcut, HooksSeeNativeCalls)
{
    // A call hook sees native calls; a return hook a native function sets
    // fires for its own return.
    gCalls = gReturns = 0;
    lua_sethook(L, CountHook, LUA_MASKCALL | LUA_MASKRET, 0);
    ASSERT_EQ(RunScript(L, "none() none() local a = id(1)"), 0);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_EQ(gCalls, 4);  // the chunk and three native calls
    EXPECT_EQ(gReturns, 4);

    lua_register(L, "hookreturns",
                 [](lua_State* L1)
                 {
                     lua_sethook(L1, CountHook, LUA_MASKRET, 0);
                     return 0;
                 });
    gCalls = gReturns = 0;
    ASSERT_EQ(RunScript(L, "hookreturns() local a = 1"), 0);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_EQ(gCalls, 0);
    EXPECT_EQ(gReturns, 2);  // hookreturns itself, then the chunk
}

TEST_F(VmShortcut, NativeYieldsTakeTheResumeValuesAsResults)
{
    lua_register(L, "wait", [](lua_State* L1) { return lua_yield(L1, 0); });
    struct Case
    {
        const char* body;
        double value;
    } cases[] = {
        {"local a, b = wait() return a * 10 + b", 12},
        {"local a, b, c, d = wait() if d == nil then return a + b + c end", 6},
        {"local a = wait() return a", 1},
        {"return wait()", 1},
        {"wait() return 9", 9},
    };
    for (const Case& c : cases)
    {
        lua_State* co = lua_newthread(L);
        ASSERT_EQ(LoadText(co, c.body), 0);
        ASSERT_EQ(lua_resume(co, 0), 0) << c.body;
        ASSERT_TRUE(lua_isyielded(co)) << c.body;
        lua_settop(co, 0);
        lua_pushnumber(co, 1);
        lua_pushnumber(co, 2);
        lua_pushnumber(co, 3);
        ASSERT_EQ(lua_resume(co, 3), 0) << c.body;
        EXPECT_FALSE(lua_isyielded(co)) << c.body;
        EXPECT_EQ(lua_tonumber(co, 1), c.value) << c.body;
        lua_pop(L, 1);
    }
}

TEST_F(VmShortcut, ApiReads)
{
    ASSERT_EQ(RunScript(L, "plain = {} plain[1] = 'one' plain.k = 'kay'"), 0);
    // lua_gettable: present fields, absent ones with and without "__index".
    lua_pushstring(L, "plain");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_pushnumber(L, 1);
    lua_gettable(L, -2);
    EXPECT_STREQ(lua_tostring(L, -1), "one");
    lua_pop(L, 1);
    lua_pushstring(L, "missing");
    lua_gettable(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 2);
    ASSERT_EQ(RunScript(L, "setmeta(plain, {__index = function(t, k) return 'handled' end})"), 0);
    lua_pushstring(L, "plain");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_pushstring(L, "missing");
    lua_gettable(L, -2);
    EXPECT_STREQ(lua_tostring(L, -1), "handled");
    lua_pop(L, 1);
    lua_pushstring(L, "k");
    lua_gettable(L, -2);
    EXPECT_STREQ(lua_tostring(L, -1), "kay");
    lua_pop(L, 1);
    // lua_rawget ignores the handler; pointer, boolean and table keys.
    lua_pushstring(L, "missing");
    lua_rawget(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    static char a, b;
    lua_pushlightuserdata(L, &a);
    lua_pushnumber(L, 11);
    lua_rawset(L, -3);
    lua_pushboolean(L, 1);
    lua_pushnumber(L, 12);
    lua_rawset(L, -3);
    lua_pushvalue(L, -1);  // the table as its own key
    lua_pushnumber(L, 13);
    lua_rawset(L, -3);
    lua_pushlightuserdata(L, &a);
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 11);
    lua_pop(L, 1);
    lua_pushlightuserdata(L, &b);
    lua_rawget(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    lua_pushboolean(L, 1);
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 12);
    lua_pop(L, 1);
    lua_pushboolean(L, 0);
    lua_rawget(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    lua_pushvalue(L, -1);
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 13);
    lua_pop(L, 2);
    // A full userdata key is found by identity; a light one holding its block's
    // address is another key.
    void* u = lua_newuserdata(L, 1);
    ASSERT_EQ(RunScript(L, "return {}", nullptr, 1), 0);
    lua_pushvalue(L, -2);
    lua_pushnumber(L, 21);
    lua_rawset(L, -3);
    lua_pushlightuserdata(L, u);
    lua_rawget(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    lua_pushvalue(L, -2);
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 21);
    lua_pop(L, 3);
}

}  // namespace
