// Replacing files whole: new contents go to a temporary file beside each
// target and are synced there; only when every file of a set is complete are
// they renamed over their targets, and then their folders are synced.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/String.h"

// One file ready to replace its target.
struct TPreparedFile
{
    std::string target;     // operating-system path that will be replaced
    std::string temporary;  // beside it, holding the complete new contents
};

// Resolves name for writing (it must be a disk file: "user:", "common:",
// "desktop:" or a program-folder name), creates the missing folders of its
// path, writes bytes to "<target>.tmp" and syncs it. False on any failure,
// with one log line beginning "<who>: cannot save"; no temporary file is
// left and the target is untouched.
bool PrepareFileReplace(const char* who, const TString& name, const void* bytes, size_t size,
                        TPreparedFile& out);

// PrepareFileReplace for an operating-system path rather than a name (for
// files in a folder the caller was told, not one the names reach).
bool PrepareFileReplaceAtPath(const char* who, const std::string& path, const void* bytes,
                              size_t size, TPreparedFile& out);

// One file prepared and committed; true when the new contents are in place.
bool ReplaceFileAtPath(const char* who, const std::string& path, const void* bytes, size_t size);

// Renames every prepared file over its target, in order, then syncs each
// folder once. Returns -1 when all are in place. Otherwise returns the index
// of the file that failed (logged) and leaves every target as it was: the
// targets already replaced are put back from links to their old contents
// taken before the first rename (a target that did not exist is removed
// again). No temporary file is left either way.
int CommitFileReplace(const char* who, const std::vector<TPreparedFile>& files);

// Removes the temporary file of a prepared file that will not be committed.
void DiscardFileReplace(const TPreparedFile& file);

// Test seam: runs for each temporary file, in order, after all are prepared
// and before the first rename. Returning false fails the commit at that file
// (its index is returned); nothing has been replaced then.
using TFileReplaceHook = bool (*)(const char* temporaryPath);
void SetFileReplaceHookForTest(TFileReplaceHook hook);
