// Feeds arbitrary formats, patterns and data to the string library's parsers
// (format, pack, unpack, find, gsub, gfind, lualex): every call must end in a
// result or a script error, never a crash, an overread or a hang.
//
// Input layout: byte 0 picks the function, the rest splits at the first zero
// byte into the first and second string arguments.
//
// Backtracking patterns may take time exponential in their number of
// repetition items (a property of the pattern language, not a fault), so
// pattern inputs keep at most four such items over subjects of 64 bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../script/ScriptFuzz.h"
#include "script/lang/lua.h"
#include "script/lib/lualib.h"

namespace
{

void PushStringFunction(lua_State* L, const char* name)
{
    lua_pushliteral(L, "string");
    lua_rawget(L, LUA_GLOBALSINDEX);
    lua_pushstring(L, name);
    lua_rawget(L, -2);
    lua_remove(L, -2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096) return 0;
    static const char* const kFunctions[] = {"format", "pack",  "unpack", "find",
                                             "gsub",   "gfind", "lualex"};
    const char* fn = kFunctions[data[0] % 7];
    const char* rest = reinterpret_cast<const char*>(data + 1);
    size_t restSize = size - 1;
    const void* zero = std::memchr(rest, 0, restSize);
    size_t firstSize = zero ? static_cast<size_t>(static_cast<const char*>(zero) - rest) : restSize;
    const char* second = zero ? rest + firstSize + 1 : "";
    size_t secondSize = zero ? restSize - firstSize - 1 : 0;

    bool matching = std::strcmp(fn, "find") == 0 || std::strcmp(fn, "gsub") == 0 ||
                    std::strcmp(fn, "gfind") == 0;
    if (matching)
    {
        int repeats = 0;
        for (size_t i = 0; i < secondSize; i++)
            if (std::strchr("*+-?", second[i]) != nullptr && second[i] != 0) repeats++;
        if (repeats > 4 || firstSize > 64) return 0;
    }

    // Caps the state's memory so huge repeat counts end in a memory error.
    FuzzBudget budget{16u << 20};
    lua_setallocator(FuzzBudget::Alloc, &budget);
    lua_State* L = lua_open();
    if (L == nullptr)
    {
        lua_setallocator(nullptr, nullptr);
        return 0;
    }
    luaopen_stdlibs(L);
    PushStringFunction(L, fn);
    lua_pushlstring(L, rest, firstSize);
    lua_pushlstring(L, second, secondSize);
    // A few extra arguments of each kind for the formats that take values.
    lua_pushnumber(L, 3);
    lua_pushstring(L, "ab");
    lua_pushboolean(L, 1);
    lua_pushnumber(L, -1.5);
    if (lua_pcall(L, 6, 1, 0) == 0 && std::strcmp(fn, "gfind") == 0 && lua_isfunction(L, -1))
    {
        for (int i = 0; i < 64; i++)
        {
            lua_pushvalue(L, -1);
            if (lua_pcall(L, 0, 1, 0) != 0 || lua_isnil(L, -1)) break;
            lua_pop(L, 1);
        }
    }
    lua_close(L);
    lua_setallocator(nullptr, nullptr);
    return 0;
}
