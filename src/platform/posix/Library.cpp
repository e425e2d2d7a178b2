// Run-time libraries over dlopen, restricted to trusted folders.
#include "platform/Library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "platform/Process.h"

namespace platform
{

bool IsInsideFolder(const std::string& path, const std::string& folder)
{
    std::string p = GetCanonicalPath(path);
    std::string f = GetCanonicalPath(folder);
    if (p.empty() || f.empty()) return false;
    if (f.back() != '/') f += '/';
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0;
}

Library::~Library()
{
    Close();
}

bool Library::Open(const std::string& path, const std::vector<std::string>& allowedFolders)
{
    Close();
    error_.clear();
    std::string real = GetCanonicalPath(path);
    struct stat st;
    if (real.empty() || stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    {
        error_ = "not found";
        return false;
    }
    bool allowed = false;
    for (const auto& folder : allowedFolders) allowed = allowed || IsInsideFolder(real, folder);
    if (!allowed)
    {
        error_ = "outside the program's folders";
        return false;
    }
    // The canonical path is what is loaded, so a link swapped after the check
    // cannot redirect the load (dlopen of a path never searches).
    handle_ = dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
    {
        const char* err = dlerror();
        error_ = err ? err : "cannot be loaded";
        return false;
    }
    return true;
}

void* Library::Symbol(const char* name) const
{
    if (!handle_ || !name) return nullptr;
    return dlsym(handle_, name);
}

void Library::Close()
{
    if (handle_)
    {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

}  // namespace platform
