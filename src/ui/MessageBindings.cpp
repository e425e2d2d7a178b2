// Message values for scripts: a userdata holding a TMessage*, with the
// registry's "qvMessageMetatable" as metatable.
#include "script/Binding.h"
#include "script/LuaPush.h"
#include "ui/Message.h"

namespace
{

const char* const kMetatable = "qvMessageMetatable";

// The value holds the message itself only when its metatable is ours: any
// other userdata could hold anything.
TMessage* HeldMessage(lua_State* L, int idx)
{
    if (lua_type(L, idx) != LUA_TUSERDATA || !lua_getmetatable(L, idx)) return nullptr;
    lua_pushstring(L, kMetatable);
    lua_rawget(L, LUA_REGISTRYINDEX);
    const bool ours = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return ours ? static_cast<TMessage*>(lua_touserdata(L, idx)) : nullptr;
}

int MessageGc(lua_State* L)
{
    delete HeldMessage(L, 1);
    return 0;
}

int MessageIndex(lua_State* L)
{
    TMessage* message = HeldMessage(L, 1);
    if (message == nullptr) return 0;
    const TString key = LuaArgString(L, 2);
    if (key == "type")
        lua_pushnumber(L, message->GetKind());
    else if (key == "name")
        PushLuaString(L, message->GetName());
    else
        lua_pushnil(L);
    return 1;
}

}  // namespace

void RegisterMessageMetatable(lua_State* L)
{
    lua_pushstring(L, kMetatable);
    lua_newtable(L);
    lua_pushstring(L, "__gc");
    lua_pushcfunction(L, &MessageGc);
    lua_rawset(L, -3);
    lua_pushstring(L, "__index");
    lua_pushcfunction(L, &MessageIndex);
    lua_rawset(L, -3);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

void PushMessageValue(lua_State* L, TMessage* message)
{
    if (message == nullptr)
    {
        lua_pushnil(L);
        return;
    }
    PushUserdataRef(L, message);
    lua_pushstring(L, kMetatable);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (lua_type(L, -1) == LUA_TTABLE)
        lua_setmetatable(L, -2);
    else
        lua_pop(L, 1);
}

TMessage* ToMessageValue(lua_State* L, int idx)
{
    return HeldMessage(L, idx);
}
