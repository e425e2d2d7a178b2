// TLuaObjectWrapper: native code's reference to one script value, which it
// keeps alive in the registry under the wrapper's own address.
#pragma once

#include "core/String.h"
#include "script/lang/lua.h"

// The registry key is the wrapper's address, so a wrapper is never copied
// or moved; make it on the heap or as a local and destroy it in place. Its
// script state must outlive it.
class TLuaObjectWrapper
{
public:
    // Pops the value on the top of L's stack and anchors it (nil when the
    // stack is empty); a coroutine L is kept alive with it. Raises the
    // engine's memory error when the registry cannot grow.
    explicit TLuaObjectWrapper(lua_State* L);
    // Clears the registry entries (through the state's main thread).
    virtual ~TLuaObjectWrapper();
    TLuaObjectWrapper(const TLuaObjectWrapper&) = delete;
    TLuaObjectWrapper& operator=(const TLuaObjectWrapper&) = delete;
    TLuaObjectWrapper(TLuaObjectWrapper&&) = delete;
    TLuaObjectWrapper& operator=(TLuaObjectWrapper&&) = delete;

    // Pushes the value onto the wrapper's thread.
    void Push() const;
    // Pushes the value onto another thread of the same state.
    void PushOn(lua_State* L) const;
    // The value's text (numbers converted); empty when it has none. The stack
    // is left as it was.
    TString ToString() const;
    // The value's type tag (LUA_TNIL ...).
    int GetType() const;
    lua_State* GetThread() const { return L_; }

protected:
    lua_State* L_;

private:
    // The registry key that anchors a coroutine L_: an address inside this
    // wrapper, so no other wrapper can have it.
    void* ThreadKey() const { return const_cast<lua_State**>(&main_); }

    lua_State* main_;  // the state's main thread
};
