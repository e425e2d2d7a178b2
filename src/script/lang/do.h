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
struct LuaThrow
{
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

inline void DoCheckStack(lua_State* L, int n)
{
    if (reinterpret_cast<char*>(L->stack_last) - reinterpret_cast<char*>(L->top) <=
        static_cast<ptrdiff_t>(n * sizeof(TValue)))
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

// The two halves of a script call shared by DoPreCall/DoPosCall and the
// interpreter loop's inlined calls and returns, so both keep one behaviour.
//
// Opens p's frame at base (the slot above the function) in record ci, which
// the caller has already made current: the frame starts at the function's
// first instruction with every register above the arguments nil. The caller
// has made room for p->maxstacksize slots and cut surplus arguments.
inline void DoOpenScriptFrame(lua_State* L, CallInfo* ci, StkId base, const Proto* p)
{
    L->base = ci->base = base;
    ci->top = base + p->maxstacksize;
    ci->savedpc = p->code;
    ci->tailcalls = 0;
    ci->state = CI_SAVEDPC;
    for (StkId t = L->top; t < ci->top; t++) t->SetNil();
    L->top = ci->top;
}

// Opens a native function's frame at base in record ci, made current by the
// caller, which has made room for LUA_MINSTACK slots above the top.
inline void DoOpenNativeFrame(lua_State* L, CallInfo* ci, StkId base)
{
    L->base = ci->base = base;
    ci->top = L->top + LUA_MINSTACK;
    ci->state = CI_C;
    ci->savedpc = nullptr;
    ci->tailcalls = 0;
}

// Pops the running record and moves the results from firstResult up to top
// into the slots from res (where the function was): wanted of them, padded
// with nil (LUA_MULTRET: all). The caller has made room for them.
inline void DoCloseFrame(lua_State* L, StkId res, StkId firstResult, int wanted)
{
    L->ci--;
    L->base = L->ci->base;
    if (wanted == 1 && firstResult < L->top)
    {
        // One value wanted and given: a call inside an expression.
        *res = *firstResult;
        L->top = res + 1;
        return;
    }
    for (; wanted != 0 && firstResult < L->top; wanted--) *res++ = *firstResult++;
    for (; wanted > 0; wanted--) (res++)->SetNil();
    L->top = res;
}

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
