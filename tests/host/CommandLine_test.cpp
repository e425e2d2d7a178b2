// Command-line joining, switch search, "--cheat" and "options=" pairs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/CommandLine.h"

namespace
{

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Parse(const char* cmd)
{
    Pairs out;
    for (const auto& [k, v] : ParseOptions(cmd)) out.emplace_back(k.CStr(), v.CStr());
    return out;
}

}  // namespace

TEST(CommandLine, OptionsPairs)
{
    struct Case
    {
        const char* cmd;
        Pairs want;
    };
    const Case cases[] = {
        {"options=a=1&b=2 c=3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        {"options=a=1& b=2", {{"a", "1"}}},
        {"options=a", {}},
        {"options=a=1 -pq=x", {{"a", "1"}, {"-pq", "x"}}},
        {"-x options=k=v", {{"k", "v"}}},
        {"options=", {}},
        {"options= a=1", {}},
        {"options=a=&b=2", {{"a", ""}, {"b", "2"}}},
        {"options=a=1&", {{"a", "1"}}},
        {"options=a=1 ", {{"a", "1"}}},
        {"options=a=x=y", {{"a", "x=y"}}},
        {"no switch a=1", {}},
        {"xoptions=a=1", {{"a", "1"}}},  // found anywhere, even inside a word
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, Parse(c.cmd)) << c.cmd;
}

TEST(CommandLine, SwitchesAreCaseSensitiveSubstrings)
{
    EXPECT_TRUE(HasSwitch("--multiple", "--multiple"));
    EXPECT_TRUE(HasSwitch("a\"x--multiple\"", "--multiple"));
    EXPECT_FALSE(HasSwitch("--Multiple", "--multiple"));
    EXPECT_TRUE(HasSwitch("game -pq=1", "-pq="));
    EXPECT_FALSE(HasSwitch("", "-pq="));
    EXPECT_FALSE(HasSwitch("-pq", "-pq="));
    EXPECT_FALSE(HasSwitch("anything", nullptr));
}

TEST(CommandLine, WordAfterSwitch)
{
    EXPECT_STREQ("http://x/y", WordAfterSwitch("-url=http://x/y more", "-url=").CStr());
    EXPECT_STREQ("", WordAfterSwitch("-url=", "-url=").CStr());
    EXPECT_STREQ("", WordAfterSwitch("none", "-url=").CStr());
    EXPECT_STREQ("abc", WordAfterSwitch("x -url=abc", "-url=").CStr());
}

TEST(CommandLine, CheatCodeNeverReadsPastTheEnd)
{
    struct Case
    {
        const char* cmd;
        const char* code;
    };
    const Case cases[] = {
        {"--cheat ABCD", "ABCD"}, {"--cheat ABCD --multiple", "ABCD"},
        {"--cheat=ABCD", "ABCD"}, {"x --cheat", ""},  // at the very end
        {"x --cheat ", ""},                           // one separator, then the end
        {"--cheat  two", ""},                         // the code ends at the first blank
        {"nothing", ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.code, CheatCodeOf(c.cmd).CStr()) << c.cmd;
}

TEST(CommandLine, JoinQuotesArgumentsWithBlanks)
{
    const char* argv[] = {"prog", "--multiple", "options=a=1&b=2", "-wd=/a folder/x",
                          "",     "tab\there",  "-x a=b",          "a b=c"};
    // A switch's value is quoted behind its "-name=", where its reader looks.
    EXPECT_STREQ(
        "--multiple options=a=1&b=2 -wd=\"/a folder/x\" \"\" \"tab\there\" \"-x a=b\" \"a b=c\"",
        JoinCommandLine(8, argv).CStr());
    EXPECT_STREQ("", JoinCommandLine(1, argv).CStr());
    EXPECT_STREQ("", JoinCommandLine(0, nullptr).CStr());
}
