// Filling buffer halves from a source, with and without looping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <numeric>

#include "sound/MemDataSource.h"
#include "sound/StreamSpooler.h"

namespace
{

// A source of count bytes 1, 2, 3, ... (mod 251, never 0, so silence shows).
std::shared_ptr<TMemDataSource> Counting(size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i % 251 + 1);
    return std::make_shared<TMemDataSource>(std::move(bytes), 1, 100);
}

// A source that claims bytes but never delivers any.
class TDeadSource : public TSoundDataSource
{
public:
    uint32_t Read(void*, uint32_t, uint32_t) override { return 0; }
    int64_t GetTotalBytes() override { return 4000; }
    int32_t GetSampleRate() override { return 100; }
    int32_t GetChannels() override { return 1; }
    double GetDuration() override { return 20.0; }
};

}  // namespace

TEST(StreamSpooler, FillCases)
{
    struct Case
    {
        const char* what;
        size_t sourceBytes;
        int32_t start;  // bytes consumed by an earlier fill
        int32_t request;
        bool loop;
        bool result;
        int32_t written;
        int32_t positionAfter;
        std::vector<uint8_t> expect;  // the destination
    } cases[] = {
        {"inside the source", 10, 0, 4, false, true, 4, 4, {1, 2, 3, 4}},
        {"ends exactly at the end", 6, 2, 4, false, false, 4, 6, {3, 4, 5, 6}},
        {"runs out: the rest is silence", 6, 4, 5, false, false, 2, 6, {5, 6, 0, 0, 0}},
        {"already at the end", 6, 6, 3, false, false, 0, 6, {0, 0, 0}},
        {"loop wraps inside the half", 6, 4, 5, true, true, 5, 3, {5, 6, 1, 2, 3}},
        {"loop wraps several times", 2, 0, 7, true, true, 7, 1, {1, 2, 1, 2, 1, 2, 1}},
        {"loop ending at the end wraps", 4, 0, 4, true, true, 4, 0, {1, 2, 3, 4}},
        {"empty source, looping, ends", 0, 0, 3, true, false, 0, 0, {0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TStreamSpooler spooler(Counting(c.sourceBytes));
        std::vector<uint8_t> skip(static_cast<size_t>(c.start) + 1);
        int32_t ignored = 0;
        if (c.start > 0) spooler.Fill(c.start, skip.data(), &ignored, false);
        ASSERT_EQ(spooler.GetPosition(), c.start);
        std::vector<uint8_t> out(static_cast<size_t>(c.request), 0xEE);
        int32_t written = -1;
        EXPECT_EQ(spooler.Fill(c.request, out.data(), &written, c.loop), c.result);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(spooler.GetPosition(), c.positionAfter);
        EXPECT_EQ(out, c.expect);
    }
}

TEST(StreamSpooler, WithoutSourceOrBytesFillsSilence)
{
    TStreamSpooler none(nullptr);
    std::vector<uint8_t> out(4, 0xEE);
    int32_t written = -1;
    EXPECT_TRUE(none.Fill(4, out.data(), &written, true));
    EXPECT_EQ(written, 0);
    EXPECT_EQ(out, std::vector<uint8_t>(4, 0));
    EXPECT_EQ(none.GetDuration(), 0.0);
    TStreamSpooler some(Counting(10));
    EXPECT_TRUE(some.Fill(0, out.data(), &written, false));
}

TEST(StreamSpooler, SourceThatDeliversNothingCannotSpinForever)
{
    TStreamSpooler spooler(std::make_shared<TDeadSource>());
    std::vector<uint8_t> out(1000, 0xEE);
    int32_t written = -1;
    EXPECT_FALSE(spooler.Fill(1000, out.data(), &written, true));
    EXPECT_EQ(written, 0);
    EXPECT_EQ(out, std::vector<uint8_t>(1000, 0));
}

TEST(StreamSpooler, SeekAndRewindUseWholeFrames)
{
    // Stereo 16-bit at 100 Hz: 400 bytes a second.
    auto source = std::make_shared<TMemDataSource>(std::vector<uint8_t>(4000, 1), 2, 100);
    TStreamSpooler spooler(source);
    EXPECT_DOUBLE_EQ(spooler.GetDuration(), 10.0);
    spooler.Seek(1.5f);
    EXPECT_EQ(spooler.GetPosition(), 600);
    spooler.Seek(0.0125f);
    EXPECT_EQ(spooler.GetPosition(), 4);
    spooler.Rewind();
    EXPECT_EQ(spooler.GetPosition(), 0);

    // Times no sound reaches stay inside the position's range.
    struct Case
    {
        float seconds;
        int32_t position;
    } cases[] = {{-1.0f, 0},
                 {std::nanf(""), 0},
                 {std::numeric_limits<float>::infinity(), INT32_MAX / 4 * 4},
                 {1e30f, INT32_MAX / 4 * 4}};
    for (const auto& c : cases)
    {
        spooler.Seek(c.seconds);
        EXPECT_EQ(spooler.GetPosition(), c.position) << c.seconds;
    }
}
