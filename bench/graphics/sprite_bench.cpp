// Sprite trees through TSprite::Draw against the device layer drawing the
// same quads; animated sprite set-up against a bare script environment; one
// pixel hit test beside one sprite draw. A hidden SDL display.
#include <benchmark/benchmark.h>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/AnimatedSprite.h"
#include "graphics/AnimationHost.h"
#include "graphics/BenchDisplay.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/Sprite.h"
#include "script/Script.h"

namespace
{

// A 1 x 1 grey RGBA PNG (the animation's sheet; its frames are 1 x 1).
const unsigned char kPixelPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
    0x00, 0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
    0xda, 0x63, 0x68, 0x68, 0x68, 0xf8, 0x0f, 0x00, 0x05, 0x84, 0x02, 0x80, 0x53, 0x93,
    0x74, 0x36, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

const char kAnimationXml[] =
    "<sequence name=\"b\"><img name=\"pixel.png\"/><framelist>"
    "<frame w=\"1\" h=\"1\"/><frame w=\"1\" h=\"1\"/></framelist></sequence>";

struct Bench
{
    Bench()
        : display(800, 600,
                  {{"pixel.png",
                    std::string(reinterpret_cast<const char*>(kPixelPng), sizeof kPixelPng)},
                   {"bench.xml", kAnimationXml}}),
          dc(display.dc)
    {
        texture = TTexture::CreateEmpty(32, 32, true);
        if (const TLockedPixels px(texture); px)
        {
            for (int i = 0; i < 32 * px.GetPitch(); ++i) px.GetPixels()[i] = 0xC0FF8040u;
        }
        animation = TAnimatedTexture::Get("bench.xml", "", "");
    }
    ~Bench()
    {
        animation.reset();
        texture.reset();
    }
    BenchDisplay display;
    TDrawContext* dc;
    TTextureRef texture;
    TAnimatedTextureRef animation;
};

Bench& Setup()
{
    static Bench bench;
    return bench;
}

// n sprites in groups of ten under rotated parents: each textured, rotated
// and half transparent.
TSpriteRef Tree(const TTextureRef& texture, int n)
{
    TSpriteRef root = TSprite::Create(0);
    for (int g = 0; g * 10 < n; ++g)
    {
        TSpriteRef group = TSprite::Create(0);
        group->params = TDrawParams(
            TFloatPoint(float(40 + (g * 37) % 720), float(40 + (g * 53) % 520)), 1.0f, 1.0f, 0);
        group->params.matrix.Rotate(0.1f * float(g));
        root->AddChild(group);
        for (int i = 0; i < 10 && g * 10 + i < n; ++i)
        {
            TSpriteRef s = TSprite::Create(i, texture);
            s->params = TDrawParams(TFloatPoint(float(i * 3), float(i * 2)), 0.5f, 1.0f, 0);
            s->params.matrix.Rotate(0.3f * float(i));
            s->params.blendMode = 0;
            group->AddChild(s);
        }
    }
    return root;
}

void BM_SpriteTree(benchmark::State& state)
{
    Bench& b = Setup();
    TSpriteRef root = Tree(b.texture, int(state.range(0)));
    for (auto _ : state) BenchFrame(b.dc, [&] { root->Draw(TDrawParams(), -1); });
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same quads, their vertices worked out once, handed to the display
// handler with the same texture and blend mode.
void BM_DeviceQuads(benchmark::State& state)
{
    Bench& b = Setup();
    const int n = int(state.range(0));
    TSpriteRef root = Tree(b.texture, n);
    std::vector<TDrawVertex> vertices;
    const float w = 32.0f, h = 32.0f;
    for (const TSpriteRef& group : root->GetChildren())
    {
        const TDrawParams gp = TDrawParams::Combine(group->params, root->params);
        for (const TSpriteRef& s : group->GetChildren())
        {
            const TDrawParams p = TDrawParams::Combine(s->params, gp);
            TFloatPoint c[4] = {{-16, -16}, {16, -16}, {16, 16}, {-16, 16}};
            const TFloatPoint uv[2] = {{0, 0}, {w / 32.0f, h / 32.0f}};
            TDrawVertex v[4];
            FillQuadVertices(v, TFloatPoint(0, 0), c, uv, p, p.alpha, p.color);
            vertices.insert(vertices.end(), v, v + 4);
        }
    }
    TDisplayHandler* handler = b.dc->GetDisplayHandler();
    GfxTexture* surface = b.texture->GetDxData()->GetSurface();
    for (auto _ : state)
    {
        BenchFrame(b.dc,
                   [&]
                   {
                       for (size_t i = 0; i < vertices.size(); i += 4)
                       {
                           handler->SetTexture(surface);
                           handler->SetBlendMode(0);
                           TVertexSet set;
                           set.kind = 2;
                           set.vertices = &vertices[i];
                           set.count = 4;
                           handler->DrawVertices(GFX_PT_TRIANGLEFAN, set);
                       }
                   });
    }
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_SpriteTree)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceQuads)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_BareScript(benchmark::State& state)
{
    Setup();
    for (auto _ : state)
    {
        auto* script = new TScript();
        benchmark::DoNotOptimize(script->GetState());
        delete script;
    }
}

void BM_AnimatedSpriteSetup(benchmark::State& state)
{
    Bench& b = Setup();
    for (auto _ : state)
    {
        TAnimatedSpriteRef s = TAnimatedSprite::Create(0);
        s->SetTexture(b.animation);
        s->Play("DoAnim");
        benchmark::DoNotOptimize(s->GetCurrentFrame());
    }
    GetAnimationHost().GetTaskList().DeleteAll();
}

BENCHMARK(BM_BareScript)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnimatedSpriteSetup)->Unit(benchmark::kMicrosecond);

void BM_OneSpriteDraw(benchmark::State& state)
{
    Bench& b = Setup();
    TSpriteRef s = TSprite::Create(0, b.texture);
    s->params = TDrawParams(TFloatPoint(100, 100), 1.0f, 1.0f, 0);
    for (auto _ : state) BenchFrame(b.dc, [&] { s->Draw(TDrawParams(), -1); });
}

void BM_OnePixelHitTest(benchmark::State& state)
{
    Bench& b = Setup();
    TSpriteRef s = TSprite::Create(0, b.texture);
    s->params = TDrawParams(TFloatPoint(100, 100), 1.0f, 1.0f, 0);
    const int at[2] = {100, 100};
    for (auto _ : state) benchmark::DoNotOptimize(s->HitTest(at, TDrawParams(), 128, -1));
}

BENCHMARK(BM_OneSpriteDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OnePixelHitTest)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
