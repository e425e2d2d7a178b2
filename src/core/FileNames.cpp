// The logical-name resolver and the operations over logical names: open,
// exists, delete, memory files and enumeration of the index.
#include "core/FileNames.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "core/Folders.h"
#include "core/Log.h"

namespace
{
std::map<std::pair<uintptr_t, uint64_t>, int> gMemoryBlocks;

bool HasDotDotComponent(const TString& text)
{
    const char* p = text.CStr();
    const char* start = p;
    for (;; ++p)
    {
        if (*p == '/' || *p == '\\' || *p == '\0')
        {
            if (p - start == 2 && start[0] == '.' && start[1] == '.') return true;
            if (*p == '\0') return false;
            start = p + 1;
        }
    }
}

// A lower-cased copy of a name for index lookups, on the stack when short,
// so that resolving a name the index already holds allocates nothing.
class TLowerName
{
public:
    explicit TLowerName(const TString& name)
    {
        const char* in = name.CStr();
        size_t length = std::strlen(in);
        char* out = small_;
        if (length >= sizeof(small_))
        {
            big_.resize(length);
            out = big_.data();
        }
        for (size_t i = 0; i < length; ++i)
        {
            char c = in[i];
            out[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        out[length] = '\0';
        text_ = out;
    }
    TLowerName(const TLowerName&) = delete;
    TLowerName& operator=(const TLowerName&) = delete;
    const char* CStr() const { return text_; }

private:
    char small_[256];
    std::string big_;
    const char* text_ = small_;
};

void ForgetMemoryBlock(const TResolvedName& value)
{
    if (value.kind != TFileKind::kMemory) return;
    const char* text = value.text.CStr();
    const char* comma = std::strchr(text, ',');
    uint64_t address = 0;
    uint64_t size = 0;
    if (comma == nullptr || !ParseDecimal(text + 1, address) || !ParseDecimal(comma + 1, size))
        return;
    auto it = gMemoryBlocks.find({static_cast<uintptr_t>(address), size});
    if (it != gMemoryBlocks.end() && --it->second <= 0) gMemoryBlocks.erase(it);
}

// Creates the missing folders between a data folder and the file of path.
// Nothing is created outside the data folders, nor for paths that climb
// with "..".
void CreateFoldersFor(const TString& path)
{
    TString base;
    TString user = GetUserDataFolder();
    TString common = GetCommonDataFolder();
    if (!user.IsEmpty() && NameStartsWith(path, (user + "/").CStr()))
        base = user;
    else if (!common.IsEmpty() && NameStartsWith(path, (common + "/").CStr()))
        base = common;
    else
        return;
    TString rest = path.Substring(base.Length() + 1);
    if (HasDotDotComponent(rest)) return;
    std::string folder(base.CStr());
    const char* p = rest.CStr();
    for (const char* slash = std::strchr(p, '/'); slash != nullptr; slash = std::strchr(p, '/'))
    {
        folder += '/';
        folder.append(p, static_cast<size_t>(slash - p));
        if (access(folder.c_str(), R_OK | W_OK) != 0) mkdir(folder.c_str(), 0755);
        p = slash + 1;
    }
}
}  // namespace

TResolvedName ResolveFileNameTagged(const TString& name, bool reading)
{
    TResolvedName none;
    // A literal path keeps its case: this file system tells cases apart.
    if (NameStartsWith(name, "::"))
    {
        TString path = name.Substring(2);
        if (!path.IsEmpty() && access(path.CStr(), R_OK) == 0)
        {
            TResolvedName found;
            found.text = path;
            found.kind = TFileKind::kDisk;
            return found;
        }
        return none;
    }

    TLowerName lower(name);
    TFileNameIndex& index = GetFileNameIndex();
    auto hit = index.find(lower.CStr());
    if (hit != index.end() && !hit->second.IsEmpty()) return hit->second;

    TString key(lower.CStr());

    if (reading && !IsNameAllowed(key)) return none;

    struct
    {
        const char* prefix;
        TString folder;
    } const kPrefixes[] = {
        {"user:", GetUserDataFolder()},
        {"common:", GetCommonDataFolder()},
        {"desktop:", GetDesktopFolder()},
    };
    for (const auto& entry : kPrefixes)
    {
        if (!NameStartsWith(key, entry.prefix)) continue;
        // An unavailable folder must not turn "user:x" into "/x".
        if (entry.folder.IsEmpty()) return none;
        TString rest = name.Substring(static_cast<int>(std::strlen(entry.prefix)));
        // A ".." component would lead out of the data folder (for writing
        // too, and with the name then cached in the index).
        if (HasDotDotComponent(rest)) return none;
        TString path = entry.folder + "/" + rest;
        if (reading && access(path.CStr(), R_OK | W_OK) != 0) return none;
        TResolvedName found;
        found.text = path;
        found.kind = TFileKind::kDisk;
        index[key] = found;
        return found;
    }

    if (NameStartsWith(key, "assets") && (key.CharAt(6) == '/' || key.CharAt(6) == '\\'))
        return ResolveFileNameTagged(name.Substring(7), false);
    return none;
}

TString ResolveFileName(const TString& name, bool reading)
{
    return ResolveFileNameTagged(name, reading).text;
}

bool FileExists(const TString& name)
{
    return !ResolveFileNameTagged(name, true).IsEmpty();
}

bool TFileHandle::Open(const TString& name, int mode)
{
    Close();
    TResolvedName resolved = ResolveFileNameTagged(name, mode < 2);
    if (resolved.IsEmpty()) return false;
    TFileData* data = nullptr;
    switch (resolved.kind)
    {
        case TFileKind::kArchive:
            data = new TFlatFileMap;
            break;
        case TFileKind::kMemory:
            data = new TMemoryFile;
            break;
        default:
            if (mode >= 2 && mode <= 5) CreateFoldersFor(resolved.text);
            data = new TDiskFileData;
            break;
    }
    // A view that fails to open is not kept: a handle that reports IsOpen
    // after a failed open would read as an empty file.
    if (!data->Open(resolved.text, mode))
    {
        delete data;
        return false;
    }
    data_ = data;
    return true;
}

TFileHandle* OpenFileByName(const TString& name, int mode)
{
    TFileHandle* handle = new TFileHandle;
    if (!handle->Open(name, mode))
    {
        delete handle;
        return nullptr;
    }
    return handle;
}

bool DeleteFileByName(const TString& name)
{
    TResolvedName resolved = ResolveFileNameTagged(name, true);
    if (resolved.IsEmpty() || resolved.kind == TFileKind::kArchive) return false;
    // The index keys are lower-case, so the entry is erased under that form
    // (a mixed-case name would otherwise leave a stale entry behind).
    TString key = LowerCaseName(name);
    TFileNameIndex& index = GetFileNameIndex();
    if (resolved.kind == TFileKind::kMemory)
    {
        auto it = index.find(key);
        if (it != index.end())
        {
            ForgetMemoryBlock(it->second);
            index.erase(it);
        }
        return true;
    }
    if (!(NameStartsWith(name, "user:") || NameStartsWith(name, "common:")) || name.Find("..") >= 0)
        return false;
    if (unlink(resolved.text.CStr()) != 0) return false;
    index.erase(key);
    return true;
}

void RegisterMemoryFile(TFileNameIndex& index, const TString& name, const void* address,
                        size_t size)
{
    TString key = LowerCaseName(name);
    auto it = index.find(key);
    if (it != index.end())
    {
        ForgetMemoryBlock(it->second);
        if (size == 0) index.erase(it);
    }
    if (size == 0) return;
    if (address == nullptr || size > static_cast<size_t>(INT_MAX))
    {
        LogPrintf("Memory file %s refused: bad address or size", name.CStr());
        if (it != index.end()) index.erase(it);
        return;
    }
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    TResolvedName value;
    value.text = TString::Format("&%lu,%lu", static_cast<unsigned long>(at),
                                 static_cast<unsigned long>(size));
    value.kind = TFileKind::kMemory;
    index[key] = value;
    ++gMemoryBlocks[{at, static_cast<uint64_t>(size)}];
}

void RegisterMemoryFileByName(const TString& name, const void* address, size_t size)
{
    RegisterMemoryFile(GetFileNameIndex(), name, address, size);
}

bool IsRegisteredMemoryBlock(uintptr_t address, uint64_t size)
{
    return gMemoryBlocks.find({address, size}) != gMemoryBlocks.end();
}

bool FindNextAssetName(const TString& folder, TString& name, bool recursive)
{
    TString lowerFolder = LowerCaseName(folder);
    int folderLength = lowerFolder.Length();
    TFileNameIndex& index = GetFileNameIndex();
    auto it = index.lower_bound(name.IsEmpty() ? lowerFolder : name);
    if (it != index.end() && !name.IsEmpty() && std::strcmp(it->first.CStr(), name.CStr()) == 0)
        ++it;
    for (; it != index.end(); ++it)
    {
        const TString& key = it->first;
        if (!NameStartsWith(key, lowerFolder.CStr())) return false;
        if (!recursive && key.Length() > folderLength + 1 &&
            std::strchr(key.CStr() + folderLength + 1, '/') != nullptr)
            continue;
        name = key;
        return true;
    }
    return false;
}

bool IsNativeCodeNameAllowed(const TString& name)
{
    TString key = LowerCaseName(name);
    if (NameStartsWith(key, "user:") || NameStartsWith(key, "common:") ||
        NameStartsWith(key, "desktop:") || NameStartsWith(key, "::"))
        return false;
    TResolvedName resolved = ResolveFileNameTagged(name, true);
    return resolved.kind == TFileKind::kDisk && IsNativeCodePathAllowed(resolved.text);
}
