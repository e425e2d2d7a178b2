// Ogg Vorbis tones and the other sound test helpers.
#include "OggFixtures.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Clock.h"
#include "core/Log.h"
#include "synth/OggEncoder.h"

namespace
{

std::atomic<uint32_t> gFakeNow{1000};
uint32_t FakeNow()
{
    return gFakeNow.load();
}

}  // namespace

std::vector<uint8_t> MakeOggTone(int channels, int rate, double seconds, double frequency,
                                 float amplitude)
{
    const long frames = std::lround(seconds * rate);
    std::vector<float> samples(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (long i = 0; i < frames; ++i)
    {
        const float value = amplitude * static_cast<float>(std::sin(
                                            2.0 * M_PI * frequency * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(i * channels + c)] = value;
    }
    std::vector<uint8_t> out;
    EncodeOggVorbis(samples, channels, rate, TOggEncoding{}, out);
    return out;
}

TTempFolder::TTempFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/sound-test-XXXXXX";
    std::vector<char> text(pattern.begin(), pattern.end());
    text.push_back('\0');
    if (mkdtemp(text.data()) != nullptr) path_ = text.data();
}

TTempFolder::~TTempFolder()
{
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TTempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const std::string full = path_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream file(full, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return "::" + full;
}

std::string TTempFolder::Name(const std::string& name) const
{
    return "::" + path_ + "/" + name;
}

TFakeTime::TFakeTime()
{
    gFakeNow = 1000;
    SetClockTimeSource(&FakeNow);
}

TFakeTime::~TFakeTime()
{
    SetClockTimeSource(nullptr);
}

void TFakeTime::Advance(uint32_t ms)
{
    gFakeNow += ms;
}

TLogCapture::TLogCapture()
{
    SetLogFolder(folder_.Path().c_str());
}

TLogCapture::~TLogCapture()
{
    SetLogFolder(nullptr);
}

std::string TLogCapture::Text() const
{
    const std::string path = GetLogPath().CStr();
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}
