// The system report: report files of several shapes read into the two
// "DxDiag" lines, the file this program writes for itself read back, a
// present file left alone, and the renderer line.
#include "services/SystemReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ServicesTestSupport.h"
#include "core/Xml.h"

using namespace servicestest;
namespace fs = std::filesystem;

namespace
{

using Texts = std::vector<std::string>;

struct Line
{
    std::string name;
    Texts values;
};

const Texts kAllNames = {
    "MachineName", "OperatingSystem", "Language", "PageFile", "Processor", "Memory",
    "DirectXVersion", "Processor", "CardName", "Manufacturer", "ChipType", "DACType", "DeviceKey",
    "DisplayMemory", "CurrentMode", "MonitorMaxRes", "DriverVersion", "DriverDate", "DriverSize",
    "DDIVersion", "DeviceIdentifier", "VendorID", "DeviceID", "RevisionID", "Description",
    "HardwareID", "DriverDate", "DriverSize", "DriverProvider", "PrimaryBuffers"};

const Texts kCompleteValues = {
    "PLAYROOM", "Windows XP Home Edition (5.1, Build 2600)", "English (Regional Setting: English)",
    "312MB used, 1150MB available", "Intel(R) Pentium(R) 4 CPU 2.80GHz", "512MB RAM",
    "DirectX 9.0c (4.09.0000.0904)", "Intel(R) Pentium(R) 4 CPU 2.80GHz", "RADEON 9600",
    "ATI Technologies Inc.", "RADEON 9600 AGP (0x4151)", "Internal DAC(400MHz)",
    "Enum\\PCI\\VEN_1002", "128.0 MB", "1024 x 768 (32 bit) (85Hz)", "1280,1024",
    "6.14.0010.6476", "9/21/2004 22:01:00", "252928", "9 (or higher)",
    "{D7B71EE2-0211-11CF-7265-2C0BA1C2CB35}", "0x1002", "0x4151", "0x0000",
    "SoundMAX Digital Audio", "PCI\\VEN_8086", "8/13/2004 10:17:00", "1130496", "Analog Devices",
    "1"};

Texts Slice(const Texts& all, size_t from, size_t to)
{
    return Texts(all.begin() + static_cast<long>(from), all.begin() + static_cast<long>(to));
}

Texts Nones(size_t n)
{
    return Texts(n, "none");
}

Texts Join(std::initializer_list<Texts> parts)
{
    Texts out;
    for (const Texts& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TSystemFacts FullFacts()
{
    TSystemFacts facts;
    facts.hasRenderer = true;
    facts.renderer.driver = "opengl";
    facts.renderer.description = "llvmpipe (LLVM 15.0.6, 256 bits)";
    facts.renderer.vendor = "Mesa";
    facts.renderer.maxTextureWidth = 8192;
    facts.renderer.maxTextureHeight = 4096;
    facts.renderer.videoMemory = 256ll << 20;
    facts.renderer.vendorId = 0x10de;
    facts.renderer.deviceId = 0x1c82;
    facts.renderer.revision = 0xa1;
    facts.displayWidth = 800;
    facts.displayHeight = 600;
    facts.displayBits = 32;
    facts.desktopWidth = 1920;
    facts.desktopHeight = 1080;
    platform::SystemInfo& s = facts.system;
    s.machineName = "den";
    s.osName = "Linux";
    s.osRelease = "6.1.0";
    s.osVersion = "#1 SMP";
    s.architecture = "x86_64";
    s.language = "de_DE.UTF-8";
    s.processor = "Some CPU <fast> & \"new\"";
    s.processorCount = 8;
    s.memoryBytes = 16ull << 30;
    s.hasSwap = true;
    s.swapTotalBytes = 2ull << 30;
    s.swapFreeBytes = 1536ull << 20;
    s.videoDriver = "x11";
    s.audioDriver = "pulseaudio";
    s.audioDevice = "Built-in Audio Analog Stereo";
    return facts;
}

class SystemReportTest : public BoardTest
{
protected:
    fs::path Report() const { return fs::path(UserFolder()) / "dxdiag.xml"; }
    void UseFixture(const char* name)
    {
        fs::copy_file(fs::path(ORVELLE_SOURCE_DIR) / "tests/services/fixtures" / name, Report(),
                      fs::copy_options::overwrite_existing);
    }
    std::vector<Line> Run(const TSystemFacts& facts)
    {
        std::vector<Line> lines;
        WriteSystemReport(
            [&lines](const TString& name, const std::vector<TString>& values)
            {
                Line line{name.CStr(), {}};
                for (const TString& v : values) line.values.push_back(v.CStr());
                lines.push_back(line);
            },
            [&facts] { return facts; });
        return lines;
    }
};

TEST_F(SystemReportTest, ReportFilesOfEveryShapeGiveBothLines)
{
    struct Case
    {
        const char* fixture;
        Texts names;
        Texts values;
    };
    const Case cases[] = {
        {"dxdiag_complete.xml", kAllNames, kCompleteValues},
        {"dxdiag_nosound.xml", Slice(kAllNames, 0, 24),
         Join({Slice(kCompleteValues, 0, 24), Nones(6)})},
        {"dxdiag_empty.xml", {}, {}},
        // Cut inside the display device: what was read counts.
        {"dxdiag_malformed.xml", Slice(kAllNames, 0, 17),
         Join({Slice(kCompleteValues, 0, 17), Nones(13)})},
    };
    TSystemFacts noRenderer;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fixture);
        UseFixture(c.fixture);
        std::vector<Line> lines = Run(noRenderer);
        ASSERT_EQ(2u, lines.size());
        EXPECT_EQ("DxDiagNames", lines[0].name);
        EXPECT_EQ(c.names, lines[0].values);
        EXPECT_EQ("DxDiag", lines[1].name);
        EXPECT_EQ(c.values, lines[1].values);
    }
}

TEST_F(SystemReportTest, TheFileWrittenHereReadsBackWithItsNames)
{
    ASSERT_TRUE(RequestDxDiagReport(UserFolder().c_str()));
    EXPECT_NE(std::string::npos, tree_.Log().find("dxdiag.xml is missing"));
    std::vector<Line> lines = Run(FullFacts());
    ASSERT_TRUE(fs::exists(Report()));
    EXPECT_FALSE(fs::exists(Report().string() + ".tmp"));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("DxInfo", lines[0].name);
    EXPECT_EQ((Texts{"Max Texture Size 8192x4096", "Pixel/Vertex 0/0", "MaxSimultaneousTextures 0",
                     "MaxPrimitiveCount 0", "StretchRectFilterCaps 0", "TextureAddressCaps  0"}),
              lines[0].values);
    EXPECT_EQ((Texts{"MachineName", "OperatingSystem", "Language", "PageFile", "Processor", "Memory",
                     "Processor", "CardName", "Manufacturer", "DisplayMemory", "CurrentMode",
                     "MonitorMaxRes", "VendorID", "DeviceID", "RevisionID", "Description"}),
              lines[1].values);
    const std::string cpu = "Some CPU <fast> & \"new\" (8 CPUs)";
    EXPECT_EQ(Join({{"den", "Linux 6.1.0 #1 SMP x86_64", "de_DE.UTF-8", "512MB used, 1536MB available",
                     cpu, "16384MB RAM", "none", cpu, "llvmpipe (LLVM 15.0.6, 256 bits)", "Mesa"},
                    Nones(3),
                    {"256MB", "800 x 600 (32 bit)", "1920,1080"},
                    Nones(5),
                    {"0x10DE", "0x1C82", "0x00A1", "Built-in Audio Analog Stereo"},
                    Nones(5)}),
              lines[2].values);
    // The drivers are there too, beyond the entries the report reads.
    std::string text = filetest::ReadAll(Report());
    EXPECT_NE(std::string::npos, text.find("<DriverName>opengl on x11</DriverName>"));
    EXPECT_NE(std::string::npos, text.find("<DriverName>pulseaudio</DriverName>"));
    EXPECT_FALSE(RequestDxDiagReport(UserFolder().c_str()));
}

TEST_F(SystemReportTest, WhatThePlatformCannotTellIsLeftOut)
{
    TSystemFacts bare;  // no renderer, no sound, nothing known
    std::vector<Line> lines = Run(bare);
    ASSERT_EQ(2u, lines.size());  // and so no "DxInfo" line
    EXPECT_EQ(Texts{}, lines[0].values);
    EXPECT_EQ(Nones(30), lines[1].values);
    // Empty groups are not written at all.
    std::string text = filetest::ReadAll(Report());
    EXPECT_EQ(std::string::npos, text.find("DirectSound"));
    EXPECT_EQ(std::string::npos, text.find("DisplayDevices"));
    EXPECT_NE(std::string::npos, text.find("<DxDiag>"));
}

TEST_F(SystemReportTest, APresentReportIsNotRewritten)
{
    UseFixture("dxdiag_complete.xml");
    const std::string before = filetest::ReadAll(Report());
    EXPECT_FALSE(RequestDxDiagReport(UserFolder().c_str()));
    std::vector<Line> lines = Run(FullFacts());
    EXPECT_EQ(before, filetest::ReadAll(Report()));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(kCompleteValues, lines[2].values);
}

TEST_F(SystemReportTest, TheFactsOfThisMachineAreGathered)
{
    TSystemFacts facts = GatherSystemFacts();
    EXPECT_FALSE(facts.system.osName.empty());
    EXPECT_FALSE(facts.system.machineName.empty());
    // Without a display handler there is no renderer to describe.
    EXPECT_FALSE(facts.hasRenderer);
    platform::SystemInfo parsed;
    platform::ParseMemInfo("MemTotal:       16384 kB\nSwapTotal: 2048 kB\nSwapFree: 1024 kB\n", parsed);
    EXPECT_EQ(16384u * 1024u, parsed.memoryBytes);
    EXPECT_TRUE(parsed.hasSwap);
    EXPECT_EQ(1024u * 1024u, parsed.swapFreeBytes);
    platform::ParseCpuInfo("processor\t: 0\nmodel name\t: A\nprocessor\t: 1\nmodel name\t: B\n", parsed);
    EXPECT_EQ("A", parsed.processor);
    EXPECT_EQ(2, parsed.processorCount);
    platform::ProcessMemory memory;
    platform::ParseProcessStatus("Name:\tgame\nVmHWM:\t  2048 kB\nVmRSS:\t  1536 kB\n", memory);
    EXPECT_EQ(1536u * 1024u, memory.residentBytes);
    EXPECT_EQ(2048u * 1024u, memory.peakResidentBytes);
    // A process without an address space of its own names neither.
    platform::ProcessMemory none;
    platform::ParseProcessStatus("Name:\tkthreadd\nState:\tS (sleeping)\n", none);
    EXPECT_EQ(0u, none.residentBytes);
    EXPECT_EQ(0u, none.peakResidentBytes);
}

}  // namespace
