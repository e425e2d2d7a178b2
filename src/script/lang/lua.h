// The script engine's public host API: every native caller reaches a script
// state through these lua_* calls, types and constants.
//
// Failure conventions: calls that run script code report a status
// (LUA_ERRRUN ...) with the error value on the stack; lookups return 0/NULL
// for an index without a value. Errors inside the engine unwind with the
// engine's own C++ exception (see do.h); host functions called by the engine
// may let it pass, and their stack objects are destroyed on the way out.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#define LUA_VERSION "Lua 5.0.2"

// Option for multiple returns in lua_pcall and lua_call.
#define LUA_MULTRET (-1)

// Pseudo-indices.
#define LUA_REGISTRYINDEX (-10000)
#define LUA_GLOBALSINDEX (-10001)
#define lua_upvalueindex(i) (LUA_GLOBALSINDEX - (i))
// Registry entry under the integer key n (n >= 1), for reading only.
#define LUA_REGISTRYREFBASE (-40000)
#define lua_registryrefindex(n) (LUA_REGISTRYREFBASE - (n))

// Error codes for lua_load, lua_pcall and lua_resume.
#define LUA_ERRRUN 1
#define LUA_ERRFILE 2
#define LUA_ERRSYNTAX 3
#define LUA_ERRMEM 4
#define LUA_ERRERR 5

// Basic types.
#define LUA_TNONE (-1)
#define LUA_TNIL 0
#define LUA_TBOOLEAN 1
#define LUA_TLIGHTUSERDATA 2
#define LUA_TNUMBER 3
#define LUA_TSTRING 4
#define LUA_TTABLE 5
#define LUA_TFUNCTION 6
#define LUA_TUSERDATA 7
#define LUA_TTHREAD 8
#define LUA_TWSTRING 9

// Minimum free stack slots guaranteed to a native function.
#define LUA_MINSTACK 20
// The most slots lua_checkstack grants a native function.
#define LUA_MAXCSTACK 2048

struct lua_State;
typedef double lua_Number;
typedef uint16_t lua_WChar;  // one unit of a wide string

typedef int (*lua_CFunction)(lua_State* L);

// Functions that read/write blocks when loading/dumping chunks. A reader
// returns the next block and its size, or NULL / size 0 at the end.
typedef const char* (*lua_Chunkreader)(lua_State* L, void* ud, size_t* sz);
typedef int (*lua_Chunkwriter)(lua_State* L, const void* p, size_t sz, void* ud);

// The allocation function: resizes block from osize to nsize bytes; nsize 0
// frees it and returns NULL. Returns NULL when it cannot allocate. flag is
// reserved (always 0); allocflag is the calling thread's allocation flag (1
// only while the shared text buffer is resized).
typedef void* (*lua_Alloc)(void* ud, void* block, size_t osize, size_t nsize, int flag,
                           int allocflag);

// The program-wide allocation function and user data that lua_open uses.
// Passing NULL restores the default (runtime realloc/free).
void lua_setallocator(lua_Alloc f, void* ud);
lua_Alloc lua_getallocator(void** ud);

// State manipulation. lua_open returns NULL when the state cannot be made.
lua_State* lua_open(void);
void lua_close(lua_State* L);
lua_State* lua_newthread(lua_State* L);
lua_CFunction lua_atpanic(lua_State* L, lua_CFunction panicf);

// Basic stack manipulation.
int lua_gettop(lua_State* L);
void lua_settop(lua_State* L, int idx);
void lua_pushvalue(lua_State* L, int idx);
void lua_remove(lua_State* L, int idx);
void lua_insert(lua_State* L, int idx);
void lua_replace(lua_State* L, int idx);
int lua_checkstack(lua_State* L, int sz);  // 0 when refused
void lua_xmove(lua_State* from, lua_State* to, int n);

// Access functions (stack -> native). Invalid indices read as "no value".
int lua_isnumber(lua_State* L, int idx);
int lua_isstring(lua_State* L, int idx);
int lua_iscfunction(lua_State* L, int idx);
int lua_isuserdata(lua_State* L, int idx);
int lua_type(lua_State* L, int idx);
const char* lua_typename(lua_State* L, int tp);

int lua_equal(lua_State* L, int idx1, int idx2);
int lua_rawequal(lua_State* L, int idx1, int idx2);
int lua_lessthan(lua_State* L, int idx1, int idx2);

lua_Number lua_tonumber(lua_State* L, int idx);  // 0 when not convertible
int lua_toboolean(lua_State* L, int idx);
const char* lua_tostring(lua_State* L, int idx);  // NULL for non-strings
size_t lua_strlen(lua_State* L, int idx);
lua_CFunction lua_tocfunction(lua_State* L, int idx);
void* lua_touserdata(lua_State* L, int idx);
// 1 for a userdata that refers to native memory (made by lua_pushuserdataref
// or lua_pushownedref), 0 for every other value.
int lua_isuserdataref(lua_State* L, int idx);
// For such a userdata: 1, with *key set to the key it was pushed with; 0 for
// every other value (*key is left alone).
int lua_touserdatakey(lua_State* L, int idx, uint64_t* key);
lua_State* lua_tothread(lua_State* L, int idx);
const void* lua_topointer(lua_State* L, int idx);

// Push functions (native -> stack).
void lua_pushnil(lua_State* L);
void lua_pushnumber(lua_State* L, lua_Number n);
void lua_pushlstring(lua_State* L, const char* s, size_t l);
void lua_pushstring(lua_State* L, const char* s);  // NULL pushes nil
const char* lua_pushvfstring(lua_State* L, const char* fmt, va_list argp);
const char* lua_pushfstring(lua_State* L, const char* fmt, ...);
void lua_pushcclosure(lua_State* L, lua_CFunction fn, int n);
void lua_pushboolean(lua_State* L, int b);
void lua_pushlightuserdata(lua_State* L, void* p);
// A full userdata that refers to p without owning it: lua_touserdata gives p
// back, lua_touserdatakey the key. The key is the host's own word, kept with
// the pointer and never read by the engine: a host whose objects may die
// while scripts still hold them puts there what tells whether p still names
// the object it was pushed for. Its metatable is the per-type table of
// userdata.
void lua_pushuserdataref(lua_State* L, void* p, uint64_t key);
// Owned references: full userdata that refer to native objects like those of
// lua_pushuserdataref, with a key like theirs, but own them. When the
// collector frees one it calls the state's release hook with the pointer and
// the key, after the sweep that found it unreached and before the "__gc"
// handlers run (a "__gc" entry in their metatable is not called for them);
// closing the state releases the rest. The hook must not raise errors.
typedef void (*lua_RefRelease)(lua_State* L, void* p, uint64_t key);
// Sets the release hook, and the table on the top of the stack (popped; nil
// for none) as the metatable of every owned reference made from then on.
void lua_setownedrefs(lua_State* L, lua_RefRelease release);
// 1 once lua_setownedrefs gave the state a release hook, else 0.
int lua_hasownedrefs(lua_State* L);
// Pushes a new owned reference to p with key; lua_touserdata gives p back,
// lua_touserdatakey the key.
void lua_pushownedref(lua_State* L, void* p, uint64_t key);
// Pushes the string of a text that outlives the state (a literal): the first
// push of an address makes the string and keeps it for the state's life;
// later pushes of the same address find it without hashing the text.
void lua_pushstaticstring(lua_State* L, const char* s);
// Pushes the value of the global whose name is such a text, as pushing the
// name and lua_gettable on LUA_GLOBALSINDEX would ("__index" included).
void lua_getstaticglobal(lua_State* L, const char* name);
// Pushes the thread L itself.
void lua_pushthread(lua_State* L);
// The main thread of L's state.
lua_State* lua_mainthread(lua_State* L);

// Get functions (script -> stack).
void lua_gettable(lua_State* L, int idx);
void lua_rawget(lua_State* L, int idx);
void lua_rawgeti(lua_State* L, int idx, int n);
void lua_newtable(lua_State* L);
void* lua_newuserdata(lua_State* L, size_t sz);
int lua_getmetatable(lua_State* L, int objindex);
void lua_getfenv(lua_State* L, int idx);

// Set functions (stack -> script).
void lua_settable(lua_State* L, int idx);
void lua_rawset(lua_State* L, int idx);
void lua_rawseti(lua_State* L, int idx, int n);
int lua_setmetatable(lua_State* L, int objindex);
int lua_setfenv(lua_State* L, int idx);

// Load and call.
void lua_call(lua_State* L, int nargs, int nresults);
int lua_pcall(lua_State* L, int nargs, int nresults, int errfunc);
int lua_cpcall(lua_State* L, lua_CFunction func, void* ud);
int lua_load(lua_State* L, lua_Chunkreader reader, void* dt, const char* chunkname);
// Dumps the script function on the top through writer; returns 1 when it
// was dumped, 0 when the value is not a script function without upvalues.
int lua_dump(lua_State* L, lua_Chunkwriter writer, void* data);

// Shared chunks: the compiled form of a script function that many states load.
// lua_newshared copies the script function on the top (one without upvalues,
// as lua_dump takes) out of its state; NULL for any other value or when out
// of memory. lua_loadshared pushes a new closure of it in L as lua_load would
// for the same function's dumped bytes, without reading or checking bytes;
// returns 0 or LUA_ERRMEM (with the error message pushed). lua_freeshared
// drops the caller's handle: states that loaded the chunk keep it alive for as
// long as they hold its functions.
struct SharedChunk;
SharedChunk* lua_newshared(lua_State* L);
int lua_loadshared(lua_State* L, const SharedChunk* chunk);
void lua_freeshared(const SharedChunk* chunk);

// Coroutines.
int lua_yield(lua_State* L, int nresults);
int lua_resume(lua_State* L, int narg);
// Native calls the thread is nested in; lua_yield refuses while above 0.
int lua_getnccalls(lua_State* L);
// 1 when L is inside a call (running or suspended), 0 when idle at its base.
int lua_isincall(lua_State* L);
// 1 when L is suspended by a yield.
int lua_isyielded(lua_State* L);

// Collector (kilobytes).
int lua_getgcthreshold(lua_State* L);
int lua_getgccount(lua_State* L);
void lua_setgcthreshold(lua_State* L, int newthreshold);

// Miscellaneous.
const char* lua_version(void);
int lua_error(lua_State* L);  // never returns
int lua_next(lua_State* L, int idx);
void lua_concat(lua_State* L, int n);

// Convenience macros.
#define lua_boxpointer(L, u) (*(void**)(lua_newuserdata(L, sizeof(void*))) = (u))
#define lua_unboxpointer(L, i) (*(void**)(lua_touserdata(L, i)))
#define lua_pop(L, n) lua_settop(L, -(n)-1)
#define lua_register(L, n, f) \
    (lua_pushstring(L, n), lua_pushcfunction(L, f), lua_settable(L, LUA_GLOBALSINDEX))
#define lua_pushcfunction(L, f) lua_pushcclosure(L, f, 0)
#define lua_isfunction(L, n) (lua_type(L, n) == LUA_TFUNCTION)
#define lua_istable(L, n) (lua_type(L, n) == LUA_TTABLE)
#define lua_islightuserdata(L, n) (lua_type(L, n) == LUA_TLIGHTUSERDATA)
#define lua_isnil(L, n) (lua_type(L, n) == LUA_TNIL)
#define lua_isboolean(L, n) (lua_type(L, n) == LUA_TBOOLEAN)
#define lua_iswstring(L, n) (lua_type(L, n) == LUA_TWSTRING)
#define lua_isnone(L, n) (lua_type(L, n) == LUA_TNONE)
#define lua_isnoneornil(L, n) (lua_type(L, n) <= 0)
#define lua_pushliteral(L, s) lua_pushlstring(L, "" s, (sizeof(s) / sizeof(char)) - 1)
#define lua_getregistry(L) lua_pushvalue(L, LUA_REGISTRYINDEX)

// ---------------------------------------------------------------------------
// Debug API

#define LUA_HOOKCALL 0
#define LUA_HOOKRET 1
#define LUA_HOOKLINE 2
#define LUA_HOOKCOUNT 3
#define LUA_HOOKTAILRET 4

#define LUA_MASKCALL (1 << LUA_HOOKCALL)
#define LUA_MASKRET (1 << LUA_HOOKRET)
#define LUA_MASKLINE (1 << LUA_HOOKLINE)
#define LUA_MASKCOUNT (1 << LUA_HOOKCOUNT)
// The count hook counting taken jumps and script-function entries instead of
// instructions: every endless loop or recursion reaches it, and between those
// points the interpreter pays nothing for it. The hook is called with
// LUA_HOOKCOUNT. Ignored when LUA_MASKCOUNT is also given.
#define LUA_MASKLOOP (1 << 5)

#define LUA_IDSIZE 60

struct lua_Debug;
typedef void (*lua_Hook)(lua_State* L, lua_Debug* ar);

struct lua_Debug
{
    int event;
    const char* name;            // (n)
    const char* namewhat;        // (n) "global", "local", "field", "method"
    const char* what;            // (S) "Lua", "C", "main", "tail"
    const char* source;          // (S)
    int currentline;             // (l)
    int nups;                    // (u) number of upvalues
    int linedefined;             // (S)
    char short_src[LUA_IDSIZE];  // (S)
    int i_ci;                    // active function (private)
};

int lua_getstack(lua_State* L, int level, lua_Debug* ar);  // 0 past the last level
int lua_getinfo(lua_State* L, const char* what, lua_Debug* ar);
const char* lua_getlocal(lua_State* L, const lua_Debug* ar, int n);  // NULL when none
const char* lua_setlocal(lua_State* L, const lua_Debug* ar, int n);
const char* lua_getupvalue(lua_State* L, int funcindex, int n);
const char* lua_setupvalue(lua_State* L, int funcindex, int n);
int lua_sethook(lua_State* L, lua_Hook func, int mask, int count);
lua_Hook lua_gethook(lua_State* L);
int lua_gethookmask(lua_State* L);
int lua_gethookcount(lua_State* L);
