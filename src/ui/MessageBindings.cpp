// Message values for scripts: object values (script/Binding.h) of messages,
// with the registry's "qvMessageMetatable" as metatable.
#include <typeinfo>

#include "script/Binding.h"
#include "script/LuaPush.h"
#include "script/ScriptObject.h"
#include "ui/Message.h"

namespace
{

const char* const kMetatable = "qvMessageMetatable";

TMessage* AsMessage(TScriptObject* object)
{
    if (object == nullptr) return nullptr;
    // Nearly every value holds a plain message: the exact type test is much
    // cheaper than the cast, which the collector would pay once per message.
    if (typeid(*object) == typeid(TMessage)) return static_cast<TMessage*>(object);
    return dynamic_cast<TMessage*>(object);
}

// The live message an object value names; null for a value of another kind
// of object (a window's) and for one whose object is gone (a message that
// another value freed already), whatever now sits at its address.
TMessage* HeldMessage(lua_State* L, int idx)
{
    return AsMessage(LuaToObject(L, idx));
}

int MessageGc(lua_State* L)
{
    delete HeldMessage(L, 1);
    return 0;
}

// The collector's release of an object value: the same as "__gc", without a
// script call and without keeping the value for another cycle.
void ReleaseObjectValue(lua_State*, void*, uint64_t key)
{
    delete AsMessage(LuaObjectOfKey(key));
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
    // Object values of this state are owned references with this metatable.
    lua_pushvalue(L, -1);
    lua_setownedrefs(L, &ReleaseObjectValue);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

void PushMessageValue(lua_State* L, std::unique_ptr<TMessage> message)
{
    LuaPushObject(L, message.release());
}

TMessage* ToMessageValue(lua_State* L, int idx)
{
    return HeldMessage(L, idx);
}
