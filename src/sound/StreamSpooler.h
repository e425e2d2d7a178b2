// The reader between a sound data source and a stream's device buffer: keeps
// the byte position and fills buffer halves, wrapping for looping sounds.
#pragma once

#include <cstdint>
#include <memory>

#include "sound/SoundDataSource.h"

class TStreamSpooler
{
public:
    // source may be empty: fills are then silent.
    explicit TStreamSpooler(std::shared_ptr<TSoundDataSource> source);
    virtual ~TStreamSpooler();
    TStreamSpooler(const TStreamSpooler&) = delete;
    TStreamSpooler& operator=(const TStreamSpooler&) = delete;

    // Zeroes bytes bytes of destination, then copies source data into it from
    // the position on, wrapping to the start when loop is set. *written counts
    // the bytes copied. True when the request was met without the source
    // ending; false when it ended (also when a looping source yields nothing
    // at its start, so an empty source cannot loop forever).
    virtual bool Fill(int32_t bytes, void* destination, int32_t* written, bool loop);
    // Positions at that time (whole sample frames).
    virtual void Seek(float seconds);
    // The source's duration in seconds; 0 without a source.
    virtual double GetDuration();
    // Deletes this spooler.
    virtual void Release();
    virtual void Rewind();

    int32_t GetPosition() const { return position_; }
    TSoundDataSource* GetSource() const { return source_.get(); }

private:
    std::shared_ptr<TSoundDataSource> source_;
    int32_t position_ = 0;
};
