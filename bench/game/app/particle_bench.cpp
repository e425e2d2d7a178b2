// One emitter of 500 live particles, stepped and drawn, against the device
// layer drawing the same 500 quads; the same with the blend flag against
// 500 one-quad batches; and the step alone. A hidden SDL display.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "game/app/MyParticleEmitter.h"
#include "game/app/ParticleParams.h"
#include "graphics/BenchDisplay.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"

namespace
{

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Born 1000 a step so the pool is full after the first; they live for
// ever, spin, shrink and fade a little, and stay where they were born (so
// that the baseline's quads, worked out once, stay the same picture).
std::string ParticleFile(bool blend)
{
    SParticleParams p;
    p.emissionRate = 20000;
    p.duration = -1.0f;
    p.lifeMin = p.lifeMax = 1e6f;
    p.spread = 6.28f;
    p.sizeStart = 1.5f;
    p.sizeEnd = 0.5f;
    p.spinStart = 0.0f;
    p.spinEnd = 3.0f;
    p.colourStart[0] = p.colourStart[1] = p.colourStart[2] = 1.0f;
    p.colourEnd[0] = 0.9f;
    p.alphaStart = 1.0f;
    p.alphaEnd = 0.5f;
    p.sizeVariation = p.spinVariation = p.colourVariation = p.alphaVariation = 1.0f;
    uint8_t block[kParticleParamsSize];
    EncodeParticleParams(p, block);
    std::string bytes(reinterpret_cast<const char*>(block), sizeof block);
    const float at[2] = {400.0f, 300.0f};
    bytes += char(kParticleTagPosition);
    bytes.append(reinterpret_cast<const char*>(at), sizeof at);
    bytes += char(kParticleTagEnd);
    bytes += char(blend ? 1 : 0);
    return bytes;
}

struct Bench
{
    Bench()
        : display(800, 600,
                  {{"dot.png", ReadFile(std::filesystem::path(ORVELLE_SOURCE_DIR) /
                                        "assets/images/core/particle/mouse_move.png")},
                   {"plain.psi", ParticleFile(false)},
                   {"blend.psi", ParticleFile(true)}}),
          dc(display.dc)
    {
    }
    BenchDisplay display;
    TDrawContext* dc;
};

Bench& Setup()
{
    static Bench bench;
    return bench;
}

std::unique_ptr<TMyParticleEmitter> FullEmitter(bool blend)
{
    SetParticleRandomSeed(0);
    auto e =
        std::make_unique<TMyParticleEmitter>(blend ? "blend.psi" : "plain.psi", "dot", 20, true);
    e->Restart();
    // Born along a diagonal across the screen.
    e->Move(100.0f, 100.0f);
    e->Move(700.0f, 500.0f);
    e->Step(0.05f);
    return e;
}

// The vertices the emitter's draw makes, worked out once.
std::vector<TDrawVertex> Quads(const TMyParticleEmitter& e)
{
    std::vector<TDrawVertex> vertices;
    const TTextureRef& t = e.GetTexture();
    const float hw = float(t->GetWidth()) / 2, hh = float(t->GetHeight()) / 2;
    for (int i = 0; i < e.GetLiveCount(); ++i)
    {
        const SParticle& q = e.GetParticle(i);
        TDrawParams p(TFloatPoint(0, 0), 1.0f, 1.0f, 0);
        p.matrix.Rotate(q.spin * q.age);
        p.matrix.Scale(q.size, q.size);
        p.matrix.m2 = TFloatVector3(q.x, q.y, 1.0f);
        p.color = TFloatVector4(q.colour[0], q.colour[1], q.colour[2], q.colour[3]);
        TFloatPoint c[4] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
        const TFloatPoint uv[2] = {{0, 0}, {1, 1}};
        TDrawVertex v[4];
        FillQuadVertices(v, TFloatPoint(0, 0), c, uv, p, q.colour[3], p.color);
        vertices.insert(vertices.end(), v, v + 4);
    }
    return vertices;
}

void BM_EmitterStepAndDraw(benchmark::State& state)
{
    Bench& b = Setup();
    const bool blend = state.range(0) != 0;
    auto e = FullEmitter(blend);
    for (auto _ : state)
    {
        e->Step(0.05f);
        BenchFrame(b.dc, [&] { e->Draw(); });
    }
    state.SetItemsProcessed(state.iterations() * e->GetLiveCount());
}

// The same 500 quads handed to the display handler with the texture (and
// the blend mode), one draw each; with the blend flag each in a 2D batch of
// its own.
void BM_DeviceQuads(benchmark::State& state)
{
    Bench& b = Setup();
    const bool blend = state.range(0) != 0;
    auto e = FullEmitter(blend);
    std::vector<TDrawVertex> vertices = Quads(*e);
    TDisplayHandler* handler = b.dc->GetDisplayHandler();
    GfxTexture* surface = e->GetTexture()->GetDxData()->GetSurface();
    for (auto _ : state)
    {
        BenchFrame(b.dc,
                   [&]
                   {
                       for (size_t i = 0; i < vertices.size(); i += 4)
                       {
                           if (blend)
                           {
                               b.dc->End2d();
                               b.dc->Begin2d();
                           }
                           handler->SetTexture(surface);
                           if (blend) handler->SetBlendMode(2);
                           TVertexSet set;
                           set.kind = 2;
                           set.vertices = &vertices[i];
                           set.count = 4;
                           handler->DrawVertices(GFX_PT_TRIANGLEFAN, set);
                       }
                   });
    }
    state.SetItemsProcessed(state.iterations() * e->GetLiveCount());
}

void BM_EmitterDraw(benchmark::State& state)
{
    Bench& b = Setup();
    auto e = FullEmitter(state.range(0) != 0);
    for (auto _ : state) BenchFrame(b.dc, [&] { e->Draw(); });
    state.SetItemsProcessed(state.iterations() * e->GetLiveCount());
}

void BM_EmitterStep(benchmark::State& state)
{
    Setup();
    auto e = FullEmitter(false);
    for (auto _ : state) e->Step(0.05f);
    state.SetItemsProcessed(state.iterations() * e->GetLiveCount());
}

BENCHMARK(BM_EmitterStepAndDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceQuads)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmitterDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmitterStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
