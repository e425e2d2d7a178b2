// Replacing a file so that a crash or power cut leaves either the old or the
// new contents, never a mix: the bytes go to a temporary file beside it,
// which is synced and renamed over the old one.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Runs after the temporary file is written and synced, before the rename;
// returning false abandons the write there (as a crash would), leaving the
// temporary file behind.
using TBeforeRename = std::function<bool(const char* temporaryPath)>;

// Writes size bytes over path through "<path>.tmp"; the folder must exist.
// False on any failure, with one log line "<what>: cannot save|replace ..."
// (the old file is then untouched and the temporary removed). A folder that
// cannot be synced after the rename is only logged: the new file is in place.
bool WriteFileAtomically(const char* what, const std::string& path, const void* data, size_t size,
                         const TBeforeRename& beforeRename = {});
