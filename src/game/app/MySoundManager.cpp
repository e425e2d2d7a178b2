// The game sound manager: the music and effect lists, their play rules, the
// volume groups and the music fade-in.
#include "game/app/MySoundManager.h"

#include <cstring>

#include "game/app/Player.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"

namespace
{

// The profile's music level when no profile exists yet.
constexpr int kDefaultMusicLevel = 500;

bool HasPrefix(const TString& name, const TString& prefix)
{
    return std::strncmp(name.CStr(), prefix.CStr(), static_cast<size_t>(prefix.Length())) == 0;
}

bool IsMusicName(const TString& name)
{
    const int length = name.Length();
    return length >= 4 && std::strcmp(name.CStr() + length - 4, "1001") == 0;
}

TSoundManager* Framework()
{
    return TSoundManager::Current();
}

}  // namespace

TMySoundManager::TMySoundManager() : fadeClock_(std::make_unique<TClock>())
{
    if (TSoundManager* sound = Framework()) sound->SetGroupVolume(kFrameworkGroup, 1.0f);
}

TMySoundManager::~TMySoundManager()
{
    StopMusic();
    music_.clear();
    effects_.clear();
}

TMySoundManager::SSoundEntry* TMySoundManager::Find(std::vector<SSoundEntry>& list,
                                                    const TString& name, const char* query)
{
    if (!Framework()) return nullptr;
    const TString full = name + TString(query);
    for (SSoundEntry& entry : list)
    {
        if (entry.name == full) return &entry;
    }
    return nullptr;
}

void TMySoundManager::AddSound(const TString& name, const std::shared_ptr<TSound>& sound)
{
    if (!Framework()) return;
    (IsMusicName(name) ? music_ : effects_).push_back({name, sound, 0});
}

void TMySoundManager::RemoveSounds(const TString& prefix)
{
    for (auto* list : {&music_, &effects_})
    {
        std::erase_if(*list, [&](const SSoundEntry& e) { return HasPrefix(e.name, prefix); });
    }
}

void TMySoundManager::PlayMusic(const TString& name, bool loop)
{
    if (SSoundEntry* entry = Find(music_, name, "?group=1001"); entry && entry->sound)
        entry->sound->Play(loop);
}

void TMySoundManager::PlaySound(const TString& name, bool loop)
{
    if (name.IsEmpty()) return;
    SSoundEntry* entry = Find(effects_, name, "?group=1000");
    if (!entry) return;
    ++entry->playCount;
    if (!entry->sound) return;
    entry->sound->Stop();
    entry->sound->Play(loop);
}

void TMySoundManager::StopSound(const TString& name)
{
    SSoundEntry* entry = Find(effects_, name, "?group=1000");
    if (!entry) return;
    if (--entry->playCount == 0 && entry->sound) entry->sound->Stop();
}

void TMySoundManager::StopSounds()
{
    if (!Framework()) return;
    for (SSoundEntry& entry : effects_)
    {
        if (entry.playCount != 0 && entry.sound) entry.sound->Stop();
    }
}

void TMySoundManager::StopMusic()
{
    if (!Framework()) return;
    for (SSoundEntry& entry : music_)
    {
        if (entry.sound) entry.sound->Stop();
    }
}

void TMySoundManager::PauseMusic()
{
    if (!Framework()) return;
    for (SSoundEntry& entry : music_)
    {
        if (entry.sound) entry.sound->Pause(true);
    }
}

void TMySoundManager::PauseMusicByName(const TString& name)
{
    if (SSoundEntry* entry = Find(music_, name, "?group=1001"); entry && entry->sound)
        entry->sound->Pause(true);
}

void TMySoundManager::PauseSounds()
{
    if (!Framework()) return;
    for (SSoundEntry& entry : effects_)
    {
        if (entry.playCount != 0 && entry.sound) entry.sound->Pause(true);
    }
}

void TMySoundManager::ResumeSounds()
{
    if (!Framework()) return;
    for (SSoundEntry& entry : effects_)
    {
        if (entry.playCount != 0 && entry.sound) entry.sound->Pause(false);
    }
}

void TMySoundManager::PauseAll()
{
    PauseMusic();
    PauseSounds();
}

void TMySoundManager::ClearSoundCounts()
{
    for (SSoundEntry& entry : effects_) entry.playCount = 0;
}

void TMySoundManager::SetMusicVolume(float volume)
{
    if (TSoundManager* sound = Framework()) sound->SetGroupVolume(kMusicGroup, volume);
}

void TMySoundManager::SetSoundVolume(float volume)
{
    if (TSoundManager* sound = Framework())
    {
        sound->SetGroupVolume(kEffectGroup, volume);
        sound->SetGroupVolume(kFrameworkGroup, volume);
    }
}

void TMySoundManager::SetMute(bool muted)
{
    if (TSoundManager* sound = Framework()) sound->SetMasterVolume(muted ? 0.0f : 1.0f);
}

void TMySoundManager::StartMusicFadeIn(int32_t duration)
{
    TSoundManager* sound = Framework();
    if (!sound) return;
    const TPlayer* player = TPlayer::GetIfMade();
    const int level = player ? player->GetMusicLevel() : kDefaultMusicLevel;
    fading_ = true;
    fadeDirection_ = 1;
    // A negative length would read as a fade of some 50 days whose volume
    // runs below 0: it ends at once instead.
    fadeDuration_ = duration > 0 ? duration : 0;
    fadeTarget_ = float(level) / 1000.0f;
    // A fade begun while one runs starts from the beginning, not from where
    // the running one's clock stands.
    fadeClock_->Reset();
    fadeClock_->Start();
    sound->SetGroupVolume(kMusicGroup, 0.0f);
}

void TMySoundManager::UpdateFade()
{
    if (!fading_) return;
    TSoundManager* sound = Framework();
    if (!sound) return;
    const int32_t t = fadeClock_->GetTime();
    if (static_cast<uint32_t>(t) >= static_cast<uint32_t>(fadeDuration_))
    {
        sound->SetGroupVolume(kMusicGroup, fadeTarget_);
        fading_ = false;
        fadeClock_->Stop();
        fadeClock_->Reset();
        return;
    }
    sound->SetGroupVolume(kMusicGroup, fadeTarget_ * (float(t) / float(fadeDuration_)));
}

void PlaySoundFromLua(TString name, bool loop)
{
    if (TMySoundManager* sounds = TMySoundManager::GetInstance()) sounds->PlaySound(name, loop);
}
