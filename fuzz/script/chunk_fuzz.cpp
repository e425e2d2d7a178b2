// Feeds arbitrary bytes to the precompiled-chunk reader and runs whatever it
// accepts under an instruction budget and a memory cap. Every input must end
// in a load error, a run-time error or a clean run: never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ScriptFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Source text belongs to the compiler's target.
    if (size == 0 || data[0] != 27) return 0;
    FuzzBudget budget{64u << 20};
    lua_setallocator(FuzzBudget::Alloc, &budget);
    lua_State* L = lua_open();
    if (L)
    {
        lua_sethook(L, FuzzStopAfterBudget, LUA_MASKCOUNT, 20000);
        FuzzInput in{reinterpret_cast<const char*>(data), size, false};
        if (lua_load(L, FuzzInput::Read, &in, "=fuzz") == 0)
        {
            // An accepted chunk dumps to bytes the reader accepts again.
            std::string bytes;
            lua_dump(L, FuzzCollect, &bytes);
            FuzzInput again{bytes.data(), bytes.size(), false};
            int status = lua_load(L, FuzzInput::Read, &again, "=again");
            if (status == 0)
            {
                lua_pop(L, 1);
            }
            else if (status != LUA_ERRMEM)
            {
                std::fprintf(stderr, "dump of an accepted chunk rejected: %s\n",
                             lua_tostring(L, -1));
                std::abort();
            }
            lua_pcall(L, 0, 0, 0);
        }
        lua_close(L);
    }
    lua_setallocator(nullptr, nullptr);
    return 0;
}
