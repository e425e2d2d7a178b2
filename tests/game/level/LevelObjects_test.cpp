// Slots (purchase, progress bar, effect actions, crossfade), the slot
// footprint in the walk grid, and the map elements' snow fade.
#include "game/level/LevelObjects.h"

#include <gtest/gtest.h>

#include "core/support/FakeClock.h"
#include "game/level/support/FakeLevel.h"

namespace
{

class SlotTest : public ::testing::Test
{
protected:
    SlotTest()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        level_ = std::make_unique<FakeLevel>();
    }
    ~SlotTest() override
    {
        level_.reset();
        SetClockTimeSource(nullptr);
    }
    std::unique_ptr<SSlot> Make(int32_t x = 105, int32_t y = 57)
    {
        return std::make_unique<SSlot>(*level_, 3, x, y, common_);
    }

    SGameObjectCommon common_;
    std::unique_ptr<FakeLevel> level_;
};

TEST_F(SlotTest, SnapsToItsCellAndDrawsAboveIt)
{
    auto slot = Make(105, 57);
    EXPECT_EQ(slot->x, 100);
    EXPECT_EQ(slot->y, 50);
    EXPECT_EQ(slot->depth, 150);
    EXPECT_EQ(slot->elementTag, 1);
    EXPECT_STREQ(slot->baseName.CStr(), "location_0:images/game_logic/location_0/slots/slot");
    EXPECT_STREQ(slot->slotName.CStr(), "location_0:images/game_logic/location_0/slots/slot_fon");
    EXPECT_FALSE(slot->particle) << "only location 4 has the particle";
    level_->locationNumber = 4;
    auto four = Make();
    EXPECT_TRUE(four->particle);
}

TEST_F(SlotTest, APurchaseEndsOnTheFirstUpdateAfterItsTime)
{
    auto slot = Make();
    slot->workerCost = 2;
    slot->forSale = true;
    std::vector<int32_t> bought;
    slot->onBought = [&](int32_t id) { bought.push_back(id); };
    slot->StartPurchase();
    EXPECT_FALSE(slot->forSale);
    EXPECT_TRUE(slot->beingBought);
    EXPECT_TRUE(slot->barShown);
    ASSERT_EQ(level_->effects.size(), 1u);
    const SEffectRecord& effect = *level_->effects[0];
    EXPECT_STREQ(effect.script.CStr(), "scripts/game_logic/effects/effect_slot.lua");
    EXPECT_EQ(effect.effectTime, 6000);
    EXPECT_EQ(effect.workers, 2);
    EXPECT_EQ(effect.clock, &slot->purchaseClock);
    EXPECT_EQ(level_->CallsOf("sound "), std::vector<std::string>{"sound game_logic_audio:audio/sound/game_logic/slot_buy"});

    fake_clock::gNow = 6000;
    slot->Update();
    EXPECT_TRUE(slot->beingBought) << "6000 ms is not past the buy time";
    fake_clock::gNow = 6001;
    slot->Update();
    EXPECT_FALSE(slot->beingBought);
    EXPECT_TRUE(slot->free);
    EXPECT_FALSE(slot->barShown);
    EXPECT_EQ(bought, std::vector<int32_t>{3});
    slot->Update();
    EXPECT_EQ(bought.size(), 1u);
    EXPECT_EQ(level_->CallsOf("sound game_logic_audio:audio/sound/game_logic/slot_buy_finish").size(), 1u);
    EXPECT_GE(effect.updates, 2);
}

TEST_F(SlotTest, APurchaseWithoutATimeEndsAtOnce)
{
    auto slot = Make();
    slot->buyTime = 0;
    fake_clock::gNow = 5;
    slot->StartPurchase();
    fake_clock::gNow = 6;
    slot->Update();
    EXPECT_TRUE(slot->free);
}

TEST_F(SlotTest, ProgressBarAlpha)
{
    auto slot = Make();
    struct Case
    {
        float fraction, alpha;
    };
    const Case cases[] = {{0.05f, 0.5f}, {0.5f, 1.0f}, {0.95f, 0.5f}, {0.0f, 0.0f}, {1.0f, 0.0f},
                          {-0.5f, 0.0f}, {1.5f, 0.0f}, {0.1f, 1.0f},  {0.9f, 1.0f}};
    for (const Case& c : cases)
    {
        slot->SetProgress(c.fraction);
        EXPECT_NEAR(slot->barBack->GetAlpha(), c.alpha, 1e-4) << c.fraction;
        EXPECT_NEAR(slot->barFront->GetAlpha(), c.alpha, 1e-4) << c.fraction;
    }
}

TEST_F(SlotTest, EffectActionsFadeThePicturesByTheLocationsRule)
{
    struct Case
    {
        int32_t location, kind;
        float value;
        float slotAlpha, baseAlpha;
    };
    const Case cases[] = {
        {0, 0, 0.25f, 0.25f, 0.25f}, {0, 1, 0.75f, 0.75f, 0.75f}, {1, 0, 0.25f, 1.0f, 0.25f},
        {4, 1, 0.5f, 1.0f, 0.5f},    {0, 2, 0.5f, 1.0f, 1.0f},    {0, 7, 0.5f, 1.0f, 1.0f},
    };
    for (const Case& c : cases)
    {
        level_->locationNumber = c.location;
        auto slot = Make();
        slot->OnEffectAction(c.kind, c.value);
        EXPECT_FLOAT_EQ(slot->slotPicture->GetAlpha(), c.slotAlpha) << c.location << "/" << c.kind;
        EXPECT_FLOAT_EQ(slot->basePicture->GetAlpha(), c.baseAlpha) << c.location << "/" << c.kind;
    }
}

TEST_F(SlotTest, CrossfadeOfASlotForSaleSwitchesItsPicture)
{
    auto slot = Make();
    slot->forSale = true;
    slot->forSaleName = "winter";
    slot->replacementName = "spring";
    slot->StartCrossfade(4);
    std::vector<float> alphas;
    for (int i = 0; i < 8; ++i)
    {
        slot->Update();
        alphas.push_back(slot->basePicture->GetAlpha());
    }
    const std::vector<float> expected{0.75f, 0.5f, 0.25f, 0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    EXPECT_EQ(alphas, expected);
    EXPECT_FALSE(slot->crossfade.running);
    EXPECT_STREQ(slot->forSaleName.CStr(), "spring");
}

TEST_F(SlotTest, CrossfadeOfAnOwnedSlotFadesItsSlotPicture)
{
    auto slot = Make();
    slot->StartCrossfade(2);
    slot->Update();
    EXPECT_FLOAT_EQ(slot->slotPicture->GetAlpha(), 0.5f);
    slot->Update();
    EXPECT_FLOAT_EQ(slot->slotPicture->GetAlpha(), 0.0f);
    EXPECT_FALSE(slot->crossfade.running);
}

TEST_F(SlotTest, ACrossfadeWithoutStepsEndsAtOnceAtItsFinalAlpha)
{
    auto owned = Make();
    owned->StartCrossfade(0);
    owned->Update();
    EXPECT_FALSE(owned->crossfade.running);
    EXPECT_FLOAT_EQ(owned->slotPicture->GetAlpha(), 0.0f);
    auto forSale = Make();
    forSale->forSale = true;
    forSale->replacementName = "spring";
    forSale->StartCrossfade(0);
    forSale->Update();
    EXPECT_FALSE(forSale->crossfade.running);
    EXPECT_FLOAT_EQ(forSale->basePicture->GetAlpha(), 1.0f);
    EXPECT_STREQ(forSale->forSaleName.CStr(), "spring");
}

TEST_F(SlotTest, OnlySlotsForSaleFreeOrBeingBoughtCanBeHit)
{
    // No picture is loaded, so nothing is ever hit; a covered slot is not
    // even asked.
    auto slot = Make();
    slot->covered = true;
    EXPECT_FALSE(slot->HitTest(slot->x, slot->y));
}

TEST(SlotFootprint, BlocksTheCellsTheRangesAllow)
{
    SGameObjectCommon common;
    common.passCnt = 2;  // i, k in 0..3
    common.sumMin = 1;
    common.sumMax = 5;  // 1 < i + k < 5
    common.subMin = -2;
    common.subMax = 2;  // -2 < i - k < 2
    WalkGrid grid;
    BlockSlotFootprint(grid, 10, 10, common);
    int blocked = 0;
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 60; ++r) blocked += grid.GetCell(c, r) == -1 ? 1 : 0;
    int expected = 0;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            if (1 < i + k && i + k < 5 && -2 < i - k && i - k < 2)
            {
                ++expected;
                EXPECT_EQ(grid.GetCell(10 - 2 + i, 10 - 2 + k), -1) << i << "," << k;
            }
    EXPECT_EQ(blocked, expected);
}

TEST(SlotFootprint, AHugePassCountStaysInsideTheGrid)
{
    SGameObjectCommon common;
    common.passCnt = 1000000;
    common.sumMin = -1;
    common.sumMax = 2147483647;
    common.subMin = -2147483647;
    common.subMax = 2147483647;
    WalkGrid grid;
    BlockSlotFootprint(grid, 0, 0, common);  // returns: only the grid's cells are visited
    EXPECT_EQ(grid.GetCell(0, 0), -1);
    EXPECT_EQ(grid.GetCell(39, 59), -1);
    common.passCnt = 2000000000;
    WalkGrid far;
    BlockSlotFootprint(far, 20, 30, common);
    EXPECT_EQ(far.GetCell(20, 30), 0) << "sums past the 32-bit range block nothing";
    common.passCnt = -3;
    WalkGrid untouched;
    BlockSlotFootprint(untouched, 5, 5, common);
    EXPECT_EQ(untouched.GetCell(5, 5), 0);
}

TEST(MapElement, SnowFadesOverItsSteps)
{
    SLandElem land("location_0:images/tree", 10, 40, 5, 5, 10);
    EXPECT_EQ(land.depth, 40);
    land.Update();
    EXPECT_FLOAT_EQ(land.OverlayAlpha(), 1.0f) << "nothing before the fade starts";
    land.StartFade();
    for (int i = 1; i <= 10; ++i)
    {
        land.Update();
        EXPECT_NEAR(land.OverlayAlpha(), 1.0f - i / 10.0f, 1e-5) << i;
    }
    EXPECT_TRUE(land.FadeDone());
    EXPECT_FALSE(land.fading);
    SGroundElem ground("g", 0, 0, 0, 0, 0);
    ground.StartFade();
    EXPECT_TRUE(ground.FadeDone()) << "a fade of 0 steps ends at once";
    EXPECT_FLOAT_EQ(ground.OverlayAlpha(), 0.0f);
}

}  // namespace
