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
    m_error.clear();
    std::string real = GetCanonicalPath(path);
    struct stat st;
    if (real.empty() || stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    {
        m_error = "not found";
        return false;
    }
    bool allowed = false;
    for (const auto& folder : allowedFolders) allowed = allowed || IsInsideFolder(real, folder);
    if (!allowed)
    {
        m_error = "outside the program's folders";
        return false;
    }
    // The canonical path is what is loaded, so a link swapped after the check
    // cannot redirect the load (dlopen of a path never searches).
    m_handle = dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
    {
        const char* err = dlerror();
        m_error = err ? err : "cannot be loaded";
        return false;
    }
    return true;
}

void* Library::Symbol(const char* name) const
{
    if (!m_handle || !name) return nullptr;
    return dlsym(m_handle, name);
}

void Library::Close()
{
    if (m_handle)
    {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

}  // namespace platform
