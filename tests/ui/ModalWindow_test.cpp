// Modal windows: hot-key texts, the hot-key map, the focus child, sizing on
// push, the covering set and the tasks of a popped modal.
#include <gtest/gtest.h>

#include "ui/support/UiTestSupport.h"

using namespace uitest;

namespace
{

using Lines = std::vector<std::string>;

TEST(HotKeyText, NormalisesModifiersAndTheKey)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"control-alt-x", "ctrl-alt-X"},
        {"alt-shift-f", "shift-alt-F"},
        {"q", "Q"},
        {"ctrl-s", "ctrl-S"},
        {"@p", "@P"},
        {"@", "@"},
        {"shift-ctrl-alt-1", "shift-ctrl-alt-1"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.in);
        EXPECT_STREQ(c.out, HotKeyText(c.in).CStr());
    }
}

class ModalWindowTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        screen = MakeScreen();
        Calls();
    }
    TScreen* screen = nullptr;
};

TEST_F(ModalWindowTest, HotKeysAreStoredUnderTheirNormalForm)
{
    TModalWindow modal;
    modal.RegisterHotkey("control-o", "open");
    modal.RegisterHotkey("@p", "pause");
    EXPECT_STREQ("open", modal.GetHotkeyButton("ctrl-O").CStr());
    EXPECT_STREQ("pause", modal.GetHotkeyButton("@p").CStr());
    modal.RegisterHotkey("ctrl-o", "again");
    EXPECT_STREQ("again", modal.GetHotkeyButton("control-o").CStr());
    modal.RegisterHotkey("ctrl-o", "");
    EXPECT_STREQ("", modal.GetHotkeyButton("ctrl-o").CStr());
}

TEST_F(ModalWindowTest, APushedModalWithoutWidthTakesItsParentsSize)
{
    RecModal* dialog = Modal("dialog");
    wm->PushModal(dialog);
    EXPECT_EQ(800, dialog->GetWidth());
    EXPECT_EQ(600, dialog->GetHeight());
    EXPECT_EQ(screen, dialog->GetParent());
    EXPECT_EQ(dialog, screen->GetChildren().front());
}

TEST_F(ModalWindowTest, TheFocusChildTakesTheFocusWithTheModal)
{
    RecModal* dialog = Modal("dialog", 400, 300);
    RecWindow* edit = Window(dialog, "edit", TRect(0, 0, 10, 10));
    dialog->SetFocusChild(edit);  // not the focus window yet: nothing moves
    EXPECT_TRUE(Calls().empty());
    wm->PushModal(dialog);
    EXPECT_EQ(edit, wm->GetFocusWindow());
    EXPECT_EQ((Lines{"dialog.OnFocusChanged _screen_", "edit.OnFocusChanged _screen_"}), Calls());
    // Set while the modal has the focus: the child takes it at once.
    RecWindow* other = Window(dialog, "other", TRect(0, 0, 10, 10));
    dialog->SetFocusChild(nullptr);
    wm->SetFocusWindow(dialog);
    EXPECT_EQ(dialog, wm->GetFocusWindow());
    Calls();
    dialog->SetFocusChild(other);
    EXPECT_EQ(other, wm->GetFocusWindow());
    // A destroyed focus child is forgotten.
    dialog->RemoveChild(other);
    delete other;
    EXPECT_EQ(nullptr, dialog->GetFocusChild());
    EXPECT_EQ(nullptr, wm->GetFocusWindow());
}

TEST_F(ModalWindowTest, KeysGoToTheFocusWindowOrTheTopModal)
{
    RecModal* dialog = Modal("dialog", 400, 300);
    wm->PushModal(dialog);
    RecWindow* edit = Window(dialog, "edit", TRect(0, 0, 10, 10));
    edit->take = {"OnChar"};
    Calls();
    Send(kEventChar, 0, 0, 'z');
    EXPECT_EQ((Lines{"dialog.OnChar 122"}), Calls());
    wm->SetFocusWindow(edit);
    Calls();
    Send(kEventChar, 0, 0, 'z');
    EXPECT_EQ((Lines{"edit.OnChar 122"}), Calls());
}

TEST_F(ModalWindowTest, CoveringFollowsOpaqueVisibleWindowsOfExactlyTheModalsSize)
{
    RecModal* dialog = Modal("dialog", 400, 300);
    wm->PushModal(dialog);
    auto* pane = new TWindow();
    pane->SetFlags(pane->GetFlags() | kWindowOpaque);
    dialog->AddChild(pane, true);
    pane->SetSize(399, 300);
    EXPECT_FALSE(dialog->GetFlags() & kWindowOpaque);
    pane->SetSize(400, 300);
    EXPECT_TRUE(dialog->GetFlags() & kWindowOpaque);
    // Inside a child of the modal counts too, and leaves with its branch.
    auto* holder = new TWindow();
    dialog->AddChild(holder, true);
    auto* inner = new TWindow();
    holder->AddChild(inner, true);
    inner->SetFlags(inner->GetFlags() | kWindowOpaque);
    inner->SetSize(400, 300);
    EXPECT_TRUE(dialog->IsCoveredBy(inner));
    dialog->RemoveChild(holder);
    EXPECT_FALSE(dialog->IsCoveredBy(inner));
    delete holder;
    pane->SetFlags(pane->GetFlags() & ~kWindowOpaque);
    EXPECT_FALSE(dialog->GetFlags() & kWindowOpaque);
}

TEST_F(ModalWindowTest, APoppedModalLosesItsTasksAndGoesAtTheNextEvent)
{
    RecModal* dialog = Modal("dialog", 400, 300);
    wm->PushModal(dialog);
    RecWindow* ticker = Window(dialog, "ticker", TRect(0, 0, 10, 10));
    ticker->SetTimer(5, true, true, false);
    const TScriptHandle dialogHandle = dialog->GetScriptHandle(),
                        tickerHandle = ticker->GetScriptHandle();
    EXPECT_EQ(1, dialog->GetTaskList().Count());
    wm->PopTopModal();
    EXPECT_EQ(0, dialog->GetTaskList().Count());
    EXPECT_EQ(dialog, TWindow::FromHandle(dialogHandle));
    EXPECT_EQ(screen, wm->GetFocusWindow());
    Send(kEventIdle);
    EXPECT_EQ(nullptr, TWindow::FromHandle(dialogHandle));
    EXPECT_EQ(nullptr, TWindow::FromHandle(tickerHandle));
}

}  // namespace
