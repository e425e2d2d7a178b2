// The auxiliary library: argument checks, errors, registration, array sizes,
// narrow and wide string buffers, and loading chunks from framework files.
#include "script/lib/auxlib.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/String.h"
#include "script/lang/WideString.h"
#include "script/lang/object.h"

namespace
{

// Registry slots used by this library (integer keys).
constexpr int kFreeListRef = 1;   // head of the free list of luaL_ref
constexpr int kArraySizeRef = 2;  // weak-keyed table of recorded sizes

int AbsIndex(lua_State* L, int i)
{
    return (i > 0 || i <= LUA_REGISTRYINDEX) ? i : lua_gettop(L) + i + 1;
}

int TagError(lua_State* L, int narg, int tag)
{
    return luaL_typerror(L, narg, lua_typename(L, tag));
}

}  // namespace

// ---------------------------------------------------------------------------
// Errors and argument checks

int luaL_argerror(lua_State* L, int narg, const char* extramsg)
{
    lua_Debug ar;
    const char* name = nullptr;
    if (lua_getstack(L, 0, &ar))
    {
        lua_getinfo(L, "n", &ar);
        name = ar.name;
        if (ar.namewhat != nullptr && std::strcmp(ar.namewhat, "method") == 0)
        {
            narg--;
            if (narg == 0)
                return luaL_error(L, "calling `%s' on bad self (%s)", name ? name : "?", extramsg);
        }
    }
    return luaL_error(L, "bad argument #%d to `%s' (%s)", narg, name ? name : "?", extramsg);
}

int luaL_typerror(lua_State* L, int narg, const char* tname)
{
    const char* msg =
        lua_pushfstring(L, "%s expected, got %s", tname, lua_typename(L, lua_type(L, narg)));
    return luaL_argerror(L, narg, msg);
}

void luaL_where(lua_State* L, int level)
{
    lua_Debug ar;
    if (lua_getstack(L, level, &ar))
    {
        lua_getinfo(L, "Snl", &ar);
        if (ar.currentline > 0)
        {
            lua_pushfstring(L, "%s:%d: ", ar.short_src, ar.currentline);
            return;
        }
    }
    lua_pushliteral(L, "");
}

int luaL_error(lua_State* L, const char* fmt, ...)
{
    va_list argp;
    va_start(argp, fmt);
    luaL_where(L, 1);
    lua_pushvfstring(L, fmt, argp);
    va_end(argp);
    lua_concat(L, 2);
    return lua_error(L);
}

void luaL_checkstack(lua_State* L, int space, const char* mes)
{
    if (!lua_checkstack(L, space)) luaL_error(L, "stack overflow (%s)", mes);
}

void luaL_checktype(lua_State* L, int narg, int t)
{
    if (lua_type(L, narg) != t) TagError(L, narg, t);
}

void luaL_checkany(lua_State* L, int narg)
{
    if (lua_type(L, narg) == LUA_TNONE) luaL_argerror(L, narg, "value expected");
}

const char* luaL_checklstring(lua_State* L, int narg, size_t* len)
{
    const char* s = lua_tostring(L, narg);
    if (s == nullptr) TagError(L, narg, LUA_TSTRING);
    if (len != nullptr) *len = lua_strlen(L, narg);
    return s;
}

const char* luaL_optlstring(lua_State* L, int narg, const char* def, size_t* len)
{
    if (lua_isnoneornil(L, narg))
    {
        if (len != nullptr) *len = def ? std::strlen(def) : 0;
        return def;
    }
    return luaL_checklstring(L, narg, len);
}

const lua_WChar* luaL_checklwstring(lua_State* L, int narg, size_t* len)
{
    const lua_WChar* s = ToWideString(L, narg);
    if (s == nullptr) luaL_typerror(L, narg, "wstring");
    if (len != nullptr) *len = lua_strlen(L, narg);
    return s;
}

lua_Number luaL_checknumber(lua_State* L, int narg)
{
    lua_Number d = lua_tonumber(L, narg);
    if (d == 0 && !lua_isnumber(L, narg)) TagError(L, narg, LUA_TNUMBER);
    return d;
}

lua_Number luaL_optnumber(lua_State* L, int narg, lua_Number def)
{
    if (lua_isnoneornil(L, narg)) return def;
    return luaL_checknumber(L, narg);
}

int luaL_checkinteger(lua_State* L, int narg)
{
    return NumberToInt32(luaL_checknumber(L, narg));
}

int luaL_optinteger(lua_State* L, int narg, int def)
{
    if (lua_isnoneornil(L, narg)) return def;
    return luaL_checkinteger(L, narg);
}

// ---------------------------------------------------------------------------
// Metatables, registration, references

int luaL_getmetafield(lua_State* L, int obj, const char* event)
{
    if (!lua_getmetatable(L, obj)) return 0;
    lua_pushstring(L, event);
    lua_rawget(L, -2);
    if (lua_isnil(L, -1))
    {
        lua_pop(L, 2);
        return 0;
    }
    lua_remove(L, -2);
    return 1;
}

int luaL_callmeta(lua_State* L, int obj, const char* event)
{
    obj = AbsIndex(L, obj);
    if (!luaL_getmetafield(L, obj, event)) return 0;
    lua_pushvalue(L, obj);
    lua_call(L, 1, 1);
    return 1;
}

int luaL_newmetatable(lua_State* L, const char* tname)
{
    lua_pushstring(L, tname);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (!lua_isnil(L, -1)) return 0;
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushstring(L, tname);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);  // registry.name = metatable
    lua_pushvalue(L, -1);
    lua_pushstring(L, tname);
    lua_rawset(L, LUA_REGISTRYINDEX);  // registry[metatable] = name
    return 1;
}

void luaL_getmetatable(lua_State* L, const char* tname)
{
    lua_pushstring(L, tname);
    lua_rawget(L, LUA_REGISTRYINDEX);
}

void* luaL_checkudata(lua_State* L, int ud, const char* tname)
{
    if (lua_type(L, ud) != LUA_TUSERDATA || !lua_getmetatable(L, ud)) return nullptr;
    lua_rawget(L, LUA_REGISTRYINDEX);
    const char* tn = lua_tostring(L, -1);
    bool match = tn != nullptr && std::strcmp(tn, tname) == 0;
    lua_pop(L, 1);
    return match ? lua_touserdata(L, ud) : nullptr;
}

void luaL_openlib(lua_State* L, const char* libname, const luaL_reg* l, int nup)
{
    if (libname != nullptr)
    {
        lua_pushstring(L, libname);
        lua_gettable(L, LUA_GLOBALSINDEX);
        if (lua_isnil(L, -1))
        {
            lua_pop(L, 1);
            lua_newtable(L);
            lua_pushstring(L, libname);
            lua_pushvalue(L, -2);
            lua_settable(L, LUA_GLOBALSINDEX);
        }
        lua_insert(L, -(nup + 1));
    }
    for (; l->name != nullptr; l++)
    {
        lua_pushstring(L, l->name);
        for (int i = 0; i < nup; i++) lua_pushvalue(L, -(nup + 1));
        lua_pushcclosure(L, l->func, nup);
        lua_settable(L, -(nup + 3));
    }
    lua_pop(L, nup);
}

int luaL_findstring(const char* name, const char* const list[])
{
    for (int i = 0; list[i] != nullptr; i++)
        if (std::strcmp(list[i], name) == 0) return i;
    return -1;
}

namespace
{

// An integer field of the value on the top, popping topop values; -1 when
// the value is not a number.
int PopInt(lua_State* L, int topop)
{
    int n = lua_isnumber(L, -1) ? NumberToInt32(lua_tonumber(L, -1)) : -1;
    lua_pop(L, topop);
    return n;
}

}  // namespace

int luaL_ref(lua_State* L, int t)
{
    t = AbsIndex(L, t);
    if (lua_isnil(L, -1))
    {
        lua_pop(L, 1);
        return LUA_REFNIL;
    }
    lua_rawgeti(L, t, kFreeListRef);
    int ref = PopInt(L, 1);
    if (ref > 0)
    {
        lua_rawgeti(L, t, ref);
        lua_rawseti(L, t, kFreeListRef);
    }
    else
    {
        ref = luaL_getn(L, t);
        if (ref < kArraySizeRef) ref = kArraySizeRef;  // keys 1 and 2 are the library's own
        ref++;
        luaL_setn(L, t, ref);
    }
    lua_rawseti(L, t, ref);
    return ref;
}

void luaL_unref(lua_State* L, int t, int ref)
{
    if (ref < 0) return;
    t = AbsIndex(L, t);
    lua_rawgeti(L, t, kFreeListRef);
    lua_rawseti(L, t, ref);
    lua_pushnumber(L, static_cast<lua_Number>(ref));
    lua_rawseti(L, t, kFreeListRef);
}

// ---------------------------------------------------------------------------
// Array sizes

namespace
{

// Pushes the weak-keyed size table, making it on first use.
void PushSizes(lua_State* L)
{
    lua_rawgeti(L, LUA_REGISTRYINDEX, kArraySizeRef);
    if (!lua_isnil(L, -1)) return;
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setmetatable(L, -2);  // its own metatable, so "__mode" below applies
    lua_pushliteral(L, "__mode");
    lua_pushliteral(L, "k");
    lua_rawset(L, -3);
    lua_pushvalue(L, -1);
    lua_rawseti(L, LUA_REGISTRYINDEX, kArraySizeRef);
}

}  // namespace

void luaL_setn(lua_State* L, int t, int n)
{
    t = AbsIndex(L, t);
    lua_pushliteral(L, "n");
    lua_rawget(L, t);
    if (PopInt(L, 1) >= 0)
    {
        lua_pushliteral(L, "n");
        lua_pushnumber(L, static_cast<lua_Number>(n));
        lua_rawset(L, t);
    }
    else
    {
        PushSizes(L);
        lua_pushvalue(L, t);
        lua_pushnumber(L, static_cast<lua_Number>(n));
        lua_rawset(L, -3);
        lua_pop(L, 1);
    }
}

int luaL_getn(lua_State* L, int t)
{
    t = AbsIndex(L, t);
    lua_pushliteral(L, "n");
    lua_rawget(L, t);
    int n = PopInt(L, 1);
    if (n >= 0) return n;
    PushSizes(L);
    lua_pushvalue(L, t);
    lua_rawget(L, -2);
    n = PopInt(L, 2);
    if (n >= 0) return n;
    for (n = 1;; n++)
    {
        lua_rawgeti(L, t, n);
        bool end = lua_isnil(L, -1);
        lua_pop(L, 1);
        if (end) break;
    }
    return n - 1;
}

// ---------------------------------------------------------------------------
// String buffers

namespace
{

constexpr int kPieceLimit = LUA_MINSTACK / 2;

size_t BufferLength(const luaL_Buffer* B)
{
    return static_cast<size_t>(B->p - B->buffer);
}
size_t BufferFree(const luaL_Buffer* B)
{
    return LUAL_BUFFERSIZE - BufferLength(B);
}

// Length of a piece in the buffer's own unit (bytes or 16-bit units).
size_t PieceLength(lua_State* L, int idx)
{
    return lua_strlen(L, idx);
}

bool EmptyBuffer(luaL_Buffer* B)
{
    size_t len = BufferLength(B);
    if (len == 0) return false;
    if (B->wide)
        PushWideStringLen(B->L, reinterpret_cast<const lua_WChar*>(B->buffer), len / 2);
    else
        lua_pushlstring(B->L, B->buffer, len);
    B->p = B->buffer;
    B->lvl++;
    return true;
}

// Joins the upper pieces while there are many or while a lower piece is
// shorter than those above it, so the joins stay amortised linear.
void AdjustStack(luaL_Buffer* B)
{
    if (B->lvl <= 1) return;
    lua_State* L = B->L;
    int toget = 1;
    size_t toplen = PieceLength(L, -1);
    do
    {
        size_t l = PieceLength(L, -(toget + 1));
        if (B->lvl - toget + 1 >= kPieceLimit || toplen > l)
        {
            toplen += l;
            toget++;
        }
        else
        {
            break;
        }
    } while (toget < B->lvl);
    lua_concat(L, toget);
    B->lvl = B->lvl - toget + 1;
}

void InitBuffer(lua_State* L, luaL_Buffer* B, int wide)
{
    B->L = L;
    B->p = B->buffer;
    B->lvl = 0;
    B->wide = wide;
}

}  // namespace

void luaL_buffinit(lua_State* L, luaL_Buffer* B)
{
    InitBuffer(L, B, 0);
}
void luaL_wbuffinit(lua_State* L, luaL_Buffer* B)
{
    InitBuffer(L, B, 1);
}

char* luaL_prepbuffer(luaL_Buffer* B)
{
    if (EmptyBuffer(B)) AdjustStack(B);
    return B->buffer;
}

void luaL_addlstring(luaL_Buffer* B, const char* s, size_t l)
{
    while (l > 0)
    {
        size_t room = BufferFree(B);
        if (room == 0)
        {
            luaL_prepbuffer(B);
            room = LUAL_BUFFERSIZE;
        }
        size_t n = l < room ? l : room;
        std::memcpy(B->p, s, n);
        B->p += n;
        s += n;
        l -= n;
    }
}

void luaL_addstring(luaL_Buffer* B, const char* s)
{
    luaL_addlstring(B, s, std::strlen(s));
}

void luaL_putwchar(luaL_Buffer* B, lua_WChar c)
{
    if (BufferFree(B) < 2) luaL_prepbuffer(B);
    std::memcpy(B->p, &c, 2);
    B->p += 2;
}

void luaL_addlwstring(luaL_Buffer* B, const lua_WChar* s, size_t n)
{
    while (n > 0)
    {
        size_t room = BufferFree(B) / 2;
        if (room == 0)
        {
            luaL_prepbuffer(B);
            room = LUAL_BUFFERSIZE / 2;
        }
        size_t k = n < room ? n : room;
        std::memcpy(B->p, s, k * 2);
        B->p += k * 2;
        s += k;
        n -= k;
    }
}

void luaL_addvalue(luaL_Buffer* B)
{
    lua_State* L = B->L;
    int t = lua_type(L, -1);
    const void* src;
    size_t bytes;
    if (B->wide)
    {
        if (t != LUA_TWSTRING && t != LUA_TNUMBER)
            luaL_error(L, "wstring expected, got %s", lua_typename(L, t));
        src = ToWideString(L, -1);  // numbers become wide strings in place
        bytes = lua_strlen(L, -1) * 2u;
    }
    else
    {
        if (t != LUA_TSTRING && t != LUA_TNUMBER)
            luaL_error(L, "string expected, got %s", lua_typename(L, t));
        src = lua_tostring(L, -1);
        bytes = lua_strlen(L, -1);
    }
    if (bytes <= BufferFree(B))
    {
        std::memcpy(B->p, src, bytes);
        B->p += bytes;
        lua_pop(L, 1);
    }
    else
    {
        if (EmptyBuffer(B)) lua_insert(L, -2);  // the buffer's piece goes below the value
        B->lvl++;
        AdjustStack(B);
    }
}

void luaL_pushresult(luaL_Buffer* B)
{
    EmptyBuffer(B);
    if (B->lvl == 0)
    {
        if (B->wide)
            PushWideStringLen(B->L, nullptr, 0);
        else
            lua_pushliteral(B->L, "");
    }
    else
    {
        lua_concat(B->L, B->lvl);
    }
    B->lvl = 1;
}

// ---------------------------------------------------------------------------
// Loading

namespace
{

struct FileReader
{
    TFileHandle* handle;
    char buff[LUAL_BUFFERSIZE];
};

const char* ReadFilePiece(lua_State*, void* ud, size_t* size)
{
    FileReader* r = static_cast<FileReader*>(ud);
    if (IsFileHandleAtEnd(r->handle)) return nullptr;
    int n = ReadFileHandle(r->handle, r->buff, LUAL_BUFFERSIZE);
    if (n <= 0) return nullptr;
    *size = static_cast<size_t>(n);
    return r->buff;
}

int FileError(lua_State* L, const char* filename, int fnameindex, int err)
{
    lua_pushfstring(L, "cannot read %s: %s", filename, std::strerror(err != 0 ? err : ENOENT));
    lua_remove(L, fnameindex);
    return LUA_ERRFILE;
}

struct BufferReader
{
    const char* s;
    size_t size;
};

const char* ReadBufferOnce(lua_State*, void* ud, size_t* size)
{
    BufferReader* r = static_cast<BufferReader*>(ud);
    if (r->size == 0) return nullptr;
    *size = r->size;
    r->size = 0;
    return r->s;
}

}  // namespace

int luaL_loadfile(lua_State* L, const char* filename)
{
    if (filename == nullptr)
    {
        lua_pushliteral(L, "cannot read a file without a name");
        return LUA_ERRFILE;
    }
    int fnameindex = lua_gettop(L) + 1;
    lua_pushfstring(L, "@%s", filename);
    errno = 0;
    FileReader reader;
    reader.handle = OpenFileByName(TString(filename), 1);
    if (reader.handle == nullptr) return FileError(L, filename, fnameindex, errno);
    int c = GetFileHandleByte(reader.handle);
    UngetFileHandleByte(reader.handle);
    // Text mode would spoil a precompiled chunk or UTF-16 text: anything that
    // does not start like plain text is read again as raw bytes.
    if (c >= 0 && c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f' &&
        !(c >= 32 && c < 127))
    {
        CloseFileHandle(reader.handle);
        reader.handle = OpenFileByName(TString(filename), 0);
        if (reader.handle == nullptr) return FileError(L, filename, fnameindex, errno);
    }
    int status = lua_load(L, ReadFilePiece, &reader, lua_tostring(L, -1));
    bool readError = IsFileHandleClosed(reader.handle) != 0;
    int err = errno;
    CloseFileHandle(reader.handle);
    if (readError)
    {
        lua_settop(L, fnameindex);
        return FileError(L, filename, fnameindex, err);
    }
    lua_remove(L, fnameindex);
    return status;
}

int luaL_loadbuffer(lua_State* L, const char* buff, size_t size, const char* name)
{
    BufferReader reader{buff, size};
    return lua_load(L, ReadBufferOnce, &reader, name);
}

namespace
{

// A failed run reports its message to _ALERT when that is a function.
void CallAlert(lua_State* L, int status)
{
    if (status == 0) return;
    lua_pushliteral(L, "_ALERT");
    lua_gettable(L, LUA_GLOBALSINDEX);
    if (lua_isfunction(L, -1))
    {
        lua_insert(L, -2);
        lua_call(L, 1, 0);
    }
    else
    {
        const char* msg = lua_tostring(L, -2);
        std::fprintf(stderr, "%s\n", msg != nullptr ? msg : "(error object is not a string)");
        lua_pop(L, 2);
    }
}

int RunLoaded(lua_State* L, int status)
{
    if (status == 0) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    CallAlert(L, status);
    return status;
}

}  // namespace

int lua_dofile(lua_State* L, const char* filename)
{
    return RunLoaded(L, luaL_loadfile(L, filename));
}

int lua_dobuffer(lua_State* L, const char* buff, size_t size, const char* name)
{
    return RunLoaded(L, luaL_loadbuffer(L, buff, size, name));
}

int lua_dostring(lua_State* L, const char* str)
{
    return lua_dobuffer(L, str, std::strlen(str), str);
}
