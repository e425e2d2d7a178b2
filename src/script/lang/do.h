// Stack growth, calls, error unwinding and protected execution, coroutine
// resume support and chunk loading.
//
// Errors unwind as a C++ exception (LuaThrow) to the innermost protected call,
// so destructors of host code run. With no protected call active the panic
// function runs and the process exits with status 1.
#pragma once

#include <cstddef>

#include "script/lang/state.h"

// The object thrown by every script error; the error value is on the stack.
struct LuaThrow {
  int status;
};

// Raises status with the error value on the stack top (or the fixed texts of
// LUA_ERRMEM / LUA_ERRERR, set by the catcher).
[[noreturn]] void DoThrow(lua_State* L, int status);

// Ensures n free slots above top (the stack may move).
inline void DoCheckStack(lua_State* L, int n);
void DoGrowStack(lua_State* L, int n);
void DoReallocStack(lua_State* L, int newsize);
void DoReallocCI(lua_State* L, int newsize);
// Advances top after a push, growing the stack when it reaches the limit.
void DoIncrTop(lua_State* L);

inline void DoCheckStack(lua_State* L, int n) {
  if (reinterpret_cast<char*>(L->stack_last) - reinterpret_cast<char*>(L->top) <= static_cast<ptrdiff_t>(n * sizeof(TValue)))
    DoGrowStack(L, n);
}

// Calls: func is the slot of the function with its arguments above it (a
// non-function goes through its "__call" handler).
// DoPreCall returns NULL for a script function: its record is pushed and the
// caller's interpreter loop runs it. For a native function it runs it and
// returns the first of its results, with its record still current: when
// L->ci->state has CI_YIELD it yielded, otherwise DoPosCall completes it.
StkId DoPreCall(lua_State* L, StkId func);
// Moves results from firstResult to the caller's frame, nresults wanted
// (LUA_MULTRET for all), pops the call record.
void DoPosCall(lua_State* L, int wanted, StkId firstResult);
// Full call (runs a fresh interpreter loop for script functions). Counts
// nested native calls: 200 raises "C stack overflow".
void DoCall(lua_State* L, StkId func, int nResults);

typedef void (*Pfunc)(lua_State* L, void* ud);
// Runs f under protection; returns 0 or the error status. Restores top to
// oldtop and the call records on error, with the error value at oldtop.
int DoPCall(lua_State* L, Pfunc f, void* u, ptrdiff_t oldtop, ptrdiff_t ef);
// Runs f under protection without restoring anything (state set-up).
int DoRawRunProtected(lua_State* L, Pfunc f, void* ud);

// Compiles (bin: undumps) a chunk from z and pushes its closure.
int DoProtectedParser(lua_State* L, Stream* z, int bin);

// Hooks.
void DoCallHook(lua_State* L, int event, int line);

// Sets the error value for status at oldtop.
void DoSetErrorObj(lua_State* L, int errcode, StkId oldtop);

// The body of lua_resume / lua_yield.
int DoResume(lua_State* L, int nargs);
int DoYield(lua_State* L, int nresults);
