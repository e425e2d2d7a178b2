// Headless runs of the whole game in the test process, for end-to-end tests
// of the screens. A run starts the game as the program does (StartGame,
// with the repository's assets beside the test program), in private XDG
// folders, windowed, on the offscreen display; it plays scripted steps from
// the game's idle pass, each waiting for its condition within a time limit
// before it acts, and injects input where the platform hands it to the
// framework (the window's close button, a termination from outside, focus
// lost and gained, keys, clicks).
//
// A step that runs out of time is recorded and ends the run (the game is
// asked to quit); so does a run that ends with steps left.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/String.h"
#include "game/app/GameMain.h"
#include "ui/WindowClass.h"

class TWindow;

namespace gametest
{

class TGameRun
{
public:
    // Private folders under a new temporary folder; the environment the run
    // needs (XDG folders, ORVELLE_WINDOWED, the offscreen driver). The same
    // folders serve every Run of this object, so a second run reads what the
    // first wrote.
    TGameRun();
    // Removes the folders and puts the environment back.
    ~TGameRun();
    TGameRun(const TGameRun&) = delete;
    TGameRun& operator=(const TGameRun&) = delete;

    // Appends a step: once ready() holds (checked on every idle pass), act()
    // runs. timeoutMs counts from the moment the step became current.
    TGameRun& Step(std::string what, std::function<bool()> ready, std::function<void()> act = {},
                   uint32_t timeoutMs = 15000);
    // A step with no condition.
    TGameRun& Do(std::string what, std::function<void()> act);
    // Waits a number of idle passes (lets frames and timers run).
    TGameRun& Idle(int passes);

    // Starts the game with the steps queued since the last run and returns
    // its exit code. The game is wired as the program wires it (WireGame);
    // setup's own window types, level or helper, where given, replace the
    // wired ones.
    int Run(TGameSetup setup = {}, const TString& commandLine = TString());

    // Steps that failed (ran out of time, or never came), one line each.
    const std::vector<std::string>& Failures() const { return failures_; }
    // The same, as one text.
    std::string FailureText() const;
    // The per-user data folder of the game ($XDG_DATA_HOME/<publisher>/<game>).
    std::filesystem::path UserData() const;
    // The game's log as the run left it.
    std::string Log() const;

    // --- conditions (main thread, while the game runs) ---
    static TString TopModalName();
    static bool IsTop(const char* name) { return TopModalName() == TString(name); }
    // The first window of that class anywhere on the modal stack; null when none.
    static TWindow* FindWindowOfClass(TWindowClassId id);
    // A window of that name below the top modal; null when none.
    static TWindow* FindBelowTop(const char* name);

    // --- input, as the platform hands it over ---
    static void CloseWindow();
    static void TerminateFromOutside();
    static void SetFocus(bool gained);
    // Key down, its character (Enter, Escape and the like type one), key up.
    static void PressKey(int32_t virtualKey);
    // Each character as the text input the platform hands over.
    static void TypeText(const char* text);
    // Moves onto the centre of the named window below the top modal, presses
    // and releases there. False when there is no such window.
    static bool Click(const char* name);
    // Moves onto (x, y), presses and releases there (the level's map and its
    // HUD buttons are no windows).
    static void ClickAt(int32_t x, int32_t y);

    // --- the frame ---
    // The last drawn frame's pixel as 0xRRGGBB; 0xFFFFFFFF without a display.
    static uint32_t FramePixel(int x, int y);

private:
    struct SStep
    {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
        uint32_t timeoutMs;
    };
    class TStepTask;
    friend class TStepTask;
    static void MainFunction(TApp& app, const TString& commandLine);

    std::filesystem::path root_;
    std::vector<std::pair<std::string, std::string>> savedEnv_;
    std::filesystem::path savedFolder_;
    std::vector<SStep> steps_;
    size_t next_ = 0;
    uint32_t stepStart_ = 0;
    bool stepStarted_ = false;
    std::vector<std::string> failures_;
};

}  // namespace gametest
