// The interpreter loop and the value operations it shares with the host API:
// conversions, indexing with handlers, comparison and concatenation.
//
// Operations raise run-time errors (status 1) on bad operands; conversions
// report failure by returning NULL / false.
#pragma once

#include "script/lang/state.h"

// The number a value converts to (numbers, strings, wide strings); stores
// into n when a conversion was needed. NULL when it does not convert.
const TValue* VMToNumber(const TValue* obj, TValue* n);
// Converts a number to a string in place; true for strings (and converted
// numbers), false for everything else (wide strings included).
bool VMToString(lua_State* L, StkId obj);
// Converts a number to a wide string in place; true for wide strings too.
bool VMToWide(lua_State* L, StkId obj);

bool VMEqualObj(lua_State* L, const TValue* t1, const TValue* t2);
bool VMLessThan(lua_State* L, const TValue* l, const TValue* r);
bool VMLessEqual(lua_State* L, const TValue* l, const TValue* r);

// t[key] with handlers into *val (val may be a stack slot).
void VMGetTable(lua_State* L, const TValue* t, TValue* key, StkId val);
// t[key] = val with handlers.
void VMSetTable(lua_State* L, const TValue* t, TValue* key, StkId val);

// Concatenates the total values ending at base + last (string or wide mode),
// leaving the result at base + last - total + 1.
void VMConcat(lua_State* L, int total, int last);

// Runs script functions from the running call record until the record the
// loop was entered with returns; returns the first result.
StkId VMExecute(lua_State* L);
