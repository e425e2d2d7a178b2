// The table library: concat, foreach, foreachi, getn, setn, sort, insert,
// remove, over the auxiliary library's array sizes.
#include <cstring>

#include "script/lang/api.h"
#include "script/lang/do.h"
#include "script/lang/gc.h"
#include "script/lang/state.h"
#include "script/lang/stream.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"
#include "script/lang/vm.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

int CheckedSize(lua_State* L, int idx)
{
    luaL_checktype(L, idx, LUA_TTABLE);
    return luaL_getn(L, idx);
}

int T_foreachi(lua_State* L)
{
    int n = CheckedSize(L, 1);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    for (long long i = 1; i <= n; i++)
    {  // n may be INT_MAX (table.setn)
        lua_pushvalue(L, 2);
        lua_pushnumber(L, static_cast<lua_Number>(i));
        lua_rawgeti(L, 1, static_cast<int>(i));
        lua_call(L, 2, 1);
        if (!lua_isnil(L, -1)) return 1;
        lua_pop(L, 1);
    }
    return 0;
}

int T_foreach(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_pushnil(L);
    while (lua_next(L, 1))
    {
        lua_pushvalue(L, 2);
        lua_pushvalue(L, -3);
        lua_pushvalue(L, -3);
        lua_call(L, 2, 1);
        if (!lua_isnil(L, -1)) return 1;
        lua_pop(L, 2);  // the result and the value; the key stays for lua_next
    }
    return 0;
}

int T_getn(lua_State* L)
{
    lua_pushnumber(L, static_cast<lua_Number>(CheckedSize(L, 1)));
    return 1;
}

int T_setn(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_setn(L, 1, luaL_checkint(L, 2));
    return 0;
}

int T_insert(lua_State* L)
{
    int v = lua_gettop(L);
    int n = CheckedSize(L, 1) + 1;
    int pos;
    if (v == 2)
    {
        pos = n;
    }
    else
    {
        pos = luaL_checkint(L, 2);
        if (pos > n) n = pos;
        v = 3;
    }
    luaL_setn(L, 1, n);
    while (--n >= pos)
    {
        lua_rawgeti(L, 1, n);
        lua_rawseti(L, 1, n + 1);
    }
    lua_pushvalue(L, v);
    lua_rawseti(L, 1, pos);
    return 0;
}

int T_remove(lua_State* L)
{
    int n = CheckedSize(L, 1);
    int pos = luaL_optint(L, 2, n);
    if (n <= 0) return 0;
    luaL_setn(L, 1, n - 1);
    lua_rawgeti(L, 1, pos);
    for (; pos < n; pos++)
    {
        lua_rawgeti(L, 1, pos + 1);
        lua_rawseti(L, 1, pos);
    }
    lua_pushnil(L);
    lua_rawseti(L, 1, n);
    return 1;
}

// Appends len bytes at *used in the state's shared text buffer, doubling it
// when full; returns the (possibly moved) buffer.
char* AppendShared(lua_State* L, char* buf, size_t* used, const char* s, size_t len)
{
    size_t need = *used + len;
    if (need >= 0xFFFFFFFEu) luaL_error(L, "string size overflow");
    size_t size = G(L)->buff.size;
    if (len == 0) return buf;
    if (need > size) buf = SharedBufferOpen(L, need > size * 2 ? need : size * 2);
    std::memcpy(buf + *used, s, len);
    *used = need;
    return buf;
}

int T_concat(lua_State* L)
{
    size_t lsep;
    const char* sep = luaL_optlstring(L, 2, "", &lsep);
    int i = luaL_optint(L, 3, 1);
    int n = luaL_optint(L, 4, 0);
    luaL_checktype(L, 1, LUA_TTABLE);
    if (n == 0) n = luaL_getn(L, 1);
    // The entries are read raw and joined in the shared buffer, which gives
    // the same text as piecing them together on the stack without making a
    // string per piece. Nothing in the loop runs a script or collects, so the
    // table and the buffer stay put.
    Table* t = ApiIndexToSlot(L, 1)->Tbl();
    char* buf = SharedBufferOpen(L, 0);
    size_t used = 0;
    char num[32];
    // A wider counter: j may be INT_MAX, and the step past it must not wrap.
    for (long long k = i; k <= n; k++)
    {
        int key = static_cast<int>(k);
        const TValue* v = key >= 1 && key <= t->sizearray ? &t->array[key - 1] : TableGetNum(t, key);
        if (v->IsString())
        {
            buf = AppendShared(L, buf, &used, v->Str()->Data(), v->Str()->len);
        }
        else if (v->IsNumber())
        {
            // Converted as the value's own text would be; the entry stays a number.
            int len = NumberToText(v->Num(), num);
            buf = AppendShared(L, buf, &used, num, static_cast<size_t>(len));
        }
        else
        {
            luaL_argerror(L, 1, "table contains non-strings");
        }
        if (k != n) buf = AppendShared(L, buf, &used, sep, lsep);
    }
    L->top->SetStr(used != 0 ? StrNew(L, buf, used) : StrNew(L, "", 0));
    DoIncrTop(L);
    GCCheck(L);  // only now: a collection may shrink the shared buffer
    return 1;
}

// ---------------------------------------------------------------------------
// Quicksort: median of three, recursion into the smaller part only. The
// algorithm works on four value slots (two elements, the pivot, a spare) that
// Ops reads from and writes to the table; every read, write and comparison is
// the same whichever Ops runs it, so the order of equal elements, the errors
// and what a comparison function sees do not depend on the path taken.

enum Slot
{
    kA,
    kB,
    kPivot,
};

// The table element at key n read raw, wherever it is stored.
inline const TValue* RawGet(Table* t, int n)
{
    return n >= 1 && n <= t->sizearray ? &t->array[n - 1] : TableGetNum(t, n);
}

inline void RawSet(lua_State* L, Table* t, int n, const TValue* v)
{
    if (n >= 1 && n <= t->sizearray)
        t->array[n - 1] = *v;
    else
        *TableSetNum(L, t, n) = *v;
}

// The general path: slots are stack slots (anchored for the collector while a
// comparison function runs) and comparisons go through the order handlers or
// the comparison function at stack index 2. Slot pointers are taken afresh
// after every comparison, which may move the stack.
class StackOps
{
public:
    explicit StackOps(lua_State* L) : L_(L), cmp_(!lua_isnil(L, 2)) {}

    void Load(Slot s, int n) { *SlotAt(s) = *RawGet(Tbl(), n); }
    void Store(int n, Slot s) { RawSet(L_, Tbl(), n, SlotAt(s)); }
    bool Less(Slot a, Slot b)
    {
        if (!cmp_) return lua_lessthan(L_, kFirst + a, kFirst + b) != 0;
        StkId top = L_->top;  // the slots below top are granted by T_sort
        top[0] = L_->base[1];
        top[1] = *SlotAt(a);
        top[2] = *SlotAt(b);
        L_->top = top + 3;
        DoCall(L_, top, 1);
        bool res = !(L_->top - 1)->IsFalse();
        L_->top--;
        return res;
    }

    static constexpr int kFirst = 3;  // stack index of slot kA

private:
    Table* Tbl() const { return L_->base->Tbl(); }
    TValue* SlotAt(Slot s) const { return L_->base + (kFirst - 1 + s); }

    lua_State* L_;
    bool cmp_;
};

// No comparison function and every element a number, or every element a
// string: the order is the values' own, which runs no script and allocates
// nothing, so the slots can be plain values and the table cannot change.
class ValueOps
{
public:
    ValueOps(lua_State* L, Table* t) : L_(L), t_(t) {}

    void Load(Slot s, int n) { slots_[s] = *RawGet(t_, n); }
    void Store(int n, Slot s) { RawSet(L_, t_, n, &slots_[s]); }
    bool Less(Slot a, Slot b)
    {
        const TValue& x = slots_[a];
        const TValue& y = slots_[b];
        if (x.IsNumber() && y.IsNumber()) return x.Num() < y.Num();
        if (x.IsString() && y.IsString() && x.Str() == y.Str()) return false;
        return VMLessThan(L_, &x, &y);
    }

    // True when the elements 1..n allow this path.
    static bool Applies(const Table* t, int n)
    {
        if (n > t->sizearray) return false;
        int tt = n > 0 ? t->array[0].tt : LUA_TNIL;
        if (tt != LUA_TNUMBER && tt != LUA_TSTRING) return false;
        for (int k = 1; k < n; k++)
            if (t->array[k].tt != tt) return false;
        return true;
    }

private:
    lua_State* L_;
    Table* t_;
    TValue slots_[3];
};

template <class Ops>
void AuxSort(lua_State* L, Ops& ops, int lo, int up)
{
    while (lo < up)
    {
        ops.Load(kA, lo);
        ops.Load(kB, up);
        if (ops.Less(kB, kA))
        {
            ops.Store(lo, kB);
            ops.Store(up, kA);
        }
        if (up - lo == 1) break;
        int i = lo + (up - lo) / 2;
        ops.Load(kPivot, i);
        ops.Load(kA, lo);
        if (ops.Less(kPivot, kA))
        {
            ops.Store(i, kA);
            ops.Store(lo, kPivot);
        }
        else
        {
            ops.Load(kB, up);
            if (ops.Less(kB, kPivot))
            {
                ops.Store(i, kB);
                ops.Store(up, kPivot);
            }
        }
        if (up - lo == 2) break;
        ops.Load(kPivot, i);  // the pivot stays in its slot during the pass
        ops.Load(kB, up - 1);
        ops.Store(i, kB);
        ops.Store(up - 1, kPivot);
        i = lo;
        int j = up - 1;
        for (;;)
        {
            // A consistent order stops these scans inside [lo, up]; one that runs
            // past the ends can only come from an inconsistent comparison.
            while (ops.Load(kA, ++i), ops.Less(kA, kPivot))
            {
                if (i > up) luaL_error(L, "invalid order function for sorting");
            }
            while (ops.Load(kB, --j), ops.Less(kPivot, kB))
            {
                if (j < lo) luaL_error(L, "invalid order function for sorting");
            }
            if (j < i) break;
            ops.Store(i, kB);
            ops.Store(j, kA);
        }
        ops.Load(kA, up - 1);
        ops.Load(kB, i);
        ops.Store(up - 1, kB);
        ops.Store(i, kA);
        if (i - lo < up - i)
        {
            j = lo;
            i = i - 1;
            lo = i + 2;
        }
        else
        {
            j = i + 1;
            i = up;
            up = j - 2;
        }
        AuxSort(L, ops, j, i);
    }
}

int T_sort(lua_State* L)
{
    int n = CheckedSize(L, 1);
    luaL_checkstack(L, 40, "");
    if (!lua_isnoneornil(L, 2)) luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_settop(L, 2);
    Table* t = ApiIndexToSlot(L, 1)->Tbl();
    if (lua_isnil(L, 2) && ValueOps::Applies(t, n))
    {
        ValueOps ops(L, t);
        AuxSort(L, ops, 1, n);
    }
    else
    {
        lua_settop(L, StackOps::kFirst + 2);  // the slots, nil at first
        StackOps ops(L);
        AuxSort(L, ops, 1, n);
    }
    return 0;
}

const luaL_reg kTableFuncs[] = {
    {"concat", T_concat}, {"foreach", T_foreach}, {"foreachi", T_foreachi},
    {"getn", T_getn},     {"setn", T_setn},       {"sort", T_sort},
    {"insert", T_insert}, {"remove", T_remove},   {nullptr, nullptr},
};

}  // namespace

int luaopen_table(lua_State* L)
{
    luaL_openlib(L, LUA_TABLIBNAME, kTableFuncs, 0);
    return 1;
}
