// The HUD button: its states under hover, press and release (as a table),
// disabled presses with and without a hint, progress re-enabling it and
// staying inside its picture, and the cost row's amounts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "game/app/MySprite.h"
#include "game/hud/HudButton.h"
#include "game/hud/support/HudFixture.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class HudButtonTest : public HudFixture
{
protected:
    HudButtonTest()
    {
        for (const char* name : {"b_normal", "b_select", "b_down", "b_disable"})
            PutPicture(std::string("images/") + name, 80, 60, TRect(0, 0, 80, 60));
        PutPicture("images/icon", 40, 40, TRect(0, 0, 40, 40));
        PutPicture("images/icon_d", 40, 40, TRect(0, 0, 40, 40));
        PutPicture("images/bar", 80, 50, TRect(0, 0, 80, 50));
        PutPicture("images/coin", 16, 16, TRect(0, 0, 16, 16));
        loaded_ = LoadPictures();
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }

    std::unique_ptr<HudButton> Make()
    {
        auto b = std::make_unique<HudButton>();
        b->SetStateImages({"hud:images/b_normal", "hud:images/b_select", "hud:images/b_down", "hud:images/b_disable"});
        b->SetIconImages({"hud:images/icon", "hud:images/icon", "hud:images/icon", "hud:images/icon_d"});
        b->SetPosition(100, 500);
        b->SetCallback([this] { ++fired_; });
        b->SetPressSound("game_logic_audio:audio/sound/game_logic/hud_buy_normal");
        b->SetSoundSink([this](const TString& name) { played_.push_back(name.CStr()); });
        b->SetHintSink([this](int32_t id) { hints_.push_back(id); });
        return b;
    }

    bool loaded_ = false;
    int fired_ = 0;
    std::vector<std::string> played_;
    std::vector<int32_t> hints_;
};

// On the button: (110, 510); off it: (300, 300).
constexpr int32_t kOnX = 110, kOnY = 510, kOffX = 300, kOffY = 300;

TEST_F(HudButtonTest, StatesUnderTheMouse)
{
    enum Op
    {
        HoverOn,
        HoverOff,
        PressOn,
        PressOff,
        ReleaseOn,
        ReleaseOff
    };
    struct Case
    {
        const char* what;
        int32_t start;
        int32_t hint;
        Op op;
        bool result;
        int32_t state;
        int fired;
        size_t sounds;
        size_t hints;
    };
    const Case cases[] = {
        {"hover lights a normal button", 0, -1, HoverOn, true, 1, 0, 0, 0},
        {"hover leaves a pressed button down", 2, -1, HoverOn, true, 2, 0, 0, 0},
        {"leaving puts a lit button back", 1, -1, HoverOff, false, 0, 0, 0, 0},
        {"leaving puts a pressed button back", 2, -1, HoverOff, false, 0, 0, 0, 0},
        {"a disabled button stays disabled under the mouse", 3, -1, HoverOn, true, 3, 0, 0, 0},
        {"a disabled button stays disabled off it", 3, -1, HoverOff, false, 3, 0, 0, 0},
        {"a press goes down and sounds", 1, -1, PressOn, true, 2, 0, 1, 0},
        {"a press beside it is not taken", 1, -1, PressOff, false, 1, 0, 0, 0},
        {"a disabled press is taken silently", 3, -1, PressOn, true, 3, 0, 0, 0},
        {"a disabled press with a hint asks for it", 3, 14, PressOn, true, 3, 0, 0, 1},
        {"a release on a normal button fires nothing", 0, -1, ReleaseOn, true, 0, 0, 0, 0},
        {"a release on a lit button fires", 1, -1, ReleaseOn, true, 1, 1, 0, 0},
        {"a release on a pressed button fires", 2, -1, ReleaseOn, true, 1, 1, 0, 0},
        {"a release on a disabled button fires nothing", 3, -1, ReleaseOn, true, 3, 0, 0, 0},
        {"a release beside it is not taken", 2, -1, ReleaseOff, false, 2, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        fired_ = 0;
        played_.clear();
        hints_.clear();
        auto b = Make();
        if (c.start == 3)
            b->SetEnabled(false, c.hint);
        else
            b->SetState(c.start);
        bool result = false;
        switch (c.op)
        {
            case HoverOn: result = b->UpdateHover(kOnX, kOnY); break;
            case HoverOff: result = b->UpdateHover(kOffX, kOffY); break;
            case PressOn: result = b->OnPress(kOnX, kOnY); break;
            case PressOff: result = b->OnPress(kOffX, kOffY); break;
            case ReleaseOn: result = b->OnRelease(kOnX, kOnY); break;
            case ReleaseOff: result = b->OnRelease(kOffX, kOffY); break;
        }
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(b->GetState(), c.state) << c.what;
        EXPECT_EQ(fired_, c.fired) << c.what;
        EXPECT_EQ(played_.size(), c.sounds) << c.what;
        EXPECT_EQ(hints_.size(), c.hints) << c.what;
        if (!hints_.empty())
        {
            EXPECT_EQ(hints_[0], c.hint) << c.what;
        }
    }
}

TEST_F(HudButtonTest, TheFramePictureFollowsTheState)
{
    auto b = Make();
    const TTextureRef normal = b->Frame().GetTexture();
    b->SetState(HudButton::kSelect);
    EXPECT_NE(b->Frame().GetTexture(), normal);
    b->SetEnabled(false, 3);
    EXPECT_EQ(b->GetHintId(), 3);
    b->SetEnabled(true, -1);
    EXPECT_EQ(b->GetState(), HudButton::kNormal);
    EXPECT_EQ(b->Frame().GetTexture(), normal);
}

TEST_F(HudButtonTest, ProgressZeroReEnablesAndTheBarStaysInsideItsPicture)
{
    auto b = Make();
    b->SetProgressImage("hud:images/bar");
    b->SetEnabled(false, 5);
    b->SetProgress(0.0f);
    EXPECT_EQ(b->GetState(), HudButton::kNormal) << "progress 0 enables the button";
    EXPECT_FALSE(b->IsProgressOn());

    struct Row
    {
        float fraction;
        int32_t top;
        bool on;
    };
    // Picture 50 high: the bar shows the rows from 50 - 50 f down.
    for (const Row& r : {Row{0.5f, 25, true}, Row{1.0f, 0, true}, Row{1.5f, 0, true}, Row{0.1f, 45, true},
                         Row{-0.5f, 50, false}})
    {
        b->SetProgress(r.fraction);
        const TRect& src = b->ProgressBar().GetSourceRect();
        EXPECT_EQ(src.top, r.top) << r.fraction;
        EXPECT_GE(src.top, 0) << r.fraction;
        EXPECT_LE(src.top + (src.bottom - src.top), 50) << r.fraction;
        EXPECT_EQ(b->ProgressBar().GetPosition().y, static_cast<float>(500 + 5 + r.top)) << r.fraction;
        EXPECT_EQ(b->IsProgressOn(), r.on) << r.fraction;
    }
    // Disabled while a progress runs: the hint stays as it was.
    b->SetProgress(0.5f);
    b->SetEnabled(false, 9);
    EXPECT_EQ(b->GetState(), HudButton::kDisabled);
    EXPECT_EQ(b->GetHintId(), 5);
}

TEST_F(HudButtonTest, CostAmountsWithAndWithoutTilde)
{
    auto b = Make();
    b->SetCosts({{"hud:images/coin", "~1500"}, {"hud:images/coin", "250"}, {"hud:images/coin", "~7"}});
    ASSERT_EQ(b->GetCostCount(), 3);
    EXPECT_EQ(b->GetCostAmount(0), 1500);
    EXPECT_STREQ(b->GetCostText(0).CStr(), "~1,500");
    EXPECT_EQ(b->GetCostAmount(1), 250);
    EXPECT_STREQ(b->GetCostText(1).CStr(), "250");
    EXPECT_STREQ(b->GetCostText(2).CStr(), "~7");
    // The row runs left to right without overlaps.
    EXPECT_LT(b->GetCostRect(0).right, b->GetCostRect(1).left);
    EXPECT_LT(b->GetCostRect(1).right, b->GetCostRect(2).left);

    // A new amount drops the tilde; the row is laid out again.
    b->SetCostAmount(0, 20000);
    EXPECT_EQ(b->GetCostAmount(0), 20000);
    EXPECT_STREQ(b->GetCostText(0).CStr(), "20,000");
    EXPECT_LT(b->GetCostRect(0).right, b->GetCostRect(1).left);

    // Outside the row: nothing, and 0.
    for (int32_t i : {-1, 3, 100})
    {
        b->SetCostAmount(i, 5);
        b->SetCostColour(i, false);
        EXPECT_EQ(b->GetCostAmount(i), 0) << i;
    }
    EXPECT_EQ(b->GetCostCount(), 3);
    b->ClearCosts();
    EXPECT_EQ(b->GetCostCount(), 0);
    EXPECT_EQ(b->GetCostAmount(0), 0);
}

TEST_F(HudButtonTest, ACallbackMayDeleteItsButton)
{
    auto b = Make();
    b->SetCallback([&b] { b.reset(); });
    b->SetState(HudButton::kSelect);
    EXPECT_TRUE(b->OnRelease(kOnX, kOnY));
    EXPECT_EQ(b, nullptr);
}

}  // namespace
