// TLuaObjectWrapper: registry anchoring by address.
#define SCRIPT_LANG_NO_TSTRING_ALIAS
#include "script/LuaObject.h"

#include "script/LuaStackGuard.h"
#include "script/lang/state.h"

TLuaObjectWrapper::TLuaObjectWrapper(lua_State* L) : L_(L), main_(G(L)->mainthread) {
  if (lua_gettop(L) < 1) lua_pushnil(L);
  lua_pushlightuserdata(L, this);
  lua_insert(L, -2);
  lua_settable(L, LUA_REGISTRYINDEX);
}

TLuaObjectWrapper::~TLuaObjectWrapper() {
  // The thread it was made on may be a coroutine that is gone by now; the
  // registry is shared, and the main thread lives as long as the state.
  lua_State* M = main_;
  if (!lua_checkstack(M, 2)) return;
  lua_pushlightuserdata(M, this);
  lua_pushnil(M);
  lua_settable(M, LUA_REGISTRYINDEX);
}

void TLuaObjectWrapper::Push() const { PushOn(L_); }

void TLuaObjectWrapper::PushOn(lua_State* L) const {
  lua_pushlightuserdata(L, const_cast<TLuaObjectWrapper*>(this));
  lua_rawget(L, LUA_REGISTRYINDEX);
}

TString TLuaObjectWrapper::ToString() const {
  TLuaStackGuard guard(L_);
  Push();
  int type = lua_type(L_, -1);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return TString();
  return TString(lua_tostring(L_, -1), static_cast<int>(lua_strlen(L_, -1)));
}

int TLuaObjectWrapper::GetType() const {
  TLuaStackGuard guard(L_);
  Push();
  return lua_type(L_, -1);
}
