// Opening a URL starts "xdg-open" with the text as one argument, never
// through a shell; the program's own path and folder changes.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Process.h"
#include "platform/Time.h"

namespace fs = std::filesystem;

namespace
{

struct FakeOpener
{
    fs::path dir;
    std::string oldPath;
    FakeOpener()
    {
        char tmpl[] = "/tmp/h6urlXXXXXX";
        dir = mkdtemp(tmpl);
        // The stand-in opener writes its arguments, one per line.
        std::ofstream script(dir / "xdg-open");
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \""
               << (dir / "args.tmp").string() << "\"\nmv \"" << (dir / "args.tmp").string()
               << "\" \"" << (dir / "args").string() << "\"\n";
        script.close();
        chmod((dir / "xdg-open").c_str(), 0755);
        oldPath = getenv("PATH") ? getenv("PATH") : "";
        setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }
    ~FakeOpener()
    {
        setenv("PATH", oldPath.c_str(), 1);
        fs::remove_all(dir);
    }
    std::string WaitForArgs()
    {
        for (int i = 0; i < 400; ++i)
        {
            if (fs::exists(dir / "args"))
            {
                std::ifstream in(dir / "args");
                std::stringstream ss;
                ss << in.rdbuf();
                return ss.str();
            }
            platform::SleepMs(5);
        }
        return "<nothing>";
    }
};

}  // namespace

TEST(Process, OpenUrlPassesTheTextAsOneArgument)
{
    FakeOpener opener;
    const std::string url = "http://example.invalid/a b;touch pwned$(id)`id`&x=1";
    ASSERT_TRUE(platform::OpenUrl(url));
    EXPECT_EQ(url + "\n", opener.WaitForArgs());
    EXPECT_FALSE(fs::exists(opener.dir / "pwned"));
    EXPECT_FALSE(platform::OpenUrl(""));
}

TEST(Process, OpenUrlWithoutAnOpenerFails)
{
    std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    EXPECT_FALSE(platform::OpenUrl("http://example.invalid/"));
    setenv("PATH", oldPath.c_str(), 1);
}

TEST(Process, ProgramPathAndFolders)
{
    std::string self = platform::GetProgramPath();
    EXPECT_EQ(fs::canonical("/proc/self/exe").string(), self);
    std::string cwd = platform::GetCurrentFolder();
    EXPECT_EQ(fs::current_path().string(), cwd);
    EXPECT_TRUE(platform::SetCurrentFolder("/tmp"));
    EXPECT_EQ(fs::canonical("/tmp").string(), platform::GetCurrentFolder());
    EXPECT_FALSE(platform::SetCurrentFolder("/nonexistent/h6"));
    EXPECT_FALSE(platform::SetCurrentFolder(""));
    EXPECT_TRUE(platform::SetCurrentFolder(cwd));
    EXPECT_EQ("", platform::GetCanonicalPath("/nonexistent/h6"));
    EXPECT_EQ("", platform::GetCanonicalPath(""));
}
