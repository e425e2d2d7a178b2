// The debug interface: hooks, call-stack inspection, and error messages
// with source positions and variable names.
//
// The error functions never return (run-time error, status 1).
#pragma once

#include "script/lang/state.h"

// Message prefixed with "source:line:" when a script function is running.
[[noreturn]] void DebugRunError(lua_State* L, const char* fmt, ...);
// Message without a source position.
[[noreturn]] void DebugPlainError(lua_State* L, const char* fmt, ...);
[[noreturn]] void DebugTypeError(lua_State* L, const TValue* o, const char* opname);
[[noreturn]] void DebugConcatError(lua_State* L, StkId p1, StkId p2);
[[noreturn]] void DebugArithError(lua_State* L, const TValue* p1, const TValue* p2);
[[noreturn]] void DebugOrderError(lua_State* L, const TValue* p1, const TValue* p2);
// Calls the error handler (if any) and raises status 1 with the value on top.
[[noreturn]] void DebugErrorMsg(lua_State* L);

// Current pc of a script call record, and its line (-1 for native ones).
int DebugCurrentPc(lua_State* L, CallInfo* ci);
int DebugCurrentLine(lua_State* L, CallInfo* ci);
