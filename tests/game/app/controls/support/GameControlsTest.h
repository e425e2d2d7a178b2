// The set-up of the game controls' tests: a window manager with a screen and
// a window script that knows the game's window types as the game registers
// them, the fixture scripts of tests/data/game/controls, and a dialog to
// build them in.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "game/app/WindowTypes.h"
#include "ui/support/ControlTestSupport.h"

namespace controlstest
{

inline std::string ReadFixture(const char* name)
{
    std::ifstream in(std::string(ORVELLE_TEST_DATA) + "/game/controls/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class GameControlsTest : public uitest::ScriptUiTest
{
protected:
    void SetUp() override
    {
        ScriptUiTest::SetUp();
        RegisterWindowTypes(GetAppWindowTypes());
    }
    // A new modal named dlg; then the fixture script builds into it.
    void Open(const char* fixture)
    {
        Eval("PushModal('dlg')");
        ASSERT_EQ(script->DoLuaString(ReadFixture(fixture).c_str()), 0) << fixture;
    }
    // The window of that name below the top modal, when it is a T.
    template <class T>
    T* Find(const char* name)
    {
        TWindow* w = wm->GetTopModal()->FindChild(name, -1);
        return w != nullptr && w->IsKindOf(T::ClassId()) ? static_cast<T*>(w) : nullptr;
    }
};

}  // namespace controlstest
