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
// The interned string of tag tt (narrow: len bytes, wide: len units) with
// hash h, or NULL when the state has none.
LString* StrFind(lua_State* L, const void* s, size_t len, lu_byte tt, lu_hash h);
// Grows the intern table as interning n new strings would, so that placing
// them cannot fail.
void StrReserve(lua_State* L, size_t n);
// Interns a new string (one StrFind did not find) laid out at `at', in a
// block of a shared-chunk load `groupAt' bytes from the block's start; room
// for it (see StrPlacedSize) and in the table (StrReserve) is the caller's.
LString* StrPlace(lua_State* L, void* at, uint32_t groupAt, const void* s, size_t len, lu_byte tt,
                  lu_hash h);
inline size_t StrPlacedSize(size_t len, lu_byte tt)
{
    size_t bytes = sizeof(LString) + (len + 1) * (tt == LUA_TWSTRING ? 2u : 1u);
    return (bytes + 7) & ~size_t{7};  // the next object stays aligned
}
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
