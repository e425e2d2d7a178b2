// The string table: label -> localised text, filled from spreadsheet-like
// XML files (plain or ZXML), resolved with the %n%, %LABEL% and %% escapes.
// A label that cannot be resolved yields "#####" and a log line.
#pragma once

#include <cstddef>
#include <map>

#include "core/String.h"

struct TStringTableLess
{
    bool operator()(const TString& a, const TString& b) const { return a < b; }
};

using TStringMap = std::map<TString, TString, TStringTableLess>;

class TStringTable
{
public:
    TStringTable() = default;

    // Clears the table, then AddFile. Returns AddFile's result.
    bool LoadFile(const char* fileName);
    // Enters the rows of the file (later labels overwrite earlier ones).
    // False when the file cannot be opened or read; a damaged file or a
    // corrupt ZXML container adds what could be read (nothing, for ZXML).
    bool AddFile(const char* fileName);
    // The same for a file already in memory (size bytes, plain or ZXML).
    // False when a ZXML container cannot be inflated (nothing added).
    bool AddBuffer(const void* data, size_t size);

    // Start-up loading: LoadFile("strings.xml"), then AddFile for every
    // "string*.xml" of the "user:" folder, then of the "common:" folder, each
    // in name order. Returns the result of the first LoadFile.
    bool LoadStartupFiles();

    // Lookup with five arguments (missing ones are empty).
    TString GetString(const TString& label, const TString& a1 = TString(),
                      const TString& a2 = TString(), const TString& a3 = TString(),
                      const TString& a4 = TString(), const TString& a5 = TString()) const;
    // The resolved text, or "#####" (logged) when the label is missing or an
    // escape cannot be resolved. args may be null when count is 0.
    TString Lookup(const TString& label, int count, const TString* args) const;

    // Entries whose label begins with "FLASH_", else those matching
    // "flash%2d_%2d", copied in label order.
    void GetFlashStrings(TStringMap& out) const;

    // The raw text of a label (unexpanded); false when absent.
    bool GetRaw(const TString& label, TString& text) const;
    size_t Size() const { return table_.size(); }
    const TStringMap& Entries() const { return table_; }
    void Clear() { table_.clear(); }

private:
    TStringMap table_;
};
