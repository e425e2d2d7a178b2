// The helper layer over the host API that the standard libraries and the
// script host share: argument checks, error helpers, library registration,
// array sizes, string buffers (narrow and wide) and chunk loading.
//
// Failures: the luaL_check*/luaL_opt*/luaL_argerror/luaL_typerror/luaL_error
// calls raise a script error (they do not return when the check fails);
// luaL_loadfile and luaL_loadbuffer return a status (0, LUA_ERRFILE,
// LUA_ERRSYNTAX, LUA_ERRMEM, LUA_ERRRUN) with the chunk or the message on the
// stack; lua_dobuffer/lua_dostring/lua_dofile return the status after
// reporting a failure to "_ALERT" or the standard error stream.
#pragma once

#include <cstddef>

#include "script/lang/lua.h"

struct luaL_reg
{
    const char* name;
    lua_CFunction func;
};

// Registers the functions of l (ending with a null name) into the global
// table libname (created when missing; with a null libname into the table
// on the stack below the nup upvalues), each closing over the nup values on
// the top, which are popped. The library table stays on the stack.
void luaL_openlib(lua_State* L, const char* libname, const luaL_reg* l, int nup);
// Pushes field e of the metatable of the value at obj and returns 1; 0 with
// nothing pushed when there is no metatable or no such field.
int luaL_getmetafield(lua_State* L, int obj, const char* e);
// Calls metafield e with the value at obj and leaves its one result; 0 with
// nothing pushed when the field is missing.
int luaL_callmeta(lua_State* L, int obj, const char* e);
int luaL_typerror(lua_State* L, int narg, const char* tname);
int luaL_argerror(lua_State* L, int numarg, const char* extramsg);
const char* luaL_checklstring(lua_State* L, int numArg, size_t* l);
const char* luaL_optlstring(lua_State* L, int numArg, const char* def, size_t* l);
// The argument as a wide string (numbers convert); len receives the units.
const lua_WChar* luaL_checklwstring(lua_State* L, int numArg, size_t* len);
lua_Number luaL_checknumber(lua_State* L, int numArg);
lua_Number luaL_optnumber(lua_State* L, int nArg, lua_Number def);

void luaL_checkstack(lua_State* L, int sz, const char* msg);
void luaL_checktype(lua_State* L, int narg, int t);
void luaL_checkany(lua_State* L, int narg);

// Metatables kept in the registry under a type name. luaL_newmetatable
// returns 0 (and pushes the existing one) when the name is taken.
int luaL_newmetatable(lua_State* L, const char* tname);
void luaL_getmetatable(lua_State* L, const char* tname);
// The userdata at ud when its metatable is the registered tname; else NULL.
void* luaL_checkudata(lua_State* L, int ud, const char* tname);

// Pushes "chunk:line: " for the function at level lvl, or "".
void luaL_where(lua_State* L, int lvl);
int luaL_error(lua_State* L, const char* fmt, ...);

// Index of st in the null-terminated list lst, or -1.
int luaL_findstring(const char* st, const char* const lst[]);

// References into table t: a fresh integer key for the popped value;
// LUA_REFNIL for nil (nothing stored).
#define LUA_NOREF (-2)
#define LUA_REFNIL (-1)
int luaL_ref(lua_State* L, int t);
void luaL_unref(lua_State* L, int t, int ref);

// Array sizes: field "n", else the registry's weak size table, else the
// count of non-nil entries from 1.
int luaL_getn(lua_State* L, int t);
void luaL_setn(lua_State* L, int t, int n);

// Loads the file with logical name filename (a name is required) as a
// chunk named "@filename".
int luaL_loadfile(lua_State* L, const char* filename);
int luaL_loadbuffer(lua_State* L, const char* buff, size_t sz, const char* name);

#define luaL_argcheck(L, cond, numarg, extramsg) \
    if (!(cond)) luaL_argerror(L, numarg, extramsg)
#define luaL_checkstring(L, n) (luaL_checklstring(L, (n), NULL))
#define luaL_optstring(L, n, d) (luaL_optlstring(L, (n), (d), NULL))
#define luaL_checkint(L, n) (luaL_checkinteger(L, (n)))
#define luaL_optint(L, n, d) (luaL_optinteger(L, (n), (d)))
#define luaL_checklong(L, n) (luaL_checkinteger(L, (n)))
#define luaL_optlong(L, n, d) (luaL_optinteger(L, (n), (d)))

// Number arguments truncated toward zero into an int (out-of-range values
// give INT_MIN as the hardware's conversion does, never undefined results).
int luaL_checkinteger(lua_State* L, int numArg);
int luaL_optinteger(lua_State* L, int numArg, int def);

// ---------------------------------------------------------------------------
// String buffers. A buffer lives on the caller's C stack; finished pieces
// sit on the Lua stack until luaL_pushresult joins them, so nothing may be
// pushed or popped between buffer calls except as luaL_addvalue expects.
#define LUAL_BUFFERSIZE 512

struct luaL_Buffer
{
    char* p;   // write position in buffer
    int lvl;   // pieces already on the stack
    int wide;  // 0: bytes; 1: 16-bit units, two bytes each
    lua_State* L;
    char buffer[LUAL_BUFFERSIZE];
};

#define luaL_putchar(B, c)                                                   \
    ((void)((B)->p < ((B)->buffer + LUAL_BUFFERSIZE) || luaL_prepbuffer(B)), \
     (*(B)->p++ = (char)(c)))
#define luaL_addsize(B, n) ((B)->p += (n))

void luaL_buffinit(lua_State* L, luaL_Buffer* B);
// A wide buffer: the result is a wide string.
void luaL_wbuffinit(lua_State* L, luaL_Buffer* B);
// Flushes the buffer and returns its (empty) array for direct writing.
char* luaL_prepbuffer(luaL_Buffer* B);
void luaL_addlstring(luaL_Buffer* B, const char* s, size_t l);
void luaL_addstring(luaL_Buffer* B, const char* s);
// Appends n 16-bit units to a wide buffer.
void luaL_addlwstring(luaL_Buffer* B, const lua_WChar* s, size_t n);
void luaL_putwchar(luaL_Buffer* B, lua_WChar c);
// Appends and pops the value on the top: a string or number for a narrow
// buffer, a wide string or number for a wide one (anything else raises
// "string expected, got %s").
void luaL_addvalue(luaL_Buffer* B);
// Leaves the whole text on the stack as one string (wide string).
void luaL_pushresult(luaL_Buffer* B);

// Load and run; on failure the message goes to _ALERT or standard error.
int lua_dofile(lua_State* L, const char* filename);
int lua_dostring(lua_State* L, const char* str);
int lua_dobuffer(lua_State* L, const char* buff, size_t sz, const char* n);
