// A screen and a dialog of filling windows drawn through the real device
// (SDL offscreen): stacking order, clipping to parents, the screen's clear.
#include <gtest/gtest.h>

#include "graphics/support/ImageDisplay.h"
#include "ui/support/UiTestSupport.h"

// Mesa keeps allocations past context teardown.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

using namespace uitest;

namespace
{

class ScreenTest : public UiTest
{
protected:
    RecWindow* Fill(TWindow* parent, const char* name, TRect rect, TFloatVector4 colour)
    {
        RecWindow* w = Window(parent, name, rect);
        w->colour = colour;
        return w;
    }
    ImageDisplay display{800, 600};
};

const TFloatVector4 kRed(1, 0, 0, 1), kGreen(0, 1, 0, 1), kBlue(0, 0, 1, 1), kYellow(1, 1, 0, 1),
    kMagenta(1, 0, 1, 1);

TEST_F(ScreenTest, WindowsComeOutInStackingOrderClippedToTheirParents)
{
    ASSERT_TRUE(display.Ready());
    TScreen* screen = MakeScreen();
    ASSERT_EQ(800, screen->GetWidth());
    screen->SetClearAlways(true);
    screen->SetClearColor(TFloatVector4(0.25f, 0.25f, 0.25f, 1));
    RecWindow* red = Fill(screen, "red", TRect(100, 100, 300, 300), kRed);
    Fill(red, "green", TRect(150, 150, 250, 250), kGreen);
    Fill(screen, "magenta", TRect(350, 50, 450, 150), kMagenta);
    RecModal* dialog = Modal("dialog", 200, 200);
    dialog->SetPosition(400, 100);
    dialog->colour = kBlue;
    wm->PushModal(dialog);
    Fill(dialog, "yellow", TRect(150, 150, 250, 250), kYellow);

    display.Clear();
    Send(kEventIdle);
    const uint32_t grey = 0x404040;
    const struct
    {
        const char* what;
        int x, y;
        uint32_t rgb;
    } probes[] = {
        {"cleared screen", 50, 50, grey},
        {"red window", 150, 150, 0xFF0000},
        {"green child inside its parent", 260, 260, 0x00FF00},
        {"green child clipped by its parent", 320, 320, grey},
        {"magenta beside the dialog", 370, 70, 0xFF00FF},
        {"dialog above the magenta window", 420, 120, 0x0000FF},
        {"yellow inside the dialog", 580, 280, 0xFFFF00},
        {"yellow clipped by the dialog", 620, 320, grey},
    };
    for (const auto& p : probes)
    {
        SCOPED_TRACE(p.what);
        EXPECT_TRUE(RgbNear(display.Pixel(p.x, p.y), p.rgb));
    }
}

}  // namespace
