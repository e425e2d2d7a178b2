// Cost of sound streaming: the service pass for 16 streamed Ogg sounds (as
// CPU time per second of audio, i.e. a fraction of one core), and Ogg
// decoding speed as a multiple of real time, each against a baseline in the
// same run.
#include <benchmark/benchmark.h>

#include <vorbis/vorbisfile.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/null/AudioFake.h"
#include "sound/MemDataSource.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "sound/support/OggFixtures.h"

namespace
{

constexpr double kToneSeconds = 10.0;
constexpr double kPassSeconds = 0.55;  // one reap walk every 500 ms plus a 50 ms sleep
constexpr int kStreams = 16;

const std::vector<uint8_t>& Tone()
{
    static const std::vector<uint8_t> bytes = MakeOggTone(2, 44100, kToneSeconds, 440.0, 0.5f);
    return bytes;
}

// The service pass as the thread runs it, with the fake device playing on by
// one pass of audio each iteration.
void BM_ServicePass16Streams(benchmark::State& state)
{
    TTempFolder folder;
    const std::string name = folder.Write("tone.ogg", Tone());
    RegisterOggDataSourceBuilder();
    TFakeTime time;
    auto fake = TFakeAudio::Install();
    {
        TSoundManager manager;
        manager.Init();
        std::vector<std::shared_ptr<TSound>> sounds;
        for (int i = 0; i < kStreams; ++i)
        {
            // A group per sound gives each its own key, sound and decoder.
            sounds.push_back(TSound::Get((name + "?group=" + std::to_string(i)).c_str(), false, 0));
            sounds.back()->Play(true);
        }
        for (auto _ : state)
        {
            {
                TSoundLockGuard hold(&manager);
                fake->AdvanceAll(kPassSeconds);
                TFakeTime::Advance(static_cast<uint32_t>(kPassSeconds * 1000) + 1);
                manager.Service(true);
            }
        }
        for (auto& sound : sounds) sound->Stop();
    }
    TFakeAudio::Uninstall();
    // CPU seconds per second of audio for all 16 streams: the fraction of one
    // core the service thread needs.
    state.counters["core_fraction"] = benchmark::Counter(
        kPassSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ServicePass16Streams)->Unit(benchmark::kMicrosecond);

// Baseline: decoding the same amount of audio straight through vorbisfile.
struct TMemoryImage
{
    const std::vector<uint8_t>* bytes;
    size_t position = 0;
};
size_t ImageRead(void* out, size_t size, size_t count, void* source)
{
    auto* image = static_cast<TMemoryImage*>(source);
    const size_t left = image->bytes->size() - image->position;
    const size_t n = std::min(left, size * count);
    std::memcpy(out, image->bytes->data() + image->position, n);
    image->position += n;
    return n / size;
}
int ImageSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* image = static_cast<TMemoryImage*>(source);
    const auto length = static_cast<ogg_int64_t>(image->bytes->size());
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(image->position)
                                            : length;
    image->position = static_cast<size_t>(std::clamp<ogg_int64_t>(base + offset, 0, length));
    return 0;
}
long ImageTell(void* source)
{
    return static_cast<long>(static_cast<TMemoryImage*>(source)->position);
}

void BM_BaselineVorbisfileDecode(benchmark::State& state)
{
    std::vector<char> pcm(4 * 44100);
    for (auto _ : state)
    {
        TMemoryImage image{&Tone()};
        OggVorbis_File file;
        ov_open_callbacks(&image, &file, nullptr, 0, {ImageRead, ImageSeek, nullptr, ImageTell});
        int bitstream = 0;
        long got;
        while ((got = ov_read(&file, pcm.data(), static_cast<int>(pcm.size()), 0, 2, 1,
                              &bitstream)) != 0)
        {
            if (got < 0) break;
        }
        ov_clear(&file);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kToneSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BaselineVorbisfileDecode)->Unit(benchmark::kMillisecond);

// The Ogg data source decoding a whole sound one half buffer (1 s) at a time.
void BM_OggDataSourceDecode(benchmark::State& state)
{
    std::vector<uint8_t> pcm(4 * 44100);
    for (auto _ : state)
    {
        TOggDataSource source;
        source.OpenMemory(Tone().data(), Tone().size());
        uint32_t position = 0;
        uint32_t got;
        while ((got = source.Read(pcm.data(), position, static_cast<uint32_t>(pcm.size()))) != 0)
            position += got;
        benchmark::DoNotOptimize(position);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kToneSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_OggDataSourceDecode)->Unit(benchmark::kMillisecond);

// A preloaded sound: one copy per second of audio.
void BM_MemDataSourceCopy(benchmark::State& state)
{
    TOggDataSource ogg;
    ogg.OpenMemory(Tone().data(), Tone().size());
    auto memory = TMemDataSource::FromSource(ogg);
    std::vector<uint8_t> pcm(4 * 44100);
    for (auto _ : state)
    {
        uint32_t position = 0;
        uint32_t got;
        while ((got = memory->Read(pcm.data(), position, static_cast<uint32_t>(pcm.size()))) != 0)
            position += got;
        benchmark::DoNotOptimize(pcm.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kToneSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MemDataSourceCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
