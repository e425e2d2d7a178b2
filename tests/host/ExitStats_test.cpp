// The exit-statistics upload over a fake HTTP client: what is sent, when
// the metrics file is deleted or kept, the size cap, the missing server and
// the time limit.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "HostFakes.h"
#include "core/FileNames.h"
#include "host/ExitStats.h"

using namespace hostfakes;

namespace
{

struct FakeHttp : THostHttp
{
    struct Record
    {
        std::string url;
        bool post = false;
        std::vector<std::pair<std::string, std::string>> params;
        bool started = false;
        bool cancelled = false;
        bool destroyed = false;
    };
    static Record& Last()
    {
        static Record r;
        return r;
    }
    // Status after busyPolls busy answers (finalStatus), or busy forever.
    static int& FinalStatus()
    {
        static int s = kDone;
        return s;
    }
    static int& BusyPolls()
    {
        static int n = 0;
        return n;
    }

    ~FakeHttp() override { Last().destroyed = true; }
    bool BeginRequest(const TString& url, const TString&, bool post) override
    {
        Last() = Record();
        Last().url = url.CStr();
        Last().post = post;
        return true;
    }
    void AddParameter(const TString& name, const TString& value) override
    {
        Last().params.emplace_back(name.CStr(), value.CStr());
    }
    void Start() override { Last().started = true; }
    int GetStatus() override
    {
        if (Last().cancelled) return kFailed;
        if (BusyPolls() < 0) return kBusy;
        if (BusyPolls() > 0)
        {
            --BusyPolls();
            return kBusy;
        }
        return FinalStatus();
    }
    void Cancel() override { Last().cancelled = true; }
};

class ExitStatsTest : public HostTest
{
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        user_ = Dir() + "/user";
        std::filesystem::create_directories(user_);
        SetUserDataFolder(user_.c_str());
        GetFrameworkServices().makeHttp = [] { return std::unique_ptr<THostHttp>(new FakeHttp()); };
        FakeHttp::Last() = FakeHttp::Record();
        FakeHttp::FinalStatus() = THostHttp::kDone;
        FakeHttp::BusyPolls() = 0;
        SetSetting("site", "stats.example");
        SetSetting("qvgamehandle", "orv");
        SetSetting("version", "1.0.0.0");
        SetSetting("computerid", "ABCDEFGHIJKLMNOP");
    }
    void WriteMetrics(const std::string& text)
    {
        std::ofstream(MetricsPath(), std::ios::binary) << text;
    }
    std::string MetricsPath() const { return user_ + "/metrics.txt"; }
    bool MetricsExist() const { return std::filesystem::exists(MetricsPath()); }

private:
    std::string user_;
};

}  // namespace

TEST_F(ExitStatsTest, SendsTheFiveFieldsAndDeletesOnSuccess)
{
    WriteMetrics("level=3&score=100\n");
    FakeHttp::BusyPolls() = 2;
    uint32_t before = Now();
    SaveExitStats();
    const auto& r = FakeHttp::Last();
    EXPECT_EQ("http://stats.example/servlet/exitStats", r.url);
    EXPECT_TRUE(r.post);
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.destroyed);
    std::vector<std::pair<std::string, std::string>> want = {
        {"game", "orv"},
        {"game_version", "1.0.0.0"},
        {"game_variant", "windows"},
        {"guid", "ABCDEFGHIJKLMNOP"},
        {"game_data", "level=3&score=100\n"},
    };
    EXPECT_EQ(want, r.params);
    EXPECT_EQ(before + 100, Now());  // polled every 50 ms
    EXPECT_FALSE(MetricsExist());
}

TEST_F(ExitStatsTest, FailureKeepsTheFile)
{
    for (int status : {THostHttp::kFailed, THostHttp::kOutputError})
    {
        WriteMetrics("data");
        FakeHttp::FinalStatus() = status;
        SaveExitStats();
        EXPECT_TRUE(FakeHttp::Last().started);
        EXPECT_TRUE(MetricsExist()) << status;
    }
}

TEST_F(ExitStatsTest, NothingToSendOrNowhereToSendIt)
{
    SaveExitStats();  // no file
    EXPECT_FALSE(FakeHttp::Last().started);
    WriteMetrics("");
    SaveExitStats();  // empty file
    EXPECT_FALSE(FakeHttp::Last().started);
    EXPECT_TRUE(MetricsExist());

    WriteMetrics("data");
    SetSetting("site", "");
    SaveExitStats();  // no server configured
    EXPECT_FALSE(FakeHttp::Last().started);
    EXPECT_TRUE(MetricsExist());

    // Without an HTTP client the data stays for a later run.
    SetSetting("site", "stats.example");
    GetFrameworkServices().makeHttp = nullptr;
    SaveExitStats();
    EXPECT_TRUE(MetricsExist());
}

// Past 64 KiB only whole lines go, and the rest stays for the next run.
TEST_F(ExitStatsTest, LargeFileSendsWholeLinesAndKeepsTheRest)
{
    std::string line(99, 'm');
    line += '\n';
    std::string big;
    while (big.size() + line.size() <= static_cast<size_t>(kExitStatsMaxBytes)) big += line;
    const size_t sentSize = big.size();
    const std::string rest = std::string(60, 't') + "-line crossing the limit\ntail-2";
    big += rest;
    ASSERT_GT(big.size(), static_cast<size_t>(kExitStatsMaxBytes));
    WriteMetrics(big);
    SaveExitStats();
    ASSERT_EQ(5u, FakeHttp::Last().params.size());
    EXPECT_EQ(big.substr(0, sentSize), FakeHttp::Last().params[4].second);
    ASSERT_TRUE(MetricsExist());
    std::ifstream in(MetricsPath(), std::ios::binary);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(rest, kept.str());

    // A refused upload keeps every byte.
    WriteMetrics(big);
    FakeHttp::FinalStatus() = THostHttp::kFailed;
    SaveExitStats();
    EXPECT_EQ(big.size(), std::filesystem::file_size(MetricsPath()));
}

TEST_F(ExitStatsTest, LargeFileWithoutALineBreakSendsItsFirst64KiB)
{
    std::string big(kExitStatsMaxBytes + 5000, 'm');
    big[kExitStatsMaxBytes - 1] = 'E';
    WriteMetrics(big);
    SaveExitStats();
    const std::string& sent = FakeHttp::Last().params[4].second;
    EXPECT_EQ(static_cast<size_t>(kExitStatsMaxBytes), sent.size());
    EXPECT_EQ('E', sent.back());
    EXPECT_EQ(5000u, std::filesystem::file_size(MetricsPath()));
}

TEST_F(ExitStatsTest, BytesAfterAZeroAreNotSent)
{
    WriteMetrics(std::string("before\0after", 12));
    SaveExitStats();
    EXPECT_EQ("before", FakeHttp::Last().params[4].second);
}

TEST_F(ExitStatsTest, SilentServerIsGivenUpAfterTheTimeLimit)
{
    WriteMetrics("data");
    FakeHttp::BusyPolls() = -1;  // never answers
    uint32_t before = Now();
    SaveExitStats();
    EXPECT_TRUE(FakeHttp::Last().cancelled);
    EXPECT_GE(Now() - before, kExitStatsTimeoutMs);
    EXPECT_LT(Now() - before, kExitStatsTimeoutMs + 100);
    EXPECT_TRUE(MetricsExist());
}
