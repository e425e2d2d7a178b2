// Turns a parsed sound description into interleaved float samples.
#pragma once

#include <vector>

#include "synth/SynthScore.h"

struct TSynthOutput
{
    std::vector<float> samples;  // frames x channels, within [-1, 1]
    long clipped = 0;            // samples that were cut back to [-1, 1]
};

// The longest sound the synthesiser writes, in seconds.
constexpr double kSynthMaxSeconds = 600.0;

// The frames a loop of the score lasts: its bars at the tempo, rounded to
// whole frames.
long SynthLoopFrames(const TSynthScore& score);

// Mixes every voice. A loop lasts exactly SynthLoopFrames; any other sound
// ends where its last note has faded. False, with the line to blame, when
// nothing sounds, a note of a loop is still sounding at the loop's end, or
// the sound would last longer than kSynthMaxSeconds.
bool RenderSynthScore(const TSynthScore& score, TSynthOutput& out, TSynthError& error);
