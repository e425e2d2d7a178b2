-- The help: three pages on how to play, turned with the arrows. The screen
-- presses "ok_button" for Enter and Escape itself, so it is neither
-- "default" nor "cancel". Opened from the menus and from a level, which the
-- close resumes when it was paused for the help.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local titleFont = { "fonts/default.mvec", 28, { 0.23, 0.16, 0.29, 1 } }
local textFont = { "fonts/default.mvec", 20, { 0.23, 0.16, 0.29, 1 } }

-- A page: its title and its text boxes, "text_0" upward.
local function Page(n, title, labels)
    local page = { name = "page_" .. n, x = 0, y = 0, w = 640, h = 380,
                   Text{ name = "title", x = 40, y = 30, w = 560, h = 40,
                         flags = kHAlignCenter + kVAlignCenter, font = titleFont, label = title } }
    for i, label in ipairs(labels) do
        table.insert(page, Text{ name = "text_" .. (i - 1), x = 50, y = 80 + (i - 1) * 96,
                                 w = 540, h = 88, font = textFont, label = label })
    end
    return Window(page)
end

local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
MakeDialog{
    name = "help",
    HelpScreen{
        name = "help_screen", x = 80, y = 60, w = 640, h = 480,
        Bitmap{ name = "panel", x = 0, y = 0, image = "images/core/help/panel" },
        Page(0, "help_title_1", { "help_text_1_1", "help_text_1_2", "help_text_1_3" }),
        Page(1, "help_title_2", { "help_text_2_1", "help_text_2_2", "help_text_2_3" }),
        Page(2, "help_title_3", { "help_text_3_1", "help_text_3_2", "help_text_3_3" }),
        Button{ name = "left", x = 40, y = 400, sound = clickSound, rolloversound = rolloverSound,
                graphics = { "images/core/help/arrow_left", "images/core/help/arrow_left_hover",
                             "images/core/help/arrow_left_pressed" },
                command = function() HelpButtonDepress(1) end },
        Button{ name = "right", x = 552, y = 400, sound = clickSound, rolloversound = rolloverSound,
                graphics = { "images/core/help/arrow_right", "images/core/help/arrow_right_hover",
                             "images/core/help/arrow_right_pressed" },
                command = function() HelpButtonDepress(2) end },
        Button{ name = "ok_button", x = 240, y = 400, graphics = buttonGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() HelpButtonDepress(0) PopModal("help") end,
                Text{ name = "ok_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter,
                      font = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }, label = "help_ok" } },
    },
}
