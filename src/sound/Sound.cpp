// Sounds: lookup by name and group, play, stop, pause, and the asset map
// loader.
#include "sound/Sound.h"

#include <vector>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/Log.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"

namespace
{
// The number after "group=" in text, or fallback when it has none.
int32_t GroupOf(const TString& text, int32_t fallback)
{
    const int at = text.Find("group=");
    if (at < 0) return fallback;
    return text.Substring(at + 6).ToInt();
}
}  // namespace

void TSoundData::OnStreamNotify(TSoundStream* stream)
{
    if (stream == nullptr) return;
    TSoundLockGuard guard;
    stream->ClearPendingNotify();
    std::shared_ptr<TSoundInstance> instance = stream->GetPlaying().lock();
    if (!instance) return;
    std::shared_ptr<TSound> follow = instance->queuedSound.lock();
    instance->queuedSound.reset();
    if (!follow) instances.erase(instance);
}

TSound::TSound() : data_(std::make_shared<TSoundData>())
{
    data_->owner = this;
}

TSound::~TSound()
{
    TSoundLockGuard guard;
    data_->owner = nullptr;
    Stop();
    data_.reset();
}

TClassId TSound::ClassId()
{
    static const char id = 0;
    return &id;
}

std::shared_ptr<TSound> TSound::Get(const TString& name, bool preload, int32_t defaultGroup)
{
    if (name.IsEmpty()) return nullptr;
    TString cut = name;
    int32_t group = defaultGroup;
    const int query = name.FindChar('?');
    if (query >= 0)
    {
        // Only the query picks the group: a folder or file name may contain
        // "group=" too.
        group = GroupOf(name.Substring(query), defaultGroup);
        cut = name.Substring(0, query);
    }
    const TString key = TString::Format("%s;%d;%d", cut.CStr(), preload ? 1 : 0, group);

    TAssetManager* assets = GetGlobalAssetManager();
    if (assets)
    {
        if (auto found = FromAsset(assets->Find(key).get())) return found;
    }
    auto sound = std::make_shared<TSound>();
    if (assets) assets->Register(key, sound);
    sound->data_->name = cut;
    sound->data_->group = group;

    std::shared_ptr<TSoundDataSource> source = CreateDataSource(cut, !preload);
    if (!source)
    {
        LogPrintf("TSound::Get: No valid sound file found: %s", cut.CStr());
        return nullptr;
    }
    sound->data_->source = std::move(source);
    return sound;
}

std::shared_ptr<TSoundInstance> TSound::Play(bool loop)
{
    // Held throughout: the service thread walks the streams made here.
    TSoundLockGuard guard;
    if (!data_ || !data_->source)
    {
        LogPrintf("Play of uninitialized sound");
        return nullptr;
    }
    if (TSoundManager::Current() == nullptr)
    {
        LogPrintf("No Sound Manager");
        return nullptr;
    }
    // Playings whose stream has gone (finished and released) are over.
    for (auto it = data_->instances.begin(); it != data_->instances.end();)
    {
        if ((*it)->GetStream() == nullptr)
            it = data_->instances.erase(it);
        else
            ++it;
    }

    TSoundDataSource& source = *data_->source;
    auto* spooler = new TStreamSpooler(data_->source);
    std::shared_ptr<TSoundStream> stream = TSoundStream::Create(spooler, loop, data_->group, data_);
    auto instance = std::make_shared<TSoundInstance>(stream.get());
    instance->currentSound = FromAsset(this);
    data_->instances.insert(instance);
    stream->SetPlaying(instance);

    stream->CreateBuffer(source.GetSampleRate(), source.GetChannels(), 16, 2.0f);
    if (loop)
        stream->Play(false);
    else
        stream->Play(stream->HasBuffer() && source.GetDuration() < stream->GetBufferSeconds());
    return instance;
}

bool TSound::Stop()
{
    TSoundLockGuard guard;
    if (!data_) return false;
    const bool any = !data_->instances.empty();
    // One at a time: stopping a stream can notify this data and change the set.
    while (!data_->instances.empty())
    {
        std::shared_ptr<TSoundInstance> instance = *data_->instances.begin();
        data_->instances.erase(data_->instances.begin());
        TSoundStream* stream = instance->GetStream();
        if (stream && stream->GetOwner().lock().get() == static_cast<TStreamNotify*>(data_.get()))
            stream->Stop(false);
    }
    return any;
}

bool TSound::Pause(bool pause)
{
    TSoundLockGuard guard;
    if (!data_) return false;
    const std::vector<std::shared_ptr<TSoundInstance>> playing(data_->instances.begin(),
                                                               data_->instances.end());
    for (const auto& instance : playing)
    {
        if (TSoundStream* stream = instance->GetStream()) stream->SetPaused(pause);
    }
    return !playing.empty();
}

TString MakeSoundKey(const TString& name, const TString& query)
{
    return TString::Format("%s;%d;%d", name.CStr(), 0, query.IsEmpty() ? 0 : GroupOf(query, 0));
}

void RegisterSoundAssetLoader()
{
    TAssetLoader loader;
    loader.classId = TSound::ClassId();
    loader.makeKey = [](const TString& name, const TString& params)
    { return MakeSoundKey(name, params); };
    loader.load = [](const TString& fileName) -> std::shared_ptr<TAsset>
    { return TSound::Get(fileName, true, -1); };
    RegisterAssetLoader(TAssetKind::kSound, std::move(loader));
}
