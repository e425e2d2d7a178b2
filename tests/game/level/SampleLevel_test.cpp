// The shipped level 1 and the game's info script, loaded into a level logic
// with the fake factory and HUD: what every loader made of them, the same
// level restored, its two files against the editor's writer, and the
// shipped descriptions loading without a logged error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/Random.h"
#include "game/level/LevelFiles.h"
#include "game/level/support/LevelDataFixture.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

namespace fs = std::filesystem;

class SampleLevelTest : public LevelDataFixture
{
protected:
    void SetUp() override { UseShippedAssets(); }

    // The seeded source's first draws, as the level draws them.
    static std::vector<int32_t> Draws(int n)
    {
        TMersenneTwister random;
        random.Seed(kSeed);
        std::vector<int32_t> draws;
        for (int i = 0; i < n; ++i) draws.push_back(static_cast<int32_t>(random.Next() >> 17));
        return draws;
    }
};

TEST_F(SampleLevelTest, GameInfoFillsTheSettings)
{
    Make();
    const TGameLogic::SGameInfo& info = level_->GetGameInfo();
    EXPECT_EQ(info.timeTact, 1000);
    EXPECT_EQ(info.tradeOrder, (std::vector<int32_t>{1, 0, 2, 3, 4, 5, 6}));
    EXPECT_EQ(info.attrOrder.size(), 7u);
    EXPECT_EQ(info.bonusOrder.size(), 7u);
    EXPECT_EQ(info.protectOrder, (std::vector<int32_t>{2, 6}));
    EXPECT_FLOAT_EQ(info.objectColor.w, 1.0f);
    const SGameObjectCommon& common = level_->GetCommon();
    EXPECT_EQ(common.passCnt, 2);
    EXPECT_EQ(common.starPlaces.size(), 4u);
    for (const auto& list : common.paths) EXPECT_FALSE(list.empty());
    EXPECT_EQ(common.paths[SGameObjectCommon::kRightStallIn].size(), 3u);
    EXPECT_EQ(common.locat.size(), 5u);
    EXPECT_EQ(common.rightEntry.x, 2);
    EXPECT_EQ(common.leftEntry.x, -2);
    EXPECT_EQ(common.luckyBubble.textFont, TString("fonts/default.mvec"));
    EXPECT_EQ(level_->GetGameOverCaption().pattern, TString("Well done!"));
    EXPECT_EQ(level_->GetTimeFlags(), (std::vector<int32_t>{500, 300, 300, 1000, 400}));
    EXPECT_EQ(Log().find("level data"), std::string::npos) << Log();
}

TEST_F(SampleLevelTest, ResourcesListTheLevelsGroups)
{
    Make();
    std::vector<TString> groups;
    level_->ListLevelResources(1, groups);
    groups_ = groups;
    const std::vector<std::string> expected = {
        "helper", "game_over", "game_logic_common", "hud", "effect", "window_audio", "game_logic_audio", "core_audio",
        "attr_stall_0", "attr_stall_1", "trade_stall_0", "trade_stall_1", "trade_stall_2", "bonus_stall_0",
        "bonus_stall_1", "bonus_stall_2", "customer_0", "customer_1", "monster_0", "monster_1", "employee_0",
        "employee_1", "employee_2", "employee_3", "location_0", "location_0_break_slot", "location_0_fun_slot",
        "trade_stall_0", "attr_stall_1", "bonus_stall_2"};
    EXPECT_EQ(Groups(), expected);
    EXPECT_EQ(level_->GetStallUse(kStallAttraction), (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(level_->GetStallUse(kStallTrade), (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(level_->GetStallUse(kStallBonus), (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(level_->GetLevelLocation(), 0);
    // The location and stall groups the level lists are in the resource script.
    TScript resources;
    ASSERT_TRUE(resources.RunScript("resources.lua"));
    for (const TString& g : groups)
    {
        const std::string name = g.CStr();
        if (name.find("location_") == 0 || name.find("_stall_") != std::string::npos)
            EXPECT_TRUE(resources.GetGlobalTable(name.c_str())) << name;
    }
}

TEST_F(SampleLevelTest, LoadBuildsTheLevel)
{
    Start(1);
    EXPECT_EQ(level_->GetLevelNumber(), 1);

    // Descriptions: the trade ones in their offering order (file 1 first).
    const auto& trade = level_->GetDescriptions(kStallTrade);
    ASSERT_EQ(trade.size(), 3u);
    EXPECT_EQ(trade[0]->name, TString("Sweet Shop"));
    EXPECT_EQ(trade[1]->name, TString("Lemonade Stand"));
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(trade[static_cast<size_t>(i)]->id, i);
    EXPECT_TRUE(trade[2]->draft);
    EXPECT_TRUE(trade[2]->draftAccess);
    EXPECT_EQ(trade[0]->levelCount, 4);
    EXPECT_EQ(trade[0]->time.breakTime, 70000);
    EXPECT_EQ(trade[2]->time.sleepRand, 5000);  // not given: the default
    const auto& tradeDesc = static_cast<const STradeStallDesc&>(*trade[1]);
    EXPECT_EQ(tradeDesc.goodStore, (std::vector<int32_t>{20, 30, 40, 50}));
    EXPECT_EQ(tradeDesc.money.build, (std::vector<int32_t>{100, 200, 300, 400}));
    EXPECT_EQ(level_->GetDescriptions(kStallAttraction).size(), 2u);
    const auto& bonus = level_->GetDescriptions(kStallBonus);
    ASSERT_EQ(bonus.size(), 3u);
    const auto& first = static_cast<const SBonusStallDesc&>(*bonus[0]);
    EXPECT_EQ(first.bonusType, 0);
    EXPECT_EQ(first.festWait, 120000);
    EXPECT_EQ(first.bonusName[0], TString("Income"));
    EXPECT_EQ(first.bonusValueName[0], TString("+5%"));
    EXPECT_EQ(static_cast<const SBonusStallDesc&>(*bonus[2]).bonusType, 3);
    for (int kind = 0; kind < 3; ++kind)
        EXPECT_EQ(level_->GetCounters(kind).size(), level_->GetDescriptions(kind).size());

    // The HUD: clock, expert time and the tasks, the named stalls rewritten.
    EXPECT_EQ(hud_->calls[0], "clock 8:0");
    EXPECT_EQ(hud_->calls[1], "expert 5:30");
    const std::vector<FakeHud::SCondition> tasks = {
        {1, 3000, "1-0", -1, -1, -1}, {5, 2, "1-1", 1, 1, -1}, {6, 1, "2-0", 0, 1, 2}};
    EXPECT_EQ(hud_->conditions, tasks);

    // The economy, the story, the customers, the waves.
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 1500);
    EXPECT_EQ(level_->GetEconomic().GetMana(), 200);
    EXPECT_EQ(level_->GetEconomic().GetBaseWorkers(), 3);
    EXPECT_EQ(level_->GetStory().startCharacter, 1);
    EXPECT_EQ(level_->GetStory().moneyText, TString("Earn enough to open the fair for good."));
    EXPECT_EQ(level_->GetCustomerSettings().price, 20);
    EXPECT_EQ(level_->GetCustomerSettings().interval, 3000);
    EXPECT_EQ(level_->GetCustomerSettings().weights, (std::vector<int32_t>{60, 40}));
    EXPECT_FLOAT_EQ(level_->GetMonsterMana().at.x, 640.0f);
    EXPECT_EQ(level_->GetMonsterMana().time, 1000);
    const std::vector<int32_t> draws = Draws(3);
    const std::vector<SpawnEvent> waves = {
        {60000 + draws[0] % 10000, 45000, 0, 0, 50, 100, 10, 5000},
        {150000 + draws[1] % 20000, -1, 1, 0, 80, 150, 20, 5000},
        {200000 + draws[2] % 5000, -1, 0, 0, 50, 100, 10, 5000}};
    EXPECT_EQ(level_->GetSpawnQueue(), waves);

    // Entries at the cell centres the file gives.
    ASSERT_EQ(level_->GetCustomerEntries().size(), 2u);
    EXPECT_EQ(level_->GetCustomerEntries()[1].y, 455);
    ASSERT_EQ(level_->GetMonsterEntries().size(), 1u);
    EXPECT_EQ(level_->GetMonsterEntries()[0].x, 10);

    // Elements: the background, two ground and four land elements.
    ASSERT_NE(level_->GetBackground(false), nullptr);
    ASSERT_NE(level_->GetBackground(true), nullptr);
    ASSERT_EQ(level_->GetGroundElementCount(), 2);
    EXPECT_EQ(level_->GetGroundElement(1)->index, -1);
    ASSERT_EQ(level_->GetLandElementCount(), 4);
    const int32_t depths[] = {150, 120, 260, 470};
    for (int32_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(level_->GetLandElement(i)->index, i);
        EXPECT_EQ(level_->GetLandElement(i)->depth, depths[i]);
    }

    // Slots: costs, names, the open and for-sale ones, the covered ones.
    ASSERT_EQ(level_->GetSlotCount(), 6);
    for (int32_t i = 0; i < 6; ++i)
    {
        const SSlot& slot = *level_->GetSlot(i);
        EXPECT_EQ(slot.manaCost, 50) << i;
        EXPECT_EQ(slot.workerCost, 1) << i;
    }
    EXPECT_TRUE(level_->GetSlot(0)->free);
    EXPECT_FALSE(level_->GetSlot(0)->forSale);
    EXPECT_TRUE(level_->GetSlot(1)->forSale);
    EXPECT_EQ(level_->GetSlot(1)->forSaleName,
              TString("location_0_break_slot:images/game_logic/location_0/slots/breake_slot_1"));
    EXPECT_EQ(level_->GetSlot(1)->replacementName,
              TString("location_0_fun_slot:images/game_logic/location_0/slots/fun_slot_1"));
    EXPECT_EQ(level_->GetSlotPosition(3), TPoint(260, 330));
    for (int32_t i = 3; i < 6; ++i) EXPECT_FALSE(level_->GetSlot(i)->forSale) << i;
    // The built ones cover their slots; the locked one books nothing.
    EXPECT_TRUE(level_->GetSlot(3)->covered);
    EXPECT_TRUE(level_->GetSlot(4)->covered);
    EXPECT_FALSE(level_->GetSlot(5)->covered);

    // The pre-built stalls: a working trade stall upgraded once, a broken
    // attraction, an inactive bonus stall.
    ASSERT_EQ(level_->GetStallCount(), 3);
    ASSERT_EQ(factory_->stalls.size(), 3u);
    const FakeStall& shop = *factory_->stalls[0];
    EXPECT_EQ(shop.kind, kStallTrade);
    EXPECT_EQ(shop.descriptionId, 1);  // file 0 offered second
    EXPECT_EQ(shop.slotIndex, 3);
    EXPECT_EQ(shop.addedLevels, 1);
    EXPECT_EQ(shop.state, kStateWorking);
    EXPECT_TRUE(shop.active);
    const FakeStall& ride = *factory_->stalls[1];
    EXPECT_EQ(ride.kind, kStallAttraction);
    EXPECT_EQ(ride.state, kStateBroken);
    EXPECT_EQ(ride.addedLevels, 0);
    const FakeStall& enemy = *factory_->stalls[2];
    EXPECT_EQ(enemy.kind, kStallBonus);
    EXPECT_FALSE(enemy.active);
    EXPECT_EQ(enemy.descriptionId, 2);
    EXPECT_EQ(level_->GetCounters(kStallAttraction)[1][kCountBroken], 1);

    EXPECT_EQ(Log().find("level data"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("#####"), std::string::npos) << Log();
}

TEST_F(SampleLevelTest, RestoringBuildsAllButWavesAndStalls)
{
    Start(1, true);
    EXPECT_TRUE(level_->GetSpawnQueue().empty());
    EXPECT_EQ(level_->GetStallCount(), 0);
    EXPECT_TRUE(factory_->stalls.empty());
    EXPECT_EQ(level_->GetSlotCount(), 6);
    EXPECT_TRUE(level_->GetSlot(3)->free);   // open in the file
    EXPECT_TRUE(level_->GetSlot(5)->forSale);  // not open in the file
    EXPECT_FALSE(level_->GetSlot(3)->covered);
    EXPECT_EQ(level_->GetLandElementCount(), 4);
    EXPECT_EQ(level_->GetGroundElementCount(), 2);
    EXPECT_EQ(level_->GetCustomerEntries().size(), 2u);
    EXPECT_EQ(level_->GetDescriptions(kStallTrade).size(), 3u);
    EXPECT_EQ(hud_->conditions.size(), 3u);
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 1500);
}

TEST_F(SampleLevelTest, LevelFilesAreTheWritersBytes)
{
    TLevelLayout layout;
    ASSERT_TRUE(ReadLevelLayout("scripts/levels/level_1_gr.lua", layout));
    std::string text;
    ASSERT_TRUE(BuildLayoutText(layout, text));
    EXPECT_EQ(text, filetest::ReadAll(fs::path("assets/scripts/levels/level_1_gr.lua")));

    WalkGrid grid;
    ASSERT_TRUE(grid.LoadPass("scripts/levels/level_1_pass.lua"));
    EXPECT_EQ(BuildPassText(grid), filetest::ReadAll(fs::path("assets/scripts/levels/level_1_pass.lua")));
    EXPECT_NE(grid.GetCell(0, 0), 0);
    EXPECT_EQ(grid.GetCell(20, 30), 0);
}

TEST_F(SampleLevelTest, EveryShippedDescriptionLoadsWithoutALogLine)
{
    // Every file of every kind flagged for use, as a level offering them all.
    std::string offers = "Trade = {{},{},{},{},{},{},{}}\nBonus = {{},{},{},{},{},{},{}}\nAttr = {{},{},{},{},{},{},{}}\n"
                         "Main = { task = {} }\nMonsters = {}\nCustomer = { prob = {} }\n";
    const fs::path info = fs::path("assets/scripts/levels/level_97_info.lua");
    const fs::path layout = fs::path("assets/scripts/levels/level_97_gr.lua");
    filetest::WriteAll(info, offers);
    filetest::WriteAll(layout, "Entry = { customer = {}, monster = {} }\nLandElement = {}\nSlot = {}\n"
                               "Resources = { \"location_2\" }\n");
    ClearAssetIndex();
    ScanAssetFolder("assets", "");
    Start(97);
    fs::remove(info);
    fs::remove(layout);
    const std::string resources = filetest::ReadAll("assets/resources.lua");
    for (int kind = 0; kind < 3; ++kind)
    {
        const auto& list = level_->GetDescriptions(kind);
        ASSERT_EQ(list.size(), 7u) << kind;
        for (const auto& desc : list)
        {
            EXPECT_FALSE(desc->name.IsEmpty()) << kind;
            EXPECT_EQ(desc->levelCount, 4) << kind;
            EXPECT_FALSE(desc->images.empty()) << kind;
            // The locked or sold look and the broken stall's fading picture
            // are the description's pictures with "_" appended: shipped and
            // listed in the picture's group.
            for (const TString& name : {desc->sellImage, desc->breakImage})
            {
                const std::string text = std::string(name.CStr()) + "_";
                const size_t colon = text.find(':');
                ASSERT_NE(colon, std::string::npos) << text;
                const std::string path = text.substr(colon + 1);
                EXPECT_TRUE(fs::exists(fs::path("assets") / (path + ".png"))) << text;
                EXPECT_NE(resources.find("\"" + path + "\""), std::string::npos) << text;
            }
        }
    }
    const std::vector<int32_t> types = {0, 2, 3, 4, 6, 8, 10};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(static_cast<const SBonusStallDesc&>(*level_->GetDescriptions(kStallBonus)[i]).bonusType, types[i]);
    EXPECT_EQ(level_->GetDescriptions(kStallBonus)[5]->lucky.size(), 4u);
    EXPECT_EQ(level_->GetLevelLocation(), 2);
    EXPECT_EQ(Log().find("level data"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("#####"), std::string::npos) << Log();
}

}  // namespace
