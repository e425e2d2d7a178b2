// Packed archives: table parsing against damaged files, the override order
// of archives and loose files, and mappings that outlive a re-read.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "FileTestSupport.h"
#include "core/FileHandle.h"
#include "core/FileNames.h"

using namespace filetest;

namespace
{
std::string ReadName(const char* name)
{
    TFileHandle h;
    if (!h.Open(name, kFileReadBinary)) return "<closed>";
    std::string out(static_cast<size_t>(h.GetLength()), '\0');
    out.resize(static_cast<size_t>(std::max(0, h.Read(out.data(), static_cast<int>(out.size())))));
    return out;
}

int Count(const std::string& haystack, const std::string& needle)
{
    int n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1))
        ++n;
    return n;
}
}  // namespace

TEST(Archive, DamagedTablesAreReadSafely)
{
    std::string two = ArchiveWriter().Add("one.txt", "1").Add("two.txt", "22").Build();
    // Entries whose data is the magic itself, so a cut table keeps them valid.
    std::string early = ArchiveWriter().AddRaw("one.txt", 0, 4).AddRaw("two.txt", 0, 2).Build();
    struct Case
    {
        const char* what;
        std::string bytes;
        int entries;  // ReadPackedArchive result; -1 = skipped, not mapped
        bool mapped;
        const char* log;  // expected in the log, or ""
    } const cases[] = {
        {"wrong magic", "QVPX" + two.substr(4), -1, false, ""},
        {"short magic", "QVP", -1, false, ""},
        {"header cut", "QVPK\x01", -1, false, "header truncated"},
        {"count 0", ArchiveWriter().ForceCount(0).Add("x", "y").Build(), 0, true, ""},
        {"count -1", ArchiveWriter().ForceCount(-1).Add("x", "y").Build(), 0, true, ""},
        {"count min", ArchiveWriter().ForceCount(INT_MIN).Add("x", "y").Build(), 0, true, ""},
        {"huge count",
         ArchiveWriter().ForceCount(INT_MAX).Add("one.txt", "1").Add("two.txt", "22").Build(), 2,
         true, "truncated after 2 of 2147483647"},
        {"table cut in entry 2", early.substr(0, 8 + 9 + 7 + 5), 1, true, "truncated after 1 of 2"},
        {"table ends before entry 2", early.substr(0, 8 + 9 + 7), 1, true,
         "truncated after 1 of 2"},
        {"data of a cut table lost", two.substr(0, 8 + 9 + 7 + 5), 0, true,
         "data outside the file"},
        {"all good", two, 2, true, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempTree tree;
        tree.Write("assets/t.qvp", c.bytes);
        EXPECT_EQ(c.entries, ReadPackedArchive("::assets/t.qvp"));
        EXPECT_EQ(static_cast<size_t>(std::max(c.entries, 0)), GetFileNameIndex().size());
        ASSERT_EQ(c.mapped ? 1u : 0u, GetPackedArchives().size());
        if (c.mapped)
        {
            EXPECT_NE(nullptr, GetPackedArchives()[0].GetView());
        }
        if (*c.log != '\0')
        {
            EXPECT_NE(std::string::npos, tree.Log().find(c.log)) << tree.Log();
        }
        if (c.entries >= 1)
        {
            EXPECT_EQ(c.entries == 1 ? "QVPK" : "1", ReadName("one.txt"));
        }
    }
}

TEST(Archive, EntriesOutsideTheFileOrWithBadNamesAreSkipped)
{
    TempTree tree;
    ArchiveWriter writer;
    writer.Add("good.txt", "good")
        .AddRaw("past-end.txt", 8, 100000)
        .AddRaw("wraps.txt", 0xFFFFFFFFu, 2)
        .AddRaw("start-beyond.txt", 0x7FFFFFFF, 0)
        .Add("user:prefs.dat", "shadow")
        .Add("../escape.txt", "e")
        .Add("/abs.txt", "a")
        .Add("Images/X.PNG", "mixed")
        .Add("empty.bin", "");
    tree.Write("assets/t.qvp", writer.Build());
    tree.Write("home/prefs.dat", "real prefs");
    SetUserDataFolder((tree / "home").c_str());

    EXPECT_EQ(3, ReadPackedArchive("::assets/t.qvp"));
    EXPECT_EQ("good", ReadName("good.txt"));
    EXPECT_EQ("mixed", ReadName("images/x.png"));
    EXPECT_EQ("mixed", ReadName("IMAGES/X.png"));
    EXPECT_EQ("", ReadName("empty.bin"));
    for (const char* skipped :
         {"past-end.txt", "wraps.txt", "start-beyond.txt", "../escape.txt", "/abs.txt"})
        EXPECT_FALSE(FileExists(skipped)) << skipped;
    // An entry cannot stand in for a data-folder file.
    EXPECT_EQ("real prefs", ReadName("user:prefs.dat"));
    std::string log = tree.Log();
    EXPECT_EQ(3, Count(log, "data outside the file"));
    EXPECT_EQ(3, Count(log, "name not allowed"));
}

TEST(Archive, LaterArchivesAndLooseFilesOverrideEarlierEntries)
{
    TempTree tree;
    tree.Write("assets/a.qvp",
               ArchiveWriter().Add("images/x.png", "from a").Add("only-a.txt", "a").Build());
    tree.Write("assets/b.qvp",
               ArchiveWriter().Add("Images/X.png", "from b").Add("sounds/s.ogg", "b").Build());
    tree.Write("assets/c.qvp.bak", ArchiveWriter().Add("sounds/s.ogg", "from bak").Build());
    tree.Write("assets/D.QVP",
               ArchiveWriter().Add("only-a.txt", "upper-case archives are not archives").Build());
    ScanAssetFolder("assets", "");
    EXPECT_EQ("from b", ReadName("images/x.png"));
    EXPECT_EQ("a", ReadName("only-a.txt"));
    EXPECT_EQ("from bak", ReadName("sounds/s.ogg"));
    EXPECT_EQ(3u, GetPackedArchives().size());
    EXPECT_EQ(TString("::assets/a.qvp"), GetPackedArchives()[0].GetPath());

    tree.Write("assets/images/x.png", "loose");
    ClearAssetIndex();
    ScanAssetFolder("assets", "");
    EXPECT_EQ("loose", ReadName("images/x.png"));
    // A re-scan re-reads the archives under their old numbers.
    EXPECT_EQ(3u, GetPackedArchives().size());
}

TEST(Archive, ReReadKeepsOldMappingsAliveForOpenViews)
{
    TempTree tree;
    tree.Write("assets/p.qvp", ArchiveWriter().Add("v.txt", "old bytes").Build());
    ASSERT_EQ(1, ReadPackedArchive("::assets/p.qvp"));
    TFileHandle old;
    ASSERT_TRUE(old.Open("v.txt", kFileReadBinary));

    // Replace the file the way an updater would, then read it again.
    tree.Write("assets/p.new", ArchiveWriter().Add("v.txt", "NEW").Add("w.txt", "w").Build());
    fs::rename(tree / "assets/p.new", tree / "assets/p.qvp");
    ASSERT_EQ(2, ReadPackedArchive("::assets/p.qvp"));
    EXPECT_EQ(1u, GetPackedArchives().size());
    EXPECT_EQ("NEW", ReadName("v.txt"));

    char buf[16] = {};
    EXPECT_EQ(9, old.Read(buf, 16));
    EXPECT_EQ("old bytes", std::string(buf, 9));

    // A re-read of a file that is gone leaves the record closed.
    fs::remove(tree / "assets/p.qvp");
    EXPECT_EQ(-1, ReadPackedArchive("::assets/p.qvp"));
    EXPECT_EQ(nullptr, GetPackedArchives()[0].GetView());
    EXPECT_EQ("<closed>", ReadName("w.txt"));
    old.Seek(0, kSeekStart);
    EXPECT_EQ('o', GetFileHandleByte(&old));
}

TEST(Archive, ParseIsPureAndBounded)
{
    std::vector<TArchiveEntry> entries;
    std::string bytes = ArchiveWriter().Add("a", "1").AddRaw("b", 3, 4).Build();
    ASSERT_TRUE(ParseArchiveTable(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                  "mem", entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(TString("a"), entries[0].name);
    EXPECT_EQ(3u, entries[1].offset);
    EXPECT_TRUE(GetFileNameIndex().empty());
    EXPECT_FALSE(ParseArchiveTable(nullptr, 0, "none", entries));
    EXPECT_TRUE(entries.empty());
}

TEST(Archive, ArchivesAreOnlyEverOpenedFromTheAssetsFolder)
{
    // Any folder the scan visits is searched, but an archive is always
    // opened as assets/<name>: one dropped into the user's folder (or a
    // subfolder of assets) with no twin in assets is never read.
    TempTree tree;
    tree.Write("assets/images/x.png", "loose");
    tree.Write("assets/sub/nested.qvp", ArchiveWriter().Add("images/x.png", "nested").Build());
    tree.Write("home/dropped.qvp", ArchiveWriter().Add("images/x.png", "dropped").Build());
    SetUserDataFolder((tree / "home").c_str());
    ScanAssetFolder("assets", "");
    ScanAssetFolder((tree / "home").c_str(), "user:");
    EXPECT_EQ("loose", ReadName("images/x.png"));
    EXPECT_TRUE(GetPackedArchives().empty());
    EXPECT_TRUE(FileExists("user:dropped.qvp"));
}
