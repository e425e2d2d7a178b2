// What the window system reads of the application: pacing conditions, the
// display's state and size, the relative mouse mode, quitting, the
// application task list, the clipboard, opening web addresses, the string
// table and the game-state manager. The default forwards to GetApp(); tests
// install their own.
// Application time is GetClockSourceTime() (core/Clock.h) throughout.
#pragma once

#include <cstdint>

#include "core/String.h"

class TTaskList;
class TStringTable;
class THostGameState;

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
    // 0 x 0 without a facade.
    virtual void GetDisplaySize(int& width, int& height) const;
    // False when the clipboard refuses or there is no facade.
    virtual bool SetClipboardText(const TString& text);
    // "" when the clipboard holds no text or there is no facade.
    virtual TString GetClipboardText() const;
    // Hands a web address to the desktop's opener; nothing without a facade.
    virtual void OpenUrl(const TString& url);
    // Null without a facade.
    virtual TStringTable* GetStringTable() const;
    // Null when no game-state manager is registered.
    virtual THostGameState* GetGameState() const;
};

// The installed link (the default one when none is).
TWindowAppLink& GetWindowAppLink();
// Borrowed; null restores the default.
void SetWindowAppLink(TWindowAppLink* link);
