// Cost of the graphics device layer over raw SDL_RenderGeometry: N textured,
// rotated, alpha-blended 64x64 quads per frame, one draw call per quad, into
// an 800x600 back buffer, with the same vertex data on both paths. Each frame
// ends with a one-pixel read-back so the GPU work is inside the measurement.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/gfx/Device.h"

namespace
{

constexpr int kW = 800, kH = 600;

struct Scene
{
    std::vector<GfxVertex> layer;  // 4 per quad, pre-transformed pixels
    std::vector<SDL_Vertex> raw;   // the same quads in SDL's pixel space
    std::vector<uint32_t> texels;  // 64x64 ARGB with a soft alpha edge
};

Scene MakeScene(int n)
{
    Scene s;
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> px(0, kW), py(0, kH), ang(0, 6.2831853f), a(0.3f, 1.0f);
    for (int i = 0; i < n; ++i)
    {
        const float cx = px(rng), cy = py(rng), r = ang(rng);
        const uint32_t alpha = uint32_t(a(rng) * 255.0f);
        const uint32_t argb = (alpha << 24) | 0x00FFFFFFu;
        const float c = std::cos(r) * 32, sn = std::sin(r) * 32;
        const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int k = 0; k < 4; ++k)
        {
            const float x = cx + corner[k][0] * c - corner[k][1] * sn;
            const float y = cy + corner[k][0] * sn + corner[k][1] * c;
            s.layer.push_back({x - 0.5f, y - 0.5f, 0, 1, argb, 0, uv[k][0], uv[k][1]});
            s.raw.push_back({{x, y}, {255, 255, 255, Uint8(alpha)}, {uv[k][0], uv[k][1]}});
        }
    }
    s.texels.resize(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const float d = std::hypot(x - 31.5f, y - 31.5f) / 32.0f;
            const uint32_t al = d >= 1 ? 0 : uint32_t((1 - d) * 255);
            s.texels[size_t(y) * 64 + x] =
                (al << 24) | (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8) | 0x80;
        }
    return s;
}

void BM_DeviceLayer(benchmark::State& state)
{
    const int n = int(state.range(0));
    Scene s = MakeScene(n);
    void* window = GfxCreateHiddenWindow(kW, kH);
    auto dev = GfxCreateSdlDevice();
    if (!window || GfxFailed(dev->CreateDisplay(window, false, kW, kH, 32, 1)))
    {
        state.SkipWithError("no display");
        return;
    }
    GfxTexture* tex = dev->CreateTexture(64, 64, GFX_TEXTURE_STATIC);
    std::copy(s.texels.begin(), s.texels.end(), dev->LockTexture(tex));
    dev->UnlockTexture(tex);
    dev->SetRenderState(GFX_RS_ALPHABLENDENABLE, 1);
    dev->SetRenderState(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA);
    dev->SetRenderState(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCALPHA);
    // The display handler's default alpha test and stage, so the layer's
    // alpha-test check runs as it does in the game.
    dev->SetRenderState(GFX_RS_ALPHATESTENABLE, 1);
    dev->SetRenderState(GFX_RS_ALPHAREF, 1);
    dev->SetRenderState(GFX_RS_ALPHAFUNC, GFX_CMP_GREATEREQUAL);
    dev->SetTextureStageState(0, GFX_TSS_ALPHAOP, GFX_TOP_MODULATE);
    dev->SetTextureStageState(0, GFX_TSS_ALPHAARG2, GFX_TA_CURRENT);
    dev->SetTexture(0, tex);
    uint32_t pixel = 0;
    for (auto _ : state)
    {
        dev->BeginScene();
        dev->ColorFill(nullptr, {0, 0, kW, kH}, 0xFF000000u);
        for (int i = 0; i < n; ++i)
            dev->DrawPrimitive(GFX_PT_TRIANGLEFAN, GFX_FVF_TLVERTEX, &s.layer[size_t(i) * 4], 4);
        dev->EndScene();
        dev->ReadBack({0, 0, 1, 1}, &pixel);
        benchmark::DoNotOptimize(pixel);
    }
    state.SetItemsProcessed(state.iterations() * n);
    dev->SetTexture(0, nullptr);
    dev->DestroyTexture(tex);
    dev.reset();
    GfxDestroyWindow(window);
}

void BM_RawSdl(benchmark::State& state)
{
    const int n = int(state.range(0));
    Scene s = MakeScene(n);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_Window* window =
        SDL_CreateWindow("raw", 0, 0, kW, kH, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_Renderer* r =
        window
            ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE)
            : nullptr;
    if (!r)
    {
        state.SkipWithError("no renderer");
        return;
    }
    SDL_Texture* back =
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, kW, kH);
    SDL_Texture* tex =
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 64, 64);
    SDL_UpdateTexture(tex, nullptr, s.texels.data(), 64 * 4);
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    // The layer's default filter is linear; the raw path samples the same way.
    SDL_SetTextureScaleMode(tex, SDL_ScaleModeLinear);
    SDL_SetRenderTarget(r, back);
    const int idx[6] = {0, 1, 2, 0, 2, 3};
    const SDL_Rect one{0, 0, 1, 1};
    uint32_t pixel = 0;
    for (auto _ : state)
    {
        SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderFillRect(r, nullptr);
        for (int i = 0; i < n; ++i) SDL_RenderGeometry(r, tex, &s.raw[size_t(i) * 4], 4, idx, 6);
        SDL_RenderReadPixels(r, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
        benchmark::DoNotOptimize(pixel);
    }
    state.SetItemsProcessed(state.iterations() * n);
    SDL_DestroyTexture(tex);
    SDL_DestroyTexture(back);
    SDL_DestroyRenderer(r);
    SDL_DestroyWindow(window);
}

// Interleaved per N so both paths see the same machine load.
BENCHMARK(BM_RawSdl)->Arg(100)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_DeviceLayer)->Arg(100)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_RawSdl)->Arg(1000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_DeviceLayer)->Arg(1000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_RawSdl)->Arg(10000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_DeviceLayer)->Arg(10000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
