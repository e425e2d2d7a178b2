// Packed archives ("QVPK"): reading an archive's table of contents into the
// name index and keeping the archive mapped read-only for the views into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"

// One read-only mapping of a whole file.
class TFileMapData
{
public:
    TFileMapData() = default;
    ~TFileMapData();
    TFileMapData(const TFileMapData&) = delete;
    TFileMapData& operator=(const TFileMapData&) = delete;

    // Maps the regular file at path (a leading "::" is dropped, a relative
    // path is taken from the current folder). False, with nothing open, when
    // the file cannot be opened or mapped (an empty file cannot).
    bool Open(const TString& path);
    void Close();
    const uint8_t* GetView() const { return view_; }
    size_t GetSize() const { return size_; }

private:
    const uint8_t* view_ = nullptr;
    size_t size_ = 0;
};

// One archive: its mapping and the path it was read from. Copies share the
// mapping.
class TFileMapHandler
{
public:
    TFileMapHandler();
    virtual ~TFileMapHandler() = default;

    // Stores the path, then maps it; false when the mapping fails.
    bool Open(const TString& path);
    // The mapped base; null when not mapped.
    const uint8_t* GetView() const { return data_->GetView(); }
    size_t GetSize() const { return data_->GetSize(); }
    // Lets go of the mapping: the handler gets a new closed one, while views
    // still holding the old mapping keep it until they close.
    void Close();
    const TString& GetPath() const { return path_; }
    const std::shared_ptr<TFileMapData>& GetData() const { return data_; }

private:
    std::shared_ptr<TFileMapData> data_;
    TString path_;
};

// The archive table: position = archive number in "@%d:%ld,%ld" names.
std::vector<TFileMapHandler>& GetPackedArchives();

// Reads every file of folder whose name contains ".qvp" (case-sensitive), in
// ascending name order, as "::assets/" + name into the global name index.
void FindPackedArchives(const TString& folder);

// Reads one archive's table into the global name index and maps it. A file
// that cannot be opened or does not begin with "QVPK" is skipped with a log
// line.
// Entries whose name is empty, contains ':' or NUL, has a ".." component
// (split at '/' or backslash) or begins with one of those separators, and
// entries lying outside the file (or of 2 GiB and more) are skipped with a
// log line; a table that runs past the end of the file stops there with a
// log line (the entries before it are kept).
// Returns the number of entries entered, -1 when the archive was skipped.
int ReadPackedArchive(const TString& path);

// One table entry, as parsed.
struct TArchiveEntry
{
    TString name;  // as stored (not lower-cased)
    uint32_t offset = 0;
    uint32_t size = 0;
};

// Parses the table of contents of an archive image of length bytes (the
// whole file). Returns false when the magic is wrong or the header is short
// (both logged).
// Bad entries are dropped and a truncated table stops, each with a log line
// naming label. Pure: touches no global state (the fuzz target's entry).
bool ParseArchiveTable(const uint8_t* bytes, size_t length, const TString& label,
                       std::vector<TArchiveEntry>& entries);

// Drops every archive record (tests). Open views keep their mappings alive.
void ClearPackedArchives();
