// The cross-sell window over the description files of tests/data/ui/xsell:
// texts and link mark-up, the colour and link rules, hidden entries,
// centring, a missing or damaged file, and the script functions once the
// window is gone.
#include <gtest/gtest.h>

#include "graphics/FontRegistry.h"
#include "graphics/support/TestDisplayHost.h"
#include "ui/Text.h"
#include "ui/XSellWindow.h"
#include "ui/support/ControlTestSupport.h"

using namespace uitest;

namespace
{

// Records the addresses handed to the desktop's opener.
class UrlLink : public FakeAppLink
{
public:
    std::vector<std::string> opened;
    void OpenUrl(const TString& url) override { opened.push_back(url.CStr()); }
};

std::string Fixture(const char* name)
{
    return std::string("::") + ORVELLE_TEST_DATA + "/ui/xsell/" + name;
}

std::string ReadXSell(const char* name)
{
    std::ifstream in(std::string(ORVELLE_TEST_DATA) + "/ui/xsell/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class XSellTest : public ScriptUiTest
{
protected:
    void SetUp() override
    {
        ScriptUiTest::SetUp();
        SetWindowAppLink(&urls);
    }
    void TearDown() override
    {
        wm.reset();
        GetFontRegistry().Clear();
        ScriptUiTest::TearDown();
    }
    // The cross-sell screen over a description file, set up.
    void Load(const std::string& config)
    {
        Eval("PushModal('dlg'); gConfig = '" + config + "'");
        ASSERT_EQ(script->DoLuaString(ReadXSell("xsell.lua").c_str()), 0);
        Eval("SetupXSell()");
    }
    TWindow* W(const std::string& name) { return wm->GetTopModal()->FindChild(name.c_str(), -1); }
    std::string TextOf(const std::string& name) { return static_cast<TText*>(W(name))->GetText().CStr(); }
    bool Shown(const std::string& name) { return (W(name)->GetFlags() & kWindowVisible) != 0; }
    TXSellWindow* XSell() { return static_cast<TXSellWindow*>(W("xsell")); }
    // Which of descrip1..8 (or xsellbutton1..8) are shown, as "1" and "0".
    std::string ShownRow(const char* stem)
    {
        std::string out;
        for (int i = 1; i <= 8; ++i) out += Shown(stem + std::to_string(i)) ? "1" : "0";
        return out;
    }

    TempLog tempLog;
    UrlLink urls;
};

TEST_F(XSellTest, ThreeEntriesFillTheirTextsAndHideTheRest)
{
    Load(Fixture("three.xml"));
    EXPECT_EQ(TextOf("descrip1"), "Bakery Rush: bake against the clock. <u><font color=\"ff0000\">"
                                  "<a id='xsellbutton1'>Get it</a></font></u>");
    EXPECT_EQ(TextOf("descrip2"), "Harbour Days: run a busy port. <u><font color=\"003cff\">"
                                  "<a id='xsellbutton2'>Try it</a></font></u>");
    EXPECT_EQ(TextOf("descrip3"), "Garden Gate: a quiet puzzle.");
    EXPECT_EQ(ShownRow("descrip"), "11100000");
    EXPECT_EQ(ShownRow("xsellbutton"), "11100000");
    EXPECT_TRUE(Shown("gamesite"));
    EXPECT_EQ(TextOf("centertext1"), "More games");
    EXPECT_EQ(TextOf("centertext2"), "from our friends");
    // Each placed point becomes its window's centre; entry 8 is not centred.
    struct Case
    {
        const char* name;
        TRect rect;
    } cases[] = {
        {"xsellbutton1", TRect(380, 20, 420, 40)},  {"xsellbutton7", TRect(380, 320, 420, 340)},
        {"xsellbutton8", TRect(400, 380, 440, 400)}, {"sitelogo", TRect(550, 75, 650, 125)},
        {"corvantislogo", TRect(575, 190, 626, 211)}, {"gamesite", TRect(570, 485, 630, 515)},
    };
    for (const Case& c : cases) EXPECT_EQ(W(c.name)->GetRect(), c.rect) << c.name;
    // A link in the text presses its button, whose command opens the link.
    Eval("LaunchGameLink(1); LaunchGameLink(3); LaunchGameLink(0)");
    EXPECT_EQ(urls.opened, (std::vector<std::string>{"https://games.example/bakery", "HTTPS://games.example/garden",
                                                     "https://games.example/"}));
}

TEST_F(XSellTest, NineEntriesKeepSevenLinksAndOnlyWebAddressesOpen)
{
    Load(Fixture("nine.xml"));
    EXPECT_EQ(ShownRow("descrip"), "11111111");
    // Colours: exactly six hex digits, else the default.
    const char* colours[9] = {"00ff00", "003cff", "003cff", "003cff", "aBcDeF", "003cff", "003cff", "003cff"};
    for (int i = 1; i <= 8; ++i)
        EXPECT_NE(TextOf("descrip" + std::to_string(i)).find(std::string("color=\"") + colours[i - 1] + "\""),
                  std::string::npos)
            << i;
    EXPECT_EQ(TextOf("descrip6").find("id='x'"), std::string::npos);
    EXPECT_EQ(XSell()->GetGameLink(7), TString("https://games.example/7"));

    struct Case
    {
        int n;
        const char* opened;  // null: nothing
    } cases[] = {
        {1, "https://games.example/1"}, {7, "https://games.example/7"}, {8, nullptr}, {9, nullptr}, {-1, nullptr},
        {4, nullptr},  // a local program
        {5, nullptr},  // an option for the opener
        {6, nullptr},  // empty
        {0, nullptr},  // ftp
    };
    for (const Case& c : cases)
    {
        urls.opened.clear();
        Eval("LaunchGameLink(" + std::to_string(c.n) + ")");
        EXPECT_EQ(urls.opened, c.opened ? std::vector<std::string>{c.opened} : std::vector<std::string>{}) << c.n;
    }
    EXPECT_TRUE(tempLog.Has("ERROR: Cross-sell link 5 is not a web address: '-new-window'"));
}

TEST_F(XSellTest, WithoutSiteLinkTheSiteButtonIsHidden)
{
    Load(Fixture("nositelink.xml"));
    EXPECT_FALSE(Shown("gamesite"));
    EXPECT_EQ(ShownRow("descrip"), "10000000");
    Eval("LaunchGameLink(0)");
    EXPECT_TRUE(urls.opened.empty());
}

TEST_F(XSellTest, AMissingOrDamagedFileHidesEveryEntry)
{
    struct Case
    {
        std::string config;
        const char* logged;
    } cases[] = {
        {Fixture("absent.xml"), "could not be read"},
        {Fixture("damaged.xml"), "is damaged"},
        {Fixture("xsell.lua"), "has no xsell element"},
    };
    for (const Case& c : cases)
    {
        Load(c.config);
        EXPECT_EQ(ShownRow("descrip"), "00000000") << c.config;
        EXPECT_EQ(ShownRow("xsellbutton"), "00000000") << c.config;
        EXPECT_TRUE(Shown("gamesite")) << c.config;
        EXPECT_TRUE(tempLog.Has(c.logged)) << c.config;
        Eval("LaunchGameLink(1)");
        EXPECT_TRUE(urls.opened.empty());
        wm->PopTopModal();
        Send(kEventIdle);
    }
}

TEST_F(XSellTest, TheScriptFunctionsLeaveWithTheirWindow)
{
    Load(Fixture("three.xml"));
    // A second window takes the functions over; the first one's going
    // leaves them alone.
    Eval("MakeDialog{ XSellWindow{ name = 'second', config = gConfig, w = 10, h = 10 } }");
    wm->ScheduleDelete(XSell());
    Send(kEventIdle);
    EXPECT_EQ(Eval("r = type(LaunchGameLink) .. type(SetupXSell)"), "functionfunction");
    wm->PopTopModal();
    Send(kEventIdle);
    EXPECT_EQ(Eval("r = type(LaunchGameLink) .. type(SetupXSell)"), "nilnil");
    EXPECT_NE(script->DoLuaString("LaunchGameLink(1)"), 0);
    EXPECT_TRUE(urls.opened.empty());
}

TEST(XSellRules, ColourAndAddress)
{
    struct Colour
    {
        const char* in;
        const char* out;
    } colours[] = {{"ff0000", "ff0000"}, {"A0b1C2", "A0b1C2"}, {"red", "003cff"}, {"", "003cff"},
                   {"ff00001", "003cff"}, {"ff00 0", "003cff"}, {"\"><u>", "003cff"}};
    for (const Colour& c : colours) EXPECT_STREQ(XSellLinkColour(c.in).CStr(), c.out) << c.in;
    struct Url
    {
        const char* url;
        bool web;
    } urls[] = {{"http://a", true},  {"HTTPS://a", true}, {"hTtP://", true}, {"https:/a", false},
                {"", false},         {"-x", false},       {"file:///bin/sh", false}, {" http://a", false},
                {"http", false}};
    for (const Url& u : urls) EXPECT_EQ(IsWebAddress(u.url), u.web) << u.url;
}

}  // namespace
