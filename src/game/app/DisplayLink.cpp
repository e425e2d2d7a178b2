// The bridge between the platform host and the display handler, which the
// drawing context makes over the device and host given here; the pointer
// calls go to the device context's mouse image.
#include "game/app/DisplayLink.h"

#include <algorithm>
#include <memory>

#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/FontRegistry.h"
#include "graphics/VecDraw.h"
#include "host/App.h"
#include "host/AppHost.h"
#include "host/HostServices.h"
#include "platform/gfx/Device.h"

namespace
{

// The application side of the handler's host; the drawing side comes from
// the drawing context's own host.
class TLinkHost final : public TDrawContextHost
{
public:
    explicit TLinkHost(TAppHost& host) : host_(host) {}
    uint32_t GetTime() override { return host_.GetTime(); }
    void Sleep(uint32_t ms) override { host_.Sleep(ms); }
    bool IsActive() override { return host_.Flags().active; }
    bool GetPendingActivation(bool* newState) override
    {
        if (!host_.Flags().activationChanged) return false;
        *newState = host_.Flags().appActive;
        return true;
    }
    bool IsSuspended() override { return host_.Flags().suspended; }
    bool IsForeground() override { return host_.IsForeground(); }
    bool HasPqSwitch() override { return host_.HasSwitch("-pq="); }
    bool IsEmbedded() override { return host_.embedded; }
    float GetViewportScale() override
    {
        float s = 1.0f;
        host_.GetViewportScale(s);
        return s;
    }
    void* GetMainWindow() override
    {
        return host_.GetWindow() ? host_.GetWindow()->GetNativeHandle() : nullptr;
    }
    void SetDisplayModeChanged() override { host_.Flags().displayModeChanged = true; }
    void ReleaseAllAssets() override
    {
        if (TAssetManager* m = host_.GetAssetManager()) m->ReleaseAll();
    }
    void RestoreAllAssets() override
    {
        if (TAssetManager* m = host_.GetAssetManager()) m->RestoreAll();
    }
    int GetAssetCount() override
    {
        TAssetManager* m = host_.GetAssetManager();
        return m ? m->GetCount() : 0;
    }
    void InvalidateWindows() override
    {
        if (THostWindowManager* wm = host_.GetWindowManager()) wm->Invalidate();
    }
    bool HasWindowManager() override { return host_.GetWindowManager() != nullptr; }
    void ReapplyCursors() override { host_.ReapplyCursors(); }
    // The built-in arrow, hot spot (2, 2), in the normal slot.
    void InstallDefaultCursor() override { host_.SetCursor(nullptr, 2, 2, false); }
    void AddAppTask(TTask* task) override
    {
        if (TApp* app = GetApp())
            app->AddAppTask(task);
        else
            TDrawContextHost::AddAppTask(task);
    }
    void RunIdleTasks() override
    {
        if (TApp* app = GetApp())
            app->RunAppTasks();
        else
            TDrawContextHost::RunIdleTasks();
    }
    void ReportOutOfVideoMemory() override
    {
        if (TApp* app = GetApp())
            app->ReportOutOfVideoMemory();
        else
            TDrawContextHost::ReportOutOfVideoMemory();
    }
    void PostQuit(int code) override { host_.PostQuit(code); }

private:
    TAppHost& host_;
};

class TDisplayLink final : public THostDisplay
{
public:
    explicit TDisplayLink(TAppHost& host) : linkHost_(host)
    {
        device_ = GfxCreateSdlDevice();
        TDrawContext::UseDevice(device_.get(), &linkHost_);
        handler_ = TDrawContext::Get()->GetDisplayHandler();
    }
    ~TDisplayLink() override
    {
        // The drawer flushes through the drawing context, and its span cache
        // points into the registry's fonts.
        SetVecDraw(nullptr);
        vecDraw_.reset();
        GetFontRegistry().Clear();
        // The context's handler borrows the device and the host.
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
        device_.reset();
    }

    // --- THostDisplay ---
    bool SetDisplayMode(int width, int height, bool fullScreen) override
    {
        handler_->SetDisplay({.width = width, .height = height, .fullScreen = fullScreen});
        return handler_->IsReady();
    }
    void AfterModeSet(bool firstTime) override
    {
        if (firstTime)
        {
            handler_->CalibratePixelOffset();
            vecDraw_ = std::make_unique<TQvMiniVecDraw>();
            vecDraw_->CalibrateRendering();
            SetVecDraw(vecDraw_.get());
        }
        // Until the window system draws, every mode starts on a black frame.
        if (handler_->BeginDraw(false))
        {
            int w = 0, h = 0;
            handler_->GetScreenSize(&w, &h, nullptr);
            handler_->FillRect(0, 0, float(w), float(h), TFloatVector4(0, 0, 0, 1), nullptr);
            handler_->EndDraw(true);
        }
    }
    bool IsFullScreen() const override { return handler_->IsFullscreen(); }
    bool SetWindowed(bool windowed) override { return handler_->SetWindowed(!windowed); }
    void GetDisplaySize(int& width, int& height, bool& fullScreen) const override
    {
        handler_->GetScreenSize(&width, &height, &fullScreen);
    }
    bool IsDeviceValid() const override { return handler_->IsDeviceValid(); }
    void Restore() override { handler_->GetPlatformData()->Restore(); }
    bool IsFlipDone() const override { return handler_->IsPresentDone(); }
    bool RestoreAssets() override
    {
        handler_->RestoreAssets();
        return !handler_->IsBroken();
    }
    void ReportOutOfVideoMemory() override { handler_->OutOfVideoMemory(); }
    void SetVsync(bool on) override { handler_->SetVsync(on); }
    void SetCursorVisible(bool visible) override { handler_->SetCursorVisible(visible); }
    void SetCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY,
                   bool overlay) override
    {
        handler_->SetMouseImage(image, hotX, hotY, overlay);
    }
    std::shared_ptr<TTexture> LoadCursorImage(const TString& name) override
    {
        return TTexture::GetCursorImage(name);
    }
    bool DrawsPointer() const override { return !handler_->UpdateCursor(); }
    void GetMouseImagePos(int& x, int& y) const override { handler_->GetMouseImagePos(&x, &y); }
    void OnMouseMove(int x, int y) override { handler_->UpdateMouse(x, y); }
    void RedrawMouseRect() override { handler_->RedrawMouseRect(); }
    void ClearRedrawFlag() override {}
    void ToggleDebugOverlay() override { TDrawContext::Get()->ToggleDebugOverlay(); }
    void GetViewport(float& scaleX, float& scaleY, int& originX, int& originY) const override
    {
        // The picture is letterboxed into the window at the largest scale that fits.
        int w = 0, h = 0;
        handler_->GetScreenSize(&w, &h, nullptr);
        GfxRect c = device_->GetWindowClientRect();
        scaleX = scaleY = 1.0f;
        originX = originY = 0;
        if (w <= 0 || h <= 0 || c.Width() <= 0 || c.Height() <= 0) return;
        const float s = std::min(float(c.Width()) / w, float(c.Height()) / h);
        scaleX = scaleY = s;
        originX = int((c.Width() - w * s) / 2);
        originY = int((c.Height() - h * s) / 2);
    }

private:
    TLinkHost linkHost_;
    std::unique_ptr<IGfxDevice> device_;
    TDisplayHandler* handler_ = nullptr;
    std::unique_ptr<TQvMiniVecDraw> vecDraw_;
};

std::unique_ptr<TDisplayLink> gLink;

}  // namespace

THostDisplay* MakeDisplayLink(TAppHost& host)
{
    if (!host.GetWindow() || !host.GetWindow()->GetNativeHandle()) return nullptr;
    gLink = std::make_unique<TDisplayLink>(host);
    return gLink.get();
}

void DestroyDisplayLink()
{
    gLink.reset();
}
