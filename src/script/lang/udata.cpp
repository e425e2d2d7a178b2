// Full userdata blocks: even stored lengths for payloads, odd ones for
// external references.
#include "script/lang/udata.h"

#include "script/lang/debug.h"
#include "script/lang/memory.h"
#include "script/lang/meta.h"
#include "script/lang/state.h"

static Udata* NewBlock(lua_State* L, size_t payload, uint32_t storedlen, Table* metatable)
{
    Udata* u = static_cast<Udata*>(MemRealloc(L, nullptr, 0, sizeof(Udata) + payload));
    u->tt = LUA_TUSERDATA;
    u->marked = 0;
    u->len = storedlen;
    u->metatable = metatable;
    global_State* g = G(L);
    u->next = g->rootudata;
    g->rootudata = u;
    return u;
}

Udata* UdataNew(lua_State* L, size_t size)
{
    // Round up to even without wrapping: a size near the top would otherwise
    // become a tiny block.
    if (size >= MAX_BLOCK_SIZE - sizeof(Udata) - 1)
        DebugPlainError(L, "memory allocation error: block too big");
    size_t even = (size + 1) & ~static_cast<size_t>(1);
    Udata* u = NewBlock(L, even, static_cast<uint32_t>(even), DefaultMetatableFor(L, LUA_TUSERDATA));
    return u;
}

Udata* UdataNewRef(lua_State* L, void* ptr, uint64_t key)
{
    Udata* u = NewBlock(L, sizeof(UdataRef), kUdataRefLen, DefaultMetatableFor(L, LUA_TUSERDATA));
    *u->Ref() = UdataRef{ptr, key};
    return u;
}

Udata* UdataNewOwnedRef(lua_State* L, void* ptr, uint64_t key)
{
    Table* mt = G(L)->refmeta;
    Udata* u = NewBlock(L, sizeof(UdataRef), kUdataOwnedRefLen,
                        mt != nullptr ? mt : DefaultMetatableFor(L, LUA_TUSERDATA));
    *u->Ref() = UdataRef{ptr, key};
    return u;
}

void UdataFree(lua_State* L, Udata* u)
{
    MemFree(L, u, u->AllocSize());
}
