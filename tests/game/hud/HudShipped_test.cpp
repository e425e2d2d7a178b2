// The layout and pictures the game ships: every key the reader looks for is
// in hud.lua as it is spelt there, every label it names is in the string
// table, every picture the HUD completes from a pattern is listed in the
// "hud" group with its file; and the HUD built from them, drawn once on the
// hidden display (the frame is written to HUD_FRAME_PNG when that is set).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "game/hud/support/HudFixture.h"
#include "graphics/FontRegistry.h"
#include "graphics/TextGraphic.h"
#include "graphics/VecDraw.h"
#include "script/LuaTable.h"
#include "script/Script.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

namespace fs = std::filesystem;

// Every key the reader reads, by table; "*" marks the read-out prefixes.
const std::map<std::string, std::vector<std::string>>& Keys()
{
    static const std::map<std::string, std::vector<std::string>> keys = {
        {"gTab",
         {"y", "x", "y_disp", "limit_y", "menu_y", "menu_x", "menu_color", "menu_rect", "menu_size", "menu_font",
          "menu_flag", "menu_pattern", "help_y", "help_x", "help_color", "help_rect", "help_size", "help_font",
          "help_flag", "tab_text", "tab_text_time", "tab_text_acc", "task_window_y", "task_window_x",
          "param_fun_customer", "param_needed_good"}},
        {"gClock",
         {"y", "x", "arrow_off_y", "arrow_off_x", "pea_off_y", "pea_off_x", "ramca_off_y", "ramca_off_x", "pea_cnt",
          "move_time"}},
        {"gButton", {"button_y", "button_w", "button_disp", "text_x_disp", "text_y_disp", "main_color"}},
        {"gInfoWindow",
         {"show_time", "babl_y", "babl_x", "stall_y", "stall_x", "arrow_y", "arrow_x", "text_rect_size_y",
          "text_rect_size_x", "big_text_rect_size_y", "big_text_rect_size_x", "font", "font_size", "font_big_size",
          "color_1", "color_1_2", "color_2", "color_3", "color_4", "text_disp", "profit", "price", "store", "lucky",
          "mana", "worker", "count", "repair", "upgrade", "crash", "sell", "good", "good_max", "good_need",
          "good_courier", "land", "buy", "buy_with_risk", "accept", "reject", "cancel", "repair_disc", "crash_disc",
          "sell_disc", "upgrade_max", "land_disc", "buy_disc", "buy_wr_disc", "accepr_disc", "reject_disc",
          "cancel_disc", "breake", "no_lucky", "no_good"}},
        {"gMiddleInfoWindow",
         {"show_time", "babl_y", "babl_x", "arrow_y", "arrow_x", "slot_y", "slot_x", "monster_y", "monster_x",
          "text_rect_size_y", "text_rect_size_x", "text_rect_disp_y", "text_rect_disp_x", "font", "font_size",
          "color_1", "color_2", "color_3", "text_slot_breake", "text_slot_free"}},
        {"gLittleInfoWindow",
         {"show_time", "text_size_h", "text_size_w", "text_disp_y", "text_disp_x", "text_font", "text_font_size",
          "text_color", "lock_elem", "bubble_width", "item"}},
        {"gTaskInfoWindow",
         {"show_time", "babl_y", "babl_x", "arrow_y", "arrow_x", "text_rect_size_y", "text_rect_size_x",
          "text_rect_disp_y", "text_rect_disp_x", "font", "font_size", "color_1", "select_task_color",
          "select_task_color_dop", "pattern", "task_complete_pattern"}},
        {"gLuckyProgressBar", {"line_1_y", "line_1_x", "line_2_y", "line_2_x"}},
        {"gDefInfo",
         {"image_y", "image_x", "zl_place_y", "zl_place_x", "zg_place_y", "zg_place_x", "zl_level", "zg_level",
          "fun_customer_x", "ico", "static_text", "time_bar_fon_y", "time_bar_fon_x", "time_bar_line_y",
          "time_bar_line_x", "profit_bar_y", "profit_bar_x", "profit_bar_line_y", "profit_bar_line_x", "*"}},
        {"gTabInfo",
         {"task_text", "dop_pattern", "task_ico", "task_pattern", "monster_name", "static_text",
          "progress_bar_fon_y", "progress_bar_fon_x", "progress_bar_line_y", "progress_bar_line_x"}},
        {"gTabMana", {"shop"}},
        {"gTabWorker", {"shop"}},
    };
    return keys;
}

const char* const kReadOuts[] = {"money",        "profit",         "mana",           "worker", "worker_2",
                                 "worker_dop",   "good",           "fun_customer",   "fun_customer_2",
                                 "fun_customer_dop", "task",       "task_2",         "level",  "time"};

const char* const kItemKeys[] = {"babl_y", "babl_x", "arrow_y", "arrow_x", "arrow_rotate", "click_h",
                                 "click_y", "click_w", "click_x", "text"};

class HudShippedTest : public HudFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(UseShippedAssets()); }

    bool Has(const TLuaTable& t, const std::string& key)
    {
        const TString missing("\x01missing");
        return t.GetString(key.c_str(), missing) != missing;
    }
    void ExpectLabel(const TString& text, const std::string& what)
    {
        EXPECT_NE(text, TString("#####")) << what;
    }
    // "group:path" is listed in its group and its picture is there.
    void ExpectListed(const TString& name)
    {
        const std::string text = name.CStr();
        const std::string path = text.substr(text.find(':') + 1);
        ASSERT_EQ(text.rfind("hud:", 0), 0u) << text;
        const std::unique_ptr<TLuaTable> list = resources_.GetGlobalTable("hud");
        ASSERT_TRUE(list);
        bool listed = false;
        for (int i = 1; i <= list->GetCount(); ++i) listed = listed || path == list->GetStringAt(i).CStr();
        EXPECT_TRUE(listed) << text << " not listed";
        EXPECT_TRUE(fs::exists(fs::path("assets") / (path + ".png")) || fs::exists(fs::path("assets") / (path + ".xml")))
            << text;
    }

    TScript resources_;
};

TEST_F(HudShippedTest, EveryKeyTheReaderReadsIsThere)
{
    TScript script;
    ASSERT_TRUE(script.RunScript("scripts/game_logic/hud.lua"));
    for (const auto& [table, keys] : Keys())
    {
        const std::unique_ptr<TLuaTable> t = script.GetGlobalTable(table.c_str());
        ASSERT_TRUE(t) << table;
        for (const std::string& key : keys)
        {
            if (key != "*")
            {
                EXPECT_TRUE(Has(*t, key)) << table << "." << key;
                continue;
            }
            for (int i = 0; i < 14; ++i)
            {
                const std::string p = kReadOuts[i];
                std::vector<std::string> suffixes = {"_flag", "_rect", "_color", "_size", "_font", "_pattern"};
                if (i <= 5) suffixes.push_back("_color_dop");
                for (const std::string& s : suffixes) EXPECT_TRUE(Has(*t, p + s)) << table << "." << p + s;
            }
        }
    }
    // Every little window item has every key; some open a tab.
    const auto little = script.GetGlobalTable("gLittleInfoWindow");
    const auto items = little->GetTable("item");
    ASSERT_TRUE(items);
    ASSERT_GE(items->GetCount(), 5);
    int opening = 0;
    for (int i = 1; i <= items->GetCount(); ++i)
    {
        const auto item = items->GetTableAt(i);
        ASSERT_TRUE(item) << i;
        for (const char* key : kItemKeys) EXPECT_TRUE(Has(*item, key)) << "item " << i << "." << key;
        opening += Has(*item, "open_tab") ? 1 : 0;
    }
    EXPECT_GE(opening, 1);
}

TEST_F(HudShippedTest, TheLayoutIsReadWithEveryLabelResolved)
{
    HUD& hud = Start(1);
    const HUD::SLayout& l = hud.GetLayout();
    ExpectLabel(l.paramFunCustomer, "param_fun_customer");
    ExpectLabel(l.paramNeededGood, "param_needed_good");
    ExpectLabel(l.dopPattern, "dop_pattern");
    ASSERT_EQ(hud.GetLayoutTexts().size(), 34u);
    for (size_t i = 0; i < 34; ++i) ExpectLabel(hud.GetLayoutTexts()[i], "layout text " + std::to_string(i));
    for (const TString& t : hud.GetTaskPrefixTexts()) ExpectLabel(t, "task prefix");
    ASSERT_EQ(hud.GetTabTexts().size(), 8u);
    for (const auto& t : hud.GetTabTexts()) ExpectLabel(t->text, "tab text");
    for (const auto& t : hud.GetDefStaticTexts()) ExpectLabel(t->text, "panel text");
    for (const auto& t : hud.GetTabStaticTexts()) ExpectLabel(t->text, "tab info text");
    ExpectLabel(hud.GetReadOut(HUD::kLevel).text, "level_pattern");
    EXPECT_STREQ(hud.GetReadOut(HUD::kLevel).graphic->GetText().CStr(), "Level 1");
    ExpectLabel(hud.GetMiddleInfo().textSlotBreake, "text_slot_breake");
    ExpectLabel(hud.GetMiddleInfo().textSlotFree, "text_slot_free");
    ExpectLabel(hud.GetLittleInfo().lockText, "lock_elem");
    ASSERT_GE(hud.GetLittleInfo().items.size(), 5u);
    for (const auto& item : hud.GetLittleInfo().items) ExpectLabel(item.text, "little item");
    ASSERT_EQ(hud.GetTaskHint().patterns.size(), 26u) << "a pair per condition kind 0 to 12";
    for (const TString& t : hud.GetTaskHint().patterns) ExpectLabel(t, "task hint pattern");
    ExpectLabel(hud.GetTaskHint().completePattern, "task_complete_pattern");
    ASSERT_EQ(hud.GetTaskPatterns(0).size(), 13u);
    ASSERT_EQ(hud.GetTaskPatterns(1).size(), 13u);
    for (int k = 0; k < 2; ++k)
        for (const TString& t : hud.GetTaskPatterns(k)) ExpectLabel(t, "task pattern");
    ASSERT_EQ(hud.GetTaskTextGroups().size(), 4u);
    ASSERT_EQ(hud.GetTaskIconNames().size(), 4u);
    ASSERT_EQ(hud.GetMonsterNames().size(), 3u) << "one per monster script";
    for (const TString& t : hud.GetMonsterNames()) ExpectLabel(t, "monster name");
    EXPECT_EQ(hud.GetManaOffers().size(), 3u);
    EXPECT_EQ(hud.GetWorkerOffers().size(), 3u);
    EXPECT_STREQ(hud.GetMenuButton().GetCaption()->GetText().CStr(), "Menu");
    // The plates are up in level 1, and their items tell so.
    EXPECT_TRUE(hud.GetPlate(0).visible);
    EXPECT_TRUE(hud.GetPlate(1).visible);
    EXPECT_EQ(hud.GetLittleInfo().items[1].text, hud.GetLittleInfo().lockText);
    EXPECT_EQ(hud.GetLittleInfo().items[4].text, hud.GetLittleInfo().lockText);
    EXPECT_NE(hud.GetLittleInfo().items[0].text, hud.GetLittleInfo().lockText);
}

TEST_F(HudShippedTest, EveryPictureCompletedFromAPatternIsListed)
{
    ASSERT_TRUE(resources_.RunScript("resources.lua"));
    HUD& hud = Start(1);
    auto each = [&](const char* pattern, int from, int to) {
        for (int i = from; i <= to; ++i) ExpectListed(FormatDataText(pattern, {i}));
    };
    each("hud:images/game_logic/hud/tab_%d", 0, 8);
    const int mana = static_cast<int>(hud.GetManaOffers().size()) - 1;
    const int workers = static_cast<int>(hud.GetWorkerOffers().size()) - 1;
    each("hud:images/game_logic/hud/ico/mana_%d", 0, mana);
    each("hud:images/game_logic/hud/ico/mana_d_%d", 0, mana);
    each("hud:images/game_logic/hud/ico/worker_%d", 0, workers);
    each("hud:images/game_logic/hud/ico/worker_d_%d", 0, workers);
    each("hud:images/game_logic/hud/ico/service_%d", 0, 4);
    each("hud:images/game_logic/hud/ico/service_d_%d", 0, 4);
    each("hud:images/game_logic/hud/ico/pay_%d", 0, 1);
    each("hud:images/game_logic/hud/ico/pay_d_%d", 0, 1);
    each("hud:images/game_logic/hud/ico/buy_%d", 0, 2);
    each("hud:images/game_logic/hud/ico/buy_d_%d", 0, 2);
    each("hud:images/game_logic/hud/task_window_%d", 1, 4);
    const int bubbles = static_cast<int>(hud.GetLittleInfo().bubbleWidths.size());
    EXPECT_GE(bubbles, 3);
    each("hud:images/game_logic/hud/window_info/babl_small_%d", 1, bubbles);
    // The names the layout itself gives.
    for (const TString& name : hud.GetIconNames()) ExpectListed(name);
    for (const TString& name : hud.GetTaskIconNames()) ExpectListed(name);
    // Every tab, backdrop and clock picture loaded.
    for (uint32_t i = 0; i < HUD::kTabCount; ++i) EXPECT_TRUE(hud.GetTabSprite(i)->GetTexture()) << i;
    for (const auto& b : hud.GetBackdrops()) EXPECT_TRUE(b->GetTexture());
    EXPECT_EQ(hud.GetIndicators().size(), 3u);
    int32_t w = 0, h = 0;
    hud.GetIndicators()[0]->GetSize(&w, &h);
    EXPECT_GT(w, 0) << "the indicator's animation loaded";
}

TEST_F(HudShippedTest, DrawnOnceHeadless)
{
    // The texts need the vector drawer.
    TQvMiniVecDraw vectors;
    vectors.CalibrateRendering();
    SetVecDraw(&vectors);
    HUD& hud = Start(1);
    level_->GetEconomic().SetMoney(12500);
    hud.StartClock(3, 0);
    hud.SetExpertTime(2, 0);
    hud.SetProfitBarComplete(false);
    Advance(50000);
    level_->Update();
    hud.OnMouseMove(355, 560);

    display_->Clear();
    ASSERT_TRUE(display_->dc->BeginDraw(false));
    ASSERT_TRUE(display_->dc->Begin2d());
    hud.Draw();
    display_->dc->End2d();
    display_->dc->EndDraw(false);

    std::vector<uint32_t> argb(800u * 600u, 0);
    std::vector<uint32_t> row(800, 0);
    for (int y = 0; y < 600; ++y)
    {
        display_->Device()->ReadBack({0, y, 800, y + 1}, row.data());
        for (int x = 0; x < 800; ++x) argb[static_cast<size_t>(y * 800 + x)] = row[static_cast<size_t>(x)] | 0xFF000000u;
    }
    if (const char* out = std::getenv("HUD_FRAME_PNG"))
    {
        std::ofstream(out, std::ios::binary) << imagefx::PngFromArgb(800, 600, argb);
    }
    // The tray's wood under the buttons' row ends, its cream wells, the
    // dial's face, and black above the tray where the level would show.
    EXPECT_TRUE(RgbNear(display_->Pixel(200, 560), 0xB9763F, 24)) << "tray";
    EXPECT_TRUE(RgbNear(display_->Pixel(600, 560), 0xB9763F, 24)) << "tray";
    EXPECT_TRUE(RgbNear(display_->Pixel(20, 590), 0xFFF4DE, 24)) << "left well";
    EXPECT_TRUE(RgbNear(display_->Pixel(735, 40), 0xFFF4DE, 24)) << "dial";
    EXPECT_TRUE(RgbNear(display_->Pixel(400, 300), 0x000000, 8)) << "the level shows through";
    level_.reset();
    SetVecDraw(nullptr);
    GetFontRegistry().Clear();
}

}  // namespace
