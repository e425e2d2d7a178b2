// Handlers from module files, over the platform's run-time libraries.
#include "services/DllGameState.h"

#include <string>

#include "core/FileNames.h"
#include "core/Folders.h"

TDllGameState::TDllGameState() : module_(std::make_unique<TModule>()) {}

TDllGameState::~TDllGameState()
{
    if (table_ && module_->destroy) module_->destroy(table_);
    table_ = nullptr;
    module_->create = nullptr;
    module_->destroy = nullptr;
    module_->library.Close();
}

bool TDllGameState::Load(const TString& name)
{
    TString path = ResolveFileName(name, true);
    if (path.IsEmpty() || !IsNativeCodePathAllowed(path)) return false;
    const std::string program = GetProgramFolder().CStr();
    if (!module_->library.Open(path.CStr(), {program, program + "/assets"})) return false;
    module_->create = reinterpret_cast<QvCreateHandlerFn>(module_->library.Symbol("CreateHandler"));
    module_->destroy =
        reinterpret_cast<QvDestroyHandlerFn>(module_->library.Symbol("DestroyHandler"));
    if (!module_->create || !module_->destroy) return false;
    table_ = module_->create();
    if (!table_) return false;
    // A module built against an older, shorter table would have the program
    // call past its end.
    tableUsable_ = table_->size >= sizeof(QvGameStateHandler);
    return tableUsable_;
}

bool TDllGameState::OnSetState(const TString& key, const TString& value)
{
    const QvGameStateHandler* t = Usable();
    return t && t->OnSetState && t->OnSetState(t->object, key.CStr(), value.CStr()) != 0;
}

TString TDllGameState::OnGetState(const TString& key, const TString& value)
{
    const QvGameStateHandler* t = Usable();
    if (!t || !t->OnGetState) return value;
    const char* answer = t->OnGetState(t->object, key.CStr(), value.CStr());
    return answer ? TString(answer) : value;
}

bool TDllGameState::Ask(TQuery query) const
{
    const QvGameStateHandler* t = Usable();
    return t && t->*query && (t->*query)(t->object) != 0;
}

bool TDllGameState::QueryRestartMode()
{
    return Ask(&QvGameStateHandler::QueryRestartMode);
}

bool TDllGameState::QueryJumpToMenu()
{
    return Ask(&QvGameStateHandler::QueryJumpToMenu);
}

bool TDllGameState::QueryMuteGame()
{
    return Ask(&QvGameStateHandler::QueryMuteGame);
}

bool TDllGameState::IsHoldingGame()
{
    return Ask(&QvGameStateHandler::IsHoldingGame);
}
