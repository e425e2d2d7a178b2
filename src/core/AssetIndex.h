// The asset index: the one map from lower-case logical names to resolved
// file texts, built at start-up from the assets folder, the packed archives
// and the data folders, minus the names of the exclusion list file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>

#include "core/String.h"

// What a resolved text is. The kind travels with the text, so a disk file
// whose name begins with '@' or '&' is never taken for a view.
enum class TFileKind : uint8_t
{
    kNone,
    kDisk,     // an operating-system path
    kMemory,   // "&<address>,<size>" of a registered memory block
    kArchive,  // "@<archive>:<offset>,<size>" of a packed-archive entry
};

struct TResolvedName
{
    TString text;
    TFileKind kind = TFileKind::kNone;

    bool IsEmpty() const { return kind == TFileKind::kNone || text.IsEmpty(); }
};

// Keys are lower-case logical names; values keep their on-disk case.
using TFileNameIndex = std::map<TString, TResolvedName>;

// The global index (FileNameIndex). Lives for the whole run.
TFileNameIndex& GetFileNameIndex();
// The global exclusion set (lower-case names).
std::set<TString>& GetExcludedNames();

// Selects "firstpeek.txt" instead of "final.txt" as the list file.
void SetFirstPeekMode(bool on);
bool IsFirstPeekMode();

// Builds the index once at start-up: runs registerBuiltins (the facade's
// system-cursor registration) when given, reads the list file from the
// current folder (ignored at 100000 bytes and more), scans "assets", and,
// unless the setting "activex" is "1", the user-data and common-data folders
// under the prefixes "user:" and "common:".
void BuildAssetIndex(const std::function<void()>& registerBuiltins = nullptr);

// Splits text at blanks, tabs, CR and LF; each lower-cased token is added to
// (add) or removed from the exclusion set; "-*" empties the set. True when a
// "-*" occurred.
bool ReadAssetListFile(const TString& text, bool add);

// Enters the packed archives and the files below folderPath (recursively) in
// the index. Keys: keyPrefix + path below "assets" (empty prefix) or
// keyPrefix + path below folderPath, lower-cased; values: the on-disk paths.
// Skips excluded names (folders included), ".svn" folders, names containing
// ':', and symbolic links to folders (so a link loop cannot recurse); a folder
// reached twice is scanned once. A missing folder adds nothing.
void ScanAssetFolder(const TString& folderPath, const TString& keyPrefix);

// True when name is not in the exclusion set.
bool IsNameAllowed(const TString& name);

// True when an archive entry or folder entry name may become an index key:
// not empty, no ':' or NUL, no leading '/' or backslash, no ".." component.
bool IsSafeEntryName(const char* name, size_t length);

// Empties the index and the exclusion set (tests and benchmarks).
void ClearAssetIndex();
