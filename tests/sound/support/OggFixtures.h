// Test fixtures for the sound tests: Ogg Vorbis files encoded at test time,
// a temporary folder, a hand-driven clock and the log's contents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An Ogg Vorbis stream of a sine tone (every channel alike). frames 0 gives
// a stream with headers and no audio.
std::vector<uint8_t> MakeOggTone(int channels, int rate, double seconds, double frequency = 440.0,
                                 float amplitude = 0.5f);

// A fresh folder below $TMPDIR (or /tmp), removed with everything in it by
// the destructor.
class TTempFolder
{
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Writes bytes to Path()/name and returns the framework's literal name for
    // it ("::" + full path).
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    // "::" + Path()/name (the file need not exist).
    std::string Name(const std::string& name) const;

private:
    std::string path_;
};

// Replaces the clocks' time source with a hand-driven one starting at 1000
// ms; the destructor restores the real one.
class TFakeTime
{
public:
    TFakeTime();
    ~TFakeTime();
    static void Advance(uint32_t ms);
};

// Sends the log to a temporary folder for the lifetime of the object.
class TLogCapture
{
public:
    TLogCapture();
    ~TLogCapture();
    std::string Text() const;
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    TTempFolder folder_;
};

// 16-bit samples of interleaved PCM bytes.
std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes);
