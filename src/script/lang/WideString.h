// Wide strings for native code: lengths, number conversion and pushes of
// 16-bit unit strings onto a script stack.
//
// Failures: conversions return false / nullptr and leave the value as it
// was; pushes raise the engine's memory error like every push.
#pragma once

#include <cstddef>

#include "script/lang/lua.h"

struct TValue;

// Units before the terminating 0 unit.
size_t GetWideLength(const lua_WChar* text);

// Replaces a number stack value by its "%.14g" text as an interned wide
// string (each byte widened) and returns true; false for any other value.
bool NumberToWide(lua_State* L, TValue* value);

// The units (0-terminated) of the wide string at idx; a number is first
// converted in place. nullptr for every other kind and for no value.
const lua_WChar* ToWideString(lua_State* L, int idx);

// Pushes the interned wide string of count units.
void PushWideStringLen(lua_State* L, const lua_WChar* text, size_t count);
// Pushes a 0-terminated wide string; a null pointer pushes nil.
void PushWideString(lua_State* L, const lua_WChar* text);
