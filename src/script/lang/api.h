// Index resolution of the host API for the engine's own native helpers
// (wide strings, per-type tables) that work on values in place.
#pragma once

#include "script/lang/object.h"

// The slot an acceptable index refers to (stack, registry, globals, upvalue
// of the running native closure, registry reference), or NULL for an index
// without a value. A registry reference to an absent entry gives &kNilObject,
// which must not be written.
TValue* ApiIndexToSlot(lua_State* L, int idx);
