// Process-level services: the program's own path, the current folder,
// opening a URL with the desktop's handler. Main thread only.
#pragma once

#include <string>

namespace platform
{

// Absolute path of the running program; "" when it cannot be read.
std::string GetProgramPath();
// Current working folder; "" on failure.
std::string GetCurrentFolder();
// False when the folder cannot be entered.
bool SetCurrentFolder(const std::string& path);
// Canonical absolute form of an existing path; "" when it does not exist.
std::string GetCanonicalPath(const std::string& path);

// Starts "xdg-open" with the text as its one argument, never through a
// shell. False when the program cannot be started; the child is reaped
// without waiting for it.
bool OpenUrl(const std::string& url);

}  // namespace platform
