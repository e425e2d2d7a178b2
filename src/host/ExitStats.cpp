// Exit statistics upload over the registered HTTP client.
#include "host/ExitStats.h"

#include <memory>
#include <string>
#include <vector>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/FileReplace.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "host/AppHost.h"
#include "host/HostServices.h"
#include "platform/Time.h"

namespace
{

const char* const kMetricsFile = "user:metrics.txt";

void ExitSleep(uint32_t ms)
{
    auto& sleep = GetFrameworkServices().sleep;
    if (sleep)
        sleep(ms);
    else
        platform::SleepMs(ms);
}

// Everything in the file; empty when it is missing or unreadable.
std::string ReadMetrics()
{
    std::string text;
    TFileHandle* file = OpenFileByName(kMetricsFile, 0);
    if (!file) return text;
    char chunk[16384];
    int got;
    while ((got = file->Read(chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(got));
    CloseFileHandle(file);
    return text;
}

// How much of text one upload takes: all of it when it fits, else the
// whole lines within the limit (the plain limit when no line ends there).
size_t UploadLength(const std::string& text)
{
    const auto limit = static_cast<size_t>(kExitStatsMaxBytes);
    if (text.size() <= limit) return text.size();
    size_t lastBreak = text.rfind('\n', limit - 1);
    return lastBreak == std::string::npos ? limit : lastBreak + 1;
}

// What the server took leaves the file; the rest waits for the next run.
void DropSent(const std::string& text, size_t sent)
{
    if (sent >= text.size())
    {
        DeleteFileByName(kMetricsFile);
        return;
    }
    TPreparedFile rest;
    if (PrepareFileReplace("exit statistics", kMetricsFile, text.data() + sent, text.size() - sent,
                           rest))
        CommitFileReplace("exit statistics", {rest});
}

}  // namespace

void SaveExitStats()
{
    if (!FileExists(kMetricsFile)) return;
    std::string text = ReadMetrics();
    if (text.empty()) return;
    size_t length = UploadLength(text);

    // Without a configured server there is nowhere to send the data; it stays
    // on disk rather than going to a host nobody chose.
    TString site = GetSetting("site", "");
    if (site.IsEmpty()) return;
    auto& make = GetFrameworkServices().makeHttp;
    std::unique_ptr<THostHttp> http = make ? make() : nullptr;
    if (!http) return;
    if (!http->BeginRequest(TString("http://") + site + "/servlet/exitStats", TString(), true))
        return;
    http->AddParameter("game", GetSetting(kSettingQvGameHandle, ""));
    http->AddParameter("game_version", GetSetting(kSettingVersion, ""));
    http->AddParameter("game_variant", "windows");
    http->AddParameter("guid", GetSetting(kSettingComputerId, ""));
    // The form value ends at a zero byte; the bytes after it go with the
    // piece all the same.
    http->AddParameter("game_data", TString(std::string(text, 0, length).c_str()));
    http->Start();

    uint32_t start = HostTickMs();
    int status = http->GetStatus();
    while (status == THostHttp::kBusy)
    {
        if (HostTickMs() - start >= kExitStatsTimeoutMs)
        {
            http->Cancel();
            status = THostHttp::kFailed;
            break;
        }
        ExitSleep(50);
        status = http->GetStatus();
    }
    http.reset();
    if (status == THostHttp::kDone) DropSent(text, length);
}
