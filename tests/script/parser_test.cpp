// Tests of the parser: syntax error wording and positions, the limits of a
// function, size hints, and break/continue with loop levels.
#include "script/lang/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "CompileHelpers.h"

namespace
{

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

struct ErrCase
{
    std::string src;
    std::string message;  // "" when the source compiles
};

void ExpectErrors(const std::vector<ErrCase>& cases)
{
    for (const ErrCase& c : cases) EXPECT_EQ(CompileErrorOf(c.src), c.message) << c.src;
}

TEST(Parser, SyntaxErrorMessages)
{
    ExpectErrors({
        {"x = = 1", "t:1: unexpected symbol near `='"},
        {"x", "t:1: `=' expected near `<eof>'"},
        {"f() = 1", "t:1: unexpected symbol near `='"},
        {"x, f() = 1, 2", "t:1: syntax error near `='"},
        {"for i do end", "t:1: `=' or `in' expected near `do'"},
        {"for 1 = 1, 2 do end", "t:1: <name> expected near `1'"},
        {"if x then", "t:1: `end' expected near `<eof>'"},
        {"if x then\n\n", "t:3: `end' expected (to close `if' at line 1) near `<eof>'"},
        {"while x do\nend end", "t:2: <eof> expected near `end'"},
        {"x = (1", "t:1: `)' expected near `<eof>'"},
        {"repeat\nx = 1", "t:2: `until' expected (to close `repeat' at line 1) near `<eof>'"},
        {"f\n(g)", "t:2: ambiguous syntax (function call x new statement) near `('"},
        {"x = a:b", "t:1: function arguments expected near `<eof>'"},
        {"function f(a,) end", "t:1: <name> or `...' expected near `)'"},
        {"x = ...", "t:1: unexpected symbol near `...'"},
        {"return 1 x = 2", "t:1: <eof> expected near `x'"},
        {"do return end x = 1", ""},
        {"x = 'abc' 'def'", "t:1: unexpected symbol near `'def''"},
        {"x = 1 2", "t:1: unexpected symbol near `2'"},
        {"local = 1", "t:1: <name> expected near `='"},
        {"x = \xE9", "t:1: unexpected symbol near `\xE9'"},
        {"x = L\"a\" + ", "t:1: unexpected symbol near `<eof>'"},
        {"f L\"a\" L\"b\"", ""},  // f(L"a")(L"b")
        {"L\"a\" = 1", "t:1: unexpected symbol near `*wstring'"},
    });
}

TEST(Parser, ChunkIdentificationInMessages)
{
    // Source text names the chunk by its first line, cut to fit 80 bytes.
    std::string longline = "x = = " + Repeat("y", 100);
    std::string msg = CompileErrorOf(longline, longline);
    std::string prefix = "[string \"x = = yyy";
    ASSERT_EQ(msg.compare(0, prefix.size(), prefix), 0) << msg;
    size_t close = msg.find("...\"]:1: unexpected symbol near `='");
    ASSERT_NE(close, std::string::npos) << msg;
    EXPECT_LE(close + 5, 79u) << msg;

    EXPECT_EQ(CompileErrorOf("x =\n=", "x =\n="),
              "[string \"x =...\"]:2: unexpected symbol near `='");
    EXPECT_EQ(CompileErrorOf("x = =", "@scripts/a.lua"),
              "scripts/a.lua:1: unexpected symbol near `='");
}

TEST(Parser, FunctionLimits)
{
    auto locals = [](int n)
    {
        std::string s;
        for (int i = 0; i < n; i++) s += "local v" + std::to_string(i) + "\n";
        return s;
    };
    auto params = [](int n)
    {
        std::string s = "function f(";
        for (int i = 0; i < n; i++) s += (i ? ",p" : "p") + std::to_string(i);
        return s + ") end";
    };
    // A function using n upvalues from its enclosing function's locals.
    auto upvalues = [&](int n)
    {
        std::string s = locals(n) + "function g() return ";
        for (int i = 0; i < n; i++) s += (i ? "+v" : "v") + std::to_string(i);
        return s + " end";
    };
    ExpectErrors({
        {locals(200), ""},
        {locals(201), "t:202: too many local variables (limit=200) near `<eof>'"},
        {params(100), ""},
        {params(101), "t:1: too many parameters (limit=100) near `)'"},
        {upvalues(32), ""},
        {upvalues(33), "t:34: too many upvalues (limit=32) near `end'"},
        {"x = " + Repeat("(", 197) + "1" + Repeat(")", 197), ""},
        {"x = " + Repeat("(", 200) + "1" + Repeat(")", 200),
         "t:1: too many syntax levels near `('"},
        {Repeat("do ", 199) + Repeat("end ", 199), ""},
        {Repeat("do ", 200) + Repeat("end ", 200), "t:1: too many syntax levels near `end'"},
        {"x = " + Repeat("- ", 300) + "1", "t:1: too many syntax levels near `-'"},
        {"x = " + Repeat("{", 198) + Repeat("}", 198), ""},
        {"x = " + Repeat("function() return ", 99) + "1" + Repeat(" end", 99), ""},
        {"x = " + Repeat("function() return ", 100) + "1" + Repeat(" end", 100),
         "t:1: too many syntax levels near `return'"},
        {"x = {" + Repeat("y,", 262144) + "}", ""},
        {"x = {" + Repeat("y,", 262145) + "}",
         "t:1: too many items in a constructor (limit=262143) near `,'"},
        {"f(" + Repeat("1,", 247) + "1)", ""},
        {"f(" + Repeat("1,", 248) + "1)", "t:1: function or expression too complex near `<eof>'"},
        {"while " + Repeat("a and ", 32) + "a do end", ""},  // 99 instructions
        {"while " + Repeat("a and ", 33) + "a do end",
         "t:1: `while' condition too complex near `do'"},
    });
}

TEST(Parser, LongTargetListsDoNotExhaustTheStack)
{
    // 5000 assignment targets: the register limit stops it, not a crash.
    std::string src = Repeat("a,", 5000) + "a = 1";
    EXPECT_EQ(CompileErrorOf(src), "t:1: function or expression too complex near `<eof>'");
}

TEST(Parser, SizeHintErrors)
{
    ExpectErrors({
        {"local t = {&8 &4}", ""},
        {"local t = {&8}", ""},
        {"local t = {&8 1, 2}", ""},
        {"local t = {&8; 1, 2}", ""},
        {"local t = {&8, 1}", "t:1: unexpected symbol near `,'"},
        {"local t = {& x}", "t:1: size expected following & (line 1) near `x'"},
        {"local t = {&\n\n x}", "t:3: size expected following & (line 3) near `x'"},
        {"local t = {&1 &}", "t:1: size expected following & (line 1) near `}'"},
        {"local t = {1, 2, 3; &4}", "t:1: unexpected symbol near `&'"},
        {"local t = {&1 &2 &3}", "t:1: unexpected symbol near `&'"},
    });
}

TEST(Parser, BreakAndContinueLevels)
{
    ExpectErrors({
        {"break", "t:1: no loop to break near `<eof>'"},
        {"continue", "t:1: no loop to continue near `<eof>'"},
        {"while a do while b do break 2 end end", ""},
        {"while a do while b do break 3 end end", "t:1: no loop to break near `end'"},
        {"while a do while b do continue 2 end end", ""},
        {"while a do if b then do continue 1 end end end", ""},
        {"while a do break 1.5 end", "t:1: loop block number must be integer near `1.5'"},
        {"while a do break 0 end", "t:1: loop block number out of range near `0'"},
        {"while a do break 101 end", "t:1: loop block number out of range near `101'"},
        {Repeat("while a do ", 100) + "break 100" + Repeat(" end", 100), ""},
        {"while a do local f = function() continue end end", "t:1: no loop to continue near `end'"},
        {"for i = 1, 2 do local f = function() break end end", "t:1: no loop to break near `end'"},
        {"while a do break x = 1 end", "t:1: `end' expected near `x'"},
        {"while a do continue; end", ""},
        {"repeat continue until a", ""},
        {"for k, v in next, t do continue end", ""},
        {"for i = 1, 2 do continue end", ""},
    });
}

TEST(Parser, RunTimeLimitErrorsHaveNoPosition)
{
    // More constants than Bx can index: a run-time error, no position.
    std::string src = "local t = {";
    for (int i = 0; i < 262145; i++) src += std::to_string(i) + ",";
    src += "}";
    int status = 0;
    EXPECT_EQ(CompileErrorOf(src, "=t", &status), "constant table overflow");
    EXPECT_EQ(status, 2 - 1);
}

}  // namespace
