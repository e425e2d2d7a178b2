// The cursor trail in whole frames of the window manager: a game screen and
// the dialog windows over it or inside it each ask for the trail from their
// overlays, and the frame draws it once, after everything else, on the
// whole display.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/FileTestSupport.h"
#include "game/app/MyCursor.h"
#include "game/app/MyParticleEmitter.h"
#include "game/app/ScreenStack.h"
#include "game/app/screens/support/ScreenTest.h"
#include "graphics/Texture.h"
#include "ui/WindowManager.h"

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr const char* kPanel = "images/core/dialog/panel";

class CursorTrailTest : public screenstest::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        SetParticleRandomSeed(0);
        const std::filesystem::path shipped = std::filesystem::path(ORVELLE_SOURCE_DIR) / "assets";
        for (const std::string& rel :
             {std::string("images/core/particle/mouse_move.psi"),
              std::string("images/core/particle/mouse_move.png"), std::string(kPanel) + ".png"})
            assets.Put(rel, filetest::ReadAll(shipped / rel));
        cursor = TMyCursor::GetInstance();
        ASSERT_NE(cursor, nullptr);
        const TTextureRef& trail = cursor->GetTrail().GetEmitter().GetTexture();
        ASSERT_TRUE(trail);
        trailSurface = trail->GetDxData()->GetSurface();
    }

    // Time passes, the timers tick and the window manager draws its modal
    // stack in a frame.
    void Frame()
    {
        Tick(20);
        scene.Frame([this] { wm->DrawModalStack(kDrawNormal); });
    }
    size_t TrailDraws() const
    {
        size_t n = 0;
        for (const auto& d : scene.device.draws) n += d.texture == trailSurface ? 1 : 0;
        return n;
    }
    // Whether every trail draw of the frame is on the whole display, where
    // the pointer's position is, whatever the window that draws it.
    bool TrailOnDisplay() const
    {
        for (const auto& d : scene.device.draws)
        {
            const GfxViewport& v = d.viewport;
            if (d.texture == trailSurface &&
                (v.x != 0 || v.y != 0 || v.width != 800 || v.height != 600))
                return false;
        }
        return true;
    }
    // Whether the frame's trail draws come last, after every other draw.
    bool TrailOnTop() const
    {
        const auto& draws = scene.device.draws;
        const size_t first = draws.size() - TrailDraws();
        for (size_t i = first; i < draws.size(); ++i)
            if (draws[i].texture != trailSurface) return false;
        return true;
    }

    TMyCursor* cursor = nullptr;
    GfxTexture* trailSurface = nullptr;
};

// A help screen, a game screen that draws the trail, over the whole display
// with a picture of its own; inside: Lua for more of its children.
std::string Screen(const std::string& inside = "")
{
    return std::string(
               "PushModal('help') MakeDialog{ name = 'help', HelpScreen{ name = "
               "'help_screen', x = 0, y = 0, w = 800, h = 600, "
               "Bitmap{ name = 'backdrop', x = 0, y = 0, image = '") +
           kPanel + "' }, " + inside + " } }";
}
// A dialog window with a panel picture.
std::string DialogWindow(const char* name)
{
    return std::string("CustomWindow{ name = '") + name +
           "', x = 190, y = 180, w = 420, h = 240, "
           "Bitmap{ name = 'panel', x = 0, y = 0, image = '" +
           kPanel + "' } }";
}

TEST_F(CursorTrailTest, EveryFrameDrawsTheTrailOnceOverWhatLiesBelow)
{
    struct Case
    {
        const char* what;
        std::string lua;
        const char* drawer;  // the window whose overlay draws it
        const char* hidden;  // a window hidden after the build, or null
        bool onTop;
    } cases[] = {
        {"a screen alone", Screen(), "help_screen", nullptr, true},
        {"a dialog window in a modal over the screen",
         Screen() + " PushModal('dlg') MakeDialog{ name = 'dlg', " + DialogWindow("dialog") + " }",
         "dialog", nullptr, true},
        {"a dialog window inside the screen", Screen(DialogWindow("dialog")), "help_screen",
         nullptr, true},
        {"two dialog windows stacked over the screen",
         Screen() + " PushModal('dlg') MakeDialog{ name = 'dlg', " + DialogWindow("dialog") +
             " } PushModal('dlg2') MakeDialog{ name = 'dlg2', " + DialogWindow("second") + " }",
         "second", nullptr, true},
        {"a hidden dialog window over the screen",
         Screen() + " PushModal('dlg') MakeDialog{ name = 'dlg', " + DialogWindow("dialog") + " }",
         "help_screen", "dialog", true},
        // A plain dialog draws no trail: the screen's lies beneath its panel.
        {"a plain dialog over the screen",
         Screen() +
             " PushModal('plain') MakeDialog{ name = 'plain', Bitmap{ name = 'panel', "
             "x = 190, y = 180, image = '" +
             kPanel + "' } }",
         "help_screen", nullptr, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(script->DoLuaString(c.lua.c_str()), 0);
        if (c.hidden != nullptr)
        {
            TWindow* w = wm->GetTopModal()->FindChild(c.hidden, -1);
            ASSERT_NE(w, nullptr);
            w->SetFlags(w->GetFlags() & ~uint32_t(kWindowVisible));
        }
        TWindow* drawer = CursorTrailWindow();
        ASSERT_NE(drawer, nullptr);
        EXPECT_EQ(drawer->GetName(), TString(c.drawer));

        for (int i = 0; i < 10; ++i) Frame();
        const int live = cursor->GetTrail().GetEmitter().GetLiveCount();
        ASSERT_GT(live, 0);
        EXPECT_EQ(TrailDraws(), size_t(live)) << "one quad per spark, once";
        EXPECT_TRUE(TrailOnDisplay());
        if (c.onTop)
        {
            EXPECT_TRUE(TrailOnTop());
            EXPECT_GT(scene.device.draws.size(), TrailDraws()) << "the trail and what it covers";
        }

        while (wm->GetModalCount() > 1) wm->PopTopModal();
        Tick();  // the popped windows go
    }
}

TEST_F(CursorTrailTest, NoTrailWithoutAWindowThatDrawsIt)
{
    ASSERT_EQ(script->DoLuaString("PushModal('plain') MakeDialog{ name = 'plain', Bitmap{ name = "
                                  "'panel', x = 0, y = 0, image = 'images/core/dialog/panel' } }"),
              0);
    EXPECT_EQ(CursorTrailWindow(), nullptr);
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(TrailDraws(), 0u);
    EXPECT_FALSE(scene.device.draws.empty());
}

}  // namespace
