// One level frame of 100 walkers (60 customers, 20 couriers, 20 monsters of
// the three shipped kinds) among 30 working stalls on the level-like grid of
// walkgrid_bench.cpp, with the shipped walker scripts and no resource group
// loaded (every picture empty): the walkers' updates as the level runs them,
// the stalls' updates and the lightning manager's. Time is a fake clock moved
// 16 ms per frame, so every run walks the same way.
//
// Cases and their baselines in the same run:
// - steady walking: a frame of 100 walker updates, against the frame's bare
//   work (100 clock reads and linear interpolations);
// - 10 new paths: the same frame in which 10 customers are sent to new cells
//   (Human::WalkTo), against the ten WalkGrid::GetPath calls alone, replayed
//   on the (start, destination) pairs the walkers asked for.
//
// The scene is made afresh every 200 frames (outside the timing) after 160
// frames of warm-up, so the monsters are out of their portals and every
// timed frame finds the walkers on their way.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "core/AssetIndex.h"
#include "core/Clock.h"
#include "core/support/FakeClock.h"
#include "game/level/Courier.h"
#include "game/level/Customer.h"
#include "game/level/LightningManager.h"
#include "game/level/Monster.h"
#include "game/level/WalkGrid.h"
#include "game/level/support/FakeLevel.h"

namespace
{

constexpr uint32_t kFrameMs = 16;
constexpr int kCustomers = 60;
constexpr int kCouriers = 20;
constexpr int kMonsters = 20;
constexpr int kStalls = 30;
constexpr int kNewPaths = 10;
constexpr int kWarmFrames = 160;
constexpr int kTimedFrames = 200;

// The level-like grid of walkgrid_bench.cpp: seven slot footprints, a
// blocked band along the top and a wall down the middle with two gaps.
void BuildLevelLike(WalkGrid& grid)
{
    auto set = [&](int c, int r)
    {
        if (c >= 0 && c < WalkGrid::kColumns && r >= 0 && r < WalkGrid::kRows)
            grid.SetCell(c, r, -1);
    };
    const int c = 4;
    const TGridCell slots[] = {{6, 18}, {14, 24}, {30, 20}, {8, 40}, {27, 36}, {33, 50}, {12, 53}};
    for (const TGridCell& slot : slots)
        for (int i = 0; i < 2 * c; ++i)
            for (int k = 0; k < 2 * c; ++k)
                if (2 < i + k && i + k < 12 && -5 < i - k && i - k < 5)
                    set(slot.column - c + i, slot.row - c + k);
    for (int r = 0; r < 8; ++r)
        for (int col = 0; col < WalkGrid::kColumns; ++col) set(col, r);
    for (int r = 8; r < WalkGrid::kRows; ++r)
        if (r != 22 && r != 47) set(20, r);
}

std::vector<TGridCell> FreeCells(const WalkGrid& grid, int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> column(0, WalkGrid::kColumns - 1),
        row(0, WalkGrid::kRows - 1);
    std::vector<TGridCell> cells;
    while (static_cast<int>(cells.size()) < count)
    {
        const TGridCell cell{column(random), row(random)};
        if (grid.GetCell(cell.column, cell.row) == 0) cells.push_back(cell);
    }
    return cells;
}

TPoint Centre(TGridCell cell)
{
    const TGridPixel p = WalkGrid::CellToPixel(cell.column, cell.row, true);
    return TPoint(p.x, p.y);
}

// The shipped walker scripts, found as the game finds them.
void UseShippedAssets()
{
    static const bool once = []
    {
        std::filesystem::current_path(ORVELLE_SOURCE_DIR);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        SetClockTimeSource(&fake_clock::FakeNow);
        return true;
    }();
    (void)once;
}

class Scene
{
public:
    Scene()
    {
        UseShippedAssets();
        level_ = std::make_unique<FakeLevel>();
        BuildLevelLike(level_->grid);
        const std::vector<TGridCell> cells = FreeCells(level_->grid, kStalls + 8, 4242);
        for (int i = 0; i < 4; ++i)
            level_->customerEntries.push_back(Centre(cells[static_cast<size_t>(kStalls + i)]));
        for (int i = 4; i < 8; ++i)
            level_->monsterEntries.push_back(Centre(cells[static_cast<size_t>(kStalls + i)]));
        // Working stalls, each with two service places a step in and out.
        for (int i = 0; i < kStalls; ++i)
        {
            const TGridCell at = cells[static_cast<size_t>(i)];
            const TPoint p = Centre(at);
            FakeStall& stall =
                level_->AddStall(100 + i, i % 3 == 0 ? kStallAttraction : kStallTrade, p.x, p.y);
            stall.placeOffsetX = at.column;
            stall.placeOffsetY = at.row;
            stall.state = kStateWorking;
            stall.goods = 1000;
            stall.goodsLimit = 2000;
            stall.pathsIn = {{TPoint(at.column, at.row)}, {TPoint(at.column, at.row)}};
            stall.pathsOut = stall.pathsIn;
            stall.occupants = {-1, -1};
        }
        lightning_ = std::make_unique<LightningManager>(*level_);
        int32_t id = 0;
        for (int i = 0; i < kCustomers; ++i)
        {
            auto c = std::make_unique<Customer>(*level_, i % 2);
            c->CreateSprites(id++, 0, 0);
            customers_.push_back(c.get());
            walkers_.push_back(std::move(c));
        }
        for (int i = 0; i < kCouriers; ++i)
        {
            auto c = std::make_unique<Courier>(*level_, 0, 100 + (i * 7) % kStalls);
            c->SetLoad(10);
            c->CreateSprites(id++, -100, -100);
            walkers_.push_back(std::move(c));
        }
        for (int i = 0; i < kMonsters; ++i)
        {
            auto m = std::make_unique<Monster>(*level_, i % 3);
            m->SetSpawnParameters(i % 4, 10, 1000.0f, 1.0f);
            m->Spawn(id++, -1, -1, 3000);
            walkers_.push_back(std::move(m));
        }
        destinations_ = FreeCells(level_->grid, 1000, 1717);
        for (int i = 0; i < kWarmFrames; ++i) Frame();
    }

    void Frame()
    {
        fake_clock::gNow += kFrameMs;
        for (auto& stall : level_->stalls) stall->Update();
        for (auto& walker : walkers_) walker->Update();
        lightning_->Update();
    }

    // Sends 10 customers to new cells, noting each search's pair.
    void NewPaths(std::vector<std::pair<TGridCell, TGridCell>>* asked)
    {
        for (int i = 0; i < kNewPaths; ++i)
        {
            Customer& c = *customers_[static_cast<size_t>(next_++ % kCustomers)];
            const TGridCell to = destinations_[static_cast<size_t>(next_ % destinations_.size())];
            if (asked != nullptr && asked->size() < 10000) asked->push_back({c.GetCell(), to});
            c.WalkTo(to.column, to.row, true);
        }
    }

    const WalkGrid& Grid() const { return level_->grid; }
    // Walkers on their way now, and those done.
    int Walking() const
    {
        int n = 0;
        for (const auto& w : walkers_) n += w->IsWalking() ? 1 : 0;
        return n;
    }
    int Done() const
    {
        int n = 0;
        for (const auto& w : walkers_) n += w->done ? 1 : 0;
        return n;
    }

private:
    std::unique_ptr<FakeLevel> level_;
    std::unique_ptr<LightningManager> lightning_;
    std::vector<std::unique_ptr<Human>> walkers_;
    std::vector<Customer*> customers_;
    std::vector<TGridCell> destinations_;
    size_t next_ = 0;
};

// The (start, destination) pairs the walkers asked for, replayed by the
// path baseline.
std::vector<std::pair<TGridCell, TGridCell>>& AskedPairs()
{
    static std::vector<std::pair<TGridCell, TGridCell>> pairs;
    return pairs;
}

template <bool kNewPathsInFrame>
void BM_WalkerFrame(benchmark::State& state)
{
    auto scene = std::make_unique<Scene>();
    int frame = 0;
    int64_t walking = 0, done = 0, looked = 0;
    for (auto _ : state)
    {
        if (frame == kTimedFrames)
        {
            state.PauseTiming();
            walking += scene->Walking();
            done += scene->Done();
            ++looked;
            scene = std::make_unique<Scene>();
            frame = 0;
            state.ResumeTiming();
        }
        if constexpr (kNewPathsInFrame) scene->NewPaths(&AskedPairs());
        scene->Frame();
        ++frame;
    }
    // How the scenes stood at the end of their timed frames.
    if (looked > 0)
    {
        state.counters["walking"] = static_cast<double>(walking) / static_cast<double>(looked);
        state.counters["done"] = static_cast<double>(done) / static_cast<double>(looked);
    }
}

// The bare work of a frame of 100 walkers: a clock read and a linear
// interpolation each.
void BM_BareFrame(benchmark::State& state)
{
    UseShippedAssets();
    struct Walk
    {
        TClock clock;
        float sx = 0, sy = 0, dx = 0, dy = 0, x = 0, y = 0;
        int32_t duration = 1000;
    };
    std::vector<Walk> walks(kCustomers + kCouriers + kMonsters);
    for (size_t i = 0; i < walks.size(); ++i)
    {
        walks[i].clock.Start();
        walks[i].sx = static_cast<float>(i);
        walks[i].dx = 20.0f;
        walks[i].dy = 10.0f;
        walks[i].duration = 909 + static_cast<int32_t>(i);
    }
    for (auto _ : state)
    {
        fake_clock::gNow += kFrameMs;
        for (Walk& w : walks)
        {
            const int32_t t = w.clock.GetTime() % w.duration;
            const float f = static_cast<float>(t) / static_cast<float>(w.duration);
            w.x = w.sx + w.dx * f;
            w.y = w.sy + w.dy * f;
        }
        benchmark::DoNotOptimize(walks.data());
    }
}

// Ten WalkGrid::GetPath calls alone, on the pairs the walker case asked for
// (or fresh pairs of free cells when it has not run).
void BM_TenPaths(benchmark::State& state)
{
    WalkGrid grid;
    BuildLevelLike(grid);
    std::vector<std::pair<TGridCell, TGridCell>> pairs = AskedPairs();
    if (pairs.empty())
    {
        const std::vector<TGridCell> a = FreeCells(grid, 1000, 1), b = FreeCells(grid, 1000, 2);
        for (size_t i = 0; i < a.size(); ++i) pairs.push_back({a[i], b[i]});
    }
    size_t next = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < kNewPaths; ++i)
        {
            const auto& [from, to] = pairs[next++ % pairs.size()];
            benchmark::DoNotOptimize(grid.GetPath(from, to).cells.size());
        }
    }
}

}  // namespace

BENCHMARK(BM_WalkerFrame<false>)->Name("frame_steady/walkers")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareFrame)->Name("frame_steady/bare")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WalkerFrame<true>)->Name("frame_10_paths/walkers")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenPaths)->Name("frame_10_paths/getpath_alone")->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
