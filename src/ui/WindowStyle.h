// TWindowStyle: how a window reads its Lua table while it is built: every
// key falls back to the global default style "gCurrentDefaultStyle" and its
// chain of "parent" tables.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "script/lang/lua.h"

class TLuaTable;
class TLuaFunction;

// Lives while a window's Init and PostInit run; it refers to the table and
// owns nothing. Every operation leaves the script stack as it found it, and
// reads under protection (a failing "__index" handler reads as absent).
class TWindowStyle
{
public:
    // A null table looks keys up in the globals.
    TWindowStyle(lua_State* L, TLuaTable* table) : L_(L), table_(table) {}

    // Pushes the value for key and returns true; pushes nothing and returns
    // false when neither the table nor the default style chain has it. A
    // chain that comes back to a table it has passed ends as not found.
    bool Find(const char* key) const;
    bool Has(const char* key) const;

    double GetNumber(const char* key, double def) const;
    // The number toward zero, saturated to 32 bits, NaN as 0.
    int32_t GetInt(const char* key, int32_t def) const;
    // Strings and numbers as text; any other value gives "".
    TString GetString(const char* key, const TString& def = TString()) const;
    // Entries 1 to 4 of a table value; def when the value is no table.
    TFloatVector4 GetColor(const char* key, const TFloatVector4& def) const;
    // False only for nil and false.
    bool GetBool(const char* key, bool def) const;
    // A new reference; null when the value is not a table.
    std::unique_ptr<TLuaTable> GetTable(const char* key) const;
    // A new reference owned by the caller; null when the value is not a
    // function.
    TLuaFunction* GetFunction(const char* key) const;

    lua_State* GetState() const { return L_; }
    TLuaTable* GetLuaTable() const { return table_; }

private:
    // Find, keeping the value only when it is of that type.
    bool FindOfType(const char* key, int type) const;

    lua_State* L_;
    TLuaTable* table_;
};
