// Binary string.pack / string.unpack and the number conversions they share
// with string.format.
//
// Failures: both raise script errors ("bad code `?'", "expected a boolean",
// argument errors); unpack stops at the end of the data and returns what it
// read.
#pragma once

#include "script/lang/lua.h"

// string.pack(format, ...): the packed byte string.
int StringPack(lua_State* L);
// string.unpack(data, format [, init]): the next position, then the values.
int StringUnpack(lua_State* L);

// A double as a float; values beyond the float range become infinities
// (NaN stays NaN) instead of an undefined conversion.
float DoubleToFloat(double d);
