// The sound manager, its service thread and the sound lock.
#include "sound/SoundManager.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <list>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "core/Log.h"
#include "platform/audio/AudioDevice.h"
#include "sound/SoundStream.h"

struct TSoundManagerState
{
    std::unique_ptr<TAudioDevice> device;
    std::list<std::shared_ptr<TSoundStream>> active;
    float masterVolume = 1.0f;
    std::map<int32_t, float> groupVolumes;
    std::thread thread;
    std::atomic<std::thread::id> threadId{};
    // Written under the lock, but read by the thread's sleep without it.
    std::atomic<bool> stop{false};
    std::list<std::shared_ptr<TSoundStream>> retired;
    std::vector<std::shared_ptr<void>> deferred;
    std::atomic<int> lockDepth{0};
    std::recursive_mutex mutex;
    // Lets the destructor cut the thread's 50 ms sleep short.
    std::mutex sleepMutex;
    std::condition_variable sleepWake;
};

namespace
{

std::atomic<TSoundManager*> gCurrent{nullptr};
std::atomic<TSoundManager::TOutOfMemoryHandler> gOutOfMemoryHandler{nullptr};
std::atomic<bool> gOutOfMemoryReported{false};

constexpr const char* kManagerFile = ".\\soundmanager";
constexpr int32_t kReapIntervalMs = 500;

}  // namespace

TSoundManager::TSoundManager() : state_(std::make_unique<TSoundManagerState>())
{
    TSoundManager* none = nullptr;
    gCurrent.compare_exchange_strong(none, this);
}

TSoundManager::~TSoundManager()
{
    {
        TSoundLockGuard hold(this);
        state_->stop = true;
    }
    {
        std::lock_guard<std::mutex> guard(state_->sleepMutex);
        state_->sleepWake.notify_all();
    }
    if (state_->thread.joinable()) state_->thread.join();
    shuttingDown_ = true;

    // Streams take the lock (and may look for this manager) while they go.
    {
        TSoundLockGuard hold(this);
        std::list<std::shared_ptr<TSoundStream>> retired;
        std::list<std::shared_ptr<TSoundStream>> active;
        std::vector<std::shared_ptr<void>> deferred;
        retired.swap(state_->retired);
        active.swap(state_->active);
        deferred.swap(state_->deferred);
        retired.clear();
        active.clear();
        deferred.clear();
        state_->device.reset();
    }

    TSoundManager* self = this;
    gCurrent.compare_exchange_strong(self, nullptr);
}

TSoundManager* TSoundManager::Current()
{
    return gCurrent.load();
}

void TSoundManager::ReportDeviceError(int32_t code, const char* file, int line)
{
    if (code == kAudioErrOutOfMemory && !gOutOfMemoryReported.exchange(true))
    {
        if (TOutOfMemoryHandler handler = gOutOfMemoryHandler.load()) handler();
    }
    LogDeviceError(static_cast<unsigned>(code), file, line);
}

void TSoundManager::SetOutOfMemoryHandler(TOutOfMemoryHandler handler)
{
    gOutOfMemoryHandler = handler;
    gOutOfMemoryReported = false;
}

bool TSoundManager::Init()
{
    if (initialised_) return true;
    if (!state_->thread.joinable())
    {
        state_->stop = false;
        state_->thread = std::thread([this] { ThreadMain(); });
    }
    TAudioResult result;
    {
        TSoundLockGuard hold(this);
        reapClock_.Reset();
        reapClock_.Start();
        std::unique_ptr<TAudioDevice> device;
        result = OpenAudioDevice(&device);
        if (result == kAudioOk)
        {
            TAudioFormat primary;
            primary.channels = 2;
            primary.rate = 44100;
            primary.bits = 16;
            (void)device->SetPrimaryFormat(primary);  // the device mixes into what it can
            state_->device = std::move(device);
            initialised_ = true;
        }
    }
    // Reported outside the lock: the out-of-memory handler may do anything.
    if (result != kAudioOk)
    {
        ReportDeviceError(result, kManagerFile, 163);
        return false;
    }
    return true;
}

void TSoundManager::ThreadMain()
{
    state_->threadId = std::this_thread::get_id();
    for (;;)
    {
        bool stop;
        {
            TSoundLockGuard hold(this);
            stop = state_->stop;
            if (!stop) Service(true);
        }
        if (stop) break;
        std::unique_lock<std::mutex> sleep(state_->sleepMutex);
        state_->sleepWake.wait_for(sleep, std::chrono::milliseconds(50),
                                   [this] { return state_->stop.load(); });
    }
}

bool TSoundManager::IsServiceThread() const
{
    return std::this_thread::get_id() == state_->threadId.load();
}

void TSoundManager::Lock()
{
    state_->mutex.lock();
    ++state_->lockDepth;
}

void TSoundManager::Unlock()
{
    --state_->lockDepth;
    state_->mutex.unlock();
}

int TSoundManager::GetLockDepth() const
{
    return state_->lockDepth.load();
}

void TSoundManager::Update()
{
    TSoundLockGuard hold(this);
    state_->retired.clear();
    state_->deferred.clear();
    // Most passes have nothing to deliver: no copy then.
    const bool pending =
        std::any_of(state_->active.begin(), state_->active.end(),
                    [](const auto& stream) { return !stream->GetPendingNotify().expired(); });
    if (pending)
    {
        // Notifications may stop streams and so change the list.
        const std::vector<std::shared_ptr<TSoundStream>> streams(state_->active.begin(),
                                                                 state_->active.end());
        for (const auto& stream : streams)
        {
            if (auto target = stream->GetPendingNotify().lock())
                target->OnStreamNotify(stream.get());
        }
    }
}

bool TSoundManager::Service(bool fromThread)
{
    TSoundLockGuard hold(this);
    if (reapClock_.GetTime() <= kReapIntervalMs) return true;
    reapClock_.Reset();
    reapClock_.Start();
    bool restart = true;
    while (restart)
    {
        restart = false;
        for (auto it = state_->active.begin(); it != state_->active.end(); ++it)
        {
            std::shared_ptr<TSoundStream> stream = *it;
            if (stream->Service(false)) continue;
            // The thread only hands finished streams to the retired list: their
            // last references go on the main thread.
            if (fromThread) state_->retired.push_back(stream);
            state_->active.erase(it);
            reapClock_.Reset();
            reapClock_.Start();
            restart = true;
            break;
        }
    }
    return true;
}

void TSoundManager::AddStream(const std::shared_ptr<TSoundStream>& stream)
{
    if (!stream) return;
    TSoundLockGuard hold(this);
    state_->active.push_back(stream);
}

void TSoundManager::RetireStream(TSoundStream* stream)
{
    TSoundLockGuard hold(this);
    auto& active = state_->active;
    auto found = std::find_if(active.begin(), active.end(),
                              [stream](const auto& s) { return s.get() == stream; });
    if (found != active.end())
    {
        state_->retired.push_back(*found);
        active.erase(found);
    }
}

void TSoundManager::RemoveStream(TSoundStream* stream)
{
    TSoundLockGuard hold(this);
    std::shared_ptr<TSoundStream> keep;
    for (auto* list : {&state_->active, &state_->retired})
    {
        auto found = std::find_if(list->begin(), list->end(),
                                  [stream](const auto& s) { return s.get() == stream; });
        if (found != list->end())
        {
            if (!keep) keep = *found;
            list->erase(found);
        }
    }
    // The stream may be destroyed now; its destructor takes the lock too.
    if (keep && IsServiceThread()) state_->deferred.push_back(std::move(keep));
    keep.reset();
}

int TSoundManager::GetActiveCount()
{
    TSoundLockGuard hold(this);
    const int count = static_cast<int>(state_->active.size());
    return count;
}

int TSoundManager::GetRetiredCount()
{
    TSoundLockGuard hold(this);
    const int count = static_cast<int>(state_->retired.size());
    return count;
}

float TSoundManager::GetGroupVolume(int32_t group)
{
    TSoundLockGuard hold(this);
    float volume = state_->masterVolume;
    auto found = state_->groupVolumes.find(group);
    if (found != state_->groupVolumes.end()) volume *= found->second;
    return volume;
}

void TSoundManager::ApplyVolume(TSoundStream* stream)
{
    if (stream == nullptr) return;
    TSoundLockGuard hold(this);
    const float v = GetGroupVolume(stream->GetGroup());
    // A nudge first, so that the device always sees a change.
    stream->SetVolume(v < 0.5f ? v + 0.05f : v - 0.05f);
    stream->SetVolume(v);
}

void TSoundManager::ApplyAllVolumes()
{
    TSoundLockGuard hold(this);
    const std::vector<std::shared_ptr<TSoundStream>> streams(state_->active.begin(),
                                                             state_->active.end());
    for (const auto& stream : streams) ApplyVolume(stream.get());
}

void TSoundManager::SetMasterVolume(float volume)
{
    TSoundLockGuard hold(this);
    state_->masterVolume = volume;
    ApplyAllVolumes();
}

void TSoundManager::SetGroupVolume(int32_t group, float volume)
{
    TSoundLockGuard hold(this);
    state_->groupVolumes[group] = volume;
    ApplyAllVolumes();
}

void TSoundManager::Enable(bool on)
{
    TSoundLockGuard hold(this);
    enabled_ = on;
    const std::vector<std::shared_ptr<TSoundStream>> streams(state_->active.begin(),
                                                             state_->active.end());
    for (const auto& stream : streams) stream->Suspend(!on);
    if (on) ApplyAllVolumes();
}

TAudioDevice* TSoundManager::GetDevice()
{
    return state_->device.get();
}

void TSoundManager::DeferRelease(std::shared_ptr<void> reference)
{
    if (!reference) return;
    TSoundLockGuard hold(this);
    state_->deferred.push_back(std::move(reference));
}
