// The window-type table.
#include "game/app/WindowTypes.h"

#include <cstring>

#include "game/app/controls/CustomButton.h"
#include "game/app/controls/CustomSlider.h"
#include "game/app/controls/CustomTextEdit.h"
#include "game/app/controls/CustomWindow.h"
#include "game/app/screens/HelpScreen.h"
#include "game/app/screens/LoadScreen.h"
#include "game/app/screens/MainMenuScreen.h"
#include "game/app/screens/ProfileScreen.h"
// Options and credits screens.
#include "game/app/screens/CreditsScreen.h"
#include "game/app/screens/OptionsScreen.h"
#include "ui/WindowManager.h"

const std::vector<const char*>& GetWindowTypeOrder()
{
    static const std::vector<const char*> order = {
        "MainMenuScreen",
        "GameLogicScreen",
        "InGameScreen",
        "GameOverScreen",
        "MapScreen",
        "LoadScreen",
        "OptionsScreen",
        "ComicsScreen",
        "ProfileScreen",
        "IntroScreen",
        "CreditsScreen",
        "StoryScreen",
        "HelpScreen",
        "EditorScreen",
        "EditorOptionsScreen",
        "EditorOptionsLEScreen",
        "EditorOptionsSScreen",
        "CustomWindow",
        "TextEdit",
        "CustomSlider",
        "CustomButton",
    };
    return order;
}

std::vector<TWindowTypeRow> GetAppWindowTypes()
{
    return {
        {"MainMenuScreen", TMainMenuScreen::ClassId()},
        {"LoadScreen", TLoadScreen::ClassId()},
        {"HelpScreen", THelpScreen::ClassId()},
        // The options and credits screens.
        {"OptionsScreen", TOptionsScreen::ClassId()},
        {"CreditsScreen", TCreditsScreen::ClassId()},
        // The game's controls.
        {"CustomWindow", TCustomWindow::ClassId()},
        {"TextEdit", TCustomTextEdit::ClassId()},
        {"CustomSlider", TCustomSlider::ClassId()},
        {"CustomButton", TCustomButton::ClassId()},
        // The profile list.
        {"ProfileScreen", TProfileScreen::ClassId()},
    };
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
