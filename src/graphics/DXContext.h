// The device context under the display handler: owns the display, refuses
// displays the program cannot run on, records driver quirks, presents frames
// and reports the renderer.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/String.h"
#include "core/Task.h"
#include "graphics/DisplaySurfaces.h"

class TDisplayHandler;
class TTexture;
class TMouseTextureListener;
using TTextureRef = std::shared_ptr<TTexture>;

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
    // Shows the frame (the pointer composed in); the display's result.
    GfxResult Present();
    // There is no depth buffer: the call is only checked and logged on error.
    void ClearDepth(uint32_t flags);
    // The back buffer never holds the pointer: nothing to take out of it.
    bool PrepareFrame() { return true; }

    // --- the mouse image (MouseImage.cpp) ---
    // Two slots: the normal image, drawn by colour key (magenta pixels
    // transparent, the rest opaque), and the overlay, drawn with its own
    // alpha and drawn instead of the normal one while set. Both are turned
    // into the device's pointer picture once, when set; the device composes
    // it into the window picture at present. With the setting "activex" at
    // "1" an overlay becomes the platform's colour cursor instead.
    // False without a device, when the image cannot be read (rebuilt by the
    // next restore) or when the colour cursor is refused; a device that
    // cannot hold the pointer picture leaves no pointer and no error.
    bool SetMouseImage(const TTextureRef& image, int hotX, int hotY, bool overlay);
    // Both images again (after the device's pictures were lost).
    void RestoreMouseImage();
    // Records the pointer at (x, y) in picture coordinates and shows it;
    // nothing while the images wait to be rebuilt.
    void UpdateMouse(int x, int y);
    // Hidden (the pointer left the window); the windows are redrawn.
    void HideMouse();
    void ResetMouseImage();
    // (-1, -1) while unknown.
    void GetMouseImagePos(int* x, int* y) const;
    // The normal image when both sizes are positive, else empty.
    TTextureRef GetMouseImage() const;
    // True when the platform's colour cursor stands in for the drawn pointer.
    bool SetCursorIcon(bool show);
    // The pointer is not drawn while the wish is false.
    void SetCursorVisible(bool visible);
    bool IsCursorVisible() const { return cursorVisible_; }
    void EraseMouse();
    bool IsMouseShown() const { return shown_; }
    bool IsOverlayActive() const { return overlayActive_; }
    bool IsMouseRestorePending() const { return restorePending_; }
    bool HasCursorIcon() const { return cursorIcon_; }
    // Called by the listener's destructor.
    void DetachMouseListener() { listener_ = nullptr; }

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

    // Mouse image.
    struct TPointerSlot
    {
        TTextureRef image;
        int hotX = 0, hotY = 0;
        std::vector<uint32_t> pixels;  // the rule applied, ARGB
        int width = 0, height = 0;
    };
    bool ConvertPointer(TPointerSlot& slot, bool colourKey);
    void ApplyDrawnPointer();
    // Hands the pointer's placement to the device before each present.
    void PlacePointer();
    bool MakeColorCursor(const TTextureRef& image, int hotX, int hotY);
    void ReleaseMouseImage();

    TPointerSlot normal_, overlay_;
    bool overlayActive_ = false;
    TMouseTextureListener* listener_ = nullptr;
    int mouseX_ = -1, mouseY_ = -1;
    int hotOffsetX_ = 0, hotOffsetY_ = 0;
    int imageWidth_ = 0, imageHeight_ = 0;
    bool shown_ = false;
    bool cursorVisible_ = true;
    bool restorePending_ = false;
    bool pointerLost_ = false;  // the device cannot hold the pointer picture
    bool cursorIcon_ = false;
    bool restoring_ = false;
};

// The mouse image's task on the application task list, which runs after every
// device restore: it rebuilds the images. Owned by that list.
class TMouseTextureListener final : public TTask
{
public:
    explicit TMouseTextureListener(TDXContext* context) : context_(context) {}
    ~TMouseTextureListener() override;
    bool Run() override;
    void Detach() { context_ = nullptr; }

private:
    TDXContext* context_;
};
