// The HUD built from a small scene: the level number, the dial, the tab strip
// with tab 0 raised and its buttons; opening tabs; and the mouse: the strip's
// rows, hovering, the tutorial's refusal, the little window's items and the
// menu button.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "game/app/MySprite.h"
#include "game/hud/support/HudScene.h"
#include "game/level/support/FakeLevel.h"
#include "graphics/TextGraphic.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

const char* const kOpenTabSound = "game_logic_audio:audio/sound/game_logic/hud_open_tab";

class HudCoreTest : public HudFixture
{
protected:
    HudCoreTest()
    {
        hudscene::PutPictures(*this);
        PutLayout(hudscene::Layout());
        PutStrings({{"lvl", "Level %%d"}});
        loaded_ = LoadPictures();
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }

    bool loaded_ = false;
};

TEST_F(HudCoreTest, TheLevelNumberRunsInRoundsPastFifty)
{
    struct Case
    {
        int32_t level;
        const char* shown;
    };
    for (const Case& c : {Case{1, "Level 1"}, Case{50, "Level 50"}, Case{51, "Level 1"}, Case{55, "Level 5"},
                          Case{56, "Level 1"}, Case{60, "Level 5"}})
    {
        HUD& hud = Start(c.level);
        ASSERT_NE(hud.GetReadOut(HUD::kLevel).graphic, nullptr);
        EXPECT_STREQ(hud.GetReadOut(HUD::kLevel).graphic->GetText().CStr(), c.shown) << c.level;
    }
}

TEST_F(HudCoreTest, BuildingLeavesTheManaShopOpenAndRaised)
{
    HUD& hud = Start(1);
    EXPECT_EQ(hud.GetOpenTab(), 0u);
    EXPECT_EQ(hud.GetCurrentTab(), 0);
    for (uint32_t i = 0; i < HUD::kTabCount; ++i)
    {
        ASSERT_NE(hud.GetTabSprite(i), nullptr) << i;
        EXPECT_TRUE(hud.GetTabSprite(i)->GetTexture()) << "tab " << i << " loaded";
        EXPECT_FLOAT_EQ(hud.GetTabSprite(i)->GetPosition().y, i == 0 ? 494.0f : 500.0f) << i;
    }
    EXPECT_EQ(hud.GetTabSprite(HUD::kTabCount), nullptr);
    // Its label rose with it and grew by two.
    const HudText& label = *hud.GetTabTexts()[0];
    EXPECT_EQ(label.rect.top, 485 - 6);
    EXPECT_EQ(label.graphic->GetFontSize(), 16);
    EXPECT_EQ(hud.GetTabTexts()[1]->rect.top, 485);
    // Three offers, three buttons centred on 400.
    ASSERT_EQ(hud.GetButtons().size(), 3u);
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(hud.GetButtons()[i]->GetPosition(), TPoint(255 + 100 * static_cast<int32_t>(i), 562)) << i;
        EXPECT_EQ(hud.GetButtons()[i]->GetId(), static_cast<int32_t>(i));
        EXPECT_EQ(hud.GetButtons()[i]->GetCostCount(), 1);
    }
    EXPECT_STREQ(hud.GetButtons()[1]->GetCostText(0).CStr(), "2,000");
    // The dial: eight peas a quarter turn apart, the first at an eighth.
    ASSERT_EQ(hud.GetPeas().size(), 8u);
    EXPECT_FLOAT_EQ(hud.PeaStep(), std::numbers::pi_v<float> / 4.0f);
    EXPECT_FLOAT_EQ(hud.GetPeas()[0]->GetRotation(), std::numbers::pi_v<float> / 8.0f);
    EXPECT_FLOAT_EQ(hud.GetPeas()[7]->GetPosition().x, 740.0f);
    // Plates shown below level 99; the panel at its place.
    EXPECT_TRUE(hud.GetPlate(0).visible);
    EXPECT_FLOAT_EQ(hud.GetPanel()->GetPosition().y, 540.0f);
    EXPECT_EQ(hud.GetBackdrops().size(), 2u);
    EXPECT_EQ(hud.GetIndicators().size(), 3u);
}

TEST_F(HudCoreTest, ADialWithNoPeas)
{
    PutLayout("gClock = { pea_cnt = 0 }\n");
    HUD& hud = Start(1);
    EXPECT_TRUE(hud.GetPeas().empty());
    hud.StartClock(1, 0);
    hud.SetExpertTime(0, 30);
    Advance(20000);
    hud.StepClock();
    hud.UpdateClock();
    EXPECT_TRUE(hud.IsClockRunning());
}

TEST_F(HudCoreTest, OpeningTabs)
{
    HUD& hud = Start(1);
    hud.SelectTab(2, false);
    EXPECT_EQ(hud.GetOpenTab(), 2u);
    EXPECT_FLOAT_EQ(hud.GetTabSprite(0)->GetPosition().y, 500.0f) << "the old tab went back";
    EXPECT_EQ(hud.GetTabTexts()[0]->rect.top, 485);
    EXPECT_EQ(hud.GetTabTexts()[0]->graphic->GetFontSize(), 14);
    EXPECT_FLOAT_EQ(hud.GetTabSprite(2)->GetPosition().y, 494.0f);
    EXPECT_EQ(hud.GetTabTexts()[2]->rect.top, 479);
    EXPECT_TRUE(hud.GetButtons().empty());

    // Unknown tabs do nothing.
    for (int32_t tab : {9, 12, -1})
    {
        hud.SelectTab(tab, true);
        EXPECT_EQ(hud.GetOpenTab(), 2u) << tab;
    }
    // The open tab again: nothing unless forced.
    hud.SelectTab(1, false);
    ASSERT_EQ(hud.GetButtons().size(), 1u);
    HudButton* before = hud.GetButtons()[0].get();
    hud.SelectTab(1, false);
    EXPECT_EQ(hud.GetButtons()[0].get(), before);
    EXPECT_FLOAT_EQ(hud.GetTabSprite(1)->GetPosition().y, 494.0f);
    hud.SelectTab(1, true);
    EXPECT_EQ(hud.GetButtons().size(), 1u);
    EXPECT_FLOAT_EQ(hud.GetTabSprite(1)->GetPosition().y, 494.0f) << "forced: placed again, not raised twice";
    EXPECT_EQ(hud.GetTabTexts()[1]->rect.top, 479);
    // A panel tab has no label to move.
    hud.SelectTab(6, false);
    EXPECT_EQ(hud.GetCurrentTab(), 6);
    EXPECT_FLOAT_EQ(hud.GetTabSprite(6)->GetPosition().y, 494.0f);
    EXPECT_EQ(hud.GetTabTexts()[1]->rect.top, 485);
}

TEST_F(HudCoreTest, LeavingTheServicesTabDropsTheSelectedStall)
{
    HUD& hud = Start(1);
    level_->AddGameObject(std::make_unique<FakeStall>(40, kStallTrade), -1, false);
    level_->SelectGameObject(0);
    EXPECT_EQ(hud.GetCurrentTab(), 5) << "selecting a stall opens its services";
    EXPECT_EQ(level_->GetSelectedStallId(), 40);
    hud.SelectTab(5, true);
    EXPECT_EQ(level_->GetSelectedStallId(), 40) << "staying on tab 5 keeps it";
    hud.SelectTab(6, false);
    EXPECT_EQ(level_->GetSelectedStallId(), -1);
    EXPECT_EQ(hud.GetCurrentTab(), 6);
}

TEST_F(HudCoreTest, ABuildTabKeepsAPlotWhoseLandIsBought)
{
    struct Case
    {
        bool forSale;
        int32_t x;
        int32_t selected;
    };
    // Tab 2 at x 250, tab 1 at x 150.
    for (const Case& c : {Case{false, 250, 0}, Case{true, 250, -1}, Case{false, 150, -1}})
    {
        HUD& hud = Start(1);
        SSlot* slot = level_->AddSlot(200, 200, 5, 2);
        slot->forSale = c.forSale;
        slot->free = !c.forSale;
        level_->SelectSlot(0);
        ASSERT_EQ(level_->GetSelectedSlot(), 0);
        EXPECT_TRUE(hud.OnMouseDown(c.x, 500));
        EXPECT_EQ(level_->GetSelectedSlot(), c.selected) << c.forSale << " " << c.x;
    }
}

TEST_F(HudCoreTest, TheTabStripTakesPressesStrictlyBetweenItsRows)
{
    struct Case
    {
        int32_t x, y;
        bool taken;
        int32_t tab;
    };
    for (const Case& c : {Case{150, 483, false, 0}, Case{150, 484, true, 1}, Case{150, 524, true, 1},
                          Case{150, 525, false, 0}, Case{350, 500, true, 3}, Case{195, 500, false, 0},
                          Case{650, 500, true, 5}, Case{750, 500, false, 0}})
    {
        sounds_.clear();
        HUD& hud = Start(1);
        EXPECT_EQ(hud.OnMouseDown(c.x, c.y), c.taken) << c.x << "," << c.y;
        EXPECT_EQ(hud.GetCurrentTab(), c.tab) << c.x << "," << c.y;
        EXPECT_EQ(Sounds(kOpenTabSound), c.taken ? 1u : 0u) << c.x << "," << c.y;
    }
}

TEST_F(HudCoreTest, ATutorialThatRefusesKeepsThePress)
{
    HUD& hud = Start(1);
    helper_.tutorial = true;
    helper_.allows = false;
    EXPECT_FALSE(hud.OnMouseDown(150, 500));
    EXPECT_EQ(hud.GetCurrentTab(), 0);
    helper_.allows = true;
    EXPECT_TRUE(hud.OnMouseDown(150, 500));
    EXPECT_EQ(hud.GetCurrentTab(), 1);
}

TEST_F(HudCoreTest, HoveringAButtonIsNeverTakenAndArmsItsInfo)
{
    HUD& hud = Start(1);
    EXPECT_FALSE(hud.OnMouseMove(360, 560));
    EXPECT_EQ(hud.GetButtons()[1]->GetState(), HudButton::kSelect);
    EXPECT_TRUE(hud.GetButtonInfo().pending);
    EXPECT_EQ(hud.GetButtonInfo().shownId, 1);
    EXPECT_FALSE(hud.OnMouseMove(10, 10));
    EXPECT_EQ(hud.GetButtons()[1]->GetState(), HudButton::kNormal);
    EXPECT_FALSE(hud.GetButtonInfo().IsShown()) << "no button hovered: the window is cleared";
    // A press on a button is taken, and its release too.
    EXPECT_TRUE(hud.OnMouseDown(460, 560));
    EXPECT_EQ(hud.GetButtons()[2]->GetState(), HudButton::kDown);
    EXPECT_TRUE(hud.OnMouseUp(460, 560));
    EXPECT_FALSE(hud.OnMouseUp(10, 300));
}

TEST_F(HudCoreTest, LittleWindowItemsOpenTheirTab)
{
    struct Case
    {
        int32_t x, y;
        bool taken;
        int32_t tab;
    };
    // Item 0 opens tab 4 over (10, 10)..(110, 40), right and bottom excluded;
    // item 1 names no tab.
    for (const Case& c : {Case{10, 10, true, 4}, Case{109, 39, true, 4}, Case{110, 20, false, 0},
                          Case{50, 40, false, 0}, Case{50, 60, false, 0}})
    {
        sounds_.clear();
        HUD& hud = Start(1);
        EXPECT_EQ(hud.OnMouseDown(c.x, c.y), c.taken) << c.x << "," << c.y;
        EXPECT_EQ(hud.GetCurrentTab(), c.tab) << c.x << "," << c.y;
        EXPECT_EQ(Sounds(kOpenTabSound), c.taken ? 1u : 0u);
    }
}

TEST_F(HudCoreTest, TheMenuAndHelpButtonsCallWhatTheLevelScreenBound)
{
    HUD& hud = Start(1);
    int menus = 0;
    EXPECT_TRUE(hud.OnMouseDown(710, 30)) << "an unbound menu button still takes the press";
    EXPECT_TRUE(hud.OnMouseUp(710, 30));
    level_->onOpenMenu = [&] { ++menus; };
    int helps = 0;
    level_->onOpenHelp = [&] { ++helps; };
    hud.UpdateButtonHover(710, 100);
    EXPECT_EQ(hud.GetHelpButton().GetState(), HudButton::kSelect);
    EXPECT_TRUE(hud.OnMouseUp(710, 100)) << "released hovered: fires";
    EXPECT_EQ(helps, 1);
    EXPECT_TRUE(hud.OnMouseDown(710, 30));
    EXPECT_TRUE(hud.OnMouseUp(710, 30));
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(helps, 1);
}

TEST_F(HudCoreTest, TheLevelDrivesItsHudThroughTheSeam)
{
    HUD& hud = Start(1);
    hud.StartClock(1, 0);
    for (int i = 0; i < 3; ++i)
    {
        Advance(16);
        level_->Update();
    }
    EXPECT_EQ(hud.GetTimeLeft(), 60000 - 48);
    // The level's own press routing reaches the strip.
    EXPECT_TRUE(level_->OnMouseDown(250, 500));
    EXPECT_EQ(hud.GetCurrentTab(), 2);
    level_->SelectTab(0, false);
    EXPECT_EQ(hud.GetCurrentTab(), 0);
}

}  // namespace
