// Script-to-script calls and returns, which the interpreter sets up and
// finishes inline when it can, against the general call path that hooks,
// variable arguments, tail calls, "__call" handlers, a short stack and
// coroutines take. Every script runs once plainly, once with call and
// return hooks, once with line and count hooks, and once collecting at
// every check: the outcome must be the same each time.
#include <string>

#include "ScriptTestUtil.h"
#include "script/lib/lualib.h"

namespace
{

int gCalls = 0, gReturns = 0, gLines = 0;

void CountingHook(lua_State*, lua_Debug* ar)
{
    if (ar->event == LUA_HOOKCALL) gCalls++;
    if (ar->event == LUA_HOOKRET || ar->event == LUA_HOOKTAILRET) gReturns++;
    if (ar->event == LUA_HOOKLINE || ar->event == LUA_HOOKCOUNT) gLines++;
}

// The current line of every script level above the caller, innermost
// first ("C" for a native level), joined with commas.
int Where(lua_State* L)
{
    std::string out;
    lua_Debug ar;
    for (int level = 1; lua_getstack(L, level, &ar); level++)
    {
        lua_getinfo(L, "Sl", &ar);
        if (!out.empty()) out += ",";
        out += ar.currentline >= 0 ? std::to_string(ar.currentline) : std::string(ar.what);
    }
    lua_pushstring(L, out.c_str());
    return 1;
}

enum class Mode
{
    kPlain,
    kCallHooks,
    kLineHooks,
    kGcStress
};

const char* Name(Mode m)
{
    switch (m)
    {
        case Mode::kPlain:
            return "plain";
        case Mode::kCallHooks:
            return "call and return hooks";
        case Mode::kLineHooks:
            return "line and count hooks";
        default:
            return "collection at every check";
    }
}

constexpr Mode kModes[] = {Mode::kPlain, Mode::kCallHooks, Mode::kLineHooks, Mode::kGcStress};

class VmCall : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        luaopen_stdlibs(L);
        lua_register(L, "where", Where);
        lua_register(L, "count",
                     [](lua_State* L1)
                     {
                         lua_pushnumber(L1, lua_gettop(L1));
                         return 1;
                     });
        lua_register(L, "natyield", [](lua_State* L1) { return lua_yield(L1, lua_gettop(L1)); });
    }

    void Enter(Mode m)
    {
        gCalls = gReturns = gLines = 0;
        if (m == Mode::kCallHooks) lua_sethook(L, CountingHook, LUA_MASKCALL | LUA_MASKRET, 0);
        if (m == Mode::kLineHooks) lua_sethook(L, CountingHook, LUA_MASKLINE | LUA_MASKCOUNT, 1);
        if (m == Mode::kGcStress) GCSetStress(L, 1);
    }
    void Leave()
    {
        lua_sethook(L, nullptr, 0, 0);
        GCSetStress(L, 0);
    }

    // Runs src, which returns one value, in mode m: its text (tostring), or
    // "error: " and the message.
    std::string Outcome(const std::string& src, Mode m)
    {
        Enter(m);
        int top = lua_gettop(L);
        std::string error, out;
        if (RunScript(L, src, &error, 1) != 0)
        {
            out = "error: " + error;
        }
        else
        {
            lua_pushstring(L, "tostring");
            lua_gettable(L, LUA_GLOBALSINDEX);
            lua_insert(L, -2);
            lua_call(L, 1, 1);
            out = lua_tostring(L, -1);
        }
        lua_settop(L, top);
        Leave();
        if (m == Mode::kLineHooks)
        {
            EXPECT_GT(gLines, 0) << src;
        }
        return out;
    }

    struct Case
    {
        const char* src;
        const char* expect;
    };
    // balanced: every call the hook sees also returns (no error unwinds a
    // level, no coroutine is left suspended).
    void ExpectEveryMode(const Case* cases, size_t n, bool balanced)
    {
        for (size_t c = 0; c < n; c++)
        {
            for (Mode m : kModes)
            {
                EXPECT_EQ(Outcome(cases[c].src, m), cases[c].expect)
                    << cases[c].src << "\n(" << Name(m) << ")";
                if (balanced && m == Mode::kCallHooks)
                {
                    EXPECT_EQ(gCalls, gReturns) << cases[c].src;
                }
            }
        }
    }
};

TEST_F(VmCall, ArgumentsMeetParameters)
{
    const Case cases[] = {
        // Missing arguments read nil; surplus ones never show up in the
        // callee's other registers.
        {"local function f(a, b, c) return tostring(a) .. tostring(b) .. tostring(c) end "
         "return f(1)",
         "1nilnil"},
        {"local function f(a) local x, y return tostring(a) .. tostring(x) .. tostring(y) end "
         "return f(1, 2, 3)",
         "1nilnil"},
        {"local function f() local x return tostring(x) end return f(1, 2, 3, 4, 5)", "nil"},
        {"local function f(a, b) return a .. b end "
         "local function g() return 'x', 'y', 'z' end return f(g())",
         "xy"},
        // An open argument list ending in a call.
        {"local function g() return 1, 2, 3 end return count(0, g())", "4"},
        {"local function g() return end return count(g())", "0"},
        // Variable arguments go into the table "arg".
        {"local function f(a, ...) return a .. ':' .. arg.n .. ':' .. tostring(arg[2]) end "
         "return f(1, 2, 3)",
         "1:2:3"},
        {"local function f(a, b, ...) return tostring(b) .. arg.n end return f(1)", "nil0"},
        // A table with a "__call" handler takes the general path.
        {"local t = setmetatable({}, {__call = function(self, a, b) return a + b end}) "
         "return t(2, 3)",
         "5"},
    };
    ExpectEveryMode(cases, std::size(cases), true);
    EXPECT_EQ(Outcome("return pcall(function() local x = 1 x() end)", Mode::kPlain), "false");
}

TEST_F(VmCall, ResultsAdjustToWhatTheCallerWants)
{
    const Case cases[] = {
        // Fewer results than wanted: the rest are nil, whatever the
        // registers held before.
        {"local function f() return 1 end local a, b, c = 7, 8, 9 a, b, c = f() "
         "return a .. tostring(b) .. tostring(c)",
         "1nilnil"},
        {"local function f() end local a, b = 7, 8 a, b = f() return tostring(a) .. tostring(b)",
         "nilnil"},
        {"local function f() end local a = 7 a = f() return tostring(a)", "nil"},
        // The register a bare return names still holds a dead local's value.
        {"local function f() local x = 5 do local y = 6 end return end "
         "local a = 7 a = f() return tostring(a)",
         "nil"},
        {"local function f() local x = 5 do local y, z = 6, 7 end return end "
         "local a, b = 7, 8 a, b = f() return tostring(a) .. tostring(b)",
         "nilnil"},
        // More results than wanted.
        {"local function f() return 1, 2, 3 end local a, b = f() return a + b", "3"},
        {"local function f() return 1, 2, 3 end local a = f() return a", "1"},
        // No result wanted: the caller's locals stay.
        {"local function f() return 1, 2, 3 end local a, b = 5, 6 f() return a + b", "11"},
        // Every result: a table constructor, an argument list, a return.
        {"local function f() return 1, 2, 3 end local t = {f()} return table.getn(t)", "3"},
        {"local function f() return 1, 2, 3 end local t = {f(), f()} return table.getn(t)", "4"},
        {"local function f() return 1, 2, 3 end local function g() return 0, f() end "
         "return count(g())",
         "4"},
        {"local function f() end local t = {f()} return table.getn(t)", "0"},
        // A parenthesised call is one value.
        {"local function f() return 1, 2 end return count((f()))", "1"},
        // Many results, past the callee's own registers.
        {"local function f() return 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, "
         "17, 18, 19, 20 end local a, b, c, d, e, f1, g, h, i, j, k, l, m, n, o, p, q, r, s, t, "
         "u, v = f() return tostring(t) .. tostring(u) .. tostring(v)",
         "20nilnil"},
        // Returns that close upvalues keep the captured values.
        {"local function mk(n) local function get() return n end n = n + 1 return get end "
         "local a, b = mk(1), mk(10) return a() + b()",
         "13"},
    };
    ExpectEveryMode(cases, std::size(cases), true);
}

TEST_F(VmCall, TailCalls)
{
    const Case cases[] = {
        // Tail recursion deeper than the call records can hold.
        {"local function loop(n, acc) if n == 0 then return acc end return loop(n - 1, acc + 1) "
         "end return loop(20000, 0)",
         "20000"},
        {"local function f(a, b) return a, b end local function g() return f(1, 2) end "
         "local a, b, c = g() return a + b .. tostring(c)",
         "3nil"},
        {"local function g() return count(1, 2, 3) end return g()", "3"},
        {"local function v(...) return arg.n end local function g() return v(1, 2) end "
         "return g()",
         "2"},
        // A tail call closes the caller's upvalues first.
        {"local function id(x) return x end "
         "local function mk() local n = 4 local f = function() return n end return id(f) end "
         "return mk()()",
         "4"},
    };
    ExpectEveryMode(cases, std::size(cases), true);
}

TEST_F(VmCall, DeepRecursionGrowsTheStack)
{
    const Case cases[] = {
        {"local function d(n) if n == 0 then return 0 end return 1 + d(n - 1) end "
         "return d(3000)",
         "3000"},
        // Frames with many registers run out of stack room sooner.
        {"local function d(n) local a, b, c, e, f, g, h, i, j, k, l, m, o, p, q, r, s, t, u, v "
         "if n == 0 then return 0 end return 1 + d(n - 1) end return d(2000)",
         "2000"},
        {"local function d(n, ...) if n == 0 then return arg.n end return d(n - 1, n, n) end "
         "local function e(n) if n == 0 then return d(50) end return e(n - 1) + 0 end "
         "return e(1000)",
         "2"},
    };
    ExpectEveryMode(cases, std::size(cases), true);
    // The limit of call records is the same error, and the state goes on.
    for (Mode m : kModes)
    {
        std::string out = Outcome("local function f(n) return 1 + f(n + 1) end return f(0)", m);
        EXPECT_NE(out.find("stack overflow"), std::string::npos) << out << " (" << Name(m) << ")";
        EXPECT_EQ(Outcome("local function f(n) return n * 2 end return f(21)", m), "42");
    }
}

TEST_F(VmCall, ErrorsInsideCalleesReportTheirPositions)
{
    const Case cases[] = {
        {"local function inner()\n"
         "  error('boom')\n"
         "end\n"
         "local function outer() inner() return 1 end\n"
         "return outer()",
         "error: test:2: boom"},
        {"local function inner(t)\n"
         "  return t.x.y\n"
         "end\n"
         "local function outer() local v = inner({}) return v end\n"
         "return outer()",
         "error: test:2: attempt to index field `x' (a nil value)"},
        // A caught error leaves the caller's frame as it was.
        {"local function bad(n) local a = n + {} end\n"
         "local function mid(n) local ok = pcall(bad, n) return n * 2, ok end\n"
         "local a, ok = mid(5)\n"
         "return a .. tostring(ok)",
         "10false"},
        // The stack as the callee sees it, innermost first.
        {"local function c()\n"
         "  return where()\n"
         "end\n"
         "local function b() local w = c() return w end\n"
         "local function a()\n"
         "  local w = b()\n"
         "  return w\n"
         "end\n"
         "local r = a()\n"
         "return r",
         "2,4,6,9"},
        // A tail call leaves no level for the chunk.
        {"local function c()\n"
         "  return where()\n"
         "end\n"
         "local function b() local w = c() return w end\n"
         "return b()",
         "2,4"},
    };
    ExpectEveryMode(cases, std::size(cases), false);
}

TEST_F(VmCall, YieldsFromInsideCallees)
{
    // A coroutine whose body calls script functions that yield, through the
    // library and through a native yield; the resumes pass values back that
    // the callees return with the same adjustment rules.
    const Case cases[] = {
        {"local function get() return coroutine.yield() end\n"
         "local function body() local a, b = get() return a + b end\n"
         "local co = coroutine.create(body)\n"
         "coroutine.resume(co)\n"
         "local ok, r = coroutine.resume(co, 3, 4)\n"
         "return r",
         "7"},
        {"local function get() local a, b, c = natyield() return a, b, c end\n"
         "local function body() local x, y, z = get() return tostring(x) .. tostring(y) .. "
         "tostring(z) end\n"
         "local co = coroutine.wrap(body)\n"
         "co()\n"
         "return co(1, 2)",
         "12nil"},
        {"local function get() local t = {natyield()} return table.getn(t) end\n"
         "local co = coroutine.wrap(function() return get() + 0 end)\n"
         "co()\n"
         "return co(1, 2, 3, 4)",
         "4"},
        {"local function get() natyield() return 9 end\n"
         "local co = coroutine.wrap(function() local a, b = 1, 2 local r = get() "
         "return a + b + r end)\n"
         "co()\n"
         "return co(5, 6)",
         "12"},
        {"local function deep(n) if n == 0 then return coroutine.yield(n) end "
         "return 1 + deep(n - 1) end\n"
         "local co = coroutine.wrap(function() return deep(100) end)\n"
         "co()\n"
         "return co(1)",
         "101"},
        // An error after a yield still names its line.
        {"local function get()\n"
         "  coroutine.yield()\n"
         "  error('late')\n"
         "end\n"
         "local co = coroutine.create(function() get() end)\n"
         "coroutine.resume(co)\n"
         "local ok, msg = coroutine.resume(co)\n"
         "return msg",
         "test:3: late"},
    };
    ExpectEveryMode(cases, std::size(cases), false);

    // A native that yielded returns when resumed: a return hook sees that.
    lua_State* co = lua_newthread(L);
    ASSERT_EQ(LoadText(co, "local function f() natyield() return 1 end local a = f()"), 0);
    lua_sethook(co, CountingHook, LUA_MASKRET, 0);
    gReturns = 0;
    ASSERT_EQ(lua_resume(co, 0), 0);
    EXPECT_EQ(gReturns, 0);
    ASSERT_EQ(lua_resume(co, 0), 0);
    EXPECT_FALSE(lua_isyielded(co));
    EXPECT_EQ(gReturns, 3);  // natyield, f and the chunk
    lua_pop(L, 1);
}

TEST_F(VmCall, HooksSetByACalleeSeeItsReturn)
{
    // A native turns the return hook on from inside a script callee: the
    // callee's return and every one after it must fire it.
    lua_register(L, "hookreturns",
                 [](lua_State* L1)
                 {
                     lua_sethook(L1, CountingHook, LUA_MASKRET, 0);
                     return 0;
                 });
    gCalls = gReturns = 0;
    ASSERT_EQ(RunScript(L,
                        "local function f() hookreturns() return 1 end\n"
                        "local function g() local a = f() return a + 1 end\n"
                        "local b = g()"),
              0);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_EQ(gCalls, 0);
    EXPECT_EQ(gReturns, 4);  // hookreturns, f, g and the chunk

    // The return hook sees each returning level at its last line.
    static std::string lines;
    lines.clear();
    lua_register(L, "hooklines",
                 [](lua_State* L1)
                 {
                     lua_sethook(
                         L1,
                         [](lua_State* L2, lua_Debug* ar)
                         {
                             lua_Debug level;
                             if (ar->event != LUA_HOOKRET || !lua_getstack(L2, 0, &level)) return;
                             lua_getinfo(L2, "l", &level);
                             lines += std::to_string(level.currentline) + ";";
                         },
                         LUA_MASKRET, 0);
                     return 0;
                 });
    ASSERT_EQ(RunScript(L,
                        "local function f()\n"
                        "  hooklines()\n"
                        "  local x = 1\n"
                        "  return x\n"
                        "end\n"
                        "local y = f()\n"
                        "return y"),
              0);
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_EQ(lines, "-1;4;7;");  // hooklines itself, f, the chunk
}

}  // namespace
