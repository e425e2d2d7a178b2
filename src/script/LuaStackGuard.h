// TLuaStackGuard: native code that pushes script values saves the stack
// height on entry and gets it back on every way out, script errors included.
#pragma once

#include "script/lang/lua.h"

// Never fails. The height is restored downwards only: a guard never pads the
// stack with nils (after a coroutine yields, the visible frame is the
// yield's, and padding it would write past what the frame may use).
class TLuaStackGuard
{
public:
    explicit TLuaStackGuard(lua_State* L) : L_(L), top_(lua_gettop(L)) {}
    ~TLuaStackGuard() { Restore(); }
    TLuaStackGuard(const TLuaStackGuard&) = delete;
    TLuaStackGuard& operator=(const TLuaStackGuard&) = delete;

    void Restore()
    {
        if (lua_gettop(L_) > top_) lua_settop(L_, top_);
    }
    int GetSavedTop() const { return top_; }
    lua_State* GetThread() const { return L_; }

private:
    lua_State* L_;
    int top_;
};
