// What the window manager needs of the window script: the hand-over of
// messages and commands that no window took, the current-window stack, the
// wake-up on a close request, running a text for a window, the window type
// registry and the translate-labels flag. Without a script the manager
// takes its no-script paths (unclaimed messages are deleted).
#pragma once

#include <memory>

#include "core/String.h"
#include "ui/WindowClass.h"

class TLuaFunction;
class TMessage;
class TTask;
class TWindow;

class TWindowScriptLink
{
public:
    virtual ~TWindowScriptLink() = default;
    // A message (or null) and a command function (or null) that no window
    // took. False when neither could be delivered (the script is busy for
    // another reason).
    virtual bool PostToScript(std::unique_ptr<TMessage> message,
                              std::unique_ptr<TLuaFunction> command) = 0;
    // The current-window stack becomes window alone (null included).
    virtual void SetTopModal(TWindow* window) = 0;
    virtual void PushWindow(TWindow* window) = 0;
    // Never below one entry.
    virtual void PopWindow() = 0;
    // A destroyed window leaves the current-window stack.
    virtual void ForgetWindow(TWindow* window) = 0;
    // A close request: a script waiting for messages wakes with no values.
    virtual void WakeOnClose() = 0;
    // Runs a Lua text in the script; false on any error.
    virtual bool RunText(const TString& text) = 0;
    // Sets a global string of the script (a value, never source text).
    virtual void SetGlobalText(const char* name, const TString& value) { (void)name, (void)value; }
    virtual void RegisterWindowType(const TString& typeName, TWindowClassId id) = 0;
    // Returns the previous value.
    virtual bool SetTranslateLabels(bool translate) = 0;
    virtual bool GetTranslateLabels() const = 0;
    // The manager has taken the script: the task to list on the application
    // task list while the script lives (null: none).
    virtual TTask* AttachToManager() { return nullptr; }
    // Stops and frees a movie the script plays.
    virtual void StopMovieIfPlaying() {}
};
