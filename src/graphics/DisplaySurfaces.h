// The lowest display layer: takes the screen in a window or full screen
// through the graphics device, presents the back buffer, keeps the drawing
// area's screen rectangle; plus placement of the main window on its monitor.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/Device.h"

class CDisplay
{
public:
    explicit CDisplay(IGfxDevice* device) : device_(device) {}
    virtual ~CDisplay();

    // flags: low 16 bits options (4 antialias hint), high 16 bits the adapter
    // index. Walks on to the next adapter after any failure; E_FAIL when none
    // is left (with a message box unless a display was made before in the run).
    GfxResult CreateFullScreenDisplay(void* window, int width, int height, int depth,
                                      uint32_t flags);
    // flags: 2 leave the window's style and size alone, 4 antialias hint.
    // Returns the device's failure as is.
    GfxResult CreateWindowedDisplay(void* window, void* clipperWindow, int width, int height,
                                    bool videoMemoryBackBuffer, uint32_t flags);
    // A plain off-screen surface; null without a display or on failure.
    GfxTexture* CreateSurface(int width, int height, GfxTextureUsage usage);
    // E_POINTER without a display; retries while the device is still drawing;
    // a lost surface is restored and the loss returned.
    GfxResult Present();
    void UpdateBounds();
    void GetWindowPos(int* x, int* y) const;
    void DestroyObjects();
    void RestoreDisplayMode();

    bool HasDisplay() const { return device_ && device_->HasDisplay(); }
    bool IsWindowed() const { return windowed_; }
    const GfxRect& GetScreenRect() const { return screen_; }
    IGfxDevice* GetDevice() const { return device_; }
    static bool WasCreatedOnce() { return createdOnce_; }
    static void ResetCreatedOnceForTests() { createdOnce_ = false; }

private:
    IGfxDevice* device_;
    void* window_ = nullptr;
    GfxRect screen_{0, 0, 0, 0};
    bool windowed_ = false;
    static bool createdOnce_;
};

// The bit depth a full-screen mode is set at: the first mode of width x
// height above 14 bits, replaced by one of the requested depth (which ends
// the search) or by a 16-bit one; the requested depth when none counts.
int ChooseDisplayDepth(const std::vector<GfxDisplayMode>& modes, int width, int height,
                       int requested);

// The monitor nearest to rect (largest overlap, else nearest by distance);
// with no monitors the pseudo primary monitor (0, 0, desktopWidth, desktopHeight).
GfxMonitor MonitorFromRect(const std::vector<GfxMonitor>& monitors, const GfxRect& rect,
                           int desktopWidth, int desktopHeight);

// Moves rect into its monitor's area (flag 2: the work area): centred with
// flag 1, otherwise shifted just enough; a rectangle larger than the area is
// left alone. Width and height are kept.
GfxRect ClampRectToMonitor(const GfxRect& rect, uint32_t flags, const GfxMonitor& monitor);

// ClampRectToMonitor on the device's window, then moves the window there.
void ClampWindowToMonitor(IGfxDevice* device, uint32_t flags);
