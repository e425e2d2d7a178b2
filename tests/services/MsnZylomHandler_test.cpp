// The portal handler over a fake page channel and fake hooks: the packet
// format, each command per mode, holds and held time, the portal clock,
// mute, the page's messages, the answers, "-pq=" and the refusals.
#include "services/MsnZylomHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ServicesTestSupport.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "host/HostServices.h"
#include "services/HostGameState.h"

using servicestest::BoardTest;

namespace
{

struct Fake
{
    uint32_t now = 0;
    float volume = 0.8f;
    std::string commandLine;
    std::vector<std::string> cursor;  // cursor calls in order
    bool captured = false;
};
Fake gFake;

uint32_t FakeNow()
{
    return gFake.now;
}

// Reassembles the posted pieces into command texts.
class RecordingChannel : public TPortalChannel
{
public:
    void Post(uint32_t wParam, uint32_t lParam) override
    {
        ++pieces;
        for (uint32_t word : {wParam, lParam})
            for (int i = 0; i < 4 && !done_; ++i)
            {
                char c = static_cast<char>((word >> (8 * i)) & 0xFF);
                if (c == '\0')
                {
                    texts.push_back(current_);
                    current_.clear();
                    done_ = true;
                }
                else
                    current_ += c;
            }
        done_ = false;
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(texts);
        return out;
    }

    std::vector<std::string> texts;
    int pieces = 0;

private:
    std::string current_;
    bool done_ = false;
};

class PortalTest : public BoardTest
{
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        gFake = Fake();
        ResetPortalState();
        SetClockTimeSource(&FakeNow);
        TPortalHooks hooks;
        hooks.ticks = [] { return gFake.now; };
        hooks.getVolume = [] { return gFake.volume; };
        hooks.setMasterVolume = [](float v) { gFake.volume = v; };
        hooks.showSystemCursor = [](bool on) { gFake.cursor.push_back(on ? "show" : "hide"); };
        hooks.setArrowCursor = [] { gFake.cursor.push_back("arrow"); };
        hooks.restoreCursor = [] { gFake.cursor.push_back("restore"); };
        hooks.isMouseCaptured = [] { return gFake.captured; };
        hooks.releaseMouseCapture = [] { gFake.captured = false; };
        hooks.commandLine = [] { return TString(gFake.commandLine.c_str()); };
        SetPortalHooks(hooks);
        SetPortalChannel(&channel_);
        board_ = TGameState::Get();
    }
    void TearDown() override
    {
        SetPortalChannel(nullptr);
        SetPortalHooks(TPortalHooks());
        ResetPortalState();
        SetClockTimeSource(nullptr);
        BoardTest::TearDown();
    }
    void Set(const char* key, const char* value) { board_->SetState(key, value); }
    void Host(int kind) { board_->SetStateInt("windowmessage", kind); }
    bool Held() { return board_->IsHeld(); }
    std::string Get(const char* key) { return board_->GetState(key).CStr(); }

    RecordingChannel channel_;
    TGameState* board_ = nullptr;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(PortalPacketTest, PiecesOfEightBytesLittleEndian)
{
    auto seven = SplitPortalCommand("ABCDEFG");
    ASSERT_EQ(1u, seven.size());
    EXPECT_EQ(0x44434241u, seven[0].wParam);  // 'A' is the low byte
    EXPECT_EQ(0x00474645u, seven[0].lParam);  // ... and the zero closes it
    EXPECT_EQ(2u, SplitPortalCommand("ABCDEFGH").size());
    EXPECT_EQ((TPortalPiece{0, 0}), SplitPortalCommand("ABCDEFGH")[1]);
    EXPECT_EQ(1u, SplitPortalCommand("").size());

    auto ready = SplitPortalCommand("SessionReady(\"<data></data>\")");
    ASSERT_EQ(4u, ready.size());  // 29 characters: three full pieces, then 5 and the zero
    EXPECT_EQ(0x73736553u, ready[0].wParam);  // "Sess"
    EXPECT_EQ(uint32_t('t') | uint32_t('a') << 8 | uint32_t('>') << 16 | uint32_t('"') << 24,
              ready[3].wParam);
    EXPECT_EQ(uint32_t(')'), ready[3].lParam);  // then the zero
}

TEST_F(PortalTest, MsnSession)
{
    ASSERT_TRUE(EnableMsnMode());
    EXPECT_TRUE(IsMsnMode());
    EXPECT_EQ("msn", Get("systemmode"));

    Set("loadbroadcast", "55");
    EXPECT_EQ((Texts{"LoadBroadcast(\"<data><percentcomplete>100</percentcomplete></data>\")"}),
              channel_.Take());
    EXPECT_TRUE(Held());
    EXPECT_EQ((std::vector<std::string>{"hide", "arrow"}), gFake.cursor);
    Set("sessionready", "");
    Set("sessionready", "");   // once only
    Set("loadbroadcast", "");  // no progress after the session is ready
    EXPECT_EQ((Texts{"SessionReady(\"<data></data>\")"}), channel_.Take());
    EXPECT_EQ(0.0f, gFake.volume);  // muted while held and not running

    gFake.now = 2000;
    Host(7);  // play starts and the hold ends
    EXPECT_FALSE(Held());
    EXPECT_EQ(0.8f, gFake.volume);
    EXPECT_EQ(2000u, GetHostPausedTime());
    EXPECT_TRUE(board_->QueryRestartMode());
    EXPECT_FALSE(board_->QueryRestartMode());

    Set("gamemode", "classic");
    EXPECT_EQ((Texts{"GameReady(\"<data><mode>classic</mode></data>\")"}), channel_.Take());
    EXPECT_TRUE(Held());
    gFake.now = 3000;
    Host(5);
    EXPECT_FALSE(Held());
    EXPECT_EQ(3000u, GetHostPausedTime());

    gFake.now = 6000;  // 5 s after the first broadcast tick of 0
    Set("score", "10");
    gFake.now = 7000;
    Set("score", "20");  // 1 s later: not sent
    gFake.now = 11000;
    Set("score", "30");
    // The portal clock ran from 2000 less the held second: 3 s, then 8 s.
    EXPECT_EQ((Texts{"ScoreBroadcast(\"<game><score>10</score><time>3</time></game>\")",
                     "ScoreBroadcast(\"<game><score>30</score><time>8</time></game>\")"}),
              channel_.Take());

    Set("breaknow", "1");
    Host(6);
    Set("breaknow", "1");
    Host(9);
    EXPECT_EQ((Texts{"GameBreak(\"<data><breakpoint>1</breakpoint></data>\")",
                     "GameBreak(\"<data><breakpoint>2</breakpoint></data>\")"}),
              channel_.Take());

    Set("level", "4");
    Set("gameover", "1");
    EXPECT_EQ((Texts{"ScoreSubmit(\"<game><score>30</score><time>8</time></game>\")",
                     "GameEnd(\"<gamedata></gamedata>\")"}),
              channel_.Take());
    EXPECT_TRUE(Held());
    EXPECT_TRUE(board_->QueryMuteGame());
}

TEST_F(PortalTest, HeldTimeIsLeftOutOfTheApplicationTime)
{
    ASSERT_TRUE(EnableMsnMode());
    Host(7);
    board_->QueryRestartMode();
    gFake.now = 1000;
    Host(4);  // the page holds the game
    EXPECT_TRUE(Held());
    gFake.now = 4500;
    Host(10);
    EXPECT_EQ(3500u, GetHostPausedTime());
    // The host face reports the same, which the application's time subtracts.
    std::unique_ptr<THostGameState> face(MakeHostGameState());
    EXPECT_EQ(3500u, face->GetHostPausedTime());
    EXPECT_FALSE(face->IsZylomMode());
    face.reset();
}

TEST_F(PortalTest, ZylomNeverHoldsButPausesAndSubmitsTheLongForm)
{
    ASSERT_TRUE(EnableZylomMode());
    Set("cmdline", "game.exe -zylom -com_interval=30");
    EXPECT_EQ("zylom", Get("systemmode"));
    EXPECT_EQ("0", Get("restartbutton"));

    Set("loadbroadcast", "");  // never in zylom mode
    Set("sessionready", "");
    Set("gamemode", "arcade");
    Set("breaknow", "1");
    EXPECT_EQ(
        (Texts{"SessionReady(\"<data></data>\")", "GameReady(\"<data><mode>arcade</mode></data>\")",
               "GameBreak(\"<data><breakpoint>1</breakpoint></data>\")"}),
        channel_.Take());
    EXPECT_FALSE(Held());
    Host(4);  // only the page holds
    EXPECT_TRUE(Held());
    Host(7);
    EXPECT_FALSE(Held());

    Set("pause", "1");
    Set("pause", "1");  // no change, nothing sent
    Set("pause", "0");
    EXPECT_EQ((Texts{"GamePause(\"<data>true</data>\")", "GamePause(\"<data>false</data>\")"}),
              channel_.Take());

    Set("sublevel", "2");
    Set("level", "5");
    Set("score", "700");
    gFake.now = 31000;
    Set("restartbutton", "");  // due but nothing submitted yet
    EXPECT_EQ("1", Get("restartbutton"));
    Set("gameover", "1");
    Set("restartbutton", "");
    EXPECT_EQ((Texts{"ScoreSubmit(\"<game><score>700</score><time>31</time><level>5</level>"
                     "<sublevel>2</sublevel></game>\")",
                     "GameEnd(\"<gamedata></gamedata>\")", "Restart"}),
              channel_.Take());
    EXPECT_FALSE(Held());
}

// The number stands 14 characters after the switch's start; a line that
// ends before it reads 0 rather than bytes past its end.
TEST_F(PortalTest, CommercialIntervalReadsSafely)
{
    struct Case
    {
        const char* line;
        int interval;  // -1: never due
    };
    for (const Case& c : {Case{"-zylom", -1}, Case{"-com_interval", 0}, Case{"x -com_interval=", 0},
                          Case{"-com_interval 12 -zylom", 12}})
    {
        ResetPortalState();
        TGameState::Destroy();
        board_ = TGameState::Get();
        ASSERT_TRUE(EnableZylomMode());
        gFake.now = 0;
        Host(7);
        Set("cmdline", c.line);
        if (c.interval < 0)
        {
            gFake.now = 1000000;
            EXPECT_EQ("0", Get("restartbutton")) << c.line;
            continue;
        }
        gFake.now = static_cast<uint32_t>(c.interval) * 1000 + 999;
        EXPECT_EQ("0", Get("restartbutton")) << c.line;
        gFake.now += 1;
        EXPECT_EQ("1", Get("restartbutton")) << c.line;
    }
}

TEST_F(PortalTest, BothModesAnswerMsnAndSubmitTheLongForm)
{
    ASSERT_TRUE(EnableMsnMode());
    ASSERT_TRUE(EnableZylomMode());
    EXPECT_EQ("msn", Get("systemmode"));
    Set("gameover", "1");
    // Each switch listed its own handler, and each sends.
    Texts sent = channel_.Take();
    ASSERT_EQ(4u, sent.size());
    EXPECT_NE(std::string::npos, sent[0].find("<level>0</level>"));
    EXPECT_EQ(sent[0], sent[2]);
}

TEST_F(PortalTest, AolHandlerOnlyAnswersSystemMode)
{
    gFake.commandLine = "game -aol";
    EnablePortalHandler();
    EXPECT_EQ("aol", Get("systemmode"));
    for (const char* key : {"loadbroadcast", "sessionready", "gamemode", "breaknow", "gameover",
                            "score", "pause", "restartbutton"})
        Set(key, "1");
    Host(4);
    EXPECT_TRUE(channel_.texts.empty());
    EXPECT_FALSE(Held());
    EXPECT_FALSE(board_->QueryRestartMode());
    // The table consumes "mute" in every mode: the volume is left alone.
    Set("mute", "1");
    EXPECT_EQ(0.8f, gFake.volume);
    EXPECT_FALSE(TGameState::GetHandlers()[0]->QueryMuteGame());
    EXPECT_EQ(0u, GetHostPausedTime());

    // A handler made before the command line was known learns it then.
    ResetPortalState();
    TGameState::Destroy();
    board_ = TGameState::Get();
    gFake.commandLine = "";
    EnablePortalHandler();
    EXPECT_EQ("", Get("systemmode"));
    Set("cmdline", "game -aol");
    EXPECT_EQ("aol", Get("systemmode"));
}

TEST_F(PortalTest, MuteFollowsHostPauseHoldAndScript)
{
    ASSERT_TRUE(EnableMsnMode());
    Set("mute", "0");
    EXPECT_EQ(0.0f, gFake.volume);  // not running yet
    Host(7);
    EXPECT_EQ(0.8f, gFake.volume);
    struct Step
    {
        const char* key;
        int value;
        bool muted;
    };
    for (const Step& s :
         {Step{"windowmessage", 2, true}, Step{"windowmessage", 3, false}, Step{"pause", 1, true},
          Step{"pause", 0, false}, Step{"mute", 1, true}, Step{"mute", 0, false},
          Step{"windowmessage", 4, true}, Step{"windowmessage", 5, false}})
    {
        board_->SetStateInt(s.key, s.value);
        EXPECT_EQ(s.muted, board_->QueryMuteGame()) << s.key << " " << s.value;
        EXPECT_EQ(s.muted ? 0.0f : 0.8f, gFake.volume) << s.key << " " << s.value;
    }
}

TEST_F(PortalTest, PausedHoldLeavesClockAndCursorAlone)
{
    ASSERT_TRUE(EnableMsnMode());
    Host(7);
    Set("pause", "1");
    gFake.cursor.clear();
    Host(4);
    gFake.now = 5000;
    Host(5);
    EXPECT_TRUE(gFake.cursor.empty());
    EXPECT_EQ(5000u, GetHostPausedTime());
    Set("pause", "0");
    Host(4);
    Host(5);
    EXPECT_EQ((std::vector<std::string>{"hide", "arrow", "restore", "show"}), gFake.cursor);
}

TEST_F(PortalTest, MenuJumpThenStartRaisesNoRestart)
{
    ASSERT_TRUE(EnableMsnMode());
    Host(1);
    EXPECT_TRUE(board_->QueryJumpToMenu());
    EXPECT_FALSE(board_->QueryJumpToMenu());
    Host(7);
    EXPECT_FALSE(board_->QueryRestartMode());
    Host(8);
    EXPECT_TRUE(board_->QueryRestartMode());
    Host(0);
    Host(11);
    EXPECT_FALSE(board_->QueryRestartMode());
    EXPECT_FALSE(board_->QueryJumpToMenu());
}

TEST_F(PortalTest, LongModeTextIsCutOnACharacterBoundary)
{
    ASSERT_TRUE(EnableMsnMode());
    std::string mode(215, 'm');
    mode += "\xC3\xA9\xC3\xA9";  // 2-byte characters across the limit
    Set("gamemode", mode.c_str());
    Texts sent = channel_.Take();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ("GameReady(\"<data><mode>" + std::string(215, 'm') + "</mode></data>\")", sent[0]);
    EXPECT_LE(sent[0].size(), 255u);
}

TEST_F(PortalTest, PqModePostsNothing)
{
    SetPortalChannel(nullptr);
    gFake.commandLine = "game -pq=1234";
    ASSERT_TRUE(EnableMsnMode());
    Set("sessionready", "");
    Set("gamemode", "x");
    EXPECT_FALSE(Held());
    EXPECT_EQ(0, channel_.pieces);
    // Each attempt marks the game running: the sound stays on.
    Set("mute", "0");
    EXPECT_EQ(0.8f, gFake.volume);
    // A held page still holds, and the capture is given up first.
    gFake.captured = true;
    Host(4);
    EXPECT_FALSE(gFake.captured);
    EXPECT_TRUE(Held());
}

TEST_F(PortalTest, WithoutAChannelThePostingModesRefuse)
{
    SetPortalChannel(nullptr);
    EXPECT_FALSE(EnableMsnMode());
    EXPECT_FALSE(EnableZylomMode());
    EXPECT_FALSE(IsMsnMode());
    EXPECT_FALSE(IsZylomMode());
    EXPECT_TRUE(TGameState::GetHandlers().empty());

    // The switches come before the log: the line is written once it is open.
    TString log = GetLogPath();
    std::string folder(log.CStr(),
                       static_cast<size_t>(log.Length()) - std::string("/logfile.txt").size());
    SetLogFolder(nullptr);
    std::unique_ptr<THostGameState> face(MakeHostGameState());
    face->EnableMsnMode();
    SetLogFolder(folder.c_str());
    face->SetState("cmdline", "game -msn");
    EXPECT_NE(std::string::npos, tree_.Log().find("Game-state portal mode msn refused"));
    face->SetState("other", "1");
    std::string text = tree_.Log();
    EXPECT_EQ(text.find("mode msn refused"), text.rfind("mode msn refused"));
    face.reset();
}
