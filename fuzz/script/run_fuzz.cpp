// Compiles arbitrary source text and runs it under an instruction budget and
// a memory cap, with collections forced at every check: whatever the script
// does must end in a clean return or an error status, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "script/lang/gc.h"
#include "ScriptFuzz.h"

namespace
{

int Yield(lua_State* L)
{
    return lua_yield(L, lua_gettop(L));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0 && data[0] == 27) return 0;  // precompiled: the chunk target's
    FuzzBudget budget{32u << 20};
    lua_setallocator(FuzzBudget::Alloc, &budget);
    lua_State* L = lua_open();
    if (L)
    {
        GCSetStress(L, size % 2);  // half the inputs also stress the collector
        lua_sethook(L, FuzzStopAfterBudget, LUA_MASKCOUNT, 20000);
        lua_register(L, "yield", Yield);
        FuzzInput in{reinterpret_cast<const char*>(data), size, false};
        if (lua_load(L, FuzzInput::Read, &in, "=fuzz") == 0)
        {
            // Run it as a coroutine so yields are exercised too.
            lua_State* co = lua_newthread(L);
            lua_sethook(co, FuzzStopAfterBudget, LUA_MASKCOUNT, 20000);
            lua_pushvalue(L, -2);
            lua_xmove(L, co, 1);
            for (int i = 0; i < 8 && lua_resume(co, 0) == 0; i++) lua_settop(co, 0);
        }
        lua_close(L);
    }
    lua_setallocator(nullptr, nullptr);
    return 0;
}
