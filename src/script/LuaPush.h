// Pushing framework values onto a script stack: native object references and
// framework strings.
//
// Failures: pushes raise the engine's memory error like every push.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "script/lang/lua.h"

// Pushes a new full userdata that refers to ptr (an external reference:
// lua_touserdata returns ptr itself, lua_touserdatakey the key). Its metatable
// is the per-type table of userdata until the caller sets another.
void PushUserdataRef(lua_State* L, void* ptr, uint64_t key);
// Pushes the text of s as a string ("" for an empty string).
void PushLuaString(lua_State* L, TString s);
