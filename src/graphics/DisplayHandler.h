// The display handler: the one object between the framework and the graphics
// device. It sets display modes with their refusals and fall-backs, keeps the
// device in a known default state, notices lost or broken devices and
// restores them, publishes the render settings, and does the device work of
// render states (RenderStates.cpp) and of frames, render targets and
// primitives (DeviceFrames.cpp).
//
// Failure: bool results are false when refused or when the device failed
// (with a "DX Error" log line); void operations log and leave state as it was.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "graphics/DXContext.h"
#include "graphics/DisplayHost.h"
#include "graphics/VertexSet.h"
#include "platform/gfx/Device.h"

class TDisplayHandler;

// Everything the handler keeps about the device; owned by the handler.
struct TPlatformData
{
    TPlatformData(TDisplayHandler* handler, IGfxDevice* device);
    ~TPlatformData();

    // Restores a lost device; false when nothing could be restored.
    bool Restore();
    // Switches the device's render target (texture-data drawing); true except
    // when the device cannot take it (then logged).
    bool SetRenderTarget(GfxTexture* current, GfxTexture* next);

    TDisplayHandler* handler;
    IGfxDevice* device;       // borrowed; the device when a display exists
    bool hasDisplay = false;  // the display references of the old design
    std::unique_ptr<TDXContext> context;
    GfxTexture* renderTarget = nullptr;        // current device render target (null: back buffer)
    GfxTexture* screenRenderTarget = nullptr;  // the one right after the last mode set
    std::list<TRect> viewportStack;            // newest first
    TRect viewport, screen, clip, savedViewport;
    bool fullScreen = false;
    int blendMode = -1;
    int screenBitDepth = 32;
    bool ready = false;
    bool dxBroken = false;
    bool lowMemoryNotice = false;
    bool depthWrite = false, depthTest = false;
    int renderTargetMode = 0;
    GfxTexture* renderTargetTexture = nullptr;
    bool inModeSet = false, inRestore = false, inScene = false;
    bool projectionDirty = true;
    TMatrix4x4 projection;
    float nearPlane = 0.1f, farPlane = 1000.0f;
    bool antialias = false, antialiasHint = false, newSubtractive = false, newRenderBlend = false;
    bool calibrationDone = false;
    float pixelOffset = -0.5f;
    std::vector<uint16_t> indexBuffer;  // capacity = size
    int workingCount = 0;
    bool lowMemoryVideo = false;
    bool fatal = false;
    bool fallbackTried = false;
    bool fullScreenSucceeded = false;
    uint32_t lastBrokenTime = 0;
    bool brokenOnce = false;
    bool separateTextureMemories = false, noSpecularGouraud = false, squareTexturesOnly = false;
    bool defaultCursorInstalled = false;
};

// A display mode to take: force sets it even when nothing changed, quiet
// keeps failures out of message boxes, keepWindowStyle leaves the window's
// style and size alone.
struct TDisplayRequest
{
    int width = 0;
    int height = 0;
    bool fullScreen = false;
    bool force = false;
    bool quiet = false;
    bool keepWindowStyle = false;
};

class TDisplayHandler
{
public:
    // host and device are borrowed and must outlive the handler (null host:
    // a stand-alone default host). Becomes the global handler.
    TDisplayHandler(IGfxDevice* device, TDisplayHost* host = nullptr);
    ~TDisplayHandler();

    TDisplayHost* GetHost() const { return host_; }
    IGfxDevice* GetDevice() const { return device_; }
    TPlatformData* GetPlatformData() const { return data_.get(); }
    TDXContext* GetContext() const { return data_->context.get(); }

    // --- modes and device (display handler) ---
    void SetDisplay(const TDisplayRequest& request);
    // False when a window is refused (palette, small desktop, no video memory,
    // low-memory video); otherwise sets the current size in the other kind.
    bool SetWindowed(bool fullScreen);
    bool IsDeviceValid();
    void SetBroken();
    void SetBrokenThrottled();
    void RestoreAssets();
    void OutOfVideoMemory();
    void ResetWorkingCount() { data_->workingCount = 0; }
    void ReadDesktopMode();
    bool IsFullscreen() const { return data_->fullScreen; }
    void GetScreenSize(int* width, int* height, bool* fullScreen) const;
    void GetViewport(int* x, int* y, int* right, int* bottom) const;
    void SetRenderSetting(const TString& key, const TString& value);
    TString GetRenderSetting(const TString& key) const;
    void SetVsync(bool on);
    bool CanUpdateMouse() const { return data_->ready && !data_->dxBroken; }
    bool IsPresentDone();
    void WaitForFlip();
    bool IsReady() const { return data_->ready; }
    bool IsBroken() const { return data_->dxBroken; }
    bool IsLowMemoryVideo() const { return data_->lowMemoryVideo; }
    void SetLowMemoryVideo(bool on) { data_->lowMemoryVideo = on; }
    void SetSplitIndexedRequest(bool on) { splitRequest_ = on; }
    bool GetSplitIndexedRequest() const { return splitRequest_; }
    void SetSplitIndexedEnable(bool on) { splitEnable_ = on; }
    // Reads "common:display.xml" (the constructor does so unless "-pq=").
    void ReadDisplaySettings();

    // --- render states, blend modes, viewports ---
    void SetWorldTransform(const TMatrix4x4& m);
    void SetViewTransform(const TMatrix4x4& m);
    void SetProjectionTransform(const TMatrix4x4& m);
    void SetPerspective(float nearZ, float farZ, float fov, float aspect);
    void SetShadeMode(int kind);
    void SetCullMode(int kind);
    void SetAmbient(const TFloatVector4& colour);
    void SetMaterial(const GfxMaterial& material);
    void SetZWrite(bool on);
    void SetZEnable(bool on);
    void SetTextureAddress(int u, int v);
    void SetTextureFilter(int mode);
    uint32_t SetVertexKind(int kind);
    void SetBlendMode(int mode);
    int GetBlendMode() const { return data_->blendMode; }
    void SetTexture(GfxTexture* texture);
    bool Begin2dStates();
    bool Begin3dStates();
    void End2dStates();
    void End3dStates() {}
    void SetViewport(int left, int top, int right, int bottom);
    void PushViewport(int left, int top, int right, int bottom);
    void PopViewport();
    void SetClipRect(const TRect& clip);
    const TRect& GetClipRect() const { return data_->clip; }
    // Applies rect (intersected with nothing) against a target of targetWidth x
    // targetHeight; the device's result.
    GfxResult ApplyViewportRect(const TRect& rect, int targetWidth, int targetHeight);
    bool ApplyViewport();
    float GetPixelOffset() const { return data_->pixelOffset; }
    void SetPixelOffset(float o) { data_->pixelOffset = o; }

    // --- frames, render targets, primitives ---
    bool BeginDraw(bool restoreMouse);
    GfxResult EndDraw(bool present);
    void EndFrame() {}
    bool BeginRenderTarget(GfxTexture* texture, int mode);
    void EndRenderTarget();
    void DrawVertices(GfxPrimitive type, const TVertexSet& set);
    void DrawIndexedVertices(GfxPrimitive type, const TVertexSet& set, const uint16_t* indices,
                             int count);
    bool FillRect(float left, float top, float right, float bottom, const TFloatVector4& colour,
                  GfxTexture* target);
    void CopyScreenToTexture(GfxTexture* texture, const TRect& area);
    void CopyScreenAlphaToTexture(GfxTexture* texture);
    void SetTextureOpaque(GfxTexture* texture);
    void CalibratePixelOffset();

private:
    void SetDisplayFallback(int width, int height, bool fullScreen, bool quiet, bool active);
    void ApplyDefaultState();
    void StageSetup(int mode, bool targetAlpha);
    bool TargetAlpha() const { return data_->renderTargetTexture && data_->renderTargetMode == 4; }
    void Fatal(const char* text, const char* caption);
    bool RS(GfxRenderState s, uint32_t v, int line);
    bool TSS(GfxStageState s, uint32_t v, int line);

    IGfxDevice* device_;
    TDisplayHost* host_;
    std::unique_ptr<TDisplayHost> ownHost_;
    std::unique_ptr<TPlatformData> data_;
    bool splitEnable_ = true;
    bool splitRequest_ = false;
    std::vector<TDrawVertex> splitVertices_;
    bool own2d_ = false;  // a 2D block of the handler's own (calibration)
};

// The global handler, or null.
TDisplayHandler* GetDisplayHandler();
// Creates the global handler over device (borrowed) and host (borrowed, may
// be null). Returns it; a previous one is replaced (not deleted).
TDisplayHandler* CreateDisplayHandler(IGfxDevice* device, TDisplayHost* host = nullptr);
