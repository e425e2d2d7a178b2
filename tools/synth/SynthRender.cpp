// Oscillators, envelopes and the mix.
#include "synth/SynthRender.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace
{

// Shorter fades than this click audibly on a square or saw wave.
constexpr double kMinFadeSeconds = 0.001;

double SecondsPerBeat(const TSynthScore& score)
{
    return 60.0 / score.tempo;
}

long StartFrame(const TSynthScore& score, const TSynthNote& note)
{
    return std::lround(note.startBeat * SecondsPerBeat(score) * score.rate);
}

// The frames a note sounds, its release included.
long NoteFrames(const TSynthScore& score, const TSynthVoice& voice, const TSynthNote& note)
{
    const double seconds =
        note.beats * SecondsPerBeat(score) + std::max(voice.release, kMinFadeSeconds);
    return static_cast<long>(std::ceil(seconds * score.rate));
}

// Attack, decay, sustain while the note is held, then a linear release from
// wherever the level stood when it was let go.
class TEnvelope
{
public:
    TEnvelope(const TSynthVoice& voice, double gate)
        : attack_(std::max(voice.attack, kMinFadeSeconds)),
          decay_(voice.decay),
          sustain_(voice.sustain),
          release_(std::max(voice.release, kMinFadeSeconds)),
          gate_(gate)
    {
    }

    double At(double t) const
    {
        if (t < gate_) return Held(t);
        const double fade = 1.0 - (t - gate_) / release_;
        return fade > 0.0 ? Held(gate_) * fade : 0.0;
    }

private:
    double Held(double t) const
    {
        if (t < attack_) return t / attack_;
        if (t < attack_ + decay_) return 1.0 - (1.0 - sustain_) * (t - attack_) / decay_;
        return sustain_;
    }

    double attack_;
    double decay_;
    double sustain_;
    double release_;
    double gate_;
};

// Noise that does not change from run to run: each note has its own seed.
class TNoise
{
public:
    explicit TNoise(uint32_t seed) : state_(seed ? seed : 0x6d2b79f5u) {}
    double Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_;
};

// One voice's note added into the mix.
void AddNote(const TSynthScore& score, const TSynthVoice& voice, size_t voiceIndex,
             size_t noteIndex, std::vector<double>& mix)
{
    const TSynthNote& note = voice.notes[noteIndex];
    const double gate = note.beats * SecondsPerBeat(score);
    const TEnvelope envelope(voice, gate);
    const long start = StartFrame(score, note);
    const long frames = NoteFrames(score, voice, note);
    const int channels = score.channels;
    double gains[2] = {1.0, 1.0};
    if (channels == 2)
    {
        gains[0] = std::min(1.0, 1.0 - voice.pan);
        gains[1] = std::min(1.0, 1.0 + voice.pan);
    }
    TNoise noise(static_cast<uint32_t>(voiceIndex * 7919u + noteIndex * 104729u + 1u));
    double held = noise.Next();
    double phase = 0.0;
    const long total = static_cast<long>(mix.size()) / channels;
    for (long i = 0; i < frames && start + i < total; ++i)
    {
        const double t = static_cast<double>(i) / score.rate;
        double wave = 0.0;
        switch (voice.wave)
        {
            case ESynthWave::Sine:
                wave = std::sin(2.0 * M_PI * phase);
                break;
            case ESynthWave::Square:
                wave = phase < 0.5 ? 1.0 : -1.0;
                break;
            case ESynthWave::Triangle:
                wave = phase < 0.25 ? 4.0 * phase : phase < 0.75 ? 2.0 - 4.0 * phase
                                                                 : 4.0 * phase - 4.0;
                break;
            case ESynthWave::Saw:
                wave = phase < 0.5 ? 2.0 * phase : 2.0 * phase - 2.0;
                break;
            case ESynthWave::Noise:
                wave = held;
                break;
        }
        const double value = wave * envelope.At(t) * voice.level * score.volume;
        for (int c = 0; c < channels; ++c)
            mix[static_cast<size_t>((start + i) * channels + c)] += value * gains[c];

        const double progress = std::min(1.0, t / gate);
        const double frequency = note.frequency * std::pow(2.0, voice.glide * progress / 12.0);
        const double before = phase;
        phase += frequency / score.rate;
        phase -= std::floor(phase);
        // Noise holds each value for half a cycle: higher notes sound brighter.
        if (voice.wave == ESynthWave::Noise && (phase < before || (before < 0.5 && phase >= 0.5)))
            held = noise.Next();
    }
}

}  // namespace

long SynthLoopFrames(const TSynthScore& score)
{
    return std::lround(score.loopBars * score.beatsPerBar * SecondsPerBeat(score) * score.rate);
}

bool RenderSynthScore(const TSynthScore& score, TSynthOutput& out, TSynthError& error)
{
    out = TSynthOutput();
    error = TSynthError();
    const bool loop = score.loopBars > 0;
    const double maxFrames = kSynthMaxSeconds * score.rate;
    long frames = loop ? SynthLoopFrames(score) : 0;
    bool anyNote = false;
    for (const TSynthVoice& voice : score.voices)
    {
        for (const TSynthNote& note : voice.notes)
        {
            anyNote = true;
            const double end = static_cast<double>(StartFrame(score, note)) +
                               static_cast<double>(NoteFrames(score, voice, note));
            if (end > maxFrames)
            {
                error.line = note.line;
                error.message = "voice '" + voice.name + "' lasts longer than " +
                                std::to_string(static_cast<int>(kSynthMaxSeconds)) + " seconds";
                return false;
            }
            if (loop && end > static_cast<double>(frames))
            {
                error.line = note.line;
                error.message = "voice '" + voice.name +
                                "' still sounds at the end of the loop; end its notes earlier "
                                "or shorten their release";
                return false;
            }
            if (!loop) frames = std::max(frames, static_cast<long>(end));
        }
    }
    if (!anyNote)
    {
        error.line = score.loopLine;
        error.message = "no voice has a note";
        return false;
    }
    if (frames > maxFrames)
    {
        error.line = score.loopLine;
        error.message = "the loop lasts longer than " +
                        std::to_string(static_cast<int>(kSynthMaxSeconds)) + " seconds";
        return false;
    }

    std::vector<double> mix(static_cast<size_t>(frames) * static_cast<size_t>(score.channels));
    for (size_t v = 0; v < score.voices.size(); ++v)
    {
        for (size_t n = 0; n < score.voices[v].notes.size(); ++n)
            AddNote(score, score.voices[v], v, n, mix);
    }
    out.samples.resize(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
    {
        double value = mix[i];
        if (value > 1.0 || value < -1.0)
        {
            ++out.clipped;
            value = std::clamp(value, -1.0, 1.0);
        }
        out.samples[i] = static_cast<float>(value);
    }
    return true;
}
