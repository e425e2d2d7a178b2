// The event fetch: first-call game-state values, the order of its steps,
// messages with several events, the held game, the idle pass and quitting.
#include <gtest/gtest.h>

#include "HostFakes.h"
#include "host/GetNextEvent.h"

using namespace hostfakes;
using platform::Message;
using platform::WindowSignal;

namespace
{

class CountingTask : public TTask
{
public:
    explicit CountingTask(int* runs) : runs_(runs) {}
    bool IsReady(int phase) override { return phase == TaskPhaseIdle; }
    bool Run() override
    {
        ++*runs_;
        return true;
    }

private:
    int* runs_;
};

class FetchTest : public BareHostTest
{
protected:
    void SetUp() override
    {
        BareHostTest::SetUp();
        host.reset(new TAppHost("", true));
        host->SetGameState(new FakeGameState());
        ASSERT_TRUE(host->CreateMainWindow());
        window = services.window;
    }
    // Skips the first call's game-state announcements.
    void SkipFirstCall() { host->firstFetchDone = true; }

    platform::NullWindow* window = nullptr;
};

}  // namespace

// The session is announced ready 500 ms after the first fetch, by the first
// fetch from then on; the fetches between go on as usual (the game's first
// frames are not held back), and a game held by a handler still hears it.
TEST_F(FetchTest, FirstCallAnnouncesLoadThenSessionReady500msLater)
{
    auto announcements = []
    {
        std::vector<std::string> gs;
        for (const auto& line : Journal())
            if (line.rfind("gs:", 0) == 0 && line != "gs:new") gs.push_back(line);
        Journal().clear();
        return gs;
    };
    EXPECT_EQ(kEventIdle, Fetch().type);
    EXPECT_EQ(announcements(), std::vector<std::string>{"gs:loadbroadcast=0 @1000"});
    Now() = 1499;
    EXPECT_EQ(kEventIdle, Fetch().type);
    EXPECT_TRUE(announcements().empty());
    Now() = 1500;
    Fetch();
    EXPECT_EQ(announcements(), std::vector<std::string>{"gs:sessionready=0 @1500"});
    // Once only.
    Now() = 3000;
    Fetch();
    EXPECT_TRUE(announcements().empty());

    // A game that a handler holds from its first fetch on hears it too.
    host->firstFetchDone = false;
    Now() = 5000;
    static_cast<FakeGameState*>(host->GetGameState())->heldCalls = 600;
    Fetch();
    EXPECT_EQ(announcements(),
              (std::vector<std::string>{"gs:loadbroadcast=0 @5000", "gs:sessionready=0 @5500"}));
}

TEST_F(FetchTest, IdlePassServicesSoundTasksAndWaitsOneMs)
{
    SkipFirstCall();
    auto* sound = new FakeSound();
    host->SetSoundManager(sound);
    int runs = 0;
    host->GetTaskList().Add(new CountingTask(&runs));
    uint32_t before = Now();
    TEvent ev = Fetch();
    EXPECT_EQ(kEventIdle, ev.type);
    EXPECT_EQ(0, ev.data);
    EXPECT_EQ(1, sound->updates);
    EXPECT_EQ(1, runs);
    EXPECT_EQ(before + 1, Now());
}

TEST_F(FetchTest, StepsComeInPriorityOrder)
{
    SkipFirstCall();
    ASSERT_NE(nullptr, host->GetWindowManager());
    auto& f = host->Flags();
    f.activationChanged = true;
    f.active = false;
    f.displayModeChanged = true;
    f.redrawRequested = true;
    f.appActivationChanged = true;
    f.appActive = false;
    f.closeRequested = true;
    f.mouseLeftPending = true;
    host->Input().mouseX = 12;
    host->Input().mouseY = 34;
    Message key;
    key.Add(kEventKeyDown, 0, 0, 'A', 0);
    window->Queue(key);
    host->PostQuit(3);

    struct Want
    {
        int32_t type;
        int32_t data;
    };
    const Want order[] = {
        {kEventActivate, 0},  {kEventDisplayModeChanged, 0},
        {kEventRedraw, 0},    {kEventActivate, 0},
        {kEventClose, 0},     {kEventMouseLeave, 0},
        {kEventKeyDown, 'A'}, {kEventQuit, 0},
        {kEventIdle, 0},
    };
    for (const Want& w : order)
    {
        TEvent ev = Fetch();
        EXPECT_EQ(w.type, ev.type);
        EXPECT_EQ(w.data, ev.data);
        if (ev.type == kEventMouseLeave)
        {
            EXPECT_EQ(12, ev.x);
            EXPECT_EQ(34, ev.y);
        }
    }
    // The close request stopped a playing movie first.
    EXPECT_NE(std::find(Journal().begin(), Journal().end(), "wm:stopmovie"), Journal().end());
}

TEST_F(FetchTest, MessageWithSeveralEventsIsHandedOutInOrder)
{
    SkipFirstCall();
    Message text;
    text.Add(kEventCharUtf8, 0, 0, 'a', 0);
    text.Add(kEventCharUtf8, 0, 0, 0xE9, 0);
    text.Add(kEventCharUtf8, 0, 0, 0x1D11E, 0);
    window->Queue(text);
    Message empty;
    window->Queue(empty);
    EXPECT_EQ('a', Fetch().data);
    EXPECT_EQ(0xE9, Fetch().data);
    EXPECT_EQ(0x1D11E, Fetch().data);
    EXPECT_EQ(kEventEmpty, Fetch().type);  // a handled message with no event
    EXPECT_EQ(kEventIdle, Fetch().type);
}

TEST_F(FetchTest, WindowSignalsSetTheFlagsTheFetchReports)
{
    SkipFirstCall();
    auto* wm = services.windowManager;
    ASSERT_EQ(wm, host->GetWindowManager());
    // The close button asks the player; a termination from outside is
    // marked, as nobody can answer then. The mark lasts for one request.
    for (WindowSignal signal :
         {WindowSignal::CloseRequest, WindowSignal::TerminateRequest, WindowSignal::CloseRequest})
    {
        Message close;
        close.signal = signal;
        window->Queue(close);
        EXPECT_EQ(kEventEmpty, Fetch().type);  // the message itself
        const TEvent ev = Fetch();             // then the flag
        EXPECT_EQ(kEventClose, ev.type);
        EXPECT_EQ(signal == WindowSignal::TerminateRequest ? kCloseFromOutside : 0, ev.data);
    }

    Message expose;
    expose.signal = WindowSignal::Exposed;
    expose.Add(kEventRedraw, 0, 0, 0, 0);
    window->Queue(expose);
    EXPECT_EQ(kEventRedraw, Fetch().type);
    EXPECT_EQ(kEventRedraw, Fetch().type);
    EXPECT_GE(wm->invalidations, 1);

    Message lost;
    lost.signal = WindowSignal::AppDeactivated;
    window->Queue(lost);
    EXPECT_EQ(kEventEmpty, Fetch().type);
    // The host's own activation and the application's both report.
    for (int i = 0; i < 2; ++i)
    {
        TEvent ev = Fetch();
        EXPECT_EQ(kEventActivate, ev.type);
        EXPECT_EQ(0, ev.data);
    }
    EXPECT_EQ(kEventIdle, Fetch().type);
    EXPECT_FALSE(host->Flags().suspended);  // windowed: not suspended

    Message gained;
    gained.signal = WindowSignal::AppActivated;
    window->Queue(gained);
    Fetch();
    for (int i = 0; i < 2; ++i)
    {
        TEvent ev = Fetch();
        EXPECT_EQ(kEventActivate, ev.type);
        EXPECT_EQ(1, ev.data);
    }
}

TEST_F(FetchTest, TwoActivationChangesBeforeAFetchCancelOut)
{
    SkipFirstCall();
    host->SetActiveState(false, true);
    host->SetActiveState(true, true);
    EXPECT_FALSE(host->Flags().activationChanged);
    EXPECT_EQ(kEventIdle, Fetch().type);
}

TEST_F(FetchTest, MinimiseSuspendsAndRestoreResumes)
{
    SkipFirstCall();
    Message min;
    min.signal = WindowSignal::Minimised;
    window->Queue(min);
    Fetch();
    EXPECT_TRUE(host->Flags().suspended);
    EXPECT_FALSE(host->Flags().active);
    TEvent ev = Fetch();
    EXPECT_EQ(kEventActivate, ev.type);
    EXPECT_EQ(0, ev.data);
    // The app-level activation change is reported too.
    ev = Fetch();
    EXPECT_EQ(kEventActivate, ev.type);
    EXPECT_EQ(kEventIdle, Fetch().type);

    Message restore;
    restore.signal = WindowSignal::Restored;
    window->Queue(restore);
    Fetch();
    EXPECT_FALSE(host->Flags().suspended);
    EXPECT_TRUE(host->Flags().active);
    EXPECT_TRUE(host->Flags().appActive);
}

TEST_F(FetchTest, HeldGameOnlyPumpsMessages)
{
    SkipFirstCall();
    auto* gs = static_cast<FakeGameState*>(host->GetGameState());
    gs->heldCalls = 3;
    Message close;
    close.signal = WindowSignal::CloseRequest;
    close.Add(kEventKeyDown, 0, 0, 'X', 0);  // dropped while held
    window->Queue(close);
    host->SetDisplayMode(800, 600, false);
    host->Flags().displayModeChanged = false;
    Message alt;
    alt.action = platform::HostAction::ToggleFullScreen;  // not acted on while held
    window->Queue(alt);
    uint32_t before = Now();
    TEvent ev = Fetch();
    // The close request was dispatched during the hold; its event comes now.
    EXPECT_EQ(kEventClose, ev.type);
    EXPECT_EQ(before + 3, Now());  // 1 ms per held round
    EXPECT_FALSE(window->fullScreen);
    EXPECT_EQ(kEventIdle, Fetch().type);

    // A quit asked for while held ends the hold's wait at once.
    gs->heldCalls = 100;
    host->PostQuit(0);
    EXPECT_EQ(kEventQuit, Fetch().type);
}

TEST_F(FetchTest, AltEnterSwitchesTheDisplay)
{
    SkipFirstCall();
    host->SetDisplayMode(800, 600, false);
    EXPECT_EQ(kEventDisplayModeChanged, Fetch().type);
    Message alt;
    alt.action = platform::HostAction::ToggleFullScreen;
    window->Queue(alt);
    TEvent ev = Fetch();
    EXPECT_EQ(kEventFullScreenToggle, ev.type);
    EXPECT_EQ(1, ev.data);
    EXPECT_TRUE(window->fullScreen);
    window->Queue(alt);
    ev = Fetch();
    EXPECT_EQ(kEventFullScreenToggle, ev.type);
    EXPECT_EQ(0, ev.data);

    // Embedded without "-pq=", the page owns the display: no event.
    host->embedded = true;
    window->Queue(alt);
    EXPECT_EQ(kEventEmpty, Fetch().type);
    EXPECT_FALSE(window->fullScreen);
}

TEST_F(FetchTest, QuitWaitsForQueuedMessages)
{
    SkipFirstCall();
    host->PostQuit(7);
    Message m;
    m.Add(kEventMouseMove, 1, 2, 0, 0);
    window->Queue(m);
    EXPECT_EQ(kEventMouseMove, Fetch().type);
    EXPECT_EQ(kEventQuit, Fetch().type);
    EXPECT_EQ(7, host->quitCode);
    EXPECT_EQ(kEventIdle, Fetch().type);
}

TEST_F(FetchTest, HoverAfterStillness)
{
    SkipFirstCall();
    auto& st = host->Input();
    st.hoverArmed = true;
    st.pointerInside = true;
    st.lastMoveTime = host->GetTime();
    st.mouseX = 40;
    st.mouseY = 50;
    EXPECT_EQ(kEventIdle, Fetch().type);
    Now() += 400;
    TEvent ev = Fetch();
    EXPECT_EQ(kEventHover, ev.type);
    EXPECT_EQ(40, ev.x);
    EXPECT_EQ(50, ev.y);
}

TEST_F(FetchTest, DisplayHandlerSteps)
{
    SkipFirstCall();
    FakeDisplay display;
    host->SetDisplay(&display);
    auto& f = host->Flags();

    // A lost device still lets a quit through, before anything is restored.
    display.deviceValid = false;
    host->PostQuit(0);
    Journal().clear();
    EXPECT_EQ(kEventQuit, Fetch().type);
    EXPECT_TRUE(Journal().empty());

    // In front, the lost device is restored and the call is an empty event.
    TEvent ev = Fetch();
    EXPECT_EQ(kEventEmpty, ev.type);
    EXPECT_EQ(std::vector<std::string>{"display:restore"}, Journal());

    // Suspended, nothing is restored, not even after a redraw.
    display.deviceValid = false;
    f.suspended = true;
    f.redrawRequested = true;
    Journal().clear();
    EXPECT_EQ(kEventRedraw, Fetch().type);
    EXPECT_TRUE(Journal().empty());
    f.suspended = false;
    f.redrawRequested = true;
    EXPECT_EQ(kEventEmpty, Fetch().type);  // the restore step comes first
    EXPECT_EQ(kEventRedraw, Fetch().type);

    // Going inactive clears the display's redraw flag.
    Journal().clear();
    host->SetActiveState(false, true);
    ev = Fetch();
    EXPECT_EQ(kEventActivate, ev.type);
    EXPECT_EQ(0, ev.data);
    EXPECT_EQ(std::vector<std::string>{"display:clear redraw"}, Journal());
    host->SetActiveState(true, true);
    Fetch();

    // The pointer leaves at the display's mouse-image position.
    display.mouseX = 321;
    display.mouseY = -5;
    f.mouseLeftPending = true;
    ev = Fetch();
    EXPECT_EQ(kEventMouseLeave, ev.type);
    EXPECT_EQ(321, ev.x);
    EXPECT_EQ(-5, ev.y);

    // Alt+F1 toggles the overlay with no event; Alt+Enter asks the display.
    Message overlay;
    overlay.action = platform::HostAction::ToggleOverlay;
    window->Queue(overlay);
    Message alt;
    alt.action = platform::HostAction::ToggleFullScreen;
    window->Queue(alt);
    Journal().clear();
    const int invalidationsBefore = services.windowManager->invalidations;
    EXPECT_EQ(kEventEmpty, Fetch().type);
    // The overlay shows at once, not at the next change on screen.
    EXPECT_EQ(invalidationsBefore + 1, services.windowManager->invalidations);
    ev = Fetch();
    EXPECT_EQ(kEventFullScreenToggle, ev.type);
    EXPECT_EQ(1, ev.data);
    const std::vector<std::string> want = {"display:overlay", "display:fullscreen"};
    EXPECT_EQ(want, Journal());
    host->SetDisplay(nullptr);
}
