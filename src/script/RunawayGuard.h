// TRunawayGuard: every entry from native code into script code runs under
// one, so that a script that never returns cannot hold the main thread for
// good. While one is active, the state's loop-counting hook reads the clock
// every kRunawayGuardSteps jumps and calls; a script that has run past its
// time budget (the setting "scripttimebudget", in seconds) without returning
// or yielding, or that runs while a termination from outside waits, is
// stopped with an error at the point it had reached, which its caller's usual
// failure path reports.
#pragma once

#include "script/lang/lua.h"

// Jumps and script-function entries between two looks at the clock.
inline constexpr int kRunawayGuardSteps = 1000;
// The budget when the setting is not set.
inline constexpr double kDefaultScriptTimeBudget = 10.0;

class TRunawayGuard
{
public:
    // Starts a budget when no other guard is active; installs the hook on L
    // unless L already has a hook (someone else's, which is left alone).
    explicit TRunawayGuard(lua_State* L);
    // Removes the hook it installed.
    ~TRunawayGuard();
    TRunawayGuard(const TRunawayGuard&) = delete;
    TRunawayGuard& operator=(const TRunawayGuard&) = delete;

private:
    lua_State* L_;
    bool installed_ = false;
};
