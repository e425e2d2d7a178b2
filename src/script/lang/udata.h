// Full userdata: payload blocks owned by the collector, each with a metatable
// (the per-type table of userdata when made).
//
// Failures raise the memory error (status 4) or "block too big" (status 1).
#pragma once

#include <cstddef>
#include <cstdint>

#include "script/lang/object.h"

// A new userdata with size bytes of payload (stored length rounded up to even).
Udata* UdataNew(lua_State* L, size_t size);
// A new external-reference userdata: stored length 1, the payload holds ptr
// and key.
Udata* UdataNewRef(lua_State* L, void* ptr, uint64_t key);
// A new owned reference to ptr with key (stored length 3) with the state's
// metatable of owned references.
Udata* UdataNewOwnedRef(lua_State* L, void* ptr, uint64_t key);
void UdataFree(lua_State* L, Udata* u);
