// The script language's standard libraries: base (with coroutines), table
// and string (with binary pack/unpack). No other library exists in this
// dialect.
//
// Each luaopen_* registers its functions into the state's globals and
// leaves the library table on the stack (base leaves the globals table and
// the coroutine table). They raise script errors only on memory exhaustion.
#pragma once

#include "script/lang/lua.h"

#define LUA_COLIBNAME "coroutine"
#define LUA_TABLIBNAME "table"
#define LUA_STRLIBNAME "string"

int luaopen_base(lua_State* L);
int luaopen_table(lua_State* L);
int luaopen_string(lua_State* L);

// Opens the three libraries in the order the script host uses (base, table,
// string) and leaves the stack as it found it.
void luaopen_stdlibs(lua_State* L);
