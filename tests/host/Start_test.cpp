// The start function: the order of start-up and shutdown, the settings it
// writes from the command line, where the log goes, which game-state
// modules it loads, and the paths that end the process.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "HostFakes.h"
#include "core/Version.h"
#include "host/CommandLine.h"
#include "host/Start.h"

using namespace hostfakes;

namespace
{

int gMainCalls = 0;
TString gMainCommandLine;

void QuittingMain(TApp& app, const TString& commandLine)
{
    ++gMainCalls;
    gMainCommandLine = commandLine;
    Note("main:called");
    EXPECT_EQ(&app, GetApp());
    app.Quit(5);
    TEvent ev;
    for (int i = 0; i < 100 && ev.type != kEventQuit; ++i) app.GetNextEvent(ev);
    EXPECT_EQ(kEventQuit, ev.type);
}

class StartTest : public HostTest
{
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        gMainCalls = 0;
        SetStartTrace([](const char* step) { Note(std::string("step:") + step); });
    }
    void TearDown() override
    {
        SetStartTrace(nullptr);
        HostTest::TearDown();
    }
    // The journal without the lines of the given prefixes.
    static std::vector<std::string> Without(std::initializer_list<const char*> prefixes)
    {
        std::vector<std::string> out;
        for (const auto& line : Journal())
        {
            bool skip = false;
            for (const char* p : prefixes) skip = skip || line.rfind(p, 0) == 0;
            if (!skip) out.push_back(line);
        }
        return out;
    }
};

}  // namespace

TEST_F(StartTest, StartUpAndShutdownInOrder)
{
    int code = StartFramework("--multiple", &QuittingMain, false);
    EXPECT_EQ(5, code);
    EXPECT_EQ(1, gMainCalls);
    std::vector<std::string> want = {
        "step:harness",      "step:host",       "wm:new",
        "step:portal",       "step:folders",    "step:log",
        "step:app",          "wm:script",       "gs:new",
        "step:window",       "window:new",      "step:sound",
        "sound:new",         "sound:init",      "step:draw",
        "step:settings",     "step:modules",    "gs:cmdline=--multiple",
        "gs:commondatadir=", "gs:userdatadir=", "step:main",
        "main:called",       "step:shutdown",   "gs:delete",
        "wm:delete",         "sound:delete",    "step:done",
    };
    // The folder values depend on the temporary folder: compare their keys.
    std::vector<std::string> got;
    // (Module lines are left out: another test may be placing modules in the
    // shared program folder meanwhile.)
    for (std::string line :
         Without({"gs:loadbroadcast", "gs:sessionready", "sound:on", "sound:off", "gs:module"}))
    {
        if (line.rfind("gs:commondatadir=", 0) == 0 || line.rfind("gs:userdatadir=", 0) == 0)
            line = line.substr(0, line.find('=') + 1);
        got.push_back(line);
    }
    EXPECT_EQ(want, got);
    EXPECT_EQ(nullptr, GetApp());
}

TEST_F(StartTest, FoldersLogAndCommandLineSettings)
{
    SetSetting("publisher", "Pub");
    SetSetting("gamename", "Game");
    TString seen[6];
    static TString* out;
    out = seen;
    auto main = [](TApp& app, const TString&)
    {
        out[0] = GetSetting("installkey");
        out[1] = GetSetting("startupdir");
        out[2] = GetSetting("cheatcode");
        out[3] = GetSetting("a") + "," + GetSetting("b") + "," + GetSetting("c");
        out[4] = GetUserDataFolder();
        out[5] = GetSetting("-pq");
        app.Quit(0);
        TEvent ev;
        while (ev.type != kEventQuit) app.GetNextEvent(ev);
    };
    std::string start = std::filesystem::current_path().string();
    int code = StartFramework("--cheat CODE1 options=a=1&b=2 c=3", main, true);
    EXPECT_EQ(0, code);
    EXPECT_STREQ(std::filesystem::current_path().string().c_str(), seen[0].CStr());
    EXPECT_STREQ(start.c_str(), seen[1].CStr());
    EXPECT_STREQ("CODE1", seen[2].CStr());
    EXPECT_STREQ("1,2,3", seen[3].CStr());
    EXPECT_EQ(Dir() + "/data/Pub/Game", seen[4].CStr());
    EXPECT_STREQ("", seen[5].CStr());
    // The log was started in the per-user folder.
    std::ifstream log(Dir() + "/data/Pub/Game/logfile.txt");
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, text.find("Game, version 1.0.0.0.")) << text;
}

TEST_F(StartTest, WorkingFolderWithBlanksFromTheArguments)
{
    const std::string folder = Dir() + "/My Games";
    std::filesystem::create_directories(folder);
    const std::string wd = "-wd=" + folder;
    const char* argv[] = {"orvelle", "--multiple", wd.c_str()};
    static std::string seen;
    seen.clear();
    auto main = [](TApp& app, const TString&)
    {
        seen = std::filesystem::current_path().string();
        app.Quit(0);
        TEvent ev;
        while (ev.type != kEventQuit) app.GetNextEvent(ev);
    };
    EXPECT_EQ(0, StartFramework(JoinCommandLine(3, argv), main, false));
    EXPECT_EQ(folder, seen);
}

TEST_F(StartTest, PortalSwitches)
{
    StartFramework("-msn -zylom -aol -pq=1", &QuittingMain, true);
    auto has = [](const char* line)
    { return std::count(Journal().begin(), Journal().end(), line); };
    EXPECT_EQ(2, has("gs:msn"));  // "-msn" and "-pq="
    EXPECT_EQ(1, has("gs:zylom"));
    EXPECT_EQ(1, has("gs:portal"));
    EXPECT_EQ(1, has("gs:new"));  // made once, at its first use
}

TEST_F(StartTest, ModulesLoadOnlyFromTheProgramsOwnFolders)
{
    // The program folder is this test's own folder; its "assets" gets
    // modules named after this process so parallel runs do not meet.
    std::string tag = std::to_string(getpid());
    std::filesystem::path program = std::filesystem::canonical("/proc/self/exe").parent_path();
    std::filesystem::path assets = program / "assets";
    ASSERT_FALSE(std::filesystem::is_symlink(assets));
    bool madeAssets = std::filesystem::create_directories(assets);
    std::vector<std::filesystem::path> made;
    auto touch = [&](const std::filesystem::path& p)
    {
        std::ofstream(p) << "x";
        made.push_back(p);
    };
    touch(assets / ("good" + tag + ".qvmod"));
    touch(assets / ("also" + tag + ".qvmod.old"));  // "contains" is enough
    touch(assets / "firstpeek.qvmod");
    std::string user = Dir() + "/data/Corvantis/" + kVersionProductName;
    std::filesystem::create_directories(user);
    std::ofstream(user + "/evil" + tag + ".qvmod") << "x";

    StartFramework("", &QuittingMain, true);
    for (const auto& p : made) std::filesystem::remove(p);
    if (madeAssets)
    {
        std::error_code ec;
        std::filesystem::remove(assets, ec);  // only when empty
    }

    std::vector<std::string> modules;
    for (const auto& line : Journal())
        if (line.rfind("gs:module ", 0) == 0) modules.push_back(line.substr(10));
    std::sort(modules.begin(), modules.end());
    std::vector<std::string> want = {"also" + tag + ".qvmod.old", "good" + tag + ".qvmod"};
    EXPECT_EQ(want, modules);
}

TEST_F(StartTest, NoWindowEndsStartUpWithoutCallingMain)
{
    services.windowFails = true;
    EXPECT_EQ(-1, StartFramework("", &QuittingMain, true));
    EXPECT_EQ(0, gMainCalls);
    EXPECT_EQ(nullptr, GetApp());
    EXPECT_NE(std::find(Journal().begin(), Journal().end(), "gs:delete"), Journal().end());
}

TEST_F(StartTest, ParentWindowSwitchEndsTheProcess)
{
    EXPECT_EXIT(StartFramework("-wnd=1a2b", &QuittingMain, false), ::testing::ExitedWithCode(255),
                "mExternalWindowParent is lost");
}

TEST_F(StartTest, SecondInstanceEndsWithZero)
{
    // The second instance asks this process, the holder, to come forward.
    platform::InstallRaiseRequestHandler();
    platform::TakeRaiseRequest();
    platform::InstanceLock lock;
    ASSERT_TRUE(lock.Acquire(std::string(GetFrameworkServices().instanceName.CStr()) + "_MUTEX"));
    EXPECT_EXIT(
        {
            // Child of the death test: the lock is held by the parent.
            StartFramework("", &QuittingMain, false);
            _exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    bool raised = false;
    for (int i = 0; i < 200 && !raised; ++i)
    {
        raised = platform::TakeRaiseRequest();
        if (!raised) usleep(5000);
    }
    EXPECT_TRUE(raised);
    // "--multiple" lifts the rule.
    EXPECT_EQ(5, StartFramework("--multiple", &QuittingMain, false));
}

TEST_F(StartTest, HarnessBesideTheProgramMayReplaceTheCommandLine)
{
    // The harness library is built beside this test program.
    StartFramework("--multiple --harness-test", &QuittingMain, true);
    EXPECT_STREQ("--harness-replaced options=harness=1", gMainCommandLine.CStr());
    StartFramework("--multiple", &QuittingMain, true);
    EXPECT_STREQ("--multiple", gMainCommandLine.CStr());
}
