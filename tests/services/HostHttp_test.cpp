// The exit-statistics upload over the real HTTP client and a server on
// 127.0.0.1 that the test starts: the POST it sends, and what becomes of
// "metrics.txt" after each kind of answer.
#include "services/HostHttp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/LocalHttpServer.h"
#include "core/FileTestSupport.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "host/ExitStats.h"
#include "host/HostServices.h"
#include "services/SimpleHttp.h"

using testhttp::LocalHttpServer;
using testhttp::Request;
using testhttp::Response;

namespace
{

class ExitUploadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(tree_ / "user");
        SetUserDataFolder((tree_ / "user").c_str());
        auto& services = GetFrameworkServices();
        services.makeHttp = &MakeHostHttp;
        services.tickSource = nullptr;
        services.sleep = nullptr;
        SetSetting("qvgamehandle", "orv");
        SetSetting("version", "1.2.3.4");
        SetSetting("computerid", "ABCDEFGHIJKLMNOP");
    }
    void TearDown() override
    {
        auto& services = GetFrameworkServices();
        services.makeHttp = nullptr;
        services.tickSource = nullptr;
        services.sleep = nullptr;
        SetUserDataFolder("");
    }
    std::string MetricsPath() const { return (tree_ / "user" / "metrics.txt").string(); }
    void WriteMetrics(const std::string& text) { filetest::WriteAll(MetricsPath(), text); }
    bool MetricsExist() const { return std::filesystem::exists(MetricsPath()); }
    std::string Metrics() const { return filetest::ReadAll(MetricsPath()); }

    filetest::TempTree tree_;
};

Response Accept(const Request&)
{
    return Response{};
}

}  // namespace

TEST_F(ExitUploadTest, PostsTheFieldsAndDeletesTheFile)
{
    LocalHttpServer server(&Accept, 4, std::chrono::seconds(20));
    SetSetting("site", server.HostPort().c_str());
    WriteMetrics("level=3 score=100\n");
    SaveExitStats();
    std::vector<Request> seen = server.Requests();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("POST", seen[0].method);
    EXPECT_EQ("/servlet/exitStats", seen[0].target);
    EXPECT_EQ("application/x-www-form-urlencoded", seen[0].headers["content-type"]);
    EXPECT_EQ(
        "game=orv&game_version=1.2.3.4&game_variant=windows&guid=ABCDEFGHIJKLMNOP"
        "&game_data=level%3D3%20score%3D100%0A",
        seen[0].body);
    EXPECT_FALSE(MetricsExist());
}

TEST_F(ExitUploadTest, RefusingServerKeepsTheFile)
{
    LocalHttpServer server(
        [](const Request&) {
            return Response{500, "no"};
        },
        4, std::chrono::seconds(20));
    SetSetting("site", server.HostPort().c_str());
    WriteMetrics("data\n");
    SaveExitStats();
    EXPECT_TRUE(server.WaitForRequests(1));
    EXPECT_EQ("data\n", Metrics());
}

TEST_F(ExitUploadTest, OverSixtyFourKiBTheUnsentLinesStay)
{
    LocalHttpServer server(&Accept, 4, std::chrono::seconds(20));
    SetSetting("site", server.HostPort().c_str());
    std::string first(40000, 'a');
    first += '\n';
    std::string second(40000, 'b');
    second += '\n';
    WriteMetrics(first + second);
    SaveExitStats();
    std::vector<Request> seen = server.Requests();
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::string::npos,
              seen[0].body.find("&game_data=" + std::string(40000, 'a') + "%0A"));
    EXPECT_EQ(std::string::npos, seen[0].body.find('b'));
    EXPECT_EQ(second, Metrics());

    // The next run sends the rest and the file goes.
    SaveExitStats();
    ASSERT_EQ(2u, server.Requests().size());
    EXPECT_FALSE(MetricsExist());
}

TEST_F(ExitUploadTest, SilentServerIsLeftAfterTheLimit)
{
    // Time runs 1 s per poll, so the limit passes at once.
    static uint32_t now;
    now = 0;
    auto& services = GetFrameworkServices();
    services.tickSource = [] { return now; };
    services.sleep = [](uint32_t) { now += 1000; };
    {
        LocalHttpServer server(
            [](const Request&) {
                return Response{200, "", "", Response::Mode::kSilent};
            },
            4, std::chrono::seconds(20));
        SetSetting("site", server.HostPort().c_str());
        WriteMetrics("data\n");
        SaveExitStats();
        EXPECT_GE(now, kExitStatsTimeoutMs);
        EXPECT_EQ("data\n", Metrics());
    }
    // The abandoned worker ends once the server closes its connection.
    for (int i = 0; i < 2000 && TSimpleHttp::GetRunningWorkers() != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(0, TSimpleHttp::GetRunningWorkers());
}
