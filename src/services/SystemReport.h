// The system report of the play metrics: the renderer line "DxInfo" and the
// selected entries of "user:dxdiag.xml" ("DxDiagNames", "DxDiag"). No tool is
// run to write that file: the report writes it itself, once, from what the
// platform layer can tell.
#pragma once

#include <functional>
#include <vector>

#include "core/String.h"
#include "platform/SystemInfo.h"
#include "platform/gfx/Device.h"

class TXmlNode;

// Everything the report is made from.
struct TSystemFacts
{
    // Whether a renderer exists; without one there is no "DxInfo" line.
    bool hasRenderer = false;
    GfxDeviceInfo renderer;
    // The display mode in use and the desktop; 0 when unknown.
    int displayWidth = 0, displayHeight = 0, displayBits = 0;
    int desktopWidth = 0, desktopHeight = 0;
    platform::SystemInfo system;
};

// The facts of this machine and this run: the display handler's renderer
// information and mode, then platform::GetSystemInfo.
TSystemFacts GatherSystemFacts();

// One report line: a name and its values (written by the metrics store).
using TReportLineWriter = std::function<void(const TString& name, const std::vector<TString>& values)>;
using TSystemFactsSource = std::function<TSystemFacts()>;

// Notes in the log when "user:dxdiag.xml" does not exist (it is written at
// shutdown). True when it is missing.
bool RequestDxDiagReport(const TString& folder);

// Writes "user:dxdiag.xml" (atomically) when it does not exist, then the
// three lines: "DxInfo" (only with a renderer), "DxDiagNames" and "DxDiag",
// the last two even when the file cannot be read (then with no values).
// source defaults to GatherSystemFacts; it is asked only when the facts are
// needed. Never fails: a file that cannot be written is logged once.
void WriteSystemReport(const TReportLineWriter& write, const TSystemFactsSource& source = {});

// --- Pieces of the above, for tests -----------------------------------------

// The six "DxInfo" values; the texture size comes from the renderer, values
// it has no counterpart for are 0.
std::vector<TString> DxInfoValues(const TSystemFacts& facts);
// The file's text in the report tool's element layout; entries the facts do
// not fill are left out.
TString BuildDxDiagXml(const TSystemFacts& facts);
// The names and values of the selected entries of a loaded document; a
// missing element adds "none" to the values only.
void CollectDxDiagEntries(const TXmlNode& document, std::vector<TString>& names,
                          std::vector<TString>& values);
