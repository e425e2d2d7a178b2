// TWindowManager: the modal stack, event routing into the window tree, the
// message queue and its delivery, the focus window and the hover list,
// deferred window deletion, and frame pacing with the drawing of the whole
// tree. One manager lives for the life of the platform host.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "core/Event.h"
#include "core/ValueTypes.h"
#include "graphics/Texture.h"
#include "host/HostServices.h"
#include "ui/WindowClass.h"

class TMessage;
class TModalWindow;
class TScreen;
class TWindow;
class TWindowScriptLink;
class TWindowAppLink;
class TLuaFunction;
class TDrawContext;
class TTask;
class TTaskList;
class TScript;

// Offered every message that has no receiver, before the focus window.
class TMessageListener
{
public:
    virtual ~TMessageListener() = default;
    // True: taken (the manager then deletes the message).
    virtual bool OnMessage(TMessage* message) = 0;
};

// Consulted by TWindow::OnMouseTrack when installed.
class THoverTrackHandler
{
public:
    virtual ~THoverTrackHandler() = default;
    virtual bool OnMouseTrack(TWindow* window, TPoint point) = 0;
};

// Main thread only. Handlers may push or pop modals and schedule deletions
// while an event is routed: hover walks stop when the top modal changes,
// and a pop during drawing stops the stack drawing in progress.
class TWindowManager final : public THostWindowManager
{
public:
    // Becomes the live manager that GetWindowManager returns.
    TWindowManager();
    // Deletes the listeners, pops every modal, deletes the pending and the
    // overlay windows and the queued messages, releases the capture, then
    // takes the script off the application task list and deletes it (Lua
    // references in those windows and messages die before their script).
    ~TWindowManager() override;
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;

    // --- THostWindowManager ---
    void Invalidate() override { redrawNeeded_ = true; }
    bool HasRootWindow() const override { return screen_ != nullptr; }
    // Makes a TScreen of that size and installs it (SetScreen).
    void CreateRootScreen(int width, int height) override;
    // A new TWindowScript becomes the script (SetScript).
    void CreateWindowScript() override;
    bool SetTranslateLabels(bool translate) override;
    void StopMovieIfPlaying() override;
    bool IsMoviePlaying() const override { return moviePlaying_; }
    bool IsMovieInput() const override { return movieInput_; }
    // Kept by the window script's movie host.
    void SetMoviePlaying(bool on) { moviePlaying_ = on; }
    void SetMovieInput(bool on) { movieInput_ = on; }

    // --- Script ---
    TWindowScriptLink* GetScript() const { return script_.get(); }
    // Owned from here (a previous one is deleted); the current-window stack
    // starts at the top modal and the type "XSellWindow" is registered. The script's task joins the application task
    // list until the script goes.
    void SetScript(TWindowScriptLink* script);
    bool GetTranslateLabels() const;
    // Runs text in the script with window as the current window; false
    // without a script or on a script error.
    bool RunScriptForWindow(TWindow* window, const TString& text);
    void RegisterWindowType(const TString& typeName, TWindowClassId id);

    // --- Modal stack ---
    TWindow* GetTopModal() const { return modals_.empty() ? nullptr : modals_.back(); }
    TScreen* GetScreen() const { return screen_; }
    int GetModalCount() const { return static_cast<int>(modals_.size()); }
    // The modal at depth (0 = top); null past the bottom.
    TWindow* GetModal(int depth) const;
    bool IsOnModalStack(const TWindow* window) const;
    // Null is ignored.
    void PushModal(TWindow* modal);
    // Nothing on an empty stack.
    void PopTopModal();
    // Pops down to (and including) the modal named or id-texted text, then
    // starts the clock of the new top.
    void PopModal(const TString& text);
    // Pushes the screen, sizes it to the display; its OnAttached result.
    bool SetScreen(TScreen* screen);

    // --- Focus and hover ---
    TWindow* GetFocusWindow() const { return focus_; }
    // Returns the previous one; the new one (not null) hears OnFocusChanged.
    TWindow* SetFocusWindow(TWindow* window);
    // Without telling anyone (a modal handing the focus to its child, which
    // it then tells itself).
    TWindow* ReplaceFocusWindow(TWindow* window);
    void AddHover(TWindow* window);
    void RemoveHover(TWindow* window);
    const std::vector<TWindow*>& GetHoverList() const { return hover_; }
    TWindow* GetOutlineWindow() const { return outline_; }

    // --- Messages ---
    // Owned from here; null is ignored.
    void QueueMessage(TMessage* message);
    void FlushMessages();
    void DeliverMessage(TMessage* message);
    size_t GetQueuedCount() const { return queue_.size(); }
    // Owned from here.
    void AddListener(TMessageListener* listener);
    // Borrowed; null removes it.
    void SetHoverTrackHandler(THoverTrackHandler* handler) { hoverHandler_ = handler; }
    THoverTrackHandler* GetHoverTrackHandler() const { return hoverHandler_; }

    // --- Deletion ---
    // Unlinks the window from its parent and deletes it at the start of the
    // next event; a window already pending is left alone.
    void ScheduleDelete(TWindow* window);
    bool IsPendingDelete(const TWindow* window) const;
    // Called by the window destructor: the manager forgets the window
    // everywhere it may still be named.
    void WindowDestroyed(TWindow* window);

    // --- Events and drawing ---
    void HandleEvent(const TEvent& event);
    void Draw();
    void DrawModalStack(int pass);
    void SetTopModalOnly(bool on) { topModalOnly_ = on; }
    void SetDrawingDisabled(bool on) { drawingDisabled_ = on; }
    void SetOutlineEnabled(bool on) { outlineEnabled_ = on; }
    bool IsRedrawNeeded() const { return redrawNeeded_; }
    bool IsDrawAborted() const { return abortDraw_; }
    // Owned from here; drawn after the modal stack.
    void AddOverlay(TWindow* window);
    TTextureRef GetCapture() const { return capture_; }
    void SetCapture(const TTextureRef& texture) { capture_ = texture; }

private:
    void DrawFrame(TWindowAppLink& app);
    void DeletePending();
    void DetachScriptTask();
    void HandleMouse(const TEvent& event);
    void HoverCapture(const TEvent& event);
    void MouseLeaveAll();
    void ClearReceivers(const TWindow* window, bool inside);
    static void Erase(std::vector<TWindow*>& list, const TWindow* window);
    static bool Has(const std::vector<TWindow*>& list, const TWindow* window);

    TTextureRef capture_;
    TScreen* screen_ = nullptr;
    bool abortDraw_ = false;
    uint32_t lastDrawTime_ = 0;
    std::vector<TWindow*> modals_;  // back = top
    std::vector<TWindow*> pending_;
    std::vector<TWindow*> overlays_;
    bool drawingDisabled_ = false;
    bool topModalOnly_ = false;
    bool redrawNeeded_ = true;
    bool outlineEnabled_ = false;
    bool hoverChanged_ = false;
    bool translateLabels_ = false;  // kept while there is no script
    TWindow* outline_ = nullptr;
    std::vector<TWindow*> hover_;  // front = most recent
    TWindow* focus_ = nullptr;
    std::unique_ptr<TWindowScriptLink> script_;
    TTask* scriptTask_ = nullptr;
    TTaskList* scriptTaskList_ = nullptr;
    bool moviePlaying_ = false;
    bool movieInput_ = false;
    std::deque<TMessage*> queue_;
    std::vector<std::unique_ptr<TMessageListener>> listeners_;
    THoverTrackHandler* hoverHandler_ = nullptr;
};

namespace window_manager_detail
{
extern TWindowManager* gManager;
}  // namespace window_manager_detail

// The live window manager; null when none exists. Inline: every message
// delivery and many window operations ask for it.
inline TWindowManager* GetWindowManager()
{
    return window_manager_detail::gManager;
}

// Run on every window script CreateWindowScript makes, before it becomes the
// manager's script: the services above the window system publish their
// script functions through it. Empty: nothing runs.
void SetWindowScriptHook(std::function<void(TScript& script)> hook);
