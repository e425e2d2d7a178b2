// Interning of strings and wide strings: one hash table of chains holds both;
// the tag takes part in the match, so a string never equals a wide string.
//
// Creating a string charges the allocator: failures raise the memory error
// (status 4) and never return.
#pragma once

#include <cstddef>

#include "script/lang/object.h"

// The interned string of len bytes (a terminating 0 is added).
LString* StrNew(lua_State* L, const char* s, size_t len);
inline LString* StrNewZ(lua_State* L, const char* s)
{
    return StrNew(L, s, std::strlen(s));
}
// StrNew for a caller that already holds the text's StrHash.
LString* StrNewHashed(lua_State* L, const char* s, size_t len, lu_hash h);
// The interned wide string of len 16-bit units (a terminating 0 unit is added).
LString* StrNewWide(lua_State* L, const lua_WChar* s, size_t len);

// Hashes as stored in every string object.
lu_hash StrHash(const char* s, size_t len);
lu_hash StrHashWide(const lua_WChar* s, size_t len);

// Resizes the string table to newsize buckets (a power of two) and rehashes.
void StrResize(lua_State* L, int newsize);
// Makes s permanent: the collector never frees it.
void StrFix(LString* s);
// Frees one string object (the collector's sweep).
void StrFree(lua_State* L, LString* s);
