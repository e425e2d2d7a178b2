// The window-type table.
#include "game/app/WindowTypes.h"

#include <cstring>

#include "game/app/controls/CustomButton.h"
#include "game/app/controls/CustomSlider.h"
#include "game/app/controls/CustomTextEdit.h"
#include "game/app/controls/CustomWindow.h"
#include "game/app/screens/CreditsScreen.h"
#include "game/app/screens/HelpScreen.h"
#include "game/app/screens/LoadScreen.h"
#include "game/app/screens/MainMenuScreen.h"
#include "game/app/screens/OptionsScreen.h"
#include "game/app/screens/ProfileScreen.h"
#include "ui/WindowManager.h"

namespace
{

// Every window type of the game in the order it is registered, with the
// class of each type the app library holds. A row without a class is
// offered by a library above the app (the level, HUD and editor screens)
// through the game's wiring; until then it is skipped.
const std::vector<TWindowTypeRow>& WindowTypeTable()
{
    static const std::vector<TWindowTypeRow> table = {
        {"MainMenuScreen", TMainMenuScreen::ClassId()},
        {"GameLogicScreen", nullptr},
        {"InGameScreen", nullptr},
        {"GameOverScreen", nullptr},
        {"MapScreen", nullptr},
        {"LoadScreen", TLoadScreen::ClassId()},
        {"OptionsScreen", TOptionsScreen::ClassId()},
        {"ComicsScreen", nullptr},
        {"ProfileScreen", TProfileScreen::ClassId()},
        {"IntroScreen", nullptr},
        {"CreditsScreen", TCreditsScreen::ClassId()},
        {"StoryScreen", nullptr},
        {"HelpScreen", THelpScreen::ClassId()},
        {"EditorScreen", nullptr},
        {"EditorOptionsScreen", nullptr},
        {"EditorOptionsLEScreen", nullptr},
        {"EditorOptionsSScreen", nullptr},
        {"CustomWindow", TCustomWindow::ClassId()},
        {"TextEdit", TCustomTextEdit::ClassId()},
        {"CustomSlider", TCustomSlider::ClassId()},
        {"CustomButton", TCustomButton::ClassId()},
    };
    return table;
}

}  // namespace

const std::vector<const char*>& GetWindowTypeOrder()
{
    static const std::vector<const char*> order = []
    {
        std::vector<const char*> names;
        for (const TWindowTypeRow& row : WindowTypeTable()) names.push_back(row.typeName);
        return names;
    }();
    return order;
}

std::vector<TWindowTypeRow> GetAppWindowTypes()
{
    std::vector<TWindowTypeRow> rows;
    for (const TWindowTypeRow& row : WindowTypeTable())
        if (row.classId != nullptr) rows.push_back(row);
    return rows;
}

void RegisterWindowTypes(const std::vector<TWindowTypeRow>& rows)
{
    TWindowManager* wm = GetWindowManager();
    if (wm == nullptr) return;
    const std::vector<const char*>& order = GetWindowTypeOrder();
    auto known = [&](const char* name)
    {
        for (const char* n : order)
            if (std::strcmp(n, name) == 0) return true;
        return false;
    };
    for (const char* name : order)
        for (const TWindowTypeRow& row : rows)
            if (std::strcmp(row.typeName, name) == 0)
                wm->RegisterWindowType(row.typeName, row.classId);
    for (const TWindowTypeRow& row : rows)
        if (!known(row.typeName)) wm->RegisterWindowType(row.typeName, row.classId);
}
