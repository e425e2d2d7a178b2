// Shared chunks: a script function's prototypes kept outside any state, so
// that many states can load the same compiled code without reading and
// checking its bytes again. A state builds its own prototypes from the chunk
// (constants and names are interned in that state, so string identity holds)
// and shares only the instructions and line information, which nothing
// writes once a function is built. The prototypes of each load hold a
// reference to it, so the chunk outlives its owner while a state still runs
// its code.
//
// The public entry points are lua_newshared, lua_loadshared and
// lua_freeshared (lua.h).
#pragma once

#include <cstddef>

#include "script/lang/object.h"

// The prototypes one load of a shared chunk builds, and the strings it had to
// make, share one block, which goes (with the load's reference to the chunk)
// when the collector has freed the last of them.
struct SharedProtoGroup
{
    const SharedChunk* chunk;
    size_t bytes;
    size_t live;  // objects in the block not yet freed
};

// Frees one object of the group starting at block (ProtoFree's and
// StrFree's part for them).
void SharedGroupRelease(lua_State* L, void* block);

// Drops one reference (a group's, or the owner's through lua_freeshared); the
// last one frees the chunk.
void SharedChunkRelease(const SharedChunk* chunk);
