// Tables: array part for integer keys, hash part of chained nodes placed by
// main position, and the rehash that picks the array size over powers of two.
#include "script/lang/table.h"

#include <bit>
#include <cmath>

#include "script/lang/debug.h"
#include "script/lang/gc.h"
#include "script/lang/memory.h"
#include "script/lang/meta.h"
#include "script/lang/state.h"

namespace
{

// Tables without a hash part share this node; it is never written.
Node dummynode_ = {{{nullptr}, LUA_TNIL}, {{{nullptr}, LUA_TNIL}}};
Node* const kDummyNode = &dummynode_;

inline Node* NodeAt(const Table* t, uint32_t i)
{
    return &t->node[i];
}

inline Node* HashMod(const Table* t, uint64_t n)
{
    uint32_t m = static_cast<uint32_t>((t->SizeNode() - 1) | 1);
    return NodeAt(t, static_cast<uint32_t>(n % m));
}

inline Node* HashPow2(const Table* t, uint32_t n)
{
    return NodeAt(t, n & static_cast<uint32_t>(t->SizeNode() - 1));
}

Node* HashNum(const Table* t, lua_Number n)
{
    lua_Number v = n + 1;  // keeps -0 and 0 together
    uint32_t halves[2];
    static_assert(sizeof halves == sizeof v);
    std::memcpy(halves, &v, sizeof v);
    uint32_t sum = halves[0] + halves[1];
    // The same position as HashMod's, with a narrower division.
    uint32_t m = static_cast<uint32_t>((t->SizeNode() - 1) | 1);
    return NodeAt(t, sum % m);
}

// The array index of a key, or -1 when it is not an integer 1..2^24.
inline int ArrayIndex(const TValue* key)
{
    if (key->IsNumber())
    {
        lua_Number n = key->Num();
        if (n >= 1 && n <= static_cast<lua_Number>(1 << MAXABITS))
        {
            int k = static_cast<int>(n);
            if (static_cast<lua_Number>(k) == n) return k;
        }
    }
    return -1;
}

}  // namespace

Node* TableMainPosition(const Table* t, const TValue* key)
{
    switch (key->tt)
    {
        case LUA_TNUMBER:
            return HashNum(t, key->Num());
        case LUA_TSTRING:
        case LUA_TWSTRING:
            return HashPow2(t, key->Str()->hash);
        case LUA_TBOOLEAN:
            return HashPow2(t, static_cast<uint32_t>(key->Bool()));
        case LUA_TLIGHTUSERDATA:
            return HashMod(t, reinterpret_cast<uintptr_t>(key->Ptr()));
        default:
            return HashMod(t, reinterpret_cast<uintptr_t>(key->Gc()));
    }
}

// ---------------------------------------------------------------------------
// Lookup

const TValue* TableGetStr(Table* t, LString* key)
{
    Node* n = HashPow2(t, key->hash);
    do
    {
        if (n->key.tt == key->tt && n->key.value.gc == key) return &n->val;
        n = n->Next();
    } while (n);
    return &kNilObject;
}

const TValue* TableGetStrChain(Node* n, LString* key)
{
    for (; n != nullptr; n = n->Next())
        if (n->key.tt == key->tt && n->key.value.gc == key) return &n->val;
    return &kNilObject;
}

const TValue* TableGetNumHash(Table* t, lua_Number key)
{
    Node* n = HashNum(t, key);
    do
    {
        if (n->key.IsNumber() && n->key.Num() == key) return &n->val;
        n = n->Next();
    } while (n);
    return &kNilObject;
}

const TValue* TableGetNum(Table* t, int key)
{
    if (static_cast<unsigned>(key) - 1u < static_cast<unsigned>(t->sizearray))
        return &t->array[key - 1];
    return TableGetNumHash(t, static_cast<lua_Number>(key));
}

// Light userdata and collectable keys other than strings: equal when the
// tag and the pointer are.
static const TValue* GetByPointer(Table* t, const TValue* key)
{
    Node* n = HashMod(t, reinterpret_cast<uintptr_t>(key->value.p));
    do
    {
        if (n->key.tt == key->tt && n->key.value.p == key->value.p) return &n->val;
        n = n->Next();
    } while (n);
    return &kNilObject;
}

static const TValue* GetAny(Table* t, const TValue* key)
{
    Node* n = TableMainPosition(t, key);
    do
    {
        if (RawEqualObj(&n->key, key)) return &n->val;
        n = n->Next();
    } while (n);
    return &kNilObject;
}

const TValue* TableGet(Table* t, const TValue* key)
{
    switch (key->tt)
    {
        case LUA_TSTRING:
        case LUA_TWSTRING:
            return TableGetStr(t, key->Str());
        case LUA_TNIL:
            return &kNilObject;
        case LUA_TNUMBER:
        {
            int k = ArrayIndex(key);
            if (k > 0 && k <= t->sizearray) return &t->array[k - 1];
            return TableGetNumHash(t, key->Num());
        }
        case LUA_TBOOLEAN:
            return GetAny(t, key);
        default:
            return GetByPointer(t, key);
    }
}

// ---------------------------------------------------------------------------
// Resizing

namespace
{

// Small hash parts asked for at creation (constructors with named fields)
// are made in the table's own block, after the header: one allocation, and a
// lookup finds the header and the nodes side by side. They stay there unused
// when the table outgrows them.
#define MAX_INLINE_LOG 3

inline Node* InlineNodes(Table* t)
{
    return reinterpret_cast<Node*>(t + 1);
}

inline size_t InlineBytes(const Table* t)
{
    return t->inlinelog ? sizeof(Node) << (t->inlinelog - 1) : 0;
}

// Frees a node vector unless it is the shared dummy or the table's own.
void FreeNodes(lua_State* L, Table* t, Node* nodes, int lsize)
{
    if (nodes == kDummyNode || nodes == nullptr) return;
    if (t->inlinelog && nodes == InlineNodes(t)) return;
    MemFreeVector(L, nodes, static_cast<size_t>(1) << lsize);
}

}  // namespace

// storage: room for the nodes, or NULL to allocate them.
static void SetNodeVector(lua_State* L, Table* t, int lsize, Node* storage = nullptr)
{
    if (lsize > MAXBITS) DebugRunError(L, "table overflow");
    if (lsize == 0)
    {
        t->node = kDummyNode;
        t->lsizenode = 0;
        t->firstfree = nullptr;
        return;
    }
    int size = 1 << lsize;
    Node* nodes = storage ? storage : MemNewVector<Node>(L, static_cast<size_t>(size));
    for (int i = 0; i < size; i++)
    {
        nodes[i].link.next = 0;
        nodes[i].key.SetNil();
        nodes[i].val.SetNil();
    }
    t->node = nodes;
    t->lsizenode = static_cast<lu_byte>(lsize);
    t->firstfree = &nodes[size - 1];  // every free node lies at or below it
}

static TValue* NewKey(lua_State* L, Table* t, const TValue* key);

// The slot for a key known to be absent (the entries moved by a resize):
// its array slot, or a new node without the lookup a set would make first.
static TValue* SetAbsent(lua_State* L, Table* t, const TValue* key)
{
    int k = ArrayIndex(key);
    if (k > 0 && k <= t->sizearray) return &t->array[k - 1];
    return NewKey(L, t, key);
}

static void Resize(lua_State* L, Table* t, int nasize, int nhlog)
{
    int oldasize = t->sizearray;
    int oldhsize = t->lsizenode;
    Node* nold = t->node;
    bool hadNodes = nold != kDummyNode;
    SetNodeVector(L, t, nhlog);  // may raise: nothing changed yet
    // Until the old nodes are moved, a failed array resize can put everything
    // back: the old array block and the old nodes are still intact.
    auto rollback = [&]
    {
        FreeNodes(L, t, t->node, t->lsizenode);
        t->node = nold;
        t->lsizenode = static_cast<lu_byte>(oldhsize);
        // Any free node will do: the first pass of an insert rescans.
        t->firstfree = hadNodes ? &nold[(1 << oldhsize) - 1] : nullptr;
        t->sizearray = oldasize;
    };
    if (nasize > oldasize)
    {
        try
        {
            MemResizeVector(L, t->array, static_cast<size_t>(oldasize),
                            static_cast<size_t>(nasize));
        }
        catch (...)
        {
            rollback();
            throw;
        }
        for (int i = oldasize; i < nasize; i++) t->array[i].SetNil();
        t->sizearray = nasize;
    }
    if (nasize < oldasize)
    {
        // The tail moves into the new nodes first; an allocator that refuses to
        // shrink the block then leaves the table exactly as it was.
        try
        {
            t->sizearray = nasize;
            for (int i = nasize; i < oldasize; i++)
            {
                if (!t->array[i].IsNil()) *TableSetNum(L, t, i + 1) = t->array[i];
            }
            MemResizeVector(L, t->array, static_cast<size_t>(oldasize),
                            static_cast<size_t>(nasize));
        }
        catch (...)
        {
            rollback();
            throw;
        }
    }
    if (hadNodes)
    {
        for (int i = (1 << oldhsize) - 1; i >= 0; i--)
        {
            Node* old = &nold[i];
            if (!old->val.IsNil()) *SetAbsent(L, t, &old->key) = old->val;
        }
        FreeNodes(L, t, nold, oldhsize);
    }
}

// Bucket of an array-candidate key: keys in (2^(i-1), 2^i] share bucket i.
static int CeilLog2Index(int k)
{
    return static_cast<int>(std::bit_width(static_cast<unsigned>(k - 1)));
}

static void Rehash(lua_State* L, Table* t, const TValue* extra)
{
    int nums[MAXABITS + 1] = {0};
    int totaluse = 0;
    // The array part is counted slice by slice: (2^(lg-1), 2^lg].
    int idx = 1;
    for (int lg = 0, ttlg = 1; lg <= MAXABITS && idx <= t->sizearray; lg++, ttlg *= 2)
    {
        int lim = ttlg < t->sizearray ? ttlg : t->sizearray;
        int used = 0;
        for (; idx <= lim; idx++)
            if (!t->array[idx - 1].IsNil()) used++;
        nums[lg] += used;
        totaluse += used;
    }
    if (t->node != kDummyNode)
    {
        for (int i = t->SizeNode() - 1; i >= 0; i--)
        {
            Node* n = &t->node[i];
            if (n->val.IsNil()) continue;
            int k = ArrayIndex(&n->key);
            if (k > 0) nums[CeilLog2Index(k)]++;
            totaluse++;
        }
    }
    if (extra)
    {
        int k = ArrayIndex(extra);
        if (k > 0) nums[CeilLog2Index(k)]++;
        totaluse++;
    }
    // The largest power of two n such that more than half of 1..n is in use.
    int a = 0, na = 0, nasize = 0;
    for (int i = 0, twotoi = 1; i <= MAXABITS && twotoi / 2 < totaluse; i++, twotoi *= 2)
    {
        a += nums[i];
        if (a > twotoi / 2)
        {
            nasize = twotoi;
            na = a;
        }
    }
    int nhsize = totaluse - na;
    int nhlog = 0;
    if (nhsize > 0)
    {
        nhlog = 1;
        while ((1 << nhlog) <= nhsize && nhlog <= MAXBITS) nhlog++;
    }
    Resize(L, t, nasize, nhlog);
}

// ---------------------------------------------------------------------------
// Insertion

static Node* GetFreePos(Table* t)
{
    if (t->firstfree == nullptr) return nullptr;
    while (t->firstfree >= t->node)
    {
        if (t->firstfree->key.IsNil()) return t->firstfree;
        if (t->firstfree == t->node) break;
        t->firstfree--;
    }
    return nullptr;
}

// Puts a key that is not present; returns its value slot.
static TValue* NewKey(lua_State* L, Table* t, const TValue* key)
{
    if (t->node == kDummyNode)
    {
        Rehash(L, t, key);
        return TableSet(L, t, key);
    }
    Node* mp = TableMainPosition(t, key);
    if (!mp->val.IsNil())
    {
        Node* n = GetFreePos(t);
        if (n == nullptr)
        {
            Rehash(L, t, key);
            return TableSet(L, t, key);
        }
        Node* othern = TableMainPosition(t, &mp->key);
        if (othern != mp)
        {
            // The occupant is not in its main position: move it to the free node.
            while (othern->Next() != mp) othern = othern->Next();
            othern->SetNext(n);
            *n = *mp;
            n->SetNext(mp->Next());  // the link is a distance: re-aim it from n
            mp->link.next = 0;
            mp->val.SetNil();
        }
        else
        {
            n->SetNext(mp->Next());
            mp->SetNext(n);
            mp = n;
        }
    }
    mp->SetKey(key);
    // Keep one free node available; when the last one is taken, grow now so
    // every insertion finds room.
    if (GetFreePos(t) == nullptr)
    {
        mp->val.SetBool(0);  // counted by the rehash, replaced by the caller
        try
        {
            Rehash(L, t, nullptr);
        }
        catch (...)
        {
            // A failed rehash leaves the nodes as they were: the new key must not
            // stay behind holding the placeholder.
            mp->val.SetNil();
            throw;
        }
        return const_cast<TValue*>(TableGet(t, key));
    }
    return &mp->val;
}

TValue* TableSet(lua_State* L, Table* t, const TValue* key)
{
    const TValue* p = TableGet(t, key);
    if (p != &kNilObject)
    {
        t->flags = 0;
        return const_cast<TValue*>(p);
    }
    return TableNewKey(L, t, key);
}

TValue* TableNewKey(lua_State* L, Table* t, const TValue* key)
{
    t->flags = 0;
    if (key->IsNil()) DebugRunError(L, "table index is nil");
    if (key->IsNumber() && std::isnan(key->Num())) DebugRunError(L, "table index is NaN");
    return NewKey(L, t, key);
}

TValue* TableSetNum(lua_State* L, Table* t, int key)
{
    const TValue* p = TableGetNum(t, key);
    t->flags = 0;
    if (p != &kNilObject) return const_cast<TValue*>(p);
    TValue k;
    k.SetNum(key);
    return NewKey(L, t, &k);
}

TValue* TableSetStr(lua_State* L, Table* t, LString* key)
{
    const TValue* p = TableGetStr(t, key);
    t->flags = 0;
    if (p != &kNilObject) return const_cast<TValue*>(p);
    TValue k;
    k.SetStr(key);
    return NewKey(L, t, &k);
}

// ---------------------------------------------------------------------------
// Creation and traversal

Table* TableNew(lua_State* L, int narray, int lnhash)
{
    if (narray < 0) narray = 0;
    if (narray > (1 << MAXABITS)) narray = 1 << MAXABITS;
    if (lnhash < 0) lnhash = 0;
    if (lnhash > MAXBITS) lnhash = MAXBITS;
    int inlinelog = lnhash > 0 && lnhash <= MAX_INLINE_LOG ? lnhash + 1 : 0;
    size_t inlinebytes = inlinelog ? sizeof(Node) << lnhash : 0;
    Table* t = static_cast<Table*>(MemRealloc(L, nullptr, 0, sizeof(Table) + inlinebytes));
    t->flags = static_cast<lu_byte>(~0);
    t->lsizenode = 0;
    t->inlinelog = static_cast<lu_byte>(inlinelog);
    t->metatable = DefaultMetatableFor(L, LUA_TTABLE);
    t->array = nullptr;
    t->sizearray = 0;
    t->node = kDummyNode;
    t->firstfree = nullptr;
    t->gclist = nullptr;
    t->tt = LUA_TTABLE;
    t->marked = 0;
    try
    {
        if (narray > 0)
        {
            t->array = MemNewVector<TValue>(L, static_cast<size_t>(narray));
            for (int i = 0; i < narray; i++) t->array[i].SetNil();
            t->sizearray = narray;
        }
        SetNodeVector(L, t, lnhash, inlinelog ? InlineNodes(t) : nullptr);
    }
    catch (...)
    {
        TableFree(L, t);
        throw;
    }
    GCLink(L, t, LUA_TTABLE);
    return t;
}

void TableFree(lua_State* L, Table* t)
{
    FreeNodes(L, t, t->node, t->lsizenode);
    if (t->array) MemFreeVector(L, t->array, static_cast<size_t>(t->sizearray));
    MemFree(L, t, sizeof(Table) + InlineBytes(t));
}

// Position of a key in traversal order: array slots first, then nodes.
static int FindIndex(lua_State* L, Table* t, const TValue* key)
{
    if (key->IsNil()) return -1;
    int k = ArrayIndex(key);
    if (k > 0 && k <= t->sizearray) return k - 1;
    Node* n = TableMainPosition(t, key);
    if (t->node != kDummyNode)
    {
        do
        {
            if (RawEqualObj(&n->key, key)) return t->sizearray + static_cast<int>(n - t->node);
            n = n->Next();
        } while (n);
    }
    DebugRunError(L, "invalid key for `next'");
}

int TableNext(lua_State* L, Table* t, StkId key)
{
    int i = FindIndex(L, t, key);
    for (i++; i < t->sizearray; i++)
    {
        if (!t->array[i].IsNil())
        {
            key->SetNum(i + 1);
            key[1] = t->array[i];
            return 1;
        }
    }
    if (t->node == kDummyNode) return 0;
    for (i -= t->sizearray; i < t->SizeNode(); i++)
    {
        if (!t->node[i].val.IsNil())
        {
            key[0] = t->node[i].key;
            key[1] = t->node[i].val;
            return 1;
        }
    }
    return 0;
}
