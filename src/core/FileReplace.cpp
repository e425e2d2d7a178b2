// Whole-file replacement: temporary files synced beside their targets, then
// renamed over them as a set, with the old contents kept until all are in.
#include "core/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileNames.h"
#include "core/Folders.h"
#include "core/Log.h"

namespace
{

TFileReplaceHook gHook = nullptr;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash ? slash : 1);
}

bool WriteAll(int fd, const unsigned char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0)
        {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool Exists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

void SyncFolder(const char* who, const std::string& folder)
{
    // Without this the renames themselves may not survive a power cut; the
    // new files are in place either way, so a failure here is only reported.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        LogPrintf("%s: cannot sync the folder %s: %s", who, folder.c_str(), std::strerror(errno));
    if (fd >= 0) ::close(fd);
}

}  // namespace

void SetFileReplaceHookForTest(TFileReplaceHook hook)
{
    gHook = hook;
}

bool PrepareFileReplace(const char* who, const TString& name, const void* bytes, size_t size,
                        TPreparedFile& out)
{
    const TResolvedName resolved = ResolveFileNameTagged(name, false);
    if (resolved.kind != TFileKind::kDisk || resolved.text.IsEmpty())
    {
        LogPrintf("%s: cannot save %s: no folder for it", who, name.CStr());
        return false;
    }
    return PrepareFileReplaceAtPath(who, resolved.text.CStr(), bytes, size, out);
}

bool PrepareFileReplaceAtPath(const char* who, const std::string& path, const void* bytes,
                              size_t size, TPreparedFile& out)
{
    CreateFolderChain(FolderOf(path).c_str());
    const std::string temporary = path + ".tmp";

    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        LogPrintf("%s: cannot save %s: %s", who, temporary.c_str(), std::strerror(errno));
        return false;
    }
    int error = 0;
    if (!WriteAll(fd, static_cast<const unsigned char*>(bytes), size) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0)
    {
        LogPrintf("%s: cannot save %s: %s", who, temporary.c_str(), std::strerror(error));
        ::unlink(temporary.c_str());
        return false;
    }
    out.target = path;
    out.temporary = temporary;
    return true;
}

bool ReplaceFileAtPath(const char* who, const std::string& path, const void* bytes, size_t size)
{
    std::vector<TPreparedFile> file(1);
    return PrepareFileReplaceAtPath(who, path, bytes, size, file[0]) &&
           CommitFileReplace(who, file) < 0;
}

void DiscardFileReplace(const TPreparedFile& file)
{
    ::unlink(file.temporary.c_str());
}

int CommitFileReplace(const char* who, const std::vector<TPreparedFile>& files)
{
    for (size_t i = 0; i < files.size(); ++i)
    {
        if (gHook && !gHook(files[i].temporary.c_str()))
        {
            LogPrintf("%s: save of %s abandoned before the rename", who, files[i].target.c_str());
            for (const TPreparedFile& file : files) DiscardFileReplace(file);
            return static_cast<int>(i);
        }
    }

    // A single rename is atomic on its own. For a set, each old file keeps a
    // second name until every new file is in, so a failing rename can put
    // the earlier ones back and the set never mixes old and new files.
    std::vector<std::string> kept(files.size());
    std::vector<bool> existed(files.size(), false);
    if (files.size() > 1)
    {
        for (size_t i = 0; i < files.size(); ++i)
        {
            existed[i] = Exists(files[i].target);
            if (!existed[i]) continue;
            const std::string old = files[i].target + ".old";
            ::unlink(old.c_str());
            if (::link(files[i].target.c_str(), old.c_str()) == 0)
                kept[i] = old;
            else
                LogPrintf("%s: cannot keep %s until the set is saved: %s", who,
                          files[i].target.c_str(), std::strerror(errno));
        }
    }

    int failed = -1;
    for (size_t i = 0; i < files.size(); ++i)
    {
        if (::rename(files[i].temporary.c_str(), files[i].target.c_str()) == 0) continue;
        LogPrintf("%s: cannot replace %s: %s", who, files[i].target.c_str(), std::strerror(errno));
        failed = static_cast<int>(i);
        for (size_t j = i; j < files.size(); ++j) DiscardFileReplace(files[j]);
        for (size_t j = 0; j < i; ++j)
        {
            const bool restored = !kept[j].empty()
                                      ? ::rename(kept[j].c_str(), files[j].target.c_str()) == 0
                                      : !existed[j] && ::unlink(files[j].target.c_str()) == 0;
            if (!restored)
                LogPrintf("%s: cannot put back the old %s%s", who, files[j].target.c_str(),
                          kept[j].empty() ? "" : " (kept as .old)");
            kept[j].clear();  // renamed back, or the only copy of the old contents
        }
        break;
    }
    for (const std::string& old : kept)
        if (!old.empty()) ::unlink(old.c_str());

    if (failed < 0)
    {
        std::vector<std::string> synced;
        for (const TPreparedFile& file : files)
        {
            const std::string folder = FolderOf(file.target);
            bool seen = false;
            for (const std::string& done : synced) seen = seen || done == folder;
            if (seen) continue;
            SyncFolder(who, folder);
            synced.push_back(folder);
        }
    }
    return failed;
}
