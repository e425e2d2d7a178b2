// The table library: concat, foreach, foreachi, getn, setn, sort, insert,
// remove, over the auxiliary library's array sizes.
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

int T_concat(lua_State* L)
{
    size_t lsep;
    const char* sep = luaL_optlstring(L, 2, "", &lsep);
    int i = luaL_optint(L, 3, 1);
    int n = luaL_optint(L, 4, 0);
    luaL_checktype(L, 1, LUA_TTABLE);
    if (n == 0) n = luaL_getn(L, 1);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    // A wider counter: j may be INT_MAX, and the step past it must not wrap.
    for (long long k = i; k <= n; k++)
    {
        lua_rawgeti(L, 1, static_cast<int>(k));
        int t = lua_type(L, -1);
        luaL_argcheck(L, t == LUA_TSTRING || t == LUA_TNUMBER, 1, "table contains non-strings");
        luaL_addvalue(&b);
        if (k != n) luaL_addlstring(&b, sep, lsep);
    }
    luaL_pushresult(&b);
    return 1;
}

// ---------------------------------------------------------------------------
// Quicksort: median of three, recursion into the smaller part only, with the
// table at 1 and the optional comparison at 2.

void SetTwo(lua_State* L, int i, int j)
{
    lua_rawseti(L, 1, i);
    lua_rawseti(L, 1, j);
}

bool SortLess(lua_State* L, int a, int b)
{
    if (lua_isnil(L, 2)) return lua_lessthan(L, a, b) != 0;
    lua_pushvalue(L, 2);
    lua_pushvalue(L, a - 1);  // indices shift by the pushed function ...
    lua_pushvalue(L, b - 2);  // ... and by the first argument
    lua_call(L, 2, 1);
    bool res = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return res;
}

void AuxSort(lua_State* L, int lo, int up)
{
    while (lo < up)
    {
        lua_rawgeti(L, 1, lo);
        lua_rawgeti(L, 1, up);
        if (SortLess(L, -1, -2))
            SetTwo(L, lo, up);
        else
            lua_pop(L, 2);
        if (up - lo == 1) break;
        int i = lo + (up - lo) / 2;
        lua_rawgeti(L, 1, i);
        lua_rawgeti(L, 1, lo);
        if (SortLess(L, -2, -1))
        {
            SetTwo(L, i, lo);
        }
        else
        {
            lua_pop(L, 1);
            lua_rawgeti(L, 1, up);
            if (SortLess(L, -1, -2))
                SetTwo(L, i, up);
            else
                lua_pop(L, 2);
        }
        if (up - lo == 2) break;
        lua_rawgeti(L, 1, i);  // the pivot stays on the stack during the pass
        lua_pushvalue(L, -1);
        lua_rawgeti(L, 1, up - 1);
        SetTwo(L, i, up - 1);
        i = lo;
        int j = up - 1;
        for (;;)
        {
            // A consistent order stops these scans inside [lo, up]; one that runs
            // past the ends can only come from an inconsistent comparison.
            while (lua_rawgeti(L, 1, ++i), SortLess(L, -1, -2))
            {
                if (i > up) luaL_error(L, "invalid order function for sorting");
                lua_pop(L, 1);
            }
            while (lua_rawgeti(L, 1, --j), SortLess(L, -3, -1))
            {
                if (j < lo) luaL_error(L, "invalid order function for sorting");
                lua_pop(L, 1);
            }
            if (j < i)
            {
                lua_pop(L, 3);
                break;
            }
            SetTwo(L, i, j);
        }
        lua_rawgeti(L, 1, up - 1);
        lua_rawgeti(L, 1, i);
        SetTwo(L, up - 1, i);
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
        AuxSort(L, j, i);
    }
}

int T_sort(lua_State* L)
{
    int n = CheckedSize(L, 1);
    luaL_checkstack(L, 40, "");
    if (!lua_isnoneornil(L, 2)) luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_settop(L, 2);
    AuxSort(L, 1, n);
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
