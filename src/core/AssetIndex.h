// The asset index: the one map from lower-case logical names to resolved
// file texts, built at start-up from the assets folder, the packed archives
// and the data folders, minus the names of the exclusion list file.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>

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

// Order of index keys and excluded names: plain unsigned bytes, never the
// locale library. The keys are lower-cased file names, not text shown to
// anyone, and enumerating the names below a folder needs every key with a
// given prefix in one run, which only the byte order guarantees. Transparent,
// so a lookup by a plain character pointer builds no TString.
struct TIndexKeyLess
{
    using is_transparent = void;
    bool operator()(const TString& a, const TString& b) const { return Less(a.CStr(), b.CStr()); }
    bool operator()(const TString& a, const char* b) const { return Less(a.CStr(), b); }
    bool operator()(const char* a, const TString& b) const { return Less(a, b.CStr()); }
    static bool Less(const char* a, const char* b) { return std::strcmp(a, b) < 0; }
};

// Keys are lower-case logical names; values keep their on-disk case.
// Ordered (FindNextAssetName walks the keys below a folder in order), with a
// hash table beside the tree so that resolving a name costs one hash and one
// comparison. The two always hold the same keys: change the index only
// through these operations.
class TFileNameIndex
{
public:
    using Map = std::map<TString, TResolvedName, TIndexKeyLess>;
    using iterator = Map::iterator;
    using const_iterator = Map::const_iterator;

    iterator begin() { return map_.begin(); }
    iterator end() { return map_.end(); }
    const_iterator begin() const { return map_.begin(); }
    const_iterator end() const { return map_.end(); }
    size_t size() const { return map_.size(); }
    bool empty() const { return map_.empty(); }

    // end() when the key is not held.
    iterator find(const char* key);
    iterator find(const TString& key) { return find(key.CStr()); }
    // The first key not less than key (byte order).
    iterator lower_bound(const TString& key) { return map_.lower_bound(key); }
    // The value under key, inserted empty when missing.
    TResolvedName& operator[](const TString& key);
    void erase(iterator it);
    // Number of entries erased (0 or 1).
    size_t erase(const TString& key);
    void clear();

private:
    Map map_;
    // Views of the map's own keys: a key's text never moves while its node
    // lives, since nothing writes to a const TString.
    std::unordered_map<std::string_view, iterator> byName_;
};
using TExcludedNames = std::set<TString, TIndexKeyLess>;

// The global index (FileNameIndex). Lives for the whole run.
TFileNameIndex& GetFileNameIndex();
// The global exclusion set (lower-case names).
TExcludedNames& GetExcludedNames();

// Selects "firstpeek.txt" instead of "final.txt" as the list file.
void SetFirstPeekMode(bool on);
bool IsFirstPeekMode();

// Builds the index once at start-up: runs registerBuiltins (the facade's
// system-cursor registration) when given, reads the list file from the
// current folder (ignored at 100000 bytes and more), scans "assets", and,
// unless the setting "activex" is "1", the user-data and common-data folders
// under the prefixes "user:" and "common:". A missing or unreadable "assets"
// folder is logged; the index then holds what the other folders give.
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

// The name with ASCII letters lower-cased, as index keys are made.
TString LowerCaseName(const TString& name);
// True when text begins with prefix (bytes, case-sensitive).
bool NameStartsWith(const TString& text, const char* prefix);
// Empties the index and the exclusion set (tests and benchmarks).
void ClearAssetIndex();
