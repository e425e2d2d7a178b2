// Script-level tests of the compiler: snippets compiled through the loader
// and run by the engine, checking what the generated code computes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompileHelpers.h"
#include "ScriptTestUtil.h"
#include "script/lang/lua.h"

namespace
{

class CompileRun : public ::testing::Test
{
protected:
    void SetUp() override { L = lua_open(); }
    void TearDown() override { lua_close(L); }

    int Load(const std::string& src, const char* name = "=run") { return LoadText(L, src, name); }

    // Runs src; returns its results as text ("nil", numbers by %.14g, strings
    // as they are, "wstring:N" for a wide string of N units), or "error: msg".
    std::vector<std::string> Run(const std::string& src)
    {
        lua_settop(L, 0);
        int status = Load(src);
        if (status == 0) status = lua_pcall(L, 0, LUA_MULTRET, 0);
        std::vector<std::string> out;
        if (status != 0)
        {
            const char* msg = lua_tostring(L, -1);
            out.push_back(std::string("error: ") + (msg ? msg : "?"));
            return out;
        }
        for (int i = 1; i <= lua_gettop(L); i++)
        {
            switch (lua_type(L, i))
            {
                case LUA_TNIL:
                    out.push_back("nil");
                    break;
                case LUA_TBOOLEAN:
                    out.push_back(lua_toboolean(L, i) ? "true" : "false");
                    break;
                case LUA_TNUMBER:
                {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "%.14g", lua_tonumber(L, i));
                    out.push_back(buf);
                    break;
                }
                case LUA_TSTRING:
                    out.push_back(std::string(lua_tostring(L, i), lua_strlen(L, i)));
                    break;
                case LUA_TWSTRING:
                    out.push_back("wstring:" + std::to_string(lua_strlen(L, i)));
                    break;
                default:
                    out.push_back(lua_typename(L, lua_type(L, i)));
            }
        }
        return out;
    }

    lua_State* L = nullptr;
};

using R = std::vector<std::string>;

TEST_F(CompileRun, BitwiseOperators)
{
    EXPECT_EQ(Run("return 6 & 3, 6 | 3, 1 << 4, 256 >> 4"), (R{"2", "7", "16", "16"}));
    EXPECT_EQ(Run("return -1 & 0xFF, 1 << 32, 0x80000000 >> 31, 6 ^ 3"), (R{"255", "1", "1", "5"}));
    EXPECT_EQ(Run("return 1 + 2 & 3, 2 * 3 & 1"), (R{"3", "2"}));
    EXPECT_EQ(Run("x = -5 return x, -x, - -x"), (R{"-5", "5", "-5"}));
}

TEST_F(CompileRun, ContinueInEveryLoop)
{
    EXPECT_EQ(
        Run("local s = '' for i = 1, 3 do if i == 2 then continue end s = s .. i end return s"),
        (R{"13"}));
    EXPECT_EQ(Run("local s, i = '', 0 while i < 4 do i = i + 1 if i == 2 then continue end s = s "
                  ".. i end return s"),
              (R{"134"}));
    EXPECT_EQ(Run("local n, i = 0, 0 repeat i = i + 1 if i < 3 then continue end n = n + 1 until i "
                  "> 3 return n, i"),
              (R{"2", "4"}));
    EXPECT_EQ(Run("local function iter(t, i) i = i + 1 if t[i] then return i, t[i] end end "
                  "local s = '' for k, v in iter, {1, 2, 3}, 0 do if v == 2 then continue end s = "
                  "s .. k .. v end "
                  "return s"),
              (R{"1133"}));
}

TEST_F(CompileRun, MultiLevelBreakAndContinue)
{
    EXPECT_EQ(
        Run("local n = 0 while true do while true do n = n + 1 break 2 end n = 100 end return n"),
        (R{"1"}));
    EXPECT_EQ(Run("local s = '' for i = 1, 3 do for j = 1, 3 do if j == 2 then continue 2 end s = "
                  "s .. i .. j end "
                  "end return s"),
              (R{"112131"}));
}

TEST_F(CompileRun, ContinueKeepsEachPassVariable)
{
    // Closures made in different passes must not share one variable.
    EXPECT_EQ(Run("local fs = {} for i = 1, 3 do local x = i * 10 fs[i] = function() return x end "
                  "continue end "
                  "return fs[1](), fs[2](), fs[3]()"),
              (R{"10", "20", "30"}));
    EXPECT_EQ(Run("local fs, i = {}, 0 while i < 3 do i = i + 1 local x = i fs[i] = function() "
                  "return x end "
                  "if i > 0 then continue end end return fs[1](), fs[2](), fs[3]()"),
              (R{"1", "2", "3"}));
    // Leaving two loops closes the outer body's locals too.
    EXPECT_EQ(Run("local fs = {} for i = 1, 2 do local x = i for j = 1, 2 do "
                  "if j == 2 then continue 2 end fs[i] = function() return x end end end "
                  "return fs[1](), fs[2]()"),
              (R{"1", "2"}));
}

TEST_F(CompileRun, LocalFunctionsAndClosures)
{
    EXPECT_EQ(Run("local function fact(n) if n <= 1 then return 1 end return n * fact(n - 1) end "
                  "local after = 7 return fact(5), after"),
              (R{"120", "7"}));
    EXPECT_EQ(Run("local function f(a, b) local t = {a, b} return t[1] + t[2] end return f(1, 2)"),
              (R{"3"}));
    EXPECT_EQ(
        Run("local function counter() local c = 0 return function() c = c + 1 return c end end "
            "local a, b = counter(), counter() a() a() return a(), b()"),
        (R{"3", "1"}));
    EXPECT_EQ(Run("function va(...) return arg.n, arg[2] end return va(4, 5, 6)"), (R{"3", "5"}));
}

TEST_F(CompileRun, TablesAndSizeHints)
{
    EXPECT_EQ(Run("local t = {&8 &4} t[1] = 'a' t.x = 1 return t[1], t.x"), (R{"a", "1"}));
    std::string items;
    for (int i = 1; i <= 70; i++) items += std::to_string(i) + ",";
    EXPECT_EQ(Run("local t = {" + items + "} return t[1], t[32], t[33], t[70]"),
              (R{"1", "32", "33", "70"}));
    EXPECT_EQ(
        Run("local function f() return 1, 2, 3 end local t = {0, f()} return t[1], t[4], t.n"),
        (R{"0", "3", "nil"}));
    EXPECT_EQ(Run("local t = {x = 1, ['y'] = 2, 3; 4} return t.x, t.y, t[1], t[2]"),
              (R{"1", "2", "3", "4"}));
}

TEST_F(CompileRun, ExpressionsAndAssignments)
{
    EXPECT_EQ(Run("local a, b = 1, 2 a, b = b, a return a, b"), (R{"2", "1"}));
    EXPECT_EQ(Run("local t = {} t[1], t = 5, 9 return t"), (R{"9"}));
    EXPECT_EQ(Run("local a, b = nil, 2 return a and 1 or 3, b and 1 or 3, not a, a == nil, 2 > 1, "
                  "1 >= 2"),
              (R{"3", "1", "true", "true", "true", "false"}));
    EXPECT_EQ(Run("return 'a' .. 1 .. 'b', 2 ^ 3 & 1"), (R{"a1b", "1"}));
    EXPECT_EQ(Run("local s = 0 for i = 10, 1, -3 do s = s + i end return s"), (R{"22"}));
    EXPECT_EQ(Run("return L\"ab\", L\"\""), (R{"wstring:2", "wstring:0"}));
}

int AppendChunk(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;
}

TEST_F(CompileRun, GeneratedCodePassesTheChunkChecker)
{
    // Everything the compiler emits must survive dump and the checked load.
    const char* snippets[] = {
        "local t = {&8 &4 1, 2, x = L\"a\", f()} return t",
        "local s = '' for i = 1, 3 do if i == 2 then continue end s = s .. i end return s",
        "local n = 0 while true do repeat n = n + 1 continue 2 until n > 9 end return n",
        "local function iter(t, i) i = i + 1 if t[i] then return i, t[i] end end "
        "for k, v in iter, {1}, 0 do local x = v local f = function() return x end break end",
        "local a, b = 1, 2 return a > b, a and b or 3, not a, 6 & 3 | 1 << 4 >> 2 ^ 5, -a",
        "function o(a, ...) local c = arg return function() return a, c end end return o(1)",
        "local t = {} t[1], t = 5, 9 return t",
    };
    for (const char* src : snippets)
    {
        lua_settop(L, 0);
        ASSERT_EQ(Load(src), 0) << src;
        std::string bytes;
        ASSERT_EQ(lua_dump(L, AppendChunk, &bytes), 1) << src;
        lua_settop(L, 0);
        int status = Load(bytes, "=dumped");
        EXPECT_EQ(status, 0) << src << ": " << (status ? lua_tostring(L, -1) : "");
    }
}

TEST_F(CompileRun, LoaderStatusAndUtf16Source)
{
    EXPECT_EQ(Load("x = = 1"), LUA_ERRSYNTAX);
    EXPECT_STREQ(lua_tostring(L, -1), "run:1: unexpected symbol near `='");
    lua_settop(L, 0);
    // A chunk starting with FF FE is UTF-16 little-endian text.
    std::string src = "\xFF\xFE" + Utf16Bytes(u"return \"\u263A\", L\"\u263A\u263A\"");
    EXPECT_EQ(Run(src), (R{"\x3A", "wstring:2"}));
    EXPECT_EQ(Load("\xFF\xFE" + Utf16Bytes(u"return \u263A")), LUA_ERRSYNTAX);
    EXPECT_STREQ(lua_tostring(L, -1), "run:1: invalid wide char near `char(9786)'");
}

}  // namespace
