-- The profile list's question before a profile goes, a modal named
-- "profile_delete" opened with DoModal: gives back 1 for "Yes", nothing for
-- "No". Enter answers yes, Escape no.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local textFont = { "fonts/default.mvec", 24, { 0.23, 0.16, 0.29, 1 } }
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }

local function Answer(value)
    return function()
        ModalReturn(value)
        PopModal("profile_delete")
    end
end

MakeDialog{
    name = "profile_delete",
    CustomWindow{ name = "profile_delete_window", x = 190, y = 180, w = 420, h = 240,
        HotKey = { { "yes", 13 }, { "no", 27 } },
        Bitmap{ name = "delete_panel", x = 0, y = 0, image = "images/core/dialog/panel" },
        Text{ name = "delete_question", x = 20, y = 20, w = 380, h = 110,
              flags = kHAlignCenter + kVAlignCenter, font = textFont,
              label = "#" .. GetString("profile_delete_question", gProfileDeleteName or "") },
        Button{ name = "yes", x = 25, y = 150, graphics = buttonGraphics, command = Answer(1),
                sound = clickSound, rolloversound = rolloverSound,
                Text{ name = "yes_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont, label = "quit_yes" } },
        Button{ name = "no", x = 235, y = 150, graphics = buttonGraphics, command = Answer(nil),
                sound = clickSound, rolloversound = rolloverSound,
                Text{ name = "no_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont, label = "quit_no" } },
    },
}
