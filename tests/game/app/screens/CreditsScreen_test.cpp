// The credits: the column's layout, the four phases on the screen's clock,
// entries off screen, a speed of 0, and lists too short for the phase
// machine or naming styles that do not exist.
#include <gtest/gtest.h>

#include <string>

#include "game/app/screens/CreditsScreen.h"
#include "game/app/Res.h"
#include "game/app/screens/support/ScreenTest.h"
#include "graphics/Texture.h"
#include "graphics/support/ImageFixtures.h"
#include "script/LuaTable.h"

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class CreditsScreenTest : public screenstest::ScreenTest
{
protected:
    // The screen over this list, its column starting at startY.
    TCreditsScreen* Open(const std::string& list, int startY = 0)
    {
        assets.Put(TCreditsScreen::kListScript, list);
        assets.NewLog();
        const std::string dialog =
            "PushModal('credits') okPressed = 0 "
            "MakeDialog{ name = 'credits', CreditsScreen{ name = 'credits_screen', x = 0, y = 0, "
            "w = 800, h = 600, window_info = { item_start_y = " +
            std::to_string(startY) +
            " }, Button{ name = 'ok_button', x = 700, y = 540, w = 80, h = 40, "
            "command = function() okPressed = okPressed + 1 end } } }";
        EXPECT_EQ(script->DoLuaString(dialog.c_str()), 0);
        return Find<TCreditsScreen>("credits_screen");
    }
    // Time passes, the timers run, a frame is drawn.
    void Step(TCreditsScreen* screen, uint32_t ms)
    {
        Tick(ms);
        scene.Frame([screen] { screen->Draw(); });
    }
    static std::vector<int> Tops(TCreditsScreen* screen)
    {
        std::vector<int> tops;
        for (const auto& item : screen->GetItems()) tops.push_back(item->GetRect().top);
        return tops;
    }
};

// Three pictures (without files: 0 x 0) 100 px apart, then a text line.
const char* const kList = R"(
gMain = { stage_time = { 100, 200, 300, 400 }, speed = 1000, text_width = 300 }
gTextStyle = { { font = "fonts/default.mvec", size = 20, flag = 1, color = { 1, 1, 1, 1 } } }
gCreditsList = {
    { image = "", y_disp = 100 },
    { text = "no_text", image = "", y_disp = 100 },
    { image = "", y_disp = 100 },
    { text = "credits_game", style = 0, height = 40 },
}
)";

TEST_F(CreditsScreenTest, FadesHoldsScrollsOffAndStartsOver)
{
    TCreditsScreen* credits = Open(kList, 500);
    ASSERT_NE(credits, nullptr);
    ASSERT_EQ(credits->GetItems().size(), 4u);
    EXPECT_EQ(Tops(credits), (std::vector<int>{500, 600, 700, 800}));
    EXPECT_EQ(credits->GetItems()[3]->GetRect(), TRect(250, 800, 550, 840)) << "text: centred box";
    EXPECT_EQ(credits->GetItems()[1]->GetRect(), TRect(400, 600, 400, 600)) << "no_text: a picture";
    EXPECT_EQ(player->TopScreen(), credits);

    struct Expect
    {
        uint32_t ms;
        int phase;
        float alpha;  // of every entry: the whole column fades in
        std::vector<int> tops;
        int drawn;
    } steps[] = {
        {16, 0, 0.0f, {500, 600, 700, 800}, 2},    // the first tick only starts the screen
        {34, 0, 0.5f, {500, 600, 700, 800}, 2},    // half the fade
        {50, 1, 1.0f, {500, 600, 700, 800}, 2},    // faded in: hold
        {200, 2, 1.0f, {500, 600, 700, 800}, 2},   // held: scrolling starts
        {100, 2, 1.0f, {400, 500, 600, 700}, 3},   // 1000 px/s
        {700, 2, 1.0f, {-300, -200, -100, 0}, 1},  // the text line still touches the top
        {50, 2, 1.0f, {-350, -250, -150, -50}, 0},
        {16, 3, 1.0f, {-366, -266, -166, -66}, 0},  // nothing drawn: pause
        {400, 0, 0.0f, {500, 600, 700, 800}, 2},    // and over again
    };
    int n = 0;
    for (const Expect& e : steps)
    {
        Step(credits, e.ms);
        EXPECT_EQ(credits->GetPhase(), e.phase) << "step " << n;
        for (const auto& item : credits->GetItems())
            EXPECT_FLOAT_EQ(item->GetAlpha(), e.alpha) << "step " << n;
        EXPECT_EQ(Tops(credits), e.tops) << "step " << n;
        EXPECT_EQ(credits->GetDrawnCount(), e.drawn) << "step " << n;
        ++n;
    }
    const std::string newLog = assets.NewLog();
    EXPECT_EQ(newLog.find("ERROR"), std::string::npos) << newLog;
}

TEST_F(CreditsScreenTest, AtSpeedZeroTheColumnStaysAndScrollingNeverEnds)
{
    TCreditsScreen* credits = Open(R"(
gMain = { stage_time = { 10, 10, 10, 10 }, speed = 0 }
gCreditsList = { { image = "", y_disp = 50 }, { image = "" } }
)",
                                   100);
    ASSERT_NE(credits, nullptr);
    for (int i = 0; i < 5; ++i) Step(credits, 16);
    ASSERT_EQ(credits->GetPhase(), TCreditsScreen::kScroll);
    Step(credits, 100000);
    Step(credits, 16);
    EXPECT_EQ(credits->GetPhase(), TCreditsScreen::kScroll);
    EXPECT_EQ(Tops(credits), (std::vector<int>{100, 150}));
}

TEST_F(CreditsScreenTest, ASlowScrollMovesThoughATickIsLessThanAPixel)
{
    TCreditsScreen* credits = Open(R"(
gMain = { stage_time = { 10, 10, 10, 10 }, speed = 45 }
gCreditsList = { { image = "", y_disp = 50 }, { image = "" } }
)",
                                   100);
    ASSERT_NE(credits, nullptr);
    for (int i = 0; i < 5; ++i) Step(credits, 16);
    ASSERT_EQ(credits->GetPhase(), TCreditsScreen::kScroll);
    const int top = Tops(credits)[0];
    for (int i = 0; i < 125; ++i) Step(credits, 16);  // 2 s at 0.72 px a tick
    EXPECT_EQ(credits->GetPhase(), TCreditsScreen::kScroll);
    EXPECT_NEAR(Tops(credits)[0], top - 90, 1);
}

// The mask and a picture entry stand where the screen puts them, and the
// picture moves with the scroll.
TEST_F(CreditsScreenTest, PicturesDrawWhereTheyAreLaidOutAndScrolled)
{
    const auto png = [](int w, int h) {
        return imagefx::PngFromArgb(w, h,
                                    std::vector<uint32_t>(size_t(w) * size_t(h), 0xFF336699u));
    };
    assets.Put("images/core/credits/mask.png", png(80, 60));
    assets.Put("images/dot.png", png(20, 10));
    RegisterTextureAssetLoader();
    assets.Put("resources.lua",
               "main_menu = { 'images/core/credits/mask', 'images/dot' }\ncore_audio = {}\n");
    TRes::GetInstance()->LoadGroupNow("main_menu");
    assets.Put(TCreditsScreen::kListScript, R"(
gMain = { stage_time = { 10, 10, 10, 10 }, speed = 1000 }
gCreditsList = { { image = "main_menu:images/dot" } }
)");
    ASSERT_EQ(script->DoLuaString("PushModal('credits') MakeDialog{ name = 'credits', "
                                  "CreditsScreen{ name = 'credits_screen', x = 0, y = 0, w = 800, "
                                  "h = 600, window_info = { item_start_y = 100, mask_x = 400, "
                                  "mask_y = 300 } } }"),
              0);
    auto* credits = Find<TCreditsScreen>("credits_screen");
    ASSERT_NE(credits, nullptr);
    // The top-left corners of the quads one frame draws: the picture, then the mask.
    const auto corners = [&]
    {
        std::vector<std::pair<float, float>> out;
        scene.Frame([&] { credits->Draw(); });
        for (const auto& d : scene.device.draws) out.emplace_back(d.vertices[0].x, d.vertices[0].y);
        return out;
    };
    using P = std::vector<std::pair<float, float>>;
    EXPECT_EQ(corners(), (P{{390.0f, 100.0f}, {360.0f, 270.0f}}));
    for (int i = 0; i < 3; ++i) Tick(16);  // fade in, hold, scrolling starts
    ASSERT_EQ(credits->GetPhase(), TCreditsScreen::kScroll);
    Tick(50);
    EXPECT_EQ(corners(), (P{{390.0f, 50.0f}, {360.0f, 270.0f}}));
}

TEST_F(CreditsScreenTest, ShortListsNeitherReadPastTheirEndsNorStall)
{
    struct Case
    {
        const char* what;
        const char* list;
        size_t items;
        // The phases after each of four ticks of 16 ms.
        std::vector<int> phases;
        const char* logged;  // part of an error line, or null for none
    } cases[] = {
        {"no durations: every phase ends at once",
         "gMain = { speed = 0 } gCreditsList = { { image = '' } }",
         1,
         {0, 1, 2, 2},
         nullptr},
        {"two durations: the hold's, then none",
         "gMain = { stage_time = { 0, 16 }, speed = 0 } gCreditsList = { { image = '' } }",
         1,
         {0, 1, 2, 2},
         nullptr},
        {"no entries: the phases go round, nothing scrolls",
         "gMain = { stage_time = { 0, 0, 0, 0 }, speed = 100 } gCreditsList = {}",
         0,
         {0, 1, 2, 3},
         nullptr},
        {"no list at all", "gMain = { stage_time = { 0, 0, 0, 0 } }", 0, {0, 1, 2, 3}, nullptr},
        {"a style past the styles",
         "gMain = { speed = 0 } gTextStyle = { { size = 20 } } "
         "gCreditsList = { { text = 'credits_game', style = 3 } }",
         1,
         {0, 1, 2, 2},
         "names style 3 of 1"},
        {"a negative style",
         "gMain = { speed = 0 } gCreditsList = { { text = 'credits_game', style = -1 } }",
         1,
         {0, 1, 2, 2},
         "names style -1 of 0"},
        {"a list that does not run", "gMain = {", 0, {0, 1, 2, 3}, "did not run"},
    };
    for (const Case& c : cases)
    {
        TCreditsScreen* credits = Open(c.list);
        ASSERT_NE(credits, nullptr) << c.what;
        EXPECT_EQ(credits->GetItems().size(), c.items) << c.what;
        const std::string newLog = assets.NewLog();
        if (c.logged == nullptr)
        {
            EXPECT_EQ(newLog.find("ERROR"), std::string::npos) << c.what << ": " << newLog;
        }
        else
        {
            EXPECT_NE(newLog.find(c.logged), std::string::npos) << c.what << ": " << newLog;
        }
        std::vector<int> phases;
        for (int i = 0; i < 4; ++i)
        {
            Step(credits, 16);
            phases.push_back(credits->GetPhase());
        }
        EXPECT_EQ(phases, c.phases) << c.what;
        if (c.items > 0)
        {
            EXPECT_FLOAT_EQ(credits->GetItems()[0]->GetAlpha(), 1.0f) << c.what;
        }
        wm->PopTopModal();
        Tick(1);
    }
}

TEST_F(CreditsScreenTest, EnterAndEscapePressOk)
{
    TCreditsScreen* credits = Open(kList);
    ASSERT_NE(credits, nullptr);
    struct Case
    {
        int8_t key;
        int presses;
    } cases[] = {{13, 1}, {27, 2}, {' ', 2}};
    for (const Case& c : cases)
    {
        EXPECT_FALSE(credits->OnKeyDown(c.key, 0)) << int(c.key);
        Step(credits, 1);
        EXPECT_EQ(Global("okPressed"), std::to_string(c.presses)) << int(c.key);
    }
    wm->PopTopModal();
    Tick(1);
    EXPECT_EQ(player->TopScreen(), nullptr);
}

// Numbers that are no numbers read as each key's default, huge ones are cut
// to sizes the column can add up, and a count claimed by "n" is cut too:
// the screen builds, lays out and draws.
TEST_F(CreditsScreenTest, WildNumbersAndCountsFromTheListStayInRange)
{
    assets.Put(TCreditsScreen::kListScript, R"(
gMain = { stage_time = { 0/0, 1/0, -1/0, 1e300, n = 2e9 }, speed = 0/0, text_width = 0/0 }
gTextStyle = { { size = 0/0, flag = 0/0 }, n = -4 }
gCreditsList = {
    { image = "", y_disp = 0/0 },
    { image = "", y_disp = 1e300 },
    { image = "", y_disp = -1/0 },
    { text = "credits_game", style = 0/0, height = 0/0 },
    n = 2e9,
}
)");
    assets.NewLog();
    ASSERT_EQ(
        script->DoLuaString(
            "PushModal('credits') MakeDialog{ name = 'credits', CreditsScreen{ "
            "name = 'credits_screen', x = 0, y = 0, w = 800, h = 600, window_info = { "
            "item_start_y = 0/0, mask_x = 0/0, mask_y = 1/0, anim = { { '', 0/0, 1/0 } } } } }"),
        0);
    auto* credits = Find<TCreditsScreen>("credits_screen");
    ASSERT_NE(credits, nullptr);
    // The phases read the first four; the rest of the claimed count reads as 0.
    const std::vector<int32_t>& durations = credits->GetDurations();
    ASSERT_EQ(durations.size(), size_t(TLuaRows::kDefaultLimit));
    EXPECT_EQ(std::vector<int32_t>(durations.begin(), durations.begin() + 5),
              (std::vector<int32_t>{0, INT32_MAX, INT32_MIN, INT32_MAX, 0}));
    EXPECT_EQ(credits->GetSpeed(), 0);
    EXPECT_TRUE(credits->GetStyles().empty());
    ASSERT_EQ(credits->GetItems().size(), 4u);
    // NaN spacing is none; the huge ones are cut to 50000 px either way; the
    // text line takes the default width and height.
    EXPECT_EQ(Tops(credits), (std::vector<int>{0, 0, 50000, 0}));
    EXPECT_EQ(credits->GetItems()[3]->GetRect(), TRect(350, 0, 450, 60));
    const std::string log = assets.NewLog();
    EXPECT_NE(log.find("gCreditsList: a table claims 2000000000 rows; the first 10000 are read"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("stage_time: a table claims 2000000000 rows"), std::string::npos) << log;
    for (int i = 0; i < 4; ++i) Step(credits, 16);
}

}  // namespace
