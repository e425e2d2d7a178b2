// A busy level's frame: the shipped sample level with the layout kept beside
// this file (levelframe_gr.lua: 30 open slots, each with a working stall of
// one of the three kinds), its resource groups loaded on the recording device,
// the game's own factory, and 100 walkers spawned through the level's own
// operations (60 customers, 20 couriers, 20 monsters). The fake clock moves
// 16 ms per frame, so every run plays the same way.
//
// Cases, each against a baseline in the same run that is the same level in a
// copy of the assets whose animation scripts are stubbed (DoAnim returns at
// once, so no animation coroutine is resumed per frame):
// - TGameLogic::Update, then the animation task list run once, as the
//   application's loop runs it between two frames;
// - TGameLogic::Update alone;
// - TGameLogic::Draw into one 2D frame of the recording device (which keeps
//   every device call as a formatted line: its own cost is in both figures).
//
// The level is made afresh for each case (outside the timing) and plays 120
// frames of warm-up first, so the walkers are on their way when timing starts.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/StringTable.h"
#include "core/Task.h"
#include "core/support/FakeClock.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/level/GameLogic.h"
#include "game/level/LevelFactory.h"
#include "game/level/support/LevelFakes.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/AnimationHost.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "platform/null/GfxRecordingDevice.h"
#include "ui/WindowAppLink.h"

namespace
{

namespace fs = std::filesystem;

constexpr uint32_t kFrameMs = 16;
constexpr int kCustomers = 60;
constexpr int kCouriers = 20;
constexpr int kMonsters = 20;
constexpr int kWarmFrames = 120;
constexpr int kStalls = 30;
constexpr int kTimedFrames = 1500;

const fs::path kRoot = "/tmp/orvelle-bench-levelframe";

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A copy of the shipped assets with the bench's layout as level 1's; with
// stub, every animation description's script is one that returns at once.
fs::path MakeAssetCopy(bool stub)
{
    const fs::path top = kRoot / (stub ? "stub" : "real");
    fs::remove_all(top);
    fs::create_directories(top);
    const fs::path source = fs::path(ORVELLE_SOURCE_DIR);
    fs::copy(source / "assets", top / "assets", fs::copy_options::recursive);
    fs::copy_file(source / "bench/game/level/levelframe_gr.lua", top / "assets/scripts/levels/level_1_gr.lua",
                  fs::copy_options::overwrite_existing);
    if (stub)
    {
        const std::regex script("<script[^>]*/>");
        const std::string nothing = "<script luascript=\"function DoAnim() end\"/>";
        for (const auto& entry : fs::recursive_directory_iterator(top / "assets/images"))
        {
            if (!entry.is_regular_file() || entry.path().extension() != ".xml") continue;
            std::string text = ReadText(entry.path());
            if (text.find("<sequence") == std::string::npos) continue;
            if (text.find("<script") != std::string::npos)
                text = std::regex_replace(text, script, nothing);
            else if (const size_t end = text.rfind("</sequence>"); end != std::string::npos)
                text.insert(end, "  " + nothing + "\n");
            WriteText(entry.path(), text);
        }
    }
    return top;
}

class TStringsLink : public TWindowAppLink
{
public:
    TStringTable* GetStringTable() const override { return const_cast<TStringTable*>(&strings); }
    TStringTable strings;
};

// The busy level on the recording device, the shipped assets or their stubbed
// copy, the fake HUD and helper.
class BusyLevel
{
public:
    explicit BusyLevel(bool stub)
    {
        fs::create_directories(kRoot / "log");
        SetLogFolder((kRoot / "log").string().c_str());
        fs::current_path(MakeAssetCopy(stub));
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        link_.strings.LoadFile("strings.xml");
        SetWindowAppLink(&link_);

        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        SetLevelHudMaker([](TGameLogic&) { return std::make_unique<FakeHud>(); });
        SetLevelHelper(&helper_);

        TDrawContext::UseDevice(&device, &host_);
        dc = TDrawContext::GetInstance();
        dc->GetDisplayHandler()->SetDisplay({.width = 800, .height = 600, .force = true, .quiet = true});
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        RegisterAnimatedTextureAssetLoader();

        level = std::make_unique<TGameLogic>(std::make_unique<TLevelFactory>(), 1234);
        level->SetSoundSink([](const TString&, bool, bool) {});
        std::vector<TString> groups;
        level->ListLevelResources(1, groups);
        // The walkers' and the common groups the level screen loads with
        // the level's own.
        for (const char* more : {"game_logic_common", "effect", "customer_0", "customer_1", "employee_0",
                                 "employee_1", "employee_2", "employee_3", "monster_0", "monster_1", "monster_2"})
            groups.push_back(TString(more));
        for (const TString& group : groups) TRes::GetInstance()->LoadGroupNow(group);
        level->BeginLevel(1, level->GetLevelLocation());
        level->LoadLevel();

        for (int i = 0; i < kCustomers; ++i) level->SpawnCustomer(i % 2, 0, 0);
        for (int i = 0; i < kCouriers; ++i)
            level->SpawnCourier(i % 4, level->GetStallAt(i % level->GetStallCount())->id, 3, -100, -100);
        for (int i = 0; i < kMonsters; ++i)
        {
            SpawnEvent now;
            now.type = i % 3;
            now.manaReward = 10;
            now.health = 1000000;
            now.damage = 1;
            level->SpawnMonster(now);
        }
        workingAtStart = Working();
        for (int i = 0; i < kWarmFrames; ++i) Step();
    }
    ~BusyLevel()
    {
        level.reset();
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
        SetLevelHelper(nullptr);
        SetLevelHudMaker(nullptr);
        SetClockTimeSource(nullptr);
        SetWindowAppLink(nullptr);
        fs::current_path(ORVELLE_SOURCE_DIR);
    }

    bool Ready() const { return level->GetStallCount() == kStalls && level->GetSlotCount() == kStalls; }
    int Working() const
    {
        int n = 0;
        for (int i = 0; i < level->GetStallCount(); ++i)
            if (level->GetStallAt(i)->state == kStateWorking) ++n;
        return n;
    }
    // One frame of play: the clock, the level, the animation coroutines.
    void Step()
    {
        fake_clock::gNow += kFrameMs;
        level->Update();
        GetAnimationHost().GetTaskList().RunTasks(TaskPhaseIdle);
    }
    void Draw()
    {
        device.draws.clear();
        device.ClearCalls();
        dc->BeginDraw(false);
        dc->Begin2d();
        level->Draw();
        dc->End2d();
        dc->EndDraw(false);
    }

    GfxRecordingDevice device;
    TDrawContext* dc = nullptr;
    std::unique_ptr<TGameLogic> level;
    int workingAtStart = 0;

private:
    TStringsLink link_;
    TDrawContextHost host_;
    TAssetManager manager_;
    FakeHelper helper_;
};

void Report(benchmark::State& state, BusyLevel& busy)
{
    if (!busy.Ready()) state.SkipWithError("the busy level did not load its 30 stalls");
    state.counters["objects"] = static_cast<double>(busy.level->GetDepthList().size());
    state.counters["working"] = busy.Working();
    state.counters["working_at_start"] = busy.workingAtStart;
    state.counters["walkers"] = static_cast<double>(busy.level->GetDepthList().size()) - kStalls;
    state.counters["tasks"] = static_cast<double>(GetAnimationHost().GetTaskList().Count());
}

void UpdateAndTasks(benchmark::State& state, bool stub)
{
    BusyLevel busy(stub);
    for (auto _ : state) busy.Step();
    Report(state, busy);
}

void UpdateOnly(benchmark::State& state, bool stub)
{
    BusyLevel busy(stub);
    for (auto _ : state)
    {
        fake_clock::gNow += kFrameMs;
        busy.level->Update();
    }
    Report(state, busy);
}

void DrawOnly(benchmark::State& state, bool stub)
{
    BusyLevel busy(stub);
    for (auto _ : state)
    {
        state.PauseTiming();
        busy.Step();
        state.ResumeTiming();
        busy.Draw();
    }
    Report(state, busy);
    state.counters["draws"] = static_cast<double>(busy.device.draws.size());
    state.counters["calls"] = static_cast<double>(busy.device.calls.size());
}

void BM_Frame_UpdateAndAnimations(benchmark::State& state) { UpdateAndTasks(state, false); }
void BM_Baseline_Frame_UpdateAndAnimations_Stubbed(benchmark::State& state) { UpdateAndTasks(state, true); }
void BM_Update(benchmark::State& state) { UpdateOnly(state, false); }
void BM_Baseline_Update_Stubbed(benchmark::State& state) { UpdateOnly(state, true); }
void BM_Draw(benchmark::State& state) { DrawOnly(state, false); }
void BM_Baseline_Draw_Stubbed(benchmark::State& state) { DrawOnly(state, true); }

// 1500 frames (24 s of the level's 8 minutes) per run, repeated.
#define LEVEL_FRAMES(name) BENCHMARK(name)->Unit(benchmark::kMicrosecond)->Iterations(kTimedFrames)
LEVEL_FRAMES(BM_Frame_UpdateAndAnimations);
LEVEL_FRAMES(BM_Baseline_Frame_UpdateAndAnimations_Stubbed);
LEVEL_FRAMES(BM_Update);
LEVEL_FRAMES(BM_Baseline_Update_Stubbed);
LEVEL_FRAMES(BM_Draw);
LEVEL_FRAMES(BM_Baseline_Draw_Stubbed);

}  // namespace

BENCHMARK_MAIN();
