// The game's start-up settings.
#include "game/app/StartupSettings.h"

#include "core/SettingKeys.h"
#include "core/Settings.h"

namespace
{

struct SStartupSetting
{
    const char* key;
    const char* value;
};

// In the order they are stored: a settings change hook sees them so.
constexpr SStartupSetting kStartupSettings[] = {
    {kSettingPublisher, "Hollvane-Plomet"},
    {kSettingGameName, "Orvelle"},
    {kSettingUtf8Mode, "1"},
    {kSettingAutoMergeMask, "1"},
    {kSettingFlashMajorVersion, "8"},
    {kSettingFixButtonMask, "1"},
    {kSettingHitTestChildren, "1"},
    {kSettingAnimatedParticles, "1"},
    {kSettingEncryptionKey, kGameEncryptionKey},
};

}  // namespace

void ApplyStartupSettings()
{
    for (const SStartupSetting& s : kStartupSettings) SetSetting(s.key, s.value);
}
