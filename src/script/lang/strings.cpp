// The intern table of strings and wide strings: one table of chains, the tag
// part of every match.
#include "script/lang/strings.h"

#include "script/lang/gc.h"
#include "script/lang/memory.h"
#include "script/lang/sharedchunk.h"
#include "script/lang/state.h"

lu_hash StrHash(const char* s, size_t len)
{
    lu_hash h = static_cast<lu_hash>(len);
    size_t step = (len >> 5) + 1;  // long strings hash a sample of their bytes
    for (size_t i = len; i >= step; i -= step)
        h = h ^ ((h << 5) + (h >> 2) + static_cast<unsigned char>(s[i - 1]));
    return h;
}

lu_hash StrHashWide(const lua_WChar* s, size_t len)
{
    lu_hash h = static_cast<lu_hash>(len);
    size_t step = (len >> 5) + 1;
    for (size_t i = len; i >= step; i -= step) h = h ^ ((h << 5) + (h >> 2) + s[i - 1]);
    return h;
}

void StrResize(lua_State* L, int newsize)
{
    StringTable* tb = &G(L)->strt;
    GCObject** newhash = MemNewVector<GCObject*>(L, static_cast<size_t>(newsize));
    for (int i = 0; i < newsize; i++) newhash[i] = nullptr;
    for (int i = 0; i < tb->size; i++)
    {
        GCObject* p = tb->hash[i];
        while (p)
        {
            GCObject* next = p->next;
            lu_hash h = static_cast<LString*>(p)->hash;
            int h1 = static_cast<int>(h & static_cast<lu_hash>(newsize - 1));
            p->next = newhash[h1];
            newhash[h1] = p;
            p = next;
        }
    }
    MemFreeVector(L, tb->hash, static_cast<size_t>(tb->size));
    tb->size = newsize;
    tb->hash = newhash;
}

// Fills in a string object at ts and interns it.
static LString* LinkObject(lua_State* L, LString* ts, const void* data, size_t len, size_t unit,
                           lu_byte tt, lu_hash h, uint32_t groupAt)
{
    ts->tt = tt;
    ts->marked = 0;
    ts->reserved = 0;
    ts->hash = h;
    ts->len = static_cast<uint32_t>(len);
    ts->groupAt = groupAt;
    if (len) std::memcpy(ts->Data(), data, len * unit);
    std::memset(ts->Data() + len * unit, 0, unit);
    StringTable* tb = &G(L)->strt;
    int h1 = static_cast<int>(h & static_cast<lu_hash>(tb->size - 1));
    ts->next = tb->hash[h1];
    tb->hash[h1] = ts;
    tb->nuse++;
    if (tb->nuse > static_cast<uint32_t>(tb->size) && tb->size <= 0x3FFFFFFE)
        StrResize(L, tb->size * 2);
    return ts;
}

static LString* NewObject(lua_State* L, const void* data, size_t len, size_t unit, lu_byte tt,
                          lu_hash h)
{
    if (len >= MAX_BLOCK_SIZE / unit)
        MemRealloc(L, nullptr, 0, MAX_BLOCK_SIZE);  // raises "block too big"
    size_t bytes = sizeof(LString) + (len + 1) * unit;
    LString* ts = static_cast<LString*>(MemRealloc(L, nullptr, 0, bytes));
    return LinkObject(L, ts, data, len, unit, tt, h, 0);
}

LString* StrFind(lua_State* L, const void* s, size_t len, lu_byte tt, lu_hash h)
{
    size_t bytes = tt == LUA_TWSTRING ? len * 2 : len;
    StringTable* tb = &G(L)->strt;
    for (GCObject* o = tb->hash[h & static_cast<lu_hash>(tb->size - 1)]; o; o = o->next)
    {
        LString* ts = static_cast<LString*>(o);
        if (ts->tt == tt && ts->len == len &&
            (bytes == 0 || std::memcmp(s, ts->Data(), bytes) == 0))
            return ts;
    }
    return nullptr;
}

void StrReserve(lua_State* L, size_t n)
{
    StringTable* tb = &G(L)->strt;
    int size = tb->size;
    while (tb->nuse + n > static_cast<uint32_t>(size) && size <= 0x3FFFFFFE) size *= 2;
    if (size != tb->size) StrResize(L, size);
}

LString* StrPlace(lua_State* L, void* at, uint32_t groupAt, const void* s, size_t len, lu_byte tt,
                  lu_hash h)
{
    return LinkObject(L, static_cast<LString*>(at), s, len, tt == LUA_TWSTRING ? 2 : 1, tt, h,
                      groupAt);
}

LString* StrNew(lua_State* L, const char* s, size_t len)
{
    return StrNewHashed(L, s, len, StrHash(s, len));
}

LString* StrNewHashed(lua_State* L, const char* s, size_t len, lu_hash h)
{
    if (LString* ts = StrFind(L, s, len, LUA_TSTRING, h)) return ts;
    return NewObject(L, s, len, 1, LUA_TSTRING, h);
}

LString* StrNewWide(lua_State* L, const lua_WChar* s, size_t len)
{
    lu_hash h = StrHashWide(s, len);
    StringTable* tb = &G(L)->strt;
    for (GCObject* o = tb->hash[h & static_cast<lu_hash>(tb->size - 1)]; o; o = o->next)
    {
        LString* ts = static_cast<LString*>(o);
        if (ts->tt == LUA_TWSTRING && ts->len == len &&
            (len == 0 || std::memcmp(s, ts->WData(), len * 2) == 0))
            return ts;
    }
    return NewObject(L, s, len, 2, LUA_TWSTRING, h);
}

void StrFix(LString* s)
{
    s->marked |= GC_FIXED;
}

void StrFree(lua_State* L, LString* s)
{
    G(L)->strt.nuse--;
    if (s->groupAt != 0)
        SharedGroupRelease(L, reinterpret_cast<char*>(s) - s->groupAt);
    else
        MemFree(L, s, s->AllocSize());
}
