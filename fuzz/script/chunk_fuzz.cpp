// Feeds arbitrary bytes to the precompiled-chunk reader and runs whatever it
// accepts under an instruction budget and a memory cap. Every input must end
// in a load error, a run-time error or a clean run: never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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

struct Budget {
  size_t inUse = 0;
};

void* CappedAlloc(void* ud, void* block, size_t osize, size_t nsize, int, int) {
  Budget* b = static_cast<Budget*>(ud);
  if (nsize == 0) {
    std::free(block);
    b->inUse -= osize;
    return nullptr;
  }
  if (nsize > osize && b->inUse + (nsize - osize) > (64u << 20)) return nullptr;
  void* p = std::realloc(block, nsize);
  if (p) b->inUse = b->inUse - osize + nsize;
  return p;
}

void StopAfterBudget(lua_State* L, lua_Debug*) {
  lua_pushstring(L, "instruction budget spent");
  lua_error(L);
}

int Collect(lua_State*, const void* p, size_t sz, void* ud) {
  static_cast<std::string*>(ud)->append(static_cast<const char*>(p), sz);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Source text belongs to the compiler's target.
  if (size == 0 || data[0] != 27) return 0;
  Budget budget;
  lua_setallocator(CappedAlloc, &budget);
  lua_State* L = lua_open();
  if (L) {
    lua_sethook(L, StopAfterBudget, LUA_MASKCOUNT, 20000);
    Input in{reinterpret_cast<const char*>(data), size, false};
    if (lua_load(L, Read, &in, "=fuzz") == 0) {
      // An accepted chunk dumps and reloads to the same bytes.
      std::string bytes;
      lua_dump(L, Collect, &bytes);
      Input again{bytes.data(), bytes.size(), false};
      if (lua_load(L, Read, &again, "=again") == 0) lua_pop(L, 1);
      lua_pcall(L, 0, 0, 0);
    }
    lua_close(L);
  }
  lua_setallocator(nullptr, nullptr);
  return 0;
}
