// The string library against malformed input: random formats, patterns and
// data must give results or script errors, never a crash or an overread
// (the sanitizers of the test build watch the native side).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "script/lang/lua.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

class StringLibRobustness : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = lua_open();
        ASSERT_NE(L, nullptr);
        luaopen_stdlibs(L);
    }
    void TearDown() override { lua_close(L); }

    std::string RandomText(const std::string& alphabet, size_t maxLen)
    {
        std::uniform_int_distribution<size_t> len(0, maxLen);
        std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
        std::string s;
        for (size_t n = len(rng_); n > 0; n--) s.push_back(alphabet[pick(rng_)]);
        return s;
    }

    // Calls string.<fn> with the given arguments (strings, numbers and a
    // boolean mixed in) under a protected call; the stack must come back even.
    void Call(const char* fn, const std::string& a, const std::string& b, int extra)
    {
        int top = lua_gettop(L);
        lua_pushliteral(L, "string");
        lua_rawget(L, LUA_GLOBALSINDEX);
        lua_pushstring(L, fn);
        lua_rawget(L, -2);
        lua_remove(L, -2);
        lua_pushlstring(L, a.data(), a.size());
        lua_pushlstring(L, b.data(), b.size());
        for (int i = 0; i < extra; i++)
        {
            switch (i % 4)
            {
                case 0:
                    lua_pushnumber(L,
                                   static_cast<lua_Number>(static_cast<int>(rng_() % 600) - 100));
                    break;
                case 1:
                    lua_pushstring(L, "ab");
                    break;
                case 2:
                    lua_pushboolean(L, 1);
                    break;
                default:
                    lua_pushnumber(L, 1.5);
                    break;
            }
        }
        if (lua_pcall(L, 2 + extra, LUA_MULTRET, 0) == 0)
            succeeded_++;
        else
            failed_++;
        lua_settop(L, top);
    }

    // Both outcomes must have been seen, or the inputs test nothing.
    void ExpectMixedOutcomes()
    {
        EXPECT_GT(succeeded_, 100);
        EXPECT_GT(failed_, 100);
    }

    lua_State* L = nullptr;
    std::mt19937 rng_{12345};
    int succeeded_ = 0;
    int failed_ = 0;
};

TEST_F(StringLibRobustness, RandomPackFormats)
{
    const std::string codes = "bcBhHiIlLfdnAzpPawz<=>@:0123456789 ,xQ";
    for (int i = 0; i < 4000; i++)
    {
        std::string fmt = RandomText(codes, 12);
        Call("pack", fmt, "data", static_cast<int>(rng_() % 8));
        std::string data = RandomText(std::string("\0\1\2\377ab", 6), 24);
        Call("unpack", data, fmt, 1);
    }
    ExpectMixedOutcomes();
}

TEST_F(StringLibRobustness, RandomFormatItems)
{
    const std::string chars = "%-+ #0123456789.cdiouxXeEfgGsqBQbFfdwz$a";
    for (int i = 0; i < 4000; i++)
        Call("format", RandomText(chars, 14), "", static_cast<int>(rng_() % 5));
    ExpectMixedOutcomes();
}

TEST_F(StringLibRobustness, RandomPatterns)
{
    const std::string chars = "%()[]^$*+-?.abfz019";
    const std::string subject = "a(b)[c] 019 zz-a";
    for (int i = 0; i < 4000; i++)
    {
        std::string pattern = RandomText(chars, 12);
        Call("find", subject, pattern, 0);
        Call("gsub", subject, pattern, 1);
        Call("gfind", subject, pattern, 0);
    }
    ExpectMixedOutcomes();
}

TEST_F(StringLibRobustness, RandomLiteralEscapes)
{
    const std::string chars = "\\xabfnrtv0123456789gA";
    for (int i = 0; i < 4000; i++)
    {
        std::string text = RandomText(chars, 16);
        Call("lualex", text, "", 0);
        lua_pushliteral(L, "string");
        lua_rawget(L, LUA_GLOBALSINDEX);
        lua_pushliteral(L, "lualex");
        lua_rawget(L, -2);
        lua_pushlstring(L, text.data(), text.size());
        lua_pushnumber(L, 1);
        ASSERT_EQ(lua_pcall(L, 2, 1, 0), 0);
        EXPECT_EQ(lua_strlen(L, -1) % 2, 0u) << text;  // whole 16-bit units in wide mode
        lua_settop(L, 0);
    }
}

TEST_F(StringLibRobustness, FormatRawBytesKeepZeros)
{
    const char* src = "return string.format('%bd%bb%bw', 0, 0, 1)";
    ASSERT_EQ(luaL_loadbuffer(L, src, std::strlen(src), "=t"), 0);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    ASSERT_EQ(lua_strlen(L, -1), 7u);
    EXPECT_EQ(std::string(lua_tostring(L, -1), 7), std::string("\0\0\0\0\0\1\0", 7));
}

}  // namespace
