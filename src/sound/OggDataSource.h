// Ogg Vorbis sound files decoded through vorbisfile over the framework's file
// access: streamed from an open file handle, or from an in-memory image of
// the file for preloaded sounds.
#pragma once

#include <memory>

#include "sound/SoundDataSource.h"

struct OggVorbis_File;
struct TOggReader;

class TOggDataSource : public TSoundDataSource
{
public:
    TOggDataSource();
    ~TOggDataSource() override;
    TOggDataSource(const TOggDataSource&) = delete;
    TOggDataSource& operator=(const TOggDataSource&) = delete;

    // Opens name (then name + ".ogg"); with stream the file stays open and is
    // read while playing, else its bytes are copied into memory first. False
    // silently when no file opens; false with "OGG file could not be opened"
    // when it is not usable Ogg Vorbis (including rate 0, no channels or more
    // than two, or a decoder that cannot set up from its headers). Call once
    // per object. Read returns 0 from the point a later link fails to set up.
    bool Open(const TString& name, bool stream);

    // Decodes an Ogg Vorbis image held in memory (copied). Same failures as
    // Open.
    bool OpenMemory(const void* bytes, size_t size);

    uint32_t Read(void* destination, uint32_t position, uint32_t bytes) override;
    int64_t GetTotalBytes() override { return totalBytes_; }
    int32_t GetSampleRate() override { return sampleRate_; }
    int32_t GetChannels() override { return channels_; }
    double GetDuration() override { return duration_; }

private:
    bool OpenDecoder();
    // Moves the decoder to a sample frame; false when the stream cannot seek.
    bool SeekTo(uint32_t frame);
    // One ov_read into target, skipping a bounded run of holes: the bytes
    // decoded, 0 at the end, on an error or where the stream's format changes.
    long DecodeChunk(char* target, int length);
    // Delivers bytes into destination, dropping the first skip bytes (less than
    // a frame) of what the decoder yields.
    uint32_t Decode(uint8_t* destination, uint32_t skip, uint32_t bytes);
    void Free();

    std::unique_ptr<TOggReader> reader_;
    int32_t sampleRate_ = 0;
    int32_t channels_ = 0;
    double duration_ = 0.0;
    int64_t totalBytes_ = 0;
    std::unique_ptr<OggVorbis_File> decoder_;
    bool decoderOpen_ = false;
    // Set once the decoder fails to set up for a link: it keeps its tables
    // half built then, and the system decoder would divide by zero on a retry.
    bool decodeFailed_ = false;
    // What the log lines call the sound: its file name, or "(memory)".
    TString name_;
    uint32_t position_ = 0;  // the decoder's byte position, always on a frame
};

class TOggDataSourceBuilder : public TSoundDataSourceBuilder
{
public:
    // stream: the Ogg source itself. Otherwise a memory source when the sound
    // is shorter than 2 s or "keepogguncompressed" is set (falling back to the
    // Ogg source when it is too long to keep in memory). Empty on failure.
    std::shared_ptr<TSoundDataSource> Create(const TString& name, bool stream) override;
};

// Registers the program's one TOggDataSourceBuilder under "ogg".
void RegisterOggDataSourceBuilder();
