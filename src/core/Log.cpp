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
std::string g_logPath;
unsigned g_writePosition = 0;
int g_memoryLimit = 0;

constexpr char kMemoryNotice[] = "__MEMORYMAX__";

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
        g_memoryLimit = limit;
        return;
    }
    std::lock_guard<std::mutex> lock(LogMutex());
    // An empty folder would put the log at the file-system root.
    if (folder == nullptr || folder[0] == '\0')
    {
        g_logPath.clear();
        return;
    }
    if (access(folder, F_OK) != 0) mkdir(folder, 0755);
    g_logPath = folder;
    if (g_logPath.back() != '/') g_logPath += '/';
    g_logPath += "logfile.txt";
    unlink(g_logPath.c_str());
    g_writePosition = 0;
}

TString GetLogPath()
{
    std::lock_guard<std::mutex> lock(LogMutex());
    return TString(g_logPath.c_str());
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
        if (g_logPath.empty()) return;
    }
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local) == nullptr) memset(&local, 0, sizeof(local));
    std::string entry = FormatLogStamp(local).CStr();
    entry += ": ";
    entry += message.CStr();
    entry += '\n';

    std::lock_guard<std::mutex> lock(LogMutex());
    if (g_logPath.empty()) return;
    FILE* file = fopen(g_logPath.c_str(), "r+");
    if (file == nullptr) file = fopen(g_logPath.c_str(), "w");
    if (file == nullptr) return;
    if (g_writePosition <= kLogWrapLimit)
    {
        fseek(file, static_cast<long>(g_writePosition), SEEK_SET);
    }
    else
    {
        fseek(file, static_cast<long>(kLogWrapTarget), SEEK_SET);
        g_writePosition = kLogWrapTarget;
        fwrite(kLogWrapBanner, 1, sizeof(kLogWrapBanner) - 1, file);
    }
    fwrite(entry.data(), 1, entry.size(), file);
    long end = ftell(file);
    if (end >= 0) g_writePosition = static_cast<unsigned>(end);
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
    return g_memoryLimit;
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
