// Making and closing script states and coroutine threads, and the
// program-wide allocation function they start with.
#include "script/lang/state.h"

#include <cstdlib>
#include <new>

#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/gc.h"
#include "script/lang/lexer.h"
#include "script/lang/memory.h"
#include "script/lang/pool.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"

namespace
{

void* DefaultAlloc(void*, void* block, size_t osize, size_t nsize, int, int)
{
    return ScriptDefaultRealloc(block, osize, nsize);
}

lua_Alloc gAlloc = DefaultAlloc;
void* gAllocud = nullptr;

// The main thread and its global state live in one block.
struct LG
{
    lua_State l;
    global_State g;
};

void StackInit(lua_State* L1, lua_State* L)
{
    L1->stack = MemNewVector<TValue>(L, BASIC_STACK_SIZE + EXTRA_STACK);
    L1->stacksize = BASIC_STACK_SIZE + EXTRA_STACK;
    for (int i = 0; i < L1->stacksize; i++) L1->stack[i].SetNil();
    L1->top = L1->stack;
    L1->stack_last = L1->stack + (L1->stacksize - EXTRA_STACK) - 1;
    L1->base_ci = MemNewVector<CallInfo>(L, BASIC_CI_SIZE);
    L1->size_ci = BASIC_CI_SIZE;
    L1->ci = L1->base_ci;
    L1->ci->state = CI_C;
    L1->ci->savedpc = nullptr;
    L1->ci->tailcalls = 0;
    L1->top->SetNil();  // the "function" slot of the base record
    L1->top++;
    L1->base = L1->ci->base = L1->top;
    L1->ci->top = L1->top + LUA_MINSTACK;
    L1->end_ci = L1->base_ci + L1->size_ci;
}

void FreeStack(lua_State* L, lua_State* L1)
{
    if (L1->base_ci) MemFreeVector(L, L1->base_ci, L1->size_ci);
    if (L1->stack) MemFreeVector(L, L1->stack, static_cast<size_t>(L1->stacksize));
    L1->base_ci = nullptr;
    L1->stack = nullptr;
}

void PreInitThread(lua_State* L, global_State* g)
{
    L->next = nullptr;
    L->tt = LUA_TTHREAD;
    L->marked = 0;
    L->l_G = g;
    L->stack = nullptr;
    L->stacksize = 0;
    L->errfunc = 0;
    L->nprotected = 0;
    L->hook = nullptr;
    L->hookmask = 0;
    L->basehookcount = 0;
    L->allowhook = 1;
    L->hookinit = 0;
    L->hookcount = 0;
    L->openupval = nullptr;
    L->size_ci = 0;
    L->nCcalls = 0;
    L->base_ci = L->ci = nullptr;
    L->end_ci = nullptr;
    L->top = L->base = L->stack_last = nullptr;
    L->gclist = nullptr;
    L->allocflag = 0;
    L->status = 0;
    L->_gt.SetNil();
}

void OpenState(lua_State* L, void*)
{
    global_State* g = G(L);
    StackInit(L, L);
    // The shared default metatable comes first: every later table points at it.
    g->defaultmeta = TableNew(L, 0, 0);
    g->defaultmeta->metatable = g->defaultmeta;
    for (int i = 0; i < NUM_TYPE_SLOTS; i++) g->typemt[i].SetNil();
    for (int i = 1; i < NUM_TYPE_SLOTS; i++)
    {
        Table* t = TableNew(L, 0, 0);
        t->metatable = g->defaultmeta;
        g->typemt[i].SetTbl(t);
    }
    L->_gt.SetTbl(TableNew(L, 0, 4));
    g->registry.SetTbl(TableNew(L, 4, 4));
    StrResize(L, 32);
    MetaInit(L);
    LexInitReserved(L);
    // Both error texts are fixed, so reporting these errors never allocates.
    StrFix(StrNewZ(L, "not enough memory"));
    StrFix(StrNewZ(L, "error in error handling"));
    g->GCthreshold = 4 * g->nblocks;
}

void CloseState(lua_State* L)
{
    global_State* g = G(L);
    CloseUpvals(L, L->stack);
    GCFreeAll(L);
    if (g->strt.hash) MemFreeVector(L, g->strt.hash, static_cast<size_t>(g->strt.size));
    g->strt.hash = nullptr;
    SharedBufferResize(L, 0);
    if (g->statics.size > 0)
    {
        MemFreeVector(L, g->statics.keys, static_cast<size_t>(g->statics.size));
        MemFreeVector(L, g->statics.strings, static_cast<size_t>(g->statics.size));
    }
    FreeStack(L, L);
    lua_Alloc f = g->frealloc;
    void* ud = g->ud;
    f(ud, L, sizeof(LG), 0, 0, 0);
}

void CallAllGCTM(lua_State* L, void*)
{
    GCCallGCTM(L);
}

}  // namespace

void lua_setallocator(lua_Alloc f, void* ud)
{
    gAlloc = f ? f : DefaultAlloc;
    gAllocud = f ? ud : nullptr;
}

lua_Alloc lua_getallocator(void** ud)
{
    if (ud) *ud = gAllocud;
    return gAlloc;
}

lua_State* lua_open(void)
{
    void* block = gAlloc(gAllocud, nullptr, 0, sizeof(LG), 0, 0);
    if (block == nullptr) return nullptr;
    std::memset(block, 0, sizeof(LG));
    LG* lg = static_cast<LG*>(block);
    lua_State* L = &lg->l;
    global_State* g = &lg->g;
    PreInitThread(L, g);
    g->frealloc = gAlloc;
    g->ud = gAllocud;
    g->mainthread = L;
    g->strt.hash = nullptr;
    g->strt.size = 0;
    g->strt.nuse = 0;
    g->rootgc = g->rootudata = g->tmudata = nullptr;
    TextBufferInit(&g->buff);
    g->panic = nullptr;
    g->registry.SetNil();
    g->defaultmeta = nullptr;
    g->nblocks = sizeof(LG);
    g->GCthreshold = static_cast<size_t>(-1);  // no collection while the state is made
    g->udatasize = 0;
    g->gcstress = 0;
    g->nresumes = 0;
    g->statics = StaticStrings{nullptr, nullptr, 0, 0};
    g->refrelease = nullptr;
    g->refmeta = nullptr;
    for (int i = 0; i < TM_N; i++) g->tmname[i] = nullptr;
    for (int i = 0; i < NUM_TYPE_SLOTS; i++) g->typemt[i].SetNil();
    if (DoRawRunProtected(L, OpenState, nullptr) != 0)
    {
        CloseState(L);
        return nullptr;
    }
    return L;
}

void lua_close(lua_State* L)
{
    L = G(L)->mainthread;  // only the main thread can be closed
    CloseUpvals(L, L->stack);
    GCSeparateAllUdata(L);
    L->errfunc = 0;  // no error handler while finalisers run
    do
    {
        L->ci = L->base_ci;
        L->base = L->top = L->ci->base;
        L->nCcalls = 0;
    } while (DoRawRunProtected(L, CallAllGCTM, nullptr) != 0);
    GCReleaseAllOwnedRefs(L);
    CloseState(L);
}

lua_State* ThreadNew(lua_State* L)
{
    lua_State* L1 = static_cast<lua_State*>(MemRealloc(L, nullptr, 0, sizeof(lua_State)));
    std::memset(static_cast<void*>(L1), 0, sizeof(lua_State));
    PreInitThread(L1, G(L));
    try
    {
        StackInit(L1, L);
    }
    catch (...)
    {
        FreeStack(L, L1);
        MemFree(L, L1, sizeof(lua_State));
        throw;
    }
    L1->_gt = L->_gt;
    GCLink(L, L1, LUA_TTHREAD);
    return L1;
}

void ThreadFree(lua_State* L, lua_State* L1)
{
    CloseUpvals(L1, L1->stack);
    FreeStack(L, L1);
    MemFree(L, L1, sizeof(lua_State));
}
