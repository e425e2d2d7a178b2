// The three file objects behind TFileHandle (disk, memory block, archive
// entry) and the stream-style plain functions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "FileTestSupport.h"
#include "core/FileHandle.h"
#include "core/FileNames.h"

using namespace filetest;

namespace
{
enum class Kind
{
    Disk,
    Memory,
    Archive
};

const char* KindName(Kind kind)
{
    return kind == Kind::Disk ? "disk" : kind == Kind::Memory ? "memory" : "archive";
}

class FileViews : public ::testing::Test
{
protected:
    // Opens a handle on content through the view of the given kind.
    bool OpenOn(TFileHandle& handle, Kind kind, const std::string& content,
                int mode = kFileReadBinary)
    {
        std::string name = "f" + std::to_string(counter_++) + ".bin";
        switch (kind)
        {
            case Kind::Disk:
                tree_.Write(name, content);
                return handle.Open(("::" + name).c_str(), mode);
            case Kind::Memory:
                blocks_.push_back(content);
                RegisterMemoryFileByName(name.c_str(), blocks_.back().data(),
                                         blocks_.back().size());
                return handle.Open(name.c_str(), mode);
            case Kind::Archive:
                tree_.Write("assets/" + name + ".qvp",
                            ArchiveWriter().Add("pad", "xx").Add(name, content).Build());
                ReadPackedArchive(("::assets/" + name + ".qvp").c_str());
                return handle.Open(name.c_str(), mode);
        }
        return false;
    }

    TempTree tree_;
    int counter_ = 0;
    std::vector<std::string> blocks_ = std::vector<std::string>();

public:
    FileViews() { blocks_.reserve(64); }
};

const Kind kAllKinds[] = {Kind::Disk, Kind::Memory, Kind::Archive};
}  // namespace

TEST_F(FileViews, UngetByteStepsBackOverTheLastByteRead)
{
    // Disk files push back only the one byte last read; the views step the
    // position back, so a second unget moves one more byte.
    struct Case
    {
        Kind kind;
        int afterSecondUnget;
    } const cases[] = {{Kind::Disk, 'z'}, {Kind::Memory, 'y'}, {Kind::Archive, 'y'}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(KindName(c.kind));
        TFileHandle h;
        ASSERT_TRUE(OpenOn(h, c.kind, "xyz"));
        char buf[3];
        ASSERT_EQ(3, h.Read(buf, 3));
        h.UngetByte();
        EXPECT_EQ('z', GetFileHandleByte(&h));
        h.UngetByte();
        h.UngetByte();
        EXPECT_EQ(c.afterSecondUnget, GetFileHandleByte(&h));
    }
}

TEST_F(FileViews, EndOfFileFollowsEachKindsRule)
{
    // Memory blocks report the end as soon as the position reaches the size;
    // disk files and archive entries only after a read asked for more.
    struct Case
    {
        Kind kind;
        bool eofAfterExactRead;
    } const cases[] = {{Kind::Disk, false}, {Kind::Memory, true}, {Kind::Archive, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(KindName(c.kind));
        TFileHandle h;
        ASSERT_TRUE(OpenOn(h, c.kind, "hello"));
        EXPECT_FALSE(h.IsEof());
        char buf[16];
        ASSERT_EQ(5, h.Read(buf, 5));
        EXPECT_EQ(c.eofAfterExactRead, h.IsEof());
        EXPECT_EQ(0, h.Read(buf, 1));
        EXPECT_TRUE(h.IsEof());
        EXPECT_EQ(-1, GetFileHandleByte(&h));
        EXPECT_EQ(1, IsFileHandleAtEnd(&h));
        h.UngetByte();
        EXPECT_FALSE(h.IsEof());
        EXPECT_EQ('o', GetFileHandleByte(&h));
    }
}

TEST_F(FileViews, TextModeDropsCarriageReturnsOnEveryKind)
{
    for (Kind kind : kAllKinds)
    {
        SCOPED_TRACE(KindName(kind));
        TFileHandle text;
        ASSERT_TRUE(OpenOn(text, kind, "a\r\nb", kFileReadText));
        char buf[8] = {};
        EXPECT_EQ(3, text.Read(buf, 4));
        EXPECT_EQ(std::string("a\nb"), std::string(buf, 3));

        // A CR-only run at the end yields nothing more; binary mode keeps CRs.
        TFileHandle tail;
        ASSERT_TRUE(OpenOn(tail, kind, "x\r\r", kFileReadText));
        EXPECT_EQ(1, tail.Read(buf, 8));
        TFileHandle raw;
        ASSERT_TRUE(OpenOn(raw, kind, "a\r\nb", kFileReadBinary));
        EXPECT_EQ(4, raw.Read(buf, 4));
        EXPECT_EQ('\r', buf[1]);
    }
}

TEST_F(FileViews, SeekOriginsAreCurrentStartEnd)
{
    for (Kind kind : kAllKinds)
    {
        SCOPED_TRACE(KindName(kind));
        TFileHandle h;
        ASSERT_TRUE(OpenOn(h, kind, "0123456789"));
        EXPECT_EQ(10, h.GetLength());
        h.Seek(4, kSeekStart);
        EXPECT_EQ(4, h.Tell());
        h.Seek(2, kSeekCurrent);
        EXPECT_EQ(6, h.Tell());
        EXPECT_EQ('6', GetFileHandleByte(&h));
        h.Seek(-3, kSeekEnd);
        EXPECT_EQ('7', GetFileHandleByte(&h));
        h.Seek(0, kSeekStart);
        EXPECT_EQ(0, TellFileHandle(&h));
        EXPECT_EQ('0', GetFileHandleByte(&h));
        // Writing through a reading handle delivers nothing.
        EXPECT_EQ(0, h.Write("zz", 2));
    }
}

TEST_F(FileViews, ViewsClampSeeksToTheirData)
{
    for (Kind kind : {Kind::Memory, Kind::Archive})
    {
        SCOPED_TRACE(KindName(kind));
        TFileHandle h;
        ASSERT_TRUE(OpenOn(h, kind, "12345"));
        char buf[10];
        EXPECT_EQ(5, h.Read(buf, 10));
        EXPECT_TRUE(h.IsEof());
        h.Seek(100, kSeekStart);
        EXPECT_EQ(5, h.Tell());
        h.Seek(-100, kSeekCurrent);
        EXPECT_EQ(0, h.Tell());
        h.Seek(0, 7);  // an unknown origin leaves the position
        EXPECT_EQ(0, h.Tell());
    }
}

TEST_F(FileViews, ZeroSizeEntriesOpenAtTheirEnd)
{
    for (Kind kind : {Kind::Disk, Kind::Archive})
    {
        SCOPED_TRACE(KindName(kind));
        TFileHandle h;
        ASSERT_TRUE(OpenOn(h, kind, ""));
        EXPECT_EQ(0, h.GetLength());
        EXPECT_EQ(-1, GetFileHandleByte(&h));
        EXPECT_TRUE(h.IsEof());
    }
}

TEST(FileHandle, ClosedHandleGivesNeutralValues)
{
    TFileHandle h;
    char buf[4];
    EXPECT_FALSE(h.IsOpen());
    EXPECT_EQ(-1, h.Tell());
    EXPECT_EQ(0, h.GetLength());
    EXPECT_TRUE(h.IsEof());
    EXPECT_EQ(0, h.Read(buf, 4));
    EXPECT_EQ(0, h.Write("ab", 2));
    h.Seek(3, kSeekStart);
    h.UngetByte();
    EXPECT_EQ(-1, GetFileHandleByte(&h));
    EXPECT_EQ(1, IsFileHandleClosed(&h));
    EXPECT_EQ(1, IsFileHandleAtEnd(&h));
    EXPECT_EQ(-1, TellFileHandle(nullptr));
    EXPECT_EQ(1, IsFileHandleClosed(nullptr));
    CloseFileHandle(nullptr);
}

TEST(MemoryFile, NamesMustCarryARegisteredAddressAndSize)
{
    static const char block[] = "abcde";
    RegisterMemoryFileByName("block", block, 5);
    TString good =
        TString::Format("&%lu,5", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(block)));
    TString bare =
        TString::Format("&%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(block)));
    TString wrongSize =
        TString::Format("&%lu,6", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(block)));
    struct Case
    {
        TString name;
        int mode;
        bool opens;
    } const cases[] = {
        {good, kFileReadBinary, true},
        {good, kFileReadText, true},
        {good, kFileWriteBinary, false},
        {"&0,5", kFileReadBinary, false},
        {bare, kFileReadBinary, false},
        {wrongSize, kFileReadBinary, false},
        {"&12345,5", kFileReadBinary, false},
        {"&", kFileReadBinary, false},
        {good, -1, true},
        {good, 7, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name.CStr());
        TMemoryFile file;
        EXPECT_EQ(c.opens, file.Open(c.name, c.mode));
    }
    RegisterMemoryFileByName("block", nullptr, 0);
    TMemoryFile after;
    EXPECT_FALSE(after.Open(good, kFileReadBinary));
}

TEST_F(FileViews, FailedViewOpenLeavesTheHandleClosed)
{
    static const char block[] = "abc";
    RegisterMemoryFileByName("ro.bin", block, 3);
    TFileHandle h;
    EXPECT_FALSE(h.Open("ro.bin", kFileWriteBinary));
    EXPECT_FALSE(h.IsOpen());
    EXPECT_EQ(nullptr, OpenFileByName("ro.bin", kFileWriteBinary));
}

TEST_F(FileViews, ArchiveViewRejectsForgedRanges)
{
    tree_.Write("assets/one.qvp", ArchiveWriter().Add("a", "1234").Build());
    ASSERT_EQ(1, ReadPackedArchive("::assets/one.qvp"));
    int length = static_cast<int>(fs::file_size(tree_ / "assets/one.qvp"));
    struct Case
    {
        TString name;
        bool opens;
    } const cases[] = {
        {TString::Format("@0:0,%d", length), true},
        {TString::Format("@0:1,%d", length), false},
        {TString::Format("@0:%d,0", length), true},
        {"@0:4294967295,4294967295", false},
        {"@0:99999999999999999999999,1", false},
        {"@0:5", false},
        {"@0,5", false},
        {"@7:0,1", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name.CStr());
        TFlatFileMap view;
        EXPECT_EQ(c.opens, view.Open(c.name, kFileReadBinary));
    }
}

TEST_F(FileViews, DiskNamesLookingLikeViewsStayDiskFiles)
{
    // Literal paths that begin with the view markers are still paths.
    tree_.Write("@0:0,4", "disk");
    tree_.Write("&1,4", "file");
    TFileHandle h;
    char buf[4];
    ASSERT_TRUE(h.Open("::@0:0,4", kFileReadBinary));
    EXPECT_EQ(4, h.Read(buf, 4));
    EXPECT_EQ("disk", std::string(buf, 4));
    ASSERT_TRUE(h.Open("::&1,4", kFileReadBinary));
    EXPECT_EQ(4, h.Read(buf, 4));
    EXPECT_EQ("file", std::string(buf, 4));
}

TEST_F(FileViews, DiskFilesWriteAppendAndRefuseSpecialFiles)
{
    TFileHandle h;
    // Literal names only reach files that exist already.
    EXPECT_FALSE(h.Open("::w.txt", kFileWriteText));
    tree_.Write("w.txt", "old contents");
    ASSERT_TRUE(h.Open("::w.txt", kFileWriteText));
    EXPECT_EQ(3, h.Write("a\nb", 3));
    h.Close();
    ASSERT_TRUE(h.Open("::w.txt", kFileAppendBinary));
    EXPECT_EQ(1, h.Write("c", 1));
    h.Close();
    // Text mode writes no CR: the file reads the same in every mode.
    EXPECT_EQ("a\nbc", ReadAll(tree_ / "w.txt"));

    // A FIFO or a folder must fail the open, never block or read as a file.
    ASSERT_EQ(0, mkfifo((tree_ / "pipe").c_str(), 0600));
    EXPECT_FALSE(h.Open("::pipe", kFileReadBinary));
    fs::create_directories(tree_ / "dir");
    EXPECT_FALSE(h.Open("::dir", kFileReadBinary));
    EXPECT_FALSE(h.IsOpen());
    TDiskFileData empty;
    EXPECT_FALSE(empty.Open("", kFileReadBinary));
}

TEST_F(FileViews, ArchiveViewOfAnUnmappedArchiveLogs)
{
    tree_.Write("assets/gone.qvp", ArchiveWriter().Add("g", "data").Build());
    ASSERT_EQ(1, ReadPackedArchive("::assets/gone.qvp"));
    GetPackedArchives()[0].Close();
    TFileHandle h;
    EXPECT_FALSE(h.Open("g", kFileReadBinary));
    EXPECT_NE(std::string::npos, tree_.Log().find("error reading @0:"));
}
