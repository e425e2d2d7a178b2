// WalkGrid: cells and their conversions, loading "Pass" scripts, clearing,
// and the path search, checked against a plain copy of the wave algorithm
// over random grids.
#include "game/level/WalkGrid.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/AssetManager.h"
#include "script/HostTestSupport.h"

namespace
{

using Cells = std::vector<TGridCell>;

std::string Show(const Cells& cells)
{
    std::string out;
    for (const TGridCell& c : cells)
        out += "(" + std::to_string(c.column) + "," + std::to_string(c.row) + ")";
    return out;
}

// --- The reference: the wave and back-trace as plainly as they can be
// written (nested vectors, bounds checks everywhere), with the same
// treatment of a start outside the grid, a start on the destination and a
// start the wave never reached.

using Grid = std::vector<std::vector<int>>;  // [column][row]

struct Reference
{
    TPathError error = TPathError::kNone;
    Cells cells;
    Grid wave;
};

bool Inside(const Grid& g, int c, int r)
{
    return c >= 0 && c < static_cast<int>(g.size()) && r >= 0 && r < static_cast<int>(g[0].size());
}

Grid ReferenceWave(const Grid& grid, TGridCell s, TGridCell d)
{
    static const int kOrder[8][2] = {{1, -1}, {-1, 1}, {-1, -1}, {1, 1},
                                     {0, -1}, {0, 1},  {-1, 0},  {1, 0}};
    Grid w = grid;
    w[d.column][d.row] = 1;
    Cells front = {d};
    int n = 1;
    for (;;)
    {
        ++n;
        bool noChange = true;
        bool found = false;
        Cells next;
        for (const TGridCell& cell : front)
        {
            for (const auto& o : kOrder)
            {
                const int c = cell.column + o[0], r = cell.row + o[1];
                if (!Inside(w, c, r)) continue;
                if (c == s.column && r == s.row)
                {
                    w[c][r] = n;
                    found = true;
                }
                else if (w[c][r] == 0)
                {
                    w[c][r] = n;
                    next.push_back({c, r});
                    noChange = false;
                }
            }
        }
        front = next;
        if (found || noChange) break;
    }
    return w;
}

Reference ReferencePath(const Grid& grid, TGridCell s, TGridCell d)
{
    static const int kOrder[8][2] = {{-1, 1}, {1, -1}, {-1, -1}, {1, 1},
                                     {0, 1},  {0, -1}, {-1, 0},  {1, 0}};
    Reference out;
    if (!Inside(grid, d.column, d.row))
    {
        out.error = TPathError::kDestinationOutside;
        return out;
    }
    if (grid[d.column][d.row] == -1)
    {
        out.error = TPathError::kDestinationBlocked;
        return out;
    }
    if (s == d)
    {
        out.cells = {d};
        return out;
    }
    if (!Inside(grid, s.column, s.row))
    {
        out.error = TPathError::kUnreachable;
        return out;
    }
    out.wave = ReferenceWave(grid, s, d);
    const Grid& w = out.wave;
    TGridCell cur = s;
    int e = w[s.column][s.row];
    if (e <= 0)
    {
        out.error = TPathError::kUnreachable;
        return out;
    }
    while (e != 1)
    {
        int b = e;
        TGridCell best{-1, -1};
        for (const auto& o : kOrder)
        {
            const int c = cur.column + o[0], r = cur.row + o[1];
            if (!Inside(w, c, r)) continue;
            if (w[c][r] > 0 && w[c][r] < b)
            {
                b = w[c][r];
                best = {c, r};
            }
        }
        if (best.column < 0)
        {
            out.cells.clear();
            out.error = TPathError::kTraceFailed;
            return out;
        }
        out.cells.push_back(best);
        cur = best;
        e = b;
    }
    return out;
}

// --- Fixtures

class WalkGridTest : public ::testing::Test
{
protected:
    void SetUp() override { SetGlobalAssetManager(&assets_); }
    void TearDown() override { SetGlobalAssetManager(nullptr); }

    // Blocks every cell of the listed rectangle (inclusive).
    static void Block(WalkGrid& g, int c0, int r0, int c1, int r1, int value = -1)
    {
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r) ASSERT_TRUE(g.SetCell(c, r, value));
    }

    // A Pass script of the given rows of text.
    TString PassFile(const std::string& name, const std::vector<std::string>& rows,
                     const std::string& extra = "")
    {
        std::string text = "Pass=\n{\n";
        for (const std::string& row : rows) text += "\t" + row + ",\n";
        text += "}\n" + extra;
        return folder_.Write(name, text);
    }

    hosttest::TempFolder folder_;
    TAssetManager assets_;
};

TEST_F(WalkGridTest, NewGridIsFreeAndOutsideIsBlocked)
{
    WalkGrid g;
    EXPECT_EQ(g.GetColumns(), 40);
    EXPECT_EQ(g.GetRows(), 60);
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 60; ++r) ASSERT_EQ(g.GetCell(c, r), 0) << c << "," << r;
    for (const TGridCell& c : Cells{{-1, 0}, {0, -1}, {40, 0}, {0, 60}, {40, 60}, {-100, 1000}})
        EXPECT_EQ(g.GetCell(c.column, c.row), -1) << c.column << "," << c.row;
}

TEST_F(WalkGridTest, Conversions)
{
    EXPECT_EQ(WalkGrid::PixelToCell(799, 599), (TGridCell{39, 59}));
    const TGridCell edge = WalkGrid::PixelToCell(800, 600);
    EXPECT_EQ(edge, (TGridCell{40, 60}));
    EXPECT_EQ(WalkGrid().GetCell(edge.column, edge.row), -1);
    // Truncation towards zero: -19 to 19 all give column 0.
    EXPECT_EQ(WalkGrid::PixelToCell(-19, -9), (TGridCell{0, 0}));
    EXPECT_EQ(WalkGrid::PixelToCell(19, 9), (TGridCell{0, 0}));
    EXPECT_EQ(WalkGrid::PixelToCell(-20, -10), (TGridCell{-1, -1}));
    EXPECT_EQ(WalkGrid::CellToPixel(3, 4, true), (TGridPixel{70, 45}));
    EXPECT_EQ(WalkGrid::CellToPixel(3, 4, false), (TGridPixel{60, 40}));
}

TEST_F(WalkGridTest, SetCellTakesOnlyTheThreeValues)
{
    WalkGrid g;
    EXPECT_TRUE(g.SetCell(2, 3, -1));
    EXPECT_EQ(g.GetCell(2, 3), -1);
    EXPECT_TRUE(g.SetCell(2, 3, -2));
    EXPECT_EQ(g.GetCell(2, 3), -2);
    EXPECT_TRUE(g.SetCell(2, 3, 0));
    EXPECT_EQ(g.GetCell(2, 3), 0);

    g.SetCell(4, 4, -1);
    for (int bad : {1, 2, -3, 5000, 70000})
    {
        EXPECT_FALSE(g.SetCell(4, 4, bad)) << bad;
        EXPECT_EQ(g.GetCell(4, 4), -1) << bad;
    }
    EXPECT_EQ(folder_.LogCount("Какое-то левое значение."), 5);

    // Outside the grid: nothing stored, nothing reported, whatever the value.
    EXPECT_TRUE(g.SetCell(40, 0, -1));
    EXPECT_TRUE(g.SetCell(-1, 0, 7));
    EXPECT_EQ(folder_.LogCount("Какое-то левое значение."), 5);
}

TEST_F(WalkGridTest, MessagesOfTheFailures)
{
    EXPECT_STREQ(PathErrorMessage(TPathError::kNone), "");
    EXPECT_STREQ(PathErrorMessage(TPathError::kDestinationOutside),
                 "Точка назначения за пределами карты.");
    EXPECT_STREQ(PathErrorMessage(TPathError::kDestinationBlocked),
                 "Точка назначения не проходима.");
    EXPECT_STREQ(PathErrorMessage(TPathError::kUnreachable),
                 "Не удалось попасть в точку назначения.");
    EXPECT_STREQ(PathErrorMessage(TPathError::kTraceFailed), "Что-то Ты намудрил.");
}

TEST_F(WalkGridTest, OpenGridPathsFollowTheNeighbourOrder)
{
    WalkGrid g;
    struct Case
    {
        TGridCell start, destination;
        Cells path;
    } const cases[] = {
        {{0, 0}, {3, 3}, {{1, 1}, {2, 2}, {3, 3}}}, {{0, 0}, {3, 0}, {{1, 1}, {2, 0}, {3, 0}}},
        {{0, 0}, {0, 3}, {{1, 1}, {0, 2}, {0, 3}}}, {{5, 5}, {6, 5}, {{6, 5}}},
        {{39, 59}, {38, 58}, {{38, 58}}},
    };
    for (const Case& c : cases)
    {
        const TPathResult result = g.GetPath(c.start, c.destination);
        EXPECT_TRUE(result.Ok()) << result.Message();
        EXPECT_EQ(Show(result.cells), Show(c.path))
            << c.start.column << "," << c.start.row << " -> " << c.destination.column << ","
            << c.destination.row;
    }
    // Corner to corner zig-zags (the order, not the distance, picks), and
    // every step moves to a neighbour.
    const TPathResult corner = g.GetPath({0, 0}, {39, 59});
    ASSERT_TRUE(corner.Ok());
    EXPECT_EQ(corner.cells.size(), 59u);
    EXPECT_EQ(corner.cells.back(), (TGridCell{39, 59}));
    TGridCell at{0, 0};
    for (const TGridCell& next : corner.cells)
    {
        EXPECT_LE(std::abs(next.column - at.column), 1);
        EXPECT_LE(std::abs(next.row - at.row), 1);
        at = next;
    }
}

TEST_F(WalkGridTest, FailureKinds)
{
    WalkGrid g;
    g.SetCell(10, 10, -1);
    struct Case
    {
        const char* what;
        TGridCell start, destination;
        TPathError error;
    } const cases[] = {
        {"destination right of the grid", {0, 0}, {40, 0}, TPathError::kDestinationOutside},
        {"destination above the grid", {0, 0}, {0, -1}, TPathError::kDestinationOutside},
        {"destination below the grid", {0, 0}, {0, 60}, TPathError::kDestinationOutside},
        {"destination blocked", {0, 0}, {10, 10}, TPathError::kDestinationBlocked},
        {"start on a blocked destination", {10, 10}, {10, 10}, TPathError::kDestinationBlocked},
        {"start outside the grid", {-1, 0}, {3, 3}, TPathError::kUnreachable},
        {"start far outside the grid", {1000, -1000}, {3, 3}, TPathError::kUnreachable},
    };
    for (const Case& c : cases)
    {
        const TPathResult result = g.GetPath(c.start, c.destination);
        EXPECT_EQ(result.error, c.error) << c.what;
        EXPECT_TRUE(result.cells.empty()) << c.what;
        EXPECT_FALSE(result.Ok()) << c.what;
    }
    // Path failures are the walkers' business: nothing is logged.
    EXPECT_EQ(folder_.LogCount("Точка"), 0);
}

TEST_F(WalkGridTest, EnclosedDestinationIsUnreachable)
{
    WalkGrid g;
    Block(g, 19, 29, 21, 31);
    g.SetCell(20, 30, 0);
    const TPathResult result = g.GetPath({0, 0}, {20, 30});
    EXPECT_EQ(result.error, TPathError::kUnreachable);
    EXPECT_STREQ(result.Message(), "Не удалось попасть в точку назначения.");
    // The wave stopped after its first ring: nothing beyond the ring numbered.
    const std::vector<int> wave = g.FindPath({0, 0}, {20, 30});
    EXPECT_EQ(wave[20 * 60 + 30], 1);
    EXPECT_EQ(wave[0], 0);
}

TEST_F(WalkGridTest, MinusTwoIsADestinationButNeverPassed)
{
    WalkGrid g;
    g.SetCell(5, 5, -2);
    TPathResult result = g.GetPath({0, 0}, {5, 5});
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.cells.back(), (TGridCell{5, 5}));

    // A wall of -2 across the grid but for one gap: the path goes through the gap.
    WalkGrid wall;
    Block(wall, 0, 10, 39, 10, -2);
    wall.SetCell(39, 10, 0);
    result = wall.GetPath({0, 0}, {0, 20});
    ASSERT_TRUE(result.Ok());
    bool throughGap = false;
    for (const TGridCell& c : result.cells)
    {
        EXPECT_NE(wall.GetCell(c.column, c.row), -2) << c.column << "," << c.row;
        throughGap = throughGap || c == TGridCell{39, 10};
    }
    EXPECT_TRUE(throughGap);
}

TEST_F(WalkGridTest, BlockedStartLeavesThroughAReachableNeighbour)
{
    WalkGrid g;
    Block(g, 10, 10, 12, 12);  // a footprint
    // On its rim, with free cells around: a path out.
    TPathResult result = g.GetPath({10, 12}, {10, 20});
    ASSERT_TRUE(result.Ok()) << result.Message();
    EXPECT_EQ(result.cells.front(), (TGridCell{9, 13}));
    EXPECT_EQ(result.cells.back(), (TGridCell{10, 20}));
    result = g.GetPath({10, 10}, {0, 0});
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.cells.front(), (TGridCell{9, 9}));

    // In its middle, every neighbour blocked (the wave never enters them):
    // unreachable, whatever the back-trace would make of it.
    result = g.GetPath({11, 11}, {0, 0});
    EXPECT_EQ(result.error, TPathError::kUnreachable);
    EXPECT_TRUE(result.cells.empty());
}

TEST_F(WalkGridTest, StartOnTheDestinationArrivesAtOnce)
{
    WalkGrid g;
    for (int value : {0, -2})
    {
        g.SetCell(7, 8, value);
        const TPathResult result = g.GetPath({7, 8}, {7, 8});
        ASSERT_TRUE(result.Ok()) << value;
        EXPECT_EQ(Show(result.cells), Show({{7, 8}})) << value;
    }
}

TEST_F(WalkGridTest, FindPathNumbersTheWave)
{
    WalkGrid g;
    g.SetCell(1, 0, -1);
    const std::vector<int> wave = g.FindPath({3, 0}, {0, 0});
    ASSERT_EQ(wave.size(), 2400u);
    auto at = [&](int c, int r) { return wave[static_cast<size_t>(c * 60 + r)]; };
    EXPECT_EQ(at(0, 0), 1);
    EXPECT_EQ(at(1, 0), -1);
    EXPECT_EQ(at(0, 1), 2);
    EXPECT_EQ(at(1, 1), 2);
    EXPECT_EQ(at(2, 0), 3);
    EXPECT_EQ(at(3, 0), 4);  // the start, met by the fourth wave, which is completed
    EXPECT_EQ(at(3, 2), 4);
    EXPECT_EQ(at(4, 0), 0);
    EXPECT_TRUE(g.FindPath({0, 0}, {40, 0}).empty());
}

TEST_F(WalkGridTest, ClearedGridAnswersAsOutside)
{
    WalkGrid g;
    g.Clear();
    EXPECT_EQ(g.GetColumns(), 0);
    EXPECT_EQ(g.GetRows(), 0);
    EXPECT_EQ(g.GetCell(0, 0), -1);
    EXPECT_TRUE(g.SetCell(0, 0, 0));
    EXPECT_EQ(g.GetCell(0, 0), -1);
    EXPECT_EQ(g.GetPath({0, 0}, {1, 1}).error, TPathError::kDestinationOutside);
    EXPECT_TRUE(g.FindPath({0, 0}, {1, 1}).empty());
    const TString file = PassFile("pass.lua", {"{1,1,1}"});
    EXPECT_TRUE(g.LoadPass(file));
    EXPECT_EQ(g.GetCell(0, 0), -1);
    EXPECT_EQ(g.GetPath({0, 0}, {0, 0}).error, TPathError::kDestinationOutside);
}

// --- LoadPass

TEST_F(WalkGridTest, LoadPassBlocksOnlyExactOnes)
{
    WalkGrid g;
    const TString file =
        PassFile("pass.lua", {"{0,1,2,-1,1.5,\"1\",\"x\",{},true,1}", "{}", "{nil,nil,1}"});
    EXPECT_TRUE(g.LoadPass(file));
    const int row0[] = {0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0};
    for (int c = 0; c < 11; ++c) EXPECT_EQ(g.GetCell(c, 0), row0[c]) << c;
    for (int c = 0; c < 40; ++c) EXPECT_EQ(g.GetCell(c, 1), 0) << c;
    EXPECT_EQ(g.GetCell(2, 2), -1);
    EXPECT_EQ(g.GetCell(0, 2), 0);
    EXPECT_EQ(folder_.LogCount("LoadPass"), 0);
}

TEST_F(WalkGridTest, LoadPassCopiesTheBaseOverTheWorkingGridAndNeverClearsIt)
{
    WalkGrid g;
    ASSERT_TRUE(g.LoadPass(PassFile("a.lua", {"{1}"})));
    g.SetCell(5, 5, -1);  // a run-time change
    g.SetCell(0, 0, 0);
    ASSERT_TRUE(g.LoadPass(PassFile("b.lua", {"{0,1}"})));
    EXPECT_EQ(g.GetCell(0, 0), -1);  // kept from the first load
    EXPECT_EQ(g.GetCell(1, 0), -1);
    EXPECT_EQ(g.GetCell(5, 5), 0);  // gone with the copy
}

TEST_F(WalkGridTest, LoadPassStaysInsideTheGrid)
{
    // 70 rows of 50 ones: the grid's cells block, the rest is ignored.
    std::string full = "{";
    for (int c = 0; c < 50; ++c) full += "1,";
    full += "}";
    WalkGrid g;
    EXPECT_TRUE(g.LoadPass(PassFile("big.lua", std::vector<std::string>(70, full))));
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 60; ++r) ASSERT_EQ(g.GetCell(c, r), -1);

    // Ragged rows, non-table rows, and "n" fields claiming far more than
    // there is: only what lies inside the grid counts.
    WalkGrid ragged;
    const TString file =
        PassFile("ragged.lua", {"{1}", "7", "\"row\"", "{0,0,1, n=100000000}", "{1,1}"},
                 "Pass.n = 2000000000\nPass[61] = {1}\nPass[60] = {[40] = 1, [41] = 1}\n");
    EXPECT_TRUE(ragged.LoadPass(file));
    EXPECT_EQ(ragged.GetCell(0, 0), -1);
    EXPECT_EQ(ragged.GetCell(0, 1), 0);
    EXPECT_EQ(ragged.GetCell(2, 3), -1);
    EXPECT_EQ(ragged.GetCell(1, 4), -1);
    EXPECT_EQ(ragged.GetCell(39, 59), -1);
    int blocked = 0;
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 60; ++r) blocked += ragged.GetCell(c, r) == -1;
    EXPECT_EQ(blocked, 5);
}

TEST_F(WalkGridTest, LoadPassWithoutATableLeavesTheGridFree)
{
    struct Case
    {
        const char* what;
        std::string text;  // empty: no file at all
        const char* logged;
    } const cases[] = {
        {"missing file", "", "not found"},
        {"no Pass table", "Other = {{1}}\n", "has no table Pass"},
        {"Pass not a table", "Pass = 1\n", "has no table Pass"},
        {"script error", "Pass = {{1}}\nerror('broken')\n", "did not run"},
        {"syntax error", "Pass = {{1}\n", "did not run"},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        WalkGrid g;
        g.SetCell(3, 3, -1);
        const std::string file = "case" + std::to_string(index++) + ".lua";
        const TString name = c.text.empty()
                                 ? TString(("::" + (folder_.Root() / file).string()).c_str())
                                 : folder_.Write(file, c.text);
        const int before = folder_.LogCount(c.logged);
        EXPECT_TRUE(g.LoadPass(name)) << c.what;
        EXPECT_EQ(folder_.LogCount(c.logged), before + 1) << c.what;
        for (int col = 0; col < 40; ++col)
            for (int r = 0; r < 60; ++r) ASSERT_EQ(g.GetCell(col, r), 0) << c.what;
    }
}

// --- The differential test

TEST_F(WalkGridTest, SearchEqualsThePlainAlgorithmOnRandomGrids)
{
    std::mt19937 random(20101207);
    const double densities[] = {0.0, 0.05, 0.2, 0.35, 0.5, 0.65};
    int searches = 0, failures = 0;
    for (int round = 0; round < 60; ++round)
    {
        const double density = densities[round % 6];
        WalkGrid g;
        Grid plain(40, std::vector<int>(60, 0));
        std::uniform_real_distribution<double> unit(0, 1);
        for (int c = 0; c < 40; ++c)
            for (int r = 0; r < 60; ++r)
            {
                const double u = unit(random);
                const int value = u < density ? -1 : u < density * 1.15 ? -2 : 0;
                g.SetCell(c, r, value);
                plain[c][r] = value;
            }
        std::uniform_int_distribution<int> column(-2, 41), row(-2, 61), inside(0, 9);
        for (int pair = 0; pair < 25; ++pair)
        {
            TGridCell s{column(random), row(random)};
            TGridCell d{column(random), row(random)};
            if (inside(random) == 0) s = d;
            const Reference want = ReferencePath(plain, s, d);
            const TPathResult got = g.GetPath(s, d);
            const std::string where =
                "round " + std::to_string(round) + " " + Show({s}) + "->" + Show({d});
            ASSERT_EQ(got.error, want.error) << where;
            ASSERT_EQ(Show(got.cells), Show(want.cells)) << where;
            ++searches;
            failures += !got.Ok();
            if (want.wave.empty()) continue;
            // The whole wave, up to the one that met the start.
            const std::vector<int> wave = g.FindPath(s, d);
            for (int c = 0; c < 40; ++c)
                for (int r = 0; r < 60; ++r)
                    ASSERT_EQ(wave[static_cast<size_t>(c * 60 + r)], want.wave[c][r])
                        << where << " at " << c << "," << r;
        }
    }
    // Both outcomes were exercised in quantity.
    EXPECT_GT(failures, searches / 10);
    EXPECT_LT(failures, searches * 9 / 10);
}

}  // namespace
