// Helpers for the script-engine tests: a state per test, running source
// text, reading results, and an allocator that can be told to fail.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/lang/lua.h"

// Test switch of the collector (gc.h): a full collection at every check.
void GCSetStress(lua_State* L, int on);

// Hands out one string as a single block (or in pieces of `piece` bytes).
struct TextReader
{
    std::string text;
    size_t pos = 0;
    size_t piece = 0;  // 0: everything at once

    static const char* Read(lua_State*, void* ud, size_t* size)
    {
        TextReader* r = static_cast<TextReader*>(ud);
        if (r->pos >= r->text.size())
        {
            *size = 0;
            return nullptr;
        }
        size_t n = r->text.size() - r->pos;
        if (r->piece && n > r->piece) n = r->piece;
        const char* p = r->text.data() + r->pos;
        r->pos += n;
        *size = n;
        return p;
    }
};

inline int LoadText(lua_State* L, const std::string& text, const char* name = "=test",
                    size_t piece = 0)
{
    TextReader r{text, 0, piece};
    return lua_load(L, TextReader::Read, &r, name);
}

// Loads and runs src with all results kept; returns the status. On error the
// message is left in *error (and popped).
inline int RunScript(lua_State* L, const std::string& src, std::string* error = nullptr,
                     int nresults = LUA_MULTRET)
{
    int status = LoadText(L, src);
    if (status == 0) status = lua_pcall(L, 0, nresults, 0);
    if (status != 0)
    {
        const char* msg = lua_tostring(L, -1);
        if (error) *error = msg ? msg : "(no message)";
        lua_pop(L, 1);
    }
    return status;
}

// The text of the error src raises ("" when it runs).
inline std::string ErrorOf(lua_State* L, const std::string& src)
{
    std::string error;
    int top = lua_gettop(L);
    if (RunScript(L, src, &error) == 0) error = "";
    lua_settop(L, top);
    return error;
}

// Runs src, which must return one number.
inline double NumberOf(lua_State* L, const std::string& src)
{
    int top = lua_gettop(L);
    std::string error;
    EXPECT_EQ(RunScript(L, src, &error, 1), 0) << error;
    double n = lua_tonumber(L, -1);
    lua_settop(L, top);
    return n;
}

// An allocator over malloc that fails every growth once a byte limit is
// reached, or every growth after a number of successful ones.
struct TestAllocator
{
    size_t limit = static_cast<size_t>(-1);
    size_t inUse = 0;
    long growthsLeft = -1;  // -1: unlimited
    long failures = 0;
    long flaggedCalls = 0;     // calls made with the allocation flag set
    bool failShrinks = false;  // refuse to make a block smaller (not 0)

    static void* Alloc(void* ud, void* block, size_t osize, size_t nsize, int, int allocflag)
    {
        TestAllocator* a = static_cast<TestAllocator*>(ud);
        if (allocflag) a->flaggedCalls++;
        if (nsize == 0)
        {
            std::free(block);
            a->inUse -= osize;
            return nullptr;
        }
        if (a->failShrinks && nsize < osize)
        {
            a->failures++;
            return nullptr;
        }
        if (nsize > osize)
        {
            if (a->inUse + (nsize - osize) > a->limit || a->growthsLeft == 0)
            {
                a->failures++;
                return nullptr;
            }
            if (a->growthsLeft > 0) a->growthsLeft--;
        }
        void* p = std::realloc(block, nsize);
        if (p) a->inUse = a->inUse - osize + nsize;
        return p;
    }
};

// Installs a test allocator for the lifetime of the object.
struct ScopedAllocator
{
    explicit ScopedAllocator(TestAllocator* a) { lua_setallocator(TestAllocator::Alloc, a); }
    ~ScopedAllocator() { lua_setallocator(nullptr, nullptr); }
};

// A fresh state for each test. With SCRIPT_GC_STRESS=1 in the environment
// every test runs with a collection at every check.
class ScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = lua_open();
        ASSERT_NE(L, nullptr);
        const char* stress = std::getenv("SCRIPT_GC_STRESS");
        if (stress && stress[0] == '1') GCSetStress(L, 1);
    }
    void TearDown() override
    {
        if (L) lua_close(L);
    }
    lua_State* L = nullptr;
};
