// The movie host without a movie player.
#include "services/FlashHost.h"

#include "core/Log.h"
#include "core/Settings.h"
#include "host/App.h"
#include "host/AppHost.h"

namespace
{

TFlashHostHooks gHooks;
bool gRefusalLogged = false;

bool IsSystemCursorShown()
{
    if (gHooks.isSystemCursorShown) return gHooks.isSystemCursorShown();
    TApp* app = GetApp();
    return app ? app->GetHost()->systemCursorVisible : true;
}

void ShowSystemCursor(bool visible)
{
    if (gHooks.showSystemCursor) return gHooks.showSystemCursor(visible);
    if (TApp* app = GetApp()) app->ShowSystemCursor(visible);
}

void Call(const std::function<void()>& hook)
{
    if (hook) hook();
}

}  // namespace

void SetFlashHostHooks(const TFlashHostHooks& hooks)
{
    gHooks = hooks;
}

TFlashHost::TFlashHost(const char* movieName)
    : movieName_(movieName ? movieName : ""), savedCursorShown_(IsSystemCursorShown())
{
}

TFlashHost::~TFlashHost()
{
    Stop();
}

bool TFlashHost::Play(bool, bool, bool exclusive)
{
    if (exclusive) Call(gHooks.releaseMouseCapture);
    if (GetSetting("dxbroken", "0").ToInt() != 0) return false;
    savedCursorShown_ = IsSystemCursorShown();
    if (!gRefusalLogged)
    {
        gRefusalLogged = true;
        LogPrintf("TFlashHost: movies cannot play on this platform (\"%s\" and any later one)",
                  movieName_.c_str());
    }
    return false;
}

void TFlashHost::Stop()
{
    if (gHooks.clearMovieFlags) gHooks.clearMovieFlags(exclusive_);
    exclusive_ = false;
    Call(gHooks.resetMouseImage);
    Call(gHooks.fillRootWindow);
    Call(gHooks.resetMouseImage);
    ShowSystemCursor(savedCursorShown_);
}
