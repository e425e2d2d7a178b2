// The layout script's reader over small scripts: the defaults of an empty
// script, pairs, click rectangles, groups of five, labels, the title plates
// with the lock text, and int against float keys.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/app/MySprite.h"
#include "game/hud/support/HudFixture.h"
#include "graphics/TextGraphic.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class HudLayoutTest : public HudFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(LoadPictures()); }
};

void ExpectColour(const TFloatVector4& c, float r, float g, float b, float a, const std::string& what)
{
    EXPECT_FLOAT_EQ(c.x, r) << what;
    EXPECT_FLOAT_EQ(c.y, g) << what;
    EXPECT_FLOAT_EQ(c.z, b) << what;
    EXPECT_FLOAT_EQ(c.w, a) << what;
}

TEST_F(HudLayoutTest, AnEmptyScriptGivesEveryDefault)
{
    PutLayout("-- nothing\n");
    HUD& hud = Start(1);
    const HUD::SLayout& l = hud.GetLayout();
    EXPECT_EQ(l.tabX, 0);
    EXPECT_EQ(l.tabY, 0);
    EXPECT_EQ(l.menu, TPoint(0, 0));
    EXPECT_EQ(l.help, TPoint(0, 0));
    EXPECT_EQ(l.taskWindow, TPoint(600, 0));
    EXPECT_EQ(l.blinkInterval, 1000);
    EXPECT_FLOAT_EQ(l.tabTextAcc, 1.5f);
    EXPECT_EQ(l.peaCount, 24);
    EXPECT_EQ(hud.GetPeas().size(), 24u);
    EXPECT_EQ(l.moveTime, 500);
    EXPECT_EQ(l.buttonY, 515);
    EXPECT_EQ(l.buttonW, 90);
    EXPECT_EQ(l.buttonGap, 10);
    EXPECT_EQ(l.textDispX, 5);
    EXPECT_EQ(l.textDispY, 5);
    ExpectColour(l.mainColor, 0, 0, 0, 1, "main colour");
    for (int i = 0; i < 5; ++i) ExpectColour(hud.GetButtonInfo().colors[i], 0, 0, 0, 0, "info colour");
    ExpectColour(hud.GetMiddleInfo().colors[0], 0, 0, 0, 0, "middle colour");
    ExpectColour(hud.GetTaskHint().selectColor, 0, 0, 0, 0, "task colour");
    EXPECT_EQ(hud.GetButtonInfo().delay, 4000);
    EXPECT_EQ(hud.GetMiddleInfo().delay, 4000);
    EXPECT_EQ(hud.GetLittleInfo().delay, 4000);
    EXPECT_EQ(hud.GetTaskHint().delay, 4000);
    EXPECT_EQ(hud.GetButtonInfo().lineSize, TPoint(10, 10));
    EXPECT_EQ(hud.GetButtonInfo().titleSize, TPoint(10, 10));
    EXPECT_EQ(hud.GetMiddleInfo().textSize, TPoint(10, 10));
    EXPECT_EQ(hud.GetMiddleInfo().textOffset, TPoint(10, 10));
    EXPECT_EQ(hud.GetTaskHint().textSize, TPoint(10, 10));
    EXPECT_EQ(hud.GetTaskHint().textOffset, TPoint(10, 10));
    EXPECT_TRUE(hud.GetTabTexts().empty());
    EXPECT_TRUE(hud.GetTaskTextGroups().empty());
    EXPECT_TRUE(hud.GetManaOffers().empty());
    EXPECT_TRUE(hud.GetWorkerOffers().empty());
    EXPECT_TRUE(hud.GetLittleInfo().items.empty());
    EXPECT_TRUE(hud.GetButtonInfo().lineOffsets.empty());
    EXPECT_TRUE(hud.GetIconNames().empty());
    EXPECT_TRUE(hud.GetMonsterNames().empty());
    EXPECT_TRUE(hud.GetButtons().empty()) << "no mana offers, no buttons";
    EXPECT_EQ(hud.GetLayoutTexts().size(), 34u);
    EXPECT_EQ(hud.GetTaskPrefixTexts().size(), 3u);
    // Both plates' levels are 0: hidden from level 0 on.
    EXPECT_FALSE(hud.GetPlate(0).visible);
    EXPECT_FALSE(hud.GetPlate(1).visible);
}

TEST_F(HudLayoutTest, AMissingOrBrokenScriptReadsAsEmpty)
{
    for (const char* script : {"", "gTab = { y = 3 \n", "error('no')\n", "gTab = 5\ngClock = 'x'\n"})
    {
        if (*script != '\0')
            PutLayout(script);
        else
            assets_.Remove("scripts/game_logic/hud.lua");
        HUD& hud = Start(1);
        EXPECT_EQ(hud.GetLayout().tabY, 0) << script;
        EXPECT_EQ(hud.GetLayout().peaCount, 24) << script;
        EXPECT_EQ(hud.GetLayout().taskWindow.x, 600) << script;
    }
}

TEST_F(HudLayoutTest, PairsClickRectanglesAndItems)
{
    PutLayout(R"(
gInfoWindow = { text_disp = { 10, 20, 30 } }
gLittleInfoWindow = {
  item = {
    { babl_x = 5, babl_y = 6, arrow_x = 7, arrow_y = 8, arrow_rotate = 90,
      click_x = 1.5, click_w = 1.5, click_y = -2.7, click_h = 4, open_tab = 3 },
    { click_x = 0, click_w = 10 },
  },
  bubble_width = { 60, 90, 120 },
}
)");
    HUD& hud = Start(1);
    const auto& offsets = hud.GetButtonInfo().lineOffsets;
    ASSERT_EQ(offsets.size(), 2u);
    EXPECT_EQ(offsets[0], TPoint(10, 20));
    EXPECT_EQ(offsets[1], TPoint(30, 0)) << "an odd count leaves the last y 0";
    EXPECT_EQ(hud.GetStallInfo().lineOffsets.size(), 2u) << "the stall window is laid out alike";

    const auto& items = hud.GetLittleInfo().items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].index, 0);
    EXPECT_EQ(items[0].point, TPoint(5, 6));
    EXPECT_EQ(items[0].arrow, TPoint(7, 8));
    EXPECT_EQ(items[0].angle, 90);
    EXPECT_EQ(items[0].click.left, 1);
    EXPECT_EQ(items[0].click.right, 3) << "1.5 + 1.5 added before truncating";
    EXPECT_EQ(items[0].click.top, -2);
    EXPECT_EQ(items[0].click.bottom, 1) << "-2.7 + 4 = 1.3";
    EXPECT_EQ(items[0].openTab, 3);
    EXPECT_EQ(items[1].index, 1);
    EXPECT_EQ(items[1].openTab, -1) << "no open_tab opens nothing";
    EXPECT_EQ(hud.GetLittleInfo().bubbleWidths, (std::vector<int32_t>{60, 90, 120}));
}

TEST_F(HudLayoutTest, LabelsPatternsAndGroupsOfFive)
{
    PutStrings({{"p1", "first"}, {"p2", "second"}, {"p3", "third"}, {"wolf", "Wolf"}, {"menu", "Menu"}});
    PutLayout(R"(
gTabInfo = {
  task_pattern = { "p1", "p2", "p3" },
  monster_name = { "wolf", "wolf" },
  task_text = {
    { 1, "x", {10, 20, 30, 40}, {1, 0, 0, 1}, {0, 1, 0, 1}, 12, "fonts/default.mvec", "header one" },
    { 2, "x", {0, 0, 0, 0}, {}, {}, 10, "f", "line two" },
    { 0, "x", {}, {}, {}, 0, "", "line three" },
    { 0, "x", {}, {}, {}, 0, "", "line four" },
    { 0, "x", {}, {}, {}, 0, "", "line five" },
    { 0, "x", {}, {}, {}, 0, "", "header two" },
    { 0, "x", {}, {}, {}, 0, "", "b" },
    { 0, "x", {}, {}, {}, 0, "", "c" },
    { 0, "x", {}, {}, {}, 0, "", "d" },
    { 0, "x", {}, {}, {}, 0, "", "e" },
    { 0, "x", {}, {}, {}, 0, "", "lone" },
  },
}
gTab = { menu_rect = { 1, 2, 30, 40 }, menu_pattern = "menu", menu_size = 14, menu_flag = 5,
         menu_color = { 1, 0.5 } }
)");
    HUD& hud = Start(1);
    EXPECT_EQ(hud.GetTaskPatterns(0), (std::vector<TString>{"first", "third"}));
    ASSERT_EQ(hud.GetTaskPatterns(1).size(), 2u);
    EXPECT_EQ(hud.GetTaskPatterns(1)[0], TString("second"));
    EXPECT_EQ(hud.GetTaskPatterns(1)[1], strings_->GetString(TString())) << "the text for an empty label";
    EXPECT_EQ(hud.GetMonsterNames(), (std::vector<TString>{"Wolf", "Wolf"}));
    EXPECT_EQ(hud.GetMonsterCounters(), (std::vector<int32_t>{0, 0}));

    const auto& groups = hud.GetTaskTextGroups();
    ASSERT_EQ(groups.size(), 3u) << "eleven entries make two groups and a part";
    for (const auto& g : groups) ASSERT_EQ(g.size(), 5u);
    EXPECT_TRUE(groups[0][0]->text.IsEmpty()) << "a header's caption stays empty";
    EXPECT_TRUE(groups[1][0]->text.IsEmpty());
    EXPECT_STREQ(groups[0][1]->text.CStr(), "line two");
    EXPECT_STREQ(groups[1][4]->text.CStr(), "e");
    EXPECT_STREQ(groups[2][0]->text.CStr(), "") << "the lone entry heads the last group";
    EXPECT_STREQ(groups[2][1]->text.CStr(), "") << "missing entries take the defaults";
    const HudText& head = *groups[0][0];
    EXPECT_EQ(head.flags, 1);
    EXPECT_EQ(head.centreX, 10);
    EXPECT_EQ(head.height, 40);
    ExpectColour(head.color, 1, 0, 0, 1, "colour");
    ExpectColour(head.color2, 0, 1, 0, 1, "second colour");
    EXPECT_EQ(head.fontSize, 12);
    EXPECT_STREQ(head.font.CStr(), "fonts/default.mvec");

    // menu_rect's third and fourth entries size the caption.
    EXPECT_EQ(hud.GetMenuButton().GetCaptionSize(), TPoint(30, 40));
    ASSERT_NE(hud.GetMenuButton().GetCaption(), nullptr);
    EXPECT_STREQ(hud.GetMenuButton().GetCaption()->GetText().CStr(), "Menu");
    EXPECT_EQ(hud.GetMenuButton().GetCaption()->GetFontSize(), 14);
}

TEST_F(HudLayoutTest, PlatesCoverTheirAreaUntilTheirLevelWithTheLockText)
{
    PutStrings({{"locked", "Locked"}, {"i0", "zero"}, {"i1", "one"}, {"i4", "four"}});
    PutLayout(R"(
gLittleInfoWindow = { lock_elem = "locked",
  item = { { text = "i0" }, { text = "i1" }, { text = "i0" }, { text = "i0" }, { text = "i4" } } }
gDefInfo = { zl_level = 3, zg_level = 5 }
)");
    struct Case
    {
        int32_t level;
        bool lev;
        const char* item1;
        bool prv;
        const char* item4;
    };
    for (const Case& c : {Case{2, true, "Locked", true, "Locked"}, Case{3, false, "one", true, "Locked"},
                          Case{4, false, "one", true, "Locked"}, Case{5, false, "one", false, "four"}})
    {
        HUD& hud = Start(c.level);
        EXPECT_EQ(hud.GetPlate(0).visible, c.lev) << c.level;
        EXPECT_EQ(hud.GetPlate(1).visible, c.prv) << c.level;
        EXPECT_STREQ(hud.GetLittleInfo().items[1].text.CStr(), c.item1) << c.level;
        EXPECT_STREQ(hud.GetLittleInfo().items[4].text.CStr(), c.item4) << c.level;
        EXPECT_STREQ(hud.GetLittleInfo().items[0].text.CStr(), "zero") << c.level;
    }
}

TEST_F(HudLayoutTest, TooFewItemsForAPlateChangeNoText)
{
    PutLayout("gLittleInfoWindow = { lock_elem = 'L', item = { { text = 'a' }, { text = 'b' } } }\n"
              "gDefInfo = { zl_level = 9, zg_level = 9 }\n");
    HUD& hud = Start(1);
    EXPECT_TRUE(hud.GetPlate(0).visible);
    EXPECT_TRUE(hud.GetPlate(1).visible);
    EXPECT_STREQ(hud.GetLittleInfo().items[1].text.CStr(), "L");
    EXPECT_STREQ(hud.GetLittleInfo().items[0].text.CStr(), "a");
}

TEST_F(HudLayoutTest, IntAndFloatKeysAndValuesOfTheWrongKind)
{
    PutLayout(R"(
gDefInfo = { zl_place_x = 10.5, zl_place_y = -3.25, image_x = 10.5, image_y = -10.9,
             time_bar_fon_x = 40, time_bar_fon_y = 50, time_bar_line_x = 41, time_bar_line_y = 52,
             profit_bar_x = 7, profit_bar_y = 8, profit_bar_line_x = 9, profit_bar_line_y = 11,
             money_pattern = 12, money_size = "16", money_flag = {},
             ico = { { "hud:images/a", 1.9, 2 }, { "hud:images/b" } } }
gTab = { y = 1e20, x = 0/0, y_disp = 1e999, limit_y = -1e999, tab_text_time = 2147483647,
         menu_x = 2147483648, menu_y = -2147483648.5, help_x = "12", help_y = "twelve" }
gClock = { x = 10.25, pea_cnt = 1.9 }
gTabMana = { shop = { { 10, 100 }, { 20 }, "not a table", { 2.9, -3.9 } } }
)");
    HUD& hud = Start(1);
    const HUD::SLayout& l = hud.GetLayout();
    EXPECT_FLOAT_EQ(l.zlPlace.x, 10.5f);
    EXPECT_FLOAT_EQ(hud.GetPlate(0).GetPosition().y, -3.25f) << "placed at once";
    EXPECT_EQ(l.panel, TPoint(10, -10));
    // The time bar's back and expert layers share a place; the fill has its own.
    EXPECT_FLOAT_EQ(hud.GetTimeBar(0).GetPosition().x, 40.0f);
    EXPECT_FLOAT_EQ(hud.GetTimeBar(1).GetPosition().y, 50.0f);
    EXPECT_FLOAT_EQ(hud.GetTimeBar(2).GetPosition().x, 41.0f);
    EXPECT_FLOAT_EQ(hud.GetProfitBar(0).GetPosition().y, 8.0f);
    EXPECT_FLOAT_EQ(hud.GetProfitBar(1).GetPosition().x, 9.0f);
    // A number key that is not finite or does not fit reads 0.
    EXPECT_EQ(l.tabY, 0);
    EXPECT_EQ(l.tabX, 0);
    EXPECT_EQ(l.tabRaise, 0);
    EXPECT_EQ(l.limitY, 0);
    EXPECT_EQ(l.blinkInterval, 2147483647);
    EXPECT_EQ(l.menu.x, 0);
    EXPECT_EQ(l.menu.y, -2147483647 - 1) << "truncated toward zero it fits";
    EXPECT_EQ(l.help.x, 12) << "a string holding a number";
    EXPECT_EQ(l.help.y, 0) << "a string holding none";
    EXPECT_FLOAT_EQ(l.clock.x, 10.25f);
    EXPECT_EQ(l.peaCount, 1);
    EXPECT_TRUE(hud.GetPeas().empty()) << "below two peas there are none";
    EXPECT_STREQ(hud.GetReadOut(HUD::kMoney).text.CStr(), "12") << "a text key takes a number's text";
    EXPECT_EQ(hud.GetReadOut(HUD::kMoney).fontSize, 16);
    EXPECT_EQ(hud.GetReadOut(HUD::kMoney).flags, 0);
    EXPECT_EQ(hud.GetIconNames(), (std::vector<TString>{"hud:images/a", "hud:images/b"}));
    EXPECT_EQ(hud.GetIconPoints(), (std::vector<TPoint>{TPoint(1, 2), TPoint(0, 0)}));
    const std::vector<std::pair<int32_t, int32_t>> offers{{10, 100}, {20, 0}, {0, 0}, {2, -3}};
    EXPECT_EQ(hud.GetManaOffers(), offers);
    EXPECT_EQ(hud.GetButtons().size(), 4u) << "one shop button per offer";
}

TEST_F(HudLayoutTest, TheInfoWindowLabelsInTheirOrder)
{
    PutStrings({{"L_buy", "Buy"}, {"L_accept", "Accept"}, {"L_no_good", "No goods"}, {"L_ad", "Accepted"}});
    PutLayout("gInfoWindow = { buy = 'L_buy', accept = 'L_accept', accepr_disc = 'L_ad', no_good = 'L_no_good',"
              " color_1_2 = { 0.5 }, color_4 = { 1, 1, 1, 1 } }\n");
    HUD& hud = Start(1);
    const auto& texts = hud.GetLayoutTexts();
    ASSERT_EQ(texts.size(), 34u);
    EXPECT_STREQ(texts[16].CStr(), "Buy");
    EXPECT_STREQ(texts[18].CStr(), "Accept");
    EXPECT_STREQ(texts[28].CStr(), "Accepted");
    EXPECT_STREQ(texts[33].CStr(), "No goods");
    // The colour reader fills missing entries from the default.
    ExpectColour(hud.GetButtonInfo().colors[1], 0.5f, 0, 0, 0, "color_1_2");
    ExpectColour(hud.GetButtonInfo().colors[4], 1, 1, 1, 1, "color_4");
}

}  // namespace
