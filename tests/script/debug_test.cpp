// The debug interface: stack levels, function information, locals,
// upvalues and hooks.
#include <algorithm>
#include <string>
#include <vector>

#include "ScriptTestUtil.h"

namespace
{

class Debug : public ScriptTest
{
};

struct Seen
{
    std::string what0, source0, what1, name1, namewhat1, local1, short1;
    int line1 = 0, linedefined1 = 0;
    int levels = 0;
};
Seen gSeen;

int Inspect(lua_State* L)
{
    lua_Debug ar;
    Seen& s = gSeen;
    s = Seen();
    while (lua_getstack(L, s.levels, &ar)) s.levels++;
    EXPECT_TRUE(lua_getstack(L, 0, &ar));
    lua_getinfo(L, "S", &ar);
    s.what0 = ar.what;
    s.source0 = ar.source;
    EXPECT_TRUE(lua_getstack(L, 1, &ar));
    lua_getinfo(L, "Sln", &ar);
    s.what1 = ar.what;
    s.line1 = ar.currentline;
    s.linedefined1 = ar.linedefined;
    s.short1 = ar.short_src;
    s.name1 = ar.name ? ar.name : "";
    s.namewhat1 = ar.namewhat;
    const char* local = lua_getlocal(L, &ar, 1);
    if (local)
    {
        s.local1 = std::string(local) + "=" + (lua_tostring(L, -1) ? lua_tostring(L, -1) : "?");
        lua_pop(L, 1);
    }
    return 0;
}

TEST_F(Debug, StackLevelsAndFunctionInformation)
{
    lua_register(L, "inspect", Inspect);
    ASSERT_EQ(RunScript(L,
                        "function outer()\n"
                        "  local here = 'yes'\n"
                        "  inspect()\n"
                        "end\n"
                        "outer()\n"),
              0);
    EXPECT_EQ(gSeen.levels, 3);  // inspect, outer, main chunk
    EXPECT_EQ(gSeen.what0, "C");
    EXPECT_EQ(gSeen.source0, "=[C]");
    EXPECT_EQ(gSeen.what1, "Lua");
    EXPECT_EQ(gSeen.line1, 3);
    EXPECT_EQ(gSeen.linedefined1, 1);
    EXPECT_EQ(gSeen.short1, "test");
    EXPECT_EQ(gSeen.name1, "outer");
    EXPECT_EQ(gSeen.namewhat1, "global");
    EXPECT_EQ(gSeen.local1, "here=yes");
}

TEST_F(Debug, MainChunkAndTailCalls)
{
    lua_register(L, "inspect", Inspect);
    ASSERT_EQ(RunScript(L, "inspect()"), 0);
    EXPECT_EQ(gSeen.what1, "main");
    ASSERT_EQ(
        RunScript(L,
                  "local function f() return inspect() end local function g() return f() end g()"),
        0);
    // Tail calls replaced the frames of f and g: inspect, then the chunk.
    EXPECT_GE(gSeen.levels, 2);
}

TEST_F(Debug, LostTailCallsShowAsOneLevel)
{
    static std::vector<std::string> whats;
    whats.clear();
    lua_register(L, "walk",
                 [](lua_State* L1)
                 {
                     lua_Debug ar;
                     for (int level = 0; lua_getstack(L1, level, &ar); level++)
                     {
                         lua_getinfo(L1, "Sl", &ar);
                         whats.push_back(std::string(ar.what) + " " + ar.source + " " +
                                         std::to_string(ar.currentline));
                     }
                     return 0;
                 });
    ASSERT_EQ(
        RunScript(L, "local function f()\n walk() end\nlocal function g() return f() end\ng()"), 0);
    // g's frame went to f: one lost tail call between f and the chunk.
    EXPECT_EQ(whats, (std::vector<std::string>{"C =[C] -1", "Lua =test 2", "tail =(tail call) -1",
                                               "main =test 4"}));
}

TEST_F(Debug, InfoOfAFunctionValue)
{
    ASSERT_EQ(RunScript(L, "return function(a, b)\n return a end", nullptr, 1), 0);
    lua_Debug ar;
    ASSERT_TRUE(lua_getinfo(L, ">S", &ar));
    EXPECT_STREQ(ar.what, "Lua");
    EXPECT_EQ(ar.linedefined, 1);
    lua_pushnumber(L, 1);
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_Debug d;
                          lua_getinfo(L1, ">S", &d);
                          return 0;
                      });
    lua_insert(L, -2);
    EXPECT_EQ(lua_pcall(L, 1, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "value for `lua_getinfo' is not a function");
}

TEST_F(Debug, Upvalues)
{
    ASSERT_EQ(RunScript(L, "local count = 5 return function() return count end", nullptr, 1), 0);
    EXPECT_STREQ(lua_getupvalue(L, -1, 1), "count");
    EXPECT_EQ(lua_tonumber(L, -1), 5);
    lua_pop(L, 1);
    lua_pushnumber(L, 9);
    EXPECT_STREQ(lua_setupvalue(L, -2, 1), "count");
    EXPECT_EQ(lua_getupvalue(L, -1, 2), nullptr);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 9);
}

int gCounts = 0;
std::vector<int> gLines;

TEST_F(Debug, CountHookCanStopARunawayScript)
{
    gCounts = 0;
    lua_sethook(
        L,
        [](lua_State* L1, lua_Debug* ar)
        {
            EXPECT_EQ(ar->event, LUA_HOOKCOUNT);
            if (++gCounts == 10)
            {
                lua_pushstring(L1, "budget spent");
                lua_error(L1);
            }
        },
        LUA_MASKCOUNT, 1000);
    EXPECT_EQ(lua_gethookmask(L), LUA_MASKCOUNT);
    EXPECT_EQ(lua_gethookcount(L), 1000);
    std::string err;
    EXPECT_EQ(RunScript(L, "while true do end", &err), LUA_ERRRUN);
    EXPECT_EQ(err, "budget spent");
    EXPECT_EQ(gCounts, 10);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_EQ(lua_gethook(L), nullptr);
}

// The loop-counting hook reaches every kind of endless loop and recursion,
// at the point the script had reached, and never shows its due bit.
TEST_F(Debug, LoopHookReachesEveryEndlessLoop)
{
    struct Case
    {
        const char* what;
        const char* text;
    } const cases[] = {
        {"while", "local n = 0\nwhile true do n = n + 1 end"},
        {"repeat", "local n = 0\nrepeat n = n + 1 until n < 0"},
        {"numeric for", "local n = 0\nfor i = 1, 1e300 do n = n + 1 end"},
        {"numeric for, a step too small to move", "for i = 10, 20, 1e-300 do end"},
        {"generic for", "for k in function() return 1 end do end"},
        {"tail recursion", "local function f() return f() end\nf()"},
        {"comparison loop", "local a, b = 1, 2\nwhile a < b do a = a * 1 end"},
        {"loop calling a function", "local function f() end\nwhile true do f() end"},
    };
    static int fires = 0;
    static int mask = 0;
    for (const Case& c : cases)
    {
        fires = 0;
        mask = 0;
        lua_sethook(
            L,
            [](lua_State* L1, lua_Debug* ar)
            {
                EXPECT_EQ(ar->event, LUA_HOOKCOUNT);
                mask = lua_gethookmask(L1);
                if (++fires == 5)
                {
                    lua_pushstring(L1, "stopped");
                    lua_error(L1);
                }
            },
            LUA_MASKLOOP, 100);
        std::string err;
        EXPECT_EQ(RunScript(L, c.text, &err), LUA_ERRRUN) << c.what;
        EXPECT_EQ(err, "stopped") << c.what;
        EXPECT_EQ(fires, 5) << c.what;
        EXPECT_EQ(mask, LUA_MASKLOOP) << c.what;
        lua_sethook(L, nullptr, 0, 0);
    }
}

TEST_F(Debug, LoopHookMask)
{
    auto hook = [](lua_State*, lua_Debug*) {};
    // The instruction count is the finer of the two: it wins.
    lua_sethook(L, hook, LUA_MASKCOUNT | LUA_MASKLOOP, 10);
    EXPECT_EQ(lua_gethookmask(L), LUA_MASKCOUNT);
    lua_sethook(L, hook, LUA_MASKLOOP | LUA_MASKCALL, 10);
    EXPECT_EQ(lua_gethookmask(L), LUA_MASKLOOP | LUA_MASKCALL);
    // A straight run of code counts its entry only.
    static int fires = 0;
    fires = 0;
    lua_sethook(
        L, [](lua_State*, lua_Debug*) { ++fires; }, LUA_MASKLOOP, 2);
    ASSERT_EQ(RunScript(L, "local a = 1\nlocal b = a + 1\nlocal c = b * 2\n"), 0);
    EXPECT_EQ(fires, 0);
    lua_sethook(
        L, [](lua_State*, lua_Debug*) { ++fires; }, LUA_MASKLOOP, 2);
    ASSERT_EQ(RunScript(L, "for i = 1, 10 do end"), 0);
    EXPECT_GE(fires, 5);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_EQ(lua_gethookmask(L), 0);
}

TEST_F(Debug, LineHookReportsEachNewLine)
{
    gLines.clear();
    lua_sethook(
        L,
        [](lua_State*, lua_Debug* ar)
        {
            if (ar->event == LUA_HOOKLINE) gLines.push_back(ar->currentline);
        },
        LUA_MASKLINE, 0);
    ASSERT_EQ(RunScript(L, "local a = 1\nlocal b = 2\nfor i = 1, 2 do\n  a = a + i\nend\n"), 0);
    lua_sethook(L, nullptr, 0, 0);
    ASSERT_GE(gLines.size(), 4u);
    EXPECT_EQ(gLines[0], 1);
    EXPECT_EQ(gLines[1], 2);
    EXPECT_NE(std::find(gLines.begin(), gLines.end(), 4), gLines.end());
}

TEST_F(Debug, CallAndReturnHooksPair)
{
    static int calls = 0, returns = 0;
    calls = returns = 0;
    lua_sethook(
        L,
        [](lua_State*, lua_Debug* ar)
        {
            if (ar->event == LUA_HOOKCALL) calls++;
            if (ar->event == LUA_HOOKRET || ar->event == LUA_HOOKTAILRET) returns++;
        },
        LUA_MASKCALL | LUA_MASKRET, 0);
    ASSERT_EQ(
        RunScript(L, "local function f(n) if n > 0 then return f(n - 1) + 0 end return 0 end f(3)"),
        0);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_GE(calls, 5);  // the chunk and four calls of f
    EXPECT_EQ(calls, returns);
}

std::vector<std::string> gNames;

// Records how its caller named it ("namewhat:name").
int NameProbe(lua_State* L)
{
    lua_Debug ar;
    EXPECT_TRUE(lua_getstack(L, 0, &ar));
    lua_getinfo(L, "n", &ar);
    gNames.push_back(std::string(ar.namewhat) + ":" + (ar.name ? ar.name : "(none)"));
    lua_pushnumber(L, 1);
    return 1;
}

TEST_F(Debug, OnlyCallsNameTheCalledFunction)
{
    gNames.clear();
    lua_register(L, "probe", NameProbe);
    ASSERT_EQ(RunScript(L, "t = {}"), 0);
    lua_pushstring(L, "t");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_newtable(L);
    lua_pushstring(L, "__index");
    lua_pushcfunction(L, NameProbe);
    lua_rawset(L, -3);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    ASSERT_EQ(RunScript(L, "probe() local p = probe p() local x = 0 x = t.field"), 0);
    // A handler run by an indexing operation has no name (not that of the
    // local the indexing writes to).
    EXPECT_EQ(gNames, (std::vector<std::string>{"global:probe", "local:p", ":(none)"}));
}

int SetLoopState(lua_State* L)
{
    lua_Debug ar;
    EXPECT_TRUE(lua_getstack(L, 1, &ar));
    int refused = 0;
    for (int n = 1;; n++)
    {
        const char* name = lua_getlocal(L, &ar, n);
        if (name == nullptr) break;
        lua_pop(L, 1);
        if (name[0] != '(' && std::string(name) != "n") continue;
        lua_pushnumber(L, 1000);
        const char* set = lua_setlocal(L, &ar, n);
        if (name[0] == '(')
        {
            EXPECT_EQ(set, nullptr) << name;
            refused++;
        }
        else
        {
            EXPECT_STREQ(set, name);
        }
    }
    lua_pushnumber(L, refused);
    return 1;
}

TEST_F(Debug, SetLocalLeavesTheLoopStateAlone)
{
    lua_register(L, "poke", SetLoopState);
    ASSERT_EQ(
        RunScript(L,
                  "local n, c, r = 0, 0, 0 for i = 1, 3 do c = c + 1 r = poke() end return n, c, r",
                  nullptr, 3),
        0);
    // poke set n, but the loop's limit and step stayed: three rounds.
    EXPECT_EQ(lua_tonumber(L, -3), 1000);
    EXPECT_EQ(lua_tonumber(L, -2), 3);
    EXPECT_EQ(lua_tonumber(L, -1), 2);  // "(for limit)" and "(for step)"
    lua_pop(L, 3);
}

int gHookLine = 0;

TEST_F(Debug, LineHookSeesTheLineItReports)
{
    gLines.clear();
    lua_sethook(
        L,
        [](lua_State* L1, lua_Debug* ar)
        {
            lua_Debug self;
            ASSERT_TRUE(lua_getstack(L1, 0, &self));
            lua_getinfo(L1, "l", &self);
            EXPECT_EQ(self.currentline, ar->currentline);
            gHookLine++;
        },
        LUA_MASKLINE, 0);
    gHookLine = 0;
    ASSERT_EQ(RunScript(L, "local a = 1\nlocal b = 2\nfor i = 1, 2 do\n  a = a + i\nend\nreturn a"),
              0);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_GE(gHookLine, 5);
}

}  // namespace
