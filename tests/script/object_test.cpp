// Values and conversions: the wide and narrow text-to-number rules, safe
// float-to-integer truncation, and interning of strings and wide strings.
#include <cmath>
#include <cstdio>
#include <string>

#include "ScriptTestUtil.h"
#include "script/lang/object.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"

namespace
{

std::u16string W(const char* s)
{
    std::u16string out;
    for (; *s; s++) out.push_back(static_cast<unsigned char>(*s));
    return out;
}

struct WideCase
{
    const char* text;
    bool ok;
    double value;
};

TEST(WideToNumber, FollowsTheDialectGrammar)
{
    const WideCase cases[] = {
        {"42", true, 42},      {" 42", false, 0},   {"42 ", true, 42},    {"42\t\r\n", true, 42},
        {"0x1A", true, 26},    {"0X1a", true, 26},  {"0x1.8p1", true, 3}, {"0x1p4", false, 0},
        {"-0x10", false, 0},   {"1e3", true, 1000}, {"1E-2", true, 0.01}, {".", true, 0},
        {"", false, 0},        {"0x", true, 0},     {"0x.8", true, 0.5},  {"0x1.8p-1", true, 0.75},
        {"+5", true, 5},       {"12abc", false, 0}, {"1.5", true, 1.5},   {"0x10 ", true, 16},
        {"0x1.0p+2", true, 4}, {"x", false, 0},
    };
    for (const WideCase& c : cases)
    {
        std::u16string w = W(c.text);
        lua_Number n = -999;
        bool ok = WideToNumber(reinterpret_cast<const lua_WChar*>(w.data()), w.size(), &n);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (ok && c.ok)
        {
            EXPECT_DOUBLE_EQ(n, c.value) << c.text;
        }
    }
}

TEST(WideToNumber, LoneMinusIsNegativeZero)
{
    std::u16string w = W("-");
    lua_Number n = 1;
    ASSERT_TRUE(WideToNumber(reinterpret_cast<const lua_WChar*>(w.data()), w.size(), &n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(std::signbit(n));
}

TEST(WideToNumber, UnitsAbove255AreNotBlanks)
{
    // 0x120 has the low byte of a blank; it must not pass as trailing space.
    std::u16string w = u"7";
    w.push_back(static_cast<char16_t>(0x120));
    lua_Number n;
    EXPECT_FALSE(WideToNumber(reinterpret_cast<const lua_WChar*>(w.data()), w.size(), &n));
}

TEST(TextToNumber, DecimalOnlyWithSurroundingBlanks)
{
    struct Case
    {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"10", true, 10},  {"  10  ", true, 10}, {"-2.5e1", true, -25}, {".5", true, 0.5},
        {"5.", true, 5},   {"", false, 0},       {"1e", false, 0},      {"0x10", false, 0},
        {"inf", false, 0}, {"nan", false, 0},    {"1 2", false, 0},     {".", false, 0},
        {"-", false, 0},
    };
    for (const Case& c : cases)
    {
        lua_Number n = -999;
        bool ok = TextToNumber(c.text, std::strlen(c.text), &n);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (ok && c.ok)
        {
            EXPECT_DOUBLE_EQ(n, c.value) << c.text;
        }
    }
}

TEST(NumberToInteger, OutOfRangeGivesIntegerIndefinite)
{
    EXPECT_EQ(NumberToInt64(1.9), 1);
    EXPECT_EQ(NumberToInt64(-1.9), -1);
    EXPECT_EQ(NumberToInt64(NAN), INT64_MIN);
    EXPECT_EQ(NumberToInt64(INFINITY), INT64_MIN);
    EXPECT_EQ(NumberToInt64(-INFINITY), INT64_MIN);
    EXPECT_EQ(NumberToInt64(1e19), INT64_MIN);
    EXPECT_EQ(static_cast<uint32_t>(NumberToInt64(1e19)), 0u);  // low 32 bits 0
    EXPECT_EQ(NumberToInt32(3e9), INT32_MIN);
    EXPECT_EQ(NumberToInt32(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(NumberToInt32(NAN), INT32_MIN);
    EXPECT_EQ(NumberToIntClamped(NAN, 0, 10), 0);
    EXPECT_EQ(NumberToIntClamped(1e300, 0, 10), 10);
    EXPECT_EQ(NumberToIntClamped(-5, 0, 10), 0);
}

TEST(NumberText, FormatsWithFourteenDigits)
{
    char buff[32];
    NumberToText(0.1, buff);
    EXPECT_STREQ(buff, "0.1");
    NumberToText(1e100, buff);
    EXPECT_STREQ(buff, "1e+100");
    NumberToText(3, buff);
    EXPECT_STREQ(buff, "3");
}

TEST(NumberText, IntegerShortcutMatchesTheGeneralFormat)
{
    // Integral values take a shortcut; it must print exactly what "%.14g"
    // prints, including where that switches to an exponent or keeps "-0".
    const double cases[] = {0.0,
                            -0.0,
                            1.0,
                            -1.0,
                            9.0,
                            10.0,
                            -10.0,
                            123456789.0,
                            99999999999999.0,
                            -99999999999999.0,
                            1e14,
                            -1e14,
                            123456789012345.0,
                            1e15,
                            4294967296.0,
                            2.5,
                            -2.5,
                            1e-300,
                            9007199254740993.0,
                            1e300};
    for (double n : cases)
    {
        char expected[64], got[32];
        std::snprintf(expected, sizeof expected, "%.14g", n);
        int len = NumberToText(n, got);
        EXPECT_STREQ(got, expected) << n;
        EXPECT_EQ(len, static_cast<int>(std::strlen(expected))) << n;
    }
}

TEST(ChunkIdText, ShortensSourcesForMessages)
{
    char out[LUA_IDSIZE];
    ChunkId(out, "=stdin", sizeof out);
    EXPECT_STREQ(out, "stdin");
    ChunkId(out, "@script.lua", sizeof out);
    EXPECT_STREQ(out, "script.lua");
    ChunkId(out, "x = 1\ny = 2", sizeof out);
    EXPECT_STREQ(out, "[string \"x = 1...\"]");
    std::string longname = "@" + std::string(100, 'a') + ".lua";
    ChunkId(out, longname.c_str(), sizeof out);
    EXPECT_EQ(std::strlen(out), sizeof out - 1);
    EXPECT_EQ(std::string(out).substr(0, 3), "...");
}

class Interning : public ScriptTest
{
};

TEST_F(Interning, StringsAndWideStringsNeverShareAnObject)
{
    const lua_WChar units[] = {'a', 'b', 'c'};
    LString* s = StrNew(L, "abc", 3);
    LString* w = StrNewWide(L, units, 3);
    EXPECT_NE(static_cast<GCObject*>(s), static_cast<GCObject*>(w));
    EXPECT_EQ(s->tt, LUA_TSTRING);
    EXPECT_EQ(w->tt, LUA_TWSTRING);
    EXPECT_EQ(s->hash, w->hash);  // same hash rule, different tag
    EXPECT_EQ(StrNew(L, "abc", 3), s);
    EXPECT_EQ(StrNewWide(L, units, 3), w);
    EXPECT_EQ(w->WData()[3], 0);  // terminated
}

TEST_F(Interning, EmptyWideStringIsInternedOnce)
{
    size_t before = G(L)->nblocks;
    LString* e1 = StrNewWide(L, nullptr, 0);
    size_t charged = G(L)->nblocks - before;
    LString* e2 = StrNewWide(L, nullptr, 0);
    EXPECT_EQ(e1, e2);
    EXPECT_EQ(e1->len, 0u);
    EXPECT_EQ(charged, e1->AllocSize());
    EXPECT_EQ(G(L)->nblocks - before, charged);
}

TEST_F(Interning, HashSamplesLongStrings)
{
    // Strings longer than 32 bytes hash only every step-th byte from the end.
    std::string a(64, 'x'), b(64, 'x');
    b[0] = 'y';  // step 3 samples bytes 63, 60, ..., 3: byte 0 is skipped
    EXPECT_EQ(StrHash(a.data(), a.size()), StrHash(b.data(), b.size()));
    b[63] = 'z';
    EXPECT_NE(StrHash(a.data(), a.size()), StrHash(b.data(), b.size()));
}

TEST_F(Interning, TableGrowsAndStaysAPowerOfTwo)
{
    int before = G(L)->strt.size;
    for (int i = 0; i < 1000; i++) lua_pushfstring(L, "key%d", i);
    EXPECT_GT(G(L)->strt.size, before);
    EXPECT_EQ(G(L)->strt.size & (G(L)->strt.size - 1), 0);
    EXPECT_GE(static_cast<uint32_t>(G(L)->strt.size), G(L)->strt.nuse / 2);
}

}  // namespace
