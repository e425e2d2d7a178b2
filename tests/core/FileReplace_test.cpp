// Whole-file replacement: a set of files goes in together or not at all.
#include "core/FileReplace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/FileTestSupport.h"

namespace
{

namespace fs = std::filesystem;

int gCalls = 0;
bool RefuseSecond(const char*)
{
    return gCalls++ != 1;
}

class FileReplaceTest : public ::testing::Test
{
protected:
    void SetUp() override { SetUserDataFolder((tree / "user").c_str()); }
    void TearDown() override { SetFileReplaceHookForTest(nullptr); }

    bool Prepare(const char* name, const std::string& bytes, TPreparedFile& out)
    {
        return PrepareFileReplace("test", name, bytes.data(), bytes.size(), out);
    }
    std::string Read(const char* rel) { return filetest::ReadAll(tree / "user" / rel); }
    size_t FileCount()
    {
        size_t n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(tree / "user"))
            n += entry.is_regular_file();
        return n;
    }

    filetest::TempTree tree;
};

TEST_F(FileReplaceTest, SetReplacesAllTargetsAndMakesFolders)
{
    tree.Write("user/a.txt", "old a");
    std::vector<TPreparedFile> files(3);
    ASSERT_TRUE(Prepare("user:a.txt", "new a", files[0]));
    ASSERT_TRUE(Prepare("user:deep/er/b.txt", "new b", files[1]));
    ASSERT_TRUE(Prepare("user:c.txt", "", files[2]));
    EXPECT_EQ(Read("a.txt"), "old a");  // nothing replaced before the commit
    EXPECT_EQ(CommitFileReplace("test", files), -1);
    EXPECT_EQ(Read("a.txt"), "new a");
    EXPECT_EQ(Read("deep/er/b.txt"), "new b");
    EXPECT_TRUE(fs::exists(tree / "user/c.txt"));
    EXPECT_EQ(FileCount(), 3u);  // no temporary or kept file left
}

TEST_F(FileReplaceTest, AbandonedCommitReplacesNothing)
{
    tree.Write("user/a.txt", "old a");
    tree.Write("user/b.txt", "old b");
    std::vector<TPreparedFile> files(2);
    ASSERT_TRUE(Prepare("user:a.txt", "new a", files[0]));
    ASSERT_TRUE(Prepare("user:b.txt", "new b", files[1]));
    gCalls = 0;
    SetFileReplaceHookForTest(RefuseSecond);
    EXPECT_EQ(CommitFileReplace("test", files), 1);
    EXPECT_EQ(Read("a.txt"), "old a");
    EXPECT_EQ(Read("b.txt"), "old b");
    EXPECT_EQ(FileCount(), 2u);
}

TEST_F(FileReplaceTest, FailedRenameRestoresTheSet)
{
    tree.Write("user/a.txt", "old a");
    fs::create_directories(tree / "user/b.txt/x");
    std::vector<TPreparedFile> files(3);
    ASSERT_TRUE(Prepare("user:a.txt", "new a", files[0]));
    ASSERT_TRUE(Prepare("user:fresh.txt", "new", files[1]));
    ASSERT_TRUE(Prepare("user:b.txt", "new b", files[2]));
    EXPECT_EQ(CommitFileReplace("test", files), 2);
    EXPECT_EQ(Read("a.txt"), "old a");
    EXPECT_FALSE(fs::exists(tree / "user/fresh.txt"));
    EXPECT_EQ(FileCount(), 1u);
    EXPECT_NE(tree.Log().find("test: cannot replace"), std::string::npos);
}

TEST_F(FileReplaceTest, PrepareRefusesNamesWithoutAFolder)
{
    TPreparedFile file;
    EXPECT_FALSE(Prepare("images/x.png", "x", file));
    SetUserDataFolder("");
    ClearAssetIndex();
    EXPECT_FALSE(Prepare("user:a.txt", "x", file));
    EXPECT_NE(tree.Log().find("test: cannot save user:a.txt: no folder for it"), std::string::npos);
}

}  // namespace

TEST_F(FileReplaceTest, APlainPathIsReplacedWhole)
{
    tree.Write("user/t.dat", "old");
    const std::string path = (tree / "user" / "t.dat").string();
    EXPECT_TRUE(ReplaceFileAtPath("test", path, "new!", 4));
    EXPECT_EQ(Read("t.dat"), "new!");
    EXPECT_EQ(FileCount(), 1u);
    // A refused commit leaves the old contents and no temporary file.
    SetFileReplaceHookForTest([](const char*) { return false; });
    EXPECT_FALSE(ReplaceFileAtPath("test", path, "other", 5));
    EXPECT_EQ(Read("t.dat"), "new!");
    EXPECT_EQ(FileCount(), 1u);
}
