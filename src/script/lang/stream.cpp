// The loader's buffered input stream and the growable text buffers.
#include "script/lang/stream.h"

#include "script/lang/memory.h"
#include "script/lang/state.h"

void StreamInit(lua_State* L, Stream* z, lua_Chunkreader reader, void* data, const char* name)
{
    z->n = 0;
    z->p = nullptr;
    z->reader = reader;
    z->data = data;
    z->name = name;
    z->wide = 0;
    z->L = L;
    z->restp = nullptr;
    z->restn = 0;
    z->join[0] = z->join[1] = 0;
}

// Makes the next block current without consuming; false at the end.
static bool NextBlock(Stream* z)
{
    if (z->restn > 0)
    {
        z->p = z->restp;
        z->n = z->restn;
        z->restp = nullptr;
        z->restn = 0;
        return true;
    }
    size_t size = 0;
    const char* buff = z->reader(z->L, z->data, &size);
    if (buff == nullptr || size == 0) return false;
    z->p = buff;
    z->n = size;
    return true;
}

int StreamFill(Stream* z)
{
    if (!NextBlock(z)) return EOZ;
    z->n--;
    return static_cast<unsigned char>(*z->p++);
}

int StreamLookahead(Stream* z)
{
    if (z->n == 0 && !NextBlock(z)) return EOZ;
    return static_cast<unsigned char>(*z->p);
}

int StreamLookahead16(Stream* z)
{
    if (z->n == 0 && !NextBlock(z)) return EOZ;
    if (z->n == 1)
    {
        // The unit straddles two blocks: splice the lone byte with the first
        // byte of the next block instead of reading past this one.
        char first = *z->p;
        z->n = 0;
        if (!NextBlock(z))
        {
            // Put the lone byte back; there is no second byte.
            z->join[0] = first;
            z->p = z->join;
            z->n = 1;
            return EOZ;
        }
        z->join[0] = first;
        z->join[1] = *z->p;
        z->restp = z->p + 1;
        z->restn = z->n - 1;
        z->p = z->join;
        z->n = 2;
    }
    return static_cast<unsigned char>(z->p[0]) | (static_cast<unsigned char>(z->p[1]) << 8);
}

size_t StreamRead(Stream* z, void* b, size_t n)
{
    char* out = static_cast<char*>(b);
    while (n)
    {
        if (z->n == 0 && !NextBlock(z)) return n;
        size_t m = n <= z->n ? n : z->n;
        std::memcpy(out, z->p, m);
        z->n -= m;
        z->p += m;
        out += m;
        n -= m;
    }
    return 0;
}

void TextBufferResize(lua_State* L, TextBuffer* b, size_t size)
{
    b->buffer = static_cast<char*>(MemRealloc(L, b->buffer, b->size, size));
    b->size = size;
}

char* TextBufferOpen(lua_State* L, TextBuffer* b, size_t n)
{
    if (n > b->size)
    {
        if (n < 32) n = 32;
        TextBufferResize(L, b, n);
    }
    return b->buffer;
}

void SharedBufferResize(lua_State* L, size_t size)
{
    // The flag tells the allocation function which block this is; it must
    // drop again even when the resize fails.
    struct FlagScope
    {
        lua_State* L;
        explicit FlagScope(lua_State* l) : L(l) { L->allocflag = 1; }
        ~FlagScope() { L->allocflag = 0; }
    } scope(L);
    TextBufferResize(L, &G(L)->buff, size);
}

char* SharedBufferOpen(lua_State* L, size_t n)
{
    TextBuffer* b = &G(L)->buff;
    if (n > b->size) SharedBufferResize(L, n < 32 ? 32 : n);
    return b->buffer;
}
