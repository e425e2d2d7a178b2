// The collector: marks from the roots (registry, default metatable, per-type
// slots, main and running threads), separates userdata awaiting "__gc",
// clears weak tables, sweeps, then runs the finalisers.
#include "script/lang/gc.h"

#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/memory.h"
#include "script/lang/meta.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"
#include "script/lang/udata.h"

namespace
{

struct GCState
{
    GCObject* gray;  // reached objects whose references are not yet traced
    Table* weak;     // weak tables, cleared after tracing
    lua_State* L;
};

inline bool IsMarked(const GCObject* o)
{
    return (o->marked & (GC_MARKED | GC_FIXED)) != 0;
}

void MarkObject(GCState* st, GCObject* o);

inline void MarkValue(GCState* st, const TValue* v)
{
    if (v->IsCollectable()) MarkObject(st, v->Gc());
}

void MarkObject(GCState* st, GCObject* o)
{
    if (o->tt == LUA_TUPVAL)
    {
        UpVal* uv = static_cast<UpVal*>(o);
        // An open upvalue lives outside the collector lists; its value is
        // marked either way, since its thread may be unreachable.
        if (uv->v == &uv->value)
        {
            if (uv->marked & GC_MARKED) return;
            uv->marked |= GC_MARKED;
        }
        MarkValue(st, uv->v);
        return;
    }
    if (o->marked & GC_MARKED) return;
    o->marked |= GC_MARKED;
    switch (o->tt)
    {
        case LUA_TSTRING:
        case LUA_TWSTRING:
            break;
        case LUA_TUSERDATA:
        {
            Table* mt = static_cast<Udata*>(o)->metatable;
            if (mt) MarkObject(st, mt);
            break;
        }
        case LUA_TTABLE:
            static_cast<Table*>(o)->gclist = st->gray;
            st->gray = o;
            break;
        case LUA_TFUNCTION:
            static_cast<Closure*>(o)->gclist = st->gray;
            st->gray = o;
            break;
        case LUA_TTHREAD:
            static_cast<lua_State*>(o)->gclist = st->gray;
            st->gray = o;
            break;
        case LUA_TPROTO:
            static_cast<Proto*>(o)->gclist = st->gray;
            st->gray = o;
            break;
        default:
            break;
    }
}

void TraverseTable(GCState* st, Table* h)
{
    bool weakkey = false, weakvalue = false;
    if (h->metatable)
    {
        MarkObject(st, h->metatable);
        const TValue* mode = MetaFast(st->L, h->metatable, TM_MODE);
        if (mode && mode->IsString())
        {
            weakkey = std::strchr(mode->Str()->Data(), 'k') != nullptr;
            weakvalue = std::strchr(mode->Str()->Data(), 'v') != nullptr;
        }
    }
    h->marked &= static_cast<lu_byte>(~(GC_WEAKKEY | GC_WEAKVALUE));
    if (weakkey || weakvalue)
    {
        if (weakkey) h->marked |= GC_WEAKKEY;
        if (weakvalue) h->marked |= GC_WEAKVALUE;
        h->gclist = st->weak;
        st->weak = h;
    }
    if (!weakvalue)
    {
        for (int i = 0; i < h->sizearray; i++) MarkValue(st, &h->array[i]);
    }
    for (int i = h->SizeNode() - 1; i >= 0; i--)
    {
        Node* n = &h->node[i];
        if (n->val.IsNil()) continue;
        if (!weakkey) MarkValue(st, &n->key);
        if (!weakvalue) MarkValue(st, &n->val);
    }
}

void TraverseProto(GCState* st, Proto* f)
{
    if (f->source) MarkObject(st, f->source);
    for (int i = 0; i < f->sizek; i++) MarkValue(st, &f->k[i]);
    for (int i = 0; i < f->sizeupvalues; i++)
        if (f->upvalues[i]) MarkObject(st, f->upvalues[i]);
    for (int i = 0; i < f->sizep; i++)
        if (f->p[i]) MarkObject(st, f->p[i]);
    for (int i = 0; i < f->sizelocvars; i++)
        if (f->locvars[i].varname) MarkObject(st, f->locvars[i].varname);
}

void TraverseClosure(GCState* st, Closure* cl)
{
    if (cl->isC)
    {
        CClosure* c = AsC(cl);
        for (int i = 0; i < c->nupvalues; i++) MarkValue(st, &c->Upvalues()[i]);
    }
    else
    {
        LClosure* l = AsL(cl);
        MarkValue(st, &l->env);
        MarkObject(st, l->p);
        for (int i = 0; i < l->nupvalues; i++)
            if (l->Upvals()[i]) MarkObject(st, l->Upvals()[i]);
    }
}

void TraverseStack(GCState* st, lua_State* L1)
{
    MarkValue(st, gt(L1));
    if (L1->stack == nullptr) return;
    for (StkId o = L1->stack; o < L1->top; o++) MarkValue(st, o);
    // Everything above the top is dead (a running script frame keeps top at
    // its frame's end): clear it so no stale reference outlives its object.
    for (StkId o = L1->top; o < L1->stack + L1->stacksize; o++) o->SetNil();
}

void PropagateMarks(GCState* st)
{
    while (st->gray)
    {
        GCObject* o = st->gray;
        switch (o->tt)
        {
            case LUA_TTABLE:
            {
                Table* h = static_cast<Table*>(o);
                st->gray = h->gclist;
                TraverseTable(st, h);
                break;
            }
            case LUA_TFUNCTION:
            {
                Closure* cl = static_cast<Closure*>(o);
                st->gray = cl->gclist;
                TraverseClosure(st, cl);
                break;
            }
            case LUA_TTHREAD:
            {
                lua_State* th = static_cast<lua_State*>(o);
                st->gray = th->gclist;
                TraverseStack(st, th);
                break;
            }
            case LUA_TPROTO:
            {
                Proto* p = static_cast<Proto*>(o);
                st->gray = p->gclist;
                TraverseProto(st, p);
                break;
            }
            default:
                st->gray = nullptr;
                break;
        }
    }
}

// True when a weak entry's object is gone. Narrow strings count as values
// and are never cleared; wide strings and every other object are. A userdata
// that has been handed to its finaliser is kept alive only for that handler:
// weak values drop it at once, weak keys keep it while it lives.
bool IsCleared(const TValue* o, bool iskey)
{
    if (!o->IsCollectable()) return false;
    if (o->IsString())
    {
        o->Gc()->marked |= GC_MARKED;
        return false;
    }
    if (!IsMarked(o->Gc())) return true;
    return !iskey && o->IsUserdata() && (o->Gc()->marked & GC_FINALIZED);
}

void ClearWeakTables(Table* h)
{
    for (; h; h = static_cast<Table*>(h->gclist))
    {
        if (h->marked & GC_WEAKVALUE)
        {
            for (int i = 0; i < h->sizearray; i++)
                if (IsCleared(&h->array[i], false)) h->array[i].SetNil();
        }
        for (int i = h->SizeNode() - 1; i >= 0; i--)
        {
            Node* n = &h->node[i];
            if (n->val.IsNil()) continue;
            if (((h->marked & GC_WEAKVALUE) && IsCleared(&n->val, false)) ||
                ((h->marked & GC_WEAKKEY) && IsCleared(&n->key, true)))
                n->val.SetNil();  // the key stays as a dead marker for the chain
        }
    }
}

// A dead thread's open upvalues may still be shared by live closures: they
// are closed into *pending and linked after the sweep, so this sweep cannot
// free them.
void FreeThread(lua_State* L, lua_State* L1, GCObject** pending)
{
    UpVal* p;
    while ((p = static_cast<UpVal*>(L1->openupval)) != nullptr)
    {
        p->value = *p->v;
        p->v = &p->value;
        L1->openupval = p->next;
        p->marked = 0;
        p->next = *pending;
        *pending = p;
    }
    ThreadFree(L, L1);
}

void FreeObject(lua_State* L, GCObject* o, GCObject** pending)
{
    switch (o->tt)
    {
        case LUA_TPROTO:
            ProtoFree(L, static_cast<Proto*>(o));
            break;
        case LUA_TFUNCTION:
            ClosureFree(L, static_cast<Closure*>(o));
            break;
        case LUA_TUPVAL:
            UpvalFree(L, static_cast<UpVal*>(o));
            break;
        case LUA_TTABLE:
            TableFree(L, static_cast<Table*>(o));
            break;
        case LUA_TTHREAD:
            FreeThread(L, static_cast<lua_State*>(o), pending);
            break;
        case LUA_TSTRING:
        case LUA_TWSTRING:
            StrFree(L, static_cast<LString*>(o));
            break;
        case LUA_TUSERDATA:
            UdataFree(L, static_cast<Udata*>(o));
            break;
        default:
            break;
    }
}

// Frees unmarked objects of a list (all of them when all is set, fixed ones
// included only when freeFixed) and clears the marks of survivors.
void SweepList(lua_State* L, GCObject** p, bool all, bool freeFixed, GCObject** pending)
{
    GCObject* curr;
    while ((curr = *p) != nullptr)
    {
        bool keep = all ? (!freeFixed && (curr->marked & GC_FIXED)) : IsMarked(curr);
        if (keep)
        {
            curr->marked &= static_cast<lu_byte>(~GC_MARKED);
            p = &curr->next;
        }
        else
        {
            *p = curr->next;
            FreeObject(L, curr, pending);
        }
    }
}

void SweepStrings(lua_State* L, bool all, bool freeFixed)
{
    StringTable* tb = &G(L)->strt;
    for (int i = 0; i < tb->size; i++) SweepList(L, &tb->hash[i], all, freeFixed, nullptr);
}

// Moves unreached userdata with a "__gc" handler to the finaliser list (in
// list order), and unreached owned references to *released when it is given;
// returns the bytes of the first kind.
size_t SeparateUdata(lua_State* L, bool all, GCObject** released = nullptr)
{
    global_State* g = G(L);
    size_t deadmem = 0;
    GCObject** p = &g->rootudata;
    GCObject** lastcollected = &g->tmudata;
    while (*lastcollected) lastcollected = &(*lastcollected)->next;
    GCObject* curr;
    while ((curr = *p) != nullptr)
    {
        Udata* u = static_cast<Udata*>(curr);
        if (!all && (curr->marked & GC_MARKED))
        {
            p = &curr->next;
            continue;
        }
        if (u->IsOwnedRef())
        {
            // Released by the hook, never by "__gc".
            if (released != nullptr)
            {
                *p = curr->next;
                curr->next = *released;
                *released = curr;
            }
            else
            {
                p = &curr->next;
            }
            continue;
        }
        if ((curr->marked & GC_FINALIZED) || MetaFast(L, u->metatable, TM_GC) == nullptr)
        {
            p = &curr->next;
            continue;
        }
        curr->marked |= GC_FINALIZED;
        deadmem += u->AllocSize();
        *p = curr->next;
        curr->next = nullptr;
        *lastcollected = curr;
        lastcollected = &curr->next;
    }
    return deadmem;
}

void MarkRoots(GCState* st, lua_State* L)
{
    global_State* g = G(L);
    MarkObject(st, g->defaultmeta);
    for (int i = 0; i < NUM_TYPE_SLOTS; i++) MarkValue(st, &g->typemt[i]);
    MarkValue(st, &g->registry);
    if (g->refmeta) MarkObject(st, g->refmeta);
    MarkObject(st, g->mainthread);
    MarkObject(st, L);
    for (GCObject* u = g->tmudata; u; u = u->next) MarkObject(st, u);
}

void CheckSizes(lua_State* L)
{
    global_State* g = G(L);
    if (g->strt.nuse < static_cast<uint32_t>(g->strt.size / 4) && g->strt.size > 64)
        StrResize(L, g->strt.size / 2);
    if (g->buff.size > 64) SharedBufferResize(L, g->buff.size / 2);
}

// Unlinks every owned reference from the userdata list (closing).
GCObject* TakeAllOwnedRefs(lua_State* L)
{
    GCObject* taken = nullptr;
    GCObject** p = &G(L)->rootudata;
    GCObject* curr;
    while ((curr = *p) != nullptr)
    {
        if (static_cast<Udata*>(curr)->IsOwnedRef())
        {
            *p = curr->next;
            curr->next = taken;
            taken = curr;
        }
        else
        {
            p = &curr->next;
        }
    }
    return taken;
}

// Frees the blocks of a list of owned references, then hands what each held
// to the release hook (the list is off every collector list, so a collection
// the hook causes cannot reach it).
void ReleaseOwnedRefs(lua_State* L, GCObject* list)
{
    lua_RefRelease release = G(L)->refrelease;
    while (list)
    {
        Udata* u = static_cast<Udata*>(list);
        list = list->next;
        const UdataRef held = *u->Ref();
        UdataFree(L, u);
        if (release) release(L, held.p, held.key);
    }
}

void DoOneGCTM(lua_State* L)
{
    global_State* g = G(L);
    GCObject* o = g->tmudata;
    Udata* udata = static_cast<Udata*>(o);
    g->tmudata = udata->next;  // taken off first: a failing handler runs once
    udata->next = g->rootudata;
    g->rootudata = udata;
    if (g->udatasize >= udata->AllocSize()) g->udatasize -= udata->AllocSize();
    const TValue* tm = MetaFast(L, udata->metatable, TM_GC);
    if (tm != nullptr)
    {
        lu_byte oldah = L->allowhook;
        L->allowhook = 0;
        DoCheckStack(L, 2);
        L->top[0] = *tm;
        L->top[1].SetUd(udata);
        L->top += 2;
        try
        {
            DoCall(L, L->top - 2, 0);
        }
        catch (...)
        {
            L->allowhook = oldah;
            throw;
        }
        L->allowhook = oldah;
    }
}

}  // namespace

void GCLink(lua_State* L, GCObject* o, lu_byte tt)
{
    global_State* g = G(L);
    o->next = g->rootgc;
    g->rootgc = o;
    o->marked = 0;
    o->tt = tt;
}

void GCCallGCTM(lua_State* L)
{
    while (G(L)->tmudata) DoOneGCTM(L);
}

void GCSeparateAllUdata(lua_State* L)
{
    SeparateUdata(L, true);
}

void GCReleaseAllOwnedRefs(lua_State* L)
{
    ReleaseOwnedRefs(L, TakeAllOwnedRefs(L));
}

void GCCollect(lua_State* L, int all)
{
    global_State* g = G(L);
    GCState st{nullptr, nullptr, L};
    GCObject* released = nullptr;
    if (!all)
    {
        MarkRoots(&st, L);
        PropagateMarks(&st);
        size_t deadmem = SeparateUdata(L, false, &released);
        for (GCObject* u = g->tmudata; u; u = u->next) MarkObject(&st, u);
        PropagateMarks(&st);
        ClearWeakTables(st.weak);
        g->udatasize += deadmem;
    }
    if (all) released = TakeAllOwnedRefs(L);
    GCObject* pending = nullptr;
    SweepStrings(L, all != 0, false);
    SweepList(L, &g->rootudata, all != 0, false, &pending);
    SweepList(L, &g->rootgc, all != 0, false, &pending);
    while (pending)
    {
        GCObject* next = pending->next;
        GCLink(L, pending, LUA_TUPVAL);
        pending = next;
    }
    g->mainthread->marked &= static_cast<lu_byte>(~GC_MARKED);
    // The finaliser list survives this cycle; clear its marks for the next.
    for (GCObject* u = g->tmudata; u; u = u->next) u->marked &= static_cast<lu_byte>(~GC_MARKED);
    CheckSizes(L);
    // The released references' blocks are about to go.
    size_t releasedmem = 0;
    for (GCObject* u = released; u; u = u->next) releasedmem += static_cast<Udata*>(u)->AllocSize();
    size_t live = g->nblocks > releasedmem ? g->nblocks - releasedmem : 0;
    size_t twice = 2 * live;
    g->GCthreshold = twice > g->udatasize ? twice - g->udatasize : live;
    ReleaseOwnedRefs(L, released);
    if (!all) GCCallGCTM(L);
}

void GCCheck(lua_State* L)
{
    if (G(L)->nblocks >= G(L)->GCthreshold || G(L)->gcstress) GCCollect(L, 0);
}

void GCSetStress(lua_State* L, int on)
{
    G(L)->gcstress = on;
}

void GCFreeAll(lua_State* L)
{
    global_State* g = G(L);
    GCObject* pending = nullptr;
    SweepList(L, &g->rootgc, true, true, &pending);
    SweepList(L, &g->rootudata, true, true, &pending);
    SweepList(L, &g->tmudata, true, true, &pending);
    SweepList(L, &pending, true, true, nullptr);
    SweepStrings(L, true, true);
}
