// A small HUD scene for the tests that press, hover and draw: a tab strip of
// nine tabs (0 to 4 side by side, 5 to 8 in one place on the right), shop
// buttons, the plates, the bars, the clock and the panel, each its own
// picture, and a layout that places them.
#pragma once

#include <string>

#include "game/hud/support/HudFixture.h"

namespace hudscene
{

// Sprites are placed by their centre. The tab strip lies at y 470..530; tab i < 5 is opaque at x 100 i .. 100 i + 90.
inline void PutPictures(HudFixture& f)
{
    const std::string hud = "images/game_logic/hud/";
    for (int i = 0; i < 9; ++i)
    {
        const int x = i < 5 ? 100 * i : 600;
        f.PutPicture(hud + "tab_" + std::to_string(i), 800, 60, TRect(x, 0, 90, 60), 0xFF204060u + 0x101010u * i);
    }
    for (const char* name : {"button/button_normal", "button/button_select", "button/button_down",
                             "button/button_disable", "button/menu_normal", "button/menu_select",
                             "button/menu_down", "button/buton_help_normal", "button/buton_help_select",
                             "button/buton_help_down"})
        f.PutPicture(hud + name, 90, 60, TRect(0, 0, 90, 60), 0xFF6080A0u);
    f.PutPicture(hud + "button/button_progress_bar", 90, 50, TRect(0, 0, 90, 50), 0xFF40C040u);
    for (int i = 0; i < 3; ++i)
    {
        f.PutPicture(hud + "ico/mana_" + std::to_string(i), 40, 40, TRect(0, 0, 40, 40), 0xFF3050E0u);
        f.PutPicture(hud + "ico/mana_d_" + std::to_string(i), 40, 40, TRect(0, 0, 40, 40), 0xFF505050u);
    }
    f.PutPicture(hud + "ico/ico_money", 16, 16, TRect(0, 0, 16, 16), 0xFFE0C020u);
    f.PutPicture(hud + "def_info", 800, 120, TRect(0, 0, 800, 120), 0xFF302010u);
    f.PutPicture(hud + "zagl_lev", 100, 30, TRect(0, 0, 100, 30), 0xFF402020u);
    f.PutPicture(hud + "zagl_prv", 100, 30, TRect(0, 0, 100, 30), 0xFF204020u);
    f.PutPicture(hud + "profit_bar/layer_1", 200, 10, TRect(0, 0, 200, 10), 0xFF20C020u);
    f.PutPicture(hud + "profit_bar/layer_1_dop", 200, 10, TRect(0, 0, 200, 10), 0xFFC0C020u);
    f.PutPicture(hud + "profit_bar/layer_2", 210, 14, TRect(0, 0, 210, 14), 0xFF101010u);
    f.PutPicture(hud + "backdrop_money", 120, 24, TRect(0, 0, 120, 24), 0xFF504030u);
    f.PutPicture(hud + "backdrop_goods", 120, 24, TRect(0, 0, 120, 24), 0xFF403050u);
    f.PutPicture(hud + "clock/fon", 80, 80, TRect(0, 0, 80, 80), 0xFFD0D0B0u);
    f.PutPicture(hud + "clock/strelca", 6, 30, TRect(0, 0, 6, 30), 0xFF202020u);
    f.PutPicture(hud + "clock/nakladka", 6, 30, TRect(0, 0, 6, 30), 0xFFC02020u);
    f.PutPicture(hud + "clock/pea_green", 8, 8, TRect(0, 0, 8, 8), 0xFF20C020u);
    f.PutPicture(hud + "clock/pea_red", 8, 8, TRect(0, 0, 8, 8), 0xFFC02020u);
}

inline const char* Layout()
{
    return R"(
gTab = { x = 400, y = 500, y_disp = 6, menu_x = 745, menu_y = 50, help_x = 745, help_y = 120,
  tab_text = {
    { 5, "", { 45, 500, 90, 30 }, { 1, 1, 1, 1 }, 14, "fonts/default.mvec" },
    { 5, "", { 145, 500, 90, 30 }, { 1, 1, 1, 1 }, 14, "fonts/default.mvec" },
    { 5, "", { 245, 500, 90, 30 }, { 1, 1, 1, 1 }, 14, "fonts/default.mvec" },
    { 5, "", { 345, 500, 90, 30 }, { 1, 1, 1, 1 }, 14, "fonts/default.mvec" },
    { 5, "", { 445, 500, 90, 30 }, { 1, 1, 1, 1 }, 14, "fonts/default.mvec" },
  } }
gClock = { x = 740, y = 200, pea_cnt = 8 }
gButton = { button_y = 562, button_w = 90, button_disp = 10 }
gDefInfo = { image_x = 400, image_y = 540, zl_level = 99, zg_level = 99, zl_place_x = 10, zl_place_y = 10,
  zg_place_x = 10, zg_place_y = 50, profit_bar_x = 300, profit_bar_y = 10, profit_bar_line_x = 305,
  profit_bar_line_y = 12, level_pattern = "lvl",
  ico = { { "hud:images/game_logic/hud/backdrop_money", 20, 100 }, { "hud:images/game_logic/hud/backdrop_goods", 20, 130 } } }
gLittleInfoWindow = { item = { { click_x = 10, click_y = 10, click_w = 100, click_h = 30, open_tab = 4 },
                               { click_x = 10, click_y = 50, click_w = 100, click_h = 30 } } }
gTabMana = { shop = { { 100, 1000 }, { 250, 2000 }, { 600, 4000 } } }
gTabWorker = { shop = { { 1, 500 } } }
)";
}

}  // namespace hudscene
