// The game-state board: writes and reads through the handler chain, the
// four questions, the mute rule on the fake audio device, the destruction
// order, and the host's face of the board.
#include "services/GameState.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ServicesTestSupport.h"
#include "host/HostServices.h"
#include "platform/null/AudioFake.h"
#include "services/HostGameState.h"
#include "sound/SoundManager.h"

using namespace servicestest;

namespace
{

using Lines = std::vector<std::string>;

// One operation on the board: "set key value" or "get key".
struct Op
{
    bool set;
    const char* key;
    const char* value;
};

struct Case
{
    const char* name;
    // Two handlers "a" and "b" in that order.
    std::set<std::string> consumeA;
    std::string suffixA, suffixB;
    std::vector<Op> ops;
    std::map<std::string, std::string> stored;  // expected entries of the map
    std::vector<std::string> absent;            // keys that must not be stored
    Lines journal;
    std::string lastGet;  // the answer of the last "get"
};

class GameStateTest : public BoardTest
{
};

TEST_F(GameStateTest, WritesAndReadsThroughTheChain)
{
    const Case cases[] = {
        {"increment of an unset key stores 1, then 2, under the bare key",
         {}, "", "",
         {{true, "++count", "x"}, {true, "++count", "y"}},
         {{"count", "2"}},
         {"++count"},
         {"a:get count=", "b:get count=", "a:set count=1", "b:set count=1", "a:get count=1",
          "b:get count=1", "a:set count=2", "b:set count=2"},
         ""},
        {"a single plus is an ordinary key",
         {}, "", "",
         {{true, "+x", "5"}},
         {{"+x", "5"}},
         {"x"},
         {"a:set +x=5", "b:set +x=5"},
         ""},
        {"reading an unknown key stores it empty",
         {}, "", "",
         {{false, "never", nullptr}},
         {{"never", ""}},
         {},
         {"a:get never=", "b:get never="},
         ""},
        {"the first consuming handler ends the offer, the value is still stored",
         {"k"}, "", "",
         {{true, "k", "v"}, {true, "other", "w"}},
         {{"k", "v"}, {"other", "w"}},
         {},
         {"a:set k=v", "a:set other=w", "b:set other=w"},
         ""},
        {"each handler gets the value the one before it reported",
         {}, "-a", "-b",
         {{true, "k", "v"}, {false, "k", nullptr}},
         {{"k", "v"}},
         {},
         {"a:set k=v", "b:set k=v", "a:get k=v", "b:get k=v-a"},
         "v-a-b"},
        {"an increment counts from what the handlers report",
         {}, "", "7",
         {{true, "++n", ""}},
         {{"n", "8"}},
         {},
         {"a:get n=", "b:get n=", "a:set n=8", "b:set n=8"},
         ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TGameState::Destroy();
        Journal().clear();
        RecordingHandler* a = Add("a");
        RecordingHandler* b = Add("b");
        a->consume = c.consumeA;
        a->suffix = c.suffixA;
        b->suffix = c.suffixB;
        TGameState* board = TGameState::Get();
        ASSERT_NE(nullptr, board);
        std::string last;
        for (const Op& op : c.ops)
        {
            if (op.set)
                board->SetState(op.key, op.value);
            else
                last = board->GetState(op.key).CStr();
        }
        EXPECT_EQ(c.journal, Journal());
        EXPECT_EQ(c.lastGet, last);
        const auto& states = board->GetStoredStates();
        for (const auto& [key, value] : c.stored)
        {
            auto it = states.find(key.c_str());
            ASSERT_NE(states.end(), it) << key;
            EXPECT_STREQ(value.c_str(), it->second.CStr()) << key;
        }
        for (const std::string& key : c.absent) EXPECT_EQ(0u, states.count(key.c_str())) << key;
    }
}

TEST_F(GameStateTest, QuestionsStopAtTheFirstTrueAnswer)
{
    TGameState* board = TGameState::Get();
    ASSERT_NE(nullptr, board);
    // No handlers: only the stored "mute" can say yes.
    EXPECT_FALSE(board->QueryRestartMode());
    EXPECT_FALSE(board->QueryJumpToMenu());
    EXPECT_FALSE(board->IsHeld());
    EXPECT_FALSE(board->QueryMuteGame());

    RecordingHandler* a = Add("a");
    RecordingHandler* b = Add("b");
    Add("c");
    b->restart = b->menu = b->hold = b->mute = true;
    Journal().clear();
    EXPECT_TRUE(board->QueryRestartMode());
    EXPECT_TRUE(board->QueryJumpToMenu());
    EXPECT_TRUE(board->IsHeld());
    EXPECT_TRUE(board->QueryMuteGame());
    EXPECT_EQ((Lines{"a:restart", "b:restart", "a:menu", "b:menu", "a:hold", "b:hold", "a:mute",
                     "b:mute"}),
              Journal());

    // Nobody answers: the mute question falls back to the stored value,
    // read through the chain.
    b->restart = b->menu = b->hold = b->mute = false;
    a->suffix = "";
    board->SetState("mute", "1");
    Journal().clear();
    EXPECT_TRUE(board->QueryMuteGame());
    EXPECT_EQ((Lines{"a:mute", "b:mute", "c:mute", "a:get mute=1", "b:get mute=1", "c:get mute=1"}),
              Journal());
    board->SetState("mute", "0x");
    EXPECT_FALSE(board->QueryMuteGame());
    EXPECT_FALSE(board->QueryRestartMode());
}

TEST_F(GameStateTest, DestroyShutsDownAndDeletesInListOrderThenTheBoard)
{
    Add("a");
    Add("b");
    TGameState* board = TGameState::Get();
    ASSERT_NE(nullptr, board);
    EXPECT_EQ(2u, TGameState::GetHandlers().size());
    TGameState::Destroy();
    EXPECT_EQ((Lines{"a:shutdown", "a:delete", "b:shutdown", "b:delete"}), Journal());
    EXPECT_TRUE(TGameState::GetHandlers().empty());
    EXPECT_EQ(nullptr, TGameState::Peek());
    // A new board starts empty.
    EXPECT_TRUE(TGameState::Get()->GetStoredStates().empty());
}

TEST_F(GameStateTest, DestroyWithoutABoardStillFreesTheHandlers)
{
    TGameState::SetFacadeTestForTest([] { return false; });
    Add("early");  // listed before any facade, as the portal switches do
    EXPECT_EQ(nullptr, TGameState::Get());
    TGameState::Destroy();
    EXPECT_EQ((Lines{"early:shutdown", "early:delete"}), Journal());
    EXPECT_TRUE(TGameState::GetHandlers().empty());
}

TEST_F(GameStateTest, TheBoardWaitsForTheFacade)
{
    TGameState::SetFacadeTestForTest(nullptr);  // the real test: GetApp()
    EXPECT_EQ(nullptr, TGameState::Get());
    EXPECT_EQ(nullptr, TGameState::Peek());
    TGameState::SetFacadeTestForTest([] { return true; });
    TGameState* board = TGameState::Get();
    EXPECT_NE(nullptr, board);
    EXPECT_EQ(board, TGameState::Get());
}

// The mute rule over a sound manager on the fake device.
class MuteTest : public BoardTest
{
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        fake_ = TFakeAudio::Install();
        sound_ = std::make_unique<TSoundManager>();
        ASSERT_TRUE(sound_->Init());
        sound_->SetMasterVolume(0.75f);
    }
    void TearDown() override
    {
        sound_.reset();
        TFakeAudio::Uninstall();
        BoardTest::TearDown();
    }
    float Master() { return sound_->GetGroupVolume(-1); }

    std::shared_ptr<TFakeAudio> fake_;
    std::unique_ptr<TSoundManager> sound_;
};

TEST_F(MuteTest, MutingSavesTheVolumeOnceAndUnmutingRestoresIt)
{
    TGameState* board = TGameState::Get();
    board->SetState("mute", "1");
    EXPECT_EQ(0.0f, Master());
    sound_->SetMasterVolume(0.5f);  // changed while muted; the saved one stays
    board->SetState("mute", "1");   // already muted: nothing saved again
    EXPECT_EQ(0.5f, Master());
    board->SetState("mute", "0");
    EXPECT_EQ(0.75f, Master());
    sound_->SetMasterVolume(0.25f);
    board->SetState("mute", "0");  // a second unmute changes nothing
    EXPECT_EQ(0.25f, Master());
}

TEST_F(MuteTest, AConsumedMuteLeavesTheVolumeAlone)
{
    RecordingHandler* a = Add("a");
    a->consume = {"mute"};
    TGameState* board = TGameState::Get();
    board->SetState("mute", "1");
    EXPECT_EQ(0.75f, Master());
    EXPECT_STREQ("1", board->GetStoredStates().at("mute").CStr());
    // The unmute reaches the board's rule, but nothing was taken away, so
    // nothing (least of all a volume of 0) is given back.
    a->consume.clear();
    board->SetState("mute", "0");
    EXPECT_EQ(0.75f, Master());

    // Muted by the board, unmute consumed, muted again: the player's volume
    // is what comes back in the end.
    board->SetState("mute", "1");
    EXPECT_EQ(0.0f, Master());
    a->consume = {"mute"};
    board->SetState("mute", "0");
    a->consume.clear();
    board->SetState("mute", "1");
    board->SetState("mute", "0");
    EXPECT_EQ(0.75f, Master());
}

TEST_F(GameStateTest, HostFaceForwardsAndRefusesPortals)
{
    std::unique_ptr<THostGameState> host(MakeHostGameState());
    RecordingHandler* a = Add("a");
    host->SetState("k", "v");
    host->SetStateInt("n", -3);
    EXPECT_FALSE(host->IsHeld());
    a->hold = true;
    EXPECT_TRUE(host->IsHeld());
    a->hold = false;
    host->EnableMsnMode();
    host->EnableZylomMode();
    host->EnablePortalHandler();
    EXPECT_FALSE(host->IsZylomMode());
    EXPECT_EQ(0u, host->GetHostPausedTime());
    // Only the handler that never posts was listed.
    EXPECT_EQ(2u, TGameState::GetHandlers().size());
    std::string log = tree_.Log();
    EXPECT_NE(std::string::npos, log.find("portal mode msn refused"));
    EXPECT_NE(std::string::npos, log.find("portal mode zylom refused"));
    EXPECT_EQ(std::string::npos, log.find("portal mode portal refused"));
    EXPECT_EQ((Lines{"a:set k=v", "a:set n=-3", "a:hold", "a:hold"}), Journal());
    host->AddPostMetricsHandler();
    EXPECT_EQ(3u, TGameState::GetHandlers().size());
    // Deleting the face destroys the board and its handlers.
    host.reset();
    EXPECT_EQ(nullptr, TGameState::Peek());
    EXPECT_TRUE(TGameState::GetHandlers().empty());
}

}  // namespace
