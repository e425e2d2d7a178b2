// Per-type tables and table sizes for native code: the table that stands
// behind the fields and handlers of every value of one kind.
//
// Failures: PushTypeMetatable pushes nil for a tag without a table;
// SetTypeMetatable ignores anything but a table; GetLuaTableSize returns 0
// for a value that is not a table.
#pragma once

#include "script/lang/lua.h"

// Pushes the per-type table of tag (LUA_TNIL .. LUA_TWSTRING, 10).
void PushTypeMetatable(lua_State* L, int tag);
// Pops the top value; when it is a table it becomes the per-type table of tag.
void SetTypeMetatable(lua_State* L, int tag);
// The element count of the table at idx: its raw field "n" when that is a
// number, else the largest index holding a value (array part and numeric
// keys of the hash part), truncated toward zero.
int GetLuaTableSize(lua_State* L, int idx);
