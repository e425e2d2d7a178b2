// A sound manager over the fake audio device with a hand-driven clock, and
// sources whose bytes tell where they came from.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/null/AudioFake.h"
#include "sound/MemDataSource.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"
#include "sound/support/OggFixtures.h"

// 16-bit PCM whose every byte is (frame index + tag) % 250 + 1: never 0, so
// silence and the origin of each byte show.
std::shared_ptr<TMemDataSource> MakeTaggedSource(int channels, int rate, double seconds,
                                                 int tag = 0);
// The byte the tagged source holds at position.
uint8_t TaggedByte(int channels, uint32_t position, int tag = 0);

class SoundFixture : public ::testing::Test
{
protected:
    // withDevice false makes opening the device fail.
    void StartManager(bool withDevice = true);
    void SetUp() override { StartManager(true); }
    void TearDown() override;

    // A stream over source, taken out of the manager's lists so that the
    // service thread leaves it to the test.
    std::shared_ptr<TSoundStream> DetachedStream(std::shared_ptr<TSoundDataSource> source,
                                                 bool loop, int32_t group = 0);
    // Runs a reap now, under the lock, as the service thread would
    // (fromThread) or the main thread would.
    void ReapNow(bool fromThread);

    TFakeTime time_;
    TLogCapture log_;
    std::shared_ptr<TFakeAudio> fake_;
    std::unique_ptr<TSoundManager> manager_;
};
