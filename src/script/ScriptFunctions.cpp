// The take-back of an object's script functions.
#include "script/ScriptFunctions.h"

#include "script/LuaStackGuard.h"
#include "script/Script.h"
#include "script/lib/auxlib.h"

namespace
{

int DoNothing(lua_State*)
{
    return 0;
}

}  // namespace

TScriptFunctions::TScriptFunctions(TScript* script, ETakeBack takeBack)
    : script_(script), takeBack_(takeBack)
{
    // The script may die first (shutdown after a failed start, tests): its
    // handle tells us, where a raw pointer could not.
    owner_ = dynamic_cast<TScriptObject*>(script);
    if (owner_ != nullptr) handle_ = owner_->GetScriptHandle();
}

TScriptFunctions::~TScriptFunctions()
{
    TakeBack();
}

lua_State* TScriptFunctions::State() const
{
    if (script_ == nullptr) return nullptr;
    if (owner_ != nullptr && TScriptObject::FromHandle(handle_) == nullptr) return nullptr;
    return script_->GetState();
}

void TScriptFunctions::Remember(lua_State* L, const char* name)
{
    TLuaStackGuard guard(L);
    lua_pushstring(L, name);
    lua_gettable(L, LUA_GLOBALSINDEX);
    entries_.push_back({name, luaL_ref(L, LUA_REGISTRYINDEX)});
}

void TScriptFunctions::TakeBack()
{
    lua_State* L = State();
    if (L != nullptr)
    {
        TLuaStackGuard guard(L);
        for (const SEntry& e : entries_)
        {
            lua_pushstring(L, e.name.c_str());
            lua_gettable(L, LUA_GLOBALSINDEX);
            lua_rawgeti(L, LUA_REGISTRYINDEX, e.ref);
            const bool stillOurs = lua_rawequal(L, -1, -2) != 0;
            lua_pop(L, 2);
            if (stillOurs && takeBack_ == kRemoveOnTakeBack)
            {
                LuaUnbind(L, e.name.c_str());
            }
            else if (stillOurs)
            {
                lua_pushstring(L, e.name.c_str());
                lua_pushcclosure(L, &DoNothing, 0);
                lua_settable(L, LUA_GLOBALSINDEX);
            }
            luaL_unref(L, LUA_REGISTRYINDEX, e.ref);
        }
    }
    entries_.clear();
}

std::vector<std::string> TScriptFunctions::GetNames() const
{
    std::vector<std::string> names;
    for (const SEntry& e : entries_) names.push_back(e.name);
    return names;
}
