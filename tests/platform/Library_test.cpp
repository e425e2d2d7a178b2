// Run-time libraries load only from the allowed folders, links resolved.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/Library.h"

namespace fs = std::filesystem;

namespace
{

struct TempDir
{
    fs::path path;
    TempDir()
    {
        char tmpl[] = "/tmp/h6libXXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
};

}  // namespace

TEST(Library, LoadsOnlyInsideAllowedFolders)
{
    TempDir root;
    fs::path program = root.path / "program";
    fs::path other = root.path / "other";
    fs::create_directories(program / "assets");
    fs::create_directories(other);
    fs::copy_file(MODULE_FIXTURE, program / "assets" / "mod.qvmod");
    fs::copy_file(MODULE_FIXTURE, other / "mod.qvmod");
    // A link inside the program folder that points outside it.
    fs::create_symlink(other / "mod.qvmod", program / "link.qvmod");

    std::vector<std::string> allowed = {program.string()};
    platform::Library lib;
    ASSERT_TRUE(lib.Open((program / "assets" / "mod.qvmod").string(), allowed)) << lib.LastError();
    auto entry = reinterpret_cast<int (*)()>(lib.Symbol("FixtureEntry"));
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(42, entry());
    EXPECT_EQ(nullptr, lib.Symbol("Missing"));
    lib.Close();
    EXPECT_EQ(nullptr, lib.Symbol("FixtureEntry"));

    EXPECT_FALSE(lib.Open((other / "mod.qvmod").string(), allowed));
    EXPECT_FALSE(lib.Open((program / "link.qvmod").string(), allowed));
    EXPECT_FALSE(
        lib.Open((program / "assets" / ".." / ".." / "other" / "mod.qvmod").string(), allowed));
    EXPECT_FALSE(lib.Open((program / "missing.qvmod").string(), allowed));
    EXPECT_FALSE(lib.Open((program / "assets").string(), allowed));  // a folder
    EXPECT_FALSE(lib.IsOpen());

    // A folder whose name merely starts like the allowed one is another folder.
    fs::create_directories(root.path / "program2");
    fs::copy_file(MODULE_FIXTURE, root.path / "program2" / "m.so");
    EXPECT_FALSE(lib.Open((root.path / "program2" / "m.so").string(), allowed));

    // A file that is not a library fails cleanly.
    {
        FILE* f = fopen((program / "bad.qvmod").c_str(), "w");
        fputs("not a library", f);
        fclose(f);
    }
    EXPECT_FALSE(lib.Open((program / "bad.qvmod").string(), allowed));
    EXPECT_FALSE(lib.LastError().empty());
}
