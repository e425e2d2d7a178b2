// In-memory PCM sources.
#include "sound/MemDataSource.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/Log.h"
#include "sound/SoundManager.h"

namespace
{
double DurationOf(uint32_t bytes, int32_t channels, int32_t rate)
{
    if (channels <= 0 || rate <= 0) return 0.0;
    return static_cast<double>(bytes) / (static_cast<double>(channels) * 2.0 * rate);
}
}  // namespace

TMemDataSource::TMemDataSource(std::vector<uint8_t> pcm, int32_t channels, int32_t sampleRate)
    : pcm_(std::move(pcm)), channels_(channels), sampleRate_(sampleRate)
{
    if (pcm_.size() > static_cast<size_t>(kMaxBytes)) pcm_.resize(static_cast<size_t>(kMaxBytes));
    totalBytes_ = static_cast<uint32_t>(pcm_.size());
    duration_ = DurationOf(totalBytes_, channels_, sampleRate_);
}

std::shared_ptr<TMemDataSource> TMemDataSource::FromSource(TSoundDataSource& source)
{
    const int64_t total = source.GetTotalBytes();
    if (total < 0 || total > kMaxBytes)
    {
        LogPrintf("Sound too long to keep in memory (%lld bytes)", static_cast<long long>(total));
        return nullptr;
    }
    std::shared_ptr<TMemDataSource> memory(new (std::nothrow) TMemDataSource());
    if (!memory) return nullptr;
    memory->channels_ = source.GetChannels();
    memory->sampleRate_ = source.GetSampleRate();
    memory->duration_ = source.GetDuration();
    // The length comes from an untrusted header: memory grows with what the
    // source really delivers, so a file that lies about its length costs no
    // more than its actual sound.
    constexpr uint32_t kChunk = 1u << 20;
    const auto wanted = static_cast<uint32_t>(total);
    uint32_t read = 0;
    try
    {
        while (read < wanted)
        {
            const uint32_t chunk = std::min(kChunk, wanted - read);
            memory->pcm_.resize(static_cast<size_t>(read) + chunk);
            const uint32_t got = source.Read(memory->pcm_.data() + read, read, chunk);
            read += got;
            if (got < chunk) break;
        }
    }
    catch (const std::bad_alloc&)
    {
        LogPrintf("Sound too long to keep in memory (%lld bytes)", static_cast<long long>(total));
        return nullptr;
    }
    memory->totalBytes_ = read;
    if (read < wanted)
    {
        // The header promised more than the stream holds: keep only real sound.
        memory->pcm_.resize(read);
        memory->pcm_.shrink_to_fit();
        memory->duration_ = DurationOf(read, memory->channels_, memory->sampleRate_);
    }
    return memory;
}

uint32_t TMemDataSource::Read(void* destination, uint32_t position, uint32_t bytes)
{
    TSoundLockGuard guard;
    if (destination == nullptr || position >= totalBytes_) return 0;
    const uint32_t count = std::min(bytes, totalBytes_ - position);
    std::memcpy(destination, pcm_.data() + position, count);
    return count;
}
