// The three file objects: disk files over C streams, registered memory
// blocks, and views into mapped packed archives.
#include "core/FileData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "core/Archive.h"
#include "core/FileNames.h"
#include "core/Log.h"

bool ParseDecimal(const char* text, uint64_t& value)
{
    if (text == nullptr || *text < '0' || *text > '9') return false;
    uint64_t v = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        uint64_t digit = static_cast<uint64_t>(*text - '0');
        if (v > (UINT64_MAX - digit) / 10) return false;
        v = v * 10 + digit;
    }
    value = v;
    return true;
}

namespace
{
// Text-mode copy shared by the two views: carriage returns are dropped and
// bytes are taken until count are kept or the data ends.
int CopyText(const uint8_t* data, int size, int& position, uint8_t* out, int count)
{
    int kept = 0;
    while (kept < count && position < size)
    {
        uint8_t byte = data[position++];
        if (byte != '\r') out[kept++] = byte;
    }
    return kept;
}

// A read of count bytes (already clamped to what is left) shared by the two
// views: text mode (1) drops carriage returns, every other mode copies.
int CopyOut(const uint8_t* data, int size, int& position, int mode, void* buffer, int count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    if (mode == kFileReadText) return CopyText(data, size, position, out, count);
    std::memcpy(out, data + position, static_cast<size_t>(count));
    position += count;
    return count;
}

int NewPosition(int position, int size, int offset, int origin, bool& moved)
{
    long long target;
    moved = true;
    switch (origin)
    {
        case kSeekCurrent:
            target = static_cast<long long>(position) + offset;
            break;
        case kSeekStart:
            target = offset;
            break;
        case kSeekEnd:
            target = static_cast<long long>(size) + offset;
            break;
        default:
            moved = false;
            return position;
    }
    // Stepping before the start is clamped like stepping past the end.
    if (target < 0) target = 0;
    if (target > size) target = size;
    return static_cast<int>(target);
}
}  // namespace

// ---------------------------------------------------------------- disk file

TDiskFileData::~TDiskFileData()
{
    Close();
}

bool TDiskFileData::Open(const TString& path, int mode)
{
    Close();
    if (path.IsEmpty()) return false;
    int flags;
    const char* streamMode;
    switch (mode)
    {
        case kFileReadBinary:
            flags = O_RDONLY;
            streamMode = "rb";
            break;
        case kFileWriteBinary:
        case kFileWriteText:
            flags = O_WRONLY | O_CREAT | O_TRUNC;
            streamMode = "wb";
            break;
        case kFileAppendBinary:
        case kFileAppendText:
            flags = O_WRONLY | O_CREAT | O_APPEND;
            streamMode = "ab";
            break;
        default:
            flags = O_RDONLY;
            streamMode = "rb";
            break;
    }
    text_ = !(mode == kFileReadBinary || mode == kFileWriteBinary || mode == kFileAppendBinary);
    // Non-blocking for the open only: a FIFO or device named like an asset
    // must fail the open rather than hang the program.
    int fd = open(path.CStr(), flags | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        close(fd);
        return false;
    }
    int status = fcntl(fd, F_GETFL);
    if (status >= 0) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    stream_ = fdopen(fd, streamMode);
    if (stream_ == nullptr)
    {
        close(fd);
        return false;
    }
    lastByte_ = -1;
    return true;
}

void TDiskFileData::Close()
{
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    lastByte_ = -1;
}

int TDiskFileData::Read(void* buffer, int count)
{
    if (stream_ == nullptr || buffer == nullptr || count <= 0) return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int got;
    if (!text_)
        got = static_cast<int>(std::fread(out, 1, static_cast<size_t>(count), stream_));
    else
    {
        got = 0;
        while (got < count)
        {
            int c = std::fgetc(stream_);
            if (c == EOF) break;
            if (c != '\r') out[got++] = static_cast<uint8_t>(c);
        }
    }
    if (got > 0) lastByte_ = out[got - 1];
    return got;
}

void TDiskFileData::UngetByte()
{
    if (stream_ == nullptr || lastByte_ < 0) return;
    std::ungetc(lastByte_, stream_);
    lastByte_ = -1;
}

void TDiskFileData::Seek(int offset, int origin)
{
    if (stream_ == nullptr) return;
    int whence = origin == kSeekCurrent ? SEEK_CUR : origin == kSeekEnd ? SEEK_END : SEEK_SET;
    std::fseek(stream_, offset, whence);
}

int TDiskFileData::Tell()
{
    if (stream_ == nullptr) return 0;
    long position = std::ftell(stream_);
    return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

int TDiskFileData::GetLength()
{
    if (stream_ == nullptr) return 0;
    long remembered = std::ftell(stream_);
    std::fseek(stream_, 0, SEEK_END);
    long length = std::ftell(stream_);
    std::fseek(stream_, remembered, SEEK_SET);
    if (length < 0) return 0;
    return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

int TDiskFileData::Write(const void* buffer, int count)
{
    if (stream_ == nullptr || buffer == nullptr || count <= 0) return 0;
    return static_cast<int>(std::fwrite(buffer, 1, static_cast<size_t>(count), stream_));
}

bool TDiskFileData::IsEof()
{
    return stream_ == nullptr || std::feof(stream_) != 0;
}

// -------------------------------------------------------------- memory file

bool TMemoryFile::Open(const TString& name, int mode)
{
    Close();
    mode_ = mode;
    // Modes 2 and above write; any other value reads (as bytes unless 1).
    if (mode >= 2) return false;
    const char* text = name.CStr();
    uint64_t address = 0;
    if (text[0] == '\0' || !ParseDecimal(text + 1, address) || address == 0) return false;
    const char* comma = std::strchr(text, ',');
    uint64_t size = 0;
    if (comma == nullptr || !ParseDecimal(comma + 1, size) || size > INT_MAX ||
        !IsRegisteredMemoryBlock(static_cast<uintptr_t>(address), size))
    {
        Close();
        return false;
    }
    data_ = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
    size_ = static_cast<int>(size);
    position_ = 0;
    return true;
}

void TMemoryFile::Close()
{
    data_ = nullptr;
    size_ = 0;
    position_ = 0;
}

int TMemoryFile::Read(void* buffer, int count)
{
    if (data_ == nullptr || buffer == nullptr || count <= 0) return 0;
    if (static_cast<long long>(position_) + count > size_) count = size_ - position_;
    return CopyOut(data_, size_, position_, mode_, buffer, count);
}

void TMemoryFile::Seek(int offset, int origin)
{
    bool moved;
    position_ = NewPosition(position_, size_, offset, origin, moved);
}

void TMemoryFile::UngetByte()
{
    Seek(-1, kSeekCurrent);
}

// ------------------------------------------------------------ archive view

bool TFlatFileMap::Open(const TString& name, int mode)
{
    Close();
    const char* text = name.CStr();
    uint64_t number = 0;
    std::vector<TFileMapHandler>& archives = GetPackedArchives();
    if (text[0] == '\0' || !ParseDecimal(text + 1, number) || number >= archives.size())
        return false;
    const TFileMapHandler& archive = archives[static_cast<size_t>(number)];
    if (archive.GetView() == nullptr)
    {
        LogPrintf("error reading %s from flat file", text);
        return false;
    }
    const char* colon = std::strchr(text, ':');
    const char* comma = std::strchr(text, ',');
    uint64_t offset = 0;
    uint64_t size = 0;
    if (colon == nullptr || comma == nullptr || !ParseDecimal(colon + 1, offset) ||
        !ParseDecimal(comma + 1, size))
    {
        Close();
        return false;
    }
    uint64_t mapped = archive.GetSize();
    if (offset > mapped || size > mapped - offset || size > INT_MAX)
    {
        LogPrintf("Archive entry %s lies outside %s", text, archive.GetPath().CStr());
        Close();
        return false;
    }
    mapping_ = archive.GetData();
    data_ = archive.GetView() + offset;
    mode_ = mode;
    size_ = static_cast<int>(size);
    position_ = 0;
    atEnd_ = false;
    return true;
}

void TFlatFileMap::Close()
{
    data_ = nullptr;
    size_ = 0;
    position_ = 0;
    atEnd_ = true;
    mapping_.reset();
}

int TFlatFileMap::Read(void* buffer, int count)
{
    if (buffer == nullptr || count <= 0) return 0;
    if (static_cast<long long>(position_) + count > size_)
    {
        atEnd_ = true;
        count = size_ - position_;
    }
    if (data_ == nullptr || count <= 0) return 0;
    return CopyOut(data_, size_, position_, mode_, buffer, count);
}

void TFlatFileMap::Seek(int offset, int origin)
{
    bool moved;
    long long wanted = origin == kSeekCurrent ? static_cast<long long>(position_) + offset
                       : origin == kSeekEnd   ? static_cast<long long>(size_) + offset
                                              : offset;
    position_ = NewPosition(position_, size_, offset, origin, moved);
    if (moved && wanted <= size_) atEnd_ = false;
}

void TFlatFileMap::UngetByte()
{
    Seek(-1, kSeekCurrent);
    atEnd_ = false;
}
