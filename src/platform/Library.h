// Optional libraries loaded at run time (the harness and game-state
// modules), only from folders the program trusts.
#pragma once

#include <string>
#include <vector>

namespace platform
{

class Library
{
public:
    Library() = default;
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Loads the library at path when its canonical location lies inside one
    // of the allowed folders (checked after symbolic links are resolved).
    // False, with the reason in LastError(), when outside, missing or
    // unloadable.
    bool Open(const std::string& path, const std::vector<std::string>& allowedFolders);
    // The entry's address, or null when the library lacks it or is closed.
    void* Symbol(const char* name) const;
    bool IsOpen() const { return handle_ != nullptr; }
    void Close();
    const std::string& LastError() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

// Whether path (canonical) lies inside folder (canonicalised here); false
// when either does not exist.
bool IsInsideFolder(const std::string& path, const std::string& folder);

}  // namespace platform
