// The HUD drawn at a fixed clock on the recording device: what is drawn, in
// which order, and where the tab strip, the clock and the buttons land.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "game/app/MySprite.h"
#include "game/hud/support/HudScene.h"
#include "graphics/Texture.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class HudDrawTest : public HudFixture
{
protected:
    HudDrawTest() : HudFixture(true)
    {
        hudscene::PutPictures(*this);
        PutLayout(hudscene::Layout());
        loaded_ = LoadPictures();
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }

    void Name(const TMySprite* sprite, const std::string& name)
    {
        if (sprite != nullptr && sprite->GetTexture()) names_[sprite->GetTexture()->GetDxData()->GetSurface()] = name;
    }
    // The named pictures drawn, in order, a run of one picture written once.
    std::string Drawn() const
    {
        std::string out;
        std::string last;
        for (const auto& d : scene_->device.draws)
        {
            auto it = names_.find(d.texture);
            if (it == names_.end() || it->second == last) continue;
            last = it->second;
            out += (out.empty() ? "" : " ") + last;
        }
        return out;
    }
    // The first draw of the named picture: the left-top of its vertices.
    TFloatPoint Where(const std::string& name) const
    {
        for (const auto& d : scene_->device.draws)
        {
            auto it = names_.find(d.texture);
            if (it == names_.end() || it->second != name || d.vertices.empty()) continue;
            float x = d.vertices[0].x, y = d.vertices[0].y;
            for (const auto& v : d.vertices)
            {
                x = std::min(x, v.x);
                y = std::min(y, v.y);
            }
            return {x, y};
        }
        return {-1.0f, -1.0f};
    }

    bool loaded_ = false;
    std::map<const GfxTexture*, std::string> names_;
};

TEST_F(HudDrawTest, BackToFrontInTheFixedOrder)
{
    HUD& hud = Start(1);
    hud.StartClock(2, 0);
    Advance(1000);
    hud.Update();
    Name(hud.GetPanel(), "panel");
    Name(&hud.GetPlate(0), "plate_lev");
    Name(&hud.GetPlate(1), "plate_prv");
    Name(&hud.GetProfitBar(0), "profit_2");
    Name(&hud.GetProfitBar(1), "profit_1");
    Name(hud.GetBackdrops()[0].get(), "money_icon");
    Name(hud.GetBackdrops()[1].get(), "goods_icon");
    Name(hud.GetClockFace(), "face");
    Name(hud.GetPeas()[0].get(), "pea");
    Name(hud.GetExpertHand(), "expert_hand");
    Name(hud.GetHand(), "hand");
    for (uint32_t i = 0; i < HUD::kTabCount; ++i) Name(hud.GetTabSprite(i), "tab" + std::to_string(i));
    Name(&hud.GetMenuButton().Frame(), "menu");
    Name(&hud.GetHelpButton().Frame(), "help");
    Name(&hud.GetButtons()[0]->Frame(), "button");
    Name(&hud.GetButtons()[0]->Icon(), "mana_icon");
    Name(&hud.GetButtons()[1]->Icon(), "mana_icon");
    Name(&hud.GetButtons()[2]->Icon(), "mana_icon");

    scene_->Frame([&] { hud.Draw(); });
    EXPECT_EQ(Drawn(),
              "panel goods_icon plate_lev plate_prv profit_1 profit_2 money_icon face pea expert_hand hand "
              "tab5 tab4 tab3 tab2 tab1 tab0 menu help button mana_icon button mana_icon button mana_icon");

    // The strip's tabs are placed by their centre: (400, 500) less the raise
    // for the open one.
    EXPECT_FLOAT_EQ(Where("tab1").x, 0.0f);
    EXPECT_FLOAT_EQ(Where("tab1").y, 470.0f);
    EXPECT_FLOAT_EQ(Where("tab0").y, 464.0f);
    EXPECT_FLOAT_EQ(Where("face").x, 700.0f);
    EXPECT_FLOAT_EQ(Where("face").y, 160.0f);
    EXPECT_FLOAT_EQ(Where("button").x, 210.0f);
    EXPECT_FLOAT_EQ(Where("button").y, 532.0f);
    EXPECT_FLOAT_EQ(Where("menu").x, 700.0f);
}

TEST_F(HudDrawTest, TheDialOnlyWhileTheClockRunsAndTheOpenTabOnTop)
{
    HUD& hud = Start(1);
    hud.SelectTab(6, false);
    Name(hud.GetClockFace(), "face");
    for (uint32_t i = 0; i < HUD::kTabCount; ++i) Name(hud.GetTabSprite(i), "tab" + std::to_string(i));
    scene_->Frame([&] { hud.Draw(); });
    EXPECT_EQ(Drawn(), "tab5 tab4 tab3 tab2 tab1 tab0 tab6") << "no clock started; the open panel tab last";
}

}  // namespace
