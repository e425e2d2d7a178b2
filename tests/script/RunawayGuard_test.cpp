// The runaway guard: scripts entered from native code that never return or
// yield are stopped with an error once their time budget is spent (or at
// once when the program is asked to end), and the script host carries on.
#include "script/RunawayGuard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "HostTestSupport.h"
#include "core/AssetManager.h"
#include "core/MainLoopWatch.h"
#include "core/MonotonicMs.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

int Now(lua_State* L)
{
    lua_pushnumber(L, MonotonicMs());
    return 1;
}

int Pass(lua_State*)
{
    MarkEventPass();
    return 0;
}

bool gTerminating = false;
bool Terminating()
{
    return gTerminating;
}

class RunawayGuardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetGlobalAssetManager(&assets_);
        SetSetting(kSettingScriptTimeBudget, "0.2");
        gTerminating = false;
        lua_register(script_.GetState(), "Now", Now);
        lua_register(script_.GetState(), "Pass", Pass);
    }
    void TearDown() override { SetGlobalAssetManager(nullptr); }

    // The script still runs code after what went before.
    void ExpectStillWorks()
    {
        EXPECT_EQ(script_.DoLuaString("afterwards = 1"), 0);
        EXPECT_EQ(script_.GetGlobalNumber("afterwards"), 1);
        script_.DoLuaString("afterwards = nil");
    }

    hosttest::TempFolder folder_;
    TAssetManager assets_;
    TScript script_;
};

TEST_F(RunawayGuardTest, EveryEntryStopsARunawayScript)
{
    const TString loopFile = folder_.Write("loop.lua", "local n = 0\nwhile true do n = n + 1 end\n");
    struct Case
    {
        const char* what;
        std::function<bool(TScript&)> run;  // true when the entry reported a failure
        const char* where;                  // the position named in the log
    } const cases[] = {
        {"file run", [&](TScript& s) { return !s.RunScript(loopFile); }, "loop.lua:2:"},
        {"text run", [](TScript& s) { return s.DoLuaString("local x = 0\nrepeat x = x + 1 until false") != 0; },
         ":2:"},
        {"function call",
         [](TScript& s)
         {
             s.DoLuaString("function Spin()\n  for i = 1, 1e300 do end\nend");
             lua_State* L = s.GetState();
             lua_pushstring(L, "Spin");
             lua_gettable(L, LUA_GLOBALSINDEX);
             return s.RunFunction(0, 0) != 0;
         },
         ":2:"},
        {"endless tail recursion",
         [](TScript& s) { return s.DoLuaString("local function f()\n  return f()\nend\nf()") != 0; },
         ":"},
        {"coroutine that loops after a yield",
         [](TScript& s)
         {
             if (s.DoLuaString("return function()\n  coroutine.yield()\n  while true do end\nend") != 0)
                 return false;
             if (!s.IsYielded()) return false;
             return s.Resume(0) != 0 && !s.IsYielded();
         },
         ":3:"},
        {"coroutine made by the script",
         [](TScript& s)
         {
             return s.DoLuaString("local co = coroutine.create(function()\n  while true do end\nend)\n"
                                  "local ok, err = coroutine.resume(co)\nerror(err, 0)") != 0;
         },
         ":2:"},
        {"table handler read from native code",
         [](TScript& s)
         {
             s.DoLuaString("t = setmetatable({}, { __index = function()\n  while true do end\nend })");
             std::unique_ptr<TLuaTable> t(s.GetGlobalTable("t"));
             if (!t) return false;
             return t->GetString("x", "fallback") == TString("fallback");
         },
         ":2:"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const int before = folder_.LogCount("script ran longer than 0.2 s");
        EXPECT_TRUE(c.run(script_));
        EXPECT_EQ(folder_.LogCount("script ran longer than 0.2 s"), before + 1) << folder_.Log();
        EXPECT_NE(folder_.Log().find(c.where), std::string::npos) << folder_.Log();
        EXPECT_EQ(lua_gethook(script_.GetState()), nullptr);
        ExpectStillWorks();
    }
}

// Twice the budget in all, but each resume yields within it.
TEST_F(RunawayGuardTest, ScriptThatYieldsInTimeIsNeverStopped)
{
    ASSERT_EQ(script_.DoLuaString("return function()\n"
                                  "  while true do\n"
                                  "    local start = Now()\n"
                                  "    while Now() - start < 100 do end\n"
                                  "    coroutine.yield()\n"
                                  "  end\n"
                                  "end"),
              0);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(script_.Resume(0), 0);
        EXPECT_TRUE(script_.IsYielded());
    }
    EXPECT_EQ(folder_.LogCount("ran longer"), 0) << folder_.Log();
}

// A dialog held open from inside a script runs the event loop: each pass
// starts a new budget for the scripts it runs.
TEST_F(RunawayGuardTest, EventLoopPassStartsANewBudget)
{
    EXPECT_EQ(script_.DoLuaString("local start = Now()\n"
                                  "while Now() - start < 500 do\n"
                                  "  local step = Now()\n"
                                  "  while Now() - step < 50 do end\n"
                                  "  Pass()\n"
                                  "end"),
              0);
    EXPECT_EQ(folder_.LogCount("ran longer"), 0) << folder_.Log();
}

TEST_F(RunawayGuardTest, TerminationStopsTheScriptAtOnce)
{
    SetSetting(kSettingScriptTimeBudget, "1000");
    SetTerminationCheck(&Terminating);
    EXPECT_EQ(script_.DoLuaString("for i = 1, 100000 do end\ndone = 1"), 0);
    EXPECT_EQ(script_.GetGlobalNumber("done"), 1);
    gTerminating = true;
    EXPECT_NE(script_.DoLuaString("while true do end"), 0);
    EXPECT_EQ(folder_.LogCount("script stopped: the program is ending"), 1) << folder_.Log();
    SetTerminationCheck(nullptr);
}

// A hook set by someone else stays, and the guard adds none of its own.
TEST_F(RunawayGuardTest, ExistingHookIsLeftAlone)
{
    static int lines = 0;
    lines = 0;
    lua_Hook mine = [](lua_State*, lua_Debug*) { ++lines; };
    lua_sethook(script_.GetState(), mine, LUA_MASKLINE, 0);
    EXPECT_EQ(script_.DoLuaString("local a = 1\nlocal b = 2\n"), 0);
    EXPECT_GE(lines, 2);
    EXPECT_EQ(lua_gethook(script_.GetState()), mine);
    EXPECT_EQ(lua_gethookmask(script_.GetState()), LUA_MASKLINE);
    lua_sethook(script_.GetState(), nullptr, 0, 0);
}

TEST_F(RunawayGuardTest, ZeroBudgetMeansNoLimit)
{
    SetSetting(kSettingScriptTimeBudget, "0");
    EXPECT_EQ(script_.DoLuaString("local start = Now()\nwhile Now() - start < 300 do end"), 0);
    EXPECT_EQ(folder_.LogCount("ran longer"), 0) << folder_.Log();
}

}  // namespace
