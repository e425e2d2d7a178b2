// TScript: libraries and host globals, running texts, files and functions,
// the script coroutine resumed from the task list, calls made while it is
// suspended (GetClosure / PassClosure), stack helpers and error reporting.
#include "script/Script.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "HostTestSupport.h"
#include "core/AssetManager.h"
#include "core/Clock.h"
#include "core/Task.h"
#include "script/Binding.h"
#include "script/LuaTable.h"

// The collector's test switch: a full collection at every check.
void GCSetStress(lua_State* L, int on);

namespace
{

uint32_t gNow = 50000;
uint32_t FakeNow()
{
    return gNow;
}

class ScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetClockTimeSource(&FakeNow);
        SetGlobalAssetManager(&assets_);
    }
    void TearDown() override
    {
        SetGlobalAssetManager(nullptr);
        SetClockTimeSource(nullptr);
    }

    static std::string Global(TScript& s, const char* name)
    {
        lua_State* L = s.GetState();
        lua_pushstring(L, name);
        lua_gettable(L, LUA_GLOBALSINDEX);
        std::string out;
        if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER)
            out = lua_tostring(L, -1);
        else
            out = std::string("<") + lua_typename(L, lua_type(L, -1)) + ">";
        lua_pop(L, 1);
        return out;
    }
    static void PushGlobal(TScript& s, const char* name)
    {
        lua_pushstring(s.GetState(), name);
        lua_gettable(s.GetState(), LUA_GLOBALSINDEX);
    }

    hosttest::TempFolder folder_;
    TAssetManager assets_;
};

TEST_F(ScriptTest, NewScriptHasLibrariesHostGlobalsAndStoppedTimer)
{
    TScript s;
    ASSERT_NE(s.GetState(), nullptr);
    EXPECT_EQ(TScript::FromState(s.GetState()), &s);
    EXPECT_EQ(s.GetOverdue(), -1);
    EXPECT_FALSE(s.IsYielded());
    for (const char* name : {"_ALERT", "DebugOut", "toparams", "DumpTable", "_Internal_DumpTable",
                             "_Internal_DumpEntry", "print", "coroutine", "table", "string"})
    {
        EXPECT_NE(Global(s, name), "<nil>") << name;
    }
    EXPECT_EQ(Global(s, "GetClosure"), "<nil>");  // made on first need
    EXPECT_EQ(lua_gettop(s.GetState()), 0);
}

TEST_F(ScriptTest, DumpTableText)
{
    TScript s;
    ASSERT_EQ(s.DoLuaString("function DebugOut(t) dumped = t end DumpTable({a = {b = 1}})"), 0);
    EXPECT_EQ(Global(s, "dumped"), "Dump Table: \n  a -> {\n    b -> 1\n  }\n");
    // Nesting stops after indent 10.
    ASSERT_EQ(s.DoLuaString("local t = {} t.t = t DumpTable(t)"), 0);
    std::string deep = Global(s, "dumped");
    EXPECT_NE(deep.find("            ...\n"), std::string::npos) << deep;
    // Every script gets the same functions under the chunk name "DumpTable",
    // also the second and later ones (which load it precompiled).
    for (int i = 0; i < 2; ++i)
    {
        TScript other;
        ASSERT_EQ(other.DoLuaString("ok, where = pcall(_Internal_DumpTable, {}, nil)"), 0);
        EXPECT_EQ(Global(other, "where"),
                  "[string \"DumpTable\"]:9: attempt to compare number with nil");
        ASSERT_EQ(other.DoLuaString("function DebugOut(t) dumped = t end DumpTable({1})"), 0);
        EXPECT_EQ(Global(other, "dumped"), "Dump Table: \n  1 -> 1\n");
    }
}

TEST_F(ScriptTest, DoLuaStringReportsEachStage)
{
    TScript s;
    ASSERT_EQ(s.DoLuaString("function LuaErrorMessage(m) lastmsg = m end"), 0);

    EXPECT_NE(s.DoLuaString("x = = 1"), 0);
    EXPECT_EQ(folder_.LogCount("DoLuaString Lua Error: "), 1);
    std::string msg = Global(s, "lastmsg");
    EXPECT_EQ(msg.rfind("Lua Error: ", 0), 0u) << msg;
    EXPECT_NE(msg.find("\n\twhen parsing"), std::string::npos) << msg;
    EXPECT_EQ(lua_gettop(s.GetState()), 0);

    // A run-time error goes to "_ALERT" only.
    ASSERT_EQ(s.DoLuaString("lastmsg = nil"), 0);
    EXPECT_NE(s.DoLuaString("error('boom')"), 0);
    EXPECT_EQ(Global(s, "lastmsg"), "<nil>");
    EXPECT_EQ(folder_.LogCount("DoLuaString"), 1);
    EXPECT_EQ(folder_.LogCount("]:1: boom"), 1);
    EXPECT_EQ(lua_gettop(s.GetState()), 0);

    // Results stay when asked for; a length cuts the text.
    ASSERT_EQ(s.DoLuaString("return 1, 2", -1, 2), 0);
    EXPECT_EQ(lua_gettop(s.GetState()), 2);
    lua_settop(s.GetState(), 0);
    ASSERT_EQ(s.DoLuaString("y = 5 -- and garbage = =", 5), 0);
    EXPECT_EQ(Global(s, "y"), "5");
}

// Whatever a text does, DoLuaString without results leaves the values the
// caller had on the stack, also when the text hands back a function that is
// started as the coroutine and ends at once (with or without results).
TEST_F(ScriptTest, DoLuaStringWithoutResultsKeepsTheCallersStack)
{
    TScript s;
    lua_State* L = s.GetState();
    const char* texts[] = {
        "x = 1",
        "return 5, 6",
        "return function() quick = 1 end",
        "return function() return 1, 2, 3 end",
        "error('failed')",
        "x = = 1",
    };
    for (const char* text : texts)
    {
        lua_settop(L, 0);
        lua_pushnumber(L, 42);
        s.DoLuaString(text);
        ASSERT_EQ(lua_gettop(L), 1) << text;
        EXPECT_EQ(lua_tonumber(L, 1), 42) << text;
    }
    // A body that yields first: the caller's value is there again once it ends.
    lua_settop(L, 0);
    lua_pushnumber(L, 42);
    ASSERT_EQ(s.DoLuaString("return function() coroutine.yield(1, 2) end"), 0);
    ASSERT_TRUE(s.IsYielded());
    EXPECT_EQ(s.Resume(0), 0);
    EXPECT_FALSE(s.IsYielded());
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_EQ(lua_tonumber(L, 1), 42);
}

TEST_F(ScriptTest, ErrorValuesThatAreNotStringsAndFailingHandlers)
{
    TScript s;
    EXPECT_NE(s.DoLuaString("error({})"), 0);
    EXPECT_EQ(folder_.LogCount("Lua error: (error value: table)"), 1);
    EXPECT_NE(s.DoLuaString("error()"), 0);
    EXPECT_EQ(folder_.LogCount("Lua error: (error value: nil)"), 1);

    // A failing LuaErrorMessage is logged, not fatal.
    ASSERT_EQ(s.DoLuaString("function LuaErrorMessage(m) error('handler broke') end"), 0);
    EXPECT_NE(s.DoLuaString("x = = 1"), 0);
    EXPECT_EQ(folder_.LogCount("LuaErrorMessage failed: "), 1);

    // A failing _ALERT turns into an error-handler error, not a crash.
    ASSERT_EQ(s.DoLuaString("_ALERT = function() error('alert broke') end"), 0);
    EXPECT_NE(s.DoLuaString("error('again')"), 0);
    EXPECT_EQ(lua_gettop(s.GetState()), 0);
    // And a missing one while reporting a compile error of a file.
    ASSERT_EQ(s.DoLuaString("_ALERT = nil"), 0);
    TString bad = folder_.Write("bad.lua", "x = = 2");
    EXPECT_FALSE(s.RunScript(bad));
    EXPECT_GE(folder_.LogCount("_ALERT failed: "), 1);
}

TEST_F(ScriptTest, RunFunctionWithTooManyResultsLogsTheFailure)
{
    TScript s;
    PushGlobal(s, "error");
    lua_pushstring(s.GetState(), "x");
    EXPECT_EQ(s.RunFunction(1, 2), LUA_ERRRUN);
    EXPECT_EQ(folder_.LogCount(
                  "TScript::RunFunction failure. Too many return results? (2, FAILURE CODE 1)"),
              1);
    // The error value is nil: the handler returns nothing.
    EXPECT_EQ(lua_type(s.GetState(), -1), LUA_TNIL);
}

TEST_F(ScriptTest, RunScriptResultsAndFailures)
{
    TScript s;
    EXPECT_FALSE(s.RunScript(""));
    EXPECT_FALSE(s.RunScript(TString(("::" + (folder_.Root() / "missing.lua").string()).c_str())));
    EXPECT_EQ(folder_.Log(), "");  // no message for a missing file

    TString good = folder_.Write("good.lua", "ran = (ran or 0) + 1 return 7");
    EXPECT_TRUE(s.RunScript(good));
    EXPECT_EQ(Global(s, "ran"), "1");

    TString syntax = folder_.Write("syntax.lua", "x = = 2");
    EXPECT_FALSE(s.RunScript(syntax));
    EXPECT_EQ(folder_.LogCount("Lua error: "), 1);

    TString fails = folder_.Write("fails.lua", "error('at run time')");
    EXPECT_FALSE(s.RunScript(fails));
    EXPECT_EQ(folder_.LogCount(std::string("Failed to run script ") + fails.CStr() + ": 1"), 1);
    EXPECT_EQ(folder_.LogCount("at run time"), 1);
    EXPECT_EQ(lua_gettop(s.GetState()), 0);
}

const char kCoroutineScript[] =
    "return function()\n"
    "  step = 1\n"
    "  coroutine.yield()\n"
    "  step = 2\n"
    "  coroutine.yield()\n"
    "  step = 3\n"
    "end\n";

TEST_F(ScriptTest, ReturnedFunctionRunsAsCoroutineResumedByTheTaskList)
{
    auto* s = new TScript;
    TTaskList list;
    list.Add(s);
    ASSERT_TRUE(s->RunScript(folder_.Write("co.lua", kCoroutineScript)));
    EXPECT_EQ(Global(*s, "step"), "1");
    EXPECT_TRUE(s->IsYielded());
    EXPECT_GE(s->GetOverdue(), 0);
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(Global(*s, "step"), "2");
    list.RunTasks(TaskPhaseDraw);  // not a draw-pass task
    EXPECT_EQ(Global(*s, "step"), "2");
    gNow += 16;
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(Global(*s, "step"), "3");
    EXPECT_FALSE(s->IsYielded());
    EXPECT_EQ(s->GetOverdue(), -1);  // ended: idle again
    list.RunTasks(TaskPhaseIdle);
    EXPECT_TRUE(list.Contains(s));
    EXPECT_EQ(folder_.LogCount("lua_resume"), 0);
}

// A native call inside the coroutine that runs the task list (as an event
// pump does) finds the script running: the pass leaves it and its timer alone.
TTaskList* gPumped = nullptr;
void PumpTasks()
{
    gPumped->RunTasks(TaskPhaseIdle);
}

TEST_F(ScriptTest, TaskPassFromInsideTheCoroutineKeepsItsTimer)
{
    auto* s = new TScript;
    TTaskList list;
    gPumped = &list;
    list.Add(s);
    LuaBindFunction(s->GetState(), "Pump", &PumpTasks);
    ASSERT_TRUE(s->RunScript(folder_.Write("pump.lua",
                                           "return function()\n"
                                           "  Pump() coroutine.yield()\n"
                                           "  step = 2\n"
                                           "  Pump() coroutine.yield()\n"
                                           "  step = 3\n"
                                           "end\n")));
    EXPECT_TRUE(s->IsYielded());
    EXPECT_GE(s->GetOverdue(), 0);
    list.RunTasks(TaskPhaseIdle);  // started from the list, pumps inside
    EXPECT_EQ(Global(*s, "step"), "2");
    EXPECT_GE(s->GetOverdue(), 0);
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(Global(*s, "step"), "3");
    EXPECT_EQ(s->GetOverdue(), -1);
    EXPECT_EQ(folder_.LogCount("lua_resume"), 0);
}

TEST_F(ScriptTest, FailingCoroutineStopsTheTimerAndLogs)
{
    TScript s;
    ASSERT_TRUE(s.RunScript(
        folder_.Write("co.lua", "return function() coroutine.yield() error('inside') end")));
    ASSERT_TRUE(s.IsYielded());
    EXPECT_TRUE(s.DoTask());
    EXPECT_EQ(folder_.LogCount("lua_resume ERROR: "), 1);
    EXPECT_EQ(folder_.LogCount("inside"), 1);
    EXPECT_EQ(s.GetOverdue(), -1);
    // A body that ends at once leaves nothing to resume.
    ASSERT_TRUE(s.RunScript(folder_.Write("quick.lua", "return function() quick = 1 end")));
    EXPECT_EQ(Global(s, "quick"), "1");
    EXPECT_EQ(s.GetOverdue(), -1);
    // Resuming with nothing suspended fails without touching the stack.
    lua_pushnumber(s.GetState(), 42);
    EXPECT_NE(s.Resume(0), 0);
    ASSERT_EQ(lua_gettop(s.GetState()), 1);
    EXPECT_EQ(lua_tonumber(s.GetState(), 1), 42);
}

const char kWaitingScript[] =
    "return function()\n"
    "  while true do\n"
    "    local a, f = coroutine.yield()\n"
    "    if f then f() end\n"
    "    resumed = (resumed or 0) + 1\n"
    "  end\n"
    "end\n";

TEST_F(ScriptTest, CallsWhileSuspendedRunAndLeaveTheCoroutineIntact)
{
    TScript s;
    lua_State* L = s.GetState();
    ASSERT_TRUE(s.RunScript(folder_.Write("wait.lua", kWaitingScript)));
    ASSERT_TRUE(s.IsYielded());

    // Texts and functions run although the coroutine cannot run them itself.
    ASSERT_EQ(
        s.DoLuaString("function Add(a, b) sum = a + b end function Twice(x) return x * 2 end"), 0);
    PushGlobal(s, "Add");
    lua_pushnumber(L, 2);
    lua_pushnumber(L, 3);
    int base = lua_gettop(L) - 3;
    EXPECT_EQ(s.RunFunction(2, 1), 0);
    EXPECT_EQ(Global(s, "sum"), "5");
    EXPECT_EQ(lua_gettop(L), base + 1);
    lua_settop(L, base);
    PushGlobal(s, "Twice");
    lua_pushnumber(L, 21);
    EXPECT_EQ(s.RunFunction(1, 1), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 42);
    lua_settop(L, base);
    EXPECT_NE(Global(s, "GetClosure"), "<nil>");
    // An error there is reported and the coroutine survives it.
    PushGlobal(s, "error");
    lua_pushstring(L, "while suspended");
    EXPECT_NE(s.RunFunction(1, 0), 0);
    lua_settop(L, base);
    EXPECT_EQ(folder_.LogCount("while suspended"), 1);
    EXPECT_TRUE(s.IsYielded());

    // Table reads while suspended, with and without a handler.
    ASSERT_EQ(
        s.DoLuaString(
            "plain = {w = 4} handled = setmetatable({}, {__index = function(t, k) return 9 end})"),
        0);
    std::unique_ptr<TLuaTable> plain(s.GetGlobalTable("plain"));
    std::unique_ptr<TLuaTable> handled(s.GetGlobalTable("handled"));
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(handled, nullptr);
    EXPECT_EQ(plain->GetNumber("w", 0), 4);
    EXPECT_EQ(handled->GetNumber("w", 0), 9);
    EXPECT_EQ(lua_gettop(L), base);
    EXPECT_TRUE(s.IsYielded());

    // The coroutine resumes as before.
    EXPECT_EQ(s.Resume(0), 0);
    EXPECT_EQ(Global(s, "resumed"), "1");
    EXPECT_TRUE(s.IsYielded());
    EXPECT_EQ(s.Resume(0), 0);
    EXPECT_EQ(Global(s, "resumed"), "2");
}

// When the globals refuse the definition of "GetClosure", a call while
// suspended fails cleanly: one error value in place of the function and its
// arguments, reported, and the coroutine untouched.
TEST_F(ScriptTest, CallWhileSuspendedWhenGetClosureCannotBeDefined)
{
    TScript s;
    lua_State* L = s.GetState();
    ASSERT_EQ(
        s.DoLuaString(
            "function Add(a, b) return a + b end\n"
            "setmetatable(_G, {__newindex = function(t, k) error('no new global ' .. k) end})"),
        0);
    ASSERT_TRUE(s.RunScript(folder_.Write("wait.lua", kWaitingScript)));
    ASSERT_TRUE(s.IsYielded());
    lua_settop(L, 0);
    PushGlobal(s, "Add");
    lua_pushnumber(L, 2);
    lua_pushnumber(L, 3);
    EXPECT_NE(s.RunFunction(2, 1), 0);
    EXPECT_EQ(lua_gettop(L), 1);
    EXPECT_EQ(folder_.LogCount("no new global GetClosure"), 1);
    EXPECT_EQ(Global(s, "GetClosure"), "<nil>");
    EXPECT_TRUE(s.IsYielded());
}

// A call made while the coroutine is suspended runs on a scratch coroutine;
// a table argument it hands to a binding stays readable until the next run,
// collections in between included.
TLuaTable* gKeptTable = nullptr;
void KeepTable(TLuaTable* t)
{
    gKeptTable = t;
}

TEST_F(ScriptTest, TableArgumentOfACallWhileSuspendedOutlivesTheScratchCoroutine)
{
    TScript s;
    lua_State* L = s.GetState();
    LuaBindFunction(L, "Keep", &KeepTable);
    ASSERT_TRUE(s.RunScript(folder_.Write("wait.lua", kWaitingScript)));
    ASSERT_EQ(s.DoLuaString("function K(n) Keep({x = n}) end"), 0);
    ASSERT_TRUE(s.IsYielded());
    gKeptTable = nullptr;
    PushGlobal(s, "K");
    lua_pushnumber(L, 8);
    ASSERT_EQ(s.RunFunction(1, 0), 0);
    ASSERT_NE(gKeptTable, nullptr);
    lua_setgcthreshold(L, 0);
    lua_setgcthreshold(L, 0);
    EXPECT_EQ(gKeptTable->GetNumber("x", 0), 8);
    EXPECT_EQ(s.GetTemporaryCount(), 1);
    ASSERT_EQ(s.DoLuaString("x = 1"), 0);
    EXPECT_EQ(s.GetTemporaryCount(), 0);
    EXPECT_TRUE(s.IsYielded());
}

// Takes closures the way the window system does: the pending yield returns
// nil and the closure.
class TakingScript : public TScript
{
public:
    bool PassClosure() override
    {
        ++offers;
        lua_State* L = GetState();
        lua_pushnil(L);
        lua_insert(L, -2);
        return Resume(2) == 0;
    }
    int offers = 0;
};

TEST_F(ScriptTest, PassClosureHandsTheCallToTheSuspendedCoroutine)
{
    TakingScript s;
    lua_State* L = s.GetState();
    ASSERT_TRUE(s.RunScript(folder_.Write("wait.lua", kWaitingScript)));
    ASSERT_EQ(s.DoLuaString(
                  "function Add(a, b, c, d, e, f, g) sum = a + b + c + d + e + f + (g or 0) end"),
              0);
    int offersAfterText = s.offers;
    EXPECT_GE(offersAfterText, 1);  // the text itself ran inside the coroutine
    lua_settop(L, 0);
    PushGlobal(s, "Add");
    for (int i = 1; i <= 7; ++i) lua_pushnumber(L, i);
    EXPECT_EQ(s.RunFunction(7, 0), 0);
    EXPECT_EQ(s.offers, offersAfterText + 1);
    EXPECT_EQ(Global(s, "sum"), "21");  // only the first six arguments travel
    EXPECT_TRUE(s.IsYielded());
}

TEST_F(ScriptTest, ResultFunctionIsNotResumedInsideARunningCall)
{
    static TScript* script = nullptr;
    TScript s;
    script = &s;
    struct Inner
    {
        static int Run(lua_State* L)
        {
            script->DoLuaString("return function() inner = 1 end");
            lua_pushnumber(L, lua_tonumber(L, 1));
            return 1;
        }
    };
    LuaBindFunction(s.GetState(), "RunInner", &Inner::Run);
    ASSERT_EQ(s.DoLuaString("local a = 5 got = RunInner(7) result = a + 1"), 0);
    EXPECT_EQ(Global(s, "got"), "7");  // the native call's own stack survived
    EXPECT_EQ(Global(s, "result"), "6");
    EXPECT_EQ(Global(s, "inner"), "<nil>");
    EXPECT_EQ(folder_.LogCount("lua_resume error: cannot resume non-suspended coroutine"), 1);
    EXPECT_EQ(s.GetOverdue(), -1);
}

TEST_F(ScriptTest, PopHelpers)
{
    TScript s;
    lua_State* L = s.GetState();
    struct Case
    {
        const char* expr;
        bool value;
        const char* log;  // expected log text, or null
    };
    const Case cases[] = {
        {"nil", false, nullptr},
        {"true", true, nullptr},
        {"false", false, nullptr},
        {"0", false, nullptr},
        {"2.5", true, nullptr},
        {"'yes'", false, "PopBool used on lua string yes"},
        {"{}", false, "PopBool used on a type that isn't a number, a boolean, or nil. (type: 5)"},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(s.DoLuaString(TString((std::string("return ") + c.expr).c_str()), -1, 1), 0);
        ASSERT_EQ(lua_gettop(L), 1);
        EXPECT_EQ(s.PopBool(), c.value) << c.expr;
        EXPECT_EQ(lua_gettop(L), 0) << c.expr;
        if (c.log != nullptr)
        {
            EXPECT_EQ(folder_.LogCount(c.log), 1) << c.expr;
        }
    }
    EXPECT_FALSE(s.PopBool());  // empty stack: nothing to pop

    ASSERT_EQ(s.DoLuaString("return '12', 'text', {0.5, 1, 'x'}, 7", -1, 4), 0);
    EXPECT_EQ(s.PopNumber(), 7);
    TFloatVector4 c = s.PopColor();
    EXPECT_FLOAT_EQ(c.x, 0.5f);
    EXPECT_FLOAT_EQ(c.y, 1.0f);
    EXPECT_FLOAT_EQ(c.z, 0.0f);
    EXPECT_FLOAT_EQ(c.w, 0.0f);
    EXPECT_STREQ(s.PopString().CStr(), "text");
    EXPECT_EQ(s.PopNumber(), 12);
    EXPECT_EQ(lua_gettop(L), 0);
    lua_pushnumber(L, 3);
    c = s.PopColor();  // not a table: zeros, still popped
    EXPECT_FLOAT_EQ(c.x, 0.0f);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(ScriptTest, GlobalHelpers)
{
    TScript s;
    lua_State* L = s.GetState();
    lua_pushnumber(L, 99);  // helpers leave whatever is there
    s.SetGlobalString("name", "value");
    s.SetGlobalNumber("count", 4.5);
    EXPECT_EQ(Global(s, "name"), "value");
    EXPECT_EQ(s.GetGlobalNumber("count"), 4.5);
    EXPECT_EQ(s.GetGlobalNumber("absent"), 0);
    EXPECT_EQ(s.GetGlobalTable("count"), nullptr);
    ASSERT_EQ(s.DoLuaString("conf = {w = 3}"), 0);
    std::unique_ptr<TLuaTable> conf(s.GetGlobalTable("conf"));
    ASSERT_NE(conf, nullptr);
    EXPECT_EQ(conf->GetNumber("w", 0), 3);
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(ScriptTest, ChildScriptSharesGlobalsAndDefersTheMainTemporaries)
{
    static TLuaTable* kept = nullptr;
    TScript main;
    lua_State* L = main.GetState();
    struct Keep
    {
        static void Table(TLuaTable* t) { kept = t; }
    };
    LuaBindFunction(L, "Keep", &Keep::Table);

    TScript* child = main.NewThread();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsChild());
    EXPECT_EQ(TScript::FromState(child->GetState()), &main);
    ASSERT_EQ(child->DoLuaString("childran = 1 Keep({x = 8})"), 0);
    EXPECT_EQ(Global(main, "childran"), "1");
    // The argument table went to the main script's temporaries.
    ASSERT_EQ(main.GetTemporaryCount(), 1);
    delete child;
    EXPECT_EQ(main.GetTemporaryCount(), 1);
    EXPECT_EQ(kept->GetNumber("x", 0), 8);
    // The coroutine the table was made on can be collected first.
    lua_setgcthreshold(L, 0);
    main.DeleteTemporaries();
    EXPECT_EQ(main.GetTemporaryCount(), 0);
    EXPECT_EQ(TScript::FromState(L), &main);
}

TEST_F(ScriptTest, TemporariesGoBeforeTheNextRun)
{
    TScript s;
    lua_State* L = s.GetState();
    lua_newtable(L);
    auto* t = new TLuaTable(L);
    EXPECT_TRUE(t->AutoDelete());
    EXPECT_EQ(s.GetTemporaryCount(), 1);
    ASSERT_EQ(s.DoLuaString("x = 1"), 0);
    EXPECT_EQ(s.GetTemporaryCount(), 0);
}

// Scripts read "_SCRIPT" as before, but overwriting it neither loses the
// state's script (a table argument would be freed at once while the binding
// still held it) nor names another object as the script.
TEST_F(ScriptTest, ScriptsCannotReplaceTheStatesScript)
{
    for (const char* text :
         {"_SCRIPT = nil", "_SCRIPT = 5", "_SCRIPT = {}", "_SCRIPT = print", "_SCRIPT = \"text\"",
          "setmetatable(_G, {__index = function() end}) _SCRIPT = nil"})
    {
        SCOPED_TRACE(text);
        TScript s;
        lua_State* L = s.GetState();
        LuaBindFunction(L, "Keep", &KeepTable);
        ASSERT_EQ(s.DoLuaString("seen = type(_SCRIPT)"), 0);
        EXPECT_EQ(Global(s, "seen"), "userdata");
        ASSERT_EQ(s.DoLuaString(text), 0);
        EXPECT_EQ(TScript::FromState(L), &s);
        gKeptTable = nullptr;
        ASSERT_EQ(s.DoLuaString("Keep({x = 3})"), 0);
        ASSERT_NE(gKeptTable, nullptr);
        EXPECT_EQ(s.GetTemporaryCount(), 1);
        EXPECT_EQ(gKeptTable->GetNumber("x", 0), 3);
    }
}

void* RefuseAll(void*, void*, size_t, size_t, int, int)
{
    return nullptr;
}

TEST_F(ScriptTest, ScriptWithoutAStateFailsEveryRun)
{
    void* ud = nullptr;
    lua_Alloc previous = lua_getallocator(&ud);
    lua_setallocator(&RefuseAll, nullptr);
    TScript s;
    lua_setallocator(previous, ud);
    EXPECT_EQ(s.GetState(), nullptr);
    EXPECT_EQ(folder_.LogCount("TScript: cannot open a script state"), 1);
    EXPECT_NE(s.DoLuaString("x = 1"), 0);
    EXPECT_FALSE(s.RunScript(folder_.Write("a.lua", "x = 1")));
    EXPECT_NE(s.RunFunction(0, 0), 0);
    EXPECT_NE(s.Resume(0), 0);
    EXPECT_EQ(s.NewThread(), nullptr);
    EXPECT_FALSE(s.IsYielded());
    EXPECT_FALSE(s.PopBool());
    EXPECT_EQ(s.GetGlobalTable("x"), nullptr);
    EXPECT_TRUE(s.DoTask());
}

TEST_F(ScriptTest, RunFunctionWithoutAFunctionTouchesNothing)
{
    TScript s;
    lua_pushnumber(s.GetState(), 1);
    EXPECT_EQ(s.RunFunction(3, 0), LUA_ERRRUN);
    EXPECT_EQ(lua_gettop(s.GetState()), 1);
}

TEST_F(ScriptTest, DoLuaStringPublishesTheSearchPath)
{
    TScript s;
    EXPECT_STREQ(GetScriptSearchPath().CStr(), "assets/?;?;../?;../../?");
    ASSERT_EQ(s.DoLuaString("seen = LUA_PATH"), 0);
    EXPECT_EQ(Global(s, "seen"), "assets/?;?;../?;../../?");
    // Quotes and backslashes arrive unchanged.
    SetScriptSearchPath("it's\\here/?");
    ASSERT_EQ(s.DoLuaString("seen = LUA_PATH"), 0);
    EXPECT_EQ(Global(s, "seen"), "it's\\here/?");
    SetScriptSearchPath("assets/?;?;../?;../../?");
}

TEST_F(ScriptTest, AnchorsHoldUnderCollectionAtEveryStep)
{
    TakingScript s;
    lua_State* L = s.GetState();
    GCSetStress(L, 1);
    ASSERT_TRUE(s.RunScript(folder_.Write("wait.lua", kWaitingScript)));
    ASSERT_EQ(
        s.DoLuaString("function Add(a, b) sum = a + b end conf = {list = {1, 2, 3}, name = 'n'}"),
        0);
    PushGlobal(s, "Add");
    lua_pushnumber(L, 20);
    lua_pushnumber(L, 22);
    EXPECT_EQ(s.RunFunction(2, 0), 0);
    EXPECT_EQ(s.GetGlobalNumber("sum"), 42);
    std::unique_ptr<TLuaTable> conf(s.GetGlobalTable("conf"));
    ASSERT_NE(conf, nullptr);
    std::unique_ptr<TLuaTable> list(conf->GetTable("list"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(s.DoLuaString("conf = nil collectgarbage()"), 0);
    TLuaObjectWrapper* key = nullptr;
    double total = 0;
    while (TLuaObjectWrapper* value = list->Next(key))
    {
        value->Push();
        total += lua_tonumber(L, -1);
        lua_pop(L, 1);
        delete value;
    }
    EXPECT_EQ(total, 6);
    EXPECT_STREQ(conf->GetString("name", "").CStr(), "n");
    TScript* child = s.NewThread();
    ASSERT_EQ(child->DoLuaString("fromchild = 1"), 0);
    delete child;
    GCSetStress(L, 0);
}

}  // namespace
