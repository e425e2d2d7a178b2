// Filling stream buffers from a sound data source.
#include "sound/StreamSpooler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TStreamSpooler::TStreamSpooler(std::shared_ptr<TSoundDataSource> source)
    : source_(std::move(source))
{
}

TStreamSpooler::~TStreamSpooler() = default;

bool TStreamSpooler::Fill(int32_t bytes, void* destination, int32_t* written, bool loop)
{
    int32_t writtenLocal = 0;
    int32_t& total = written ? *written : writtenLocal;
    total = 0;
    if (destination == nullptr || bytes <= 0) return true;
    std::memset(destination, 0, static_cast<size_t>(bytes));
    if (!source_) return true;

    auto* out = static_cast<uint8_t*>(destination);
    const int64_t length = std::max<int64_t>(source_->GetTotalBytes(), 0);
    int32_t n = bytes;
    bool ended = false;
    do
    {
        const int64_t left = std::max<int64_t>(length - position_, 0);
        uint32_t chunk = static_cast<uint32_t>(n);
        if (static_cast<int64_t>(chunk) >= left)
        {
            chunk = static_cast<uint32_t>(left);
            ended = true;
        }
        const int32_t readFrom = position_;
        const uint32_t got =
            chunk > 0 ? source_->Read(out, static_cast<uint32_t>(position_), chunk) : 0;
        if (got < chunk) ended = true;
        position_ += static_cast<int32_t>(got);
        total += static_cast<int32_t>(got);
        out += got;
        if (ended && loop)
        {
            // Nothing at the very start means nothing to loop: give up rather than
            // spin under the sound lock.
            if (got == 0 && readFrom == 0) return false;
            position_ = 0;
            ended = false;
        }
        if (static_cast<int32_t>(got) == n) return !ended;
        n -= static_cast<int32_t>(got);
    } while (!ended);
    return false;
}

void TStreamSpooler::Seek(float seconds)
{
    if (!source_)
    {
        position_ = 0;
        return;
    }
    const int64_t block = static_cast<int64_t>(source_->GetChannels()) * 2;
    if (block <= 0 || source_->GetSampleRate() <= 0)
    {
        position_ = 0;
        return;
    }
    // Clamped before the conversion: an infinite or huge time must not
    // overflow it (NaN counts as 0).
    const double lastFrame = static_cast<double>(INT32_MAX / block);
    const double wanted = std::floor(static_cast<double>(seconds) * source_->GetSampleRate());
    const double frames = wanted > 0.0 ? std::min(wanted, lastFrame) : 0.0;
    position_ = static_cast<int32_t>(static_cast<int64_t>(frames) * block);
}

double TStreamSpooler::GetDuration()
{
    return source_ ? source_->GetDuration() : 0.0;
}

void TStreamSpooler::Release()
{
    delete this;
}

void TStreamSpooler::Rewind()
{
    Seek(0.0f);
}
