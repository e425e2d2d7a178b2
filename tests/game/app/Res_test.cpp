// Resource groups: requests through the loading modal as the game makes
// them, unloading, the existence check and its "LoadRes" texts, lookups,
// loading at once, the requester going away, and the shipped groups.
#include "game/app/Res.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/FileTestSupport.h"
#include "game/app/support/LoadingFixture.h"
#include "script/LuaTable.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

std::string Png()
{
    return imagefx::PngFromArgb(2, 2, std::vector<uint32_t>(4, 0xFFFF0000u));
}

const char kResources[] =
    "pics = { 'img/one', 'img/two' }\n"
    "more = { 'img/three', 'img/four' }\n"
    "anims = { 'walk' }\n"
    "music_audio = { 'sounds/theme?group=1001', 'sounds/gone?group=1000' }\n"
    "mixed = { 'img/one', 'img/missing', 'img/jpeg', 'walk', 'sounds/theme' }\n"
    "counted = { 'img/one', 'img/two', 'img/three', n = 2 }\n"
    "wild = { 'img/one', n = 1e9 }\n"
    "holes = { 'img/one', nil, 'img/two' }\n"
    "empty = {}\n"
    "numbered = 5\n"
    "oddities = { 'img/one', {}, true }\n";

class ResTest : public gameapptest::LoadingTest
{
protected:
    void SetUp() override
    {
        const std::string png = Png();
        SetUpLoading(kResources,
                     {{"img/one.png", png},
                      {"img/two.png", png},
                      {"img/three.png", png},
                      {"img/four.png", png},
                      {"sheet.png", png},
                      {"img/jpeg.jpg", imagefx::JpegFromArgb(2, 2, std::vector<uint32_t>(4, 0))},
                      {"walk.xml",
                       "<sequence name=\"walk\"><img name=\"sheet.png\"/><framelist>"
                       "<frame x=\"0\" w=\"2\" h=\"2\"/></framelist></sequence>"},
                      {"sounds/theme.ogg", "not really a sound"}});
    }

    // "LoadRes" box texts logged since the last call.
    std::vector<std::string> Boxes()
    {
        std::vector<std::string> out;
        std::istringstream lines(assets_.NewLog());
        for (std::string line; std::getline(lines, line);)
        {
            const size_t at = line.find("MessageBox: LoadRes: ");
            if (at != std::string::npos) out.push_back(line.substr(at + 21));
        }
        return out;
    }
};

TEST_F(ResTest, ARequestLoadsOneFilePerTickBehindTheLoadingModal)
{
    EXPECT_TRUE(res_->IsFirstLoad());
    Request({"pics", "anims"});
    EXPECT_TRUE(res_->IsLoading());
    EXPECT_EQ(res_->GetTotalFiles(), 3);
    EXPECT_EQ(TopName(), "load");
    TLoadScreen* screen = res_->GetLoadScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetModalParent(), wm->GetTopModal());

    // Each 10 ms tick of the loading screen loads one file.
    for (int expected = 1; expected <= 2; ++expected)
    {
        Pass(10);
        EXPECT_EQ(res_->GetLoadedFiles(), expected);
        EXPECT_EQ(done_, 0);
    }
    EXPECT_NE(res_->GetAsset("pics:img/two"), nullptr);
    EXPECT_EQ(res_->GetAnimation("anims:walk"), nullptr);
    Pass(10);
    EXPECT_EQ(done_, 1);
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_FALSE(res_->IsFirstLoad());
    EXPECT_EQ(res_->GetLoadScreen(), nullptr);
    EXPECT_NE(res_->GetAnimation("anims:walk"), nullptr);
    // The loading modal went, and only it.
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());

    // Nothing is loading now: a stray call changes nothing.
    res_->LoadNextFile();
    EXPECT_EQ(res_->GetLoadedFiles(), 3);
    EXPECT_EQ(done_, 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ResTest, GroupsAlreadyLoadedCompleteAtOnceAndDroppedOnesGoFirst)
{
    res_->LoadGroupNow("pics");
    res_->LoadGroupNow("anims");
    Request({"pics", "anims"});
    EXPECT_EQ(done_, 1);
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    EXPECT_TRUE(res_->IsFirstLoad());  // nothing was loaded by a request

    // Dropping "anims" unloads it before the first file of "more" loads.
    Request({"more", "pics"});
    EXPECT_FALSE(res_->IsGroupLoaded("anims"));
    EXPECT_EQ(res_->GetAnimation("anims:walk"), nullptr);
    EXPECT_TRUE(res_->IsGroupLoaded("pics"));
    EXPECT_EQ(res_->GetTotalFiles(), 2);
    EXPECT_EQ(done_, 1);
    for (int i = 0; i < 2; ++i) Pass(10);
    EXPECT_EQ(done_, 2);
    EXPECT_NE(res_->GetAsset("more:img/four"), nullptr);
}

TEST_F(ResTest, AGroupAskedForTwiceIsQueuedAndLoadedOnce)
{
    Request({"pics", "empty", "pics", "nosuchgroup"});
    EXPECT_EQ(res_->GetTotalFiles(), 2);
    LoadAll();
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_EQ(res_->GetLoadedFiles(), 2);
    EXPECT_EQ(done_, 1);
    // Groups without files count as loaded: asking again shows nothing.
    Request({"pics", "empty", "nosuchgroup"});
    EXPECT_EQ(done_, 2);
    EXPECT_FALSE(res_->IsLoading());
}

TEST_F(ResTest, MissingFilesAreNamedAsTheTableWritesThem)
{
    struct Case
    {
        const char* group;
        int files;
        std::vector<std::string> boxes;
    } const cases[] = {
        // The sound check goes up to the '?' and adds ".ogg".
        {"music_audio", 2, {"sounds/gone?group=1000"}},
        // Pictures need .png, .jpg or .xml; a sound file does not count.
        {"mixed", 5, {"img/missing", "sounds/theme"}},
        // "n" counts unless it claims entries the table does not hold.
        {"counted", 2, {}},
        {"wild", 1, {}},
        {"holes", 3, {""}},
        {"empty", 0, {}},
        {"nosuchgroup", 0, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.group);
        EXPECT_EQ(res_->QueueGroup(c.group), c.files);
        EXPECT_EQ(Boxes(), c.boxes);
        // Once per request.
        EXPECT_EQ(res_->QueueGroup(c.group), 0);
        EXPECT_TRUE(Boxes().empty());
    }
}

// A group that is not a table of file names, or holds entries that are not,
// is named in the log instead of loading silently short.
TEST_F(ResTest, EntriesOfTheWrongTypeNameTheirGroup)
{
    struct Case
    {
        const char* group;
        int files;
        std::vector<std::string> logged;
    } const cases[] = {
        {"numbered", 0, {"resource group numbered is a number, not a table of file names"}},
        {"oddities", 1,
         {"resource group oddities: entry 2 is a table, not a file name",
          "resource group oddities: entry 3 is a boolean, not a file name"}},
        {"pics", 2, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.group);
        EXPECT_EQ(res_->QueueGroup(c.group), c.files);
        const std::string log = assets_.NewLog();
        for (const std::string& text : c.logged)
            EXPECT_NE(log.find(text), std::string::npos) << log;
        if (c.logged.empty()) EXPECT_EQ(log.find("resource group"), std::string::npos) << log;
    }
}

TEST_F(ResTest, MissingFilesAreStillTriedAndTheRequestEnds)
{
    Request({"mixed"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"img/missing", "sounds/theme"}));
    LoadAll();
    EXPECT_EQ(done_, 1);
    EXPECT_EQ(res_->GetLoadedFiles(), 5);
    EXPECT_NE(res_->GetAsset("mixed:img/jpeg"), nullptr);
    EXPECT_EQ(res_->GetAsset("mixed:img/missing"), nullptr);
    EXPECT_NE(assets_.Log().find("img/missing"), std::string::npos);
}

TEST_F(ResTest, LookupsByGroupAndName)
{
    res_->LoadGroupNow("pics");
    res_->LoadGroupNow("anims");
    EXPECT_EQ(res_->ListGroupAssets("pics"),
              (std::vector<TString>{"pics:img/one", "pics:img/two"}));
    EXPECT_TRUE(res_->ListGroupAssets("more").empty());
    struct Case
    {
        const char* name;
        bool texture;
        bool animation;
    } const cases[] = {
        // An animation is a texture too.
        {"pics:img/one", true, false}, {"anims:walk", true, true},
        {"pics:img/nine", false, false}, {"more:img/three", false, false},
        {"pics", false, false},          {":img/one", false, false},
        {"", false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(res_->GetAsset(c.name) != nullptr, c.texture);
        EXPECT_EQ(res_->GetAnimation(c.name) != nullptr, c.animation);
    }

    // The map of a group not loaded is made empty, and the group then counts
    // as loaded.
    EXPECT_EQ(res_->GetGroupMap("more").GetAssetCount(), 0);
    EXPECT_TRUE(res_->IsGroupLoaded("more"));

    res_->UnloadGroup("pics");
    res_->UnloadGroup("pics");
    EXPECT_EQ(res_->GetAsset("pics:img/one"), nullptr);
    EXPECT_TRUE(res_->ListGroupAssets("pics").empty());
}

TEST_F(ResTest, LoadGroupNowTakesTheWholeTableWithoutChecks)
{
    res_->LoadGroupNow("mixed");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    EXPECT_NE(res_->GetAsset("mixed:img/one"), nullptr);
    const size_t count = res_->ListGroupAssets("mixed").size();
    // Loading again starts from an empty map.
    res_->GetGroupMap("mixed").AddAsset("img/two");
    res_->LoadGroupNow("mixed");
    EXPECT_EQ(res_->ListGroupAssets("mixed").size(), count);
    res_->LoadGroupNow("counted");
    EXPECT_EQ(res_->ListGroupAssets("counted").size(), 2u);
}

TEST_F(ResTest, ARequesterDestroyedWhileLoadingTakesItsCallbackBack)
{
    uitest::RecWindow* requester = Window(wm->GetScreen(), "requester", TRect(0, 0, 10, 10));
    int called = 0;
    res_->SetRequester(requester, [&called] { ++called; });
    res_->LoadGroups({"pics"});
    ASSERT_TRUE(res_->IsLoading());
    // Another window's leaving changes nothing.
    res_->ForgetRequester(wm->GetScreen());
    res_->ForgetRequester(nullptr);
    res_->ForgetRequester(requester);
    LoadAll();
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_EQ(called, 0);

    // A callback is called once: a later request without one calls nothing.
    Request({"more"});
    LoadAll();
    EXPECT_EQ(done_, 1);
    res_->LoadGroups({"more"});
    EXPECT_EQ(done_, 1);
}

TEST_F(ResTest, ARequestWhileLoadingUsesTheLoadingScreenAlreadyUp)
{
    Request({"pics"});
    Pass(10);
    TLoadScreen* screen = res_->GetLoadScreen();
    ASSERT_NE(screen, nullptr);
    const int modals = wm->GetModalCount();
    Request({"more"});
    EXPECT_EQ(wm->GetModalCount(), modals);
    EXPECT_EQ(res_->GetLoadScreen(), screen);
    EXPECT_EQ(res_->GetTotalFiles(), 2);
    LoadAll();
    EXPECT_EQ(done_, 1);  // the later request's callback replaced the first
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    EXPECT_FALSE(res_->IsGroupLoaded("pics"));
    EXPECT_NE(res_->GetAsset("more:img/four"), nullptr);
}

TEST_F(ResTest, PausingTheLoadingScreenHoldsTheQueue)
{
    res_->SetLoadingPaused(true);  // no loading screen: nothing to pause
    Request({"pics"});
    TLoadScreen* screen = res_->GetLoadScreen();
    ASSERT_NE(screen, nullptr);
    Pass(10);
    EXPECT_EQ(res_->GetLoadedFiles(), 1);
    res_->SetLoadingPaused(true);
    EXPECT_TRUE(screen->IsPaused());
    for (int i = 0; i < 5; ++i) Pass(10);
    EXPECT_EQ(res_->GetLoadedFiles(), 1);
    res_->SetLoadingPaused(false);
    Pass(10);
    EXPECT_EQ(res_->GetLoadedFiles(), 2);
    EXPECT_EQ(done_, 1);
}

TEST_F(ResTest, TheEndOfLoadingLeavesOtherModalsAlone)
{
    // A loading screen outside the modal stack (made directly) is registered
    // while another dialog is on top: finishing must not pop that dialog.
    auto* question = Modal("quit", 200, 100);
    wm->PushModal(question);
    auto* loose = new TLoadScreen();
    ASSERT_EQ(res_->GetLoadScreen(), loose);
    Request({"pics"});
    EXPECT_EQ(TopName(), "quit");
    while (res_->IsLoading()) res_->LoadNextFile();
    EXPECT_EQ(done_, 1);
    EXPECT_EQ(TopName(), "quit");
    delete loose;
    EXPECT_EQ(res_->GetLoadScreen(), nullptr);
}

TEST_F(ResTest, WithoutALoadingScreenTheRequestLoadsAtOnce)
{
    // A loading script that opens a modal but no loading screen.
    assets_.Put("scripts/core/screen/load.lua", "MakeDialog{ name = 'load' }\n");
    Request({"pics", "anims"});
    EXPECT_FALSE(res_->IsLoading());
    EXPECT_EQ(done_, 1);
    EXPECT_NE(res_->GetAnimation("anims:walk"), nullptr);
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    EXPECT_NE(assets_.NewLog().find("no loading screen"), std::string::npos);
}

// Every entry of the shipped groups names a file of the repository's
// assets: a run on the shipped data shows no "LoadRes" box.
TEST(ShippedResources, EveryEntryExists)
{
    filetest::TempTree tree;
    // The index keys names by their path below a folder named "assets".
    std::filesystem::create_directory_symlink(std::string(ORVELLE_SOURCE_DIR) + "/assets",
                                              tree / "assets");
    ScanAssetFolder("assets", "");
    TRes* res = TRes::GetInstance();
    ASSERT_NE(res, nullptr);
    for (const char* group : {"helper", "main_menu", "map", "core_audio", "window_audio",
                              "comics", "comics_1", "comics_1_audio"})
    {
        SCOPED_TRACE(group);
        std::unique_ptr<TLuaTable> table(res->GetScript()->GetGlobalTable(group));
        EXPECT_NE(table, nullptr);
        res->QueueGroup(group);
    }
    DestroySingletons();
    EXPECT_EQ(tree.Log().find("LoadRes"), std::string::npos) << tree.Log();
    EXPECT_EQ(tree.Log().find("ERROR"), std::string::npos) << tree.Log();
}

}  // namespace
