// Atomic file replacement over POSIX write, fsync and rename.
#include "core/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Log.h"

namespace
{

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

}  // namespace

bool WriteFileAtomically(const char* what, const std::string& path, const void* data, size_t size,
                         const TBeforeRename& beforeRename)
{
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
    const std::string temporary = path + ".tmp";

    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        LogPrintf("%s: cannot save %s: %s", what, temporary.c_str(), std::strerror(errno));
        return false;
    }
    int error = 0;
    if (!WriteAll(fd, static_cast<const unsigned char*>(data), size) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0)
    {
        LogPrintf("%s: cannot save %s: %s", what, temporary.c_str(), std::strerror(error));
        ::unlink(temporary.c_str());
        return false;
    }
    if (beforeRename && !beforeRename(temporary.c_str())) return false;
    if (::rename(temporary.c_str(), path.c_str()) != 0)
    {
        LogPrintf("%s: cannot replace %s: %s", what, path.c_str(), std::strerror(errno));
        ::unlink(temporary.c_str());
        return false;
    }
    // Without this the rename itself may not survive a power cut; the new
    // file is in place either way, so a failure here is only reported.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0 || ::fsync(dirFd) != 0)
        LogPrintf("%s: cannot sync the folder of %s: %s", what, path.c_str(), std::strerror(errno));
    if (dirFd >= 0) ::close(dirFd);
    return true;
}
