// Ogg Vorbis decoding for sound data sources, with the reader callbacks that
// let vorbisfile read framework files or an in-memory image of one.
#include "sound/OggDataSource.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "core/FileHandle.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "sound/MemDataSource.h"
#include "sound/SoundManager.h"

// What vorbisfile reads from: an open framework file, or the whole file held
// in memory.
struct TOggReader
{
    std::unique_ptr<TFileHandle> file;
    std::vector<uint8_t> image;
    size_t position = 0;
};

namespace
{

// A damaged stream may report a hole at every packet; past this many in a
// row the rest is treated as lost.
constexpr int kMaxHolesInARow = 32;
// Byte positions are 32-bit and the spooler's are signed: longer sounds are
// cut here.
constexpr int64_t kMaxTotalBytes = INT32_MAX;

// The largest Ogg page: a 27-byte header, 255 lacing values, 255 segments
// of 255 bytes.
constexpr size_t kMaxPageBytes = 27 + 255 + 255 * 255;

// The last bytes of the stream (at most one page's worth), the reading
// position left where it was.
std::vector<uint8_t> ReadTail(TOggReader& reader)
{
    if (!reader.file)
    {
        const size_t size = reader.image.size();
        const size_t from = size > kMaxPageBytes ? size - kMaxPageBytes : 0;
        return {reader.image.begin() + static_cast<long>(from), reader.image.end()};
    }
    const int length = reader.file->GetLength();
    const int at = reader.file->Tell();
    if (length <= 0 || at < 0) return {};
    const int from = length > static_cast<int>(kMaxPageBytes) ? length - static_cast<int>(kMaxPageBytes) : 0;
    std::vector<uint8_t> tail(static_cast<size_t>(length - from));
    reader.file->Seek(from, kSeekStart);
    const int got = reader.file->Read(tail.data(), static_cast<int>(tail.size()));
    tail.resize(got > 0 ? static_cast<size_t>(got) : 0);
    reader.file->Seek(at, kSeekStart);
    return tail;
}

// Whether the stream stops short of the end of its last page: the last page
// found runs past the bytes there are, or is not marked as the stream's end
// (a file cut right at a page boundary).
bool EndsShortOfItsLastPage(const std::vector<uint8_t>& tail)
{
    if (tail.size() < 27) return !tail.empty();
    for (size_t i = tail.size() - 27 + 1; i-- > 0;)
    {
        if (std::memcmp(tail.data() + i, "OggS", 4) != 0 || tail[i + 4] != 0) continue;
        const size_t segments = tail[i + 26];
        if (i + 27 + segments > tail.size()) return true;
        size_t body = 0;
        for (size_t k = 0; k < segments; ++k) body += tail[i + 27 + k];
        if (i + 27 + segments + body > tail.size()) return true;
        if (i + 27 + segments + body < tail.size()) continue;  // a false match inside a packet
        return (tail[i + 5] & 0x04) == 0;
    }
    return true;
}

size_t FileRead(void* destination, size_t size, size_t count, void* source)
{
    auto* reader = static_cast<TOggReader*>(source);
    if (size == 0 || count == 0) return 0;
    const size_t wanted = std::min<size_t>(size * count, INT_MAX) / size * size;
    const int got = reader->file->Read(destination, static_cast<int>(wanted));
    if (got <= 0) return 0;
    const size_t partial = static_cast<size_t>(got) % size;
    if (partial != 0) reader->file->Seek(-static_cast<int>(partial), kSeekCurrent);
    return static_cast<size_t>(got) / size;
}

int FileSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* reader = static_cast<TOggReader*>(source);
    if (offset < INT_MIN || offset > INT_MAX) return -1;
    int origin;
    switch (whence)
    {
        case SEEK_SET:
            origin = kSeekStart;
            break;
        case SEEK_CUR:
            origin = kSeekCurrent;
            break;
        case SEEK_END:
            origin = kSeekEnd;
            break;
        default:
            return -1;
    }
    reader->file->Seek(static_cast<int>(offset), origin);
    return 0;
}

int FileClose(void* source)
{
    static_cast<TOggReader*>(source)->file->Close();
    return 0;
}

long FileTell(void* source)
{
    return static_cast<TOggReader*>(source)->file->Tell();
}

size_t MemoryRead(void* destination, size_t size, size_t count, void* source)
{
    auto* reader = static_cast<TOggReader*>(source);
    if (size == 0 || count == 0 || reader->position >= reader->image.size()) return 0;
    const size_t left = reader->image.size() - reader->position;
    const size_t wanted = count > left / size ? left : size * count;
    std::memcpy(destination, reader->image.data() + reader->position, wanted);
    reader->position += wanted;
    // vorbisfile always asks for single bytes; whole elements are what stdio
    // would return for larger ones.
    return wanted / size;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence)
{
    auto* reader = static_cast<TOggReader*>(source);
    const auto length = static_cast<ogg_int64_t>(reader->image.size());
    ogg_int64_t base;
    switch (whence)
    {
        case SEEK_SET:
            base = 0;
            break;
        case SEEK_CUR:
            base = static_cast<ogg_int64_t>(reader->position);
            break;
        case SEEK_END:
            base = length;
            break;
        default:
            return -1;
    }
    ogg_int64_t target = base;
    if (offset > 0)
        target = offset > length - base ? length : base + offset;
    else if (offset < 0)
        target = -offset > base ? 0 : base + offset;
    reader->position = static_cast<size_t>(target);
    return 0;
}

int MemoryClose(void* source)
{
    auto* reader = static_cast<TOggReader*>(source);
    std::vector<uint8_t>().swap(reader->image);
    reader->position = 0;
    return 0;
}

long MemoryTell(void* source)
{
    return static_cast<long>(static_cast<TOggReader*>(source)->position);
}

const ov_callbacks kFileCallbacks = {FileRead, FileSeek, FileClose, FileTell};
const ov_callbacks kMemoryCallbacks = {MemoryRead, MemorySeek, MemoryClose, MemoryTell};

}  // namespace

TOggDataSource::TOggDataSource() = default;

TOggDataSource::~TOggDataSource()
{
    Free();
}

void TOggDataSource::Free()
{
    if (decoderOpen_) ov_clear(decoder_.get());  // also closes the reader
    decoderOpen_ = false;
    decodeFailed_ = false;
    decoder_.reset();
    reader_.reset();
}

bool TOggDataSource::Open(const TString& name, bool stream)
{
    Free();
    name_ = name;
    auto file = std::make_unique<TFileHandle>();
    if (!file->Open(name, kFileReadBinary) && !file->Open(name + ".ogg", kFileReadBinary))
        return false;
    reader_ = std::make_unique<TOggReader>();
    if (stream)
    {
        reader_->file = std::move(file);
    }
    else
    {
        // Preloaded sounds keep the compressed bytes so that decoding does no
        // file access.
        file->Seek(0, kSeekEnd);
        const int length = file->Tell();
        file->Seek(0, kSeekStart);
        try
        {
            reader_->image.resize(length > 0 ? static_cast<size_t>(length) : 0);
        }
        catch (const std::bad_alloc&)
        {
            LogPrintf("OGG file could not be opened: %s", name_.CStr());
            Free();
            return false;
        }
        const int got = reader_->image.empty() ? 0 : file->Read(reader_->image.data(), length);
        reader_->image.resize(got > 0 ? static_cast<size_t>(got) : 0);
        file->Close();
    }
    return OpenDecoder();
}

bool TOggDataSource::OpenMemory(const void* bytes, size_t size)
{
    Free();
    name_ = "(memory)";
    reader_ = std::make_unique<TOggReader>();
    if (size > 0 && bytes != nullptr)
    {
        const auto* begin = static_cast<const uint8_t*>(bytes);
        reader_->image.assign(begin, begin + size);
    }
    return OpenDecoder();
}

bool TOggDataSource::OpenDecoder()
{
    decoder_ = std::make_unique<OggVorbis_File>();
    std::memset(decoder_.get(), 0, sizeof(OggVorbis_File));
    const ov_callbacks& callbacks = reader_->file ? kFileCallbacks : kMemoryCallbacks;
    if (ov_open_callbacks(reader_.get(), decoder_.get(), nullptr, 0, callbacks) != 0)
    {
        // On failure vorbisfile has not taken the reader; it is freed with us.
        LogPrintf("OGG file could not be opened: %s", name_.CStr());
        decoder_.reset();
        if (reader_->file) reader_->file->Close();
        reader_.reset();
        return false;
    }
    decoderOpen_ = true;
    if (EndsShortOfItsLastPage(ReadTail(*reader_)))
        LogPrintf("OGG file %s is cut short: it plays what is there", name_.CStr());
    const vorbis_info* info = ov_info(decoder_.get(), -1);
    // The header is untrusted: a rate or channel count the device cannot play
    // would otherwise reach the mixer and the buffer sizing.
    if (info == nullptr || info->rate <= 0 || info->rate > INT32_MAX || info->channels < 1 ||
        info->channels > 2)
    {
        LogPrintf("OGG file could not be opened: %s", name_.CStr());
        Free();
        return false;
    }
    sampleRate_ = static_cast<int32_t>(info->rate);
    channels_ = info->channels;
    const int64_t block = static_cast<int64_t>(channels_) * 2;
    // A stream that cannot tell its length (or lies about it) counts as empty
    // rather than as a huge allocation.
    int64_t frames = ov_pcm_total(decoder_.get(), -1);
    if (frames < 0) frames = 0;
    bool cut = false;
    if (frames > kMaxTotalBytes / block)
    {
        frames = kMaxTotalBytes / block;
        cut = true;
    }
    totalBytes_ = frames * block;
    const double seconds = ov_time_total(decoder_.get(), -1);
    duration_ = (!cut && seconds >= 0.0) ? seconds : static_cast<double>(frames) / sampleRate_;
    // Rewinding sets the decoder up. Other failures here are harmless (the
    // decoder already stands at the start after opening), but a failed set-up
    // leaves it half built and any later read would use that.
    const int rewound = ov_pcm_seek(decoder_.get(), 0);
    if (rewound == OV_EBADLINK)
    {
        LogPrintf("OGG file could not be opened: %s: decoder set-up failed (error %d)",
                  name_.CStr(), rewound);
        Free();
        return false;
    }
    position_ = 0;
    return true;
}

bool TOggDataSource::SeekTo(uint32_t frame)
{
    const int sought = ov_pcm_seek(decoder_.get(), static_cast<ogg_int64_t>(frame));
    if (sought != 0)
    {
        if (sought == OV_EBADLINK) decodeFailed_ = true;
        return false;
    }
    position_ = frame * static_cast<uint32_t>(channels_) * 2;
    return true;
}

long TOggDataSource::DecodeChunk(char* target, int length)
{
    int holes = 0;
    for (;;)
    {
        int bitstream = 0;
        const long got = ov_read(decoder_.get(), target, length, 0, 2, 1, &bitstream);
        if (got == OV_HOLE)
        {
            if (++holes > kMaxHolesInARow) return 0;
            continue;
        }
        // Other errors end the data; a failed set-up (of a later link) for good.
        if (got == OV_EBADLINK && !decodeFailed_)
        {
            LogPrintf("OGG stream %s damaged: decoder set-up failed; the rest is dropped",
                      name_.CStr());
            decodeFailed_ = true;
        }
        else if (got < 0 && !decodeFailed_)
        {
            LogPrintf("OGG stream %s damaged (error %ld); the rest is dropped", name_.CStr(), got);
            decodeFailed_ = true;
        }
        else if (got == 0 && !decodeFailed_ && static_cast<int64_t>(position_) < totalBytes_)
        {
            // The file ends before the length its last page claims.
            LogPrintf("OGG stream %s ends early, at byte %u of %lld", name_.CStr(), position_,
                      static_cast<long long>(totalBytes_));
            decodeFailed_ = true;
        }
        if (got <= 0) return 0;
        // A chained stream may switch format; what follows is not this sound.
        const vorbis_info* info = ov_info(decoder_.get(), bitstream);
        if (info == nullptr || info->channels != channels_ || info->rate != sampleRate_) return 0;
        position_ += static_cast<uint32_t>(got);
        return got;
    }
}

uint32_t TOggDataSource::Decode(uint8_t* destination, uint32_t skip, uint32_t bytes)
{
    const uint32_t block = static_cast<uint32_t>(channels_) * 2;
    uint32_t done = 0;
    while (done < bytes)
    {
        const uint32_t left = bytes - done;
        if (skip > 0 || left < block)
        {
            // vorbisfile delivers whole frames: a frame the caller wants only part
            // of is decoded aside.
            char frame[4];
            if (DecodeChunk(frame, static_cast<int>(block)) < static_cast<long>(block)) break;
            const uint32_t take = std::min(block - skip, left);
            std::memcpy(destination + done, frame + skip, take);
            done += take;
            skip = 0;
            continue;
        }
        const int length = static_cast<int>(std::min<uint32_t>(left / block * block, 1u << 20));
        const long got = DecodeChunk(reinterpret_cast<char*>(destination + done), length);
        if (got <= 0) break;
        done += static_cast<uint32_t>(got);
    }
    return done;
}

uint32_t TOggDataSource::Read(void* destination, uint32_t position, uint32_t bytes)
{
    TSoundLockGuard guard;
    if (!decoderOpen_ || decodeFailed_ || destination == nullptr || bytes == 0) return 0;
    if (static_cast<int64_t>(position) >= totalBytes_) return 0;
    const uint32_t block = static_cast<uint32_t>(channels_) * 2;
    const uint32_t frame = position / block;
    if (frame * block != position_ && !SeekTo(frame)) return 0;
    // Never past the length the header gave (the stream may hold more).
    const auto wanted = static_cast<uint32_t>(std::min<int64_t>(bytes, totalBytes_ - position));
    return Decode(static_cast<uint8_t*>(destination), position - frame * block, wanted);
}

std::shared_ptr<TSoundDataSource> TOggDataSourceBuilder::Create(const TString& name, bool stream)
{
    auto ogg = std::make_shared<TOggDataSource>();
    if (!ogg->Open(name, stream)) return nullptr;
    if (stream) return ogg;
    if (ogg->GetDuration() < 2.0 || GetSettingBool(kSettingKeepOggUncompressed))
    {
        if (auto memory = TMemDataSource::FromSource(*ogg)) return memory;
    }
    return ogg;
}

void RegisterOggDataSourceBuilder()
{
    static TOggDataSourceBuilder builder;
    RegisterDataSourceBuilder("ogg", &builder);
}
