// Program entry of the game: the game's start-up settings, then the
// framework's start function around the game's main function.
#include "core/Settings.h"
#include "core/SettingKeys.h"
#include "core/host/App.h"
#include "core/host/CommandLine.h"
#include "core/host/Start.h"
#include "game/app/FrameworkServices.h"
#include "ui/WindowManager.h"

namespace
{

// The preferences file's key.
const char* const kEncryptionKey = "c7Vq2mLr9TzaW4kN";

void ApplyStartupSettings()
{
    SetSetting(kSettingPublisher, "Hollvane-Plomet");
    SetSetting(kSettingGameName, "Orvelle");
    SetSetting(kSettingUtf8Mode, "1");
    SetSetting(kSettingAutoMergeMask, "1");
    SetSetting(kSettingFlashMajorVersion, "8");
    SetSetting(kSettingFixButtonMask, "1");
    SetSetting(kSettingHitTestChildren, "1");
    SetSetting(kSettingAnimatedParticles, "1");
    SetSetting(kSettingEncryptionKey, kEncryptionKey);
}

// The game's main loop until the screens arrive: a window of the game's
// size, drawn by the window manager, that ends on a close request.
void MainCallback(TApp& app, const TString&)
{
    app.SetDisplayMode(800, 600, false);
    TEvent ev;
    for (;;)
    {
        app.GetNextEvent(ev);
        if (TWindowManager* wm = GetWindowManager()) wm->HandleEvent(ev);
        if (ev.type == kEventQuit) break;
        // No window script waits for the request yet: it ends the game.
        if (ev.type == kEventClose) app.Quit(0);
    }
}
}  // namespace

int main(int argc, char** argv)
{
    ApplyStartupSettings();
    RegisterFrameworkServices();
    return StartFramework(JoinCommandLine(argc, argv), &MainCallback, false);
}
