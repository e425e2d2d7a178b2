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
#include "core/host/HostServices.h"
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
    const TString& GetProgramPath() const { return m_programPath; }
    const TString& GetProgramFolder() const { return m_programFolder; }
    const TString& GetAssetsFolder() const { return m_assetsFolder; }
    const TString& GetStartFolder() const { return m_startFolder; }
    const TString& GetInstanceName() const { return m_instanceName; }
    const TString& GetCommandLine() const { return m_commandLine; }
    void SetCommandLine(const TString& commandLine) { m_commandLine = commandLine; }
    bool HasSwitch(const char* text) const;

    const TString& GetProductName() const { return m_productName; }
    const TString& GetVersion() const { return m_version; }
    const TString& GetInternalName() const { return m_internalName; }

    TTaskList& GetTaskList() { return m_tasks; }
    TMersenneTwister& GetRandom() { return m_random; }
    platform::Window* GetWindow() const { return m_window.get(); }

    // Managers; the host owns them (the facade tears them down in order).
    THostWindowManager* GetWindowManager() const { return m_windowManager; }
    void SetWindowManager(THostWindowManager* wm) { m_windowManager = wm; }
    THostSoundManager* GetSoundManager() const { return m_soundManager; }
    void SetSoundManager(THostSoundManager* sm) { m_soundManager = sm; }
    THostDisplay* GetDisplay() const { return m_display; }
    void SetDisplay(THostDisplay* display) { m_display = display; }
    THostGameState* GetGameState() const { return m_gameState; }
    void SetGameState(THostGameState* gs) { m_gameState = gs; }
    TAssetManager* GetAssetManager() const { return m_assetManager; }
    TStringTable* GetStringTable() const { return m_stringTable; }
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
        bool appActive = true;
        bool appActivationChanged = false;
        bool suspended = false;
        bool redrawRequested = false;
        bool displayModeChanged = false;
        bool mouseLeftPending = false;
        bool hiddenByMinimise = false;
    };
    TFlags& Flags() { return m_flags; }
    platform::InputState& Input() { return m_input; }

    bool embedded = false;
    bool activeXTest = false;
    bool systemCursorVisible = true;
    bool utf8 = false;
    int mouseMode = 0;
    int32_t timeOffset = 0;

    // Event-fetch state.
    bool firstFetchDone = false;
    bool quitPending = false;
    int quitCode = 0;
    std::deque<TEvent> pendingEvents;  // the rest of a message with several events

private:
    void ReadVersion();
    void ApplyStandInDisplayMode(int width, int height, bool fullScreen);

    TFlags m_flags;
    platform::InputState m_input;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;

    std::shared_ptr<TTexture> m_cursor;
    int m_cursorHotX = 0;
    int m_cursorHotY = 0;
    std::shared_ptr<TTexture> m_overlayCursor;
    int m_overlayHotX = 0;
    int m_overlayHotY = 0;
    std::shared_ptr<TTexture> m_systemCursor;
    bool m_systemCursorTried = false;

    TString m_commandLine;
    TString m_programPath;
    TString m_programFolder;
    TString m_assetsFolder;
    TString m_startFolder;
    TString m_instanceName;
    TString m_productName;
    TString m_version;
    TString m_internalName;

    THostWindowManager* m_windowManager = nullptr;
    THostSoundManager* m_soundManager = nullptr;
    THostDisplay* m_display = nullptr;
    THostGameState* m_gameState = nullptr;
    TAssetManager* m_assetManager = nullptr;
    TStringTable* m_stringTable = nullptr;

    uint32_t m_startTime = 0;
    TMersenneTwister m_random;
    TTaskList m_tasks;
    std::unique_ptr<platform::Window> m_window;
    platform::InstanceLock m_lock;
    bool m_modeSetOnce = false;
    bool m_standInFullScreen = false;
    int m_standInWidth = 0;
    int m_standInHeight = 0;
    bool m_portalFullScreenWish = false;
};

// Seeds rand with (time x 8627) mod 104729 and makes the host.
TAppHost* CreateAppHost(const TString& commandLine, bool allowMultiple);

// The instance name of a program path: lower-cased, without '/', '\' and
// ':', so copies in different folders are different instances.
TString MakeInstanceName(const TString& programPath);

// Host ms clock of the registered tick source.
uint32_t HostTickMs();
