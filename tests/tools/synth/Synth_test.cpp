// orvelle-synth: descriptions parsed, rendered, encoded and decoded again
// with the game's own Ogg source; faulty lines and the files left behind.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/FileTestSupport.h"
#include "sound/OggDataSource.h"
#include "synth/Synth.h"
#include "synth/SynthRender.h"
#include "synth/SynthScore.h"

namespace
{

namespace fs = std::filesystem;
using filetest::ReadAll;
using filetest::TempTree;

struct TDecoded
{
    bool ok = false;
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
    double At(size_t frame, int channel) const
    {
        return samples[frame * channels + channel] / 32768.0;
    }
    // Root mean square of one channel over [from, to) frames.
    double Rms(size_t from, size_t to, int channel = 0) const
    {
        double sum = 0.0;
        for (size_t i = from; i < to; ++i) sum += At(i, channel) * At(i, channel);
        return std::sqrt(sum / static_cast<double>(to - from));
    }
    double Peak(size_t from, size_t to, int channel = 0) const
    {
        double peak = 0.0;
        for (size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(At(i, channel)));
        return peak;
    }
    // Frequency from the upward zero crossings in [from, to). A crossing counts
    // once the wave has been below -0.05 and rises to 0, so the coder's noise
    // around zero adds none.
    double Frequency(size_t from, size_t to, int channel = 0) const
    {
        int crossings = 0;
        size_t first = 0;
        size_t last = 0;
        bool below = false;
        for (size_t i = from; i < to; ++i)
        {
            const double value = At(i, channel);
            if (value < -0.05) below = true;
            if (below && value >= 0.0)
            {
                below = false;
                if (crossings == 0) first = i;
                last = i;
                ++crossings;
            }
        }
        if (crossings < 2) return 0.0;
        return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
    }
};

TDecoded Decode(const std::string& bytes)
{
    TDecoded out;
    TOggDataSource source;
    if (!source.OpenMemory(bytes.data(), bytes.size())) return out;
    out.rate = source.GetSampleRate();
    out.channels = source.GetChannels();
    out.samples.resize(static_cast<size_t>(source.GetTotalBytes()) / 2);
    const uint32_t got =
        source.Read(out.samples.data(), 0, static_cast<uint32_t>(out.samples.size() * 2));
    out.ok = got == out.samples.size() * 2;
    return out;
}

class SynthTest : public ::testing::Test
{
protected:
    // Writes the description, runs the synthesiser; its messages land in err_.
    int Run(const std::string& text, const std::string& name = "sound")
    {
        tree_.Write(name + ".txt", text);
        err_.str("");
        return RunSynth((tree_ / (name + ".txt")).string(), (tree_ / (name + ".ogg")).string(),
                        err_);
    }
    TDecoded Synthesise(const std::string& text)
    {
        EXPECT_EQ(Run(text), 0) << err_.str();
        return Decode(ReadAll(tree_ / "sound.ogg"));
    }
    // Names in the folder other than the log's.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(tree_.Root()))
        {
            if (entry.path().filename() != "log") names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree tree_;
    std::ostringstream err_;
};

// One held note of each wave: the rate, channels and length the description
// gives, and the level and pitch heard in its middle.
TEST_F(SynthTest, ToneDecodesAtItsRateChannelsLengthLevelAndPitch)
{
    struct Case
    {
        const char* wave;
        int rate;
        int channels;
        double rms;  // of a full-scale wave
    };
    const Case cases[] = {
        {"sine", 22050, 1, 1.0 / std::sqrt(2.0)},    {"square", 44100, 2, 1.0},
        {"triangle", 22050, 2, 1.0 / std::sqrt(3.0)}, {"saw", 44100, 1, 1.0 / std::sqrt(3.0)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.wave);
        std::ostringstream text;
        text << "rate " << c.rate << "\nchannels " << c.channels
             << "\ntempo 60\nvoice a\nwave " << c.wave
             << "\nlevel 0.5\nenvelope 0.01 0 1 0.02\nnotes 441hz:1\n";
        const TDecoded sound = Synthesise(text.str());
        ASSERT_TRUE(sound.ok);
        EXPECT_EQ(sound.rate, c.rate);
        EXPECT_EQ(sound.channels, c.channels);
        // One beat at 60 per minute, then the release.
        EXPECT_EQ(sound.Frames(), static_cast<size_t>(std::ceil((1.0 + 0.02) * c.rate)));

        const size_t from = c.rate / 4;
        const size_t to = 3 * c.rate / 4;
        for (int channel = 0; channel < c.channels; ++channel)
        {
            EXPECT_NEAR(sound.Rms(from, to, channel), 0.5 * c.rms, 0.5 * c.rms * 0.05);
            EXPECT_NEAR(sound.Frequency(from, to, channel), 441.0, 441.0 * 0.01);
        }
    }
}

TEST_F(SynthTest, NoiseSoundsAndIsTheSameEveryTime)
{
    const char* text = "voice hiss\nwave noise\nlevel 0.4\nenvelope 0.001 0 1 0.001\nnotes C7:2\n";
    const TDecoded sound = Synthesise(text);
    ASSERT_TRUE(sound.ok);
    EXPECT_GT(sound.Rms(1000, sound.Frames() - 1000), 0.1);
    const std::string first = ReadAll(tree_ / "sound.ogg");
    ASSERT_EQ(Run(text), 0);
    EXPECT_EQ(ReadAll(tree_ / "sound.ogg"), first);
}

TEST_F(SynthTest, EnvelopeRisesFallsToItsSustainAndReleasesToSilence)
{
    // 22050 Hz, tempo 60: the note is held 1 s, released over 0.1 s.
    const TDecoded sound = Synthesise(
        "tempo 60\nvoice a\nlevel 0.8\nenvelope 0.1 0.1 0.5 0.1\nnotes 300hz:1\n");
    ASSERT_TRUE(sound.ok);
    const auto frames = [](double seconds) { return static_cast<size_t>(seconds * 22050); };
    EXPECT_LT(sound.Peak(0, frames(0.01)), 0.1);                      // attack begins at 0
    EXPECT_NEAR(sound.Peak(frames(0.09), frames(0.11)), 0.8, 0.06);   // attack's top
    EXPECT_NEAR(sound.Peak(frames(0.4), frames(0.9)), 0.4, 0.04);     // sustain
    EXPECT_NEAR(sound.Peak(frames(1.045), frames(1.055)), 0.22, 0.03);  // half-way released
    EXPECT_LT(sound.Peak(frames(1.099), sound.Frames()), 0.02);       // silent at the end
}

TEST_F(SynthTest, GlideSlidesThePitchOverTheNote)
{
    // An octave up over one second: 2^(p) times the start, p from 0 to 1.
    const TDecoded sound =
        Synthesise("rate 44100\nvoice a\nenvelope 0.001 0 1 0.01\nglide 12\nnotes 400hz:2\n");
    ASSERT_TRUE(sound.ok);
    const double early = sound.Frequency(0, 4410);
    const double late = sound.Frequency(44100 - 4410, 44100);
    EXPECT_NEAR(early, 400.0 * std::pow(2.0, 0.05), 400.0 * 0.03);
    EXPECT_NEAR(late, 400.0 * std::pow(2.0, 0.95), 800.0 * 0.03);
}

TEST_F(SynthTest, StereoPanPutsAVoiceOnOneSide)
{
    const TDecoded sound = Synthesise(
        "channels 2\nvoice left\npan -1\nnotes A4:1\nvoice right\npan 1\nwave square\n"
        "notes r:1 A4:1\n");
    ASSERT_TRUE(sound.ok);
    const size_t beat = 11025;
    EXPECT_GT(sound.Rms(beat / 4, beat * 3 / 4, 0), 0.2);
    EXPECT_LT(sound.Peak(beat / 4, beat * 3 / 4, 1), 0.01);
    EXPECT_LT(sound.Peak(beat * 5 / 4, beat * 7 / 4, 0), 0.01);
    EXPECT_GT(sound.Rms(beat * 5 / 4, beat * 7 / 4, 1), 0.3);
}

TEST_F(SynthTest, LoopLastsItsBarsExactlyAndStartsAndEndsInSilence)
{
    struct Case
    {
        int bars, beatsPerBar;
        double tempo;
        int rate;
    };
    for (const Case& c : {Case{2, 4, 120.0, 44100}, Case{3, 3, 96.0, 44100}, Case{1, 4, 100.0, 22050}})
    {
        std::ostringstream text;
        text << "rate " << c.rate << "\nchannels 2\ntempo " << c.tempo << "\nloop " << c.bars
             << ' ' << c.beatsPerBar << "\n"
             << "voice pad\nwave saw\nlevel 0.6\nenvelope 0.05 0.1 0.7 0.1\n"
             << "repeat " << c.bars * c.beatsPerBar - 1 << " C3:1\nnotes E3:0.5\n"
             << "voice bass\nwave square\nlevel 0.3\nnotes C2:" << c.bars * c.beatsPerBar - 0.5
             << "\n";
        SCOPED_TRACE(text.str());
        const TDecoded sound = Synthesise(text.str());
        ASSERT_TRUE(sound.ok);
        const double frames = c.bars * c.beatsPerBar * 60.0 / c.tempo * c.rate;
        EXPECT_EQ(static_cast<double>(sound.Frames()), std::round(frames));
        const size_t n = sound.Frames();
        for (int channel = 0; channel < 2; ++channel)
        {
            EXPECT_LT(sound.Peak(0, 4, channel), 0.01);
            EXPECT_LT(sound.Peak(n - 4, n, channel), 0.01);
            EXPECT_GT(sound.Rms(n / 4, n / 2, channel), 0.1);
        }
    }
}

TEST_F(SynthTest, SameDescriptionGivesTheSameBytes)
{
    const std::string text =
        "rate 44100\nchannels 2\ntempo 90\nloop 1 4\nvoice a\nwave triangle\npan -0.4\n"
        "notes C4:0.5 E4 G4 C5 | G4 E4 C4\nvoice b\nwave noise\nlevel 0.1\n"
        "envelope 0.001 0.03 0 0.01\nrepeat 4 C8:0.25 r:0.75\n";
    ASSERT_EQ(Run(text, "one"), 0) << err_.str();
    ASSERT_EQ(Run(text, "two"), 0) << err_.str();
    const std::string one = ReadAll(tree_ / "one.ogg");
    EXPECT_FALSE(one.empty());
    EXPECT_EQ(one, ReadAll(tree_ / "two.ogg"));
}

TEST_F(SynthTest, FaultyLineNamesItsNumberAndLeavesNoFile)
{
    struct Case
    {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"rate 22050\n\nsparkle 3\n", 3, "unknown setting 'sparkle'"},
        {"# a comment\nwave sine\n", 2, "wave before the first voice"},
        {"voice a\nwave sinus\n", 2, "wave wants"},
        {"voice a\nnotes C4 H4\n", 2, "'H4' is not a note"},
        {"voice a\nnotes C4:0\n", 2, "length in beats"},
        {"voice a\nnotes C4:x\n", 2, "length in beats"},
        {"voice a\nnotes 30000hz\n", 2, "not from 1hz"},
        {"voice a\nenvelope 0.1 0.1 0.5\n", 2, "envelope wants"},
        {"voice a\nenvelope 0.1 0.1 1.5 0.1\n", 2, "envelope wants"},
        {"channels 3\n", 1, "channels wants"},
        {"rate 44100.5\n", 1, "rate wants"},
        {"tempo 0\n", 1, "tempo wants"},
        {"loop 0 4\n", 1, "loop wants"},
        {"voice a\nvoice a\n", 2, "already begun on line 1"},
        {"voice a\nrepeat 0 C4\n", 2, "repeat wants"},
        {"voice a\npan 2\n", 2, "pan wants"},
        // A loop whose voice rings past its end: the note that does is named.
        {"tempo 60\nloop 1 2\nvoice a\nnotes C4:1\nnotes D4:1\n", 5, "still sounds at the end"},
        {"voice a\nlevel 0.5\n", 0, "no voice has a note"},
        {"voice a\nnotes C4:1000 C4:1000\n", 2, "longer than 600 seconds"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Run(c.text), 1);
        const std::string where = (tree_ / "sound.txt").string() +
                                  (c.line ? ":" + std::to_string(c.line) : std::string()) + ": ";
        EXPECT_EQ(err_.str().rfind(where, 0), 0u) << err_.str();
        EXPECT_NE(err_.str().find(c.says), std::string::npos) << err_.str();
        EXPECT_EQ(Files(), std::vector<std::string>{"sound.txt"});
    }
}

TEST_F(SynthTest, FailureLeavesAnEarlierOutputAlone)
{
    ASSERT_EQ(Run("voice a\nnotes C4\n"), 0);
    const std::string before = ReadAll(tree_ / "sound.ogg");
    EXPECT_EQ(Run("voice a\nnotes C4\nbogus\n"), 1);
    EXPECT_EQ(ReadAll(tree_ / "sound.ogg"), before);
    EXPECT_EQ(Files(), (std::vector<std::string>{"sound.ogg", "sound.txt"}));
}

TEST_F(SynthTest, UnreadableDescriptionOrUnwritableOutputFails)
{
    std::ostringstream err;
    EXPECT_EQ(RunSynth((tree_ / "absent.txt").string(), (tree_ / "absent.ogg").string(), err), 1);
    EXPECT_NE(err.str().find("absent.txt: cannot be read"), std::string::npos);
    err.str("");
    EXPECT_EQ(RunSynth(tree_.Root().string(), (tree_ / "folder.ogg").string(), err), 1);
    EXPECT_NE(err.str().find(": cannot be read"), std::string::npos);

    tree_.Write("ok.txt", "voice a\nnotes C4\n");
    tree_.Write("blocker", "a file where a folder should be");
    err.str("");
    EXPECT_EQ(
        RunSynth((tree_ / "ok.txt").string(), (tree_ / "blocker" / "ok.ogg").string(), err), 1);
    EXPECT_NE(err.str().find("cannot be written"), std::string::npos);
}

TEST_F(SynthTest, ClippedMixIsWrittenWithAWarning)
{
    EXPECT_EQ(Run("voice a\nwave square\nlevel 2\nnotes C4\n"), 0);
    EXPECT_NE(err_.str().find("samples clipped"), std::string::npos);
    const TDecoded sound = Decode(ReadAll(tree_ / "sound.ogg"));
    ASSERT_TRUE(sound.ok);
    EXPECT_GT(sound.Peak(0, sound.Frames()), 0.9);
}

TEST(SynthScore, NotesFollowEachOtherAtTheirPitches)
{
    TSynthScore score;
    TSynthError error;
    ASSERT_TRUE(ParseSynthScore(
        "voice a   # melody\r\nnotes A4:2 C4 | Bb4:0.5 A#4 r 440hz C-1\nrepeat 2 E5:1\n"
        "voice b\nnotes G9\n",
        score, error))
        << error.line << ": " << error.message;
    ASSERT_EQ(score.voices.size(), 2u);
    const auto& notes = score.voices[0].notes;
    struct Expected
    {
        double start, beats, frequency;
        int line;
    };
    const Expected expected[] = {
        {0.0, 2.0, 440.0, 2},       {2.0, 2.0, 261.6256, 2}, {4.0, 0.5, 466.1638, 2},
        {4.5, 0.5, 466.1638, 2},    {5.5, 0.5, 440.0, 2},    {6.0, 0.5, 8.1758, 2},
        {6.5, 1.0, 659.2551, 3},    {7.5, 1.0, 659.2551, 3},
    };
    ASSERT_EQ(notes.size(), std::size(expected));
    for (size_t i = 0; i < notes.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(notes[i].startBeat, expected[i].start);
        EXPECT_DOUBLE_EQ(notes[i].beats, expected[i].beats);
        EXPECT_NEAR(notes[i].frequency, expected[i].frequency, 1e-3);
        EXPECT_EQ(notes[i].line, expected[i].line);
    }
    EXPECT_DOUBLE_EQ(score.voices[0].endBeat, 8.5);
    // A length belongs to its voice: the next voice starts again at one beat.
    ASSERT_EQ(score.voices[1].notes.size(), 1u);
    EXPECT_DOUBLE_EQ(score.voices[1].notes[0].beats, 1.0);
    EXPECT_NEAR(score.voices[1].notes[0].frequency, 12543.85, 0.01);
}

TEST(SynthScore, RefusesAVoiceOfTooManyNotes)
{
    std::string line = "repeat 1000";
    for (int i = 0; i < 101; ++i) line += " C4:0.001";
    TSynthScore score;
    TSynthError error;
    EXPECT_FALSE(ParseSynthScore("voice a\n" + line + "\n", score, error));
    EXPECT_EQ(error.line, 2);
    EXPECT_NE(error.message.find("more than 100000 notes"), std::string::npos) << error.message;
}

}  // namespace
