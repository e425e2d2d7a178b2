// TLuaTable: protected field reads, colours and traversal.
#include "script/LuaTable.h"

#include <algorithm>

#include "core/Log.h"
#include "core/Saturate.h"
#include "script/Binding.h"
#include "script/LuaStackGuard.h"
#include "script/Script.h"
#include "script/lang/TypeTable.h"

struct TLuaTable::Lookup
{
    const TLuaTable* table;
    const char* name;  // null: by number
    double index;
};

namespace
{

// Called through lua_pcall with the lookup as a light userdata: returns
// t[key], or raises an error when the value is no table or a handler fails.
int LookupBody(lua_State* L)
{
    auto* lookup = static_cast<const TLuaTable::Lookup*>(lua_touserdata(L, 1));
    lookup->table->PushOn(L);
    if (lua_type(L, -1) != LUA_TTABLE)
    {
        lua_pushstring(L, "not a table");
        lua_error(L);
        return 0;
    }
    if (lookup->name != nullptr)
        lua_pushstring(L, lookup->name);
    else
        lua_pushnumber(L, lookup->index);
    lua_gettable(L, -2);
    return 1;
}

struct NextStep
{
    const TLuaTable* table;
    TLuaObjectWrapper* oldKey;
    bool found;
};

// Called through lua_pcall: one lua_next step; leaves key and value.
int NextBody(lua_State* L)
{
    auto* step = static_cast<NextStep*>(lua_touserdata(L, 1));
    step->table->PushOn(L);
    if (lua_type(L, -1) != LUA_TTABLE) return 0;
    if (step->oldKey != nullptr)
        step->oldKey->PushOn(L);
    else
        lua_pushnil(L);
    step->found = lua_next(L, -2) != 0;
    return step->found ? 2 : 0;
}

}  // namespace

TLuaTable::TLuaTable(lua_State* L) : TLuaObjectWrapper(L) {}

TLuaTable::~TLuaTable() = default;

bool TLuaTable::PushEntry(Lookup& lookup) const
{
    if (!lua_checkstack(L_, 6)) return false;
    int top = lua_gettop(L_);
    // Without an "__index" handler a read cannot fail or run script code, so
    // the protected call (and the closure it needs) is only paid for tables
    // that have one.
    Push();
    if (lua_type(L_, -1) != LUA_TTABLE)
    {
        lua_settop(L_, top);
        return false;
    }
    bool handled = false;
    if (lua_getmetatable(L_, -1))
    {
        lua_pushstring(L_, "__index");
        lua_rawget(L_, -2);
        handled = lua_type(L_, -1) != LUA_TNIL;
        lua_pop(L_, 2);
    }
    if (!handled)
    {
        if (lookup.name != nullptr)
            lua_pushstring(L_, lookup.name);
        else
            lua_pushnumber(L_, lookup.index);
        lua_rawget(L_, -2);
        lua_remove(L_, -2);
        if (lua_type(L_, -1) == LUA_TNIL)
        {
            lua_settop(L_, top);
            return false;
        }
        return true;
    }
    lua_settop(L_, top);
    lua_pushcclosure(L_, LookupBody, 0);
    lua_pushlightuserdata(L_, &lookup);
    if (lua_pcall(L_, 1, 1, 0) != 0 || lua_type(L_, -1) == LUA_TNIL)
    {
        lua_settop(L_, top);
        return false;
    }
    return true;
}

bool TLuaTable::PushField(const char* name) const
{
    Lookup lookup{this, name != nullptr ? name : "", 0};
    return PushEntry(lookup);
}

bool TLuaTable::PushIndex(double index) const
{
    Lookup lookup{this, nullptr, index};
    return PushEntry(lookup);
}

TString TLuaTable::StringOf(Lookup& lookup, const TString& def) const
{
    TLuaStackGuard guard(L_);
    if (!PushEntry(lookup)) return def;
    return LuaArgString(L_, -1);
}

double TLuaTable::NumberOf(Lookup& lookup, double def) const
{
    TLuaStackGuard guard(L_);
    if (!PushEntry(lookup)) return def;
    return lua_tonumber(L_, -1);
}

bool TLuaTable::BoolOf(Lookup& lookup, bool def) const
{
    TLuaStackGuard guard(L_);
    if (!PushEntry(lookup)) return def;
    return lua_toboolean(L_, -1) != 0;
}

int32_t TLuaTable::IntOf(Lookup& lookup, int32_t def) const
{
    return SaturateTo<int32_t>(NumberOf(lookup, def), def);
}

std::unique_ptr<TLuaTable> TLuaTable::TableOf(Lookup& lookup) const
{
    TLuaStackGuard guard(L_);
    if (!PushEntry(lookup)) return nullptr;
    if (lua_type(L_, -1) != LUA_TTABLE) return nullptr;
    return std::make_unique<TLuaTable>(L_);
}

TFloatVector4 TLuaTable::ColorOf(Lookup& lookup, const TFloatVector4& def) const
{
    const std::unique_ptr<TLuaTable> entry = TableOf(lookup);
    if (!entry) return def;
    return TFloatVector4(static_cast<float>(entry->GetNumberAt(1, def.x)),
                         static_cast<float>(entry->GetNumberAt(2, def.y)),
                         static_cast<float>(entry->GetNumberAt(3, def.z)),
                         static_cast<float>(entry->GetNumberAt(4, def.w)));
}

TString TLuaTable::GetString(const char* name, const TString& def) const
{
    Lookup l{this, name != nullptr ? name : "", 0};
    return StringOf(l, def);
}
TString TLuaTable::GetStringAt(double index, const TString& def) const
{
    Lookup l{this, nullptr, index};
    return StringOf(l, def);
}
double TLuaTable::GetNumber(const char* name, double def) const
{
    Lookup l{this, name != nullptr ? name : "", 0};
    return NumberOf(l, def);
}
double TLuaTable::GetNumberAt(double index, double def) const
{
    Lookup l{this, nullptr, index};
    return NumberOf(l, def);
}
int32_t TLuaTable::GetInt(const char* name, int32_t def) const
{
    Lookup l{this, name != nullptr ? name : "", 0};
    return IntOf(l, def);
}
int32_t TLuaTable::GetIntAt(double index, int32_t def) const
{
    Lookup l{this, nullptr, index};
    return IntOf(l, def);
}
bool TLuaTable::GetBool(const char* name, bool def) const
{
    Lookup l{this, name != nullptr ? name : "", 0};
    return BoolOf(l, def);
}
std::unique_ptr<TLuaTable> TLuaTable::GetTable(const char* name) const
{
    Lookup l{this, name != nullptr ? name : "", 0};
    return TableOf(l);
}
std::unique_ptr<TLuaTable> TLuaTable::GetTableAt(double index) const
{
    Lookup l{this, nullptr, index};
    return TableOf(l);
}
TFloatVector4 TLuaTable::GetColor(const char* name, const TFloatVector4& def) const
{
    Lookup l{this, name != nullptr ? name : "", 0};
    return ColorOf(l, def);
}
TFloatVector4 TLuaTable::GetColorAt(double index, const TFloatVector4& def) const
{
    Lookup l{this, nullptr, index};
    return ColorOf(l, def);
}

int TLuaTable::GetCount() const
{
    if (!lua_checkstack(L_, 2)) return 0;
    TLuaStackGuard guard(L_);
    Push();
    return GetLuaTableSize(L_, lua_gettop(L_));
}

TLuaObjectWrapper* TLuaTable::Next(TLuaObjectWrapper*& key) const
{
    TLuaObjectWrapper* old = key;
    key = nullptr;
    TLuaObjectWrapper* value = nullptr;
    if (lua_checkstack(L_, 6))
    {
        TLuaStackGuard guard(L_);
        NextStep step{this, old, false};
        lua_pushcclosure(L_, NextBody, 0);
        lua_pushlightuserdata(L_, &step);
        // A key that is not in the table makes lua_next raise an error: that
        // ends the traversal like its end does.
        if (lua_pcall(L_, 1, 2, 0) == 0 && step.found)
        {
            value = new TLuaObjectWrapper(L_);
            key = new TLuaObjectWrapper(L_);
        }
    }
    delete old;
    return value;
}

bool TLuaTable::AutoDelete()
{
    TScript* owner = TScript::FromState(L_);
    if (owner == nullptr)
    {
        LogPrintf("TLuaTable::AutoDelete: no script owns this state");
        return false;
    }
    owner->AddTemporary(this);
    return true;
}

TLuaRows::TLuaRows(const TLuaTable& list, const char* what, int limit) : list_(list)
{
    const int claimed = list.GetCount();
    limit = std::max(limit, 0);
    if (claimed > limit)
        LogPrintf("%s: a table claims %d rows; the first %d are read", what, claimed, limit);
    count_ = std::clamp(claimed, 0, limit);
}
