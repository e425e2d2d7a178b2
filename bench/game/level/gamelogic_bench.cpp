// One TGameLogic::Update on a busy level of fake objects (100 walkers that
// move a little every frame, 30 stalls, 40 slots, 20 land elements and a
// queue of waves), against a baseline in the same run that only updates the
// same kind of fakes and stable-sorts the same depth list: what is left is
// the level's own cost per frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "core/support/FakeClock.h"
#include "game/level/GameLogic.h"
#include "game/level/support/LevelFakes.h"

namespace
{

constexpr int kWalkers = 100;
constexpr int kStalls = 30;
constexpr int kSlots = 40;
constexpr int kLandElements = 20;
constexpr int kWaves = 12;
constexpr uint32_t kFrameMs = 16;

// A walker that wanders up and down the screen, so the depth order changes a
// little from frame to frame as it does in play.
class WanderingWalker : public FakeWalker
{
public:
    WanderingWalker(int32_t walkerKind, int32_t walkerType, int32_t targetStall, uint32_t seed)
        : FakeWalker(walkerKind, walkerType, targetStall), state_(seed * 2654435761u + 1)
    {
        depth = static_cast<int32_t>(Next() % 600);
    }
    void Update() override
    {
        FakeWalker::Update();
        depth += static_cast<int32_t>(Next() % 5) - 2;
    }

private:
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t state_;
};

class WanderingFactory : public FakeFactory
{
public:
    std::unique_ptr<TLevelWalker> MakeWalker(ILevelContext&, int32_t kind, int32_t type,
                                             int32_t targetStallId) override
    {
        return std::make_unique<WanderingWalker>(kind, type, targetStallId, ++made_);
    }

private:
    uint32_t made_ = 0;
};

// A land element as the depth list sees it: it stands still.
class StillObject : public ObjectZ
{
public:
    explicit StillObject(int32_t at) { depth = at; }
    void Update() override {}
    void Draw() override {}
};

struct BenchLevel
{
    BenchLevel()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        SetLevelHudMaker([](TGameLogic&) { return std::make_unique<FakeHud>(); });
        SetLevelHelper(&helper);
        level = std::make_unique<TGameLogic>(std::make_unique<WanderingFactory>(), 1234);
        level->SetSoundSink([](const TString&, bool, bool) {});
        level->BeginLevel(1, 0);
        level->GetCustomerEntriesForLoading() = {{0, 300}, {799, 300}};
        level->GetMonsterEntriesForLoading() = {{400, 0}};
        for (int i = 0; i < kSlots; ++i) level->AddSlot(40 + (i % 8) * 90, 120 + (i / 8) * 80, 0, 0);
        for (int i = 0; i < kLandElements; ++i)
            level->AddLandElement(TString(), (i * 37) % 800, (i * 53) % 600, 0, 0);
        for (int i = 0; i < kStalls; ++i)
        {
            const TPoint at = level->GetSlotPosition(i);
            level->AddGameObject(std::make_unique<FakeStall>(i + 1, i % 3, at.x, at.y), i, false);
        }
        for (int i = 0; i < 60; ++i) level->SpawnCustomer(0, 0, 0);
        for (int i = 0; i < 20; ++i) level->SpawnCourier(0, 1 + i % kStalls, 3, -100, -100);
        for (int i = 0; i < kWalkers - 80; ++i)
        {
            SpawnEvent now;
            level->SpawnMonster(now);
        }
        // Waves still to come: they stay queued for the whole run.
        for (int i = 0; i < kWaves; ++i)
        {
            SpawnEvent wave;
            wave.dueTime = 100000000 + i * 1000;
            wave.repeatInterval = 5000;
            level->AddSpawnEvent(wave);
        }
    }
    ~BenchLevel()
    {
        level.reset();
        SetLevelHelper(nullptr);
        SetLevelHudMaker(nullptr);
        SetClockTimeSource(nullptr);
    }

    FakeHelper helper;
    std::unique_ptr<TGameLogic> level;
};

void BM_LevelUpdate(benchmark::State& state)
{
    BenchLevel bench;
    for (auto _ : state)
    {
        fake_clock::gNow += kFrameMs;
        bench.level->Update();
    }
    state.counters["objects"] = static_cast<double>(bench.level->GetDepthList().size());
}
BENCHMARK(BM_LevelUpdate);

// The same fakes, updated in a plain loop, and the same depth list stable-
// sorted every frame.
void BM_Baseline_UpdateFakesAndSort(benchmark::State& state)
{
    std::vector<std::unique_ptr<FakeStall>> stalls;
    std::vector<std::unique_ptr<WanderingWalker>> walkers;
    std::vector<ObjectZ*> depthList;
    for (int i = 0; i < kStalls; ++i)
    {
        stalls.push_back(std::make_unique<FakeStall>(i + 1, i % 3, 40 + (i % 8) * 90, 120 + (i / 8) * 80));
        depthList.push_back(stalls.back().get());
    }
    std::vector<std::unique_ptr<StillObject>> land;
    for (int i = 0; i < kLandElements; ++i)
    {
        land.push_back(std::make_unique<StillObject>((i * 53) % 600));
        depthList.push_back(land.back().get());
    }
    for (int i = 0; i < kWalkers; ++i)
    {
        walkers.push_back(std::make_unique<WanderingWalker>(i < 60 ? 0 : i < 80 ? 1 : 2, 0, -1, i + 1));
        depthList.push_back(walkers.back().get());
    }
    for (auto _ : state)
    {
        fake_clock::gNow += kFrameMs;
        for (auto& s : stalls) s->Update();
        for (auto& w : walkers) w->Update();
        std::stable_sort(depthList.begin(), depthList.end(),
                         [](const ObjectZ* a, const ObjectZ* b) { return a->depth < b->depth; });
        benchmark::DoNotOptimize(depthList.data());
    }
    state.counters["objects"] = static_cast<double>(depthList.size());
}
BENCHMARK(BM_Baseline_UpdateFakesAndSort);

}  // namespace

BENCHMARK_MAIN();
