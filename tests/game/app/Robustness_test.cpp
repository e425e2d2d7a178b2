// End-to-end robustness of the game program: the built program runs as a
// child process in a prepared program folder of its own, against damaged,
// hostile or missing data, headless. Each run must reach its main loop,
// log what was wrong, and end with exit code 0 on a termination request
// (which the program takes as a close request) - no crash, no hang, no lost
// user data.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/LocalHttpServer.h"
#include "core/FileTestSupport.h"
#include "core/Folders.h"
#include "core/Prefs.h"
#include "core/Settings.h"

namespace fs = std::filesystem;

namespace
{

using filetest::ArchiveWriter;
using filetest::PutLe32;
using filetest::ReadAll;
using filetest::WriteAll;

// A ZXML container whose header declares `declared` text bytes.
std::string MakeZxml(const std::string& text, uint32_t declared)
{
    uLongf packedSize = compressBound(text.size());
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
             reinterpret_cast<const Bytef*>(text.data()), text.size());
    packed.resize(packedSize);
    std::string out = "ZXML";
    PutLe32(out, static_cast<uint32_t>(packed.size()));
    PutLe32(out, declared);
    return out + packed;
}

std::string Garbage(size_t n, uint32_t seed)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        out.push_back(static_cast<char>(seed >> 16));
    }
    return out;
}

// The program's own preferences key.
const char kGameKey[] = "mirtovexQQQQ";

const char kGoodStrings[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<strings><string id=\"HELLO\">Hello</string></strings>\n";

struct RunResult
{
    bool reachedLoop = false;
    bool hung = false;
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
    // From the termination request to the program's end.
    std::chrono::milliseconds endedAfter{0};
    std::string log;
    std::string output;
};

// One private program folder (a link to, or a copy of, the built program
// and an assets folder) with private user folders.
class ProgramRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const fs::path built = ORVELLE_PROGRAM;
        ASSERT_TRUE(fs::exists(built)) << built;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvelle-robust-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        ASSERT_NE(mkdtemp(buf.data()), nullptr);
        root_ = buf.data();
        program_ = root_ / "prog";
        fs::create_directories(program_ / "assets");
        fs::create_directories(root_ / "home");
        const fs::path exe = program_ / "orvelle";
        if (::link(built.c_str(), exe.c_str()) != 0) fs::copy_file(built, exe);
        // The user-data folder the program picks from XDG_DATA_HOME.
        userData_ = root_ / "data" / "Hollvane-Plomet" / "Orvelle";
    }

    void TearDown() override
    {
        std::error_code ec;
        // Restore permissions taken away by a case, so the folder can go.
        for (auto it = fs::recursive_directory_iterator(
                 root_, fs::directory_options::skip_permission_denied, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec))
        {
            if (!it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(root_, ec);
    }

    fs::path Assets() const { return program_ / "assets"; }

    // Starts the program, waits until its window is up, asks it to close
    // and waits for it to end; kills it when either wait runs out.
    // ready: what must hold before the close is asked for, besides the
    // display's description in the log (none by default).
    RunResult Run(const std::vector<std::string>& arguments = {},
                  const std::function<bool()>& ready = {})
    {
        RunResult r;
        const fs::path exe = program_ / "orvelle";
        const fs::path out = root_ / "output.txt";
        const std::string home = (root_ / "home").string();
        std::vector<std::string> env = {
            "HOME=" + home,
            "XDG_DATA_HOME=" + (root_ / "data").string(),
            "XDG_CONFIG_HOME=" + (root_ / "config").string(),
            "XDG_CACHE_HOME=" + (root_ / "cache").string(),
            "XDG_RUNTIME_DIR=" + home,
            "TMPDIR=" + home,
            "SDL_VIDEODRIVER=offscreen",
            "SDL_RENDER_DRIVER=opengl",
            "SDL_AUDIODRIVER=dummy",
            // A new profile asks for full screen; the run stays in its window.
            "ORVELLE_WINDOWED=1",
            // The display driver's own allocations are not this program's.
            "ASAN_OPTIONS=detect_leaks=0",
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1",
            "PATH=/usr/bin:/bin",
        };
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string exeText = exe.string();
        std::vector<std::string> args = arguments;
        std::vector<char*> argv = {exeText.data()};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        // A log left by an earlier run would pass for this run's.
        std::error_code noLog;
        fs::remove(userData_ / "logfile.txt", noLog);
        const pid_t pid = fork();
        if (pid == 0)
        {
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0)
            {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            if (chdir(program_.c_str()) != 0) _exit(126);
            execve(exeText.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        if (pid < 0) return r;

        const fs::path logPath = userData_ / "logfile.txt";
        int status = 0;
        bool ended = false;
        auto waitFor = [&](std::chrono::seconds limit, const std::function<bool()>& done)
        {
            const auto until = std::chrono::steady_clock::now() + limit;
            while (std::chrono::steady_clock::now() < until)
            {
                if (waitpid(pid, &status, WNOHANG) == pid)
                {
                    ended = true;
                    return false;
                }
                if (done()) return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            return false;
        };
        // The display's description is logged once the window and its
        // signal handling exist.
        r.reachedLoop =
            waitFor(std::chrono::seconds(30), [&]
                    { return ReadAll(logPath).find("Device identifier") != std::string::npos; }) &&
            (!ready || waitFor(std::chrono::seconds(30), ready));
        if (!ended)
        {
            const auto asked = std::chrono::steady_clock::now();
            kill(pid, SIGTERM);
            waitFor(std::chrono::seconds(30), [] { return false; });
            r.endedAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - asked);
        }
        if (!ended)
        {
            r.hung = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        r.exited = WIFEXITED(status);
        r.exitCode = r.exited ? WEXITSTATUS(status) : -1;
        r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        r.log = ReadAll(logPath);
        r.output = ReadAll(out);
        return r;
    }

    // Runs and checks the common outcome; the log must hold every expected text.
    RunResult RunClean(const std::vector<std::string>& expectedLog,
                       const std::vector<std::string>& arguments = {},
                       const std::function<bool()>& ready = {})
    {
        RunResult r = Run(arguments, ready);
        const std::string context = "log:\n" + r.log + "\noutput:\n" + r.output;
        EXPECT_FALSE(r.hung) << context;
        EXPECT_TRUE(r.reachedLoop) << context;
        EXPECT_TRUE(r.exited) << "signal " << r.signal << "\n" << context;
        EXPECT_EQ(r.exitCode, 0) << context;
        EXPECT_EQ(r.output.find("Sanitizer"), std::string::npos) << context;
        EXPECT_EQ(r.output.find("runtime error"), std::string::npos) << context;
        for (const auto& text : expectedLog)
            EXPECT_NE(r.log.find(text), std::string::npos) << "missing \"" << text << "\"\n"
                                                           << context;
        return r;
    }

    struct FileCase
    {
        const char* label;
        std::string bytes;
        const char* logged;
    };

    // One run per case with file holding the case's bytes, each with a
    // fresh user-data folder.
    void RunEach(const fs::path& file, const std::vector<FileCase>& cases)
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE(c.label);
            WriteAll(file, c.bytes);
            RunClean({c.logged});
            fs::remove_all(userData_);
        }
    }

    fs::path root_;
    fs::path program_;
    fs::path userData_;
};

// The shipped data, as the baseline the damaged cases are measured against.
TEST_F(ProgramRun, GoodDataRunsAndClosesCleanly)
{
    fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const RunResult r = RunClean({"Orvelle, version"});
    EXPECT_EQ(r.log.find("ERROR"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("skipped"), std::string::npos) << r.log;
    // Every file the first screens ask for is shipped.
    EXPECT_EQ(r.log.find("LoadRes"), std::string::npos) << r.log;
}

// A termination from outside once the first screen is up (its groups are in
// and the profile file is written) ends the game without a question.
TEST_F(ProgramRun, TerminationOnTheFirstScreenEndsTheGame)
{
    fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const fs::path prefs = userData_ / "users" / "prefs.dat";
    const auto since = std::make_shared<std::chrono::steady_clock::time_point>();
    // The shipped groups load in a few 10 ms ticks once the profile exists.
    RunClean({"Close requested from outside"}, {},
             [&]
             {
                 if (!fs::exists(prefs)) return false;
                 const auto now = std::chrono::steady_clock::now();
                 if (*since == std::chrono::steady_clock::time_point()) *since = now;
                 return now - *since > std::chrono::milliseconds(1500);
             });
    EXPECT_TRUE(fs::exists(prefs));
}

// Scripts that never return, with a short time budget: each is stopped with
// an error naming its file, and the game runs on and ends on request.
TEST_F(ProgramRun, RunawayScriptsAreStoppedAndTheGameRunsOn)
{
    const fs::path source = ORVELLE_SOURCE_DIR;
    fs::copy(source / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    WriteAll(Assets() / "settings.xml",
             "<?xml version=\"1.0\"?><settings><scripttimebudget>0.5</scripttimebudget>"
             "</settings>\n");
    const std::string lantern = ReadAll(source / "assets/images/core/main_menu/lantern.xml");
    const std::string animation =
        "function DoAnim() while true do delay(160); frames{1, 2, 3, 2} end end";
    ASSERT_NE(lantern.find(animation), std::string::npos);
    auto lanternWith = [&](const std::string& body)
    {
        std::string text = lantern;
        text.replace(text.find(animation), animation.size(), body);
        return text;
    };
    const std::string menu = ReadAll(source / "assets/scripts/core/screen/main_menu.lua");
    const std::string resources = ReadAll(source / "assets/resources.lua");
    struct Case
    {
        const char* what;
        fs::path file;
        std::string text;
        const char* named;
    } const cases[] = {
        {"screen script", Assets() / "scripts/core/screen/main_menu.lua",
         "local n = 0\nwhile true do n = n + 1 end\n" + menu, "main_menu.lua:2:"},
        {"resource table", Assets() / "resources.lua", resources + "\nwhile true do end\n",
         "resources.lua:"},
        {"animation script", Assets() / "images/core/main_menu/lantern.xml",
         lanternWith("function DoAnim() while true do end end"), "lantern"},
        {"animation coroutine after a yield", Assets() / "images/core/main_menu/lantern.xml",
         lanternWith("function DoAnim() delay(160); while true do end end"), "lantern"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string original = ReadAll(c.file);
        WriteAll(c.file, c.text);
        const fs::path log = userData_ / "logfile.txt";
        RunClean({"script ran longer than 0.5 s", c.named}, {},
                 [&] { return ReadAll(log).find("ran longer") != std::string::npos; });
        WriteAll(c.file, original);
        fs::remove_all(userData_);
    }
}

// Each damaged file the game loads at start is named in the log line that
// reports it.
TEST_F(ProgramRun, DamagedFilesAreNamedInTheLog)
{
    const fs::path source = ORVELLE_SOURCE_DIR;
    fs::copy(source / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    auto half = [&](const char* file)
    {
        const std::string whole = ReadAll(source / "assets" / file);
        return whole.substr(0, whole.size() / 2);
    };
    struct Case
    {
        const char* file;
        std::string bytes;
        std::vector<std::string> logged;
    } const cases[] = {
        {"strings.xml", std::string("ZXML\x10\0\0\0", 8), {"string table strings.xml"}},
        {"images/kursor.png", half("images/kursor.png"), {"PNG error in", "kursor"}},
        {"fonts/default.mvec", Garbage(512, 3), {"default.mvec"}},
        {"images/core/particle/menu_sparks.psi", Garbage(64, 5), {"particle file", "menu_sparks"}},
        {"images/core/main_menu/lantern.xml", "<sequence", {"Animation", "lantern"}},
        {"audio/music/main_menu.ogg", half("audio/music/main_menu.ogg"), {"main_menu.ogg is cut short"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        const fs::path file = Assets() / c.file;
        ASSERT_TRUE(fs::exists(file));
        const std::string original = ReadAll(file);
        WriteAll(file, c.bytes);
        const fs::path prefs = userData_ / "users" / "prefs.dat";
        const fs::path log = userData_ / "logfile.txt";
        const auto since = std::make_shared<std::chrono::steady_clock::time_point>();
        // Until the first screen is up and every expected line is in the log
        // (the music starts a little after the screen, and on a busy
        // machine the menu's pictures load seconds later), or long after
        // that when one never comes.
        RunClean(c.logged, {},
                 [&]
                 {
                     if (!fs::exists(prefs)) return false;
                     const auto now = std::chrono::steady_clock::now();
                     if (*since == std::chrono::steady_clock::time_point()) *since = now;
                     const std::string text = ReadAll(log);
                     bool all = true;
                     for (const std::string& line : c.logged) all = all && text.find(line) != std::string::npos;
                     return (all && now - *since > std::chrono::milliseconds(500)) ||
                            now - *since > std::chrono::seconds(25);
                 });
        WriteAll(file, original);
        fs::remove_all(userData_);
    }
}

// A termination request while a script runs away ends the game at once, long
// before the script's default budget would stop it.
TEST_F(ProgramRun, TerminationDuringARunawayScriptEndsTheGame)
{
    const fs::path source = ORVELLE_SOURCE_DIR;
    fs::copy(source / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    WriteAll(Assets() / "scripts/core/screen/main_menu.lua",
             "_ALERT('the menu script loops')\nwhile true do end\n");
    const fs::path log = userData_ / "logfile.txt";
    const RunResult r =
        RunClean({"script stopped: the program is ending", "main_menu.lua:2:"}, {},
                 [&] { return ReadAll(log).find("the menu script loops") != std::string::npos; });
    EXPECT_EQ(r.log.find("ran longer"), std::string::npos) << r.log;
    // Generous: the default budget is 10 s.
    EXPECT_LT(r.endedAfter, std::chrono::seconds(5));
}

// Damaged start-up settings: the run goes on with the defaults.
TEST_F(ProgramRun, DamagedSettingsFileIsLoggedAndIgnored)
{
    std::string deep = "<settings>";
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    RunEach(Assets() / "settings.xml",
            {
                {"garbage", Garbage(4096, 7), "settings.xml"},
                {"truncated", "<?xml version=\"1.0\"?><settings><vsync>1</vs",
                 "settings.xml is damaged"},
                {"without its settings element", "<other><vsync>1</vsync></other>",
                 "settings.xml has no settings element"},
                {"nested 100000 deep", deep, "settings.xml is damaged"},
            });
}

TEST_F(ProgramRun, DamagedArchivesAreLoggedAndSkipped)
{
    const std::string good = ArchiveWriter().Add("a.txt", "alpha").Add("b.txt", "beta").Build();
    RunEach(Assets() / "data.qvp",
            {
                {"garbage", Garbage(2048, 3), "data.qvp skipped: not an archive"},
                {"wrong magic", "QVPX" + good.substr(4), "data.qvp skipped: not an archive"},
                {"header only, truncated", good.substr(0, 6), "data.qvp: header truncated"},
                {"empty", "", "data.qvp skipped"},
                {"table truncated", good.substr(0, 20), "truncated"},
                {"data truncated", good.substr(0, good.size() - 3), "outside the file"},
                {"entries pointing outside",
                 ArchiveWriter()
                     .AddRaw("out.txt", 0xFFFFFFF0u, 64)
                     .AddRaw("wrap.txt", 0x7FFFFFFFu, 0x90000000u)
                     .Add("../escape.txt", "y")
                     .Add("/abs.txt", "y")
                     .Build(),
                 "skipped"},
                {"count beyond table",
                 [&]
                 {
                     std::string s = good;
                     s[7] = 0x7F;
                     return s;
                 }(),
                 "truncated"},
            });
}

TEST_F(ProgramRun, StringsWithLyingZxmlHeaderAreLogged)
{
    const std::string text = kGoodStrings;
    RunEach(
        Assets() / "strings.xml",
        {
            {"declares less than it holds", MakeZxml(text, 10), "ZXML: inflation failed"},
            {"declares far more than it holds", MakeZxml(text, 60u << 20), "ZXML: header declares"},
            {"declares above the limit", MakeZxml(text, 0xFFFFFFF0u), "above the limit"},
            {"compressed length beyond the file",
             [&]
             {
                 std::string s = MakeZxml(text, static_cast<uint32_t>(text.size()));
                 s[4] = s[5] = s[6] = s[7] = '\xFF';
                 return s.substr(0, s.size() - 5);
             }(),
             "ZXML: inflation failed"},
            {"header only", std::string("ZXML\x10\0\0\0", 8), "ZXML: container too short"},
        });
}

TEST_F(ProgramRun, MissingAssetsFolderIsLogged)
{
    struct Case
    {
        const char* label;
        std::function<void()> make;
        bool needsPermissions;
    } cases[] = {
        {"missing", [] {}, false},
        {"a plain file", [this] { WriteAll(Assets(), "not a folder"); }, false},
        {"a dangling link", [this] { fs::create_directory_symlink("nowhere", Assets()); }, false},
        {"unreadable",
         [this]
         {
             fs::create_directories(Assets());
             WriteAll(Assets() / "settings.xml", "<settings/>");
             fs::permissions(Assets(), fs::perms::none);
         },
         true},
    };
    for (const auto& c : cases)
    {
        if (c.needsPermissions && geteuid() == 0) continue;
        SCOPED_TRACE(c.label);
        fs::remove_all(Assets());
        c.make();
        RunClean({"assets folder"});
        std::error_code ec;
        if (fs::is_directory(fs::symlink_status(Assets(), ec)))
            fs::permissions(Assets(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Assets());
        fs::remove_all(userData_);
    }
}

TEST_F(ProgramRun, UnreadableFilesAreLogged)
{
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    WriteAll(Assets() / "settings.xml", "<settings><vsync>1</vsync></settings>");
    WriteAll(Assets() / "strings.xml", kGoodStrings);
    WriteAll(Assets() / "data.qvp", ArchiveWriter().Add("a.txt", "alpha").Build());
    fs::create_directories(Assets() / "locked");
    WriteAll(Assets() / "locked" / "inner.txt", "x");
    for (const char* name : {"settings.xml", "strings.xml", "data.qvp"})
        fs::permissions(Assets() / name, fs::perms::none);
    fs::permissions(Assets() / "locked", fs::perms::none);
    RunClean({"settings.xml", "strings.xml", "data.qvp"});
}

// Data files that are not regular files: a reader that opened a pipe would
// wait forever for a writer, one that took a folder for a file would fail.
TEST_F(ProgramRun, SpecialFilesInPlaceOfDataFilesDoNotHang)
{
    for (const char* name : {"settings.xml", "strings.xml", "data.qvp"})
        ASSERT_EQ(mkfifo((Assets() / name).c_str(), 0600), 0) << name;
    ASSERT_EQ(mkfifo((program_ / "final.txt").c_str(), 0600), 0);
    fs::create_directories(Assets() / "more.qvp");
    RunClean({"Cannot open ::assets/settings.xml", "Cannot open strings.xml",
              "data.qvp skipped: it cannot be read"});
}

// Native code and list files beside the program that are not what their
// names promise.
TEST_F(ProgramRun, DamagedProgramFolderFilesAreRefused)
{
    WriteAll(program_ / "qvHarness.so", Garbage(5000, 17));
    WriteAll(program_ / "final.txt", Garbage(50000, 19));
    WriteAll(Assets() / "extra.qvmod",
             "\x7F"
             "ELF" +
                 Garbage(3000, 23));
    RunClean({"extra.qvmod"});
}

TEST_F(ProgramRun, SymlinkLoopsInAssetsDoNotHang)
{
    WriteAll(Assets() / "settings.xml", "<settings><vsync>1</vsync></settings>");
    fs::create_directory_symlink(".", Assets() / "self");
    fs::create_directory_symlink("..", Assets() / "parent");
    fs::create_symlink("loop-b", Assets() / "loop-a");
    fs::create_symlink("loop-a", Assets() / "loop-b");
    fs::create_symlink("loop.qvp", Assets() / "loop.qvp");
    RunClean({});
}

// Corrupt user files the program does not need at start-up must survive the
// run untouched (they may still be recoverable), and a good one must too. The
// profile's own file is written at start-up: a damaged one is kept aside
// first, once, as "prefs.dat.bad".
TEST_F(ProgramRun, UserFilesSurviveTheRun)
{
    const std::string prefs = Garbage(300, 11);
    const std::string goodPrefs = Garbage(64, 5);
    const std::string install = Garbage(10000, 13);
    WriteAll(userData_ / "prefs.dat", prefs);
    WriteAll(userData_ / "users" / "prefs.dat", prefs);
    WriteAll(program_ / "install.txt", install);
    // A file whose name looks like a logical name must not stand in for one.
    WriteAll(Assets() / "user:prefs.dat", goodPrefs);
    RunClean({});
    EXPECT_EQ(ReadAll(userData_ / "prefs.dat"), prefs);
    EXPECT_EQ(ReadAll(userData_ / "users" / "prefs.dat.bad"), prefs);
    EXPECT_NE(ReadAll(userData_ / "users" / "prefs.dat"), prefs);
    EXPECT_EQ(ReadAll(program_ / "install.txt"), install);
    EXPECT_EQ(ReadAll(Assets() / "user:prefs.dat"), goodPrefs);
    // A second run keeps the first copy aside: the new file is not damaged.
    RunClean({});
    EXPECT_EQ(ReadAll(userData_ / "users" / "prefs.dat.bad"), prefs);
}

// Preferences the game wrote in an earlier run are still there and
// readable after a run (which writes the file again at start-up).
TEST_F(ProgramRun, GoodPreferencesSurviveTheRun)
{
    const fs::path users = userData_ / "users";
    fs::create_directories(users);
    SetUserDataFolder(TString(users.c_str()));
    SetSetting("encryptionkey", kGameKey);
    // The profiles are filed under the program's folder.
    SetSetting("installkey", TString(program_.c_str()));
    {
        TPrefs prefs(true);
        ASSERT_TRUE(prefs.SetValue("volume", "7"));
        ASSERT_TRUE(prefs.SetValue("name", "Ann", 0));
        ASSERT_TRUE(prefs.SetInt("curuser", 0));
        ASSERT_TRUE(prefs.Save());
    }
    ASSERT_FALSE(ReadAll(users / "prefs.dat").empty());
    RunClean({});
    EXPECT_FALSE(fs::exists(users / "prefs.dat.bad"));
    TPrefs prefs(false);
    EXPECT_STREQ(prefs.GetValue("volume", "").CStr(), "7");
    EXPECT_STREQ(prefs.GetValue("name", "", 0).CStr(), "Ann");
    EXPECT_EQ(prefs.GetInt("curuser", -1), 0);
    ClearSettings();
}

}  // namespace

// With "postmetrics" set, a run leaves the play metrics, the system report
// and the play time in the per-user folder.
TEST_F(ProgramRun, PostMetricsRunLeavesMetricsReportAndPlayTime)
{
    fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string settings = ReadAll(Assets() / "settings.xml");
    const size_t end = settings.find("</settings>");
    ASSERT_NE(end, std::string::npos);
    settings.insert(end, "  <postmetrics>1</postmetrics>\n");
    WriteAll(Assets() / "settings.xml", settings);
    RunClean({"Orvelle, version"});

    const std::string metrics = ReadAll(userData_ / "metrics.txt");
    for (const char* start : {"DxInfo,", "DxDiagNames,", "DxDiag,"})
    {
        const bool atLineStart = metrics.rfind(start, 0) == 0 ||
                                 metrics.find(std::string("\r\n") + start) != std::string::npos;
        EXPECT_TRUE(atLineStart) << start << " in\n" << metrics;
    }
    EXPECT_NE(metrics.find("Max Texture Size "), std::string::npos) << metrics;
    const std::string report = ReadAll(userData_ / "dxdiag.xml");
    EXPECT_NE(report.find("<MachineName>"), std::string::npos) << report;
    ASSERT_TRUE(fs::exists(userData_ / "time.dat"));
    EXPECT_EQ(fs::file_size(userData_ / "time.dat"), 4u);
}

// With a statistics site set, the metrics of the run are posted to it at
// exit and the file goes once the server took them.
TEST_F(ProgramRun, PostMetricsRunUploadsToTheSite)
{
    testhttp::LocalHttpServer server([](const testhttp::Request&) { return testhttp::Response{}; },
                                     8, std::chrono::seconds(90));
    fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string settings = ReadAll(Assets() / "settings.xml");
    const size_t end = settings.find("</settings>");
    ASSERT_NE(end, std::string::npos);
    settings.insert(end,
                    "  <postmetrics>1</postmetrics>\n  <site>" + server.HostPort() + "</site>\n");
    WriteAll(Assets() / "settings.xml", settings);
    RunClean({"Orvelle, version"});

    std::vector<testhttp::Request> seen = server.Requests();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("POST", seen[0].method);
    EXPECT_EQ("/servlet/exitStats", seen[0].target);
    EXPECT_NE(seen[0].body.find("&game_data=DxInfo"), std::string::npos) << seen[0].body;
    EXPECT_FALSE(fs::exists(userData_ / "metrics.txt"));
}

// No portal page exists here: the switch is refused, in the log, and the
// game runs on as usual rather than waiting for a page.
TEST_F(ProgramRun, PortalSwitchIsRefusedAndTheGameRuns)
{
    fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "assets", Assets(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    RunClean({"Orvelle, version", "Game-state portal mode msn refused"}, {"-msn"});
}
