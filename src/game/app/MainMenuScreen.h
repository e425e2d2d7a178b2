// TMainMenuScreen (window type "MainMenuScreen"): the game's main menu, in
// its first form. It shows nothing and swallows keys and clicks until its
// resource groups are in (asked for on its first tick: the menu's own, the
// map's, the helper's, the core sounds and the comics due to the current
// player); then it shows the system cursor, takes the focus, places its
// parent at (0, 0) over the whole 800 x 600 picture and draws it black.
#pragma once

#include <vector>

#include "game/app/GameScreen.h"

class TMainMenuScreen : public TGameScreen
{
public:
    // Publishes "MainMenuButtonDepress" (the buttons' work is their script
    // commands').
    TMainMenuScreen();
    ~TMainMenuScreen() override = default;

    const char* GetClassName() const override { return "TMainMenuScreen"; }
    bool IsKindOf(TWindowClassId id) const override
    {
        return id == ClassId() || TGameScreen::IsKindOf(id);
    }
    static TWindowClassId ClassId();

    // Nothing while the groups load; then the 800 x 600 picture in opaque
    // black.
    void Draw() override;
    // Every message is the menu's.
    bool OnMessage(TMessage* message) override;
    // Swallowed while the groups load; otherwise refused.
    bool OnMouseDown(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    bool IsFirstFrame() const { return firstFrame_; }
    void MainMenuButtonDepress(int32_t n);

    // The groups the menu asks for with this many profiles and this comics
    // due (-1: none).
    static std::vector<TString> GroupsFor(int users, int comicDue);

protected:
    std::vector<TString> WantedGroups() override;
    void OnGroupsLoaded() override;

private:
    bool firstFrame_ = true;
};
