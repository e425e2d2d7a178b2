// The game's button through the window manager: the pointer recorded from
// the second move over it (the first only brings the hover state), in the
// parent's coordinates, forgotten while pressed and on leaving; every move
// is offered to the window behind it as well.
#include <gtest/gtest.h>

#include "core/Event.h"
#include "game/app/controls/CustomButton.h"
#include "game/app/controls/support/GameControlsTest.h"

using controlstest::GameControlsTest;

namespace
{

TEST_F(GameControlsTest, ButtonRecordsThePointerFromTheSecondMove)
{
    Open("button.lua");
    auto* button = Find<TCustomButton>("play");
    ASSERT_NE(button, nullptr);
    TWindow* panel = button->GetParent();
    // A window behind the button, filling the panel.
    uitest::RecWindow* below = Window(panel, "below", TRect(0, 0, 300, 200));
    panel->RemoveChild(button);
    panel->AddChild(button, false);
    EXPECT_EQ(button->GetPointer(), TPoint(-1, -1));

    // The panel lies at (100, 100), the button at (50, 60) in it.
    struct Case
    {
        const char* what;
        int event, x, y;
        TPoint pointer;
        int state;
    } cases[] = {
        {"first move over it", kEventMouseMove, 155, 165, {-1, -1}, TButton::kHover},
        {"second move", kEventMouseMove, 160, 170, {60, 70}, TButton::kHover},
        {"third move", kEventMouseMove, 170, 175, {70, 75}, TButton::kHover},
        {"press", kEventLeftDown, 170, 175, {70, 75}, TButton::kPressed},
        {"move while pressed", kEventMouseMove, 171, 175, {-1, -1}, TButton::kPressed},
        {"release", kEventLeftUp, 171, 175, {-1, -1}, TButton::kHover},
        {"move after the click", kEventMouseMove, 172, 176, {72, 76}, TButton::kHover},
        {"off the button", kEventMouseMove, 300, 250, {-1, -1}, TButton::kNormal},
        {"back over it", kEventMouseMove, 155, 165, {-1, -1}, TButton::kHover},
        {"and once more", kEventMouseMove, 156, 165, {56, 65}, TButton::kHover},
    };
    for (const Case& c : cases)
    {
        Calls();
        Send(c.event, c.x, c.y);
        EXPECT_EQ(button->GetPointer(), TPoint(c.pointer)) << c.what;
        EXPECT_EQ(button->GetVisualState(), c.state) << c.what;
        // Moves over the button (the window manager hands the others to
        // the hovered button alone).
        if (c.event == kEventMouseMove && button->GetScreenRect().Contains(c.x, c.y))
        {
            // Offered on to the window behind, in its own coordinates.
            const std::string heard =
                "below.OnMouseMove " + std::to_string(c.x - 100) + "," + std::to_string(c.y - 100);
            const std::vector<std::string> calls = Calls();
            EXPECT_NE(std::find(calls.begin(), calls.end(), heard), calls.end()) << c.what;
        }
    }
    (void)below;
}

TEST_F(GameControlsTest, ButtonNeverTakesMovesOrLeaves)
{
    Open("button.lua");
    auto* button = Find<TCustomButton>("play");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->IsKindOf(TButton::ClassId()));
    EXPECT_FALSE(button->OnMouseMove(TPoint(5, 5)));
    EXPECT_FALSE(button->OnMouseMove(TPoint(6, 5)));
    EXPECT_EQ(button->GetPointer(), TPoint(56, 65));
    // Outside its rectangle: the button leaves its hover state.
    EXPECT_FALSE(button->OnMouseMove(TPoint(-3, 5)));
    EXPECT_EQ(button->GetPointer(), TPoint(-1, -1));
    EXPECT_EQ(button->GetVisualState(), TButton::kNormal);
    EXPECT_FALSE(button->OnMouseLeave());
}

}  // namespace
