// Reads arbitrary bytes as a particle-system file, then runs the emitter it
// gives for some steps and draws it on the recording device: every input
// must end in a read or a refusal and a bounded run, never a crash or a
// hang, and what is read must keep the reader's promises (finite
// parameters, no more pairs than bytes, at most 500 live particles).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/FileNames.h"
#include "game/app/MyParticleEmitter.h"
#include "game/app/ParticleFile.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "platform/null/GfxRecordingDevice.h"

namespace
{

// A 2 x 2 white picture to draw the particles with.
const uint8_t kDot[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
                        0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02,
                        0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00,
                        0x0e, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0x0f, 0x05, 0x0c,
                        0x30, 0x06, 0x00, 0x8f, 0x82, 0x0f, 0xf1, 0x3c, 0xa5, 0x56, 0x51, 0x00,
                        0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

void Fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

TDrawContext* Scene()
{
    static GfxRecordingDevice device;
    static TDrawContextHost host;
    static TDrawContext* dc = []
    {
        TDrawContext::UseDevice(&device, &host);
        TDrawContext* made = TDrawContext::GetInstance();
        made->GetDisplayHandler()->SetDisplay(
            {.width = 800, .height = 600, .force = true, .quiet = true});
        RegisterMemoryFileByName("fuzz_dot.png", kDot, sizeof kDot);
        return made;
    }();
    device.draws.clear();
    device.ClearCalls();
    return dc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    TDrawContext* dc = Scene();

    SParticleFile file;
    if (ParseParticleFile(data, size, true, "fuzz", file))
    {
        const SParticleParams& p = file.params;
        for (const float f : {p.duration, p.lifeMin, p.lifeMax, p.sizeStart, p.alphaVariation})
        {
            if (!std::isfinite(f)) Fail("a non-finite parameter was kept");
        }
        if ((file.extraPoints.size() + file.pathPoints.size()) * 8 > size)
            Fail("more pairs than the input holds");
    }

    std::vector<uint8_t> bytes(data, data + size);
    if (!bytes.empty()) RegisterMemoryFileByName("fuzz.psi", bytes.data(), bytes.size());
    {
        SetParticleRandomSeed(0);
        TMyParticleEmitter emitter("fuzz.psi", "fuzz_dot.png", 20, true);
        emitter.Restart();
        for (int i = 0; i < 8; ++i)
        {
            emitter.Advance(i == 3 ? 2000000000 : 60);
            emitter.Move(float(i * 7), float(i * 3));
            if (emitter.GetLiveCount() < 0 || emitter.GetLiveCount() > 500)
                Fail("the live count left the pool");
        }
        if (dc->BeginDraw(false))
        {
            if (dc->Begin2d())
            {
                emitter.Draw();
                dc->End2d();
            }
            dc->EndDraw(false);
        }
        emitter.Stop(false);
        emitter.Step(0.05f);
        emitter.Stop(true);
        if (emitter.GetLiveCount() != 0) Fail("a stop at once left particles");
    }
    if (!bytes.empty()) RegisterMemoryFileByName("fuzz.psi", bytes.data(), 0);
    return 0;
}
