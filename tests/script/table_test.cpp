// Tables: array and hash parts, rehash, key rules, traversal.
#include <cmath>
#include <set>
#include <string>

#include "ScriptTestUtil.h"
#include "script/lang/do.h"
#include "script/lang/state.h"
#include "script/lang/table.h"

namespace
{

class Tables : public ScriptTest
{
protected:
    Table* NewTable(int narray = 0, int lnhash = 0)
    {
        Table* t = TableNew(L, narray, lnhash);
        L->top->SetTbl(t);
        DoIncrTop(L);  // anchored on the stack
        return t;
    }
};

TEST_F(Tables, IntegerKeysMoveIntoTheArrayPart)
{
    Table* t = NewTable();
    for (int i = 1; i <= 100; i++) TableSetNum(L, t, i)->SetNum(i * 10);
    EXPECT_GE(t->sizearray, 64);
    for (int i = 1; i <= 100; i++) EXPECT_EQ(TableGetNum(t, i)->Num(), i * 10) << i;
    // A double with an integer value finds the same slot.
    TValue k;
    k.SetNum(50.0);
    EXPECT_EQ(TableGet(t, &k)->Num(), 500);
    k.SetNum(50.5);
    EXPECT_TRUE(TableGet(t, &k)->IsNil());
}

TEST_F(Tables, SparseKeysStayInTheHashPart)
{
    Table* t = NewTable();
    for (int i = 1; i <= 20; i++) TableSetNum(L, t, i * 1000)->SetNum(i);
    EXPECT_EQ(t->sizearray, 0);
    for (int i = 1; i <= 20; i++) EXPECT_EQ(TableGetNum(t, i * 1000)->Num(), i);
}

TEST_F(Tables, ManyMixedKeysSurviveRehashes)
{
    Table* t = NewTable();
    for (int i = 0; i < 3000; i++)
    {
        TValue k;
        switch (i % 4)
        {
            case 0:
                k.SetNum(i);
                break;
            case 1:
                k.SetNum(i + 0.5);
                break;
            case 2:
                lua_pushfstring(L, "s%d", i);
                k = L->top[-1];
                lua_pop(L, 1);
                break;
            default:
                k.SetBool(i & 4);
                break;
        }
        TableSet(L, t, &k)->SetNum(i);
    }
    EXPECT_EQ(TableGetNum(t, 2996)->Num(), 2996);
    TValue k;
    k.SetNum(1.5);
    EXPECT_EQ(TableGet(t, &k)->Num(), 1);
    lua_pushstring(L, "s2998");
    EXPECT_EQ(TableGet(t, L->top - 1)->Num(), 2998);
    lua_pop(L, 1);
    EXPECT_EQ(t->SizeNode() & (t->SizeNode() - 1), 0);
}

TEST_F(Tables, NilAndNaNAreNotKeys)
{
    EXPECT_NE(ErrorOf(L, "local t = {} t[nil] = 1").find("table index is nil"), std::string::npos);
    EXPECT_NE(ErrorOf(L, "local t = {} t[0/0] = 1").find("table index is NaN"), std::string::npos);
    // Reading them is fine.
    EXPECT_EQ(
        NumberOf(L, "local t = {} if t[nil] == nil and t[0/0] == nil then return 1 end return 0"),
        1);
}

TEST_F(Tables, ZeroAndNegativeZeroAreOneKey)
{
    EXPECT_EQ(NumberOf(L, "local t = {} t[0] = 1 t[-0] = 2 return t[0]"), 2);
}

TEST_F(Tables, TraversalVisitsEveryEntryOnce)
{
    ASSERT_EQ(RunScript(L,
                        "t = {} for i = 1, 50 do t[i] = i end "
                        "for i = 1, 50 do t['k' .. i] = i end "
                        "t[1.5] = 0 t[true] = 0",
                        nullptr),
              0);
    lua_pushstring(L, "t");
    lua_gettable(L, LUA_GLOBALSINDEX);
    std::set<std::string> seen;
    lua_pushnil(L);
    while (lua_next(L, 1))
    {
        lua_pushvalue(L, -2);
        std::string key = lua_type(L, -1) == LUA_TBOOLEAN ? "true" : lua_tostring(L, -1);
        lua_pop(L, 2);
        EXPECT_TRUE(seen.insert(key).second) << key;
    }
    EXPECT_EQ(seen.size(), 102u);
}

TEST_F(Tables, ClearingFieldsDuringTraversalIsAllowed)
{
    ASSERT_EQ(RunScript(L, "t = {} for i = 1, 40 do t['k' .. i] = i t[i] = i end"), 0);
    lua_pushstring(L, "t");
    lua_gettable(L, LUA_GLOBALSINDEX);
    int visited = 0;
    lua_pushnil(L);
    while (lua_next(L, 1))
    {
        lua_pop(L, 1);
        lua_pushvalue(L, -1);
        lua_pushnil(L);
        lua_rawset(L, 1);  // clear the current field
        visited++;
    }
    EXPECT_EQ(visited, 80);
    lua_pushnil(L);
    EXPECT_EQ(lua_next(L, 1), 0);
}

int NextWithBadKey(lua_State* L)
{
    lua_newtable(L);
    lua_pushstring(L, "never a key");
    lua_next(L, -2);
    return 0;
}

TEST_F(Tables, UnknownKeyForNext)
{
    lua_pushcfunction(L, NextWithBadKey);
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "invalid key for `next'");
}

TEST_F(Tables, SizeHintsAreClamped)
{
    // Absurd hints must neither wrap nor allocate beyond the limits.
    Table* t = NewTable(-5, -3);
    EXPECT_EQ(t->sizearray, 0);
    EXPECT_EQ(t->SizeNode(), 1);
    t = NewTable(3, 2);
    EXPECT_EQ(t->sizearray, 3);
    EXPECT_EQ(t->SizeNode(), 4);
}

TEST_F(Tables, WideAndNarrowKeysAreSeparateEntries)
{
    EXPECT_EQ(NumberOf(L, "local t = {} t.abc = 1 t[L\"abc\"] = 2 return t.abc * 10 + t[L\"abc\"]"),
              12);
}

}  // namespace

namespace
{

// Inserts string keys "k1", "k2", ... into the table at index 1 of the
// native function's stack until an insertion fails.
int InsertUntilFailure(lua_State* L)
{
    for (int i = 1; i <= 1000; i++)
    {
        lua_pushfstring(L, "k%d", i);
        lua_pushnumber(L, i);
        lua_rawset(L, 1);
        lua_pushnumber(L, i);
        lua_rawseti(L, LUA_REGISTRYINDEX, 5);  // last key that went in
    }
    return 0;
}

TEST(TablesUnderMemoryLimits, FailedRehashKeepsEveryEntry)
{
    // A rehash that moves the array part into the hash part and then cannot
    // shrink the array block (or cannot allocate at all) must leave the table
    // as it was: no lost entry and no placeholder for the key being added.
    for (bool shrinks : {true, false})
    {
        TestAllocator a;
        ScopedAllocator use(&a);
        lua_State* L = lua_open();
        ASSERT_NE(L, nullptr);
        lua_newtable(L);
        for (int i = 1; i <= 64; i++)
        {
            lua_pushnumber(L, i);
            lua_rawseti(L, 1, i);
        }
        for (const char* k : {"a", "b", "c"})
        {
            lua_pushstring(L, k);
            lua_pushstring(L, k);
            lua_rawset(L, 1);
        }
        for (int i = 2; i <= 64; i++)
        {
            lua_pushnil(L);
            lua_rawseti(L, 1, i);
        }
        lua_pushcfunction(L, InsertUntilFailure);
        lua_pushvalue(L, 1);
        if (shrinks)
            a.failShrinks = true;
        else
            a.growthsLeft = 8;
        EXPECT_EQ(lua_pcall(L, 1, 0, 0), LUA_ERRMEM) << shrinks;
        a.failShrinks = false;
        a.growthsLeft = -1;
        lua_pop(L, 1);
        lua_rawgeti(L, LUA_REGISTRYINDEX, 5);
        int last = static_cast<int>(lua_tonumber(L, -1));
        lua_pop(L, 1);
        lua_rawgeti(L, 1, 1);
        EXPECT_EQ(lua_tonumber(L, -1), 1) << shrinks;
        lua_pop(L, 1);
        int entries = 0;
        lua_pushnil(L);
        while (lua_next(L, 1))
        {
            entries++;
            lua_pop(L, 1);
        }
        EXPECT_EQ(entries, 1 + 3 + last) << shrinks << ": an entry was lost or a placeholder left";
        for (const char* k : {"a", "b", "c"})
        {
            lua_pushstring(L, k);
            lua_rawget(L, 1);
            EXPECT_STREQ(lua_tostring(L, -1), k) << shrinks;
            lua_pop(L, 1);
        }
        lua_pushfstring(L, "k%d", last + 1);
        lua_rawget(L, 1);
        EXPECT_EQ(lua_type(L, -1), LUA_TNIL) << shrinks << ": the failed key holds a value";
        lua_pop(L, 1);
        lua_close(L);
        EXPECT_EQ(a.inUse, 0u);
    }
}

}  // namespace
