// File objects: the polymorphic file behind every TFileHandle, in three
// kinds: a file on disk, a registered block of memory, and one entry of a
// mapped packed archive.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "core/String.h"

// Open modes: 0 "rb", 1 "rt", 2 "wb", 3 "wt", 4 "ab", 5 "at". Modes 0 and 1
// read. Any other value opens a disk file as "rt".
enum : int
{
    kFileReadBinary = 0,
    kFileReadText = 1,
    kFileWriteBinary = 2,
    kFileWriteText = 3,
    kFileAppendBinary = 4,
    kFileAppendText = 5,
};

// Seek origins. Note the order: 0 is the current position, 1 the start.
enum : int
{
    kSeekCurrent = 0,
    kSeekStart = 1,
    kSeekEnd = 2,
};

class TFileData
{
public:
    virtual ~TFileData() = default;
    // False when the name cannot be opened in that mode.
    virtual bool Open(const TString& name, int mode) = 0;
    virtual void Close() = 0;
    // Steps back over the last byte read.
    virtual void UngetByte() = 0;
    virtual void Seek(int offset, int origin) = 0;
    // Size in bytes; 0 when closed.
    virtual int GetLength() = 0;
    virtual int Tell() = 0;
    // Bytes stored / written; 0 when closed or count <= 0.
    virtual int Read(void* buffer, int count) = 0;
    virtual int Write(const void* buffer, int count) = 0;
    virtual bool IsEof() = 0;
};

// A file on disk through a C stream. Text modes drop carriage returns on
// reading, so a disk file reads as the memory and archive views do; nothing
// is added on writing.
class TDiskFileData : public TFileData
{
public:
    TDiskFileData() = default;
    ~TDiskFileData() override;
    TDiskFileData(const TDiskFileData&) = delete;
    TDiskFileData& operator=(const TDiskFileData&) = delete;

    // False for an empty name or when the stream cannot be opened.
    bool Open(const TString& path, int mode) override;
    void Close() override;
    // Pushes the last byte read back; a second call without a read between
    // does nothing.
    void UngetByte() override;
    void Seek(int offset, int origin) override;
    int GetLength() override;
    // 0 when closed.
    int Tell() override;
    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    // True when closed.
    bool IsEof() override;

private:
    FILE* stream_ = nullptr;
    int lastByte_ = -1;
    bool text_ = false;
};

// Read-only view of a memory block that somebody else owns and keeps alive,
// named "&<address>,<size>" in decimal. Only blocks registered through
// RegisterMemoryFile (FileNames.h) can be opened: a name is never trusted as
// an address by itself.
class TMemoryFile : public TFileData
{
public:
    // False for modes 2 and above, an address of 0, a missing ",size", or a
    // block that was never registered.
    bool Open(const TString& name, int mode) override;
    void Close() override;
    void UngetByte() override;
    // Clamps the position to 0..size.
    void Seek(int offset, int origin) override;
    int GetLength() override { return size_; }
    int Tell() override { return position_; }
    // In text mode (1) carriage returns are dropped; the result counts the
    // bytes kept.
    int Read(void* buffer, int count) override;
    // Always 0.
    int Write(const void*, int) override { return 0; }
    // True as soon as the position reaches the size.
    bool IsEof() override { return position_ == size_; }

private:
    const uint8_t* data_ = nullptr;
    int size_ = 0;
    int position_ = 0;
    int mode_ = 0;
};

class TFileMapData;

// Read-only view of one packed-archive entry, named "@<archive>:<offset>,<size>".
// The view shares ownership of the archive's mapping, so re-reading the
// archive cannot pull the bytes away from an open view.
class TFlatFileMap : public TFileData
{
public:
    // Fails silently for an unknown archive number; logs
    // "error reading %s from flat file" for an archive that is not mapped; fails
    // (with a log line) when offset + size lie outside the mapping.
    bool Open(const TString& name, int mode) override;
    void Close() override;
    // Steps back one byte and clears the end flag.
    void UngetByte() override;
    // Clamps the position to 0..size; the end flag is cleared unless the
    // position was clamped at the size.
    void Seek(int offset, int origin) override;
    int GetLength() override { return size_; }
    int Tell() override { return position_; }
    // Sets the end flag when asked for more than is left. Text mode (1) drops
    // carriage returns.
    int Read(void* buffer, int count) override;
    // Always 0.
    int Write(const void*, int) override { return 0; }
    // The end flag: set by a read that asked for more than was left.
    bool IsEof() override { return atEnd_; }

private:
    int mode_ = 0;
    const uint8_t* data_ = nullptr;
    int size_ = 0;
    int position_ = 0;
    bool atEnd_ = false;
    std::shared_ptr<TFileMapData> mapping_;
};

// Reads the unsigned decimal number at text (digits only, at least one).
// False when there is none or it does not fit in 64 bits.
bool ParseDecimal(const char* text, uint64_t& value);
