// The debug log: one printf-style entry point writing stamped lines to
// "logfile.txt" in the user-data folder, plus the computer identifier and the
// (unused) memory counters.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "core/String.h"

// Starts a fresh log in folder (created one level deep when missing; the old
// logfile.txt is deleted). A null folder stops logging. A text beginning with
// "__MEMORYMAX__" is a memory-limit notice and leaves the log as it was.
// Failures are silent: later entries are then dropped.
void SetLogFolder(const char* folder);

// Full path of the log file; empty when no log is set.
TString GetLogPath();

// Appends "<24-char local time>: <message>\n". Safe from any thread. When no
// log is set, or the file cannot be opened, the entry is dropped silently.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogVPrintf(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// The one form of a graphics or sound device failure in the log:
// "DX Error:  (0x<code>), File <file>, Line <line>".
void LogDeviceError(unsigned code, const char* file, int line);

// Memory counters: nothing updates them; both read 0.
int GetMemoryInUse();
int GetPeakMemoryInUse();

// The last memory limit announced through SetLogFolder("__MEMORYMAX__=%d").
int GetLogMemoryLimit();

// The 16-character computer identifier (never empty): from the first network
// adapter's hardware address, else from a fresh GUID.
TString GetComputerId();

// --- Pieces of the above, exposed for tests -------------------------------

// Log geometry: entries past kLogWrapLimit jump back to kLogWrapTarget behind
// kLogWrapBanner.
inline constexpr unsigned kLogWrapLimit = 102400;
inline constexpr unsigned kLogWrapTarget = 51200;
inline constexpr const char kLogWrapBanner[] =
    "\n\n\n\n ****************** LOG WRAP AROUND ******************\n\n\n\n";

struct tm;
// The 24-character stamp, e.g. "Tue Dec 07 14:03:05 2010" (day zero-padded).
TString FormatLogStamp(const struct tm& when);
