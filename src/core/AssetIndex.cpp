// Building the asset index: the exclusion list file, the recursive folder
// scan (archives first, then loose files) and the index's global state.
#include "core/AssetIndex.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/Archive.h"
#include "core/FileData.h"
#include "core/Folders.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"

namespace
{
TFileNameIndex gIndex;
TExcludedNames gExcluded;
bool gFirstPeek = false;

constexpr int kListFileLimit = 100000;

using TVisited = std::set<std::pair<dev_t, ino_t>>;

void ScanFolder(const TString& folderPath, const TString& keyPrefix, TVisited& visited)
{
    struct stat info;
    if (stat(folderPath.CStr(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
    // Links are not followed, but a bind mount or hard-linked folder can
    // still lead back; each folder is scanned once.
    if (!visited.insert({info.st_dev, info.st_ino}).second) return;

    FindPackedArchives(folderPath);

    TString prefix = keyPrefix == TString(".") ? TString() : keyPrefix;
    TString relative;
    if (prefix.IsEmpty())
    {
        TString lowerPath = LowerCaseName(folderPath);
        relative = NameStartsWith(lowerPath, "assets") ? lowerPath.Substring(7) : lowerPath;
        if (!relative.IsEmpty()) relative += '/';
    }

    TFolderIterator it;
    it.Begin(folderPath);
    TString name;
    bool isFolder = false;
    bool isLink = false;
    while (it.Next(name, &isFolder, &isLink))
    {
        if (!IsSafeEntryName(name.CStr(), static_cast<size_t>(name.Length()))) continue;
        TString lowerName = LowerCaseName(name);
        TString key = prefix + relative + lowerName;
        if (!IsNameAllowed(key)) continue;
        TString path = folderPath + "/" + name;
        if (isFolder)
        {
            if (lowerName == TString(".svn") || isLink) continue;
            ScanFolder(path, prefix.IsEmpty() ? TString() : prefix + lowerName + "/", visited);
        }
        else
        {
            TResolvedName value;
            value.text = path;
            value.kind = TFileKind::kDisk;
            gIndex[key] = value;
        }
    }
}
}  // namespace

TFileNameIndex::iterator TFileNameIndex::find(const char* key)
{
    auto hit = byName_.find(std::string_view(key));
    return hit == byName_.end() ? map_.end() : hit->second;
}

TResolvedName& TFileNameIndex::operator[](const TString& key)
{
    auto [it, inserted] = map_.try_emplace(key);
    if (inserted) byName_.emplace(std::string_view(it->first.CStr()), it);
    return it->second;
}

void TFileNameIndex::erase(iterator it)
{
    byName_.erase(std::string_view(it->first.CStr()));
    map_.erase(it);
}

size_t TFileNameIndex::erase(const TString& key)
{
    auto it = find(key);
    if (it == end()) return 0;
    erase(it);
    return 1;
}

void TFileNameIndex::clear()
{
    byName_.clear();
    map_.clear();
}

TString LowerCaseName(const TString& name)
{
    TString out = name;
    out.ToLower();
    return out;
}

bool NameStartsWith(const TString& text, const char* prefix)
{
    return std::strncmp(text.CStr(), prefix, std::strlen(prefix)) == 0;
}

TFileNameIndex& GetFileNameIndex()
{
    return gIndex;
}

TExcludedNames& GetExcludedNames()
{
    return gExcluded;
}

void SetFirstPeekMode(bool on)
{
    gFirstPeek = on;
}

bool IsFirstPeekMode()
{
    return gFirstPeek;
}

void ClearAssetIndex()
{
    gIndex.clear();
    gExcluded.clear();
}

bool IsSafeEntryName(const char* name, size_t length)
{
    if (name == nullptr || length == 0 || name[0] == '/' || name[0] == '\\') return false;
    size_t componentStart = 0;
    for (size_t i = 0; i <= length; ++i)
    {
        if (i < length && (name[i] == ':' || name[i] == '\0')) return false;
        if (i == length || name[i] == '/' || name[i] == '\\')
        {
            if (i - componentStart == 2 && name[componentStart] == '.' &&
                name[componentStart + 1] == '.')
                return false;
            componentStart = i + 1;
        }
    }
    return true;
}

bool IsNameAllowed(const TString& name)
{
    return gExcluded.find(name) == gExcluded.end();
}

bool ReadAssetListFile(const TString& text, bool add)
{
    bool cleared = false;
    const char* p = text.CStr();
    while (*p != '\0')
    {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
        const char* start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') ++p;
        if (p == start) continue;
        TString token(start, static_cast<int>(p - start));
        token.ToLower();
        if (token == TString("-*"))
        {
            gExcluded.clear();
            cleared = true;
        }
        else if (add)
            gExcluded.insert(token);
        else
            gExcluded.erase(token);
    }
    return cleared;
}

void ScanAssetFolder(const TString& folderPath, const TString& keyPrefix)
{
    TVisited visited;
    ScanFolder(folderPath, keyPrefix, visited);
}

void BuildAssetIndex(const std::function<void()>& registerBuiltins)
{
    if (registerBuiltins) registerBuiltins();

    // The list file sits in the program folder, which is the current folder
    // at start-up; the index cannot find it, so it is opened by path.
    TDiskFileData list;
    if (list.Open(gFirstPeek ? "firstpeek.txt" : "final.txt", kFileReadBinary))
    {
        int length = list.GetLength();
        if (length > 0 && length < kListFileLimit)
        {
            std::string bytes(static_cast<size_t>(length), '\0');
            int got = list.Read(bytes.data(), length);
            if (got > 0) ReadAssetListFile(TString(bytes.data(), got), true);
        }
        list.Close();
    }

    struct stat assetsInfo;
    if (stat("assets", &assetsInfo) != 0 || !S_ISDIR(assetsInfo.st_mode) ||
        access("assets", R_OK | X_OK) != 0)
        LogPrintf("ERROR: the assets folder is missing or cannot be read");
    ScanAssetFolder("assets", "");
    if (GetSetting(kSettingActiveX) == TString("1")) return;
    TString user = GetUserDataFolder();
    if (!user.IsEmpty()) ScanAssetFolder(user, "user:");
    TString common = GetCommonDataFolder();
    if (!common.IsEmpty()) ScanAssetFolder(common, "common:");
}
