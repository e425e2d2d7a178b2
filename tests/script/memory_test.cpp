// The reallocation routine: vector growth, "block too big", and allocator
// failures surfacing as the memory error instead of a crash.
#include <string>

#include "ScriptTestUtil.h"
#include "script/lang/do.h"
#include "script/lang/memory.h"
#include "script/lang/state.h"

namespace
{

struct GrowArgs
{
    int* v;
    int size;
    int limit;
};

void Grow(lua_State* L, void* ud)
{
    GrowArgs* a = static_cast<GrowArgs*>(ud);
    MemGrowVector(L, a->v, a->size, a->size, a->limit, "too many things");
}

class Memory : public ScriptTest
{
protected:
    // Grows a vector of `size` ints under protection; returns the status and
    // the new size, with the error message when it failed.
    int GrowFrom(int size, int limit, int* newsize, std::string* msg)
    {
        GrowArgs a{nullptr, size, limit};
        if (size > 0) a.v = MemNewVector<int>(L, static_cast<size_t>(size));
        int status = DoPCall(L, Grow, &a, SaveStack(L, L->top), 0);
        if (status != 0)
        {
            *msg = lua_tostring(L, -1);
            lua_pop(L, 1);
        }
        *newsize = a.size;
        MemFreeVector(L, a.v, static_cast<size_t>(a.size));
        return status;
    }
};

TEST_F(Memory, VectorGrowthRule)
{
    struct Case
    {
        int size, limit;
        int status, newsize;
    } cases[] = {
        {0, 100, 0, 4}, {1, 100, 0, 4},         {4, 100, 0, 8},
        {5, 10, 0, 10}, {6, 10, LUA_ERRRUN, 6}, {30, 100, 0, 60},
    };
    for (const Case& c : cases)
    {
        int newsize = -1;
        std::string msg;
        EXPECT_EQ(GrowFrom(c.size, c.limit, &newsize, &msg), c.status) << c.size << "/" << c.limit;
        EXPECT_EQ(newsize, c.newsize) << c.size << "/" << c.limit;
        if (c.status)
        {
            EXPECT_EQ(msg, "too many things");  // no source position
        }
    }
}

void AskTooMuch(lua_State* L, void*)
{
    MemRealloc(L, nullptr, 0, MAX_BLOCK_SIZE);
}

TEST_F(Memory, BlockTooBigIsARunTimeError)
{
    int status = DoPCall(L, AskTooMuch, nullptr, SaveStack(L, L->top), 0);
    EXPECT_EQ(status, LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "memory allocation error: block too big");
    lua_pop(L, 1);
}

TEST(MemoryLimits, HugeUserdataIsRefusedNotWrapped)
{
    lua_State* L = lua_open();
    ASSERT_NE(L, nullptr);
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_newuserdata(
                              L1, static_cast<size_t>(-1));  // would wrap to 0 when rounded up
                          return 0;
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "memory allocation error: block too big");
    lua_close(L);
}

TEST(MemoryLimits, BytesInUseFollowTheAllocator)
{
    TestAllocator a;
    ScopedAllocator use(&a);
    lua_State* L = lua_open();
    ASSERT_NE(L, nullptr);
    // The state block itself is counted from the start.
    EXPECT_EQ(G(L)->nblocks, a.inUse);
    lua_newtable(L);
    lua_pushstring(L, "some text");
    EXPECT_EQ(G(L)->nblocks, a.inUse);
    lua_close(L);
    EXPECT_EQ(a.inUse, 0u);
}

TEST(MemoryLimits, OpenFailsCleanlyAtEveryAllocation)
{
    // Fail the n-th growth for every n until the state can be made: each
    // attempt must return NULL without leaking.
    for (long n = 0;; n++)
    {
        TestAllocator a;
        a.growthsLeft = n;
        ScopedAllocator use(&a);
        lua_State* L = lua_open();
        if (L != nullptr)
        {
            lua_close(L);
            EXPECT_EQ(a.inUse, 0u);
            EXPECT_GT(n, 10);
            break;
        }
        EXPECT_EQ(a.inUse, 0u) << "leak when growth " << n << " fails";
    }
}

TEST(MemoryLimits, ExhaustedAllocatorGivesStatusFour)
{
    TestAllocator a;
    ScopedAllocator use(&a);
    lua_State* L = lua_open();
    ASSERT_NE(L, nullptr);
    a.limit = a.inUse + 64 * 1024;
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          for (int i = 0;; i++)
                          {
                              lua_newtable(L1);
                              lua_rawseti(L1, LUA_REGISTRYINDEX, i + 100);
                              lua_pushfstring(L1, "string number %d", i);
                              lua_pop(L1, 1);
                          }
                          return 0;
                      });
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), LUA_ERRMEM);
    EXPECT_STREQ(lua_tostring(L, -1), "not enough memory");
    EXPECT_GT(a.failures, 0);
    lua_pop(L, 1);
    // The state still works once memory is available again.
    a.limit = static_cast<size_t>(-1);
    EXPECT_EQ(RunScript(L, "local t = {} for i = 1, 100 do t[i] = i end"), 0);
    lua_close(L);
    EXPECT_EQ(a.inUse, 0u);
}

TEST(MemoryLimits, EveryFailurePointDuringAScriptIsSurvivable)
{
    // A script that builds tables, strings and closures, run with the n-th
    // growth failing for every n: the result is success or status 4.
    const char* src =
        "local t = {} for i = 1, 50 do t[i] = {i, tostring and i or i .. ''} end "
        "local s = '' for i = 1, 20 do s = s .. i end "
        "local function f(x) return function() return x end end local g = f(s) return g()";
    for (long n = 0; n < 400; n++)
    {
        TestAllocator a;
        ScopedAllocator use(&a);
        lua_State* L = lua_open();
        ASSERT_NE(L, nullptr);
        a.growthsLeft = n;
        std::string err;
        int status = RunScript(L, src, &err);
        EXPECT_TRUE(status == 0 || status == LUA_ERRMEM) << n << ": " << status << " " << err;
        a.growthsLeft = -1;
        lua_close(L);
        EXPECT_EQ(a.inUse, 0u) << n;
        if (status == 0) break;
    }
}

TEST(MemoryLimits, ResumeRefusalsWithoutMemoryGiveStatusFour)
{
    // A refused resume builds its message outside any protected call of the
    // coroutine: an exhausted allocator must give status 4, not a panic.
    TestAllocator a;
    ScopedAllocator use(&a);
    lua_State* L = lua_open();
    ASSERT_NE(L, nullptr);
    lua_State* co = lua_newthread(L);
    a.growthsLeft = 0;
    EXPECT_EQ(lua_resume(co, 0), LUA_ERRMEM);  // a thread without a body is dead
    EXPECT_STREQ(lua_tostring(co, -1), "not enough memory");
    a.growthsLeft = -1;
    lua_settop(co, 0);
    EXPECT_EQ(lua_resume(co, 0), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(co, -1), "cannot resume dead coroutine");
    lua_close(L);
    EXPECT_EQ(a.inUse, 0u);
}

TEST(MemoryLimits, SharedBufferResizesCarryTheAllocationFlag)
{
    TestAllocator a;
    ScopedAllocator use(&a);
    lua_State* L = lua_open();
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(a.flaggedCalls, 0);
    lua_pushstring(L, "abc");
    lua_pushstring(L, "def");
    lua_concat(L, 2);
    EXPECT_STREQ(lua_tostring(L, -1), "abcdef");
    EXPECT_GT(a.flaggedCalls, 0);
    EXPECT_EQ(L->allocflag, 0);
    // A resize that fails drops the flag as well.
    lua_pushcfunction(L,
                      [](lua_State* L1)
                      {
                          lua_concat(L1, 2);
                          return 0;
                      });
    std::string big(4096, 'x');
    lua_pushstring(L, big.c_str());
    lua_pushstring(L, big.c_str());
    long flaggedBefore = a.flaggedCalls, failuresBefore = a.failures;
    a.limit = a.inUse + 512;  // the 8 KiB buffer cannot be had
    EXPECT_EQ(lua_pcall(L, 2, 0, 0), LUA_ERRMEM);
    EXPECT_GT(a.flaggedCalls, flaggedBefore);
    EXPECT_GT(a.failures, failuresBefore);
    EXPECT_EQ(L->allocflag, 0);
    a.limit = static_cast<size_t>(-1);
    lua_close(L);
    EXPECT_EQ(a.inUse, 0u);
}

}  // namespace
