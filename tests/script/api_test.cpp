// The host API with the dialect's changes: pseudo-indices, auto-growing
// pushes, wide strings, per-type metatables, userdata, concatenation, dump.
#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScriptTestUtil.h"
#include "script/lib/lualib.h"

namespace
{

class Api : public ScriptTest
{
};

const lua_WChar kAbc[] = {'a', 'b', 'c', 0};

void PushWide(lua_State* L, const lua_WChar* units, size_t n);

}  // namespace

#include "script/lang/do.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"

namespace
{

void PushWide(lua_State* L, const lua_WChar* units, size_t n)
{
    L->top->SetStr(StrNewWide(L, units, n));
    DoIncrTop(L);
}

TEST_F(Api, StackManipulation)
{
    for (int i = 1; i <= 5; i++) lua_pushnumber(L, i);
    EXPECT_EQ(lua_gettop(L), 5);
    lua_insert(L, 1);  // 5 1 2 3 4
    EXPECT_EQ(lua_tonumber(L, 1), 5);
    lua_remove(L, 2);  // 5 2 3 4
    EXPECT_EQ(lua_tonumber(L, 2), 2);
    lua_pushnumber(L, 9);
    lua_replace(L, 1);  // 9 2 3 4
    EXPECT_EQ(lua_tonumber(L, 1), 9);
    lua_pushvalue(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 3);
    lua_settop(L, 7);
    EXPECT_TRUE(lua_isnil(L, 7));
    lua_settop(L, 2);
    EXPECT_EQ(lua_gettop(L), 2);
    EXPECT_EQ(lua_type(L, 3), LUA_TNONE);  // above the top: no value
    EXPECT_EQ(lua_type(L, -3), LUA_TNONE);
    EXPECT_STREQ(lua_typename(L, lua_type(L, 3)), "no value");
}

TEST_F(Api, TypeNames)
{
    const char* names[] = {"nil",   "boolean",  "userdata", "number", "string",
                           "table", "function", "userdata", "thread", "wstring"};
    for (int t = LUA_TNIL; t <= LUA_TWSTRING; t++) EXPECT_STREQ(lua_typename(L, t), names[t]) << t;
}

int PushHundred(lua_State* L)
{
    for (int i = 0; i < 100; i++) lua_pushnumber(L, i);
    return 100;
}

TEST_F(Api, PushesBeyondTheGrantedSlotsGrowTheStack)
{
    lua_pushcfunction(L, PushHundred);
    ASSERT_EQ(lua_pcall(L, 0, LUA_MULTRET, 0), 0);
    ASSERT_EQ(lua_gettop(L), 100);
    for (int i = 0; i < 100; i++) EXPECT_EQ(lua_tonumber(L, i + 1), i);
}

TEST_F(Api, RaisingTheTopGrowsTheStackLikePushes)
{
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_settop(L1, 300);  // far beyond the 20 slots a native function gets
                          lua_pushnumber(L1, 1);
                          lua_replace(L1, 300);
                          return 300;
                      });
    ASSERT_EQ(lua_pcall(L, 0, LUA_MULTRET, 0), 0);
    ASSERT_EQ(lua_gettop(L), 300);
    EXPECT_EQ(lua_type(L, 299), LUA_TNIL);
    EXPECT_EQ(lua_tonumber(L, 300), 1);
}

int CheckStackLimit(lua_State* L)
{
    for (int i = 0; i < 10; i++) lua_pushnil(L);
    int inUse = lua_gettop(L);
    lua_pushboolean(L, lua_checkstack(L, 2048 - inUse + 1));
    lua_pushboolean(L, lua_checkstack(L, 2048 - inUse - 1));
    return 2;
}

TEST_F(Api, CheckStackRefusesPastTheNativeLimit)
{
    lua_pushcfunction(L, CheckStackLimit);
    ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
    EXPECT_FALSE(lua_toboolean(L, -2));
    EXPECT_TRUE(lua_toboolean(L, -1));
}

TEST_F(Api, RegistryAndItsIntegerPseudoIndices)
{
    lua_pushstring(L, "seven");
    lua_rawseti(L, LUA_REGISTRYINDEX, 7);
    lua_pushvalue(L, lua_registryrefindex(7));
    EXPECT_STREQ(lua_tostring(L, -1), "seven");
    EXPECT_EQ(lua_type(L, -40008), LUA_TNIL);  // absent key reads as nil
    lua_pushnumber(L, 1);
    lua_replace(L, -40007);  // read-only: ignored
    lua_pushvalue(L, -40007);
    EXPECT_STREQ(lua_tostring(L, -1), "seven");
}

int ReadUpvalues(lua_State* L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushboolean(L, lua_isnone(L, lua_upvalueindex(3)));
    return 2;
}

TEST_F(Api, UpvaluePseudoIndices)
{
    lua_pushstring(L, "up1");
    lua_pushstring(L, "up2");
    lua_pushcclosure(L, ReadUpvalues, 2);
    ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
    EXPECT_STREQ(lua_tostring(L, -2), "up1");
    EXPECT_TRUE(lua_toboolean(L, -1));
}

TEST_F(Api, WideStringsThroughTheApi)
{
    PushWide(L, kAbc, 3);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_TRUE(lua_isstring(L, -1));
    EXPECT_EQ(lua_tostring(L, -1), nullptr);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);  // unchanged by lua_tostring
    EXPECT_EQ(lua_strlen(L, -1), 3u);
    EXPECT_FALSE(lua_isnumber(L, -1));
    const lua_WChar num[] = {'0', 'x', '1', 'A'};
    PushWide(L, num, 4);
    EXPECT_TRUE(lua_isnumber(L, -1));
    EXPECT_EQ(lua_tonumber(L, -1), 26);
    // Same letters as a narrow string: a different key, never equal.
    lua_pushstring(L, "abc");
    EXPECT_FALSE(lua_rawequal(L, -1, -3));
    EXPECT_FALSE(lua_equal(L, -1, -3));
    lua_newtable(L);
    lua_pushvalue(L, -2);
    lua_pushnumber(L, 1);
    lua_rawset(L, -3);
    lua_pushvalue(L, -4);
    lua_pushnumber(L, 2);
    lua_rawset(L, -3);
    lua_pushstring(L, "abc");
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 1);
    lua_pop(L, 1);
    PushWide(L, kAbc, 3);
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 2);
}

TEST_F(Api, NumbersConvertToStringsInPlace)
{
    lua_pushnumber(L, 0.1);
    EXPECT_EQ(lua_strlen(L, -1), 3u);
    EXPECT_EQ(lua_type(L, -1), LUA_TSTRING);
    EXPECT_STREQ(lua_tostring(L, -1), "0.1");
    lua_pushnumber(L, 12);
    EXPECT_STREQ(lua_tostring(L, -1), "12");
    lua_newtable(L);
    EXPECT_EQ(lua_tostring(L, -1), nullptr);
    EXPECT_EQ(lua_strlen(L, -1), 0u);
}

TEST_F(Api, MetatablesFollowThePerTypeRules)
{
    // A new table's metatable is the per-type table of tables.
    lua_newtable(L);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    lua_newtable(L);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    EXPECT_TRUE(lua_rawequal(L, -1, -3));
    lua_settop(L, 0);

    // Numbers answer with the per-type table of numbers; nil with nothing.
    lua_pushnumber(L, 5);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    lua_pushnumber(L, 6);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    EXPECT_TRUE(lua_rawequal(L, -1, -3));
    lua_pushnil(L);
    int top = lua_gettop(L);
    EXPECT_EQ(lua_getmetatable(L, -1), 0);
    EXPECT_EQ(lua_gettop(L), top);
    EXPECT_EQ(lua_getmetatable(L, 100), 0);
    lua_settop(L, 0);

    // Setting nil installs the shared default metatable, whose own metatable
    // is itself.
    lua_newtable(L);
    lua_pushnil(L);
    EXPECT_EQ(lua_setmetatable(L, 1), 1);
    ASSERT_EQ(lua_getmetatable(L, 1), 1);
    ASSERT_EQ(lua_getmetatable(L, -1), 1);
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);

    // Only tables and userdata take a metatable.
    lua_pushnumber(L, 1);
    lua_newtable(L);
    EXPECT_EQ(lua_setmetatable(L, 1), 0);
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(Api, PerTypeTablesAreDistinctAndShareTheDefault)
{
    std::vector<const void*> seen;
    lua_pushboolean(L, 1);
    lua_pushlightuserdata(L, &seen);
    lua_pushnumber(L, 1);
    lua_pushstring(L, "s");
    lua_newtable(L);
    lua_pushcfunction(L, PushHundred);
    lua_newuserdata(L, 4);
    lua_newthread(L);
    PushWide(L, kAbc, 3);
    const void* defaultMeta = nullptr;
    for (int i = 1; i <= 9; i++)
    {
        ASSERT_EQ(lua_getmetatable(L, i), 1) << i;
        const void* p = lua_topointer(L, -1);
        for (const void* q : seen) EXPECT_NE(p, q) << i;
        seen.push_back(p);
        ASSERT_EQ(lua_getmetatable(L, -1), 1);
        if (!defaultMeta) defaultMeta = lua_topointer(L, -1);
        EXPECT_EQ(lua_topointer(L, -1), defaultMeta) << i;
        lua_pop(L, 2);
    }
}

TEST_F(Api, UserdataSizesAndExternalReferences)
{
    void* p = lua_newuserdata(L, 5);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(lua_touserdata(L, -1), p);
    EXPECT_EQ(L->top[-1].Ud()->len, 6u);  // rounded up to even
    lua_newuserdata(L, 0);
    EXPECT_EQ(L->top[-1].Ud()->len, 0u);
    int local = 0;
    lua_pushlightuserdata(L, &local);
    EXPECT_EQ(lua_touserdata(L, -1), &local);
    EXPECT_TRUE(lua_isuserdata(L, -1));
    lua_pushnumber(L, 3);
    EXPECT_EQ(lua_touserdata(L, -1), nullptr);

    // Only external references have a key; the others leave it alone.
    lua_pushuserdataref(L, &local, 0xFEDCBA9876543210ull);
    EXPECT_EQ(lua_touserdata(L, -1), &local);
    uint64_t key = 0;
    ASSERT_EQ(lua_touserdatakey(L, -1, &key), 1);
    EXPECT_EQ(key, 0xFEDCBA9876543210ull);
    for (int idx = 1; idx <= lua_gettop(L) - 1; idx++)
    {
        key = 7;
        EXPECT_EQ(lua_touserdatakey(L, idx, &key), 0) << idx;
        EXPECT_EQ(key, 7u) << idx;
    }
    EXPECT_EQ(lua_touserdatakey(L, lua_gettop(L) + 1, &key), 0);
}

TEST_F(Api, ConcatInBothModes)
{
    lua_concat(L, 0);
    EXPECT_EQ(lua_type(L, -1), LUA_TSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 0u);
    lua_settop(L, 0);

    lua_pushstring(L, "a");
    lua_pushnumber(L, 1);
    lua_pushstring(L, "b");
    lua_concat(L, 3);
    EXPECT_STREQ(lua_tostring(L, -1), "a1b");
    lua_settop(L, 0);

    // The last string-like operand decides: wide mode here.
    const lua_WChar x[] = {'x'};
    PushWide(L, kAbc, 3);
    lua_pushnumber(L, 1);
    PushWide(L, x, 1);
    lua_concat(L, 3);
    ASSERT_EQ(lua_type(L, -1), LUA_TWSTRING);
    const LString* s = L->top[-1].Str();
    ASSERT_EQ(s->len, 5u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(s->WData()), 5), u"abc1x");
    lua_settop(L, 0);

    // A narrow string does not convert in wide mode.
    lua_pushstring(L, "a");
    PushWide(L, kAbc, 3);
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_concat(L1, 2);
                          return 1;
                      });
    lua_insert(L, 1);
    ASSERT_EQ(lua_pcall(L, 2, 1, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "attempt to concatenate a wstring value");
}

TEST_F(Api, TablesThroughGetAndSet)
{
    lua_newtable(L);
    for (int i = 1; i <= 50; i++)
    {
        lua_pushnumber(L, i * 2);
        lua_rawseti(L, 1, i);
    }
    lua_pushstring(L, "name");
    lua_pushstring(L, "value");
    lua_settable(L, 1);
    lua_pushstring(L, "name");
    lua_gettable(L, 1);
    EXPECT_STREQ(lua_tostring(L, -1), "value");
    lua_pop(L, 1);
    lua_rawgeti(L, 1, 25);
    EXPECT_EQ(lua_tonumber(L, -1), 50);
    lua_pop(L, 1);
    int count = 0;
    double sum = 0;
    lua_pushnil(L);
    while (lua_next(L, 1))
    {
        count++;
        if (lua_type(L, -2) == LUA_TNUMBER) sum += lua_tonumber(L, -1);
        lua_pop(L, 1);
    }
    EXPECT_EQ(count, 51);
    EXPECT_EQ(sum, 2550);
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(Api, GlobalsTable)
{
    lua_pushstring(L, "answer");
    lua_pushnumber(L, 42);
    lua_settable(L, LUA_GLOBALSINDEX);
    EXPECT_EQ(NumberOf(L, "return answer"), 42);
    lua_pushstring(L, "not a table");
    lua_replace(L, LUA_GLOBALSINDEX);  // refused: globals stay a table
    EXPECT_EQ(lua_type(L, LUA_GLOBALSINDEX), LUA_TTABLE);
}

TEST_F(Api, ErrorsAndProtectedCalls)
{
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_pushstring(L1, "custom failure");
                          return lua_error(L1);
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "custom failure");
    lua_settop(L, 0);

    // The error handler sees the message and replaces it.
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_pushstring(L1, "handled: ");
                          lua_insert(L1, 1);
                          lua_concat(L1, 2);
                          return 1;
                      });
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_pushstring(L1, "boom");
                          return lua_error(L1);
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 1), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "handled: boom");
    lua_settop(L, 0);

    // A failing handler gives the error-in-error status.
    lua_pushcfunction(L, [](lua_State* L1) { return lua_error(L1); });
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_pushstring(L1, "boom");
                          return lua_error(L1);
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 1), LUA_ERRERR);
    EXPECT_STREQ(lua_tostring(L, -1), "error in error handling");
}

struct Guard
{
    int* counter;
    ~Guard() { (*counter)++; }
};

int gDestroyed = 0;

TEST_F(Api, ErrorsRunHostDestructors)
{
    gDestroyed = 0;
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          Guard g{&gDestroyed};
                          lua_pushstring(L1, "unwind");
                          lua_error(L1);
                          return 0;
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_EQ(gDestroyed, 1);
}

TEST_F(Api, ForeignExceptionsLeaveTheProtectionCountBalanced)
{
    // Host code must not throw through the engine, but if it does, later
    // errors must still be caught rather than take a stale catcher for real.
    lua_pushcfunction(L, [](lua_State*) -> int { throw std::runtime_error("host"); });
    EXPECT_THROW(lua_pcall(L, 0, 0, 0), std::runtime_error);
    EXPECT_EQ(L->nprotected, 0);
    EXPECT_EQ(L->nCcalls, 0);
}

TEST_F(Api, CProtectedCall)
{
    static void* seen = nullptr;
    int marker = 0;
    EXPECT_EQ(lua_cpcall(
                  L,
                  [](lua_State* L1)
                  {
                      seen = lua_touserdata(L1, 1);
                      return 0;
                  },
                  &marker),
              0);
    EXPECT_EQ(seen, &marker);
    EXPECT_EQ(lua_cpcall(
                  L,
                  [](lua_State* L1)
                  {
                      lua_pushstring(L1, "x");
                      return lua_error(L1);
                  },
                  nullptr),
              LUA_ERRRUN);
}

TEST_F(Api, NestedNativeCallsStopAtTheLimit)
{
    // Each level calls the next through lua_call; the 200th nested call fails.
    static int deepest = 0;
    deepest = 0;
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          int depth = static_cast<int>(lua_tonumber(L1, 1));
                          if (depth > deepest) deepest = depth;
                          lua_pushvalue(L1, LUA_REGISTRYINDEX);
                          lua_rawgeti(L1, -1, 1);
                          lua_pushnumber(L1, depth + 1);
                          lua_call(L1, 1, 0);
                          return 0;
                      });
    lua_pushvalue(L, -1);
    lua_rawseti(L, LUA_REGISTRYINDEX, 1);
    lua_pushnumber(L, 1);
    EXPECT_EQ(lua_pcall(L, 1, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "C stack overflow");
    // lua_pcall counts as the first nested call, each lua_call one more.
    EXPECT_EQ(deepest, 199);
}

TEST_F(Api, ScriptRecursionStopsAtTheCallRecordLimit)
{
    std::string err = ErrorOf(L, "local function f() return 1 + f() end return f()");
    EXPECT_NE(err.find("stack overflow"), std::string::npos) << err;
    // The state recovers and runs deep (but bounded) recursion again.
    EXPECT_EQ(NumberOf(L,
                       "local function f(n) if n == 0 then return 0 end return 1 + f(n - 1) end "
                       "return f(3000)"),
              3000);
    // A second overflow is the same run-time error at the same depth, not an
    // error in error handling from call records left over from the first.
    int depth = 0;
    lua_register(L, "mark",
                 [](lua_State* L1)
                 {
                     lua_pushnumber(L1, lua_tonumber(L1, 1));
                     lua_rawseti(L1, LUA_REGISTRYINDEX, 77);
                     return 0;
                 });
    for (int round = 0; round < 2; round++)
    {
        int top = lua_gettop(L);
        ASSERT_EQ(LoadText(L, "local function f(n) mark(n) return 1 + f(n + 1) end return f(1)"),
                  0);
        EXPECT_EQ(lua_pcall(L, 0, 1, 0), LUA_ERRRUN) << "round " << round;
        const char* msg = lua_tostring(L, -1);
        EXPECT_NE(std::string(msg ? msg : "").find("stack overflow"), std::string::npos) << round;
        lua_rawgeti(L, LUA_REGISTRYINDEX, 77);
        int reached = static_cast<int>(lua_tonumber(L, -1));
        if (round == 0) depth = reached;
        EXPECT_EQ(reached, depth) << "round " << round;
        EXPECT_LT(reached, 4096);
        lua_settop(L, top);
    }
}

TEST_F(Api, GcCountersInKilobytes)
{
    GCSetStress(L, 0);  // the threshold itself is under test
    EXPECT_EQ(lua_getgccount(L), static_cast<int>(G(L)->nblocks >> 10));
    lua_setgcthreshold(L, 0x400000);
    EXPECT_EQ(G(L)->GCthreshold, static_cast<size_t>(-1));
    lua_setgcthreshold(L, 0);  // runs a collection now
    EXPECT_GE(lua_getgcthreshold(L), lua_getgccount(L));
}

// Integer keys inside, at and past both ends of the array part, through the
// raw accessors: the values must be those the table module sees, and the
// table's handlers must never run.
TEST_F(Api, RawIntegerAccessAroundTheArrayPart)
{
    luaopen_stdlibs(L);
    ASSERT_EQ(
        RunScript(L,
                  "local t = setmetatable({10, 20, 30}, {__index = function() return 'meta' end,\n"
                  "  __newindex = function() error('newindex ran') end})\n"
                  "rawset(t, 0, 'zero') rawset(t, -1, 'minus') rawset(t, 6, 'six')\n"
                  "return t",
                  nullptr, 1),
        0);
    struct Case
    {
        int key;
        const char* before;  // the value as text, "nil" for none
    };
    const Case cases[] = {{INT_MIN, "nil"}, {-1, "minus"}, {0, "zero"}, {1, "10"},       {3, "30"},
                          {4, "nil"},       {6, "six"},    {7, "nil"},  {INT_MAX, "nil"}};
    auto text = [&](int idx)
    { return lua_isnil(L, idx) ? std::string("nil") : std::string(lua_tostring(L, idx)); };
    for (const Case& c : cases)
    {
        lua_rawgeti(L, 1, c.key);
        EXPECT_EQ(text(-1), c.before) << c.key;
        lua_pop(L, 1);
    }
    // Write each key, then read it back both raw and through the script's rawget.
    for (const Case& c : cases)
    {
        lua_pushstring(L, ("v" + std::to_string(c.key)).c_str());
        lua_rawseti(L, 1, c.key);
    }
    lua_pushnil(L);
    lua_rawseti(L, 1, 2);  // a hole in the array part
    lua_pushstring(L, "t");
    lua_pushvalue(L, 1);
    lua_settable(L, LUA_GLOBALSINDEX);
    for (const Case& c : cases)
    {
        lua_rawgeti(L, 1, c.key);
        EXPECT_EQ(text(-1), "v" + std::to_string(c.key)) << c.key;
        lua_pop(L, 1);
        std::string src = "return rawget(t, " + std::to_string(c.key) + ") == 'v" +
                          std::to_string(c.key) + "' and 1 or 0";
        EXPECT_EQ(NumberOf(L, src), 1) << c.key;
    }
    lua_rawgeti(L, 1, 2);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(NumberOf(L, "local n = 0 for k in pairs(t) do n = n + 1 end return n"), 9);
    // Non-tables: reading pushes nil, writing just pops the value.
    lua_pushnumber(L, 5);
    lua_rawgeti(L, -1, 1);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pushstring(L, "x");
    lua_rawseti(L, -3, 1);
    EXPECT_EQ(lua_gettop(L), 3);
}

int ApiLess(lua_State* L)
{
    lua_pushboolean(L, lua_lessthan(L, 1, 2));
    return 1;
}

// lua_lessthan must agree with the script's `<` on every kind of pair:
// results, handlers and the errors (without their position prefix).
TEST_F(Api, LessThanAgreesWithTheScriptOperator)
{
    luaopen_stdlibs(L);
    lua_register(L, "apiless", ApiLess);
    std::string mismatches;
    ASSERT_EQ(
        RunScript(
            L,
            "local mt = {__lt = function(a, b) return a.v < b.v end}\n"
            "local A, B = setmetatable({v = 1}, mt), setmetatable({v = 2}, mt)\n"
            "local C = setmetatable({v = 0}, {__lt = function() return true end})\n"
            "local s = 'same'\n"
            "local cases = {{1, 2}, {2, 1}, {1, 1}, {-0, 0}, {0/0, 1}, {1, 0/0}, {-1/0, 1/0},\n"
            "  {'a', 'b'}, {'b', 'a'}, {s, s}, {'a', 'a\\0'}, {'a\\0b', 'a\\0a'}, {'', 'a'},\n"
            "  {A, B}, {B, A}, {A, A}, {A, C}, {L\"a\", L\"b\"}, {L\"a\", L\"a\"}, {1, '2'}, {'2', "
            "1},\n"
            "  {{}, {}}, {true, false}, {print, print}, {L\"a\", 'b'}}\n"
            "local out = ''\n"
            "local function strip(m) return (string.gsub(tostring(m), '^[^:]*:%d+: ', '')) end\n"
            "for i, c in ipairs(cases) do\n"
            "  local a, b = c[1], c[2]\n"
            "  local ok1, r1 = pcall(apiless, a, b)\n"
            "  local ok2, r2 = pcall(function() return a < b end)\n"
            "  if not ok1 then r1 = strip(r1) end\n"
            "  if not ok2 then r2 = strip(r2) end\n"
            "  if ok1 ~= ok2 or r1 ~= r2 then out = out .. i .. ': ' .. tostring(r1) .. ' / ' .. "
            "tostring(r2) .. '\\n' end\n"
            "end\n"
            "return out",
            &mismatches, 1),
        0)
        << mismatches;
    EXPECT_STREQ(lua_tostring(L, -1), "");
    lua_pop(L, 1);
    // Absent indices compare as not less.
    lua_pushnumber(L, 1);
    EXPECT_EQ(lua_lessthan(L, 1, 5), 0);
    EXPECT_EQ(lua_lessthan(L, 5, 1), 0);
}

}  // namespace

namespace
{

// Distinct addresses of texts that outlive the state.
const char kStaticNames[40][8] = {
    "n0",  "n1",  "n2",  "n3",  "n4",  "n5",  "n6",  "n7",  "n8",  "n9",  "n10", "n11", "n12", "n13",
    "n14", "n15", "n16", "n17", "n18", "n19", "n20", "n21", "n22", "n23", "n24", "n25", "n26", "n27",
    "n28", "n29", "n30", "n31", "n32", "n33", "n34", "n35", "n36", "n37", "n38", "n39"};
const char kSameTextElsewhere[] = "n7";

// Static strings: one string per address for the state's life, equal to any
// other string of the same text, kept through collections and table growth.
TEST_F(Api, StaticStringsAreMadeOncePerAddressAndKept)
{
    for (int round = 0; round < 2; round++)
    {
        for (const auto& name : kStaticNames) lua_pushstaticstring(L, name);
        for (int i = 0; i < 40; i++)
        {
            ASSERT_EQ(lua_type(L, i + 1), LUA_TSTRING);
            EXPECT_STREQ(lua_tostring(L, i + 1), kStaticNames[i]);
        }
        lua_settop(L, 0);
        lua_setgcthreshold(L, 0);  // nothing holds them now but the state
    }
    lua_pushstaticstring(L, kStaticNames[7]);
    lua_pushstaticstring(L, kStaticNames[7]);
    EXPECT_EQ(lua_topointer(L, 1), lua_topointer(L, 2));
    // The same text at another address is another entry but the same string
    // to scripts: it works as the same table key.
    lua_pushstaticstring(L, kSameTextElsewhere);
    EXPECT_TRUE(lua_rawequal(L, 1, 3));
    lua_newtable(L);
    lua_pushvalue(L, 1);
    lua_pushnumber(L, 5);
    lua_rawset(L, -3);
    lua_pushstring(L, "n7");
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 5);
}

int IndexHandler(lua_State* L)
{
    lua_pushstring(L, "asked");
    return 1;
}

// A global read by its static name gives what pushing the name and indexing
// the globals gives: the value, nil when absent, and the "__index" handler's
// answer once the globals have one (present names still read directly).
TEST_F(Api, StaticGlobalsReadAsIndexingTheGlobalsWould)
{
    static const char kName[] = "gStaticGlobal";
    static const char kOther[] = "gOtherGlobal";
    lua_getstaticglobal(L, kName);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pushstring(L, kName);
    lua_pushnumber(L, 7);
    lua_settable(L, LUA_GLOBALSINDEX);
    lua_getstaticglobal(L, kName);
    EXPECT_EQ(lua_tonumber(L, -1), 7);
    // Many more globals: the table grows and its entries move.
    for (int i = 0; i < 300; i++)
    {
        lua_pushfstring(L, "g%d", i);
        lua_pushnumber(L, i);
        lua_settable(L, LUA_GLOBALSINDEX);
    }
    lua_getstaticglobal(L, kName);
    EXPECT_EQ(lua_tonumber(L, -1), 7);
    lua_settop(L, 0);

    lua_newtable(L);
    lua_pushstring(L, "__index");
    lua_pushcfunction(L, &IndexHandler);
    lua_rawset(L, -3);
    ASSERT_EQ(lua_setmetatable(L, LUA_GLOBALSINDEX), 1);
    lua_getstaticglobal(L, kOther);
    EXPECT_STREQ(lua_tostring(L, -1), "asked");
    lua_getstaticglobal(L, kName);
    EXPECT_EQ(lua_tonumber(L, -1), 7);
    EXPECT_EQ(lua_gettop(L), 2);
}

}  // namespace
