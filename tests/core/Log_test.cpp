// The debug log: fresh file per folder, entry format, the wrap-around ring,
// memory-limit notices, concurrent writers and the computer identifier.
#include "core/Log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace fs = std::filesystem;

class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "logtest-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override
    {
        SetLogFolder(nullptr);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string root_;
};

// True when text holds a stamp and ": " at pos, shaped "Tue Dec 07 14:03:05 2010: ".
bool IsStampAt(const std::string& text, size_t pos)
{
    static const char kShape[] = "Aaa Aaa 99 99:99:99 9999: ";
    if (text.size() < pos + sizeof(kShape) - 1) return false;
    for (size_t i = 0; i + 1 < sizeof(kShape); ++i)
    {
        char c = text[pos + i];
        switch (kShape[i])
        {
            case 'A':
                if (c < 'A' || c > 'Z') return false;
                break;
            case 'a':
                if (c < 'a' || c > 'z') return false;
                break;
            case '9':
                if (c < '0' || c > '9') return false;
                break;
            default:
                if (c != kShape[i]) return false;
        }
    }
    return true;
}

TEST_F(LogTest, FreshFilePerFolderAndEntryFormat)
{
    std::string folder = root_ + "/logs";
    std::string path = folder + "/logfile.txt";
    SetLogFolder(folder.c_str());  // created one level deep
    EXPECT_STREQ(GetLogPath().CStr(), path.c_str());
    LogPrintf("Level loaded.");
    LogPrintf("value %d and %s", 42, "text");
    std::string first = ReadAll(path);
    EXPECT_TRUE(IsStampAt(first, 0));
    EXPECT_TRUE(IsStampAt(first, 26 + strlen("Level loaded.\n")));
    EXPECT_EQ(first.substr(24, 16), ": Level loaded.\n");
    EXPECT_EQ(first.size(), 2 * 26 + strlen("Level loaded.\n") + strlen("value 42 and text\n"));

    // Setting the folder again starts the file afresh.
    SetLogFolder(folder.c_str());
    EXPECT_FALSE(fs::exists(path));
    LogPrintf("second run");
    std::string second = ReadAll(path);
    EXPECT_EQ(second.size(), 26 + strlen("second run\n"));
    EXPECT_EQ(second.substr(24), ": second run\n");
}

TEST_F(LogTest, WrapsAtLimitBehindBanner)
{
    SetLogFolder(root_.c_str());
    std::string path = root_ + "/logfile.txt";
    // Entries of exactly 1024 bytes: 26 bytes of stamp, a tag, padding, "\n".
    auto entry = [](int i)
    {
        std::string message = "entry " + std::to_string(i) + " ";
        message.append(1024 - 26 - 1 - message.size(), '.');
        return message;
    };
    // Entries 0..99 end exactly at 102400; entry 100 still goes there.
    for (int i = 0; i <= 100; ++i) LogPrintf("%s", entry(i).c_str());
    std::string before = ReadAll(path);
    ASSERT_EQ(before.size(), 101u * 1024u);
    EXPECT_EQ(before.substr(102400 + 24, 12), ": entry 100 ");

    // The first entry starting beyond 102400 goes to 51200 behind the banner.
    LogPrintf("%s", entry(101).c_str());
    std::string after = ReadAll(path);
    const std::string banner = kLogWrapBanner;
    ASSERT_EQ(after.size(), 101u * 1024u);  // older bytes behind stay
    EXPECT_EQ(after.substr(0, 51200), before.substr(0, 51200));
    EXPECT_EQ(after.substr(51200, banner.size()), banner);
    size_t wrapped = 51200 + banner.size();
    EXPECT_EQ(after.substr(wrapped + 24, 12), ": entry 101 ");
    size_t end = wrapped + 1024;
    EXPECT_EQ(after.substr(end), before.substr(end));

    // The ring continues from there without another banner until the limit.
    LogPrintf("%s", entry(102).c_str());
    std::string third = ReadAll(path);
    EXPECT_EQ(third.substr(end + 24, 12), ": entry 102 ");
    EXPECT_EQ(third.find(banner, 51200 + 1), std::string::npos);

    // Many more entries keep the file near 100 KB.
    for (int i = 103; i < 400; ++i) LogPrintf("%s", entry(i).c_str());
    EXPECT_LE(fs::file_size(path), 102400u + 1024u + banner.size());
    EXPECT_EQ(ReadAll(path).substr(0, 51200), before.substr(0, 51200));
}

// One line never holds more than 4 KB of message, so no
// single entry wraps the log; a cut never splits a character.
TEST_F(LogTest, LongMessagesAreCutWithAMarker)
{
    constexpr size_t kLogMessageLimit = 4096;
    SetLogFolder(root_.c_str());
    const std::string path = root_ + "/logfile.txt";
    const std::string euro = "\xE2\x82\xAC";
    struct Case
    {
        const char* what;
        std::string message;
        size_t kept;  // message bytes before the marker; npos: whole, no marker
    } const cases[] = {
        {"at the limit", std::string(kLogMessageLimit, 'a'), std::string::npos},
        {"one byte over", std::string(kLogMessageLimit + 1, 'b'), kLogMessageLimit},
        {"100 KB", std::string(100 * 1024, 'c'), kLogMessageLimit},
        {"character across the limit", std::string(kLogMessageLimit - 1, 'd') + euro + "tail",
         kLogMessageLimit - 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        SetLogFolder(root_.c_str());
        LogPrintf("%s", c.message.c_str());
        const std::string log = ReadAll(path);
        const std::string line = log.substr(26, log.size() - 27);
        EXPECT_EQ(log.back(), '\n');
        EXPECT_EQ(log.find('\n'), log.size() - 1);
        if (c.kept == std::string::npos)
        {
            EXPECT_EQ(line, c.message);
            continue;
        }
        EXPECT_EQ(line.substr(0, c.kept), c.message.substr(0, c.kept));
        EXPECT_EQ(line.substr(c.kept),
                  " [... " + std::to_string(c.message.size() - c.kept) + " more bytes cut]");
    }
}

TEST_F(LogTest, MemoryLimitNoticeLeavesLogAlone)
{
    SetLogFolder(root_.c_str());
    TString path = GetLogPath();
    SetLogFolder("__MEMORYMAX__=123456");
    EXPECT_EQ(GetLogMemoryLimit(), 123456);
    EXPECT_TRUE(GetLogPath() == path);
    EXPECT_FALSE(fs::exists("__MEMORYMAX__=123456"));
    // A bare notice reads no number (and nothing past its end).
    SetLogFolder("__MEMORYMAX__");
    EXPECT_EQ(GetLogMemoryLimit(), 0);
    EXPECT_TRUE(GetLogPath() == path);
}

TEST_F(LogTest, NullOrEmptyFolderStopsLogging)
{
    SetLogFolder(root_.c_str());
    LogPrintf("kept");
    SetLogFolder(nullptr);
    EXPECT_EQ(GetLogPath().Length(), 0);
    LogPrintf("dropped");
    EXPECT_EQ(ReadAll(root_ + "/logfile.txt").find("dropped"), std::string::npos);
    SetLogFolder("");
    EXPECT_EQ(GetLogPath().Length(), 0);
}

TEST_F(LogTest, UnwritableFolderDropsEntriesQuietly)
{
    std::string folder = root_ + "/missing/deeper";  // only one level is created
    SetLogFolder(folder.c_str());
    EXPECT_FALSE(fs::exists(folder));
    LogPrintf("nowhere to go");
    EXPECT_FALSE(fs::exists(folder + "/logfile.txt"));
}

TEST_F(LogTest, ConcurrentWritersKeepLinesWhole)
{
    SetLogFolder(root_.c_str());
    constexpr int kThreads = 4;
    constexpr int kEach = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [t]
            {
                for (int i = 0; i < kEach; ++i) LogPrintf("thread %d line %d end", t, i);
            });
    for (auto& th : threads) th.join();
    std::istringstream in(ReadAll(root_ + "/logfile.txt"));
    std::string line;
    int count = 0;
    while (std::getline(in, line))
    {
        EXPECT_TRUE(IsStampAt(line, 0)) << line;
        EXPECT_EQ(line.compare(26, 7, "thread "), 0) << line;
        EXPECT_EQ(line.compare(line.size() - 4, 4, " end"), 0) << line;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kEach);
}

TEST(LogStampTest, TwentyFourCharactersWithZeroPaddedDay)
{
    struct Case
    {
        int year, month, day, wday, hour, minute, second;
        const char* expected;
    };
    const Case cases[] = {
        {2010, 11, 7, 2, 14, 3, 5, "Tue Dec 07 14:03:05 2010"},
        {1999, 0, 31, 0, 0, 0, 0, "Sun Jan 31 00:00:00 1999"},
        {2026, 5, 1, 1, 23, 59, 59, "Mon Jun 01 23:59:59 2026"},
    };
    for (const Case& k : cases)
    {
        struct tm when = {};
        when.tm_year = k.year - 1900;
        when.tm_mon = k.month;
        when.tm_mday = k.day;
        when.tm_wday = k.wday;
        when.tm_hour = k.hour;
        when.tm_min = k.minute;
        when.tm_sec = k.second;
        TString stamp = FormatLogStamp(when);
        EXPECT_STREQ(stamp.CStr(), k.expected);
        EXPECT_EQ(stamp.Length(), 24);
    }
}

TEST(LogMiscTest, CountersAndComputerId)
{
    EXPECT_EQ(GetMemoryInUse(), 0);
    EXPECT_EQ(GetPeakMemoryInUse(), 0);
    TString id = GetComputerId();
    ASSERT_EQ(id.Length(), 16);
    for (int i = 0; i < 8; ++i)
    {
        auto first = static_cast<unsigned char>(id.CharAt(2 * i));
        auto second = static_cast<unsigned char>(id.CharAt(2 * i + 1));
        EXPECT_GE(first, 0x40);
        EXPECT_LE(first, 0x5F);
        EXPECT_GE(second, 0x42 + i);
        EXPECT_LE(second, 0x49 + i);
    }
}

}  // namespace
