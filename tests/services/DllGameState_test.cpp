// Handlers from module files: every operation forwarded to the module, the
// handler given back once, and each way loading fails without a leak.
#include "services/DllGameState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ServicesTestSupport.h"
#include "core/Folders.h"
#include "host/HostServices.h"
#include "platform/Library.h"
#include "services/HostGameState.h"

using namespace servicestest;
namespace fs = std::filesystem;

namespace
{

using Lines = std::vector<std::string>;

std::vector<std::string>& ModuleCalls()
{
    static std::vector<std::string> calls;
    return calls;
}

void Sink(const char* line)
{
    ModuleCalls().push_back(line);
}

// The modules copied into a program folder of the test's own, each held
// open by a probe so that the sink survives the handler's unloading.
class ModuleTest : public BoardTest
{
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        ModuleCalls().clear();
        program_ = tree_ / "program";
        fs::create_directories(program_ / "assets");
        for (const char* name : {"good", "short", "nullhandler", "nodestroy"})
        {
            fs::path target = program_ / "assets" / (std::string(name) + ".qvmod");
            fs::copy_file(fs::path(MODULE_FOLDER) / (std::string(name) + ".qvmod"), target);
            auto probe = std::make_unique<platform::Library>();
            ASSERT_TRUE(probe->Open(target.string(), {program_.string()})) << probe->LastError();
            auto setSink =
                reinterpret_cast<void (*)(void (*)(const char*))>(probe->Symbol("SetTestModuleSink"));
            ASSERT_NE(nullptr, setSink);
            setSink(&Sink);
            probes_.push_back(std::move(probe));
        }
        SetProgramFolder(program_.c_str());
    }
    void TearDown() override
    {
        BoardTest::TearDown();
        probes_.clear();
        SetProgramFolder("");
    }
    TString Name(const char* module) const
    {
        return TString(("::" + (program_ / "assets" / (std::string(module) + ".qvmod")).string()).c_str());
    }

    fs::path program_;
    std::vector<std::unique_ptr<platform::Library>> probes_;
};

TEST_F(ModuleTest, ForwardsEveryOperationAndGivesTheHandlerBackOnce)
{
    auto* handler = new TDllGameState();
    ASSERT_TRUE(handler->Load(Name("good")));
    EXPECT_TRUE(handler->IsLoaded());
    TGameState::AddHandler(handler);
    TGameState* board = TGameState::Get();

    board->SetState("consume", "1");
    board->SetState("k", "v");
    EXPECT_STREQ("mod(v)", board->GetState("k").CStr());
    // A null answer reports the value given.
    board->SetState("null", "kept");
    EXPECT_STREQ("kept", board->GetState("null").CStr());
    board->SetState("answers", "15");
    EXPECT_TRUE(board->QueryRestartMode());
    EXPECT_TRUE(board->QueryJumpToMenu());
    EXPECT_TRUE(board->QueryMuteGame());
    EXPECT_TRUE(board->IsHeld());
    board->SetState("answers", "2");
    EXPECT_FALSE(board->QueryRestartMode());
    EXPECT_TRUE(board->QueryJumpToMenu());
    EXPECT_FALSE(board->IsHeld());
    // The consumed key was stored all the same.
    EXPECT_STREQ("1", board->GetStoredStates().at("consume").CStr());

    TGameState::Destroy();
    EXPECT_EQ((Lines{"create", "set consume=1", "set k=v", "get k=v", "set null=kept", "get null=kept",
                     "set answers=15", "restart", "menu", "mute", "hold", "set answers=2", "restart",
                     "menu", "hold", "destroy"}),
              ModuleCalls());
}

TEST_F(ModuleTest, EveryFailedLoadIsReleasedAndAnswersAsTheBase)
{
    struct Case
    {
        const char* name;
        TString module;
        Lines calls;  // what the module saw, deletion included
    };
    fs::create_directories(tree_ / "elsewhere");
    fs::copy_file(fs::path(MODULE_FOLDER) / "good.qvmod", tree_ / "elsewhere" / "good.qvmod");
    filetest::WriteAll(program_ / "assets" / "text.qvmod", "not a library");
    const Case cases[] = {
        {"missing file", Name("missing"), {}},
        {"outside the program's folders",
         TString(("::" + (tree_ / "elsewhere" / "good.qvmod").string()).c_str()), {}},
        {"not a library", Name("text"), {}},
        {"no DestroyHandler entry", Name("nodestroy"), {}},
        {"CreateHandler answers null", Name("nullhandler"), {"create"}},
        {"table shorter than the program's", Name("short"), {"create", "destroy"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ModuleCalls().clear();
        auto handler = std::make_unique<TDllGameState>();
        EXPECT_FALSE(handler->Load(c.module));
        EXPECT_FALSE(handler->IsLoaded());
        EXPECT_FALSE(handler->OnSetState("k", "v"));
        EXPECT_STREQ("v", handler->OnGetState("k", "v").CStr());
        EXPECT_FALSE(handler->QueryRestartMode());
        EXPECT_FALSE(handler->QueryJumpToMenu());
        EXPECT_FALSE(handler->QueryMuteGame());
        EXPECT_FALSE(handler->IsHoldingGame());
        handler.reset();
        EXPECT_EQ(c.calls, ModuleCalls());
    }
    // Loading fails silently.
    EXPECT_EQ(std::string::npos, tree_.Log().find("qvmod"));
}

TEST_F(ModuleTest, TheHostFaceListsOnlyModulesThatLoad)
{
    std::unique_ptr<THostGameState> host(MakeHostGameState());
    EXPECT_FALSE(host->LoadModule(Name("short")));
    EXPECT_TRUE(TGameState::GetHandlers().empty());
    EXPECT_TRUE(host->LoadModule(Name("good")));
    ASSERT_EQ(1u, TGameState::GetHandlers().size());
    host->SetState("k", "v");
    host.reset();
    EXPECT_EQ((Lines{"create", "destroy", "create", "set k=v", "destroy"}), ModuleCalls());
}

}  // namespace
