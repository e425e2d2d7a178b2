// What the window system reads of the application: pacing conditions, the
// display's state, the relative mouse mode, quitting and the application
// task list. The default forwards to GetApp(); tests install their own.
// Application time is GetClockSourceTime() (core/Clock.h) throughout.
#pragma once

#include <cstdint>

class TTaskList;

class TWindowAppLink
{
public:
    virtual ~TWindowAppLink() = default;
    // The 12 ms frame interval applies: the game is in the foreground, or
    // runs with "-pq=", or embedded.
    virtual bool IsFastFrameRate() const;
    // The display has presented the previous frame (true without a display).
    virtual bool IsFlipDone() const;
    // The display handler has its surfaces.
    virtual bool IsDisplayReady() const;
    // The application facade exists.
    virtual bool IsAppReady() const;
    // Mouse moves carry deltas.
    virtual bool IsRelativeMouse() const;
    virtual void Quit(int code);
    // The host's task list; null without a facade.
    virtual TTaskList* GetTaskList();
};

// The installed link (the default one when none is).
TWindowAppLink& GetWindowAppLink();
// Borrowed; null restores the default.
void SetWindowAppLink(TWindowAppLink* link);
