// Pushes of native object references and framework strings.
#include "script/LuaPush.h"

void PushUserdataRef(lua_State* L, void* ptr, uint64_t key)
{
    lua_pushuserdataref(L, ptr, key);
}

void PushLuaString(lua_State* L, TString s)
{
    lua_pushstring(L, s.CStr());
}
