// Pushes of native object references and framework strings.
#include "script/LuaPush.h"

#include "script/lang/do.h"
#include "script/lang/gc.h"
#include "script/lang/state.h"
#include "script/lang/udata.h"

void PushUserdataRef(lua_State* L, void* ptr)
{
    GCCheck(L);
    Udata* u = UdataNewRef(L, ptr);
    L->top->SetUd(u);
    DoIncrTop(L);
}

void PushLuaString(lua_State* L, TString s)
{
    lua_pushstring(L, s.CStr());
}
