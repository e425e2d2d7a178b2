// Program and data folders, folder listing, OS version tests and the hex
// formatter, over POSIX.
#include "core/Folders.h"

#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"

namespace
{
TString gProgramFolder;
bool gProgramFolderKnown = false;
TString gUserDataFolder;
TString gCommonDataFolder;
TString gDesktopFolder;

// A moved data folder leaves the names resolved under the old one in the
// file name index; they would still lead there (a profile read from one
// folder and written to another).
void ForgetResolvedNames(const char* prefix, const TString& before, const TString& after)
{
    if (before == after) return;
    TFileNameIndex& index = GetFileNameIndex();
    const size_t length = std::strlen(prefix);
    for (auto it = index.lower_bound(TString(prefix));
         it != index.end() && std::strncmp(it->first.CStr(), prefix, length) == 0;)
    {
        auto next = std::next(it);
        if (it->second.kind == TFileKind::kDisk) index.erase(it);
        it = next;
    }
}

constexpr int kReportedMajor = 6;
constexpr int kReportedMinor = 1;

TString StripTrailingSlash(const TString& folder)
{
    TString out = folder;
    int length = out.Length();
    while (length > 1 && out.CharAt(length - 1) == '/')
    {
        out.Erase(length - 1, 1);
        --length;
    }
    return out;
}

bool IsAbsolute(const char* text)
{
    return text != nullptr && text[0] == '/';
}

TString HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (IsAbsolute(home)) return TString(home);
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && IsAbsolute(found->pw_dir))
        return TString(found->pw_dir);
    return TString();
}

// A publisher or product name becomes one folder name: separators cannot
// nest it elsewhere, and "." or ".." would climb out of the data folder.
bool MakeFolderName(const TString& name, TString& out)
{
    out = name;
    out.Replace("/", "_", kReplaceAll);
    return !(out.IsEmpty() || out == TString(".") || out == TString(".."));
}
}  // namespace

void CreateFolderChain(const TString& path)
{
    std::string text(path.CStr());
    for (size_t i = 1; i <= text.size(); ++i)
    {
        if (i == text.size() || text[i] == '/')
        {
            std::string part = text.substr(0, i);
            if (!part.empty()) mkdir(part.c_str(), 0755);
        }
    }
}

TString GetFullPathUtf8(const TString& name)
{
    if (name.IsEmpty()) return TString();
    std::string path;
    if (name.CharAt(0) != '/')
    {
        TString cwd = GetCurrentDirectoryUtf8();
        if (cwd.IsEmpty()) return TString();
        path = cwd.CStr();
        path += '/';
    }
    path += name.CStr();

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..")
        {
            if (!parts.empty()) parts.pop_back();
        }
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
    {
        out += '/';
        out += part;
    }
    if (out.empty())
        out = "/";
    else if (path.back() == '/')
        out += '/';
    return TString(out.c_str());
}

void ToShortPath(char* buffer, int size)
{
    if (buffer == nullptr || size <= 0) return;
    buffer[size - 1] = '\0';
}

TString GetCurrentDirectoryUtf8()
{
    std::vector<char> buffer(1200);
    for (;;)
    {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) return TString(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 24)) return TString();
        buffer.resize(buffer.size() * 2);
    }
}

int GetAppDataFolder(bool shared, TString& out, const TString& productName)
{
    // A publisher stored as "" puts the folders straight under the base.
    TString publisher = GetSetting(kSettingPublisher, "Corvantis");
    TString product;
    if ((!publisher.IsEmpty() && !MakeFolderName(publisher, publisher)) ||
        !MakeFolderName(productName, product))
        return -1;

    TString base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (IsAbsolute(xdg))
        base = xdg;
    else
    {
        TString home = HomeFolder();
        if (home.IsEmpty()) return -1;
        base = home + "/.local/share";
    }
    base = StripTrailingSlash(base);
    TString parent = publisher.IsEmpty() ? base : base + "/" + publisher;
    TString folder = parent + "/" + (shared ? TString("common") : product);
    CreateFolderChain(folder);
    out = folder + "/";
    return 0;
}

int GetDesktopDir(TString& out)
{
    TString folder;
    const char* xdg = std::getenv("XDG_DESKTOP_DIR");
    if (IsAbsolute(xdg))
        folder = xdg;
    else
    {
        TString home = HomeFolder();
        if (home.IsEmpty()) return -1;
        folder = home + "/Desktop";
    }
    folder = StripTrailingSlash(folder);
    mkdir(folder.CStr(), 0755);
    out = folder;
    return 0;
}

bool GetDataFolder(int kind, TString& out, const TString& productName)
{
    switch (kind)
    {
        case kFolderUserData:
            return GetAppDataFolder(false, out, productName) == 0;
        case kFolderSharedData:
            return GetAppDataFolder(true, out, productName) == 0;
        case kFolderDesktop:
            return GetDesktopDir(out) == 0;
        default:
            return false;
    }
}

TString GetProgramFolder()
{
    if (!gProgramFolderKnown)
    {
        std::vector<char> buffer(PATH_MAX + 1);
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
        if (n > 0)
        {
            buffer[n] = '\0';
            char* slash = std::strrchr(buffer.data(), '/');
            if (slash != nullptr) *(slash == buffer.data() ? slash + 1 : slash) = '\0';
            gProgramFolder = buffer.data();
        }
        else
            gProgramFolder = GetCurrentDirectoryUtf8();
        gProgramFolderKnown = true;
    }
    return gProgramFolder;
}

void SetProgramFolder(const TString& folder)
{
    gProgramFolder = StripTrailingSlash(folder);
    gProgramFolderKnown = true;
}

TString GetUserDataFolder()
{
    return gUserDataFolder;
}
void SetUserDataFolder(const TString& folder)
{
    const TString before = gUserDataFolder;
    gUserDataFolder = StripTrailingSlash(folder);
    ForgetResolvedNames("user:", before, gUserDataFolder);
}
TString GetCommonDataFolder()
{
    return gCommonDataFolder;
}
void SetCommonDataFolder(const TString& folder)
{
    const TString before = gCommonDataFolder;
    gCommonDataFolder = StripTrailingSlash(folder);
    ForgetResolvedNames("common:", before, gCommonDataFolder);
}
TString GetDesktopFolder()
{
    return gDesktopFolder;
}
void SetDesktopFolder(const TString& folder)
{
    const TString before = gDesktopFolder;
    gDesktopFolder = StripTrailingSlash(folder);
    ForgetResolvedNames("desktop:", before, gDesktopFolder);
}

void SetDataFolders(const TString& productName, const TString& commandLine, bool embeddedWithoutPq)
{
    TString program = GetProgramFolder();
    if (embeddedWithoutPq)
    {
        SetUserDataFolder(program);
        SetCommonDataFolder(program);
        SetDesktopFolder(program);
    }
    else
    {
        TString user;
        if (!GetDataFolder(kFolderUserData, user, productName)) user = program;
        TString shared;
        if (!GetDataFolder(kFolderSharedData, shared, productName)) shared = user;
        TString desktop;
        if (!GetDataFolder(kFolderDesktop, desktop, productName)) desktop = user;
        SetUserDataFolder(user);
        SetCommonDataFolder(shared);
        SetDesktopFolder(desktop);
    }

    int at = commandLine.Find("-wd=");
    if (at >= 0)
    {
        TString rest = commandLine.Substring(at + 4);
        TString folder;
        if (rest.CharAt(0) == '"')
        {
            rest = rest.Substring(1);
            int end = rest.FindChar('"');
            folder = end < 0 ? rest : rest.Substring(0, end);
        }
        else
        {
            int end = rest.FindChar(' ');
            folder = end < 0 ? rest : rest.Substring(0, end);
        }
        LogPrintf("Switching current directory to: %s", folder.CStr());
        if (folder.IsEmpty() || chdir(folder.CStr()) != 0)
            LogPrintf("Cannot change the current directory to %s: %s", folder.CStr(),
                      std::strerror(errno));
    }
}

namespace
{
// True when path equals folder or lies below it (both real paths).
bool IsInside(const std::string& path, const TString& folder)
{
    if (folder.IsEmpty()) return false;
    char resolved[PATH_MAX];
    if (realpath(folder.CStr(), resolved) == nullptr) return false;
    std::string base(resolved);
    if (base == "/") return true;
    return path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
           path[base.size()] == '/';
}
}  // namespace

bool IsNativeCodePathAllowed(const TString& path)
{
    if (path.IsEmpty()) return false;
    char resolved[PATH_MAX];
    if (realpath(path.CStr(), resolved) == nullptr) return false;
    struct stat info;
    if (stat(resolved, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::string real(resolved);
    // The data folders may sit inside the program folder (an embedded run
    // keeps them there), so they are ruled out first.
    if (IsInside(real, gUserDataFolder) || IsInside(real, gCommonDataFolder) ||
        IsInside(real, gDesktopFolder))
        return false;
    TString program = GetProgramFolder();
    return IsInside(real, program) || IsInside(real, program + "/assets");
}

TFolderIterator::~TFolderIterator()
{
    Close();
}

void TFolderIterator::Begin(const TString& folder)
{
    Close();
    if (folder.IsEmpty()) return;
    dir_ = opendir(folder.CStr());
    folder_ = folder;
}

void TFolderIterator::Close()
{
    if (dir_ != nullptr) closedir(dir_);
    dir_ = nullptr;
}

bool TFolderIterator::Next(TString& name, bool* isFolder, bool* isLink)
{
    while (dir_ != nullptr)
    {
        struct dirent* entry = readdir(dir_);
        if (entry == nullptr)
        {
            Close();
            return false;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        bool link = entry->d_type == DT_LNK;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || link)
        {
            TString full = folder_ + "/" + entry->d_name;
            struct stat info;
            if (entry->d_type == DT_UNKNOWN && lstat(full.CStr(), &info) == 0)
                link = S_ISLNK(info.st_mode);
            folder = stat(full.CStr(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder == nullptr && folder) continue;
        name = entry->d_name;
        if (isFolder != nullptr) *isFolder = folder;
        if (isLink != nullptr) *isLink = link;
        return true;
    }
    return false;
}

bool VersionIsVistaOrLater(int major, int /*minor*/)
{
    return major > 5;
}

bool VersionIsXPOrLater(int major, int minor)
{
    return major > 5 || (major == 5 && minor != 0);
}

bool VersionIs7OrLater(int major, int minor)
{
    return major > 5 && minor != 0;
}

bool IsWindowsVistaOrLater()
{
    return VersionIsVistaOrLater(kReportedMajor, kReportedMinor);
}
bool IsWindowsXPOrLater()
{
    return VersionIsXPOrLater(kReportedMajor, kReportedMinor);
}
bool IsWindows7OrLater()
{
    return VersionIs7OrLater(kReportedMajor, kReportedMinor);
}

TString BytesToHex(const void* bytes, int count)
{
    if (bytes == nullptr || count <= 0) return TString();
    static const char kDigits[] = "0123456789ABCDEF";
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i)
    {
        out += kDigits[p[i] >> 4];
        out += kDigits[p[i] & 0x0F];
    }
    return TString(out.c_str());
}
