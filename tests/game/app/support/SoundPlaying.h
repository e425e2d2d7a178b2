// Whether a sound is heard: one of its playings has a stream whose device
// buffer reports playing (paused and stopped ones do not).
#pragma once

#include <memory>

#include "platform/audio/AudioDevice.h"
#include "sound/Sound.h"
#include "sound/SoundStream.h"

namespace gameapptest
{

inline bool IsPlaying(const std::shared_ptr<TSound>& sound)
{
    for (const auto& instance : sound->GetData()->instances)
    {
        uint32_t status = 0;
        if (instance->GetStream() &&
            instance->GetStream()->GetBuffer()->GetStatus(&status) == kAudioOk &&
            (status & kAudioStatusPlaying))
            return true;
    }
    return false;
}

}  // namespace gameapptest
