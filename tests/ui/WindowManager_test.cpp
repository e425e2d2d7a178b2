// The window manager with a fake application, injected time and the
// drawing context over the recording device: frame pacing, the modal stack
// and its drawing, timers of covered dialogs, hover capture and the safety
// of deferred deletion.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/Clock.h"
#include "core/Settings.h"
#include "graphics/Texture.h"
#include "ui/WindowScriptLink.h"
#include "ui/WindowSpider.h"
#include "ui/support/UiTestSupport.h"

using namespace uitest;

namespace
{

using Lines = std::vector<std::string>;

// A recording window that runs a hook from a chosen operation.
class HookWindow : public RecWindow
{
public:
    using RecWindow::RecWindow;
    std::function<void()> onDraw, onLeave, onDestroy;
    bool stayOnLeave = false;
    void Draw() override
    {
        RecWindow::Draw();
        if (onDraw) onDraw();
    }
    bool OnMouseLeave() override
    {
        RecWindow::OnMouseLeave();
        if (onLeave) onLeave();
        if (!stayOnLeave) GetWindowManager()->RemoveHover(this);
        return true;
    }
    ~HookWindow() override
    {
        if (onDestroy) onDestroy();
    }
};

class TimedTask : public TTask
{
public:
    explicit TimedTask(int* runs) : runs_(runs) {}
    bool IsReady(int phase) override { return phase == TaskPhaseDraw; }
    bool Run() override
    {
        ++*runs_;
        return true;
    }

private:
    int* runs_;
};

class WindowManagerTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        screen = MakeScreen();
        Send(kEventIdle);  // the first frame (redraw starts needed)
        Calls();
    }
    // Lines of Draw calls only.
    Lines Drawn()
    {
        Lines out;
        for (const auto& l : Calls())
            if (l.size() > 5 && l.compare(l.size() - 5, 5, ".Draw") == 0) out.push_back(l);
        return out;
    }
    void Frame(uint32_t advance = 20)
    {
        AdvanceTime(advance);
        wm->Invalidate();
        Send(kEventIdle);
    }

    RecordingDisplay display;
    TScreen* screen = nullptr;
};

TEST_F(WindowManagerTest, TheScreenIsSizedToTheDisplay)
{
    EXPECT_EQ(TRect(0, 0, 800, 600), screen->GetRect());
    EXPECT_TRUE(wm->HasRootWindow());
    EXPECT_EQ(screen, wm->GetTopModal());
    EXPECT_EQ(screen, wm->GetFocusWindow());
    EXPECT_EQ(1, display.Presents());
}

TEST_F(WindowManagerTest, FramesOnlyAfterInvalidationAtTheForegroundPace)
{
    AdvanceTime(50);
    Send(kEventIdle);
    EXPECT_EQ(1, display.Presents());  // nothing invalidated
    wm->Invalidate();
    Send(kEventIdle);
    EXPECT_EQ(2, display.Presents());
    wm->Invalidate();
    AdvanceTime(11);
    Send(kEventIdle);
    EXPECT_EQ(2, display.Presents());  // 11 ms is too soon
    AdvanceTime(1);
    Send(kEventIdle);
    EXPECT_EQ(3, display.Presents());
    // A redraw event invalidates by itself.
    AdvanceTime(12);
    Send(kEventRedraw);
    EXPECT_EQ(4, display.Presents());
}

TEST_F(WindowManagerTest, BehindOtherWindowsTenInvalidationsIn200msDrawOneFrame)
{
    app.fast = false;
    AdvanceTime(200);
    const int before = display.Presents();
    Frame(0);
    EXPECT_EQ(before + 1, display.Presents());
    for (int i = 0; i < 10; ++i) Frame(19);
    EXPECT_EQ(before + 1, display.Presents());
    Frame(10);
    EXPECT_EQ(before + 2, display.Presents());
}

// The fake time read through a counter, installed as following real time,
// with a coarse clock of 4 ms ticks that only the test moves.
int gFineReads = 0;
uint32_t CountedTime()
{
    ++gFineReads;
    return FakeTime();
}
uint64_t gCoarseTicks = 0;
uint64_t CoarseTicks()
{
    return gCoarseTicks;
}
struct RealTimeClocks
{
    RealTimeClocks()
    {
        SetCoarseClock(&CoarseTicks, 4);
        SetClockTimeSource(&CountedTime, true);
    }
    ~RealTimeClocks() { SetCoarseClock(nullptr, 0); }
};

TEST_F(WindowManagerTest, TooSoonForAFrameIsToldWithoutReadingTheTime)
{
    RealTimeClocks clocks;
    Frame();
    const int presents = display.Presents();
    // The frame's reading and the coarse clock prove that under 12 ms have
    // passed while the coarse value stands (margin 9 ms).
    gFineReads = 0;
    Frame(2);
    EXPECT_EQ(gFineReads, 0);
    EXPECT_EQ(presents, display.Presents());
    // A tick later: 11 ms is still too soon, but now it takes a reading, and
    // from that one the end of the interval is inside the margin.
    ++gCoarseTicks;
    Frame(9);
    EXPECT_EQ(gFineReads, 1);
    EXPECT_EQ(presents, display.Presents());
    Frame(1);
    EXPECT_EQ(gFineReads, 2);
    EXPECT_EQ(presents + 1, display.Presents());
    // Behind other windows (200 ms) a frame is far off for a while.
    app.fast = false;
    gFineReads = 0;
    for (int i = 0; i < 4; ++i) Frame(2);
    EXPECT_EQ(gFineReads, 0);
    // Past the fast interval the slow one still holds.
    ++gCoarseTicks;
    Frame(100);
    EXPECT_EQ(presents + 1, display.Presents());
    Frame(92);
    EXPECT_EQ(presents + 2, display.Presents());
}

TEST_F(WindowManagerTest, NothingIsDrawnWhileTheFlipIsPending)
{
    app.flipDone = false;
    Frame();
    Frame();
    EXPECT_EQ(1, display.Presents());
    EXPECT_TRUE(wm->IsRedrawNeeded());
    app.flipDone = true;
    Send(kEventIdle);
    EXPECT_EQ(2, display.Presents());
}

TEST_F(WindowManagerTest, TheDrawPassRunsBeforeEachFrame)
{
    int runs = 0;
    app.tasks.Add(new TimedTask(&runs));
    Frame();
    Frame(1);  // too soon: no frame, no pass
    EXPECT_EQ(1, runs);
}

TEST_F(WindowManagerTest, ModalsBeneathAreDrawnUnlessAnOpaqueScreenSizedModalLiesAbove)
{
    Window(screen, "back", TRect(0, 0, 100, 100));
    RecModal* dialog = Modal("dialog", 300, 200);
    wm->PushModal(dialog);
    Window(dialog, "d", TRect(0, 0, 10, 10));
    Frame();
    EXPECT_EQ((Lines{"back.Draw", "dialog.Draw", "d.Draw"}), Drawn());

    // An opaque modal smaller than the screen hides nothing.
    dialog->SetFlags(dialog->GetFlags() | kWindowOpaque);
    Frame();
    EXPECT_EQ((Lines{"back.Draw", "dialog.Draw", "d.Draw"}), Drawn());

    // A modal is opaque while an opaque visible window covers it exactly.
    RecModal* cover = Modal("cover", 800, 600);
    wm->PushModal(cover);
    auto* backdrop = new TWindow();
    backdrop->SetFlags(backdrop->GetFlags() | kWindowOpaque);
    cover->AddChild(backdrop, true);
    backdrop->SetSize(800, 600);
    EXPECT_TRUE(cover->GetFlags() & kWindowOpaque);
    RecModal* top = Modal("top", 100, 100);
    wm->PushModal(top);
    Frame();
    EXPECT_EQ((Lines{"cover.Draw", "top.Draw"}), Drawn());

    // Hidden, the cover no longer hides the layers beneath.
    cover->SetFlags(cover->GetFlags() & ~kWindowVisible);
    Frame();
    EXPECT_EQ((Lines{"back.Draw", "dialog.Draw", "d.Draw", "top.Draw"}), Drawn());

    // Only the top modal when asked.
    cover->SetFlags(cover->GetFlags() | kWindowVisible);
    wm->SetTopModalOnly(true);
    Frame();
    EXPECT_EQ((Lines{"top.Draw"}), Drawn());
}

TEST_F(WindowManagerTest, APopDuringDrawingAbortsTheStack)
{
    auto* popper = new HookWindow(&log, "popper");
    popper->SetSize(10, 10);
    screen->AddChild(popper, false);
    RecModal* dialog = Modal("dialog", 300, 200);
    wm->PushModal(dialog);
    Window(dialog, "d", TRect(0, 0, 10, 10));
    bool popped = false;
    popper->onDraw = [this, &popped]
    {
        if (popped) return;
        popped = true;
        wm->PopTopModal();
    };
    Frame();
    EXPECT_EQ((Lines{"popper.Draw"}), Drawn());
    EXPECT_TRUE(wm->IsDrawAborted());
    Frame();
    EXPECT_EQ((Lines{"popper.Draw"}), Drawn());
    EXPECT_FALSE(wm->IsDrawAborted());
}

// A window inside a dialog that took the focus itself (not the dialog's
// focus child) has it back when a dialog opened over it closes; one that
// went away meanwhile leaves it to the dialog.
TEST_F(WindowManagerTest, AClosedModalGivesTheFocusBackToTheWindowThatHeldItBelow)
{
    struct Case
    {
        const char* what;
        bool destroyHolder;  // the window that held the focus goes meanwhile
    } cases[] = {{"the holder is back", false}, {"the holder went", true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        RecModal* dialog = Modal("dialog", 200, 200);
        wm->PushModal(dialog);
        RecWindow* holder = Window(dialog, "holder", TRect(0, 0, 50, 50));
        wm->SetFocusWindow(holder);
        RecModal* cover = Modal("cover", 100, 100);
        wm->PushModal(cover);
        EXPECT_EQ(cover, wm->GetFocusWindow());
        if (c.destroyHolder) delete holder;
        wm->PopModal(cover->GetIdString());
        EXPECT_EQ(c.destroyHolder ? static_cast<TWindow*>(dialog) : holder, wm->GetFocusWindow());
        // Kept only until given back: a second cover over the dialog itself
        // hands the focus to the dialog.
        wm->SetFocusWindow(dialog);
        wm->PushModal(Modal("second", 100, 100));
        wm->PopModal("second");
        EXPECT_EQ(dialog, wm->GetFocusWindow());
        wm->PopModal(dialog->GetIdString());
        Send(kEventIdle);
    }
}

// A window whose key-down runs a hook (a screen opening a dialog).
class KeyWindow : public RecWindow
{
public:
    using RecWindow::RecWindow;
    std::function<void()> onKeyDown;
    bool OnKeyDown(int8_t key, int32_t modifiers) override
    {
        const bool taken = RecWindow::OnKeyDown(key, modifiers);
        if (onKeyDown) onKeyDown();
        return taken;
    }
};

// Escape that opened a dialog must not reach it as a character as well (a
// dialog's cancel button would take it); a key that changed nothing types
// on.
TEST_F(WindowManagerTest, TheCharacterOfAKeyThatOpenedADialogStaysOutOfIt)
{
    for (const bool opens : {true, false})
    {
        SCOPED_TRACE(opens ? "the key opens a dialog" : "the key changes nothing");
        auto* menu = new KeyWindow(&log, "menu");
        menu->SetSize(100, 100);
        screen->AddChild(menu, false);
        RecModal* dialog = Modal("dialog", 100, 100);
        if (opens)
            menu->onKeyDown = [this, dialog] { wm->PushModal(dialog); };
        wm->SetFocusWindow(menu);
        Calls();
        Send(kEventKeyDown, 0, 0, 27);
        Send(kEventChar, 0, 0, 27);
        const Lines calls = Calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "dialog.OnChar 27"), 0);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "menu.OnChar 27"), opens ? 0 : 1);
        // The next key types again.
        Send(kEventKeyDown, 0, 0, 'A');
        Send(kEventChar, 0, 0, 'A');
        const Lines next = Calls();
        EXPECT_EQ(std::count(next.begin(), next.end(),
                             std::string(opens ? "dialog" : "menu") + ".OnChar 65"),
                  1);
        if (opens)
            wm->PopModal(dialog->GetIdString());
        else
            delete dialog;
        delete menu;
        Send(kEventIdle);
    }
}

TEST_F(WindowManagerTest, PopModalByIdPopsDownToItAndRestartsTheNewTopsClock)
{
    RecModal* m1 = Modal("m1", 100, 100);
    RecModal* m2 = Modal("m2", 100, 100);
    RecModal* m3 = Modal("m3", 100, 100);
    RecModal* m4 = Modal("m4", 100, 100);
    for (RecModal* m : {m1, m2, m3, m4}) wm->PushModal(m);
    EXPECT_TRUE(m1->GetClock().IsPaused());
    EXPECT_FALSE(m4->GetClock().IsPaused());
    // Each modal is the child of the one beneath.
    EXPECT_EQ(m3, m4->GetParent());
    EXPECT_EQ(m1, m2->GetModalParent());

    wm->PopModal("nothing");
    EXPECT_EQ(5, wm->GetModalCount());
    const TScriptHandle m2Handle = m2->GetScriptHandle(), m4Handle = m4->GetScriptHandle();
    wm->PopModal(m2->GetIdString());
    EXPECT_EQ(m1, wm->GetTopModal());
    EXPECT_EQ(2, wm->GetModalCount());
    EXPECT_FALSE(m1->GetClock().IsPaused());
    EXPECT_EQ(m1, wm->GetFocusWindow());
    EXPECT_TRUE(m1->GetChildren().empty());
    Send(kEventIdle);
    EXPECT_EQ(nullptr, TWindow::FromHandle(m2Handle));
    EXPECT_EQ(nullptr, TWindow::FromHandle(m4Handle));

    // By name; nothing happens on an empty stack.
    wm->PopModal("m1");
    wm->PopModal("_screen_");
    EXPECT_EQ(0, wm->GetModalCount());
    wm->PopTopModal();
    Send(kEventIdle);
    EXPECT_EQ(nullptr, wm->GetScreen());
}

TEST_F(WindowManagerTest, TimersInACoveredDialogWait)
{
    RecModal* dialog = Modal("dialog", 300, 200);
    wm->PushModal(dialog);
    RecWindow* ticker = Window(dialog, "ticker", TRect(0, 0, 10, 10));
    ticker->SetTimer(10, true, true, false);
    RecModal* above = Modal("above", 100, 100);
    wm->PushModal(above);
    AdvanceTime(50);
    Send(kEventIdle);
    Lines calls = Calls();
    EXPECT_EQ(0, std::count(calls.begin(), calls.end(), "ticker.OnTimer"));
    wm->PopModal("above");
    AdvanceTime(5);
    Send(kEventIdle);
    calls = Calls();
    EXPECT_EQ(0, std::count(calls.begin(), calls.end(), "ticker.OnTimer"));
    AdvanceTime(5);
    Send(kEventIdle);
    calls = Calls();
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "ticker.OnTimer"));
}

TEST_F(WindowManagerTest, AHoveredWindowCapturesTheMouseUntilItLeaves)
{
    auto* button = new HookWindow(&log, "button");
    button->SetPosition(100, 100);
    button->SetSize(50, 50);
    screen->AddChild(button, false);
    button->take = {"OnMouseMove"};
    wm->AddHover(button);
    Calls();
    Send(kEventMouseMove, 110, 120);
    EXPECT_EQ((Lines{"button.OnMouseMove 10,20"}), Calls());
    // Outside: it is told it left; one that stays keeps getting moves.
    button->stayOnLeave = true;
    Send(kEventMouseMove, 300, 300);
    EXPECT_EQ((Lines{"button.OnMouseLeave", "button.OnMouseMove 200,200"}), Calls());
    button->stayOnLeave = false;
    Send(kEventMouseMove, 300, 300);
    EXPECT_EQ((Lines{"button.OnMouseLeave"}), Calls());
    EXPECT_TRUE(wm->GetHoverList().empty());

    // A push tells every hover window that it left.
    wm->AddHover(button);
    wm->PushModal(Modal("dialog", 100, 100));
    EXPECT_EQ("button.OnMouseLeave", Calls().at(0));
    EXPECT_TRUE(wm->GetHoverList().empty());
}

TEST_F(WindowManagerTest, HoverWalksSkipWindowsThatGoAndStopWhenTheTopChanges)
{
    auto* first = new HookWindow(&log, "first");
    auto* second = new HookWindow(&log, "second");
    for (HookWindow* w : {first, second})
    {
        w->SetSize(10, 10);
        screen->AddChild(w, false);
    }
    wm->AddHover(second);
    wm->AddHover(first);  // front
    // The first deletes the second outright while leaving.
    first->onLeave = [second]
    {
        second->GetParent()->RemoveChild(second);
        delete second;
    };
    Calls();
    Send(kEventMouseLeave);
    EXPECT_EQ((Lines{"first.OnMouseLeave"}), Calls());

    auto* pusher = new HookWindow(&log, "pusher");
    auto* later = new HookWindow(&log, "later");
    screen->AddChild(pusher, false);
    screen->AddChild(later, false);
    wm->AddHover(later);
    wm->AddHover(pusher);
    pusher->onLeave = [this, pusher]
    {
        wm->RemoveHover(pusher);
        wm->PushModal(Modal("dialog", 10, 10));
    };
    Calls();
    Send(kEventMouseMove, 500, 500);
    // The push tells the rest; the walk then stops.
    EXPECT_EQ(
        (Lines{"pusher.OnMouseLeave", "later.OnMouseLeave", "dialog.OnFocusChanged _screen_"}),
        Calls());
}

TEST_F(WindowManagerTest, OverlaysTakeTheMouseFirstWhenAsked)
{
    auto* overlay = new RecWindow(&log, "overlay");
    overlay->SetSize(100, 100);
    overlay->take = {"OnMouseDown"};
    wm->AddOverlay(overlay);
    RecWindow* under = Window(screen, "under", TRect(0, 0, 100, 100));
    Calls();
    Send(kEventLeftDown, 10, 10);
    EXPECT_EQ((Lines{"under.OnMouseDown 10,10"}), Calls());
    SetSetting("overlaymouse", "1");
    Send(kEventLeftDown, 10, 10);
    EXPECT_EQ((Lines{"overlay.OnMouseDown 10,10"}), Calls());
    EXPECT_EQ(overlay, wm->GetOutlineWindow());
    // Overlays are drawn after the modal stack.
    Frame();
    EXPECT_EQ((Lines{"under.Draw", "overlay.Draw"}), Drawn());
    (void)under;
}

TEST_F(WindowManagerTest, TheOutlineFramesTheWindowLastHit)
{
    Window(screen, "w", TRect(100, 100, 200, 150));
    wm->SetOutlineEnabled(true);
    Frame();
    const int plain = display.device.drawCalls;
    Send(kEventMouseMove, 120, 120);
    Frame();
    // The screen's clear and four edges.
    EXPECT_EQ(plain + 5, display.device.drawCalls);
}

TEST_F(WindowManagerTest, ADisplayModeChangeReleasesTheCapture)
{
    wm->SetCapture(std::make_shared<TTexture>());
    ASSERT_NE(nullptr, wm->GetCapture());
    Send(kEventDisplayModeChanged);
    EXPECT_EQ(nullptr, wm->GetCapture());
}

TEST_F(WindowManagerTest, ScriptServicesAreForwarded)
{
    class Script : public TWindowScriptLink
    {
    public:
        Lines* out;
        explicit Script(Lines* o) : out(o) {}
        bool PostToScript(std::unique_ptr<TMessage>, std::unique_ptr<TLuaFunction>) override
        {
            return true;
        }
        void SetTopModal(TWindow* w) override { out->push_back("top " + Name(w)); }
        void PushWindow(TWindow* w) override { out->push_back("push " + Name(w)); }
        void PopWindow() override { out->push_back("pop"); }
        void ForgetWindow(TWindow*) override {}
        void WakeOnClose() override { out->push_back("wake"); }
        bool RunText(const TString& t) override
        {
            out->push_back(std::string("run ") + t.CStr());
            return true;
        }
        void RegisterWindowType(const TString& name, TWindowClassId id) override
        {
            out->push_back(std::string("type ") + name.CStr() + " " + id->name);
        }
        bool SetTranslateLabels(bool on) override
        {
            out->push_back(on ? "translate 1" : "translate 0");
            return !on;
        }
        bool GetTranslateLabels() const override { return true; }
        static std::string Name(TWindow* w) { return w ? w->GetName().CStr() : "-"; }
    };
    EXPECT_FALSE(wm->SetTranslateLabels(true));  // kept until a script comes
    Lines out;
    wm->SetScript(new Script(&out));
    RecWindow* w = Window(screen, "w", TRect(0, 0, 1, 1));
    EXPECT_TRUE(wm->RunScriptForWindow(w, "x = 1"));
    wm->RegisterWindowType("Window", TWindow::ClassId());
    Send(kEventClose);
    wm->PopTopModal();
    // The manager's own window type comes with the script.
    EXPECT_EQ((Lines{"translate 1", "type XSellWindow TXSellWindow", "top _screen_", "push w", "run x = 1",
                     "pop", "type Window TWindow", "wake", "top -"}),
              out);
    wm.reset();
}

// --- Deletion safety -------------------------------------------------------

class DeletionTest : public WindowManagerTest
{
};

TEST_F(DeletionTest, MessagesForAScheduledWindowGoToTheFocusWindow)
{
    RecModal* dialog = Modal("dialog", 300, 200);
    wm->PushModal(dialog);
    RecWindow* panel = Window(dialog, "panel", TRect(0, 0, 100, 100));
    RecWindow* inside = Window(panel, "inside", TRect(0, 0, 10, 10));
    wm->QueueMessage(std::make_unique<TMessage>(kUserMessageBase, "before", inside));
    const TScriptHandle panelHandle = panel->GetScriptHandle();
    wm->ScheduleDelete(panel);
    EXPECT_EQ(nullptr, panel->GetParent());
    // Queued after the scheduling: still naming the window.
    wm->QueueMessage(std::make_unique<TMessage>(kUserMessageBase, "after", panel));
    Calls();
    Send(kEventIdle);
    EXPECT_EQ(nullptr, TWindow::FromHandle(panelHandle));
    const Lines calls = Calls();
    EXPECT_EQ((Lines{"dialog.OnMessage before", "dialog.OnMessage after"}),
              Lines(calls.begin(), calls.begin() + 2));
}

TEST_F(DeletionTest, AMessageForAWindowDeletedOutrightLosesItsReceiver)
{
    RecWindow* w = Window(screen, "w", TRect(0, 0, 10, 10));
    wm->QueueMessage(std::make_unique<TMessage>(kUserMessageBase, "orphan", w));
    screen->RemoveChild(w);
    delete w;
    RecModal* dialog = Modal("dialog", 10, 10);
    wm->PushModal(dialog);
    Calls();
    wm->FlushMessages();
    EXPECT_EQ((Lines{"dialog.OnMessage orphan"}), Calls());
}

TEST_F(DeletionTest, DestroyedWindowsLeaveTheStackTheOverlaysAndTheScriptStack)
{
    class StackScript : public TWindowScriptLink
    {
    public:
        std::vector<TWindow*>* stack;
        explicit StackScript(std::vector<TWindow*>* s) : stack(s) {}
        bool PostToScript(std::unique_ptr<TMessage>, std::unique_ptr<TLuaFunction>) override
        {
            return true;
        }
        void SetTopModal(TWindow* w) override { stack->assign(1, w); }
        void PushWindow(TWindow* w) override { stack->push_back(w); }
        void PopWindow() override
        {
            if (stack->size() > 1) stack->pop_back();
        }
        void ForgetWindow(TWindow* w) override
        {
            stack->erase(std::remove(stack->begin(), stack->end(), w), stack->end());
        }
        void WakeOnClose() override {}
        bool RunText(const TString&) override { return true; }
        void RegisterWindowType(const TString&, TWindowClassId) override {}
        bool SetTranslateLabels(bool) override { return false; }
        bool GetTranslateLabels() const override { return false; }
    };
    std::vector<TWindow*> stack;
    wm->SetScript(new StackScript(&stack));
    RecModal* dialog = Modal("dialog", 100, 100);
    wm->PushModal(dialog);
    EXPECT_EQ((std::vector<TWindow*>{dialog}), stack);
    auto* overlay = new RecWindow(&log, "overlay");
    overlay->SetSize(10, 10);
    wm->AddOverlay(overlay);

    // Deleted outright while on the stack.
    screen->RemoveChild(dialog);
    delete dialog;
    EXPECT_FALSE(wm->IsOnModalStack(dialog));
    EXPECT_EQ(screen, wm->GetTopModal());
    EXPECT_TRUE(stack.empty());
    delete overlay;
    Frame();
    Send(kEventMouseMove, 5, 5);
    wm.reset();  // the script writes into this test's stack to the end
}

TEST_F(DeletionTest, ScheduledTwiceOrWhileLinkedIsDeletedOnce)
{
    int deleted = 0;
    RecWindow* w = Window(screen, "w", TRect(0, 0, 10, 10));
    w->deleted = &deleted;
    wm->ScheduleDelete(w);  // still in the screen's list: unlinked first
    wm->ScheduleDelete(w);
    EXPECT_FALSE(screen->HasChild(w));
    Send(kEventIdle);
    EXPECT_EQ(1, deleted);

    // What destructors schedule during the pass goes in the same pass.
    auto* a = new HookWindow(&log, "a");
    RecWindow* b = Window(screen, "b", TRect(0, 0, 10, 10));
    b->deleted = &deleted;
    a->onDestroy = [this, b] { wm->ScheduleDelete(b); };
    wm->ScheduleDelete(a);
    Send(kEventIdle);
    EXPECT_EQ(2, deleted);
    EXPECT_FALSE(wm->IsPendingDelete(b));
}

TEST_F(DeletionTest, DeleteChildrenHandsThemToTheManager)
{
    RecWindow* panel = Window(screen, "panel", TRect(0, 0, 100, 100));
    RecWindow* c1 = Window(panel, "c1", TRect(0, 0, 10, 10));
    Window(panel, "c2", TRect(0, 0, 10, 10));
    const TScriptHandle c1Handle = c1->GetScriptHandle();
    panel->DeleteChildren();
    EXPECT_TRUE(panel->GetChildren().empty());
    EXPECT_TRUE(wm->IsPendingDelete(c1));
    Send(kEventIdle);
    EXPECT_EQ(nullptr, TWindow::FromHandle(c1Handle));
}

TEST_F(DeletionTest, TheManagerGoesWithWindowsTimersAndMessagesPending)
{
    RecModal* dialog = Modal("dialog", 300, 200);
    wm->PushModal(dialog);
    RecWindow* ticker = Window(dialog, "ticker", TRect(0, 0, 10, 10));
    ticker->SetTimer(10, true, true, false);
    RecWindow* gone = Window(dialog, "gone", TRect(0, 0, 10, 10));
    wm->ScheduleDelete(gone);
    wm->QueueMessage(std::make_unique<TMessage>(kUserMessageBase, "late", ticker));
    wm->AddHover(ticker);
    auto* overlay = new RecWindow(&log, "overlay");
    wm->AddOverlay(overlay);
    struct Quiet : TMessageListener
    {
        bool OnMessage(TMessage*) override { return false; }
    };
    wm->AddListener(new Quiet());
    const TScriptHandle handles[] = {dialog->GetScriptHandle(), screen->GetScriptHandle(),
                                     overlay->GetScriptHandle()};
    wm.reset();
    EXPECT_EQ(nullptr, GetWindowManager());
    for (TScriptHandle handle : handles) EXPECT_EQ(nullptr, TWindow::FromHandle(handle));
}

}  // namespace
