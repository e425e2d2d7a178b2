// What the machine tells about itself without running any program: the
// kernel's name and version, the processor, memory and swap from /proc, the
// user's locale, and the video and audio drivers SDL is using. Fields the
// machine does not answer stay empty (or 0). Main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace platform
{

struct SystemInfo
{
    std::string machineName;   // host name
    std::string osName;        // kernel name, e.g. "Linux"
    std::string osRelease;     // kernel release
    std::string osVersion;     // kernel build text
    std::string architecture;  // e.g. "x86_64"
    std::string language;      // LC_ALL, LC_MESSAGES or LANG, the first set
    std::string processor;     // the first processor's model name
    int processorCount = 0;
    uint64_t memoryBytes = 0;  // 0 when unknown
    bool hasSwap = false;      // whether the swap figures below were read
    uint64_t swapTotalBytes = 0;
    uint64_t swapFreeBytes = 0;
    // Empty when that part of SDL is not running.
    std::string videoDriver;
    std::string audioDriver;
    std::string audioDevice;  // the default output device's name
};

// Never fails; see the field comments for what unknown looks like.
SystemInfo GetSystemInfo();

// The memory this process holds in RAM now and the most it has held, from
// /proc/self/status; 0 where the system does not say.
struct ProcessMemory
{
    uint64_t residentBytes = 0;
    uint64_t peakResidentBytes = 0;
};
ProcessMemory GetProcessMemory();
// The parser behind it, over the text of /proc/self/status.
void ParseProcessStatus(const std::string& text, ProcessMemory& memory);

// The parsers behind GetSystemInfo, over the texts of /proc/meminfo and
// /proc/cpuinfo. Missing fields are left as they are.
void ParseMemInfo(const std::string& text, SystemInfo& info);
void ParseCpuInfo(const std::string& text, SystemInfo& info);

}  // namespace platform
