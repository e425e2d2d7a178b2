// Packed archives: table-of-contents parsing with bounds checks, the archive
// table, and the read-only mappings the entry views point into.
#include "core/Archive.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/AssetIndex.h"
#include "core/FileHandle.h"
#include "core/Folders.h"
#include "core/Log.h"

namespace
{
std::vector<TFileMapHandler> gArchives;

// A damaged archive could name thousands of bad entries; the log gets the
// first few and a count.
constexpr int kLoggedBadEntries = 8;

uint32_t ReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

// ------------------------------------------------------------------ mapping

TFileMapData::~TFileMapData()
{
    Close();
}

bool TFileMapData::Open(const TString& path)
{
    Close();
    TString plain = path;
    if (plain.CharAt(0) == ':' && plain.CharAt(1) == ':') plain = plain.Substring(2);
    TString full = GetFullPathUtf8(plain);
    if (full.IsEmpty()) return false;
    int fd = open(full.CStr(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
    {
        close(fd);
        return false;
    }
    void* view = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    // The mapping keeps the file's pages reachable; the descriptor is not needed.
    close(fd);
    if (view == MAP_FAILED) return false;
    view_ = static_cast<const uint8_t*>(view);
    size_ = static_cast<size_t>(info.st_size);
    return true;
}

void TFileMapData::Close()
{
    if (view_ != nullptr) munmap(const_cast<uint8_t*>(view_), size_);
    view_ = nullptr;
    size_ = 0;
}

TFileMapHandler::TFileMapHandler() : data_(std::make_shared<TFileMapData>()) {}

bool TFileMapHandler::Open(const TString& path)
{
    path_ = path;
    Close();
    return data_->Open(path);
}

void TFileMapHandler::Close()
{
    data_ = std::make_shared<TFileMapData>();
}

std::vector<TFileMapHandler>& GetPackedArchives()
{
    return gArchives;
}

void ClearPackedArchives()
{
    gArchives.clear();
}

// ------------------------------------------------------------------- table

bool ParseArchiveTable(const uint8_t* bytes, size_t length, const TString& label,
                       std::vector<TArchiveEntry>& entries)
{
    entries.clear();
    if (bytes == nullptr || length < 4 || std::memcmp(bytes, "QVPK", 4) != 0)
    {
        // A damaged archive otherwise shows only as assets that are missing.
        LogPrintf("Packed archive %s skipped: not an archive", label.CStr());
        return false;
    }
    if (length < 8)
    {
        LogPrintf("Packed archive %s: header truncated", label.CStr());
        return false;
    }
    int32_t count = static_cast<int32_t>(ReadLe32(bytes + 4));
    size_t at = 8;
    int bad = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        if (length - at < 1 || length - at - 1 < static_cast<size_t>(bytes[at]) + 8)
        {
            LogPrintf("Packed archive %s: table of contents truncated after %d of %d entries",
                      label.CStr(), static_cast<int>(i), static_cast<int>(count));
            break;
        }
        size_t nameLength = bytes[at];
        const char* name = reinterpret_cast<const char*>(bytes + at + 1);
        uint32_t offset = ReadLe32(bytes + at + 1 + nameLength);
        uint32_t size = ReadLe32(bytes + at + 5 + nameLength);
        at += 9 + nameLength;

        const char* problem = nullptr;
        if (!IsSafeEntryName(name, nameLength))
            problem = "name not allowed";
        else if (static_cast<uint64_t>(offset) + size > length)
            problem = "data outside the file";
        else if (size > static_cast<uint32_t>(INT_MAX))
            problem = "entry too large";
        if (problem != nullptr)
        {
            if (bad++ < kLoggedBadEntries)
            {
                TString shown(name, static_cast<int>(nameLength));
                LogPrintf("Packed archive %s: entry %d (%s) skipped: %s", label.CStr(),
                          static_cast<int>(i), shown.CStr(), problem);
            }
            continue;
        }
        TArchiveEntry entry;
        entry.name = TString(name, static_cast<int>(nameLength));
        entry.offset = offset;
        entry.size = size;
        entries.push_back(entry);
    }
    if (bad > kLoggedBadEntries)
        LogPrintf("Packed archive %s: %d entries skipped in all", label.CStr(), bad);
    return true;
}

// ---------------------------------------------------------------- reading

namespace
{
void EnterEntries(int number, const std::vector<TArchiveEntry>& entries)
{
    TFileNameIndex& index = GetFileNameIndex();
    for (const TArchiveEntry& entry : entries)
    {
        TString key = entry.name;
        key.ToLower();
        TResolvedName value;
        value.text = TString::Format("@%d:%ld,%ld", number, static_cast<long>(entry.offset),
                                     static_cast<long>(entry.size));
        value.kind = TFileKind::kArchive;
        index[key] = value;
    }
}

// The whole file through a handle, for the rare file that opens but cannot
// be mapped: its entries still enter the index, as the views then report.
bool ReadWholeFile(const TString& path, std::vector<uint8_t>& bytes)
{
    TFileHandle file;
    if (!file.Open(path, kFileReadBinary)) return false;
    int length = file.GetLength();
    if (length <= 0) return false;
    bytes.resize(static_cast<size_t>(length));
    bytes.resize(static_cast<size_t>(std::max(0, file.Read(bytes.data(), length))));
    return true;
}
}  // namespace

int ReadPackedArchive(const TString& path)
{
    size_t number = gArchives.size();
    for (size_t i = 0; i < gArchives.size(); ++i)
    {
        if (gArchives[i].GetPath() == path)
        {
            number = i;
            gArchives[i].Close();
            break;
        }
    }
    if (number > static_cast<size_t>(INT_MAX)) return -1;

    TFileMapHandler handler;
    std::vector<TArchiveEntry> entries;
    if (handler.Open(path))
    {
        if (!ParseArchiveTable(handler.GetView(), handler.GetSize(), path, entries)) return -1;
    }
    else
    {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, bytes))
        {
            LogPrintf("Packed archive %s skipped: it cannot be read", path.CStr());
            return -1;
        }
        if (!ParseArchiveTable(bytes.data(), bytes.size(), path, entries)) return -1;
        LogPrintf("Failed to open flat file %s", path.CStr());
    }
    EnterEntries(static_cast<int>(number), entries);
    if (number == gArchives.size())
        gArchives.push_back(handler);
    else
        gArchives[number] = handler;
    return static_cast<int>(entries.size());
}

void FindPackedArchives(const TString& folder)
{
    std::vector<TString> names;
    TFolderIterator it;
    it.Begin(folder);
    TString name;
    while (it.Next(name))
    {
        if (std::strstr(name.CStr(), ".qvp") != nullptr) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const TString& archive : names) ReadPackedArchive(TString("::assets/") + archive);
}
