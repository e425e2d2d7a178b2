// The one reallocation routine of the script core and the vector growth rule.
#include "script/lang/memory.h"

#include "script/lang/debug.h"
#include "script/lang/do.h"
#include "script/lang/state.h"

void* MemRealloc(lua_State* L, void* block, size_t oldsize, size_t newsize)
{
    if (newsize >= MAX_BLOCK_SIZE) DebugPlainError(L, "memory allocation error: block too big");
    global_State* g = G(L);
    void* result = g->frealloc(g->ud, block, oldsize, newsize, 0, L->allocflag);
    if (result == nullptr && newsize > 0) DoThrow(L, LUA_ERRMEM);
    g->nblocks += newsize;
    g->nblocks -= oldsize;
    return result;
}

void* MemReallocVector(lua_State* L, void* block, size_t oldn, size_t newn, size_t elemsize)
{
    if (elemsize != 0 && newn >= MAX_BLOCK_SIZE / elemsize)
        DebugPlainError(L, "memory allocation error: block too big");
    return MemRealloc(L, block, oldn * elemsize, newn * elemsize);
}

void* MemGrowAux(lua_State* L, void* block, int* size, size_t elemsize, int limit,
                 const char* errormsg)
{
    int newsize;
    if (*size >= limit / 2)
    {
        if (*size < limit - 4)
        {
            newsize = limit;
        }
        else
        {
            DebugPlainError(L, "%s", errormsg);
        }
    }
    else
    {
        newsize = *size * 2;
        if (newsize < 4) newsize = 4;
    }
    void* result = MemReallocVector(L, block, static_cast<size_t>(*size),
                                    static_cast<size_t>(newsize), elemsize);
    *size = newsize;
    return result;
}
