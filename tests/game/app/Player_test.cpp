// The profile: first start and the shared defaults, users and the current
// slot, level results in the three modes, comics and map-effect counters,
// the map mode read back at start-up, the saved level in the store, the
// screen stack, the script functions, and a closed store.
#include "game/app/Player.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Clock.h"
#include "core/FileTestSupport.h"
#include "core/Prefs.h"
#include "core/Settings.h"
#include "game/app/MyCursor.h"
#include "game/app/Singleton.h"
#include "sound/SoundManager.h"
#include "script/Script.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptLink.h"

namespace
{

// Reads as "key absent" in the expectations below.
constexpr int kAbsent = INT_MIN;

struct KeyValue
{
    const char* key;
    int value;
};

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetSetting("encryptionkey", "playerkey");
        SetSetting("installkey", "game");
        SetUserDataFolder((tree / "user").c_str());
    }
    void TearDown() override { TPrefs::SetSaveHookForTest(nullptr); }

    // Writes a store: the shared values, then one value set per user.
    void WriteStore(const std::vector<KeyValue>& shared,
                    const std::vector<std::vector<KeyValue>>& users)
    {
        TPrefs prefs(true);
        for (const KeyValue& kv : shared) prefs.SetInt(kv.key, kv.value, -1);
        for (size_t slot = 0; slot < users.size(); ++slot)
        {
            prefs.SetValue("name", TString::Format("user%zu", slot), static_cast<int>(slot));
            for (const KeyValue& kv : users[slot])
                prefs.SetInt(kv.key, kv.value, static_cast<int>(slot));
        }
        ASSERT_TRUE(prefs.Save());
    }
    // A store of its own in a fresh folder, for one case of a table.
    std::unique_ptr<filetest::TempTree> FreshStore(const std::vector<KeyValue>& shared,
                                                   const std::vector<std::vector<KeyValue>>& users)
    {
        auto own = std::make_unique<filetest::TempTree>();
        SetUp();  // the new tree starts without settings
        SetUserDataFolder((*own / "user").c_str());
        WriteStore(shared, users);
        return own;
    }
    // The stored value as the file holds it now.
    static int Stored(const char* key, int slot)
    {
        TPrefs prefs(false);
        return prefs.GetInt(key, kAbsent, slot);
    }
    static TString StoredText(const char* key, int slot)
    {
        TPrefs prefs(false);
        return prefs.GetValue(key, "<absent>", slot);
    }
    std::string File() const { return filetest::ReadAll(tree / "user/prefs.dat"); }

    filetest::TempTree tree;
};

LevelSnapshot FullSnapshot()
{
    LevelSnapshot s;
    s.level = 12;
    s.valid = true;
    s.levelTime = 123456;
    s.money = -40;
    s.mana = 7;
    s.workers = 3;
    s.slots = {{3, true, false}, {7, false, true}};
    s.gameObjects = {{1, 4, 0, true, 2, false, 18}, {0, 2, 1, false, 0, true, 0}};
    s.payDrafts = {{1, 4}, {2, 0}};
    s.tradeTasks = {{1, 2, 3, 4, 5, 6, 7}};
    s.bonusTasks = {{0, 0, 0, 0, 0, 0, -1}, {9, 8, 7, 6, 5, 4, 3}};
    s.attrTasks = {};
    s.goodsSold = 31;
    s.slotsBought = 2;
    s.monsters = {{5000, 30000, 2, 0, 100, 100, 20, 4321}, {9000, -1, 1, 1, 2, 3, 4, 5}};
    s.monsterKills = {2, 0, 5};
    return s;
}

TEST_F(PlayerTest, FirstStartPutsTheSettingsInTheSharedSlotForTheFirstProfile)
{
    {
        TPlayer player;
        EXPECT_EQ(player.GetNumUsers(), 0);
        EXPECT_EQ(player.GetCurrentUser(), -1);
        // Changed before any profile exists, as the options screen may.
        player.SetSoundLevel(312.9f);
        player.SetFullScreen(false);
        player.CreateNewUser("Ann");
        player.CreateNewUser("Bob");
        EXPECT_EQ(player.GetCurrentUser(), -1);  // creating does not select
    }
    const struct
    {
        const char* key;
        int shared, ann, bob;
    } rows[] = {
        {"soundlevel", 312, 312, 800},
        {"musiclevel", 640, 640, 640},
        {"soundoff", 0, 0, 0},
        {"fullscreen", 0, 0, 1},
        {"gamecursor", 1, 1, 1},
        {"cnt_complete_level", kAbsent, 0, 0},
        {"total_money", kAbsent, 0, 0},
        {"look_comics", kAbsent, 0, 0},
        {"look_map_effect", kAbsent, 0, 0},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(Stored(row.key, -1), row.shared);
        EXPECT_EQ(Stored(row.key, 0), row.ann);
        EXPECT_EQ(Stored(row.key, 1), row.bob);
    }
    EXPECT_STREQ(StoredText("name", 1).CStr(), "Bob");

    // A later start with profiles takes nothing from the shared slot.
    TPlayer again;
    again.CreateNewUser("Cy");
    EXPECT_EQ(Stored("soundlevel", 2), 800);
    EXPECT_EQ(Stored("fullscreen", 2), 1);
}

TEST_F(PlayerTest, SettersWriteIntoTheCurrentSlot)
{
    WriteStore({{"curuser", 1}}, {{}, {}});
    TPlayer player;
    player.SetSoundLevel(250.7f);
    player.SetMusicLevel(99.99f);
    player.SetSoundOff(true);
    player.SetGameCursor(false);
    EXPECT_EQ(Stored("soundlevel", 1), 250);
    EXPECT_EQ(Stored("musiclevel", 1), 99);
    EXPECT_EQ(Stored("soundoff", 1), 1);
    EXPECT_EQ(Stored("gamecursor", 1), 0);
    EXPECT_EQ(Stored("soundlevel", 0), kAbsent);
    EXPECT_EQ(Stored("soundlevel", -1), kAbsent);
    EXPECT_EQ(player.GetSoundLevel(), 250);
    EXPECT_EQ(player.GetMusicLevel(), 99);
    EXPECT_TRUE(player.GetSoundOff());
    EXPECT_FALSE(player.GetGameCursor());
    EXPECT_TRUE(player.GetFullScreen());  // read default 1
    EXPECT_STREQ(player.GetName().CStr(), "user1");
}

TEST_F(PlayerTest, SelectingAUser)
{
    const struct
    {
        const char* what;
        int start;
        int select;
        int curuser;
    } cases[] = {
        {"a listed slot", 0, 2, 2},
        {"the number of users is out of range", 1, 3, 1},
        {"far out of range", 1, 40, 1},
        {"-1 selects nobody", 1, -1, -1},
        {"any negative slot is stored as nobody", 1, -7, -1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto own = FreshStore({{"curuser", c.start}}, {{}, {}, {}});
        TPlayer player;
        player.SetCurrentUser(c.select);
        EXPECT_EQ(player.GetCurrentUser(), c.curuser);
        TPrefs prefs(false);
        EXPECT_EQ(prefs.GetInt("curuser", kAbsent, -1), c.curuser);
        EXPECT_EQ(prefs.GetUserCount(), 3);
    }
}

// ApplySound and the trail's part of ApplyCursor, on selecting a user and
// on the first start.
TEST_F(PlayerTest, SoundAndCursorSettingsReachTheSoundManagerAndTheTrail)
{
    TSoundManager framework;
    TMyCursor* cursor = TMyCursor::GetInstance();
    ASSERT_NE(cursor, nullptr);
    WriteStore({{"curuser", 0}},
               {{{"soundlevel", 300}, {"musiclevel", 700}, {"soundoff", 0}, {"gamecursor", 0}},
                {{"soundlevel", 900}, {"musiclevel", 100}, {"soundoff", 1}, {"gamecursor", 1}},
                {}});
    struct Case
    {
        int select;
        float effects, music, master;
        bool systemCursor;
    };
    const Case cases[] = {
        {0, 0.3f, 0.7f, 1.0f, true},
        {1, 0.9f, 0.1f, 0.0f, false},
        {2, 0.5f, 0.5f, 1.0f, false},  // nothing stored: the read defaults
    };
    TPlayer player;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.select);
        player.SetCurrentUser(c.select);
        // A group's volume in force is the master's times the group's; an
        // unknown group reads the master alone.
        EXPECT_FLOAT_EQ(framework.GetGroupVolume(1000), c.effects * c.master);
        EXPECT_FLOAT_EQ(framework.GetGroupVolume(0), c.effects * c.master);
        EXPECT_FLOAT_EQ(framework.GetGroupVolume(1001), c.music * c.master);
        EXPECT_FLOAT_EQ(framework.GetGroupVolume(77), c.master);
        EXPECT_EQ(cursor->IsSystemCursor(), c.systemCursor);
    }

    // The first start applies the shared defaults: 800, 640, sound on, the
    // game's pointer with its trail.
    const auto own = FreshStore({}, {});
    cursor->SetSystemCursor(true);
    TPlayer first;
    EXPECT_EQ(first.GetNumUsers(), 0);
    EXPECT_FLOAT_EQ(framework.GetGroupVolume(1000), 0.8f);
    EXPECT_FLOAT_EQ(framework.GetGroupVolume(1001), 0.64f);
    EXPECT_FALSE(cursor->IsSystemCursor());
    DestroySingletons();
}

// A damaged file that lost players' names: a nameless slot is kept but not
// taken as the current player; with no named player left the game asks for
// a name.
TEST_F(PlayerTest, ANamelessSlotFromADamagedFileIsNotChosen)
{
    struct Case
    {
        const char* what;
        int current;
        std::vector<unsigned> lost;  // slots whose name chunk is damaged
        int chosen;
        bool nameLost;
    } const cases[] = {
        {"current player's name lost", 0, {0}, 1, false},
        {"another player's name lost", 0, {1}, 0, false},
        {"later current player's name lost", 2, {0, 2}, 1, false},
        {"every name lost", 1, {0, 1, 2}, -1, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto own = FreshStore({{"curuser", c.current}}, {{{"total_money", 10}}, {}, {}});
        std::string file = filetest::ReadAll(*own / "user/prefs.dat");
        for (unsigned slot : c.lost)
        {
            const size_t at = filetest::FindPrefsValueChunk(file, "playerkey", slot + 1, "name");
            ASSERT_NE(at, std::string::npos);
            file[at] = 'J';  // a chunk the reader does not know: passed over
        }
        filetest::WriteAll(*own / "user/prefs.dat", file);
        TPlayer player;
        EXPECT_EQ(player.GetNumUsers(), 3);
        EXPECT_EQ(player.GetCurrentUser(), c.chosen);
        EXPECT_EQ(player.IsPlayerNameLost(), c.nameLost);
        // The nameless slots stay, with what else they hold.
        EXPECT_STREQ(StoredText("name", c.lost.front()).CStr(), "<absent>");
        EXPECT_EQ(Stored("total_money", 0), 10);
        if (c.nameLost)
        {
            player.CreateNewUser("Newcomer");
            EXPECT_FALSE(player.IsPlayerNameLost());
        }
    }
}

TEST_F(PlayerTest, ACurrentUserBeyondTheStoredSlotsWritesNoGhostSlot)
{
    WriteStore({{"curuser", 5}}, {{}, {}});
    TPlayer player;
    EXPECT_EQ(player.GetCurrentUser(), -1);
    player.SetSoundLevel(100);
    player.SaveLevelState(FullSnapshot());
    EXPECT_EQ(player.GetNumUsers(), 2);
    EXPECT_EQ(Stored("soundlevel", -1), 100);
}

TEST_F(PlayerTest, DeletingAUserKeepsTheCurrentSlotOnTheSameProfile)
{
    const struct
    {
        const char* what;
        int current;
        int deleted;
        int curuserAfter;
        const char* currentNameAfter;  // "" when nobody is selected
        int usersAfter;
        bool snapshotKept;
    } cases[] = {
        {"below the current one", 2, 0, 1, "user2", 2, true},
        {"above the current one", 0, 2, 0, "user0", 2, true},
        {"the current one", 1, 1, -1, "", 2, false},
        {"the last current one", 2, 2, -1, "", 2, false},
        {"out of range", 1, 3, 1, "user1", 3, true},
        {"negative", 1, -1, 1, "user1", 3, true},
        {"with nobody selected", -1, 0, -1, "", 2, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto own = FreshStore({{"curuser", c.current}}, {{}, {}, {}});
        TPlayer player;
        player.SaveLevelState(FullSnapshot());
        player.DeleteUser(c.deleted);
        EXPECT_EQ(player.GetNumUsers(), c.usersAfter);
        EXPECT_EQ(player.GetCurrentUser(), c.curuserAfter);
        EXPECT_EQ(Stored("curuser", -1), c.curuserAfter);
        if (c.curuserAfter >= 0)
        {
            EXPECT_STREQ(player.GetUserName(c.curuserAfter).CStr(), c.currentNameAfter);
        }
        EXPECT_EQ(player.GetSavedLevel().valid, c.snapshotKept);
        if (!c.snapshotKept)
        {
            EXPECT_EQ(player.GetSavedLevel(), LevelSnapshot());
        }
    }
}

TEST_F(PlayerTest, NamesAndLookups)
{
    WriteStore({{"curuser", 0}}, {{}, {}});
    TPlayer player;
    player.SetUserName(1, "Zoë");
    EXPECT_TRUE(player.IsNameInUse("Zoë"));
    EXPECT_FALSE(player.IsNameInUse("zoë"));
    EXPECT_EQ(player.FindUser("Zoë"), 1);
    EXPECT_EQ(player.FindUser("user0"), 0);
    EXPECT_EQ(player.FindUser("nobody"), -1);
    EXPECT_STREQ(player.GetUserName(7).CStr(), "");
    // Naming a slot that does not exist makes no users.
    player.SetUserName(4, "ghost");
    player.SetUserName(-1, "ghost");
    EXPECT_EQ(player.GetNumUsers(), 2);
    EXPECT_FALSE(player.IsNameInUse("ghost"));
    EXPECT_EQ(TPrefs(false).GetUserCount(), 2);
}

TEST_F(PlayerTest, LevelResults)
{
    struct Case
    {
        const char* what;
        std::vector<KeyValue> before;
        int index;
        int result;
        int money;
        std::vector<KeyValue> after;  // kAbsent: not written
        int recordTotal;
    };
    // One case per paragraph: the store before, the call, the store after.
    // clang-format off
    const Case cases[] = {
        {"the next story level",
         {{"cnt_complete_level", 3}, {"total_money", 100}},
         3,
         2,
         50,
         {{"cnt_complete_level", 4}, {"3_state", 2}, {"3_money", 50}, {"total_money", 150}},
         150},
        {"a replay with more money",
         {{"cnt_complete_level", 4}, {"2_state", 0}, {"2_money", 40}, {"total_money", 150}},
         2,
         1,
         60,
         {{"cnt_complete_level", 4}, {"2_state", 1}, {"2_money", 60}, {"total_money", 170}},
         170},
        {"a replay with less money and result 1",
         {{"cnt_complete_level", 4}, {"2_state", 0}, {"2_money", 40}, {"total_money", 150}},
         2,
         1,
         30,
         {{"2_state", 1}, {"2_money", 40}, {"total_money", 150}},
         0},
        {"a replay with equal money and result 0",
         {{"cnt_complete_level", 4}, {"2_state", 2}, {"2_money", 40}, {"total_money", 150}},
         2,
         0,
         40,
         {{"2_state", 2}, {"2_money", 40}, {"total_money", 150}},
         0},
        {"above the count",
         {{"cnt_complete_level", 3}, {"total_money", 100}},
         7,
         2,
         50,
         {{"cnt_complete_level", 3},
          {"7_state", kAbsent},
          {"7_money", kAbsent},
          {"total_money", 100}},
         0},
        {"result -1",
         {{"cnt_complete_level", 3}, {"total_money", 100}},
         3,
         -1,
         50,
         {{"cnt_complete_level", 3}, {"3_state", kAbsent}, {"total_money", 100}},
         0},
        {"a sandbox level for the first time",
         {{"cnt_complete_sandbox_level", 0}, {"total_money", 100}},
         51,
         0,
         20,
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 0},
          {"51_money", 20},
          {"total_money", 120}},
         0},
        {"a sandbox level again, odd result after state 0",
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 0},
          {"51_money", 20},
          {"total_money", 120}},
         51,
         1,
         15,
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 1},
          {"51_money", 15},
          {"total_money", 115}},
         0},
        {"a sandbox level again, even result after state 0",
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 0},
          {"51_money", 20},
          {"total_money", 120}},
         51,
         2,
         99,
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 0},
          {"51_money", 20},
          {"total_money", 120}},
         0},
        {"a sandbox level again after state 1",
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 1},
          {"51_money", 20},
          {"total_money", 120}},
         51,
         3,
         99,
         {{"51_state", 1}, {"51_money", 20}, {"total_money", 120}},
         0},
        {"a sandbox level again after state 2",
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 2},
          {"51_money", 20},
          {"total_money", 120}},
         51,
         0,
         5,
         {{"cnt_complete_sandbox_level", 1},
          {"51_state", 0},
          {"51_money", 5},
          {"total_money", 105}},
         0},
        {"a defender level for the first time fills in the total",
         {{"cnt_complete_defender_level", 2}, {"total_money", 100}},
         56,
         0,
         30,
         {{"cnt_complete_defender_level", 3},
          {"56_state", 0},
          {"56_money", 30},
          {"total_money", 130},
          {"cnt_complete_sandbox_level", kAbsent}},
         130},
        {"the first defender level counts as defender",
         {{"total_money", 0}},
         55,
         1,
         10,
         {{"cnt_complete_defender_level", 1}, {"cnt_complete_sandbox_level", kAbsent}},
         10},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto own = FreshStore({{"curuser", 0}}, {c.before});
        TPlayer player;
        SCompleteLevel record{c.index, c.result, 11, c.money, 0, 22, 33};
        player.SetLevelResult(c.index, record);
        for (const KeyValue& kv : c.after)
        {
            SCOPED_TRACE(kv.key);
            EXPECT_EQ(Stored(kv.key, 0), kv.value);
        }
        EXPECT_EQ(Stored("last_played_level", 0), c.index + 1);
        SCompleteLevel expected = record;
        expected.totalMoney = c.recordTotal;
        EXPECT_EQ(player.GetLastResult(), expected);
    }
}

TEST_F(PlayerTest, ModeFromTheLastPlayedLevel)
{
    const std::pair<int, int> cases[] = {{0, 0},  {50, 0}, {51, 1}, {55, 1},
                                         {56, 2}, {60, 2}, {61, 0}, {-3, 0}};
    for (const auto& [last, mode] : cases)
    {
        SCOPED_TRACE(last);
        const auto own = FreshStore({{"curuser", 0}}, {{{"last_played_level", last}}});
        TPlayer player;
        EXPECT_EQ(player.GetMode(), mode);
        EXPECT_EQ(player.GetLevelToPlay(), 1);
    }

    // The first sandbox and the first defender level, recorded and read back
    // at the next start.
    for (const auto& [index, mode] : {std::pair{50, 1}, std::pair{55, 2}, std::pair{49, 0}})
    {
        SCOPED_TRACE(index);
        const auto own = FreshStore({{"curuser", 0}}, {{{"cnt_complete_level", 49}}});
        {
            TPlayer player;
            player.SetLevelResult(index, SCompleteLevel{index, 0, 0, 10, 0, 0, 0});
        }
        TPlayer player;
        EXPECT_EQ(player.GetMode(), mode);
    }
}

TEST_F(PlayerTest, ComicsAndMapEffectCounters)
{
    const struct
    {
        int completed, seen, due;
    } dues[] = {{0, 0, 1},  {10, 1, 2}, {10, 2, -1}, {10, 0, -1},
                {9, 0, -1}, {20, 2, 3}, {25, 2, -1}};
    for (const auto& d : dues)
    {
        SCOPED_TRACE(testing::Message() << d.completed << " completed, " << d.seen << " seen");
        const auto own = FreshStore(
            {{"curuser", 0}}, {{{"cnt_complete_level", d.completed}, {"look_comics", d.seen}}});
        TPlayer player;
        EXPECT_EQ(player.GetComicDue(), d.due);
    }

    WriteStore({{"curuser", 0}}, {{{"look_comics", 2}, {"look_map_effect", 4}}});
    TPlayer player;
    player.NoteComicsSeen(3);
    player.NoteMapEffectSeen(5);
    EXPECT_EQ(player.GetComicsSeen(), 2);
    EXPECT_EQ(player.GetMapEffectSeen(), 4);
    player.NoteComicsSeen(2);
    player.NoteMapEffectSeen(4);
    EXPECT_EQ(player.GetComicsSeen(), 3);
    EXPECT_EQ(player.GetMapEffectSeen(), 5);
    EXPECT_EQ(Stored("look_comics", 0), 3);
    EXPECT_EQ(Stored("look_map_effect", 0), 5);
    EXPECT_EQ(player.GetLevelState(4).level, 4);
    EXPECT_EQ(player.GetLevelState(4).state, -1);
}

TEST_F(PlayerTest, TheSavedLevelRoundTrips)
{
    WriteStore({{"curuser", 0}}, {{}});
    const LevelSnapshot saved = FullSnapshot();
    {
        TPlayer player;
        player.SaveLevelState(saved);
        EXPECT_EQ(player.GetSavedLevel(), saved);
    }
    EXPECT_STREQ(StoredText("save_level_slot_info", 0).CStr(), "3,1,0,#7,0,1,#");
    EXPECT_STREQ(StoredText("save_level_monster_info", 0).CStr(),
                 "5000,30000,2,0,100,100,20,4321,#9000,-1,1,1,2,3,4,5,#");
    EXPECT_STREQ(StoredText("save_level_attr_task_info", 0).CStr(), "");
    EXPECT_STREQ(StoredText("save_level_monster_kill", 0).CStr(), "2,0,5,#");
    EXPECT_EQ(Stored("last_played_level", 0), 12);
    EXPECT_EQ(Stored("is_save_level", 0), 1);

    TPlayer player;  // selecting the stored user reads the saved level
    EXPECT_EQ(player.GetSavedLevel(), saved);

    // No kills store "#" and read back as none.
    LevelSnapshot noKills = saved;
    noKills.monsterKills.clear();
    player.SaveLevelState(noKills);
    EXPECT_STREQ(StoredText("save_level_monster_kill", 0).CStr(), "#");
    player.LoadLevelState();
    EXPECT_EQ(player.GetSavedLevel(), noKills);
}

TEST_F(PlayerTest, StoredSavedLevelsFromElsewhereRead)
{
    WriteStore({{"curuser", 0}}, {{{"is_save_level", 1}}});
    {
        TPrefs prefs(true);
        // Seven values per monster, as earlier files hold them; a short
        // slot group; surplus values; no kill list at all.
        prefs.SetValue("save_level_monster_info", "1,2,3,4,5,6,7,#8,9,#", 0);
        prefs.SetValue("save_level_slot_info", "4,#5,1,1,9,#", 0);
        ASSERT_TRUE(prefs.Save());
    }
    TPlayer player;
    const LevelSnapshot& s = player.GetSavedLevel();
    ASSERT_TRUE(s.valid);
    ASSERT_EQ(s.monsters.size(), 2u);
    EXPECT_EQ(s.monsters[0], (LevelSnapshot::Monster{1, 2, 3, 4, 5, 6, 7, 5000}));
    EXPECT_EQ(s.monsters[1], (LevelSnapshot::Monster{8, 9, 0, 0, 0, 0, 0, 5000}));
    ASSERT_EQ(s.slots.size(), 2u);
    EXPECT_EQ(s.slots[0], (LevelSnapshot::Slot{4, false, false}));
    EXPECT_EQ(s.slots[1], (LevelSnapshot::Slot{5, true, true}));
    // Missing scalars read 1, missing lists none.
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.levelTime, 1);
    EXPECT_EQ(s.goodsSold, 1);
    EXPECT_EQ(s.slotsBought, 1);
    EXPECT_TRUE(s.gameObjects.empty());
    EXPECT_TRUE(s.monsterKills.empty());
}

TEST_F(PlayerTest, AnInvalidSnapshotMarksTheSavedLevelGone)
{
    WriteStore({{"curuser", 0}}, {{}});
    TPlayer player;
    player.SaveLevelState(FullSnapshot());
    LevelSnapshot invalid;
    invalid.level = 30;
    invalid.money = 999;
    player.SaveLevelState(invalid);
    EXPECT_EQ(Stored("is_save_level", 0), 0);
    EXPECT_EQ(Stored("last_played_level", 0), 30);
    EXPECT_EQ(Stored("save_level_num", 0), 12);  // the earlier lists stay...
    EXPECT_STREQ(StoredText("save_level_monster_kill", 0).CStr(), "2,0,5,#");
    player.LoadLevelState();  // ...and are not read
    EXPECT_FALSE(player.GetSavedLevel().valid);
    EXPECT_EQ(player.GetSavedLevel().money, 999);

    player.SaveLevelState(FullSnapshot());
    player.ForgetSavedLevel();
    EXPECT_FALSE(player.GetSavedLevel().valid);
    EXPECT_EQ(Stored("is_save_level", 0), 0);
}

TEST_F(PlayerTest, ASavedLevelStoredForACancelledCloseIsPutBack)
{
    LevelSnapshot running = FullSnapshot();
    running.level = 20;
    running.monsterKills = {9};
    struct Case
    {
        const char* what;
        bool earlier;  // a saved level was stored before the question
    };
    for (const Case& c :
         {Case{"over an earlier saved level", true}, Case{"with none before", false}})
    {
        SCOPED_TRACE(c.what);
        const auto own = FreshStore({{"curuser", 0}}, {{}});
        {
            TPlayer player;
            if (c.earlier) player.SaveLevelState(FullSnapshot());
            const LevelSnapshot heldBefore = player.GetSavedLevel();
            const TPlayer::TKeptSavedLevel kept = player.KeepSavedLevel();
            player.SaveLevelState(running);  // the close request stores the level
            ASSERT_EQ(player.GetSavedLevel(), running);
            player.PutBackSavedLevel(kept);  // "No"
            EXPECT_EQ(player.GetSavedLevel(), heldBefore);
        }
        EXPECT_EQ(Stored("last_played_level", 0), c.earlier ? 12 : kAbsent);
        EXPECT_EQ(Stored("is_save_level", 0), c.earlier ? 1 : kAbsent);
        EXPECT_EQ(Stored("save_level_num", 0), c.earlier ? 12 : kAbsent);
        EXPECT_STREQ(StoredText("save_level_monster_kill", 0).CStr(),
                     c.earlier ? "2,0,5,#" : "<absent>");
        TPlayer again;
        EXPECT_EQ(again.GetSavedLevel().valid, c.earlier);
        if (c.earlier)
        {
            EXPECT_EQ(again.GetSavedLevel(), FullSnapshot());
        }
    }

    // Kept for another user: nothing is put back into the one now current.
    WriteStore({{"curuser", 0}}, {{}, {}});
    TPlayer player;
    const TPlayer::TKeptSavedLevel kept = player.KeepSavedLevel();
    player.SetCurrentUser(1);
    player.SaveLevelState(running);
    player.PutBackSavedLevel(kept);
    EXPECT_EQ(Stored("save_level_num", 1), 20);
    EXPECT_EQ(Stored("save_level_num", 0), kAbsent);
}

int gSaveAttempts = 0;
bool CountAndAbandon(const char*)
{
    ++gSaveAttempts;
    return false;
}

TEST_F(PlayerTest, ASaveAbandonedHalfWayKeepsTheEarlierSavedLevel)
{
    WriteStore({{"curuser", 0}}, {{}});
    const LevelSnapshot first = FullSnapshot();
    LevelSnapshot second = first;
    second.level = 13;
    second.slots.push_back({9, false, false});
    second.monsterKills = {1};
    {
        TPlayer player;
        player.SaveLevelState(first);
        const std::string before = File();
        gSaveAttempts = 0;
        TPrefs::SetSaveHookForTest(&CountAndAbandon);
        player.SaveLevelState(second);
        // One save for all keys: no moment at which the file held some of
        // the new keys over the old ones.
        EXPECT_EQ(gSaveAttempts, 1);
        EXPECT_EQ(File(), before);
        player.ClosePlayerData();  // its save is abandoned as well
        TPrefs::SetSaveHookForTest(nullptr);
    }
    TPlayer player;
    EXPECT_EQ(player.GetSavedLevel(), first);
}

TEST_F(PlayerTest, AClosedStoreReadsDefaultsAndWritesNothing)
{
    WriteStore({{"curuser", 0}}, {{{"soundlevel", 300}, {"cnt_complete_level", 10}}});
    TPlayer player;
    player.ClosePlayerData();
    const std::string before = File();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(player.GetNumUsers(), 0);
    EXPECT_EQ(player.GetSoundLevel(), 500);
    EXPECT_EQ(player.GetCompletedStory(), 0);
    player.SetSoundLevel(10);
    player.CreateNewUser("late");
    player.SetCurrentUser(0);
    player.DeleteUser(0);
    player.SetLevelResult(0, SCompleteLevel{0, 1, 0, 5, 0, 0, 0});
    player.SaveLevelState(FullSnapshot());
    player.ForgetSavedLevel();
    player.ClosePlayerData();
    EXPECT_EQ(File(), before);
}

TEST_F(PlayerTest, TheScreenStack)
{
    TPlayer player;
    auto a = std::make_unique<TWindow>();
    auto b = std::make_unique<TWindow>();
    auto c = std::make_unique<TWindow>();
    a->SetName("map");
    b->SetName("comics");
    c->SetName("map");
    EXPECT_EQ(player.TopScreen(), nullptr);
    player.PushScreen(a.get());
    player.PushScreen(b.get());
    player.PushScreen(c.get());
    player.PushScreen(nullptr);
    EXPECT_EQ(player.TopScreen(), c.get());
    player.RemoveScreen("map");  // the first of that name
    EXPECT_EQ(player.TopScreen(), c.get());
    player.RemoveScreen("map");
    EXPECT_EQ(player.TopScreen(), b.get());
    player.RemoveScreen("none");
    player.PushScreen(c.get());
    // A screen destroyed without leaving the stack is never handed out.
    c.reset();
    EXPECT_EQ(player.TopScreen(), b.get());
    player.RemoveScreen("comics");
    EXPECT_EQ(player.TopScreen(), nullptr);
}

TEST_F(PlayerTest, HandOverValues)
{
    TPlayer player;
    EXPECT_EQ(player.GetComicsNumber(), -1);
    EXPECT_FALSE(player.HoldsClock());
    EXPECT_EQ(player.GetHeldClock(), nullptr);
    EXPECT_FALSE(player.GetHelpPause());
    EXPECT_TRUE(player.GetReturnScript().IsEmpty());
    TClock clock;
    player.SetHeldClock(&clock);
    EXPECT_TRUE(player.HoldsClock());
    EXPECT_EQ(player.GetHeldClock(), &clock);
    player.SetHeldClock(nullptr);
    EXPECT_FALSE(player.HoldsClock());
}

TEST_F(PlayerTest, ScriptFunctions)
{
    TWindowManager wm;
    wm.CreateWindowScript();
    auto* script = dynamic_cast<TScript*>(wm.GetScript());
    ASSERT_NE(script, nullptr);
    auto player = std::make_unique<TPlayer>();
    auto run = [&](const char* text) { EXPECT_EQ(script->DoLuaString(text), 0) << text; };
    run("n0 = GetNumUsers(); CreateNewUser('Ann'); CreateNewUser(42); n2 = GetNumUsers()");
    run("used = IsNameInUse('Ann'); unused = IsNameInUse('Bob'); SetCurrentUser(1.9)");
    EXPECT_EQ(script->GetGlobalNumber("n0"), 0);
    EXPECT_EQ(script->GetGlobalNumber("n2"), 2);
    EXPECT_STREQ(player->GetUserName(1).CStr(), "42");
    EXPECT_EQ(player->GetCurrentUser(), 1);
    run("assert(used == true and unused == false)");
    player->SaveLevelState(FullSnapshot());
    run("NoNeededLoad()");
    EXPECT_FALSE(player->GetSavedLevel().valid);
    EXPECT_EQ(Stored("is_save_level", 1), 0);

    // After the profile is gone the functions do nothing rather than reach
    // freed memory.
    player.reset();
    run("CreateNewUser('ghost'); SetCurrentUser(0)");
    EXPECT_EQ(TPrefs(false).GetUserCount(), 2);
}

}  // namespace
