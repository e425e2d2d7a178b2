// TString: sharing and copy on write, capacity growth, search and editing,
// formatting and the UTF-8 helpers.
#include "core/String.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

TEST(StringTest, NullAndEmptyAreEqualEmptyTexts)
{
    TString null;
    TString empty("");
    EXPECT_EQ(null.Compare(empty), 0);
    EXPECT_EQ(empty.Compare(null), 0);
    EXPECT_TRUE(null == empty);
    EXPECT_EQ(null.Length(), 0);
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_STREQ(null.CStr(), "");
    EXPECT_STREQ(empty.CStr(), "");
    EXPECT_EQ(null.Capacity(), 0);
    EXPECT_EQ(empty.Capacity(), 1);
    EXPECT_EQ(TString(static_cast<const char*>(nullptr)).Capacity(), 16);
    EXPECT_EQ(null.ToInt(), 0);
    EXPECT_EQ(null.ToFloat(), 0.0f);
    EXPECT_EQ(null.CharAt(0), '\0');
    // A null string is below any non-empty one.
    EXPECT_LT(null.Compare("a"), 0);
    EXPECT_GT(TString("a").Compare(null), 0);
}

TEST(StringTest, CapacityRules)
{
    EXPECT_EQ(TString("banana").Capacity(), 7);
    EXPECT_EQ(TString("ban", 3).Capacity(), 16);
    EXPECT_EQ(TString(std::string(40, 'x').c_str(), 40).Capacity(), 41);
    EXPECT_EQ((TString("ab") + TString("cd")).Capacity(), 16);
    EXPECT_EQ((TString("ab") + 'c').Capacity(), 16);
    EXPECT_STREQ(("pre" + TString("fix") + "ed" + '!').CStr(), "prefixed!");
    std::string big(30, 'y');
    EXPECT_EQ((TString(big.c_str()) + TString("z")).Capacity(), 32);
    EXPECT_EQ(TString("banana").Substring(1, 3).Capacity(), 16);
    TString r;
    EXPECT_TRUE(r.Reserve(3));
    EXPECT_EQ(r.Capacity(), 16);
    EXPECT_TRUE(r.Reserve(100));
    EXPECT_EQ(r.Capacity(), 100);
    EXPECT_FALSE(r.Reserve(-1));
    EXPECT_EQ(r.Capacity(), 100);
}

TEST(StringTest, BytesConstructorKeepsEmbeddedCountAndTerminates)
{
    const char bytes[] = {'a', 'b', 'c', 'd'};
    TString s(bytes, 3);
    EXPECT_STREQ(s.CStr(), "abc");
    EXPECT_EQ(TString(bytes, -5).Length(), 0);
    EXPECT_EQ(TString(nullptr, 4).Length(), 0);
}

TEST(StringTest, NewBodiesReadNulBehindTheTextUpToTheirCapacity)
{
    // Bodies of freed strings are handed out again: fill some with bytes
    // first so a body that is not cleared shows.
    for (int i = 0; i < 8; ++i)
    {
        TString dirty(std::string(static_cast<size_t>(1 + 7 * i), 'Q').c_str());
        TString bytes(std::string(static_cast<size_t>(15), 'Q').c_str(), 15);
    }
    const char bytes[] = {'a', 'b', '\0', 'c', 'd', 'e'};
    struct Case
    {
        TString text;
        int length;
        int copied;  // bytes taken over; zeros from here on
    } cases[] = {
        {TString("abc"), 3, 3},
        {TString(""), 0, 0},
        {TString(static_cast<const char*>(nullptr)), 0, 0},
        {TString(bytes, 2), 2, 2},
        {TString(bytes, 6), 2, 6},  // the embedded NUL ends the text
        {TString(bytes, 0), 0, 0},
        {TString(std::string(20, 'z').c_str(), 20), 20, 20},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(c.text.Length(), c.length);
        ASSERT_GT(c.text.Capacity(), c.copied);
        for (int i = c.copied; i < c.text.Capacity(); ++i)
            EXPECT_EQ(c.text.CStr()[i], '\0') << "\"" << c.text.CStr() << "\" byte " << i;
    }
    EXPECT_EQ(std::string(TString(bytes, 6).CStr() + 3, 3), "cde");
}

TEST(StringTest, CopiesShareUntilOneWrites)
{
    TString a("Hello World");
    TString b(a);
    TString c;
    c = b;
    EXPECT_TRUE(a.SharesBodyWith(b));
    EXPECT_TRUE(a.SharesBodyWith(c));
    c.ToLower();
    EXPECT_STREQ(a.CStr(), "Hello World");
    EXPECT_STREQ(c.CStr(), "hello world");
    EXPECT_FALSE(a.SharesBodyWith(c));
    EXPECT_EQ(c.Capacity(), c.Length() + 1);
    EXPECT_TRUE(a.SharesBodyWith(b));

    // Every in-place operation detaches.
    struct Case
    {
        const char* name;
        void (*edit)(TString&);
        const char* expected;
    };
    const Case cases[] = {
        {"append", [](TString& s) { s += TString("!"); }, "banana!"},
        {"append byte", [](TString& s) { s += '!'; }, "banana!"},
        {"erase", [](TString& s) { s.Erase(0, 1); }, "anana"},
        {"replace", [](TString& s) { s.Replace("b", "B"); }, "Banana"},
        {"write at", [](TString& s) { s.WriteAt(0, "B", 1, false); }, "Banana"},
        {"reserve", [](TString& s) { s.Reserve(64); }, "banana"},
        {"set formatted", [](TString& s) { s.SetFormatted("%d", 7); }, "7"},
    };
    for (const Case& k : cases)
    {
        TString original("banana");
        TString copy(original);
        k.edit(copy);
        EXPECT_STREQ(original.CStr(), "banana") << k.name;
        EXPECT_STREQ(copy.CStr(), k.expected) << k.name;
    }
}

TEST(StringTest, SelfAssignmentAndSelfOperands)
{
    TString s("abc");
    TString& alias = s;
    s = alias;
    EXPECT_STREQ(s.CStr(), "abc");
    s += s;
    EXPECT_STREQ(s.CStr(), "abcabc");
    s.Replace("b", s, kReplaceAll);
    EXPECT_STREQ(s.CStr(), "aabcabccaabcabcc");
    TString t("xyz");
    t = t.CStr() + 1;  // a pointer into its own body
    EXPECT_STREQ(t.CStr(), "yz");
    TString u("hello");
    u.WriteAt(-1, u.CStr(), u.Length(), true);  // appends its own text while growing
    EXPECT_STREQ(u.CStr(), "hellohello");
}

TEST(StringTest, MoveLeavesSourceNull)
{
    TString a("moved");
    TString b(std::move(a));
    EXPECT_STREQ(b.CStr(), "moved");
    EXPECT_EQ(a.Capacity(), 0);  // NOLINT(bugprone-use-after-move): the moved-from state is defined
    a = std::move(b);
    EXPECT_STREQ(a.CStr(), "moved");
}

TEST(StringTest, CompareIsBytewiseUnsignedWithoutCollationLibrary)
{
    struct Case
    {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"a", "b", -1},    {"B", "a", -1},   {"abc", "abc", 0},
        {"ab", "abc", -1}, {"abc", "ab", 1}, {"\xC3\xA9", "z", 1},  // unsigned: 0xC3 is above 'z'
        {"", "", 0},
    };
    for (const Case& k : cases)
    {
        int r = TString(k.a).Compare(TString(k.b));
        EXPECT_EQ((r > 0) - (r < 0), k.sign) << k.a << " vs " << k.b;
        EXPECT_GE(r, -128);
        EXPECT_LE(r, 127);
    }
    EXPECT_TRUE(TString("abc") == "abc");
    EXPECT_TRUE(TString("a") < TString("b"));
    EXPECT_FALSE(TString("b") < TString("a"));
}

TEST(StringTest, UsableAsMapKeyAndHashKey)
{
    std::map<TString, int> ordered;
    ordered["pear"] = 1;
    ordered["apple"] = 2;
    ordered[TString("pear")] = 3;
    ASSERT_EQ(ordered.size(), 2u);
    EXPECT_STREQ(ordered.begin()->first.CStr(), "apple");
    EXPECT_EQ(ordered["pear"], 3);

    std::unordered_map<TString, int> hashed;
    hashed["x"] = 1;
    hashed[TString("x", 1)] = 2;
    EXPECT_EQ(hashed.size(), 1u);
    EXPECT_EQ(std::hash<TString>()(TString()), std::hash<TString>()(TString("")));
}

TEST(StringTest, FindCharTable)
{
    TString banana("banana");
    struct Case
    {
        char c;
        int flags;
        int start;
        int expected;
    };
    const Case cases[] = {
        {'a', 0, 0, 1},
        {'a', 0, 2, 3},
        {'a', kFindBackwards, 0, 5},
        {'a', kFindBackwards, 1, 3},
        {'a', kFindBackwards, 6, -1},
        {'a', 0, 6, -1},
        {'z', 0, 0, -1},
        {'A', 0, 0, -1},
        {'A', kFindIgnoreCase, 0, 1},
        {'N', kFindIgnoreCase | kFindBackwards, 0, 4},
        {'b', kFindBackwards, 5, 0},
        {'a', 0, -3, 1},
    };
    for (const Case& k : cases)
        EXPECT_EQ(banana.FindChar(k.c, k.flags, k.start), k.expected)
            << k.c << " flags " << k.flags << " start " << k.start;
    EXPECT_EQ(TString().FindChar('a'), -1);
}

TEST(StringTest, FindTable)
{
    TString banana("banana");
    struct Case
    {
        const char* needle;
        int flags;
        int start;
        int expected;
    };
    const Case cases[] = {
        {"na", 0, 0, 2},
        {"na", kFindBackwards, 0, 4},
        {"na", kFindBackwards, 1, 2},
        {"na", 0, 3, 4},
        {"ANA", kFindIgnoreCase, 0, 1},
        {"ANA", 0, 0, -1},
        {"ana", kFindIgnoreCase | kFindBackwards, 0, 3},
        {"bananas", 0, 0, -1},  // longer than the text
        {"bananas", kFindBackwards, 0, -1},
        {"banana", 0, 0, 0},
        {"", 0, 2, 2},  // an empty needle matches at the first candidate
        {"na", 0, 6, -1},
        {"na", 0, 100, -1},
    };
    for (const Case& k : cases)
        EXPECT_EQ(banana.Find(k.needle, k.flags, k.start), k.expected)
            << k.needle << " flags " << k.flags << " start " << k.start;
    EXPECT_EQ(TString().Find("a"), -1);
}

TEST(StringTest, ReplaceTable)
{
    struct Case
    {
        const char* text;
        const char* search;
        const char* replacement;
        int flags;
        int start;
        const char* expected;
        int count;
    };
    const Case cases[] = {
        {"banana", "a", "oo", kReplaceAll, 0, "boonoonoo", 3},
        {"banana", "a", "oo", 0, 0, "boonana", 1},
        {"banana", "a", "", kReplaceAll, 0, "bnn", 3},
        {"banana", "an", "AN", kReplaceAll, 2, "banANa", 1},
        {"banana", "AN", "x", kReplaceAll | kFindIgnoreCase, 0, "bxxa", 2},
        // The inserted text is never searched again.
        {"aaa", "a", "aa", kReplaceAll, 0, "aaaaaa", 3},
        {"banana", "z", "y", kReplaceAll, 0, "banana", 0},
        // An empty search text would match forever: nothing happens.
        {"banana", "", "x", kReplaceAll, 0, "banana", 0},
        // Backwards every occurrence, each found in front of the previous one.
        {"ax", "a", "a", kReplaceAll | kFindBackwards, 0, "ax", 1},
        {"banana", "a", "o", kReplaceAll | kFindBackwards, 0, "bonono", 3},
        {"banana", "na", "NA", kFindBackwards, 0, "banaNA", 1},
    };
    for (const Case& k : cases)
    {
        TString s(k.text);
        EXPECT_EQ(s.Replace(k.search, k.replacement, k.flags, k.start), k.count)
            << k.text << " " << k.search;
        EXPECT_STREQ(s.CStr(), k.expected) << k.text << " " << k.search;
    }
    TString null;
    EXPECT_EQ(null.Replace("a", "b", kReplaceAll), 0);
    EXPECT_EQ(null.Capacity(), 0);
}

TEST(StringTest, ReplaceGrowsCapacityToExactNeed)
{
    TString s("abcdefghijklmnopqrst");  // capacity 21
    s.Replace("b", "12345");
    EXPECT_STREQ(s.CStr(), "a12345cdefghijklmnopqrst");
    EXPECT_EQ(s.Capacity(), 25);
    TString shorter("abcdefghijklmnopqrst");
    shorter.Replace("bcd", "B");
    EXPECT_EQ(shorter.Capacity(), 21);
}

TEST(StringTest, SubstringAndEraseTable)
{
    struct Case
    {
        int start;
        int count;
        const char* substring;
        const char* afterErase;
    };
    const Case cases[] = {
        {2, -1, "nana", "ba"}, {1, 3, "ana", "bna"},  {6, 2, "", "banana"},
        {0, 0, "", "banana"},  {4, 10, "na", "bana"},  // count past the end clamps
        {-1, 2, "", "banana"}, {0, -1, "banana", ""}, {5, 1, "a", "banan"},
    };
    for (const Case& k : cases)
    {
        TString s("banana");
        EXPECT_STREQ(s.Substring(k.start, k.count).CStr(), k.substring)
            << k.start << "," << k.count;
        s.Erase(k.start, k.count);
        EXPECT_STREQ(s.CStr(), k.afterErase) << k.start << "," << k.count;
    }
    TString null;
    null.Erase(0, 3);
    EXPECT_EQ(null.Length(), 0);
}

TEST(StringTest, AppendGrowsToExactSum)
{
    TString s("abcdefghijklmnopqrst");  // capacity 21
    s += TString("uvwx");
    EXPECT_STREQ(s.CStr(), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(s.Capacity(), 25);
    s.Append("yz!", 2);
    EXPECT_STREQ(s.CStr(), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(s.Capacity(), 27);
    s += 'Z';
    EXPECT_STREQ(s.CStr(), "abcdefghijklmnopqrstuvwxyzZ");
    TString null;
    null += TString("");
    EXPECT_EQ(null.Capacity(), 0);
    null += TString("q");
    EXPECT_STREQ(null.CStr(), "q");
}

TEST(StringTest, WriteAtDoublesCapacityAndBuildsByteByByte)
{
    TString s;
    int position = 0;
    std::string expected;
    std::vector<int> capacities;
    for (int i = 0; i < 200; ++i)
    {
        char c = static_cast<char>('a' + i % 26);
        position = s.WriteAt(position, &c, 1, true);
        expected += c;
        if (capacities.empty() || capacities.back() != s.Capacity())
            capacities.push_back(s.Capacity());
    }
    EXPECT_EQ(position, 200);
    EXPECT_EQ(std::string(s.CStr()), expected);
    EXPECT_EQ(capacities, (std::vector<int>{16, 32, 64, 128, 256}));
    // -1 writes at the end of the text.
    EXPECT_EQ(s.WriteAt(-1, "!!", 2, true), 202);
    EXPECT_EQ(s.Length(), 202);
}

TEST(StringTest, WriteAtDoublesFromTheCurrentCapacity)
{
    // {text, position, bytes written, capacity afterwards}: the current
    // capacity is doubled until it holds the need; Reserve lifts it to 16.
    struct Case
    {
        const char* text;
        int position;
        int count;
        int capacity;
    } const cases[] = {
        {"abcd", -1, 1, 16},   // cap 5, need 6: 10 -> 16
        {"abcd", -1, 13, 20},  // cap 5, need 18: 10, 20
        {"abcd", 30, 2, 40},   // cap 5, need 33: 10, 20, 40
        {"", 0, 20, 32},       // cap 1, need 21: 2, 4, ..., 32
    };
    for (const Case& c : cases)
    {
        TString s(c.text);
        std::string bytes(static_cast<size_t>(c.count), 'z');
        s.WriteAt(c.position, bytes.data(), c.count, true);
        EXPECT_EQ(s.Capacity(), c.capacity) << c.text << " @" << c.position << " +" << c.count;
    }
    // A shared body is detached as every writer detaches: capacity length + 1
    // when that holds the write, doubling from there when it does not.
    TString original("abcdef");
    TString copy(original);
    copy.WriteAt(0, "X", 1, false);
    EXPECT_STREQ(copy.CStr(), "Xbcdef");
    EXPECT_EQ(copy.Capacity(), 7);
    TString grown(original);
    grown.WriteAt(-1, "ghijklmn", 8, true);
    EXPECT_STREQ(grown.CStr(), "abcdefghijklmn");
    EXPECT_EQ(grown.Capacity(), 28);  // need 15: 7, 14, 28
    EXPECT_STREQ(original.CStr(), "abcdef");
    EXPECT_EQ(original.Capacity(), 7);
}

TEST(StringTest, WriteAtWithoutTerminatorAndGaps)
{
    TString s("abcdef");
    EXPECT_EQ(s.WriteAt(1, "XY", 2, false), 3);
    EXPECT_STREQ(s.CStr(), "aXYdef");
    EXPECT_EQ(s.WriteAt(1, "Q", 1, true), 2);
    EXPECT_STREQ(s.CStr(), "aQ");
    // Unterminated bytes survive growth, and a gap reads as NUL.
    TString b;
    b.WriteAt(0, "xy", 2, true);
    b.WriteAt(2, "zz", 2, false);
    b.WriteAt(100, "w", 1, true);
    EXPECT_STREQ(b.CStr(), "xyzz");
    EXPECT_EQ(b.CStr()[99], '\0');
    EXPECT_EQ(b.CStr()[100], 'w');
    // Rejected arguments leave the string as it was.
    EXPECT_EQ(s.WriteAt(-2, "x", 1, true), -1);
    EXPECT_EQ(s.WriteAt(0, "x", -1, true), -1);
    EXPECT_STREQ(s.CStr(), "aQ");
}

TEST(StringTest, SizesThatWouldOverflowFailWithoutWriting)
{
    TString s("abc");
    EXPECT_EQ(s.WriteAt(INT_MAX - 1, "xy", 2, true), -1);
    EXPECT_EQ(s.WriteAt(2, "xy", INT_MAX, true), -1);
    EXPECT_STREQ(s.CStr(), "abc");
    EXPECT_EQ(s.Capacity(), 4);
}

TEST(StringTest, FormatShortAndLong)
{
    TString s = TString::Format("%s-%d-%.2f", "x", 42, 1.5);
    EXPECT_STREQ(s.CStr(), "x-42-1.50");
    EXPECT_EQ(s.Capacity(), s.Length() + 1);
    for (int size : {4095, 4096, 5000, 100000})
    {
        std::string longText(static_cast<size_t>(size), 'q');
        TString f = TString::Format("%s", longText.c_str());
        EXPECT_EQ(f.Length(), size);
        EXPECT_EQ(std::string(f.CStr()), longText);
    }
    TString g;
    g.SetFormatted("%05d|%s", 42, "end");
    EXPECT_STREQ(g.CStr(), "00042|end");
}

TEST(StringTest, NumbersAndCharAt)
{
    EXPECT_EQ(TString("  42abc").ToInt(), 42);
    EXPECT_EQ(TString("-17").ToInt(), -17);
    EXPECT_EQ(TString("99999999999999").ToInt(), INT_MAX);
    EXPECT_EQ(TString("x").ToInt(), 0);
    EXPECT_FLOAT_EQ(TString("2.5").ToFloat(), 2.5f);
    EXPECT_TRUE(std::isinf(TString("1e300").ToFloat()));
    TString s("abc");
    EXPECT_EQ(s.CharAt(2), 'c');
    EXPECT_EQ(s.CharAt(3), '\0');
    EXPECT_EQ(s.CharAt(1000000u), '\0');
}

TEST(StringTest, ToLowerOnlyAsciiLetters)
{
    TString s("AbC \xC3\x89 Z9");
    s.ToLower();
    EXPECT_STREQ(s.CStr(), "abc \xC3\x89 z9");
    TString null;
    null.ToLower();
    EXPECT_EQ(null.Capacity(), 0);
}

TEST(StringTest, Utf8SequenceLengthTable)
{
    struct Case
    {
        unsigned char lead;
        int length;
    };
    const Case cases[] = {{0x00, 0}, {0x41, 1}, {0x7F, 1}, {0x80, 1}, {0xBF, 1}, {0xC0, 2},
                          {0xDF, 2}, {0xE0, 3}, {0xEF, 3}, {0xF0, 4}, {0xFF, 4}};
    for (const Case& k : cases)
    {
        char c = static_cast<char>(k.lead);
        EXPECT_EQ(Utf8SequenceLength(&c), k.length) << std::hex << int{k.lead};
    }
}

TEST(StringTest, Utf8EncodeTable)
{
    struct Case
    {
        uint32_t cp;
        std::string bytes;
    };
    const Case cases[] = {
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x20AC, "\xE2\x82\xAC"},
        {0xD800, "\xED\xA0\x80"},  // surrogates encode like any other value
        {0xFEFF, ""},
        {0xFFFE, ""},
        {0xFFFF, ""},
        {0xFFFD, "\xEF\xBF\xBD"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        {0x110000, ""},
        {0xFFFFFFFF, ""},
    };
    for (const Case& k : cases)
    {
        char out[4] = {'#', '#', '#', '#'};
        int n = Utf8Encode(k.cp, out);
        EXPECT_EQ(std::string(out, static_cast<size_t>(n)), k.bytes) << std::hex << k.cp;
        if (n == 0)
        {
            EXPECT_EQ(out[0], '#');  // nothing written
        }
        EXPECT_STREQ(TString::FromCodePoint(k.cp).CStr(), k.bytes.c_str());
    }
    EXPECT_EQ(TString::FromCodePoint(0xFEFF).Capacity(), 0);
}

TEST(StringTest, Utf8DecodeTable)
{
    struct Case
    {
        const char* bytes;
        uint32_t cp;
    };
    const Case cases[] = {
        {"A", 0x41},
        {"", 0},
        {"\x80", 0},  // a lone continuation byte
        {"\xC2\x80", 0x80},
        {"\xE2\x82\xAC", 0x20AC},
        {"\xF0\x9F\x98\x80", 0x1F600},
        {"\xE2\x82", 0},  // cut short by the NUL
        {"\xE2"
         "A"
         "\xAC",
         0},
        {"\xC3", 0},
    };
    for (const Case& k : cases) EXPECT_EQ(Utf8Decode(k.bytes), k.cp) << k.bytes;
    // Round trip over the encodable range.
    for (uint32_t cp = 1; cp <= 0x10FFFF; cp += 97)
    {
        char out[5] = {};
        int n = Utf8Encode(cp, out);
        if (n > 0)
        {
            EXPECT_EQ(Utf8Decode(out), cp);
        }
    }
}

TEST(StringTest, IsPlainTextBytes)
{
    EXPECT_TRUE(IsPlainTextBytes(TString()));
    EXPECT_TRUE(IsPlainTextBytes("plain ascii \x7F"));
    EXPECT_TRUE(IsPlainTextBytes("\x80\xBF"));
    EXPECT_FALSE(IsPlainTextBytes("caf\xC3\xA9"));
    EXPECT_FALSE(IsPlainTextBytes("\xFF"));
}

}  // namespace
