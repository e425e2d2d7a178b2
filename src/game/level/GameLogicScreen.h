// TGameLogicScreen (window type "GameLogicScreen"): the window a level is
// played in. It loads the level's resource groups through the loading
// screen, starts the level in the level logic, drives it from its 16 ms
// tick, draws it, hands it the player's mouse and keys, opens the level's
// dialogs ("intro", "in_game", "help", "game_over", and the close-tutorial
// question) over itself and records the result in the profile. A restart
// (the level logic's start-level callback) loads and starts a level anew in
// the same screen.
//
// Its script functions: "AnswerToCloseTutorial" (the question's answer) and
// "ResumeLevelAfterPause" (the pause dialog closed: the level goes on when
// this screen lies right under it). Both, and the six handlers it binds into
// the level logic, do nothing once the screen is gone.
//
// Failure: none reported. Input before the level runs and during the win
// sequence is swallowed.
#pragma once

#include <cstdint>
#include <vector>

#include "core/String.h"
#include "game/app/CompleteLevel.h"
#include "game/app/screens/GameScreen.h"

class TGameLogic;

class TGameLogicScreen : public TGameScreen
{
public:
    static constexpr const char* kClickSound = "core_audio:audio/sound/core/click_map_play";

    // Publishes its script functions, clears the level's running and win
    // flags, takes the level to play from the profile, plays the click.
    TGameLogicScreen();
    // Unbinds its handlers, leaves the screen stack, clears the level and
    // unloads the level's groups.
    ~TGameLogicScreen() override;

    ORVELLE_WINDOW_CLASS(TGameScreen);

    void PostInit(TWindowStyle& style) override;
    void Draw() override;
    bool OnMessage(TMessage* message) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseButton(TPoint point, int32_t button) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    // Escape opens the in-game menu; every key is swallowed while the level
    // is not running or is being won.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    // 0 closes the tutorial, 1 goes on with it; both resume the level.
    void AnswerToCloseTutorial(int32_t answer);
    // The pause dialog closed: resumes the level when this screen's modal
    // is the top one again (not under another dialog).
    void ResumeLevelAfterPause();

    // --- The handlers bound into the level logic ---
    void OpenInGameMenu();
    void OpenHelp();
    void OnLevelResult(const SCompleteLevel& result);
    void OpenIntro();
    // Loads and starts level n at the next tick.
    int32_t RestartLevel(int32_t n);
    void AskToCloseTutorial();

    bool IsLoading() const { return loading_; }
    int32_t GetLevelNumber() const { return levelNumber_; }
    const std::vector<TString>& GetGroups() const { return groups_; }

protected:
    std::vector<TString> WantedGroups() override;
    void OnGroupsLoaded() override;
    void Tick() override;

private:
    void PublishBindings();
    void BindHandlers();
    void UnbindHandlers();
    // The level logic while it exists; null after the singletons end.
    TGameLogic* Level() const;
    // The level runs and is not being won.
    bool TakesInput() const;
    void FullPause();
    void RunDialog(const char* script);

    bool loading_ = true;
    std::vector<TString> groups_;
    int32_t levelNumber_ = 0;
};
