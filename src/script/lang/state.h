// Script states: the global state shared by a main thread and its coroutines,
// the per-thread stack with its call records, and the limits they obey.
//
// Making a state returns NULL on failure; everything else raises errors
// through do.h.
#pragma once

#include <cstddef>

#include "script/lang/meta.h"
#include "script/lang/object.h"
#include "script/lang/stream.h"

// Stack and call-record limits.
#define EXTRA_STACK 5
#define BASIC_CI_SIZE 8
#define BASIC_STACK_SIZE (2 * LUA_MINSTACK)  // 40 slots (+5 spare)
#define LUA_MAXCALLS 4096                    // call records
#define LUA_MAXCCALLS 200                    // nested native calls

// Call-record state bits.
#define CI_C 1         // native function
#define CI_HASFRAME 2  // an interpreter loop is running it
#define CI_CALLING 4   // calling another script function
#define CI_SAVEDPC 8   // savedpc is valid
#define CI_YIELD 16    // suspended by a yield

struct CallInfo
{
    StkId base;  // base of this function's frame
    StkId top;   // top for this function
    int state;
    const Instruction* savedpc;
    int tailcalls;  // tail calls lost under this record
    // While state has CI_CALLING: the constants of the running function, kept
    // by the interpreter loop so a return resumes the caller without reading
    // them back through its closure.
    TValue* k;
};

struct StringTable
{
    GCObject** hash;
    uint32_t nuse;  // strings in the table
    int size;       // buckets (a power of two)
};

// An open-addressing map from the address of a static text to its fixed
// string (a power-of-two size, at most half full).
struct StaticStrings
{
    const char** keys;
    LString** strings;
    int size;
    int count;
};

struct global_State
{
    StringTable strt;
    lua_Alloc frealloc;
    void* ud;
    GCObject* rootgc;     // every collectable object but strings and userdata
    GCObject* rootudata;  // full userdata
    GCObject* tmudata;    // userdata awaiting their __gc handler
    TextBuffer buff;      // shared text buffer
    size_t GCthreshold;
    size_t nblocks;  // bytes in use
    lua_CFunction panic;
    TValue registry;
    Table* defaultmeta;  // shared default metatable (its own metatable)
    lua_State* mainthread;
    LString* tmname[TM_N];          // event names
    TValue typemt[NUM_TYPE_SLOTS];  // per-type tables
    size_t udatasize;               // bytes of userdata awaiting finalisation
    int gcstress;                   // test switch: collect at every check
    int nresumes;                   // lua_resume calls nested on the native stack
    StaticStrings statics;          // strings of lua_pushstaticstring, by text address
    lua_RefRelease refrelease;      // releases what a freed owned reference holds
    Table* refmeta;                 // metatable of owned references
};

// Hook-mask bit set when a loop-counting hook's count has run out: the hook
// runs before the next instruction.
constexpr int kHookCountDue = 1 << 6;
// The hook-mask bits that the interpreter loop tests before every instruction.
constexpr int kHookEachStep = LUA_MASKLINE | LUA_MASKCOUNT | kHookCountDue;

struct lua_State : GCObject
{
    StkId top;   // first free slot
    StkId base;  // base of the running function
    global_State* l_G;
    CallInfo* ci;      // running call record
    StkId stack_last;  // last usable slot
    StkId stack;
    int stacksize;
    CallInfo* end_ci;  // one past the last usable record
    CallInfo* base_ci;
    unsigned short size_ci;
    unsigned short nCcalls;  // nested native calls
    lu_byte hookmask;  // LUA_MASK* bits, and kHookCountDue
    lu_byte allowhook;
    lu_byte hookinit;
    int basehookcount;
    int hookcount;
    lua_Hook hook;
    TValue _gt;           // table of globals
    GCObject* openupval;  // open upvalues, highest slot first
    GCObject* gclist;
    int nprotected;     // protected calls active on this thread
    ptrdiff_t errfunc;  // error handler (stack offset) or 0
    int allocflag;
    int status;  // 0, or LUA_YIELD... kept by resume (see do.cpp)
};

#define G(L) ((L)->l_G)
#define registry(L) (&G(L)->registry)
#define gt(L) (&(L)->_gt)

inline void TValue::SetTh(lua_State* th)
{
    value.gc = th;
    tt = LUA_TTHREAD;
}

// Stack slots of a saved offset, for pointers kept across reallocations.
inline ptrdiff_t SaveStack(lua_State* L, StkId p)
{
    return reinterpret_cast<char*>(p) - reinterpret_cast<char*>(L->stack);
}
inline StkId RestoreStack(lua_State* L, ptrdiff_t n)
{
    return reinterpret_cast<StkId>(reinterpret_cast<char*>(L->stack) + n);
}
inline ptrdiff_t SaveCI(lua_State* L, CallInfo* p)
{
    return reinterpret_cast<char*>(p) - reinterpret_cast<char*>(L->base_ci);
}
inline CallInfo* RestoreCI(lua_State* L, ptrdiff_t n)
{
    return reinterpret_cast<CallInfo*>(reinterpret_cast<char*>(L->base_ci) + n);
}

// A new coroutine thread sharing L's globals.
lua_State* ThreadNew(lua_State* L);
void ThreadFree(lua_State* L, lua_State* L1);
