// Shared pieces of the script fuzz targets: a reader that hands the input
// over in one block, a writer that collects a dump, an instruction budget
// and an allocator with a byte cap.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>

#include "script/lang/lua.h"

struct FuzzInput
{
    const char* data;
    size_t size;
    bool done;

    static const char* Read(lua_State*, void* ud, size_t* size)
    {
        auto* in = static_cast<FuzzInput*>(ud);
        if (in->done)
        {
            *size = 0;
            return nullptr;
        }
        in->done = true;
        *size = in->size;
        return in->data;
    }
};

inline int FuzzCollect(lua_State*, const void* p, size_t sz, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), sz);
    return 0;
}

// Count hook: stops a script that runs too long.
inline void FuzzStopAfterBudget(lua_State* L, lua_Debug*)
{
    lua_pushstring(L, "instruction budget spent");
    lua_error(L);
}

// Allocation function (user data: a FuzzBudget) that refuses growth past
// `cap' bytes in use.
struct FuzzBudget
{
    size_t cap;
    size_t inUse = 0;

    static void* Alloc(void* ud, void* block, size_t osize, size_t nsize, int, int)
    {
        auto* b = static_cast<FuzzBudget*>(ud);
        if (nsize == 0)
        {
            std::free(block);
            b->inUse -= osize;
            return nullptr;
        }
        if (nsize > osize && b->inUse + (nsize - osize) > b->cap) return nullptr;
        void* p = std::realloc(block, nsize);
        if (p) b->inUse = b->inUse - osize + nsize;
        return p;
    }
};
