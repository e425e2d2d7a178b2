// The device context under the display handler: owns the display, refuses
// displays the program cannot run on, records driver quirks, presents frames
// and reports the renderer.
#pragma once

#include <cstdint>
#include <mutex>

#include "core/String.h"
#include "graphics/DisplaySurfaces.h"

class TDisplayHandler;

class TDXContext
{
public:
    // device is borrowed and must outlive the context.
    TDXContext(TDisplayHandler* handler, IGfxDevice* device);
    virtual ~TDXContext();

    // Builds the display for window. False on every refusal, with its log line.
    bool Create(void* window, bool fullScreen, int width, int height, int depth, uint32_t flags);
    // Releases the display; every window is to be redrawn.
    void ReleaseDevice();
    // Shows the frame; the display's result.
    GfxResult Present();
    // There is no depth buffer: the call is only checked and logged on error.
    void ClearDepth(uint32_t flags);
    bool PrepareFrame() { return true; }

    // Host viewport scale applied (rounded) and removed (truncated).
    void ToScreen(int x, int y, int* outX, int* outY) const;
    void FromScreen(int x, int y, int* outX, int* outY) const;

    // Desktop colour count (-1 above 256 colours) and size.
    void SetDesktopMode(int colourCount, int width, int height);
    // True when a window with a client area of width x height plus one edge
    // and one frame (and the caption) does not fit on the desktop.
    bool DesktopTooSmall(int width, int height) const;
    int GetDesktopColourCount() const { return desktopColours_; }
    int GetDesktopWidth() const { return desktopWidth_; }
    int GetDesktopHeight() const { return desktopHeight_; }
    int GetDisplayBitsPerPixel() const { return displayBits_; }

    bool HasTooFewColours() const { return tooFewColours_; }
    bool HasNoWindowVideoMemory() const { return noWindowVideoMemory_; }
    void SetNoWindowVideoMemory(bool on) { noWindowVideoMemory_ = on; }
    bool UsesAltBackBuffer() const { return altBackBuffer_; }
    bool HasDevice() const { return deviceReady_; }
    void SetVsync(bool on);
    bool GetVsync() const { return vsync_; }
    void ResetDisplayState() {}

    CDisplay& GetDisplay() { return display_; }
    IGfxDevice* GetDevice() const { return device_; }
    const TString& GetReport() const { return report_; }
    const GfxDeviceInfo& GetDeviceInfo() const { return info_; }
    // The lock that keeps pointer drawing out of displays being replaced.
    std::recursive_timed_mutex& GetMouseMutex() { return mouseMutex_; }
    const TString& GetMouseMutexName() const { return mouseMutexName_; }

private:
    bool CreateLocked(void* window, bool fullScreen, int width, int height, int depth,
                      uint32_t flags);
    void ReadDesktop();

    TDisplayHandler* handler_;
    IGfxDevice* device_;
    TString report_;
    CDisplay display_;
    GfxDeviceInfo info_;
    bool deviceReady_ = false;
    bool tooFewColours_ = false;
    bool noWindowVideoMemory_ = false;
    bool altBackBuffer_ = false;
    int desktopColours_ = -1;
    int desktopWidth_ = 0, desktopHeight_ = 0;
    int edgeX_ = 2, edgeY_ = 2, frameX_ = 4, frameY_ = 4, caption_ = 23;
    int displayBits_ = 32;
    bool vsync_ = false;
    std::recursive_timed_mutex mouseMutex_;
    TString mouseMutexName_;
};
