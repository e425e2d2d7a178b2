// Program entry of the game: the game's start-up settings, then the
// framework's start function around the game's main function.
#include "core/Settings.h"
#include "core/SettingKeys.h"
#include "core/host/App.h"
#include "core/host/CommandLine.h"
#include "core/host/Start.h"
#include "game/app/FrameworkServices.h"
#include "graphics/DrawContext.h"
#include "services/HostHttp.h"

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

// Until the window manager arrives, the loop itself draws the frames: a
// cleared picture at most every 12 ms in the foreground, every 200 ms behind.
void DrawClearedFrame(TApp& app, uint32_t& lastFrame)
{
    const uint32_t now = app.GetTime();
    const uint32_t interval = app.IsForeground() ? 12 : 200;
    if (now - lastFrame < interval) return;
    TDrawContext* dc = TDrawContext::Instance();
    if (dc == nullptr || !dc->BeginDraw(false)) return;
    lastFrame = now;
    dc->FillRect(TRect(0, 0, 800, 600), TFloatVector4(0.0f, 0.0f, 0.0f, 1.0f), TTextureRef());
    dc->EndDraw(true);
}

// The game's main loop until the screens arrive: a window of the game's
// size that ends on a close request.
void MainCallback(TApp& app, const TString&)
{
    app.SetDisplayMode(800, 600, false);
    uint32_t lastFrame = app.GetTime();
    TEvent ev;
    for (;;)
    {
        app.GetNextEvent(ev);
        if (ev.type == kEventQuit) break;
        if (ev.type == kEventClose) app.Quit(0);
        if (ev.type == kEventIdle) DrawClearedFrame(app, lastFrame);
    }
}
}  // namespace

int main(int argc, char** argv)
{
    ApplyStartupSettings();
    RegisterFrameworkServices();
    int exitCode = StartFramework(JoinCommandLine(argc, argv), &MainCallback, false);
    ShutdownHostHttp();
    return exitCode;
}
