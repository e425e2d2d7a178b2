// What the platform host needs of the subsystems built above it (window
// system, sound, display handler, game-state services, HTTP client). Each
// subsystem registers its implementation in the framework services before
// StartFramework runs; an empty slot means the subsystem is absent, and the
// host then takes the path the framework defines for its absence (no sound,
// no handlers, windowed display sized by the host itself).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/String.h"

class TTexture;
class TAppHost;

namespace platform
{
class Window;
}

// The window manager as the host and the facade use it.
class THostWindowManager
{
public:
    virtual ~THostWindowManager() = default;
    // The whole window tree is drawn on the next frame.
    virtual void Invalidate() = 0;
    virtual bool HasRootWindow() const = 0;
    // Makes a root screen of the given size (the facade's SetDisplayMode).
    virtual void CreateRootScreen(int width, int height) = 0;
    // The facade's constructor hands over a newly made window script.
    virtual void CreateWindowScript() = 0;
    virtual bool SetTranslateLabels(bool translate) = 0;
    // A playing movie is stopped before a close request reaches the game.
    virtual void StopMovieIfPlaying() = 0;
    virtual bool IsMoviePlaying() const = 0;
    virtual bool IsMovieInput() const = 0;
};

// The sound manager as the host uses it.
class THostSoundManager
{
public:
    virtual ~THostSoundManager() = default;
    // Starts sound output; false when it cannot.
    virtual bool Init() = 0;
    // The main-thread step of every idle pass.
    virtual void Update() = 0;
    virtual void Enable(bool on) = 0;
};

// The display handler as the host uses it.
class THostDisplay
{
public:
    virtual ~THostDisplay() = default;
    // Sets the mode; false when no mode could be set.
    virtual bool SetDisplayMode(int width, int height, bool fullScreen) = 0;
    // Runs after every mode set: binds the vector drawer to the root
    // window's rectangle on the first, then the post-mode step; the drawing
    // context's state is reset and its viewport set to the new size.
    virtual void AfterModeSet(bool firstTime) = 0;
    virtual bool IsFullScreen() const = 0;
    // Switches between windowed and full screen; false when refused.
    virtual bool SetWindowed(bool windowed) = 0;
    virtual void GetDisplaySize(int& width, int& height, bool& fullScreen) const = 0;
    virtual bool IsDeviceValid() const = 0;
    virtual void Restore() = 0;
    virtual bool IsFlipDone() const = 0;
    virtual bool RestoreAssets() = 0;  // true once every asset's device data is back
    virtual void ReportOutOfVideoMemory() = 0;
    virtual void SetVsync(bool on) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual void SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY,
                           bool overlay) = 0;
    // False while the platform's own (colour) cursor stands in for the drawn
    // pointer, which the window system must then leave visible.
    virtual bool DrawsPointer() const { return true; }
    // The system pointer picture ("__systemcursor__.png"); null when it
    // cannot be loaded.
    virtual std::shared_ptr<TTexture> LoadCursorImage(const TString& name) = 0;
    // Where the drawn pointer stands, in game coordinates.
    virtual void GetMouseImagePos(int& x, int& y) const = 0;
    // The pointer moved to (x, y), in game coordinates.
    virtual void OnMouseMove(int x, int y) = 0;
    virtual void RedrawMouseRect() = 0;
    virtual void ClearRedrawFlag() = 0;
    virtual void ToggleDebugOverlay() = 0;
    // Window pixels per game unit and the picture's offset in the window.
    virtual void GetViewport(float& scaleX, float& scaleY, int& originX, int& originY) const = 0;
};

// The game-state services as the framework uses them.
class THostGameState
{
public:
    virtual ~THostGameState() = default;
    virtual void SetState(const TString& key, const TString& value) = 0;
    virtual void SetStateInt(const TString& key, int value) = 0;
    // True while a handler holds the game.
    virtual bool IsHeld() = 0;
    // Loads the game-state module of a logical file name (a shared library
    // with the entries "CreateHandler" and "DestroyHandler") and adds its
    // handler; false when any step fails.
    virtual bool LoadModule(const TString& name) = 0;
    virtual void AddFirstPeekHandler() = 0;
    virtual void AddPostMetricsHandler() = 0;
    virtual void EnableMsnMode() = 0;
    virtual void EnableZylomMode() = 0;
    virtual void EnablePortalHandler() = 0;
    virtual bool IsZylomMode() const = 0;
    // ms the portal page held the game paused.
    virtual uint32_t GetHostPausedTime() const = 0;
};

// The HTTP request of the exit-statistics upload.
class THostHttp
{
public:
    enum Status
    {
        kBusy = 0,
        kDone = 1,
        kFailed = 2,
        kOutputError = 3
    };
    virtual ~THostHttp() = default;
    // Prepares a request; outputFile may be empty (the reply is dropped).
    virtual bool BeginRequest(const TString& url, const TString& outputFile, bool post) = 0;
    // Appends name=value, the value URL-encoded, pairs joined by "&".
    virtual void AddParameter(const TString& name, const TString& value) = 0;
    // Starts the transfer on a worker thread.
    virtual void Start() = 0;
    virtual int GetStatus() = 0;
    // Gives up a transfer in progress (its status becomes kFailed).
    virtual void Cancel() = 0;
};

// Registered implementations. Every slot may stay empty.
struct TFrameworkServices
{
    std::function<std::unique_ptr<platform::Window>()> makeWindow;  // default: SDL
    std::function<THostWindowManager*()> makeWindowManager;
    std::function<THostSoundManager*()> makeSoundManager;
    // The drawing context (start-up step 13) and its display handler; called
    // once the main window exists. Returns the display handler or null.
    std::function<THostDisplay*(TAppHost& host)> makeDisplay;
    std::function<void()> destroyDisplay;
    std::function<void()> registerOggDataSourceBuilder;
    // The game-state manager (made on first use, destroyed at shutdown).
    std::function<THostGameState*()> makeGameState;
    std::function<std::unique_ptr<THostHttp>()> makeHttp;
    // Time source of the host (ms) and its sleep; defaults: monotonic clock.
    std::function<uint32_t()> tickSource;
    std::function<void(uint32_t)> sleep;
    // Replaces the instance name derived from the program path (tests).
    TString instanceName;
};

// The one registry. Fill it before StartFramework.
TFrameworkServices& GetFrameworkServices();
