// Feeds arbitrary bytes to the script compiler through the loader: source
// text in byte mode, and in UTF-16 mode when it starts with FF FE. Every
// input must end in a prototype or a syntax error, never a crash or a hang;
// and whatever compiles must pass the chunk checker once dumped.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ScriptFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Precompiled chunks (first byte 27) belong to the chunk reader's target.
    if (size > 0 && data[0] == 27) return 0;
    lua_State* L = lua_open();
    if (!L) return 0;
    FuzzInput in{reinterpret_cast<const char*>(data), size, false};
    if (lua_load(L, FuzzInput::Read, &in, "=fuzz") == 0)
    {
        std::string bytes;
        lua_dump(L, FuzzCollect, &bytes);
        FuzzInput again{bytes.data(), bytes.size(), false};
        if (lua_load(L, FuzzInput::Read, &again, "=again") != 0)
        {
            // Code the compiler emits that the checker refuses is a compiler or
            // checker fault either way.
            std::fprintf(stderr, "dumped chunk rejected: %s\n", lua_tostring(L, -1));
            std::abort();
        }
    }
    lua_close(L);
    return 0;
}
