// TLuaThread: anchoring a new coroutine thread.
#include "script/LuaThread.h"

TLuaThread::TLuaThread(lua_State* L)
{
    state_ = lua_newthread(L);
    anchor_ = new TLuaObjectWrapper(L);
}

TLuaThread::~TLuaThread()
{
    delete anchor_;
}
