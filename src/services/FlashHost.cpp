// The movie host without a movie player.
#include "services/FlashHost.h"

#include "core/Log.h"
#include "core/Settings.h"
#include "core/host/App.h"
#include "core/host/AppHost.h"

namespace
{

TFlashHostHooks g_hooks;
bool g_refusalLogged = false;

bool IsSystemCursorShown()
{
    if (g_hooks.isSystemCursorShown) return g_hooks.isSystemCursorShown();
    TApp* app = GetApp();
    return app ? app->GetHost()->systemCursorVisible : true;
}

void ShowSystemCursor(bool visible)
{
    if (g_hooks.showSystemCursor) return g_hooks.showSystemCursor(visible);
    if (TApp* app = GetApp()) app->ShowSystemCursor(visible);
}

void Call(const std::function<void()>& hook)
{
    if (hook) hook();
}

}  // namespace

void SetFlashHostHooks(const TFlashHostHooks& hooks)
{
    g_hooks = hooks;
}

TFlashHost::TFlashHost(const char* movieName)
    : m_movieName(movieName ? movieName : ""), m_savedCursorShown(IsSystemCursorShown())
{
}

TFlashHost::~TFlashHost()
{
    Stop();
}

bool TFlashHost::Play(bool, bool, bool exclusive)
{
    if (exclusive) Call(g_hooks.releaseMouseCapture);
    if (GetSetting("dxbroken", "0").ToInt() != 0) return false;
    m_savedCursorShown = IsSystemCursorShown();
    if (!g_refusalLogged)
    {
        g_refusalLogged = true;
        LogPrintf("TFlashHost: movies cannot play on this platform (\"%s\" and any later one)",
                  m_movieName.c_str());
    }
    return false;
}

void TFlashHost::Stop()
{
    if (g_hooks.clearMovieFlags) g_hooks.clearMovieFlags(m_exclusive);
    m_exclusive = false;
    Call(g_hooks.resetMouseImage);
    Call(g_hooks.fillRootWindow);
    Call(g_hooks.resetMouseImage);
    ShowSystemCursor(m_savedCursorShown);
}
