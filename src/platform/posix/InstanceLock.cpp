// Single-instance lock over flock, and the raise request a second instance
// sends to the first.
#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Log.h"

namespace platform
{

namespace
{

volatile sig_atomic_t gRaiseRequests = 0;

void OnRaiseSignal(int)
{
    gRaiseRequests = gRaiseRequests + 1;
}

std::string RuntimeFolder()
{
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    // A relative or empty value is not a place to trust with a lock.
    if (dir && dir[0] == '/')
    {
        struct stat st;
        if (stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) return dir;
    }
    return "/tmp";
}

}  // namespace

std::string InstanceLock::PathFor(const std::string& name)
{
    return RuntimeFolder() + "/" + name + ".lock";
}

InstanceLock::~InstanceLock()
{
    Release();
}

bool InstanceLock::Acquire(const std::string& name)
{
    Release();
    std::string path = PathFor(name);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
    {
        LogPrintf("Instance lock %s cannot be opened: %s", path.c_str(), std::strerror(errno));
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        int err = errno;
        close(fd);
        if (err == EWOULDBLOCK) return false;
        LogPrintf("Instance lock %s cannot be taken: %s", path.c_str(), std::strerror(err));
        return true;
    }
    fd_ = fd;
    char pid[32];
    int n = std::snprintf(pid, sizeof pid, "%ld\n", static_cast<long>(getpid()));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid, static_cast<size_t>(n), 0) != n)
        LogPrintf("Instance lock %s: process id not written", path.c_str());
    return true;
}

void InstanceLock::Release()
{
    if (fd_ >= 0)
    {
        // The file stays: removing it would let a third instance lock a new
        // file while a second still waits on the old one.
        flock(fd_, LOCK_UN);
        close(fd_);
        fd_ = -1;
    }
}

bool InstanceLock::SignalHolder(const std::string& name)
{
    std::string path = PathFor(name);
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    // Only a file of this user names a process worth signalling: a file
    // planted by someone else in a shared folder could name any of ours.
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_uid != getuid() || !S_ISREG(st.st_mode))
    {
        close(fd);
        return false;
    }
    char buf[32] = {};
    ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0) return false;
    char* end = nullptr;
    long pid = std::strtol(buf, &end, 10);
    if (pid <= 1 || end == buf || pid == static_cast<long>(getpid())) return false;
    return kill(static_cast<pid_t>(pid), SIGUSR1) == 0;
}

void InstallRaiseRequestHandler()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnRaiseSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &sa, nullptr);
}

bool TakeRaiseRequest()
{
    if (gRaiseRequests == 0) return false;
    gRaiseRequests = 0;
    return true;
}

}  // namespace platform
