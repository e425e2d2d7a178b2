// The machine's description from uname, /proc and the environment.
#include "platform/SystemInfo.h"

#include <sys/utsname.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace platform
{

// Filled by the SDL part (sdl/SystemInfoSdl.cpp).
void ReadSdlDriverNames(SystemInfo& info);

namespace
{

std::string ReadWholeFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// "Name:   123 kB" lines: the value in bytes, or false when not of that form.
bool ParseKilobytes(const std::string& value, uint64_t& bytes)
{
    char* end = nullptr;
    unsigned long long kb = std::strtoull(value.c_str(), &end, 10);
    if (end == value.c_str()) return false;
    bytes = static_cast<uint64_t>(kb) * 1024u;
    return true;
}

template <class F>
void ForEachField(const std::string& text, F&& field)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        field(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
}

}  // namespace

void ParseMemInfo(const std::string& text, SystemInfo& info)
{
    bool total = false, free = false;
    ForEachField(text,
                 [&](const std::string& name, const std::string& value)
                 {
                     if (name == "MemTotal")
                         ParseKilobytes(value, info.memoryBytes);
                     else if (name == "SwapTotal")
                         total = ParseKilobytes(value, info.swapTotalBytes);
                     else if (name == "SwapFree")
                         free = ParseKilobytes(value, info.swapFreeBytes);
                 });
    if (total && free) info.hasSwap = true;
}

void ParseCpuInfo(const std::string& text, SystemInfo& info)
{
    int count = 0;
    ForEachField(text,
                 [&](const std::string& name, const std::string& value)
                 {
                     if (name == "processor") ++count;
                     if (name == "model name" && info.processor.empty()) info.processor = value;
                 });
    if (count > 0) info.processorCount = count;
}

void ParseProcessStatus(const std::string& text, ProcessMemory& memory)
{
    ForEachField(text,
                 [&](const std::string& name, const std::string& value)
                 {
                     if (name == "VmRSS")
                         ParseKilobytes(value, memory.residentBytes);
                     else if (name == "VmHWM")
                         ParseKilobytes(value, memory.peakResidentBytes);
                 });
}

ProcessMemory GetProcessMemory()
{
    ProcessMemory memory;
    ParseProcessStatus(ReadWholeFile("/proc/self/status"), memory);
    return memory;
}

SystemInfo GetSystemInfo()
{
    SystemInfo info;
    struct utsname names;
    if (uname(&names) == 0)
    {
        info.machineName = names.nodename;
        info.osName = names.sysname;
        info.osRelease = names.release;
        info.osVersion = names.version;
        info.architecture = names.machine;
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value && *value)
        {
            info.language = value;
            break;
        }
    }
    ParseMemInfo(ReadWholeFile("/proc/meminfo"), info);
    ParseCpuInfo(ReadWholeFile("/proc/cpuinfo"), info);
    ReadSdlDriverNames(info);
    return info;
}

}  // namespace platform
