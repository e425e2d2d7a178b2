// Shared chunks: a script function's prototypes kept outside any state, so
// that many states can load the same compiled code without reading and
// checking its bytes again. A state builds its own prototypes from the chunk
// (constants and names are interned in that state, so string identity holds)
// and shares only the instructions and line information, which nothing
// writes once a function is built. Every prototype built from a chunk holds a
// reference to it, so the chunk outlives its owner while a state still runs
// its code.
//
// The public entry points are lua_newshared, lua_loadshared and
// lua_freeshared (lua.h).
#pragma once

#include <cstddef>

#include "script/lang/object.h"

// Bytes of a prototype built from a shared chunk: the prototype with its
// constants, nested-prototype slots, local-variable records and upvalue names
// in one block.
inline size_t SharedProtoBlockSize(int sizek, int sizep, int sizelocvars, int sizeupvalues)
{
    return sizeof(Proto) + sizeof(TValue) * static_cast<size_t>(sizek) +
           sizeof(Proto*) * static_cast<size_t>(sizep) +
           sizeof(LocVar) * static_cast<size_t>(sizelocvars) +
           sizeof(LString*) * static_cast<size_t>(sizeupvalues);
}

// Drops one reference (a prototype's, or the owner's through lua_freeshared);
// the last one frees the chunk.
void SharedChunkRelease(const SharedChunk* chunk);
