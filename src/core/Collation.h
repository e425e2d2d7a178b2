// The optional locale library beside the program that decides the order of
// strings; without it strings compare byte by byte.
#pragma once

// Entry exported by the locale library: order of a against b (NUL-terminated
// UTF-8); the sign of the result carries the order.
using TCollateEntry = int (*)(const char* a, const char* b);

// Owns one loaded locale library and its comparison entry.
class TDllCollateHandler
{
public:
    // Takes ownership of library (a dlopen handle, may be null).
    TDllCollateHandler(void* library, TCollateEntry entry);
    // Takes over the other's library and entry and leaves it empty, so that
    // exactly one object frees the library.
    TDllCollateHandler(TDllCollateHandler&& other) noexcept;
    TDllCollateHandler(const TDllCollateHandler&) = delete;
    TDllCollateHandler& operator=(const TDllCollateHandler&) = delete;
    virtual ~TDllCollateHandler();

    // The entry's result for (a, b); 0 when the handler holds no entry.
    int Compare(const char* a, const char* b) const;
    bool HasEntry() const { return entry_ != nullptr; }

private:
    void** library_;  // separately allocated cell holding the library handle
    TCollateEntry entry_;
};

// File name of the locale library, looked for in the program's own folder.
inline constexpr const char kCollateLibraryName[] = "qvlocale.so";
inline constexpr const char kCollateEntryName[] = "qvCollate";

// Loads the library at path and looks up "qvCollate". Returns a new handler,
// or null (the library unloaded again) when either step fails.
TDllCollateHandler* LoadCollateHandler(const char* path);

// LoadCollateHandler of kCollateLibraryName in the folder of /proc/self/exe;
// null when missing.
TDllCollateHandler* FindCollateHandler();

// Order of a against b. The first call looks for the library once for the
// whole run; without one the texts compare as unsigned bytes giving -1, 0 or 1.
int CollateCompare(const char* a, const char* b);

// Replaces the process-wide handler (the first lookup then never runs) and
// returns the previous one, which the caller now owns. Null returns to
// bytewise comparison. For tests and tools; not thread-safe.
TDllCollateHandler* InstallCollateHandler(TDllCollateHandler* handler);

// Plain unsigned-byte order of a against b: -1, 0 or 1.
int BytewiseCompare(const char* a, const char* b);
