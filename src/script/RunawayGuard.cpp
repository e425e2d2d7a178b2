// The runaway guard: the budget of the outermost script run and its hook.
#include "script/RunawayGuard.h"

#include "core/MainLoopWatch.h"
#include "core/MonotonicMs.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/String.h"
#include "script/lib/auxlib.h"

namespace
{

// How often, at most, the hook asks the window system about a termination:
// often enough to end within a second, rarely enough to cost nothing.
constexpr uint32_t kTerminationCheckMs = 50;

int gDepth = 0;
uint32_t gBudgetStartMs = 0;
uint32_t gBudgetMs = 0;  // 0: no limit
double gBudgetSeconds = 0;
uint32_t gEventPassAtStart = 0;
uint32_t gLastTerminationCheckMs = 0;

void StartBudget()
{
    gBudgetStartMs = MonotonicMs();
    gEventPassAtStart = GetEventPassCount();
    gLastTerminationCheckMs = gBudgetStartMs;
}

// Raises the error at the point the script had reached ("file:line: ...").
[[noreturn]] void Stop(lua_State* L, const char* text)
{
    luaL_where(L, 0);
    lua_pushstring(L, text);
    lua_concat(L, 2);
    lua_error(L);
    __builtin_unreachable();
}

void GuardHook(lua_State* L, lua_Debug*)
{
    if (gDepth == 0) return;  // a thread left hooked after its run
    const uint32_t now = MonotonicMs();
    // A modal loop run from inside a script (a dialog held open) is the game
    // running, not the script: each of its passes starts a new budget.
    if (GetEventPassCount() != gEventPassAtStart)
    {
        gEventPassAtStart = GetEventPassCount();
        gBudgetStartMs = now;
    }
    if (now - gLastTerminationCheckMs >= kTerminationCheckMs)
    {
        gLastTerminationCheckMs = now;
        if (IsTerminationPending()) Stop(L, "script stopped: the program is ending");
    }
    if (gBudgetMs != 0 && now - gBudgetStartMs > gBudgetMs)
    {
        const TString text =
            TString::Format("script ran longer than %g s", gBudgetSeconds);
        Stop(L, text.CStr());
    }
}

}  // namespace

TRunawayGuard::TRunawayGuard(lua_State* L) : L_(L)
{
    if (gDepth++ == 0)
    {
        const TString setting = GetSetting(kSettingScriptTimeBudget);
        gBudgetSeconds = setting.IsEmpty() ? kDefaultScriptTimeBudget : setting.ToFloat();
        // Half the clock's range at most, so that the difference of two
        // readings always compares right.
        constexpr double kLongestMs = 2147483647.0;
        const double ms = gBudgetSeconds * 1000.0;
        gBudgetMs = ms <= 0 ? 0 : ms >= kLongestMs ? 0x7fffffffu : static_cast<uint32_t>(ms + 0.5);
        if (ms > 0 && gBudgetMs == 0) gBudgetMs = 1;
        StartBudget();
    }
    if (L_ != nullptr && lua_gethook(L_) == nullptr)
    {
        lua_sethook(L_, GuardHook, LUA_MASKLOOP, kRunawayGuardSteps);
        installed_ = true;
    }
}

TRunawayGuard::~TRunawayGuard()
{
    if (installed_ && lua_gethook(L_) == GuardHook) lua_sethook(L_, nullptr, 0, 0);
    --gDepth;
}
