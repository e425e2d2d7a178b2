// Building the asset index: the folder scan, the exclusion list file and the
// start-up order of BuildAssetIndex.
#include <gtest/gtest.h>

#include <string>

#include "FileTestSupport.h"
#include "core/FileNames.h"

using namespace filetest;

namespace
{
std::string Value(const char* key)
{
    auto it = GetFileNameIndex().find(key);
    return it == GetFileNameIndex().end() ? std::string("<none>")
                                          : std::string(it->second.text.CStr());
}
}  // namespace

TEST(AssetIndex, ScanLowerCasesKeysButKeepsPaths)
{
    TempTree tree;
    tree.Write("assets/Images/Menu/Back.PNG", "b");
    tree.Write("assets/top.lua", "t");
    tree.Write("assets/.svn/entries", "svn");
    tree.Write("assets/Images/.SVN/x", "svn");
    tree.Write("assets/odd:name.png", "colon");
    tree.Write("assets/dir:x/inner.png", "colon");
    tree.Write("home/user/Prefs.dat", "p");
    tree.Write("home/user/Saves/Slot1.sav", "s");
    ScanAssetFolder("assets", "");
    ScanAssetFolder((tree / "home/user").c_str(), "user:");

    struct Case
    {
        const char* key;
        std::string path;
    } const cases[] = {
        {"images/menu/back.png", "assets/Images/Menu/Back.PNG"},
        {"top.lua", "assets/top.lua"},
        {"user:prefs.dat", (tree / "home/user/Prefs.dat").string()},
        {"user:saves/slot1.sav", (tree / "home/user/Saves/Slot1.sav").string()},
        {".svn/entries", "<none>"},
        {"images/.svn/x", "<none>"},
        {"odd:name.png", "<none>"},
        {"dir:x/inner.png", "<none>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.path, Value(c.key));
    }
    EXPECT_EQ(4u, GetFileNameIndex().size());
    // The on-disk case survives into opening through the index.
    EXPECT_TRUE(FileExists("user:PREFS.DAT"));
    TFileHandle h;
    EXPECT_TRUE(h.Open("user:prefs.dat", kFileReadBinary));
}

TEST(AssetIndex, ScanDoesNotFollowFolderLinks)
{
    TempTree tree;
    tree.Write("assets/a/file.txt", "f");
    tree.Write("outside/secret.txt", "s");
    fs::create_directory_symlink(tree / "assets", tree / "assets/a/loop");
    fs::create_directory_symlink(tree / "outside", tree / "assets/out");
    fs::create_symlink(tree / "outside/secret.txt", tree / "assets/linked.txt");
    ScanAssetFolder("assets", "");
    EXPECT_EQ("assets/a/file.txt", Value("a/file.txt"));
    EXPECT_EQ("<none>", Value("out/secret.txt"));
    EXPECT_EQ("<none>", Value("a/loop/a/file.txt"));
    // A link to a file is a file.
    EXPECT_EQ("assets/linked.txt", Value("linked.txt"));
    EXPECT_EQ(2u, GetFileNameIndex().size());
}

TEST(AssetIndex, ListFileTokensBuildTheExclusionSet)
{
    TempTree tree;
    struct Case
    {
        const char* text;
        bool add;
        bool cleared;
        std::set<std::string> after;
    } const cases[] = {
        {"a.png\tB.PNG\r\nc/d.ogg  ", true, false, {"a.png", "b.png", "c/d.ogg"}},
        {"b.png", false, false, {"a.png", "c/d.ogg"}},
        {"x -* y", true, true, {"y"}},
        {"-*", false, true, {}},
        {"\n\n \t", true, false, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.cleared, ReadAssetListFile(c.text, c.add));
        std::set<std::string> now;
        for (const TString& name : GetExcludedNames()) now.insert(name.CStr());
        EXPECT_EQ(c.after, now);
    }
    ReadAssetListFile("q.png", true);
    EXPECT_FALSE(IsNameAllowed("q.png"));
    EXPECT_TRUE(IsNameAllowed("Q.PNG2"));
}

TEST(AssetIndex, ExcludedFoldersAreNotEntered)
{
    TempTree tree;
    tree.Write("assets/levels/one.xml", "1");
    tree.Write("assets/levels/two.xml", "2");
    tree.Write("assets/debug/tool.lua", "d");
    tree.Write("assets/debug.lua", "d");
    ReadAssetListFile("debug levels/two.xml", true);
    ScanAssetFolder("assets", "");
    EXPECT_EQ("assets/levels/one.xml", Value("levels/one.xml"));
    EXPECT_EQ("<none>", Value("levels/two.xml"));
    EXPECT_EQ("<none>", Value("debug/tool.lua"));
    EXPECT_EQ("assets/debug.lua", Value("debug.lua"));
}

TEST(AssetIndex, BuildReadsTheListFileThenScansTheFolders)
{
    TempTree tree;
    tree.Write("final.txt", "hidden.png");
    tree.Write("firstpeek.txt", "peek.png");
    tree.Write("assets/hidden.png", "h");
    tree.Write("assets/peek.png", "p");
    tree.Write("assets/__systemcursor__.png", "file");
    tree.Write("home/user/u.txt", "u");
    tree.Write("home/common/c.txt", "c");
    SetUserDataFolder((tree / "home/user").c_str());
    SetCommonDataFolder((tree / "home/common").c_str());

    static const char cursor[] = "builtin";
    int calls = 0;
    BuildAssetIndex(
        [&]
        {
            ++calls;
            if (!FileExists("__systemcursor__.png"))
                RegisterMemoryFileByName("__systemcursor__.png", cursor, sizeof cursor);
        });
    EXPECT_EQ(1, calls);
    EXPECT_FALSE(FileExists("hidden.png"));
    EXPECT_TRUE(FileExists("peek.png"));
    EXPECT_TRUE(FileExists("user:u.txt"));
    EXPECT_EQ((tree / "home/common/c.txt").string(), Value("common:c.txt"));
    // The scan replaces the built-in picture with the file of that name.
    EXPECT_EQ(TFileKind::kDisk, ResolveFileNameTagged("__systemcursor__.png", true).kind);

    ClearAssetIndex();
    SetFirstPeekMode(true);
    SetSetting("activex", "1");
    BuildAssetIndex();
    EXPECT_TRUE(FileExists("hidden.png"));
    EXPECT_FALSE(FileExists("peek.png"));
    EXPECT_EQ("<none>", Value("user:u.txt"));
    // The prefix still resolves without the scan.
    EXPECT_TRUE(FileExists("user:u.txt"));
}

TEST(AssetIndex, OversizedListFileIsIgnored)
{
    TempTree tree;
    std::string big = "big.png ";
    big.resize(100000, ' ');
    tree.Write("final.txt", big);
    tree.Write("assets/big.png", "b");
    BuildAssetIndex();
    EXPECT_TRUE(FileExists("big.png"));
    big.resize(99999);
    tree.Write("final.txt", big);
    ClearAssetIndex();
    BuildAssetIndex();
    EXPECT_FALSE(FileExists("big.png"));
}

TEST(AssetIndex, EntryNamesThatCouldShadowOrEscapeAreUnsafe)
{
    struct Case
    {
        std::string name;
        bool safe;
    } const cases[] = {
        {"images/x.png", true},
        {"a..b/c", true},
        {"..hidden", true},
        {"", false},
        {"user:prefs.dat", false},
        {"/etc/passwd", false},
        {"\\abs", false},
        {"a/../b", false},
        {"..", false},
        {"a\\..\\b", false},
        {"a/..", false},
        {std::string("a\0b", 3), false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.safe, IsSafeEntryName(c.name.data(), c.name.size()));
    }
}

TEST(AssetIndex, HashedLookupFollowsEveryChangeOfTheIndex)
{
    TFileNameIndex index;
    TString key("images/x.png");
    index[key].text = "first";
    // The caller's string may change afterwards; the index keeps its own key.
    key.WriteAt(0, "I", 1, false);
    key.ToLower();
    ASSERT_NE(index.find("images/x.png"), index.end());
    EXPECT_EQ(index.find("Images/x.png"), index.end());
    EXPECT_STREQ("first", index.find("images/x.png")->second.text.CStr());

    index["images/x.png"].text = "second";  // replaces, does not add
    index["a.png"].text = "a";
    EXPECT_EQ(2u, index.size());
    EXPECT_STREQ("second", index.find(TString("images/x.png"))->second.text.CStr());
    EXPECT_STREQ("a.png", index.lower_bound("a")->first.CStr());

    EXPECT_EQ(1u, index.erase(TString("images/x.png")));
    EXPECT_EQ(0u, index.erase(TString("images/x.png")));
    EXPECT_EQ(index.find("images/x.png"), index.end());
    index.erase(index.find("a.png"));
    EXPECT_EQ(index.find("a.png"), index.end());
    EXPECT_TRUE(index.empty());

    index["b.png"].text = "b";
    index.clear();
    EXPECT_EQ(index.find("b.png"), index.end());
    index["b.png"].text = "again";
    EXPECT_STREQ("again", index.find("b.png")->second.text.CStr());
}
