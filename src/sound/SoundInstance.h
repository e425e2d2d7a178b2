// The caller's handle on one playing of a sound.
#pragma once

#include <memory>

class TSound;
class TSoundStream;

class TSoundInstance : public std::enable_shared_from_this<TSoundInstance>
{
public:
    explicit TSoundInstance(TSoundStream* stream) : stream_(stream) {}
    virtual ~TSoundInstance() = default;

    // The stream, null once it has been destroyed (finished or stopped). Use
    // only under the sound lock.
    TSoundStream* GetStream() const { return stream_; }
    void SetStream(TSoundStream* stream) { stream_ = stream; }

    std::weak_ptr<TSound> currentSound;
    // The sound that follows when the stream switches to its queued part.
    std::weak_ptr<TSound> queuedSound;

private:
    TSoundStream* stream_;
};
