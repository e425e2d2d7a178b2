// The host's face of the game-state board.
#include "services/HostGameState.h"

#include <string>
#include <vector>

#include "core/Log.h"
#include "host/HostServices.h"
#include "services/DllGameState.h"
#include "services/GameState.h"
#include "services/MetricsHandler.h"
#include "services/MsnZylomHandler.h"

namespace
{

class TGameStateLink final : public THostGameState
{
public:
    ~TGameStateLink() override { TGameState::Destroy(); }

    void SetState(const TString& key, const TString& value) override
    {
        FlushRefusals();
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
    void EnableMsnMode() override
    {
        if (!::EnableMsnMode()) Refuse("msn");
    }
    void EnableZylomMode() override
    {
        if (!::EnableZylomMode()) Refuse("zylom");
    }
    void EnablePortalHandler() override { ::EnablePortalHandler(); }
    bool IsZylomMode() const override { return ::IsZylomMode(); }
    uint32_t GetHostPausedTime() const override { return ::GetHostPausedTime(); }

private:
    // The switches are read before the log is open; the refusal is written
    // by the first call that finds it open.
    void Refuse(const char* mode)
    {
        refused_.push_back(mode);
        FlushRefusals();
    }
    void FlushRefusals()
    {
        if (refused_.empty() || GetLogPath().IsEmpty()) return;
        for (const std::string& mode : refused_)
            LogPrintf("Game-state portal mode %s refused: no portal on this platform",
                      mode.c_str());
        refused_.clear();
    }

    std::vector<std::string> refused_;
};

}  // namespace

THostGameState* MakeHostGameState()
{
    return new TGameStateLink();
}
