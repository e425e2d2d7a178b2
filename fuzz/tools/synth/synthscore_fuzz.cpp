// Feeds arbitrary text to the sound-description parser, and renders what it
// accepts when the result is short enough to keep the run fast.
#include <cstddef>
#include <cstdint>
#include <string>

#include "synth/SynthRender.h"
#include "synth/SynthScore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSynthScore score;
    TSynthError error;
    if (!ParseSynthScore(std::string(reinterpret_cast<const char*>(data), size), score, error))
        return 0;
    // Rendering costs frames x notes; skip what would take long.
    double frames = score.loopBars * score.beatsPerBar * 60.0 / score.tempo;
    size_t notes = 0;
    for (const TSynthVoice& voice : score.voices)
    {
        notes += voice.notes.size();
        frames = std::max(frames, voice.endBeat * 60.0 / score.tempo + voice.release);
    }
    if (frames * score.rate * static_cast<double>(notes + 1) > 4.0e6) return 0;
    TSynthOutput out;
    RenderSynthScore(score, out, error);
    return 0;
}
