// The buffered input stream that feeds the loader and the lexer, and the
// growable text buffers (token buffer, the state's shared text buffer).
//
// Reading past the end yields EOZ (-1); reader failures are the reader's own
// business (it returns NULL). Growing a buffer raises the memory error.
#pragma once

#include <cstddef>

#include "script/lang/object.h"

#define EOZ (-1)

struct Stream
{
    size_t n;       // bytes left in the current block
    const char* p;  // current position in it
    lua_Chunkreader reader;
    void* data;        // reader's user data
    const char* name;  // chunk name
    int wide;          // set when the source is UTF-16 little-endian
    lua_State* L;
    // A look-ahead that straddles two blocks splices the last byte of one and
    // the first of the next into join[]; the rest of the next block waits here.
    const char* restp;
    size_t restn;
    char join[2];
};

void StreamInit(lua_State* L, Stream* z, lua_Chunkreader reader, void* data, const char* name);
// Asks the reader for the next block and consumes its first byte; EOZ at end.
int StreamFill(Stream* z);
// Next byte (0..255) consumed, or EOZ.
inline int StreamGetc(Stream* z)
{
    if (z->n > 0)
    {
        z->n--;
        return static_cast<unsigned char>(*z->p++);
    }
    return StreamFill(z);
}
// Next byte without consuming it, or EOZ.
int StreamLookahead(Stream* z);
// The next two bytes as one little-endian unit without consuming them, or EOZ
// when fewer than two bytes remain. Never reads past a block's end.
int StreamLookahead16(Stream* z);
// Reads n bytes into b; returns the count that could not be read (0 = all).
size_t StreamRead(Stream* z, void* b, size_t n);

struct TextBuffer
{
    char* buffer;
    size_t size;
};

inline void TextBufferInit(TextBuffer* b)
{
    b->buffer = nullptr;
    b->size = 0;
}
// Grows the buffer to at least n bytes (at least 32) and returns it.
char* TextBufferOpen(lua_State* L, TextBuffer* b, size_t n);
void TextBufferResize(lua_State* L, TextBuffer* b, size_t size);
inline void TextBufferFree(lua_State* L, TextBuffer* b)
{
    TextBufferResize(L, b, 0);
}
// The state's shared text buffer (concatenation, formatting); its resizes run
// with the thread's allocation flag set.
char* SharedBufferOpen(lua_State* L, size_t n);
void SharedBufferResize(lua_State* L, size_t size);
