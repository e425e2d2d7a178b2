// The debug log file with its wrap-around ring, and the computer identifier.
#include "core/Log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "core/Random.h"
#include "core/Settings.h"

namespace
{

// Sound and network threads log too: path and position live under this lock,
// and the path is a std::string because TString counts are not thread-safe.
std::mutex& LogMutex()
{
    static std::mutex mutex;
    return mutex;
}
std::string gLogPath;
unsigned gWritePosition = 0;
int gMemoryLimit = 0;

constexpr char kMemoryNotice[] = "__MEMORYMAX__";

// A longer message is cut there (at a character boundary) and marked, so
// that one huge entry (a whole file's text in an error) cannot wrap the log
// by itself and push out the start-up lines.
constexpr size_t kLogMessageLimit = 4096;

}  // namespace

TString FormatLogStamp(const struct tm& when)
{
    static constexpr const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int day = when.tm_wday >= 0 && when.tm_wday < 7 ? when.tm_wday : 0;
    int month = when.tm_mon >= 0 && when.tm_mon < 12 ? when.tm_mon : 0;
    return TString::Format("%s %s %02d %02d:%02d:%02d %d", kDays[day], kMonths[month], when.tm_mday,
                           when.tm_hour, when.tm_min, when.tm_sec, when.tm_year + 1900);
}

void SetLogFolder(const char* folder)
{
    if (folder != nullptr && strncmp(folder, kMemoryNotice, sizeof(kMemoryNotice) - 1) == 0)
    {
        // "__MEMORYMAX__=<n>": the number starts behind the '='.
        size_t length = strlen(folder);
        int limit = length > sizeof(kMemoryNotice) ? atoi(folder + sizeof(kMemoryNotice)) : 0;
        std::lock_guard<std::mutex> lock(LogMutex());
        gMemoryLimit = limit;
        return;
    }
    std::lock_guard<std::mutex> lock(LogMutex());
    // An empty folder would put the log at the file-system root.
    if (folder == nullptr || folder[0] == '\0')
    {
        gLogPath.clear();
        return;
    }
    if (access(folder, F_OK) != 0) mkdir(folder, 0755);
    gLogPath = folder;
    if (gLogPath.back() != '/') gLogPath += '/';
    gLogPath += "logfile.txt";
    unlink(gLogPath.c_str());
    gWritePosition = 0;
}

TString GetLogPath()
{
    std::lock_guard<std::mutex> lock(LogMutex());
    return TString(gLogPath.c_str());
}

void LogPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogVPrintf(format, args);
    va_end(args);
}

void LogVPrintf(const char* format, va_list args)
{
    // Everything that may allocate or log again happens before the lock.
    TString message = TString::FormatV(format, args);
    {
        std::lock_guard<std::mutex> lock(LogMutex());
        if (gLogPath.empty()) return;
    }
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local) == nullptr) memset(&local, 0, sizeof(local));
    std::string entry = FormatLogStamp(local).CStr();
    entry += ": ";
    const size_t length = static_cast<size_t>(message.Length());
    if (length <= kLogMessageLimit)
    {
        entry.append(message.CStr(), length);
    }
    else
    {
        size_t keep = kLogMessageLimit;
        while (keep > 0 && (static_cast<unsigned char>(message.CStr()[keep]) & 0xC0) == 0x80)
            --keep;
        entry.append(message.CStr(), keep);
        entry += " [... ";
        entry += std::to_string(length - keep);
        entry += " more bytes cut]";
    }
    entry += '\n';

    std::lock_guard<std::mutex> lock(LogMutex());
    if (gLogPath.empty()) return;
    FILE* file = fopen(gLogPath.c_str(), "r+");
    if (file == nullptr) file = fopen(gLogPath.c_str(), "w");
    if (file == nullptr) return;
    if (gWritePosition <= kLogWrapLimit)
    {
        fseek(file, static_cast<long>(gWritePosition), SEEK_SET);
    }
    else
    {
        fseek(file, static_cast<long>(kLogWrapTarget), SEEK_SET);
        gWritePosition = kLogWrapTarget;
        fwrite(kLogWrapBanner, 1, sizeof(kLogWrapBanner) - 1, file);
    }
    fwrite(entry.data(), 1, entry.size(), file);
    long end = ftell(file);
    if (end >= 0) gWritePosition = static_cast<unsigned>(end);
    fflush(file);
    fclose(file);
}

int GetMemoryInUse()
{
    return 0;
}
int GetPeakMemoryInUse()
{
    return 0;
}

int GetLogMemoryLimit()
{
    std::lock_guard<std::mutex> lock(LogMutex());
    return gMemoryLimit;
}

TString GetComputerId()
{
    unsigned char address[8] = {};
    if (!ReadHardwareAddress(address))
    {
        uint8_t bytes[16];
        GuidBytes(NewGuid(), bytes);
        memcpy(address, bytes, 8);
    }
    return BuildComputerId(address);
}

void LogDeviceError(unsigned code, const char* file, int line)
{
    // The empty field is where a description of the code once stood; log
    // readers expect the two spaces.
    LogPrintf("DX Error: %s (0x%x), File %s, Line %d", "", code, file, line);
}
