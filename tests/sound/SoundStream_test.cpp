// Sound streams over the fake device: buffer sizes, half refills, the end of
// data, play once, looping, pause and suspend, volume, queued parts, and
// streams without a device.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sound/support/SoundFixture.h"

namespace
{

constexpr uint32_t kStereoBytes = 352800;  // 2 s of 44100 Hz 16-bit stereo
constexpr uint32_t kHalf = kStereoBytes / 2;

TFakeAudioBuffer* FakeOf(TSoundStream& stream)
{
    return static_cast<TFakeAudioBuffer*>(stream.GetBuffer());
}

// Checks that buffer bytes [offset, offset + count) hold the tagged source's
// bytes from sourcePosition on.
::testing::AssertionResult HoldsSource(const std::vector<uint8_t>& buffer, uint32_t offset,
                                       uint32_t count, uint32_t sourcePosition, int channels = 2,
                                       int tag = 0)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint8_t want = TaggedByte(channels, sourcePosition + i, tag);
        if (buffer[offset + i] != want)
            return ::testing::AssertionFailure()
                   << "byte " << offset + i << " is " << int(buffer[offset + i]) << ", source byte "
                   << sourcePosition + i << " is " << int(want);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsSilent(const std::vector<uint8_t>& buffer, uint32_t offset,
                                    uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        if (buffer[offset + i] != 0)
            return ::testing::AssertionFailure() << "byte " << offset + i << " is not 0";
    return ::testing::AssertionSuccess();
}

class SoundStreamTest : public SoundFixture
{
};

}  // namespace

TEST_F(SoundStreamTest, BufferSizeIsRoundedAndBounded)
{
    struct Case
    {
        int rate;
        int channels;
        float seconds;
        uint32_t bytes;
    } cases[] = {
        {44100, 2, 2.0f, kStereoBytes},
        {22050, 1, 2.0f, 88200},
        {11025, 1, 0.001f, 24},  // 22.05 rounds to 22, then up to a multiple of 8
        {44100, 2, 0.0f, 4},     // nothing rounds to 4
        {44100, 2, -1.0f, 4},
    };
    for (const auto& c : cases)
    {
        auto stream = DetachedStream(MakeTaggedSource(c.channels, c.rate, 0.01), false);
        ASSERT_TRUE(stream->CreateBuffer(c.rate, c.channels, 16, c.seconds)) << c.seconds;
        EXPECT_EQ(stream->GetBufferBytes(), c.bytes) << c.rate << " " << c.seconds;
        EXPECT_EQ(stream->GetBuffer()->GetSize(), c.bytes);
        EXPECT_FLOAT_EQ(stream->GetBufferSeconds(),
                        static_cast<float>(c.bytes) / (c.rate * c.channels * 2.0f));
    }
}

TEST_F(SoundStreamTest, RefillsTheHalfThePlayCursorHasLeft)
{
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 5.0), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    TFakeAudioBuffer* buffer = FakeOf(*stream);
    EXPECT_EQ(stream->GetLastFilledHalf(), 1);
    EXPECT_TRUE(HoldsSource(buffer->Snapshot(), 0, kHalf, 0));
    EXPECT_TRUE(IsSilent(buffer->Snapshot(), kHalf, kHalf));

    stream->Play(false);
    EXPECT_TRUE(buffer->IsPlaying());
    EXPECT_TRUE(stream->Service(false));
    EXPECT_EQ(stream->GetLastFilledHalf(), 2);
    EXPECT_TRUE(HoldsSource(buffer->Snapshot(), kHalf, kHalf, kHalf));

    // The write cursor has crossed the middle but the play cursor has not:
    // the first half is still being played.
    buffer->Advance(kHalf - 32);
    EXPECT_TRUE(stream->Service(false));
    EXPECT_EQ(stream->GetLastFilledHalf(), 2);

    buffer->Advance(64);
    EXPECT_TRUE(stream->Service(false));
    EXPECT_EQ(stream->GetLastFilledHalf(), 1);
    EXPECT_TRUE(HoldsSource(buffer->Snapshot(), 0, kHalf, 2 * kHalf));

    // Repeated services in the same half change nothing.
    const auto before = buffer->Snapshot();
    EXPECT_TRUE(stream->Service(false));
    EXPECT_EQ(buffer->Snapshot(), before);

    buffer->Advance(kHalf);  // wrapped into the first half
    EXPECT_TRUE(stream->Service(false));
    EXPECT_EQ(stream->GetLastFilledHalf(), 2);
    EXPECT_TRUE(HoldsSource(buffer->Snapshot(), kHalf, kHalf, 3 * kHalf));
}

TEST_F(SoundStreamTest, LongSoundStopsOneToTwoHalvesAfterItsData)
{
    // 2.5 s of data in a 2 s ring: the data ends inside the third half.
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 2.5), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    TFakeAudioBuffer* buffer = FakeOf(*stream);
    stream->Play(false);
    EXPECT_TRUE(stream->Service(false));  // second half: 1 s to 2 s
    EXPECT_FALSE(stream->HasSourceEnded());

    buffer->Advance(kHalf + 100);
    EXPECT_TRUE(stream->Service(false));  // first half: 2 s to 2.5 s, then silence
    EXPECT_TRUE(stream->HasSourceEnded());
    const auto third = buffer->Snapshot();
    EXPECT_TRUE(HoldsSource(third, 0, kHalf / 2, 2 * kHalf));
    EXPECT_TRUE(IsSilent(third, kHalf / 2, kHalf / 2));

    buffer->Advance(kHalf);
    EXPECT_TRUE(stream->Service(false));  // one half of silence
    EXPECT_EQ(stream->GetBytesLeft(), static_cast<int32_t>(kHalf));
    EXPECT_TRUE(IsSilent(buffer->Snapshot(), kHalf, kHalf));
    EXPECT_TRUE(buffer->IsPlaying());

    buffer->Advance(kHalf);
    EXPECT_FALSE(stream->Service(false));
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_EQ(stream->GetSpooler(), nullptr);
}

TEST_F(SoundStreamTest, ShortSoundPlaysOnceAndFinishesWhenTheBufferStops)
{
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 1.5), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    TFakeAudioBuffer* buffer = FakeOf(*stream);
    stream->Play(true);
    EXPECT_TRUE(stream->IsPlayOnce());
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, kAudioStatusPlaying) << "played once, not looping";

    EXPECT_TRUE(stream->Service(false));
    const auto full = buffer->Snapshot();
    EXPECT_TRUE(HoldsSource(full, 0, 3 * kHalf / 2, 0));
    EXPECT_TRUE(IsSilent(full, 3 * kHalf / 2, kHalf / 2));

    for (uint32_t step = 0; step < 7; ++step)
    {
        buffer->Advance(kStereoBytes / 8);
        EXPECT_TRUE(stream->Service(false)) << step;
    }
    // Pausing near the end leaves both cursors equal: still not finished.
    stream->SetPaused(true);
    EXPECT_TRUE(stream->Service(false));
    EXPECT_TRUE(stream->Service(false));
    stream->SetPaused(false);
    buffer->Advance(kStereoBytes / 8);
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_FALSE(stream->Service(false))
        << "finished at the first service after the buffer stopped";
}

TEST_F(SoundStreamTest, LoopingSoundNeverEndsAndWrapsInsideAHalf)
{
    // 0.3 s of data: every half holds the loop three and a third times.
    const uint32_t loopBytes = static_cast<uint32_t>(0.3 * 44100) * 4;
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 0.3), true);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    TFakeAudioBuffer* buffer = FakeOf(*stream);
    stream->Play(false);
    buffer->Advance(100);
    uint32_t consumed = 0;
    for (int half = 0; half < 12; ++half)
    {
        EXPECT_TRUE(stream->Service(false)) << half;
        const auto bytes = buffer->Snapshot();
        const uint32_t offset = stream->GetLastFilledHalf() == 1 ? 0 : kHalf;
        for (uint32_t i = 0; i < kHalf; i += 997)
        {
            ASSERT_EQ(bytes[offset + i], TaggedByte(2, (consumed + kHalf + i) % loopBytes))
                << "half " << half << " byte " << i;
        }
        consumed += kHalf;
        buffer->Advance(kHalf);
    }
    EXPECT_FALSE(stream->HasSourceEnded());
}

TEST_F(SoundStreamTest, PauseSuspendAndResume)
{
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 5.0), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    TFakeAudioBuffer* buffer = FakeOf(*stream);
    stream->Play(false);
    buffer->Advance(10000);

    // Window deactivation pauses and reactivation resumes where it was.
    stream->Suspend(true);
    EXPECT_TRUE(stream->IsPaused());
    EXPECT_TRUE(stream->IsSuspended());
    EXPECT_FALSE(buffer->IsPlaying());
    stream->Suspend(false);
    EXPECT_FALSE(stream->IsPaused());
    EXPECT_FALSE(stream->IsSuspended());
    EXPECT_TRUE(buffer->IsPlaying());
    uint32_t play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 10000u);

    // A stream the game paused stays paused across a suspension.
    stream->SetPaused(true);
    stream->Suspend(true);
    EXPECT_FALSE(stream->IsSuspended());
    stream->Suspend(false);
    EXPECT_TRUE(stream->IsPaused());
    EXPECT_FALSE(buffer->IsPlaying());

    // Pausing a suspended stream makes it the game's pause.
    stream->SetPaused(false);
    stream->Suspend(true);
    stream->SetPaused(true);
    EXPECT_FALSE(stream->IsSuspended());
    stream->Suspend(false);
    EXPECT_TRUE(stream->IsPaused());
}

TEST_F(SoundStreamTest, PlayWhileDisabledWaitsForTheManager)
{
    manager_->Enable(false);
    auto stream =
        TSoundStream::Create(new TStreamSpooler(MakeTaggedSource(2, 44100, 5.0)), false, 0, {});
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    stream->Play(false);
    EXPECT_TRUE(stream->IsPaused());
    EXPECT_TRUE(stream->IsSuspended());
    EXPECT_FALSE(FakeOf(*stream)->IsPlaying());
    manager_->Enable(true);
    EXPECT_FALSE(stream->IsPaused());
    EXPECT_TRUE(FakeOf(*stream)->IsPlaying());
    stream->Stop(false);
}

TEST_F(SoundStreamTest, VolumeMapsToHundredthsOfADecibel)
{
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 1.0), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    struct Case
    {
        float volume;
        int32_t device;
    } cases[] = {{1.0f, 0},
                 {0.5f, -2500},
                 {0.0f, -10000},
                 {0.001f, -4995},
                 {2.0f, 0},
                 {-1.0f, -10000},
                 {0.9f, -500},
                 {0.25f, -3750},
                 {std::nanf(""), -10000},
                 {std::numeric_limits<float>::infinity(), 0},
                 {-std::numeric_limits<float>::infinity(), -10000}};
    for (const auto& c : cases)
    {
        stream->SetVolume(c.volume);
        int32_t volume = 1;
        stream->GetBuffer()->GetVolume(&volume);
        EXPECT_EQ(volume, c.device) << c.volume;
    }
}

namespace
{
class TRecordingNotify : public TStreamNotify
{
public:
    void OnStreamNotify(TSoundStream* stream) override
    {
        ++calls;
        stream->ClearPendingNotify();
    }
    int calls = 0;
};
}  // namespace

TEST_F(SoundStreamTest, QueuedPartContinuesInsideTheSameHalf)
{
    auto first = std::make_shared<TRecordingNotify>();
    auto second = std::make_shared<TRecordingNotify>();
    auto stream = TSoundStream::Create(new TStreamSpooler(MakeTaggedSource(2, 44100, 1.25, 0)),
                                       false, 0, first);
    auto instance = std::make_shared<TSoundInstance>(stream.get());
    stream->SetPlaying(instance);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    stream->Queue(new TStreamSpooler(MakeTaggedSource(2, 44100, 3.0, 100)), second);
    stream->Play(false);

    {
        TSoundLockGuard hold(manager_.get());
        EXPECT_TRUE(stream->Service(false));
    }
    EXPECT_FALSE(stream->HasQueued());
    EXPECT_EQ(stream->GetOwner().lock(), second);
    EXPECT_EQ(stream->GetPendingNotify().lock(), first);
    EXPECT_EQ(instance->GetStream(), stream.get());
    const auto bytes = FakeOf(*stream)->Snapshot();
    EXPECT_TRUE(HoldsSource(bytes, kHalf, kHalf / 4, kHalf, 2, 0));
    EXPECT_TRUE(HoldsSource(bytes, kHalf + kHalf / 4, 3 * kHalf / 4, 0, 2, 100))
        << "the queued part starts at 0";

    manager_->Update();
    EXPECT_EQ(first->calls, 1);
    EXPECT_EQ(second->calls, 0);
    manager_->Update();
    EXPECT_EQ(first->calls, 1) << "delivered once";
    stream->Stop(false);
}

TEST_F(SoundStreamTest, PartQueuedAfterTheEndPlaysToItsOwnEnd)
{
    // The first part ends in the second half; the follow-up is queued only
    // while the countdown after it runs, and must still play all its 3 s.
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 1.25, 0), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    TFakeAudioBuffer* buffer = FakeOf(*stream);
    stream->Play(false);
    EXPECT_TRUE(stream->Service(false));  // second half: the end of the part
    EXPECT_TRUE(stream->HasSourceEnded());
    buffer->Advance(kHalf + 100);
    EXPECT_TRUE(stream->Service(false));  // first half: silence, countdown runs
    stream->Queue(new TStreamSpooler(MakeTaggedSource(2, 44100, 3.0, 100)), {});
    buffer->Advance(kHalf);
    EXPECT_TRUE(stream->Service(false));  // second half: the queued part starts
    EXPECT_FALSE(stream->HasQueued());
    EXPECT_TRUE(HoldsSource(buffer->Snapshot(), kHalf, kHalf, 0, 2, 100));
    for (uint32_t part = 1; part < 3; ++part)
    {
        buffer->Advance(kHalf);
        EXPECT_TRUE(stream->Service(false)) << part;
        const uint32_t offset = stream->GetLastFilledHalf() == 1 ? 0 : kHalf;
        EXPECT_TRUE(HoldsSource(buffer->Snapshot(), offset, kHalf, part * kHalf, 2, 100)) << part;
    }
    EXPECT_TRUE(stream->HasSourceEnded());
    buffer->Advance(kHalf);
    EXPECT_TRUE(stream->Service(false)) << "the last second of the part is playing";
    EXPECT_TRUE(buffer->IsPlaying());
    buffer->Advance(kHalf);
    EXPECT_FALSE(stream->Service(false));
}

TEST_F(SoundStreamTest, FailedLockEndsTheStream)
{
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 5.0), false);
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    stream->Play(false);
    fake_->lockError = kAudioErrBufferLost;
    EXPECT_FALSE(stream->Service(false));
    fake_->lockError = kAudioOk;
    EXPECT_TRUE(log_.Contains("DX Error:  (0x88780096), File .\\soundstream, Line 409"));
}

TEST_F(SoundStreamTest, FailedBufferCreationLeavesAClockStream)
{
    fake_->createBufferError = kAudioErrOutOfMemory;
    int reported = 0;
    static int* counter = nullptr;
    counter = &reported;
    TSoundManager::SetOutOfMemoryHandler([] { ++*counter; });
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 1.0), false);
    EXPECT_FALSE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    auto other = DetachedStream(MakeTaggedSource(2, 44100, 1.0), false);
    EXPECT_FALSE(other->CreateBuffer(44100, 2, 16, 2.0f));
    TSoundManager::SetOutOfMemoryHandler(nullptr);
    EXPECT_FALSE(stream->HasBuffer());
    EXPECT_EQ(reported, 1) << "the out-of-memory handling runs once";
    EXPECT_TRUE(log_.Contains("File .\\soundstream, Line 233"));
}

class SoundStreamWithoutDeviceTest : public SoundFixture
{
protected:
    void SetUp() override { StartManager(false); }
};

TEST_F(SoundStreamWithoutDeviceTest, ClockTimesTheSound)
{
    auto once = DetachedStream(MakeTaggedSource(2, 44100, 3.0), false);
    auto looping = DetachedStream(MakeTaggedSource(2, 44100, 3.0), true);
    auto paused = DetachedStream(MakeTaggedSource(2, 44100, 3.0), false);
    for (auto* stream : {once.get(), looping.get(), paused.get()})
    {
        EXPECT_FALSE(stream->CreateBuffer(44100, 2, 16, 2.0f));
        stream->Play(false);
    }
    paused->SetPaused(true);
    TFakeTime::Advance(3000);
    EXPECT_TRUE(once->Service(false)) << "exactly 3 s is not past the end yet";
    TFakeTime::Advance(1);
    EXPECT_FALSE(once->Service(false));
    TFakeTime::Advance(60000);
    EXPECT_TRUE(looping->Service(false)) << "a looping sound never ends by itself";
    EXPECT_TRUE(paused->Service(false));

    // Suspension keeps a paused sound paused without a device too.
    paused->Suspend(true);
    paused->Suspend(false);
    EXPECT_TRUE(paused->IsPaused());
    paused->SetPaused(false);
    TFakeTime::Advance(3001);
    EXPECT_FALSE(paused->Service(false));
}

TEST_F(SoundStreamWithoutDeviceTest, QueuedPartStartsWhenTheClockRunsOut)
{
    auto stream = DetachedStream(MakeTaggedSource(2, 44100, 1.0), false);
    stream->Queue(new TStreamSpooler(MakeTaggedSource(2, 44100, 2.0)), {});
    stream->Play(false);
    TFakeTime::Advance(1001);
    EXPECT_TRUE(stream->Service(false));
    EXPECT_FALSE(stream->HasQueued());
    TFakeTime::Advance(1500);
    EXPECT_TRUE(stream->Service(false)) << "the clock restarted for the queued part";
    TFakeTime::Advance(501);
    EXPECT_FALSE(stream->Service(false));
}
