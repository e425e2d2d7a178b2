// Ogg and memory data sources and the builder registry, over files encoded at
// test time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "core/Settings.h"
#include "sound/MemDataSource.h"
#include "sound/OggDataSource.h"
#include "sound/support/OggFixtures.h"

namespace
{

std::vector<uint8_t> ReadAll(TSoundDataSource& source)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(source.GetTotalBytes()));
    const uint32_t got = source.Read(bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
    bytes.resize(got);
    return bytes;
}

class OggDataSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterOggDataSourceBuilder();
        stereo_ = folder_.Write("stereo.ogg", MakeOggTone(2, 44100, 1.0));
        mono_ = folder_.Write("mono.ogg", MakeOggTone(1, 22050, 1.9));
    }
    void TearDown() override { SetSetting("keepogguncompressed", "0"); }

    TTempFolder folder_;
    std::string stereo_;
    std::string mono_;
};

}  // namespace

TEST_F(OggDataSourceTest, ReportsFormatAndLengthInBothModes)
{
    struct Case
    {
        const char* file;
        int channels;
        int rate;
        double seconds;
    } cases[] = {{"stereo.ogg", 2, 44100, 1.0}, {"mono.ogg", 1, 22050, 1.9}};
    for (const auto& c : cases)
    {
        for (bool stream : {true, false})
        {
            SCOPED_TRACE(std::string(c.file) + (stream ? " streamed" : " in memory"));
            TOggDataSource source;
            ASSERT_TRUE(source.Open(folder_.Name(c.file).c_str(), stream));
            EXPECT_EQ(source.GetChannels(), c.channels);
            EXPECT_EQ(source.GetSampleRate(), c.rate);
            EXPECT_NEAR(source.GetDuration(), c.seconds, 0.001);
            EXPECT_EQ(source.GetTotalBytes(), std::lround(c.seconds * c.rate) * c.channels * 2);
            const auto pcm = ReadAll(source);
            EXPECT_EQ(static_cast<int64_t>(pcm.size()), source.GetTotalBytes());
            // The tone is at half scale: the decoded peak is close to 16384.
            int peak = 0;
            for (int16_t s : ToSamples(pcm)) peak = std::max(peak, std::abs(static_cast<int>(s)));
            EXPECT_GT(peak, 14000);
            EXPECT_LT(peak, 19000);
        }
    }
}

TEST_F(OggDataSourceTest, ReadsAtTheEndAndAcrossIt)
{
    TOggDataSource source;
    ASSERT_TRUE(source.Open(stereo_.c_str(), true));
    const auto total = static_cast<uint32_t>(source.GetTotalBytes());
    std::vector<uint8_t> bytes(4096);
    EXPECT_EQ(source.Read(bytes.data(), total, 4096), 0u);
    EXPECT_EQ(source.Read(bytes.data(), total + 100, 4096), 0u);
    EXPECT_EQ(source.Read(bytes.data(), total - 400, 4096), 400u);
    EXPECT_EQ(source.Read(bytes.data(), 0, 0), 0u);
}

TEST_F(OggDataSourceTest, RepositioningDeliversTheBytesAtThatPosition)
{
    TOggDataSource reference;
    ASSERT_TRUE(reference.Open(stereo_.c_str(), false));
    const auto all = ReadAll(reference);
    TOggDataSource source;
    ASSERT_TRUE(source.Open(stereo_.c_str(), true));
    // Two playings of one source read it alternately; odd positions land
    // inside a sample frame.
    const uint32_t positions[] = {40000, 0, 123457, 3, 40000 + 1000, 176396, 99999};
    for (uint32_t position : positions)
    {
        std::vector<uint8_t> bytes(1001);
        const uint32_t got = source.Read(bytes.data(), position, 1001);
        const uint32_t expected =
            std::min<uint32_t>(1001, static_cast<uint32_t>(all.size()) - position);
        ASSERT_EQ(got, expected) << position;
        EXPECT_EQ(0, std::memcmp(bytes.data(), all.data() + position, got)) << position;
    }
}

TEST_F(OggDataSourceTest, BuilderRegistryFindsFilesByExtension)
{
    const std::string base = folder_.Name("stereo");
    struct Case
    {
        std::string name;
        bool found;
    } cases[] = {
        {base, true},                         // no extension: name + ".ogg" exists
        {base + ".ogg", true},                // registered extension
        {folder_.Name("missing"), false},     // nothing of that name
        {folder_.Name("stereo.wav"), false},  // unregistered, and stereo.wav.ogg is absent
    };
    for (const auto& c : cases)
        EXPECT_EQ(CreateDataSource(c.name.c_str(), true) != nullptr, c.found) << c.name;

    folder_.Write("other.wav.ogg", MakeOggTone(1, 22050, 0.2));
    EXPECT_NE(CreateDataSource(folder_.Name("other.wav").c_str(), true), nullptr)
        << "the Ogg builder appends .ogg itself";
}

TEST_F(OggDataSourceTest, PreloadKeepsShortSoundsInMemory)
{
    folder_.Write("two.ogg", MakeOggTone(2, 44100, 2.0));
    struct Case
    {
        const char* file;
        bool preload;
        bool keep;
        bool memory;
    } cases[] = {
        {"mono", true, false, true},   // 1.9 s
        {"two", true, false, false},   // 2.0 s
        {"two", true, true, true},     // "keepogguncompressed"
        {"mono", false, true, false},  // streamed sounds are never decoded ahead
    };
    for (const auto& c : cases)
    {
        SetSetting("keepogguncompressed", c.keep ? "1" : "0");
        auto source = CreateDataSource(folder_.Name(c.file).c_str(), !c.preload);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(dynamic_cast<TMemDataSource*>(source.get()) != nullptr, c.memory)
            << c.file << " keep=" << c.keep;
        EXPECT_EQ(dynamic_cast<TOggDataSource*>(source.get()) != nullptr, !c.memory);
    }
}

TEST_F(OggDataSourceTest, MemorySourceMatchesTheDecoder)
{
    TOggDataSource ogg;
    ASSERT_TRUE(ogg.Open(mono_.c_str(), false));
    auto memory = TMemDataSource::FromSource(ogg);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->GetTotalBytes(), ogg.GetTotalBytes());
    EXPECT_EQ(memory->GetChannels(), 1);
    EXPECT_EQ(memory->GetSampleRate(), 22050);
    const auto decoded = ReadAll(ogg);
    EXPECT_EQ(ReadAll(*memory), decoded);

    const auto total = static_cast<uint32_t>(memory->GetTotalBytes());
    std::vector<uint8_t> bytes(100);
    EXPECT_EQ(memory->Read(bytes.data(), total, 100), 0u);
    EXPECT_EQ(memory->Read(bytes.data(), total - 10, 100), 10u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), decoded.data() + total - 10, 10));
}

namespace
{
// A source whose header promises more than it holds, or a length that
// cannot be.
class TLyingSource : public TSoundDataSource
{
public:
    explicit TLyingSource(int64_t claimed) : claimed_(claimed) {}
    uint32_t Read(void* destination, uint32_t position, uint32_t bytes) override
    {
        if (position >= 1000) return 0;
        const uint32_t count = std::min(bytes, 1000 - position);
        std::memset(destination, 7, count);
        largestRequest = std::max(largestRequest, bytes);
        return count;
    }
    int64_t GetTotalBytes() override { return claimed_; }
    int32_t GetSampleRate() override { return 100; }
    int32_t GetChannels() override { return 1; }
    double GetDuration() override { return static_cast<double>(claimed_) / 200.0; }

    uint32_t largestRequest = 0;

private:
    int64_t claimed_;
};
}  // namespace

TEST(MemDataSource, ShortDecodeShrinksAndHugeLengthsAreRefused)
{
    TLogCapture log;
    TLyingSource shortOne(5000);
    auto memory = TMemDataSource::FromSource(shortOne);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->GetTotalBytes(), 1000);
    EXPECT_DOUBLE_EQ(memory->GetDuration(), 5.0);

    // A header claiming the largest length allowed does not get that much
    // memory up front: the decode grows with what really arrives.
    TLyingSource biggest(TMemDataSource::kMaxBytes);
    memory = TMemDataSource::FromSource(biggest);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->GetTotalBytes(), 1000);
    EXPECT_LE(biggest.largestRequest, 1u << 20);

    for (int64_t claimed : {int64_t{-1}, int64_t{1} << 40, TMemDataSource::kMaxBytes + 1})
    {
        TLyingSource huge(claimed);
        EXPECT_EQ(TMemDataSource::FromSource(huge), nullptr) << claimed;
    }
    EXPECT_TRUE(log.Contains("too long to keep in memory"));
}

TEST(OggDataSource, BadFilesFailWithTheLogLine)
{
    TTempFolder folder;
    TLogCapture log;
    const auto good = MakeOggTone(2, 44100, 0.5);
    std::mt19937 random(7);
    std::vector<uint8_t> garbage(5000);
    for (auto& b : garbage) b = static_cast<uint8_t>(random());
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[0] = 'X';
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"garbage", garbage},
        {"wrongmagic", wrongMagic},
        {"headeronly", std::vector<uint8_t>(good.begin(), good.begin() + 40)},
        {"empty", {}},
        {"threechannels", MakeOggTone(3, 44100, 0.3)},
    };
    ASSERT_GT(cases[4].bytes.size(), 1000u) << "a real three-channel stream";
    for (const auto& c : cases)
    {
        for (bool stream : {true, false})
        {
            TOggDataSource source;
            EXPECT_FALSE(source.Open(folder.Write(c.name, c.bytes).c_str(), stream)) << c.name;
            std::vector<uint8_t> bytes(64);
            EXPECT_EQ(source.Read(bytes.data(), 0, 64), 0u);
        }
    }
    EXPECT_TRUE(log.Contains("OGG file could not be opened"));

    const std::string before = log.Text();
    TOggDataSource missing;
    EXPECT_FALSE(missing.Open(folder.Name("nothing").c_str(), true));
    EXPECT_EQ(log.Text(), before) << "a missing file fails silently";
}

// A codebook whose code lengths cannot form a code: the system decoder fails
// to set up, keeps its half-built tables, and divided by zero when read again.
TEST(OggDataSource, DecoderThatCannotSetUpIsRefused)
{
    std::ifstream in(ORVELLE_SOURCE_DIR "/fuzz/corpus/ogg/bad-codebook-lengths.ogg",
                     std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    ASSERT_GT(bytes.size(), 3000u);
    TTempFolder folder;
    TLogCapture log;
    const std::string path = folder.Write("bad.ogg", bytes);
    for (int mode = 0; mode < 3; ++mode)
    {
        TOggDataSource source;
        const bool opened = mode == 2 ? source.OpenMemory(bytes.data(), bytes.size())
                                      : source.Open(path.c_str(), mode == 1);
        EXPECT_FALSE(opened) << mode;
        std::vector<uint8_t> pcm(4096);
        for (uint32_t position : {0u, 4096u, 0u})
            EXPECT_EQ(source.Read(pcm.data(), position, 4096), 0u);
    }
    EXPECT_TRUE(log.Contains("decoder set-up failed"));
}

TEST(OggDataSource, TruncatedAndEmptyStreamsEndEarlyWithoutHarm)
{
    TTempFolder folder;
    TLogCapture log;
    const auto good = MakeOggTone(1, 22050, 1.0);
    int opened = 0;
    for (size_t cut : {good.size() / 2, good.size() - 100, good.size() * 9 / 10})
    {
        const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(cut));
        for (bool stream : {true, false})
        {
            TOggDataSource source;
            if (!source.Open(folder.Write("cut.ogg", truncated).c_str(), stream)) continue;
            ++opened;
            EXPECT_GE(source.GetTotalBytes(), 0);
            EXPECT_LE(source.GetTotalBytes(), 22050 * 2 + 4096);
            std::vector<uint8_t> bytes(22050 * 2);
            const uint32_t got = source.Read(bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
            EXPECT_LE(got, static_cast<uint32_t>(source.GetTotalBytes()));
            auto memory = TMemDataSource::FromSource(source);
            if (memory)
            {
                EXPECT_LE(memory->GetTotalBytes(), source.GetTotalBytes());
            }
        }
    }

    EXPECT_GT(opened, 0) << "a stream cut short still plays what it has";

    TOggDataSource empty;
    ASSERT_TRUE(empty.Open(folder.Write("silence.ogg", MakeOggTone(2, 44100, 0.0)).c_str(), false));
    EXPECT_EQ(empty.GetTotalBytes(), 0);
    EXPECT_EQ(empty.GetDuration(), 0.0);
    std::vector<uint8_t> bytes(64);
    EXPECT_EQ(empty.Read(bytes.data(), 0, 64), 0u);
}

// A file that stops short (a broken download, a damaged disk) still plays
// what it holds, and the log names it; a whole file leaves no such line.
TEST(OggDataSource, AFileCutShortIsNamedInTheLog)
{
    TTempFolder folder;
    const auto good = MakeOggTone(1, 22050, 20.0, 3000.0);
    size_t lastPage = 0;
    for (size_t i = 0; i + 4 <= good.size(); ++i)
        if (std::memcmp(good.data() + i, "OggS", 4) == 0) lastPage = i;
    ASSERT_GT(lastPage, 0u);
    struct Case
    {
        const char* what;
        size_t size;
        bool cut;
    };
    const Case cases[] = {
        {"whole", good.size(), false},
        {"cut inside the last page", good.size() - 7, true},
        {"cut at the last page's start", lastPage, true},
        {"cut in the middle", good.size() / 2, true},
    };
    for (const Case& c : cases)
    {
        const std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<long>(c.size));
        const std::string path = folder.Write("tone.ogg", bytes);
        for (int mode = 0; mode < 3; ++mode)
        {
            SCOPED_TRACE(std::string(c.what) + (mode == 0 ? ", streamed" : mode == 1 ? ", loaded" : ", in memory"));
            TLogCapture log;
            TOggDataSource source;
            const bool opened = mode == 2 ? source.OpenMemory(bytes.data(), bytes.size())
                                          : source.Open(path.c_str(), mode == 0);
            ASSERT_TRUE(opened);
            EXPECT_EQ(log.Contains("is cut short: it plays what is there"), c.cut) << log.Text();
            if (c.cut)
            {
                EXPECT_TRUE(log.Contains(mode == 2 ? "(memory)" : "tone.ogg")) << log.Text();
            }
            std::vector<uint8_t> pcm(static_cast<size_t>(source.GetTotalBytes()));
            const uint32_t got = source.Read(pcm.data(), 0, static_cast<uint32_t>(pcm.size()));
            // 20 s of mono 16-bit at 22050 Hz when whole; at least half of
            // the share of the file that is left.
            const double whole = 20.0 * 22050 * 2;
            EXPECT_GE(got, whole * static_cast<double>(c.size) / static_cast<double>(good.size()) / 2)
                << "what is there still plays";
        }
    }
}

TEST(OggDataSource, DecodingGoesOnAfterAMissingPage)
{
    const auto good = MakeOggTone(1, 22050, 20.0, 3000.0);
    std::vector<size_t> pages;
    for (size_t i = 0; i + 4 <= good.size(); ++i)
        if (std::memcmp(good.data() + i, "OggS", 4) == 0) pages.push_back(i);
    ASSERT_GT(pages.size(), 6u);
    // Drop one audio page from the middle: the decoder reports a hole there.
    const size_t cut = pages.size() / 2;
    std::vector<uint8_t> holed(good.begin(), good.begin() + static_cast<long>(pages[cut]));
    holed.insert(holed.end(), good.begin() + static_cast<long>(pages[cut + 1]), good.end());

    TOggDataSource source;
    ASSERT_TRUE(source.OpenMemory(holed.data(), holed.size()));
    std::vector<uint8_t> pcm(static_cast<size_t>(source.GetTotalBytes()));
    const uint32_t got = source.Read(pcm.data(), 0, static_cast<uint32_t>(pcm.size()));
    EXPECT_GT(got, pcm.size() * 3 / 4) << "the audio after the hole is delivered";
    EXPECT_LE(got, pcm.size());
}

TEST(OggDataSource, OpensAnImageInMemory)
{
    const auto bytes = MakeOggTone(2, 44100, 0.25);
    TOggDataSource source;
    ASSERT_TRUE(source.OpenMemory(bytes.data(), bytes.size()));
    EXPECT_EQ(source.GetTotalBytes(), std::lround(0.25 * 44100) * 4);
    TOggDataSource none;
    EXPECT_FALSE(none.OpenMemory(nullptr, 0));
}
