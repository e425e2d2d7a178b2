// The host API: index resolution (with the registry-reference pseudo-indices)
// and every lua_* entry point over the core modules.
#include <climits>

#include "script/lang/api.h"
#include "script/lang/debug.h"
#include "script/lang/do.h"
#include "script/lang/dump.h"
#include "script/lang/func.h"
#include "script/lang/gc.h"
#include "script/lang/memory.h"
#include "script/lang/meta.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"
#include "script/lang/udata.h"
#include "script/lang/vm.h"

namespace
{

inline bool IsRegistryRef(int idx)
{
    return idx < LUA_REGISTRYREFBASE;
}

// The slot of an index, or nullptr for "no value". Registry references point
// into the registry table (or at the shared nil object): read-only.
TValue* Adr(lua_State* L, int idx)
{
    if (idx > 0)
    {
        TValue* o = L->base + (idx - 1);
        return o >= L->top ? nullptr : o;
    }
    if (idx > LUA_REGISTRYINDEX)
    {
        if (-idx > L->top - L->base) return nullptr;
        return L->top + idx;
    }
    if (idx == LUA_REGISTRYINDEX) return registry(L);
    if (idx == LUA_GLOBALSINDEX) return gt(L);
    if (IsRegistryRef(idx))
    {
        int n = LUA_REGISTRYREFBASE - idx;
        return const_cast<TValue*>(TableGetNum(registry(L)->Tbl(), n));
    }
    // Upvalue of the running native closure.
    TValue* func = L->base - 1;
    if (!IsCFunction(func)) return nullptr;
    CClosure* c = AsC(func->Cl());
    int n = LUA_GLOBALSINDEX - idx;
    return n <= c->nupvalues ? &c->Upvalues()[n - 1] : nullptr;
}

}  // namespace

TValue* ApiIndexToSlot(lua_State* L, int idx)
{
    return Adr(L, idx);
}

namespace
{

// As Adr, with the shared nil object for "no value".
inline TValue* ValueAt(lua_State* L, int idx)
{
    TValue* o = Adr(L, idx);
    return o ? o : const_cast<TValue*>(&kNilObject);
}

// DoIncrTop with its common case inline: pushes are most of what native
// library loops do.
inline void IncrTop(lua_State* L)
{
    if (L->top >= L->stack_last) DoGrowStack(L, 1);
    L->top++;
}

inline void Push(lua_State* L, const TValue* v)
{
    *L->top = *v;
    IncrTop(L);
}

// Replaces the key on the top by t[key], as the interpreter indexes.
inline void IndexTop(lua_State* L, TValue t)
{
    if (t.IsTable())
    {
        // A present field, or an absent one with no "__index" to ask: a raw read.
        Table* h = t.Tbl();
        const TValue* v = TableGetFast(h, L->top - 1);
        if (!v->IsNil() || MetaFast(L, h->metatable, TM_INDEX) == nullptr)
        {
            *(L->top - 1) = *v;
            return;
        }
    }
    VMGetTable(L, &t, L->top - 1, L->top - 1);
}

// Integer keys 1..sizearray live in the array part: the raw accessors
// index it directly and leave every other key to the table module.
inline bool InArrayPart(const Table* t, int n)
{
    return static_cast<unsigned>(n) - 1u < static_cast<unsigned>(t->sizearray);
}


// Writes are refused for the read-only registry references and for the
// shared nil object that stands for absent values.
inline bool Writable(const TValue* o)
{
    return o != nullptr && o != &kNilObject;
}

const char* const kTypeNames[] = {"nil",      "boolean",  "userdata", "number",  "string", "table",
                                  "function", "userdata", "thread",   "wstring", "proto",  "upval"};

}  // namespace

// ---------------------------------------------------------------------------
// State

lua_CFunction lua_atpanic(lua_State* L, lua_CFunction panicf)
{
    lua_CFunction old = G(L)->panic;
    G(L)->panic = panicf;
    return old;
}

lua_State* lua_newthread(lua_State* L)
{
    GCCheck(L);
    lua_State* L1 = ThreadNew(L);
    // A thread starts under its creator's hook, so a coroutine made inside a
    // watched run is watched as well.
    L1->hook = L->hook;
    L1->hookmask = static_cast<lu_byte>(L->hookmask & ~kHookCountDue);
    L1->basehookcount = L->basehookcount;
    L1->hookcount = L->basehookcount;
    L->top->SetTh(L1);
    IncrTop(L);
    return L1;
}

// ---------------------------------------------------------------------------
// Stack manipulation

int lua_gettop(lua_State* L)
{
    return static_cast<int>(L->top - L->base);
}

void lua_settop(lua_State* L, int idx)
{
    if (idx >= 0)
    {
        // Raising the top is a push of nils: it grows the stack like every push
        // instead of writing past its end.
        if (idx > L->top - L->base) DoCheckStack(L, idx - static_cast<int>(L->top - L->base));
        while (L->top < L->base + idx) (L->top++)->SetNil();
        L->top = L->base + idx;
    }
    else
    {
        L->top += idx + 1;
    }
}

void lua_remove(lua_State* L, int idx)
{
    StkId p = Adr(L, idx);
    if (p == nullptr || p < L->base || p >= L->top) return;
    while (++p < L->top) *(p - 1) = *p;
    L->top--;
}

void lua_insert(lua_State* L, int idx)
{
    StkId p = Adr(L, idx);
    if (p == nullptr || p < L->base || p >= L->top) return;
    for (StkId q = L->top; q > p; q--) *q = *(q - 1);
    *p = *L->top;
}

void lua_replace(lua_State* L, int idx)
{
    TValue* o = Adr(L, idx);
    // The globals pseudo-index only ever holds a table.
    if (Writable(o) && !IsRegistryRef(idx) && (idx != LUA_GLOBALSINDEX || (L->top - 1)->IsTable()))
        *o = *(L->top - 1);
    L->top--;
}

void lua_pushvalue(lua_State* L, int idx)
{
    Push(L, ValueAt(L, idx));
}

int lua_checkstack(lua_State* L, int size)
{
    if (size < 0 || (L->top - L->base) + size > LUA_MAXCSTACK) return 0;
    DoCheckStack(L, size);
    if (L->ci->top < L->top + size) L->ci->top = L->top + size;
    return 1;
}

void lua_xmove(lua_State* from, lua_State* to, int n)
{
    if (from == to || n <= 0) return;
    from->top -= n;
    for (int i = 0; i < n; i++) Push(to, from->top + i);
}

// ---------------------------------------------------------------------------
// Access

int lua_type(lua_State* L, int idx)
{
    TValue* o = Adr(L, idx);
    return o == nullptr ? LUA_TNONE : o->tt;
}

const char* lua_typename(lua_State*, int t)
{
    if (t == LUA_TNONE) return "no value";
    if (t < 0 || t > LUA_TUPVAL) return "?";
    return kTypeNames[t];
}

int lua_iscfunction(lua_State* L, int idx)
{
    return IsCFunction(ValueAt(L, idx));
}

int lua_isnumber(lua_State* L, int idx)
{
    TValue n;
    return VMToNumber(ValueAt(L, idx), &n) != nullptr;
}

int lua_isstring(lua_State* L, int idx)
{
    int t = lua_type(L, idx);
    return t == LUA_TSTRING || t == LUA_TNUMBER || t == LUA_TWSTRING;
}

int lua_isuserdata(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    return o->IsUserdata() || o->IsLightUserdata();
}

int lua_rawequal(lua_State* L, int index1, int index2)
{
    TValue* o1 = Adr(L, index1);
    TValue* o2 = Adr(L, index2);
    return o1 && o2 && RawEqualObj(o1, o2);
}

int lua_equal(lua_State* L, int index1, int index2)
{
    TValue* o1 = Adr(L, index1);
    TValue* o2 = Adr(L, index2);
    if (!o1 || !o2) return 0;
    if (o1->tt != o2->tt) return 0;
    return VMEqualObj(L, o1, o2);
}

int lua_lessthan(lua_State* L, int index1, int index2)
{
    TValue* o1 = Adr(L, index1);
    TValue* o2 = Adr(L, index2);
    if (!o1 || !o2) return 0;
    // Sorting compares numbers, or strings that are often the same interned
    // object, far more than anything with an order handler.
    if (o1->IsNumber() && o2->IsNumber()) return o1->Num() < o2->Num();
    if (o1->IsString() && o2->IsString() && o1->Str() == o2->Str()) return 0;
    return VMLessThan(L, o1, o2);
}

lua_Number lua_tonumber(lua_State* L, int idx)
{
    const TValue* v = ValueAt(L, idx);
    if (v->IsNumber()) return v->Num();
    TValue n;
    const TValue* o = VMToNumber(v, &n);
    return o ? o->Num() : 0;
}

int lua_toboolean(lua_State* L, int idx)
{
    return !ValueAt(L, idx)->IsFalse();
}

const char* lua_tostring(lua_State* L, int idx)
{
    TValue* o = Adr(L, idx);
    if (o == nullptr) return nullptr;
    if (o->IsString()) return o->Str()->Data();
    if (o->IsNumber() && Writable(o) && VMToString(L, o)) return o->Str()->Data();
    return nullptr;
}

size_t lua_strlen(lua_State* L, int idx)
{
    TValue* o = Adr(L, idx);
    if (o == nullptr) return 0;
    if (o->IsAnyString()) return o->Str()->len;
    if (o->IsNumber() && Writable(o) && VMToString(L, o)) return o->Str()->len;
    return 0;
}

lua_CFunction lua_tocfunction(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    return IsCFunction(o) ? AsC(o->Cl())->f : nullptr;
}

void* lua_touserdata(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    if (o->IsLightUserdata()) return o->Ptr();
    if (o->IsUserdata())
    {
        Udata* u = o->Ud();
        if (u->IsExternalRef()) return u->Ref()->p;
        return u->Payload();
    }
    return nullptr;
}

int lua_isuserdataref(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    return o->IsUserdata() && o->Ud()->IsExternalRef();
}

int lua_touserdatakey(lua_State* L, int idx, uint64_t* key)
{
    const TValue* o = ValueAt(L, idx);
    if (!o->IsUserdata() || !o->Ud()->IsExternalRef()) return 0;
    *key = o->Ud()->Ref()->key;
    return 1;
}

lua_State* lua_tothread(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    return o->IsThread() ? o->Th() : nullptr;
}

const void* lua_topointer(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    switch (o->tt)
    {
        case LUA_TTABLE:
        case LUA_TFUNCTION:
        case LUA_TTHREAD:
            return o->Gc();
        case LUA_TUSERDATA:
        case LUA_TLIGHTUSERDATA:
            return lua_touserdata(L, idx);
        default:
            return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Push

void lua_pushnil(lua_State* L)
{
    L->top->SetNil();
    IncrTop(L);
}

void lua_pushnumber(lua_State* L, lua_Number n)
{
    L->top->SetNum(n);
    IncrTop(L);
}

void lua_pushlstring(lua_State* L, const char* s, size_t len)
{
    GCCheck(L);
    L->top->SetStr(StrNew(L, s, len));
    IncrTop(L);
}

void lua_pushstring(lua_State* L, const char* s)
{
    if (s == nullptr)
        lua_pushnil(L);
    else
        lua_pushlstring(L, s, std::strlen(s));
}

const char* lua_pushvfstring(lua_State* L, const char* fmt, va_list argp)
{
    GCCheck(L);
    return PushVFString(L, fmt, argp);
}

const char* lua_pushfstring(lua_State* L, const char* fmt, ...)
{
    GCCheck(L);
    va_list argp;
    va_start(argp, fmt);
    const char* ret = PushVFString(L, fmt, argp);
    va_end(argp);
    return ret;
}

void lua_pushcclosure(lua_State* L, lua_CFunction fn, int n)
{
    GCCheck(L);
    if (n < 0) n = 0;
    if (n > 255) n = 255;
    CClosure* cl = CClosureNew(L, fn, n);
    L->top -= n;
    for (int i = 0; i < n; i++) cl->Upvalues()[i] = L->top[i];
    L->top->SetCl(cl);
    IncrTop(L);
}

void lua_pushboolean(lua_State* L, int b)
{
    L->top->SetBool(b);
    IncrTop(L);
}

void lua_pushlightuserdata(lua_State* L, void* p)
{
    L->top->SetPtr(p);
    IncrTop(L);
}

void lua_pushuserdataref(lua_State* L, void* p, uint64_t key)
{
    GCCheck(L);
    Udata* u = UdataNewRef(L, p, key);
    L->top->SetUd(u);
    IncrTop(L);
}

namespace
{

// Literals lie close together, a few bytes apart: a multiplicative hash
// spreads neighbouring addresses over the whole table, so a lookup usually
// ends at its first probe.
size_t StaticSlot(const char* key, int size)
{
    const uint64_t a = reinterpret_cast<uintptr_t>(key);
    return static_cast<size_t>(((a * 0x9E3779B97F4A7C15ull) >> 32) & static_cast<uint64_t>(size - 1));
}

void GrowStatics(lua_State* L, StaticStrings* t)
{
    const int size = t->size > 0 ? t->size * 2 : 16;
    const char** keys = MemNewVector<const char*>(L, static_cast<size_t>(size));
    LString** strings;
    try
    {
        strings = MemNewVector<LString*>(L, static_cast<size_t>(size));
    }
    catch (...)
    {
        MemFreeVector(L, keys, static_cast<size_t>(size));
        throw;
    }
    for (int i = 0; i < size; i++) keys[i] = nullptr;
    for (int i = 0; i < t->size; i++)
    {
        if (t->keys[i] == nullptr) continue;
        size_t j = StaticSlot(t->keys[i], size);
        while (keys[j] != nullptr) j = (j + 1) & static_cast<size_t>(size - 1);
        keys[j] = t->keys[i];
        strings[j] = t->strings[i];
    }
    if (t->size > 0)
    {
        MemFreeVector(L, t->keys, static_cast<size_t>(t->size));
        MemFreeVector(L, t->strings, static_cast<size_t>(t->size));
    }
    t->keys = keys;
    t->strings = strings;
    t->size = size;
}

// The string of a static text on its first use: made and kept.
[[gnu::noinline]] LString* AddStaticString(lua_State* L, const char* s)
{
    StaticStrings* t = &G(L)->statics;
    GCCheck(L);
    if (2 * (t->count + 1) > t->size) GrowStatics(L, t);
    LString* str = StrNewZ(L, s);
    StrFix(str);  // kept for the state's life, like the event names
    size_t j = StaticSlot(s, t->size);
    while (t->keys[j] != nullptr) j = (j + 1) & static_cast<size_t>(t->size - 1);
    t->keys[j] = s;
    t->strings[j] = str;
    t->count++;
    return str;
}

// The string of a static text.
inline LString* StaticString(lua_State* L, const char* s)
{
    const StaticStrings* t = &G(L)->statics;
    if (t->size > 0)
    {
        for (size_t j = StaticSlot(s, t->size);; j = (j + 1) & static_cast<size_t>(t->size - 1))
        {
            if (t->keys[j] == s) return t->strings[j];
            if (t->keys[j] == nullptr) break;
        }
    }
    return AddStaticString(L, s);
}

}  // namespace

void lua_pushstaticstring(lua_State* L, const char* s)
{
    LString* str = StaticString(L, s);
    L->top->SetStr(str);
    IncrTop(L);
}

void lua_getstaticglobal(lua_State* L, const char* name)
{
    LString* key = StaticString(L, name);  // may collect: before the top is read
    L->top->SetStr(key);
    IncrTop(L);
    IndexTop(L, *gt(L));
}

void lua_setownedrefs(lua_State* L, lua_RefRelease release)
{
    global_State* g = G(L);
    const TValue* mt = L->top - 1;
    g->refmeta = mt->IsTable() ? mt->Tbl() : nullptr;
    g->refrelease = release;
    L->top--;
}

int lua_hasownedrefs(lua_State* L)
{
    return G(L)->refrelease != nullptr;
}

void lua_pushownedref(lua_State* L, void* p, uint64_t key)
{
    GCCheck(L);
    Udata* u = UdataNewOwnedRef(L, p, key);
    L->top->SetUd(u);
    IncrTop(L);
}

void lua_pushthread(lua_State* L)
{
    L->top->SetTh(L);
    IncrTop(L);
}

lua_State* lua_mainthread(lua_State* L)
{
    return G(L)->mainthread;
}

// ---------------------------------------------------------------------------
// Get

void lua_gettable(lua_State* L, int idx)
{
    IndexTop(L, *ValueAt(L, idx));
}

void lua_rawget(lua_State* L, int idx)
{
    const TValue* t = ValueAt(L, idx);
    if (!t->IsTable())
    {
        (L->top - 1)->SetNil();
        return;
    }
    *(L->top - 1) = *TableGetFast(t->Tbl(), L->top - 1);
}

void lua_rawgeti(lua_State* L, int idx, int n)
{
    const TValue* t = ValueAt(L, idx);
    if (!t->IsTable())
    {
        lua_pushnil(L);
        return;
    }
    Table* h = t->Tbl();
    Push(L, InArrayPart(h, n) ? &h->array[n - 1] : TableGetNum(h, n));
}

void lua_newtable(lua_State* L)
{
    GCCheck(L);
    L->top->SetTbl(TableNew(L, 0, 0));
    IncrTop(L);
}

int lua_getmetatable(lua_State* L, int objindex)
{
    TValue* o = Adr(L, objindex);
    if (o == nullptr) return 0;
    TValue scratch;
    const TValue* mt = MetatableValueOf(L, o, &scratch);
    if (mt == nullptr) return 0;
    Push(L, mt);
    return 1;
}

void lua_getfenv(lua_State* L, int idx)
{
    const TValue* o = ValueAt(L, idx);
    Push(L, IsLFunction(o) ? &o->Cl()->env : gt(L));
}

// ---------------------------------------------------------------------------
// Set

void lua_settable(lua_State* L, int idx)
{
    TValue t = *ValueAt(L, idx);
    VMSetTable(L, &t, L->top - 2, L->top - 1);
    L->top -= 2;
}

void lua_rawset(lua_State* L, int idx)
{
    const TValue* t = ValueAt(L, idx);
    if (t->IsTable()) *TableSet(L, t->Tbl(), L->top - 2) = *(L->top - 1);
    L->top -= 2;
}

void lua_rawseti(lua_State* L, int idx, int n)
{
    const TValue* t = ValueAt(L, idx);
    if (t->IsTable())
    {
        // An array slot already exists (a nil one too) and an integer key never
        // names an event, so the table's absent-event cache stays valid.
        Table* h = t->Tbl();
        if (InArrayPart(h, n))
            h->array[n - 1] = *(L->top - 1);
        else
            *TableSetNum(L, h, n) = *(L->top - 1);
    }
    L->top--;
}

int lua_setmetatable(lua_State* L, int objindex)
{
    TValue* obj = Adr(L, objindex);
    const TValue* mt = L->top - 1;
    int res = 1;
    Table* newmt;
    if (mt->IsNil())
        newmt = G(L)->defaultmeta;
    else if (mt->IsTable())
        newmt = mt->Tbl();
    else
        newmt = nullptr;
    if (obj == nullptr || newmt == nullptr)
    {
        res = 0;
    }
    else if (obj->IsTable())
    {
        obj->Tbl()->metatable = newmt;
    }
    else if (obj->IsUserdata())
    {
        obj->Ud()->metatable = newmt;
    }
    else
    {
        res = 0;
    }
    L->top--;
    return res;
}

int lua_setfenv(lua_State* L, int idx)
{
    TValue* o = Adr(L, idx);
    int res = 0;
    if (o && IsLFunction(o) && (L->top - 1)->IsTable())
    {
        o->Cl()->env = *(L->top - 1);
        res = 1;
    }
    L->top--;
    return res;
}

// ---------------------------------------------------------------------------
// Calls and loading

void lua_call(lua_State* L, int nargs, int nresults)
{
    StkId func = L->top - (nargs + 1);
    DoCall(L, func, nresults);
}

namespace
{

struct CallS
{
    StkId func;
    int nresults;
};

void FCall(lua_State* L, void* ud)
{
    CallS* c = static_cast<CallS*>(ud);
    DoCall(L, c->func, c->nresults);
}

struct CCallS
{
    lua_CFunction func;
    void* ud;
};

void FCCall(lua_State* L, void* ud)
{
    CCallS* c = static_cast<CCallS*>(ud);
    CClosure* cl = CClosureNew(L, c->func, 0);
    L->top->SetCl(cl);
    IncrTop(L);
    L->top->SetPtr(c->ud);
    IncrTop(L);
    DoCall(L, L->top - 2, 0);
}

}  // namespace

int lua_pcall(lua_State* L, int nargs, int nresults, int errfunc)
{
    ptrdiff_t func = 0;
    if (errfunc != 0)
    {
        TValue* o = Adr(L, errfunc);
        if (o != nullptr && o >= L->stack && o < L->stack + L->stacksize) func = SaveStack(L, o);
    }
    CallS c;
    c.func = L->top - (nargs + 1);
    c.nresults = nresults;
    return DoPCall(L, FCall, &c, SaveStack(L, c.func), func);
}

int lua_cpcall(lua_State* L, lua_CFunction func, void* ud)
{
    CCallS c{func, ud};
    return DoPCall(L, FCCall, &c, SaveStack(L, L->top), 0);
}

int lua_load(lua_State* L, lua_Chunkreader reader, void* data, const char* chunkname)
{
    if (!chunkname) chunkname = "?";
    Stream z;
    StreamInit(L, &z, reader, data, chunkname);
    int c = StreamLookahead(&z);
    return DoProtectedParser(L, &z, c == 27);
}

int lua_dump(lua_State* L, lua_Chunkwriter writer, void* data)
{
    const TValue* o = L->top - 1;
    if (L->top > L->base && IsLFunction(o) && o->Cl()->nupvalues == 0)
    {
        DumpProto(L, AsL(o->Cl())->p, writer, data);
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Coroutines, collector, miscellaneous

int lua_yield(lua_State* L, int nresults)
{
    return DoYield(L, nresults);
}

int lua_resume(lua_State* L, int narg)
{
    return DoResume(L, narg);
}

int lua_getnccalls(lua_State* L)
{
    return L->nCcalls;
}

int lua_isincall(lua_State* L)
{
    return L->ci != L->base_ci;
}

int lua_isyielded(lua_State* L)
{
    return L->ci != L->base_ci && (L->ci->state & CI_YIELD) != 0;
}

int lua_getgcthreshold(lua_State* L)
{
    size_t kb = G(L)->GCthreshold >> 10;
    return kb > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(kb);
}

int lua_getgccount(lua_State* L)
{
    size_t kb = G(L)->nblocks >> 10;
    return kb > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(kb);
}

void lua_setgcthreshold(lua_State* L, int newthreshold)
{
    if (static_cast<unsigned>(newthreshold) >= 0x400000u)
        G(L)->GCthreshold = static_cast<size_t>(-1);
    else
        G(L)->GCthreshold = static_cast<size_t>(newthreshold) << 10;
    GCCheck(L);
}

const char* lua_version(void)
{
    return LUA_VERSION;
}

int lua_error(lua_State* L)
{
    DebugErrorMsg(L);
}

int lua_next(lua_State* L, int idx)
{
    const TValue* t = ValueAt(L, idx);
    if (!t->IsTable())
    {
        L->top--;
        return 0;
    }
    int more = TableNext(L, t->Tbl(), L->top - 1);
    if (more)
        IncrTop(L);
    else
        L->top--;
    return more;
}

void lua_concat(lua_State* L, int n)
{
    if (n >= 2)
    {
        GCCheck(L);
        VMConcat(L, n, static_cast<int>(L->top - L->base) - 1);
        L->top -= (n - 1);
    }
    else if (n == 0)
    {
        L->top->SetStr(StrNew(L, "", 0));
        IncrTop(L);
    }
}

void* lua_newuserdata(lua_State* L, size_t size)
{
    GCCheck(L);
    Udata* u = UdataNew(L, size);
    L->top->SetUd(u);
    IncrTop(L);
    return u->Payload();
}
