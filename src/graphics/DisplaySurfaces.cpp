// Display creation, presentation and window placement over the graphics device.
#include "graphics/DisplaySurfaces.h"

#include <algorithm>
#include <climits>

#include "core/Log.h"
#include "core/Settings.h"
#include "graphics/DXError.h"
#include "graphics/DisplayHandler.h"

bool CDisplay::createdOnce_ = false;

CDisplay::~CDisplay()
{
    DestroyObjects();
}

int ChooseDisplayDepth(const std::vector<GfxDisplayMode>& modes, int width, int height,
                       int requested)
{
    int chosen = 0;
    bool any = false;
    for (const GfxDisplayMode& m : modes)
    {
        if (m.bitsPerPixel <= 14 || m.width != width || m.height != height) continue;
        if (!any)
        {
            any = true;
            chosen = m.bitsPerPixel;
            if (chosen == requested) break;
            continue;
        }
        if (m.bitsPerPixel == requested)
        {
            chosen = requested;
            break;
        }
        if (m.bitsPerPixel == 16) chosen = 16;
    }
    return any ? chosen : requested;
}

GfxResult CDisplay::CreateFullScreenDisplay(void* window, int width, int height, int depth,
                                            uint32_t flags)
{
    DestroyObjects();
    if (!device_) return GFX_E_POINTER;
    const int index = int(flags >> 16);
    const uint32_t options = flags & 0xFFFF;
    auto next = [&](GfxResult r, int line)
    {
        ReportDXError(r, kDisplaySurfacesFile, line);
        return CreateFullScreenDisplay(window, width, height, depth,
                                       (uint32_t(index + 1) << 16) | options);
    };
    if (index >= device_->GetAdapterCount())
    {
        LogPrintf("Failed to create a DirectDraw device after trying all GUIDs");
        if (!createdOnce_)
        {
            if (TDisplayHandler* h = GetDisplayHandler())
                h->GetHost()->ShowMessage(
                    "Sorry, but this product isn't compatible with your display. Try using a "
                    "different display (for "
                    "instance, the main display in your laptop), if you have the option.",
                    "Error");
        }
        return GFX_E_FAIL;
    }
    GfxDeviceInfo info = device_->GetInfo();
    if (info.videoMemory >= 0 && info.videoMemory < 16777216 && depth > 16) depth = 16;
    const int chosen = ChooseDisplayDepth(device_->GetDisplayModes(), width, height, depth);
    GfxResult r = device_->CreateDisplay(window, true, width, height, chosen, flags);
    if (GfxFailed(r) && (options & GFX_DISPLAY_ANTIALIAS))
    {
        LogPrintf("FAILED to create front buffer with DDSCAPS2_ENABLEALPHACHANNEL");
        r = device_->CreateDisplay(window, true, width, height, chosen,
                                   flags & ~GFX_DISPLAY_ANTIALIAS);
    }
    if (GfxFailed(r))
    {
        LogPrintf("Failed to create screen at %d bpp.", chosen);
        return next(r, 308);
    }
    LogPrintf("Created screen at %d bpp.", chosen);
    window_ = window;
    windowed_ = false;
    UpdateBounds();
    device_->ColorFill(nullptr, {0, 0, width, height}, 0);
    createdOnce_ = true;
    return GFX_OK;
}

GfxResult CDisplay::CreateWindowedDisplay(void* window, void* clipperWindow, int width, int height,
                                          bool /*videoMemoryBackBuffer*/, uint32_t flags)
{
    (void)clipperWindow;
    DestroyObjects();
    if (!device_) return GFX_E_POINTER;
    GfxResult r = device_->CreateDisplay(window, false, width, height, 32, flags & 0xFFFF);
    if (GfxFailed(r)) return ReportDXError(r, kDisplaySurfacesFile, 473);
    if (!(flags & GFX_DISPLAY_KEEP_WINDOW))
    {
        // A window reaching left of or above the work area moves onto it.
        GfxRect wr = device_->GetWindowClientRect();
        std::vector<GfxMonitor> mons = device_->GetMonitors();
        GfxDesktopInfo d = device_->GetDesktop();
        GfxMonitor m = MonitorFromRect(mons, wr, d.width, d.height);
        int x = std::max(wr.left, m.work.left), y = std::max(wr.top, m.work.top);
        if (x != wr.left || y != wr.top) device_->MoveWindow(x, y);
    }
    window_ = window;
    windowed_ = true;
    UpdateBounds();
    device_->ColorFill(nullptr, {0, 0, width, height}, 0);
    createdOnce_ = true;
    return GFX_OK;
}

GfxTexture* CDisplay::CreateSurface(int width, int height, GfxTextureUsage usage)
{
    if (!device_ || !device_->HasDisplay()) return nullptr;
    return device_->CreateTexture(width, height, usage);
}

GfxResult CDisplay::Present()
{
    if (!device_ || !device_->HasDisplay()) return GFX_E_POINTER;
    GfxResult r;
    int tries = 0;
    do
    {
        r = device_->Present();
    } while (r == GFX_E_WASSTILLDRAWING && ++tries < 1000);
    if (r == GFX_E_SURFACELOST) device_->RestoreSurfaces();
    return r;
}

void CDisplay::UpdateBounds()
{
    if (!device_) return;
    if (windowed_)
    {
        screen_ = device_->GetWindowClientRect();
    }
    else
    {
        GfxDesktopInfo d = device_->GetDesktop();
        screen_ = {0, 0, d.width, d.height};
    }
}

void CDisplay::GetWindowPos(int* x, int* y) const
{
    if (x) *x = screen_.left;
    if (y) *y = screen_.top;
}

void CDisplay::DestroyObjects()
{
    if (device_ && device_->HasDisplay()) device_->DestroyDisplay();
}

void CDisplay::RestoreDisplayMode()
{
    if (device_ && device_->HasDisplay() && !windowed_) device_->DestroyDisplay();
}

GfxMonitor MonitorFromRect(const std::vector<GfxMonitor>& monitors, const GfxRect& rect,
                           int desktopWidth, int desktopHeight)
{
    if (monitors.empty())
        return {{0, 0, desktopWidth, desktopHeight}, {0, 0, desktopWidth, desktopHeight}};
    const GfxMonitor* best = &monitors[0];
    int64_t bestArea = -1;
    int64_t bestDist = INT64_MAX;
    for (const GfxMonitor& m : monitors)
    {
        int64_t w =
            int64_t(std::min(rect.right, m.bounds.right)) - std::max(rect.left, m.bounds.left);
        int64_t h =
            int64_t(std::min(rect.bottom, m.bounds.bottom)) - std::max(rect.top, m.bounds.top);
        int64_t area = (w > 0 && h > 0) ? w * h : 0;
        int64_t dx = std::max<int64_t>(
            {int64_t(m.bounds.left) - rect.right, int64_t(rect.left) - m.bounds.right, 0});
        int64_t dy = std::max<int64_t>(
            {int64_t(m.bounds.top) - rect.bottom, int64_t(rect.top) - m.bounds.bottom, 0});
        int64_t dist = dx * dx + dy * dy;
        if (area > bestArea || (area == 0 && bestArea == 0 && dist < bestDist))
        {
            best = &m;
            bestArea = area;
            bestDist = dist;
        }
    }
    return *best;
}

GfxRect ClampRectToMonitor(const GfxRect& rect, uint32_t flags, const GfxMonitor& monitor)
{
    const GfxRect area = (flags & 2) ? monitor.work : monitor.bounds;
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > area.right - area.left || h > area.bottom - area.top) return rect;
    GfxRect r = rect;
    if (flags & 1)
    {
        r.left = area.left + int32_t(uint32_t(area.right - area.left - w) / 2u);
        r.top = area.top + int32_t(uint32_t(area.bottom - area.top - h) / 2u);
    }
    else
    {
        r.left = std::max(area.left, std::min(rect.left, area.right - w));
        r.top = std::max(area.top, std::min(rect.top, area.bottom - h));
    }
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

void ClampWindowToMonitor(IGfxDevice* device, uint32_t flags)
{
    if (!device) return;
    GfxRect wr = device->GetWindowClientRect();
    GfxDesktopInfo d = device->GetDesktop();
    GfxRect r = ClampRectToMonitor(wr, flags,
                                   MonitorFromRect(device->GetMonitors(), wr, d.width, d.height));
    if (r.left != wr.left || r.top != wr.top) device->MoveWindow(r.left, r.top);
}
