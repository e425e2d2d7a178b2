// Helpers for the game-state service tests: a fixture with a private folder
// tree and a board that may be made without a facade, and a handler that
// records what the board asks of it.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/FileTestSupport.h"
#include "core/Folders.h"
#include "services/GameState.h"

namespace servicestest
{

// Every call the recording handlers see, in order, as "<name>:<what>".
inline std::vector<std::string>& Journal()
{
    static std::vector<std::string> journal;
    return journal;
}

class RecordingHandler : public TGameStateHandler
{
public:
    explicit RecordingHandler(std::string name) : name_(std::move(name)) {}
    ~RecordingHandler() override { Note("delete"); }

    bool OnSetState(const TString& key, const TString& value) override
    {
        Note(std::string("set ") + key.CStr() + "=" + value.CStr());
        return consume.count(key.CStr()) != 0;
    }
    TString OnGetState(const TString& key, const TString& value) override
    {
        Note(std::string("get ") + key.CStr() + "=" + value.CStr());
        return suffix.empty() ? value : value + suffix.c_str();
    }
    bool QueryRestartMode() override { return Answer("restart", restart); }
    bool QueryJumpToMenu() override { return Answer("menu", menu); }
    bool QueryMuteGame() override { return Answer("mute", mute); }
    bool IsHoldingGame() override { return Answer("hold", hold); }
    void Shutdown() override
    {
        Note("shutdown");
        TGameStateHandler::Shutdown();
    }

    std::set<std::string> consume;
    std::string suffix;  // appended by OnGetState when not empty
    bool restart = false, menu = false, mute = false, hold = false;

private:
    void Note(const std::string& what) { Journal().push_back(name_ + ":" + what); }
    bool Answer(const char* what, bool answer)
    {
        Note(what);
        return answer;
    }
    std::string name_;
};

// A private folder tree (the current folder, the log and the per-user
// folder "user" inside it) and a board that does not wait for a facade.
class BoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Journal().clear();
        std::filesystem::create_directories(tree_ / "user");
        SetUserDataFolder((tree_ / "user").c_str());
        TGameState::SetFacadeTestForTest([] { return true; });
    }
    void TearDown() override
    {
        TGameState::Destroy();
        TGameState::SetFacadeTestForTest(nullptr);
        SetUserDataFolder("");
    }
    RecordingHandler* Add(const std::string& name)
    {
        auto handler = std::make_unique<RecordingHandler>(name);
        RecordingHandler* kept = handler.get();
        TGameState::AddHandler(std::move(handler));
        return kept;
    }
    std::string UserFolder() const { return (tree_ / "user").string(); }

    filetest::TempTree tree_;
};

}  // namespace servicestest
