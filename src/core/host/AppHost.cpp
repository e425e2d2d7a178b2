// The platform host: initialisation, main window, window procedure,
// activation, display forwarding, cursors, clipboard, URLs and shutdown.
#include "core/host/AppHost.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Folders.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "core/Version.h"
#include "core/host/CommandLine.h"
#include "core/host/SystemCursor.h"
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
    m_random.SeedByArray(kHostSeed, 4);
    // utf8 flag, command line.
    utf8 = GetSettingBool("utf8mode");
    m_commandLine = commandLine;
    // The managers that exist from the start.
    auto& services = GetFrameworkServices();
    if (services.makeWindowManager) m_windowManager = services.makeWindowManager();
    m_assetManager = new TAssetManager();
    SetGlobalAssetManager(m_assetManager);
    m_stringTable = new TStringTable();
    // Folders; the current folder becomes the program folder.
    m_startFolder = platform::GetCurrentFolder().c_str();
    m_programPath = platform::GetProgramPath().c_str();
    {
        std::string path = m_programPath.CStr();
        size_t slash = path.rfind('/');
        m_programFolder =
            slash == std::string::npos ? m_startFolder : TString(path.substr(0, slash).c_str());
    }
    if (!m_programFolder.IsEmpty())
    {
        ::SetProgramFolder(m_programFolder);
        if (!platform::SetCurrentFolder(m_programFolder.CStr()))
            LogPrintf("ERROR: cannot enter the program folder %s", m_programFolder.CStr());
    }
    // Instance name.
    m_instanceName =
        services.instanceName.IsEmpty() ? MakeInstanceName(m_programPath) : services.instanceName;
    // One instance only, unless allowed.
    if (!allowMultiple)
    {
        platform::InstallRaiseRequestHandler();
        if (!m_lock.Acquire(std::string(m_instanceName.CStr()) + "_MUTEX"))
        {
            platform::InstanceLock::SignalHolder(std::string(m_instanceName.CStr()) + "_MUTEX");
            std::exit(0);
        }
    }
    // Assets folder, start time; data folders start as the program folder
    //    (SetDataFolders replaces them).
    m_assetsFolder = m_programFolder + "/assets";
    m_startTime = HostTickMs();
    timeOffset = 0;
    ::SetUserDataFolder(m_programFolder);
    ::SetCommonDataFolder(m_programFolder);
    ::SetDesktopFolder(m_programFolder);
    // Version information.
    ReadVersion();
    // No display helper thread: the pointer is drawn into each frame.
}

void TAppHost::ReadVersion()
{
    m_version = GetVersionText();
    m_internalName = kVersionInternalName;
    m_productName = GetSetting("gamename", kVersionProductName);
    // A game that stored an empty name still needs a folder name.
    if (m_productName.IsEmpty()) m_productName = "Brindlecor Application";
}

void TAppHost::DestroyStringTable()
{
    delete m_stringTable;
    m_stringTable = nullptr;
}

void TAppHost::DestroyAssetManager()
{
    if (GetGlobalAssetManager() == m_assetManager) SetGlobalAssetManager(nullptr);
    delete m_assetManager;
    m_assetManager = nullptr;
}

TAppHost::~TAppHost()
{
    DestroyStringTable();
    DestroyAssetManager();
    m_cursor.reset();
    m_overlayCursor.reset();
    if (m_window)
    {
        m_window->Destroy();
        m_window.reset();
    }
    m_lock.Release();
    m_tasks.DeleteAll();
    m_systemCursor.reset();
}

TAppHost* CreateAppHost(const TString& commandLine, bool allowMultiple)
{
    std::srand(static_cast<unsigned>((static_cast<uint64_t>(HostTickMs()) * 8627u) % 104729u));
    return new TAppHost(commandLine, allowMultiple);
}

bool TAppHost::CreateMainWindow()
{
    auto& services = GetFrameworkServices();
    m_window = services.makeWindow ? services.makeWindow() : platform::CreateSdlWindow();
    if (!m_window) return false;
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
    if (!m_window->Create(params))
    {
        m_window.reset();
        return false;
    }
    SetSetting("hwnd", TString::Format("%d", static_cast<int>(m_window->GetId())));
    return true;
}

uint32_t TAppHost::GetTime() const
{
    uint32_t paused = m_gameState ? m_gameState->GetHostPausedTime() : 0;
    return HostTickMs() - m_startTime + static_cast<uint32_t>(timeOffset) - paused;
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
    return ::HasSwitch(m_commandLine, text);
}

void TAppHost::PostQuit(int exitCode)
{
    quitPending = true;
    quitCode = exitCode;
}

// --- Window procedure ---------------------------------------------------

void TAppHost::SetActiveState(bool active, bool force)
{
    if (active == m_flags.active) return;
    if (m_soundManager) m_soundManager->Enable(active);
    if (!IsFullScreen() && !force) return;
    m_flags.activationChanged = !m_flags.activationChanged;
    m_flags.active = active;
}

void TAppHost::OnActivateApp(bool active)
{
    if (active == m_flags.appActive) return;
    SetActiveState(active, true);
    m_flags.appActive = active;
    m_flags.appActivationChanged = true;
    if (active)
    {
        if (m_soundManager) m_soundManager->Enable(true);
        m_flags.suspended = false;
    }
    else
    {
        if (m_soundManager) m_soundManager->Enable(false);
        if (IsFullScreen()) m_flags.suspended = true;
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
            m_flags.closeRequested = true;
            break;
        case WindowSignal::AppActivated:
            OnActivateApp(true);
            break;
        case WindowSignal::AppDeactivated:
            OnActivateApp(false);
            break;
        case WindowSignal::Minimised:
            SetActiveState(false, true);
            m_flags.suspended = true;
            m_flags.hiddenByMinimise = true;
            OnActivateApp(false);
            break;
        case WindowSignal::Restored:
            SetActiveState(true, true);
            m_flags.suspended = false;
            if (m_flags.hiddenByMinimise)
            {
                m_flags.hiddenByMinimise = false;
                OnActivateApp(true);
            }
            break;
        case WindowSignal::Exposed:
            if (m_windowManager) m_windowManager->Invalidate();
            m_flags.redrawRequested = true;
            break;
        case WindowSignal::MouseMoved:
            if (m_display) m_display->OnMouseMove(m_input.mouseX, m_input.mouseY);
            // The pointer is part of the frame, so a move needs a new one.
            if (m_windowManager) m_windowManager->Invalidate();
            break;
        case WindowSignal::MouseLeft:
            if (m_display) m_display->RedrawMouseRect();
            m_flags.mouseLeftPending = true;
            break;
    }
}

void TAppHost::KeepTopmost()
{
    if (m_flags.suspended)
    {
        Sleep(50);
        return;
    }
    if (m_window && m_window->IsOpen() && !m_window->HasInputFocus()) m_window->Raise();
}

// --- Display --------------------------------------------------------------

void TAppHost::ApplyStandInDisplayMode(int width, int height, bool fullScreen)
{
    // Without a display handler the host sizes the window itself, so the
    // game still gets a window of the size it asked for.
    if (!m_window || !m_window->IsOpen()) return;
    m_window->SetClientSize(width, height);
    m_window->Show();
    m_standInFullScreen = fullScreen && m_window->SetFullScreen(true);
    if (!fullScreen) m_window->SetFullScreen(false);
    m_standInWidth = width;
    m_standInHeight = height;
    m_flags.displayModeChanged = true;
}

void TAppHost::SetDisplayMode(int width, int height, bool fullScreen)
{
    if (HasSwitch("-pq="))
    {
        // No portal page can be told on this platform; the wish is kept so
        // that IsFullScreen answers what was asked.
        m_portalFullScreenWish = fullScreen;
        LogPrintf("Portal full-screen request not sent: no portal page");
        fullScreen = false;
    }
    m_scaleX = 1.0f;
    if (embedded)
    {
        // Inside a host page the picture fills the page's area, and the page
        // alone decides about full screen.
        int parentWidth = 0, parentHeight = 0;
        if (m_window) m_window->GetClientSize(parentWidth, parentHeight);
        if (parentWidth > 0 && width > 0)
            m_scaleX = m_scaleY = static_cast<float>(parentWidth) / static_cast<float>(width);
        fullScreen = false;
    }
    if (m_display)
    {
        m_display->SetDisplayMode(width, height, fullScreen);
        m_display->AfterModeSet(!m_modeSetOnce);
    }
    else
    {
        ApplyStandInDisplayMode(width, height, fullScreen);
    }
    m_modeSetOnce = true;
    ReapplyCursors();
}

bool TAppHost::IsFullScreen() const
{
    if (HasSwitch("-pq=")) return m_portalFullScreenWish;
    if (m_display) return m_display->IsFullScreen();
    return m_standInFullScreen;
}

bool TAppHost::SetFullScreen(bool fullScreen)
{
    if (HasSwitch("-pq="))
    {
        m_portalFullScreenWish = fullScreen;
        LogPrintf("Portal full-screen request not sent: no portal page");
        if (m_display) m_display->SetWindowed(true);
        return true;
    }
    if (m_display) return m_display->SetWindowed(!fullScreen);
    if (!m_window || !m_window->IsOpen() || !m_window->SetFullScreen(fullScreen)) return false;
    m_standInFullScreen = fullScreen;
    return true;
}

void TAppHost::GetDisplaySize(int& width, int& height, bool& fullScreen) const
{
    if (m_display)
    {
        m_display->GetDisplaySize(width, height, fullScreen);
    }
    else
    {
        width = m_standInWidth;
        height = m_standInHeight;
        fullScreen = m_standInFullScreen;
    }
    if (HasSwitch("-pq=")) fullScreen = m_portalFullScreenWish;
}

bool TAppHost::GetViewportScale(float& scaleX) const
{
    scaleX = m_scaleX;
    return embedded;
}

void TAppHost::OnSettingChanged(const TString& key, const TString& value)
{
    if (key == "vsync")
    {
        if (m_display) m_display->SetVsync(value.ToInt() != 0);
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
            m_scaleX = scale;
        else
            LogPrintf("ERROR: viewportscale \"%s\" is not a usable scale", value.CStr());
    }
}

void TAppHost::SetMousePosition(int x, int y)
{
    if (!m_window) return;
    float sx = 1.0f, sy = 1.0f;
    int ox = 0, oy = 0;
    if (m_display) m_display->GetViewport(sx, sy, ox, oy);
    m_window->WarpMouse(ScaledPosition(x, m_scaleX * sx, ox), ScaledPosition(y, m_scaleX * sy, oy));
}

// --- Cursors ----------------------------------------------------------------

void TAppHost::SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, bool overlay)
{
    std::shared_ptr<TTexture> shown = image;
    if (overlay)
    {
        m_overlayCursor = image;
        m_overlayHotX = hotX;
        m_overlayHotY = hotY;
    }
    else
    {
        m_cursor = image;
        m_cursorHotX = hotX;
        m_cursorHotY = hotY;
        if (!systemCursorVisible) return;
        if (!shown)
        {
            if (!m_systemCursorTried && m_display)
            {
                m_systemCursorTried = true;
                m_systemCursor = m_display->LoadCursorImage(kSystemCursorName);
            }
            shown = m_systemCursor;
        }
    }
    if (m_display) m_display->SetCursor(shown, hotX, hotY, overlay);
    // The window system's own pointer gives way to the drawn one.
    if (m_window && m_display) m_window->ShowSystemCursor(!m_display->DrawsPointer());
}

void TAppHost::ReapplyCursors()
{
    if (m_cursor) SetCursor(m_cursor, m_cursorHotX, m_cursorHotY, false);
    if (m_overlayCursor) SetCursor(m_overlayCursor, m_overlayHotX, m_overlayHotY, true);
}

void TAppHost::ShowSystemCursor(bool visible)
{
    if (visible == systemCursorVisible) return;
    systemCursorVisible = visible;
    if (m_display)
        m_display->SetCursorVisible(visible);
    else if (m_window)
        m_window->ShowSystemCursor(visible);
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
    return m_window && m_window->SetClipboardText(text.CStr());
}

TString TAppHost::GetClipboardText()
{
    if (!m_window) return TString();
    return TString(m_window->GetClipboardText().c_str());
}

void TAppHost::SetWindowTitle(const TString& text)
{
    if (m_window) m_window->SetTitle(text.CStr());
}

bool TAppHost::IsForeground() const
{
    return m_window && m_window->HasInputFocus();
}
