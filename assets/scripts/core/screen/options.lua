-- The options dialog, a modal named "options" over the main menu: three
-- toggles, the two volume sliders (their grooves are part of the card) and
-- the OK button, which the screen also presses for Enter and Escape.
local toggleGraphics = {
    "images/core/window/toggle_off",
    "images/core/window/toggle_on",
    "images/core/window/toggle_off_hover",
    "images/core/window/toggle_on_hover",
}
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local titleFont = { "fonts/default.mvec", 30, { 0.23, 0.16, 0.29, 1 } }
local labelFont = { "fonts/default.mvec", 22, { 0.23, 0.16, 0.29, 1 } }
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }

local function Label(name, y, label)
    return Text{ name = name, x = 40, y = y, w = 140, h = 40, flags = kVAlignCenter,
                 font = labelFont, label = label }
end

MakeDialog{
    name = "options", x = 0, y = 0, w = 800, h = 600,
    OptionsScreen{ name = "options_screen", x = 170, y = 100, w = 460, h = 400,
        Bitmap{ name = "panel", x = 0, y = 0, image = "images/core/options/panel" },
        Text{ name = "title", x = 30, y = 24, w = 400, h = 44, flags = kHAlignCenter + kVAlignCenter,
              font = titleFont, label = "options_title" },
        Button{ name = "full_screen", x = 40, y = 84, type = 1, graphics = toggleGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() ToggleFullScreen() end },
        Text{ name = "full_screen_label", x = 95, y = 84, w = 320, h = 40, flags = kVAlignCenter,
              font = labelFont, label = "options_full_screen" },
        Button{ name = "mute_sound", x = 40, y = 134, type = 1, graphics = toggleGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() ToggleSoundMute() end },
        Text{ name = "mute_sound_label", x = 95, y = 134, w = 320, h = 40, flags = kVAlignCenter,
              font = labelFont, label = "options_mute_sound" },
        Button{ name = "game_cursor", x = 40, y = 184, type = 1, graphics = toggleGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() ToggleGameCursor() end },
        Text{ name = "game_cursor_label", x = 95, y = 184, w = 320, h = 40, flags = kVAlignCenter,
              font = labelFont, label = "options_game_cursor" },
        Label("sfx_label", 230, "options_sfx"),
        CustomSlider{ name = "sfx_slider", x = 180, y = 232, w = 240, h = 36,
                      sliderimage = "images/core/window/slider_thumb",
                      sliderrollimage = "images/core/window/slider_thumb_roll" },
        Label("music_label", 280, "options_music"),
        CustomSlider{ name = "music_slider", x = 180, y = 282, w = 240, h = 36,
                      sliderimage = "images/core/window/slider_thumb",
                      sliderrollimage = "images/core/window/slider_thumb_roll" },
        Button{ name = "ok_button", x = 150, y = 330, graphics = buttonGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() PopModal("options") end,
                Text{ name = "ok_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                      label = "options_ok" } },
    },
}
