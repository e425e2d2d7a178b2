// The base library (global functions, with wide-string aware print,
// tostring, tonumber and towstring) and the coroutine table.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "script/lang/TypeTable.h"
#include "script/lang/WideString.h"
#include "script/lang/object.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

void GetGlobal(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
}

void SetGlobal(lua_State* L, const char* name)
{  // pops the value
    lua_pushstring(L, name);
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
}

// ---------------------------------------------------------------------------
// Output

// One code point as UTF-8.
void PutUtf8(unsigned cp, std::FILE* out)
{
    char b[4];
    int n;
    if (cp < 0x80)
    {
        b[0] = static_cast<char>(cp);
        n = 1;
    }
    else if (cp < 0x800)
    {
        b[0] = static_cast<char>(0xC0 | (cp >> 6));
        b[1] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 2;
    }
    else if (cp < 0x10000)
    {
        b[0] = static_cast<char>(0xE0 | (cp >> 12));
        b[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        b[2] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 3;
    }
    else
    {
        b[0] = static_cast<char>(0xF0 | (cp >> 18));
        b[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        b[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        b[3] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 4;
    }
    std::fwrite(b, 1, static_cast<size_t>(n), out);
}

// Wide text goes to the terminal as UTF-8: surrogate pairs are joined, and a
// lone surrogate is written in the three-byte form so nothing is lost.
void WriteWide(const lua_WChar* s, size_t n, std::FILE* out)
{
    for (size_t i = 0; i < n; i++)
    {
        unsigned u = s[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
        {
            PutUtf8(0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00u), out);
            i++;
        }
        else
        {
            PutUtf8(u, out);
        }
    }
}

int B_print(lua_State* L)
{
    int n = lua_gettop(L);
    GetGlobal(L, "towstring");
    GetGlobal(L, "tostring");
    int towIdx = n + 1, tosIdx = n + 2;
    for (int i = 1; i <= n; i++)
    {
        bool wide = lua_type(L, i) == LUA_TWSTRING;
        lua_pushvalue(L, wide ? towIdx : tosIdx);
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        if (i > 1) std::fputc('\t', stdout);
        if (wide)
        {
            if (lua_type(L, -1) != LUA_TWSTRING)
                return luaL_error(L, "`tostring' must return a string to `print'");
            const lua_WChar* w = ToWideString(L, -1);
            WriteWide(w, lua_strlen(L, -1), stdout);
        }
        else
        {
            const char* s = lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER
                                ? lua_tostring(L, -1)
                                : nullptr;
            if (s == nullptr) return luaL_error(L, "`tostring' must return a string to `print'");
            std::fwrite(s, 1, lua_strlen(L, -1), stdout);
        }
        lua_pop(L, 1);
    }
    std::fputc('\n', stdout);
    return 0;
}

// ---------------------------------------------------------------------------
// Conversions

// Unsigned 32-bit reading of text in a base: leading blanks, an optional
// sign (a minus wraps modulo 2^32), "0x" for base 16, trailing blanks.
// Values past 32 bits saturate at 4294967295. False when no digit is read
// or anything but blanks follows.
bool ParseUnsigned(const char* s, size_t len, int base, uint32_t* out)
{
    size_t i = 0;
    while (i < len && std::isspace(static_cast<unsigned char>(s[i]))) i++;
    bool neg = false;
    if (i < len && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    // "0x" belongs to a base-16 number only when a digit follows it.
    if (base == 16 && i + 2 < len && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2])))
        i += 2;
    uint64_t v = 0;
    bool overflow = false;
    size_t start = i;
    for (; i < len; i++)
    {
        int c = static_cast<unsigned char>(s[i]);
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'z')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'Z')
            d = c - 'A' + 10;
        else
            break;
        if (d >= base) break;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFu)
        {
            overflow = true;
            v = 0xFFFFFFFFu;
        }
    }
    if (i == start) return false;
    while (i < len && std::isspace(static_cast<unsigned char>(s[i]))) i++;
    if (i != len) return false;
    uint32_t r = static_cast<uint32_t>(v);
    if (neg && !overflow) r = 0u - r;
    *out = r;
    return true;
}

int B_tonumber(lua_State* L)
{
    int base = luaL_optint(L, 2, 10);
    if (base == 10)
    {
        luaL_checkany(L, 1);
        if (lua_isnumber(L, 1))
        {
            lua_pushnumber(L, lua_tonumber(L, 1));
            return 1;
        }
    }
    else
    {
        char narrow[100];
        const char* s;
        size_t len;
        if (lua_type(L, 1) == LUA_TWSTRING)
        {
            size_t units = lua_strlen(L, 1);
            luaL_argcheck(L, 2 <= base && base <= 36, 2, "base out of range");
            if (units >= sizeof(narrow))
            {
                lua_pushnil(L);
                return 1;
            }
            const lua_WChar* w = ToWideString(L, 1);
            for (size_t i = 0; i < units; i++) narrow[i] = static_cast<char>(w[i] & 0xFF);
            s = narrow;
            len = units;
        }
        else
        {
            s = luaL_checklstring(L, 1, &len);
            luaL_argcheck(L, 2 <= base && base <= 36, 2, "base out of range");
        }
        uint32_t n;
        if (ParseUnsigned(s, len, base, &n))
        {
            lua_pushnumber(L, static_cast<lua_Number>(n));
            return 1;
        }
    }
    lua_pushnil(L);
    return 1;
}

// "table: %p" and the like for the values shown by their address; false
// (buff untouched) for any other type.
bool AddressText(lua_State* L, int idx, char* buff, size_t size)
{
    switch (lua_type(L, idx))
    {
        case LUA_TTABLE:
            std::snprintf(buff, size, "%.40s: %p", lua_typename(L, LUA_TTABLE),
                          lua_topointer(L, idx));
            return true;
        case LUA_TFUNCTION:
            std::snprintf(buff, size, "function: %p", lua_topointer(L, idx));
            return true;
        case LUA_TTHREAD:
            std::snprintf(buff, size, "thread: %p", static_cast<void*>(lua_tothread(L, idx)));
            return true;
        case LUA_TUSERDATA:
            std::snprintf(buff, size, "userdata: %p", lua_touserdata(L, idx));
            return true;
        default:
            return false;
    }
}

int B_tostring(lua_State* L)
{
    char buff[64];
    luaL_checkany(L, 1);
    if (luaL_callmeta(L, 1, "__tostring")) return 1;
    switch (lua_type(L, 1))
    {
        case LUA_TNUMBER:
            lua_pushstring(L, lua_tostring(L, 1));
            return 1;
        case LUA_TSTRING:
            lua_pushvalue(L, 1);
            return 1;
        case LUA_TWSTRING:
        {
            size_t n = lua_strlen(L, 1);
            const lua_WChar* w = ToWideString(L, 1);
            luaL_Buffer b;
            luaL_buffinit(L, &b);
            for (size_t i = 0; i < n; i++) luaL_putchar(&b, static_cast<char>(w[i] & 0xFF));
            luaL_pushresult(&b);
            return 1;
        }
        case LUA_TBOOLEAN:
            lua_pushstring(L, lua_toboolean(L, 1) ? "true" : "false");
            return 1;
        case LUA_TNIL:
            lua_pushliteral(L, "nil");
            return 1;
        default:
            // A light userdata shows its pointer like a full one.
            if (!AddressText(L, 1, buff, sizeof buff))
                std::snprintf(buff, sizeof buff, "userdata: %p", lua_touserdata(L, 1));
            break;
    }
    lua_pushstring(L, buff);
    return 1;
}

void PushWideOfBytes(lua_State* L, const char* s, size_t n, bool signExtend)
{
    luaL_Buffer b;
    luaL_wbuffinit(L, &b);
    for (size_t i = 0; i < n; i++)
    {
        lua_WChar u =
            signExtend
                ? static_cast<lua_WChar>(static_cast<int16_t>(static_cast<signed char>(s[i])))
                : static_cast<lua_WChar>(static_cast<unsigned char>(s[i]));
        luaL_putwchar(&b, u);
    }
    luaL_pushresult(&b);
}

int B_towstring(lua_State* L)
{
    char buff[80];
    switch (lua_type(L, 1))
    {
        case LUA_TNIL:
            PushWideOfBytes(L, "nil", 3, false);
            return 1;
        case LUA_TNUMBER:
            lua_pushvalue(L, 1);
            ToWideString(L, -1);
            return 1;
        case LUA_TSTRING:
        {
            size_t n;
            const char* s = lua_tostring(L, 1);
            n = lua_strlen(L, 1);
            PushWideOfBytes(L, s, n, true);
            return 1;
        }
        case LUA_TWSTRING:
            lua_pushvalue(L, 1);
            return 1;
        default:
            // Booleans and light userdata have no wide text.
            if (!AddressText(L, 1, buff, sizeof buff)) return luaL_argerror(L, 1, "value expected");
            break;
    }
    PushWideOfBytes(L, buff, std::strlen(buff), false);
    return 1;
}

int B_type(lua_State* L)
{
    luaL_checkany(L, 1);
    lua_pushstring(L, lua_typename(L, lua_type(L, 1)));
    return 1;
}

// ---------------------------------------------------------------------------
// Errors, metatables, environments

int B_error(lua_State* L)
{
    int level = luaL_optint(L, 2, 1);
    lua_settop(L, 1);
    int t = lua_type(L, 1);
    if ((t == LUA_TSTRING || t == LUA_TNUMBER) && level > 0)
    {
        luaL_where(L, level);
        lua_pushvalue(L, 1);
        lua_concat(L, 2);
    }
    return lua_error(L);
}

int B_getmetatable(lua_State* L)
{
    luaL_checkany(L, 1);
    if (!lua_getmetatable(L, 1))
    {
        lua_pushnil(L);
        return 1;
    }
    luaL_getmetafield(L, 1, "__metatable");
    return 1;
}

int B_setmetatable(lua_State* L)
{
    int t = lua_type(L, 2);
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_argcheck(L, t == LUA_TNIL || t == LUA_TTABLE, 2, "nil or table expected");
    if (luaL_getmetafield(L, 1, "__metatable"))
        luaL_error(L, "cannot change a protected metatable");
    lua_settop(L, 2);
    lua_setmetatable(L, 1);
    return 1;
}

void PushFunctionArg(lua_State* L)
{
    if (lua_isfunction(L, 1))
    {
        lua_pushvalue(L, 1);
        return;
    }
    lua_Debug ar;
    int level = luaL_optint(L, 1, 1);
    luaL_argcheck(L, level >= 0, 1, "level must be non-negative");
    if (lua_getstack(L, level, &ar) == 0) luaL_argerror(L, 1, "invalid level");
    lua_getinfo(L, "f", &ar);
    if (lua_isnil(L, -1)) luaL_error(L, "no function environment for tail call at level %d", level);
}

// Pushes the environment of the function on the top and its "__fenv"
// field; true when that field is set.
bool PushEnvAndGuard(lua_State* L)
{
    lua_getfenv(L, -1);
    lua_pushliteral(L, "__fenv");
    lua_rawget(L, -2);
    return !lua_isnil(L, -1);
}

int B_getfenv(lua_State* L)
{
    PushFunctionArg(L);
    if (!PushEnvAndGuard(L)) lua_pop(L, 1);
    return 1;
}

int B_setfenv(lua_State* L)
{
    luaL_checktype(L, 2, LUA_TTABLE);
    PushFunctionArg(L);
    if (PushEnvAndGuard(L)) luaL_error(L, "`setfenv' cannot change a protected environment");
    lua_pop(L, 2);
    lua_pushvalue(L, 2);
    if (lua_isnumber(L, 1) && lua_tonumber(L, 1) == 0)
        lua_replace(L, LUA_GLOBALSINDEX);
    else if (lua_setfenv(L, -2) == 0)
        luaL_error(L, "`setfenv' cannot change environment of given function");
    return 0;
}

// ---------------------------------------------------------------------------
// Tables and iteration

int B_next(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    lua_settop(L, 2);
    if (lua_next(L, 1)) return 2;
    lua_pushnil(L);
    return 1;
}

int B_pairs(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    GetGlobal(L, "next");
    lua_pushvalue(L, 1);
    lua_pushnil(L);
    return 3;
}

int B_ipairs(lua_State* L)
{
    lua_Number i = lua_tonumber(L, 2);
    luaL_checktype(L, 1, LUA_TTABLE);
    if (i == 0 && lua_isnone(L, 2))
    {
        GetGlobal(L, "ipairs");
        lua_pushvalue(L, 1);
        lua_pushnumber(L, 0);
        return 3;
    }
    i++;
    lua_pushnumber(L, i);
    lua_rawgeti(L, 1, NumberToInt32(i));
    return lua_isnil(L, -1) ? 0 : 2;
}

int B_unpack(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    int n = luaL_getn(L, 1);
    luaL_checkstack(L, n, "table too big to unpack");
    for (int i = 1; i <= n; i++) lua_rawgeti(L, 1, i);
    return n;
}

int B_rawequal(lua_State* L)
{
    luaL_checkany(L, 1);
    luaL_checkany(L, 2);
    lua_pushboolean(L, lua_rawequal(L, 1, 2));
    return 1;
}

int B_rawget(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_checkany(L, 2);
    lua_rawget(L, 1);
    return 1;
}

int B_rawset(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_checkany(L, 2);
    luaL_checkany(L, 3);
    lua_rawset(L, 1);
    return 1;
}

int B_assert(lua_State* L)
{
    luaL_checkany(L, 1);
    if (!lua_toboolean(L, 1)) return luaL_error(L, "%s", luaL_optstring(L, 2, "assertion failed!"));
    lua_settop(L, 1);
    return 1;
}

// ---------------------------------------------------------------------------
// Calls, collector, loading

int B_pcall(lua_State* L)
{
    luaL_checkany(L, 1);
    int status = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
    lua_pushboolean(L, status == 0);
    lua_insert(L, 1);
    return lua_gettop(L);
}

int B_xpcall(lua_State* L)
{
    luaL_checkany(L, 2);
    lua_settop(L, 2);
    lua_insert(L, 1);  // the handler goes below the function
    int status = lua_pcall(L, 0, LUA_MULTRET, 1);
    lua_pushboolean(L, status == 0);
    lua_replace(L, 1);
    return lua_gettop(L);
}

int B_collectgarbage(lua_State* L)
{
    lua_setgcthreshold(L, luaL_optint(L, 1, 0));
    return 0;
}

int B_gcinfo(lua_State* L)
{
    lua_pushnumber(L, static_cast<lua_Number>(lua_getgccount(L)));
    lua_pushnumber(L, static_cast<lua_Number>(lua_getgcthreshold(L)));
    return 2;
}

int LoadResult(lua_State* L, int status)
{
    if (status == 0) return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int B_loadstring(lua_State* L)
{
    size_t l;
    const char* s = luaL_checklstring(L, 1, &l);
    const char* chunkname = luaL_optstring(L, 2, s);
    return LoadResult(L, luaL_loadbuffer(L, s, l, chunkname));
}

int B_loadfile(lua_State* L)
{
    // There is no standard-input mode, so the name is required.
    const char* fname = luaL_checkstring(L, 1);
    return LoadResult(L, luaL_loadfile(L, fname));
}

int B_dofile(lua_State* L)
{
    const char* fname = luaL_checkstring(L, 1);
    int n = lua_gettop(L);
    if (luaL_loadfile(L, fname) != 0) lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - n;
}

// require: LUA_PATH (a global) or "?;?.lua"; components separated by ';'.
const char* GetPath(lua_State* L)
{
    GetGlobal(L, "LUA_PATH");
    const char* path = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : nullptr;
    lua_pop(L, 1);  // the string stays reachable through the global
    return path != nullptr ? path : "?;?.lua";
}

// Pushes the next path component and returns the rest; NULL at the end.
const char* PushNextPath(lua_State* L, const char* path)
{
    while (*path == ';') path++;
    if (*path == '\0') return nullptr;
    const char* end = std::strchr(path, ';');
    if (end == nullptr) end = path + std::strlen(path);
    lua_pushlstring(L, path, static_cast<size_t>(end - path));
    return end;
}

// Replaces the component on the top by itself with each '?' replaced by
// the package name (argument 1).
void PushComposedName(lua_State* L)
{
    const char* path = lua_tostring(L, -1);
    int n = 1;
    const char* mark;
    while ((mark = std::strchr(path, '?')) != nullptr)
    {
        luaL_checkstack(L, 3, "too many marks in a path component");
        lua_pushlstring(L, path, static_cast<size_t>(mark - path));
        lua_pushvalue(L, 1);
        path = mark + 1;
        n += 2;
    }
    lua_pushstring(L, path);
    lua_concat(L, n);
}

int B_require(lua_State* L)
{
    luaL_checkstring(L, 1);
    lua_settop(L, 1);
    GetGlobal(L, "_LOADED");
    if (!lua_istable(L, 2)) return luaL_error(L, "`_LOADED' is not a table");
    const char* path = GetPath(L);
    lua_pushvalue(L, 1);
    lua_rawget(L, 2);
    if (lua_toboolean(L, -1)) return 1;
    int status = LUA_ERRFILE;
    while (status == LUA_ERRFILE)
    {
        lua_settop(L, 3);
        if ((path = PushNextPath(L, path)) == nullptr) break;
        PushComposedName(L);
        status = luaL_loadfile(L, lua_tostring(L, -1));
    }
    switch (status)
    {
        case 0:
        {
            GetGlobal(L, "_REQUIREDNAME");
            lua_insert(L, -2);
            lua_pushvalue(L, 1);
            SetGlobal(L, "_REQUIREDNAME");
            lua_call(L, 0, 1);
            lua_insert(L, -2);
            SetGlobal(L, "_REQUIREDNAME");
            if (lua_isnil(L, -1))
            {
                lua_pushboolean(L, 1);
                lua_replace(L, -2);
            }
            lua_pushvalue(L, 1);
            lua_pushvalue(L, -2);
            lua_rawset(L, 2);
            return 1;
        }
        case LUA_ERRFILE:
            return luaL_error(L, "could not load package `%s' from path `%s'", lua_tostring(L, 1),
                              GetPath(L));
        default:
        {
            const char* msg = lua_tostring(L, -1);
            return luaL_error(L, "error loading package `%s' (%s)", lua_tostring(L, 1),
                              msg ? msg : "?");
        }
    }
}

int B_newproxy(lua_State* L)
{
    lua_settop(L, 1);
    lua_newuserdata(L, 0);
    if (lua_toboolean(L, 1) == 0) return 1;
    if (lua_isboolean(L, 1))
    {
        lua_newtable(L);
        lua_pushvalue(L, -1);
        lua_pushboolean(L, 1);
        lua_rawset(L, lua_upvalueindex(1));  // remember it as a proxy metatable
    }
    else
    {
        bool valid = false;
        if (lua_getmetatable(L, 1))
        {
            lua_rawget(L, lua_upvalueindex(1));
            valid = lua_toboolean(L, -1) != 0;
            lua_pop(L, 1);
        }
        luaL_argcheck(L, valid, 1, "boolean or proxy expected");
        lua_getmetatable(L, 1);
    }
    lua_setmetatable(L, 2);
    return 1;
}

// ---------------------------------------------------------------------------
// Coroutines

int AuxResume(lua_State* L, lua_State* co, int narg)
{
    if (!lua_checkstack(co, narg)) luaL_error(L, "too many arguments to resume");
    lua_xmove(L, co, narg);
    int status = lua_resume(co, narg);
    if (status == 0)
    {
        int nres = lua_gettop(co);
        if (!lua_checkstack(L, nres)) luaL_error(L, "too many results to resume");
        lua_xmove(co, L, nres);
        return nres;
    }
    lua_xmove(co, L, 1);
    return -1;
}

int Co_resume(lua_State* L)
{
    lua_State* co = lua_tothread(L, 1);
    luaL_argcheck(L, co, 1, "coroutine expected");
    int r = AuxResume(L, co, lua_gettop(L) - 1);
    if (r < 0)
    {
        lua_pushboolean(L, 0);
        lua_insert(L, -2);
        return 2;
    }
    lua_pushboolean(L, 1);
    lua_insert(L, -(r + 1));
    return r + 1;
}

int Co_auxwrap(lua_State* L)
{
    lua_State* co = lua_tothread(L, lua_upvalueindex(1));
    int r = AuxResume(L, co, lua_gettop(L));
    if (r < 0)
    {
        if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER)
        {
            luaL_where(L, 1);
            lua_insert(L, -2);
            lua_concat(L, 2);
        }
        lua_error(L);
    }
    return r;
}

int Co_create(lua_State* L)
{
    luaL_argcheck(L, lua_isfunction(L, 1) && !lua_iscfunction(L, 1), 1, "Lua function expected");
    lua_State* NL = lua_newthread(L);
    lua_pushvalue(L, 1);
    lua_xmove(L, NL, 1);
    return 1;
}

int Co_wrap(lua_State* L)
{
    Co_create(L);
    lua_pushcclosure(L, Co_auxwrap, 1);
    return 1;
}

int Co_yield(lua_State* L)
{
    return lua_yield(L, lua_gettop(L));
}

int Co_status(lua_State* L)
{
    lua_State* co = lua_tothread(L, 1);
    luaL_argcheck(L, co, 1, "coroutine expected");
    if (L == co)
    {
        lua_pushliteral(L, "running");
    }
    else
    {
        lua_Debug ar;
        if (lua_getstack(co, 0, &ar) == 0 && lua_gettop(co) == 0)
            lua_pushliteral(L, "dead");
        else
            lua_pushliteral(L, "suspended");
    }
    return 1;
}

const luaL_reg kBaseFuncs[] = {
    {"error", B_error},
    {"getmetatable", B_getmetatable},
    {"setmetatable", B_setmetatable},
    {"getfenv", B_getfenv},
    {"setfenv", B_setfenv},
    {"next", B_next},
    {"ipairs", B_ipairs},
    {"pairs", B_pairs},
    {"print", B_print},
    {"tonumber", B_tonumber},
    {"tostring", B_tostring},
    {"towstring", B_towstring},
    {"type", B_type},
    {"assert", B_assert},
    {"unpack", B_unpack},
    {"rawequal", B_rawequal},
    {"rawget", B_rawget},
    {"rawset", B_rawset},
    {"pcall", B_pcall},
    {"xpcall", B_xpcall},
    {"collectgarbage", B_collectgarbage},
    {"gcinfo", B_gcinfo},
    {"loadfile", B_loadfile},
    {"dofile", B_dofile},
    {"loadstring", B_loadstring},
    {"require", B_require},
    {nullptr, nullptr},
};

const luaL_reg kCoFuncs[] = {
    {"create", Co_create}, {"wrap", Co_wrap},     {"resume", Co_resume},
    {"yield", Co_yield},   {"status", Co_status}, {nullptr, nullptr},
};

const char* const kTypeRegistryNames[] = {
    "_boolean",  "_lightuserdata", "_number", "_string",  "_table",
    "_function", "_userdata",      "_thread", "_wstring",
};

}  // namespace

int luaopen_base(lua_State* L)
{
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    lua_pushliteral(L, "_G");
    lua_pushvalue(L, -2);
    lua_rawset(L, -3);
    luaL_openlib(L, nullptr, kBaseFuncs, 0);
    lua_pushliteral(L, "_VERSION");
    lua_pushliteral(L, LUA_VERSION);
    lua_rawset(L, -3);
    lua_pushliteral(L, "newproxy");
    lua_newtable(L);  // remembers the metatables newproxy made
    lua_pushvalue(L, -1);
    lua_setmetatable(L, -2);
    lua_pushliteral(L, "__mode");
    lua_pushliteral(L, "k");
    lua_rawset(L, -3);
    lua_pushcclosure(L, B_newproxy, 1);
    lua_rawset(L, -3);
    luaL_openlib(L, LUA_COLIBNAME, kCoFuncs, 0);
    lua_newtable(L);
    SetGlobal(L, "_LOADED");
    for (int tag = LUA_TBOOLEAN; tag <= LUA_TWSTRING; tag++)
    {
        lua_pushstring(L, kTypeRegistryNames[tag - 1]);
        PushTypeMetatable(L, tag);
        lua_rawset(L, LUA_REGISTRYINDEX);
    }
    return 0;
}

void luaopen_stdlibs(lua_State* L)
{
    int top = lua_gettop(L);
    luaopen_base(L);
    lua_settop(L, top);
    luaopen_table(L);
    lua_settop(L, top);
    luaopen_string(L);
    lua_settop(L, top);
}
