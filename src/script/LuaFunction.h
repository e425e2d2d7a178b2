// TLuaFunction: a reference to a script function that native code keeps to
// call back later.
#pragma once

#include "script/LuaObject.h"

class TLuaFunction : public TLuaObjectWrapper
{
public:
    // Takes the value on the top of L's stack.
    explicit TLuaFunction(lua_State* L);
    ~TLuaFunction() override;

    // Calls the function with no arguments under protection, with the global
    // "_ALERT" as the error handler, so a script error reaches the log. False
    // when the value is not a function or the call failed. The stack is left
    // as it was.
    bool CallAlert();
};
