// Walkers where their pictures matter, on the offscreen display: the walk
// animation reloaded for a new direction keeps its frame and is mirrored on
// screen again, the worker's spark leaves from the hand's point, and a
// monster's click mask is hit where it stands, mirrored with it. Last, the
// shipped walkers drawn once each, the frame looked at.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/level/Courier.h"
#include "game/level/Customer.h"
#include "game/level/Human.h"
#include "game/level/LightningManager.h"
#include "game/level/Monster.h"
#include "game/level/WorkerMagicEffect.h"
#include "game/level/support/WalkerFixture.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/DrawParams.h"
#include "graphics/Texture.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/ImageFixtures.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00FF00u,
                   kWhite = 0xFFFFFFFFu;
constexpr uint32_t kYellow = 0xFFFFFF00u, kCyan = 0xFF00FFFFu;
constexpr uint32_t kClear = 0x00000000u;

// A 20 x 8 sheet of two 10 x 8 frames, each in two colours: a on the first
// frame's left half, b on its right, c and d on the second's.
std::string TwoFrameSheet(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    std::vector<uint32_t> px(20 * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 20; ++x)
            px[static_cast<size_t>(y * 20 + x)] = x < 5 ? a : x < 10 ? b : x < 15 ? c : d;
    return imagefx::PngFromArgb(20, 8, px);
}

// Two frames on the sheet, registered at their bottom centre; the first
// has the point "anchor_hand".
std::string Walk(const std::string& sheet)
{
    return "<sequence name=\"walk\"><img name=\"" + sheet +
           "\" w=\"20\" h=\"8\"/><framelist>"
           "<frame x=\"0\" y=\"0\" w=\"10\" h=\"8\" regx=\"5\" regy=\"8\"><anchor "
           "name=\"anchor_hand\" x=\"3\" y=\"-6\"/></frame>"
           "<frame x=\"10\" y=\"0\" w=\"10\" h=\"8\" regx=\"5\" regy=\"8\"/>"
           "</framelist><script luascript=\"function DoAnim() delay(100); frames{1, 2} "
           "end\"/></sequence>";
}

class WalkerPicturesTest : public WalkerFixture
{
protected:
    WalkerPicturesTest()
    {
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        RegisterAnimatedTextureAssetLoader();
    }
    ~WalkerPicturesTest() override
    {
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }
    void LoadGroups(const std::vector<const char*>& groups)
    {
        for (const char* g : groups) TRes::GetInstance()->LoadGroupNow(g);
    }
    // One frame with draw, on black.
    void DrawFrame(const std::function<void()>& draw)
    {
        display_.Clear();
        ASSERT_TRUE(display_.dc->BeginDraw(false));
        ASSERT_TRUE(display_.dc->Begin2d());
        draw();
        display_.dc->End2d();
        display_.dc->EndDraw(false);
    }
    // The leftmost and rightmost lit pixels of row y.
    std::pair<uint32_t, uint32_t> RowEnds(int y, int width)
    {
        uint32_t first = 0, last = 0;
        bool seen = false;
        for (int x = 0; x < width; ++x)
        {
            const uint32_t p = display_.Pixel(x, y);
            if (p == 0) continue;
            if (!seen) first = p;
            seen = true;
            last = p;
        }
        return {first, last};
    }

    TAssetManager manager_;
    ImageDisplay display_{200, 150};
};

TEST_F(WalkerPicturesTest, AWalkReloadedForANewDirectionKeepsItsFrameAndIsMirroredOnScreen)
{
    ASSERT_TRUE(display_.Ready());
    // Walk 0's second frame is green and white, walk 1's yellow and cyan.
    PutAsset("images/game_logic/humans/customer_0/walk_0.png",
             TwoFrameSheet(kRed, kBlue, kGreen, kWhite));
    PutAsset("images/game_logic/humans/customer_0/walk_1.png",
             TwoFrameSheet(kRed, kBlue, kYellow, kCyan));
    PutAsset("images/game_logic/humans/customer_0/walk_0.xml", Walk("walk_0.png"));
    PutAsset("images/game_logic/humans/customer_0/walk_1.xml", Walk("walk_1.png"));
    PutAsset("resources.lua",
             "customer_0 = { 'images/game_logic/humans/customer_0/walk_0', "
             "'images/game_logic/humans/customer_0/walk_1' }\n");
    LoadGroups({"customer_0"});

    // The base walker's own pattern names the group's walks; it turns at
    // every cell of its path.
    Human h(*level_);
    const TPoint at = Centre(5, 5);
    h.CreateSprites(1, at.x, at.y);
    TMyAnimSprite& sprite = *h.GetMainSprite();
    ASSERT_NE(sprite.GetSprite(), nullptr);
    ASSERT_NE(sprite.GetSprite()->GetAnimation(), nullptr);
    h.SetPath({{6, 5}, {5, 6}, {5, 7}, {6, 8}, {6, 7}, {7, 7}});

    struct Case
    {
        int32_t direction;
        bool mirrored;
        uint32_t left, right;  // the row's ends as drawn
    } const cases[] = {
        {3, true, kCyan, kYellow},   // down-left: walk 1 mirrored
        {5, true, kCyan, kYellow},   // down: walk 1 mirrored
        {1, false, kYellow, kCyan},  // down-right: walk 1
        {4, true, kWhite, kGreen},   // up: walk 0 mirrored
        {6, false, kGreen, kWhite},  // right: walk 0
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.direction);
        // The segment is over; the walk shows its second frame when it turns.
        Advance(static_cast<uint32_t>(h.GetSegmentDuration()));
        sprite.GetSprite()->SetCurrentFrame(1);
        h.Update();
        ASSERT_EQ(h.GetDirection(), c.direction);
        // The turn's walk is loaded on the frame the old one showed.
        EXPECT_EQ(sprite.GetSprite()->GetCurrentFrame(), 1);
        EXPECT_EQ(sprite.GetFlipX(), c.mirrored);
        EXPECT_EQ((sprite.GetDrawParams().flags & TDrawParams::kMirrorX) != 0, c.mirrored);
        // On screen: that frame's colours, mirrored or not.
        const TFloatPoint was = h.GetPosition();
        sprite.SetPosition(100.0f, 60.0f);
        sprite.UpdateTransform();
        DrawFrame([&] { sprite.Draw(); });
        const auto [left, right] = RowEnds(56, 200);
        EXPECT_TRUE(RgbNear(left, c.left & 0xFFFFFFu)) << std::hex << left;
        EXPECT_TRUE(RgbNear(right, c.right & 0xFFFFFFu)) << std::hex << right;
        sprite.SetPosition(was.x, was.y);
        sprite.UpdateTransform();
    }
}

TEST_F(WalkerPicturesTest, TheSparkLeavesFromTheHandsPoint)
{
    ASSERT_TRUE(display_.Ready());
    PutAsset("images/game_logic/effect/worker/sheet.png",
             TwoFrameSheet(kRed, kBlue, kGreen, kWhite));
    PutAsset("images/game_logic/effect/worker/worker.xml", Walk("sheet.png"));
    PutAsset("images/game_logic/effect/worker/hand_magic.xml", Walk("sheet.png"));
    PutAsset("resources.lua",
             "effect = { 'images/game_logic/effect/worker/worker', "
             "'images/game_logic/effect/worker/hand_magic' }\n");
    LoadGroups({"effect"});
    TClock clock;
    WorkerMagicEffect figure(*level_, 200, 200, 2, clock);
    ASSERT_EQ(figure.GetCount(), 2);
    for (int i = 0; i < 2; ++i)
    {
        const TPoint place = figure.GetPlaces()[static_cast<size_t>(i)];
        EXPECT_EQ(figure.GetSparkStarts()[static_cast<size_t>(i)], TPoint(place.x + 3, place.y - 6))
            << i;
        EXPECT_EQ(figure.GetHand(i).GetFlipX(), i == 1);
    }
}

TEST_F(WalkerPicturesTest, TheClickMaskIsHitWhereTheMonsterStandsMirroredWithIt)
{
    ASSERT_TRUE(display_.Ready());
    // 10 x 20: its left half opaque, its right half clear.
    std::vector<uint32_t> mask(10 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x) mask[static_cast<size_t>(y * 10 + x)] = x < 5 ? kRed : kClear;
    PutAsset("images/m/click_mask.png", imagefx::PngFromArgb(10, 20, mask));
    PutAsset("resources.lua", "m = { 'images/m/click_mask' }\n");
    LoadGroups({"m"});
    PutAsset("scripts/game_logic/monsters/monster_0.lua",
             "Main = { image_pattern = 'm:images/m/%s%d', click_mask = 'm:images/m/click_mask', "
             "speed = 100 }\n");
    level_->monsterEntries = {Centre(10, 20)};
    FakeStall& stall = level_->AddStall(4, kStallTrade, 600, 500);
    stall.placeOffsetX = 30;
    stall.placeOffsetY = 50;

    Monster m(*level_, 0);
    m.SetSpawnParameters(0, 5, 10.0f, 4.0f);
    m.Spawn(1, -1, -1, 0);
    // Hidden in its portal: nothing hits it.
    const TPoint feet = Centre(10, 20);
    EXPECT_FALSE(m.HitTest(feet.x - 3, feet.y - 5));
    Frames(
        200, [&] { m.Update(); }, [&] { return !m.IsHidden(); });
    ASSERT_FALSE(m.IsHidden());
    ASSERT_EQ(m.GetPosition().x, static_cast<float>(feet.x));

    struct Case
    {
        int dx, dy;
        bool plain, mirrored;
    } const cases[] = {
        {-3, -5, true, false},    // left of its feet: the opaque half
        {3, -5, false, true},     // right: clear unless mirrored
        {-3, -19, true, false},   // near the top of the mask
        {-3, -21, false, false},  // above it
        {-3, 1, false, false},    // below its feet
        {-6, -5, false, false},   // beyond its left edge
    };
    for (const bool mirrored : {false, true})
    {
        m.GetMainSprite()->SetFlip(mirrored, false);
        for (const Case& c : cases)
            EXPECT_EQ(m.HitTest(feet.x + c.dx, feet.y + c.dy), mirrored ? c.mirrored : c.plain)
                << c.dx << "," << c.dy << (mirrored ? " mirrored" : "");
    }
    // A click on it costs health and shows the particle where it landed.
    m.GetMainSprite()->SetFlip(false, false);
    level_->calls.clear();
    EXPECT_TRUE(m.OnClick(feet.x - 2, feet.y - 4));
    EXPECT_FLOAT_EQ(m.GetHealth(), 6.0f);
    EXPECT_EQ(level_->CallsOf("click "),
              std::vector<std::string>{"click " + std::to_string(feet.x - 2) + "," +
                                       std::to_string(feet.y - 4) + " 1"});
    EXPECT_FALSE(m.OnClick(feet.x + 3, feet.y - 4));
    EXPECT_FLOAT_EQ(m.GetHealth(), 6.0f);
}

// The bolt's step comes from the first piece picture's height (25 here, so
// a step of 20): 5 pieces to a monster 100 pixels right of the source, each
// turned about the middle of its left edge.
TEST_F(WalkerPicturesTest, TheBoltIsCutByThePieceHeight)
{
    ASSERT_TRUE(display_.Ready());
    std::string list = "game_logic_common = {";
    for (int i = 0; i < 9; ++i)
    {
        const std::string name = "images/game_logic/lightning/lightning_piece_" + std::to_string(i);
        PutAsset(name + ".png",
                 imagefx::PngFromArgb(25, 25, std::vector<uint32_t>(25 * 25, kWhite)));
        list += " '" + name + "',";
    }
    PutAsset("resources.lua", list + " }\n");
    LoadGroups({"game_logic_common"});
    level_->AddStall(4, kStallBonus, 99, 75);  // the bolt leaves from (100, 20)
    FakeWalker& monster = level_->AddWalker(8, kWalkerMonster);
    monster.position = TFloatPoint(200, 40);  // it aims at (200, 20)

    LightningManager lightning(*level_);
    lightning.Strike(4, 8);
    ASSERT_EQ(lightning.GetStrikeCount(), 1u);
    const LightningManager::SStrike& strike = lightning.GetStrike(0);
    ASSERT_EQ(strike.pieces.size(), 5u);
    for (size_t i = 0; i < strike.pieces.size(); ++i)
    {
        const TMySprite& piece = *strike.pieces[i];
        EXPECT_FLOAT_EQ(piece.GetPosition().x, 100.0f + 20.0f * static_cast<float>(i)) << i;
        EXPECT_FLOAT_EQ(piece.GetPosition().y, 20.0f) << i;
        EXPECT_FLOAT_EQ(piece.GetRotation(), 0.0f) << i;
        EXPECT_EQ(piece.GetOrigin(), TPoint(0, 12)) << i;
    }
    // Drawn: white along the bolt's line from the source to the monster.
    DrawFrame([&] { lightning.Draw(); });
    for (int x : {101, 150, 199}) EXPECT_TRUE(RgbNear(display_.Pixel(x, 20), 0xFFFFFF)) << x;
    EXPECT_TRUE(RgbNear(display_.Pixel(150, 40), 0x000000));
}

// The shipped walkers, drawn once each headless: something of each is on
// screen where it stands. With ORVELLE_LOOK_DIR set, the frame is written
// there as walkers.png to be looked at.
TEST_F(WalkerPicturesTest, TheShippedWalkersAsDrawn)
{
    ASSERT_TRUE(display_.Ready());
    namespace fs = std::filesystem;
    const fs::path back = fs::current_path();
    fs::current_path(ORVELLE_SOURCE_DIR);
    ClearAssetIndex();
    ScanAssetFolder("assets", "");
    LoadGroups({"game_logic_common", "customer_0", "customer_1", "employee_0", "employee_2",
                "monster_0", "monster_1", "monster_2"});

    level_->customerEntries = {Centre(1, 12)};
    level_->monsterEntries = {Centre(9, 12)};
    level_->levelNumber = 1;
    level_->common.locat = {0};
    FakeStall& stall = level_->AddStall(4, kStallTrade, 180, 140);
    stall.placeOffsetX = 9;
    stall.placeOffsetY = 14;
    level_->grid.SetCell(9, 12, 0);

    std::vector<std::unique_ptr<Human>> walkers;
    auto customer0 = std::make_unique<Customer>(*level_, 0);
    customer0->CreateSprites(1, 0, 0);
    auto customer1 = std::make_unique<Customer>(*level_, 1);
    customer1->CreateSprites(2, 0, 0);
    auto courier = std::make_unique<Courier>(*level_, 0, 4);
    courier->SetLoad(5);
    courier->CreateSprites(3, -100, -100);
    walkers.push_back(std::move(customer0));
    walkers.push_back(std::move(customer1));
    walkers.push_back(std::move(courier));
    for (int type = 0; type < 3; ++type)
    {
        auto m = std::make_unique<Monster>(*level_, type);
        m->SetSpawnParameters(0, 5, 10.0f, 4.0f);
        m->Spawn(10 + type, -1, -1, 3000);
        walkers.push_back(std::move(m));
    }
    Frames(130,
           [&]
           {
               for (auto& w : walkers) w->Update();
           });
    // Stand them in a row, each facing the way it walks, and draw them.
    const int xs[] = {20, 50, 80, 110, 140, 170};
    for (size_t i = 0; i < walkers.size(); ++i)
    {
        walkers[i]->SetPositionInt(xs[i], 100);
        walkers[i]->GetMainSprite()->visible = true;
    }
    DrawFrame(
        [&]
        {
            for (auto& w : walkers) w->Draw();
        });
    for (size_t i = 0; i < walkers.size(); ++i)
    {
        int lit = 0;
        for (int y = 60; y < 100; ++y)
            for (int x = xs[i] - 12; x <= xs[i] + 12; ++x) lit += display_.Pixel(x, y) != 0 ? 1 : 0;
        EXPECT_GT(lit, 60) << "walker " << i << " hardly shows";
    }
    if (const char* dir = std::getenv("ORVELLE_LOOK_DIR"))
    {
        std::vector<uint32_t> pixels(200 * 150);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x)
                pixels[static_cast<size_t>(y * 200 + x)] = 0xFF000000u | display_.Pixel(x, y);
        std::ofstream(fs::path(dir) / "walkers.png", std::ios::binary)
            << imagefx::PngFromArgb(200, 150, pixels);
    }
    walkers.clear();
    fs::current_path(back);
}

}  // namespace
