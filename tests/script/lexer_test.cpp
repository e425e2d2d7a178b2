// Tests of the scanner: token codes and values in byte and UTF-16 mode, the
// literal and number rules, and the wording of lexical errors.
#include "script/lang/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompileHelpers.h"

namespace
{

struct Source
{
    std::string text;
    size_t pos = 0;
    static int Next(void* ud)
    {
        auto* s = static_cast<Source*>(ud);
        if (s->pos >= s->text.size()) return -1;
        return static_cast<unsigned char>(s->text[s->pos++]);
    }
};

// Scans all of text; each token as "code" or "code:value".
std::vector<std::string> Scan(const std::string& text, bool wide = false)
{
    Source src{text};
    LexState ls;
    LexSetInput(&ls, LexInput{Source::Next, &src}, wide, "=test");
    std::vector<std::string> out;
    for (;;)
    {
        LexNext(&ls);
        const Token& t = ls.t;
        std::string s = std::to_string(t.token);
        if (t.token == TK_NUMBER)
        {
            char buf[64];
            std::snprintf(buf, sizeof buf, ":%.17g", t.number);
            s += buf;
        }
        else if (t.token == TK_NAME || t.token == TK_STRING)
        {
            s += ":" + t.str;
        }
        else if (t.token == TK_WSTRING)
        {
            s += ":";
            for (char16_t c : t.wstr)
            {
                char buf[8];
                std::snprintf(buf, sizeof buf, "%04X.", static_cast<unsigned>(c));
                s += buf;
            }
        }
        out.push_back(s);
        if (t.token == TK_EOS) break;
    }
    return out;
}

std::string ScanError(const std::string& text, bool wide = false)
{
    try
    {
        Scan(text, wide);
    }
    catch (CompileError& e)
    {
        EXPECT_EQ(e.status, 3);
        return e.message;
    }
    return "";
}

std::string T(int code)
{
    return std::to_string(code);
}
std::string N(const char* name)
{
    return T(TK_NAME) + ":" + name;
}
std::string Num(const char* v)
{
    return T(TK_NUMBER) + ":" + v;
}
std::string Str(const std::string& v)
{
    return T(TK_STRING) + ":" + v;
}
const std::string kEos = std::to_string(TK_EOS);

TEST(Lexer, TokenCodesFollowTheTable)
{
    EXPECT_EQ(TK_AND, 257);
    EXPECT_EQ(TK_CONTINUE, 259);
    EXPECT_EQ(TK_WHILE, 278);
    EXPECT_EQ(TK_NAME, 279);
    EXPECT_EQ(TK_WSTRING, 288);
    EXPECT_EQ(TK_SHL, 289);
    EXPECT_EQ(TK_SHR, 290);
    EXPECT_EQ(TK_EOS, 291);
    EXPECT_EQ(NUM_RESERVED, 22);
    EXPECT_EQ(LexToken2Str(TK_WSTRING), "*wstring");
    EXPECT_EQ(LexToken2Str(TK_EOS), "<eof>");
    EXPECT_EQ(LexToken2Str(TK_CONTINUE), "continue");
    EXPECT_EQ(LexToken2Str('+'), "+");
}

struct ScanCase
{
    const char* src;
    std::vector<std::string> tokens;
};

TEST(Lexer, ScansTokens)
{
    const ScanCase cases[] = {
        {"a<<b", {N("a"), T(TK_SHL), N("b"), kEos}},
        {"a>>b", {N("a"), T(TK_SHR), N("b"), kEos}},
        {"a< <b", {N("a"), T('<'), T('<'), N("b"), kEos}},
        {"a<=b>=c~=d==e",
         {N("a"), T(TK_LE), N("b"), T(TK_GE), N("c"), T(TK_NE), N("d"), T(TK_EQ), N("e"), kEos}},
        {"a & b | c ^ d", {N("a"), T('&'), N("b"), T('|'), N("c"), T('^'), N("d"), kEos}},
        {"continue break", {T(TK_CONTINUE), T(TK_BREAK), kEos}},
        {"L 'a'", {N("L"), Str("a"), kEos}},
        {"Lx L1 _L", {N("Lx"), N("L1"), N("_L"), kEos}},
        {"L\"x\"", {T(TK_WSTRING) + ":0078.", kEos}},
        {"0xFF 0xff 0xFFFFFFFF", {Num("255"), Num("255"), Num("4294967295"), kEos}},
        {"0x123456789", {Num("305419896"), Num("9"), kEos}},
        {"0X1", {Num("0"), N("X1"), kEos}},
        {"3 3.5 .5 1e2 1E+2 2.5e-1",
         {Num("3"), Num("3.5"), Num("0.5"), Num("100"), Num("100"), Num("0.25"), kEos}},
        {"a..b...", {N("a"), T(TK_CONCAT), N("b"), T(TK_DOTS), kEos}},
        {"x -- comment\ny", {N("x"), N("y"), kEos}},
        {"x --[[ long\n [[nested]] ]] y", {N("x"), N("y"), kEos}},
        {"[[\nab[[c]]d]]", {Str("ab[[c]]d"), kEos}},
        {"#!/bin/interp\nx", {N("x"), kEos}},
        {"\xE9", {T(0xE9), kEos}},
        {"caf\xC3\xA9", {N("caf"), T(0xC3), T(0xA9), kEos}},
    };
    for (const ScanCase& c : cases) EXPECT_EQ(Scan(c.src), c.tokens) << c.src;
}

TEST(Lexer, NarrowStringEscapes)
{
    const ScanCase cases[] = {
        {"'\\x4'", {Str("\x04"), kEos}},
        {"'\\xg'", {Str("xg"), kEos}},
        {"'\\x41\\x4a'", {Str("AJ"), kEos}},
        {"'\\x414'", {Str("A4"), kEos}},  // two digits at most
        {"'\\65\\066\\0677'", {Str("ABC7"), kEos}},
        {"'a\\tb\\nc\\\\d\\'e\\\"'", {Str("a\tb\nc\\d'e\""), kEos}},
        {"'a\\\nb'", {Str("a\nb"), kEos}},
        {"'\\q'", {Str("q"), kEos}},
        {"\"it's\"", {Str("it's"), kEos}},
    };
    for (const ScanCase& c : cases) EXPECT_EQ(Scan(c.src), c.tokens) << c.src;
    EXPECT_EQ(Scan(std::string("'\\0'")),
              (std::vector<std::string>{Str(std::string(1, '\0')), kEos}));
}

TEST(Lexer, WideLiteralEscapes)
{
    const ScanCase cases[] = {
        {"L\"A\\x263A\"", {T(TK_WSTRING) + ":0041.263A.", kEos}},
        {"L\"\\x41\"", {T(TK_WSTRING) + ":0041.", kEos}},
        {"L\"\\x12345\"", {T(TK_WSTRING) + ":1234.0035.", kEos}},  // four digits at most
        {"L\"\\xz\"", {T(TK_WSTRING) + ":0078.007A.", kEos}},
        {"L\"\\255\\n\\t\"", {T(TK_WSTRING) + ":00FF.000A.0009.", kEos}},
        {"L\"\xE9\"", {T(TK_WSTRING) + ":00E9.", kEos}},
        {"L\"\"", {T(TK_WSTRING) + ":", kEos}},
    };
    for (const ScanCase& c : cases) EXPECT_EQ(Scan(c.src), c.tokens) << c.src;
}

TEST(Lexer, Utf16Source)
{
    // Narrow literals keep the low byte of each unit; wide ones the unit.
    std::u16string src = u"s = \"\u263A\" w = L\"\u263A\"";
    EXPECT_EQ(Scan(Utf16Bytes(src), true),
              (std::vector<std::string>{N("s"), T('='), Str("\x3A"), N("w"), T('='),
                                        T(TK_WSTRING) + ":263A.", kEos}));
    // Names and numbers read the same as in byte mode.
    EXPECT_EQ(Scan(Utf16Bytes(u"x1 = 0x1F << 2"), true),
              (std::vector<std::string>{N("x1"), T('='), Num("31"), T(TK_SHL), Num("2"), kEos}));
    // An odd trailing byte is the end of input.
    EXPECT_EQ(Scan(Utf16Bytes(u"ab") + "c", true), (std::vector<std::string>{N("ab"), kEos}));
}

TEST(Lexer, ErrorMessages)
{
    struct ErrCase
    {
        std::string src;
        bool wide;
        const char* message;
    };
    const ErrCase cases[] = {
        {"x = \"abc", false, "test:1: unfinished string near `<eof>'"},
        {"x = 'abc\ny'", false, "test:1: unfinished string near `'abc'"},
        {"x = L\"abc", false, "test:1: unfinished string near `<eof>'"},
        {"x = [[abc", false, "test:1: unfinished long string near `<eof>'"},
        {"--[[abc\n\n", false, "test:3: unfinished long comment near `<eof>'"},
        // The token buffer holds the text read so far with escapes decoded.
        {"x = 'ab\\256'", false, "test:1: escape sequence too large near `'ab'"},
        {"x = '\\999'", false, "test:1: escape sequence too large near `''"},
        {"x = 1..2", false,
         "test:1: ambiguous syntax (decimal point x string concatenation) near `1..'"},
        {"x = 1e+", false, "test:1: malformed number near `1e+'"},
        {"x = 0x", false, "test:1: malformed number near `0x'"},
        {"x = \x01", false, "test:1: invalid control char near `char(1)'"},
        {"x = \x7f", false, "test:1: invalid control char near `char(127)'"},
        {"x = \xff", false, "test:1: invalid wide char near `char(255)'"},
        {"\n\nx = \x02", false, "test:3: invalid control char near `char(2)'"},
        {Utf16Bytes(u"x = \u263A"), true, "test:1: invalid wide char near `char(9786)'"},
    };
    for (const ErrCase& c : cases)
    {
        std::string src = c.src;
        EXPECT_EQ(ScanError(src, c.wide), c.message) << src;
    }
    // "\0" inside the text is a control character too.
    EXPECT_EQ(ScanError(std::string("x = \0", 5)), "test:1: invalid control char near `char(0)'");
}

TEST(Lexer, CountsLines)
{
    Source src{"a\n\nb [[x\ny]] c\r\nd"};
    LexState ls;
    LexSetInput(&ls, LexInput{Source::Next, &src}, false, "=t");
    std::vector<int> lines;
    for (LexNext(&ls); ls.t.token != TK_EOS; LexNext(&ls)) lines.push_back(ls.linenumber);
    // The line is where the scanner stands after each token.
    EXPECT_EQ(lines, (std::vector<int>{1, 3, 4, 4, 5}));
}

TEST(Lexer, LookaheadKeepsOrder)
{
    Source src{"a = b"};
    LexState ls;
    LexSetInput(&ls, LexInput{Source::Next, &src}, false, "=t");
    LexNext(&ls);
    EXPECT_EQ(ls.t.token, TK_NAME);
    EXPECT_EQ(LexLookahead(&ls), '=');
    LexNext(&ls);
    EXPECT_EQ(ls.t.token, '=');
    LexNext(&ls);
    EXPECT_EQ(ls.t.str, "b");
}

}  // namespace
