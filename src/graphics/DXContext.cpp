// The device context: display creation with its refusals, the quirk table and
// the renderer report.
#include "graphics/DXContext.h"

#include <cmath>
#include <cstring>

#include "core/Folders.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DXError.h"
#include "graphics/DisplayHandler.h"

TDXContext::TDXContext(TDisplayHandler* handler, IGfxDevice* device)
    : handler_(handler), device_(device), display_(device)
{
    ReadDesktop();
    const TGuid g = NewGuid();
    const uint32_t* w = g.words;
    mouseMutexName_ = TString::Format("TDXContextMouseMutex:%x:%x:%x:%x", w[0], w[1], w[2], w[3]);
}

TDXContext::~TDXContext()
{
    ReleaseMouseImage();
    ReleaseDevice();
}

void TDXContext::ReadDesktop()
{
    if (!device_) return;
    GfxDesktopInfo d = device_->GetDesktop();
    // A colour count set after a refused device (32) stays until the desktop
    // itself reports a palette.
    if (!(desktopColours_ == 32 && d.colourCount == -1)) desktopColours_ = d.colourCount;
    desktopWidth_ = d.width;
    desktopHeight_ = d.height;
    edgeX_ = d.edgeX;
    edgeY_ = d.edgeY;
    frameX_ = d.frameX;
    frameY_ = d.frameY;
    caption_ = d.caption;
}

void TDXContext::SetDesktopMode(int colourCount, int width, int height)
{
    desktopColours_ = colourCount;
    desktopWidth_ = width;
    desktopHeight_ = height;
}

bool TDXContext::DesktopTooSmall(int width, int height) const
{
    return desktopWidth_ < width + edgeX_ + frameX_ ||
           desktopHeight_ < height + edgeY_ + frameY_ + caption_;
}

void TDXContext::SetVsync(bool on)
{
    vsync_ = on;
    if (device_) device_->SetVsync(on);
}

void TDXContext::ToScreen(int x, int y, int* outX, int* outY) const
{
    float s = handler_ ? handler_->GetHost()->GetViewportScale() : 1.0f;
    if (outX) *outX = int(std::floor(x * s + 0.5f));
    if (outY) *outY = int(std::floor(y * s + 0.5f));
}

void TDXContext::FromScreen(int x, int y, int* outX, int* outY) const
{
    float s = handler_ ? handler_->GetHost()->GetViewportScale() : 1.0f;
    if (s == 0.0f) s = 1.0f;
    if (outX) *outX = int(x / s);
    if (outY) *outY = int(y / s);
}

void TDXContext::ReleaseDevice()
{
    std::lock_guard<std::recursive_timed_mutex> lock(mouseMutex_);
    deviceReady_ = false;
    display_.DestroyObjects();
    if (handler_) handler_->GetHost()->InvalidateWindows();
}

bool TDXContext::Create(void* window, bool fullScreen, int width, int height, int depth,
                        uint32_t flags)
{
    if (handler_ && handler_->GetHost()->HasExternalParent())
    {
        fullScreen = false;
        noWindowVideoMemory_ = false;
    }
    std::lock_guard<std::recursive_timed_mutex> lock(mouseMutex_);
    ReleaseDevice();
    return CreateLocked(window, fullScreen, width, height, depth, flags);
}

bool TDXContext::CreateLocked(void* window, bool fullScreen, int width, int height, int depth,
                              uint32_t flags)
{
    TDisplayHost* host = handler_ ? handler_->GetHost() : nullptr;
    const bool embedded = host && host->IsEmbedded();
    ReadDesktop();
    if (!fullScreen && !embedded && DesktopTooSmall(width, height)) return false;
    if (desktopColours_ != -1)
    {
        if (desktopColours_ <= 16)
        {
            tooFewColours_ = true;
            return false;
        }
        if (!fullScreen) return false;
    }
    if (!device_) return false;

    GfxResult r;
    if (!fullScreen)
    {
        if (noWindowVideoMemory_) return false;
        if (embedded && host)
        {
            float s = host->GetViewportScale();
            width = int(width * s + 0.5f);
            height = int(height * s + 0.5f);
        }
        r = display_.CreateWindowedDisplay(window, nullptr, width, height, altBackBuffer_, flags);
        if (r == GFX_E_OUTOFVIDEOMEMORY) noWindowVideoMemory_ = true;
    }
    else
    {
        r = display_.CreateFullScreenDisplay(window, width, height, depth, flags);
    }
    if (GfxFailed(r))
    {
        // Two refusals shape the next request: one asks for the other kind of
        // window back buffer; the other means the desktop's depth cannot take a
        // window, and the colour count set here refuses later windows at once.
        if (r == GFX_E_ALTBACKBUFFER)
        {
            altBackBuffer_ = true;
        }
        else if (r == GFX_E_BADDESKTOPDEPTH)
        {
            desktopColours_ = 32;
        }
        else
        {
            ReportDXError(r, kDeviceContextFile, 6);
        }
        return false;
    }
    displayBits_ = depth <= 16 ? 16 : 32;

    info_ = device_->GetInfo();
    if (!info_.hardware && !embedded)
    {
        LogPrintf("TDXContext::Create failed! Could not find a hardware renderer.");
        ReleaseDevice();
        return false;
    }
    // Every blend mode is a custom blend; a renderer without them cannot draw the game.
    if (!info_.customBlend)
    {
        LogPrintf("TDXContext::Create failed! The renderer does not support custom blending.");
        ReleaseDevice();
        return false;
    }
    if (info_.maxTextureWidth < 1024 || info_.maxTextureHeight < 1024)
    {
        LogPrintf("TDXContext::Create - context does not support 1024x1024 textures! Failing!");
        ReleaseDevice();
        return false;
    }

    uint32_t g[4] = {0, 0, 0, 0};
    TString ident = TString::Format(
        "Device identifier:  \n  Driver: '%s'\n  Description: '%s'\n  Version: %x:%x\n  Vendor ID: "
        "%x (%d)\n  Device ID: "
        "%x (%d)\n  SubSys:  : %x (%d)\n  Revision:  %x (%d)\n  GUID:      %x:%x:%x:%x\n",
        info_.driver.c_str(), info_.description.c_str(), info_.versionHigh, info_.versionLow,
        info_.vendorId, int(info_.vendorId), info_.deviceId, int(info_.deviceId), info_.subSysId,
        int(info_.subSysId), info_.revision, int(info_.revision), g[0], g[1], g[2], g[3]);
    LogPrintf("%s", ident.CStr());
    report_ += ident;

    if (info_.description.find("Intel") != std::string::npos)
        SetSetting(kSettingBrokenIndexedVerts, "1");
    if (info_.description == "SiS Mirage 3 Graphics" && handler_)
        handler_->SetSplitIndexedRequest(true);

    if (GetSettingBool(kSettingLargeVramUsage) && handler_ && handler_->GetSplitIndexedRequest() &&
        host && host->IsWindowsVistaOrLater() && !host->HasPqSwitch() && !embedded && depth > 16)
    {
        handler_->SetLowMemoryVideo(true);
        return CreateLocked(window, fullScreen, width, height, 16, flags);
    }

    // The renderer's numbers stand where the display and device caps records
    // were dumped: maximum texture size, hardware flag, custom blending, video memory.
    const int32_t caps[5] = {info_.maxTextureWidth, info_.maxTextureHeight, info_.hardware ? 1 : 0,
                             info_.customBlend ? 1 : 0, int32_t(info_.videoMemory)};
    report_ += TString::Format("DDCAPS: %s\n", BytesToHex(caps, int(sizeof caps)).CStr());
    report_ += TString::Format("D3DDESC: %s\n",
                               BytesToHex(info_.vendor.data(), int(info_.vendor.size())).CStr());
    deviceReady_ = true;
    device_->SetVsync(vsync_);
    return true;
}

GfxResult TDXContext::Present()
{
    std::lock_guard<std::recursive_timed_mutex> lock(mouseMutex_);
    if (restorePending_) RestoreMouseImage();
    PlacePointer();
    display_.UpdateBounds();
    return display_.Present();
}

void TDXContext::ClearDepth(uint32_t flags)
{
    if (!device_) return;
    GfxResult r = device_->ClearDepth(flags);
    if (GfxFailed(r)) ReportDXError(r, kDeviceContextFile, 0);
}
