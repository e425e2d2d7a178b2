// Start-up of the whole game: from the start function's call to the loading
// screen's first presented frame, against a baseline in the same run: the
// same start function around a main function that only sets the 800 x 600
// mode (whose first frame, cleared, is presented as the mode is set). Also
// the time to the first screen's first frame, with the files its groups
// loaded (one per 10 ms tick of the loading screen). Each iteration is a
// whole run of the framework, in private folders, windowed and headless.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Task.h"
#include "game/app/AppEvents.h"
#include "game/app/GameMain.h"
#include "game/app/LoadScreen.h"
#include "game/app/MainMenuScreen.h"
#include "game/app/Res.h"
#include "game/wiring/GameWiring.h"
#include "host/App.h"
#include "ui/Window.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"

namespace
{

using Clock = std::chrono::steady_clock;

// What one run is waiting for, and when it came.
enum class Goal
{
    kLoadingFrame,
    kFirstScreenFrame
};
Goal gGoal = Goal::kLoadingFrame;
Clock::time_point gStart;
Clock::time_point gReached;
bool gDone = false;
bool gMissed = false;
int gFilesLoaded = 0;

// Whether the goal is on screen now.
bool GoalShown()
{
    if (gGoal == Goal::kLoadingFrame) return FindOnModalStack(TLoadScreen::ClassId()) != nullptr;
    auto* menu = static_cast<TMainMenuScreen*>(FindOnModalStack(TMainMenuScreen::ClassId()));
    return menu != nullptr && !menu->IsFirstFrame();
}

// The draw pass before a frame: a frame that shows the goal is being drawn;
// it is presented when the pass's frame ends, before the next idle pass.
class TFrameWatch : public TTask
{
public:
    explicit TFrameWatch(bool* drawn) : drawn_(drawn) {}
    bool IsReady(int phase) override { return phase == TaskPhaseDraw; }
    bool Run() override
    {
        if (gDone) return false;
        if (GoalShown()) *drawn_ = true;
        return true;
    }

private:
    bool* drawn_;
};

// The idle pass after that frame: the goal is reached. A run that gets past
// its goal unseen (the first screen is up) ends too, without a time.
class TIdleWatch : public TTask
{
public:
    bool IsReady(int phase) override { return phase == TaskPhaseIdle; }
    bool Run() override
    {
        if (gDone) return false;
        if (!drawn_)
        {
            if (!added_)
            {
                added_ = true;
                if (TApp* app = GetApp()) app->AddTask(new TFrameWatch(&drawn_));
            }
            auto* menu =
                static_cast<TMainMenuScreen*>(FindOnModalStack(TMainMenuScreen::ClassId()));
            if (gGoal == Goal::kLoadingFrame && menu != nullptr && !menu->IsFirstFrame())
            {
                gDone = true;
                gMissed = true;
                if (TApp* app = GetApp()) app->Quit(0);
                return false;
            }
            return true;
        }
        gReached = Clock::now();
        gDone = true;
        if (TRes* res = TRes::GetIfMade()) gFilesLoaded = res->GetLoadedFiles();
        if (TApp* app = GetApp()) app->Quit(0);
        return false;
    }

private:
    bool drawn_ = false;
    bool added_ = false;
};

void GameWithWatch(TApp& app, const TString& commandLine)
{
    app.AddTask(new TIdleWatch());
    GameMain(app, commandLine);
}

void Baseline(TApp& app, const TString&)
{
    app.SetDisplayMode(800, 600, false);
    gReached = Clock::now();
    gDone = true;
}

// A headless window never has the input focus, and a game out of the
// foreground draws every 200 ms: the runs pace their frames as a player's
// game in front does (every 12 ms).
class TForegroundLink : public TWindowAppLink
{
public:
    bool IsFastFrameRate() const override { return true; }
};

// Private folders for the runs; the environment a headless run needs.
class TRunFolders
{
public:
    TRunFolders()
    {
        char pattern[] = "/tmp/orvelle-bench-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
        setenv("ORVELLE_WINDOWED", "1", 1);
        setenv("ORVELLE_NO_MESSAGEBOX", "1", 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_RENDER_DRIVER", "opengl", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    ~TRunFolders()
    {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    // Each run starts as a first start.
    void Clear()
    {
        std::error_code ec;
        std::filesystem::remove_all(root_ / "data", ec);
    }

private:
    std::filesystem::path root_;
};

// One run: the seconds from the start function's call to the goal.
double RunOnce(TGameMain main, TRunFolders& folders)
{
    folders.Clear();
    gDone = false;
    gMissed = false;
    gFilesLoaded = 0;
    const std::filesystem::path here = std::filesystem::current_path();
    TGameSetup setup;
    WireGame(setup);
    setup.mainFunction = main;
    setup.allowMultiple = true;
    gStart = Clock::now();
    StartGame(TString(), setup);
    std::filesystem::current_path(here);
    if (!gDone || gMissed) return -1.0;
    return std::chrono::duration<double>(gReached - gStart).count();
}

void Report(benchmark::State& state, TGameMain main, Goal goal)
{
    TRunFolders folders;
    TForegroundLink foreground;
    SetWindowAppLink(&foreground);
    gGoal = goal;
    for (auto _ : state)
    {
        const double seconds = RunOnce(main, folders);
        if (seconds < 0)
        {
            state.SkipWithError("the run never reached its goal");
            SetWindowAppLink(nullptr);
            return;
        }
        state.SetIterationTime(seconds);
    }
    SetWindowAppLink(nullptr);
    if (main != &Baseline) state.counters["files"] = gFilesLoaded;
}

void BM_StartToClearedFrame_Baseline(benchmark::State& state)
{
    Report(state, &Baseline, Goal::kLoadingFrame);
}
void BM_StartToLoadingScreenFrame(benchmark::State& state)
{
    Report(state, &GameWithWatch, Goal::kLoadingFrame);
}
void BM_StartToFirstScreenFrame(benchmark::State& state)
{
    Report(state, &GameWithWatch, Goal::kFirstScreenFrame);
}

// The three runs in turn within each iteration, so that a busy machine
// weighs on all of them alike; medians of the iterations as counters (ms)
// and the ratios against the baseline.
void BM_StartupPaired(benchmark::State& state)
{
    TRunFolders folders;
    TForegroundLink foreground;
    SetWindowAppLink(&foreground);
    std::vector<double> base, loading, first;
    int files = 0;
    for (auto _ : state)
    {
        gGoal = Goal::kLoadingFrame;
        const double b = RunOnce(&Baseline, folders);
        const double l = RunOnce(&GameWithWatch, folders);
        gGoal = Goal::kFirstScreenFrame;
        const double f = RunOnce(&GameWithWatch, folders);
        files = gFilesLoaded;
        if (b < 0 || l < 0 || f < 0)
        {
            state.SkipWithError("a run never reached its goal");
            break;
        }
        base.push_back(b);
        loading.push_back(l);
        first.push_back(f);
        state.SetIterationTime(b + l + f);
    }
    SetWindowAppLink(nullptr);
    if (base.empty()) return;
    auto median = [](std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2] * 1000.0;
    };
    state.counters["baseline_ms"] = median(base);
    state.counters["loading_ms"] = median(loading);
    state.counters["first_ms"] = median(first);
    state.counters["loading_ratio"] = median(loading) / median(base);
    state.counters["first_ratio"] = median(first) / median(base);
    state.counters["files"] = files;
}

BENCHMARK(BM_StartupPaired)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToClearedFrame_Baseline)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToLoadingScreenFrame)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToFirstScreenFrame)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
