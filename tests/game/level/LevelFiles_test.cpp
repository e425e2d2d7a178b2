// Level layout and walk-grid files: the exact text of both, reading a layout
// back, saving the pair whole or not at all, refused names, and the shipped
// levels rewritten byte for byte.
#include "game/level/LevelFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/AssetManager.h"
#include "core/FileReplace.h"
#include "core/FileTestSupport.h"
#include "core/Folders.h"

namespace
{

namespace fs = std::filesystem;

constexpr char kBreak[] = "location_2_break_slot:images/game_logic/location_2/slots/breake_slot_0";
constexpr char kFun[] = "location_2_fun_slot:images/game_logic/location_2/slots/fun_slot_0";

TLevelLayout::SSlotRow Slot(int x, int y, bool access)
{
    TLevelLayout::SSlotRow slot;
    slot.x = x;
    slot.y = y;
    slot.firstImage = kBreak;
    slot.secondImage = kFun;
    slot.access = access;
    return slot;
}

TLevelLayout::SSlotRow StallSlot(int x, int y, bool enemy)
{
    TLevelLayout::SSlotRow slot = Slot(x, y, false);
    slot.hasStall = true;
    slot.stallKind = 1;
    slot.stallNumber = 3;
    slot.stallLevel = 2;
    slot.broken = false;
    slot.enemy = enemy;
    return slot;
}

TLevelLayout SmallLevel()
{
    TLevelLayout level;
    level.customerEntries = {{0, 0}, {39, 59}};
    level.monsterEntries = {{5, 2}};
    level.landElements = {{0, "location_2:images/bg", 400, 300, 0, 0, false},
                          {2, "location_2:images/tree", 100, 200, 30, -40, true}};
    level.slots = {Slot(100, 200, true), StallSlot(300, 400, false), StallSlot(500, 100, true)};
    return level;
}

const char kSmallLevelText[] =
    "Entry=\n"
    "{\n"
    "\t[\"customer\"]=\n"
    "\t{\n"
    "\t\t10,5,\n"
    "\t\t790,595,\n"
    "\t},\n"
    "\t[\"monster\"]=\n"
    "\t{\n"
    "\t\t110,25,\n"
    "\t},\n"
    "}\n"
    "LandElement=\n"
    "{\n"
    "\t{0,\"location_2:images/bg\",400,300,0,0,0},\n"
    "\t{2,\"location_2:images/tree\",100,200,30,-40,1},\n"
    "}\n"
    "Slot=\n"
    "{\n"
    "\t{100,200,\"location_2_break_slot:images/game_logic/location_2/slots/breake_slot_0\","
    "\"location_2_fun_slot:images/game_logic/location_2/slots/fun_slot_0\",1},\n"
    "\t{300,400,\"location_2_break_slot:images/game_logic/location_2/slots/breake_slot_0\","
    "\"location_2_fun_slot:images/game_logic/location_2/slots/fun_slot_0\",0,1,3,2,0},\n"
    "\t{500,100,\"location_2_break_slot:images/game_logic/location_2/slots/breake_slot_0\","
    "\"location_2_fun_slot:images/game_logic/location_2/slots/fun_slot_0\",0,1,3,2,0,1},\n"
    "}\n"
    "Resources=\n"
    "{\n"
    "\t\"location_2\",\n"
    "\t\"location_2_break_slot\",\n"
    "\t\"location_2_fun_slot\",\n"
    "}\n";

std::string PassLine(int blockedColumn = -1)
{
    std::string line = "\t{";
    for (int c = 0; c < 40; ++c) line += c == blockedColumn ? "1," : "0,";
    return line + "},\n";
}

int gHookCalls = 0;
int gAbandonAt = -1;
bool CountingHook(const char* temporary)
{
    EXPECT_TRUE(fs::exists(temporary)) << temporary;
    return gHookCalls++ != gAbandonAt;
}

class LevelFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetUserDataFolder((tree / "user").c_str());
        fs::create_directories(tree / "user");
        SetGlobalAssetManager(&assets_);
    }
    void TearDown() override
    {
        SetFileReplaceHookForTest(nullptr);
        SetGlobalAssetManager(nullptr);
    }

    std::string Saved(const std::string& name)
    {
        return filetest::ReadAll(tree / "user/levels" / name);
    }
    std::vector<std::string> Listing()
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(tree / "user/levels"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    int LogCount(const std::string& text)
    {
        const std::string log = tree.Log();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }

    filetest::TempTree tree;
    TAssetManager assets_;
};

TEST_F(LevelFilesTest, FileNames)
{
    EXPECT_STREQ(LevelLayoutFileName(kShippedLevelFolder, 12).CStr(),
                 "scripts/levels/level_12_gr.lua");
    EXPECT_STREQ(LevelPassFileName(kUserLevelFolder, 3).CStr(), "user:levels/level_3_pass.lua");
}

TEST_F(LevelFilesTest, LayoutTextOfASmallLevel)
{
    std::string text;
    ASSERT_TRUE(BuildLayoutText(SmallLevel(), text));
    EXPECT_EQ(text, kSmallLevelText);
}

TEST_F(LevelFilesTest, EmptyEntryListsAndNoLandElements)
{
    TLevelLayout level;
    level.slots = {Slot(0, 0, false)};
    level.slots[0].firstImage = "break_group:a";
    level.slots[0].secondImage = "fun_group";  // no colon: the whole name is the group
    std::string text;
    ASSERT_TRUE(BuildLayoutText(level, text));
    EXPECT_EQ(text,
              "Entry=\n{\n\t[\"customer\"]=\n\t{\n\t},\n\t[\"monster\"]=\n\t{\n\t},\n}\n"
              "LandElement=\n{\n}\n"
              "Slot=\n{\n\t{0,0,\"break_group:a\",\"fun_group\",0},\n}\n"
              "Resources=\n{\n\t\"break_group\",\n\t\"fun_group\",\n}\n");
}

TEST_F(LevelFilesTest, ResourceGroupsOnceInTheOrderFirstMet)
{
    TLevelLayout level;
    level.slots = {Slot(0, 0, true), Slot(20, 10, false)};
    level.landElements = {{2, "location_2:images/a", 1, 2, 3, 4, false},
                          {1, "location_2:images/b", 1, 2, 3, 4, false}};
    std::string text;
    ASSERT_TRUE(BuildLayoutText(level, text));
    const size_t at = text.find("Resources=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.substr(at),
              "Resources=\n{\n\t\"location_2\",\n\t\"location_2_break_slot\",\n"
              "\t\"location_2_fun_slot\",\n}\n");
}

TEST_F(LevelFilesTest, PassText)
{
    WalkGrid grid;
    std::string empty = "Pass=\n{\n";
    for (int r = 0; r < 60; ++r) empty += PassLine();
    empty += "}\n";
    EXPECT_EQ(BuildPassText(grid), empty);

    grid.SetCell(5, 2, -1);
    const std::string text = BuildPassText(grid);
    std::string want = "Pass=\n{\n";
    for (int r = 0; r < 60; ++r) want += PassLine(r == 2 ? 5 : -1);
    want += "}\n";
    EXPECT_EQ(text, want);
    // The third row line: its sixth value.
    EXPECT_EQ(text.substr(8 + 2 * 85 + 2, 12), "0,0,0,0,0,1,");

    // A -2 cell is written negated, as 2.
    grid.SetCell(0, 0, -2);
    EXPECT_EQ(BuildPassText(grid).substr(8, 6), "\t{2,0,");
}

TEST_F(LevelFilesTest, SavedPairReadsBack)
{
    WalkGrid grid;
    grid.SetCell(5, 2, -1);
    grid.SetCell(39, 59, -1);
    grid.SetCell(0, 30, -1);
    ASSERT_FALSE(fs::exists(tree / "user/levels"));
    ASSERT_EQ(SaveLevelFiles(7, SmallLevel(), grid), TLevelSaveResult::kDone);
    // The missing "levels" folder is made; nothing else is left in it.
    EXPECT_EQ(Listing(), (std::vector<std::string>{"level_7_gr.lua", "level_7_pass.lua"}));
    EXPECT_EQ(Saved("level_7_gr.lua"), kSmallLevelText);
    EXPECT_EQ(Saved("level_7_pass.lua"), BuildPassText(grid));

    TLevelLayout back;
    ASSERT_TRUE(ReadLevelLayout(LevelLayoutFileName(kUserLevelFolder, 7), back));
    std::string again;
    ASSERT_TRUE(BuildLayoutText(back, again));
    EXPECT_EQ(again, kSmallLevelText);
    EXPECT_EQ(back.customerEntries, SmallLevel().customerEntries);
    EXPECT_EQ(back.monsterEntries, SmallLevel().monsterEntries);
    ASSERT_EQ(back.slots.size(), 3u);
    EXPECT_FALSE(back.slots[0].hasStall);
    EXPECT_TRUE(back.slots[1].hasStall);
    EXPECT_FALSE(back.slots[1].enemy);
    EXPECT_TRUE(back.slots[2].enemy);
    EXPECT_EQ(back.slots[2].stallNumber, 3);
    EXPECT_EQ(back.slots[2].stallLevel, 2);
    EXPECT_TRUE(back.landElements[1].locked);
    EXPECT_EQ(back.landElements[1].originY, -40);
    ASSERT_EQ(back.resources.size(), 3u);
    EXPECT_STREQ(back.resources[0].CStr(), "location_2");

    WalkGrid loaded;
    ASSERT_TRUE(loaded.LoadPass(LevelPassFileName(kUserLevelFolder, 7)));
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 60; ++r) ASSERT_EQ(loaded.GetCell(c, r), grid.GetCell(c, r));

    // Saving again replaces the pair.
    TLevelLayout other;
    ASSERT_EQ(SaveLevelFiles(7, other, WalkGrid()), TLevelSaveResult::kDone);
    EXPECT_EQ(Saved("level_7_pass.lua"), BuildPassText(WalkGrid()));
    EXPECT_EQ(Listing().size(), 2u);
    // Empty entry lists and tables read back as empty.
    ASSERT_TRUE(ReadLevelLayout(LevelLayoutFileName(kUserLevelFolder, 7), back));
    EXPECT_TRUE(back.customerEntries.empty());
    EXPECT_TRUE(back.monsterEntries.empty());
    EXPECT_TRUE(back.landElements.empty());
    EXPECT_TRUE(back.slots.empty());
    EXPECT_TRUE(back.resources.empty());
}

TEST_F(LevelFilesTest, ReaderTakesHandMadeFiles)
{
    tree.Write("hand.lua",
               "Entry = { customer = {799, 599, 15, 7, 45}, monster = {} }\n"
               "LandElement = { {1, 'g:x', 5, 6}, 'not a row', {2, 'g:y', 1, 2, 3, 4, 7} }\n"
               "Slot = { {20, 10, 'a:b', 'c:d', 1, 0, 6}, {1, 2}, 5 }\n"
               "Resources = { 'location_4', 'more' }\n");
    TLevelLayout layout;
    ASSERT_TRUE(ReadLevelLayout(("::" + (tree / "hand.lua").string()).c_str(), layout));
    // Pairs turned into cells; an odd last value pairs with 0.
    EXPECT_EQ(layout.customerEntries, (std::vector<TGridCell>{{39, 59}, {0, 0}, {2, 0}}));
    EXPECT_TRUE(layout.monsterEntries.empty());
    ASSERT_EQ(layout.landElements.size(), 2u);
    EXPECT_EQ(layout.landElements[0].type, 1);
    EXPECT_EQ(layout.landElements[0].originX, 0);  // missing values read as 0
    EXPECT_FALSE(layout.landElements[0].locked);
    EXPECT_TRUE(layout.landElements[1].locked);  // any non-zero lock
    ASSERT_EQ(layout.slots.size(), 2u);
    EXPECT_TRUE(layout.slots[0].hasStall);  // more than five values
    EXPECT_EQ(layout.slots[0].stallNumber, 6);
    EXPECT_EQ(layout.slots[0].stallLevel, 0);
    EXPECT_FALSE(layout.slots[0].enemy);
    EXPECT_FALSE(layout.slots[1].hasStall);
    EXPECT_STREQ(layout.slots[1].firstImage.CStr(), "");
    ASSERT_EQ(layout.resources.size(), 2u);
    EXPECT_STREQ(layout.resources[1].CStr(), "more");
    EXPECT_EQ(LogCount("2 rows that are not tables skipped"), 1);
}

TEST_F(LevelFilesTest, ReaderRefusesIncompleteFiles)
{
    struct Case
    {
        const char* what;
        const char* text;  // null: no file
        const char* logged;
    } const cases[] = {
        {"missing file", nullptr, "not found"},
        {"syntax error", "Entry = {", "did not run"},
        {"no Entry", "LandElement={} Slot={} Resources={}", "no table Entry"},
        {"no Resources", "Entry={customer={},monster={}} LandElement={} Slot={}",
         "no table Resources"},
        {"no monster list", "Entry={customer={}} LandElement={} Slot={} Resources={}",
         "lacks its monster list"},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        const std::string file = "bad" + std::to_string(index++) + ".lua";
        if (c.text) tree.Write(file, c.text);
        TLevelLayout layout;
        layout.slots.push_back(Slot(1, 1, true));
        const int before = LogCount(c.logged);
        EXPECT_FALSE(ReadLevelLayout(("::" + (tree / file).string()).c_str(), layout)) << c.what;
        EXPECT_TRUE(layout.slots.empty()) << c.what;
        EXPECT_EQ(LogCount(c.logged), before + 1) << c.what;
    }
}

TEST_F(LevelFilesTest, ReaderBoundsClaimedLengths)
{
    tree.Write("huge.lua",
               "Entry = { customer = {n = 2000000000}, monster = {} }\n"
               "LandElement = {n = 2000000000} Slot = {} Resources = {}\n");
    TLevelLayout layout;
    ASSERT_TRUE(ReadLevelLayout(("::" + (tree / "huge.lua").string()).c_str(), layout));
    EXPECT_EQ(layout.customerEntries.size(), 5000u);
    EXPECT_TRUE(layout.landElements.empty());
    EXPECT_EQ(LogCount("claims 2000000000 rows"), 2);
}

TEST_F(LevelFilesTest, NamesTheFileCannotHoldAreRefused)
{
    const char* const bad[] = {"a\"b", "a\\b", "a\rb", "a\nb"};
    for (const char* name : bad)
    {
        for (int where = 0; where < 3; ++where)
        {
            TLevelLayout level = SmallLevel();
            if (where == 0) level.landElements[1].image = name;
            if (where == 1) level.slots[2].firstImage = name;
            if (where == 2) level.slots[0].secondImage = name;
            EXPECT_FALSE(IsWritableLevelName(name));
            EXPECT_EQ(SaveLevelFiles(1, level, WalkGrid()), TLevelSaveResult::kNameRefused)
                << name << " " << where;
            EXPECT_FALSE(fs::exists(tree / "user/levels")) << name;
        }
    }
    EXPECT_EQ(LogCount("picture name \"a\"b\""), 3);
    EXPECT_EQ(LogCount("picture name \"a\\b\""), 3);
    EXPECT_EQ(LogCount("picture name \"a\\nb\""), 3);  // the line break shown, not written
    EXPECT_EQ(LogCount("picture name \"a\\rb\""), 3);
    EXPECT_TRUE(IsWritableLevelName("location_1:images/ok-name_2 ü"));
}

TEST_F(LevelFilesTest, FailureBeforeTheRenamesKeepsTheEarlierPair)
{
    WalkGrid grid;
    grid.SetCell(1, 1, -1);
    ASSERT_EQ(SaveLevelFiles(2, SmallLevel(), grid), TLevelSaveResult::kDone);
    const std::string layoutBefore = Saved("level_2_gr.lua");
    const std::string passBefore = Saved("level_2_pass.lua");

    SetFileReplaceHookForTest(CountingHook);
    const struct
    {
        int abandonAt;
        TLevelSaveResult result;
    } cases[] = {{0, TLevelSaveResult::kLayoutFailed}, {1, TLevelSaveResult::kPassFailed}};
    for (const auto& c : cases)
    {
        gHookCalls = 0;
        gAbandonAt = c.abandonAt;
        EXPECT_EQ(SaveLevelFiles(2, TLevelLayout(), WalkGrid()), c.result);
        EXPECT_EQ(gHookCalls, c.abandonAt + 1);
        EXPECT_EQ(Saved("level_2_gr.lua"), layoutBefore);
        EXPECT_EQ(Saved("level_2_pass.lua"), passBefore);
        EXPECT_EQ(Listing(), (std::vector<std::string>{"level_2_gr.lua", "level_2_pass.lua"}));
    }
    EXPECT_EQ(LogCount("abandoned before the rename"), 2);
}

TEST_F(LevelFilesTest, FailedRenamePutsTheEarlierFileBack)
{
    ASSERT_EQ(SaveLevelFiles(4, SmallLevel(), WalkGrid()), TLevelSaveResult::kDone);
    const std::string layoutBefore = Saved("level_4_gr.lua");
    // A folder in the walk-grid file's place: its rename fails after the
    // layout file's has succeeded.
    fs::remove(tree / "user/levels/level_4_pass.lua");
    fs::create_directories(tree / "user/levels/level_4_pass.lua/inside");
    EXPECT_EQ(SaveLevelFiles(4, TLevelLayout(), WalkGrid()), TLevelSaveResult::kPassFailed);
    EXPECT_EQ(Saved("level_4_gr.lua"), layoutBefore);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"level_4_gr.lua", "level_4_pass.lua"}));

    // A layout file that did not exist before is removed again.
    fs::create_directories(tree / "user/levels/level_5_pass.lua/inside");
    EXPECT_EQ(SaveLevelFiles(5, TLevelLayout(), WalkGrid()), TLevelSaveResult::kPassFailed);
    EXPECT_FALSE(fs::exists(tree / "user/levels/level_5_gr.lua"));
}

TEST_F(LevelFilesTest, UnwritableFolderFailsTheLayoutFirst)
{
    SetUserDataFolder("");
    ClearAssetIndex();
    EXPECT_EQ(SaveLevelFiles(1, SmallLevel(), WalkGrid()), TLevelSaveResult::kLayoutFailed);
    EXPECT_EQ(LogCount("level files: cannot save"), 1);
}

// Every shipped level: read and written again, the bytes do not change.
TEST_F(LevelFilesTest, ShippedLevelsRewriteUnchanged)
{
    const fs::path folder = fs::path(ORVELLE_SOURCE_DIR) / "assets/scripts/levels";
    int levels = 0;
    for (int level = 0; level < 1000; ++level)
    {
        const fs::path layoutPath = folder / ("level_" + std::to_string(level) + "_gr.lua");
        const fs::path passPath = folder / ("level_" + std::to_string(level) + "_pass.lua");
        if (!fs::exists(layoutPath)) continue;
        ++levels;
        ASSERT_TRUE(fs::exists(passPath)) << passPath;
        TLevelLayout layout;
        ASSERT_TRUE(ReadLevelLayout(("::" + layoutPath.string()).c_str(), layout)) << layoutPath;
        std::string text;
        ASSERT_TRUE(BuildLayoutText(layout, text));
        EXPECT_EQ(text, filetest::ReadAll(layoutPath)) << layoutPath;
        WalkGrid grid;
        grid.LoadPass(("::" + passPath.string()).c_str());
        EXPECT_EQ(BuildPassText(grid), filetest::ReadAll(passPath)) << passPath;
    }
    if (levels == 0) GTEST_SKIP() << "no shipped levels yet";
}

}  // namespace
