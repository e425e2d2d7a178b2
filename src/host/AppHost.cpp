// The platform host: initialisation, main window, window procedure,
// activation, display forwarding, cursors, clipboard, URLs and shutdown.
#include "host/AppHost.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Folders.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/Version.h"
#include "host/CommandLine.h"
#include "host/SystemCursor.h"
#include "platform/Process.h"
#include "platform/Time.h"

namespace
{

// The generator's fixed key until the facade re-seeds it.
const uint32_t kHostSeed[4] = {0xD4C4CF4B, 0x3E2019A7, 0xE6489797, 0x5746FCB5};

// A game position in window pixels, truncated as the pointer call takes it
// and kept within what an int holds.
int ScaledPosition(int v, double scale, int origin)
{
    double p = std::trunc(v * scale) + origin;
    if (!(p > INT32_MIN)) return INT32_MIN;
    if (p > INT32_MAX) return INT32_MAX;
    return static_cast<int>(p);
}

}  // namespace

TFrameworkServices& GetFrameworkServices()
{
    static TFrameworkServices services;
    return services;
}

uint32_t HostTickMs()
{
    auto& src = GetFrameworkServices().tickSource;
    return src ? src() : platform::GetTickMs();
}

TString MakeInstanceName(const TString& programPath)
{
    std::string name;
    for (const char* p = programPath.CStr(); *p; ++p)
    {
        char c = *p;
        if (c == '/' || c == '\\' || c == ':') continue;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        name += c;
    }
    // A deep folder must still give a usable file name: keep the tail and a
    // hash of the whole path so that distinct folders stay distinct.
    if (name.size() > 120)
    {
        uint32_t h = 2166136261u;
        for (unsigned char c : name) h = (h ^ c) * 16777619u;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x", h);
        name = name.substr(name.size() - 100) + "_" + hex;
    }
    return TString(name.c_str());
}

TAppHost::TAppHost(const TString& commandLine, bool allowMultiple)
{
    // Fields; the generator with its fixed key; an empty task list.
    random_.SeedByArray(kHostSeed, 4);
    // utf8 flag, command line.
    utf8 = GetSettingBool(kSettingUtf8Mode);
    commandLine_ = commandLine;
    // The managers that exist from the start.
    auto& services = GetFrameworkServices();
    if (services.makeWindowManager) windowManager_ = services.makeWindowManager();
    assetManager_ = new TAssetManager();
    SetGlobalAssetManager(assetManager_);
    stringTable_ = new TStringTable();
    // Folders; the current folder becomes the program folder.
    startFolder_ = platform::GetCurrentFolder().c_str();
    programPath_ = platform::GetProgramPath().c_str();
    {
        std::string path = programPath_.CStr();
        size_t slash = path.rfind('/');
        programFolder_ =
            slash == std::string::npos ? startFolder_ : TString(path.substr(0, slash).c_str());
    }
    if (!programFolder_.IsEmpty())
    {
        ::SetProgramFolder(programFolder_);
        if (!platform::SetCurrentFolder(programFolder_.CStr()))
            LogPrintf("ERROR: cannot enter the program folder %s", programFolder_.CStr());
    }
    // Instance name.
    instanceName_ =
        services.instanceName.IsEmpty() ? MakeInstanceName(programPath_) : services.instanceName;
    // One instance only, unless allowed.
    if (!allowMultiple)
    {
        platform::InstallRaiseRequestHandler();
        if (!lock_.Acquire(std::string(instanceName_.CStr()) + "_MUTEX"))
        {
            platform::InstanceLock::SignalHolder(std::string(instanceName_.CStr()) + "_MUTEX");
            std::exit(0);
        }
    }
    // Assets folder, start time; data folders start as the program folder
    //    (SetDataFolders replaces them).
    assetsFolder_ = programFolder_ + "/assets";
    startTime_ = HostTickMs();
    timeOffset = 0;
    ::SetUserDataFolder(programFolder_);
    ::SetCommonDataFolder(programFolder_);
    ::SetDesktopFolder(programFolder_);
    // Version information.
    ReadVersion();
    // No display helper thread: the pointer is drawn into each frame.
}

void TAppHost::ReadVersion()
{
    version_ = GetVersionText();
    internalName_ = kVersionInternalName;
    productName_ = GetSetting(kSettingGameName, kVersionProductName);
    // A game that stored an empty name still needs a folder name.
    if (productName_.IsEmpty()) productName_ = "Brindlecor Application";
}

void TAppHost::DestroyStringTable()
{
    delete stringTable_;
    stringTable_ = nullptr;
}

void TAppHost::DestroyAssetManager()
{
    if (GetGlobalAssetManager() == assetManager_) SetGlobalAssetManager(nullptr);
    delete assetManager_;
    assetManager_ = nullptr;
}

TAppHost::~TAppHost()
{
    DestroyStringTable();
    DestroyAssetManager();
    cursor_.reset();
    overlayCursor_.reset();
    if (window_)
    {
        window_->Destroy();
        window_.reset();
    }
    lock_.Release();
    tasks_.DeleteAll();
    systemCursor_.reset();
}

TAppHost* CreateAppHost(const TString& commandLine, bool allowMultiple)
{
    std::srand(static_cast<unsigned>((static_cast<uint64_t>(HostTickMs()) * 8627u) % 104729u));
    return new TAppHost(commandLine, allowMultiple);
}

bool TAppHost::CreateMainWindow()
{
    auto& services = GetFrameworkServices();
    window_ = services.makeWindow ? services.makeWindow() : platform::CreateSdlWindow();
    if (!window_) return false;
    platform::WindowParams params;
    params.title = "Corvantis";
    params.width = 480;
    params.height = 360;
    params.visible = activeXTest;
    if (activeXTest)
    {
        params.width = 960;
        params.height = 720;
    }
    if (!window_->Create(params))
    {
        window_.reset();
        return false;
    }
    SetSetting("hwnd", TString::Format("%d", static_cast<int>(window_->GetId())));
    return true;
}

uint32_t TAppHost::GetTime() const
{
    uint32_t paused = gameState_ ? gameState_->GetHostPausedTime() : 0;
    return HostTickMs() - startTime_ + static_cast<uint32_t>(timeOffset) - paused;
}

void TAppHost::Sleep(uint32_t ms) const
{
    auto& sleep = GetFrameworkServices().sleep;
    if (sleep)
        sleep(ms);
    else
        platform::SleepMs(ms);
}

bool TAppHost::HasSwitch(const char* text) const
{
    return ::HasSwitch(commandLine_, text);
}

void TAppHost::PostQuit(int exitCode)
{
    quitPending = true;
    quitCode = exitCode;
}

// --- Window procedure ---------------------------------------------------

void TAppHost::SetActiveState(bool active, bool force)
{
    if (active == flags_.active) return;
    if (soundManager_) soundManager_->Enable(active);
    if (!IsFullScreen() && !force) return;
    flags_.activationChanged = !flags_.activationChanged;
    flags_.active = active;
}

void TAppHost::OnActivateApp(bool active)
{
    if (active == flags_.appActive) return;
    SetActiveState(active, true);
    flags_.appActive = active;
    flags_.appActivationChanged = true;
    if (active)
    {
        if (soundManager_) soundManager_->Enable(true);
        flags_.suspended = false;
    }
    else
    {
        if (soundManager_) soundManager_->Enable(false);
        if (IsFullScreen()) flags_.suspended = true;
    }
}

void TAppHost::OnWindowSignal(platform::WindowSignal signal)
{
    using platform::WindowSignal;
    switch (signal)
    {
        case WindowSignal::None:
            break;
        case WindowSignal::CloseRequest:
            flags_.closeRequested = true;
            break;
        case WindowSignal::TerminateRequest:
            flags_.closeRequested = true;
            flags_.closeFromOutside = true;
            break;
        case WindowSignal::AppActivated:
            OnActivateApp(true);
            break;
        case WindowSignal::AppDeactivated:
            OnActivateApp(false);
            break;
        case WindowSignal::Minimised:
            SetActiveState(false, true);
            flags_.suspended = true;
            flags_.hiddenByMinimise = true;
            OnActivateApp(false);
            break;
        case WindowSignal::Restored:
            SetActiveState(true, true);
            flags_.suspended = false;
            if (flags_.hiddenByMinimise)
            {
                flags_.hiddenByMinimise = false;
                OnActivateApp(true);
            }
            break;
        case WindowSignal::Exposed:
            if (windowManager_) windowManager_->Invalidate();
            flags_.redrawRequested = true;
            break;
        case WindowSignal::MouseMoved:
            if (display_) display_->OnMouseMove(input_.mouseX, input_.mouseY);
            // The pointer is part of the frame, so a move needs a new one.
            if (windowManager_) windowManager_->Invalidate();
            break;
        case WindowSignal::MouseLeft:
            if (display_) display_->RedrawMouseRect();
            flags_.mouseLeftPending = true;
            break;
    }
}

void TAppHost::KeepTopmost()
{
    if (flags_.suspended)
    {
        Sleep(50);
        return;
    }
    if (window_ && window_->IsOpen() && !window_->HasInputFocus()) window_->Raise();
}

// --- Display --------------------------------------------------------------

void TAppHost::ApplyStandInDisplayMode(int width, int height, bool fullScreen)
{
    // Without a display handler the host sizes the window itself, so the
    // game still gets a window of the size it asked for.
    if (!window_ || !window_->IsOpen()) return;
    window_->SetClientSize(width, height);
    window_->Show();
    standInFullScreen_ = fullScreen && window_->SetFullScreen(true);
    if (!fullScreen) window_->SetFullScreen(false);
    standInWidth_ = width;
    standInHeight_ = height;
    flags_.displayModeChanged = true;
}

void TAppHost::SetDisplayMode(int width, int height, bool fullScreen)
{
    if (HasSwitch("-pq="))
    {
        // No portal page can be told on this platform; the wish is kept so
        // that IsFullScreen answers what was asked.
        portalFullScreenWish_ = fullScreen;
        LogPrintf("Portal full-screen request not sent: no portal page");
        fullScreen = false;
    }
    scaleX_ = 1.0f;
    if (embedded)
    {
        // Inside a host page the picture fills the page's area, and the page
        // alone decides about full screen.
        int parentWidth = 0, parentHeight = 0;
        if (window_) window_->GetClientSize(parentWidth, parentHeight);
        if (parentWidth > 0 && width > 0)
            scaleX_ = scaleY_ = static_cast<float>(parentWidth) / static_cast<float>(width);
        fullScreen = false;
    }
    if (display_)
    {
        display_->SetDisplayMode(width, height, fullScreen);
        display_->AfterModeSet(!modeSetOnce_);
    }
    else
    {
        ApplyStandInDisplayMode(width, height, fullScreen);
    }
    modeSetOnce_ = true;
    ReapplyCursors();
}

bool TAppHost::IsFullScreen() const
{
    if (HasSwitch("-pq=")) return portalFullScreenWish_;
    if (display_) return display_->IsFullScreen();
    return standInFullScreen_;
}

bool TAppHost::SetFullScreen(bool fullScreen)
{
    if (HasSwitch("-pq="))
    {
        portalFullScreenWish_ = fullScreen;
        LogPrintf("Portal full-screen request not sent: no portal page");
        if (display_) display_->SetWindowed(true);
        return true;
    }
    if (display_) return display_->SetWindowed(!fullScreen);
    if (!window_ || !window_->IsOpen() || !window_->SetFullScreen(fullScreen)) return false;
    standInFullScreen_ = fullScreen;
    return true;
}

void TAppHost::GetDisplaySize(int& width, int& height, bool& fullScreen) const
{
    if (display_)
    {
        display_->GetDisplaySize(width, height, fullScreen);
    }
    else
    {
        width = standInWidth_;
        height = standInHeight_;
        fullScreen = standInFullScreen_;
    }
    if (HasSwitch("-pq=")) fullScreen = portalFullScreenWish_;
}

bool TAppHost::GetViewportScale(float& scaleX) const
{
    scaleX = scaleX_;
    return embedded;
}

void TAppHost::OnSettingChanged(const TString& key, const TString& value)
{
    if (key == "vsync")
    {
        if (display_) display_->SetVsync(value.ToInt() != 0);
    }
    else if (key == "memorymax")
    {
        SetLogFolder(TString::Format("__MEMORYMAX__=%d", value.ToInt()).CStr());
    }
    else if (key == "viewportscale")
    {
        // The scale multiplies window sizes and pointer positions: a text
        // that reads as no usable factor leaves the scale as it was.
        float scale = value.ToFloat();
        if (std::isfinite(scale) && scale > 0.0f)
            scaleX_ = scale;
        else
            LogPrintf("ERROR: viewportscale \"%s\" is not a usable scale", value.CStr());
    }
}

void TAppHost::SetMousePosition(int x, int y)
{
    if (!window_) return;
    float sx = 1.0f, sy = 1.0f;
    int ox = 0, oy = 0;
    if (display_) display_->GetViewport(sx, sy, ox, oy);
    window_->WarpMouse(ScaledPosition(x, scaleX_ * sx, ox), ScaledPosition(y, scaleX_ * sy, oy));
}

// --- Cursors ----------------------------------------------------------------

void TAppHost::SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, bool overlay)
{
    std::shared_ptr<TTexture> shown = image;
    if (overlay)
    {
        overlayCursor_ = image;
        overlayHotX_ = hotX;
        overlayHotY_ = hotY;
    }
    else
    {
        cursor_ = image;
        cursorHotX_ = hotX;
        cursorHotY_ = hotY;
        if (!systemCursorVisible) return;
        if (!shown)
        {
            if (!systemCursorTried_ && display_)
            {
                systemCursorTried_ = true;
                systemCursor_ = display_->LoadCursorImage(kSystemCursorName);
            }
            shown = systemCursor_;
        }
    }
    if (display_) display_->SetCursor(shown, hotX, hotY, overlay);
    // The window system's own pointer gives way to the drawn one.
    if (window_ && display_) window_->ShowSystemCursor(!display_->DrawsPointer());
}

void TAppHost::ReapplyCursors()
{
    if (cursor_) SetCursor(cursor_, cursorHotX_, cursorHotY_, false);
    if (overlayCursor_) SetCursor(overlayCursor_, overlayHotX_, overlayHotY_, true);
}

void TAppHost::ShowSystemCursor(bool visible)
{
    if (visible == systemCursorVisible) return;
    systemCursorVisible = visible;
    if (display_)
        display_->SetCursorVisible(visible);
    else if (window_)
        window_->ShowSystemCursor(visible);
}

// --- Desktop services ---------------------------------------------------------

void TAppHost::OpenURL(const TString& text)
{
    if (embedded)
    {
        // A host page would open the link itself; there is none here, so the
        // desktop's handler opens it like any other.
        LogPrintf("OpenURL from an embedded game: %s", text.CStr());
    }
    platform::OpenUrl(text.CStr());
}

bool TAppHost::SetClipboardText(const TString& text)
{
    return window_ && window_->SetClipboardText(text.CStr());
}

TString TAppHost::GetClipboardText()
{
    if (!window_) return TString();
    return TString(window_->GetClipboardText().c_str());
}

void TAppHost::SetWindowTitle(const TString& text)
{
    if (window_) window_->SetTitle(text.CStr());
}

bool TAppHost::IsForeground() const
{
    return window_ && window_->HasInputFocus();
}
