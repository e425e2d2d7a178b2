// Feeds arbitrary bytes to the script compiler through the loader: source
// text in byte mode, and in UTF-16 mode when it starts with FF FE. Every
// input must end in a prototype or a syntax error, never a crash or a hang.
#include <cstddef>
#include <cstdint>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Precompiled chunks (first byte 27) belong to the chunk reader's target.
  if (size > 0 && data[0] == 27) return 0;
  lua_State* L = lua_open();
  if (!L) return 0;
  Input in{reinterpret_cast<const char*>(data), size, false};
  lua_load(L, Read, &in, "=fuzz");
  lua_close(L);
  return 0;
}
