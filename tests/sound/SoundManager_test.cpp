// The sound manager: initialisation, volumes, enable, the reap walk, the
// hand-over of finished streams to the main thread, and shutdown.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "sound/support/SoundFixture.h"

namespace
{

class SoundManagerTest : public SoundFixture
{
protected:
    // A playing stream over a tagged source, registered with the manager.
    std::shared_ptr<TSoundStream> Playing(double seconds, bool loop = false, int32_t group = 0)
    {
        auto stream = TSoundStream::Create(new TStreamSpooler(MakeTaggedSource(2, 44100, seconds)),
                                           loop, group, {});
        stream->CreateBuffer(44100, 2, 16, 2.0f);
        stream->Play(false);
        return stream;
    }

    // Polls until done() holds; false after a generous limit.
    template <class F>
    static bool WaitFor(F done)
    {
        for (int i = 0; i < 2000; ++i)
        {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }
};

int32_t LastVolume(TSoundStream& stream)
{
    int32_t volume = 1;
    stream.GetBuffer()->GetVolume(&volume);
    return volume;
}

}  // namespace

TEST_F(SoundManagerTest, InitTwiceOpensOneDevice)
{
    EXPECT_TRUE(manager_->IsInitialised());
    EXPECT_TRUE(manager_->Init());
    EXPECT_EQ(fake_->OpenCount(), 1);
}

TEST_F(SoundManagerTest, OnlyTheFirstManagerIsCurrent)
{
    {
        TSoundManager second;
        EXPECT_EQ(TSoundManager::Current(), manager_.get());
    }
    EXPECT_EQ(TSoundManager::Current(), manager_.get());
    manager_.reset();
    EXPECT_EQ(TSoundManager::Current(), nullptr);
    TSoundLockGuard nothing;  // nothing to lock: must not fail
}

TEST_F(SoundManagerTest, LockIsReentrantAndCountsItsDepth)
{
    EXPECT_EQ(manager_->GetLockDepth(), 0);
    std::atomic<bool> entered{false};
    std::thread other;
    {
        TSoundLockGuard outer(manager_.get());
        {
            TSoundLockGuard inner;  // the current manager's
            EXPECT_EQ(manager_->GetLockDepth(), 2);
            other = std::thread(
                [&]
                {
                    TSoundLockGuard hold(manager_.get());
                    entered = true;
                });
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            EXPECT_FALSE(entered) << "another thread waits while this one holds the lock";
        }
        EXPECT_EQ(manager_->GetLockDepth(), 1);
        EXPECT_FALSE(entered);
    }
    other.join();
    EXPECT_TRUE(entered);
}

// Every call leaves the lock as it found it, early returns included. The
// test holds the lock itself so the service thread cannot change the depth.
TEST_F(SoundManagerTest, EveryCallReleasesTheLockItTakes)
{
    auto stream = Playing(5.0);
    struct Case
    {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"service within the interval", [&] { manager_->Service(false); }},
        {"service after the interval",
         [&]
         {
             TFakeTime::Advance(600);
             manager_->Service(false);
         }},
        {"update", [&] { manager_->Update(); }},
        {"counts", [&] { (void)(manager_->GetActiveCount() + manager_->GetRetiredCount()); }},
        {"volumes",
         [&]
         {
             manager_->SetMasterVolume(0.5f);
             manager_->SetGroupVolume(3, 0.5f);
             (void)manager_->GetGroupVolume(3);
         }},
        {"enable", [&] { manager_->Enable(false), manager_->Enable(true); }},
        {"init again", [&] { manager_->Init(); }},
        {"defer", [&] { manager_->DeferRelease(std::make_shared<int>(1)); }},
        {"retire and remove",
         [&]
         {
             manager_->RetireStream(nullptr);
             manager_->RemoveStream(nullptr);
         }},
    };
    {
        TSoundLockGuard hold(manager_.get());
        for (const Case& c : cases)
        {
            c.call();
            EXPECT_EQ(manager_->GetLockDepth(), 1) << c.what;
        }
    }
    stream->Stop(false);
}

TEST_F(SoundManagerTest, GroupVolumes)
{
    struct Case
    {
        float master;
        int32_t group;
        float expected;
    } cases[] = {{1.0f, 7, 1.0f},    {0.8f, 7, 0.8f},    {0.8f, 1000, 0.4f},
                 {0.8f, 1001, 0.2f}, {0.0f, 1000, 0.0f}, {1.5f, 0, 1.5f}};
    manager_->SetGroupVolume(1000, 0.5f);
    manager_->SetGroupVolume(1001, 0.25f);
    for (const auto& c : cases)
    {
        manager_->SetMasterVolume(c.master);
        EXPECT_FLOAT_EQ(manager_->GetGroupVolume(c.group), c.expected)
            << c.master << " " << c.group;
    }
}

TEST_F(SoundManagerTest, ApplyVolumeNudgesTheDeviceFirst)
{
    auto half = Playing(5.0, false, 1000);
    auto fifth = Playing(5.0, false, 1001);
    auto plain = Playing(5.0, false, 0);
    manager_->SetGroupVolume(1001, 0.2f);
    manager_->SetGroupVolume(1000, 0.5f);  // applies every stream again
    auto tail = [](TSoundStream& s)
    {
        auto history = static_cast<TFakeAudioBuffer*>(s.GetBuffer())->VolumeHistory();
        return std::vector<int32_t>(history.end() - 2, history.end());
    };
    EXPECT_EQ(tail(*half), (std::vector<int32_t>{-2750, -2500}));   // 0.45, then 0.5
    EXPECT_EQ(tail(*fifth), (std::vector<int32_t>{-3750, -4000}));  // 0.25, then 0.2
    EXPECT_EQ(tail(*plain), (std::vector<int32_t>{-250, 0}));

    manager_->SetMasterVolume(0.0f);
    EXPECT_EQ(LastVolume(*half), -10000);
    EXPECT_EQ(LastVolume(*plain), -10000);
    for (auto* s : {half.get(), fifth.get(), plain.get()}) s->Stop(false);
}

TEST_F(SoundManagerTest, EnableSuspendsAndResumesEveryStream)
{
    auto a = Playing(5.0);
    auto b = Playing(5.0);
    b->SetPaused(true);  // the game's own pause
    manager_->SetMasterVolume(0.5f);
    manager_->Enable(false);
    EXPECT_FALSE(manager_->IsEnabled());
    EXPECT_TRUE(a->IsSuspended());
    EXPECT_FALSE(static_cast<TFakeAudioBuffer*>(a->GetBuffer())->IsPlaying());
    manager_->Enable(true);
    EXPECT_TRUE(static_cast<TFakeAudioBuffer*>(a->GetBuffer())->IsPlaying());
    EXPECT_EQ(LastVolume(*a), -2500);
    EXPECT_TRUE(b->IsPaused());
    EXPECT_FALSE(static_cast<TFakeAudioBuffer*>(b->GetBuffer())->IsPlaying());
    a->Stop(false);
    b->Stop(false);
}

TEST_F(SoundManagerTest, ReapRunsAtMostEvery500Ms)
{
    fake_->createBufferError = kAudioErrGeneric;  // timed by its clock
    auto done = Playing(0.2);
    {
        TSoundLockGuard hold(manager_.get());
        TFakeTime::Advance(500);
        manager_->Service(true);
        EXPECT_EQ(manager_->GetActiveCount(), 1) << "500 ms is not more than 500 ms";
        TFakeTime::Advance(1);
        manager_->Service(true);
        EXPECT_EQ(manager_->GetActiveCount(), 0);
        EXPECT_EQ(manager_->GetRetiredCount(), 1);
    }
}

TEST_F(SoundManagerTest, FinishedStreamsAreRetiredOnePerWalkAndReleasedByUpdate)
{
    // Three streams without buffers: two finish, one keeps going.
    fake_->createBufferError = kAudioErrGeneric;
    auto first = Playing(0.1);
    auto keep = Playing(10.0);
    auto second = Playing(0.1);
    std::weak_ptr<TSoundStream> firstAlive = first;
    std::weak_ptr<TSoundStream> secondAlive = second;
    first.reset();
    second.reset();
    ReapNow(true);
    EXPECT_EQ(manager_->GetActiveCount(), 1);
    EXPECT_EQ(manager_->GetRetiredCount(), 2);
    EXPECT_FALSE(firstAlive.expired()) << "never destroyed by the reap";
    manager_->Update();
    EXPECT_EQ(manager_->GetRetiredCount(), 0);
    EXPECT_TRUE(firstAlive.expired());
    EXPECT_TRUE(secondAlive.expired());

    // From the main thread finished streams leave the lists at once.
    auto third = Playing(0.1);
    TFakeTime::Advance(200);
    ReapNow(false);
    EXPECT_EQ(manager_->GetRetiredCount(), 0);
    EXPECT_EQ(manager_->GetActiveCount(), 1);
    keep->Stop(false);
}

TEST_F(SoundManagerTest, ServiceThreadRetiresAndTheMainThreadReleases)
{
    auto stream =
        TSoundStream::Create(new TStreamSpooler(MakeTaggedSource(2, 44100, 1.5)), false, 0, {});
    ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
    stream->Play(true);
    static_cast<TFakeAudioBuffer*>(stream->GetBuffer())->Advance(2 * 176400);  // played out
    std::weak_ptr<TSoundStream> alive = stream;
    stream.reset();
    // Let time pass for the thread's reap walks.
    for (int i = 0; i < 2000 && manager_->GetRetiredCount() == 0; ++i)
    {
        {
            TSoundLockGuard hold(manager_.get());
            TFakeTime::Advance(100);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(manager_->GetRetiredCount(), 1);
    EXPECT_EQ(manager_->GetActiveCount(), 0);
    EXPECT_FALSE(alive.expired()) << "the thread never drops the last reference";
    manager_->Update();
    EXPECT_TRUE(alive.expired());
}

TEST_F(SoundManagerTest, ShutdownWithStreamsPlaying)
{
    auto a = Playing(5.0, true);
    auto instance = std::make_shared<TSoundInstance>(a.get());
    a->SetPlaying(instance);
    std::weak_ptr<TSoundStream> alive = a;
    a.reset();
    Playing(5.0);
    manager_.reset();
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(instance->GetStream(), nullptr);
}

class SoundManagerWithoutDeviceTest : public SoundFixture
{
protected:
    void SetUp() override { StartManager(false); }
};

TEST_F(SoundManagerWithoutDeviceTest, FailedDeviceIsLoggedAndSoundsStillFinish)
{
    EXPECT_FALSE(manager_->IsInitialised());
    EXPECT_TRUE(log_.Contains("DX Error:  (0x88780078), File .\\soundmanager, Line 163"));
    // A failed retry gives the lock back too.
    {
        TSoundLockGuard hold(manager_.get());
        EXPECT_FALSE(manager_->Init());
        EXPECT_EQ(manager_->GetLockDepth(), 1);
    }
    auto stream =
        TSoundStream::Create(new TStreamSpooler(MakeTaggedSource(1, 22050, 1.0)), false, 0, {});
    EXPECT_FALSE(stream->CreateBuffer(22050, 1, 16, 2.0f));
    stream->Play(false);
    std::weak_ptr<TSoundStream> alive = stream;
    stream.reset();
    {
        TSoundLockGuard hold(manager_.get());
        TFakeTime::Advance(1200);
    }
    for (int i = 0; i < 2000 && !alive.expired(); ++i)
    {
        manager_->Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(manager_->GetActiveCount(), 0);
}
