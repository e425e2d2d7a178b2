// The event fetch, in the order its steps are checked.
#include "host/GetNextEvent.h"

#include "host/AppHost.h"
#include "platform/InstanceLock.h"

namespace
{

constexpr uint32_t kSessionReadyDelayMs = 500;

platform::InputContext MakeContext(TAppHost& host)
{
    platform::InputContext ctx;
    ctx.now = host.GetTime();
    ctx.utf8 = host.utf8;
    ctx.embedded = host.embedded;
    if (THostWindowManager* wm = host.GetWindowManager())
    {
        ctx.moviePlaying = wm->IsMoviePlaying();
        ctx.movieInput = wm->IsMovieInput();
    }
    if (THostDisplay* display = host.GetDisplay())
        display->GetViewport(ctx.scaleX, ctx.scaleY, ctx.originX, ctx.originY);
    return ctx;
}

bool DeviceValid(TAppHost& host)
{
    THostDisplay* display = host.GetDisplay();
    return !display || display->IsDeviceValid();
}

bool Poll(TAppHost& host, platform::Message& msg)
{
    platform::Window* window = host.GetWindow();
    if (!window || !window->IsOpen()) return false;
    return window->PollMessage(MakeContext(host), host.Input(), msg);
}

// The Alt+Enter switch: event 19 with the display's new state, or nothing
// when an embedding page owns the display.
void ToggleFullScreen(TAppHost& host, platform::Message& msg)
{
    if (host.embedded && !host.HasSwitch("-pq=")) return;
    host.SetFullScreen(!host.IsFullScreen());
    msg.Add(kEventFullScreenToggle, 0, 0, host.IsFullScreen() ? 1 : 0, 0);
}

// The window procedure's side of a message, as dispatching it would run it.
void Dispatch(TAppHost& host, const platform::Message& msg)
{
    host.OnWindowSignal(msg.signal);
}

// A message in full: dispatched, its host action carried out, then its first
// event (the rest wait for the next calls).
void Deliver(TAppHost& host, platform::Message& msg, TEvent& ev)
{
    Dispatch(host, msg);
    switch (msg.action)
    {
        case platform::HostAction::None:
            break;
        case platform::HostAction::ToggleFullScreen:
            ToggleFullScreen(host, msg);
            break;
        case platform::HostAction::ToggleOverlay:
            if (THostDisplay* display = host.GetDisplay()) display->ToggleDebugOverlay();
            // The manager draws only invalidated frames: without this the
            // overlay would wait for the next change on screen.
            if (THostWindowManager* wm = host.GetWindowManager()) wm->Invalidate();
            break;
    }
    if (msg.count == 0)
    {
        ev.Set(kEventEmpty, 0, 0, 0, 0);
        return;
    }
    ev = msg.events[0];
    for (int i = 1; i < msg.count; ++i) host.pendingEvents.push_back(msg.events[i]);
}

void AnnounceSessionReadyWhenDue(TAppHost& host, THostGameState* gameState)
{
    if (!host.sessionReadyPending || host.GetTime() - host.firstFetchTime < kSessionReadyDelayMs)
        return;
    host.sessionReadyPending = false;
    if (gameState) gameState->SetStateInt("sessionready", 0);
}

bool TakeQuit(TAppHost& host, TEvent& ev)
{
    if (!host.quitPending) return false;
    host.quitPending = false;
    ev.Set(kEventQuit, 0, 0, 0, 0);
    return true;
}

}  // namespace

void GetNextEvent(TAppHost& host, TEvent& ev)
{
    ev = TEvent();
    auto& flags = host.Flags();
    THostDisplay* display = host.GetDisplay();
    THostGameState* gameState = host.GetGameState();

    // An embedding page that has gone away cannot be told on this
    //    platform: there is never a parent window to lose.

    // The game-state handlers hear of the first fetch, and 500 ms later that
    // the session is ready. The game runs on meanwhile: waiting here would
    // hold its first frame back by half a second.
    if (!host.firstFetchDone)
    {
        host.firstFetchDone = true;
        if (gameState) gameState->SetStateInt("loadbroadcast", 0);
        host.sessionReadyPending = true;
        host.firstFetchTime = host.GetTime();
    }
    AnnounceSessionReadyWhenDue(host, gameState);

    // While a handler holds the game only messages are pumped.
    while (gameState && gameState->IsHeld())
    {
        host.Sleep(1);
        AnnounceSessionReadyWhenDue(host, gameState);
        platform::Message msg;
        if (Poll(host, msg))
        {
            // Dispatched only: the game hears nothing while it is held.
            Dispatch(host, msg);
        }
        else if (TakeQuit(host, ev))
        {
            return;
        }
    }

    // Activation toggled by the window procedure.
    if (flags.activationChanged)
    {
        flags.activationChanged = false;
        if (!flags.active && display) display->ClearRedrawFlag();
        ev.Set(kEventActivate, 0, 0, flags.active ? 1 : 0, 0);
        return;
    }
    // A lost device still lets the program quit.
    if (!DeviceValid(host) && TakeQuit(host, ev)) return;
    // A lost device is restored while the program is in front.
    if (!flags.suspended && flags.active && !DeviceValid(host))
    {
        display->Restore();
        ev.Set(kEventEmpty, 0, 0, 0, 0);
        return;
    }
    if (flags.displayModeChanged)
    {
        flags.displayModeChanged = false;
        ev.Set(kEventDisplayModeChanged, 0, 0, 0, 0);
        return;
    }
    if (flags.redrawRequested)
    {
        flags.redrawRequested = false;
        ev.Set(kEventRedraw, 0, 0, 0, 0);
        if (!DeviceValid(host) && !flags.suspended) display->Restore();
        return;
    }
    if (flags.appActivationChanged)
    {
        flags.appActivationChanged = false;
        ev.Set(kEventActivate, 0, 0, flags.appActive ? 1 : 0, 0);
        return;
    }
    if (flags.closeRequested)
    {
        flags.closeRequested = false;
        const bool fromOutside = flags.closeFromOutside;
        flags.closeFromOutside = false;
        if (THostWindowManager* wm = host.GetWindowManager()) wm->StopMovieIfPlaying();
        ev.Set(kEventClose, 0, 0, fromOutside ? kCloseFromOutside : 0, 0);
        return;
    }
    if (flags.mouseLeftPending)
    {
        flags.mouseLeftPending = false;
        int x = host.Input().mouseX, y = host.Input().mouseY;
        if (display) display->GetMouseImagePos(x, y);
        ev.Set(kEventMouseLeave, x, y, 0, 0);
        return;
    }
    // The rest of the last message, then the next message, then a quit
    //     asked for by the application (it comes once nothing else waits).
    if (!host.pendingEvents.empty())
    {
        ev = host.pendingEvents.front();
        host.pendingEvents.pop_front();
        return;
    }
    platform::Message msg;
    if (Poll(host, msg))
    {
        Deliver(host, msg, ev);
        return;
    }
    if (TakeQuit(host, ev)) return;

    // Idle pass.
    if (host.IsFullScreen() && flags.active && !flags.activationChanged) host.KeepTopmost();
    // A second copy of the program asked for this window to come forward.
    if (platform::TakeRaiseRequest() && host.GetWindow()) host.GetWindow()->Raise();
    if (THostSoundManager* sound = host.GetSoundManager()) sound->Update();
    host.GetTaskList().RunTasks(TaskPhaseIdle);
    ev.Set(kEventIdle, 0, 0, 0, 0);
    host.Sleep(1);
}
