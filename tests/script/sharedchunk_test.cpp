// Shared chunks: functions built in several states from one compiled chunk
// behave and dump as if each state had loaded the chunk's bytes, and the
// chunk, and the block each load makes, live as long as anything in them is
// still reachable.
#include <string>

#include "ScriptTestUtil.h"

namespace
{

int Collect(lua_State*, const void* p, size_t sz, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), sz);
    return 0;
}

std::string DumpTop(lua_State* L)
{
    std::string out;
    EXPECT_EQ(lua_dump(L, Collect, &out), 1);
    return out;
}

// Locals, upvalues, nested functions, numbers, narrow and wide strings, a
// string used both as a constant and a global name, and lines to report.
const char* kSource =
    "local count = 0\n"
    "local wide = L\"w\\x263A\"\n"
    "function bump(n)\n"
    "  count = count + n\n"
    "  return count, wide\n"
    "end\n"
    "function fail(x)\n"
    "  local t = nil\n"
    "  return t.field + x\n"
    "end\n"
    "function name() return \"bump\" end\n"
    "return function(a) return a * 2.5 end\n";

class SharedChunks : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_EQ(LoadText(L, kSource, "=shared"), 0);
        bytes_ = DumpTop(L);
        chunk_ = lua_newshared(L);
        ASSERT_NE(chunk_, nullptr);
        lua_settop(L, 0);
    }
    void TearDown() override
    {
        lua_freeshared(chunk_);
        ScriptTest::TearDown();
    }
    // A new state that has run the shared chunk (its returned function left
    // on the stack).
    lua_State* StateWithChunk()
    {
        lua_State* S = lua_open();
        EXPECT_NE(S, nullptr);
        EXPECT_EQ(lua_loadshared(S, chunk_), 0);
        EXPECT_EQ(lua_pcall(S, 0, 1, 0), 0);
        return S;
    }
    std::string bytes_;
    SharedChunk* chunk_ = nullptr;
};

TEST_F(SharedChunks, BuildTheSameFunctionsAsTheDumpedBytes)
{
    lua_State* S = lua_open();
    ASSERT_EQ(lua_loadshared(S, chunk_), 0);
    // Every part of every prototype (constants, names, lines, nesting)
    // comes out as the original wrote it.
    EXPECT_EQ(DumpTop(S), bytes_);
    ASSERT_EQ(lua_pcall(S, 0, 1, 0), 0);
    lua_pushnumber(S, 4);
    ASSERT_EQ(lua_pcall(S, 1, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(S, -1), 10);
    lua_close(S);
}

TEST_F(SharedChunks, ConstantsAreStringsOfTheLoadingState)
{
    lua_State* S = StateWithChunk();
    std::string error;
    // The global the chunk set is found under a name interned here, and the
    // constant it returns is that same string.
    ASSERT_EQ(RunScript(S, "return bump(2), bump(3), name() == 'bump'", &error), 0) << error;
    EXPECT_EQ(lua_tonumber(S, -3), 2);
    EXPECT_EQ(lua_tonumber(S, -2), 5);
    EXPECT_TRUE(lua_toboolean(S, -1));
    lua_pushstring(S, "bump");
    lua_gettable(S, LUA_GLOBALSINDEX);
    EXPECT_TRUE(lua_isfunction(S, -1));
    lua_settop(S, 0);
    ASSERT_EQ(RunScript(S, "local n, w = bump(0) return w == L\"w\\x263A\", w", &error), 0)
        << error;
    EXPECT_TRUE(lua_toboolean(S, -2));
    EXPECT_EQ(lua_type(S, -1), LUA_TWSTRING);
    lua_close(S);
}

TEST_F(SharedChunks, ErrorsReportTheSharedLines)
{
    lua_State* S = StateWithChunk();
    EXPECT_EQ(ErrorOf(S, "fail(1)"), "shared:9: attempt to index local `t' (a nil value)");
    lua_close(S);
}

TEST_F(SharedChunks, StatesKeepTheirOwnUpvaluesAndGlobals)
{
    lua_State* A = StateWithChunk();
    lua_State* B = StateWithChunk();
    EXPECT_EQ(NumberOf(A, "return (bump(7))"), 7);
    EXPECT_EQ(NumberOf(B, "return (bump(1))"), 1);
    EXPECT_EQ(NumberOf(A, "return (bump(1))"), 8);
    lua_close(A);
    EXPECT_EQ(NumberOf(B, "return (bump(1))"), 2);
    lua_close(B);
}

TEST_F(SharedChunks, OutliveTheirHandleAndFreeWithTheLastState)
{
    lua_State* A = StateWithChunk();
    lua_State* B = StateWithChunk();
    lua_freeshared(chunk_);
    chunk_ = nullptr;
    // The code stays while a state holds it; a collection keeps what is
    // reachable and frees the rest.
    lua_setgcthreshold(A, 0);
    EXPECT_EQ(NumberOf(A, "return (bump(2))"), 2);
    lua_close(A);
    // Only one nested function of B's load stays reachable; the others and
    // the main function go, and what remains must still run.
    EXPECT_EQ(NumberOf(B, "bump = nil fail = nil name = nil return 1"), 1);
    lua_setgcthreshold(B, 0);
    lua_pushnumber(B, 2);
    ASSERT_EQ(lua_pcall(B, 1, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(B, -1), 5);
    lua_settop(B, 0);
    lua_setgcthreshold(B, 0);
    lua_close(B);
}

TEST_F(SharedChunks, StringsItMadeOutliveItsFunctions)
{
    TestAllocator allocator;
    ScopedAllocator scope(&allocator);
    lua_State* S = lua_open();
    ASSERT_EQ(LoadText(S, "holder = {keep = 'kept text', w = L\"kept wide\"}", "=strings"), 0);
    SharedChunk* chunk = lua_newshared(S);
    lua_close(S);
    ASSERT_NE(chunk, nullptr);

    S = lua_open();
    ASSERT_EQ(lua_loadshared(S, chunk), 0);
    ASSERT_EQ(lua_pcall(S, 0, 0, 0), 0);
    lua_freeshared(chunk);
    // Every function of the load is garbage now; the strings it made are not.
    lua_setgcthreshold(S, 0);
    std::string error;
    ASSERT_EQ(RunScript(S, "return holder.keep, holder.w == L\"kept wide\"", &error), 0) << error;
    EXPECT_STREQ(lua_tostring(S, -2), "kept text");
    EXPECT_TRUE(lua_toboolean(S, -1));
    lua_settop(S, 0);
    EXPECT_EQ(NumberOf(S, "holder = nil return 0"), 0);
    lua_setgcthreshold(S, 0);
    lua_close(S);
    EXPECT_EQ(allocator.inUse, 0u);
}

TEST_F(SharedChunks, OnlyUpvalueFreeScriptFunctionsShare)
{
    EXPECT_EQ(lua_newshared(L), nullptr);  // empty stack
    lua_pushnumber(L, 1);
    EXPECT_EQ(lua_newshared(L), nullptr);
    lua_pushcfunction(L, [](lua_State*) { return 0; });
    EXPECT_EQ(lua_newshared(L), nullptr);
    lua_settop(L, 0);
    ASSERT_EQ(RunScript(L, "local u = 1 return function() return u end", nullptr, 1), 0);
    EXPECT_EQ(lua_newshared(L), nullptr);
}

TEST_F(SharedChunks, MemoryErrorsAtEveryStepLeaveTheStateUsable)
{
    TestAllocator allocator;
    ScopedAllocator scope(&allocator);
    bool loaded = false;
    for (long grants = 0; !loaded && grants < 400; ++grants)
    {
        lua_State* S = lua_open();
        ASSERT_NE(S, nullptr);
        allocator.growthsLeft = grants;
        int status = lua_loadshared(S, chunk_);
        allocator.growthsLeft = -1;
        if (status == 0)
        {
            loaded = true;
            EXPECT_EQ(DumpTop(S), bytes_);
        }
        else
        {
            EXPECT_EQ(status, LUA_ERRMEM);
            EXPECT_STREQ(lua_tostring(S, -1), "not enough memory");
            lua_settop(S, 0);
            EXPECT_EQ(NumberOf(S, "return 1 + 1"), 2);
        }
        lua_setgcthreshold(S, 0);
        lua_close(S);
        EXPECT_EQ(allocator.inUse, 0u) << "after " << grants << " grants";
    }
    EXPECT_TRUE(loaded);
}

}  // namespace
