// A sound decoded once into memory: short sounds, and every preloaded sound
// when "keepogguncompressed" is on.
#pragma once

#include <vector>

#include "sound/SoundDataSource.h"

class TMemDataSource : public TSoundDataSource
{
public:
    // The largest sound kept in memory (bytes of PCM).
    static constexpr int64_t kMaxBytes = 256 * 1024 * 1024;

    // Decodes the whole of source from position 0. Empty (with a log line)
    // when the source claims more than kMaxBytes or memory runs out. When the
    // source delivers fewer bytes than it claimed, the sound is shortened to
    // what it delivered.
    static std::shared_ptr<TMemDataSource> FromSource(TSoundDataSource& source);

    // Takes ready PCM bytes (16-bit, interleaved).
    TMemDataSource(std::vector<uint8_t> pcm, int32_t channels, int32_t sampleRate);

    uint32_t Read(void* destination, uint32_t position, uint32_t bytes) override;
    int64_t GetTotalBytes() override { return totalBytes_; }
    int32_t GetSampleRate() override { return sampleRate_; }
    int32_t GetChannels() override { return channels_; }
    double GetDuration() override { return duration_; }

private:
    TMemDataSource() = default;

    std::vector<uint8_t> pcm_;
    uint32_t totalBytes_ = 0;
    int32_t channels_ = 0;
    int32_t sampleRate_ = 0;
    double duration_ = 0.0;
};
