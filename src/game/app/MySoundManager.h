// TMySoundManager: the game's one point for sound. It keeps every sound the
// resource groups loaded in two lists, music (names ending in "1001") and
// effects, plays, stops and pauses them by their short names, maps the
// profile's settings onto the framework's volume groups (effects 1000 and
// the framework's own sounds 0, music 1001, mute as the master volume) and
// runs the music's timed fade-in, advanced on every event of the main loop.
//
// Nothing here fails: a name in no list leaves everything as it was, and
// without the framework's sound manager every operation does nothing.
// The destructor stops the music, so the instance must go before the
// framework's sound manager does.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "core/String.h"
#include "game/app/Singleton.h"

class TSound;

class TMySoundManager : public Singleton<TMySoundManager>
{
public:
    // The volume groups the game's sounds play in.
    static constexpr int32_t kFrameworkGroup = 0;
    static constexpr int32_t kEffectGroup = 1000;
    static constexpr int32_t kMusicGroup = 1001;

    struct SSoundEntry
    {
        TString name;  // as registered, with its query ("group:path?group=1000")
        std::shared_ptr<TSound> sound;
        int32_t playCount = 0;  // effects only
    };

    // Sets the framework's group 0 to full volume.
    TMySoundManager();
    // Stops every music entry and releases every sound.
    ~TMySoundManager() override;

    // Appends name to the music list when its last four characters are
    // "1001", else to the effects, with a play count of 0.
    void AddSound(const TString& name, const std::shared_ptr<TSound>& sound);
    // Drops every entry of both lists whose name begins with prefix.
    void RemoveSounds(const TString& prefix);

    // Plays the music entry name + "?group=1001"; nothing playing is stopped.
    void PlayMusic(const TString& name, bool loop);
    // The effect name + "?group=1000": its count goes up, its playings stop
    // and it plays again from the start. An empty name does nothing.
    void PlaySound(const TString& name, bool loop);
    // The effect's count goes down; at 0 its playings stop.
    void StopSound(const TString& name);
    // Stops every effect whose count is not 0 (counts unchanged).
    void StopSounds();
    void StopMusic();
    void PauseMusic();
    void PauseMusicByName(const TString& name);
    // Pause and resume every effect whose count is not 0. Music is never
    // resumed here: it plays again only through PlayMusic.
    void PauseSounds();
    void ResumeSounds();
    void PauseAll();
    void ClearSoundCounts();

    void SetMusicVolume(float volume);
    // Groups 1000 and 0, in that order.
    void SetSoundVolume(float volume);
    void SetMute(bool muted);

    // Fades the music group from 0 up to the profile's music level over
    // duration ms of the fade clock (a duration of 0 or less: at once, at the
    // next UpdateFade). A fade that is running starts again from 0.
    void StartMusicFadeIn(int32_t duration);
    // One step of the fade; nothing unless a fade runs.
    void UpdateFade();

    const std::vector<SSoundEntry>& GetMusic() const { return music_; }
    const std::vector<SSoundEntry>& GetEffects() const { return effects_; }
    bool IsFading() const { return fading_; }
    TClock& GetFadeClock() { return *fadeClock_; }

private:
    SSoundEntry* Find(std::vector<SSoundEntry>& list, const TString& name, const char* query);

    std::vector<SSoundEntry> music_;
    std::vector<SSoundEntry> effects_;
    std::unique_ptr<TClock> fadeClock_;
    bool fading_ = false;
    float fadeTarget_ = 0.0f;
    int32_t fadeDuration_ = 0;
    int32_t fadeDirection_ = 0;
};

// The script global "PlaySoundFromLUA" (name, loop): PlaySound on the game
// sound manager.
void PlaySoundFromLua(TString name, bool loop);
