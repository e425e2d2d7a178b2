// The window tree: ids, flags, attaching, finding, hit testing, and the
// routing of events through the window manager into the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/Settings.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Slider.h"
#include "ui/Text.h"
#include "ui/TextEdit.h"
#include "ui/WindowSpider.h"
#include "ui/XSellWindow.h"
#include "ui/support/UiTestSupport.h"

using namespace uitest;

namespace
{

using Lines = std::vector<std::string>;

class WindowTest : public UiTest
{
};

TEST_F(WindowTest, IdsCountFromZeroAndPrintInEightColumns)
{
    TWindow first, second;
    EXPECT_EQ(0, first.GetId());
    EXPECT_STREQ("       0", first.GetIdString().CStr());
    EXPECT_STREQ("       1", second.GetIdString().CStr());
    ResetWindowIdCounter();
    for (int i = 0; i < 0x2b; ++i) TWindow();
    TWindow later;
    EXPECT_STREQ("      2b", later.GetIdString().CStr());
}

TEST_F(WindowTest, SetFlagsReplacesStateBitsOnly)
{
    TModalWindow modal;
    EXPECT_EQ(0x103u, modal.GetFlags());
    modal.SetFlags(0xFFFF0A0Fu);
    EXPECT_EQ(0x0A03u, modal.GetFlags());
    EXPECT_STREQ("TModalWindow", modal.GetClassName());
    EXPECT_TRUE(modal.IsKindOf(TWindow::ClassId()));
    EXPECT_FALSE(TWindow().IsKindOf(TModalWindow::ClassId()));
    TScreen screen;
    EXPECT_EQ(0x907u, screen.GetFlags());
    EXPECT_STREQ("_screen_", screen.GetName().CStr());
    EXPECT_TRUE(screen.IsKindOf(TModalWindow::ClassId()));
    EXPECT_NE(nullptr, GetClassFactory(TScreen::ClassId()));
    EXPECT_EQ(nullptr, GetClassFactory(nullptr));
    std::unique_ptr<TWindow> made(GetClassFactory(TWindow::ClassId())());
    EXPECT_STREQ("TWindow", made->GetClassName());
}

// Every class's record: the name it reports, the classes it is a kind of
// (its own base chain and no other), and whether it is made by name.
TEST_F(WindowTest, EachClassReportsItsOwnNameAndBaseChain)
{
    struct Case
    {
        TWindowClassId id;
        const char* name;
        std::vector<TWindowClassId> kinds;  // base chain, the class itself first
    };
    const TWindowClassId window = TWindow::ClassId();
    const TWindowClassId layered = TLayeredWindow::ClassId();
    const TWindowClassId modal = TModalWindow::ClassId();
    const TWindowClassId text = TText::ClassId();
    const Case cases[] = {
        {window, "TWindow", {window}},
        {layered, "TLayeredWindow", {layered, window}},
        {TButton::ClassId(), "TButton", {TButton::ClassId(), layered, window}},
        {modal, "TModalWindow", {modal, window}},
        {TScreen::ClassId(), "TScreen", {TScreen::ClassId(), modal, window}},
        {text, "TText", {text, window}},
        {TTextEdit::ClassId(), "TTextEdit", {TTextEdit::ClassId(), text, window}},
        {TImage::ClassId(), "TImage", {TImage::ClassId(), window}},
        {TSlider::ClassId(), "TSlider", {TSlider::ClassId(), window}},
        {TXSellWindow::ClassId(), "TXSellWindow", {TXSellWindow::ClassId(), window}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.id, nullptr);
        EXPECT_STREQ(c.id->name, c.name);
        // Only the layered window is a base that scripts cannot make.
        if (c.id == layered)
        {
            EXPECT_EQ(GetClassFactory(c.id), nullptr);
            continue;
        }
        ASSERT_NE(GetClassFactory(c.id), nullptr);
        std::unique_ptr<TWindow> made(GetClassFactory(c.id)());
        EXPECT_STREQ(made->GetClassName(), c.name);
        for (const Case& other : cases)
        {
            const bool kind = std::find(c.kinds.begin(), c.kinds.end(), other.id) != c.kinds.end();
            EXPECT_EQ(made->IsKindOf(other.id), kind) << "asked about " << other.name;
        }
    }
}

// A child that notes, as it goes, what its parent answers.
class ParentWatcher : public TWindow
{
public:
    explicit ParentWatcher(std::vector<std::pair<bool, bool>>* seen) : seen_(seen) {}
    ~ParentWatcher() override
    {
        if (TWindow* p = GetParent())
            seen_->emplace_back(p->IsModalWindow(), p->IsKindOf(TModalWindow::ClassId()));
    }

private:
    std::vector<std::pair<bool, bool>>* seen_;
};

TEST_F(WindowTest, TheModalWindowTestAgreesWithTheClassTestUntilTheModalGoes)
{
    std::unique_ptr<TWindow> windows[] = {
        std::make_unique<TWindow>(),
        std::make_unique<TModalWindow>(),
        std::make_unique<TScreen>(),
        std::make_unique<RecWindow>(&log, "w"),
        std::make_unique<RecModal>(&log, "m"),
        std::make_unique<TButton>(),
        std::make_unique<TText>(),
    };
    // Asked twice: the second answer may be the kept one.
    for (const auto& w : windows)
        for (int ask = 0; ask < 2; ++ask)
            EXPECT_EQ(w->IsModalWindow(), w->IsKindOf(TModalWindow::ClassId()))
                << w->GetClassName() << " ask " << ask;

    // A plain window copied from a known modal is still a plain window.
    TModalWindow original;
    ASSERT_TRUE(original.IsModalWindow());
    const TWindow sliced(original);  // NOLINT(cppcoreguidelines-slicing): the point
    EXPECT_FALSE(sliced.IsModalWindow());

    // Known to be a modal, then deleted: its children go once the modal part
    // has, and must see a plain window, as the class test does.
    std::vector<std::pair<bool, bool>> seen;
    auto* modal = new TModalWindow();
    modal->AddChild(new ParentWatcher(&seen), false);
    ASSERT_TRUE(modal->IsModalWindow());
    delete modal;
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{false, false}}), seen);
}

TEST_F(WindowTest, RefusedAttachmentIsUndone)
{
    TScreen* screen = MakeScreen();
    RecModal* dialog = Modal("dialog", 800, 600);
    wm->PushModal(dialog);
    auto* cover = new RecWindow(&log, "cover");
    cover->SetFlags(cover->GetFlags() | kWindowOpaque);
    cover->SetSize(800, 600);
    cover->refuseAttach = true;
    EXPECT_FALSE(dialog->AddChild(cover, true));
    EXPECT_EQ(nullptr, cover->GetParent());
    EXPECT_TRUE(dialog->GetChildren().empty());
    EXPECT_FALSE(dialog->IsCoveredBy(cover));
    // Refused again while already listed behind another child: the other
    // child stays.
    cover->refuseAttach = false;
    EXPECT_TRUE(dialog->AddChild(cover, true));
    auto* front = new RecWindow(&log, "front");
    dialog->AddChild(front, false);
    cover->refuseAttach = true;
    EXPECT_FALSE(dialog->AddChild(cover, true));
    EXPECT_EQ((std::vector<TWindow*>{front}), dialog->GetChildren());
    cover->refuseAttach = false;
    EXPECT_TRUE(dialog->AddChild(cover, true));
    // Covering is told by sizing (placement does it after attaching).
    cover->SetSize(800, 600);
    EXPECT_TRUE(dialog->IsCoveredBy(cover));
    EXPECT_TRUE(dialog->GetFlags() & kWindowOpaque);
    // Hidden, it hides nothing.
    cover->SetFlags(cover->GetFlags() & ~kWindowVisible);
    EXPECT_FALSE(dialog->GetFlags() & kWindowOpaque);
    cover->SetFlags(cover->GetFlags() | kWindowVisible);
    dialog->RemoveChild(cover);
    EXPECT_FALSE(dialog->GetFlags() & kWindowOpaque);
    delete cover;
    (void)screen;
}

TEST_F(WindowTest, AChildDeletedWhileListedLeavesItsParentsList)
{
    TWindow parent;
    auto* a = new TWindow();
    auto* b = new TWindow();
    parent.AddChild(a, false);
    parent.AddChild(b, false);
    delete a;  // without RemoveChild first
    EXPECT_EQ((std::vector<TWindow*>{b}), parent.GetChildren());
    parent.FitToChildren();  // walks the list: nothing freed is read
}

TEST_F(WindowTest, AMessageInADetachedBranchIsDeleted)
{
    TWindow root;
    auto* leaf = new TWindow();
    root.AddChild(leaf, false);
    leaf->SendMessage(
        std::make_unique<TMessage>(kUserMessageBase, "lost"));  // no modal above: freed
}

TEST_F(WindowTest, FindChildHonoursDepth)
{
    TWindow root;
    root.SetName("root");
    auto* a = new TWindow();
    a->SetName("a");
    auto* b = new TWindow();
    b->SetName("b");
    auto* deep = new TWindow();
    deep->SetName("deep");
    root.AddChild(a, false);
    root.AddChild(b, false);
    b->AddChild(deep, false);
    EXPECT_EQ(&root, root.FindChild("root", 0));
    EXPECT_EQ(nullptr, root.FindChild("a", 0));
    EXPECT_EQ(a, root.FindChild("a", 1));
    EXPECT_EQ(nullptr, root.FindChild("deep", 1));
    EXPECT_EQ(deep, root.FindChild("deep", 2));
    EXPECT_EQ(deep, root.FindChild("deep", -1));
    EXPECT_EQ(nullptr, root.FindChild("none", -1));
}

TEST_F(WindowTest, HitTestsSkipHiddenWindowsAndStopAtModalLayers)
{
    TWindow root;
    root.SetSize(800, 600);
    RecWindow* back = Window(&root, "back", TRect(0, 0, 400, 400));
    RecWindow* front = Window(&root, "front", TRect(100, 100, 300, 300));
    RecWindow* leaf = Window(front, "leaf", TRect(10, 10, 50, 50));
    TPoint local;
    EXPECT_EQ(leaf, root.HitDeep(TPoint(115, 120), -1, &local));
    EXPECT_EQ(TPoint(5, 10), local);
    // A limited depth that runs out before the deepest window finds nothing.
    EXPECT_EQ(nullptr, root.HitDeep(TPoint(115, 120), 2));
    EXPECT_EQ(leaf, root.HitDeep(TPoint(115, 120), 3));
    EXPECT_EQ(&root, root.HitDeep(TPoint(700, 500), 1));
    EXPECT_EQ(nullptr, root.HitDeep(TPoint(115, 120), 0));
    EXPECT_EQ(&root, root.HitDeep(TPoint(700, 500), -1));
    // The right and bottom edges are outside.
    EXPECT_EQ(back, root.HitDeep(TPoint(300, 200), -1));
    front->SetFlags(front->GetFlags() & ~kWindowVisible);
    EXPECT_EQ(back, root.HitDeep(TPoint(115, 120), -1));
    EXPECT_FALSE(leaf->IsVisible());
    front->SetFlags(front->GetFlags() | kWindowVisible);

    // Visibility ends at a modal layer: a hidden window above it does not matter.
    TWindow outer;
    outer.SetFlags(0);
    auto* modal = new TModalWindow();
    outer.AddChild(modal, false);
    auto* inside = new TWindow();
    modal->AddChild(inside, false);
    EXPECT_TRUE(inside->IsVisible());
    EXPECT_FALSE(outer.IsVisible());
}

TEST_F(WindowTest, AnUnhandledPressStillMovesTheFocus)
{
    TScreen* screen = MakeScreen();
    RecWindow* panel = Window(screen, "panel", TRect(100, 100, 500, 500));
    panel->AddRoleFlags(kWindowTakesFocus);
    RecWindow* button = Window(panel, "button", TRect(10, 10, 110, 60));
    Calls();
    Send(kEventLeftDown, 120, 130);
    EXPECT_EQ(panel, wm->GetFocusWindow());
    EXPECT_EQ((Lines{"button.OnMouseDown 10,20", "panel.OnFocusChanged _screen_",
                     "panel.OnMouseDown 20,30"}),
              Calls());
    EXPECT_EQ(button, wm->GetOutlineWindow());
}

TEST_F(WindowTest, RefusedKeysGoToTheSiblingBehindThenTheParentAndStopAtTheModal)
{
    TScreen* screen = MakeScreen();
    RecModal* dialog = Modal("dialog", 800, 600);
    wm->PushModal(dialog);
    RecWindow* under = Window(dialog, "under", TRect(0, 0, 400, 400));
    RecWindow* underLeaf = Window(under, "underLeaf", TRect(50, 50, 100, 100));
    RecWindow* hidden = Window(dialog, "hidden", TRect(0, 0, 400, 400));
    hidden->SetFlags(0);
    RecWindow* top = Window(dialog, "top", TRect(0, 0, 200, 200));
    wm->SetFocusWindow(top);
    Calls();
    // The key event's point is the pointer's (60, 70): the sibling behind
    // under it is "under" (the hidden one is skipped), at its deepest window.
    Send(kEventKeyDown, 60, 70, 'x', 0);
    // The "raw:" message then goes to the focus window and climbs.
    EXPECT_EQ((Lines{"top.OnKeyDown 120 0", "underLeaf.OnKeyDown 120 0", "under.OnKeyDown 120 0",
                     "dialog.OnKeyDown 120 0", "top.OnMessage raw:x", "dialog.OnMessage raw:x"}),
              Calls());
    ASSERT_EQ(1u, dialog->messageKinds.size());
    EXPECT_EQ(kPressAnyKey, dialog->messageKinds[0]);
    (void)screen, (void)underLeaf;
}

TEST_F(WindowTest, RawKeyMessageCarriesTheByte)
{
    MakeScreen();
    RecModal* dialog = Modal("dialog", 800, 600);
    wm->PushModal(dialog);
    Calls();
    Send(kEventKeyDown, 0, 0, 'Q', 0);
    EXPECT_EQ((Lines{"dialog.OnKeyDown 81 0", "dialog.OnMessage raw:Q"}), Calls());
}

TEST_F(WindowTest, OneMouseUpPerUnhandledRelease)
{
    for (const bool overlay : {false, true})
    {
        SCOPED_TRACE(overlay ? "overlaymouse on" : "overlaymouse off");
        SetSetting("overlaymouse", overlay ? "1" : "0");
        wm.reset();
        wm = std::make_unique<TWindowManager>();
        MakeScreen();
        RecModal* dialog = Modal("dialog", 800, 600);
        wm->PushModal(dialog);
        Window(dialog, "w", TRect(0, 0, 100, 100));
        Calls();
        Send(kEventLeftUp, 50, 50);
        int ups = 0;
        for (const auto& line : Calls())
            if (line == "dialog.OnMessage mouse:up") ++ups;
        EXPECT_EQ(1, ups);
    }
}

TEST_F(WindowTest, DeclinedWideTextReachesNoCharHandler)
{
    MakeScreen();
    RecModal* dialog = Modal("dialog", 800, 600);
    wm->PushModal(dialog);
    Calls();
    Send(kEventCharUtf8, 0, 0, 0xE9);  // two bytes in UTF-8
    Send(kEventCharUtf8, 0, 0, 'a');
    EXPECT_EQ((Lines{"dialog.OnText \xC3\xA9", "dialog.OnText a", "dialog.OnChar 97"}), Calls());
}

TEST_F(WindowTest, SwallowFlagEatsOneCharacterAndKeyDownClearsIt)
{
    MakeScreen();
    RecModal* dialog = Modal("dialog", 800, 600);
    wm->PushModal(dialog);
    dialog->take = {"OnKeyDown"};
    Calls();
    SetSwallowNextChar(true);
    Send(kEventChar, 0, 0, 'a');
    Send(kEventChar, 0, 0, 'b');
    EXPECT_EQ((Lines{"dialog.OnChar 98"}), Calls());

    // A hot key that types nothing (an Alt key) leaves the flag set; the
    // next key-down clears it before the character arrives.
    SetSwallowNextChar(true);
    Send(kEventKeyDown, 0, 0, 'c');
    Send(kEventChar, 0, 0, 'c');
    EXPECT_EQ((Lines{"dialog.OnKeyDown 99 0", "dialog.OnChar 99"}), Calls());
}

TEST_F(WindowTest, MouseEventsReachTheDeepestWindowInItsCoordinates)
{
    TScreen* screen = MakeScreen();
    RecWindow* panel = Window(screen, "panel", TRect(100, 100, 500, 500));
    RecWindow* inner = Window(panel, "inner", TRect(10, 10, 110, 60));
    inner->take = {"OnMouseMove"};
    Calls();
    Send(kEventMouseMove, 115, 120);
    EXPECT_EQ((Lines{"inner.OnMouseMove 5,10"}), Calls());
    // A refused release climbs to the parent in the parent's coordinates.
    Send(kEventLeftUp, 115, 120);
    const Lines calls = Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("inner.OnMouseUp 5,10", calls[0]);
    EXPECT_EQ("panel.OnMouseUp 15,20", calls[1]);
}

TEST_F(WindowTest, TimersNeedAModal)
{
    TWindow loose;
    loose.SetTimer(10, false, true, false);
    EXPECT_EQ(nullptr, loose.GetAnimTask());

    MakeScreen();
    RecModal* dialog = Modal("dialog", 800, 600);
    wm->PushModal(dialog);
    RecWindow* w = Window(dialog, "w", TRect(0, 0, 10, 10));
    w->SetTimer(10, true, true, false);
    ASSERT_NE(nullptr, w->GetAnimTask());
    EXPECT_EQ(&dialog->GetClock(), w->GetAnimTask()->GetClock());
    EXPECT_EQ(1, dialog->GetTaskList().Count());
    Calls();
    AdvanceTime(10);
    Send(kEventIdle);
    EXPECT_EQ((Lines{"w.OnTimer"}), Calls());
    // Deleting the window detaches its task, which the list then drops.
    TWindowAnim* task = w->GetAnimTask();
    dialog->RemoveChild(w);
    delete w;
    EXPECT_EQ(nullptr, task->GetWindow());
    AdvanceTime(10);
    Send(kEventIdle);
    EXPECT_EQ(0, dialog->GetTaskList().Count());
}

}  // namespace
