// The script engine's object model: tagged values, collectable objects
// (strings and wide strings, userdata, prototypes, closures, upvalues, tables)
// and the conversions every module shares.
//
// Module map of src/script/lang (header -> what it holds):
//   lua.h      public host API (lua_*, LUA_*)
//   object.h   values, object layouts, number/text conversions, formatted text
//   memory.h   the one reallocation routine, vector growth, "block too big"
//   strings.h  interning of strings and wide strings
//   udata.h    full userdata
//   table.h    tables (array + hash part)
//   func.h     prototypes, closures, upvalues
//   meta.h     event names and metamethod lookup (per-type tables)
//   state.h    lua_State, global state, call records, limits
//   do.h       stack, calls, error unwinding, protected calls, chunk loading
//   stream.h   buffered input stream (with the UTF-16 look-ahead) and text buffers
//   gc.h       the collector
//   vm.h       the interpreter loop and its value operations
//   debug.h    debug interface, error messages with positions, code checker
//   dump.h     precompiled chunk writer and reader
//   sharedchunk.h  compiled chunks many states build their functions from
//   opcodes.h  instruction format and opcodes (MAXSTACK lives there)
//   lexer.h, parser.h, codegen.h: the compiler (tokens, parsing, code
//              generation); api.cpp holds the lua_* entry points, api.h its
//              index resolution for the engine's native helpers.
//
// The engine's string object is LString; TString is the framework's string
// (core/String.h), a different type, and both may meet in one file.
//
// The loader (do.cpp) calls the compiler through ParseChunk (parser.h);
// lua_open interns the reserved words through LexInitReserved (lexer.h),
// which marks them in LString::reserved (1-based reserved-word index).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "script/lang/lua.h"

typedef uint8_t lu_byte;
typedef uint32_t lu_hash;
typedef uint32_t Instruction;

// Internal tags, never seen by scripts or the host API.
#define LUA_TPROTO 10
#define LUA_TUPVAL 11
// Per-type table slots: one per tag 0..10 (slot 0 stays nil).
#define NUM_TYPE_SLOTS 11

// Largest count of upvalues and of local variables of one function.
#define MAXUPVALUES 32
#define MAXVARS 200
// Largest size of any block asked of the allocator, in bytes.
#define MAX_BLOCK_SIZE 0xFFFFFFFDu
// Largest int used as a size (vectors, counts).
#define MAX_INT 2147483645

struct lua_State;
struct Table;
struct Proto;

// ---------------------------------------------------------------------------
// Collectable objects share this header.
struct GCObject
{
    GCObject* next;  // next object in its collector list (or string-table chain)
    lu_byte tt;      // type tag
    lu_byte marked;  // collector flag bits (gc.h)
};

union Value
{
    GCObject* gc;
    void* p;
    lua_Number n;
    int b;
};

struct LString;
struct Udata;
struct Closure;

// A tagged value: 16 bytes.
struct TValue
{
    Value value;
    int tt;

    int type() const { return tt; }
    bool IsNil() const { return tt == LUA_TNIL; }
    bool IsNumber() const { return tt == LUA_TNUMBER; }
    bool IsString() const { return tt == LUA_TSTRING; }
    bool IsWString() const { return tt == LUA_TWSTRING; }
    bool IsAnyString() const { return tt == LUA_TSTRING || tt == LUA_TWSTRING; }
    bool IsTable() const { return tt == LUA_TTABLE; }
    bool IsFunction() const { return tt == LUA_TFUNCTION; }
    bool IsBoolean() const { return tt == LUA_TBOOLEAN; }
    bool IsUserdata() const { return tt == LUA_TUSERDATA; }
    bool IsThread() const { return tt == LUA_TTHREAD; }
    bool IsLightUserdata() const { return tt == LUA_TLIGHTUSERDATA; }
    bool IsCollectable() const { return tt >= LUA_TSTRING; }
    // nil and false are false; everything else is true.
    bool IsFalse() const { return tt == LUA_TNIL || (tt == LUA_TBOOLEAN && value.b == 0); }

    lua_Number Num() const { return value.n; }
    int Bool() const { return value.b; }
    void* Ptr() const { return value.p; }
    GCObject* Gc() const { return value.gc; }
    LString* Str() const { return reinterpret_cast<LString*>(value.gc); }
    Table* Tbl() const { return reinterpret_cast<Table*>(value.gc); }
    Closure* Cl() const { return reinterpret_cast<Closure*>(value.gc); }
    Udata* Ud() const { return reinterpret_cast<Udata*>(value.gc); }
    lua_State* Th() const { return reinterpret_cast<lua_State*>(value.gc); }

    void SetNil() { tt = LUA_TNIL; }
    void SetNum(lua_Number n)
    {
        value.n = n;
        tt = LUA_TNUMBER;
    }
    void SetBool(int b)
    {
        value.b = b != 0;
        tt = LUA_TBOOLEAN;
    }
    void SetPtr(void* p)
    {
        value.p = p;
        tt = LUA_TLIGHTUSERDATA;
    }
    // Any collectable object: the tag comes from the object's header, so a
    // wide string stays a wide string.
    void SetObj(GCObject* o)
    {
        value.gc = o;
        tt = o->tt;
    }
    inline void SetStr(LString* s);
    inline void SetTbl(Table* t);
    inline void SetCl(Closure* c);
    inline void SetUd(Udata* u);
    inline void SetTh(lua_State* th);
};

static_assert(sizeof(Value) == 8, "payload is 8 bytes");
static_assert(sizeof(TValue) == 16, "tagged values stay 16 bytes");

typedef TValue* StkId;  // index into a thread's stack

// The one nil object that lookups return for "absent".
extern const TValue kNilObject;

// ---------------------------------------------------------------------------
// Strings (tag 4) and wide strings (tag 9): same layout; the length counts
// bytes or 16-bit units. The text follows the header and ends with a 0 byte
// (narrow) or a 0 unit (wide).
struct LString : GCObject
{
    lu_byte reserved;  // reserved-word index (1-based) for the lexer; 0 otherwise
    lu_hash hash;
    uint32_t len;
    // 0, or where the string lies in the block of a shared-chunk load that
    // made it (bytes from the block's start; see sharedchunk.h).
    uint32_t groupAt;

    bool IsWide() const { return tt == LUA_TWSTRING; }
    char* Data() { return reinterpret_cast<char*>(this + 1); }
    const char* Data() const { return reinterpret_cast<const char*>(this + 1); }
    lua_WChar* WData() { return reinterpret_cast<lua_WChar*>(this + 1); }
    const lua_WChar* WData() const { return reinterpret_cast<const lua_WChar*>(this + 1); }
    // Bytes of the object as allocated.
    size_t AllocSize() const { return sizeof(LString) + (IsWide() ? (len + 1) * 2u : len + 1u); }
};
static_assert(sizeof(LString) == 32, "a string header stays 32 bytes");

// ---------------------------------------------------------------------------
// Full userdata (tag 7). The stored length is the requested size rounded up to
// even; an odd length marks an external reference whose payload is a UdataRef:
// 1 for one that does not own what it refers to, 3 for an owned reference,
// whose release the state's hook does when the collector frees it.
constexpr uint32_t kUdataRefLen = 1;
constexpr uint32_t kUdataOwnedRefLen = 3;

// What an external reference holds: a pointer to something outside the state
// and a word the host pushed with it, which the engine keeps but never reads
// (hosts use it to tell whether the pointer still means what it meant).
struct UdataRef
{
    void* p;
    uint64_t key;
};

struct alignas(16) Udata : GCObject
{
    Table* metatable;
    uint32_t len;

    bool IsExternalRef() const { return (len & 1u) != 0; }
    bool IsOwnedRef() const { return len == kUdataOwnedRefLen; }
    void* Payload() { return reinterpret_cast<char*>(this) + sizeof(Udata); }
    size_t PayloadSize() const { return IsExternalRef() ? sizeof(UdataRef) : len; }
    // The payload of an external reference.
    UdataRef* Ref() { return static_cast<UdataRef*>(Payload()); }
    size_t AllocSize() const { return sizeof(Udata) + PayloadSize(); }
};

// ---------------------------------------------------------------------------
// Function prototypes (tag 10).
struct LocVar
{
    LString* varname;
    int startpc;  // first pc where the variable is active
    int endpc;    // first pc where it is dead
};

struct SharedProtoGroup;

struct Proto : GCObject
{
    TValue* k;  // constants (nil, numbers, strings, wide strings)
    Instruction* code;
    Proto** p;           // nested prototypes
    int* lineinfo;       // source line of each instruction
    LocVar* locvars;     // debug information of local variables
    LString** upvalues;  // upvalue names
    LString* source;
    int sizeupvalues;
    int sizek;
    int sizecode;
    int sizelineinfo;
    int sizep;
    int sizelocvars;
    int lineDefined;
    GCObject* gclist;  // collector gray-list link
    // Set when the prototype was built from a shared chunk: code and lineinfo
    // then belong to the chunk (read-only, shared by every state that loaded
    // it), and the prototype and its other vectors live in the block of the
    // load that built it.
    SharedProtoGroup* shared;
    lu_byte nups;  // number of upvalues
    lu_byte numparams;
    lu_byte is_vararg;
    lu_byte maxstacksize;
};

// ---------------------------------------------------------------------------
// Upvalues (tag 11): open while v points into a stack, closed when v points
// at the upvalue's own value.
struct UpVal : GCObject
{
    TValue* v;
    TValue value;
};

// ---------------------------------------------------------------------------
// Closures (tag 6). Upvalue arrays follow the structure in the same block.
struct Closure : GCObject
{
    lu_byte isC;
    lu_byte nupvalues;
    GCObject* gclist;
    TValue env;  // table of globals of a script function (nil for native ones)
};

struct CClosure : Closure
{
    lua_CFunction f;
    TValue* Upvalues() { return reinterpret_cast<TValue*>(this + 1); }
    static size_t SizeFor(int n)
    {
        return sizeof(CClosure) + sizeof(TValue) * static_cast<size_t>(n);
    }
};

struct LClosure : Closure
{
    Proto* p;
    UpVal** Upvals() { return reinterpret_cast<UpVal**>(this + 1); }
    static size_t SizeFor(int n)
    {
        return sizeof(LClosure) + sizeof(UpVal*) * static_cast<size_t>(n);
    }
};

inline CClosure* AsC(Closure* c)
{
    return static_cast<CClosure*>(c);
}
inline LClosure* AsL(Closure* c)
{
    return static_cast<LClosure*>(c);
}
inline bool IsCFunction(const TValue* o)
{
    return o->IsFunction() && o->Cl()->isC;
}
inline bool IsLFunction(const TValue* o)
{
    return o->IsFunction() && !o->Cl()->isC;
}

// ---------------------------------------------------------------------------
// Tables (tag 5).
// A node is 32 bytes: the link to the next colliding node lives in the
// padding of the key (as a distance in nodes, 0 ending the chain), so key
// writes go through SetKey, which leaves the link alone.
struct NodeKey
{
    Value value;
    int tt;
    int next;
};

struct Node
{
    TValue val;
    union
    {
        TValue key;
        NodeKey link;
    };

    Node* Next() { return link.next != 0 ? this + link.next : nullptr; }
    void SetNext(const Node* n) { link.next = n != nullptr ? static_cast<int>(n - this) : 0; }
    void SetKey(const TValue* k)
    {
        link.value = k->value;
        link.tt = k->tt;
    }
};
static_assert(sizeof(Node) == 32, "nodes stay 32 bytes");

// The array size fills the word after the flags, so a table takes 64 bytes:
// one cache line for everything a lookup reads.
struct Table : GCObject
{
    lu_byte flags;      // bit e set: event e known absent from this table
    lu_byte lsizenode;  // log2 of the hash-part size
    lu_byte inlinelog;  // log2 + 1 of the nodes made in the table's own block (0: none)
    int sizearray;
    Table* metatable;
    TValue* array;
    Node* node;
    Node* firstfree;  // every free node lies below this one
    GCObject* gclist;

    int SizeNode() const { return 1 << lsizenode; }
};
static_assert(sizeof(Table) == 64, "a table header fits one cache line");

inline void TValue::SetStr(LString* s)
{
    value.gc = s;
    tt = s->tt;
}
inline void TValue::SetTbl(Table* t)
{
    value.gc = t;
    tt = LUA_TTABLE;
}
inline void TValue::SetCl(Closure* c)
{
    value.gc = c;
    tt = LUA_TFUNCTION;
}
inline void TValue::SetUd(Udata* u)
{
    value.gc = u;
    tt = LUA_TUSERDATA;
}

// ---------------------------------------------------------------------------
// Conversions and helpers (object.cpp).

// Raw equality: same tag and same number / boolean / pointer.
bool RawEqualObj(const TValue* a, const TValue* b);

// Truncation toward zero that gives the x86 "integer indefinite" result
// (INT64_MIN / INT32_MIN, low 32 bits 0) for NaN, infinities and values out of
// range, instead of undefined behaviour.
int64_t NumberToInt64(lua_Number n);
int32_t NumberToInt32(lua_Number n);
// Truncation toward zero clamped into [lo, hi] (NaN gives lo): size hints.
int NumberToIntClamped(lua_Number n, int lo, int hi);

// Narrow text to number: the decimal conversion of the whole text (leading
// and trailing white space allowed). False when it does not convert.
bool TextToNumber(const char* s, size_t len, lua_Number* result);
// Wide text to number: hexadecimal (0x..., fraction, p-exponent after a
// fraction) or decimal; no leading white space; trailing white space allowed.
bool WideToNumber(const lua_WChar* s, size_t len, lua_Number* result);
// "%.14g" into buff (at least 32 bytes); returns the length.
int NumberToText(lua_Number n, char* buff);

// log2 rounded up (ceil), for sizes; 0 for x <= 1.
int Log2Ceil(uint32_t x);

// Formats a message with %%, %c, %d, %f, %s (and %p) into a new string pushed
// on L's stack; returns its text.
const char* PushVFString(lua_State* L, const char* fmt, va_list argp);
const char* PushFString(lua_State* L, const char* fmt, ...);

// The chunk identification used in messages: "=name" gives name, "@file"
// gives the file name (its tail when long), anything else [string "..."].
void ChunkId(char* out, const char* source, size_t bufflen);
