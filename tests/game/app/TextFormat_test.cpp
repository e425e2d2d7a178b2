// FormatDataText and FormatThousands as tables of cases.
#include "game/app/TextFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace
{

struct DataCase
{
    const char* name;
    const char* format;
    std::vector<TDataArg> args;
    const char* expected;
};

TString Format(const DataCase& c)
{
    switch (c.args.size())
    {
    case 0: return FormatDataText(c.format, {});
    case 1: return FormatDataText(c.format, {c.args[0]});
    case 2: return FormatDataText(c.format, {c.args[0], c.args[1]});
    default: return FormatDataText(c.format, {c.args[0], c.args[1], c.args[2]});
    }
}

TEST(TextFormat, FormatDataText)
{
    const DataCase cases[] = {
        {"plain", "no conversions", {}, "no conversions"},
        {"pattern", "customer_0:images/%s%d", {"walk_", 1}, "customer_0:images/walk_1"},
        {"percent", "100%% of %d", {7}, "100% of 7"},
        {"negative", "%d", {-42}, "-42"},
        {"missing argument", "a%db%sc", {}, "abc"},
        {"one missing", "%d and %d", {3}, "3 and "},
        {"text for %d uses it up", "%d|%d", {"x", 5}, "|5"},
        {"number for %s uses it up", "%s|%s", {5, "y"}, "|y"},
        {"width copied, no argument", "%5d|%d", {9}, "%5d|9"},
        {"flags copied", "%-d %+s %d", {1}, "%-d %+s 1"},
        {"other letters copied", "%x %n %p %d", {2}, "%x %n %p 2"},
        {"trailing percent", "50%", {}, "50%"},
        {"inserted text not scanned", "%s", {"%d%s%%"}, "%d%s%%"},
        {"surplus arguments ignored", "%d", {1, 2, 3}, "1"},
    };
    for (const DataCase& c : cases) EXPECT_STREQ(Format(c).CStr(), c.expected) << c.name;
}

TEST(TextFormat, FormatThousands)
{
    struct Case
    {
        int32_t n;
        const char* templ;
        const char* expected;
    };
    const Case cases[] = {
        {0, "%d", "0"},
        {999, "%d", "999"},
        {1000, "%d", "1,000"},
        {2050, "%d", "2,050"},
        {1005, "%d", "1,005"},
        {1234567, "%d", "1,234,567"},
        {100200300, "%s", "100,200,300"},
        {-1005, "%d", "-1,005"},
        {-7, "%d", "-7"},
        {INT_MIN, "%d", "-2,147,483,648"},
        {INT_MAX, "%d", "2,147,483,647"},
        {1500, "Money: %d $", "Money: 1,500 $"},
        {12, "%d of %s", "12 of 12"},
        {5, "100%% %d", "100%% 5"},
        {5, "%5d %x", "%5d %x"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(FormatThousands(c.n, c.templ, ",").CStr(), c.expected) << c.n << " in " << c.templ;
    EXPECT_STREQ(FormatThousands(1234567, "%d", "%d").CStr(), "1%d234%d567") << "delimiters are not scanned";
    EXPECT_STREQ(FormatThousands(1234567, "%d", " ").CStr(), "1 234 567");
}

TEST(TextFormat, WithoutAStringTableTheDelimiterIsAComma)
{
    EXPECT_STREQ(FormatThousands(65536, "%d").CStr(), "65,536");
}

}  // namespace
