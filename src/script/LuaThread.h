// TLuaThread: a coroutine thread made on a script state, kept alive while
// native code holds it.
#pragma once

#include "script/LuaObject.h"

class TLuaThread
{
public:
    // Makes a new thread on L (sharing its globals) and anchors it. Raises
    // the engine's memory error when the thread cannot be made.
    explicit TLuaThread(lua_State* L);
    // Drops the anchor; the collector then reclaims the thread.
    virtual ~TLuaThread();
    TLuaThread(const TLuaThread&) = delete;
    TLuaThread& operator=(const TLuaThread&) = delete;

    lua_State* GetState() const { return state_; }

private:
    TLuaObjectWrapper* anchor_ = nullptr;
    lua_State* state_ = nullptr;
};
