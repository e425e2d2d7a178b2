// The collector: weak tables (wide strings as weak keys), userdata
// finalisers, closing a state with pending finalisers, roots.
#include <algorithm>
#include <string>
#include <vector>

#include "ScriptTestUtil.h"
#include "script/lang/do.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"

namespace
{

std::vector<int> gFinalized;

int RecordGc(lua_State* L)
{
    int* id = static_cast<int*>(lua_touserdata(L, 1));
    gFinalized.push_back(*id);
    return 0;
}

int FailingGc(lua_State* L)
{
    int* id = static_cast<int*>(lua_touserdata(L, 1));
    gFinalized.push_back(*id);
    lua_pushstring(L, "finaliser failed");
    return lua_error(L);
}

class Collector : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        gFinalized.clear();
    }
    // Pushes a userdata holding id whose metatable's "__gc" is handler.
    void PushFinalizable(int id, lua_CFunction handler)
    {
        *static_cast<int*>(lua_newuserdata(L, sizeof(int))) = id;
        lua_newtable(L);
        lua_pushstring(L, "__gc");
        lua_pushcfunction(L, handler);
        lua_rawset(L, -3);
        lua_setmetatable(L, -2);
    }
    void Collect() { lua_setgcthreshold(L, 0); }
    int CountEntries(int idx)
    {
        int n = 0;
        lua_pushnil(L);
        while (lua_next(L, idx))
        {
            n++;
            lua_pop(L, 1);
        }
        return n;
    }
    // A table at the top whose metatable has the given "__mode".
    void PushWeakTable(const char* mode)
    {
        lua_newtable(L);
        lua_newtable(L);
        lua_pushstring(L, "__mode");
        lua_pushstring(L, mode);
        lua_rawset(L, -3);
        lua_setmetatable(L, -2);
    }
};

TEST_F(Collector, WideStringWeakKeyGoesWithItsLastReference)
{
    PushWeakTable("k");
    const lua_WChar units[] = {'w', 'e', 'a', 'k', '!', 0x263A};
    L->top->SetStr(StrNewWide(L, units, 6));
    DoIncrTop(L);
    lua_pushnumber(L, 1);
    lua_rawset(L, 1);
    uint32_t strings = G(L)->strt.nuse;
    Collect();
    EXPECT_EQ(CountEntries(1), 0);
    EXPECT_EQ(G(L)->strt.nuse, strings - 1);
    // Probing with a fresh copy finds nothing.
    L->top->SetStr(StrNewWide(L, units, 6));
    DoIncrTop(L);
    lua_rawget(L, 1);
    EXPECT_TRUE(lua_isnil(L, -1));
}

TEST_F(Collector, NarrowStringWeakKeysAreValuesAndStay)
{
    PushWeakTable("k");
    lua_pushstring(L, "only-here");
    lua_pushnumber(L, 1);
    lua_rawset(L, 1);
    Collect();
    EXPECT_EQ(CountEntries(1), 1);
}

TEST_F(Collector, WeakValuesAndKeysDropCollectedObjects)
{
    PushWeakTable("v");
    lua_newtable(L);
    lua_rawseti(L, 1, 1);  // only reference: weak
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_rawseti(L, 1, 2);  // also on the stack: kept
    PushWeakTable("kv");
    lua_newtable(L);
    lua_pushnumber(L, 5);
    lua_rawset(L, 3);
    Collect();
    lua_rawgeti(L, 1, 1);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    lua_rawgeti(L, 1, 2);
    EXPECT_TRUE(lua_istable(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(CountEntries(3), 0);
}

TEST_F(Collector, FinalisersRunOnceAfterTheSweep)
{
    GCSetStress(L, 0);  // the order within one collection is under test
    for (int id = 1; id <= 3; id++)
    {
        PushFinalizable(id, RecordGc);
        lua_pop(L, 1);
    }
    PushFinalizable(4, RecordGc);  // still referenced
    Collect();
    ASSERT_EQ(gFinalized.size(), 3u);
    // Separation walks the newest userdata first.
    EXPECT_EQ(gFinalized, (std::vector<int>{3, 2, 1}));
    Collect();
    EXPECT_EQ(gFinalized.size(), 3u);  // not finalised twice
    lua_pop(L, 1);
    Collect();
    EXPECT_EQ(gFinalized.size(), 4u);
    EXPECT_EQ(gFinalized.back(), 4);
}

TEST_F(Collector, FinaliserMayResurrectItsObject)
{
    lua_register(L, "keep",
                 [](lua_State* L1)
                 {
                     lua_pushvalue(L1, 1);
                     lua_rawseti(L1, LUA_REGISTRYINDEX, 50);
                     RecordGc(L1);
                     return 0;
                 });
    lua_pushstring(L, "keep");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_CFunction keep = lua_tocfunction(L, -1);
    lua_pop(L, 1);
    PushFinalizable(7, keep);
    lua_pop(L, 1);
    Collect();
    ASSERT_EQ(gFinalized.size(), 1u);
    lua_rawgeti(L, LUA_REGISTRYINDEX, 50);
    ASSERT_EQ(lua_type(L, -1), LUA_TUSERDATA);
    EXPECT_EQ(*static_cast<int*>(lua_touserdata(L, -1)), 7);  // still intact
    lua_pop(L, 1);
    lua_pushnil(L);
    lua_rawseti(L, LUA_REGISTRYINDEX, 50);
    Collect();
    Collect();
    EXPECT_EQ(gFinalized.size(), 1u);
}

TEST_F(Collector, CloseRunsPendingFinalisersEvenWhenOneFails)
{
    PushFinalizable(1, RecordGc);
    PushFinalizable(2, FailingGc);
    PushFinalizable(3, RecordGc);
    lua_close(L);
    L = nullptr;
    ASSERT_EQ(gFinalized.size(), 3u);
    std::vector<int> sorted = gFinalized;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{1, 2, 3}));
}

TEST_F(Collector, FinaliserErrorsReachTheCaller)
{
    GCSetStress(L, 0);  // a collection outside the protected call would panic
    PushFinalizable(9, FailingGc);
    lua_pop(L, 1);
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_setgcthreshold(L1, 0);
                          return 0;
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "finaliser failed");
    EXPECT_EQ(gFinalized, std::vector<int>{9});
}

TEST_F(Collector, PerTypeTablesAndRegistryAreRoots)
{
    ASSERT_EQ(RunScript(L, "(5).kept = {'x'}"), 0);
    lua_newtable(L);
    lua_pushstring(L, "payload");
    lua_rawseti(L, -2, 1);
    lua_rawseti(L, LUA_REGISTRYINDEX, 3);
    Collect();
    Collect();
    EXPECT_EQ(RunScript(L, "return (6).kept[1]", nullptr, 1), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "x");
    lua_rawgeti(L, LUA_REGISTRYINDEX, 3);
    lua_rawgeti(L, -1, 1);
    EXPECT_STREQ(lua_tostring(L, -1), "payload");
}

TEST_F(Collector, GarbageIsReclaimedAndThresholdFollows)
{
    Collect();
    size_t base = G(L)->nblocks;
    ASSERT_EQ(RunScript(L, "for i = 1, 2000 do local t = {i, tostring} end"), 0);
    ASSERT_EQ(RunScript(L, "local s = '' for i = 1, 300 do s = 'x' .. i end"), 0);
    Collect();
    EXPECT_LE(G(L)->nblocks, base + 1024);
    EXPECT_EQ(G(L)->GCthreshold, 2 * G(L)->nblocks);
}

TEST_F(Collector, ManyCyclesUnderAutomaticCollection)
{
    // Tables referencing each other in cycles, closures, strings: the
    // automatic collector runs many times and nothing live is lost.
    ASSERT_EQ(
        RunScript(L,
                  "keep = {} local c = 0 "
                  "for i = 1, 3000 do "
                  "  local a, b = {}, {} a.other = b b.other = a "
                  "  local s = 'k' .. i "
                  "  c = c + 1 "
                  "  if c == 100 then c = 0 keep[s] = function() return a.other.other == a end end "
                  "end"),
        0);
    EXPECT_EQ(
        RunScript(
            L,
            "local n = 0 for i = 100, 3000, 100 do if keep['k' .. i]() then n = n + 1 end end "
            "return n",
            nullptr, 1),
        0);
    EXPECT_EQ(lua_tonumber(L, -1), 30);
}

}  // namespace

#include "script/lang/gc.h"

namespace
{

// Every script below runs with a full collection at every check: anything
// the engine forgets to anchor is freed under it and shows up under ASan.
TEST_F(Collector, StressCollectionAtEveryCheck)
{
    GCSetStress(L, 1);
    lua_register(L, "yield", [](lua_State* L1) { return lua_yield(L1, lua_gettop(L1)); });
    const char* scripts[] = {
        "local t = {} for i = 1, 200 do t[i] = {i, 'v' .. i, L\"w\" .. i} end return t[200][2]",
        "local function mk(n) local x = {n} return function() return x[1] end end "
        "local fs = {} for i = 1, 50 do fs[i] = mk(i) end local s = 0 for i = 1, 50 do s = s + "
        "fs[i]() end return s",
        "local s = '' for i = 1, 100 do s = s .. i .. ',' end return s",
        "local a = {} setmetatable = nil local mt = {__index = function(t, k) return k .. '!' end} "
        "return a",
        "local function f(...) return arg end local t = f(1, 'two', {3}) return t.n",
        "local w = L\"\" for i = 1, 40 do w = w .. i end return w",
    };
    for (const char* src : scripts)
    {
        std::string err;
        EXPECT_EQ(RunScript(L, src, &err), 0) << src << ": " << err;
        lua_settop(L, 0);
    }
    // Coroutines under stress: the suspended thread keeps its frames.
    lua_State* co = lua_newthread(L);
    ASSERT_EQ(LoadText(co, "local t = {} for i = 1, 20 do t[i] = {i} yield(t[i]) end return 1"), 0);
    int status = 0;
    for (int i = 0; i < 20; i++)
    {
        status = lua_resume(co, 0);
        ASSERT_EQ(status, 0);
        ASSERT_TRUE(lua_istable(co, -1));
        lua_settop(co, 0);
    }
    GCSetStress(L, 0);
}

}  // namespace

namespace
{

// What a finaliser sees of its object in two weak tables kept in the
// registry: 1 = the weak-value table, 2 = the weak-key table.
std::vector<std::pair<int, int>> gWeakSeen;

int ProbeWeakTables(lua_State* L)
{
    int byValue = 0, byKey = 0;
    lua_rawgeti(L, LUA_REGISTRYINDEX, 1);
    lua_pushnil(L);
    while (lua_next(L, -2))
    {
        if (lua_rawequal(L, -1, 1)) byValue++;
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    lua_rawgeti(L, LUA_REGISTRYINDEX, 2);
    lua_pushvalue(L, 1);
    lua_rawget(L, -2);
    byKey = lua_toboolean(L, -1);
    lua_pop(L, 2);
    gWeakSeen.emplace_back(byValue, byKey);
    return 0;
}

}  // namespace

TEST_F(Collector, FinalisedUserdataLeavesWeakValuesButNotWeakKeys)
{
    // An object handed to its finaliser is alive only for that handler: weak
    // values must not hand it out again, while a weak key keeps its entry.
    gWeakSeen.clear();
    PushWeakTable("v");
    lua_rawseti(L, LUA_REGISTRYINDEX, 1);
    PushWeakTable("k");
    lua_rawseti(L, LUA_REGISTRYINDEX, 2);
    PushFinalizable(9, ProbeWeakTables);
    lua_rawgeti(L, LUA_REGISTRYINDEX, 1);
    lua_pushvalue(L, -2);
    lua_rawseti(L, -2, 1);  // weakv[1] = u
    lua_pop(L, 1);
    lua_rawgeti(L, LUA_REGISTRYINDEX, 2);
    lua_pushvalue(L, -2);
    lua_pushboolean(L, 1);
    lua_rawset(L, -3);  // weakk[u] = true
    lua_pop(L, 2);      // drop the table and the last strong reference
    Collect();
    ASSERT_EQ(gWeakSeen.size(), 1u);
    EXPECT_EQ(gWeakSeen[0].first, 0) << "weak value still hands out a finalised object";
    EXPECT_EQ(gWeakSeen[0].second, 1) << "weak key lost while its object is alive";
    Collect();  // now it is gone for good, and so is the weak key
    lua_rawgeti(L, LUA_REGISTRYINDEX, 2);
    EXPECT_EQ(CountEntries(lua_gettop(L)), 0);
    lua_pop(L, 1);
}

// Owned references: freed in the collection that finds them unreached, the
// hook called with what they hold, "__gc" never called for them, the rest
// released on close, and a hook that allocates (and so may collect) is safe.
namespace
{

struct Released
{
    lua_State* L;
    void* p;
    uint64_t key;
};
std::vector<Released> gReleased;

void RecordRelease(lua_State* L, void* p, uint64_t key)
{
    gReleased.push_back(Released{L, p, key});
}

// Allocates in the state the hook is called for: each release makes garbage
// enough to start another collection under stress.
void AllocatingRelease(lua_State* L, void* p, uint64_t key)
{
    gReleased.push_back(Released{L, p, key});
    lua_newtable(L);
    lua_pop(L, 1);
}

class OwnedRefs : public Collector
{
protected:
    void SetUp() override
    {
        Collector::SetUp();
        gReleased.clear();
    }
    // Metatable with "__gc" = RecordGc and a marker field, made the owned
    // references' metatable with hook.
    void Install(lua_RefRelease hook)
    {
        lua_newtable(L);
        lua_pushstring(L, "__gc");
        lua_pushcfunction(L, RecordGc);
        lua_rawset(L, -3);
        lua_pushstring(L, "marker");
        lua_pushnumber(L, 42);
        lua_rawset(L, -3);
        lua_setownedrefs(L, hook);
    }
    static void* Tag(int n) { return reinterpret_cast<void*>(static_cast<uintptr_t>(n) * 16); }
    // Both halves of the word in use, so a truncated key shows.
    static uint64_t Key(int n)
    {
        return 0xA5C3000000000000ull | static_cast<uint64_t>(n) << 32 | (0x80000000u + n);
    }
    void PushRef(int n) { lua_pushownedref(L, Tag(n), Key(n)); }
};

}  // namespace

TEST_F(OwnedRefs, ReleasedInTheCollectionThatFindsThemUnreached)
{
    EXPECT_EQ(lua_hasownedrefs(L), 0);
    Install(RecordRelease);
    EXPECT_EQ(lua_hasownedrefs(L), 1);
    PushRef(1);
    PushRef(2);
    lua_pop(L, 1);  // 2 unreached, 1 on the stack
    ASSERT_TRUE(lua_isuserdataref(L, 1));
    EXPECT_EQ(lua_touserdata(L, 1), Tag(1));
    uint64_t key = 0;
    ASSERT_EQ(lua_touserdatakey(L, 1, &key), 1);
    EXPECT_EQ(key, Key(1));
    ASSERT_TRUE(lua_getmetatable(L, 1));
    lua_pushstring(L, "marker");
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 42);
    lua_pop(L, 2);

    Collect();
    ASSERT_EQ(gReleased.size(), 1u);
    EXPECT_EQ(gReleased[0].L, L);
    EXPECT_EQ(gReleased[0].p, Tag(2));
    EXPECT_EQ(gReleased[0].key, Key(2));
    EXPECT_TRUE(gFinalized.empty());  // "__gc" is not theirs
    Collect();
    EXPECT_EQ(gReleased.size(), 1u);  // once only

    lua_pop(L, 1);
    Collect();
    ASSERT_EQ(gReleased.size(), 2u);
    EXPECT_EQ(gReleased[1].p, Tag(1));
    EXPECT_EQ(gReleased[1].key, Key(1));
    EXPECT_TRUE(gFinalized.empty());
}

TEST_F(OwnedRefs, WeakTablesDropThemAndPlainRefsKeepTheirFinaliser)
{
    Install(RecordRelease);
    PushWeakTable("v");
    PushRef(3);
    lua_rawseti(L, 1, 1);
    // A plain reference with the same metatable still has its "__gc" run.
    lua_pushuserdataref(L, Tag(4), Key(4));
    lua_newtable(L);
    lua_pushstring(L, "__gc");
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          gFinalized.push_back(static_cast<int>(
                              reinterpret_cast<uintptr_t>(lua_touserdata(L1, 1)) / 16));
                          return 0;
                      });
    lua_rawset(L, -3);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    Collect();
    lua_rawgeti(L, 1, 1);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    ASSERT_EQ(gReleased.size(), 1u);
    EXPECT_EQ(gReleased[0].p, Tag(3));
    EXPECT_EQ(gFinalized, std::vector<int>{4});
}

TEST_F(OwnedRefs, CloseReleasesTheRest)
{
    Install(RecordRelease);
    PushRef(5);
    lua_newtable(L);
    PushRef(6);
    lua_rawseti(L, -2, 1);
    lua_pushstring(L, "kept");
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
    lua_close(L);
    L = nullptr;
    ASSERT_EQ(gReleased.size(), 2u);
    std::vector<void*> held{gReleased[0].p, gReleased[1].p};
    std::sort(held.begin(), held.end());
    EXPECT_EQ(held, (std::vector<void*>{Tag(5), Tag(6)}));
    for (const Released& r : gReleased)
        EXPECT_EQ(r.key, Key(static_cast<int>(reinterpret_cast<uintptr_t>(r.p) / 16)));
}

TEST_F(OwnedRefs, HookThatAllocatesDuringManyCollections)
{
    Install(AllocatingRelease);
    GCSetStress(L, 1);
    for (int i = 1; i <= 200; i++)
    {
        PushRef(i);
        if (i % 3 != 0) lua_pop(L, 1);  // every third stays on the stack
    }
    const size_t collectedSoFar = gReleased.size();
    EXPECT_GE(collectedSoFar, 100u);
    lua_settop(L, 0);
    Collect();
    GCSetStress(L, 0);
    Collect();
    ASSERT_EQ(gReleased.size(), 200u);
    std::vector<void*> held;
    for (const Released& r : gReleased)
    {
        held.push_back(r.p);
        EXPECT_EQ(r.key, Key(static_cast<int>(reinterpret_cast<uintptr_t>(r.p) / 16)));
    }
    std::sort(held.begin(), held.end());
    EXPECT_EQ(std::adjacent_find(held.begin(), held.end()), held.end());  // each once
}

TEST_F(OwnedRefs, MetatableIsARootAndNilMeansNone)
{
    Install(RecordRelease);
    Collect();  // the metatable lives only in the state's slot
    PushRef(7);
    ASSERT_TRUE(lua_getmetatable(L, -1));
    lua_pushstring(L, "marker");
    lua_rawget(L, -2);
    EXPECT_EQ(lua_tonumber(L, -1), 42);
    lua_settop(L, 0);
    lua_pushnil(L);
    lua_setownedrefs(L, RecordRelease);
    PushRef(8);
    // The per-type table, as for any new userdata.
    lua_getmetatable(L, -1);
    lua_pushstring(L, "marker");
    lua_rawget(L, -2);
    EXPECT_TRUE(lua_isnil(L, -1));
}
