// Argument and result conversions of the binding adapters, publishing, and
// the host functions every script state gets.
#include "script/Binding.h"

#include <cxxabi.h>

#include <cstdlib>

#include "core/Log.h"
#include "script/LuaPush.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "script/lang/TypeTable.h"

TString LuaArgString(lua_State* L, int idx)
{
    int type = lua_type(L, idx);
    if (type != LUA_TSTRING && type != LUA_TNUMBER) return TString();
    const char* s = lua_tostring(L, idx);
    return s != nullptr ? TString(s, static_cast<int>(lua_strlen(L, idx))) : TString();
}

TScriptObject* LuaToObject(lua_State* L, int idx)
{
    // Only external references carry a key: a userdata that owns its payload
    // is script data, and a light userdata only an address, which a later
    // object may have taken over.
    uint64_t key;
    if (lua_touserdatakey(L, idx, &key) == 0) return nullptr;
    return LuaObjectOfKey(key);
}

namespace
{

// The name the running binding was called by, for log lines.
TString BindingName(lua_State* L)
{
    lua_Debug ar;
    if (lua_getstack(L, 0, &ar) != 0 && lua_getinfo(L, "n", &ar) != 0 && ar.name != nullptr)
        return TString(ar.name);
    return TString("(script binding)");
}

TString ClassName(const std::type_info& type)
{
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    TString name(status == 0 && readable != nullptr ? readable : type.name());
    std::free(readable);
    return name;
}

}  // namespace

TScriptObject* LuaArgObject(lua_State* L, int idx)
{
    int type = lua_type(L, idx);
    if (type != LUA_TLIGHTUSERDATA && type != LUA_TUSERDATA) return nullptr;
    TScriptObject* object = LuaToObject(L, idx);
    if (object == nullptr)
        LogPrintf("%s: argument %d is not a live object", BindingName(L).CStr(), idx);
    return object;
}

void LuaLogWrongClass(lua_State* L, int idx, const std::type_info& expected,
                      const TScriptObject& got)
{
    LogPrintf("%s: argument %d is a %s, not a %s", BindingName(L).CStr(), idx,
              ClassName(typeid(got)).CStr(), ClassName(expected).CStr());
}

void LuaLogDeadTarget(lua_State* L)
{
    LogPrintf("%s: its object is gone; the call does nothing", BindingName(L).CStr());
}

TLuaTable* LuaArgTable(lua_State* L, int idx)
{
    lua_pushvalue(L, idx);
    return new TLuaTable(L);
}

void LuaReleaseArgTable(lua_State* L, TLuaTable* table)
{
    if (table == nullptr) return;
    TScript* owner = TScript::FromState(L);
    if (owner != nullptr)
        owner->AddTemporary(table);
    else
        delete table;
}

binding_detail::Arg<TLuaTable*>::~Arg()
{
    delete v;
}

void LuaPushStaticString(lua_State* L, const char* text)
{
    lua_pushstaticstring(L, text);
}

void LuaPushObject(lua_State* L, const TScriptObject* object)
{
    if (object == nullptr)
    {
        lua_pushnil(L);
        return;
    }
    auto* base = const_cast<TScriptObject*>(object);
    const uint64_t key = object->GetScriptHandle().ToWord();
    if (lua_hasownedrefs(L))
    {
        // The state's owned references carry the metatable already.
        lua_pushownedref(L, base, key);
        return;
    }
    static const char kMetatable[] = "qvMessageMetatable";
    PushUserdataRef(L, base, key);
    LuaPushStaticString(L, kMetatable);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (lua_type(L, -1) == LUA_TTABLE)
        lua_setmetatable(L, -2);
    else
        lua_pop(L, 1);
}

TString LuaErrorText(lua_State* L, int idx)
{
    int type = lua_type(L, idx);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) return LuaArgString(L, idx);
    if (type == LUA_TNONE) return TString("(no error value)");
    return TString::Format("(error value: %s)", lua_typename(L, type));
}

void LuaPublishClosure(lua_State* L, const char* name, lua_CFunction adapter, const void* record,
                       size_t size)
{
    lua_pushstring(L, name);
    void* payload = lua_newuserdata(L, size);
    std::memcpy(payload, record, size);
    lua_pushcclosure(L, adapter, 1);
    lua_settable(L, LUA_GLOBALSINDEX);
}

void LuaUnbind(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_pushnil(L);
    lua_settable(L, LUA_GLOBALSINDEX);
}

void ScriptDebugOut(TString /*text*/) {}

namespace
{

int Alert(lua_State* L)
{
    TString text = LuaErrorText(L, -1);
    LogPrintf("Lua error: %s", text.CStr());
    return 0;
}

int ToParams(lua_State* L)
{
    int t = lua_gettop(L);
    if (lua_type(L, t) != LUA_TTABLE)
    {
        lua_pushstring(L, "toparams: table expected");
        lua_error(L);
        return 0;
    }
    if (!lua_checkstack(L, 1)) return 0;
    int n = GetLuaTableSize(L, t);
    if (n <= 0) return 0;
    // The count comes from the script ("n" may say anything): refuse what the
    // stack cannot hold instead of growing it without bound.
    if (n > LUA_MAXCSTACK - 1 || !lua_checkstack(L, n))
    {
        lua_pushstring(L, "toparams: too many results");
        lua_error(L);
        return 0;
    }
    for (int i = 1; i <= n; ++i) lua_rawgeti(L, t, i);
    return n;
}

}  // namespace

void PublishScriptHostFunctions(lua_State* L)
{
    lua_register(L, "_ALERT", Alert);
    LuaBindFunction(L, "DebugOut", &ScriptDebugOut);
    lua_register(L, "toparams", ToParams);
}
