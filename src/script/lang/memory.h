// The script core's single reallocation routine, which keeps the byte count
// that drives collection, and the growth rule for its vectors.
//
// Failures never return: a request of MAX_BLOCK_SIZE bytes or more raises the
// run-time error "memory allocation error: block too big" (status 1); an
// exhausted allocator raises the memory error (status 4); a vector past its
// limit raises the caller's message (status 1).
#pragma once

#include <cstddef>

#include "script/lang/object.h"

// Resizes block from oldsize to newsize bytes through the state's allocation
// function (newsize 0 frees it and returns NULL).
void* MemRealloc(lua_State* L, void* block, size_t oldsize, size_t newsize);

// Doubles *size (at least 4; up to limit once half of it is reached; the error
// message errormsg past it) and reallocates the vector; *size changes only
// after success.
void* MemGrowAux(lua_State* L, void* block, int* size, size_t elemsize, int limit,
                 const char* errormsg);

// Element-count wrappers: the byte size is checked for overflow first.
void* MemReallocVector(lua_State* L, void* block, size_t oldn, size_t newn, size_t elemsize);

template <class T>
inline T* MemNew(lua_State* L)
{
    return static_cast<T*>(MemRealloc(L, nullptr, 0, sizeof(T)));
}
template <class T>
inline T* MemNewVector(lua_State* L, size_t n)
{
    return static_cast<T*>(MemReallocVector(L, nullptr, 0, n, sizeof(T)));
}
template <class T>
inline void MemFreeVector(lua_State* L, T* v, size_t n)
{
    MemRealloc(L, v, n * sizeof(T), 0);
}
template <class T>
inline void MemResizeVector(lua_State* L, T*& v, size_t oldn, size_t newn)
{
    v = static_cast<T*>(MemReallocVector(L, v, oldn, newn, sizeof(T)));
}
// Grows v when it cannot hold nelems + 1 elements.
template <class T>
inline void MemGrowVector(lua_State* L, T*& v, int nelems, int& size, int limit,
                          const char* errormsg)
{
    if (nelems + 1 > size) v = static_cast<T*>(MemGrowAux(L, v, &size, sizeof(T), limit, errormsg));
}
inline void MemFree(lua_State* L, void* block, size_t size)
{
    MemRealloc(L, block, size, 0);
}
