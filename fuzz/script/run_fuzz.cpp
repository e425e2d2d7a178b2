// Compiles arbitrary source text and runs it under an instruction budget and
// a memory cap, with collections forced at every check: whatever the script
// does must end in a clean return or an error status, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "script/lang/gc.h"
#include "script/lang/lua.h"

namespace {

struct Input {
  const char* data;
  size_t size;
  bool done;
};

const char* Read(lua_State*, void* ud, size_t* size) {
  auto* in = static_cast<Input*>(ud);
  if (in->done) {
    *size = 0;
    return nullptr;
  }
  in->done = true;
  *size = in->size;
  return in->data;
}

size_t g_inUse = 0;

void* CappedAlloc(void*, void* block, size_t osize, size_t nsize, int, int) {
  if (nsize == 0) {
    std::free(block);
    g_inUse -= osize;
    return nullptr;
  }
  if (nsize > osize && g_inUse + (nsize - osize) > (32u << 20)) return nullptr;
  void* p = std::realloc(block, nsize);
  if (p) g_inUse = g_inUse - osize + nsize;
  return p;
}

void StopAfterBudget(lua_State* L, lua_Debug*) {
  lua_pushstring(L, "instruction budget spent");
  lua_error(L);
}

int Yield(lua_State* L) { return lua_yield(L, lua_gettop(L)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0 && data[0] == 27) return 0;  // precompiled: the chunk target's
  lua_setallocator(CappedAlloc, nullptr);
  lua_State* L = lua_open();
  if (L) {
    GCSetStress(L, size % 2);  // half the inputs also stress the collector
    lua_sethook(L, StopAfterBudget, LUA_MASKCOUNT, 20000);
    lua_register(L, "yield", Yield);
    Input in{reinterpret_cast<const char*>(data), size, false};
    if (lua_load(L, Read, &in, "=fuzz") == 0) {
      // Run it as a coroutine so yields are exercised too.
      lua_State* co = lua_newthread(L);
      lua_sethook(co, StopAfterBudget, LUA_MASKCOUNT, 20000);
      lua_pushvalue(L, -2);
      lua_xmove(L, co, 1);
      for (int i = 0; i < 8 && lua_resume(co, 0) == 0; i++) lua_settop(co, 0);
    }
    lua_close(L);
  }
  lua_setallocator(nullptr, nullptr);
  return 0;
}
