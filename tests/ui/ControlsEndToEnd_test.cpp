// The controls together on a headless display: a dialog opened with
// DoModal holding a push button, a toggle, a text edit, a slider and a
// default button, driven only by mouse and key events through the window
// manager. Hovering shows the hover picture, a click runs the command and
// DoModal returns the button's name, typing fills the edit, the slider
// follows a drag, and Enter presses the default button.
#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "graphics/FontRegistry.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "ui/Image.h"
#include "ui/Slider.h"
#include "ui/TextEdit.h"
#include "ui/support/ControlTestSupport.h"

using namespace uitest;

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

const char* kDialog = R"(
MakeDialog{
    Window{ name = "panel", w = 800, h = 600,
        Button{ name = "push", x = 100, y = 100, close = true,
            graphics = { "red.png", "green.png", "blue.png" },
            command = function() gPushed = GetButtonName() end },
        Button{ name = "toggle", x = 200, y = 100, type = 1,
            graphics = { "red.png", "green.png", "blue.png", "white.png" } },
        Button{ name = "ok", x = 300, y = 100, default = true, close = true,
            graphics = { "red.png", "green.png", "blue.png" } },
        TextEdit{ name = "edit", x = 100, y = 200, w = 200, h = 24, length = 20 },
        Slider{ name = "volume", x = 100, y = 300, w = 200, h = 16, railmid = "green.png",
            sliderimage = "white.png", sliderrollimage = "blue.png" },
    },
}
)";

std::vector<uint32_t> Solid(uint32_t argb)
{
    return std::vector<uint32_t>(64 * 32, argb);
}

class ControlsEndToEndTest : public ScriptUiTest
{
protected:
    void SetUp() override
    {
        ScriptUiTest::SetUp();
        ASSERT_TRUE(display.Ready());
        SetGlobalAssetManager(&manager);
        assets.Put("red.png", imagefx::PngFromArgb(64, 32, Solid(0xFFFF0000u), false));
        assets.Put("green.png", imagefx::PngFromArgb(64, 32, Solid(0xFF00FF00u), false));
        assets.Put("blue.png", imagefx::PngFromArgb(64, 32, Solid(0xFF0000FFu), false));
        assets.Put("white.png", imagefx::PngFromArgb(16, 16, std::vector<uint32_t>(256, 0xFFFFFFFFu), false));
        assets.Put("e2e.lua", kDialog);
    }
    void TearDown() override
    {
        wm.reset();
        GetFontRegistry().Clear();
        ScriptUiTest::TearDown();
        SetGlobalAssetManager(nullptr);
    }
    // Starts body as the script's coroutine, as the game's main loop does.
    void Start(const std::string& body)
    {
        ASSERT_EQ(script->DoLuaString(("return function() " + body + " end").c_str()), 0);
    }
    // One pass of the host: time moves on, the manager's idle event (which
    // delivers messages and draws), then the application's tasks.
    void Pass()
    {
        AdvanceTime(20);
        wm->Invalidate();
        Send(kEventIdle);
        app.tasks.RunTasks(TaskPhaseIdle);
    }
    void OpenDialog()
    {
        Start("gValue = DoModal('e2e.lua')");
        for (int i = 0; i < 5 && wm->GetModalCount() < 2; ++i) Pass();
        ASSERT_EQ(wm->GetModalCount(), 2);
    }
    std::string WaitForValue()
    {
        for (int i = 0; i < 10 && Global("gValue") == "nil"; ++i) Pass();
        return Global("gValue");
    }
    template <class T>
    T* Find(const char* name)
    {
        return static_cast<T*>(wm->GetTopModal()->FindChild(name, -1));
    }
    TPoint Centre(const char* name)
    {
        const TRect r = wm->GetTopModal()->FindChild(name, -1)->GetScreenRect();
        return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Click(TPoint p)
    {
        Send(kEventMouseMove, p.x, p.y);
        Send(kEventLeftDown, p.x, p.y);
        Send(kEventLeftUp, p.x, p.y);
    }
    // Key and character events carry a point away from every window.
    void Type(const std::string& text)
    {
        for (char c : text) Send(kEventChar, -500, -500, static_cast<unsigned char>(c));
    }

    ImageDisplay display{800, 600};
    ImageAssets assets;
    TAssetManager manager;
};

TEST_F(ControlsEndToEndTest, HoverClickTypeAndDrag)
{
    OpenDialog();
    const TPoint push = Centre("push");
    Pass();
    EXPECT_TRUE(RgbNear(display.Pixel(push.x, push.y), 0xFF0000));
    Send(kEventMouseMove, push.x, push.y);
    Pass();
    EXPECT_TRUE(RgbNear(display.Pixel(push.x, push.y), 0x0000FF));

    // The toggle turns on and shows its hover-on picture (16 x 16 at its
    // top-left corner).
    const TPoint toggle = Centre("toggle");
    const TRect toggleRect = Find<TButton>("toggle")->GetScreenRect();
    Send(kEventMouseMove, 0, 0);  // leaves the push button
    Click(toggle);
    Pass();
    EXPECT_TRUE(Find<TButton>("toggle")->IsOn());
    EXPECT_TRUE(RgbNear(display.Pixel(toggleRect.left + 8, toggleRect.top + 8), 0xFFFFFF));

    // A press on the edit gives it the focus; typing fills it.
    Send(kEventMouseMove, 0, 0);
    const TPoint edit = Centre("edit");
    Click(edit);
    Type("Hi there");
    EXPECT_EQ(std::string(Find<TTextEdit>("edit")->GetText().CStr()), "Hi there");

    // The slider's thumb dragged past the end.
    TSlider* volume = Find<TSlider>("volume");
    const TRect thumb = volume->GetThumb()->GetScreenRect();
    Send(kEventMouseMove, thumb.left + 2, thumb.top + 2);
    Send(kEventLeftDown, thumb.left + 2, thumb.top + 2);
    Send(kEventMouseMove, thumb.left + 400, thumb.top + 2);
    Send(kEventLeftUp, thumb.left + 400, thumb.top + 2);
    EXPECT_EQ(volume->GetValue(), 1.0f);

    // The push button runs its command and closes the dialog with its name.
    Send(kEventMouseMove, 0, 0);
    Click(push);
    EXPECT_EQ(WaitForValue(), "push");
    EXPECT_EQ(Global("gPushed"), "push");
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
}

TEST_F(ControlsEndToEndTest, EnterInTheEditPressesTheDefaultButton)
{
    OpenDialog();
    Click(Centre("edit"));
    Type("name\r");
    EXPECT_EQ(WaitForValue(), "ok");
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
}

}  // namespace
