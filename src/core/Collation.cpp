// Finding, holding and calling the optional locale library.
#include "core/Collation.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <string>

TDllCollateHandler::TDllCollateHandler(void* library, TCollateEntry entry)
    : library_(new void*(library)), entry_(entry)
{
}

TDllCollateHandler::TDllCollateHandler(TDllCollateHandler&& other) noexcept
    : library_(other.library_), entry_(other.entry_)
{
    other.library_ = nullptr;
    other.entry_ = nullptr;
}

TDllCollateHandler::~TDllCollateHandler()
{
    if (library_ != nullptr)
    {
        if (*library_ != nullptr) dlclose(*library_);
        delete library_;
    }
}

int TDllCollateHandler::Compare(const char* a, const char* b) const
{
    return entry_ != nullptr ? entry_(a, b) : 0;
}

TDllCollateHandler* LoadCollateHandler(const char* path)
{
    if (path == nullptr) return nullptr;
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    auto entry = reinterpret_cast<TCollateEntry>(dlsym(library, kCollateEntryName));
    if (entry == nullptr)
    {
        dlclose(library);
        return nullptr;
    }
    return new TDllCollateHandler(library, entry);
}

TDllCollateHandler* FindCollateHandler()
{
    // Only the program's own folder is trusted: never the library search path.
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n <= 0) return nullptr;
    std::string path(exe, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return nullptr;
    path.resize(slash + 1);
    path += kCollateLibraryName;
    if (access(path.c_str(), F_OK) != 0) return nullptr;
    return LoadCollateHandler(path.c_str());
}

int BytewiseCompare(const char* a, const char* b)
{
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    while (*x != 0 && *x == *y)
    {
        ++x;
        ++y;
    }
    return *x < *y ? -1 : (*x > *y ? 1 : 0);
}

namespace
{

// Found once and kept for the whole run; deliberately never freed, since
// comparisons may run during static destruction.
std::once_flag gLookupOnce;
TDllCollateHandler* gHandler = nullptr;

void LookUpOnce()
{
    std::call_once(gLookupOnce, [] { gHandler = FindCollateHandler(); });
}

}  // namespace

int CollateCompare(const char* a, const char* b)
{
    LookUpOnce();
    if (gHandler != nullptr) return gHandler->Compare(a, b);
    return BytewiseCompare(a, b);
}

TDllCollateHandler* InstallCollateHandler(TDllCollateHandler* handler)
{
    LookUpOnce();
    TDllCollateHandler* previous = gHandler;
    gHandler = handler;
    return previous;
}
