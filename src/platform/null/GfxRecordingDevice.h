// A graphics device that draws nothing and records every call, for unit tests
// of state rules, blend choices and viewport arithmetic. Its back buffer and
// textures are plain memory, so fills and copies can be checked; triangles are
// recorded, not rasterised. Line lists of pre-transformed vertices (the vector
// drawer's spans) are also drawn into the back buffer, blended over it when
// the blend state asks for source alpha, so span output can be read back.
//
// Failures are injected per operation name ("CreateDisplay", "BeginScene",
// "EndScene", "Present", "SetViewport", "DrawPrimitive", "DrawIndexedPrimitive",
// "RestoreSurfaces", "ColorFill", "CopyBackToTexture", "CopyTextureToBack",
// "ReadBack", "SetRenderState", "SetTextureStageState", "CreateTexture",
// "SetPointerImage", "SetColorCursor"): each
// queued result is returned by one call in turn.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"

class GfxRecordingDevice final : public IGfxDevice
{
public:
    GfxRecordingDevice();
    ~GfxRecordingDevice() override;

    // --- set-up and inspection ---
    GfxDesktopInfo desktop;
    GfxDeviceInfo info;
    std::vector<GfxMonitor> monitors;
    std::vector<GfxDisplayMode> modes;
    int adapterCount = 1;
    std::map<std::string, std::deque<GfxResult>> failures;
    int flipStillDrawing = 0;  // GetFlipStatus reports "still drawing" this many times
    bool lost = false;
    std::vector<std::string> calls;  // "Op arg arg ..." per call
    // The last draw call: its vertices (indexed draws expanded per index is not
    // done here: vertices and indices as given).
    std::vector<GfxVertex> lastVertices;
    std::vector<uint16_t> lastIndices;
    uint32_t lastFvf = 0;
    int lastPrimitive = 0;
    int drawCalls = 0;
    // Every non-indexed draw in order: texture, vertices, blend factors and
    // the viewport the vertices are relative to.
    struct TDraw
    {
        GfxTexture* texture;
        std::vector<GfxVertex> vertices;
        uint32_t srcBlend, destBlend;
        GfxViewport viewport;
    };
    std::vector<TDraw> draws;
    GfxMatrix transforms[3];
    GfxMaterial material{};
    bool vsync = false;
    bool fullScreen = false;
    void* window = nullptr;
    uint32_t createFlags = 0;
    int createDepth = 0;
    int presents = 0;
    GfxRect windowRect{0, 0, 0, 0};

    void Fail(const std::string& op, GfxResult r) { failures[op].push_back(r); }
    bool Called(const std::string& prefix) const;
    int CountCalls(const std::string& prefix) const;
    void ClearCalls() { calls.clear(); }
    GfxTexture* CurrentTexture() const { return texture_; }
    uint32_t BackPixel(int x, int y) const;

    // --- IGfxDevice ---
    GfxDesktopInfo GetDesktop() override { return desktop; }
    std::vector<GfxMonitor> GetMonitors() override { return monitors; }
    std::vector<GfxDisplayMode> GetDisplayModes() override { return modes; }
    int GetAdapterCount() override { return adapterCount; }
    GfxResult CreateDisplay(void* window, bool fullScreen, int width, int height, int depth,
                            uint32_t flags) override;
    void DestroyDisplay() override;
    bool HasDisplay() const override { return hasDisplay_; }
    GfxDeviceInfo GetInfo() override { return info; }
    GfxResult Present() override;
    GfxResult GetFlipStatus() override;
    GfxResult TestLost() override { return lost ? GFX_E_SURFACELOST : GFX_OK; }
    GfxResult RestoreSurfaces() override;
    void SetVsync(bool on) override;
    int GetRefreshRate() override { return 60; }
    GfxRect GetWindowClientRect() override { return windowRect; }
    void MoveWindow(int x, int y) override;
    void ShowWindow() override { calls.push_back("ShowWindow"); }
    void SimulateLoss() override { lost = true; }

    GfxResult BeginScene() override;
    GfxResult EndScene() override;
    GfxResult SetRenderState(GfxRenderState state, uint32_t value) override;
    uint32_t GetRenderState(GfxRenderState state) const override;
    GfxResult SetTextureStageState(int stage, GfxStageState state, uint32_t value) override;
    uint32_t GetTextureStageState(int stage, GfxStageState state) const override;
    GfxResult SetTransform(GfxTransformKind kind, const GfxMatrix& matrix) override;
    GfxResult SetMaterial(const GfxMaterial& material) override;
    GfxResult SetViewport(const GfxViewport& viewport) override;
    GfxViewport GetViewport() const override { return viewport_; }
    GfxResult SetTexture(int stage, GfxTexture* texture) override;
    GfxResult ClearDepth(uint32_t flags) override;
    GfxResult DrawPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                            int count) override;
    GfxResult DrawIndexedPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                                   int vertexCount, const uint16_t* indices,
                                   int indexCount) override;

    GfxTexture* CreateTexture(int width, int height, GfxTextureUsage usage) override;
    void DestroyTexture(GfxTexture* texture) override;
    bool GetTextureSize(const GfxTexture* texture, int* width, int* height) const override;
    GfxTextureMemory GetTextureMemory() const override { return textureMemory_; }
    uint32_t* LockTexture(GfxTexture* texture) override;
    void UnlockTexture(GfxTexture* texture) override;

    GfxResult ColorFill(GfxTexture* target, const GfxRect& rect, uint32_t argb) override;
    GfxResult CopyBackToTexture(const GfxRect& area, GfxTexture* texture) override;
    GfxResult CopyTextureToBack(GfxTexture* texture, const GfxRect& area) override;
    GfxResult ReadBack(const GfxRect& area, uint32_t* out) override;
    bool GetBackBufferSize(int* width, int* height) const override;

    // The window picture is the back buffer at scale 1 with the pointer
    // blended in: opaque pixels copied, transparent ones skipped, the rest
    // (back x (255 - a) + pointer x a) >> 8 per channel.
    bool SetPointerImage(const uint32_t* argb, int width, int height) override;
    void SetPointerPlacement(int x, int y, const GfxRect& clip, bool visible) override;
    bool SetColorCursor(const uint32_t* argb, int hotX, int hotY) override;
    void CapturePresentedPicture(bool on) override { capture_ = on; }
    bool GetPresentedPicture(std::vector<uint32_t>* pixels, int* width, int* height) const override;

    // The pointer as last handed over.
    std::vector<uint32_t> pointerPixels;
    int pointerWidth = 0, pointerHeight = 0;
    int pointerX = 0, pointerY = 0;
    GfxRect pointerClip{0, 0, 0, 0};
    bool pointerVisible = false;
    std::vector<uint32_t> colorCursor;  // 32 x 32, empty: the system arrow
    int colorCursorHotX = 0, colorCursorHotY = 0;

private:
    void ComposePicture();

    GfxResult Take(const std::string& op);
    void DrawLineList(const GfxVertex* v, int count, const uint16_t* indices, int indexCount);

    bool hasDisplay_ = false;
    int backW_ = 0, backH_ = 0;
    std::vector<uint32_t> back_;
    uint32_t rs_[GFX_RS_COUNT];
    uint32_t tss_[GFX_TSS_COUNT];
    GfxViewport viewport_{0, 0, 0, 0, 0.0f, 1.0f};
    GfxTexture* texture_ = nullptr;
    std::vector<GfxTexture*> textures_;
    GfxTextureMemory textureMemory_;
    bool capture_ = false;
    std::vector<uint32_t> presented_;
};
