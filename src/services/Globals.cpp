// The game-state services' process-wide state put back as the program starts
// with it.
#include "services/Globals.h"

#include "services/FlashHost.h"
#include "services/GameState.h"
#include "services/MsnZylomHandler.h"
#include "services/SimpleHttp.h"

void ResetServicesGlobals()
{
    // A test's channel and hooks may point into a fixture already gone: they
    // go before the handlers' shutdown could reach them.
    SetPortalChannel(nullptr);
    SetPortalHooks(TPortalHooks());
    ResetFlashHost();
    TGameState::Destroy();
    TGameState::SetFacadeTestForTest(nullptr);
    ResetPortalState();
    TSimpleHttp::SetTimeouts(TSimpleHttp::kDefaultConnectTimeoutMs,
                             TSimpleHttp::kDefaultIdleTimeoutMs);
}
