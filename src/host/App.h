// TApp, the framework's public face, and GetApp, the one way to reach it.
// The facade holds the platform host and forwards to it; its constructor
// assembles the configuration and the asset index, its destructor tears the
// framework down in order and runs the exit-statistics upload.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Event.h"
#include "core/String.h"
#include "core/Task.h"
#include "host/HostServices.h"

class TAppHost;
class TAssetManager;
class TStringTable;

class TApp
{
public:
    // Takes ownership of the host. Publishes itself through GetApp first,
    // then the configuration steps run (see App.cpp).
    explicit TApp(TAppHost* host);
    ~TApp();
    TApp(const TApp&) = delete;
    TApp& operator=(const TApp&) = delete;

    TAppHost* GetHost() const { return host_; }

    TString GetProductName() const;
    // Four numbers joined by full stops.
    TString GetVersion() const;
    void SetWindowTitle(const TString& title);
    // False when the window system gives no window.
    bool CreateMainWindow();
    bool IsForeground() const;
    // False when the display refuses the switch.
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const;
    void GetDisplaySize(int& width, int& height, bool& fullScreen) const;
    void GetNextEvent(TEvent& ev);
    uint32_t GetTime() const;
    void Sleep(uint32_t ms) const;
    void OpenURL(const TString& url);
    // Makes the sound manager when there is none; its start result (false
    // without a sound system).
    bool StartSound();
    // Null before StartSound or without a sound system.
    THostSoundManager* GetSoundManager() const;
    // The next fetch (once no message waits) gives the quit event.
    void Quit(int exitCode);
    void ReportOutOfVideoMemory();
    THostWindowManager* GetWindowManager() const;
    // The host's string table and asset manager (never null while the
    // facade exists).
    TStringTable* GetStringTable() const;
    TAssetManager* GetAssetManager() const;
    void AddTask(TTask* task);
    bool RemoveTask(TTask* task);
    TTaskList& GetTaskList();
    void AddAppTask(TTask* task);
    // One phase-0 pass of the application task list; the display handler
    // calls it once every asset's device data is back.
    void RunAppTasks();
    int GetMouseMode() const;
    void SetMousePosition(int x, int y);
    // Where the pointer stands, in game coordinates; (0, 0) without a
    // display.
    void GetMousePosition(int& x, int& y) const;
    // Calls the display handler only when the visibility changes.
    void ShowSystemCursor(bool visible);
    bool IsFlipDone() const;
    // "" when the clipboard holds no text.
    TString GetClipboardText() const;
    void SetDisplayMode(int width, int height, bool fullScreen);
    void SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, bool overlay);
    // Registers the built-in pointer picture as "__systemcursor__.png"
    // unless a file of that name exists.
    void RegisterSystemCursor();
    uint32_t Random();

private:
    // One step of the facade's teardown, run when the member is destroyed.
    class TTeardownStep
    {
    public:
        TTeardownStep(TApp* app, void (*step)(TApp& app)) : app_(app), step_(step) {}
        ~TTeardownStep() { step_(*app_); }
        TTeardownStep(const TTeardownStep&) = delete;
        TTeardownStep& operator=(const TTeardownStep&) = delete;

    private:
        TApp* app_;
        void (*step_)(TApp& app);
    };

    TAppHost* host_ = nullptr;
    // The teardown is the members' destruction, bottom-up: the window
    // manager goes first (its windows may use everything else), then the
    // host's tasks, sound and the display; then nothing may reach the facade
    // any more, the game state goes, the host itself with its string table
    // and asset manager, and last the application tasks.
    TTaskList appTasks_;
    TTeardownStep hostAndSettings_;
    TTeardownStep gameState_;
    TTeardownStep unpublish_;
    TTeardownStep display_;
    TTeardownStep sound_;
    TTeardownStep hostTasks_;
    TTeardownStep windowManager_;
};

// The single facade; null before its construction and after its destruction
// has begun to take the host apart.
TApp* GetApp();

// Puts text on the clipboard; false when the clipboard refuses or there is
// no facade.
bool StringToClipboard(const TString& text);
