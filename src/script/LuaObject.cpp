// TLuaObjectWrapper: registry anchoring by address.
#include "script/LuaObject.h"

#include "script/Binding.h"
#include "script/LuaStackGuard.h"

namespace
{

// registry[key] = the thread L itself.
void AnchorThread(lua_State* L, void* key)
{
    lua_checkstack(L, 2);
    lua_pushlightuserdata(L, key);
    lua_pushthread(L);
    lua_settable(L, LUA_REGISTRYINDEX);
}

void ClearEntry(lua_State* M, void* key)
{
    lua_pushlightuserdata(M, key);
    lua_pushnil(M);
    lua_settable(M, LUA_REGISTRYINDEX);
}

}  // namespace

TLuaObjectWrapper::TLuaObjectWrapper(lua_State* L) : L_(L), main_(lua_mainthread(L))
{
    if (lua_gettop(L) < 1) lua_pushnil(L);
    lua_pushlightuserdata(L, this);
    lua_insert(L, -2);
    lua_settable(L, LUA_REGISTRYINDEX);
    // Every read goes through the thread the wrapper was made on. A coroutine
    // (a child script's, a scratch call's, one a script made) may otherwise be
    // collected while the wrapper still has reads to do: a table argument, for
    // one, stays readable until its script's next run.
    if (L != main_) AnchorThread(L, ThreadKey());
}

TLuaObjectWrapper::~TLuaObjectWrapper()
{
    // The registry is shared, and the main thread lives as long as the state.
    lua_State* M = main_;
    if (!lua_checkstack(M, 2)) return;
    ClearEntry(M, this);
    if (L_ != M) ClearEntry(M, ThreadKey());
}

void TLuaObjectWrapper::Push() const
{
    PushOn(L_);
}

void TLuaObjectWrapper::PushOn(lua_State* L) const
{
    lua_pushlightuserdata(L, const_cast<TLuaObjectWrapper*>(this));
    lua_rawget(L, LUA_REGISTRYINDEX);
}

TString TLuaObjectWrapper::ToString() const
{
    TLuaStackGuard guard(L_);
    Push();
    return LuaArgString(L_, -1);
}

int TLuaObjectWrapper::GetType() const
{
    TLuaStackGuard guard(L_);
    Push();
    return lua_type(L_, -1);
}
