// The play-metrics recorder over an injected clock, with the metrics file
// read back: line format and quoting, columns evaluated when written,
// stopwatches, the three block kinds, "time.dat" and the error line.
#include "services/MetricsHandler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "ServicesTestSupport.h"

using namespace servicestest;
namespace fs = std::filesystem;

namespace
{

using Lines = std::vector<std::string>;

uint32_t gNow = 0;

constexpr time_t kWallTime = 1291730585;  // Tue Dec  7 14:03:05 2010 UTC
const std::string kStamp = ",The current date/time is: Tue Dec  7 14:03:05 2010\n";
constexpr uint32_t kMinute = 60000;

std::string TimeFile(int32_t ms)
{
    const uint32_t v = static_cast<uint32_t>(ms);
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

class MetricsTest : public BoardTest
{
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        setenv("TZ", "UTC", 1);
        tzset();
        gNow = 1000;
    }

    // A post-metrics handler first, then a recording one behind it.
    TMetricsGameStateHandler* AddMetrics()
    {
        TMetricsEnvironment env;
        env.appTime = [] { return gNow; };
        env.wallTime = [] { return kWallTime; };
        env.systemFacts = [] { return TSystemFacts(); };
        auto owned = std::make_unique<TPostMetricsHandler>(env);
        TPostMetricsHandler* metrics = owned.get();
        TGameState::AddHandler(std::move(owned));
        after_ = Add("after");
        return metrics;
    }
    void Set(const char* key, const char* value)
    {
        TGameState::GetInstance()->SetState(key, value);
    }
    std::string Get(const char* key) { return TGameState::GetInstance()->GetState(key).CStr(); }
    std::string Metrics(const char* name = "metrics.txt") const
    {
        return filetest::ReadAll(fs::path(UserFolder()) / name);
    }
    // The file's lines up to (not including) the system report's.
    std::string Recorded() const
    {
        std::string text = Metrics();
        size_t report = text.find("DxDiagNames,");
        return report == std::string::npos ? text : text.substr(0, report);
    }

    RecordingHandler* after_ = nullptr;
};

TEST_F(MetricsTest, AStatusBlockIsOneLineWithTheStampAndQuotedColumns)
{
    AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    Set("begin-status", "level_start");
    Set("add-value", "7");
    Set("add-value", "one, two");
    Set("add-value", "say \"hi\"");
    Set("end-status", "");
    EXPECT_EQ("level_start" + kStamp + ",7,\"one, two\",\"say \"\"hi\"\"\"\r\n", Metrics());
}

TEST_F(MetricsTest, ValuesAreQuotedUnlessTheyAreSafeNumbers)
{
    struct Case
    {
        const char* value;
        const char* written;
    };
    const Case cases[] = {
        {"7", "7"},
        {"12abc", "12abc"},  // a digit first and no comma: left bare
        {"-5", "\"-5\""},    // a minus sign is no digit
        {"", "\"\""},
        {"abc", "\"abc\""},
        {"1,5", "\"1,5\""},
        {"a\"b", "\"a\"\"b\""},
        {"3\nlines", "\"3\nlines\""},      // a bare line break would split the line
        {"3\r\n", "\"3\r\n\""},
        {"4\" wide", "\"4\"\" wide\""},  // so would a bare quote
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.written, QuoteMetricsValue(c.value).CStr()) << c.value;
}

TEST_F(MetricsTest, StateColumnsShowTheValueAtWritingTime)
{
    AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    Set("level", "1");
    Set("begin-session", "session");
    Set("add-state", "level");
    Set("add-state", "unknown");
    Set("end-session", "");
    Set("level", "5");
    // A second opening of the same session adds to it.
    Set("begin-session", "session");
    Set("add-value", "x");
    Set("end-session", "");
    EXPECT_EQ("", Metrics());  // sessions wait for shutdown
    TGameState::Destroy();
    EXPECT_EQ("session" + kStamp + ",5,\"\",\"x\"\r\n", Recorded());
}

TEST_F(MetricsTest, StopwatchesRunStopAndRestart)
{
    AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    gNow = 1000;
    Set("walk", "1");  // starts it
    gNow = 3500;
    EXPECT_EQ("        2500", Get("elapsed-time walk"));
    Set("walk", "yes");  // already running: unchanged
    gNow = 4000;
    Set("walk", "0");  // stops it at 3000
    gNow = 9000;
    EXPECT_EQ("        3000", Get("elapsed-time walk"));
    Set("walk", "1");  // runs on from its total
    gNow = 9500;
    EXPECT_EQ("        3500", Get("elapsed-time:walk"));
    gNow = 10000;
    Set("walk", "restart now");
    gNow = 10250;
    EXPECT_EQ("         250", Get("elapsed-time walk"));
    EXPECT_EQ("           0", Get("elapsed-time nothing"));
    Set("elapsed-time ready", "42");
    EXPECT_EQ("          42", Get("elapsed-time ready"));
    // An add-timer column is the running total when written, unpadded.
    Set("begin-status", "timers");
    Set("add-timer", "walk");
    Set("add-timer", "nothing");
    gNow = 11250;
    Set("end-status", "");
    EXPECT_EQ("timers" + kStamp + ",1250,0\r\n", Metrics());
    // Other keys are not touched on the way back.
    Set("other", "v");
    EXPECT_EQ("v", Get("other"));
}

TEST_F(MetricsTest, ElapsedBlocksFollowThePlayTimeKeptAcrossRuns)
{
    filetest::WriteAll(fs::path(UserFolder()) / "time.dat", TimeFile(40 * kMinute));
    AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    Set("begin-elapsed 30", "half_hour");  // already past: skipped
    Set("add-value", "skipped");
    Set("end-elapsed", "");
    Set("begin-elapsed 45", "three_quarters");
    Set("add-value", "1");
    Set("add-state", "level");
    Set("end-elapsed", "");
    Set("level", "9");
    gNow += 4 * kMinute + 59999;
    EXPECT_EQ("", Get("anything"));
    EXPECT_EQ("", Metrics());
    gNow += 1;  // 45 minutes in all
    EXPECT_FALSE(TGameState::GetInstance()->IsHeld());
    EXPECT_EQ("three_quarters" + kStamp + ",1,9\r\n", Metrics());
    // The play time is written back when the handler goes: 45 minutes.
    TGameState::Destroy();
    EXPECT_EQ(TimeFile(45 * kMinute), filetest::ReadAll(fs::path(UserFolder()) / "time.dat"));
}

TEST_F(MetricsTest, AnElapsedBlockFallingDueWhileOpenIsWrittenAsItStands)
{
    TMetricsGameStateHandler* metrics = AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    Set("begin-elapsed 1", "minute");
    Set("add-value", "first");
    gNow += kMinute;
    Set("add-value", "too late");  // the block is written before this key is taken
    Set("add-value", "also late");
    Set("end-elapsed", "");
    EXPECT_EQ("minute" + kStamp + ",\"first\"\r\n", Metrics());
    EXPECT_EQ(TMetricsGameStateHandler::kOutside, metrics->GetBlockState());
}

TEST_F(MetricsTest, NothingIsWrittenUntilADestinationIsNamed)
{
    AddMetrics();
    Set("begin-status", "early");
    Set("add-value", "1");
    Set("end-status", "");
    Set("begin-elapsed 1", "one");
    Set("add-value", "1");
    Set("end-elapsed", "");
    gNow += 2 * kMinute;
    Get("x");  // elapsed blocks wait for the destination
    EXPECT_TRUE(fs::is_empty(UserFolder()));
    // An output file alone is a destination: the due block goes there.
    Set("outputfile", (UserFolder() + "/custom.txt").c_str());
    Get("x");
    EXPECT_EQ("one" + kStamp + ",1\r\n", Metrics("custom.txt"));
    // A folder named later puts the same name inside it.
    fs::create_directories(fs::path(UserFolder()) / "sub");
    Set("userdatadir", (UserFolder() + "/sub").c_str());
    Set("outputfile", "named.txt");
    Set("begin-status", "late");
    Set("end-status", "");
    EXPECT_EQ("late" + kStamp + "\r\n", Metrics("sub/named.txt"));
}

TEST_F(MetricsTest, MalformedElapsedMinutesWriteTheErrorLineAndSkipTheBlock)
{
    AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    const char* keys[] = {"begin-elapsed x", "begin-elapsed 0", "begin-elapsed -3", "begin-elapsed",
                          "begin-elapsed "};
    std::string expected;
    for (const char* key : keys)
    {
        Set(key, "bad");
        Set("add-value", "ignored");
        Set("end-elapsed", "");
        expected += "TFirstPeekHandlerError" + kStamp + ",\"Incorrect time value in: " + key + "\"\r\n";
    }
    gNow += 100 * kMinute;
    Get("x");
    EXPECT_EQ(expected, Metrics());
}

TEST_F(MetricsTest, KeysInsideABlockStayWithTheRecorder)
{
    TMetricsGameStateHandler* metrics = AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    Journal().clear();
    Set("begin-status", "b");
    Set("level", "3");
    Set("add-value", "1");
    Set("end-b", "");
    Set("after-block", "1");
    EXPECT_EQ((Lines{"after:set after-block=1"}), Journal());
    EXPECT_EQ(0u, metrics->GetStore().states.count("level"));
    EXPECT_EQ(1u, metrics->GetStore().states.count("after-block"));
    // The board stores them all the same.
    EXPECT_STREQ("3", TGameState::GetInstance()->GetStoredStates().at("level").CStr());
    EXPECT_EQ(TMetricsGameStateHandler::kOutside, metrics->GetBlockState());
}

TEST_F(MetricsTest, BadTimeFilesAreIgnored)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        int32_t offset;
    };
    const Case cases[] = {
        {"short", std::string("\x10\x27\x00", 3), 0},
        {"negative", TimeFile(-5 * kMinute), 0},
        {"good", TimeFile(12345), 12345},
        {"longer than four bytes", TimeFile(777) + "tail", 777},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TGameState::Destroy();
        filetest::WriteAll(fs::path(UserFolder()) / "time.dat", c.bytes);
        TMetricsGameStateHandler* metrics = AddMetrics();
        Set("userdatadir", UserFolder().c_str());
        EXPECT_EQ(c.offset, metrics->GetStore().timeOffset);
    }
}

TEST_F(MetricsTest, ShutdownWritesSessionsInNameOrderThenTheReport)
{
    AddMetrics();
    Set("userdatadir", UserFolder().c_str());
    for (const char* name : {"zeta", "alpha"})
    {
        Set("begin-session", name);
        Set("add-value", "1");
        Set("end-session", "");
    }
    Set("begin-status", "never_ended");
    Set("add-value", "1");
    TGameState::Destroy();
    EXPECT_EQ("alpha" + kStamp + ",1\r\nzeta" + kStamp + ",1\r\n", Recorded());
    // No renderer: no "DxInfo" line; the report file was written and read.
    std::string all = Metrics();
    EXPECT_EQ(std::string::npos, all.find("DxInfo,"));
    EXPECT_NE(std::string::npos, all.find("DxDiagNames" + kStamp));
    EXPECT_NE(std::string::npos, all.find("DxDiag" + kStamp));
    EXPECT_TRUE(fs::exists(fs::path(UserFolder()) / "dxdiag.xml"));
    EXPECT_EQ(4u, fs::file_size(fs::path(UserFolder()) / "time.dat"));
}

}  // namespace
