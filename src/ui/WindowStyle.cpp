// Style lookups with the default-style fallback.
#include "ui/WindowStyle.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "core/Saturate.h"
#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "script/LuaStackGuard.h"
#include "script/LuaTable.h"

namespace
{

const char* const kDefaultStyle = "gCurrentDefaultStyle";

const void* TableIdentity(const TLuaTable& table)
{
    TLuaStackGuard guard(table.GetThread());
    table.Push();
    return lua_topointer(table.GetThread(), -1);
}

}  // namespace

bool TWindowStyle::Find(const char* key) const
{
    if (L_ == nullptr) return false;
    if (table_ != nullptr)
    {
        if (table_->PushField(key)) return true;
    }
    else
    {
        lua_pushstring(L_, key);
        lua_rawget(L_, LUA_GLOBALSINDEX);
        if (!lua_isnil(L_, -1)) return true;
        lua_pop(L_, 1);
    }

    lua_pushstring(L_, kDefaultStyle);
    lua_rawget(L_, LUA_GLOBALSINDEX);
    if (lua_type(L_, -1) != LUA_TTABLE)
    {
        lua_pop(L_, 1);
        return false;
    }
    auto style = std::make_unique<TLuaTable>(L_);
    // A style appended twice to its own chain must not spin forever.
    std::vector<const void*> seen;
    while (style)
    {
        const void* id = TableIdentity(*style);
        for (const void* s : seen)
            if (s == id) return false;
        seen.push_back(id);
        if (style->PushField(key)) return true;
        style = style->GetTable("parent");
    }
    return false;
}

bool TWindowStyle::Has(const char* key) const
{
    if (!Find(key)) return false;
    lua_pop(L_, 1);
    return true;
}

double TWindowStyle::GetNumber(const char* key, double def) const
{
    if (!Find(key)) return def;
    const double v = lua_tonumber(L_, -1);
    lua_pop(L_, 1);
    return v;
}

int32_t TWindowStyle::GetInt(const char* key, int32_t def) const
{
    if (!Find(key)) return def;
    const double v = lua_tonumber(L_, -1);
    lua_pop(L_, 1);
    // NaN reads as 0, not as def, as the bindings read an argument.
    return SaturateTo<int32_t>(v);
}

TString TWindowStyle::GetString(const char* key, const TString& def) const
{
    if (!Find(key)) return def;
    TString v = LuaArgString(L_, -1);
    lua_pop(L_, 1);
    return v;
}

bool TWindowStyle::FindOfType(const char* key, int type) const
{
    if (!Find(key)) return false;
    if (lua_type(L_, -1) == type) return true;
    lua_pop(L_, 1);
    return false;
}

TFloatVector4 TWindowStyle::GetColor(const char* key, const TFloatVector4& def) const
{
    if (!FindOfType(key, LUA_TTABLE)) return def;
    TLuaTable colour(L_);
    return TFloatVector4(static_cast<float>(colour.GetNumberAt(1, def.x)),
                         static_cast<float>(colour.GetNumberAt(2, def.y)),
                         static_cast<float>(colour.GetNumberAt(3, def.z)),
                         static_cast<float>(colour.GetNumberAt(4, def.w)));
}

bool TWindowStyle::GetBool(const char* key, bool def) const
{
    if (!Find(key)) return def;
    const bool v = lua_toboolean(L_, -1) != 0;
    lua_pop(L_, 1);
    return v;
}

std::unique_ptr<TLuaTable> TWindowStyle::GetTable(const char* key) const
{
    return FindOfType(key, LUA_TTABLE) ? std::make_unique<TLuaTable>(L_) : nullptr;
}

TLuaFunction* TWindowStyle::GetFunction(const char* key) const
{
    return FindOfType(key, LUA_TFUNCTION) ? new TLuaFunction(L_) : nullptr;
}
