// Sound data sources: 16-bit little-endian signed PCM, interleaved by
// channel, addressed by byte position; and the registry of source builders
// chosen by file extension.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"

class TSoundDataSource
{
public:
    virtual ~TSoundDataSource() = default;
    // Copies up to bytes bytes starting at byte position into destination;
    // returns how many were delivered (fewer at the end, 0 at or past it or on
    // a decoding error that ends the data).
    virtual uint32_t Read(void* destination, uint32_t position, uint32_t bytes) = 0;
    // All PCM bytes of the sound (never negative).
    virtual int64_t GetTotalBytes() = 0;
    virtual int32_t GetSampleRate() = 0;
    virtual int32_t GetChannels() = 0;
    virtual double GetDuration() = 0;
};

class TSoundDataSourceBuilder
{
public:
    virtual ~TSoundDataSourceBuilder() = default;
    // A source for the logical file name; empty on failure.
    virtual std::shared_ptr<TSoundDataSource> Create(const TString& name, bool stream) = 0;
};

// Stores or replaces the builder for extension (without the dot). The builder
// is not owned and must outlive its registration; null removes the entry.
void RegisterDataSourceBuilder(const TString& extension, TSoundDataSourceBuilder* builder);

// Builds a source for name: by the extension after its last '.', else by the
// first registered extension whose file name + "." + extension exists (the
// builder still gets name itself). Empty when nothing matches or the builder
// fails.
std::shared_ptr<TSoundDataSource> CreateDataSource(const TString& name, bool stream);
