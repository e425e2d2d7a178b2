// TModalWindow: one layer of the window manager's modal stack (a dialog, a
// screen or the root), with its own task list and clock, its focus child,
// the set of windows that cover it and its hot keys.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/Clock.h"
#include "core/Task.h"
#include "ui/Window.h"

class TModalWindow : public TWindow
{
public:
    TModalWindow();
    ORVELLE_WINDOW_CLASS(TWindow);
    // Queues kModalClosed (named with the id text) while a window manager
    // exists, then deletes the tasks.
    ~TModalWindow() override;
    // Starts (resumes) the clock.
    bool OnAttached() override;
    // FitToChildren, then the base PostInit.
    void PostInit(TWindowStyle& style) override;
    // kCloseWindow: pops the named modal (nothing for an empty name); taken
    // either way. Other kinds are refused.
    bool OnMessage(TMessage* message) override;
    // Hands the focus on to the focus child when there is one.
    void OnFocusChanged(TWindow* previous) override;
    // Enter and Escape: the default or cancel button's command runs; unless
    // it took the button out of the tree, kDefaultAction goes to the focus
    // window (this modal without one). Other characters are refused.
    bool OnChar(char c) override;
    // A registered hot key (the exact modifiers first, then "@" and the key)
    // presses its button and swallows the key's character event.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;
    // Stores button under the normalised key; an empty button removes it.
    virtual void RegisterHotkey(const TString& key, const TString& button);

    TWindow* GetFocusChild() const { return focusChild_; }
    // Null clears it. When this modal has the focus, the child takes it.
    void SetFocusChild(TWindow* child);
    // The button registered for the normalised key; "" when none.
    TString GetHotkeyButton(const TString& key) const;
    // Clicks the button of that name below this modal; a missing one is
    // logged.
    void PressHotKeyButton(const TString& name);

    TClock& GetClock() { return clock_; }
    TTaskList& GetTaskList() { return *tasks_; }
    // Owned by the task list from here.
    void AddTask(TTask* task);
    void RunTasks(int phase);
    void DeleteTasks();

    // Inserts or withdraws window in the covering set; the modal is opaque
    // while the set is not empty.
    void UpdateCovering(TWindow* window, bool covers);
    // Withdraws every covering window that lies inside subtree.
    void WithdrawCovering(const TWindow* subtree);
    bool IsCoveredBy(const TWindow* window) const { return covering_.count(window) != 0; }

private:
    std::unique_ptr<TTaskList> tasks_;
    TWindow* focusChild_ = nullptr;
    std::set<const TWindow*> covering_;
    TClock clock_;
    std::map<std::string, TString> hotkeys_;
};

// A key description ("control-alt-x") in its normal form ("ctrl-alt-X");
// "" for an empty description. Upper-casing is ASCII only.
TString HotKeyText(const TString& description);
