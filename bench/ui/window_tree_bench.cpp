// Cost of the window tree and the window manager.
// Frame: a screen of 300 windows (30 groups of 10 leaves, each leaf drawing
// one 64x64 textured quad of one texture); per frame one mouse move routed
// by hit testing, then the manager's Draw. Baseline: the graphics device
// layer drawing the same 300 quads, one draw call each, same texture and
// blend state, in the same display. Both end with a one-pixel read-back so
// the GPU work is inside the measurement.
// Buttons: the same layout as 300 push buttons with three state images
// each (three textures), the mouse moving onto another button every frame
// (the one it left returns to normal, the new one shows its hover image).
// Messages: 10,000 messages queued and flushed to a receiver six windows
// below its modal, taken by the modal's focus child; baseline: a bare queue
// calling the same handler.
#include <benchmark/benchmark.h>

#include <deque>
#include <vector>

#include "core/Clock.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "platform/gfx/Device.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"

namespace
{

constexpr int kW = 800, kH = 600, kGroups = 30, kLeaves = 10, kQuad = 64;

uint32_t gNow = 1000;
uint32_t Now()
{
    return gNow;
}

class BenchApp : public TWindowAppLink
{
public:
    bool IsFastFrameRate() const override { return true; }
    bool IsFlipDone() const override { return true; }
    bool IsDisplayReady() const override { return true; }
    bool IsAppReady() const override { return true; }
    bool IsRelativeMouse() const override { return false; }
    void Quit(int) override {}
    TTaskList* GetTaskList() override { return nullptr; }
};

class BenchHost : public TDrawContextHost
{
public:
    void Sleep(uint32_t) override {}
    void ShowMessage(const char*, const char*) override {}
    void ExitProcess(int) override {}
    void PostQuit(int) override {}
};

TTextureRef gTexture;
TTextureRef gStates[3];

TTextureRef MakeTexture(uint32_t tint)
{
    TTextureRef t = TTexture::CreateEmpty(kQuad, kQuad, true);
    {
        const TLockedPixels pixels(t);
        if (!pixels) return TTextureRef();
        for (int y = 0; y < kQuad; ++y)
            for (int x = 0; x < kQuad; ++x)
                pixels.GetPixels()[size_t(y) * size_t(pixels.GetPitch() / 4) + size_t(x)] =
                    0x80000000u | tint | (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8);
    }
    return t;
}

// A push button with its three layer images, filed as the button's Init
// files them.
TButton* MakeButton()
{
    auto* button = new TButton();
    for (int i = 0; i < 3; ++i)
    {
        auto* image = new TImage();
        image->SetTexture(gStates[i], 1.0f);
        button->SelectLayer(i);
        button->AddChild(image, true);
    }
    button->FitToChildren();
    button->SelectLayer(TLayeredWindow::kAllLayers);
    return button;
}

class QuadWindow : public TWindow
{
public:
    void Draw() override
    {
        TScoped2d block;
        gTexture->DrawAt(kQuad / 2, kQuad / 2, 1.0f, 1.0f, 0.0f, 0);
    }
};

// The display, the texture and the manager with its screen of 300 windows.
struct Scene
{
    BenchApp app;
    BenchHost host;
    void* window = nullptr;
    TDrawContext* dc = nullptr;
    std::unique_ptr<TWindowManager> wm;

    // imageLeaves: the leaves are image windows over the same texture;
    // buttonLeaves: push buttons with three state images.
    bool Open(bool imageLeaves = false, bool buttonLeaves = false)
    {
        SetClockTimeSource(&Now);
        SetWindowAppLink(&app);
        window = GfxCreateHiddenWindow(kW, kH);
        if (window == nullptr) return false;
        host.SetMainWindow(window);
        TDrawContext::UseDevice(nullptr, &host);
        dc = TDrawContext::GetInstance();
        dc->GetDisplayHandler()->SetDisplay(
            {.width = kW, .height = kH, .force = true, .quiet = true});
        if (!dc->GetDisplayHandler()->IsReady()) return false;
        gTexture = TTexture::CreateEmpty(kQuad, kQuad, true);
        {
            const TLockedPixels pixels(gTexture);
            if (!pixels) return false;
            for (int y = 0; y < kQuad; ++y)
                for (int x = 0; x < kQuad; ++x)
                    pixels.GetPixels()[size_t(y) * size_t(pixels.GetPitch() / 4) + size_t(x)] =
                        0x80000000u | (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8);
        }
        for (int i = 0; i < 3; ++i)
            if (!(gStates[i] = MakeTexture(uint32_t(0x40 * (i + 1))))) return false;

        wm = std::make_unique<TWindowManager>();
        wm->CreateRootScreen(kW, kH);
        TScreen* screen = wm->GetScreen();
        for (int g = 0; g < kGroups; ++g)
        {
            auto* group = new TWindow();
            group->SetPosition((g % 6) * 130, (g / 6) * 118);
            group->SetSize(130, 118);
            screen->AddChild(group, false);
            for (int l = 0; l < kLeaves; ++l)
            {
                TWindow* leaf = nullptr;
                if (buttonLeaves)
                {
                    leaf = MakeButton();
                }
                else if (imageLeaves)
                {
                    auto* image = new TImage();
                    image->SetTexture(gTexture, 1.0f);
                    leaf = image;
                }
                else
                {
                    leaf = new QuadWindow();
                }
                leaf->SetPosition((l % 5) * 13, (l / 5) * 54);
                leaf->SetSize(kQuad, kQuad);
                group->AddChild(leaf, buttonLeaves);
            }
        }
        return true;
    }
    ~Scene()
    {
        wm.reset();
        gTexture.reset();
        for (TTextureRef& t : gStates) t.reset();
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
        if (window) GfxDestroyWindow(window);
        SetWindowAppLink(nullptr);
        SetClockTimeSource(nullptr);
    }
};

void ReadOnePixel(TDrawContext* dc)
{
    uint32_t pixel = 0;
    dc->GetDisplayHandler()->GetDevice()->ReadBack({0, 0, 1, 1}, &pixel);
    benchmark::DoNotOptimize(pixel);
}

void RunFrames(benchmark::State& state, bool imageLeaves, bool buttonLeaves = false)
{
    Scene scene;
    if (!scene.Open(imageLeaves, buttonLeaves))
    {
        state.SkipWithError("no display");
        return;
    }
    TEvent move, idle;
    move.type = kEventMouseMove;
    idle.type = kEventIdle;
    int i = 0;
    for (auto _ : state)
    {
        move.x = (i * 37) % kW;
        move.y = (i * 53) % kH;
        ++i;
        scene.wm->HandleEvent(move);
        // With a hovered button the first move only takes the hover away;
        // the second reaches the button now under the point.
        if (buttonLeaves) scene.wm->HandleEvent(move);
        gNow += 20;
        scene.wm->Invalidate();
        scene.wm->HandleEvent(idle);
        ReadOnePixel(scene.dc);
    }
    state.SetItemsProcessed(state.iterations() * kGroups * kLeaves);
}

void BM_WindowTreeFrame(benchmark::State& state)
{
    RunFrames(state, false);
}

// The same tree with TImage leaves, each drawing the texture itself.
void BM_WindowTreeFrameImages(benchmark::State& state)
{
    RunFrames(state, true);
}

// 300 push buttons, each showing one of its three state images.
void BM_ButtonRowFrame(benchmark::State& state)
{
    RunFrames(state, false, true);
}

void BM_DeviceQuadsBaseline(benchmark::State& state)
{
    Scene scene;
    if (!scene.Open())
    {
        state.SkipWithError("no display");
        return;
    }
    // The same quads where the tree puts them, through the device alone.
    std::vector<GfxVertex> quads;
    for (int g = 0; g < kGroups; ++g)
        for (int l = 0; l < kLeaves; ++l)
        {
            const float x = float((g % 6) * 130 + (l % 5) * 13);
            const float y = float((g / 6) * 118 + (l / 5) * 54);
            const float corner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (auto& c : corner)
                quads.push_back({x + c[0] * kQuad - 0.5f, y + c[1] * kQuad - 0.5f, 0, 1,
                                 0xFFFFFFFFu, 0, c[0], c[1]});
        }
    IGfxDevice* dev = scene.dc->GetDisplayHandler()->GetDevice();
    GfxTexture* tex = dev->CreateTexture(kQuad, kQuad, GFX_TEXTURE_STATIC);
    uint32_t* texels = dev->LockTexture(tex);
    for (int k = 0; k < kQuad * kQuad; ++k) texels[k] = 0x80000000u | uint32_t(k);
    dev->UnlockTexture(tex);
    dev->SetRenderState(GFX_RS_ALPHABLENDENABLE, 1);
    dev->SetRenderState(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA);
    dev->SetRenderState(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCALPHA);
    dev->SetTexture(0, tex);
    for (auto _ : state)
    {
        dev->BeginScene();
        dev->ColorFill(nullptr, {0, 0, kW, kH}, 0xFF000000u);
        for (size_t q = 0; q < quads.size(); q += 4)
            dev->DrawPrimitive(GFX_PT_TRIANGLEFAN, GFX_FVF_TLVERTEX, &quads[q], 4);
        dev->EndScene();
        dev->Present();
        ReadOnePixel(scene.dc);
    }
    state.SetItemsProcessed(state.iterations() * kGroups * kLeaves);
    dev->SetTexture(0, nullptr);
    dev->DestroyTexture(tex);
}

// --- Messages ----------------------------------------------------------------

int gTaken = 0;

bool TakeMessage(TMessage* message)
{
    gTaken += message->GetKind() & 1;
    return true;
}

class TakerWindow : public TWindow
{
public:
    bool OnMessage(TMessage* message) override { return TakeMessage(message); }
};

constexpr int kMessages = 10000;

void BM_MessagesThroughTheTree(benchmark::State& state)
{
    BenchApp app;
    SetWindowAppLink(&app);
    SetClockTimeSource(&Now);
    {
        TWindowManager wm;
        auto* dialog = new TModalWindow();
        dialog->SetSize(kW, kH);
        wm.PushModal(dialog);
        TWindow* parent = dialog;
        for (int depth = 0; depth < 6; ++depth)
        {
            auto* w = new TWindow();
            parent->AddChild(w, false);
            parent = w;
        }
        TWindow* receiver = parent;
        auto* taker = new TakerWindow();
        dialog->AddChild(taker, false);
        dialog->SetFocusChild(taker);
        for (auto _ : state)
        {
            for (int i = 0; i < kMessages; ++i)
                wm.QueueMessage(
                    std::make_unique<TMessage>(kUserMessageBase + i, TString(), receiver));
            wm.FlushMessages();
        }
        benchmark::DoNotOptimize(gTaken);
        state.SetItemsProcessed(state.iterations() * kMessages);
    }
    SetWindowAppLink(nullptr);
    SetClockTimeSource(nullptr);
}

void BM_BareMessageQueueBaseline(benchmark::State& state)
{
    std::deque<TMessage*> queue;
    for (auto _ : state)
    {
        for (int i = 0; i < kMessages; ++i)
            queue.push_back(new TMessage(kUserMessageBase + i, TString(), nullptr));
        while (!queue.empty())
        {
            TMessage* m = queue.front();
            queue.pop_front();
            if (TakeMessage(m)) delete m;
        }
    }
    benchmark::DoNotOptimize(gTaken);
    state.SetItemsProcessed(state.iterations() * kMessages);
}

BENCHMARK(BM_DeviceQuadsBaseline)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_WindowTreeFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_WindowTreeFrameImages)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_ButtonRowFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_BareMessageQueueBaseline)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(BM_MessagesThroughTheTree)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
