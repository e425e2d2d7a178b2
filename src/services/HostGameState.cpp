// The host's face of the game-state board.
#include "services/HostGameState.h"

#include "core/Log.h"
#include "core/host/HostServices.h"
#include "services/DllGameState.h"
#include "services/GameState.h"
#include "services/MetricsHandler.h"

namespace
{

class TGameStateLink final : public THostGameState
{
public:
    ~TGameStateLink() override { TGameState::Destroy(); }

    void SetState(const TString& key, const TString& value) override
    {
        if (TGameState* board = TGameState::Get()) board->SetState(key, value);
    }
    void SetStateInt(const TString& key, int value) override
    {
        if (TGameState* board = TGameState::Get()) board->SetStateInt(key, value);
    }
    bool IsHeld() override
    {
        TGameState* board = TGameState::Get();
        return board && board->IsHeld();
    }
    bool LoadModule(const TString& name) override
    {
        auto* handler = new TDllGameState();
        if (!handler->Load(name))
        {
            delete handler;
            return false;
        }
        TGameState::Get();
        TGameState::AddHandler(handler);
        return true;
    }
    void AddFirstPeekHandler() override
    {
        TGameState::Get();
        TGameState::AddHandler(new TFirstPeekHandler());
    }
    void AddPostMetricsHandler() override
    {
        TGameState::Get();
        TGameState::AddHandler(new TPostMetricsHandler());
    }
    void EnableMsnMode() override { RefusePortal("msn"); }
    void EnableZylomMode() override { RefusePortal("zylom"); }
    void EnablePortalHandler() override { RefusePortal("portal"); }
    bool IsZylomMode() const override { return false; }
    uint32_t GetHostPausedTime() const override { return 0; }

private:
    // A portal handler would hold the game waiting for a page that can never
    // answer on this platform.
    static void RefusePortal(const char* mode)
    {
        LogPrintf("Game-state portal mode %s refused: no portal on this platform", mode);
    }
};

}  // namespace

THostGameState* MakeHostGameState()
{
    return new TGameStateLink();
}
