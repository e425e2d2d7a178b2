// TDrawContext: the one drawing context every frame passes through. It knows
// whether a frame or a render target is open and whether the current block
// is 2D or 3D, refuses calls that break those rules with a fixed log line,
// keeps the clip stack and the current texture, measures the frame rate and
// draws the debug overlay; the device work is forwarded to the display
// handler it owns.
//
// Failure: refused calls log their line and return false or do nothing;
// device errors are reported by the display handler.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "graphics/DisplayHost.h"
#include "graphics/Texture.h"
#include "graphics/VertexSet.h"
#include "platform/gfx/Device.h"

class TDisplayHandler;
class TTextGraphic;

struct TDrawContextState
{
    uint32_t frameIndex = 0;  // position in the frame-time ring, 0..14
    float fps = 0.0f;
    uint32_t frameTimes[15] = {};  // application ms of the last frames
    bool overlayVisible = false;
    TTextGraphic* overlayText = nullptr;  // owned; made at the first overlay draw
    TTextureRef currentTexture;
    std::vector<TRect> clipStack;  // screen coordinates
    bool in2d = false, in3d = false;
    bool inDraw = false;
    bool inRenderTarget = false;
};

class TDrawContext
{
public:
    // The one context, made on first use.
    static TDrawContext* GetInstance();
    // The instance when one exists, else null (never creates it).
    static TDrawContext* GetIfMade();
    static void Destroy();
    // Before the first GetInstance, which asserts (in debug builds) that it was
    // called: the device and host the display handler is made over (both
    // borrowed; null device: an SDL device of the context's own; null host:
    // the context's own).
    static void UseDevice(IGfxDevice* device, TDisplayHost* host);
    // Forgets what UseDevice chose, as before it was ever called.
    static void ForgetDevice();

    bool BeginDraw(bool restoreMouse);
    GfxResult EndDraw(bool present);
    bool BeginRenderTarget(const TTextureRef& texture, int mode);
    void EndRenderTarget();
    bool Begin2d();
    void End2d();
    bool Begin3d();
    void End3d();
    bool Is2d() const { return state_.in2d; }
    bool Is3d() const { return state_.in3d; }
    bool IsDrawing() const { return state_.inDraw || state_.inRenderTarget; }

    // kind: primitive type (6 triangle fan).
    void DrawVertices(int kind, const TVertexSet& vertices);
    void SetTexture(const TTextureRef& texture);
    // SetTexture for a texture drawing its own quads: when it is current
    // already, only the stage is set again, without taking or dropping a
    // reference (a quad a particle, so the references' cost shows).
    void UseTexture(TTexture* texture);
    TTextureRef GetTexture() const { return state_.currentTexture; }
    void SetBlendMode(int mode);
    void SetCullMode(int kind);
    void SetTextureFilter(int kind);
    // colour: red, green, blue, alpha. Without texture rect is relative to the
    // viewport; with one the rectangle of that texture is filled.
    void FillRect(const TRect& rect, const TFloatVector4& colour, const TTextureRef& texture);

    TRect GetViewport() const;
    void PushViewport(const TRect& rect);
    void PopViewport();
    TRect GetClipRect() const;
    void PushClipRect(const TRect& rect);
    void PopClipRect();

    void OnSettingChanged(const TString& key, const TString& value);
    TString GetRenderSetting(const TString& key) const;
    bool RequiresSquareTextures() const;
    // True when the overlay is now hidden.
    bool ToggleDebugOverlay();

    TDisplayHandler* GetDisplayHandler() const { return handler_.get(); }
    const TDrawContextState& GetState() const { return state_; }
    // The debug overlay's text: the frame rate, the sprite count, the memory
    // the process holds in RAM and the texel bytes of the device's textures,
    // each now and at its most.
    TString GetOverlayText() const;

private:
    friend class TDrawContextHost;
    TDrawContext();
    ~TDrawContext();
    void DrawOverlay();

    TDrawContextState state_;
    // The device wrapper: what the display handler runs over.
    std::unique_ptr<IGfxDevice> ownDevice_;
    std::unique_ptr<TDisplayHost> ownHost_;
    std::unique_ptr<TDisplayHandler> handler_;
    TTextureRef stashedTexture_;  // kept while the handler borrows the stage
};

// Ends a 2D block only when it was this guard that opened it.
class TScoped2d
{
public:
    // Begin2d on the drawing context; began holds its result.
    TScoped2d();
    explicit TScoped2d(bool beganAlready) : began(beganAlready) {}
    ~TScoped2d() { Release(); }
    TScoped2d(const TScoped2d&) = delete;
    TScoped2d& operator=(const TScoped2d&) = delete;
    void Release();

    bool began = false;
};

// The display host's drawing-context side: the display handler asks the
// drawing context about blocks and the current texture through it. The
// platform host derives from it; tests set the window and the clock.
class TDrawContextHost : public TDisplayHost
{
public:
    uint32_t GetTime() override;
    void* GetMainWindow() override { return window_; }
    void SetMainWindow(void* window) { window_ = window; }
    // Tests: a fixed application time instead of the platform clock.
    void SetFixedTime(bool on, uint32_t ms)
    {
        fixedTime_ = on;
        time_ = ms;
    }

    bool IsDrawing() override;
    bool Is2d() override;
    bool Is3d() override;
    void Begin2d() override;
    void End2d() override;
    void Begin3d() override;
    void End3d() override;
    GfxTexture* GetCurrentTexture() override;
    void SetCurrentTexture(GfxTexture* texture) override;

private:
    void* window_ = nullptr;
    bool fixedTime_ = false;
    uint32_t time_ = 0;
};
