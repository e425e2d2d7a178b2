// UTF-8 <-> UTF-16 conversion and its shared buffer.
#include <gtest/gtest.h>

#include <string>

#include "core/Utf16.h"

TEST(Utf16, RoundTripsEveryPlane)
{
    const char* texts[] = {"plain", "caf\xC3\xA9", "\xE2\x82\xAC 5", "\xF0\x9F\x8E\xB2 dice",
                           "\xEF\xBB\xBF"};
    for (const char* text : texts)
    {
        SCOPED_TRACE(text);
        EXPECT_EQ(std::string(text), WideToUtf8(Utf8ToWide(text)).CStr());
    }
    const char16_t* wide = Utf8ToWide("\xF0\x9F\x8E\xB2");
    EXPECT_EQ(0xD83C, wide[0]);
    EXPECT_EQ(0xDFB2, wide[1]);
    EXPECT_EQ(0, wide[2]);
}

TEST(Utf16, MalformedInputBecomesReplacementCharacters)
{
    struct Case
    {
        const char* utf8;
        std::u16string wide;
    } const cases[] = {
        {"a\x80z", u"a\uFFFDz"},                  // stray continuation byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\xE2\x82", u"\uFFFD\uFFFD"},            // cut sequence
        {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(c.wide, std::u16string(Utf8ToWide(c.utf8)));
    }
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(std::string("a\xEF\xBF\xBD"
                          "b\xEF\xBF\xBD"),
              WideToUtf8(lone).CStr());
    EXPECT_EQ(0, WideToUtf8(nullptr).Length());
}

TEST(Utf16, ConversionsShareOneBuffer)
{
    const char16_t* first = Utf8ToWide("first text");
    const char16_t* second = Utf8ToWide("second");
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::u16string(u"second"), std::u16string(first));
    EXPECT_EQ(21, GetWideConversionCapacity());
    const char16_t* empty = Utf8ToWide("");
    EXPECT_EQ(0, empty[0]);
    EXPECT_EQ(0, GetWideConversionCapacity());
}

TEST(Utf16, LongTextConvertsWhole)
{
    // 1-, 2-, 3- and 4-byte characters repeated past any small buffer.
    std::u16string wide;
    for (int i = 0; i < 20000; ++i) wide += u"a\u00e9\u20ac\U0001F600";
    TString utf8 = WideToUtf8(wide.c_str());
    EXPECT_EQ(utf8.Length(), 20000 * (1 + 2 + 3 + 4));
    EXPECT_EQ(std::u16string(Utf8ToWide(utf8)), wide);
}
