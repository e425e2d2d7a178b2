// Precompiled chunks: the writer (dump) and the reader (undump) of compiled
// prototypes, wide-string constants included.
#include "script/lang/dump.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "script/lang/debug.h"
#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/memory.h"
#include "script/lang/opcodes.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"
#include "script/lang/verify.h"

namespace
{

constexpr int kVersion = 0x50;
constexpr lua_Number kTestNumber = 31415926.535897933;
const char kSignature[] = "\x1bLua";

bool MachineIsLittleEndian()
{
    const uint16_t one = 1;
    unsigned char b;
    std::memcpy(&b, &one, 1);
    return b == 1;
}

// ---------------------------------------------------------------------------
// Writing

struct DumpState
{
    lua_State* L;
    lua_Chunkwriter writer;
    void* data;
    int status;
};

void DumpBlock(DumpState* D, const void* b, size_t size)
{
    if (D->status == 0) D->status = D->writer(D->L, b, size, D->data);
}

void DumpByte(DumpState* D, int y)
{
    char x = static_cast<char>(y);
    DumpBlock(D, &x, 1);
}

void DumpInt(DumpState* D, int x)
{
    DumpBlock(D, &x, sizeof x);
}

void DumpSize(DumpState* D, uint32_t x)
{
    DumpBlock(D, &x, sizeof x);
}

void DumpNumber(DumpState* D, lua_Number x)
{
    DumpBlock(D, &x, sizeof x);
}

void DumpString(DumpState* D, const LString* s)
{
    if (s == nullptr)
    {
        DumpSize(D, 0);
        return;
    }
    if (s->IsWide())
    {
        DumpSize(D, s->len + 1);
        DumpBlock(D, s->WData(), (s->len + 1) * 2u);
    }
    else
    {
        DumpSize(D, s->len + 1);
        DumpBlock(D, s->Data(), s->len + 1u);
    }
}

void DumpFunction(DumpState* D, const Proto* f, const LString* p);

void DumpConstants(DumpState* D, const Proto* f)
{
    DumpInt(D, f->sizek);
    for (int i = 0; i < f->sizek; i++)
    {
        const TValue* o = &f->k[i];
        DumpByte(D, o->tt);
        switch (o->tt)
        {
            case LUA_TNUMBER:
                DumpNumber(D, o->Num());
                break;
            case LUA_TSTRING:
            case LUA_TWSTRING:
                DumpString(D, o->Str());
                break;
            default:
                break;  // nil and anything else: the type byte alone
        }
    }
    DumpInt(D, f->sizep);
    for (int i = 0; i < f->sizep; i++) DumpFunction(D, f->p[i], f->source);
}

void DumpFunction(DumpState* D, const Proto* f, const LString* p)
{
    DumpString(D, (f->source == p) ? nullptr : f->source);
    DumpInt(D, f->lineDefined);
    DumpByte(D, f->nups);
    DumpByte(D, f->numparams);
    DumpByte(D, f->is_vararg);
    DumpByte(D, f->maxstacksize);
    DumpInt(D, f->sizelineinfo);
    DumpBlock(D, f->lineinfo, sizeof(int) * static_cast<size_t>(f->sizelineinfo));
    DumpInt(D, f->sizelocvars);
    for (int i = 0; i < f->sizelocvars; i++)
    {
        DumpString(D, f->locvars[i].varname);
        DumpInt(D, f->locvars[i].startpc);
        DumpInt(D, f->locvars[i].endpc);
    }
    DumpInt(D, f->sizeupvalues);
    for (int i = 0; i < f->sizeupvalues; i++) DumpString(D, f->upvalues[i]);
    DumpConstants(D, f);
    DumpInt(D, f->sizecode);
    DumpBlock(D, f->code, sizeof(Instruction) * static_cast<size_t>(f->sizecode));
}

void DumpHeader(DumpState* D)
{
    DumpBlock(D, kSignature, 4);
    DumpByte(D, kVersion);
    DumpByte(D, MachineIsLittleEndian() ? 1 : 0);
    DumpByte(D, sizeof(int));
    DumpByte(D, sizeof(uint32_t));
    DumpByte(D, sizeof(Instruction));
    DumpByte(D, SIZE_OP);
    DumpByte(D, SIZE_A);
    DumpByte(D, SIZE_B);
    DumpByte(D, SIZE_C);
    DumpByte(D, sizeof(lua_Number));
    DumpNumber(D, kTestNumber);
}

// ---------------------------------------------------------------------------
// Reading
//
// The whole chunk is read into memory first, so every count and size is
// checked against the bytes actually left before anything is allocated: a
// corrupt count fails as a short file instead of demanding a huge block.

struct LoadState
{
    lua_State* L;
    const unsigned char* p;    // next unread byte
    const unsigned char* end;  // one past the last byte
    bool swap;
    std::string name;
    int depth;  // nesting of function records being read
};

// Deeper nesting than the compiler can produce only serves to exhaust the
// native stack.
constexpr int kMaxNesting = 200;

// Smallest encodings, used to bound counts by the bytes left: a local
// variable (name of at least one byte, start, end), an upvalue name, a
// constant (a nil's type byte), a function record (source size, line,
// four bytes, six counts).
constexpr uint64_t kMinLocVar = 4 + 1 + 4 + 4;
constexpr uint64_t kMinName = 4 + 1;
constexpr uint64_t kMinConstant = 1;
constexpr uint64_t kMinFunction = 4 + 4 + 4 + 6 * 4;

[[noreturn]] void Truncated(LoadState* S)
{
    DebugRunError(S->L, "unexpected end of file in %s", S->name.c_str());
}
[[noreturn]] void BadCode(LoadState* S)
{
    DebugRunError(S->L, "bad code in %s", S->name.c_str());
}

void Need(LoadState* S, uint64_t n)
{
    if (n > static_cast<uint64_t>(S->end - S->p)) Truncated(S);
}

const unsigned char* Take(LoadState* S, uint64_t n)
{
    Need(S, n);
    const unsigned char* b = S->p;
    S->p += n;
    return b;
}

template <class T>
T LoadScalar(LoadState* S)
{
    unsigned char b[sizeof(T)];
    std::memcpy(b, Take(S, sizeof b), sizeof b);
    if (S->swap)
    {
        for (size_t i = 0; i < sizeof b / 2; i++) std::swap(b[i], b[sizeof b - 1 - i]);
    }
    T x;
    std::memcpy(&x, b, sizeof x);
    return x;
}

int LoadByte(LoadState* S)
{
    return *Take(S, 1);
}

int LoadInt(LoadState* S)
{
    int x = LoadScalar<int32_t>(S);
    if (x < 0) DebugRunError(S->L, "bad integer in %s", S->name.c_str());
    return x;
}

// A count of elements taking at least `each' bytes apiece.
int LoadCount(LoadState* S, uint64_t each)
{
    int n = LoadInt(S);
    Need(S, static_cast<uint64_t>(n) * each);
    return n;
}

// Size 0 means "no string" (nullptr); the terminator is counted, not kept.
LString* LoadString(LoadState* S)
{
    uint32_t size = LoadScalar<uint32_t>(S);
    if (size == 0) return nullptr;
    const char* s = reinterpret_cast<const char*>(Take(S, size));
    return StrNew(S->L, s, size - 1);
}

LString* LoadWideString(LoadState* S)
{
    uint32_t size = LoadScalar<uint32_t>(S);
    if (size == 0) return nullptr;
    const unsigned char* s = Take(S, static_cast<uint64_t>(size) * 2);
    std::u16string units(size - 1, u'\0');
    for (size_t i = 0; i + 1 < size; i++)
    {
        unsigned lo = s[2 * i], hi = s[2 * i + 1];
        if (S->swap) std::swap(lo, hi);
        units[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return StrNewWide(S->L, reinterpret_cast<const lua_WChar*>(units.data()), size - 1);
}

// Names of locals and upvalues, and string constants, must be present.
LString* LoadName(LoadState* S, bool wide = false)
{
    LString* s = wide ? LoadWideString(S) : LoadString(S);
    if (s == nullptr) BadCode(S);
    return s;
}

// Allocates v for n elements (already bounded by the bytes left), sets every
// one with init, and only then publishes the size, so the collector never
// sees an unset element; read then fills them in order.
template <class T, class Init, class Read>
void LoadVector(LoadState* S, T*& v, int& size, int n, Init init, Read read)
{
    v = MemNewVector<T>(S->L, static_cast<size_t>(n));
    for (int i = 0; i < n; i++) init(v[i]);
    size = n;
    for (int i = 0; i < n; i++) read(v[i]);
}

Proto* LoadFunction(LoadState* S, LString* p);

void LoadConstants(LoadState* S, Proto* f)
{
    int n = LoadCount(S, kMinConstant);
    LoadVector(
        S, f->k, f->sizek, n, [](TValue& o) { o.SetNil(); },
        [S](TValue& o)
        {
            int t = LoadByte(S);
            switch (t)
            {
                case LUA_TNIL:
                    o.SetNil();
                    break;
                case LUA_TNUMBER:
                    o.SetNum(LoadScalar<lua_Number>(S));
                    break;
                case LUA_TSTRING:
                case LUA_TWSTRING:
                    o.SetStr(LoadName(S, t == LUA_TWSTRING));
                    break;
                default:
                    DebugRunError(S->L, "bad constant type (%d) in %s", t, S->name.c_str());
            }
        });
    n = LoadCount(S, kMinFunction);
    LoadVector(
        S, f->p, f->sizep, n, [](Proto*& q) { q = nullptr; },
        [S, f](Proto*& q) { q = LoadFunction(S, f->source); });
}

Proto* LoadFunction(LoadState* S, LString* p)
{
    lua_State* L = S->L;
    if (++S->depth > kMaxNesting) BadCode(S);
    Proto* f = ProtoNew(L);
    // Keep the prototype reachable while its parts load.
    DoCheckStack(L, 1);
    L->top->SetObj(f);
    DoIncrTop(L);
    f->source = LoadString(S);
    if (f->source == nullptr) f->source = p;
    f->lineDefined = LoadInt(S);
    f->nups = static_cast<lu_byte>(LoadByte(S));
    f->numparams = static_cast<lu_byte>(LoadByte(S));
    f->is_vararg = static_cast<lu_byte>(LoadByte(S));
    f->maxstacksize = static_cast<lu_byte>(LoadByte(S));
    int n = LoadCount(S, 4);
    LoadVector(
        S, f->lineinfo, f->sizelineinfo, n, [](int& x) { x = 0; },
        [S](int& x) { x = LoadScalar<int32_t>(S); });
    n = LoadCount(S, kMinLocVar);
    LoadVector(
        S, f->locvars, f->sizelocvars, n,
        [](LocVar& v)
        {
            v.varname = nullptr;
            v.startpc = v.endpc = 0;
        },
        [S](LocVar& v)
        {
            v.varname = LoadName(S);
            v.startpc = LoadInt(S);
            v.endpc = LoadInt(S);
        });
    n = LoadCount(S, kMinName);
    if (n != 0 && n != f->nups)
        DebugRunError(L, "bad nupvalues in %s: read %d; expected %d", S->name.c_str(), n, f->nups);
    LoadVector(
        S, f->upvalues, f->sizeupvalues, n, [](LString*& s) { s = nullptr; },
        [S](LString*& s) { s = LoadName(S); });
    LoadConstants(S, f);
    n = LoadCount(S, sizeof(Instruction));
    LoadVector(
        S, f->code, f->sizecode, n, [](Instruction& x) { x = 0; },
        [S](Instruction& x) { x = LoadScalar<uint32_t>(S); });
    if (!VerifyCode(f)) BadCode(S);
    L->top--;
    S->depth--;
    return f;
}

void TestSize(LoadState* S, int s, const char* what)
{
    int r = LoadByte(S);
    if (r != s)
        DebugRunError(S->L, "virtual machine mismatch in %s: size of %s is %d but read %d",
                      S->name.c_str(), what, s, r);
}

void LoadHeader(LoadState* S)
{
    for (int i = 0; i < 4; i++)
    {
        if (LoadByte(S) != static_cast<unsigned char>(kSignature[i]))
            DebugRunError(S->L, "bad signature in %s", S->name.c_str());
    }
    int version = LoadByte(S);
    if (version > kVersion)
        DebugRunError(S->L, "%s too new: read version %d.%d; expected at most %d.%d",
                      S->name.c_str(), version >> 4, version & 15, kVersion >> 4, kVersion & 15);
    if (version < kVersion)
        DebugRunError(S->L, "%s too old: read version %d.%d; expected at least %d.%d",
                      S->name.c_str(), version >> 4, version & 15, kVersion >> 4, kVersion & 15);
    int order = LoadByte(S);
    S->swap = (order != 0) != MachineIsLittleEndian();
    TestSize(S, 4, "int");
    TestSize(S, 4, "size_t");
    TestSize(S, 4, "Instruction");
    TestSize(S, SIZE_OP, "OP");
    TestSize(S, SIZE_A, "A");
    TestSize(S, SIZE_B, "B");
    TestSize(S, SIZE_C, "C");
    TestSize(S, 8, "number");
    lua_Number x = LoadScalar<lua_Number>(S);
    if (NumberToInt64(x) != static_cast<int64_t>(kTestNumber))
        DebugRunError(S->L, "unknown number format in %s", S->name.c_str());
}

// Reads the rest of the stream into the load buffer, growing it as bytes
// arrive; returns the byte count.
size_t ReadAll(lua_State* L, Stream* z, TextBuffer* b)
{
    size_t got = 0;
    for (;;)
    {
        size_t want = b->size > got + 4096 ? b->size - got : (got < 4096 ? 4096 : got);
        TextBufferOpen(L, b, got + want);
        size_t missing = StreamRead(z, b->buffer + got, want);
        got += want - missing;
        if (missing != 0) return got;
    }
}

}  // namespace

int DumpProto(lua_State* L, const Proto* f, lua_Chunkwriter w, void* data)
{
    DumpState D{L, w, data, 0};
    DumpHeader(&D);
    DumpFunction(&D, f, nullptr);
    return D.status;
}

Proto* UndumpChunk(lua_State* L, Stream* z, TextBuffer* buff)
{
    LoadState S;
    S.L = L;
    S.swap = false;
    S.depth = 0;
    const char* s = z->name ? z->name : "?";
    if (*s == '@' || *s == '=')
        S.name = s + 1;
    else if (*s == 27)
        S.name = "binary string";
    else
        S.name = s;
    size_t size = ReadAll(L, z, buff);
    S.p = reinterpret_cast<const unsigned char*>(buff->buffer);
    S.end = S.p + size;
    LoadHeader(&S);
    Proto* f = LoadFunction(&S, nullptr);
    // The loader makes the main closure without upvalues; code that reads
    // upvalues there would reach past the closure.
    if (f->nups != 0) BadCode(&S);
    return f;
}
