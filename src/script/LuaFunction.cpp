// TLuaFunction: anchored script functions and their protected call.
#include "script/LuaFunction.h"

#include "script/LuaStackGuard.h"
#include "script/RunawayGuard.h"

TLuaFunction::TLuaFunction(lua_State* L) : TLuaObjectWrapper(L) {}

TLuaFunction::~TLuaFunction() = default;

bool TLuaFunction::CallAlert()
{
    if (!lua_checkstack(L_, 4)) return false;
    TLuaStackGuard guard(L_);
    Push();
    if (lua_type(L_, -1) != LUA_TFUNCTION) return false;
    // The handler goes right below the function rather than to position 1,
    // so the caller's own stack values stay where they are.
    lua_pushstring(L_, "_ALERT");
    lua_gettable(L_, LUA_GLOBALSINDEX);
    lua_insert(L_, -2);
    int handler = lua_gettop(L_) - 1;
    TRunawayGuard runaway(L_);
    return lua_pcall(L_, 0, 1, handler) == 0;
}
