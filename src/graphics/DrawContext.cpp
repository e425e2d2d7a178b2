// The drawing context: block rules, clip and viewport stacks, the current
// texture, the frame-rate ring and the debug overlay, over the display
// handler it creates and owns.
#include "graphics/DrawContext.h"

#include <cassert>
#include <cstdlib>

#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DisplayHandler.h"
#include "graphics/TextGraphic.h"
#include "platform/SystemInfo.h"
#include "platform/Time.h"

namespace
{

TDrawContext* gDrawContext = nullptr;
IGfxDevice* gInjectedDevice = nullptr;
TDisplayHost* gInjectedHost = nullptr;
bool gDeviceChosen = false;

GfxTexture* SurfaceOf(const TTextureRef& texture)
{
    if (!texture || !texture->GetDxData()) return nullptr;
    return texture->GetDxData()->GetSurface();
}

}  // namespace

// ---------------------------------------------------------------------------
// Lifetime

TDrawContext* TDrawContext::GetInstance()
{
    // A context made before its device was chosen would quietly open an SDL
    // device of its own, over whatever the caller meant to draw to.
    assert((gDrawContext || gDeviceChosen) && "TDrawContext::UseDevice must come first");
    if (!gDrawContext) gDrawContext = new TDrawContext();
    return gDrawContext;
}

TDrawContext* TDrawContext::GetIfMade()
{
    return gDrawContext;
}

void TDrawContext::UseDevice(IGfxDevice* device, TDisplayHost* host)
{
    gInjectedDevice = device;
    gInjectedHost = host;
    gDeviceChosen = true;
}

void TDrawContext::ForgetDevice()
{
    gInjectedDevice = nullptr;
    gInjectedHost = nullptr;
    gDeviceChosen = false;
}

void TDrawContext::Destroy()
{
    delete gDrawContext;
    gDrawContext = nullptr;
}

TDrawContext::TDrawContext()
{
    IGfxDevice* device = gInjectedDevice;
    if (!device)
    {
        ownDevice_ = GfxCreateSdlDevice();
        device = ownDevice_.get();
    }
    TDisplayHost* host = gInjectedHost;
    if (!host)
    {
        ownHost_ = std::make_unique<TDrawContextHost>();
        host = ownHost_.get();
    }
    handler_.reset(CreateDisplayHandler(device, host));
}

TDrawContext::~TDrawContext()
{
    // Surfaces belong to the device that goes away below.
    TDxTextureData::ReleaseAllSurfaces();
    handler_.reset();
    ownDevice_.reset();
    ownHost_.reset();
    delete state_.overlayText;
    state_.overlayText = nullptr;
    state_.clipStack.clear();
    state_.currentTexture.reset();
    stashedTexture_.reset();
}

// ---------------------------------------------------------------------------
// Frames and render targets

bool TDrawContext::BeginDraw(bool restoreMouse)
{
    state_.inDraw = handler_->BeginDraw(restoreMouse);
    return state_.inDraw;
}

GfxResult TDrawContext::EndDraw(bool present)
{
    const uint32_t now = handler_->GetHost()->GetTime();
    state_.frameTimes[state_.frameIndex] = now;
    state_.frameIndex = (state_.frameIndex + 1) % 15;
    if (state_.frameIndex == 0)
    {
        const uint32_t span = now - state_.frameTimes[0];
        // The ring may hold one time only at start-up; no division by zero.
        if (span != 0) state_.fps = 15000.0f / float(span);
    }
    if (state_.overlayVisible) DrawOverlay();
    state_.inDraw = false;
    return handler_->EndDraw(present);
}

bool TDrawContext::BeginRenderTarget(const TTextureRef& texture, int mode)
{
    if (!texture || texture->IsSimple() || state_.inDraw || state_.inRenderTarget) return false;
    GfxTexture* surface = SurfaceOf(texture);
    if (!surface) return false;
    state_.inRenderTarget = handler_->BeginRenderTarget(surface, mode);
    state_.inDraw = state_.inRenderTarget;
    return state_.inRenderTarget;
}

void TDrawContext::EndRenderTarget()
{
    handler_->EndRenderTarget();
    state_.inRenderTarget = false;
    state_.inDraw = false;
}

// ---------------------------------------------------------------------------
// Blocks

bool TDrawContext::Begin2d()
{
    if (state_.in2d)
    {
        LogPrintf("Begin2d called when already in Begin2d state");
        return false;
    }
    if (state_.in3d)
    {
        LogPrintf("Begin2d called when already in Begin3d state");
        return false;
    }
    if (!IsDrawing())
    {
        LogPrintf("ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!");
        return false;
    }
    state_.in2d = handler_->Begin2dStates();
    return state_.in2d;
}

void TDrawContext::End2d()
{
    if (!state_.in2d)
    {
        LogPrintf("End2d called when not in Begin2d state");
        return;
    }
    if (!IsDrawing()) LogPrintf("ERROR: Calling End2d after EndDraw or EndRenderTarget!");
    SetTexture(TTextureRef());
    handler_->End2dStates();
    state_.in2d = false;
}

bool TDrawContext::Begin3d()
{
    if (state_.in2d)
    {
        LogPrintf("Begin3d called when already in Begin2d state");
        return false;
    }
    if (state_.in3d)
    {
        LogPrintf("Begin3d called when already in Begin3d state");
        return false;
    }
    if (!IsDrawing())
    {
        LogPrintf("ERROR: Calling Begin3d outside of a BeginDraw or BeginRenderTarget block!");
        return false;
    }
    state_.in3d = handler_->Begin3dStates();
    return state_.in3d;
}

void TDrawContext::End3d()
{
    if (!state_.in3d)
    {
        LogPrintf("End3d called when not in Begin3d state");
        return;
    }
    if (!IsDrawing()) LogPrintf("Calling End3d after EndDraw or EndRenderTarget!");
    handler_->End3dStates();
    state_.in3d = false;
}

// ---------------------------------------------------------------------------
// Drawing

void TDrawContext::DrawVertices(int kind, const TVertexSet& vertices)
{
    if (!state_.in2d && !state_.in3d)
    {
        LogPrintf("DrawVertices called when not in Begin2d or Begin3d state");
        return;
    }
    handler_->DrawVertices(GfxPrimitive(kind), vertices);
}

void TDrawContext::SetTexture(const TTextureRef& texture)
{
    TTextureRef use = (texture && texture->IsSimple()) ? TTextureRef() : texture;
    state_.currentTexture = use;
    stashedTexture_.reset();
    handler_->SetTexture(SurfaceOf(use));
}

void TDrawContext::UseTexture(TTexture* texture)
{
    if (texture && texture == state_.currentTexture.get() && !stashedTexture_)
    {
        handler_->SetTexture(SurfaceOf(state_.currentTexture));
        return;
    }
    SetTexture(texture ? texture->GetShared() : TTextureRef());
}

void TDrawContext::SetBlendMode(int mode)
{
    handler_->SetBlendMode(mode);
}

void TDrawContext::SetCullMode(int kind)
{
    handler_->SetCullMode(kind);
}

void TDrawContext::SetTextureFilter(int kind)
{
    if (kind == 0 || kind == 1) handler_->SetTextureFilter(kind);
}

void TDrawContext::FillRect(const TRect& rect, const TFloatVector4& colour,
                            const TTextureRef& texture)
{
    TRect r = rect;
    if (!texture)
    {
        const TRect v = GetViewport();
        r.left += v.left;
        r.right += v.left;
        r.top += v.top;
        r.bottom += v.top;
        r.Intersect(r, v);
    }
    handler_->FillRect(float(r.left), float(r.top), float(r.right), float(r.bottom), colour,
                       SurfaceOf(texture));
}

// ---------------------------------------------------------------------------
// Viewports and clipping

TRect TDrawContext::GetViewport() const
{
    int x = 0, y = 0, right = 0, bottom = 0;
    handler_->GetViewport(&x, &y, &right, &bottom);
    return TRect(x, y, right, bottom);
}

void TDrawContext::PushViewport(const TRect& rect)
{
    handler_->PushViewport(rect.left, rect.top, rect.right, rect.bottom);
}

void TDrawContext::PopViewport()
{
    handler_->PopViewport();
}

TRect TDrawContext::GetClipRect() const
{
    return state_.clipStack.empty() ? TRect() : state_.clipStack.back();
}

void TDrawContext::PushClipRect(const TRect& rect)
{
    state_.clipStack.push_back(rect);
    handler_->SetClipRect(rect);
}

void TDrawContext::PopClipRect()
{
    if (state_.clipStack.size() < 2) return;
    state_.clipStack.pop_back();
    handler_->SetClipRect(state_.clipStack.back());
}

// ---------------------------------------------------------------------------
// Settings and the overlay

void TDrawContext::OnSettingChanged(const TString& key, const TString& value)
{
    handler_->SetRenderSetting(key, value);
}

TString TDrawContext::GetRenderSetting(const TString& key) const
{
    return handler_->GetRenderSetting(key);
}

bool TDrawContext::RequiresSquareTextures() const
{
    return handler_->GetPlatformData()->squareTexturesOnly;
}

bool TDrawContext::ToggleDebugOverlay()
{
    state_.overlayVisible = !state_.overlayVisible;
    return !state_.overlayVisible;
}

TString TDrawContext::GetOverlayText() const
{
    const platform::ProcessMemory memory = platform::GetProcessMemory();
    IGfxDevice* device = handler_ ? handler_->GetDevice() : nullptr;
    const GfxTextureMemory textures = device ? device->GetTextureMemory() : GfxTextureMemory();
    const int sprites = atoi(GetSetting(kSettingCurrentSpriteCount, "").CStr());
    return TString::Format(
        "Brindlecor Version %d.%d.%d.%d<br>%f FPS<tab pos='150'>Sprites: %d<br>Mem: %lldkB<tab "
        "pos='150'>TexMem: "
        "%lldkB<br>MaxMem: %lldkB<tab pos='150'>MaxTexMem: %lldkB<br>",
        4, 0, 24, 2, double(state_.fps), sprites, (long long)(memory.residentBytes / 1024),
        (long long)(textures.bytes / 1024), (long long)(memory.peakResidentBytes / 1024),
        (long long)(textures.peakBytes / 1024));
}

void TDrawContext::DrawOverlay()
{
    if (!state_.overlayText)
        state_.overlayText =
            TTextGraphic::Create(TString(), 512, 512, 0, "__DEFAULT", 16, TFloatVector4(1, 0, 0, 1))
                .release();
    TScoped2d block;
    FillRect(TRect(0, 0, 300, 64), TFloatVector4(0, 0, 0, 0), TTextureRef());
    state_.overlayText->SetText(GetOverlayText());
    state_.overlayText->Draw(TFloatPoint(0, 0), 512, 1.0f);
    block.Release();
}

// ---------------------------------------------------------------------------
// Guard and host

TScoped2d::TScoped2d() : began(TDrawContext::GetInstance()->Begin2d()) {}

void TScoped2d::Release()
{
    if (!began) return;
    began = false;
    if (TDrawContext* dc = TDrawContext::GetIfMade()) dc->End2d();
}

uint32_t TDrawContextHost::GetTime()
{
    return fixedTime_ ? time_ : platform::GetTickMs();
}

bool TDrawContextHost::IsDrawing()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    return dc && dc->IsDrawing();
}

bool TDrawContextHost::Is2d()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    return dc && dc->Is2d();
}

bool TDrawContextHost::Is3d()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    return dc && dc->Is3d();
}

void TDrawContextHost::Begin2d()
{
    if (TDrawContext* dc = TDrawContext::GetIfMade()) dc->Begin2d();
}

void TDrawContextHost::End2d()
{
    if (TDrawContext* dc = TDrawContext::GetIfMade()) dc->End2d();
}

void TDrawContextHost::Begin3d()
{
    if (TDrawContext* dc = TDrawContext::GetIfMade()) dc->Begin3d();
}

void TDrawContextHost::End3d()
{
    if (TDrawContext* dc = TDrawContext::GetIfMade()) dc->End3d();
}

GfxTexture* TDrawContextHost::GetCurrentTexture()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    return dc ? SurfaceOf(dc->state_.currentTexture) : nullptr;
}

// The handler clears the stage around its own fills and puts the previous
// texture back afterwards; the reference is kept meanwhile so the texture
// cannot die in between.
void TDrawContextHost::SetCurrentTexture(GfxTexture* texture)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!dc) return;
    TDrawContextState& s = dc->state_;
    if (!texture)
    {
        if (s.currentTexture) dc->stashedTexture_ = s.currentTexture;
        s.currentTexture.reset();
    }
    else if (SurfaceOf(dc->stashedTexture_) == texture)
    {
        s.currentTexture = dc->stashedTexture_;
        dc->stashedTexture_.reset();
    }
}
