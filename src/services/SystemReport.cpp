// The system report: "user:dxdiag.xml" written from the platform's facts,
// and the three report lines read from the renderer and that file.
#include "services/SystemReport.h"

#include <string>

#include "core/FileNames.h"
#include "core/FileReplace.h"
#include "core/Log.h"
#include "core/Xml.h"
#include "graphics/DXContext.h"
#include "graphics/DisplayHandler.h"
#include "host/App.h"

namespace
{

const char kReportName[] = "user:dxdiag.xml";

// The selected entries, each a path of elements below "DxDiag".
struct TEntryGroup
{
    std::vector<const char*> parents;
    std::vector<const char*> names;
};

const std::vector<TEntryGroup>& EntryGroups()
{
    static const std::vector<TEntryGroup> groups = {
        {{"SystemInformation"},
         {"MachineName", "OperatingSystem", "Language", "PageFile", "Processor", "Memory",
          "DirectXVersion", "Processor"}},
        {{"DisplayDevices", "DisplayDevice"},
         {"CardName", "Manufacturer", "ChipType", "DACType", "DeviceKey", "DisplayMemory",
          "CurrentMode", "MonitorMaxRes", "DriverVersion", "DriverDate", "DriverSize",
          "DDIVersion", "DeviceIdentifier", "VendorID", "DeviceID", "RevisionID"}},
        {{"DirectSound", "SoundDevices", "SoundDevice"},
         {"Description", "HardwareID", "DriverDate", "DriverSize", "DriverProvider",
          "PrimaryBuffers"}},
    };
    return groups;
}

// Builds the document text element by element; elements without a value
// are left out, and so are groups left with no element.
class TXmlText
{
public:
    void Element(const char* name, const std::string& value)
    {
        if (value.empty()) return;
        pending_ += std::string(depth_ * 2, ' ') + "<" + name + ">" + EscapeXml(value.c_str()).CStr() +
                    "</" + name + ">\n";
    }
    void Open(const char* name)
    {
        size_t start = pending_.size();
        pending_ += std::string(depth_ * 2, ' ') + "<" + name + ">\n";
        opened_.push_back({name, start, pending_.size()});
        ++depth_;
    }
    // An empty element is dropped unless keepEmpty.
    void Close(bool keepEmpty = false)
    {
        --depth_;
        TOpened open = opened_.back();
        opened_.pop_back();
        if (!keepEmpty && pending_.size() == open.contentStart)
            pending_.resize(open.start);
        else
            pending_ += std::string(depth_ * 2, ' ') + "</" + open.name + ">\n";
    }
    const std::string& Text() const { return pending_; }

private:
    std::string pending_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct TOpened
    {
        const char* name;
        size_t start;         // where the opening tag begins
        size_t contentStart;  // just behind it
    };
    std::vector<TOpened> opened_;
    size_t depth_ = 0;
};

std::string Printed(const char* format, unsigned long long a, unsigned long long b = 0)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

std::string Megabytes(uint64_t bytes)
{
    return Printed("%lluMB", static_cast<unsigned long long>(bytes / (1024u * 1024u)));
}

std::string HexId(uint32_t id)
{
    return id ? Printed("0x%04llX", id) : std::string();
}

std::string Joined(std::initializer_list<std::string> parts, const char* separator)
{
    std::string out;
    for (const std::string& part : parts)
    {
        if (part.empty()) continue;
        if (!out.empty()) out += separator;
        out += part;
    }
    return out;
}

}  // namespace

TSystemFacts GatherSystemFacts()
{
    TSystemFacts facts;
    if (TDisplayHandler* handler = GetDisplayHandler())
    {
        if (TDXContext* context = handler->GetContext())
        {
            facts.hasRenderer = context->HasDevice();
            if (facts.hasRenderer) facts.renderer = context->GetDeviceInfo();
            facts.desktopWidth = context->GetDesktopWidth();
            facts.desktopHeight = context->GetDesktopHeight();
            facts.displayBits = context->GetDisplayBitsPerPixel();
        }
    }
    if (TApp* app = GetApp())
    {
        bool fullScreen = false;
        app->GetDisplaySize(facts.displayWidth, facts.displayHeight, fullScreen);
    }
    facts.system = platform::GetSystemInfo();
    return facts;
}

bool RequestDxDiagReport(const TString& folder)
{
    if (FileExists(kReportName)) return false;
    LogPrintf("dxdiag.xml is missing in %s; it is written at shutdown", folder.CStr());
    return true;
}

std::vector<TString> DxInfoValues(const TSystemFacts& facts)
{
    // Shader versions, texture stages, primitive limits, stretch filters and
    // addressing modes have no counterpart in this renderer.
    return {
        TString::Format("Max Texture Size %dx%d", facts.renderer.maxTextureWidth,
                        facts.renderer.maxTextureHeight),
        TString::Format("Pixel/Vertex %x/%x", 0u, 0u),
        TString::Format("MaxSimultaneousTextures %d", 0),
        TString::Format("MaxPrimitiveCount %d", 0),
        TString::Format("StretchRectFilterCaps %x", 0u),
        TString::Format("TextureAddressCaps  %x", 0u),
    };
}

TString BuildDxDiagXml(const TSystemFacts& facts)
{
    const platform::SystemInfo& s = facts.system;
    const GfxDeviceInfo& r = facts.renderer;
    TXmlText xml;
    xml.Open("DxDiag");
    xml.Open("SystemInformation");
    xml.Element("MachineName", s.machineName);
    xml.Element("OperatingSystem", Joined({s.osName, s.osRelease, s.osVersion, s.architecture}, " "));
    xml.Element("Language", s.language);
    if (s.hasSwap)
        xml.Element("PageFile", Megabytes(s.swapTotalBytes - s.swapFreeBytes) + " used, " +
                                    Megabytes(s.swapFreeBytes) + " available");
    std::string cpus = s.processorCount > 0 ? Printed("(%llu CPUs)", s.processorCount) : "";
    xml.Element("Processor", Joined({s.processor, cpus}, " "));
    if (s.memoryBytes) xml.Element("Memory", Megabytes(s.memoryBytes) + " RAM");
    xml.Close();
    xml.Open("DisplayDevices");
    xml.Open("DisplayDevice");
    if (facts.hasRenderer)
    {
        xml.Element("CardName", r.description);
        xml.Element("Manufacturer", r.vendor);
        if (r.videoMemory >= 0)
            xml.Element("DisplayMemory", Megabytes(static_cast<uint64_t>(r.videoMemory)));
        if (r.versionHigh || r.versionLow)
            xml.Element("DriverVersion", Printed("%llu.%llu", r.versionHigh, r.versionLow));
        xml.Element("VendorID", HexId(r.vendorId));
        xml.Element("DeviceID", HexId(r.deviceId));
        xml.Element("RevisionID", HexId(r.revision));
        xml.Element("DriverName", Joined({r.driver, s.videoDriver}, " on "));
    }
    if (facts.displayWidth > 0 && facts.displayHeight > 0)
    {
        std::string mode = Printed("%llu x %llu", facts.displayWidth, facts.displayHeight);
        if (facts.displayBits > 0) mode += Printed(" (%llu bit)", facts.displayBits);
        xml.Element("CurrentMode", mode);
    }
    if (facts.desktopWidth > 0 && facts.desktopHeight > 0)
        xml.Element("MonitorMaxRes", Printed("%llu,%llu", facts.desktopWidth, facts.desktopHeight));
    xml.Close();
    xml.Close();
    xml.Open("DirectSound");
    xml.Open("SoundDevices");
    xml.Open("SoundDevice");
    xml.Element("Description", s.audioDevice);
    xml.Element("DriverName", s.audioDriver);
    xml.Close();
    xml.Close();
    xml.Close();
    xml.Close(true);
    return TString(xml.Text().c_str());
}

void CollectDxDiagEntries(const TXmlNode& document, std::vector<TString>& names,
                          std::vector<TString>& values)
{
    const TXmlNode* root = document.FindChild("DxDiag");
    for (const TEntryGroup& group : EntryGroups())
    {
        const TXmlNode* parent = root;
        for (const char* step : group.parents) parent = parent ? parent->FindChild(step) : nullptr;
        for (const char* name : group.names)
        {
            const TXmlNode* element = parent ? parent->FindChild(name) : nullptr;
            if (element)
            {
                names.push_back(name);
                values.push_back(element->text);
            }
            else
            {
                values.push_back("none");
            }
        }
    }
}

void WriteSystemReport(const TReportLineWriter& write, const TSystemFactsSource& source)
{
    const TSystemFacts facts = source ? source() : GatherSystemFacts();
    if (!FileExists(kReportName))
    {
        const TString text = BuildDxDiagXml(facts);
        std::vector<TPreparedFile> file(1);
        if (PrepareFileReplace("system report", kReportName, text.CStr(),
                               static_cast<size_t>(text.Length()), file[0]))
            CommitFileReplace("system report", file);
    }
    if (facts.hasRenderer) write("DxInfo", DxInfoValues(facts));
    std::vector<TString> names;
    std::vector<TString> values;
    TXmlNode document;
    if (document.LoadFile(kReportName) && document.HasChildren())
        CollectDxDiagEntries(document, names, values);
    write("DxDiagNames", names);
    write("DxDiag", values);
}
