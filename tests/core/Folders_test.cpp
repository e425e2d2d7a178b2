// Data folders from the XDG variables, "-wd=", the folder iterator, full
// paths, the OS version rules and the hex formatter.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>
#include <string>

#include "FileTestSupport.h"
#include "core/Folders.h"

using namespace filetest;

namespace
{
// Points HOME, XDG_DATA_HOME and XDG_DESKTOP_DIR into the test's tree.
class FoldersTest : public ::testing::Test
{
protected:
    FoldersTest()
    {
        setenv("HOME", (tree_ / "home").c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_DESKTOP_DIR");
    }

    SavedEnvironment saved_{"HOME", "XDG_DATA_HOME", "XDG_DESKTOP_DIR"};
    TempTree tree_;
};
}  // namespace

TEST_F(FoldersTest, AppDataFolderFollowsXdgAndThePublisher)
{
    std::string home = (tree_ / "home").string();
    struct Case
    {
        const char* xdg;  // null = unset
        const char* publisher;
        bool shared;
        std::string expected;
    } const cases[] = {
        {nullptr, nullptr, false, home + "/.local/share/Corvantis/Game/"},
        {"", nullptr, false, home + "/.local/share/Corvantis/Game/"},
        {"relative/dir", nullptr, false, home + "/.local/share/Corvantis/Game/"},
        {nullptr, "Acme", false, home + "/.local/share/Acme/Game/"},
        {nullptr, "Acme", true, home + "/.local/share/Acme/common/"},
        {nullptr, "", false, home + "/.local/share/Game/"},
        {nullptr, "..", false, ""},
        {"XDG", "Ac/me", false, (tree_ / "xdg").string() + "/Ac_me/Game/"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " +
                     (c.publisher ? c.publisher : "-"));
        ClearSettings();
        if (c.publisher != nullptr) SetSetting("publisher", c.publisher);
        if (c.xdg == nullptr)
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", std::string(c.xdg) == "XDG" ? (tree_ / "xdg").c_str() : c.xdg,
                   1);
        TString out;
        EXPECT_EQ(c.expected.empty() ? -1 : 0, GetAppDataFolder(c.shared, out, "Game"));
        EXPECT_EQ(c.expected, out.CStr());
        if (!c.expected.empty())
        {
            EXPECT_TRUE(fs::is_directory(out.CStr()));
        }
    }
    TString untouched("keep");
    EXPECT_EQ(-1, GetAppDataFolder(false, untouched, ".."));
    EXPECT_EQ(-1, GetAppDataFolder(false, untouched, ""));
    EXPECT_EQ(TString("keep"), untouched);
    EXPECT_FALSE(GetDataFolder(5, untouched, "Game"));
}

TEST_F(FoldersTest, SetDataFoldersFillsAllThreeAndAppliesWorkingFolder)
{
    setenv("XDG_DESKTOP_DIR", (tree_ / "desk").c_str(), 1);
    fs::create_directories(tree_ / "work dir");
    SetProgramFolder((tree_ / "prog/").c_str());
    SetDataFolders("Game", TString("game.exe -wd=\"") + (tree_ / "work dir").c_str() + "\" -x",
                   false);
    std::string share = (tree_ / "home/.local/share/Corvantis").string();
    EXPECT_EQ(share + "/Game", GetUserDataFolder().CStr());
    EXPECT_EQ(share + "/common", GetCommonDataFolder().CStr());
    EXPECT_EQ((tree_ / "desk").string(), GetDesktopFolder().CStr());
    EXPECT_EQ((tree_ / "work dir").string(), GetCurrentDirectoryUtf8().CStr());
    EXPECT_NE(std::string::npos,
              tree_.Log().find("Switching current directory to: " + (tree_ / "work dir").string()));

    SetDataFolders("Game", TString("-wd=") + tree_.Root().c_str() + " more", true);
    EXPECT_EQ((tree_ / "prog").string(), GetUserDataFolder().CStr());
    EXPECT_EQ((tree_ / "prog").string(), GetCommonDataFolder().CStr());
    EXPECT_EQ((tree_ / "prog").string(), GetDesktopFolder().CStr());
    EXPECT_EQ(tree_.Root().string(), GetCurrentDirectoryUtf8().CStr());

    // Without a usable home (a relative HOME is ignored; the password
    // database may still know one) the per-user folder keeps the program
    // folder and the others follow it.
    setenv("HOME", "relative", 1);
    setenv("XDG_DATA_HOME", "also/relative", 1);
    SetDataFolders("..", "", false);
    EXPECT_EQ((tree_ / "prog").string(), GetUserDataFolder().CStr());
    EXPECT_EQ((tree_ / "prog").string(), GetCommonDataFolder().CStr());
}

TEST_F(FoldersTest, FolderIteratorSkipsFoldersUnlessAsked)
{
    tree_.Write("list/a.txt", "");
    tree_.Write("list/sub/b.txt", "");
    fs::create_directory_symlink(tree_ / "list/sub", tree_ / "list/link");
    TFolderIterator it;
    TString name;
    std::set<std::string> files;
    it.Begin((tree_ / "list").c_str());
    while (it.Next(name)) files.insert(name.CStr());
    EXPECT_EQ((std::set<std::string>{"a.txt"}), files);
    EXPECT_FALSE(it.IsOpen());

    std::set<std::string> all;
    bool isFolder = false;
    bool isLink = false;
    it.Begin((tree_ / "list/").c_str());
    while (it.Next(name, &isFolder, &isLink))
        all.insert(std::string(name.CStr()) + (isFolder ? "/" : "") + (isLink ? "@" : ""));
    EXPECT_EQ((std::set<std::string>{"a.txt", "sub/", "link/@"}), all);

    it.Begin("");
    EXPECT_FALSE(it.Next(name));
    it.Begin((tree_ / "missing").c_str());
    EXPECT_FALSE(it.Next(name));
}

TEST(Folders, FullPathsFoldDotsLexically)
{
    EXPECT_EQ(std::string("/a/c"), GetFullPathUtf8("/a/b/../c").CStr());
    EXPECT_EQ(std::string("/a/b/"), GetFullPathUtf8("/a/./b//").CStr());
    EXPECT_EQ(std::string("/"), GetFullPathUtf8("/../..").CStr());
    EXPECT_EQ(GetCurrentDirectoryUtf8() + "/x", GetFullPathUtf8("x"));
    EXPECT_EQ(0, GetFullPathUtf8("").Length());
}

TEST(Folders, VersionRules)
{
    struct Case
    {
        int major, minor;
        bool xp, vista, seven;
    } const cases[] = {
        {5, 0, false, false, false}, {5, 1, true, false, false}, {6, 0, true, true, false},
        {6, 1, true, true, true},    {10, 0, true, true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        EXPECT_EQ(c.xp, VersionIsXPOrLater(c.major, c.minor));
        EXPECT_EQ(c.vista, VersionIsVistaOrLater(c.major, c.minor));
        EXPECT_EQ(c.seven, VersionIs7OrLater(c.major, c.minor));
    }
    EXPECT_TRUE(IsWindows7OrLater());
}

TEST(Folders, BytesToHex)
{
    const unsigned char bytes[] = {0x0A, 0xFF, 0x00, 0x9c};
    EXPECT_EQ(std::string("0AFF"), BytesToHex(bytes, 2).CStr());
    EXPECT_EQ(std::string("0AFF009C"), BytesToHex(bytes, 4).CStr());
    EXPECT_EQ(0, BytesToHex(bytes, 0).Length());
    EXPECT_EQ(0, BytesToHex(bytes, -3).Length());
    char shortPath[8] = "/a/b/c";
    ToShortPath(shortPath, sizeof shortPath);
    EXPECT_STREQ("/a/b/c", shortPath);
}
