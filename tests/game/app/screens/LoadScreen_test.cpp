// The loading screen: the two picture sets and their positions, the
// progress that its ticks show, the bar's soft edge faded on the screen's
// own copy, and the first loading screen as drawn.
#include "game/app/screens/LoadScreen.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/app/support/LoadingFixture.h"
#include "graphics/DrawContext.h"
#include "graphics/support/ImageDisplay.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

// Distinct positions for the two looks.
const char kLoadScript[] =
    "MakeDialog{ name = 'load', LoadScreen{ name = 'screen', w = 800, h = 600,"
    " first_load_x = 10, first_load_y = 20, first_up_x = 30, first_up_y = 40,"
    " load_x = 50, load_y = 60, up_x = 70, up_y = 80 } }\n";

const char kResources[] =
    "one = { 'img/p' }\n"
    "two = { 'img/p' }\n"
    "ten = { 'img/p', 'img/p', 'img/p', 'img/p', 'img/p', 'img/p', 'img/p', 'img/p', 'img/p',"
    " 'img/p' }\n"
    "empty = {}\n";

constexpr uint32_t kGold = 0xF2B33Du, kLeaf = 0x7CC35Au, kNight = 0x27345Cu;

std::vector<std::pair<std::string, std::string>> Pictures()
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* name :
         {"images/core/main_menu/fon_close.png", "images/core/loading/fon.png",
          "images/core/loading/first_load.png", "images/core/loading/load.png",
          "images/core/loading/first_up_layer.png", "images/core/loading/up_layer.png"})
        files.emplace_back(name, gameapptest::ReadSource(std::string("assets/") + name));
    files.emplace_back("img/p.png", imagefx::PngFromArgb(1, 1, {0xFFFFFFFFu}));
    return files;
}

class LoadScreenTest : public gameapptest::LoadingTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display_.Ready());
        SetUpLoading(kResources, Pictures());
    }

    // The loading screen of a request for groups.
    TLoadScreen* Open(const std::vector<TString>& groups)
    {
        Request(groups);
        return res_->GetLoadScreen();
    }
    static TFloatPoint Position(TMySprite* s)
    {
        const TAffineMatrix& m = s->GetDrawParams().matrix;
        return TFloatPoint(m.m2.x, m.m2.y);
    }
    // Pixel (x, y) of a texture as 0xAARRGGBB; 0 when it cannot be read.
    static uint32_t Texel(const TTextureRef& t, int x, int y)
    {
        const TLockedPixels px(t);
        return px ? px.Row(y)[x] : 0;
    }

    ImageDisplay display_{800, 600};
};

TEST_F(LoadScreenTest, TheFirstLoadingHasItsOwnLookAndPositions)
{
    assets_.Put("scripts/core/screen/load.lua", kLoadScript);
    struct Case
    {
        const char* group;
        int barX, barY, upX, upY;
        uint32_t barColour;
        bool first;
    } const cases[] = {
        {"one", 10, 20, 30, 40, kGold, true},
        {"two", 50, 60, 70, 80, kLeaf, false},
        {"one", 50, 60, 70, 80, kLeaf, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.group);
        EXPECT_EQ(res_->IsFirstLoad(), c.first);
        TLoadScreen* screen = Open({c.group});
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(wm->GetFocusWindow(), screen);
        EXPECT_NE(screen->GetFlags() & kWindowOpaque, 0u);

        TMySprite* bar = screen->GetBar();
        EXPECT_EQ(Position(bar).x, float(c.barX));
        EXPECT_EQ(Position(bar).y, float(c.barY));
        EXPECT_TRUE(bar->IsOriginEnabled());
        EXPECT_TRUE(bar->IsSourceRectEnabled());
        EXPECT_EQ(Texel(bar->GetTexture(), 5, 12) & 0xFFFFFFu, c.barColour);

        TMySprite* overlay = screen->GetOverlay();
        EXPECT_EQ(Position(overlay).x, float(c.upX));
        EXPECT_EQ(Position(overlay).y, float(c.upY));
        EXPECT_FALSE(overlay->IsOriginEnabled());  // centred on its point

        TMySprite* background = screen->GetBackground();
        EXPECT_TRUE(background->IsOriginEnabled());
        EXPECT_EQ(Position(background).x, 0.0f);
        int32_t w = 0, h = 0;
        background->GetSize(&w, &h);
        EXPECT_EQ(w, 800);
        LoadAll();
        EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    }
}

TEST_F(LoadScreenTest, TheBarIsFullOnceNinetyPercentAreIn)
{
    TLoadScreen* screen = Open({"ten"});
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetProgress(), 0.0f);
    EXPECT_EQ(screen->GetBar()->GetSourceRect().right, 0);
    for (int loaded = 1; loaded <= 9; ++loaded)
    {
        SCOPED_TRACE(loaded);
        Pass(10);
        const float want = std::min(1.0f, float(loaded) / (10 * 0.9f));
        EXPECT_FLOAT_EQ(screen->GetProgress(), want);
        EXPECT_EQ(screen->GetBar()->GetSourceRect().right, int(560.0f * want));
    }
    EXPECT_EQ(screen->GetProgress(), 1.0f);
    EXPECT_TRUE(res_->IsLoading());
    EXPECT_EQ(done_, 0);
    Pass(10);
    EXPECT_EQ(done_, 1);

    // Nothing queued: the one tick that ends the request shows the bar full.
    TLoadScreen* empty = Open({"empty"});
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(res_->GetTotalFiles(), 0);
    Pass(10);
    EXPECT_EQ(done_, 2);
    ASSERT_EQ(empty, TWindow::FromHandle(empty->GetScriptHandle()));  // deleted at the next event
    EXPECT_EQ(empty->GetProgress(), 1.0f);
    EXPECT_EQ(empty->GetBar()->GetSourceRect().right, 560);
}

TEST_F(LoadScreenTest, TheSoftEdgeIsFadedOnTheScreensOwnCopy)
{
    // A 200x3 bar whose first row is half transparent of its own.
    std::vector<uint32_t> px(600, 0xFF102030u);
    for (int x = 0; x < 200; ++x) px[size_t(x)] = 0x80102030u;
    assets_.Put("images/core/loading/first_load.png", imagefx::PngFromArgb(200, 3, px));
    TLoadScreen* screen = Open({"one"});
    ASSERT_NE(screen, nullptr);
    const TTextureRef copy = screen->GetBar()->GetTexture();
    const TTextureRef shared = TTexture::Get("images/core/loading/first_load", 0);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, shared);

    auto opaque = [](int k) { return uint32_t(TLoadScreen::EdgeAlpha(k)); };
    auto half = [](int k) { return uint32_t(0x80 * TLoadScreen::EdgeAlpha(k) / 255); };
    struct Column
    {
        int x;
        uint32_t alpha;      // rows 1 and 2
        uint32_t alphaTop;   // row 0
    };
    struct Case
    {
        float fraction;
        int width;
        std::vector<Column> columns;
    } const cases[] = {
        {0.5f, 100, {{0, 255, 0x80}, {19, 255, 0x80}, {20, 255, 0x80}, {89, 255, 0x80},
                     {90, opaque(10), half(10)}, {91, opaque(9), half(9)}, {99, opaque(1), half(1)},
                     {100, 255, 0x80}, {199, 255, 0x80}}},
        // A step wider than the edge leaves no faded columns behind.
        {0.9f, 180, {{91, 255, 0x80}, {99, 255, 0x80}, {170, 255, 0x80}, {171, opaque(9), half(9)},
                     {179, opaque(1), half(1)}}},
        // Narrower than the edge: softened over its whole width.
        {0.1f, 20, {{0, 255, 0x80}, {10, opaque(10), half(10)}, {19, opaque(1), half(1)}}},
        {0.0f, 0, {}},
        {1.0f, 200, {{0, 255, 0x80}, {199, opaque(1), half(1)}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fraction);
        screen->DrawProgress(c.fraction);
        EXPECT_EQ(screen->GetBar()->GetSourceRect(), TRect(0, 0, c.width, 3));
        for (const Column& col : c.columns)
        {
            SCOPED_TRACE(col.x);
            EXPECT_EQ(Texel(copy, col.x, 1) >> 24, col.alpha);
            EXPECT_EQ(Texel(copy, col.x, 2) >> 24, col.alpha);
            EXPECT_EQ(Texel(copy, col.x, 0) >> 24, col.alphaTop);
            EXPECT_EQ(Texel(copy, col.x, 1) & 0xFFFFFFu, 0x102030u);
        }
        // The picture every other user shares keeps its own alpha.
        for (int x = 0; x < 200; ++x)
        {
            ASSERT_EQ(Texel(shared, x, 0), 0x80102030u) << x;
            ASSERT_EQ(Texel(shared, x, 1), 0xFF102030u) << x;
        }
    }
    // A device that lost the copy's pixels: the next step draws them again.
    manager_.ReleaseAll();
    manager_.RestoreAll();
    ASSERT_EQ(Texel(copy, 10, 1), 0u);
    screen->DrawProgress(0.5f);
    EXPECT_EQ(Texel(copy, 10, 1), 0xFF102030u);
    EXPECT_EQ(Texel(copy, 99, 0) >> 24, half(1));

    // The edge's alphas from the last visible column inwards.
    const int want[] = {25, 51, 76, 102, 127, 153, 178, 204, 229, 255, 255};
    for (int k = 1; k <= 11; ++k) EXPECT_EQ(TLoadScreen::EdgeAlpha(k), want[k - 1]) << k;
}

TEST_F(LoadScreenTest, TheFirstLoadingScreenAsDrawn)
{
    TLoadScreen* screen = Open({"one"});
    ASSERT_NE(screen, nullptr);
    auto frame = [&] {
        display_.Clear();
        ASSERT_TRUE(display_.dc->BeginDraw(false));
        screen->Draw();
        display_.dc->EndDraw(false);
    };
    // In the bar's track inside the frame's window (bar at (120, 546)).
    const int barX = 120 + 100, barY = 546 + 12;
    frame();
    EXPECT_TRUE(RgbNear(display_.Pixel(400, 40), kNight));
    const uint32_t empty = display_.Pixel(barX, barY);
    EXPECT_FALSE(RgbNear(empty, kGold, 40));

    screen->DrawProgress(0.5f);
    frame();
    EXPECT_TRUE(RgbNear(display_.Pixel(barX, barY), kGold));
    // Past the loaded part the track shows as before.
    EXPECT_TRUE(RgbNear(display_.Pixel(120 + 400, barY), empty));
    // The soft edge: the last loaded column is mostly what lies behind it.
    EXPECT_FALSE(RgbNear(display_.Pixel(120 + 279, barY), kGold, 40));
}

// At exit TRes goes before the windows: a loading screen deleted after it
// must not make a new one.
TEST_F(LoadScreenTest, AScreenOutlivingTResDoesNotBringItBack)
{
    ASSERT_NE(Open({"one"}), nullptr);
    DestroySingletons();
    wm->PopModal("load");
    Pass(0);  // deletes the popped modal with its loading screen
    EXPECT_EQ(TRes::GetIfMade(), nullptr);
}

}  // namespace
