// Exit statistics upload over the registered HTTP client.
#include "core/host/ExitStats.h"

#include <memory>
#include <vector>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/host/AppHost.h"
#include "core/host/HostServices.h"
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

}  // namespace

void SaveExitStats()
{
    if (!FileExists(kMetricsFile)) return;
    std::vector<char> buffer(kExitStatsMaxBytes + 1, 0);
    int got = 0;
    if (TFileHandle* file = OpenFileByName(kMetricsFile, 0))
    {
        got = file->Read(buffer.data(), kExitStatsMaxBytes);
        CloseFileHandle(file);
    }
    if (got <= 0) return;
    buffer[static_cast<size_t>(got)] = '\0';

    // Without a configured server there is nowhere to send the data; it stays
    // on disk rather than going to a host nobody chose.
    TString site = GetSetting("site", "");
    if (site.IsEmpty()) return;
    auto& make = GetFrameworkServices().makeHttp;
    std::unique_ptr<TSimpleHttp> http = make ? make() : nullptr;
    if (!http) return;
    if (!http->BeginRequest(TString("http://") + site + "/servlet/exitStats", TString(), true))
        return;
    http->AddParameter("game", GetSetting(kSettingQvGameHandle, ""));
    http->AddParameter("game_version", GetSetting(kSettingVersion, ""));
    http->AddParameter("game_variant", "windows");
    http->AddParameter("guid", GetSetting(kSettingComputerId, ""));
    http->AddParameter("game_data", TString(buffer.data()));
    http->Start();

    uint32_t start = HostTickMs();
    int status = http->GetStatus();
    while (status == TSimpleHttp::kBusy)
    {
        if (HostTickMs() - start >= kExitStatsTimeoutMs)
        {
            http->Cancel();
            status = TSimpleHttp::kFailed;
            break;
        }
        ExitSleep(50);
        status = http->GetStatus();
    }
    http.reset();
    if (status == TSimpleHttp::kDone) DeleteFileByName(kMetricsFile);
}
