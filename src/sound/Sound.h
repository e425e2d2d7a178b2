// TSound: the asset for one named sound, with its data (source, volume
// group, playings), found or created through the asset manager's cache.
#pragma once

#include <cstdint>
#include <memory>
#include <set>

#include "core/Asset.h"
#include "core/String.h"
#include "sound/SoundDataSource.h"
#include "sound/SoundInstance.h"
#include "sound/StreamNotify.h"

class TSound;

class TSoundData : public TStreamNotify
{
public:
    // Drops the playing of stream from instances unless a follow-up sound was
    // queued on it.
    void OnStreamNotify(TSoundStream* stream) override;

    // The playings started and not yet stopped (finished ones are pruned by
    // the next Play).
    std::set<std::shared_ptr<TSoundInstance>> instances;
    std::shared_ptr<TSoundDataSource> source;
    int32_t group = 0;
    TString name;
    TSound* owner = nullptr;
};

class TSound : public TAsset
{
public:
    TSound();
    // Stops every playing under the sound lock.
    ~TSound() override;

    static TClassId ClassId();
    const char* GetClassName() const override { return "TSound"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
    static std::shared_ptr<TSound> FromAsset(TAsset* asset) { return AssetCast<TSound>(asset); }

    // Finds or creates the sound of name ("file?group=N" picks the volume
    // group, else defaultGroup). preload decodes short sounds into memory.
    // Empty for an empty name, or with "TSound::Get: No valid sound file
    // found: %s" when no source can be made.
    static std::shared_ptr<TSound> Get(const TString& name, bool preload, int32_t defaultGroup);

    // Starts a new playing (looping, or once). Empty with "Play of
    // uninitialized sound" when the sound has no source, or "No Sound Manager".
    // Without a device the playing runs silently for the sound's duration.
    std::shared_ptr<TSoundInstance> Play(bool loop);
    // Stops every playing; true when there was one.
    bool Stop();
    // Pauses or resumes every playing; true when there was one.
    bool Pause(bool pause);

    TSoundData* GetData() const { return data_.get(); }

private:
    std::shared_ptr<TSoundData> data_;
};

// The asset map's key of a sound entry: "<name>;0;<group>", the group being
// the number after "group=" in query (0 when there is none).
TString MakeSoundKey(const TString& name, const TString& query);

// Makes TSound the asset map's loader for ".ogg" and ".spx" names.
void RegisterSoundAssetLoader();
