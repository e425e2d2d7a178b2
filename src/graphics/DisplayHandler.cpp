// The display handler's mode sets, fall-backs, restore, out-of-video-memory
// path and render settings.
#include "graphics/DisplayHandler.h"

#include <cstdio>
#include <cstdlib>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/Xml.h"
#include "graphics/DXError.h"
#include "platform/Window.h"

namespace
{

TDisplayHandler* gDisplayHandler = nullptr;

const char* const kM1 =
    "You cannot run this application at your current screen resolution or bit depth (out of "
    "memory). Change your "
    "display settings and run again. Closing other applications might also help.";
const char* const kM1b =
    "You cannot run this application at your current screen resolution or bit depth (out of "
    "memory). Change your "
    "display settings and run again.";
const char* const kM2 =
    "You cannot run this application when your video mode is 8 bits or less. Change your display "
    "settings and run "
    "again.";
const char* const kM3 =
    "You cannot run this application at your current screen resolution. Change your display "
    "settings and run again.";
const char* const kM4 =
    "Your video card doesn't have enough memory in the current mode. Changing to another mode. "
    "This setting will be "
    "saved so you won't see this box again. This will take less than a minute. Press OK to "
    "continue.";
const char* const kM5 =
    "DirectX requires that you have your screen set to 256 color mode or higher for any DirectX "
    "application to run. "
    "Please go to your control panel and select 256 color mode or install new video drivers to run "
    "this game. "
    "Exiting.";
const char* const kM6 =
    "Cannot run in 256 color mode or lower in a window. Switching to full screen.";
const char* const kM7 =
    "Cannot run in a window when your desktop is set to 800x600 or lower resolution. Switching to "
    "full screen.";
const char* const kM8 =
    "Cannot run in a window: Insufficient video memory. Switching to full screen.";
const char* const kM9 =
    "Failed to initialize window. Please try running the game again. If that doesn't help, try "
    "changing the screen "
    "resolution and color depth. If that fails, then your video card does not support this game.";
const char* const kM10 =
    "Failed to initialize full screen mode. Your video card is not supported. Trying to run in a "
    "window.";
const char* const kM11 = "Failed to initialize windowed mode. Trying full screen.";

const char* const kDisplaySettingsFile = "common:display.xml";

// Clears a flag on every way out of a scope.
struct FlagGuard
{
    bool& flag;
    explicit FlagGuard(bool& f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

}  // namespace

TDisplayHandler* GetDisplayHandler()
{
    return gDisplayHandler;
}

TDisplayHandler* CreateDisplayHandler(IGfxDevice* device, TDisplayHost* host)
{
    return new TDisplayHandler(device, host);
}

// ---------------------------------------------------------------------------
// Lifetime

TPlatformData::TPlatformData(TDisplayHandler* h, IGfxDevice* d) : handler(h), device(d)
{
    context = std::make_unique<TDXContext>(h, d);
}

TPlatformData::~TPlatformData()
{
    indexBuffer.clear();
    viewportStack.clear();
    context.reset();
}

TDisplayHandler::TDisplayHandler(IGfxDevice* device, TDisplayHost* host)
    : device_(device), host_(host)
{
    if (!host_)
    {
        ownHost_ = std::make_unique<TDisplayHost>();
        host_ = ownHost_.get();
    }
    gDisplayHandler = this;
    data_ = std::make_unique<TPlatformData>(this, device);
    if (!host_->HasPqSwitch()) ReadDisplaySettings();
}

TDisplayHandler::~TDisplayHandler()
{
    data_.reset();
    if (gDisplayHandler == this) gDisplayHandler = nullptr;
}

void TDisplayHandler::ReadDisplaySettings()
{
    TXmlNode root;
    if (!root.LoadFile(kDisplaySettingsFile)) return;
    TXmlNode* settings = root.FindChild("Settings");
    if (!settings) return;
    data_->lowMemoryVideo = atoi(settings->GetAttribute("LowMemoryVideo").CStr()) != 0;
    if (data_->lowMemoryVideo) LogPrintf("Low memory video card setting enabled!");
}

// ---------------------------------------------------------------------------
// Mode set

void TDisplayHandler::Fatal(const char* text, const char* caption)
{
    host_->ShowMessage(text, caption);
    host_->ExitProcess(-1);
}

void TDisplayHandler::SetDisplay(const TDisplayRequest& request)
{
    int width = request.width;
    int height = request.height;
    bool fullScreen = request.fullScreen;
    bool force = request.force;
    bool quiet = request.quiet;
    bool keepWindowStyle = request.keepWindowStyle;
    TPlatformData& d = *data_;
    TDXContext& ctx = *d.context;
    d.ready = false;
    std::lock_guard<std::recursive_timed_mutex> lock(ctx.GetMouseMutex());
    if (d.inModeSet)
    {
        host_->Sleep(50);
        return;
    }
    FlagGuard inModeSet(d.inModeSet);

    if (host_->IsZylomMode())
    {
        fullScreen = false;
        quiet = true;
    }
    if (host_->IsSuspended())
    {
        host_->Sleep(100);
        return;
    }
    if (d.lowMemoryVideo)
    {
        if (host_->HasPqSwitch())
        {
            Fatal(kM1, "Error");
            return;
        }
        LogPrintf("SetDisplay Forcing Fullscreen (MEMORY)");
        fullScreen = true;
    }
    bool active = host_->IsActive();
    bool pendingState = false;
    if (!host_->GetPendingActivation(&pendingState))
    {
        if (!active && !force) return;
    }
    else
    {
        active = active && pendingState;
        if (!active && !force) return;
    }
    const bool external = host_->HasExternalParent();
    if (external && !host_->IsExternalParentAlive())
    {
        LogPrintf("Error: mExternalWindowParent is lost, exiting!");
        host_->ExitProcess(-1);
        return;
    }
    if (external && !fullScreen) keepWindowStyle = true;
    if (d.fatal)
    {
        host_->ExitProcess(-1);
        return;
    }
    // Give a just-broken embedded device a second before making it again.
    if (external && d.brokenOnce && host_->GetTime() - d.lastBrokenTime < 1000u) return;
    d.workingCount = 0;

    if (!fullScreen && ctx.GetDesktopColourCount() != -1)
    {
        if (external)
        {
            Fatal(kM2, "Error");
            return;
        }
        LogPrintf("SetDisplay Forcing Fullscreen (PALLETTED)");
        fullScreen = true;
    }
    // A run that must stay in a window asks for windows only. The display's
    // own rescues below (a desktop that cannot hold the window) still apply.
    if (fullScreen && !force && platform::IsFullScreenRefused()) fullScreen = false;
    if (fullScreen == d.fullScreen && width == d.screen.right - d.screen.left &&
        height == d.screen.bottom - d.screen.top && !force)
    {
        d.ready = true;
        return;
    }
    if (!fullScreen && !host_->HasPqSwitch())
    {
        const float s = host_->GetViewportScale();
        if (ctx.DesktopTooSmall(int(width * s), int(height * s)))
        {
            if (external)
            {
                Fatal(kM3, "Error");
                return;
            }
            LogPrintf("SetDisplay Forcing Fullscreen (SMALL)");
            fullScreen = true;
        }
    }
    if (!fullScreen && ctx.HasNoWindowVideoMemory())
    {
        if (external)
        {
            Fatal(kM1b, "Error");
            return;
        }
        LogPrintf("SetDisplay Forcing Fullscreen (MEMORY)");
        fullScreen = true;
    }

    host_->ReleaseAllAssets();
    host_->SetDisplayModeChanged();

    d.fullScreen = fullScreen;
    d.viewport = d.screen = d.savedViewport = d.clip = TRect(0, 0, width, height);
    d.hasDisplay = false;
    d.dxBroken = false;
    SetSetting(kSettingDxBroken, "0");
    ctx.ResetDisplayState();

    if (d.lowMemoryNotice)
    {
        host_->ShowMessage(kM4, "Reconfiguring");
        d.lowMemoryNotice = false;
    }

    const int depth = d.lowMemoryVideo ? 16 : 32;
    uint32_t flags = keepWindowStyle ? 3u : 1u;
    if (d.antialiasHint) flags |= GFX_DISPLAY_ANTIALIAS;
    void* window = host_->GetMainWindow();
    bool ok = ctx.Create(window, fullScreen, width, height, depth, flags);
    while (!ok && (flags & GFX_DISPLAY_ANTIALIAS))
    {
        d.antialias = false;
        d.antialiasHint = false;
        flags &= ~GFX_DISPLAY_ANTIALIAS;
        ok = ctx.Create(window, fullScreen, width, height, depth, flags);
    }
    if (!ok)
    {
        SetDisplayFallback(width, height, fullScreen, quiet, active);
        return;
    }

    d.fallbackTried = false;
    if (!keepWindowStyle)
    {
        GfxRect wr = device_->GetWindowClientRect();
        if (wr.left == 0 && wr.top == 0 && !fullScreen) ClampWindowToMonitor(device_, 1);
        device_->ShowWindow();
    }
    d.hasDisplay = true;
    d.separateTextureMemories = false;
    d.noSpecularGouraud = true;
    d.squareTexturesOnly = false;
    d.renderTarget = nullptr;
    d.screenRenderTarget = nullptr;

    ApplyDefaultState();

    if (host_->GetAssetCount() > 0 && host_->HasWindowManager() && !host_->HoldsPresentation())
        ctx.Present();

    if (IsDeviceValid())
    {
        device_->SetTransform(GFX_TRANSFORM_WORLD, GfxMatrix::Identity());
        device_->SetTransform(GFX_TRANSFORM_VIEW, GfxMatrix::Identity());
        SetPerspective(0.1f, 1000.0f, 0.7853982f, 0.0f);
        SetAmbient(TFloatVector4(1, 1, 1, 1));
        GfxMaterial m = {{1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, 1.0f};
        SetMaterial(m);
        if (!d.defaultCursorInstalled)
        {
            d.defaultCursorInstalled = true;
            host_->InstallDefaultCursor();
        }
        RestoreAssets();
        host_->InvalidateWindows();
        if (fullScreen) d.fullScreenSucceeded = true;
        SetSetting(kSettingMonitorFrequency, TString::Format("%d", device_->GetRefreshRate()));
        d.screenBitDepth = ctx.GetDisplayBitsPerPixel();
        d.ready = true;
    }
}

void TDisplayHandler::SetDisplayFallback(int width, int height, bool fullScreen, bool quiet,
                                         bool active)
{
    TPlatformData& d = *data_;
    TDXContext& ctx = *d.context;
    if (ctx.HasTooFewColours())
    {
        if (!quiet) host_->ShowMessage(kM5, "Error");
        d.fatal = true;
        host_->ExitProcess(-1);
        return;
    }
    if (host_->HasExternalParent())
    {
        SetBroken();
        return;
    }
    if (d.fullScreenSucceeded && fullScreen)
    {
        SetBroken();
        host_->Sleep(150);
        return;
    }
    const bool foreground = host_->IsForeground();
    if (!d.fallbackTried && !(active && foreground))
    {
        LogPrintf("SetDisplay marking DirectX Broken: %s, %s", active ? "ACTIVE" : "INACTIVE",
                  foreground ? "FOREGROUND" : "BACKGROUND");
        SetBroken();
        return;
    }
    if (!fullScreen)
    {
        const char* why = nullptr;
        if (ctx.GetDesktopColourCount() != -1)
            why = kM6;
        else if (ctx.DesktopTooSmall(width, height))
            why = kM7;
        else if (ctx.HasNoWindowVideoMemory())
            why = kM8;
        if (why)
        {
            if (!quiet) host_->ShowMessage(why, "Error");
            d.fallbackTried = true;
            d.inModeSet = false;
            SetDisplay({.width = width, .height = height, .fullScreen = true, .force = true});
            return;
        }
    }
    if (d.fallbackTried)
    {
        LogPrintf("ERROR FALLBACK FAILED");
        host_->ShowMessage(kM9, "Error");
        host_->PostQuit(0);
        d.fatal = true;
        return;
    }
    d.fallbackTried = true;
    d.inModeSet = false;
    if (fullScreen)
    {
        SetDisplay({.width = width, .height = height, .force = true});
        if (!quiet) host_->ShowMessage(kM10, "Error");
    }
    else
    {
        if (!quiet) host_->ShowMessage(kM11, "Error");
        SetDisplay({.width = width, .height = height, .fullScreen = true});
    }
}

bool TDisplayHandler::RS(GfxRenderState s, uint32_t v, int line)
{
    return CheckDX(device_->SetRenderState(s, v), kDisplayHandlerFile, line);
}

bool TDisplayHandler::TSS(GfxStageState s, uint32_t v, int line)
{
    return CheckDX(device_->SetTextureStageState(0, s, v), kDisplayHandlerFile, line);
}

void TDisplayHandler::ApplyDefaultState()
{
    TPlatformData& d = *data_;
    RS(GFX_RS_AMBIENT, 0xFFFFFFFFu, 705);
    RS(GFX_RS_ZENABLE, 1, 706);
    RS(GFX_RS_ZWRITEENABLE, 1, 707);
    d.depthTest = d.depthWrite = true;
    RS(GFX_RS_COLORVERTEX, 1, 708);
    RS(GFX_RS_LIGHTING, 1, 709);
    RS(GFX_RS_NORMALIZENORMALS, 1, 710);
    RS(GFX_RS_DIFFUSEMATERIALSOURCE, GFX_MCS_MATERIAL, 711);
    RS(GFX_RS_AMBIENTMATERIALSOURCE, GFX_MCS_MATERIAL, 712);
    RS(GFX_RS_SPECULARMATERIALSOURCE, GFX_MCS_MATERIAL, 713);
    RS(GFX_RS_EMISSIVEMATERIALSOURCE, GFX_MCS_MATERIAL, 714);
    RS(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA, 715);
    RS(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCALPHA, 716);
    RS(GFX_RS_ALPHABLENDENABLE, 1, 717);
    RS(GFX_RS_WRAP0, 0, 718);
    TSS(GFX_TSS_MAGFILTER, GFX_TFILTER_LINEAR, 719);
    TSS(GFX_TSS_MINFILTER, GFX_TFILTER_LINEAR, 720);
    TSS(GFX_TSS_MIPFILTER, GFX_TFILTER_LINEAR, 721);
    TSS(GFX_TSS_COLORARG1, GFX_TA_TEXTURE, 722);
    TSS(GFX_TSS_COLORARG2, GFX_TA_CURRENT, 723);
    TSS(GFX_TSS_COLOROP, GFX_TOP_MODULATE, 724);
    TSS(GFX_TSS_ALPHAARG1, GFX_TA_TEXTURE, 725);
    TSS(GFX_TSS_ALPHAARG2, GFX_TA_CURRENT, 726);
    TSS(GFX_TSS_ALPHAOP, GFX_TOP_MODULATE, 727);
    RS(GFX_RS_ALPHATESTENABLE, 1, 728);
    RS(GFX_RS_ALPHAREF, 1, 729);
    RS(GFX_RS_ALPHAFUNC, GFX_CMP_GREATEREQUAL, 730);
    RS(GFX_RS_SHADEMODE, GFX_SHADE_GOURAUD, 740);
    d.blendMode = -1;
}

bool TDisplayHandler::SetWindowed(bool fullScreen)
{
    TPlatformData& d = *data_;
    TDXContext& ctx = *d.context;
    const int w = d.screen.right - d.screen.left, h = d.screen.bottom - d.screen.top;
    if (fullScreen && platform::IsFullScreenRefused()) return false;
    if (!fullScreen)
    {
        if (ctx.GetDesktopColourCount() != -1 || ctx.DesktopTooSmall(w, h) ||
            ctx.HasNoWindowVideoMemory() || d.lowMemoryVideo)
            return false;
    }
    SetDisplay({.width = w, .height = h, .fullScreen = fullScreen});
    return true;
}

// ---------------------------------------------------------------------------
// Device state

bool TDisplayHandler::IsDeviceValid()
{
    TPlatformData& d = *data_;
    if (d.dxBroken) return false;
    if (d.hasDisplay && device_ && device_->HasDisplay() && d.context->HasDevice()) return true;
    SetBroken();
    return false;
}

void TDisplayHandler::SetBroken()
{
    data_->lastBrokenTime = host_->GetTime();
    data_->brokenOnce = true;
    data_->dxBroken = true;
    SetSetting(kSettingDxBroken, "1");
}

void TDisplayHandler::SetBrokenThrottled()
{
    const uint32_t now = host_->GetTime();
    if (data_->brokenOnce && now - data_->lastBrokenTime <= 250u) return;
    SetBroken();
    data_->lastBrokenTime = now;
}

void TDisplayHandler::RestoreAssets()
{
    if (!IsDeviceValid())
    {
        LogPrintf("RestoreAssets: DX broken");
        return;
    }
    host_->RestoreAllAssets();
    host_->RunIdleTasks();
    host_->InvalidateWindows();
}

void TDisplayHandler::OutOfVideoMemory()
{
    TPlatformData& d = *data_;
    if (d.lowMemoryVideo || !d.hasDisplay) return;
    LogPrintf("OutOfVideoMemory triggered!");
    d.lowMemoryVideo = true;
    SetBroken();
    d.lowMemoryNotice = true;

    TXmlNode settings("Settings");
    settings.SetAttribute("LowMemoryVideo", "1");
    TString text;
    int pos = 0;
    settings.Write(text, pos, 0);
    // Written beside and renamed over, so a crash never leaves half a file.
    const TString tmpName = TString(kDisplaySettingsFile) + ".tmp";
    TFileHandle* f = OpenFileByName(tmpName, 3);
    if (!f)
    {
        LogPrintf("Could not write %s", kDisplaySettingsFile);
        return;
    }
    const int written = WriteFileHandle(f, text.CStr(), text.Length());
    CloseFileHandle(f);
    const TString from = ResolveFileName(tmpName, false),
                  to = ResolveFileName(kDisplaySettingsFile, false);
    if (written != text.Length() || std::rename(from.CStr(), to.CStr()) != 0)
    {
        LogPrintf("Could not write %s", kDisplaySettingsFile);
        DeleteFileByName(tmpName);
    }
}

void TDisplayHandler::ReadDesktopMode()
{
    GfxDesktopInfo info = device_ ? device_->GetDesktop() : GfxDesktopInfo();
    data_->context->SetDesktopMode(info.colourCount, info.width, info.height);
}

void TDisplayHandler::GetScreenSize(int* width, int* height, bool* fullScreen) const
{
    if (width) *width = data_->screen.right - data_->screen.left;
    if (height) *height = data_->screen.bottom - data_->screen.top;
    if (fullScreen) *fullScreen = data_->fullScreen;
}

void TDisplayHandler::GetViewport(int* x, int* y, int* right, int* bottom) const
{
    const TRect& v = data_->viewport;
    if (x) *x = v.left;
    if (y) *y = v.top;
    if (right) *right = v.left + (v.right - v.left);
    if (bottom) *bottom = v.top + (v.bottom - v.top);
}

void TDisplayHandler::SetRenderSetting(const TString& key, const TString& value)
{
    TPlatformData& d = *data_;
    const bool on = atoi(value.CStr()) > 0;
    if (key == kRenderSettingAntialias)
    {
        d.antialias = on;
        if (d.hasDisplay)
            RS(GFX_RS_ANTIALIAS, on ? GFX_ANTIALIAS_SORTINDEPENDENT : GFX_ANTIALIAS_NONE, 2270);
    }
    else if (key == kRenderSettingHintAntialias)
    {
        d.antialiasHint = on;
    }
    else if (key == kRenderSettingNewSubtractive)
    {
        d.newSubtractive = on;
    }
    else if (key == kRenderSettingNewRenderBlend)
    {
        d.newRenderBlend = on;
    }
}

TString TDisplayHandler::GetRenderSetting(const TString& key) const
{
    const TPlatformData& d = *data_;
    if (key == kRenderSettingAntialias) return d.antialias ? "1" : "0";
    if (key == kRenderSettingHintAntialias) return d.antialiasHint ? "1" : "0";
    if (key == kRenderSettingNewSubtractive) return d.newSubtractive ? "1" : "0";
    if (key == kRenderSetting16BitMode)
        return (d.lowMemoryVideo || d.screenBitDepth == 16 || d.screenBitDepth == 15) ? "1" : "0";
    return TString();
}

void TDisplayHandler::SetVsync(bool on)
{
    data_->context->SetVsync(on);
}

bool TDisplayHandler::IsPresentDone()
{
    if (!device_ || !device_->HasDisplay()) return false;
    return device_->GetFlipStatus() != GFX_E_WASSTILLDRAWING;
}

void TDisplayHandler::WaitForFlip()
{
    if (!device_ || !device_->HasDisplay()) return;
    while (device_->GetFlipStatus() == GFX_E_WASSTILLDRAWING) host_->Sleep(1);
}

// ---------------------------------------------------------------------------
// Restore

bool TPlatformData::Restore()
{
    TDisplayHost* host = handler->GetHost();
    if (inRestore)
    {
        handler->SetBroken();
        host->Sleep(50);
        return false;
    }
    FlagGuard guard(inRestore);
    if (host->IsSuspended())
    {
        host->Sleep(100);
        return false;
    }
    const int w = screen.right - screen.left, h = screen.bottom - screen.top;
    // Before the first mode set there is no size to make a display of; a
    // forced 0 x 0 mode would only walk the fall-backs into a fatal end.
    if (w <= 0 || h <= 0) return false;
    host->ReleaseAllAssets();
    if (!hasDisplay || lowMemoryNotice)
    {
        LogPrintf("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()");
        handler->SetDisplay(
            {.width = w, .height = h, .fullScreen = fullScreen, .force = true, .quiet = true});
        return true;
    }
    // The renderer has no exclusive mode to lose; only the working count
    // decides between restoring surfaces and making the display again.
    if (workingCount < 3)
    {
        if (host->IsActive())
        {
            LogPrintf("TPlatformData::Restore: Working count too small (%d). Calling SetDisplay()",
                      workingCount);
            handler->SetDisplay({.width = w, .height = h, .fullScreen = fullScreen, .force = true});
        }
        else
        {
            handler->SetBroken();
        }
        return true;
    }
    workingCount = 0;
    dxBroken = false;
    SetSetting(kSettingDxBroken, "0");
    GfxResult r = device->RestoreSurfaces();
    if (!GfxFailed(r))
    {
        handler->RestoreAssets();
        host->ReapplyCursors();
        host->InvalidateWindows();
        return true;
    }
    if (r == GFX_E_WRONGMODE)
    {
        LogPrintf("Restore: RestoreAllSurfaces resulted in DDERR_WRONGMODE. Calling SetDisplay.");
    }
    else
    {
        LogPrintf("RestoreAllSurfaces failed!\n");
        ReportDXError(r, kDisplayHandlerFile, 1080);
    }
    handler->SetDisplay({.width = w, .height = h, .fullScreen = fullScreen, .force = true});
    return true;
}
