// Handlers from module files, over the platform's run-time libraries.
#include "services/DllGameState.h"

#include <string>

#include "core/FileNames.h"
#include "core/Folders.h"

TDllGameState::TDllGameState() : m_module(std::make_unique<TModule>()) {}

TDllGameState::~TDllGameState()
{
    if (m_table && m_module->destroy) m_module->destroy(m_table);
    m_table = nullptr;
    m_module->create = nullptr;
    m_module->destroy = nullptr;
    m_module->library.Close();
}

bool TDllGameState::Load(const TString& name)
{
    TString path = ResolveFileName(name, true);
    if (path.IsEmpty() || !IsNativeCodePathAllowed(path)) return false;
    const std::string program = GetProgramFolder().CStr();
    if (!m_module->library.Open(path.CStr(), {program, program + "/assets"})) return false;
    m_module->create = reinterpret_cast<QvCreateHandlerFn>(m_module->library.Symbol("CreateHandler"));
    m_module->destroy =
        reinterpret_cast<QvDestroyHandlerFn>(m_module->library.Symbol("DestroyHandler"));
    if (!m_module->create || !m_module->destroy) return false;
    m_table = m_module->create();
    if (!m_table) return false;
    // A module built against an older, shorter table would have the program
    // call past its end.
    m_tableUsable = m_table->size >= sizeof(QvGameStateHandler);
    return m_tableUsable;
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
