// Stack growth, calls and returns, error unwinding, protected execution,
// coroutine resume/yield and chunk loading.
#include "script/lang/do.h"

#include <cstdlib>
#include <new>

#include "script/lang/debug.h"
#include "script/lang/dump.h"
#include "script/lang/func.h"
#include "script/lang/gc.h"
#include "script/lang/memory.h"
#include "script/lang/opcodes.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"
#include "script/lang/vm.h"

// ---------------------------------------------------------------------------
// Errors

void DoSetErrorObj(lua_State* L, int errcode, StkId oldtop)
{
    switch (errcode)
    {
        case LUA_ERRMEM:
            oldtop->SetStr(StrNewZ(L, "not enough memory"));  // fixed: no allocation
            break;
        case LUA_ERRERR:
            oldtop->SetStr(StrNewZ(L, "error in error handling"));  // fixed too
            break;
        case LUA_ERRSYNTAX:
        case LUA_ERRRUN:
        default:
            *oldtop = *(L->top - 1);
            break;
    }
    L->top = oldtop + 1;
}

void DoThrow(lua_State* L, int status)
{
    if (L->nprotected > 0) throw LuaThrow{status};
    // No protected call anywhere: the host asked for this outcome.
    if (G(L)->panic) G(L)->panic(L);
    std::exit(EXIT_FAILURE);
}

int DoRawRunProtected(lua_State* L, Pfunc f, void* ud)
{
    // The counters come back however f leaves, a foreign exception from host
    // code included, so later errors still find (or miss) their catcher.
    struct Guard
    {
        lua_State* L;
        unsigned short nCcalls;
        ~Guard()
        {
            L->nprotected--;
            L->nCcalls = nCcalls;
        }
    } guard{L, L->nCcalls};
    L->nprotected++;
    int status = 0;
    try
    {
        f(L, ud);
    }
    catch (const LuaThrow& e)
    {
        status = e.status;
    }
    catch (const std::bad_alloc&)
    {
        status = LUA_ERRMEM;
    }
    return status;
}

// ---------------------------------------------------------------------------
// Stack and call records

static void CorrectStack(lua_State* L, TValue* oldstack)
{
    L->top = (L->top - oldstack) + L->stack;
    for (GCObject* up = L->openupval; up != nullptr; up = up->next)
    {
        UpVal* u = static_cast<UpVal*>(up);
        u->v = (u->v - oldstack) + L->stack;
    }
    for (CallInfo* ci = L->base_ci; ci <= L->ci; ci++)
    {
        ci->top = (ci->top - oldstack) + L->stack;
        ci->base = (ci->base - oldstack) + L->stack;
    }
    L->base = L->ci->base;
}

void DoReallocStack(lua_State* L, int newsize)
{
    TValue* oldstack = L->stack;
    int realsize = newsize + 1 + EXTRA_STACK;
    MemResizeVector(L, L->stack, static_cast<size_t>(L->stacksize), static_cast<size_t>(realsize));
    for (int i = L->stacksize; i < realsize; i++) L->stack[i].SetNil();
    L->stacksize = realsize;
    L->stack_last = L->stack + newsize;
    CorrectStack(L, oldstack);
}

void DoReallocCI(lua_State* L, int newsize)
{
    CallInfo* oldci = L->base_ci;
    MemResizeVector(L, L->base_ci, L->size_ci, static_cast<size_t>(newsize));
    L->size_ci = static_cast<unsigned short>(newsize);
    L->ci = (L->ci - oldci) + L->base_ci;
    L->end_ci = L->base_ci + L->size_ci;
}

void DoGrowStack(lua_State* L, int n)
{
    if (n <= L->stacksize)
        DoReallocStack(L, 2 * L->stacksize);
    else
        DoReallocStack(L, L->stacksize + n + EXTRA_STACK);
}

void DoIncrTop(lua_State* L)
{
    if (L->top >= L->stack_last) DoGrowStack(L, 1);
    L->top++;
}

static CallInfo* GrowCI(lua_State* L)
{
    if (L->size_ci > LUA_MAXCALLS)
    {
        // Already handling an overflow: give up on the stack.
        DoThrow(L, LUA_ERRERR);
    }
    DoReallocCI(L, 2 * L->size_ci);
    if (L->size_ci > LUA_MAXCALLS) DebugRunError(L, "stack overflow");
    return ++L->ci;
}

static inline CallInfo* NextCI(lua_State* L)
{
    return (L->ci + 1 == L->end_ci) ? GrowCI(L) : ++L->ci;
}

// ---------------------------------------------------------------------------
// Hooks

void DoCallHook(lua_State* L, int event, int line)
{
    lua_Hook hook = L->hook;
    if (hook && L->allowhook)
    {
        ptrdiff_t top = SaveStack(L, L->top);
        ptrdiff_t ci_top = SaveStack(L, L->ci->top);
        lua_Debug ar;
        ar.event = event;
        ar.currentline = line;
        ar.i_ci = (event == LUA_HOOKTAILRET) ? 0 : static_cast<int>(L->ci - L->base_ci);
        DoCheckStack(L, LUA_MINSTACK);
        L->ci->top = L->top + LUA_MINSTACK;
        L->allowhook = 0;
        try
        {
            hook(L, &ar);
        }
        catch (...)
        {
            L->allowhook = 1;
            throw;
        }
        L->allowhook = 1;
        L->ci->top = RestoreStack(L, ci_top);
        L->top = RestoreStack(L, top);
    }
}

// ---------------------------------------------------------------------------
// Calls

static void AdjustVarargs(lua_State* L, int nfixargs, StkId base)
{
    int actual = static_cast<int>(L->top - base);
    if (actual < nfixargs)
    {
        DoCheckStack(L, nfixargs - actual);
        for (; actual < nfixargs; ++actual) (L->top++)->SetNil();
    }
    actual -= nfixargs;  // extra arguments go into the table "arg"
    Table* htab = TableNew(L, actual, 1);
    for (int i = 0; i < actual; i++) *TableSetNum(L, htab, i + 1) = *(L->top - actual + i);
    TValue n;
    n.SetNum(actual);
    *TableSetStr(L, htab, StrNewZ(L, "n")) = n;
    L->top -= actual;
    L->top->SetTbl(htab);
    DoIncrTop(L);
}

static StkId TryFuncTM(lua_State* L, StkId func)
{
    const TValue* tm = MetaGetByObj(L, func, TM_CALL);
    ptrdiff_t funcr = SaveStack(L, func);
    if (!tm->IsFunction()) DebugTypeError(L, func, "call");
    // Open a hole below the arguments for the handler.
    for (StkId p = L->top; p > func; p--) *p = *(p - 1);
    DoIncrTop(L);
    func = RestoreStack(L, funcr);
    *func = *tm;
    return func;
}

StkId DoPreCall(lua_State* L, StkId func)
{
    if (!func->IsFunction()) func = TryFuncTM(L, func);
    ptrdiff_t funcr = SaveStack(L, func);
    Closure* cl = func->Cl();
    if (!cl->isC)
    {
        Proto* p = AsL(cl)->p;
        if (p->is_vararg)
        {
            AdjustVarargs(L, p->numparams, func + 1);
        }
        else if (L->top > func + 1 + p->numparams)
        {
            // Extra arguments would otherwise show up in registers the code
            // expects to start as nil.
            L->top = func + 1 + p->numparams;
        }
        DoCheckStack(L, p->maxstacksize);
        CallInfo* ci = NextCI(L);
        DoOpenScriptFrame(L, ci, RestoreStack(L, funcr) + 1, p);
        return nullptr;
    }
    DoCheckStack(L, LUA_MINSTACK);
    DoOpenNativeFrame(L, NextCI(L), RestoreStack(L, funcr) + 1);
    if (L->hookmask & LUA_MASKCALL) DoCallHook(L, LUA_HOOKCALL, -1);
    int n = AsC(L->base[-1].Cl())->f(L);
    if (n < 0)
    {
        // lua_yield: the record stays, marked, for the resume to complete.
        L->ci->state = CI_C | CI_YIELD;
        return L->top;
    }
    return L->top - n;
}

static StkId CallReturnHook(lua_State* L, StkId firstResult)
{
    ptrdiff_t fr = SaveStack(L, firstResult);
    DoCallHook(L, LUA_HOOKRET, -1);
    if (!(L->ci->state & CI_C))
    {
        // Return hooks for the tail calls lost under this frame.
        while (L->ci->tailcalls--) DoCallHook(L, LUA_HOOKTAILRET, -1);
    }
    return RestoreStack(L, fr);
}

void DoPosCall(lua_State* L, int wanted, StkId firstResult)
{
    if (L->hookmask & LUA_MASKRET) firstResult = CallReturnHook(L, firstResult);
    StkId res = L->base - 1;  // results go where the function was
    if (wanted > 0 && res + wanted >= L->stack_last)
    {
        // More results wanted than the callee's frame had room for (a generic
        // for with many variables): make room before filling them in.
        ptrdiff_t resr = SaveStack(L, res), frr = SaveStack(L, firstResult);
        DoCheckStack(L, static_cast<int>(res + wanted - L->top) + 1);
        res = RestoreStack(L, resr);
        firstResult = RestoreStack(L, frr);
    }
    DoCloseFrame(L, res, firstResult, wanted);
}

void DoCall(lua_State* L, StkId func, int nResults)
{
    if (++L->nCcalls >= LUA_MAXCCALLS)
    {
        if (L->nCcalls == LUA_MAXCCALLS)
            DebugRunError(L, "C stack overflow");
        else if (L->nCcalls >= (LUA_MAXCCALLS + (LUA_MAXCCALLS >> 3)))
            DoThrow(L, LUA_ERRERR);  // error while handling the overflow
    }
    StkId firstResult = DoPreCall(L, func);
    if (firstResult == nullptr)
    {
        firstResult = VMExecute(L);
    }
    else if (L->ci->state & CI_YIELD)
    {
        // A native function yielded with a native caller: nCcalls > 0 makes
        // lua_yield refuse this, so it cannot happen.
        DebugRunError(L, "attempt to yield across metamethod/C-call boundary");
    }
    DoPosCall(L, nResults, firstResult);
    L->nCcalls--;
    GCCheck(L);
}

static void ShrinkCIToLimit(lua_State* L, void*)
{
    DoReallocCI(L, LUA_MAXCALLS);
}

// After a "stack overflow" the call records were grown past the limit to
// report it; once unwound they go back to the limit, so the next overflow is
// the same run-time error at the same depth.
static void RestoreCallLimit(lua_State* L)
{
    if (L->size_ci > LUA_MAXCALLS && (L->ci - L->base_ci) + 1 < LUA_MAXCALLS)
    {
        DoRawRunProtected(L, ShrinkCIToLimit, nullptr);  // a refused shrink keeps the larger array
    }
}

int DoPCall(lua_State* L, Pfunc func, void* u, ptrdiff_t oldtop, ptrdiff_t ef)
{
    unsigned short oldnCcalls = L->nCcalls;
    ptrdiff_t old_ci = SaveCI(L, L->ci);
    lu_byte old_allowhooks = L->allowhook;
    ptrdiff_t old_errfunc = L->errfunc;
    L->errfunc = ef;
    int status = DoRawRunProtected(L, func, u);
    if (status != 0)
    {
        StkId oldtopp = RestoreStack(L, oldtop);
        CloseUpvals(L, oldtopp);
        DoSetErrorObj(L, status, oldtopp);
        L->nCcalls = oldnCcalls;
        L->ci = RestoreCI(L, old_ci);
        L->base = L->ci->base;
        L->allowhook = old_allowhooks;
        RestoreCallLimit(L);
    }
    L->errfunc = old_errfunc;
    return status;
}

// ---------------------------------------------------------------------------
// Coroutines

static void ResumeBody(lua_State* L, void* ud)
{
    int nargs = *static_cast<int*>(ud);
    CallInfo* ci = L->ci;
    StkId firstResult;
    if (ci == L->base_ci)
    {
        // First resume: call the body with the arguments above it.
        firstResult = DoPreCall(L, L->top - (nargs + 1));
        if (firstResult != nullptr)
        {
            if (L->ci->state & CI_YIELD) return;
            DoPosCall(L, LUA_MULTRET, firstResult);
            return;
        }
    }
    else if (ci->state & CI_C)
    {
        // Finish the native call that yielded: its results are the arguments
        // of this resume; the script caller's CALL says how many it wants.
        // The caller's registers hold the results it asked for (the code
        // check saw to that), so only a return hook needs the general path.
        CallInfo* caller = ci - 1;
        Instruction i = *(caller->savedpc - 1);
        int nresults = GETARG_C(i) - 1;
        if (L->hookmask & LUA_MASKRET)
            DoPosCall(L, nresults, L->top - nargs);
        else
            DoCloseFrame(L, L->base - 1, L->top - nargs, nresults);
        if (nresults >= 0) L->top = L->ci->top;
    }
    else
    {
        ci->state &= ~CI_YIELD;  // yielded inside a hook
    }
    firstResult = VMExecute(L);
    if (firstResult != nullptr) DoPosCall(L, LUA_MULTRET, firstResult);
}

static void PushResumeMessage(lua_State* L, void* msg)
{
    L->top->SetStr(StrNewZ(L, static_cast<const char*>(msg)));
    DoIncrTop(L);
}

// The refusal runs outside any protected call of the coroutine, so a failing
// allocation here must become a status rather than a panic.
static int ResumeError(lua_State* L, const char* msg)
{
    L->top = L->ci->base;
    if (DoRawRunProtected(L, PushResumeMessage, const_cast<char*>(msg)) == 0) return LUA_ERRRUN;
    DoSetErrorObj(L, LUA_ERRMEM, L->ci->base);
    return LUA_ERRMEM;
}

int DoResume(lua_State* L, int nargs)
{
    if (L->ci == L->base_ci)
    {
        if (nargs >= L->top - L->base) return ResumeError(L, "cannot resume dead coroutine");
    }
    else if (!(L->ci->state & CI_YIELD))
    {
        return ResumeError(L, "cannot resume non-suspended coroutine");
    }
    // Each thread counts its own native calls, so coroutines resuming
    // coroutines would otherwise nest on the native stack without bound.
    if (G(L)->nresumes >= LUA_MAXCCALLS) return ResumeError(L, "C stack overflow");
    lu_byte old_allowhooks = L->allowhook;
    G(L)->nresumes++;
    int status = DoRawRunProtected(L, ResumeBody, &nargs);
    G(L)->nresumes--;
    if (status != 0)
    {
        // The coroutine is dead: back to its first record, error value on top.
        L->ci = L->base_ci;
        L->base = L->ci->base;
        L->nCcalls = 0;
        CloseUpvals(L, L->base);
        DoSetErrorObj(L, status, L->base);
        L->allowhook = old_allowhooks;
    }
    return status;
}

int DoYield(lua_State* L, int nresults)
{
    CallInfo* ci = L->ci;
    if (L->nCcalls > 0) DebugRunError(L, "attempt to yield across metamethod/C-call boundary");
    if (ci->state & CI_C)
    {
        if ((ci - 1)->state & CI_C) DebugRunError(L, "cannot yield a C function");
        if (L->top - nresults > L->base)
        {
            for (int i = 0; i < nresults; i++) L->base[i] = *(L->top - nresults + i);
            L->top = L->base + nresults;
        }
    }
    ci->state |= CI_YIELD;
    return -1;
}

// ---------------------------------------------------------------------------
// Loading

// The compiler's entry (parser.cpp).
Proto* ParseChunk(lua_State* L, Stream* z, TextBuffer* buff);

namespace
{

struct SParser
{
    Stream* z;
    TextBuffer buff;
    int bin;
};

void ParseBody(lua_State* L, void* ud)
{
    SParser* p = static_cast<SParser*>(ud);
    Proto* tf;
    if (p->bin)
    {
        tf = UndumpChunk(L, p->z, &p->buff);
    }
    else
    {
        if (StreamLookahead16(p->z) == 0xFEFF)
        {
            StreamGetc(p->z);
            StreamGetc(p->z);
            p->z->wide = 1;
        }
        tf = ParseChunk(L, p->z, &p->buff);
    }
    // Anchor the prototype while the closure is made.
    L->top->SetObj(tf);
    DoIncrTop(L);
    LClosure* cl = LClosureNew(L, tf, 0, gt(L));
    (L->top - 1)->SetCl(cl);
}

}  // namespace

int DoProtectedParser(lua_State* L, Stream* z, int bin)
{
    SParser p;
    p.z = z;
    p.bin = bin;
    TextBufferInit(&p.buff);
    GCCheck(L);
    int status = DoPCall(L, ParseBody, &p, SaveStack(L, L->top), L->errfunc);
    TextBufferFree(L, &p.buff);
    return status;
}
