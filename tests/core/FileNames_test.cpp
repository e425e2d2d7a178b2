// The logical-name resolver and the operations over logical names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "core/Collation.h"
#include "core/FileHandle.h"
#include "core/FileNames.h"

using namespace filetest;

namespace
{
class FileNames : public ::testing::Test
{
protected:
    FileNames()
    {
        fs::create_directories(tree_ / "home/user");
        fs::create_directories(tree_ / "home/common");
        SetUserDataFolder((tree_ / "home/user").c_str());
        SetCommonDataFolder((tree_ / "home/common").c_str());
        SetDesktopFolder((tree_ / "home/desk").c_str());
    }
    std::string User(const std::string& rel) const { return (tree_ / "home/user" / rel).string(); }

    TempTree tree_;
};

std::vector<std::string> Enumerate(const char* folder, bool recursive)
{
    std::vector<std::string> out;
    TString name;
    while (FindNextAssetName(folder, name, recursive)) out.push_back(name.CStr());
    return out;
}
}  // namespace

TEST_F(FileNames, PlainNamesResolveThroughTheIndexIgnoringCase)
{
    tree_.Write("assets/Images/Back.PNG", "png");
    ScanAssetFolder("assets", "");
    struct Case
    {
        const char* name;
        const char* expected;
    } const cases[] = {
        {"Images/Back.PNG", "assets/Images/Back.PNG"},
        {"images/back.png", "assets/Images/Back.PNG"},
        {"assets/images/back.png", "assets/Images/Back.PNG"},
        {"ASSETS/Images/back.png", "assets/Images/Back.PNG"},
        {"assets\\images/back.png", "assets/Images/Back.PNG"},
        {"assets\\images\\back.png", ""},  // keys use '/'; callers normalise
        {"assetsimages/back.png", ""},
        {"images/missing.png", ""},
        {"", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::string(c.expected), ResolveFileName(c.name, true).CStr());
    }
    EXPECT_TRUE(FileExists("IMAGES/BACK.PNG"));
}

TEST_F(FileNames, LiteralPathsKeepTheirCaseAndMustExist)
{
    tree_.Write("Data/A.txt", "x");
    EXPECT_EQ(std::string("Data/A.txt"), ResolveFileName("::Data/A.txt", true).CStr());
    EXPECT_EQ(std::string(""), ResolveFileName("::data/a.txt", true).CStr());
    EXPECT_EQ(TFileKind::kDisk, ResolveFileNameTagged("::Data/A.txt", false).kind);
    // Never entered in the index, never subject to the exclusion list.
    ReadAssetListFile("::data/a.txt data/a.txt", true);
    EXPECT_TRUE(FileExists("::Data/A.txt"));
    EXPECT_TRUE(GetFileNameIndex().empty());
}

TEST_F(FileNames, FolderPrefixesResolveIntoTheDataFolders)
{
    tree_.Write("home/user/Prefs.DAT", "p");
    tree_.Write("home/common/shared.xml", "s");
    EXPECT_EQ(User("Prefs.DAT"), ResolveFileName("user:Prefs.DAT", true).CStr());
    EXPECT_EQ((tree_ / "home/common/shared.xml").string(),
              ResolveFileName("common:shared.xml", true).CStr());
    // The index answers the lower-cased name with the on-disk path.
    EXPECT_EQ(User("Prefs.DAT"), ResolveFileName("user:prefs.dat", true).CStr());
    EXPECT_FALSE(FileExists("user:absent.txt"));
    EXPECT_FALSE(FileExists("desktop:absent.txt"));

    // Reading needs a writable file.
    tree_.Write("home/user/locked.txt", "l");
    chmod(User("locked.txt").c_str(), 0444);
    if (geteuid() != 0)
    {
        EXPECT_FALSE(FileExists("user:locked.txt"));
    }

    // An unavailable folder resolves nothing (never the file system root).
    SetUserDataFolder("");
    EXPECT_EQ(std::string(""), ResolveFileName("user:etc/passwd", false).CStr());
}

// A data folder that moves takes its names with it, also those resolved
// (and remembered) before the move.
TEST_F(FileNames, MovedDataFoldersResolveAfresh)
{
    fs::create_directories(tree_ / "moved/user");
    fs::create_directories(tree_ / "moved/common");
    for (const char* name : {"user:prefs.dat", "common:shared.txt", "desktop:note.txt"})
        EXPECT_FALSE(ResolveFileName(name, false).IsEmpty()) << name;
    SetUserDataFolder((tree_ / "moved/user").c_str());
    SetCommonDataFolder((tree_ / "moved/common").c_str());
    SetDesktopFolder((tree_ / "moved/desk").c_str());
    EXPECT_EQ((tree_ / "moved/user/prefs.dat").string(),
              ResolveFileName("user:prefs.dat", false).CStr());
    EXPECT_EQ((tree_ / "moved/common/shared.txt").string(),
              ResolveFileName("common:shared.txt", false).CStr());
    EXPECT_EQ((tree_ / "moved/desk/note.txt").string(),
              ResolveFileName("desktop:note.txt", false).CStr());
}

TEST_F(FileNames, WritingCreatesFoldersBelowTheDataFolderOnly)
{
    TFileHandle h;
    EXPECT_FALSE(h.Open("user:sub/new.txt", kFileReadBinary));
    EXPECT_FALSE(fs::exists(User("sub")));
    ASSERT_TRUE(h.Open("user:sub/deeper/new.txt", kFileWriteBinary));
    EXPECT_EQ(2, h.Write("hi", 2));
    h.Close();
    EXPECT_EQ("hi", ReadAll(User("sub/deeper/new.txt")));
    EXPECT_TRUE(fs::is_regular_file(User("sub/deeper/new.txt")));

    // A write resolution enters the name: it "exists" before the file does.
    EXPECT_FALSE(FileExists("user:later.txt"));
    EXPECT_NE(std::string(""), ResolveFileName("user:later.txt", false).CStr());
    EXPECT_TRUE(FileExists("user:later.txt"));
    EXPECT_FALSE(fs::exists(User("later.txt")));

    // Climbing out of the data folder creates nothing.
    EXPECT_FALSE(h.Open("user:../escape/x.txt", kFileWriteBinary));
    EXPECT_FALSE(fs::exists(tree_ / "home/escape"));
}

TEST_F(FileNames, PrefixedNamesNeverLeaveTheirDataFolder)
{
    // Existing targets outside the data folders, reachable only by climbing.
    tree_.Write("home/outside.txt", "o");
    tree_.Write("home/user/a..b", "ok");
    fs::create_directories(tree_ / "home/desk");
    struct Case
    {
        const char* name;
        bool resolves;
    } const cases[] = {
        {"user:../outside.txt", false},
        {"user:sub/../../outside.txt", false},
        {"common:../outside.txt", false},
        {"desktop:../outside.txt", false},
        {"user:..\\outside.txt", false},
        {"user:..", false},
        {"user:a..b", true},
        {"user:./a..b", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.resolves, FileExists(c.name));
        EXPECT_EQ(c.resolves, !ResolveFileName(c.name, false).IsEmpty());
    }
    TFileHandle h;
    EXPECT_FALSE(h.Open("user:../outside.txt", kFileWriteBinary));
    EXPECT_EQ("o", ReadAll((tree_ / "home/outside.txt").string()));
}

TEST_F(FileNames, ExcludedNamesAreRefusedForReadingOnly)
{
    tree_.Write("assets/images/secret.png", "s");
    tree_.Write("assets/images/open.png", "o");
    ReadAssetListFile("images/secret.png", true);
    ScanAssetFolder("assets", "");
    EXPECT_FALSE(FileExists("images/secret.png"));
    EXPECT_EQ(nullptr, OpenFileByName("images/secret.png", kFileReadBinary));
    EXPECT_TRUE(FileExists("images/open.png"));
    TFileHandle* h = OpenFileByName("images/open.png", kFileReadBinary);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ('o', GetFileHandleByte(h));
    CloseFileHandle(h);
}

TEST_F(FileNames, DeleteOnlyRemovesDataFolderFilesAndMemoryFiles)
{
    tree_.Write("home/user/Gone.txt", "g");
    tree_.Write("home/common/c.txt", "c");
    tree_.Write("home/x", "outside");
    tree_.Write("assets/a.qvp", ArchiveWriter().Add("packed.txt", "p").Build());
    tree_.Write("assets/loose.txt", "l");
    ScanAssetFolder("assets", "");
    static const char block[] = "mem";
    RegisterMemoryFileByName("Mem.txt", block, 3);

    struct Case
    {
        const char* name;
        bool deleted;
    } const cases[] = {
        {"User:Gone.txt", false},  // the prefix is matched as written
        {"user:Gone.txt", true},  {"user:Gone.txt", false}, {"common:c.txt", true},
        {"user:../x", false},     {"packed.txt", false},    {"loose.txt", false},
        {"mem.txt", true},        {"mem.txt", false},       {"nothing", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.deleted, DeleteFileByName(c.name));
    }
    EXPECT_FALSE(fs::exists(User("Gone.txt")));
    EXPECT_TRUE(fs::exists(tree_ / "home/x"));
    EXPECT_TRUE(fs::exists(tree_ / "assets/loose.txt"));
    EXPECT_FALSE(FileExists("user:gone.txt"));
    EXPECT_FALSE(IsRegisteredMemoryBlock(reinterpret_cast<uintptr_t>(block), 3));
}

TEST_F(FileNames, MemoryFilesRegisterAndUnregister)
{
    static const char block[] = "abc";
    RegisterMemoryFileByName("Builtin.PNG", block, 3);
    TResolvedName r = ResolveFileNameTagged("builtin.png", true);
    EXPECT_EQ(TFileKind::kMemory, r.kind);
    TFileHandle* h = OpenFileByName("BUILTIN.png", kFileReadBinary);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(3, h->GetLength());
    CloseFileHandle(h);
    RegisterMemoryFileByName("builtin.png", block, 0);
    EXPECT_FALSE(FileExists("builtin.png"));
    RegisterMemoryFileByName("null.bin", nullptr, 4);
    EXPECT_FALSE(FileExists("null.bin"));
}

TEST_F(FileNames, FindNextAssetNameWalksKeysBelowAFolder)
{
    tree_.Write("assets/b.txt", "");
    tree_.Write("assets/a.qvmod", "");
    tree_.Write("assets/images/x.png", "");
    tree_.Write("assets/images/menu/y.png", "");
    tree_.Write("home/user/prefs.dat", "");
    ScanAssetFolder("assets", "");
    ScanAssetFolder(User("").c_str(), "user:");
    EXPECT_EQ((std::vector<std::string>{"a.qvmod", "b.txt", "user:prefs.dat"}),
              Enumerate("", false));
    EXPECT_EQ((std::vector<std::string>{"images/menu/y.png", "images/x.png"}),
              Enumerate("Images", true));
    EXPECT_EQ((std::vector<std::string>{"images/x.png"}), Enumerate("images", false));
    EXPECT_EQ((std::vector<std::string>{"user:prefs.dat"}), Enumerate("user:", false));
    EXPECT_TRUE(Enumerate("sounds", true).empty());
}

namespace
{
// A locale-style order: case and the separators '/', '.' are ignored, so
// "ab/c.png" and "a/bc.png" collate as equal.
int LooseCollate(const char* a, const char* b)
{
    auto next = [](const char*& p)
    {
        while (*p == '/' || *p == '.') ++p;
        return *p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : static_cast<unsigned char>(*p);
    };
    for (;;)
    {
        int x = next(a);
        int y = next(b);
        if (x != y || x == 0) return x - y;
        ++a;
        ++b;
    }
}
}  // namespace

TEST_F(FileNames, IndexIgnoresTheLocaleLibraryOrder)
{
    tree_.Write("assets/ab/c.png", "1");
    tree_.Write("assets/a/bc.png", "2");
    tree_.Write("assets/a/b.png", "3");
    tree_.Write("assets/a.png", "4");
    auto* loose = new TDllCollateHandler(nullptr, &LooseCollate);
    TDllCollateHandler* previous = InstallCollateHandler(loose);
    ScanAssetFolder("assets", "");
    EXPECT_EQ(4u, GetFileNameIndex().size());
    EXPECT_EQ(std::string("assets/ab/c.png"), ResolveFileName("AB/C.png", true).CStr());
    EXPECT_EQ(std::string("assets/a/bc.png"), ResolveFileName("a/bc.png", true).CStr());
    EXPECT_EQ((std::vector<std::string>{"a/b.png", "a/bc.png"}), Enumerate("a/", true));
    EXPECT_EQ((std::vector<std::string>{"a.png"}), Enumerate("", false));
    EXPECT_EQ(InstallCollateHandler(previous), loose);
    delete loose;
}

TEST_F(FileNames, NativeCodeComesOnlyFromTheProgramAndAssetsFolders)
{
    SetProgramFolder(tree_.Root().c_str());
    tree_.Write("assets/game.qvmod", "elf");
    tree_.Write("home/user/evil.qvmod", "elf");
    ScanAssetFolder("assets", "");
    ScanAssetFolder(User("").c_str(), "user:");
    EXPECT_TRUE(IsNativeCodeNameAllowed("game.qvmod"));
    EXPECT_FALSE(IsNativeCodeNameAllowed("user:evil.qvmod"));
    EXPECT_FALSE(IsNativeCodeNameAllowed("::assets/game.qvmod"));
    EXPECT_FALSE(IsNativeCodeNameAllowed("missing.qvmod"));
    // The data folders lie inside the program folder here; they still lose.
    EXPECT_FALSE(IsNativeCodePathAllowed(User("evil.qvmod").c_str()));
    EXPECT_TRUE(IsNativeCodePathAllowed((tree_ / "assets/game.qvmod").c_str()));
    EXPECT_FALSE(IsNativeCodePathAllowed("/bin/sh"));

    // A module lent to the index from memory or an archive is never native.
    static const char block[] = "x";
    RegisterMemoryFileByName("mem.qvmod", block, 1);
    EXPECT_FALSE(IsNativeCodeNameAllowed("mem.qvmod"));
}
