// The sound manager fixture over the fake device.
#include "sound/support/SoundFixture.h"

#include <cmath>

std::shared_ptr<TMemDataSource> MakeTaggedSource(int channels, int rate, double seconds, int tag)
{
    const size_t bytes =
        static_cast<size_t>(std::llround(seconds * rate)) * static_cast<size_t>(channels) * 2;
    std::vector<uint8_t> pcm(bytes);
    for (size_t i = 0; i < bytes; ++i) pcm[i] = TaggedByte(channels, static_cast<uint32_t>(i), tag);
    return std::make_shared<TMemDataSource>(std::move(pcm), channels, rate);
}

uint8_t TaggedByte(int channels, uint32_t position, int tag)
{
    const uint32_t frame = position / (static_cast<uint32_t>(channels) * 2);
    return static_cast<uint8_t>((frame + static_cast<uint32_t>(tag)) % 250 + 1);
}

void SoundFixture::StartManager(bool withDevice)
{
    fake_ = TFakeAudio::Install();
    if (!withDevice) fake_->openError = kAudioErrNoDevice;
    manager_ = std::make_unique<TSoundManager>();
    ASSERT_EQ(TSoundManager::Current(), manager_.get());
    EXPECT_EQ(manager_->Init(), withDevice);
}

void SoundFixture::TearDown()
{
    manager_.reset();
    TFakeAudio::Uninstall();
}

std::shared_ptr<TSoundStream> SoundFixture::DetachedStream(std::shared_ptr<TSoundDataSource> source,
                                                           bool loop, int32_t group)
{
    auto stream = TSoundStream::Create(new TStreamSpooler(std::move(source)), loop, group, {});
    manager_->RemoveStream(stream.get());
    return stream;
}

void SoundFixture::ReapNow(bool fromThread)
{
    {
        TSoundLockGuard hold(manager_.get());
        TFakeTime::Advance(501);
        manager_->Service(fromThread);
    }
}
