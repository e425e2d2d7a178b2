// Walking (Human) and customers: segment times, the direction table, a path
// arriving, actions holding the walk, failed paths; a customer's visit,
// its choice of stall, wandering, leaving, and levels it cannot use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/app/MyAnimSprite.h"
#include "game/level/Courier.h"
#include "game/level/Customer.h"
#include "game/level/Human.h"
#include "game/level/Monster.h"
#include "game/level/support/WalkerFixture.h"

namespace
{

const char kCustomerScript[] =
    "Main = { image_pattern = 'customer_0:images/game_logic/humans/customer_0/%s%d',\n"
    "         happy_pattern = 'customer_0:images/game_logic/humans/customer_0/happy', speed = 100 }\n";

class WalkingTest : public WalkerFixture
{
protected:
    // A walker standing at the centre of the cell.
    std::unique_ptr<Human> HumanAt(int column, int row)
    {
        auto h = std::make_unique<Human>(*level_);
        const TPoint at = Centre(column, row);
        h->CreateSprites(1, at.x, at.y);
        return h;
    }
};

TEST_F(WalkingTest, SegmentTimeFollowsDistanceAndSpeed)
{
    struct Case
    {
        TGridCell to;
        int32_t want;
    } cases[] = {
        {{6, 5}, 909},   // 20 px across
        {{5, 6}, 454},   // 10 px down
        {{6, 6}, 1000},  // 22 px diagonal
        {{5, 5}, 0},     // the cell it stands on
    };
    for (const Case& c : cases)
    {
        auto h = HumanAt(5, 5);
        h->SetPath({c.to});
        EXPECT_EQ(h->GetSegmentDuration(), c.want) << c.to.column << "," << c.to.row;
        EXPECT_TRUE(h->IsWalking());
    }
}

TEST_F(WalkingTest, DirectionPicksWalkImageAndMirroring)
{
    struct Case
    {
        int dx, dy, dir, image;
        bool mirrored;
    } cases[] = {
        {1, -1, 0, 0, false}, {1, 1, 1, 1, false}, {-1, -1, 2, 0, true}, {-1, 1, 3, 1, true},
        {0, -1, 4, 0, true},  {0, 1, 5, 1, true},  {1, 0, 6, 0, false},  {-1, 0, 7, 1, true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Human::DirectionOf(c.dx, c.dy), c.dir);
        EXPECT_EQ(Human::WalkImageOf(c.dir), c.image);
        EXPECT_EQ(Human::IsMirrored(c.dir), c.mirrored) << c.dir;
        // The step shows on the walker's sprite.
        auto h = HumanAt(10, 10);
        h->SetPath({{10 + c.dx, 10 + c.dy}});
        if (c.dir != 0)
        {
            EXPECT_EQ(h->GetDirection(), c.dir);
        }
        EXPECT_EQ(h->GetMainSprite()->GetFlipX(), c.mirrored) << c.dir;
        EXPECT_TRUE(h->GetMainSprite()->visible);
    }
    EXPECT_EQ(Human::DirectionOf(0, 0), -1);
    // The walk's name comes from the pattern through the safe formatter.
    auto h = HumanAt(1, 1);
    EXPECT_STREQ(h->WalkAnimName(1).CStr(), "customer_0:images/game_logic/humans/customer_0/walk_1");
}

TEST_F(WalkingTest, OneCellPathArrivesAtTheCentre)
{
    auto h = HumanAt(5, 5);
    std::vector<int32_t> arrivals;
    h->arrivalCallback = [&](int32_t walkerId) { arrivals.push_back(walkerId); };
    h->SetPath({{6, 5}});
    Advance(500);
    h->Update();
    EXPECT_NEAR(h->GetPosition().x, 110.0f + 20.0f * 500 / 909, 0.01f);
    EXPECT_TRUE(arrivals.empty());
    Advance(409);
    h->Update();
    EXPECT_FLOAT_EQ(h->GetPosition().x, 130.0f);
    EXPECT_FLOAT_EQ(h->GetPosition().y, 55.0f);
    EXPECT_EQ(h->depth, 55);
    EXPECT_FALSE(h->IsWalking());
    EXPECT_EQ(arrivals, std::vector<int32_t>{1});
    ASSERT_EQ(h->GetVisited().size(), 1u);
}

TEST_F(WalkingTest, ActionHoldsTheWalkAndTheSegmentGoesOnAfter)
{
    auto h = HumanAt(5, 5);
    h->SetPath({{6, 5}, {7, 5}});
    Advance(300);
    h->Update();
    const float held = h->GetPosition().x;
    h->StartAction(1000, false, 0);
    EXPECT_FALSE(h->GetMainSprite()->playing);
    Advance(500);
    h->Update();
    EXPECT_FLOAT_EQ(h->GetPosition().x, held);
    Advance(500);
    h->Update();  // the action ends; no step this frame
    EXPECT_FALSE(h->IsActionRunning());
    EXPECT_FLOAT_EQ(h->GetPosition().x, held);
    Advance(16);
    h->Update();  // the walk clock ran on: the first segment is over
    EXPECT_FLOAT_EQ(h->GetPosition().x, 130.0f);
    EXPECT_EQ(h->GetPath().size(), 0u);
    EXPECT_TRUE(h->IsWalking());
}

TEST_F(WalkingTest, FailedPathEndsACustomerOnlyOthersKeepTheirState)
{
    PutAsset("scripts/game_logic/customers/customer_0.lua", kCustomerScript);
    level_->customerEntries = {Centre(2, 2)};
    // A blocked destination makes the path search fail.
    level_->grid.SetCell(30, 30, -1);

    auto h = HumanAt(5, 5);
    h->SetPath({{6, 5}});
    EXPECT_FALSE(h->WalkTo(30, 30, true));
    EXPECT_TRUE(h->IsWalking());
    EXPECT_TRUE(h->GetPath().empty());
    EXPECT_FALSE(h->done);

    Courier courier(*level_, 0, -1);
    courier.CreateSprites(2, 0, 0);
    EXPECT_FALSE(courier.WalkTo(30, 30, true));
    EXPECT_FALSE(courier.done);

    Monster monster(*level_, 0);
    EXPECT_FALSE(monster.WalkTo(30, 30, true));
    EXPECT_FALSE(monster.done);

    Customer customer(*level_, 0);
    customer.CreateSprites(3, 0, 0);
    EXPECT_FALSE(customer.WalkTo(30, 30, true));
    EXPECT_TRUE(customer.done);
    EXPECT_FALSE(customer.IsWalking());
}

class CustomerTest : public WalkerFixture
{
protected:
    CustomerTest()
    {
        PutAsset("scripts/game_logic/customers/customer_0.lua", kCustomerScript);
        level_->customerEntries = {Centre(2, 2)};
    }
    // A working stall with one service place whose anchor is the cell.
    FakeStall& Stall(int32_t stallId, int column, int row)
    {
        FakeStall& s = level_->AddStall(stallId, kStallTrade, column * 20, row * 10);
        s.placeOffsetX = column;
        s.placeOffsetY = row;
        s.occupants = {-1};
        s.pathsIn = {{{column, row - 1}, {column, row - 2}}};
        s.pathsOut = {{{column, row - 1}, {column, row}}};
        return s;
    }
    std::unique_ptr<Customer> Spawn()
    {
        auto c = std::make_unique<Customer>(*level_, 0);
        c->CreateSprites(7, 0, 0);
        return c;
    }
    int Run(Customer& c, int frames, const std::function<bool()>& until = nullptr)
    {
        return Frames(frames, [&] { c.Update(); }, until);
    }
};

TEST_F(CustomerTest, ScriptSetsPatternsAndSpeed)
{
    auto c = Spawn();
    EXPECT_EQ(c->GetSpeed(), 100);
    EXPECT_EQ(c->GetBaseSpeed(), 100);
    EXPECT_STREQ(c->GetHappyPattern().CStr(), "customer_0:images/game_logic/humans/customer_0/happy");
    EXPECT_TRUE(Log().find("ERROR") == std::string::npos) << Log();
}

TEST_F(CustomerTest, AVisitOccupiesAndFreesOnePlaceOnce)
{
    FakeStall& stall = Stall(4, 10, 20);
    level_->randomDraws = {5};  // entry 0, a stall first, the first candidate
    auto c = Spawn();
    EXPECT_EQ(c->GetTargetStallId(), 4);
    Run(*c, 2000, [&] { return c->GetVisitState() == Customer::kGoingIn; });
    EXPECT_FALSE(c->visible);  // the stall draws it now
    EXPECT_EQ(stall.placeCalls, std::vector<std::string>{"occupy 7 0"});
    Run(*c, 2000, [&] { return c->GetVisitState() == Customer::kFree; });
    EXPECT_TRUE(c->visible);
    EXPECT_EQ(stall.placeCalls, (std::vector<std::string>{"occupy 7 0", "free 7 0"}));
    // The stall it just left is not picked again: it wanders.
    EXPECT_EQ(c->GetTargetStallId(), -1);
    // Later visits pair up the same way.
    Run(*c, 3000);
    for (size_t i = 0; i < stall.placeCalls.size(); ++i)
        EXPECT_EQ(stall.placeCalls[i], i % 2 == 0 ? "occupy 7 0" : "free 7 0") << i;
    EXPECT_FALSE(c->done);
}

TEST_F(CustomerTest, StallChoiceSkipsItsOwnCellAndNonWorking)
{
    struct Case
    {
        const char* name;
        bool secondWorking;
        int32_t want;
    } cases[] = {
        {"only the stall on its own cell", false, -1},
        {"the other working stall", true, 6},
    };
    for (const Case& k : cases)
    {
        level_->stalls.clear();
        Stall(5, 2, 2);  // its anchor is the entry cell
        FakeStall& other = Stall(6, 20, 30);
        if (!k.secondWorking) other.state = kStateIdle;
        level_->randomDraws = {4};  // a stall first; the first candidate each time
        auto c = Spawn();
        EXPECT_EQ(c->GetTargetStallId(), k.want) << k.name;
        EXPECT_EQ(c->GetLastStallId(), k.want) << k.name;
    }
}

TEST_F(CustomerTest, EmptyPlacePathsPassInAndOutAtOnce)
{
    FakeStall& stall = Stall(4, 3, 2);
    stall.pathsIn = {{}};
    stall.pathsOut = {{}};
    level_->randomDraws = {5};
    auto c = Spawn();
    Run(*c, 500, [&] { return !stall.placeCalls.empty(); });
    EXPECT_EQ(stall.placeCalls, (std::vector<std::string>{"occupy 7 0", "free 7 0"}));
    EXPECT_TRUE(c->visible);
    EXPECT_EQ(c->GetVisitState(), Customer::kFree);
}

TEST_F(CustomerTest, WithoutWorkingStallsItOnlyWanders)
{
    FakeStall& stall = Stall(4, 10, 20);
    stall.state = kStateBroken;
    auto c = Spawn();
    int wanders = 0;
    for (int i = 0; i < 20; ++i)
    {
        Run(*c, 2000, [&] { return !c->IsWalking(); });
        EXPECT_EQ(c->GetTargetStallId(), -1);
        ++wanders;
        Run(*c, 1);
    }
    EXPECT_TRUE(stall.placeCalls.empty());
    EXPECT_FALSE(c->done);
    EXPECT_EQ(wanders, 20);
}

TEST_F(CustomerTest, LeavingWalksToAnEntryAndEnds)
{
    auto c = Spawn();
    c->Leave();
    EXPECT_TRUE(c->IsLeaving());
    Run(*c, 5000, [&] { return c->done; });
    EXPECT_TRUE(c->IsExiting());
    EXPECT_TRUE(c->done);
    EXPECT_EQ(c->GetCell(), (TGridCell{2, 2}));
}

TEST_F(CustomerTest, NoOtherFreeCellSendsItHome)
{
    for (int col = 0; col < 40; ++col)
        for (int row = 0; row < 60; ++row)
            if (!(col == 2 && row == 2)) level_->grid.SetCell(col, row, -1);
    auto c = Spawn();
    EXPECT_TRUE(c->IsExiting());
    Run(*c, 100, [&] { return c->done; });
    EXPECT_TRUE(c->done);
}

TEST_F(CustomerTest, NoEntryEndsItAtOnceWithALogLine)
{
    level_->customerEntries.clear();
    auto c = Spawn();
    EXPECT_TRUE(c->done);
    EXPECT_NE(Log().find("no entry"), std::string::npos);
}

TEST_F(CustomerTest, AStallGoneDuringTheVisitIsLeftAlone)
{
    Stall(4, 10, 20);
    level_->randomDraws = {5};
    auto c = Spawn();
    Run(*c, 2000, [&] { return c->GetVisitState() == Customer::kGoingIn; });
    level_->stalls.clear();
    Run(*c, 2000, [&] { return c->GetVisitState() == Customer::kFree; });
    EXPECT_TRUE(c->visible);
    EXPECT_FALSE(c->done);
}

}  // namespace
