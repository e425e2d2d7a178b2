// A game-state handler supplied by a module file (GameStateModule.h): the
// module's handler table is called for the six operations from OnSetState to
// IsHoldingGame; Shutdown is the base one (the module is not told).
#pragma once

#include <memory>

#include "platform/Library.h"
#include "services/GameState.h"
#include "services/GameStateModule.h"

class TDllGameState : public TGameStateHandler
{
public:
    TDllGameState();
    // Hands the module's handler back (DestroyHandler) when one was made,
    // then unloads the module.
    ~TDllGameState() override;

    // Resolves the logical name for reading, loads the module (only from the
    // program's folder or its "assets" folder), finds "CreateHandler" and
    // "DestroyHandler" and makes the handler. False, silently, when any step
    // fails, when CreateHandler returns null, or when its table is smaller
    // than this program's; what was filled in is released by the destructor.
    bool Load(const TString& name);
    // Whether Load succeeded (the module's operations are called).
    bool IsLoaded() const { return table_ != nullptr && tableUsable_; }

    bool OnSetState(const TString& key, const TString& value) override;
    // A module answering null reports the value given.
    TString OnGetState(const TString& key, const TString& value) override;
    bool QueryRestartMode() override;
    bool QueryJumpToMenu() override;
    bool QueryMuteGame() override;
    bool IsHoldingGame() override;

private:
    const QvGameStateHandler* Usable() const { return tableUsable_ ? table_ : nullptr; }
    // One of the module's four questions; false when it cannot be asked.
    using TQuery = int (*QvGameStateHandler::*)(void*);
    bool Ask(TQuery query) const;

    struct TModule
    {
        platform::Library library;
        QvCreateHandlerFn create = nullptr;
        QvDestroyHandlerFn destroy = nullptr;
    };
    std::unique_ptr<TModule> module_;
    const QvGameStateHandler* table_ = nullptr;
    bool tableUsable_ = false;
};
