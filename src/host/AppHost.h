// TAppHost: the platform object of the framework. Owns the main window, the
// window-state flags its window procedure keeps, the program's folders and
// version, the single-instance lock, the managers (window manager, sound
// manager, task list, random generator) and the cursor images; the event
// fetch (GetNextEvent.h) is its largest operation.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "core/AssetManager.h"
#include "core/Random.h"
#include "core/String.h"
#include "core/StringTable.h"
#include "core/Task.h"
#include "core/Event.h"
#include "host/HostServices.h"
#include "platform/InstanceLock.h"
#include "platform/Input.h"
#include "platform/Window.h"

class TAppHost
{
public:
    // Initialisation in the framework's order: generator seeded with the
    // fixed key, utf8 flag, managers, folders (the current folder becomes the
    // program folder), instance name and, unless allowMultiple, the
    // single-instance lock, version information. A second instance raises
    // the first one's window and ends the process with exit code 0.
    TAppHost(const TString& commandLine, bool allowMultiple);
    ~TAppHost();
    TAppHost(const TAppHost&) = delete;
    TAppHost& operator=(const TAppHost&) = delete;

    // Opens the main window (title "Corvantis", 480 x 360, hidden until a
    // display mode is set) and publishes "hwnd". False when the window
    // system cannot give one.
    bool CreateMainWindow();

    // ms since start, less the time a portal page held the game.
    uint32_t GetTime() const;
    // Opens the text with the desktop's handler (logged when it cannot).
    void OpenURL(const TString& text);
    // False without a window or when the clipboard refuses.
    bool SetClipboardText(const TString& text);
    // "" without a window or clipboard text.
    TString GetClipboardText();
    void SetWindowTitle(const TString& text);
    // False without a window or when another window has the input focus.
    bool IsForeground() const;
    void SetMousePosition(int x, int y);
    // Hands out scale x; returns the embedded flag.
    bool GetViewportScale(float& scaleX) const;
    void SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, bool overlay);
    void ReapplyCursors();
    void ShowSystemCursor(bool visible);
    // Forwards to the display handler (without one the host sizes and shows
    // the window itself). Inside a host page the picture is scaled to the
    // page and is never full screen.
    void SetDisplayMode(int width, int height, bool fullScreen);
    bool IsFullScreen() const;
    // False when the display (or the window) refuses the switch.
    bool SetFullScreen(bool fullScreen);
    void GetDisplaySize(int& width, int& height, bool& fullScreen) const;
    // The settings change hook: "vsync", "memorymax", "viewportscale".
    void OnSettingChanged(const TString& key, const TString& value);
    void KeepTopmost();

    // The window-procedure side of activation.
    void SetActiveState(bool active, bool force);
    void OnActivateApp(bool active);
    // Applies a message's window-procedure effects.
    void OnWindowSignal(platform::WindowSignal signal);

    // Asks for the quit event (the fetch gives it once no message waits).
    void PostQuit(int exitCode);

    void Sleep(uint32_t ms) const;

    // Folders (program folder and assets folder without a trailing "/").
    const TString& GetProgramPath() const { return programPath_; }
    const TString& GetProgramFolder() const { return programFolder_; }
    const TString& GetAssetsFolder() const { return assetsFolder_; }
    const TString& GetStartFolder() const { return startFolder_; }
    const TString& GetInstanceName() const { return instanceName_; }
    const TString& GetCommandLine() const { return commandLine_; }
    void SetCommandLine(const TString& commandLine) { commandLine_ = commandLine; }
    bool HasSwitch(const char* text) const;

    const TString& GetProductName() const { return productName_; }
    const TString& GetVersion() const { return version_; }
    const TString& GetInternalName() const { return internalName_; }

    TTaskList& GetTaskList() { return tasks_; }
    TMersenneTwister& GetRandom() { return random_; }
    platform::Window* GetWindow() const { return window_.get(); }

    // Managers; the host owns them (the facade tears them down in order).
    THostWindowManager* GetWindowManager() const { return windowManager_; }
    void SetWindowManager(THostWindowManager* wm) { windowManager_ = wm; }
    THostSoundManager* GetSoundManager() const { return soundManager_; }
    void SetSoundManager(THostSoundManager* sm) { soundManager_ = sm; }
    THostDisplay* GetDisplay() const { return display_; }
    void SetDisplay(THostDisplay* display) { display_ = display; }
    THostGameState* GetGameState() const { return gameState_; }
    void SetGameState(THostGameState* gs) { gameState_ = gs; }
    TAssetManager* GetAssetManager() const { return assetManager_; }
    TStringTable* GetStringTable() const { return stringTable_; }
    // The facade destroys these before the host (null afterwards).
    void DestroyStringTable();
    void DestroyAssetManager();

    // Window-state flags, as the window procedure and the event fetch keep
    // them.
    struct TFlags
    {
        bool active = true;
        bool activationChanged = false;
        bool closeRequested = false;
        bool closeFromOutside = false;  // the pending close request cannot be answered
        bool appActive = true;
        bool appActivationChanged = false;
        bool suspended = false;
        bool redrawRequested = false;
        bool displayModeChanged = false;
        bool mouseLeftPending = false;
        bool hiddenByMinimise = false;
    };
    TFlags& Flags() { return flags_; }
    platform::InputState& Input() { return input_; }

    bool embedded = false;
    bool activeXTest = false;
    bool systemCursorVisible = true;
    bool utf8 = false;
    int mouseMode = 0;
    int32_t timeOffset = 0;

    // Event-fetch state.
    bool firstFetchDone = false;
    bool sessionReadyPending = false;  // "sessionready" is due 500 ms after the first fetch
    uint32_t firstFetchTime = 0;
    bool quitPending = false;
    int quitCode = 0;
    std::deque<TEvent> pendingEvents;  // the rest of a message with several events

private:
    void ReadVersion();
    void ApplyStandInDisplayMode(int width, int height, bool fullScreen);

    TFlags flags_;
    platform::InputState input_;
    float scaleX_ = 1.0f;
    float scaleY_ = 1.0f;

    std::shared_ptr<TTexture> cursor_;
    int cursorHotX_ = 0;
    int cursorHotY_ = 0;
    std::shared_ptr<TTexture> overlayCursor_;
    int overlayHotX_ = 0;
    int overlayHotY_ = 0;
    std::shared_ptr<TTexture> systemCursor_;
    bool systemCursorTried_ = false;

    TString commandLine_;
    TString programPath_;
    TString programFolder_;
    TString assetsFolder_;
    TString startFolder_;
    TString instanceName_;
    TString productName_;
    TString version_;
    TString internalName_;

    THostWindowManager* windowManager_ = nullptr;
    THostSoundManager* soundManager_ = nullptr;
    THostDisplay* display_ = nullptr;
    THostGameState* gameState_ = nullptr;
    TAssetManager* assetManager_ = nullptr;
    TStringTable* stringTable_ = nullptr;

    uint32_t startTime_ = 0;
    TMersenneTwister random_;
    TTaskList tasks_;
    std::unique_ptr<platform::Window> window_;
    platform::InstanceLock lock_;
    bool modeSetOnce_ = false;
    bool standInFullScreen_ = false;
    int standInWidth_ = 0;
    int standInHeight_ = 0;
    bool portalFullScreenWish_ = false;
};

// Seeds rand with (time x 8627) mod 104729 and makes the host.
TAppHost* CreateAppHost(const TString& commandLine, bool allowMultiple);

// The instance name of a program path: lower-cased, without '/', '\' and
// ':', so copies in different folders are different instances.
TString MakeInstanceName(const TString& programPath);

// Host ms clock of the registered tick source.
uint32_t HostTickMs();
