// Program path, current folder and URL opening.
#include "platform/Process.h"

#include <limits.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <vector>

#include "core/Log.h"

extern char** environ;

namespace platform
{

std::string GetProgramPath()
{
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return std::string();
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string GetCurrentFolder()
{
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return std::string();
    std::string out(cwd);
    free(cwd);
    return out;
}

bool SetCurrentFolder(const std::string& path)
{
    return !path.empty() && chdir(path.c_str()) == 0;
}

std::string GetCanonicalPath(const std::string& path)
{
    if (path.empty()) return std::string();
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return std::string();
    std::string out(real);
    free(real);
    return out;
}

bool OpenUrl(const std::string& url)
{
    if (url.empty()) return false;
    // Earlier openers are reaped without blocking, so none lingers as a
    // zombie and children that other code started are left alone.
    static std::vector<pid_t> pending;
    for (auto it = pending.begin(); it != pending.end();)
    {
        int status;
        if (waitpid(*it, &status, WNOHANG) != 0)
            it = pending.erase(it);
        else
            ++it;
    }
    std::string arg = url;
    char prog[] = "xdg-open";
    char* argv[] = {prog, arg.data(), nullptr};
    pid_t pid;
    int rc = posix_spawnp(&pid, prog, nullptr, nullptr, argv, environ);
    if (rc != 0)
    {
        LogPrintf("ERROR: xdg-open could not be started for %s", url.c_str());
        return false;
    }
    pending.push_back(pid);
    return true;
}

}  // namespace platform
