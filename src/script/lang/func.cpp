// Prototypes, closures and upvalues: creation, freeing, and the open-upvalue
// list that lets closures share a frame's locals until the frame ends.
#include "script/lang/func.h"

#include "script/lang/gc.h"
#include "script/lang/memory.h"
#include "script/lang/sharedchunk.h"
#include "script/lang/state.h"

Proto* ProtoNew(lua_State* L)
{
    Proto* f = MemNew<Proto>(L);
    f->k = nullptr;
    f->code = nullptr;
    f->p = nullptr;
    f->lineinfo = nullptr;
    f->locvars = nullptr;
    f->upvalues = nullptr;
    f->source = nullptr;
    f->sizeupvalues = f->sizek = f->sizecode = f->sizelineinfo = f->sizep = f->sizelocvars = 0;
    f->lineDefined = 0;
    f->gclist = nullptr;
    f->shared = nullptr;
    f->nups = f->numparams = f->is_vararg = f->maxstacksize = 0;
    GCLink(L, f, LUA_TPROTO);
    return f;
}

void ProtoFree(lua_State* L, Proto* f)
{
    if (f->shared)
    {
        SharedGroupRelease(L, f->shared);
        return;
    }
    MemFreeVector(L, f->code, static_cast<size_t>(f->sizecode));
    MemFreeVector(L, f->p, static_cast<size_t>(f->sizep));
    MemFreeVector(L, f->k, static_cast<size_t>(f->sizek));
    MemFreeVector(L, f->lineinfo, static_cast<size_t>(f->sizelineinfo));
    MemFreeVector(L, f->locvars, static_cast<size_t>(f->sizelocvars));
    MemFreeVector(L, f->upvalues, static_cast<size_t>(f->sizeupvalues));
    MemFree(L, f, sizeof(Proto));
}

CClosure* CClosureNew(lua_State* L, lua_CFunction fn, int nupvalues)
{
    CClosure* c = static_cast<CClosure*>(MemRealloc(L, nullptr, 0, CClosure::SizeFor(nupvalues)));
    c->isC = 1;
    c->nupvalues = static_cast<lu_byte>(nupvalues);
    c->gclist = nullptr;
    c->env.SetNil();
    c->f = fn;
    for (int i = 0; i < nupvalues; i++) c->Upvalues()[i].SetNil();
    GCLink(L, c, LUA_TFUNCTION);
    return c;
}

LClosure* LClosureNew(lua_State* L, Proto* p, int nupvalues, const TValue* env)
{
    LClosure* c = static_cast<LClosure*>(MemRealloc(L, nullptr, 0, LClosure::SizeFor(nupvalues)));
    c->isC = 0;
    c->nupvalues = static_cast<lu_byte>(nupvalues);
    c->gclist = nullptr;
    c->env = *env;
    c->p = p;
    for (int i = 0; i < nupvalues; i++) c->Upvals()[i] = nullptr;
    GCLink(L, c, LUA_TFUNCTION);
    return c;
}

void ClosureFree(lua_State* L, Closure* c)
{
    size_t size = c->isC ? CClosure::SizeFor(c->nupvalues) : LClosure::SizeFor(c->nupvalues);
    MemFree(L, c, size);
}

UpVal* FindUpval(lua_State* L, StkId level)
{
    GCObject** pp = &L->openupval;
    UpVal* p;
    while ((p = static_cast<UpVal*>(*pp)) != nullptr && p->v >= level)
    {
        if (p->v == level) return p;
        pp = &p->next;
    }
    UpVal* v = MemNew<UpVal>(L);
    v->tt = LUA_TUPVAL;
    v->marked = 0;
    v->v = level;
    v->value.SetNil();
    v->next = *pp;
    *pp = v;
    return v;
}

void CloseUpvals(lua_State* L, StkId level)
{
    UpVal* p;
    while ((p = static_cast<UpVal*>(L->openupval)) != nullptr && p->v >= level)
    {
        p->value = *p->v;
        p->v = &p->value;
        L->openupval = p->next;
        GCLink(L, p, LUA_TUPVAL);
    }
}

void UpvalFree(lua_State* L, UpVal* u)
{
    MemFree(L, u, sizeof(UpVal));
}

const char* GetLocalName(const Proto* f, int local_number, int pc)
{
    for (int i = 0; i < f->sizelocvars && f->locvars[i].startpc <= pc; i++)
    {
        if (pc < f->locvars[i].endpc)
        {
            local_number--;
            if (local_number == 0) return f->locvars[i].varname->Data();
        }
    }
    return nullptr;
}
