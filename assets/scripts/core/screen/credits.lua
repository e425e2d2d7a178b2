-- The credits, a modal named "credits" that takes the main menu's place:
-- the night sky behind the scrolling column (from credits_list.lua), the
-- mask over its top and bottom, and the OK button, which the screen also
-- presses for Enter and Escape. OK hands the place back to the main menu.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}

local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
MakeDialog{
    name = "credits", x = 0, y = 0, w = 800, h = 600,
    Bitmap{ name = "background", x = 0, y = 0, image = "images/core/credits/fon" },
    CreditsScreen{ name = "credits_screen", x = 0, y = 0, w = 800, h = 600,
        window_info = { item_start_y = 220, mask_x = 400, mask_y = 300, anim = {} },
        Button{ name = "ok_button", x = 620, y = 540, graphics = buttonGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() SwapToModal("scripts/core/screen/main_menu.lua") end,
                Text{ name = "ok_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter,
                      font = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }, label = "credits_ok" } },
    },
}
