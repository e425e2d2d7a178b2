// TLog: the three game folders under the per-user data folder, where
// "user:", "common:" and "desktop:" then resolve; the fallback to the
// framework's folders when that folder is unknown or cannot be made.
#include "game/app/Log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "core/FileNames.h"
#include "core/FileTestSupport.h"
#include "core/Folders.h"
#include "core/Prefs.h"
#include "core/Settings.h"

namespace
{

namespace fs = std::filesystem;

class LogTest : public ::testing::Test
{
protected:
    LogTest()
    {
        setenv("HOME", (tree / "home").c_str(), 1);
        setenv("XDG_DATA_HOME", (tree / "xdg").c_str(), 1);
        SetSetting("publisher", "Hollvane-Plomet");
        SetSetting("gamename", "Orvelle");
        // The framework's own choice before the game's log object exists.
        SetUserDataFolder((tree / "framework").c_str());
        SetCommonDataFolder((tree / "framework").c_str());
        SetDesktopFolder((tree / "desk").c_str());
    }

    filetest::SavedEnvironment saved_{"HOME", "XDG_DATA_HOME"};
    filetest::TempTree tree;
};

TEST_F(LogTest, TheThreeFoldersLiveUnderTheGamesPerUserFolder)
{
    const fs::path base = tree / "xdg/Hollvane-Plomet/Orvelle";
    TLog log;
    EXPECT_EQ(log.GetBaseFolder().CStr(), base.string());
    const struct
    {
        const char* prefix;
        const char* folder;
    } rows[] = {{"user:", "users"}, {"common:", "common"}, {"desktop:", "desktop"}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.prefix);
        EXPECT_TRUE(fs::is_directory(base / row.folder));
        const TString name = TString(row.prefix) + "a.txt";
        EXPECT_EQ(ResolveFileName(name, false).CStr(), (base / row.folder / "a.txt").string());
    }

    // The profile's store now lands there, not in the working directory.
    SetSetting("encryptionkey", "logkey");
    {
        TPrefs prefs(true);
        prefs.SetValue("k", "v");
        ASSERT_TRUE(prefs.Save());
    }
    EXPECT_TRUE(fs::exists(base / "users/prefs.dat"));
    EXPECT_FALSE(fs::exists(tree / "framework/prefs.dat"));
    EXPECT_FALSE(fs::exists(tree / "users"));

    log.Write("\tres_init GAME_LOGIC_SCREEN");  // discarded
    EXPECT_EQ(tree.Log().find("res_init"), std::string::npos);
}

TEST_F(LogTest, WithoutAUsableFolderTheFrameworksFoldersStay)
{
    const struct
    {
        const char* what;
        void (*prepare)(const filetest::TempTree& tree);
    } cases[] = {
        {"a game name the folder cannot take",
         [](const filetest::TempTree&) { SetSetting("gamename", ".."); }},
        {"the data folder is a file", [](const filetest::TempTree& tree)
         { tree.Write("xdg/Hollvane-Plomet/Orvelle/users", "a file, not a folder"); }},
        {"no game name", [](const filetest::TempTree&) { SetSetting("gamename", ""); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        SetUserDataFolder((tree / "framework").c_str());
        SetCommonDataFolder((tree / "framework").c_str());
        SetDesktopFolder((tree / "desk").c_str());
        c.prepare(tree);
        const std::string logBefore = tree.Log();
        TLog log;
        EXPECT_TRUE(log.GetBaseFolder().IsEmpty());
        EXPECT_EQ(GetUserDataFolder().CStr(), (tree / "framework").string());
        EXPECT_EQ(GetCommonDataFolder().CStr(), (tree / "framework").string());
        EXPECT_EQ(GetDesktopFolder().CStr(), (tree / "desk").string());
        const std::string added = tree.Log().substr(logBefore.size());
        EXPECT_NE(added.find("TLog:"), std::string::npos) << added;
        SetSetting("gamename", "Orvelle");
    }
}

}  // namespace
