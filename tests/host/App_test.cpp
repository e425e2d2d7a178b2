// The application facade: construction and destruction order, the settings
// it writes, the metrics handlers, forwarding and the system cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "HostFakes.h"
#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/StringTable.h"
#include "host/App.h"
#include "host/SystemCursor.h"

using namespace hostfakes;

namespace
{

class AppTest : public HostTest
{
protected:
    TApp* MakeApp(const char* cmd = "")
    {
        TAppHost* host = new TAppHost(cmd, true);
        return new TApp(host);
    }
    static bool Has(const std::string& line)
    {
        return std::find(Journal().begin(), Journal().end(), line) != Journal().end();
    }
    static size_t IndexOf(const std::string& line)
    {
        return std::find(Journal().begin(), Journal().end(), line) - Journal().begin();
    }
};

class RecordingTask : public TTask
{
public:
    explicit RecordingTask(const char* name) : name_(name) {}
    ~RecordingTask() override { Note(std::string("task:delete ") + name_); }
    bool Run() override
    {
        Note(std::string("task:run ") + name_);
        return true;
    }

private:
    const char* name_;
};

}  // namespace

TEST_F(AppTest, ConstructionPublishesAndConfigures)
{
    EXPECT_EQ(nullptr, GetApp());
    TApp* app = MakeApp("-url=http://x.example/dl --stringtest");
    EXPECT_EQ(app, GetApp());
    EXPECT_STREQ("100000000", GetSetting("memorymax").CStr());
    EXPECT_STREQ("100000000", GetSetting("texturememorymax").CStr());
    EXPECT_STREQ("http://x.example/dl", GetSetting("downloadurl").CStr());
    EXPECT_STREQ("1", GetSetting("stringtest").CStr());
    EXPECT_TRUE(HasSetting("utf8modeinit"));
    EXPECT_EQ(16, GetSetting("computerid").Length());
    EXPECT_STREQ(app->GetVersion().CStr(), GetSetting("version").CStr());
    EXPECT_STREQ(app->GetProductName().CStr(), GetSetting("gamename").CStr());
    EXPECT_FALSE(GetSetting("buildtag").IsEmpty());
    EXPECT_TRUE(Has("wm:script"));
    EXPECT_TRUE(Has("gs:new"));
    EXPECT_FALSE(Has("gs:firstpeek"));
    EXPECT_FALSE(Has("gs:postmetrics"));
    // The built-in pointer picture is reachable by name.
    EXPECT_TRUE(FileExists(kSystemCursorName));
    // Clocks run on the application time.
    Now() += 250;
    EXPECT_EQ(250u, app->GetTime());
    EXPECT_EQ(app->GetTime(), GetClockSourceTime());
    // A stand-in tick source may run ahead of real time: due checks keep
    // reading it, however still the coarse clock stands.
    Now() += 5000;
    EXPECT_FALSE(PassTimeBefore(1000));
    // Sound does not exist before it is started.
    EXPECT_EQ(nullptr, app->GetSoundManager());
    EXPECT_TRUE(app->StartSound());
    EXPECT_NE(nullptr, app->GetSoundManager());
    delete app;
    EXPECT_EQ(nullptr, GetApp());
    EXPECT_FALSE(HasSetting("memorymax"));  // the store is emptied
}

TEST_F(AppTest, ClockReadBeforeTheHostIsHeldUsesTheTickSource)
{
    // The facade is reachable before it holds its host; a clock read in that
    // window (here from a change hook that still runs) must not reach it.
    static bool read;
    static uint32_t seen;
    read = false;
    SetSettingChangeHook(
        [](const TString& key, const TString&)
        {
            if (GetApp() && key == "memorymax")
            {
                seen = GetClockSourceTime();
                read = true;
            }
            return true;
        });
    TApp* app = MakeApp();
    EXPECT_TRUE(read);
    EXPECT_EQ(Now(), seen);
    delete app;
}

TEST_F(AppTest, StringTableTurnsOnLabelTranslation)
{
    TApp* app = MakeApp();
    EXPECT_FALSE(services.windowManager->translate);  // no "strings.xml"
    delete app;

    static const char kStrings[] =
        "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n"
        "<Row><Cell><Data ss:Type=\"String\">HELLO</Data></Cell>"
        "<Cell><Data ss:Type=\"String\">Hi there</Data></Cell></Row>\n"
        "</Table></Worksheet></Workbook>\n";
    RegisterMemoryFileByName("strings.xml", kStrings, sizeof kStrings - 1);
    app = MakeApp();
    EXPECT_TRUE(services.windowManager->translate);
    ASSERT_NE(nullptr, app->GetStringTable());
    EXPECT_STREQ("Hi there", app->GetStringTable()->GetString("HELLO").CStr());
    EXPECT_NE(nullptr, app->GetAssetManager());
    delete app;
}

TEST_F(AppTest, FirstPeekWinsOverPostMetrics)
{
    SetSetting("firstpeek", "1");
    SetSetting("postmetrics", "1");
    TApp* app = MakeApp();
    EXPECT_TRUE(Has("gs:firstpeek"));
    EXPECT_FALSE(Has("gs:postmetrics"));
    SetSetting("postmetrics", "0");  // no upload at the end
    delete app;

    SetSetting("postmetrics", "1");
    Journal().clear();
    app = MakeApp();
    EXPECT_TRUE(Has("gs:postmetrics"));
    SetSetting("postmetrics", "0");
    delete app;
}

TEST_F(AppTest, DestructionOrder)
{
    TApp* app = MakeApp();
    app->StartSound();
    app->AddTask(new RecordingTask("host"));
    app->AddAppTask(new RecordingTask("app"));
    FakeDisplay display;
    app->GetHost()->SetDisplay(&display);
    // Whether the facade and its hook are still reachable at each step.
    GetFrameworkServices().destroyDisplay = []
    { Note(GetApp() != nullptr ? "display:destroy, facade up" : "display:destroy, facade gone"); };
    SetSetting("postmetrics", "0");
    Journal().clear();
    delete app;
    std::vector<std::string> want = {"wm:delete",    "task:delete host",
                                     "sound:delete", "display:destroy, facade up",
                                     "gs:delete",    "task:delete app"};
    EXPECT_EQ(want, Journal());
    EXPECT_EQ(GetApp(), nullptr);
    // The settings went with the host.
    EXPECT_STREQ(GetSetting("postmetrics", "cleared").CStr(), "cleared");
}

TEST_F(AppTest, ForwardingAndTasks)
{
    TApp* app = MakeApp();
    EXPECT_EQ(0, app->GetMouseMode());
    EXPECT_TRUE(app->IsFlipDone());
    auto* task = new RecordingTask("t");
    app->AddTask(task);
    EXPECT_EQ(1, app->GetTaskList().Count());
    EXPECT_TRUE(app->RemoveTask(task));
    EXPECT_FALSE(app->RemoveTask(task));
    delete task;
    app->AddAppTask(new RecordingTask("a"));
    Journal().clear();
    app->RunAppTasks();
    EXPECT_EQ(std::vector<std::string>{"task:run a"}, Journal());
    // The generator draws differ from run to run only by the seed; two
    // draws in a row differ.
    EXPECT_NE(app->Random(), app->Random());

    ASSERT_TRUE(app->CreateMainWindow());
    EXPECT_TRUE(StringToClipboard("via script"));
    EXPECT_STREQ("via script", app->GetClipboardText().CStr());
    app->SetDisplayMode(800, 600, false);
    EXPECT_TRUE(Has("wm:root 800x600"));
    Journal().clear();
    app->SetDisplayMode(800, 600, false);
    EXPECT_FALSE(Has("wm:root 800x600"));  // the root exists already

    app->Quit(4);
    TEvent ev;
    for (int i = 0; i < 10 && ev.type != kEventQuit; ++i) app->GetNextEvent(ev);
    EXPECT_EQ(kEventQuit, ev.type);
    delete app;
    EXPECT_FALSE(StringToClipboard("no facade"));
}

TEST_F(AppTest, SystemCursorVisibilityReachesTheDisplayOnlyOnChange)
{
    FakeDisplay display;
    TApp* app = MakeApp();
    app->GetHost()->SetDisplay(&display);
    Journal().clear();
    app->ShowSystemCursor(true);  // already visible
    EXPECT_TRUE(Journal().empty());
    app->ShowSystemCursor(false);
    app->ShowSystemCursor(false);
    app->ShowSystemCursor(true);
    std::vector<std::string> want = {"display:cursor hidden", "display:cursor shown"};
    EXPECT_EQ(want, Journal());

    // An empty normal cursor falls back on the built-in picture, loaded once.
    Journal().clear();
    app->SetCursor(nullptr, 0, 0, false);
    app->SetCursor(nullptr, 0, 0, false);
    std::vector<std::string> cursor = {"display:load __systemcursor__.png", "display:cursor",
                                       "display:cursor"};
    EXPECT_EQ(cursor, Journal());

    // "vsync" reaches the display through the change hook.
    Journal().clear();
    SetSetting("vsync", "1");
    EXPECT_EQ(std::vector<std::string>{"display:vsync on"}, Journal());
    app->GetHost()->SetDisplay(nullptr);
    delete app;
}

TEST(SystemCursor, IsA32By32PalettePng)
{
    ASSERT_GT(kSystemCursorPngSize, 33u);
    const unsigned char* p = kSystemCursorPng;
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(0, std::memcmp(p, signature, 8));
    EXPECT_EQ(0, std::memcmp(p + 12, "IHDR", 4));
    auto be32 = [](const unsigned char* q)
    { return (q[0] << 24) | (q[1] << 16) | (q[2] << 8) | q[3]; };
    EXPECT_EQ(32, be32(p + 16));  // width
    EXPECT_EQ(32, be32(p + 20));  // height
    EXPECT_EQ(8, p[24]);          // bits per index
    EXPECT_EQ(3, p[25]);          // palette colour
    EXPECT_EQ(0, std::memcmp(p + kSystemCursorPngSize - 8, "IEND", 4));
}
