// The interface a stream's owner implements to hear, on the main thread,
// that the stream switched to its queued part.
#pragma once

class TSoundStream;

class TStreamNotify
{
public:
    virtual ~TStreamNotify() = default;
    // Called by TSoundManager::Update (main thread, under the sound lock).
    virtual void OnStreamNotify(TSoundStream* stream) = 0;
};
